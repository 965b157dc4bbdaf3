// src/framework/WindowsVersion.h
// The Windows version as the program reads it everywhere: the extended record first, the plain one when the
// system refuses the extended size (Windows 95, NT 4.0 before Service Pack 4), and the family tests built on it.
// The seam is a table with GetVersionExA, whose default is the real call; tests pin a version through it.
#ifndef TAVISK_FRAMEWORK_WINDOWSVERSION_H
#define TAVISK_FRAMEWORK_WINDOWSVERSION_H

#include <windows.h>

struct WindowsVersionHooks {
    BOOL (*pfnGetVersionExA)(OSVERSIONINFOA* pInfo);
};

// Installs a hook table (kept by pointer); null restores the real call. A null entry falls back to the real call.
// Returns the table that was in use.
const WindowsVersionHooks* SetWindowsVersionHooks(const WindowsVersionHooks* pHooks);

// Fills the extended record (dwOSVersionInfoSize 156), or only its plain part (size 148, the rest zero) when the
// extended size is refused. FALSE, with the record zeroed, when both are refused.
BOOL AfxGetWindowsVersion(OSVERSIONINFOEXA* pInfo);

// Family tests on the version above (all false when it cannot be read).
bool AfxIsWin9xPlatform(); // Windows 95, 98, Me
bool AfxIsNTPlatform();    // any NT
bool AfxIsNT5Family();     // NT 5.x: Windows 2000, XP, Server 2003
bool AfxIsWindows2000();   // NT 5.0 exactly

#endif
