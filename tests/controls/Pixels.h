// tests/controls/Pixels.h
// Pixels of a window as it is shown, read back through its device context, and saved as PNG pictures beside the
// test program for a person to look at.
#ifndef TAVISK_TESTS_CONTROLS_PIXELS_H
#define TAVISK_TESTS_CONTROLS_PIXELS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pixels {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> data; // row by row from the top

    COLORREF At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
    // Number of pixels of the colour within the rectangle (the whole image by default).
    int Count(COLORREF colour) const;
    int Count(COLORREF colour, const RECT& rc) const;
    int CountIf(const std::function<bool(COLORREF)>& pred, const RECT& rc) const;
    // The smallest rectangle holding every pixel of the colour; empty when there is none.
    RECT Bounds(COLORREF colour) const;
    // The part of the image inside rc.
    Image Crop(const RECT& rc) const;
};

// The client area of a window (redrawn first), or the whole window with bWholeWindow.
Image CaptureClient(HWND hWnd);
Image CaptureWindow(HWND hWnd);
// What a device context holds in rc.
Image CaptureDC(HDC hDC, const RECT& rc);

// Writes the image as a PNG file in the test program's folder; returns the path, or "" on failure.
std::string SavePng(const Image& image, const std::string& name);

} // namespace pixels

#endif
