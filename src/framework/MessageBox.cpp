// src/framework/MessageBox.cpp
#include "framework/MessageBox.h"

#include "framework/App.h"
#include "framework/String.h"
#include "framework/DialogHooks.h"
#include "framework/Wnd.h"

int AfxShowMessageBox(HWND hWndOwner, LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    LPCTSTR pszCaption = lpszCaption != nullptr ? lpszCaption : AfxGetAppName();
    LPCTSTR pszText = lpszText != nullptr ? lpszText : "";
    const DialogHooks* pHooks = GetDialogHooks();
    if (pHooks != nullptr && pHooks->pfnMessageBox != nullptr)
        return pHooks->pfnMessageBox(pHooks->pContext, pszText, pszCaption, nType);
    return ::MessageBoxA(hWndOwner, pszText, pszCaption, nType);
}

namespace {

// The window a box from AfxMessageBox belongs to: the program's active window, else the last active pop-up of the
// main window, else none.
HWND DefaultOwner()
{
    HWND hActive = ::GetActiveWindow();
    if (hActive != nullptr)
        return hActive;
    CWnd* pMain = AfxGetMainWnd();
    if (pMain != nullptr && pMain->m_hWnd != nullptr && ::IsWindow(pMain->m_hWnd))
        return ::GetLastActivePopup(pMain->m_hWnd);
    return nullptr;
}

UINT WithDefaultIcon(UINT nType)
{
    if ((nType & MB_ICONMASK) != 0)
        return nType;
    switch (nType & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
        return nType | MB_ICONEXCLAMATION;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return nType | MB_ICONQUESTION;
    default:
        return nType;
    }
}

} // namespace

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT /*nIDHelp*/)
{
    return AfxShowMessageBox(DefaultOwner(), lpszText, nullptr, WithDefaultIcon(nType));
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString strPrompt;
    strPrompt.LoadString(nIDPrompt);
    return AfxMessageBox(strPrompt, nType, nIDHelp);
}
