// src/framework/Wnd.cpp
#include "framework/Wnd.h"

#include "framework/App.h"
#include "framework/DataExchange.h"
#include "framework/Exceptions.h"
#include "framework/HandleMap.h"
#include "framework/MessageBox.h"

namespace {

// The window property that points from an HWND to its object.
const char kObjectProp[] = "TaviskFwObject";
// The layer's own window class (CreateEx without a class name).
const char kLayerClass[] = "TaviskFwWnd";

// The object CreateEx is creating on this thread; AfxWndProc binds it on the new window's first message.
thread_local CWnd* t_pWndInit = nullptr;

CTempHandleMap<CWnd, HWND>& TempWindows()
{
    static CTempHandleMap<CWnd, HWND> map([](CWnd& wnd, HWND hWnd) { wnd.m_hWnd = hWnd; });
    return map;
}

// Saves and restores the message an object is handling, so that Default() can pass it on, also when a handler
// throws.
class CCurrentMessageScope {
public:
    CCurrentMessageScope(const MSG*& slot, const MSG* pMsg) : m_slot(slot), m_pSaved(slot) { m_slot = pMsg; }
    ~CCurrentMessageScope() { m_slot = m_pSaved; }
    CCurrentMessageScope(const CCurrentMessageScope&) = delete;
    CCurrentMessageScope& operator=(const CCurrentMessageScope&) = delete;

private:
    const MSG*& m_slot;
    const MSG* m_pSaved;
};

// Which child a notification to its parent comes from, per message kind; null = none.
HWND ReflectionSource(UINT message, WPARAM /*wParam*/, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
        return lParam ? reinterpret_cast<LPNMHDR>(lParam)->hwndFrom : nullptr;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* pDraw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return pDraw && pDraw->CtlType != ODT_MENU ? pDraw->hwndItem : nullptr;
    }
    default:
        return nullptr;
    }
}

} // namespace

CWnd::CWnd() = default;

// A window still bound to the object is let go of first (so that its last messages no longer reach a half-destroyed
// object) and then destroyed, as the class library does. Temporary wrappers never own their window.
CWnd::~CWnd()
{
    if (m_hWnd != nullptr && m_bAttached) {
        HWND hWnd = Detach();
        if (::IsWindow(hWnd))
            ::DestroyWindow(hWnd);
    }
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    return static_cast<CWnd*>(::GetPropA(hWnd, kObjectProp));
}

// Temporary wrappers of windows that have died are dropped now and then; a wrapper handed out stays valid at least
// as long as its window.
CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* pWnd = FromHandlePermanent(hWnd))
        return pWnd;
    CTempHandleMap<CWnd, HWND>& temps = TempWindows();
    if (temps.GetCount() > 256)
        temps.Purge([](HWND h) { return !::IsWindow(h); });
    return temps.Get(hWnd);
}

BOOL CWnd::AttachObject(HWND hWnd, BOOL bSubclass)
{
    if (hWnd == nullptr || m_hWnd != nullptr || !::IsWindow(hWnd) || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    if (!::SetPropA(hWnd, kObjectProp, this))
        return FALSE;
    m_hWnd = hWnd;
    m_bAttached = true;
    if (bSubclass) {
        PreSubclassWindow();
        WNDPROC pfnOld = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
        if (pfnOld != &CWnd::AfxWndProc)
            m_pfnSuper = pfnOld;
        m_bSubclassed = true;
    }
    return TRUE;
}

BOOL CWnd::Attach(HWND hWndNew)
{
    return AttachObject(hWndNew, FALSE);
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    return AttachObject(hWnd, TRUE);
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (pParent == nullptr)
        return FALSE;
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

// Restores the original window procedure (when ours is still installed) and unbinds the object.
HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr)
        return nullptr;
    if (m_bAttached) {
        if (m_bSubclassed && m_pfnSuper != nullptr &&
            reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) == &CWnd::AfxWndProc)
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        ::RemovePropA(hWnd, kObjectProp);
    }
    m_hWnd = nullptr;
    m_bAttached = false;
    m_bSubclassed = false;
    m_pfnSuper = nullptr;
    return hWnd;
}

HWND CWnd::UnsubclassWindow()
{
    return Detach();
}

void CWnd::PreSubclassWindow() {}

void CWnd::PostNcDestroy() {}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    if (m_hWnd != nullptr)
        return FALSE;
    HINSTANCE hInstance = AfxGetInstanceHandle();
    HWND hParent = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
    HMENU hMenu = (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)) : nullptr;
    int cx = rect.right - rect.left;
    int cy = rect.bottom - rect.top;
    if (lpszClassName == nullptr) {
        WNDCLASSA wc = {};
        if (!::GetClassInfoA(hInstance, kLayerClass, &wc)) {
            wc.style = CS_DBLCLKS;
            wc.hInstance = hInstance;
            wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = kLayerClass;
            wc.lpfnWndProc = &CWnd::AfxWndProc;
            if (!::RegisterClassA(&wc))
                return FALSE;
        }
        CWnd* pSaved = t_pWndInit;
        t_pWndInit = this;
        HWND hWnd = ::CreateWindowExA(dwExStyle, kLayerClass, lpszWindowName, dwStyle, rect.left, rect.top, cx, cy,
                                      hParent, hMenu, hInstance, lpParam);
        t_pWndInit = pSaved;
        return hWnd != nullptr && m_hWnd == hWnd;
    }
    HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, cx, cy,
                                  hParent, hMenu, hInstance, lpParam);
    if (hWnd == nullptr)
        return FALSE;
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

