// src/capture/FormatRecords.cpp
#include "capture/FormatRecords.h"

#include "capture/MediaType.h"

#include <cstring>
#include <dshow.h>
#include <dvdmedia.h>
#include <uuids.h>

namespace {

struct CompressionName {
    DWORD fourcc;
    const char* name;
};

// Compressions that name a FORMAT_VideoInfo format whatever its subtype.
const CompressionName kCompressionNames[] = {
    {MakeFourCC('D', 'X', '5', '0'), "MPEG4 (DivX)"},
    {MakeFourCC('M', 'P', '4', 'S'), "MPEG4 (Microsoft)"},
    {MakeFourCC('M', 'J', 'P', 'G'), "Motion JPEG"},
};

struct SubtypeName {
    const GUID* subtype;
    const char* name;
};

// Uncompressed subtypes, tested in this order.
const SubtypeName kSubtypeNames[] = {
    {&MEDIASUBTYPE_RGB24, "RGB 24"},
    {&MEDIASUBTYPE_RGB32, "RGB 32"},
    {&MEDIASUBTYPE_RGB8, "RGB 8"},
    {&MEDIASUBTYPE_RGB1, "RGB 1"},
    {&MEDIASUBTYPE_RGB4, "RGB 4"},
    {&MEDIASUBTYPE_RGB555, "RGB 555"},
    {&MEDIASUBTYPE_RGB565, "RGB 565"},
    {&MEDIASUBTYPE_ARGB1555, "ARGB1555"},
    {&MEDIASUBTYPE_ARGB32, "ARGB32"},
    {&MEDIASUBTYPE_ARGB4444, "ARGB4444"},
    {&MEDIASUBTYPE_A2R10G10B10, "A2R10G10B10"},
    {&MEDIASUBTYPE_A2B10G10R10, "A2B10G10R10"},
};

// FOURCC subtypes with a name of their own, tested after the uncompressed ones.
const char* const kFourccSubtypeNames[] = {
    "AI44", "IA44", "AYUV", "UYVY", "Y411", "Y41P", "Y211", "YUY2", "YVYU", "YUYV", "MJPG",
};

} // namespace

CFrameSize::CFrameSize() : m_nWidth(0), m_nHeight(0), m_nMinBitRate(0), m_nMaxBitRate(0) {}

CFrameSize::~CFrameSize()
{
    m_nWidth = m_nHeight = 0;
    m_nMinBitRate = m_nMaxBitRate = 0;
    m_arrFrameIntervals.RemoveAll();
}

CVideoFormat::CVideoFormat()
    : m_formatType(GUID_NULL), m_subType(GUID_NULL), m_nCompression(0), m_nCapsIndex(0), m_bFrameRate(0)
{
}

CVideoFormat::~CVideoFormat()
{
    Clear();
}

void CVideoFormat::Clear()
{
    m_formatType = GUID_NULL;
    m_subType = GUID_NULL;
    m_nCompression = 0;
    m_nCapsIndex = 0;
    m_bFrameRate = 0;
    m_arrFrameSizes.RemoveAll();
}

CString CVideoFormat::GetFormatName() const
{
    if (IsEqualGUID(m_formatType, FORMAT_MPEG2Video))
        return "MPEG2";
    if (IsEqualGUID(m_formatType, FORMAT_MPEGVideo))
        return "MPEG1";
    if (!IsEqualGUID(m_formatType, FORMAT_VideoInfo))
        return CString();
    for (const CompressionName& entry : kCompressionNames)
        if (m_nCompression == entry.fourcc)
            return entry.name;
    for (const SubtypeName& entry : kSubtypeNames)
        if (IsEqualGUID(m_subType, *entry.subtype))
            return entry.name;
    for (const char* name : kFourccSubtypeNames)
        if (IsEqualGUID(m_subType, FOURCCMap(MakeFourCC(name[0], name[1], name[2], name[3]))))
            return name;
    CString name;
    name.Format("%c%c%c%c", int(m_subType.Data1 & 0xFF), int((m_subType.Data1 >> 8) & 0xFF),
                int((m_subType.Data1 >> 16) & 0xFF), int((m_subType.Data1 >> 24) & 0xFF));
    return name;
}

// The wave format and its extension start zeroed, so an unfilled record never shows stray bytes.
CAudioFormat::CAudioFormat() : m_nCapsIndex(0), m_formatType(GUID_NULL), m_subType(GUID_NULL)
{
    std::memset(&m_waveFormat, 0, sizeof(m_waveFormat));
    std::memset(m_extension, 0, sizeof(m_extension));
}

CAudioFormat::~CAudioFormat()
{
    m_formatType = GUID_NULL;
    m_subType = GUID_NULL;
}
