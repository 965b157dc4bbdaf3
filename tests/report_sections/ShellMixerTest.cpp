// tests/report_sections/ShellMixerTest.cpp
// The autorun policy and the audio-CD verb round trips in the registry, the mixer routines without a usable
// mixer, and appending a line.
#include "report/ShellMixerSettings.h"

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const char kPolicyKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

std::string PolicyBytes()
{
    CRegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kPolicyKey) != ERROR_SUCCESS)
        return "<no key>";
    DWORD type = 0;
    CByteArray data;
    if (key.QueryRaw("NoDriveTypeAutoRun", type, data) != ERROR_SUCCESS)
        return "<no value>";
    std::string text = type == REG_BINARY ? "binary" : "type " + std::to_string(type);
    for (INT_PTR i = 0; i < data.GetSize(); ++i) {
        char hex[4];
        snprintf(hex, sizeof hex, " %02X", unsigned(data[i]));
        text += hex;
    }
    return text;
}

// Written as four bytes, the low byte first; read back as the first byte only, signed; a DWORD written by another
// program reads as its first byte; no value reads 0.
TEST(ShellSettings, AutoRunPolicyRoundTrip)
{
    CRegistryKey::DeleteTree(HKEY_CURRENT_USER, kPolicyKey);
    EXPECT_EQ(0, GetNoDriveTypeAutoRun());

    EXPECT_EQ(ERROR_SUCCESS, SetNoDriveTypeAutoRun(0x1FF));
    EXPECT_EQ("binary FF 00 00 00", PolicyBytes());
    EXPECT_EQ(-1, GetNoDriveTypeAutoRun());

    EXPECT_EQ(ERROR_SUCCESS, SetNoDriveTypeAutoRun(0x95));
    EXPECT_EQ("binary 95 00 00 00", PolicyBytes());
    EXPECT_EQ(static_cast<signed char>(0x95), GetNoDriveTypeAutoRun());

    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, kPolicyKey));
    ASSERT_EQ(ERROR_SUCCESS, key.SetDword("NoDriveTypeAutoRun", 0x91));
    EXPECT_EQ(static_cast<signed char>(0x91), GetNoDriveTypeAutoRun());
    ASSERT_EQ(ERROR_SUCCESS, key.SetBinary("NoDriveTypeAutoRun", "", 0));
    EXPECT_EQ(0, GetNoDriveTypeAutoRun());
    key.Close();
    CRegistryKey::DeleteTree(HKEY_CURRENT_USER, kPolicyKey);
}

// Only a first key that cannot be created ends the work at once. A later one that cannot be created (a lasting key
// below a volatile one) leaves nothing to write the value into: the value's write fails and its result is given.
TEST(ShellSettings, AutoRunPolicyBelowAKeyThatCannotBeCreated)
{
    const char kPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies";
    CRegistryKey::DeleteTree(HKEY_CURRENT_USER, kPolicies);
    HKEY volatileKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kPolicies, 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr));
    CRegKeyOwner policies(volatileKey);
    CRegistryKey probe;
    ASSERT_NE(ERROR_SUCCESS, probe.Create(HKEY_CURRENT_USER, kPolicyKey)) << "a lasting key below a volatile one";

    EXPECT_EQ(ERROR_INVALID_HANDLE, SetNoDriveTypeAutoRun(0x95));
    EXPECT_EQ("<no key>", PolicyBytes());
    policies.Close();
    CRegistryKey::DeleteTree(HKEY_CURRENT_USER, kPolicies);
}

