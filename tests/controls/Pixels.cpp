// tests/controls/Pixels.cpp
#include "Pixels.h"

#include "support/TestFiles.h"

#include <png.h>

namespace pixels {

int Image::Count(COLORREF colour) const
{
    const RECT rc = {0, 0, width, height};
    return Count(colour, rc);
}

int Image::Count(COLORREF colour, const RECT& rc) const
{
    return CountIf([colour](COLORREF c) { return c == colour; }, rc);
}

int Image::CountIf(const std::function<bool(COLORREF)>& pred, const RECT& rc) const
{
    int count = 0;
    for (int y = rc.top < 0 ? 0 : rc.top; y < rc.bottom && y < height; ++y) {
        for (int x = rc.left < 0 ? 0 : rc.left; x < rc.right && x < width; ++x) {
            if (pred(At(x, y)))
                ++count;
        }
    }
    return count;
}

RECT Image::Bounds(COLORREF colour) const
{
    RECT rc = {width, height, 0, 0};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (At(x, y) != colour)
                continue;
            if (x < rc.left)
                rc.left = x;
            if (y < rc.top)
                rc.top = y;
            if (x + 1 > rc.right)
                rc.right = x + 1;
            if (y + 1 > rc.bottom)
                rc.bottom = y + 1;
        }
    }
    if (rc.right <= rc.left)
        rc = RECT{0, 0, 0, 0};
    return rc;
}

Image Image::Crop(const RECT& rc) const
{
    Image out;
    out.width = rc.right - rc.left;
    out.height = rc.bottom - rc.top;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x)
            out.data.push_back(At(x, y));
    }
    return out;
}

Image CaptureDC(HDC hDC, const RECT& rc)
{
    Image image;
    image.width = rc.right - rc.left;
    image.height = rc.bottom - rc.top;
    if (image.width <= 0 || image.height <= 0)
        return image;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = image.width;
    bmi.bmiHeader.biHeight = -image.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    HBITMAP hDib = ::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HDC hMem = ::CreateCompatibleDC(hDC);
    HGDIOBJ hOld = ::SelectObject(hMem, hDib);
    ::BitBlt(hMem, 0, 0, image.width, image.height, hDC, rc.left, rc.top, SRCCOPY);
    ::GdiFlush();
    const DWORD* pPixels = static_cast<const DWORD*>(pBits);
    image.data.resize(static_cast<size_t>(image.width) * image.height);
    for (size_t i = 0; i < image.data.size(); ++i) {
        const DWORD bgr = pPixels[i];
        image.data[i] = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    ::SelectObject(hMem, hOld);
    ::DeleteDC(hMem);
    ::DeleteObject(hDib);
    return image;
}

Image CaptureClient(HWND hWnd)
{
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    HDC hDC = ::GetDC(hWnd);
    Image image = CaptureDC(hDC, rc);
    ::ReleaseDC(hWnd, hDC);
    return image;
}

Image CaptureWindow(HWND hWnd)
{
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    RECT rcWindow;
    ::GetWindowRect(hWnd, &rcWindow);
    const RECT rc = {0, 0, rcWindow.right - rcWindow.left, rcWindow.bottom - rcWindow.top};
    HDC hDC = ::GetWindowDC(hWnd);
    Image image = CaptureDC(hDC, rc);
    ::ReleaseDC(hWnd, hDC);
    return image;
}

std::string SavePng(const Image& image, const std::string& name)
{
    const std::string file = testsupport::ProgramFolder() + name + ".png";
    std::vector<unsigned char> rgb;
    rgb.reserve(image.data.size() * 3);
    for (COLORREF c : image.data) {
        rgb.push_back(GetRValue(c));
        rgb.push_back(GetGValue(c));
        rgb.push_back(GetBValue(c));
    }
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&png, file.c_str(), 0, rgb.data(), 0, nullptr))
        return std::string();
    return file;
}

} // namespace pixels
