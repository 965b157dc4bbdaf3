// tests/capture/CaptureDeviceTest.cpp
// The capture-device base on fake filters: defaults, the video and audio capability enumerations (grouping,
// the maker's Motion-JPEG intervals, sorting, PCM duplicates, odd drivers), the pin choice, the current-format
// readers and the tuner wrappers.
#include "FakeDeviceInterfaces.h"
#include "FakeFilters.h"

#include "capture/CaptureDevice.h"
#include "capture/CaptureFilterInfo.h"
#include "capture/MediaType.h"

#include <gtest/gtest.h>

#include <dvdmedia.h>
#include <ks.h>
#include <ksmedia.h>
#include <uuids.h>

#include <algorithm>
#include <cstddef>
#include <vector>

using namespace capture_test;

namespace {

const DWORD kMjpg = MakeFourCC('M', 'J', 'P', 'G');
const DWORD kMp4s = MakeFourCC('M', 'P', '4', 'S');
const DWORD kDx50 = MakeFourCC('D', 'X', '5', '0');
const DWORD kYuy2 = MakeFourCC('Y', 'U', 'Y', '2');
const GUID kYuy2Subtype = FOURCCMap(kYuy2);

// The base with its builders left empty, and the tuner descriptor settable as a box's graph would set it.
class TestDevice : public CCaptureDevice {
public:
    TestDevice(CCaptureFilterInfo* pInfo) : CCaptureDevice(pInfo, nullptr) {}
    HRESULT BuildBasicGraph() override { return E_NOTIMPL; }
    HRESULT Initialize() override { return E_NOTIMPL; }
    HRESULT BuildPreviewCaptureGraph() override { return E_NOTIMPL; }
    HRESULT ReadTunerState() override { return E_NOTIMPL; }
    void SetTuner(CCaptureFilterInfo* pInfo) { m_pTuner = pInfo; }
};

// A device filter with a video pin (of a category) and an audio pin, each with a stream configuration.
class DeviceFixture : public ::testing::Test {
protected:
    FakeRef<FakeStreamConfig> video;
    FakeRef<FakeStreamConfig> audio;
    FakeRef<FakeVideoControl> rates;
    bool withRates = false;
    const GUID* videoCategory = &PIN_CATEGORY_CAPTURE;
    const char* name = "USB Camera";
    const wchar_t* videoPinName = L"Capture";

    void SetUp() override { audio->capsSize = sizeof(AUDIO_STREAM_CONFIG_CAPS); }
    void TearDown() override
    {
        device.reset();
        if (info != nullptr)
            info->Release();
        if (filter != nullptr) {
            EXPECT_EQ(1, RefCount(filter)) << "the device keeps a reference of the filter";
            AsBaseFilter(filter)->Release();
        }
        EXPECT_EQ(0, video->outstandingTypes);
        EXPECT_EQ(0, audio->outstandingTypes);
    }

    TestDevice& Make()
    {
        FakeFilterLayout layout;
        FakePinLayout videoPin;
        videoPin.name = videoPinName;
        videoPin.majorTypes = {MEDIATYPE_Video};
        videoPin.category = videoCategory;
        videoPin.interfaces = {video.As<IAMStreamConfig>(IID_IAMStreamConfig)};
        FakePinLayout audioPin;
        audioPin.name = L"Audio Capture";
        audioPin.majorTypes = {MEDIATYPE_Audio};
        audioPin.category = &PIN_CATEGORY_CAPTURE;
        audioPin.interfaces = {audio.As<IAMStreamConfig>(IID_IAMStreamConfig)};
        layout.pins = {videoPin, audioPin};
        if (withRates)
            layout.interfaces = {rates.As<IAMVideoControl>(IID_IAMVideoControl)};
        filter = CreateFakeFilter(layout);
        info = new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(filter)), name, "\\\\?\\usb#cam#1#{x}");
        device.reset(new TestDevice(info));
        return *device;
    }

    FakeFilter* filter = nullptr;
    CCaptureFilterInfo* info = nullptr;
    std::unique_ptr<TestDevice> device;
};