// A window that is only attached (not subclassed) sends us no WM_NCDESTROY, so the object lets go of it here.
BOOL CWnd::DestroyWindow()
{
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr)
        return FALSE;
    BOOL bResult = ::DestroyWindow(hWnd);
    if (m_hWnd == hWnd && !::IsWindow(hWnd)) {
        ::RemovePropA(hWnd, kObjectProp);
        m_hWnd = nullptr;
        m_bAttached = false;
        m_bSubclassed = false;
        m_pfnSuper = nullptr;
    }
    return bResult;
}

// The window procedure of every window that has an object. Nothing may leave it by exception: DWARF unwinding
// cannot cross the system's frames, so an exception is reported here and the message counts as handled.
LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr) {
        pWnd = t_pWndInit;
        if (pWnd == nullptr || !pWnd->AttachObject(hWnd, FALSE))
            return ::DefWindowProcA(hWnd, message, wParam, lParam);
        t_pWndInit = nullptr;
        pWnd->m_bSubclassed = true;
        pWnd->m_pfnSuper = ::DefWindowProcA;
    }
    LRESULT lResult = 0;
    try {
        lResult = pWnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        AfxReportCallbackException("window procedure");
        lResult = 0;
    }
    if (message == WM_NCDESTROY && FromHandlePermanent(hWnd) == pWnd)
        pWnd->ReleaseAfterNcDestroy();
    return lResult;
}

