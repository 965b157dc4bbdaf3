// src/framework/TestHooks.h
// Process-wide seams through which tests drive the window layer without real modal windows. In the program the
// hooks are never installed (AfxGetTestHooks() returns NULL) and every call behaves as in production.
#ifndef TAVISK_FRAMEWORK_TESTHOOKS_H
#define TAVISK_FRAMEWORK_TESTHOOKS_H

#include "framework/String.h"

#include <commdlg.h>
#include <functional>

class CDialog;

struct CTestHooks {
    // Answers a message box instead of showing one: gets the final text, caption (the application name when the
    // caller gave none) and MB_* type, returns the button id (IDOK, IDYES, ...).
    std::function<int(LPCTSTR text, LPCTSTR caption, UINT type)> messageBox;

    // Called once per modal dialog inside DoModal: after OnInitDialog, before the modal loop takes its first
    // message, and only when the window still exists. Tests post commands or drive controls from here.
    std::function<void(CDialog* dialog)> dialogReady;

    // Replaces the common file dialog. bOpen tells Open from Save As; ofn is what would have been shown (filter,
    // default extension, initial file name, flags). Returns TRUE with the chosen full path in path, or FALSE for
    // Cancel.
    std::function<BOOL(BOOL bOpen, const OPENFILENAMEA& ofn, CString& path)> chooseFile;

    // Replaces the print dialog. Gets the PRINTDLGA as prepared (flags include PD_RETURNDC); returns TRUE after
    // filling pd.hDC (the caller owns that DC), or FALSE for Cancel. hDevMode/hDevNames may stay NULL.
    std::function<BOOL(PRINTDLGA& pd)> choosePrinter;
};

// The installed hooks, or NULL (always NULL in the program).
CTestHooks* AfxGetTestHooks();

// Installs hooks for the whole process (NULL removes them); returns the previous ones. The caller keeps the
// struct alive while it is installed.
CTestHooks* AfxSetTestHooks(CTestHooks* pHooks);

#endif
