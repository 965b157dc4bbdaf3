// src/controls/MemoryDC.h
// CMemoryDC: a device context that draws into a bitmap of its own, in a given size, filled with one colour at the
// start. The test pages draw a graph into one and take the bitmap out to save it as a picture. DrawBitmap and
// DrawBitmapStretched copy a bitmap into another device context.
#ifndef TAVISK_CONTROLS_MEMORYDC_H
#define TAVISK_CONTROLS_MEMORYDC_H

#include "framework/Gdi.h"

#include <memory>

class CMemoryDC : public CDC {
public:
    // The surface is compatible with pReferenceDC, or with the screen when it is NULL.
    CMemoryDC(int nWidth, int nHeight, CDC* pReferenceDC, COLORREF crFill);
    ~CMemoryDC() override;
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    // Hands the surface to the caller, who owns it from now on; nothing may be drawn here afterwards. Empty when
    // the surface was released before or could not be created.
    std::unique_ptr<CBitmap> ReleaseBitmap();

private:
    std::unique_ptr<CBitmap> m_pBitmap; // the surface while this object owns it
    // The surface's selection into this DC, undone when the surface leaves (before it and the DC are deleted).
    std::unique_ptr<CSelectObjectGuard> m_pSelection;
};

// Copies the whole bitmap into pTarget with its top left corner at *pAt.
void DrawBitmap(CBitmap* pBitmap, CDC* pTarget, POINT* pAt);
// bStretch zero: the bitmap unscaled, centred in *pInto (overlapping it equally when larger); nonzero: stretched
// into *pInto with halftone scaling.
void DrawBitmapStretched(CBitmap* pBitmap, CDC* pTarget, RECT* pInto, BYTE bStretch);

#endif
