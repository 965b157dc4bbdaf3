// src/framework/Wnd.h
// CWnd: a wrapper of an HWND with the class library's interface, and the message maps that dispatch to it.
//
// Messages reach an object through one virtual, ProcessWindowMessage, which a class fills with the macros below:
//
//     class CMyDlg : public CDialog {
//         BEGIN_MSG_MAP(CMyDlg)
//             ON_WM_TIMER()                               // void OnTimer(UINT_PTR nIDEvent)
//             ON_BN_CLICKED(1002, OnSave)                 // void OnSave()
//             ON_COMMAND(32773, OnCheckFirmware)          // menu/accelerator/button command: void f()
//             ON_MESSAGE(WM_APP + 10, OnUpdateDone)       // LRESULT f(WPARAM, LPARAM)
//             CHAIN_MSG_MAP(CDialog)
//         END_MSG_MAP()
//     };
//
// A message the map leaves alone goes to the layer's own handling of the class (CDialog: WM_INITDIALOG ->
// OnInitDialog, IDOK -> OnOK, IDCANCEL -> OnCancel, ...) and then to the window's default procedure, so chaining to
// CDialog is optional. Default() runs the default procedure from inside a handler.
//
// WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*, WM_DRAWITEM and WM_H/VSCROLL from a child control that has an object
// (subclassed with DDX_Control or SubclassDlgItem) are first offered to that object as OCM_* messages
// (ON_CONTROL_REFLECT, ON_NOTIFY_REFLECT, ON_WM_CTLCOLOR_REFLECT); when it handles one, the parent does not see it.
#ifndef TAVISK_FRAMEWORK_WND_H
#define TAVISK_FRAMEWORK_WND_H

#include "framework/Gdi.h"
#include "framework/String.h"

#include <windows.h>

#ifndef OCM__BASE
#define OCM__BASE (WM_USER + 0x1c00)
#endif
#ifndef OCM_COMMAND
#define OCM_COMMAND (OCM__BASE + WM_COMMAND)
#define OCM_CTLCOLORBTN (OCM__BASE + WM_CTLCOLORBTN)
#define OCM_CTLCOLOREDIT (OCM__BASE + WM_CTLCOLOREDIT)
#define OCM_CTLCOLORDLG (OCM__BASE + WM_CTLCOLORDLG)
#define OCM_CTLCOLORLISTBOX (OCM__BASE + WM_CTLCOLORLISTBOX)
#define OCM_CTLCOLORMSGBOX (OCM__BASE + WM_CTLCOLORMSGBOX)
#define OCM_CTLCOLORSCROLLBAR (OCM__BASE + WM_CTLCOLORSCROLLBAR)
#define OCM_CTLCOLORSTATIC (OCM__BASE + WM_CTLCOLORSTATIC)
#define OCM_DRAWITEM (OCM__BASE + WM_DRAWITEM)
#define OCM_HSCROLL (OCM__BASE + WM_HSCROLL)
#define OCM_VSCROLL (OCM__BASE + WM_VSCROLL)
#define OCM_NOTIFY (OCM__BASE + WM_NOTIFY)
#endif

