// tests/transfer/GraphPixels.h
// Reading a test page's graph back from the screen: the plot rectangle as the page's hidden controls place it, and
// the pixels of a bitmap or of the page's client area as COLORREF values.
#ifndef TAVISK_TESTS_TRANSFER_GRAPHPIXELS_H
#define TAVISK_TESTS_TRANSFER_GRAPHPIXELS_H

#include "framework/Framework.h"

#include <cstdint>
#include <vector>

// The plot rectangle and the label size, relative to the page window's top-left corner.
struct Rules {
    int left, top, right, bottom, width, height, labelWidth, labelHeight;
};

Rules RulesOf(HWND hPage, int nGraphId, int nLabelId);

// Pixels of a bitmap as COLORREF values.
class Pixels {
public:
    Pixels(HBITMAP hBitmap, int nWidth, int nHeight);
    COLORREF At(int x, int y) const; // CLR_INVALID outside
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

private:
    int m_nWidth, m_nHeight;
    std::vector<uint32_t> m_bits;
};

// The page's client area as the screen shows it now, without a paint.
Pixels ClientPixels(CWnd& page);

#endif
