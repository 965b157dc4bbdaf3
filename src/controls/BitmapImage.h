// src/controls/BitmapImage.h
// CBitmapImage: a picture in memory, 24-bit RGB rows from top to bottom, filled from a GDI bitmap and saved as a
// Windows bitmap (.bmp) or a PNG file. A save that fails leaves no file behind.
#ifndef TAVISK_CONTROLS_BITMAPIMAGE_H
#define TAVISK_CONTROLS_BITMAPIMAGE_H

#include <windows.h>

#include <vector>

class CBitmapImage {
public:
    enum Format {
        formatBmp,
        formatPng
    };

    CBitmapImage() = default;

    // Copies the bitmap's pixels (the bitmap must not be selected into a device context). False when the handle
    // is not a bitmap or its pixels cannot be read; the image is then empty.
    bool CreateFromHBITMAP(HBITMAP hBitmap);
    void Destroy();

    bool IsValid() const { return m_nWidth > 0 && m_nHeight > 0; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // The pixel as a COLORREF; 0 outside the image.
    COLORREF GetPixel(int x, int y) const;
    // Red, green and blue bytes of each pixel, rows from the top, no padding.
    const std::vector<BYTE>& Rgb() const { return m_rgb; }

    // Writes the file; false (and no file) when the image is empty or the file cannot be written completely.
    bool Save(LPCSTR pszPath, Format format) const;

private:
    bool SaveBmp(LPCSTR pszPath) const;
    bool SavePng(LPCSTR pszPath) const;

    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<BYTE> m_rgb;
};

#endif