class CDataExchange;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }
    BOOL operator==(const CWnd& other) const { return other.m_hWnd == m_hWnd; }
    BOOL operator!=(const CWnd& other) const { return other.m_hWnd != m_hWnd; }

    // The object attached to hWnd, or null (FromHandlePermanent); FromHandle falls back to a non-owning temporary
    // wrapper that lives as long as the window.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Attach binds the object to a window without taking over its messages; SubclassWindow also routes the
    // window's messages through this object's message map. Both return FALSE when hWnd is no window or already has
    // an object. The object destroys an attached window in its destructor unless it was detached first.
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();
    virtual void PreSubclassWindow();

    // Creates a window of the layer's own class (lpszClassName null) or of a registered class, routed through
    // this object from its first message (own class) or right after creation (other classes).
    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();

    // Message dispatch (see the head of this file).
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Data exchange between the object's members and its controls; FALSE when a validation failed.
    // Control notifications to this window are locked out while it runs.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    // Window functions.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessage(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessage(m_hWnd, message, wParam, lParam);
    }
    BOOL IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtr(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtr(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* pWndNewParent);
    CWnd* GetTopLevelParent() const;
    CWnd* GetDlgItem(int nID) const;
    HWND GetDlgItemHwnd(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessage(m_hWnd, nID, message, wParam, lParam);
    }
    void SetDlgItemText(int nID, LPCTSTR lpszString) { ::SetDlgItemText(m_hWnd, nID, lpszString); }
    int GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE) { ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned); }
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const
    {
        return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
    }
    void CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
    UINT IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
    void SetWindowText(LPCTSTR lpszString) { ::SetWindowText(m_hWnd, lpszString); }
    int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const
    {
        return ::GetWindowText(m_hWnd, lpszStringBuf, nMaxCount);
    }
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const { return ::GetWindowTextLength(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE)
    {
        MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
    }
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
    }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
    void ScreenToClient(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
    void ClientToScreen(LPRECT lpRect) const;
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, HRGN hrgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    {
        return ::RedrawWindow(m_hWnd, lpRectUpdate, hrgnUpdate, flags);
    }
    void SetRedraw(BOOL bRedraw = TRUE) { ::SendMessage(m_hWnd, WM_SETREDRAW, bRedraw, 0); }
    CWnd* SetFocus();
    static CWnd* GetFocus();
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    CWnd* SetActiveWindow();
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr)
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    CMenu* GetSystemMenu(BOOL bRevert) const;
    CMenu* GetMenu() const;
    void DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
    {
        return reinterpret_cast<HICON>(
            ::SendMessage(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
    }
    HICON GetIcon(BOOL bBigIcon) const
    {
        return reinterpret_cast<HICON>(::SendMessage(m_hWnd, WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
    }
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE)
    {
        ::SendMessage(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->m_hObject : nullptr), bRedraw);
    }
    CFont* GetFont() const;

    // The application's message box with this window as owner; no caption = the application's name.
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // The window procedure every window of the layer runs through (exception barrier included).
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Base handlers for the cracked-message macros (ON_WM_CLOSE ...): each passes the message being handled to the
    // default procedure, so that a derived handler can end with CDialog::OnClose() and the like.
    void OnClose() { Default(); }
    void OnDestroy() { Default(); }
    void OnPaint() { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnShowWindow(BOOL, UINT) { Default(); }
    BOOL OnDeviceChange(UINT, DWORD_PTR) { return static_cast<BOOL>(Default()); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }

    // The layer's own handling of a message the map left alone, before the default procedure.
    virtual BOOL OnLayerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    // Called after the window is gone (WM_NCDESTROY) and the object let go of it; may delete the object.
    virtual void PostNcDestroy();
    // Binds the object to the window and, with bSubclass, takes over its window procedure.
    BOOL AttachObject(HWND hWnd, BOOL bSubclass);

    WNDPROC m_pfnSuper = nullptr;

private:
    friend class CDialog;
    BOOL DispatchMessageToObject(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    BOOL ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    void ReleaseAfterNcDestroy();

    bool m_bAttached = false;   // the window's property points at this object
    bool m_bSubclassed = false; // the window procedure is AfxWndProc
    int m_nNotifyLockout = 0;   // UpdateData is running: control notifications are dropped
    const MSG* m_pCurrentMsg = nullptr;
};

// The window procedure exception barrier: reports the exception being handled (the debugger log through
// AfxReportException, and one message box at a time). Call only inside a catch block.
void AfxReportCallbackException(LPCTSTR pszWhere);

// Offers a message taken from the queue to the PreTranslateMessage of the objects from its window up to the top-level
// window (dialogs run IsDialogMessage there). TRUE = consumed, do not dispatch.
BOOL AfxPreTranslateMessage(MSG* pMsg);

// Offers a message to AfxPreTranslateMessage and, when it is not consumed, translates and dispatches it.
void AfxDispatchMessage(MSG* pMsg);

// Waits for one message and dispatches it. FALSE when WM_QUIT came (it is posted again) or GetMessage failed.
BOOL AfxPumpMessage();

// Takes and dispatches the messages that are waiting, without blocking. FALSE when WM_QUIT came (it is posted again).
BOOL AfxPumpWaitingMessages();

// clang-format off
// ---- Message-map macros ----------------------------------------------------------------------------------------

#define BEGIN_MSG_MAP(theClass)                                                                                      \
public:                                                                                                              \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override        \
    {                                                                                                                \
        (void)hWnd;

#define END_MSG_MAP()                                                                                                \
        return FALSE;                                                                                                \
    }

#define CHAIN_MSG_MAP(theChainClass)                                                                                 \
    if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                                    \
        return TRUE;

#define CHAIN_MSG_MAP_MEMBER(theChainMember)                                                                         \
    if ((theChainMember).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                                  \
        return TRUE;

// Class-library forms with the usual handler signatures.

// LRESULT func(WPARAM, LPARAM)
#define ON_MESSAGE(msg, func)                                                                                        \
    if (uMsg == (msg)) {                                                                                             \
        lResult = func(wParam, lParam);                                                                              \
        return TRUE;                                                                                                 \
    }

// void func(): a menu item, an accelerator or a button click (notification code 0, or no control).
#define ON_COMMAND(id, func)                                                                                         \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && (HIWORD(wParam) == 0 || lParam == 0)) {                      \
        func();                                                                                                      \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }

// void func(UINT nID)
#define ON_COMMAND_RANGE(idFirst, idLast, func)                                                                      \
    if (uMsg == WM_COMMAND && LOWORD(wParam) >= (idFirst) && LOWORD(wParam) <= (idLast) &&                           \
        (HIWORD(wParam) == 0 || lParam == 0)) {                                                                      \
        func(LOWORD(wParam));                                                                                        \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }

// void func(): notification code from control id (EN_CHANGE, CBN_SELCHANGE, LBN_DBLCLK, ...)
#define ON_CONTROL(code, id, func)                                                                                   \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code) && lParam != 0) {                   \
        func();                                                                                                      \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }

#define ON_BN_CLICKED(id, func) ON_CONTROL_OR_COMMAND(BN_CLICKED, id, func)
#define ON_EN_CHANGE(id, func) ON_CONTROL(EN_CHANGE, id, func)
#define ON_EN_UPDATE(id, func) ON_CONTROL(EN_UPDATE, id, func)
#define ON_EN_KILLFOCUS(id, func) ON_CONTROL(EN_KILLFOCUS, id, func)
#define ON_CBN_SELCHANGE(id, func) ON_CONTROL(CBN_SELCHANGE, id, func)
#define ON_LBN_SELCHANGE(id, func) ON_CONTROL(LBN_SELCHANGE, id, func)
#define ON_LBN_DBLCLK(id, func) ON_CONTROL(LBN_DBLCLK, id, func)

// BN_CLICKED also arrives without a control (IDOK/IDCANCEL from the keyboard, posted commands).
#define ON_CONTROL_OR_COMMAND(code, id, func)                                                                        \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) {                                  \
        func();                                                                                                      \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }

// void func(NMHDR* pNMHDR, LRESULT* pResult)
#define ON_NOTIFY(code, id, func)                                                                                    \
    if (uMsg == WM_NOTIFY && reinterpret_cast<LPNMHDR>(lParam)->idFrom == static_cast<UINT_PTR>(id) &&              \
        reinterpret_cast<LPNMHDR>(lParam)->code == static_cast<UINT>(code)) {                                        \
        lResult = 0;                                                                                                 \
        func(reinterpret_cast<LPNMHDR>(lParam), &lResult);                                                           \
        return TRUE;                                                                                                 \
    }

// In a control's own map: void func() for the notification its parent received.
#define ON_CONTROL_REFLECT(code, func)                                                                               \
    if (uMsg == OCM_COMMAND && HIWORD(wParam) == (code)) {                                                           \
        func();                                                                                                      \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }

// void func(NMHDR* pNMHDR, LRESULT* pResult)
#define ON_NOTIFY_REFLECT(code, func)                                                                                \
    if (uMsg == OCM_NOTIFY && reinterpret_cast<LPNMHDR>(lParam)->code == static_cast<UINT>(code)) {                  \
        lResult = 0;                                                                                                 \
        func(reinterpret_cast<LPNMHDR>(lParam), &lResult);                                                           \
        return TRUE;                                                                                                 \
    }

// HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) in the control; a null brush leaves the message to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                                                     \
    if (uMsg >= OCM_CTLCOLORMSGBOX && uMsg <= OCM_CTLCOLORSTATIC) {                                                  \
        CDC dcReflect;                                                                                               \
        dcReflect.m_hDC = reinterpret_cast<HDC>(wParam);                                                             \
        HBRUSH hbrReflect = CtlColor(&dcReflect, uMsg - OCM_CTLCOLORMSGBOX);                                          \
        dcReflect.m_hDC = nullptr;                                                                                   \
        if (hbrReflect != nullptr) {                                                                                 \
            lResult = reinterpret_cast<LRESULT>(hbrReflect);                                                         \
            return TRUE;                                                                                             \
        }                                                                                                            \
    }

// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) in the parent.
#define ON_WM_CTLCOLOR()                                                                                             \
    if (uMsg >= WM_CTLCOLORMSGBOX && uMsg <= WM_CTLCOLORSTATIC) {                                                    \
        CDC dcCtl;                                                                                                   \
        dcCtl.m_hDC = reinterpret_cast<HDC>(wParam);                                                                 \
        lResult = reinterpret_cast<LRESULT>(                                                                         \
            OnCtlColor(&dcCtl, CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), uMsg - WM_CTLCOLORMSGBOX));         \
        dcCtl.m_hDC = nullptr;                                                                                       \
        return TRUE;                                                                                                 \
    }