void CWnd::ReleaseAfterNcDestroy()
{
    Detach();
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
    PostNcDestroy();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG current = {};
    current.hwnd = m_hWnd;
    current.message = message;
    current.wParam = wParam;
    current.lParam = lParam;
    CCurrentMessageScope scope(m_pCurrentMsg, &current);
    LRESULT lResult = 0;
    if (!DispatchMessageToObject(message, wParam, lParam, lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

// Order of offers: the UpdateData lockout, the child control's object (reflection), this object's message map, the
// layer's own handling of the class. FALSE = nobody took it, the default procedure runs.
BOOL CWnd::DispatchMessageToObject(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (m_nNotifyLockout > 0 && ((message == WM_COMMAND && lParam != 0) || message == WM_NOTIFY)) {
        lResult = 0;
        return TRUE;
    }
    if (ReflectToChild(message, wParam, lParam, lResult))
        return TRUE;
    if (ProcessWindowMessage(m_hWnd, message, wParam, lParam, lResult))
        return TRUE;
    return OnLayerMessage(message, wParam, lParam, lResult);
}

BOOL CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    HWND hChild = ReflectionSource(message, wParam, lParam);
    if (hChild == nullptr || hChild == m_hWnd)
        return FALSE;
    CWnd* pChild = FromHandlePermanent(hChild);
    if (pChild == nullptr)
        return FALSE;
    return pChild->ProcessWindowMessage(hChild, OCM__BASE + message, wParam, lParam, lResult);
}

BOOL CWnd::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return FALSE;
}

BOOL CWnd::OnLayerMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

// The default procedure for the message being handled (CWnd::OnClose etc. in the class library).
LRESULT CWnd::Default()
{
    if (m_pCurrentMsg == nullptr)
        return 0;
    return DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

// Control notifications (WM_COMMAND from a control, WM_NOTIFY) to this window are dropped while the exchange runs:
// an EN_CHANGE handler that reads the fields back must not run while they are being filled.
BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    ++m_nNotifyLockout;
    BOOL bOK = FALSE;
    try {
        DoDataExchange(&dx);
        bOK = TRUE;
    } catch (const CDataExchangeFailure&) {
        bOK = FALSE;
    } catch (...) {
        --m_nNotifyLockout;
        throw;
    }
    --m_nNotifyLockout;
    return bOK;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD dwStyle = GetStyle();
    DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongPtr(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(dwNewStyle));
    if (nFlags != 0)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD dwStyle = GetExStyle();
    DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongPtr(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(dwNewStyle));
    if (nFlags != 0)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::SetParent(CWnd* pWndNewParent)
{
    return FromHandle(::SetParent(m_hWnd, pWndNewParent != nullptr ? pWndNewParent->m_hWnd : nullptr));
}

// The first window up the parent chain that is not a child window.
CWnd* CWnd::GetTopLevelParent() const
{
    HWND hWnd = m_hWnd;
    while (hWnd != nullptr && (::GetWindowLongPtr(hWnd, GWL_STYLE) & WS_CHILD)) {
        HWND hParent = ::GetParent(hWnd);
        if (hParent == nullptr)
            break;
        hWnd = hParent;
    }
    return FromHandle(hWnd);
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    HWND hItem = ::GetDlgItem(m_hWnd, nID);
    rString.Empty();
    if (hItem == nullptr)
        return 0;
    int nLength = ::GetWindowTextLength(hItem);
    ::GetWindowText(hItem, rString.GetBuffer(nLength + 1), nLength + 1);
    rString.ReleaseBuffer();
    return rString.GetLength();
}

void CWnd::GetWindowText(CString& rString) const
{
    int nLength = ::GetWindowTextLength(m_hWnd);
    ::GetWindowText(m_hWnd, rString.GetBuffer(nLength + 1), nLength + 1);
    rString.ReleaseBuffer();
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}

void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}

// Centres over the owner (or the given window), or over the work area when there is none.
void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    RECT rcWindow;
    ::GetWindowRect(m_hWnd, &rcWindow);
    HWND hCenter = pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd : nullptr;
    if (hCenter == nullptr)
        hCenter = (GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
    RECT rcArea;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rcCenter = rcArea;
    if (hCenter != nullptr && ::IsWindowVisible(hCenter) && !::IsIconic(hCenter))
        ::GetWindowRect(hCenter, &rcCenter);
    int cx = rcWindow.right - rcWindow.left;
    int cy = rcWindow.bottom - rcWindow.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - cx / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - cy / 2;
    if (x + cx > rcArea.right)
        x = rcArea.right - cx;
    if (x < rcArea.left)
        x = rcArea.left;
    if (y + cy > rcArea.bottom)
        y = rcArea.bottom - cy;
    if (y < rcArea.top)
        y = rcArea.top;
    if (GetStyle() & WS_CHILD) {
        POINT pt = {x, y};
        ::ScreenToClient(::GetParent(m_hWnd), &pt);
        x = pt.x;
        y = pt.y;
    }
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

CWnd* CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}

CWnd* CWnd::SetActiveWindow()
{
    return FromHandle(::SetActiveWindow(m_hWnd));
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const
{
    HMENU hMenu = ::GetSystemMenu(m_hWnd, bRevert);
    return hMenu != nullptr ? CMenu::FromHandle(hMenu) : nullptr;
}

CMenu* CWnd::GetMenu() const
{
    HMENU hMenu = ::GetMenu(m_hWnd);
    return hMenu != nullptr ? CMenu::FromHandle(hMenu) : nullptr;
}

CFont* CWnd::GetFont() const
{
    HFONT hFont = reinterpret_cast<HFONT>(::SendMessage(m_hWnd, WM_GETFONT, 0, 0));
    return hFont != nullptr ? CFont::FromHandle(hFont) : nullptr;
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    return AfxShowMessageBox(m_hWnd, lpszText, lpszCaption, nType);
}

// Reports the exception being handled at a callback boundary: to the exception reporter (debugger log) and in one
// message box. A second failure while that box is up (its own messages run through the same procedures) is only
// logged, so that one fault gives one box.
void AfxReportCallbackException(LPCTSTR pszWhere)
{
    static LONG s_nShowing = 0;
    CString strMessage;
    try {
        strMessage = AfxDescribeCurrentException();
        AfxReportException(pszWhere, strMessage);
    } catch (...) {
        return;
    }
    if (::InterlockedExchange(&s_nShowing, 1) != 0)
        return;
    try {
        CString strText = "An internal error occurred:\n\n";
        strText += strMessage;
        AfxMessageBox(strText, MB_OK | MB_ICONERROR);
    } catch (...) {
    }
    ::InterlockedExchange(&s_nShowing, 0);
}

// Walks from the message's window up to its top-level window, offering the message to each object on the way.
BOOL AfxPreTranslateMessage(MSG* pMsg)
{
    try {
        for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
            CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
            if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
                return TRUE;
            if (!(::GetWindowLongPtr(hWnd, GWL_STYLE) & WS_CHILD))
                break;
        }
    } catch (...) {
        AfxReportCallbackException("message filter");
        return TRUE;
    }
    return FALSE;
}

void AfxDispatchMessage(MSG* pMsg)
{
    if (!AfxPreTranslateMessage(pMsg)) {
        ::TranslateMessage(pMsg);
        ::DispatchMessageA(pMsg);
    }
}

BOOL AfxPumpMessage()
{
    MSG msg;
    BOOL bGot = ::GetMessageA(&msg, nullptr, 0, 0);
    if (bGot == -1)
        return FALSE;
    if (bGot == 0) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return FALSE;
    }
    AfxDispatchMessage(&msg);
    return TRUE;
}

BOOL AfxPumpWaitingMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return FALSE;
        }
        AfxDispatchMessage(&msg);
    }
    return TRUE;
}
