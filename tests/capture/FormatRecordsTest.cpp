// tests/capture/FormatRecordsTest.cpp — the format records, their names and the media-type helpers
#include "capture/FormatRecords.h"
#include "capture/MediaType.h"

#include <gtest/gtest.h>

#include <dshow.h>
#include <dvdmedia.h>
#include <uuids.h>

#include <cstddef>
#include <cstring>

namespace {

// An IUnknown that counts its references, to see what the helpers take and give back.
class CountingUnknown : public IUnknown {
public:
    LONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (IsEqualIID(iid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(--refs); }
};

GUID Fourcc(const char* s)
{
    return FOURCCMap(MakeFourCC(s[0], s[1], s[2], s[3]));
}

TEST(FormatNameTest, TableOfFormats)
{
    struct Case {
        const GUID* formatType;
        GUID subType;
        DWORD compression;
        const char* name;
    } const cases[] = {
        {&FORMAT_MPEG2Video, MEDIASUBTYPE_RGB24, 0, "MPEG2"},
        {&FORMAT_MPEGVideo, MEDIASUBTYPE_RGB24, MakeFourCC('D', 'X', '5', '0'), "MPEG1"},
        {&FORMAT_VideoInfo2, MEDIASUBTYPE_RGB24, 0, ""},
        {&FORMAT_WaveFormatEx, MEDIASUBTYPE_RGB24, 0, ""},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_RGB24, MakeFourCC('D', 'X', '5', '0'), "MPEG4 (DivX)"},
        {&FORMAT_VideoInfo, Fourcc("YUY2"), MakeFourCC('M', 'P', '4', 'S'), "MPEG4 (Microsoft)"},
        {&FORMAT_VideoInfo, Fourcc("YUY2"), MakeFourCC('M', 'J', 'P', 'G'), "Motion JPEG"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_RGB24, 0, "RGB 24"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_RGB32, 0, "RGB 32"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_RGB8, 0, "RGB 8"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_RGB1, 0, "RGB 1"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_RGB4, 0, "RGB 4"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_RGB555, 0, "RGB 555"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_RGB565, 0, "RGB 565"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_ARGB1555, 0, "ARGB1555"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_ARGB32, 0, "ARGB32"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_ARGB4444, 0, "ARGB4444"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_A2R10G10B10, 0, "A2R10G10B10"},
        {&FORMAT_VideoInfo, MEDIASUBTYPE_A2B10G10R10, 0, "A2B10G10R10"},
        {&FORMAT_VideoInfo, Fourcc("AI44"), 0, "AI44"},
        {&FORMAT_VideoInfo, Fourcc("IA44"), 0, "IA44"},
        {&FORMAT_VideoInfo, Fourcc("AYUV"), 0, "AYUV"},
        {&FORMAT_VideoInfo, Fourcc("UYVY"), 0, "UYVY"},
        {&FORMAT_VideoInfo, Fourcc("Y411"), 0, "Y411"},
        {&FORMAT_VideoInfo, Fourcc("Y41P"), 0, "Y41P"},
        {&FORMAT_VideoInfo, Fourcc("Y211"), 0, "Y211"},
        {&FORMAT_VideoInfo, Fourcc("YUY2"), 0, "YUY2"},
        {&FORMAT_VideoInfo, Fourcc("YVYU"), 0, "YVYU"},
        {&FORMAT_VideoInfo, Fourcc("YUYV"), 0, "YUYV"},
        {&FORMAT_VideoInfo, Fourcc("MJPG"), 0, "MJPG"},
        {&FORMAT_VideoInfo, Fourcc("I420"), 0, "I420"},
        // The fallback reads only the first 32 bits, whatever the rest of the GUID.
        {&FORMAT_VideoInfo, MEDIATYPE_Video, 0, "vids"},
    };
    for (const Case& c : cases) {
        CVideoFormat format;
        format.m_formatType = *c.formatType;
        format.m_subType = c.subType;
        format.m_nCompression = c.compression;
        EXPECT_STREQ(c.name, format.GetFormatName()) << c.name;
    }
}

TEST(FormatRecordsTest, CopiesAreIndependent)
{
    CVideoFormat source;
    source.m_formatType = FORMAT_VideoInfo;
    source.m_nCapsIndex = 3;
    for (int n = 0; n < 2; ++n) {
        CFrameSize size;
        size.m_nWidth = 720 - n * 368;
        size.m_nHeight = 576 - n * 288;
        for (int i = 0; i < 3; ++i)
            size.m_arrFrameIntervals.Add(400000 + i);
        source.m_arrFrameSizes.Add(size);
    }
    CVideoFormat copy(source);
    CVideoFormat assigned;
    assigned = source;
    for (CVideoFormat* p : {&copy, &assigned}) {
        p->m_arrFrameSizes[0].m_arrFrameIntervals[1] = 1;
        p->m_arrFrameSizes[1].m_arrFrameIntervals.RemoveAll();
        p->m_arrFrameSizes[1].m_nWidth = 1;
    }
    ASSERT_EQ(2, source.m_arrFrameSizes.GetSize());
    EXPECT_EQ(400001, source.m_arrFrameSizes[0].m_arrFrameIntervals[1]);
    EXPECT_EQ(3, source.m_arrFrameSizes[1].m_arrFrameIntervals.GetSize());
    EXPECT_EQ(352, source.m_arrFrameSizes[1].m_nWidth);

    source = source;
    EXPECT_EQ(2, source.m_arrFrameSizes.GetSize());

    source.Clear();
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, source.m_formatType));
    EXPECT_EQ(0, source.m_nCapsIndex);
    EXPECT_EQ(0, source.m_arrFrameSizes.GetSize());
    EXPECT_EQ(2, copy.m_arrFrameSizes.GetSize());

    CAudioFormat audio;
    EXPECT_EQ(0, audio.m_waveFormat.nSamplesPerSec);
    audio.m_waveFormat.nSamplesPerSec = 48000;
    audio.m_extension[39] = 7;
    CAudioFormat audioCopy(audio);
    EXPECT_EQ(48000u, audioCopy.m_waveFormat.nSamplesPerSec);
    EXPECT_EQ(7, audioCopy.m_extension[39]);
}

