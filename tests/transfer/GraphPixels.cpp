// tests/transfer/GraphPixels.cpp
#include "GraphPixels.h"

#include "controls/MemoryDC.h"

#include <memory>

Rules RulesOf(HWND hPage, int nGraphId, int nLabelId)
{
    RECT w, g, l;
    GetWindowRect(hPage, &w);
    GetWindowRect(GetDlgItem(hPage, nGraphId), &g);
    GetWindowRect(GetDlgItem(hPage, nLabelId), &l);
    return {int(g.left - w.left),  int(g.top - w.top),    int(g.right - w.left), int(g.bottom - w.top),
            int(g.right - g.left), int(g.bottom - g.top), int(l.right - l.left), int(l.bottom - l.top)};
}

Pixels::Pixels(HBITMAP hBitmap, int nWidth, int nHeight)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_bits(size_t(nWidth) * nHeight)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = nWidth;
    bi.bmiHeader.biHeight = -nHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC hScreen = GetDC(nullptr);
    GetDIBits(hScreen, hBitmap, 0, UINT(nHeight), m_bits.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hScreen);
}

COLORREF Pixels::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return CLR_INVALID;
    const uint32_t v = m_bits[size_t(y) * m_nWidth + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

Pixels ClientPixels(CWnd& page)
{
    GdiFlush();
    RECT rc;
    page.GetClientRect(&rc);
    CClientDC client(&page);
    CMemoryDC copy(rc.right, rc.bottom, &client, RGB(255, 255, 255));
    copy.BitBlt(0, 0, rc.right, rc.bottom, &client, 0, 0, SRCCOPY);
    std::unique_ptr<CBitmap> pBitmap(copy.ReleaseBitmap());
    return Pixels(static_cast<HBITMAP>(pBitmap->m_hObject), rc.right, rc.bottom);
}
