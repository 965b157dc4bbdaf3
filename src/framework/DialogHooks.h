// src/framework/DialogHooks.h
// The seam through which tests drive the window layer without real modal windows: message boxes, the moment a
// modal dialog is ready, and the file and print dialogs. In the program no table is installed and every call
// behaves as in production.
#ifndef TAVISK_FRAMEWORK_DIALOGHOOKS_H
#define TAVISK_FRAMEWORK_DIALOGHOOKS_H

#include "framework/String.h"

#include <windows.h>
#include <commdlg.h>

class CDialog;

// Each entry gets the table's pContext first. A null entry keeps the real behaviour.
struct DialogHooks {
    void* pContext;

    // Answers a message box instead of showing one: gets the final text, caption (the application name when the
    // caller gave none) and MB_* type, returns the button id (IDOK, IDYES, ...).
    int (*pfnMessageBox)(void* pContext, LPCTSTR pszText, LPCTSTR pszCaption, UINT nType);

    // Called once per modal dialog inside DoModal: after OnInitDialog, before the modal loop takes its first
    // message, and only when the window still exists. Tests post commands or drive controls from here.
    void (*pfnDialogReady)(void* pContext, CDialog* pDialog);

    // Replaces the common file dialog. bOpen tells Open from Save As; ofn is what would have been shown (filter,
    // default extension, initial file name, flags). Returns TRUE with the chosen full path in strPath, or FALSE
    // for Cancel.
    BOOL (*pfnChooseFile)(void* pContext, BOOL bOpen, const OPENFILENAMEA& ofn, CString& strPath);

    // Replaces the print dialog. Gets the PRINTDLGA as prepared (flags include PD_RETURNDC); returns TRUE after
    // filling pd.hDC (the caller owns that DC), or FALSE for Cancel. hDevMode/hDevNames may stay null.
    BOOL (*pfnChoosePrinter)(void* pContext, PRINTDLGA& pd);

    // Replaces a popup menu: gets the menu as it would open and its owner window; returns the id of the command
    // chosen, or 0 when the menu is dismissed. The choice is delivered as the menu delivers it.
    UINT (*pfnTrackPopupMenu)(void* pContext, HMENU hMenu, HWND hOwner);
};

// Installs a hook table for the whole process (kept by pointer); null restores the real dialogs. Returns the table
// that was in use. Tests install it from the user-interface thread before any window exists.
const DialogHooks* SetDialogHooks(const DialogHooks* pHooks);

// The installed table, or null (always null in the program).
const DialogHooks* GetDialogHooks();

#endif
