// src/controls/BitmapImage.cpp
#include "controls/BitmapImage.h"

#include "framework/Gdi.h"
#include "framework/StreamOwner.h"

#include <png.h>

#include <cstdio>

namespace {

void PutLe16(std::vector<BYTE>& out, unsigned v)
{
    out.push_back(BYTE(v));
    out.push_back(BYTE(v >> 8));
}

void PutLe32(std::vector<BYTE>& out, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(BYTE(v >> (8 * i)));
}

// Writes all bytes and closes the file; a short write or a failed close removes what was written.
bool WriteWholeFile(LPCSTR pszPath, const std::vector<BYTE>& bytes)
{
    CStreamOwner file = OpenStream(pszPath, "wb");
    if (!file)
        return false;
    bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    bOk = CloseStream(file) && bOk;
    if (!bOk)
        ::DeleteFileA(pszPath);
    return bOk;
}

} // namespace

void CBitmapImage::Destroy()
{
    m_nWidth = 0;
    m_nHeight = 0;
    m_rgb.clear();
}

bool CBitmapImage::CreateFromHBITMAP(HBITMAP hBitmap)
{
    Destroy();
    BITMAP bm = {};
    if (hBitmap == nullptr || ::GetObjectA(hBitmap, sizeof bm, &bm) != sizeof bm || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return false;
    const int width = bm.bmWidth;
    const int height = bm.bmHeight;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> bgra(size_t(width) * size_t(height) * 4);
    int lines = 0;
    {
        CClientDC screen(nullptr);
        lines = ::GetDIBits(screen, hBitmap, 0, UINT(height), bgra.data(), &info, DIB_RGB_COLORS);
    }
    if (lines != height)
        return false;
    m_rgb.resize(size_t(width) * size_t(height) * 3);
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
        m_rgb[i * 3] = bgra[i * 4 + 2];
        m_rgb[i * 3 + 1] = bgra[i * 4 + 1];
        m_rgb[i * 3 + 2] = bgra[i * 4];
    }
    m_nWidth = width;
    m_nHeight = height;
    return true;
}

COLORREF CBitmapImage::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return 0;
    const BYTE* p = &m_rgb[(size_t(y) * size_t(m_nWidth) + size_t(x)) * 3];
    return RGB(p[0], p[1], p[2]);
}

bool CBitmapImage::Save(LPCSTR pszPath, Format format) const
{
    if (!IsValid() || pszPath == nullptr || *pszPath == '\0')
        return false;
    return format == formatPng ? SavePng(pszPath) : SaveBmp(pszPath);
}

// 24 bits per pixel, rows from the bottom, each padded to four bytes.
bool CBitmapImage::SaveBmp(LPCSTR pszPath) const
{
    const DWORD rowBytes = (DWORD(m_nWidth) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * DWORD(m_nHeight);
    const DWORD offBits = 14 + 40;
    std::vector<BYTE> out;
    out.reserve(offBits + imageBytes);
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, offBits + imageBytes);
    PutLe32(out, 0);
    PutLe32(out, offBits);
    PutLe32(out, 40);
    PutLe32(out, DWORD(m_nWidth));
    PutLe32(out, DWORD(m_nHeight));
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, BI_RGB);
    PutLe32(out, imageBytes);
    PutLe32(out, 3780); // 96 dots per inch
    PutLe32(out, 3780);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int y = m_nHeight - 1; y >= 0; --y) {
        const BYTE* row = &m_rgb[size_t(y) * size_t(m_nWidth) * 3];
        for (int x = 0; x < m_nWidth; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3]);
        }
        for (DWORD pad = DWORD(m_nWidth) * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return WriteWholeFile(pszPath, out);
}

bool CBitmapImage::SavePng(LPCSTR pszPath) const
{
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(m_nWidth);
    png.height = png_uint_32(m_nHeight);
    png.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, m_rgb.data(), 0, nullptr) || size == 0) {
        png_image_free(&png);
        return false;
    }
    std::vector<BYTE> out(size);
    png = png_image();
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(m_nWidth);
    png.height = png_uint_32(m_nHeight);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, m_rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    out.resize(size);
    return WriteWholeFile(pszPath, out);
}
