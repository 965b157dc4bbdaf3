// src/app/HelpFile.h
// Opening the help file of the sibling disc utility's installation, or bringing its open help window forward.
#ifndef TAVISK_APP_HELPFILE_H
#define TAVISK_APP_HELPFILE_H

#include <windows.h>

class CDriveManager;

// How the help finds and raises an open help window; the defaults are FindWindowA, and BringWindowToTop with
// SetForegroundWindow. The help file itself is opened through the framework's shell seam (Shell.h).
struct HelpWindowHooks {
    HWND (*pfnFindWindow)(LPCSTR pszClass, LPCSTR pszTitle);
    BOOL (*pfnBringToFront)(HWND hWnd);
};

// Installs a hook table (kept by pointer); null restores the real calls, and so does a null entry. Returns the
// table that was in use.
const HelpWindowHooks* SetHelpWindowHooks(const HelpWindowHooks* pHooks);

// Brings a window titled "QRVMZ Help" forward, or opens the help file (CDriveManager::GetHelpFilePath). A shell
// failure is shown in an error box owned by hWndOwner: "Out of memory", "Helpfile not found", "Path not found" or
// "Not a Windows executable"; other failures show nothing. Returns true when the help was shown.
bool ShowHelp(HWND hWndOwner, CDriveManager& manager);

#endif
