// src/framework/PropertySheet.cpp
#include "framework/PropertySheet.h"

#include "framework/App.h"
#include "framework/DialogHooks.h"

#include <vector>

CPropertyPage::CPropertyPage(UINT nIDTemplate) : CDialog(nIDTemplate) {}

CPropertyPage::~CPropertyPage() = default;

// The common control creates the page's window with this procedure; WM_INITDIALOG carries the page description,
// whose lParam is the object. From then on the layer's window procedure takes the messages.
INT_PTR CALLBACK CPropertyPage::PageProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_INITDIALOG || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    const PROPSHEETPAGEA* pDesc = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    CPropertyPage* pPage = pDesc != nullptr ? reinterpret_cast<CPropertyPage*>(pDesc->lParam) : nullptr;
    if (pPage == nullptr || !pPage->AttachObject(hWnd, TRUE))
        return FALSE;
    try {
        return static_cast<INT_PTR>(pPage->WindowProc(message, wParam, lParam));
    } catch (...) {
        AfxReportCallbackException("property page procedure");
        return TRUE;
    }
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

void CPropertyPage::OnOK() {}

void CPropertyPage::OnCancel() {}

// The sheet's notifications. The result goes back both as the window procedure's result (the layer's procedure
// answers the sender directly) and in DWLP_MSGRESULT, where the dialog convention expects it.
BOOL CPropertyPage::OnLayerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (message == WM_NOTIFY && lParam != 0 && m_pSheet != nullptr) {
        const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
        if (pHdr->hwndFrom == ::GetParent(m_hWnd)) {
            bool bHandled = true;
            switch (pHdr->code) {
            case PSN_SETACTIVE:
                lResult = 0;
                break;
            case PSN_KILLACTIVE:
                lResult = OnKillActive() ? FALSE : TRUE;
                break;
            case PSN_APPLY:
                OnOK();
                m_pSheet->m_bApplied = true;
                lResult = PSNRET_NOERROR;
                break;
            case PSN_RESET:
                OnCancel();
                lResult = 0;
                break;
            default:
                bHandled = false;
                break;
            }
            if (bHandled) {
                ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, lResult);
                return TRUE;
            }
        }
    }
    return CDialog::OnLayerMessage(message, wParam, lParam, lResult);
}

CPropertySheet::CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_strCaption(pszCaption != nullptr ? pszCaption : ""), m_nStartPage(iSelectPage)
{
    m_pParentWnd = pParentWnd;
}

CPropertySheet::~CPropertySheet()
{
    if (m_hWnd != nullptr) {
        HWND hWnd = Detach();
        ::DestroyWindow(hWnd);
    }
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (pPage == nullptr)
        return;
    pPage->m_pSheet = this;
    m_pages.Add(pPage);
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount())
        return FALSE;
    if (m_hWnd == nullptr) {
        m_nStartPage = static_cast<UINT>(nPage);
        return TRUE;
    }
    return static_cast<BOOL>(::SendMessageA(m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(nPage), 0));
}

int CPropertySheet::GetActiveIndex() const
{
    if (m_hWnd == nullptr)
        return static_cast<int>(m_nStartPage);
    HWND hPage = PropSheet_GetCurrentPageHwnd(m_hWnd);
    for (int i = 0; i < GetPageCount(); ++i)
        if (m_pages[i]->m_hWnd != nullptr && m_pages[i]->m_hWnd == hPage)
            return i;
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    int nIndex = GetActiveIndex();
    return nIndex >= 0 && nIndex < GetPageCount() ? m_pages[nIndex] : nullptr;
}

// Keyboard navigation across the tabs and the pages' controls.
BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
    if (m_hWnd == nullptr)
        return FALSE;
    return PropSheet_IsDialogMessage(m_hWnd, pMsg) ? TRUE : FALSE;
}

INT_PTR CPropertySheet::DoModal()
{
    if (m_hWnd != nullptr || GetPageCount() == 0)
        return -1;
    // The sheet and the common controls its pages may hold (up-down, tabs) need their classes registered.
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    std::vector<PROPSHEETPAGEA> descs(static_cast<size_t>(GetPageCount()));
    for (int i = 0; i < GetPageCount(); ++i) {
        PROPSHEETPAGEA& desc = descs[static_cast<size_t>(i)];
        desc = PROPSHEETPAGEA();
        desc.dwSize = sizeof(PROPSHEETPAGEA); // the control walks the array in steps of dwSize
        desc.dwFlags = m_pages[i]->m_dwPageFlags & ~PSP_HASHELP;
        desc.hInstance = AfxGetResourceHandle();
        desc.pszTemplate = MAKEINTRESOURCEA(m_pages[i]->m_nIDTemplate);
        desc.pfnDlgProc = &CPropertyPage::PageProc;
        desc.lParam = reinterpret_cast<LPARAM>(m_pages[i]);
    }
    HWND hOwner = ModalOwner();
    PROPSHEETHEADERA header = {};
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | (m_dwSheetFlags & ~PSH_HASHELP);
    header.hwndParent = hOwner;
    header.hInstance = AfxGetResourceHandle();
    header.pszCaption = m_strCaption;
    header.nPages = static_cast<UINT>(GetPageCount());
    header.nStartPage = m_nStartPage < header.nPages ? m_nStartPage : 0;
    header.ppsp = descs.data();

    m_bApplied = false;
    bool bEnableOwner = false;
    if (hOwner != nullptr && hOwner != ::GetDesktopWindow() && ::IsWindowEnabled(hOwner)) {
        ::EnableWindow(hOwner, FALSE);
        bEnableOwner = true;
    }
    HWND hSheet = reinterpret_cast<HWND>(::PropertySheetA(&header));
    if (hSheet == nullptr || hSheet == reinterpret_cast<HWND>(-1) || !AttachObject(hSheet, FALSE)) {
        if (hSheet != nullptr && hSheet != reinterpret_cast<HWND>(-1))
            ::DestroyWindow(hSheet);
        if (bEnableOwner)
            ::EnableWindow(hOwner, TRUE);
        return -1;
    }

    try {
        const DialogHooks* pHooks = GetDialogHooks();
        if (pHooks != nullptr && pHooks->pfnDialogReady != nullptr && PropSheet_GetCurrentPageHwnd(hSheet) != nullptr)
            pHooks->pfnDialogReady(pHooks->pContext, this);
        while (::IsWindow(hSheet) && PropSheet_GetCurrentPageHwnd(hSheet) != nullptr) {
            if (!AfxPumpMessage())
                break;
        }
    } catch (...) {
        if (bEnableOwner)
            ::EnableWindow(hOwner, TRUE);
        Detach();
        ::DestroyWindow(hSheet);
        throw;
    }

    if (::IsWindow(hSheet))
        ::SetWindowPos(hSheet, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (bEnableOwner)
        ::EnableWindow(hOwner, TRUE);
    if (hOwner != nullptr && ::GetActiveWindow() == hSheet)
        ::SetActiveWindow(hOwner);
    Detach();
    if (::IsWindow(hSheet))
        ::DestroyWindow(hSheet);
    return m_bApplied ? IDOK : IDCANCEL;
}
