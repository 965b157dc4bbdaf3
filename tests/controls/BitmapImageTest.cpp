// tests/controls/BitmapImageTest.cpp
// The picture class: pixels taken from a GDI bitmap, saved as BMP and PNG and decoded again to the same pixels
// (odd widths exercise the BMP row padding), and saves that must fail leaving no file. The PNG written here is
// also checked by pngcheck (a ctest of its own).
#include "controls/BitmapImage.h"
#include "controls/MemoryDC.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<BYTE> rgb;
};

std::vector<BYTE> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

DWORD Le32(const std::vector<BYTE>& b, size_t at)
{
    return DWORD(b[at]) | DWORD(b[at + 1]) << 8 | DWORD(b[at + 2]) << 16 | DWORD(b[at + 3]) << 24;
}

// A 24-bit bottom-up BMP, read as any viewer would.
Decoded DecodeBmp(const std::string& path)
{
    Decoded d;
    std::vector<BYTE> b = ReadFile(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || Le32(b, 2) != b.size())
        return d;
    const DWORD offBits = Le32(b, 10);
    const int width = int(Le32(b, 18));
    const int height = int(Le32(b, 22));
    if (b[28] != 24 || width <= 0 || height <= 0)
        return d;
    const size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
    if (offBits + row * size_t(height) > b.size())
        return d;
    d.width = width;
    d.height = height;
    d.rgb.resize(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        const BYTE* src = &b[offBits + row * size_t(height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            BYTE* dst = &d.rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            dst[0] = src[x * 3 + 2];
            dst[1] = src[x * 3 + 1];
            dst[2] = src[x * 3];
        }
    }
    return d;
}

Decoded DecodePng(const std::string& path)
{
    Decoded d;
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return d;
    png.format = PNG_FORMAT_RGB;
    std::vector<BYTE> rgb(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr))
        return d;
    d.width = int(png.width);
    d.height = int(png.height);
    d.rgb = rgb;
    return d;
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A white surface with a few coloured shapes, the way the graph export draws one.
std::unique_ptr<CBitmap> DrawnBitmap(int width, int height)
{
    CMemoryDC dc(width, height, nullptr, RGB(255, 255, 255));
    HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(200, 30, 40));
    HGDIOBJ old = ::SelectObject(dc.m_hDC, pen);
    ::MoveToEx(dc.m_hDC, 0, 0, nullptr);
    ::LineTo(dc.m_hDC, width - 1, height - 1);
    ::SelectObject(dc.m_hDC, old);
    ::DeleteObject(pen);
    ::SetPixel(dc.m_hDC, width - 1, 0, RGB(0, 0, 255));
    ::SetPixel(dc.m_hDC, 0, height - 1, RGB(0, 128, 0));
    RECT box = {width / 3, height / 3, width / 2, height / 2};
    HBRUSH brush = ::CreateSolidBrush(RGB(250, 200, 10));
    ::FillRect(dc.m_hDC, &box, brush);
    ::DeleteObject(brush);
    return std::unique_ptr<CBitmap>(dc.ReleaseBitmap());
}

} // namespace

TEST(BitmapImage, PixelsOfTheBitmap)
{
    std::unique_ptr<CBitmap> bitmap = DrawnBitmap(37, 23);
    ASSERT_TRUE(bitmap);
    CBitmapImage image;
    ASSERT_TRUE(image.CreateFromHBITMAP(static_cast<HBITMAP>(bitmap->GetSafeHandle())));
    EXPECT_EQ(37, image.Width());
    EXPECT_EQ(23, image.Height());
    EXPECT_EQ(RGB(0, 0, 255), image.GetPixel(36, 0));
    EXPECT_EQ(RGB(0, 128, 0), image.GetPixel(0, 22));
    EXPECT_EQ(RGB(200, 30, 40), image.GetPixel(0, 0));
    EXPECT_EQ(RGB(250, 200, 10), image.GetPixel(37 / 3, 23 / 3));
    EXPECT_EQ(RGB(255, 255, 255), image.GetPixel(30, 2));
    EXPECT_EQ(0u, image.GetPixel(37, 0));
}

// Widths whose rows need 0 to 3 padding bytes in a BMP.
TEST(BitmapImage, SavedFilesDecodeToTheSamePixels)
{
    const int widths[] = {40, 37, 38, 39};
    for (int width : widths) {
        std::unique_ptr<CBitmap> bitmap = DrawnBitmap(width, 17);
        CBitmapImage image;
        ASSERT_TRUE(image.CreateFromHBITMAP(static_cast<HBITMAP>(bitmap->GetSafeHandle())));
        const std::string base = testsupport::ProgramFolder() + "image_" + std::to_string(width);
        ASSERT_TRUE(image.Save((base + ".bmp").c_str(), CBitmapImage::formatBmp)) << width;
        ASSERT_TRUE(image.Save((base + ".png").c_str(), CBitmapImage::formatPng)) << width;
        for (const Decoded& d : {DecodeBmp(base + ".bmp"), DecodePng(base + ".png")}) {
            EXPECT_EQ(width, d.width);
            EXPECT_EQ(17, d.height);
            EXPECT_TRUE(d.rgb == image.Rgb()) << width;
        }
    }
}

TEST(BitmapImage, FailedSavesLeaveNoFile)
{
    std::unique_ptr<CBitmap> bitmap = DrawnBitmap(8, 8);
    CBitmapImage image;
    ASSERT_TRUE(image.CreateFromHBITMAP(static_cast<HBITMAP>(bitmap->GetSafeHandle())));
    const std::string missing = testsupport::ProgramFolder() + "no_such_folder\\picture";
    EXPECT_FALSE(image.Save((missing + ".bmp").c_str(), CBitmapImage::formatBmp));
    EXPECT_FALSE(image.Save((missing + ".png").c_str(), CBitmapImage::formatPng));
    EXPECT_FALSE(FileExists(missing + ".bmp"));
    EXPECT_FALSE(FileExists(missing + ".png"));

    CBitmapImage empty;
    EXPECT_FALSE(empty.CreateFromHBITMAP(nullptr));
    const std::string path = testsupport::ProgramFolder() + "image_empty.png";
    ::DeleteFileA(path.c_str());
    EXPECT_FALSE(empty.Save(path.c_str(), CBitmapImage::formatPng));
    EXPECT_FALSE(FileExists(path));
}
