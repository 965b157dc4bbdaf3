// src/report/ShellMixerSettings.cpp
#include "report/ShellMixerSettings.h"

#include <mmsystem.h>

#include <cstring>
#include <utility>
#include <vector>

// The 32-bit layouts the program was written against (x86-64 test builds have their own).
static_assert(sizeof(void*) != 4 || (sizeof(MIXERLINEA) == 168), "mixer line description of 168 bytes");
static_assert(sizeof(void*) != 4 || (sizeof(MIXERCONTROLA) == 148), "mixer control description of 148 bytes");

namespace {

const char* const kExplorerPolicyPath[] = {"Software",       "Microsoft", "Windows",
                                           "CurrentVersion", "Policies",  "Explorer"};
const char kAutoRunValue[] = "NoDriveTypeAutoRun";

} // namespace

// The keys are opened one level at a time for reading only.
signed char GetNoDriveTypeAutoRun()
{
    CRegKeyOwner key;
    HKEY parent = HKEY_CURRENT_USER;
    for (const char* level : kExplorerPolicyPath) {
        HKEY next = nullptr;
        if (RegOpenKeyExA(parent, level, 0, KEY_QUERY_VALUE, &next) != ERROR_SUCCESS)
            return 0;
        key.Attach(next);
        parent = key.get();
    }
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), kAutoRunValue, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0)
        return 0;
    std::vector<BYTE> data(size, 0);
    if (RegQueryValueExA(key.get(), kAutoRunValue, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS)
        return 0;
    return static_cast<signed char>(data[0]);
}

// The keys are created (or opened) one level at a time. Only a first level that cannot be created ends the work
// at once; a later level that fails leaves no key to go on from, so the levels below it and the value are not
// written and the value's result (ERROR_INVALID_HANDLE) is returned.
LONG SetNoDriveTypeAutoRun(DWORD dwValue)
{
    CRegistryKey key;
    HKEY parent = HKEY_CURRENT_USER;
    for (const char* level : kExplorerPolicyPath) {
        CRegistryKey next;
        if (parent != nullptr) {
            const LONG result = next.Create(parent, level, KEY_ALL_ACCESS);
            if (result != ERROR_SUCCESS && parent == HKEY_CURRENT_USER)
                return result;
        }
        key = std::move(next);
        parent = key.IsOpen() ? key.get() : nullptr;
    }
    const BYTE data[4] = {BYTE(dwValue & 0xFF), 0, 0, 0};
    return key.SetBinary(kAutoRunValue, data, sizeof data);
}

// Reading never creates the keys. A value of kAudioCdVerbSize bytes or more is cut so that the text stays
// terminated.
char* GetAudioCDShellVerb(char* pszVerb)
{
    CRegKeyOwner key;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "AudioCD\\shell", 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return pszVerb;
    key.Attach(opened);
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return pszVerb;
    std::vector<char> data(size_t(size) + 1, 0);
    DWORD read = size;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &read) !=
        ERROR_SUCCESS) {
        pszVerb[0] = '\0';
        return pszVerb;
    }
    size_t length = strnlen(data.data(), read < size ? read : size);
    if (length > size_t(kAudioCdVerbSize - 1))
        length = kAudioCdVerbSize - 1;
    memcpy(pszVerb, data.data(), length);
    pszVerb[length] = '\0';
    return pszVerb;
}

// The text is stored by its length without the terminating zero.
LONG SetAudioCDShellVerb(LPCSTR pszVerb)
{
    CRegistryKey key;
    const LONG result = key.Create(HKEY_CLASSES_ROOT, "AudioCD\\shell", KEY_ALL_ACCESS);
    if (result != ERROR_SUCCESS)
        return result;
    return key.SetString(nullptr, pszVerb, CRegistryKey::withoutNul);
}

// ---------------------------------------------------------------------------------------------------------------

