// src/report/ShellMixerSettings.h
// Small system routines kept beside the report: the shell's autorun policy for drive types, the default verb of
// audio CDs, the volume and mute state of a line of the first audio mixer, and appending a line with its line
// break. Each stands alone; failures are told only through the results.
#ifndef TAVISK_REPORT_SHELLMIXERSETTINGS_H
#define TAVISK_REPORT_SHELLMIXERSETTINGS_H

#include "framework/Framework.h"

#include <windows.h>

#include <mmsystem.h>

// Size of the buffer handed to GetAudioCDShellVerb.
const int kAudioCdVerbSize = 100;

// The first byte of HKCU\...\Policies\Explorer "NoDriveTypeAutoRun"; 0 when the keys or the value are missing.
signed char GetNoDriveTypeAutoRun();
// Writes the low byte of the value and three zero bytes as a 4-byte binary value, creating the keys; returns the
// error of the first key when that cannot be created, otherwise the result of writing the value (which fails when
// a later key could not be created).
LONG SetNoDriveTypeAutoRun(DWORD dwValue);

// The default value of HKCR\AudioCD\shell into the buffer (kAudioCdVerbSize characters, always terminated); an
// empty text when it cannot be read, the buffer unchanged when the key or value is missing. Returns the buffer.
char* GetAudioCDShellVerb(char* pszVerb);
// Writes the text as the default value of HKCR\AudioCD\shell (its length without the terminator), creating the
// keys; returns the Windows result.
LONG SetAudioCDShellVerb(LPCSTR pszVerb);

// Volumes of two channels as one number: the first channel in the high 16 bits, the second in the low 16 bits.
// The mixer line is chosen by its component type (MIXERLINE_COMPONENTTYPE_...) on mixer device 0. A control that
// has one value (a uniform control, or a line of one channel) gives it for both channels; a line of more than two
// channels gives its first two.
DWORD GetMixerVolume(DWORD dwComponentType);
// Sets the line's volume from the two channel values at pdwVolume: a control of one value takes the first, the
// channels past the second of a larger line keep theirs. Returns the mixer result that ended the work.
MMRESULT SetMixerVolume(DWORD dwComponentType, const DWORD* pdwVolume);
// Sets the line's mute control on all its channels; returns the mixer result that ended the work.
MMRESULT SetMixerMute(DWORD dwComponentType, BYTE bMute);
// The mute values of the line's first two channels ORed together; 0 when anything fails.
DWORD GetMixerMute(DWORD dwComponentType);

// The seam of the mixer routines: the winmm calls on mixer device 0. Tests stand in for a mixer with it.
struct MixerHooks {
    MMRESULT (*pfnOpen)(HMIXER* phMixer);
    MMRESULT (*pfnClose)(HMIXER hMixer);
    MMRESULT (*pfnGetLineInfo)(HMIXEROBJ hMixer, MIXERLINEA* pLine, DWORD dwFlags);
    MMRESULT (*pfnGetLineControls)(HMIXEROBJ hMixer, MIXERLINECONTROLSA* pControls, DWORD dwFlags);
    MMRESULT (*pfnGetControlDetails)(HMIXEROBJ hMixer, MIXERCONTROLDETAILS* pDetails, DWORD dwFlags);
    MMRESULT (*pfnSetControlDetails)(HMIXEROBJ hMixer, MIXERCONTROLDETAILS* pDetails, DWORD dwFlags);
};

// Installs a hook table (kept by pointer); null restores the real calls, and so does a null entry. Returns the
// table that was in use.
const MixerHooks* SetMixerHooks(const MixerHooks* pHooks);

// Appends the text (nothing for a null pointer) and "\r\n".
void AppendLineCrLf(LPCSTR pszText, CString& rText);

#endif