// Reading creates nothing and leaves the buffer as it was when there is no verb; a written verb reads back; a
// stored text of 100 characters or more comes back cut and terminated.
TEST(ShellSettings, AudioCdVerbRoundTrip)
{
    CRegistryKey::DeleteTree(HKEY_CLASSES_ROOT, "AudioCD");
    char verb[kAudioCdVerbSize];
    strcpy(verb, "unchanged");
    EXPECT_EQ(verb, GetAudioCDShellVerb(verb));
    EXPECT_STREQ("unchanged", verb);
    CRegistryKey probe;
    EXPECT_NE(ERROR_SUCCESS, probe.Open(HKEY_CLASSES_ROOT, "AudioCD"));

    ASSERT_EQ(ERROR_SUCCESS, SetAudioCDShellVerb("play"));
    GetAudioCDShellVerb(verb);
    EXPECT_STREQ("play", verb);

    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CLASSES_ROOT, "AudioCD\\shell"));
    CString stored;
    ASSERT_EQ(ERROR_SUCCESS, key.QueryString(nullptr, stored));
    EXPECT_EQ(std::string("play"), std::string(stored));
    key.Close();

    // The empty key and no default value: the buffer stays as it was.
    CRegistryKey::DeleteTree(HKEY_CLASSES_ROOT, "AudioCD");
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CLASSES_ROOT, "AudioCD\\shell"));
    key.Close();
    strcpy(verb, "kept");
    GetAudioCDShellVerb(verb);
    EXPECT_STREQ("kept", verb);

    ASSERT_EQ(ERROR_SUCCESS, SetAudioCDShellVerb(std::string(150, 'v').c_str()));
    GetAudioCDShellVerb(verb);
    EXPECT_EQ(std::string(kAudioCdVerbSize - 1, 'v'), std::string(verb));
    CRegistryKey::DeleteTree(HKEY_CLASSES_ROOT, "AudioCD");
}

// Without a mixer every routine fails: the readers give 0 and the setters the mixer's error.
TEST(MixerSettings, WithoutAMixerEverythingFails)
{
    if (mixerGetNumDevs() != 0)
        GTEST_SKIP() << "this system has a mixer";
    const DWORD speakers = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    EXPECT_EQ(0u, GetMixerVolume(speakers));
    EXPECT_EQ(0u, GetMixerMute(speakers));
    const DWORD volume = 0x80004000;
    EXPECT_NE(MMRESULT(MMSYSERR_NOERROR), SetMixerVolume(speakers, &volume));
    EXPECT_NE(MMRESULT(MMSYSERR_NOERROR), SetMixerMute(speakers, 1));
    EXPECT_EQ(MMRESULT(MMSYSERR_INVALPARAM), SetMixerVolume(speakers, nullptr));
}

// A mixer of one line with one volume and one mute control, as the mixer interface documents them: the details are
// asked for one channel (uniform control, or all channels as one) or for all the line's channels, nothing else.
// Asked as one, a control that is not uniform gives its first channel and is set on all (on the first eight of a
// line claiming more).
const DWORD kFakeChannels = 8; // the channels the fake holds values for
struct FakeMixer {
    DWORD lineChannels = 2;
    bool uniform = false;
    DWORD volume[kFakeChannels] = {};
    DWORD mute[kFakeChannels] = {};
};
FakeMixer* g_pFake = nullptr;
const DWORD kVolumeId = 10, kMuteId = 11;

DWORD* FakeValues(DWORD controlId)
{
    return controlId == kVolumeId ? g_pFake->volume : g_pFake->mute;
}

MMRESULT FakeDetails(MIXERCONTROLDETAILS* pDetails, bool bSet)
{
    const DWORD channels = pDetails->cChannels;
    if ((channels != 1 && (g_pFake->uniform || channels != g_pFake->lineChannels)) ||
        pDetails->cbDetails != sizeof(DWORD) ||
        (pDetails->dwControlID != kVolumeId && pDetails->dwControlID != kMuteId))
        return MMSYSERR_INVALPARAM;
    DWORD* stored = FakeValues(pDetails->dwControlID);
    DWORD* given = static_cast<DWORD*>(pDetails->paDetails);
    const DWORD held = g_pFake->uniform ? 1 : std::min<DWORD>(g_pFake->lineChannels, kFakeChannels);
    for (DWORD i = 0; i < (bSet && channels == 1 ? held : channels); ++i) {
        if (bSet)
            stored[i] = given[channels == 1 ? 0 : i];
        else
            given[i] = stored[i];
    }
    return MMSYSERR_NOERROR;
}

