// src/framework/Gdi.cpp
#include "framework/Gdi.h"

#include "framework/App.h"
#include "framework/DialogHooks.h"
#include "framework/HandleMap.h"
#include "framework/Wnd.h"

#include <cstdlib>
#include <cstring>

namespace {

// A temporary wrapper shows a handle it does not own: the previous one is let go of, never deleted, and the wrapper
// gives up the handle before it is destroyed (the map stores NULL first).
template <class TObject, class THandle>
void WrapUnowned(TObject& object, THandle handle)
{
    object.Detach();
    object.Attach(handle);
}

CTempHandleMap<CGdiObject, HGDIOBJ>& TempGdiObjects()
{
    static CTempHandleMap<CGdiObject, HGDIOBJ> map(&WrapUnowned<CGdiObject, HGDIOBJ>);
    return map;
}

CTempHandleMap<CFont, HGDIOBJ>& TempFonts()
{
    static CTempHandleMap<CFont, HGDIOBJ> map(&WrapUnowned<CFont, HGDIOBJ>);
    return map;
}

CTempHandleMap<CMenu, HMENU>& TempMenus()
{
    static CTempHandleMap<CMenu, HMENU> map(&WrapUnowned<CMenu, HMENU>);
    return map;
}

} // namespace

// ---- CSelectObjectGuard ----

void CSelectObjectGuard::Select(HGDIOBJ hObject)
{
    if (hObject == nullptr)
        return;
    HGDIOBJ hPrevious = ::SelectObject(m_hDC, hObject);
    if (!m_selection.IsCreated())
        m_selection.Attach(DcSelection{m_hDC, hPrevious});
}

// ---- CGdiObject ----

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (hObject == nullptr)
        return FALSE;
    m_owner.Attach(hObject);
    return TRUE;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_owner.IsCreated())
        return FALSE;
    return m_owner.Close();
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject)
{
    return hObject != nullptr ? TempGdiObjects().Get(hObject) : nullptr;
}

// ---- CFont ----

BOOL CFont::CreateFontIndirect(const LOGFONT* lpLogFont)
{
    return Attach(::CreateFontIndirect(lpLogFont));
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, LPCTSTR lpszFacename)
{
    return Attach(::CreateFont(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, cStrikeOut,
                               nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreatePointFont(int nPointSize, LPCTSTR lpszFaceName, CDC* pDC)
{
    LOGFONT logFont;
    std::memset(&logFont, 0, sizeof(logFont));
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = nPointSize;
    if (lpszFaceName != nullptr)
        lstrcpynA(logFont.lfFaceName, lpszFaceName, LF_FACESIZE);
    return CreatePointFontIndirect(&logFont, pDC);
}

// lfHeight comes in tenths of a point and becomes a character height in logical units of the DC (the screen when
// none is given): -MulDiv(LOGPIXELSY, tenths, 720) in MM_TEXT, e.g. -12 for 9 points at 96 dpi.
BOOL CFont::CreatePointFontIndirect(const LOGFONT* lpLogFont, CDC* pDC)
{
    CWindowDcOwner screen;
    if (pDC == nullptr)
        screen.Attach(WindowDc{nullptr, ::GetDC(nullptr)});
    HDC hDC = pDC != nullptr ? pDC->m_hDC : screen.get().hDC;
    LOGFONT logFont = *lpLogFont;
    POINT pt = {0, ::MulDiv(::GetDeviceCaps(hDC, LOGPIXELSY), logFont.lfHeight, 720)};
    ::DPtoLP(hDC, &pt, 1);
    POINT ptOrigin = {0, 0};
    ::DPtoLP(hDC, &ptOrigin, 1);
    logFont.lfHeight = -std::abs(pt.y - ptOrigin.y);
    return CreateFontIndirect(&logFont);
}

CFont* CFont::FromHandle(HFONT hFont)
{
    return hFont != nullptr ? TempFonts().Get(hFont) : nullptr;
}

// ---- CBitmap ----

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    return Attach(::LoadBitmap(AfxGetResourceHandle(), MAKEINTRESOURCE(nIDResource)));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

// ---- CDC ----

CDC::~CDC()
{
    if (m_bOwnsDC)
        DeleteDC();
}

BOOL CDC::Attach(HDC hDC)
{
    if (hDC == nullptr)
        return FALSE;
    m_hDC = hDC;
    m_bOwnsDC = true;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC hDC = m_hDC;
    m_hDC = nullptr;
    m_bOwnsDC = false;
    return hDC;
}

BOOL CDC::DeleteDC()
{
    if (m_hDC == nullptr)
        return FALSE;
    return ::DeleteDC(Detach());
}

BOOL CDC::CreateDC(LPCTSTR lpszDriverName, LPCTSTR lpszDeviceName, LPCTSTR lpszOutput, const DEVMODE* lpInitData)
{
    return Attach(::CreateDC(lpszDriverName, lpszDeviceName, lpszOutput, lpInitData));
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    return Attach(::CreateCompatibleDC(pDC != nullptr ? pDC->m_hDC : nullptr));
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject)
{
    HGDIOBJ hOld = ::SelectObject(m_hDC, pObject != nullptr ? pObject->m_hObject : nullptr);
    return CGdiObject::FromHandle(hOld);
}

CFont* CDC::SelectObject(CFont* pFont)
{
    HGDIOBJ hOld = ::SelectObject(m_hDC, pFont != nullptr ? pFont->m_hObject : nullptr);
    return CFont::FromHandle(static_cast<HFONT>(hOld));
}

int CDC::SelectStockObject(int nIndex)
{
    return ::SelectObject(m_hDC, ::GetStockObject(nIndex)) != nullptr;
}

CFont* CDC::GetCurrentFont() const
{
    return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT)));
}

