// src/controls/HyperLink.cpp
#include "controls/HyperLink.h"

#include "framework/ComPtr.h"
#include "framework/Registry.h"
#include "framework/Shell.h"

#include <intshcut.h>
#include <isguids.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

namespace {

const COLORREF kLinkColour = RGB(0, 0, 255);
const COLORREF kVisitedColour = RGB(128, 0, 128);
const COLORREF kHoverColour = RGB(255, 0, 0);

const char kHttpOpenCommandKey[] = "http\\shell\\open\\command";

// Room of the path buffer the program part of the browser command is copied into.
const int kMaxBrowserPath = MAX_PATH;

// Shows the wait cursor while it lives.
class CWaitCursorScope {
public:
    CWaitCursorScope() : m_hPrevious(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
    ~CWaitCursorScope() { ::SetCursor(m_hPrevious); }
    CWaitCursorScope(const CWaitCursorScope&) = delete;
    CWaitCursorScope& operator=(const CWaitCursorScope&) = delete;

private:
    HCURSOR m_hPrevious;
};

// COM for the calling thread while it lives (nothing to undo when it was started before in another mode).
class CComScope {
public:
    CComScope() : m_hr(::CoInitialize(nullptr)) {}
    ~CComScope()
    {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;

private:
    HRESULT m_hr;
};

// The shell's internet shortcut object holding the address; empty when it cannot be made or does not take the
// address. COM must be started on the calling thread.
CComPtr<IUniformResourceLocatorA> UrlShortcut(const CString& strUrl)
{
    CComPtr<IUniformResourceLocatorA> url;
    if (FAILED(url.Create(CLSID_InternetShortcut, IID_IUniformResourceLocatorA)) ||
        FAILED(url->SetURL(strUrl, IURL_SETURL_FL_GUESS_PROTOCOL)))
        return CComPtr<IUniformResourceLocatorA>();
    return url;
}

} // namespace

// The hand cursor came with Windows 98 and 2000; before them the arrow stands in.
CHyperLink::CHyperLink()
    : m_hLinkCursor(::LoadCursor(nullptr, IDC_HAND)), m_crLink(kLinkColour), m_crVisited(kVisitedColour),
      m_crHover(kHoverColour), m_bTrackHover(TRUE), m_nState(stateNormal), m_nStateBeforeHover(stateNormal)
{
    if (m_hLinkCursor == nullptr)
        m_hLinkCursor = ::LoadCursor(nullptr, IDC_ARROW);
}

CHyperLink::~CHyperLink() = default;

COLORREF CHyperLink::GetCurrentColour() const
{
    switch (m_nState) {
    case stateVisited:
        return m_crVisited;
    case stateHover:
        return m_crHover;
    default:
        return m_crLink;
    }
}

void CHyperLink::SetLinkColour(const COLORREF* pColour)
{
    if (pColour != nullptr)
        m_crLink = *pColour;
    if (IsWindow())
        UpdateWindow();
}

void CHyperLink::SetVisitedColour(const COLORREF* pColour)
{
    if (pColour != nullptr)
        m_crVisited = *pColour;
    if (IsWindow())
        UpdateWindow();
}

void CHyperLink::SetHoverColour(const COLORREF* pColour)
{
    if (pColour != nullptr)
        m_crHover = *pColour;
    if (IsWindow())
        UpdateWindow();
}

void CHyperLink::SetHover(BOOL bHover)
{
    if (bHover) {
        if (m_nState != stateHover) {
            m_nStateBeforeHover = m_nState;
            m_nState = stateHover;
        }
    } else if (m_nState == stateHover) {
        m_nState = m_nStateBeforeHover;
    }
    if (IsWindow())
        Invalidate(TRUE);
}

// The static draws its text with its own font, whatever the colour request selected, so the underlined font also
// becomes the static's font; the static is painted again with it.
void CHyperLink::CreateLinkFont()
{
    if (m_linkFont.m_hObject != nullptr)
        return;
    LOGFONT lf = {};
    HGDIOBJ hFont = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
    if (hFont == nullptr)
        hFont = ::GetStockObject(SYSTEM_FONT);
    ::GetObject(hFont, sizeof(lf), &lf);
    lf.lfUnderline = 1;
    if (!m_linkFont.CreateFontIndirect(&lf))
        return;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont.m_hObject), FALSE);
    Invalidate(TRUE);
}

// The colour request of the static, reflected from the dialog. The static is made to report clicks; only text
// statics (left, centred, right) are coloured, icons and pictures are left to the dialog.
HBRUSH CHyperLink::CtlColor(CDC* pDC, UINT /*nCtlColor*/)
{
    if ((GetStyle() & SS_NOTIFY) == 0)
        ModifyStyle(0, SS_NOTIFY);
    if ((GetStyle() & 0xFF) > SS_RIGHT)
        return nullptr;
    CreateLinkFont();
    pDC->SelectObject(m_linkFont.m_hObject);
    pDC->SetTextColor(GetCurrentColour());
    pDC->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
}