std::vector<std::pair<LONG, LONG>> Sizes(const CVideoFormat& format)
{
    std::vector<std::pair<LONG, LONG>> sizes;
    for (INT_PTR i = 0; i < format.m_arrFrameSizes.GetSize(); ++i)
        sizes.push_back({format.m_arrFrameSizes[i].m_nWidth, format.m_arrFrameSizes[i].m_nHeight});
    return sizes;
}

std::vector<LONGLONG> Intervals(const CFrameSize& size)
{
    return std::vector<LONGLONG>(size.m_arrFrameIntervals.GetData(),
                                 size.m_arrFrameIntervals.GetData() + size.m_arrFrameIntervals.GetSize());
}

} // namespace

TEST_F(DeviceFixture, DefaultsOfANewDevice)
{
    TestDevice& d = Make();
    EXPECT_EQ(1, d.m_bAudioPreview);
    EXPECT_EQ(1, d.m_bVideoPreview);
    EXPECT_EQ(0, d.m_bCapture1);
    EXPECT_EQ(0, d.m_bCapture2);
    EXPECT_EQ(17, d.m_nVideoSource);
    EXPECT_EQ(DWORD(AnalogVideo_PAL_B), d.m_nTVFormat);
    EXPECT_EQ(21, d.m_nCountry);
    EXPECT_EQ(1u, d.m_nTunerInputType);
    EXPECT_EQ(4000000u, d.m_nVideoBitRate);
    EXPECT_EQ(2, d.m_nAudioCompression);
    EXPECT_EQ(0, d.m_channelList.m_nListNumber);
    EXPECT_EQ(1, d.m_channelList.m_nSelectedChannel);
    ASSERT_EQ(1, d.m_videoFormat.m_arrFrameSizes.GetSize());
    EXPECT_EQ(4000000u, d.m_videoFormat.m_arrFrameSizes[0].m_nMaxBitRate);
    EXPECT_EQ(0, d.m_videoFormat.m_arrFrameSizes[0].m_nWidth);
    const WAVEFORMATEX& w = d.m_audioFormat.m_waveFormat;
    EXPECT_EQ(WAVE_FORMAT_PCM, w.wFormatTag);
    EXPECT_EQ(2, w.nChannels);
    EXPECT_EQ(48000u, w.nSamplesPerSec);
    EXPECT_EQ(192000u, w.nAvgBytesPerSec);
    EXPECT_EQ(4, w.nBlockAlign);
    EXPECT_EQ(16, w.wBitsPerSample);
    EXPECT_EQ(0, w.cbSize);
}

TEST_F(DeviceFixture, FormatsOfOneKindAreGroupedInCapabilityOrder)
{
    FakeMediaType big = VideoInfoType(MEDIASUBTYPE_MJPG, kMjpg, 720, 576);
    SetVideoCaps(big, 0, 333333, 666666, 1000, 2000);
    FakeMediaType small = VideoInfoType(MEDIASUBTYPE_MJPG, kMjpg, 352, 288);
    SetVideoCaps(small, 0, 400000, 800000, 10, 20);
    video->capabilities = {big, small, VideoInfoType(FOURCCMap(kMp4s), kMp4s, 720, 576)};
    TestDevice& d = Make();
    d.EnumVideoCaps();

    ASSERT_EQ(2, d.m_videoFormats.GetSize());
    const CVideoFormat& mjpg = d.m_videoFormats[0];
    EXPECT_EQ(kMjpg, mjpg.m_nCompression);
    EXPECT_EQ(0, mjpg.m_nCapsIndex);
    EXPECT_EQ(1, mjpg.m_bFrameRate);
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{720, 576}, {352, 288}}), Sizes(mjpg));
    EXPECT_EQ((std::vector<LONGLONG>{333333, 666666}), Intervals(mjpg.m_arrFrameSizes[0]));
    EXPECT_EQ(1000u, mjpg.m_arrFrameSizes[0].m_nMinBitRate);
    EXPECT_EQ(2000u, mjpg.m_arrFrameSizes[0].m_nMaxBitRate);
    EXPECT_EQ(kMp4s, d.m_videoFormats[1].m_nCompression);
    EXPECT_EQ(2, d.m_videoFormats[1].m_nCapsIndex);
    EXPECT_EQ(0, d.m_videoFormats[1].m_bFrameRate);
}