namespace {

const MixerHooks kRealMixer = {
    [](HMIXER* phMixer) { return mixerOpen(phMixer, 0, 0, 0, MIXER_OBJECTF_MIXER); },
    [](HMIXER hMixer) { return mixerClose(hMixer); },
    [](HMIXEROBJ hMixer, MIXERLINEA* pLine, DWORD dwFlags) { return mixerGetLineInfoA(hMixer, pLine, dwFlags); },
    [](HMIXEROBJ hMixer, MIXERLINECONTROLSA* pControls, DWORD dwFlags) {
        return mixerGetLineControlsA(hMixer, pControls, dwFlags);
    },
    [](HMIXEROBJ hMixer, MIXERCONTROLDETAILS* pDetails, DWORD dwFlags) {
        return mixerGetControlDetailsA(hMixer, pDetails, dwFlags);
    },
    [](HMIXEROBJ hMixer, MIXERCONTROLDETAILS* pDetails, DWORD dwFlags) {
        return mixerSetControlDetails(hMixer, pDetails, dwFlags);
    },
};

const MixerHooks* g_pMixerHooks = nullptr;

const DWORD kMaxMixerChannels = 64;

// The installed entry, or the real call where there is none.
template <class Call>
Call Mixer(Call MixerHooks::*entry)
{
    return g_pMixerHooks != nullptr && g_pMixerHooks->*entry != nullptr ? g_pMixerHooks->*entry : kRealMixer.*entry;
}

// Mixer device 0, closed when the object goes.
class CMixer {
public:
    CMixer() { m_result = Mixer(&MixerHooks::pfnOpen)(&m_hMixer); }
    ~CMixer()
    {
        const auto pfnClose = Mixer(&MixerHooks::pfnClose);
        if (m_result == MMSYSERR_NOERROR)
            pfnClose(m_hMixer);
    }
    CMixer(const CMixer&) = delete;
    CMixer& operator=(const CMixer&) = delete;
    MMRESULT Result() const { return m_result; }
    HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(m_hMixer); }

private:
    HMIXER m_hMixer = nullptr;
    MMRESULT m_result;
};

// The control of the given type on the line of the given component type, and the number of channels its details
// are asked for, as the mixer interface documents it: 1 for a uniform control (one value for all channels), else
// the line's channel count. The routines hold two channel values: a control of one value stands for both, a line
// of more than two channels has its first two handled.
struct MixerControl {
    MMRESULT result = MMSYSERR_ERROR;
    DWORD controlId = 0;
    DWORD channels = 0;
};

MixerControl FindControl(const CMixer& mixer, DWORD componentType, DWORD controlType)
{
    MixerControl found;
    found.result = mixer.Result();
    if (found.result != MMSYSERR_NOERROR)
        return found;
    MIXERLINEA line;
    memset(&line, 0, sizeof line);
    line.cbStruct = sizeof line;
    line.dwComponentType = componentType;
    found.result = Mixer(&MixerHooks::pfnGetLineInfo)(mixer.Object(), &line,
                                                      MIXER_GETLINEINFOF_COMPONENTTYPE | MIXER_OBJECTF_HMIXER);
    if (found.result != MMSYSERR_NOERROR)
        return found;
    MIXERCONTROLA control;
    memset(&control, 0, sizeof control);
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSA controls;
    memset(&controls, 0, sizeof controls);
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = controlType;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    found.result = Mixer(&MixerHooks::pfnGetLineControls)(mixer.Object(), &controls,
                                                          MIXER_GETLINECONTROLSF_ONEBYTYPE | MIXER_OBJECTF_HMIXER);
    if (found.result != MMSYSERR_NOERROR)
        return found;
    found.controlId = control.dwControlID;
    // A line claiming more channels than any sound card has is asked as one, the documented form for handling all
    // channels alike.
    const bool bUniform = (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) != 0;
    found.channels = bUniform || line.cChannels == 0 || line.cChannels > kMaxMixerChannels ? 1 : line.cChannels;
    return found;
}

