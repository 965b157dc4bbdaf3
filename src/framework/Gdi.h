// src/framework/Gdi.h
// Thin GDI wrappers: CGdiObject and its kinds (CFont, CBrush, CPen, CBitmap), device contexts (CDC, CPaintDC,
// CClientDC, CWindowDC) and CMenu. A wrapper that created or attached its handle releases it when destroyed;
// FromHandle gives a non-owning wrapper for a handle that belongs to someone else. The wrappers keep their handles
// in the owners of Handles.h.
//
// Drawing code on raw DCs uses the small owners: CPenOwner, CBrushOwner, CFontOwner, CBitmapOwner, CRegionOwner
// (Handles.h) delete their object; CSelectObjectGuard selects an object into a DC and the previous one back;
// CSelectedPen and CSelectedBrush make an object, select it, and select back and delete it at the end; CClientDC
// (a NULL window: the screen) and CWindowDC release the DC they got, CCreatedDcOwner deletes a DC made elsewhere.
#ifndef TAVISK_FRAMEWORK_GDI_H
#define TAVISK_FRAMEWORK_GDI_H

#include "framework/Handles.h"
#include "framework/String.h"

#include <windows.h>

class CWnd;

// Selects a GDI object into a DC for the guard's lifetime; the destructor selects back the object that was there
// before the guard's first selection. Select switches to another object (the first previous one still comes back),
// Restore selects it back now. A null object selects nothing. Movable, not copyable.
class CSelectObjectGuard {
public:
    CSelectObjectGuard(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC) { Select(hObject); }
    void Select(HGDIOBJ hObject);
    void Restore() { m_selection.Close(); }

private:
    HDC m_hDC;
    CHandleOwnerT<DcSelectionTraits> m_selection;
};

// A GDI object made for a piece of drawing and selected into a DC for this object's lifetime: at the end the object
// selected before comes back, then the made one is deleted.
template <class TOwner>
class CSelectedObjectT {
public:
    using HandleType = typename TOwner::HandleType;
    CSelectedObjectT(HDC hDC, HandleType hObject) : m_object(hObject), m_selection(hDC, hObject) {}
    HandleType get() const { return m_object.get(); }

private:
    TOwner m_object; // declared first: deleted after the selection is undone
    CSelectObjectGuard m_selection;
};

using CSelectedPen = CSelectedObjectT<CPenOwner>;
using CSelectedBrush = CSelectedObjectT<CBrushOwner>;

class CGdiObject {
private:
    CGdiObjectOwner m_owner; // declared before m_hObject, which shows its slot

public:
    CGdiObject() = default;
    virtual ~CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // The handle, read-only: it changes through Attach, Detach and DeleteObject.
    const HGDIOBJ& m_hObject = m_owner.Slot();

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    // Takes ownership of a handle, deleting the one held before; FALSE (and nothing changes) for NULL.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach() { return m_owner.Detach(); }
    // Deletes the object now; FALSE when there was none.
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const { return ::GetObject(m_hObject, nCount, lpObject); }

    // A non-owning wrapper of any GDI object (the one a DC had selected, for instance).
    static CGdiObject* FromHandle(HGDIOBJ hObject);
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }

    BOOL CreateFontIndirect(const LOGFONT* lpLogFont);
    // nPointSize in tenths of a point, measured against pDC (the screen when NULL).
    BOOL CreatePointFont(int nPointSize, LPCTSTR lpszFaceName, class CDC* pDC = nullptr);
    BOOL CreatePointFontIndirect(const LOGFONT* lpLogFont, class CDC* pDC = nullptr);
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, LPCTSTR lpszFacename);
    int GetLogFont(LOGFONT* pLogFont) const { return GetObject(sizeof(LOGFONT), pLogFont); }

    static CFont* FromHandle(HFONT hFont);
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
    BOOL CreateSysColorBrush(int nIndex) { return Attach(::GetSysColorBrush(nIndex)); }
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
    {
        return Attach(::CreatePen(nPenStyle, nWidth, crColor));
    }
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    BOOL LoadBitmap(UINT nIDResource);
    BOOL CreateCompatibleBitmap(class CDC* pDC, int nWidth, int nHeight);
    int GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }
};