TEST_F(DeviceFixture, SizesWithoutIntervalsAreSortedLargestFirst)
{
    video->capabilities = {VideoInfoType(kYuy2Subtype, kYuy2, 352, 288), VideoInfoType(kYuy2Subtype, kYuy2, 720, 576),
                           VideoInfoType(kYuy2Subtype, kYuy2, 720, 480), VideoInfoType(kYuy2Subtype, kYuy2, 160, 120)};
    TestDevice& d = Make();
    d.EnumVideoCaps();
    ASSERT_EQ(1, d.m_videoFormats.GetSize());
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{720, 576}, {720, 480}, {352, 288}, {160, 120}}),
              Sizes(d.m_videoFormats[0]));
}

TEST_F(DeviceFixture, FrameRatesOfTheVideoControlAreSortedAndSetTheFlag)
{
    withRates = true;
    rates->rates = {{0, 640, 480, {666666, 333333, 1000000}}};
    video->capabilities = {VideoInfoType(kYuy2Subtype, kYuy2, 640, 480), VideoInfoType(kYuy2Subtype, kYuy2, 320, 240)};
    TestDevice& d = Make();
    d.EnumVideoCaps();
    ASSERT_EQ(1, d.m_videoFormats.GetSize());
    const CVideoFormat& format = d.m_videoFormats[0];
    EXPECT_EQ(1, format.m_bFrameRate);
    // The first size has intervals, so the sizes keep the capability order.
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{640, 480}, {320, 240}}), Sizes(format));
    EXPECT_EQ((std::vector<LONGLONG>{333333, 666666, 1000000}), Intervals(format.m_arrFrameSizes[0]));
    EXPECT_TRUE(format.m_arrFrameSizes[1].m_arrFrameIntervals.IsEmpty());
}

TEST_F(DeviceFixture, WithoutVideoControlTheFrameRateListIsOnlySorted)
{
    TestDevice& d = Make();
    CArray<LONGLONG> intervals;
    intervals.Add(3);
    intervals.Add(-1);
    intervals.Add(2);
    EXPECT_EQ(S_OK, d.GetFrameRateList(d.FindVideoCapturePin(), 0, 640, 480, intervals));
    ASSERT_EQ(3, intervals.GetSize());
    EXPECT_EQ(-1, intervals[0]);
    EXPECT_EQ(2, intervals[1]);
    EXPECT_EQ(3, intervals[2]);
}

struct MakerIntervalCase {
    ULONG videoStandard;
    std::vector<LONGLONG> intervals;
};

class MakerIntervals : public DeviceFixture, public ::testing::WithParamInterface<MakerIntervalCase> {};

TEST_P(MakerIntervals, FollowTheStandardOfTheCapability)
{
    name = "Korvath Vidmorph Test A/V Capture";
    videoPinName = L"Video Capture";
    FakeMediaType type = VideoInfoType(MEDIASUBTYPE_MJPG, kMjpg, 720, 576);
    SetVideoCaps(type, GetParam().videoStandard, 111, 222, 0, 0);
    video->capabilities = {type};
    TestDevice& d = Make();
    d.EnumVideoCaps();
    ASSERT_EQ(1, d.m_videoFormats.GetSize());
    EXPECT_EQ(GetParam().intervals, Intervals(d.m_videoFormats[0].m_arrFrameSizes[0]));
    EXPECT_EQ(1, d.m_videoFormats[0].m_bFrameRate);
}