// Gets or sets the control's details, one DWORD per channel.
MMRESULT Details(const CMixer& mixer, const MixerControl& control, std::vector<DWORD>& values, bool bSet)
{
    MIXERCONTROLDETAILS details;
    memset(&details, 0, sizeof details);
    details.cbStruct = sizeof details;
    details.dwControlID = control.controlId;
    details.cChannels = control.channels;
    details.cbDetails = sizeof(DWORD);
    details.paDetails = values.data();
    if (bSet)
        return Mixer(&MixerHooks::pfnSetControlDetails)(mixer.Object(), &details,
                                                        MIXER_SETCONTROLDETAILSF_VALUE | MIXER_OBJECTF_HMIXER);
    return Mixer(&MixerHooks::pfnGetControlDetails)(mixer.Object(), &details,
                                                    MIXER_GETCONTROLDETAILSF_VALUE | MIXER_OBJECTF_HMIXER);
}

// The first two channel values; a control of one value gives it for both. Both 0 when anything fails.
MMRESULT GetValues(DWORD componentType, DWORD controlType, DWORD values[2])
{
    values[0] = values[1] = 0;
    CMixer mixer;
    const MixerControl control = FindControl(mixer, componentType, controlType);
    if (control.result != MMSYSERR_NOERROR)
        return control.result;
    std::vector<DWORD> all(control.channels, 0);
    const MMRESULT result = Details(mixer, control, all, false);
    if (result == MMSYSERR_NOERROR) {
        values[0] = all[0];
        values[1] = all.size() > 1 ? all[1] : all[0];
    }
    return result;
}

// Sets the first two channels (a control of one value takes the first value). The channels past the second keep
// their values when bKeepOthers is set, else take the second value.
MMRESULT SetValues(DWORD componentType, DWORD controlType, const DWORD values[2], bool bKeepOthers)
{
    CMixer mixer;
    const MixerControl control = FindControl(mixer, componentType, controlType);
    if (control.result != MMSYSERR_NOERROR)
        return control.result;
    std::vector<DWORD> all(control.channels, values[1]);
    if (bKeepOthers && all.size() > 2) {
        const MMRESULT result = Details(mixer, control, all, false);
        if (result != MMSYSERR_NOERROR)
            return result;
    }
    all[0] = values[0];
    if (all.size() > 1)
        all[1] = values[1];
    return Details(mixer, control, all, true);
}

} // namespace

const MixerHooks* SetMixerHooks(const MixerHooks* pHooks)
{
    const MixerHooks* pPrevious = g_pMixerHooks;
    g_pMixerHooks = pHooks;
    return pPrevious;
}

DWORD GetMixerVolume(DWORD dwComponentType)
{
    DWORD values[2];
    GetValues(dwComponentType, MIXERCONTROL_CONTROLTYPE_VOLUME, values);
    return ((values[0] & 0xFFFF) << 16) | (values[1] & 0xFFFF);
}

MMRESULT SetMixerVolume(DWORD dwComponentType, const DWORD* pdwVolume)
{
    if (pdwVolume == nullptr)
        return MMSYSERR_INVALPARAM;
    const DWORD values[2] = {*pdwVolume >> 16, *pdwVolume & 0xFFFF};
    return SetValues(dwComponentType, MIXERCONTROL_CONTROLTYPE_VOLUME, values, true);
}

MMRESULT SetMixerMute(DWORD dwComponentType, BYTE bMute)
{
    const DWORD values[2] = {bMute, bMute};
    return SetValues(dwComponentType, MIXERCONTROL_CONTROLTYPE_MUTE, values, false);
}

DWORD GetMixerMute(DWORD dwComponentType)
{
    DWORD values[2];
    GetValues(dwComponentType, MIXERCONTROL_CONTROLTYPE_MUTE, values);
    return values[0] | values[1];
}

void AppendLineCrLf(LPCSTR pszText, CString& rText)
{
    if (pszText != nullptr)
        rText += pszText;
    rText += "\r\n";
}