SIZE CDC::GetTextExtent(LPCTSTR lpszString, int nCount) const
{
    SIZE size = {0, 0};
    ::GetTextExtentPoint32(m_hDC, lpszString, nCount, &size);
    return size;
}

POINT CDC::MoveTo(int x, int y)
{
    POINT ptOld = {0, 0};
    ::MoveToEx(m_hDC, x, y, &ptOld);
    return ptOld;
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF crColor)
{
    COLORREF crOld = ::SetBkColor(m_hDC, crColor);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, crOld);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}

namespace {

HWND WindowOf(CWnd* pWnd)
{
    return pWnd != nullptr ? pWnd->m_hWnd : nullptr;
}

} // namespace

CClientDC::CClientDC(CWnd* pWnd) : m_owner(WindowDc{WindowOf(pWnd), ::GetDC(WindowOf(pWnd))})
{
    m_hDC = m_owner.get().hDC;
}

// The owner releases the DC after this.
CClientDC::~CClientDC()
{
    m_hDC = nullptr;
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_owner(WindowDc{WindowOf(pWnd), ::GetWindowDC(WindowOf(pWnd))})
{
    m_hDC = m_owner.get().hDC;
}

CWindowDC::~CWindowDC()
{
    m_hDC = nullptr;
}

// ---- CMenu ----

BOOL CMenu::Attach(HMENU hMenu)
{
    if (hMenu == nullptr)
        return FALSE;
    m_owner.Attach(hMenu);
    return TRUE;
}

BOOL CMenu::DestroyMenu()
{
    if (!m_owner.IsCreated())
        return FALSE;
    return m_owner.Close();
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    return Attach(::LoadMenu(AfxGetResourceHandle(), MAKEINTRESOURCE(nIDResource)));
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    int nLength = ::GetMenuStringA(m_hMenu, nIDItem, nullptr, 0, nFlags);
    if (nLength <= 0) {
        rString.Empty();
        return 0;
    }
    ::GetMenuStringA(m_hMenu, nIDItem, rString.GetBuffer(nLength + 1), nLength + 1, nFlags);
    rString.ReleaseBuffer();
    return rString.GetLength();
}

CMenu* CMenu::GetSubMenu(int nPos) const
{
    return FromHandle(::GetSubMenu(m_hMenu, nPos));
}

// With a hook table installed the hook chooses in place of the user. Its choice arrives as the menu's would: as the
// result with TPM_RETURNCMD, otherwise as WM_COMMAND posted to the owner.
BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect)
{
    HWND hOwner = pWnd != nullptr ? pWnd->m_hWnd : nullptr;
    const DialogHooks* pHooks = GetDialogHooks();
    if (pHooks == nullptr || pHooks->pfnTrackPopupMenu == nullptr)
        return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, hOwner, lpRect);
    const UINT nCommand = pHooks->pfnTrackPopupMenu(pHooks->pContext, m_hMenu, hOwner);
    if ((nFlags & TPM_RETURNCMD) != 0)
        return BOOL(nCommand);
    if (nCommand != 0 && hOwner != nullptr)
        ::PostMessage(hOwner, WM_COMMAND, MAKEWPARAM(nCommand, 0), 0);
    return TRUE;
}

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    return hMenu != nullptr ? TempMenus().Get(hMenu) : nullptr;
}