INSTANTIATE_TEST_SUITE_P(
    Standards, MakerIntervals,
    ::testing::Values(MakerIntervalCase{AnalogVideo_PAL_B, {400000, 800031, 1200095}},
                      MakerIntervalCase{AnalogVideo_PAL_B | AnalogVideo_NTSC_M, {400000, 800031, 1200095}},
                      MakerIntervalCase{AnalogVideo_NTSC_M, {333666, 416666, 666666, 1000000, 2000000}},
                      MakerIntervalCase{AnalogVideo_SECAM_B, {400000, 800031, 1200095}},
                      MakerIntervalCase{0, {111, 222}}));

TEST_F(DeviceFixture, OtherDevicesTakeTheIntervalsOfTheCapsWhateverTheStandard)
{
    FakeMediaType type = VideoInfoType(MEDIASUBTYPE_MJPG, kMjpg, 720, 576);
    SetVideoCaps(type, AnalogVideo_PAL_B, 111, 222, 0, 0);
    video->capabilities = {type};
    TestDevice& d = Make();
    d.EnumVideoCaps();
    ASSERT_EQ(1, d.m_videoFormats.GetSize());
    EXPECT_EQ((std::vector<LONGLONG>{111, 222}), Intervals(d.m_videoFormats[0].m_arrFrameSizes[0]));
}

TEST_F(DeviceFixture, TheMakersBoxKeepsOnlyItsCompressedFormats)
{
    name = "Korvath Vidmorph Test A/V Capture";
    videoPinName = L"Video Capture";
    video->capabilities = {
        VideoInfoType(kYuy2Subtype, kYuy2, 720, 576),
        VideoInfoType(FOURCCMap(MakeFourCC('H', '2', '6', '3')), MakeFourCC('H', '2', '6', '3'), 720, 576),
        Mpeg1Type(352, 288), Mpeg2Type(720, 576), VideoInfoType(FOURCCMap(kDx50), kDx50, 720, 576)};
    TestDevice& d = Make();
    d.EnumVideoCaps();
    ASSERT_EQ(3, d.m_videoFormats.GetSize());
    EXPECT_TRUE(IsEqualGUID(FORMAT_MPEGVideo, d.m_videoFormats[0].m_formatType));
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{352, 288}}), Sizes(d.m_videoFormats[0]));
    EXPECT_TRUE(IsEqualGUID(FORMAT_MPEG2Video, d.m_videoFormats[1].m_formatType));
    EXPECT_EQ(kDx50, d.m_videoFormats[2].m_nCompression);
}

TEST_F(DeviceFixture, OddCapabilitiesAreSkipped)
{
    FakeMediaType shortBlock = VideoInfoType(kYuy2Subtype, kYuy2, 640, 480);
    shortBlock.format.resize(40);
    FakeMediaType failing = VideoInfoType(kYuy2Subtype, kYuy2, 800, 600);
    failing.result = E_FAIL;
    FakeMediaType other = VideoInfoType(kYuy2Subtype, kYuy2, 320, 240);
    other.formatType = FORMAT_DvInfo;
    FakeMediaType mpeg2WrongFormat = Mpeg2Type(720, 576);
    mpeg2WrongFormat.formatType = FORMAT_MPEGVideo;
    video->capabilities = {shortBlock, failing, other, mpeg2WrongFormat, VideoInfoType(kYuy2Subtype, kYuy2, 160, 120)};
    TestDevice& d = Make();
    d.EnumVideoCaps();
    ASSERT_EQ(1, d.m_videoFormats.GetSize());
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{160, 120}}), Sizes(d.m_videoFormats[0]));
    EXPECT_EQ(4, d.m_videoFormats[0].m_nCapsIndex);
}

