// src/app/HelpFile.cpp
// The help file: an open help window is brought forward, else the file is opened through the shell.
#include "app/HelpFile.h"

#include <shellapi.h>

#include "drive/DriveManager.h"
#include "framework/MessageBox.h"
#include "framework/String.h"
#include "resource.h"

namespace {

const char kHelpWindowTitle[] = "QRVMZ Help";

BOOL BringToFront(HWND hWnd)
{
    BOOL top = BringWindowToTop(hWnd);
    return SetForegroundWindow(hWnd) && top;
}

} // namespace

const HelpShell g_HelpShellDefault = {FindWindowA, BringToFront, ShellExecuteA};
HelpShell g_HelpShell = g_HelpShellDefault;

bool ShowHelp(HWND hWndOwner, CDriveManager& manager)
{
    HWND hHelp = g_HelpShell.pfnFindWindow(NULL, kHelpWindowTitle);
    if (hHelp != NULL) {
        g_HelpShell.pfnBringToFront(hHelp);
        return true;
    }
    CString path = manager.GetHelpFilePath();
    INT_PTR result =
        reinterpret_cast<INT_PTR>(g_HelpShell.pfnShellExecute(NULL, "open", path, NULL, NULL, SW_SHOWNORMAL));
    // ShellExecute reports success with a value above 32; 32 and below are error codes.
    if (result > 32)
        return true;
    UINT message = 0;
    switch (result) {
    case 0:
        message = IDS_HELP_OUT_OF_MEMORY;
        break;
    case ERROR_FILE_NOT_FOUND:
        message = IDS_HELP_NOT_FOUND;
        break;
    case ERROR_PATH_NOT_FOUND:
        message = IDS_HELP_PATH_NOT_FOUND;
        break;
    case ERROR_BAD_FORMAT:
        message = IDS_HELP_BAD_FORMAT;
        break;
    default:
        return false;
    }
    CString text;
    if (!text.LoadString(message))
        text.Empty();
    AfxShowMessageBox(hWndOwner, text, "", MB_OK | MB_ICONERROR);
    return false;
}
