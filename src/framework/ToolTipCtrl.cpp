// src/framework/ToolTipCtrl.cpp
#include "framework/ToolTipCtrl.h"

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND hParent = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
    HWND hWnd =
        ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, hParent, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr)
        return FALSE;
    return Attach(hWnd);
}

// The tool is named by the control's window handle; its owner is the control's parent.
BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCTSTR lpszText)
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return FALSE;
    TTTOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(pWnd->m_hWnd);
    info.uId = reinterpret_cast<UINT_PTR>(pWnd->m_hWnd);
    info.lpszText = const_cast<LPSTR>(lpszText);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

CString CToolTipCtrl::GetText(CWnd* pWnd) const
{
    char szText[256] = {};
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return CString();
    TTTOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.hwnd = ::GetParent(pWnd->m_hWnd);
    info.uId = reinterpret_cast<UINT_PTR>(pWnd->m_hWnd);
    info.lpszText = szText;
    SendMessage(TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    return CString(szText);
}