// MPEG capabilities come at their real lengths: the fixed part, then a sequence header that may be short or
// empty. A block that ends before its announced header is skipped.
TEST_F(DeviceFixture, MpegCapabilitiesAtTheirRealLengths)
{
    FakeMediaType pastTheBlock = Mpeg2Type(704, 576, 4);
    pastTheBlock.format.pop_back(); // announces 4 header bytes and holds 3
    FakeMediaType cut = Mpeg1Type(320, 240);
    cut.format.resize(cut.format.size() - 4); // ends before the header's length
    video->capabilities = {Mpeg1Type(352, 288), Mpeg2Type(720, 576),      Mpeg1Type(352, 240, 12),
                           pastTheBlock,        Mpeg2Type(720, 480, 140), cut};
    TestDevice& d = Make();
    d.EnumVideoCaps();
    ASSERT_EQ(2, d.m_videoFormats.GetSize());
    EXPECT_TRUE(IsEqualGUID(FORMAT_MPEGVideo, d.m_videoFormats[0].m_formatType));
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{352, 288}, {352, 240}}), Sizes(d.m_videoFormats[0]));
    EXPECT_TRUE(IsEqualGUID(FORMAT_MPEG2Video, d.m_videoFormats[1].m_formatType));
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{720, 576}, {720, 480}}), Sizes(d.m_videoFormats[1]));
}

// A driver writes capability records of the size it announces. The records are read at that size: the formats of
// a driver with longer or shorter records are listed, and what a driver writes past its announced size is never
// taken (these drivers announce short records and still write whole ones). A size beyond any record lists nothing
// and is never handed to the driver.
TEST_F(DeviceFixture, CapabilityRecordsAreReadAtTheAnnouncedSize)
{
    const int videoRecord = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    const int audioRecord = sizeof(AUDIO_STREAM_CONFIG_CAPS);
    const int beforeBitRates = offsetof(VIDEO_STREAM_CONFIG_CAPS, MinBitsPerSecond);
    struct Case {
        int videoSize;
        int audioSize;
        bool listed;
        std::vector<LONGLONG> intervals;
        DWORD minBits;
        DWORD maxBits;
    };
    const Case cases[] = {
        {videoRecord + 64, audioRecord + 76, true, {333333, 666666}, 1000000, 2000000},
        {beforeBitRates, audioRecord - 40, true, {333333, 666666}, 0, 0},
        {0, 0, true, {0, 0}, 0, 0},
        {-1, -1, true, {0, 0}, 0, 0},
        {CStreamCapsReader::kMaxRecordSize + 1, CStreamCapsReader::kMaxRecordSize + 1, false, {}, 0, 0},
        {0x7FFFFFFF, 0x7FFFFFFF, false, {}, 0, 0},
    };
    FakeMediaType mjpg = VideoInfoType(FOURCCMap(kMjpg), kMjpg, 640, 480);
    SetVideoCaps(mjpg, AnalogVideo_PAL_B, 333333, 666666, 1000000, 2000000);
    video->capabilities = {mjpg};
    audio->capabilities = {PcmType(2, 48000, 16)};
    TestDevice& d = Make();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.videoSize);
        video->capsSize = c.videoSize;
        video->capsWritten = std::max(c.videoSize, videoRecord);
        video->streamCapsCalls = 0;
        audio->capsSize = c.audioSize;
        audio->capsWritten = std::max(c.audioSize, audioRecord);
        audio->streamCapsCalls = 0;
        d.EnumVideoCaps();
        d.EnumAudioCaps();
        if (!c.listed) {
            EXPECT_TRUE(d.m_videoFormats.IsEmpty());
            EXPECT_TRUE(d.m_audioFormats.IsEmpty());
            EXPECT_EQ(0, video->streamCapsCalls);
            EXPECT_EQ(0, audio->streamCapsCalls);
            continue;
        }
        ASSERT_EQ(1, d.m_videoFormats.GetSize());
        ASSERT_EQ(1, d.m_videoFormats[0].m_arrFrameSizes.GetSize());
        const CFrameSize& size = d.m_videoFormats[0].m_arrFrameSizes[0];
        EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{640, 480}}), Sizes(d.m_videoFormats[0]));
        EXPECT_EQ(c.intervals, Intervals(size));
        EXPECT_EQ(c.minBits, size.m_nMinBitRate);
        EXPECT_EQ(c.maxBits, size.m_nMaxBitRate);
        ASSERT_EQ(1, d.m_audioFormats.GetSize());
        EXPECT_EQ(48000u, d.m_audioFormats[0].m_waveFormat.nSamplesPerSec);
    }
}

