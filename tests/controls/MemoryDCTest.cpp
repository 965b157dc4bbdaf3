// tests/controls/MemoryDCTest.cpp — the off-screen drawing surface and the two bitmap copies
#include "controls/MemoryDC.h"

#include "Pixels.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

int ScreenBitsPerPixel()
{
    HDC hScreen = ::GetDC(nullptr);
    const int nBits = ::GetDeviceCaps(hScreen, BITSPIXEL) * ::GetDeviceCaps(hScreen, PLANES);
    ::ReleaseDC(nullptr, hScreen);
    return nBits;
}

// A white target surface to copy into, read back as an image.
pixels::Image Target(const std::function<void(CDC&)>& draw, int nWidth, int nHeight)
{
    CMemoryDC target(nWidth, nHeight, nullptr, kWhite);
    draw(target);
    return pixels::CaptureDC(target.m_hDC, RECT{0, 0, nWidth, nHeight});
}

// A surface of the size asked for, compatible with the screen, filled with the colour.
TEST(MemoryDC, SurfaceWithoutReference)
{
    CMemoryDC dc(30, 20, nullptr, kRed);
    ASSERT_NE(nullptr, dc.m_hDC);
    const pixels::Image image = pixels::CaptureDC(dc.m_hDC, RECT{0, 0, 30, 20});
    EXPECT_EQ(30 * 20, image.Count(kRed));

    BITMAP bm = {};
    ASSERT_EQ(static_cast<int>(sizeof(bm)), ::GetObject(::GetCurrentObject(dc.m_hDC, OBJ_BITMAP), sizeof(bm), &bm));
    EXPECT_EQ(30, bm.bmWidth);
    EXPECT_EQ(20, bm.bmHeight);
    EXPECT_EQ(ScreenBitsPerPixel(), bm.bmBitsPixel * bm.bmPlanes);
}

// The reference's mapping mode is taken over.
TEST(MemoryDC, SurfaceLikeItsReference)
{
    CMemoryDC reference(4, 4, nullptr, kWhite);
    reference.SetMapMode(MM_LOMETRIC);
    CMemoryDC dc(10, 10, &reference, kBlue);
    EXPECT_EQ(MM_LOMETRIC, dc.GetMapMode());
}

// The released bitmap outlives the surface and keeps what was drawn.
TEST(MemoryDC, ReleasedBitmapBelongsToTheCaller)
{
    std::unique_ptr<CBitmap> bitmap;
    {
        CMemoryDC dc(16, 8, nullptr, kWhite);
        const RECT half = {0, 0, 8, 8};
        dc.FillSolidRect(&half, kBlue);
        bitmap = dc.ReleaseBitmap();
        ASSERT_NE(nullptr, bitmap.get());
        EXPECT_EQ(nullptr, dc.ReleaseBitmap().get());
        EXPECT_NE(bitmap->m_hObject, ::GetCurrentObject(dc.m_hDC, OBJ_BITMAP));
    }
    BITMAP bm = {};
    ASSERT_NE(0, bitmap->GetBitmap(&bm));
    EXPECT_EQ(16, bm.bmWidth);
    const pixels::Image image = Target(
        [&](CDC& target) {
            POINT at = {0, 0};
            DrawBitmap(bitmap.get(), &target, &at);
        },
        16, 8);
    EXPECT_EQ(64, image.Count(kBlue));
    EXPECT_EQ(64, image.Count(kWhite));
}

TEST(MemoryDC, DrawBitmapAtAPoint)
{
    CMemoryDC source(5, 4, nullptr, kRed);
    std::unique_ptr<CBitmap> bitmap(source.ReleaseBitmap());
    const pixels::Image image = Target(
        [&](CDC& target) {
            POINT at = {3, 2};
            DrawBitmap(bitmap.get(), &target, &at);
        },
        12, 10);
    EXPECT_EQ((RECT{3, 2, 8, 6}.right), image.Bounds(kRed).right);
    const RECT bounds = image.Bounds(kRed);
    EXPECT_EQ(3, bounds.left);
    EXPECT_EQ(2, bounds.top);
    EXPECT_EQ(8, bounds.right);
    EXPECT_EQ(6, bounds.bottom);
}

// Unstretched, the bitmap is centred: a larger bitmap overlaps the rectangle equally on both sides.
TEST(MemoryDC, DrawBitmapCentred)
{
    const struct {
        int size;
        RECT into;
        RECT expected;
    } cases[] = {
        {10, {10, 10, 30, 30}, {15, 15, 25, 25}},
        {30, {20, 20, 40, 40}, {15, 15, 45, 45}},
        {11, {10, 10, 31, 31}, {15, 15, 26, 26}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        CMemoryDC source(c.size, c.size, nullptr, kRed);
        std::unique_ptr<CBitmap> bitmap(source.ReleaseBitmap());
        const pixels::Image image = Target(
            [&](CDC& target) {
                RECT into = c.into;
                DrawBitmapStretched(bitmap.get(), &target, &into, 0);
            },
            60, 60);
        const RECT bounds = image.Bounds(kRed);
        EXPECT_EQ(c.expected.left, bounds.left);
        EXPECT_EQ(c.expected.top, bounds.top);
        EXPECT_EQ(c.expected.right, bounds.right);
        EXPECT_EQ(c.expected.bottom, bounds.bottom);
    }
}

TEST(MemoryDC, DrawBitmapStretchedFillsTheRectangle)
{
    CMemoryDC source(4, 4, nullptr, kRed);
    std::unique_ptr<CBitmap> bitmap(source.ReleaseBitmap());
    const pixels::Image image = Target(
        [&](CDC& target) {
            RECT into = {5, 5, 45, 25};
            DrawBitmapStretched(bitmap.get(), &target, &into, 1);
            EXPECT_EQ(HALFTONE, ::GetStretchBltMode(target.m_hDC));
        },
        50, 30);
    EXPECT_EQ(40 * 20, image.Count(kRed));
    const RECT bounds = image.Bounds(kRed);
    EXPECT_EQ(5, bounds.left);
    EXPECT_EQ(45, bounds.right);
}

} // namespace
