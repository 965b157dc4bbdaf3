// src/app/HelpFile.h
// Opening the help file of the sibling disc utility's installation, or bringing its open help window forward.
#ifndef TAVISK_APP_HELPFILE_H
#define TAVISK_APP_HELPFILE_H

#include <windows.h>

class CDriveManager;

// How the help reaches the shell; the defaults are FindWindowA, BringWindowToTop, SetForegroundWindow and
// ShellExecuteA. Tests replace ShellExecute so that no help viewer starts.
struct HelpShell {
    HWND(WINAPI* pfnFindWindow)(LPCSTR pszClass, LPCSTR pszTitle);
    BOOL (*pfnBringToFront)(HWND hWnd);
    HINSTANCE(WINAPI* pfnShellExecute)
    (HWND hWnd, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParameters, LPCSTR pszDirectory, INT nShow);
};
extern HelpShell g_HelpShell;
extern const HelpShell g_HelpShellDefault;

// Brings a window titled "QRVMZ Help" forward, or opens the help file (CDriveManager::GetHelpFilePath). A shell
// failure is shown in an error box owned by hWndOwner: "Out of memory", "Helpfile not found", "Path not found" or
// "Not a Windows executable"; other failures show nothing. Returns true when the help was shown.
bool ShowHelp(HWND hWndOwner, CDriveManager& manager);

#endif
