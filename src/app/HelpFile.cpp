// src/app/HelpFile.cpp
// The help file: an open help window is brought forward, else the file is opened through the shell.
#include "app/HelpFile.h"

#include "drive/DriveManager.h"
#include "framework/MessageBox.h"
#include "framework/Shell.h"
#include "framework/String.h"
#include "resource.h"

namespace {

const char kHelpWindowTitle[] = "QRVMZ Help";

const HelpWindowHooks* g_pHelpWindowHooks = nullptr;

HWND FindHelpWindow()
{
    const HelpWindowHooks* pHooks = g_pHelpWindowHooks;
    if (pHooks != nullptr && pHooks->pfnFindWindow != nullptr)
        return pHooks->pfnFindWindow(nullptr, kHelpWindowTitle);
    return FindWindowA(nullptr, kHelpWindowTitle);
}

BOOL BringToFront(HWND hWnd)
{
    const HelpWindowHooks* pHooks = g_pHelpWindowHooks;
    if (pHooks != nullptr && pHooks->pfnBringToFront != nullptr)
        return pHooks->pfnBringToFront(hWnd);
    BOOL top = BringWindowToTop(hWnd);
    return SetForegroundWindow(hWnd) && top;
}

} // namespace

const HelpWindowHooks* SetHelpWindowHooks(const HelpWindowHooks* pHooks)
{
    const HelpWindowHooks* pPrevious = g_pHelpWindowHooks;
    g_pHelpWindowHooks = pHooks;
    return pPrevious;
}

bool ShowHelp(HWND hWndOwner, CDriveManager& manager)
{
    HWND hHelp = FindHelpWindow();
    if (hHelp != nullptr) {
        BringToFront(hHelp);
        return true;
    }
    CString path = manager.GetHelpFilePath();
    INT_PTR result =
        reinterpret_cast<INT_PTR>(ShellExecuteCall(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL));
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
