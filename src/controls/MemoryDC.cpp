// src/controls/MemoryDC.cpp
#include "controls/MemoryDC.h"

#include <memory>

namespace {

// The screen's window device context, for the construction of a surface without a reference.
class CScreenDC : public CDC {
public:
    CScreenDC() { m_hDC = ::GetWindowDC(nullptr); }
    ~CScreenDC() override
    {
        if (m_hDC != nullptr)
            ::ReleaseDC(nullptr, m_hDC);
        m_hDC = nullptr;
    }
};

} // namespace

CMemoryDC::CMemoryDC(int nWidth, int nHeight, CDC* pReferenceDC, COLORREF crFill)
    : m_pBitmap(nullptr), m_hPreviousBitmap(nullptr)
{
    std::unique_ptr<CScreenDC> screen;
    CDC* pReference = pReferenceDC;
    if (pReference == nullptr) {
        screen.reset(new CScreenDC);
        pReference = screen.get();
    }
    std::unique_ptr<CBitmap> bitmap(new CBitmap);
    if (!bitmap->CreateCompatibleBitmap(pReference, nWidth, nHeight) || !CreateCompatibleDC(pReference))
        return;
    m_pBitmap = bitmap.release();
    m_hPreviousBitmap = SelectObject(m_pBitmap->m_hObject);
    SetMapMode(pReference->GetMapMode());
    const RECT rc = {0, 0, nWidth, nHeight};
    FillSolidRect(&rc, crFill);
}

CMemoryDC::~CMemoryDC()
{
    if (m_pBitmap != nullptr) {
        SelectObject(m_hPreviousBitmap);
        delete m_pBitmap;
        m_pBitmap = nullptr;
    }
    DeleteDC();
}

CBitmap* CMemoryDC::ReleaseBitmap()
{
    CBitmap* pBitmap = m_pBitmap;
    if (pBitmap != nullptr)
        SelectObject(m_hPreviousBitmap);
    m_pBitmap = nullptr;
    return pBitmap;
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
    HGDIOBJ hOld = source.SelectObject(pBitmap->m_hObject);
    source.SetMapMode(pTarget->GetMapMode());
    pTarget->BitBlt(pAt->x, pAt->y, bm.bmWidth, bm.bmHeight, &source, 0, 0, SRCCOPY);
    source.SelectObject(hOld);
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
    HGDIOBJ hOld = source.SelectObject(pBitmap->m_hObject);
    source.SetMapMode(pTarget->GetMapMode());
    ::SetStretchBltMode(pTarget->m_hDC, HALFTONE);
    ::StretchBlt(pTarget->m_hDC, pInto->left, pInto->top, pInto->right - pInto->left, pInto->bottom - pInto->top,
                 source.m_hDC, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    source.SelectObject(hOld);
}
