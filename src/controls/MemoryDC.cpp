// src/controls/MemoryDC.cpp
#include "controls/MemoryDC.h"

#include <memory>

CMemoryDC::CMemoryDC(int nWidth, int nHeight, CDC* pReferenceDC, COLORREF crFill)
{
    // Without a reference the surface is made like the screen's window DC.
    std::unique_ptr<CWindowDC> screen;
    CDC* pReference = pReferenceDC;
    if (pReference == nullptr) {
        screen.reset(new CWindowDC(nullptr));
        pReference = screen.get();
    }
    std::unique_ptr<CBitmap> bitmap(new CBitmap);
    if (!bitmap->CreateCompatibleBitmap(pReference, nWidth, nHeight) || !CreateCompatibleDC(pReference))
        return;
    m_pBitmap = std::move(bitmap);
    m_pSelection.reset(new CSelectObjectGuard(m_hDC, m_pBitmap->m_hObject));
    SetMapMode(pReference->GetMapMode());
    const RECT rc = {0, 0, nWidth, nHeight};
    FillSolidRect(&rc, crFill);
}

// The members undo the selection and delete the surface; the DC goes with CDC.
CMemoryDC::~CMemoryDC() = default;

std::unique_ptr<CBitmap> CMemoryDC::ReleaseBitmap()
{
    m_pSelection.reset();
    return std::move(m_pBitmap);
}

void DrawBitmap(CBitmap* pBitmap, CDC* pTarget, POINT* pAt)
{
    if (pBitmap == nullptr || pTarget == nullptr || pAt == nullptr)
        return;
    BITMAP bm = {};
    if (pBitmap->GetBitmap(&bm) == 0)
        return;
    CDC source;
    if (!source.CreateCompatibleDC(pTarget))
        return;
    CSelectObjectGuard selection(source, pBitmap->m_hObject);
    source.SetMapMode(pTarget->GetMapMode());
    pTarget->BitBlt(pAt->x, pAt->y, bm.bmWidth, bm.bmHeight, &source, 0, 0, SRCCOPY);
}

void DrawBitmapStretched(CBitmap* pBitmap, CDC* pTarget, RECT* pInto, BYTE bStretch)
{
    if (pBitmap == nullptr || pTarget == nullptr || pInto == nullptr)
        return;
    BITMAP bm = {};
    if (pBitmap->GetBitmap(&bm) == 0)
        return;
    if (bStretch == 0) {
        POINT at = {pInto->left + (pInto->right - pInto->left) / 2 - bm.bmWidth / 2,
                    pInto->top + (pInto->bottom - pInto->top) / 2 - bm.bmHeight / 2};
        DrawBitmap(pBitmap, pTarget, &at);
        return;
    }
    CDC source;
    if (!source.CreateCompatibleDC(pTarget))
        return;
    CSelectObjectGuard selection(source, pBitmap->m_hObject);
    source.SetMapMode(pTarget->GetMapMode());
    ::SetStretchBltMode(pTarget->m_hDC, HALFTONE);
    ::StretchBlt(pTarget->m_hDC, pInto->left, pInto->top, pInto->right - pInto->left, pInto->bottom - pInto->top,
                 source.m_hDC, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
}