TEST_F(DeviceFixture, PcmFormatsWithoutDuplicates)
{
    FakeMediaType compressed = PcmType(2, 44100, 16);
    compressed.subType = MEDIASUBTYPE_MPEG1AudioPayload;
    audio->capabilities = {PcmType(2, 48000, 16), PcmType(2, 48000, 16, 2), compressed, PcmType(1, 44100, 8)};
    TestDevice& d = Make();
    d.EnumAudioCaps();
    ASSERT_EQ(2, d.m_audioFormats.GetSize());
    EXPECT_EQ(0, d.m_audioFormats[0].m_nCapsIndex);
    EXPECT_EQ(48000u, d.m_audioFormats[0].m_waveFormat.nSamplesPerSec);
    EXPECT_EQ(3, d.m_audioFormats[1].m_nCapsIndex);
    EXPECT_EQ(1, d.m_audioFormats[1].m_waveFormat.nChannels);
    EXPECT_TRUE(IsEqualGUID(FORMAT_WaveFormatEx, d.m_audioFormats[1].m_formatType));
}

TEST_F(DeviceFixture, ThePreviewPinServesWhenThereIsNoCapturePin)
{
    videoCategory = &PIN_CATEGORY_PREVIEW;
    TestDevice& d = Make();
    CComPtr<IPin> pin = d.FindVideoCapturePin();
    ASSERT_TRUE(pin);
    PIN_INFO pinInfo = {};
    pin->QueryPinInfo(&pinInfo);
    pinInfo.pFilter->Release();
    EXPECT_STREQ(L"Capture", pinInfo.achName);
}

TEST_F(DeviceFixture, CurrentMotionJpegFormat)
{
    FakeMediaType current = VideoInfoType(MEDIASUBTYPE_MJPG, kMjpg, 640, 480);
    reinterpret_cast<VIDEOINFOHEADER*>(current.format.data())->AvgTimePerFrame = 400000;
    reinterpret_cast<VIDEOINFOHEADER*>(current.format.data())->dwBitRate = 5000000;
    video->current = current;
    TestDevice& d = Make();
    EXPECT_EQ(S_OK, d.ReadCurrentVideoFormat());
    EXPECT_EQ(kMjpg, d.m_videoFormat.m_nCompression);
    EXPECT_EQ(1, d.m_videoFormat.m_bFrameRate);
    ASSERT_EQ(1, d.m_videoFormat.m_arrFrameSizes.GetSize());
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{640, 480}}), Sizes(d.m_videoFormat));
    EXPECT_EQ((std::vector<LONGLONG>{400000}), Intervals(d.m_videoFormat.m_arrFrameSizes[0]));
    EXPECT_EQ(5000000u, d.m_nVideoBitRate);
}

TEST_F(DeviceFixture, CurrentMpegFourFormatHasNoInterval)
{
    video->current = VideoInfoType(FOURCCMap(kDx50), kDx50, 352, 288);
    TestDevice& d = Make();
    EXPECT_EQ(S_OK, d.ReadCurrentVideoFormat());
    EXPECT_EQ(0, d.m_videoFormat.m_bFrameRate);
    EXPECT_TRUE(d.m_videoFormat.m_arrFrameSizes[0].m_arrFrameIntervals.IsEmpty());
}

TEST_F(DeviceFixture, CurrentFormatThatCannotBeReadLeavesOneDefaultSize)
{
    video->getFormatResult = E_FAIL;
    TestDevice& d = Make();
    EXPECT_EQ(S_OK, d.ReadCurrentVideoFormat());
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{720, 576}}), Sizes(d.m_videoFormat));
}

