// tests/report_sections/ShellMixerTest.cpp
// The autorun policy and the audio-CD verb round trips in the registry, the mixer routines without a usable
// mixer, and appending a line.
#include "report/ShellMixerSettings.h"

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstring>

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

TEST(ShellSettings, AppendLineCrLf)
{
    CString text("a");
    AppendLineCrLf("line", text);
    AppendLineCrLf(nullptr, text);
    AppendLineCrLf("", text);
    EXPECT_EQ(std::string("aline\r\n\r\n\r\n"), std::string(text));
}

} // namespace