LRESULT CHyperLink::OnSetCursorMsg(WPARAM, LPARAM)
{
    ::SetCursor(m_hLinkCursor);
    return TRUE;
}

// The mouse is captured while it is over the link, so that leaving is noticed.
LRESULT CHyperLink::OnMouseMoveMsg(WPARAM, LPARAM lParam)
{
    if (m_bTrackHover) {
        RECT rc;
        GetClientRect(&rc);
        const POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const bool bInside = ::PtInRect(&rc, pt) != FALSE;
        if (bInside && m_nState != stateHover) {
            ::SetCapture(m_hWnd);
            m_nStateBeforeHover = m_nState;
            m_nState = stateHover;
            Invalidate(TRUE);
        } else if (!bInside && m_nState == stateHover) {
            LeaveHover();
        }
    }
    return Default();
}

void CHyperLink::LeaveHover()
{
    if (m_nState == stateHover) {
        m_nState = m_nStateBeforeHover;
        Invalidate(TRUE);
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

// No menu: the hover state ends.
LRESULT CHyperLink::OnContextMenuMsg(WPARAM, LPARAM)
{
    LeaveHover();
    return 0;
}

// The link opens from its own command, after the click has been handled. A click that reaches the link only
// because it holds the mouse (outside its window) is not a click on the link.
LRESULT CHyperLink::OnLButtonDownMsg(WPARAM, LPARAM lParam)
{
    RECT rc;
    GetClientRect(&rc);
    const POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (!::PtInRect(&rc, pt)) {
        LeaveHover();
        return 0;
    }
    PostMessage(WM_COMMAND, ID_HYPERLINK_OPEN, 0);
    return 0;
}

// Opened while the mouse is over the link, the link turns visited when the mouse leaves it.
void CHyperLink::OnOpenCommand()
{
    if (!OpenUrl())
        return;
    if (m_nState == stateHover)
        m_nStateBeforeHover = stateVisited;
    else
        m_nState = stateVisited;
}

// A link without a registered browser does nothing.
BOOL CHyperLink::OpenUrl()
{
    CWaitCursorScope wait;
    const CString strBrowser = GetDefaultBrowserCommand();
    if (strBrowser.IsEmpty())
        return FALSE;
    HWND hParent = IsWindow() ? ::GetParent(m_hWnd) : nullptr;
    HINSTANCE hResult = ShellExecuteCall(hParent, nullptr, strBrowser, m_strUrl, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(hResult) > 32;
}

BOOL CHyperLink::ShellOpen()
{
    HWND hParent = IsWindow() ? ::GetParent(m_hWnd) : nullptr;
    HINSTANCE hResult = ShellExecuteCall(hParent, nullptr, m_strBrowserCommand, m_strUrl, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(hResult) > 32;
}

CString CHyperLink::GetDefaultBrowserCommand()
{
    if (!m_strBrowserCommand.IsEmpty())
        return m_strBrowserCommand;
    CRegistryKey key;
    CString strCommandLine;
    if (key.Open(HKEY_CLASSES_ROOT, kHttpOpenCommandKey, KEY_READ) == ERROR_SUCCESS &&
        key.QueryString(nullptr, strCommandLine) == ERROR_SUCCESS)
        m_strBrowserCommand = ParseBrowserCommand(strCommandLine);
    return m_strBrowserCommand;
}

CString CHyperLink::ParseBrowserCommand(const CString& strCommandLine)
{
    CString strLine = strCommandLine;
    bool bQuoted = false;
    if (!strLine.IsEmpty() && (strLine[0] == '"' || strLine[0] == ' ')) {
        bQuoted = strLine[0] == '"';
        strLine = strLine.Mid(1);
    }
    int nEnd = -1;
    if (bQuoted) {
        nEnd = strLine.Find('"');
    } else {
        const int nLastBackslash = strLine.ReverseFind('\\');
        for (int i = nLastBackslash + 1; i < strLine.GetLength(); ++i) {
            if (strLine[i] == ' ' || strLine[i] == '"') {
                nEnd = i;
                break;
            }
        }
    }
    const CString strProgram = nEnd >= 0 ? strLine.Left(nEnd) : strLine;
    if (strProgram.IsEmpty() || strProgram.GetLength() >= kMaxBrowserPath)
        return CString();
    if (strProgram.Find(' ') >= 0)
        return CString("\"") + strProgram + "\"";
    return strProgram;
}

// The window is fitted to its text (in the link font), keeping its centre with SS_CENTER and SS_CENTERIMAGE and
// its right edge with SS_RIGHT; then the static paints itself with the link colours.
void CHyperLink::OnPaint()
{
    FitToText();
    Default();
}

void CHyperLink::FitToText()
{
    if (!IsWindow())
        return;
    HWND hParent = ::GetParent(m_hWnd);
    RECT rcWindow;
    GetWindowRect(&rcWindow);
    RECT rcClient;
    GetClientRect(&rcClient);
    if (hParent != nullptr)
        ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rcWindow), 2);
    CString strText;
    GetWindowText(strText);
    SIZE extent = {0, 0};
    {
        CClientDC dc(this);
        CreateLinkFont();
        CSelectObjectGuard font(dc, m_linkFont.m_hObject);
        extent = dc.GetTextExtent(strText);
    }
    const int nFrameX = (rcWindow.right - rcWindow.left) - (rcClient.right - rcClient.left);
    const int nFrameY = (rcWindow.bottom - rcWindow.top) - (rcClient.bottom - rcClient.top);
    const int nWidth = extent.cx + nFrameX;
    const int nHeight = extent.cy + nFrameY;
    const DWORD dwStyle = GetStyle();
    RECT rcNew = rcWindow;
    if (dwStyle & SS_CENTERIMAGE) {
        const int nDelta = ((rcWindow.bottom - rcWindow.top) - nHeight) / 2;
        rcNew.top = rcWindow.top + nDelta;
        rcNew.bottom = rcWindow.bottom - nDelta;
    } else {
        rcNew.bottom = rcWindow.top + nHeight;
    }
    const DWORD dwType = dwStyle & SS_TYPEMASK;
    if (dwType == SS_CENTER) {
        const int nDelta = ((rcWindow.right - rcWindow.left) - nWidth) / 2;
        rcNew.left = rcWindow.left + nDelta;
        rcNew.right = rcWindow.right - nDelta;
    } else if (dwType == SS_RIGHT) {
        rcNew.left = rcWindow.right - nWidth;
    } else {
        rcNew.right = rcWindow.left + nWidth;
    }
    if (::EqualRect(&rcNew, &rcWindow))
        return;
    SetWindowPos(nullptr, rcNew.left, rcNew.top, rcNew.right - rcNew.left, rcNew.bottom - rcNew.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The text is drawn without a background: the parent paints the background again where the text stood before.
    if (hParent != nullptr) {
        RECT rcBoth;
        ::UnionRect(&rcBoth, &rcWindow, &rcNew);
        ::InvalidateRect(hParent, &rcBoth, TRUE);
    }
}

BOOL CHyperLink::CopyUrlToClipboard()
{
    if (!::OpenClipboard(m_hWnd))
        return FALSE;
    ::EmptyClipboard();
    BOOL bDone = FALSE;
    const SIZE_T nSize = static_cast<SIZE_T>(m_strUrl.GetLength()) + 1;
    HGLOBAL hMem = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, nSize);
    if (hMem != nullptr) {
        void* pData = ::GlobalLock(hMem);
        if (pData != nullptr) {
            std::memcpy(pData, static_cast<LPCSTR>(m_strUrl), nSize);
            ::GlobalUnlock(hMem);
            bDone = ::SetClipboardData(CF_TEXT, hMem) != nullptr;
        }
        if (!bDone)
            ::GlobalFree(hMem);
    }
    ::CloseClipboard();
    return bDone;
}

BOOL CHyperLink::CreateInternetShortcut(const CString& strPath)
{
    CComScope com;
    const CComPtr<IUniformResourceLocatorA> url = UrlShortcut(m_strUrl);
    if (!url)
        return FALSE;
    CComPtr<IPersistFile> file;
    if (FAILED(file.QueryFrom(url.get(), IID_IPersistFile)))
        return FALSE;
    WCHAR wszPath[MAX_PATH];
    if (::MultiByteToWideChar(CP_ACP, 0, strPath, -1, wszPath, MAX_PATH) == 0)
        return FALSE;
    return SUCCEEDED(file->Save(wszPath, TRUE));
}

BOOL CHyperLink::AddToFavorites(int nFolder)
{
    CWaitCursorScope wait;
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(m_hWnd, nFolder, &pidl)) || pidl == nullptr)
        return FALSE;
    char szFolder[MAX_PATH] = {};
    const BOOL bHavePath = ::SHGetPathFromIDListA(pidl, szFolder);
    ::CoTaskMemFree(pidl);
    if (!bHavePath)
        return FALSE;
    CString strText;
    GetWindowText(strText);
    CString strPath = CString(szFolder) + "\\" + strText + ".URL";
    if (strPath.GetLength() >= MAX_PATH)
        return FALSE;
    return CreateInternetShortcut(strPath);
}

BOOL CHyperLink::OpenWithShortcut()
{
    CComScope com;
    const CComPtr<IUniformResourceLocatorA> url = UrlShortcut(m_strUrl);
    if (!url)
        return FALSE;
    URLINVOKECOMMANDINFOA info = {};
    info.dwcbSize = sizeof(info);
    info.dwFlags = IURL_INVOKECOMMAND_FL_ALLOW_UI;
    info.hwndParent = IsWindow() ? ::GetParent(m_hWnd) : nullptr;
    info.pcszVerb = "open";
    return SUCCEEDED(url->InvokeCommand(&info));
}