// Cracked window messages, handler names as in the class library.
#define ON_WM_TIMER()                                                                                                \
    if (uMsg == WM_TIMER) {                                                                                          \
        OnTimer(static_cast<UINT_PTR>(wParam));                                                                      \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }
#define ON_WM_PAINT()                                                                                                \
    if (uMsg == WM_PAINT) {                                                                                          \
        OnPaint();                                                                                                   \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }
#define ON_WM_CLOSE()                                                                                                \
    if (uMsg == WM_CLOSE) {                                                                                          \
        OnClose();                                                                                                   \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }
#define ON_WM_DESTROY()                                                                                              \
    if (uMsg == WM_DESTROY) {                                                                                        \
        OnDestroy();                                                                                                 \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }
// void OnSize(UINT nType, int cx, int cy)
#define ON_WM_SIZE()                                                                                                 \
    if (uMsg == WM_SIZE) {                                                                                           \
        OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));   \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }
// void OnGetMinMaxInfo(MINMAXINFO* lpMMI)
#define ON_WM_GETMINMAXINFO()                                                                                        \
    if (uMsg == WM_GETMINMAXINFO) {                                                                                  \
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));                                                      \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }
// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                                                                                           \
    if (uMsg == WM_SYSCOMMAND) {                                                                                     \
        OnSysCommand(static_cast<UINT>(wParam), lParam);                                                             \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }
// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                                                        \
    if (uMsg == WM_QUERYDRAGICON) {                                                                                  \
        lResult = reinterpret_cast<LRESULT>(OnQueryDragIcon());                                                      \
        return TRUE;                                                                                                 \
    }
// BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData)
#define ON_WM_DEVICECHANGE()                                                                                         \
    if (uMsg == WM_DEVICECHANGE) {                                                                                   \
        lResult = OnDeviceChange(static_cast<UINT>(wParam), static_cast<DWORD_PTR>(lParam));                         \
        return TRUE;                                                                                                 \
    }
// void OnShowWindow(BOOL bShow, UINT nStatus)
#define ON_WM_SHOWWINDOW()                                                                                           \
    if (uMsg == WM_SHOWWINDOW) {                                                                                     \
        OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));                                          \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }
// void OnHScroll / OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar)
#define ON_WM_HSCROLL()                                                                                              \
    if (uMsg == WM_HSCROLL) {                                                                                        \
        OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)),                                                \
                  lParam ? CWnd::FromHandle(reinterpret_cast<HWND>(lParam)) : nullptr);                             \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }
#define ON_WM_VSCROLL()                                                                                              \
    if (uMsg == WM_VSCROLL) {                                                                                        \
        OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)),                                                \
                  lParam ? CWnd::FromHandle(reinterpret_cast<HWND>(lParam)) : nullptr);                             \
        lResult = 0;                                                                                                 \
        return TRUE;                                                                                                 \
    }

// clang-format on
#endif