const MixerHooks kFakeMixer = {
    [](HMIXER* phMixer) {
        *phMixer = reinterpret_cast<HMIXER>(1);
        return MMRESULT(MMSYSERR_NOERROR);
    },
    [](HMIXER) { return MMRESULT(MMSYSERR_NOERROR); },
    [](HMIXEROBJ, MIXERLINEA* pLine, DWORD) {
        if (pLine->dwComponentType != MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)
            return MMRESULT(MIXERR_INVALLINE);
        pLine->dwLineID = 0xFFFF0000;
        pLine->cChannels = g_pFake->lineChannels;
        return MMRESULT(MMSYSERR_NOERROR);
    },
    [](HMIXEROBJ, MIXERLINECONTROLSA* pControls, DWORD) {
        pControls->pamxctrl->dwControlID =
            pControls->dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME ? kVolumeId : kMuteId;
        pControls->pamxctrl->fdwControl = g_pFake->uniform ? MIXERCONTROL_CONTROLF_UNIFORM : 0;
        return MMRESULT(MMSYSERR_NOERROR);
    },
    [](HMIXEROBJ, MIXERCONTROLDETAILS* pDetails, DWORD) { return FakeDetails(pDetails, false); },
    [](HMIXEROBJ, MIXERCONTROLDETAILS* pDetails, DWORD) { return FakeDetails(pDetails, true); },
};

// The two channel values in and out of lines of one, two and four channels and of uniform controls: a control of
// one value gives it for both channels and takes the first; a larger line gives and takes its first two channels,
// keeps the volume of the others and mutes them all. A line claiming an impossible count is asked as one.
TEST(MixerSettings, ChannelValuesOfEveryKindOfLine)
{
    const DWORD speakers = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    struct Case {
        const char* name;
        DWORD channels;
        bool uniform;
        DWORD readVolume;                 // from volumes 0x8000, 0x4000, 0x3000, 0x2000
        DWORD readMute;                   // from mute values 0, 1, 0, 0
        std::vector<DWORD> writtenVolume; // after writing 0xAAAA5555 over the volumes above
    } const cases[] = {
        {"two channels", 2, false, 0x80004000, 1, {0xAAAA, 0x5555}},
        {"uniform control", 2, true, 0x80008000, 0, {0xAAAA}},
        {"one channel", 1, false, 0x80008000, 0, {0xAAAA}},
        {"four channels", 4, false, 0x80004000, 1, {0xAAAA, 0x5555, 0x3000, 0x2000}},
        {"a count no line has", 0x10000000, false, 0x80008000, 0, {0xAAAA}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMixer fake;
        fake.lineChannels = c.channels;
        fake.uniform = c.uniform;
        const DWORD volumes[4] = {0x8000, 0x4000, 0x3000, 0x2000};
        const DWORD mutes[4] = {0, 1, 0, 0};
        std::memcpy(fake.volume, volumes, sizeof volumes);
        std::memcpy(fake.mute, mutes, sizeof mutes);
        g_pFake = &fake;
        const MixerHooks* pPrevious = SetMixerHooks(&kFakeMixer);

        EXPECT_EQ(c.readVolume, GetMixerVolume(speakers));
        EXPECT_EQ(c.readMute, GetMixerMute(speakers));
        const DWORD volume = 0xAAAA5555;
        EXPECT_EQ(MMRESULT(MMSYSERR_NOERROR), SetMixerVolume(speakers, &volume));
        EXPECT_EQ(c.writtenVolume, std::vector<DWORD>(fake.volume, fake.volume + c.writtenVolume.size()));
        EXPECT_EQ(MMRESULT(MMSYSERR_NOERROR), SetMixerMute(speakers, 1));
        const DWORD held = std::min<DWORD>(c.uniform ? 1 : c.channels, kFakeChannels);
        EXPECT_EQ(std::vector<DWORD>(held, 1), std::vector<DWORD>(fake.mute, fake.mute + held));
        EXPECT_EQ(0u, GetMixerVolume(MIXERLINE_COMPONENTTYPE_SRC_LINE)) << "no such line";

        SetMixerHooks(pPrevious);
        g_pFake = nullptr;
    }
}

TEST(ShellSettings, AppendLineCrLf)
{
    CString text("a");
    AppendLineCrLf("line", text);
    AppendLineCrLf(nullptr, text);
    AppendLineCrLf("", text);
    EXPECT_EQ(std::string("aline\r\n\r\n\r\n"), std::string(text));
}

} // namespace
