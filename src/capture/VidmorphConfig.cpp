// src/capture/VidmorphConfig.cpp
#include "capture/VidmorphConfig.h"

#include "capture/MediaType.h"

#include <dshow.h>
#include <dvdmedia.h>

#include <algorithm>
#include <cstring>

namespace {

const size_t kTextSize = 64;
const size_t kTagOffset = 320; // in every block: the tag, then the block size, then the parameters

const DWORD kPalMask = 0x7F0;
const DWORD kNtscMask = 0x807;
const DWORD kSecamMask = 0xFF000;
const DWORD kPalRate = 25025;                   // 25 frames per second in frames per 1001 seconds
const DWORD kNtscRate = 30000;                  // 29.97 frames per second
const ULONGLONG kRateTimeBase = 10010000000ULL; // 1001 seconds in 100-ns units

} // namespace

CVidmorphConfig::CVidmorphConfig()
{
    std::memset(m_bytes, 0, sizeof m_bytes);
}

void CVidmorphConfig::Put32(size_t offset, DWORD value)
{
    m_bytes[offset] = BYTE(value);
    m_bytes[offset + 1] = BYTE(value >> 8);
    m_bytes[offset + 2] = BYTE(value >> 16);
    m_bytes[offset + 3] = BYTE(value >> 24);
}

DWORD CVidmorphConfig::Get32(size_t offset) const
{
    return DWORD(m_bytes[offset]) | (DWORD(m_bytes[offset + 1]) << 8) | (DWORD(m_bytes[offset + 2]) << 16) |
           (DWORD(m_bytes[offset + 3]) << 24);
}

// Two copies of the text, each cut to leave its terminating zero.
void CVidmorphConfig::PutText(size_t block, const CString& text)
{
    for (size_t copy = 0; copy < 2; ++copy) {
        BYTE* field = m_bytes + block + copy * kTextSize;
        std::memset(field, 0, kTextSize);
        const size_t length = std::min(size_t(text.GetLength()), kTextSize - 1);
        std::memcpy(field, static_cast<LPCSTR>(text), length);
    }
}

void CVidmorphConfig::Fill(const Settings& s)
{
    const DWORD kind = s.kind;
    const bool mpeg4 = kind == kVidmorphMpeg4;
    const bool mp4s = mpeg4 && s.variant == kVidmorphMp4s;

    size_t b = kFormatBlock;
    PutText(b, s.formatName);
    Put32(b + kTagOffset, 0x30000011);
    Put32(b + 324, 356);
    Put32(b + 328, kind);
    Put32(b + 332, 3);
    Put8(b + 336, mpeg4 ? 1 : 0);
    Put32(b + 340, kind == kVidmorphMpeg1 || kind == kVidmorphMpeg2 ? 15 : 30);
    Put8(b + 344, mpeg4 ? s.variant : 0);
    Put8(b + 345, mpeg4 ? 0 : 1);
    Put8(b + 346, 1);
    Put8(b + 347, 0x80);
    Put8(b + 348, mp4s ? 0 : 1);
    Put8(b + 349, mp4s ? 0 : 1);
    Put8(b + 350, kind == kVidmorphMpeg2 ? 2 : 1);
    Put32(b + 352, 0);

    b = kRateBlock;
    PutText(b, s.standardText);
    Put32(b + kTagOffset, 0x30000009);
    Put32(b + 324, 348);
    Put32(b + 328, s.standardMask);
    Put32(b + 332, s.rate);
    Put32(b + 336, 0);
    Put8(b + 340, 0);
    Put32(b + 344, 0);

    b = kPictureBlock;
    CString sizeText;
    sizeText.Format("%d x %d", int(s.width), int(s.height));
    PutText(b, sizeText);
    Put32(b + kTagOffset, 0x30000E0F);
    Put32(b + 324, 368);
    Put32(b + 328, s.standardMask);
    Put32(b + 332, DWORD(s.width));
    Put32(b + 336, DWORD(s.height));
    Put8(b + 340, 1);
    Put8(b + 341, 1);
    Put32(b + 344, 0);
    Put32(b + 348, 0);
    Put8(b + 352, 0);
    Put8(b + 353, 0);
    Put8(b + 354, 0);
    Put32(b + 356, 0);
    Put32(b + 360, 0);
    Put32(b + 364, 0);

    b = kBitRateBlock;
    CString rateText;
    rateText.Format("CBR: %lu bps", static_cast<unsigned long>(s.bitRate));
    PutText(b, rateText);
    Put32(b + kTagOffset, 0x30000084);
    Put32(b + 324, 356);
    Put32(b + 328, s.bitRate);
    Put32(b + 332, kind == kVidmorphMpeg2 ? 9800000 : kind == kVidmorphMpeg1 ? 1151929 : 0);
    Put32(b + 336, kind == kVidmorphMpeg2 ? 0x1C0000 : kind == kVidmorphMpeg1 ? 0x50000 : 0);
    Put8(b + 340, 100);
    Put8(b + 341, 100);
    Put32(b + 344, 0);
    Put8(b + 348, 2);
    Put8(b + 349, 2);
    Put8(b + 350, 2);
    Put32(b + 352, 0);
}