TEST(FourccMapTest, BothDirections)
{
    const FOURCCMap yuy2(MakeFourCC('Y', 'U', 'Y', '2'));
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_YUY2, yuy2));
    EXPECT_EQ(MakeFourCC('M', 'J', 'P', 'G'), FOURCCMap(&MEDIASUBTYPE_MJPG).GetFOURCC());
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_PCM, FOURCCMap(WAVE_FORMAT_PCM)));
}

AM_MEDIA_TYPE* NewTypeWithBlock(IUnknown* pUnk, ULONG size)
{
    AM_MEDIA_TYPE* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    std::memset(pmt, 0, sizeof(*pmt));
    pmt->majortype = MEDIATYPE_Video;
    pmt->formattype = FORMAT_VideoInfo;
    pmt->cbFormat = size;
    pmt->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(size));
    for (ULONG i = 0; i < size; ++i)
        pmt->pbFormat[i] = BYTE(i);
    pmt->pUnk = pUnk;
    if (pUnk != nullptr)
        pUnk->AddRef();
    return pmt;
}

TEST(MediaTypeTest, CopyAndDeleteKeepReferencesBalanced)
{
    CountingUnknown unk;
    AM_MEDIA_TYPE* pmt = NewTypeWithBlock(&unk, 88);
    EXPECT_EQ(2, unk.refs);

    AM_MEDIA_TYPE* pCopy = CreateMediaType(pmt);
    ASSERT_NE(nullptr, pCopy);
    EXPECT_EQ(3, unk.refs);
    ASSERT_NE(pmt->pbFormat, pCopy->pbFormat);
    EXPECT_EQ(0, std::memcmp(pmt->pbFormat, pCopy->pbFormat, 88));

    {
        CMediaType held(*pCopy);
        EXPECT_EQ(4, unk.refs);
        EXPECT_TRUE(held == CMediaType(*pmt));
        held.pbFormat[5] ^= 0xFF;
        EXPECT_TRUE(held != CMediaType(*pmt));
        held = held;
        EXPECT_EQ(4, unk.refs);
    }
    EXPECT_EQ(3, unk.refs);

    DeleteMediaType(pCopy);
    DeleteMediaType(pmt);
    DeleteMediaType(nullptr);
    EXPECT_EQ(1, unk.refs);
}