// A device context. Attach/Detach for a DC made elsewhere (a printer DC from CPrintDialog); DeleteDC for one this
// object owns. The destructor deletes an attached DC only when it was created through CreateDC/CreateCompatibleDC
// or attached with Attach, as the class library does.
class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL DeleteDC();
    BOOL CreateDC(LPCTSTR lpszDriverName, LPCTSTR lpszDeviceName, LPCTSTR lpszOutput, const DEVMODE* lpInitData);
    BOOL CreateCompatibleDC(CDC* pDC);

    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }
    int SetMapMode(int nMapMode) { return ::SetMapMode(m_hDC, nMapMode); }
    int GetMapMode() const { return ::GetMapMode(m_hDC); }
    UINT SetTextAlign(UINT nFlags) { return ::SetTextAlign(m_hDC, nFlags); }
    UINT GetTextAlign() const { return ::GetTextAlign(m_hDC); }
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }

    int StartDoc(LPDOCINFO lpDocInfo) { return ::StartDoc(m_hDC, lpDocInfo); }
    int StartPage() { return ::StartPage(m_hDC); }
    int EndPage() { return ::EndPage(m_hDC); }
    int EndDoc() { return ::EndDoc(m_hDC); }
    int AbortDoc() { return ::AbortDoc(m_hDC); }

    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
    CGdiObject* SelectObject(CGdiObject* pObject);
    CFont* SelectObject(CFont* pFont);
    int SelectStockObject(int nIndex);
    HGDIOBJ GetCurrentObject(UINT uObjectType) const { return ::GetCurrentObject(m_hDC, uObjectType); }
    CFont* GetCurrentFont() const;

    SIZE GetTextExtent(LPCTSTR lpszString, int nCount) const;
    SIZE GetTextExtent(const CString& str) const { return GetTextExtent(str, str.GetLength()); }
    BOOL GetTextMetrics(LPTEXTMETRIC lpMetrics) const { return ::GetTextMetrics(m_hDC, lpMetrics); }
    BOOL TextOut(int x, int y, LPCTSTR lpszString, int nCount) { return ::TextOut(m_hDC, x, y, lpszString, nCount); }
    BOOL TextOut(int x, int y, const CString& str) { return TextOut(x, y, str, str.GetLength()); }
    int DrawText(LPCTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat)
    {
        return ::DrawText(m_hDC, lpszString, nCount, lpRect, nFormat);
    }
    POINT MoveTo(int x, int y);
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
    int FillRect(LPCRECT lpRect, HBRUSH hBrush) { return ::FillRect(m_hDC, lpRect, hBrush); }
    void FillSolidRect(LPCRECT lpRect, COLORREF crColor);
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop)
    {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, dwRop);
    }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }

private:
    bool m_bOwnsDC = false;
};

// BeginPaint/EndPaint around a WM_PAINT handler.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps = {};

private:
    HWND m_hWnd;
};

// GetDC/ReleaseDC of a window's client area (CClientDC) or whole window (CWindowDC); a NULL window gives the
// screen's DC.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

private:
    CWindowDcOwner m_owner;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;

private:
    CWindowDcOwner m_owner;
};

// A menu handle. Owns menus it loaded or created (destroyed with the object unless detached); FromHandle wraps a
// menu that belongs to a window, such as the system menu.
class CMenu {
private:
    CMenuOwner m_owner; // declared before m_hMenu, which shows its slot

public:
    CMenu() = default;
    virtual ~CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // The handle, read-only: it changes through Attach, Detach and DestroyMenu.
    const HMENU& m_hMenu = m_owner.Slot();

    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }
    // Takes ownership of a menu, destroying the one held before; FALSE (and nothing changes) for NULL.
    BOOL Attach(HMENU hMenu);
    HMENU Detach() { return m_owner.Detach(); }
    // Destroys the menu now; FALSE when there was none.
    BOOL DestroyMenu();
    BOOL LoadMenu(UINT nIDResource);
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr)
    {
        return ::AppendMenu(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
    }
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr)
    {
        return ::InsertMenu(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
    }
    BOOL DeleteMenu(UINT nPosition, UINT nFlags) { return ::DeleteMenu(m_hMenu, nPosition, nFlags); }
    BOOL RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable) { return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable); }
    DWORD CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    CMenu* GetSubMenu(int nPos) const;
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);

    static CMenu* FromHandle(HMENU hMenu);
};

#endif