TEST(CaptureDeviceWithoutPins, CurrentFormatFailsWithOneDefaultSize)
{
    FakeFilter* filter = CreateFakeFilter(FakeFilterLayout());
    CCaptureFilterInfo* info = new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(filter)), "Cam", "p");
    {
        TestDevice d(info);
        EXPECT_EQ(E_FAIL, d.ReadCurrentVideoFormat());
        EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{720, 576}}), Sizes(d.m_videoFormat));
        EXPECT_EQ(E_FAIL, d.ReadCurrentAudioFormat());
        d.EnumVideoCaps();
        d.EnumAudioCaps();
        EXPECT_TRUE(d.m_videoFormats.IsEmpty());
        EXPECT_TRUE(d.m_audioFormats.IsEmpty());
    }
    info->Release();
    AsBaseFilter(filter)->Release();
}

TEST_F(DeviceFixture, CurrentMpegTwoFormat)
{
    FakeMediaType current = Mpeg2Type(720, 576);
    reinterpret_cast<MPEG2VIDEOINFO*>(current.format.data())->hdr.dwBitRate = 6000000;
    video->current = current;
    TestDevice& d = Make();
    EXPECT_EQ(S_OK, d.ReadCurrentVideoFormat());
    EXPECT_TRUE(IsEqualGUID(FORMAT_MPEG2Video, d.m_videoFormat.m_formatType));
    EXPECT_EQ(6000000u, d.m_videoFormat.m_arrFrameSizes[0].m_nMaxBitRate);
    EXPECT_EQ(6000000u, d.m_nVideoBitRate);
}

TEST_F(DeviceFixture, CurrentAudioFormat)
{
    audio->current = PcmType(1, 22050, 8);
    TestDevice& d = Make();
    EXPECT_EQ(S_OK, d.ReadCurrentAudioFormat());
    EXPECT_EQ(1, d.m_audioFormat.m_waveFormat.nChannels);
    EXPECT_EQ(22050u, d.m_audioFormat.m_waveFormat.nSamplesPerSec);
    EXPECT_TRUE(IsEqualGUID(MEDIASUBTYPE_PCM, d.m_audioFormat.m_subType));
}

TEST_F(DeviceFixture, CurrentAudioBlockTooShortChangesNothing)
{
    FakeMediaType current = PcmType(1, 22050, 8);
    current.format.resize(10);
    audio->current = current;
    TestDevice& d = Make();
    EXPECT_EQ(S_OK, d.ReadCurrentAudioFormat());
    EXPECT_EQ(48000u, d.m_audioFormat.m_waveFormat.nSamplesPerSec);
}

// A tuner filter beside the device: the wrappers reach it through the tuner descriptor.
class TunerFixture : public DeviceFixture {
protected:
    FakeRef<FakeTvTuner> tuner;
    FakeFilter* tunerFilter = nullptr;
    CCaptureFilterInfo* tunerInfo = nullptr;

    TestDevice& MakeWithTuner(bool tunerInterface = true)
    {
        TestDevice& d = Make();
        FakeFilterLayout layout;
        if (tunerInterface)
            layout.interfaces = {tuner.As<IAMTVTuner>(IID_IAMTVTuner), tuner.As<IKsPropertySet>(IID_IKsPropertySet)};
        tunerFilter = CreateFakeFilter(layout);
        tunerInfo = new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(tunerFilter)), "Tuner", "p");
        d.SetTuner(tunerInfo);
        return d;
    }
    void TearDown() override
    {
        if (tunerInfo != nullptr)
            tunerInfo->Release();
        if (tunerFilter != nullptr)
            AsBaseFilter(tunerFilter)->Release();
        DeviceFixture::TearDown();
    }
};