DWORD CVidmorphConfig::Kind() const
{
    return Get32(kFormatBlock + 328);
}

BYTE CVidmorphConfig::Variant() const
{
    return m_bytes[kFormatBlock + 344];
}

DWORD CVidmorphConfig::Rate() const
{
    return Get32(kRateBlock + 332);
}

LONG CVidmorphConfig::Width() const
{
    return LONG(Get32(kPictureBlock + 332));
}

LONG CVidmorphConfig::Height() const
{
    return LONG(Get32(kPictureBlock + 336));
}

DWORD CVidmorphConfig::BitRate() const
{
    return Get32(kBitRateBlock + 328);
}

// An interval of 0 or less says nothing and leaves the standard's rate; a rate is never below 1.
CVidmorphConfig::Settings MakeVidmorphSettings(const CVideoFormat& format, DWORD tvFormat, DWORD videoBitRate)
{
    CVidmorphConfig::Settings s;
    CString first;
    CString second;
    if (IsEqualGUID(format.m_formatType, FORMAT_VideoInfo)) {
        first = "MPEG4, ";
        s.kind = kVidmorphMpeg4;
        s.variant = kVidmorphMp4s;
        switch (format.m_nCompression) {
        case MakeFourCC('D', 'X', '5', '0'):
            second = "DivX";
            s.variant = kVidmorphDx50;
            break;
        case MakeFourCC('M', 'P', '4', 'S'):
            second = "Microsoft";
            s.variant = kVidmorphMp4s;
            break;
        case MakeFourCC('D', 'I', 'V', 'X'):
            second = "RCC";
            s.variant = kVidmorphDivx;
            break;
        case MakeFourCC('M', 'J', 'P', 'G'):
            second = "MJPEG";
            s.kind = kVidmorphMjpeg;
            s.variant = 0;
            break;
        case MakeFourCC('H', '2', '6', '3'):
            second = "H263";
            s.kind = kVidmorphH263;
            s.variant = 0;
            break;
        default:
            break;
        }
    } else {
        s.variant = 0;
        if (IsEqualGUID(format.m_formatType, FORMAT_MPEGVideo)) {
            first = "MPEG1, ";
            s.kind = kVidmorphMpeg1;
        } else if (IsEqualGUID(format.m_formatType, FORMAT_MPEG2Video)) {
            first = "MPEG2, ";
            s.kind = kVidmorphMpeg2;
        } else {
            s.kind = kVidmorphMpeg4;
        }
        second = "DVD";
    }
    s.formatName = first + second + ", " + "IPB";

    if ((tvFormat & kPalMask) != 0) {
        s.standardMask = kPalMask;
        s.rate = kPalRate;
        s.standardText = "PAL 25fps";
    } else if ((tvFormat & kNtscMask) != 0) {
        s.standardMask = kNtscMask;
        s.rate = kNtscRate;
        s.standardText = "NTSC 29.97fps";
    } else if ((tvFormat & kSecamMask) != 0) {
        s.standardMask = kSecamMask;
        s.rate = kPalRate;
    } else {
        s.standardMask = kPalMask;
        s.rate = kPalRate;
        s.standardText = "PAL 25fps";
    }

    if (!format.m_arrFrameSizes.IsEmpty()) {
        const CFrameSize& size = format.m_arrFrameSizes[0];
        s.width = size.m_nWidth;
        s.height = size.m_nHeight;
        if (IsEqualGUID(format.m_formatType, FORMAT_VideoInfo) &&
            format.m_nCompression == MakeFourCC('M', 'J', 'P', 'G') && !size.m_arrFrameIntervals.IsEmpty() &&
            size.m_arrFrameIntervals[0] > 0) {
            const DWORD rate = DWORD(kRateTimeBase / ULONGLONG(size.m_arrFrameIntervals[0]));
            s.rate = rate > 0 ? rate : 1;
        }
    }
    s.bitRate = videoBitRate;
    return s;
}

size_t BuildMpeg4VolHeader(const BYTE* pConfig, BYTE* pOut)
{
    if (pOut == nullptr || pConfig == nullptr)
        return 0;
    const BYTE* picture = pConfig + CVidmorphConfig::kPictureBlock;
    const DWORD width =
        DWORD(picture[332]) | (DWORD(picture[333]) << 8) | (DWORD(picture[334]) << 16) | (DWORD(picture[335]) << 24);
    const DWORD height =
        DWORD(picture[336]) | (DWORD(picture[337]) << 8) | (DWORD(picture[338]) << 16) | (DWORD(picture[339]) << 24);
    const BYTE head[12] = {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x20, 0x00, 0x84, 0x5D, 0x4C};
    std::memcpy(pOut, head, sizeof head);
    pOut[12] = BYTE(0x28 + ((width >> 10) & 7));
    pOut[13] = BYTE((width >> 2) & 0xFF);
    pOut[14] = BYTE(0x20 + ((height >> 8) & 0x1F));
    pOut[15] = BYTE(height & 0xFF);
    pOut[16] = 0xA3;
    pOut[17] = 0x1F;
    return CVidmorphConfig::kVolHeaderSize;
}