TEST(MediaTypeTest, DefaultsSampleSizesAndPartialMatches)
{
    CMediaType mt;
    EXPECT_EQ(1u, mt.lSampleSize);
    EXPECT_TRUE(mt.IsFixedSize());
    EXPECT_FALSE(mt.IsValid());
    EXPECT_TRUE(mt.IsPartiallySpecified());
    mt.SetSampleSize(0);
    EXPECT_EQ(0u, mt.GetSampleSize());
    mt.SetSampleSize(4096);
    EXPECT_EQ(4096u, mt.GetSampleSize());

    CMediaType video(&MEDIATYPE_Video);
    video.SetSubtype(&MEDIASUBTYPE_RGB24);
    video.SetFormatType(&FORMAT_VideoInfo);
    const BYTE block[4] = {1, 2, 3, 4};
    ASSERT_TRUE(video.SetFormat(block, 4));

    CMediaType anyVideo(&MEDIATYPE_Video);
    EXPECT_TRUE(video.MatchesPartial(&anyVideo));
    CMediaType audio(&MEDIATYPE_Audio);
    EXPECT_FALSE(video.MatchesPartial(&audio));
    CMediaType sameFormat(video);
    sameFormat.SetSubtype(&GUID_NULL);
    EXPECT_TRUE(video.MatchesPartial(&sameFormat));
    sameFormat.ReallocFormatBuffer(3);
    EXPECT_EQ(3, sameFormat.Format()[2]);
    EXPECT_FALSE(video.MatchesPartial(&sameFormat));
}

TEST(MediaTypeTest, AudioTypesFromWaveFormats)
{
    WAVEFORMATEX pcm = {WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 22};
    CMediaType mt;
    ASSERT_EQ(S_OK, CreateAudioMediaType(&pcm, &mt, TRUE));
    EXPECT_TRUE(IsEqualGUID(MEDIATYPE_Audio, mt.majortype));
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_PCM, mt.subtype));
    EXPECT_TRUE(IsEqualGUID(FORMAT_WaveFormatEx, mt.formattype));
    EXPECT_EQ(4u, mt.GetSampleSize());
    ASSERT_EQ(18u, mt.cbFormat);
    EXPECT_EQ(0, reinterpret_cast<WAVEFORMATEX*>(mt.pbFormat)->cbSize);
    EXPECT_EQ(48000u, reinterpret_cast<WAVEFORMATEX*>(mt.pbFormat)->nSamplesPerSec);

    WAVEFORMATEXTENSIBLE ext;
    std::memset(&ext, 0, sizeof ext);
    ext.Format = {WAVE_FORMAT_EXTENSIBLE, 2, 44100, 176400, 4, 16, 22};
    ext.SubFormat = MEDIASUBTYPE_IEEE_FLOAT;
    CMediaType extType;
    ASSERT_EQ(S_OK, CreateAudioMediaType(&ext.Format, &extType, TRUE));
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_IEEE_FLOAT, extType.subtype));
    EXPECT_EQ(40u, extType.cbFormat);
}

TEST(MediaTypeTest, FormatBlocksAreReadOnlyWhenLongEnough)
{
    struct Case {
        const char* what;
        GUID formatType;
        ULONG size;
        bool block;
        bool expected;
    } const cases[] = {
        {"whole header", FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER), true, true},
        {"longer block", FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER) + 40, true, true},
        {"one byte short", FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER) - 1, true, false},
        {"size without a block", FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER), false, false},
        {"other format type", FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER2), true, false},
    };
    for (const Case& c : cases) {
        CMediaType mt(&MEDIATYPE_Video);
        mt.SetFormatType(&c.formatType);
        if (c.block)
            mt.AllocFormatBuffer(c.size);
        else
            mt.cbFormat = c.size;
        EXPECT_EQ(c.expected, GetFormatBlockAs<VIDEOINFOHEADER>(&mt, FORMAT_VideoInfo) != nullptr) << c.what;
        if (!c.block)
            mt.cbFormat = 0;
    }
    EXPECT_EQ(nullptr, GetFormatBlock(nullptr, FORMAT_VideoInfo, 0));
}