TEST_F(TunerFixture, FrequencyWithinTheTunersRangeIncludingItsBounds)
{
    tuner->minFrequency = 48250000;
    tuner->maxFrequency = 855250000;
    TestDevice& d = MakeWithTuner();
    EXPECT_EQ(S_OK, d.SetTunerFrequency(48250000));
    EXPECT_EQ(S_OK, d.SetTunerFrequency(855250000));
    EXPECT_EQ(E_FAIL, d.SetTunerFrequency(48249999));
    EXPECT_EQ(E_FAIL, d.SetTunerFrequency(855250001));
    ASSERT_EQ(2u, tuner->frequencies.size());
    EXPECT_EQ(48250000u, tuner->frequencies[0].first);
    EXPECT_EQ(ULONG(KS_TUNER_TUNING_EXACT), tuner->frequencies[0].second);
}

TEST_F(TunerFixture, FrequencyIsFineTunedWhenTheDriverTunes)
{
    tuner->maxFrequency = 900000000;
    tuner->strategy = KS_TUNER_STRATEGY_DRIVER_TUNES;
    TestDevice& d = MakeWithTuner();
    EXPECT_EQ(S_OK, d.SetTunerFrequency(503250000));
    ASSERT_EQ(1u, tuner->frequencies.size());
    EXPECT_EQ(ULONG(KS_TUNER_TUNING_FINE), tuner->frequencies[0].second);
}

TEST_F(TunerFixture, FrequencyFailsWithoutModeCapsOrWhenTheSetFails)
{
    tuner->maxFrequency = 900000000;
    tuner->modeSupport = KSPROPERTY_SUPPORT_SET;
    TestDevice& d = MakeWithTuner();
    EXPECT_EQ(E_FAIL, d.SetTunerFrequency(503250000));
    tuner->modeSupport = KSPROPERTY_SUPPORT_GET;
    tuner->setResult = E_UNEXPECTED;
    EXPECT_EQ(E_FAIL, d.SetTunerFrequency(503250000));
    EXPECT_EQ(E_FAIL, TestDevice(info).SetTunerFrequency(503250000));
}

TEST_F(TunerFixture, ChannelIsRecordedEvenWhenTheTunerRefusesIt)
{
    tuner->putChannelResult = E_FAIL;
    TestDevice& d = MakeWithTuner();
    d.SetChannel(7);
    EXPECT_EQ(7, d.m_channelList.m_nSelectedChannel);
    EXPECT_EQ(std::vector<LONG>{7}, tuner->channels);
}

TEST_F(TunerFixture, ChannelIsNotRecordedWithoutATunerInterface)
{
    TestDevice& d = MakeWithTuner(false);
    d.SetChannel(7);
    EXPECT_EQ(1, d.m_channelList.m_nSelectedChannel);
}

TEST_F(TunerFixture, CountryAndInputReachTheTuner)
{
    tuner->connectInput = 3;
    TestDevice& d = MakeWithTuner();
    d.SetCountry(49);
    d.SetTunerInput(TunerInputCable, -1);
    EXPECT_EQ(std::vector<LONG>{49}, tuner->countryCodes);
    EXPECT_EQ(std::vector<LONG>{49}, tuner->tuningSpaces);
    ASSERT_EQ(1u, tuner->inputTypes.size());
    EXPECT_EQ(3, tuner->inputTypes[0].first);
    EXPECT_EQ(0u, d.m_nTunerInputType);
    tuner->putInputTypeResult = E_FAIL;
    d.SetTunerInput(TunerInputAntenna, 1);
    EXPECT_EQ(0u, d.m_nTunerInputType);
    tuner->connectInputResult = E_FAIL;
    d.SetTunerInput(TunerInputAntenna, -1);
    EXPECT_EQ(2u, tuner->inputTypes.size());
}

TEST_F(DeviceFixture, TvAudioAndDroppedFramesWithoutTheirFilters)
{
    TestDevice& d = Make();
    LONG value = 0;
    EXPECT_EQ(E_FAIL, d.GetAvailableTVAudioModes(&value));
    EXPECT_EQ(E_FAIL, d.SetTVAudioMode(1));
    EXPECT_EQ(E_NOINTERFACE, d.GetDroppedFrameCount(&value));
}
