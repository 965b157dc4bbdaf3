// src/framework/Geometry.h
// CPoint, CSize and CRect: POINT, SIZE and RECT with the class library's helpers. They derive from the Win32
// structures, so a CRect* passes wherever an LPRECT is expected.
#ifndef TAVISK_FRAMEWORK_GEOMETRY_H
#define TAVISK_FRAMEWORK_GEOMETRY_H

#include <windows.h>

class CSize : public SIZE {
public:
    CSize() : SIZE{0, 0} {}
    CSize(int initCX, int initCY) : SIZE{initCX, initCY} {}
    CSize(SIZE initSize) : SIZE(initSize) {}
    CSize(POINT initPt) : SIZE{initPt.x, initPt.y} {}

    bool operator==(SIZE size) const { return cx == size.cx && cy == size.cy; }
    bool operator!=(SIZE size) const { return !(*this == size); }
    CSize& operator+=(SIZE size)
    {
        cx += size.cx;
        cy += size.cy;
        return *this;
    }
    CSize& operator-=(SIZE size)
    {
        cx -= size.cx;
        cy -= size.cy;
        return *this;
    }
    CSize operator+(SIZE size) const { return CSize(cx + size.cx, cy + size.cy); }
    CSize operator-(SIZE size) const { return CSize(cx - size.cx, cy - size.cy); }
    CSize operator-() const { return CSize(-cx, -cy); }
};

class CPoint : public POINT {
public:
    CPoint() : POINT{0, 0} {}
    CPoint(int initX, int initY) : POINT{initX, initY} {}
    CPoint(POINT initPt) : POINT(initPt) {}
    CPoint(SIZE initSize) : POINT{initSize.cx, initSize.cy} {}
    // x in the low word, y in the high word (sign-extended), as in mouse-message lParams.
    explicit CPoint(LPARAM dwPoint) : POINT{static_cast<short>(LOWORD(dwPoint)), static_cast<short>(HIWORD(dwPoint))} {}

    void Offset(int xOffset, int yOffset)
    {
        x += xOffset;
        y += yOffset;
    }
    void Offset(POINT point) { Offset(point.x, point.y); }
    void Offset(SIZE size) { Offset(size.cx, size.cy); }
    void SetPoint(int X, int Y)
    {
        x = X;
        y = Y;
    }

    bool operator==(POINT point) const { return x == point.x && y == point.y; }
    bool operator!=(POINT point) const { return !(*this == point); }
    CPoint& operator+=(SIZE size)
    {
        Offset(size);
        return *this;
    }
    CPoint& operator-=(SIZE size)
    {
        Offset(-size.cx, -size.cy);
        return *this;
    }
    CPoint& operator+=(POINT point)
    {
        Offset(point);
        return *this;
    }
    CPoint& operator-=(POINT point)
    {
        Offset(-point.x, -point.y);
        return *this;
    }
    CPoint operator+(SIZE size) const { return CPoint(x + size.cx, y + size.cy); }
    CPoint operator-(SIZE size) const { return CPoint(x - size.cx, y - size.cy); }
    CPoint operator+(POINT point) const { return CPoint(x + point.x, y + point.y); }
    CSize operator-(POINT point) const { return CSize(x - point.x, y - point.y); }
    CPoint operator-() const { return CPoint(-x, -y); }
};

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    CRect(const RECT& srcRect) : RECT(srcRect) {}
    CRect(LPCRECT lpSrcRect) : RECT(*lpSrcRect) {}
    CRect(POINT point, SIZE size) : RECT{point.x, point.y, point.x + size.cx, point.y + size.cy} {}
    CRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(&left); }
    CPoint& BottomRight() { return *reinterpret_cast<CPoint*>(&right); }
    const CPoint& TopLeft() const { return *reinterpret_cast<const CPoint*>(&left); }
    const CPoint& BottomRight() const { return *reinterpret_cast<const CPoint*>(&right); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }

    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    BOOL IsRectNull() const { return left == 0 && right == 0 && top == 0 && bottom == 0; }
    BOOL PtInRect(POINT point) const { return ::PtInRect(this, point); }

    void SetRect(int x1, int y1, int x2, int y2) { ::SetRect(this, x1, y1, x2, y2); }
    void SetRect(POINT topLeft, POINT bottomRight) { SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y); }
    void SetRectEmpty() { ::SetRectEmpty(this); }
    void CopyRect(LPCRECT lpSrcRect) { ::CopyRect(this, lpSrcRect); }
    BOOL EqualRect(LPCRECT lpRect) const { return ::EqualRect(this, lpRect); }

    void InflateRect(int x, int y) { ::InflateRect(this, x, y); }
    void InflateRect(SIZE size) { InflateRect(size.cx, size.cy); }
    void InflateRect(int l, int t, int r, int b)
    {
        left -= l;
        top -= t;
        right += r;
        bottom += b;
    }
    void DeflateRect(int x, int y) { ::InflateRect(this, -x, -y); }
    void DeflateRect(SIZE size) { DeflateRect(size.cx, size.cy); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
    void OffsetRect(int x, int y) { ::OffsetRect(this, x, y); }
    void OffsetRect(POINT point) { OffsetRect(point.x, point.y); }
    void OffsetRect(SIZE size) { OffsetRect(size.cx, size.cy); }
    void MoveToXY(int x, int y)
    {
        right += x - left;
        bottom += y - top;
        left = x;
        top = y;
    }
    void NormalizeRect()
    {
        if (left > right) {
            const LONG t = left;
            left = right;
            right = t;
        }
        if (top > bottom) {
            const LONG t = top;
            top = bottom;
            bottom = t;
        }
    }
    BOOL IntersectRect(LPCRECT lpRect1, LPCRECT lpRect2) { return ::IntersectRect(this, lpRect1, lpRect2); }
    BOOL UnionRect(LPCRECT lpRect1, LPCRECT lpRect2) { return ::UnionRect(this, lpRect1, lpRect2); }

    bool operator==(const RECT& rect) const
    {
        return left == rect.left && top == rect.top && right == rect.right && bottom == rect.bottom;
    }
    bool operator!=(const RECT& rect) const { return !(*this == rect); }
    CRect& operator=(const RECT& srcRect)
    {
        RECT::operator=(srcRect);
        return *this;
    }
    CRect& operator+=(POINT point)
    {
        OffsetRect(point);
        return *this;
    }
    CRect& operator-=(POINT point)
    {
        OffsetRect(-point.x, -point.y);
        return *this;
    }
    CRect operator+(POINT point) const
    {
        CRect rect(*this);
        rect.OffsetRect(point);
        return rect;
    }
    CRect operator-(POINT point) const
    {
        CRect rect(*this);
        rect.OffsetRect(-point.x, -point.y);
        return rect;
    }
};

#endif
