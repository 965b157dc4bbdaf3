// src/capture/VidmorphConfig.h
// The encoder configuration of the maker's Vidmorph boxes: 1428 bytes in four blocks (format, frame rate,
// picture, bit rate), each with two copies of a text, a tag, its size and its parameters, little-endian at fixed
// offsets. The configuration travels inside the capture pin's format block. Also the 18-byte MPEG-4 video object
// layer header that goes before it for the "MP4S" format.
#ifndef TAVISK_CAPTURE_VIDMORPHCONFIG_H
#define TAVISK_CAPTURE_VIDMORPHCONFIG_H

#include "capture/FormatRecords.h"
#include "framework/String.h"

#include <windows.h>

#include <cstddef>

// Encoder kinds.
enum : DWORD {
    kVidmorphMpeg1 = 0,
    kVidmorphMpeg2 = 1,
    kVidmorphH263 = 3,
    kVidmorphMpeg4 = 4,
    kVidmorphMjpeg = 8
};
// MPEG-4 variants.
enum : BYTE {
    kVidmorphWmp4 = 0,
    kVidmorphDx50 = 1,
    kVidmorphMp4s = 2,
    kVidmorphDivx = 3
};

class CVidmorphConfig {
public:
    enum : size_t {
        kSize = 1428,
        kFormatBlock = 0,     // 356 bytes, tag 0x30000011
        kRateBlock = 356,     // 348 bytes, tag 0x30000009
        kPictureBlock = 704,  // 368 bytes, tag 0x30000E0F
        kBitRateBlock = 1072, // 356 bytes, tag 0x30000084
        kVolHeaderSize = 18,
    };

    // All bytes zero.
    CVidmorphConfig();

    // Everything the four blocks hold.
    struct Settings {
        CString formatName;
        DWORD kind = kVidmorphMpeg4;
        BYTE variant = kVidmorphWmp4;
        CString standardText;
        DWORD standardMask = 0x7F0;
        DWORD rate = 25025; // frames per 1001 seconds
        LONG width = 0;
        LONG height = 0;
        DWORD bitRate = 0; // bits per second
    };
    void Fill(const Settings& settings);

    const BYTE* Data() const { return m_bytes; }
    DWORD Kind() const;
    BYTE Variant() const;
    DWORD Rate() const;
    LONG Width() const;
    LONG Height() const;
    DWORD BitRate() const;

private:
    void PutText(size_t block, const CString& text);
    void Put32(size_t offset, DWORD value);
    void Put8(size_t offset, BYTE value) { m_bytes[offset] = value; }
    DWORD Get32(size_t offset) const;

    BYTE m_bytes[kSize];
};

// The settings of the four blocks for a video format, the device's TV standard and its video bit rate: kind,
// variant and format name from the format, the standard's mask, rate and text, the first frame size. A Motion-JPEG
// format with a frame interval takes its rate from the interval. The format must hold a frame size.
CVidmorphConfig::Settings MakeVidmorphSettings(const CVideoFormat& format, DWORD tvFormat, DWORD videoBitRate);

// The MPEG-4 video object and video object layer header for the configuration's picture size; returns the bytes
// written (18), or 0 without a buffer.
size_t BuildMpeg4VolHeader(const BYTE* pConfig, BYTE* pOut);

#endif
