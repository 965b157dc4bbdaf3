// src/framework/Dialog.cpp
#include "framework/Dialog.h"

#include "framework/App.h"
#include "framework/DialogHooks.h"

namespace {

// Command ids that the class library routes on from a dialog to its parent when the dialog does not handle them
// (menu and accelerator commands; system commands start at 0xF000).
bool IsRoutedCommandId(UINT nID)
{
    return nID >= 0x8000 && nID <= 0xDFFF;
}

} // namespace

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_pParentWnd(pParentWnd), m_nIDTemplate(nIDTemplate) {}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd) : m_pParentWnd(pParentWnd)
{
    if (IS_INTRESOURCE(lpszTemplateName))
        m_nIDTemplate = static_cast<UINT>(reinterpret_cast<UINT_PTR>(lpszTemplateName));
    else
        m_strTemplateName = lpszTemplateName;
}

CDialog::~CDialog() = default;

LPCTSTR CDialog::TemplateName() const
{
    if (!m_strTemplateName.IsEmpty())
        return m_strTemplateName;
    return MAKEINTRESOURCEA(m_nIDTemplate);
}

// The dialog manager's procedure for the layer's dialogs. It only binds the object when WM_INITDIALOG arrives
// (the object pointer is the creation parameter) and takes over the window procedure; from then on every message,
// WM_INITDIALOG included, runs through AfxWndProc and the message map, and this procedure answers FALSE so that
// the dialog manager does its default handling.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_INITDIALOG || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    CDialog* pDialog = reinterpret_cast<CDialog*>(lParam);
    if (pDialog == nullptr || !pDialog->AttachObject(hWnd, TRUE))
        return FALSE;
    try {
        return static_cast<INT_PTR>(pDialog->WindowProc(message, wParam, lParam));
    } catch (...) {
        AfxReportCallbackException("dialog procedure");
        return TRUE;
    }
}

HWND CDialog::CreateFromTemplate(HWND hWndParent)
{
    return ::CreateDialogParamA(AfxGetResourceHandle(), TemplateName(), hWndParent, &CDialog::DialogProc,
                                reinterpret_cast<LPARAM>(this));
}

// The owner of a modal dialog: the parent's top-level window; without a parent, the main window's last active
// pop-up (a pop-up cannot be owned by a child window).
HWND CDialog::ModalOwner() const
{
    HWND hWnd = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    bool bExplicit = hWnd != nullptr;
    if (!bExplicit) {
        CWnd* pMain = AfxGetMainWnd();
        if (pMain != nullptr && pMain != this)
            hWnd = pMain->m_hWnd;
    }
    while (hWnd != nullptr && (::GetWindowLongPtr(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    if (!bExplicit && hWnd != nullptr)
        hWnd = ::GetLastActivePopup(hWnd);
    return hWnd;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd != nullptr)
        return -1;
    HWND hOwner = ModalOwner();
    bool bEnableOwner = false;
    if (hOwner != nullptr && hOwner != ::GetDesktopWindow() && ::IsWindowEnabled(hOwner)) {
        ::EnableWindow(hOwner, FALSE);
        bEnableOwner = true;
    }
    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;

    try {
        if (CreateFromTemplate(hOwner) != nullptr && m_hWnd != nullptr && !m_bEndModal) {
            const DialogHooks* pHooks = GetDialogHooks();
            if (pHooks != nullptr && pHooks->pfnDialogReady != nullptr)
                pHooks->pfnDialogReady(pHooks->pContext, this);
            RunModalLoop();
        }
    } catch (...) {
        if (bEnableOwner)
            ::EnableWindow(hOwner, TRUE);
        m_bModal = false;
        if (m_hWnd != nullptr)
            DestroyWindow();
        throw;
    }

    // Hide first, give the owner back its input and activation, then destroy, so that activation does not wander
    // to another program's window.
    if (m_hWnd != nullptr)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (bEnableOwner)
        ::EnableWindow(hOwner, TRUE);
    if (hOwner != nullptr && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hOwner);
    if (m_hWnd != nullptr)
        DestroyWindow();
    m_bModal = false;
    return m_nModalResult;
}

// The modal loop. It ends when EndDialog was called or the window is gone. The dialog is shown the first time the
// queue runs empty, as the class library does (so messages posted from OnInitDialog run before the first paint, and
// a dialog cannot stay hidden by hiding itself in OnInitDialog). A WM_QUIT ends the loop and is posted again for the
// loop outside.
void CDialog::RunModalLoop()
{
    bool bShowPending = true;
    MSG msg;
    while (!m_bEndModal && m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        if (bShowPending && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            bShowPending = false;
            if (m_hWnd != nullptr && !m_bEndModal) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
            }
            continue;
        }
        if (!AfxPumpMessage())
            break;
    }
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    m_strTemplateName.Empty();
    return Create(TemplateName(), pParentWnd);
}

BOOL CDialog::Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
{
    if (m_hWnd != nullptr)
        return FALSE;
    if (IS_INTRESOURCE(lpszTemplateName)) {
        m_nIDTemplate = static_cast<UINT>(reinterpret_cast<UINT_PTR>(lpszTemplateName));
        m_strTemplateName.Empty();
    } else {
        m_strTemplateName = lpszTemplateName;
    }
    if (pParentWnd == nullptr) {
        CWnd* pMain = AfxGetMainWnd();
        if (pMain != this)
            pParentWnd = pMain;
    }
    m_pParentWnd = pParentWnd;
    m_bModal = false;
    m_bEndModal = false;
    HWND hParent = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
    return CreateFromTemplate(hParent) != nullptr && m_hWnd != nullptr;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal) {
        m_nModalResult = nResult;
        if (!m_bEndModal) {
            m_bEndModal = true;
            if (m_hWnd != nullptr)
                PostMessage(WM_NULL);
        }
    } else if (m_hWnd != nullptr) {
        ShowWindow(SW_HIDE);
    }
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (pWndCtrl != nullptr)
        ::SendMessage(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), 1);
}

// Keyboard and mouse input of a top-level dialog goes through IsDialogMessage (Tab, Enter, Esc, mnemonics).
// Child dialogs leave it to their top-level dialog, which with DS_CONTROL children navigates across them.
BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (m_hWnd == nullptr || (GetStyle() & WS_CHILD))
        return FALSE;
    bool bInput = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                  (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    if (!bInput)
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

// What a dialog does with a message its map left alone: WM_INITDIALOG -> OnInitDialog; IDOK/IDCANCEL -> OnOK/
// OnCancel; an unhandled menu-range command goes on to the parent (and from there up), as the class library routes
// it. Nothing else is passed to the parent: WM_APP messages mean different things to different windows.
BOOL CDialog::OnLayerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (message == WM_INITDIALOG) {
        lResult = OnInitDialog();
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    UINT nID = LOWORD(wParam);
    UINT nCode = HIWORD(wParam);
    bool bCommand = nCode == BN_CLICKED || lParam == 0;
    if (!bCommand)
        return FALSE;
    if (nID == IDOK) {
        OnOK();
        lResult = 0;
        return TRUE;
    }
    if (nID == IDCANCEL) {
        OnCancel();
        lResult = 0;
        return TRUE;
    }
    if (IsRoutedCommandId(nID)) {
        HWND hParent = ::GetParent(m_hWnd);
        if (hParent != nullptr && hParent != m_hWnd) {
            lResult = ::SendMessage(hParent, WM_COMMAND, wParam, lParam);
            return TRUE;
        }
    }
    return FALSE;
}