// MPEG video blocks end in their sequence header: a block is read when it holds the fixed part up to the header
// and the header's announced length, however short the header is.
TEST(MediaTypeTest, MpegBlocksAreReadToTheEndOfTheirSequenceHeader)
{
    const ULONG mpeg1 = offsetof(MPEG1VIDEOINFO, bSequenceHeader);  // 96
    const ULONG mpeg2 = offsetof(MPEG2VIDEOINFO, dwSequenceHeader); // 132
    struct Case {
        const char* what;
        ULONG headerOffset;
        ULONG size;
        DWORD announced;
        bool expected;
    } const cases[] = {
        {"MPEG-1 empty header", mpeg1, mpeg1, 0, true},
        {"MPEG-1 short header", mpeg1, mpeg1 + 4, 4, true},
        {"MPEG-1 whole structure", mpeg1, sizeof(MPEG1VIDEOINFO), sizeof(MPEG1VIDEOINFO) - mpeg1, true},
        {"MPEG-1 full header", mpeg1, mpeg1 + 140, 140, true},
        {"MPEG-1 data after the header", mpeg1, mpeg1 + 12 + 1428, 12, true},
        {"MPEG-1 cut in the fixed part", mpeg1, mpeg1 - 1, 0, false},
        {"MPEG-1 without the length field", mpeg1, mpeg1 - 4, 0, false},
        {"MPEG-1 header past the block", mpeg1, sizeof(MPEG1VIDEOINFO), 64, false},
        {"MPEG-1 header one byte past", mpeg1, mpeg1 + 4, 5, false},
        {"MPEG-1 absurd header length", mpeg1, mpeg1 + 4, 0xFFFFFFFF, false},
        {"MPEG-2 empty header", mpeg2, mpeg2, 0, true},
        {"MPEG-2 short header", mpeg2, mpeg2 + 2, 2, true},
        {"MPEG-2 whole structure", mpeg2, sizeof(MPEG2VIDEOINFO), sizeof(MPEG2VIDEOINFO) - mpeg2, true},
        {"MPEG-2 full header", mpeg2, mpeg2 + 140, 140, true},
        {"MPEG-2 cut in the fixed part", mpeg2, sizeof(VIDEOINFOHEADER2), 0, false},
        {"MPEG-2 header past the block", mpeg2, sizeof(MPEG2VIDEOINFO), 64, false},
        {"MPEG-2 absurd header length", mpeg2, mpeg2, 0xFFFFFFFC, false},
    };
    for (const Case& c : cases) {
        const bool isMpeg1 = c.headerOffset == mpeg1;
        CMediaType mt(&MEDIATYPE_Video);
        mt.SetFormatType(isMpeg1 ? &FORMAT_MPEGVideo : &FORMAT_MPEG2Video);
        BYTE* block = mt.AllocFormatBuffer(c.size);
        ASSERT_NE(nullptr, block);
        std::memset(block, 0, c.size);
        // The length field sits just before the sequence header in both structures.
        if (c.size >= c.headerOffset)
            std::memcpy(block + (isMpeg1 ? offsetof(MPEG1VIDEOINFO, cbSequenceHeader)
                                         : offsetof(MPEG2VIDEOINFO, cbSequenceHeader)),
                        &c.announced, sizeof c.announced);
        const bool read = isMpeg1 ? GetFormatBlockAs<MPEG1VIDEOINFO>(&mt, FORMAT_MPEGVideo) != nullptr
                                  : GetFormatBlockAs<MPEG2VIDEOINFO>(&mt, FORMAT_MPEG2Video) != nullptr;
        EXPECT_EQ(c.expected, read) << c.what;
        EXPECT_EQ(c.expected, isMpeg1 ? GetWritableFormatBlockAs<MPEG1VIDEOINFO>(&mt, FORMAT_MPEGVideo) != nullptr
                                      : GetWritableFormatBlockAs<MPEG2VIDEOINFO>(&mt, FORMAT_MPEG2Video) != nullptr)
            << c.what;
    }
    // A block of the other MPEG format type is not read as this one.
    CMediaType mt(&MEDIATYPE_Video);
    mt.SetFormatType(&FORMAT_MPEG2Video);
    std::memset(mt.AllocFormatBuffer(sizeof(MPEG2VIDEOINFO)), 0, sizeof(MPEG2VIDEOINFO));
    EXPECT_EQ(nullptr, GetFormatBlockAs<MPEG1VIDEOINFO>(&mt, FORMAT_MPEGVideo));
}

} // namespace
