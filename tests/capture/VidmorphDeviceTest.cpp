// tests/capture/VidmorphDeviceTest.cpp
// The maker's Vidmorph boxes: the encoder configuration against golden bytes, the MPEG-4 video header, the
// standard and format mappings, the configuration written into the capture pin's format block (and never past
// it), the crossbar routing, the audio encoder's mode and the tuner read-out, on fake filters.
#include "CaptureGraphSupport.h"
#include "FakeDeviceInterfaces.h"
#include "FakeFilters.h"

#include "capture/CaptureFilterInfo.h"
#include "capture/MediaType.h"
#include "capture/VidmorphConfig.h"
#include "capture/VidmorphDevice.h"
#include "capture/VidmorphInterfaces.h"

#include <gtest/gtest.h>

#include <dvdmedia.h>
#include <uuids.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

using namespace capture_test;

namespace {

using Bytes = std::vector<BYTE>;

// The expected bytes of a configuration: every listed span, zero elsewhere.
struct Span {
    size_t offset;
    Bytes bytes;
};

Span Text(size_t offset, const char* text)
{
    return {offset, Bytes(text, text + std::strlen(text))};
}

void ExpectConfig(const CVidmorphConfig& config, const std::vector<Span>& spans)
{
    Bytes expected(CVidmorphConfig::kSize, 0);
    for (const Span& span : spans)
        std::copy(span.bytes.begin(), span.bytes.end(), expected.begin() + span.offset);
    const Bytes actual(config.Data(), config.Data() + CVidmorphConfig::kSize);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(int(expected[i]), int(actual[i])) << "byte " << i;
}

CVideoFormat Format(const GUID& formatType, DWORD compression, LONG width, LONG height, DWORD bitRate,
                    LONGLONG interval = 0)
{
    CVideoFormat format;
    format.m_formatType = formatType;
    format.m_nCompression = compression;
    CFrameSize size;
    size.m_nWidth = width;
    size.m_nHeight = height;
    size.m_nMaxBitRate = bitRate;
    if (interval != 0)
        size.m_arrFrameIntervals.Add(interval);
    format.m_arrFrameSizes.Add(size);
    return format;
}

TEST(VidmorphConfig, MpegTwoPalGoldenBytes)
{
    CVidmorphConfig config;
    config.Fill(MakeVidmorphSettings(Format(FORMAT_MPEG2Video, 0, 720, 576, 0), AnalogVideo_PAL_B, 6000000));
    ExpectConfig(
        config,
        {
            Text(0, "MPEG2, DVD, IPB"),
            Text(64, "MPEG2, DVD, IPB"),
            {320, {0x11, 0x00, 0x00, 0x30, 0x64, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00}},
            {340, {0x0F}},
            {345, {0x01, 0x01, 0x80, 0x01, 0x01, 0x02}},
            Text(356, "PAL 25fps"),
            Text(420, "PAL 25fps"),
            {676, {0x09, 0x00, 0x00, 0x30, 0x5C, 0x01, 0x00, 0x00, 0xF0, 0x07, 0x00, 0x00, 0xC1, 0x61, 0x00, 0x00}},
            Text(704, "720 x 576"),
            Text(768, "720 x 576"),
            {1024, {0x0F, 0x0E, 0x00, 0x30, 0x70, 0x01, 0x00, 0x00, 0xF0, 0x07, 0x00, 0x00}},
            {1036, {0xD0, 0x02, 0x00, 0x00, 0x40, 0x02, 0x00, 0x00, 0x01, 0x01}},
            Text(1072, "CBR: 6000000 bps"),
            Text(1136, "CBR: 6000000 bps"),
            {1392, {0x84, 0x00, 0x00, 0x30, 0x64, 0x01, 0x00, 0x00, 0x80, 0x8D, 0x5B, 0x00}},
            {1404, {0x40, 0x89, 0x95, 0x00, 0x00, 0x00, 0x1C, 0x00, 0x64, 0x64}},
            {1420, {0x02, 0x02, 0x02}},
        });
    EXPECT_EQ(kVidmorphMpeg2, config.Kind());
}

TEST(VidmorphConfig, MpegFourNtscGoldenBytes)
{
    CVidmorphConfig config;
    config.Fill(MakeVidmorphSettings(Format(FORMAT_VideoInfo, MakeFourCC('M', 'P', '4', 'S'), 352, 288, 0),
                                     AnalogVideo_NTSC_M, 1500000));
    ExpectConfig(
        config,
        {
            Text(0, "MPEG4, Microsoft, IPB"),
            Text(64, "MPEG4, Microsoft, IPB"),
            {320, {0x11, 0x00, 0x00, 0x30, 0x64, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00}},
            {336, {0x01}},
            {340, {0x1E}},
            {344, {0x02, 0x00, 0x01, 0x80, 0x00, 0x00, 0x01}},
            Text(356, "NTSC 29.97fps"),
            Text(420, "NTSC 29.97fps"),
            {676, {0x09, 0x00, 0x00, 0x30, 0x5C, 0x01, 0x00, 0x00, 0x07, 0x08, 0x00, 0x00, 0x30, 0x75, 0x00, 0x00}},
            Text(704, "352 x 288"),
            Text(768, "352 x 288"),
            {1024, {0x0F, 0x0E, 0x00, 0x30, 0x70, 0x01, 0x00, 0x00, 0x07, 0x08, 0x00, 0x00}},
            {1036, {0x60, 0x01, 0x00, 0x00, 0x20, 0x01, 0x00, 0x00, 0x01, 0x01}},
            Text(1072, "CBR: 1500000 bps"),
            Text(1136, "CBR: 1500000 bps"),
            {1392, {0x84, 0x00, 0x00, 0x30, 0x64, 0x01, 0x00, 0x00, 0x60, 0xE3, 0x16, 0x00}},
            {1412, {0x64, 0x64}},
            {1420, {0x02, 0x02, 0x02}},
        });
}

struct StandardCase {
    DWORD tvFormat;
    const char* text;
    DWORD mask;
    DWORD rate;
};

TEST(VidmorphConfig, StandardsAndFormatNames)
{
    const StandardCase cases[] = {{AnalogVideo_PAL_B, "PAL 25fps", 0x7F0, 25025},
                                  {AnalogVideo_NTSC_M, "NTSC 29.97fps", 0x807, 30000},
                                  {AnalogVideo_SECAM_B, "", 0xFF000, 25025},
                                  {0, "PAL 25fps", 0x7F0, 25025}};
    for (const StandardCase& c : cases) {
        const CVidmorphConfig::Settings s =
            MakeVidmorphSettings(Format(FORMAT_MPEGVideo, 0, 352, 288, 0), c.tvFormat, 1);
        EXPECT_STREQ(c.text, s.standardText) << c.tvFormat;
        EXPECT_EQ(c.mask, s.standardMask);
        EXPECT_EQ(c.rate, s.rate);
        EXPECT_STREQ("MPEG1, DVD, IPB", s.formatName);
        EXPECT_EQ(kVidmorphMpeg1, s.kind);
    }
    struct NameCase {
        DWORD compression;
        const char* name;
        DWORD kind;
        BYTE variant;
    };
    const NameCase names[] = {{MakeFourCC('D', 'X', '5', '0'), "MPEG4, DivX, IPB", kVidmorphMpeg4, kVidmorphDx50},
                              {MakeFourCC('D', 'I', 'V', 'X'), "MPEG4, RCC, IPB", kVidmorphMpeg4, kVidmorphDivx},
                              {MakeFourCC('M', 'J', 'P', 'G'), "MPEG4, MJPEG, IPB", kVidmorphMjpeg, 0},
                              {MakeFourCC('H', '2', '6', '3'), "MPEG4, H263, IPB", kVidmorphH263, 0},
                              {MakeFourCC('Y', 'U', 'Y', '2'), "MPEG4, , IPB", kVidmorphMpeg4, kVidmorphMp4s}};
    for (const NameCase& n : names) {
        const CVidmorphConfig::Settings s =
            MakeVidmorphSettings(Format(FORMAT_VideoInfo, n.compression, 352, 288, 0), AnalogVideo_PAL_B, 1);
        EXPECT_STREQ(n.name, s.formatName);
        EXPECT_EQ(n.kind, s.kind);
        EXPECT_EQ(n.variant, s.variant);
    }
}

TEST(VidmorphConfig, MotionJpegRateFromItsFrameInterval)
{
    const DWORD mjpg = MakeFourCC('M', 'J', 'P', 'G');
    EXPECT_EQ(30000u,
              MakeVidmorphSettings(Format(FORMAT_VideoInfo, mjpg, 720, 576, 0, 333666), AnalogVideo_PAL_B, 1).rate);
    // Intervals that say nothing keep the standard's rate; a huge one gives the smallest rate.
    EXPECT_EQ(25025u, MakeVidmorphSettings(Format(FORMAT_VideoInfo, mjpg, 720, 576, 0, -5), AnalogVideo_PAL_B, 1).rate);
    EXPECT_EQ(
        1u,
        MakeVidmorphSettings(Format(FORMAT_VideoInfo, mjpg, 720, 576, 0, 20000000000LL), AnalogVideo_PAL_B, 1).rate);
}

TEST(VidmorphConfig, VideoObjectLayerHeaders)
{
    struct Case {
        LONG width;
        LONG height;
        Bytes header;
    };
    const Case cases[] = {
        {720,
         576,
         {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x20, 0x00, 0x84, 0x5D, 0x4C, 0x28, 0xB4, 0x22, 0x40, 0xA3, 0x1F}},
        {352,
         288,
         {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x20, 0x00, 0x84, 0x5D, 0x4C, 0x28, 0x58, 0x21, 0x20, 0xA3, 0x1F}},
    };
    for (const Case& c : cases) {
        CVidmorphConfig config;
        config.Fill(MakeVidmorphSettings(Format(FORMAT_VideoInfo, 0, c.width, c.height, 0), 0, 0));
        Bytes header(18, 0xEE);
        EXPECT_EQ(18u, BuildMpeg4VolHeader(config.Data(), header.data()));
        EXPECT_EQ(c.header, header);
        EXPECT_EQ(0u, BuildMpeg4VolHeader(config.Data(), nullptr));
    }
}

// The capture filter's private configuration interface: records where the configuration was given.
class FakeEncoderConfig final : public FakeCounted<IVidmorphEncoderConfig> {
public:
    std::vector<DWORD> offsets;
    std::vector<DWORD> tags;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IVidmorphEncoderConfig, ppv);
    }
    HRESULT STDMETHODCALLTYPE SetEncoderConfig(BYTE* pConfig, DWORD* pOffset) override
    {
        offsets.push_back(*pOffset);
        DWORD tag = 0;
        std::memcpy(&tag, pConfig + 320, 4);
        tags.push_back(tag);
        return S_OK;
    }
};

class FakeAudioEncoder final : public FakeCounted<IVidmorphAudioEncoder> {
public:
    std::vector<std::pair<DWORD, DWORD>> parameters;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IVidmorphAudioEncoder, ppv);
    }
    HRESULT STDMETHODCALLTYPE Reserved() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetParameter(DWORD code, DWORD value) override
    {
        parameters.push_back({code, value});
        return S_OK;
    }
};

class FakeCrossbar final : public FakeCounted<IAMCrossbar> {
public:
    std::vector<std::pair<LONG, LONG>> inputs; // physical type, related pin
    std::vector<std::pair<LONG, LONG>> routes; // output, input
    std::vector<LONG> routingReads;            // the outputs whose routing was asked
    LONG unreadableRouting = -1;               // an output whose routing the crossbar cannot tell
    bool refuseAudio = false;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IAMCrossbar, ppv);
    }
    HRESULT STDMETHODCALLTYPE get_PinCounts(LONG* pOutputs, LONG* pInputs) override
    {
        *pOutputs = 2;
        *pInputs = LONG(inputs.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CanRoute(LONG output, LONG input) override
    {
        if (input < 0 || input >= LONG(inputs.size()) || (output == 1 && refuseAudio))
            return E_FAIL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Route(LONG output, LONG input) override
    {
        routes.push_back({output, input});
        return S_OK;
    }
    // The input last routed to the output, -1 when none was.
    HRESULT STDMETHODCALLTYPE get_IsRoutedTo(LONG output, LONG* pInput) override
    {
        routingReads.push_back(output);
        *pInput = -1;
        if (output == unreadableRouting)
            return E_FAIL;
        for (const std::pair<LONG, LONG>& route : routes)
            if (route.first == output)
                *pInput = route.second;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_CrossbarPinInfo(WINBOOL isInput, LONG index, LONG* pRelated, LONG* pType) override
    {
        if (!isInput) {
            *pRelated = 0;
            *pType = index == 0 ? PhysConn_Video_VideoDecoder : PhysConn_Audio_AudioDecoder;
            return S_OK;
        }
        *pRelated = inputs[size_t(index)].second;
        *pType = inputs[size_t(index)].first;
        return S_OK;
    }
};

// A box whose further filters a test sets directly, as its basic graph would.
class TestTunerBox : public CVidmorphTunerDevice {
public:
    using CVidmorphTunerDevice::CVidmorphTunerDevice;
    void SetCrossbar(CCaptureFilterInfo* p) { m_pCrossbar = p; }
    void SetTuner(CCaptureFilterInfo* p) { m_pTuner = p; }
};

// A filter for a further interface, with its descriptor.
struct Extra {
    FakeFilter* filter;
    CCaptureFilterInfo* info;
    explicit Extra(std::pair<IID, IUnknown*> iface)
    {
        FakeFilterLayout layout;
        layout.interfaces = {iface};
        filter = CreateFakeFilter(layout);
        info = new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(filter)), "Extra", "x");
    }
    ~Extra()
    {
        info->Release();
        AsBaseFilter(filter)->Release();
    }
};

class VidmorphBox : public ::testing::Test {
protected:
    FakeRef<FakeStreamConfig> capture;
    FakeRef<FakeStreamConfig> preview;
    FakeRef<FakeStreamConfig> audio;
    FakeRef<FakeEncoderConfig> encoder;
    FakeFilter* filter = nullptr;
    CCaptureFilterInfo* info = nullptr;
    std::unique_ptr<TestTunerBox> box;

    void SetUp() override
    {
        audio->capsSize = sizeof(AUDIO_STREAM_CONFIG_CAPS);
        FakeFilterLayout layout;
        FakePinLayout capturePin;
        capturePin.name = L"Video Capture";
        capturePin.interfaces = {capture.As<IAMStreamConfig>(IID_IAMStreamConfig)};
        FakePinLayout previewPin;
        previewPin.name = L"Video Preview";
        previewPin.interfaces = {preview.As<IAMStreamConfig>(IID_IAMStreamConfig)};
        FakePinLayout audioPin;
        audioPin.name = L"Audio Capture";
        audioPin.interfaces = {audio.As<IAMStreamConfig>(IID_IAMStreamConfig)};
        layout.pins = {capturePin, previewPin, audioPin};
        layout.interfaces = {encoder.As<IVidmorphEncoderConfig>(IID_IVidmorphEncoderConfig)};
        filter = CreateFakeFilter(layout);
        info = new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(filter)), kVidmorphTunerCaptureName,
                                      "\\\\?\\pci#ven_1#3#{c}");
        box.reset(new TestTunerBox(info, nullptr));
    }
    void TearDown() override
    {
        box.reset();
        info->Release();
        AsBaseFilter(filter)->Release();
        EXPECT_EQ(0, capture->outstandingTypes);
    }
};

// A format block of `size` bytes whose head is `type`'s block.
FakeMediaType Sized(FakeMediaType type, size_t size)
{
    type.format.resize(size, 0);
    return type;
}

TEST_F(VidmorphBox, ConfigurationAfterTheMpegSequenceHeaders)
{
    FakeMediaType mpeg1 = Sized(Mpeg1Type(352, 288, 8), 96 + 8 + CVidmorphConfig::kSize);
    capture->capabilities = {Mpeg1Type(720, 576), mpeg1};
    EXPECT_EQ(S_OK, box->SetVideoConfig(Format(FORMAT_MPEGVideo, 0, 352, 288, 1151929)));
    ASSERT_EQ(1u, capture->setFormats.size());
    const Bytes& block = capture->setFormats[0].format;
    const CVidmorphConfig& config = box->GetConfig();
    EXPECT_EQ(0, std::memcmp(block.data() + 104, config.Data(), CVidmorphConfig::kSize));
    const MPEG1VIDEOINFO* p = reinterpret_cast<const MPEG1VIDEOINFO*>(block.data());
    EXPECT_EQ(400000, p->hdr.AvgTimePerFrame); // PAL: 10,010,000,000 / 25025
    EXPECT_EQ(1151929u, p->hdr.dwBitRate);
    EXPECT_EQ(DWORD(352 * 288 * 3 / 2), p->hdr.bmiHeader.biSizeImage);
    EXPECT_TRUE(encoder->offsets.empty()); // only VideoInfo blocks go to the private interface

    FakeMediaType mpeg2 = Sized(Mpeg2Type(720, 576, 4), 132 + 4 + CVidmorphConfig::kSize);
    capture->capabilities = {mpeg2};
    box->m_nTVFormat = AnalogVideo_NTSC_M;
    EXPECT_EQ(S_OK, box->SetVideoConfig(Format(FORMAT_MPEG2Video, 0, 720, 576, 6000000)));
    ASSERT_EQ(2u, capture->setFormats.size());
    const Bytes& block2 = capture->setFormats[1].format;
    EXPECT_EQ(0, std::memcmp(block2.data() + 136, box->GetConfig().Data(), CVidmorphConfig::kSize));
    const MPEG2VIDEOINFO* p2 = reinterpret_cast<const MPEG2VIDEOINFO*>(block2.data());
    EXPECT_EQ(333666, p2->hdr.AvgTimePerFrame);
    EXPECT_EQ(720u, p2->hdr.dwPictAspectRatioX);
    EXPECT_EQ(576u, p2->hdr.dwPictAspectRatioY);
}

// MPEG blocks at their real lengths, with no room for the configuration after the sequence header: the capability
// still gets its size, frame time and bit rate, and the header stays as it was.
TEST_F(VidmorphBox, MpegBlocksWithoutRoomForTheConfigurationGetTheSize)
{
    struct Case {
        FakeMediaType type;
        GUID formatType;
        LONG width;
        LONG height;
        size_t headerOffset;
    } const cases[] = {
        {Mpeg1Type(352, 288), FORMAT_MPEGVideo, 352, 288, offsetof(MPEG1VIDEOINFO, bSequenceHeader)},
        {Mpeg1Type(352, 288, 12), FORMAT_MPEGVideo, 352, 288, offsetof(MPEG1VIDEOINFO, bSequenceHeader)},
        {Mpeg2Type(720, 576), FORMAT_MPEG2Video, 720, 576, offsetof(MPEG2VIDEOINFO, dwSequenceHeader)},
        {Mpeg2Type(720, 576, 4), FORMAT_MPEG2Video, 720, 576, offsetof(MPEG2VIDEOINFO, dwSequenceHeader)},
    };
    for (const Case& c : cases) {
        capture->capabilities = {c.type};
        capture->setFormats.clear();
        EXPECT_EQ(S_OK, box->SetVideoConfig(Format(c.formatType, 0, c.width, c.height, 2000000)));
        ASSERT_EQ(1u, capture->setFormats.size()) << c.type.format.size();
        const Bytes& block = capture->setFormats[0].format;
        ASSERT_EQ(c.type.format.size(), block.size());
        // Both headers begin with the source and target rectangles, the bit rates and the frame time.
        const VIDEOINFOHEADER* p = reinterpret_cast<const VIDEOINFOHEADER*>(block.data());
        EXPECT_EQ(400000, p->AvgTimePerFrame);
        EXPECT_EQ(2000000u, p->dwBitRate);
        EXPECT_TRUE(std::equal(block.begin() + ptrdiff_t(c.headerOffset), block.end(),
                               c.type.format.begin() + ptrdiff_t(c.headerOffset)));
    }
    EXPECT_TRUE(encoder->offsets.empty());
}

TEST_F(VidmorphBox, MpegFourConfigurationFillsTheEndOfTheBitmapInformation)
{
    const DWORD mp4s = MakeFourCC('M', 'P', '4', 'S');
    const DWORD biSize = 40 + 18 + CVidmorphConfig::kSize; // header, video header, configuration
    FakeMediaType type = Sized(VideoInfoType(FOURCCMap(mp4s), mp4s, 720, 576), 48 + biSize);
    reinterpret_cast<VIDEOINFOHEADER*>(type.format.data())->bmiHeader.biSize = biSize;
    capture->capabilities = {type};
    EXPECT_EQ(S_OK, box->SetVideoConfig(Format(FORMAT_VideoInfo, mp4s, 720, 576, 4000000)));
    ASSERT_EQ(1u, capture->setFormats.size());
    const Bytes& block = capture->setFormats[0].format;
    const size_t offset = biSize - 1380;
    EXPECT_EQ(106u, offset);
    EXPECT_EQ(0, std::memcmp(block.data() + offset, box->GetConfig().Data(), CVidmorphConfig::kSize));
    const Bytes vol(block.begin() + offset - 18, block.begin() + offset);
    EXPECT_EQ((Bytes{0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x20, 0x00, 0x84, 0x5D, 0x4C, 0x28, 0xB4, 0x22, 0x40,
                     0xA3, 0x1F}),
              vol);
    ASSERT_EQ(1u, encoder->offsets.size());
    EXPECT_EQ(DWORD(offset), encoder->offsets[0]);
    EXPECT_EQ(0x30000011u, encoder->tags[0]);
}

TEST_F(VidmorphBox, ShortFormatBlocksGetTheSizeButNoConfiguration)
{
    const DWORD mp4s = MakeFourCC('M', 'P', '4', 'S');
    const DWORD dx50 = MakeFourCC('D', 'X', '5', '0');
    struct Case {
        DWORD compression;
        DWORD biSize;
        size_t blockSize;
    };
    // biSize too small (the offset would fall before or inside the header), room for the configuration but not
    // for the video header before it, and a block shorter than biSize says.
    const Case cases[] = {
        {mp4s, 40, 88}, {mp4s, 1380 + 90, 48 + 1470}, {dx50, 40 + CVidmorphConfig::kSize, 48 + 40 + 100}};
    for (const Case& c : cases) {
        FakeMediaType type = Sized(VideoInfoType(FOURCCMap(c.compression), c.compression, 720, 576), c.blockSize);
        reinterpret_cast<VIDEOINFOHEADER*>(type.format.data())->bmiHeader.biSize = c.biSize;
        capture->capabilities = {type};
        capture->setFormats.clear();
        EXPECT_EQ(S_OK, box->SetVideoConfig(Format(FORMAT_VideoInfo, c.compression, 720, 576, 3000000)));
        ASSERT_EQ(1u, capture->setFormats.size());
        const Bytes& block = capture->setFormats[0].format;
        EXPECT_EQ(c.blockSize, block.size());
        const VIDEOINFOHEADER* p = reinterpret_cast<const VIDEOINFOHEADER*>(block.data());
        EXPECT_EQ(400000, p->AvgTimePerFrame);
        EXPECT_EQ(3000000u, p->dwBitRate);
        EXPECT_EQ(DWORD(720 * 576 * 3 / 2), p->bmiHeader.biSizeImage);
        EXPECT_TRUE(std::all_of(block.begin() + sizeof(VIDEOINFOHEADER), block.end(), [](BYTE b) { return b == 0; }));
    }
    EXPECT_TRUE(encoder->offsets.empty());
}

TEST_F(VidmorphBox, OnlyCapabilitiesOfTheKindAndSizeAreSet)
{
    const DWORD mjpg = MakeFourCC('M', 'J', 'P', 'G');
    const DWORD h263 = MakeFourCC('H', '2', '6', '3');
    // The other kind at the size, the kind at another width and at another height.
    capture->capabilities = {VideoInfoType(FOURCCMap(mjpg), mjpg, 352, 288), Mpeg2Type(720, 576),
                             VideoInfoType(FOURCCMap(h263), h263, 704, 288),
                             VideoInfoType(FOURCCMap(h263), h263, 352, 576)};
    EXPECT_EQ(S_OK, box->SetVideoConfig(Format(FORMAT_VideoInfo, h263, 352, 288, 1)));
    EXPECT_TRUE(capture->setFormats.empty());
    capture->capabilities.push_back(VideoInfoType(FOURCCMap(h263), h263, 352, 288));
    EXPECT_EQ(S_OK, box->SetVideoConfig(Format(FORMAT_VideoInfo, h263, 352, 288, 1)));
    EXPECT_EQ(1u, capture->setFormats.size());
    CVideoFormat empty;
    EXPECT_EQ(E_INVALIDARG, box->SetVideoConfig(empty));
}

TEST_F(VidmorphBox, AudioFormatOnTheMatchingPcmCapability)
{
    FakeMediaType other = PcmType(2, 48000, 16);
    other.subType = MEDIASUBTYPE_MPEG1AudioPayload;
    audio->capabilities = {other, PcmType(2, 48000, 16)};
    CAudioFormat format;
    format.m_waveFormat.wFormatTag = WAVE_FORMAT_PCM;
    format.m_waveFormat.nChannels = 1;
    format.m_waveFormat.nSamplesPerSec = 32000;
    format.m_waveFormat.wBitsPerSample = 16;
    format.m_waveFormat.nBlockAlign = 2;
    format.m_waveFormat.nAvgBytesPerSec = 64000;
    EXPECT_EQ(S_OK, box->SetAudioConfig(format));
    ASSERT_EQ(1u, audio->setFormats.size());
    const WAVEFORMATEX* w = reinterpret_cast<const WAVEFORMATEX*>(audio->setFormats[0].format.data());
    EXPECT_EQ(1, w->nChannels);
    EXPECT_EQ(32000u, w->nSamplesPerSec);
    format.m_waveFormat.wFormatTag = WAVE_FORMAT_ADPCM;
    EXPECT_EQ(E_FAIL, box->SetAudioConfig(format));
}

TEST_F(VidmorphBox, CrossbarRoutesTheLaterInputOfTheSource)
{
    FakeRef<FakeCrossbar> crossbar;
    crossbar->inputs = {{PhysConn_Video_Composite, 3}, {PhysConn_Video_SVideo, 4}, {PhysConn_Video_Composite, 5},
                        {PhysConn_Audio_Line, 0},      {PhysConn_Audio_Line, 1},   {PhysConn_Audio_Line, 2}};
    Extra extra(crossbar.As<IAMCrossbar>(IID_IAMCrossbar));
    box->SetCrossbar(extra.info);
    EXPECT_EQ(S_OK, box->ConfigureCrossbar());
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{0, 2}, {1, 5}}), crossbar->routes);

    // No input of the wanted kind: input 0 and audio input -1, which the crossbar refuses.
    crossbar->routes.clear();
    box->m_nVideoSource = kVideoSourceTuner;
    EXPECT_EQ(E_FAIL, box->ConfigureCrossbar());
    EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{0, 0}}), crossbar->routes);
    EXPECT_EQ(E_FAIL, box->ApplyConfig());
}

// Each output's routing is read before the output is routed; an output whose routing the crossbar cannot tell
// stays as it is and the configuration fails.
TEST_F(VidmorphBox, CrossbarRoutesOnlyOutputsWhoseRoutingItReads)
{
    struct Case {
        LONG unreadable;
        HRESULT result;
        std::vector<LONG> reads;
        std::vector<std::pair<LONG, LONG>> routes;
    };
    const Case cases[] = {
        {-1, S_OK, {0, 1}, {{0, 0}, {1, 1}}},
        {0, E_FAIL, {0}, {}},
        {1, E_FAIL, {0, 1}, {{0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unreadable);
        FakeRef<FakeCrossbar> crossbar;
        crossbar->inputs = {{PhysConn_Video_Composite, 1}, {PhysConn_Audio_Line, 0}};
        crossbar->unreadableRouting = c.unreadable;
        Extra extra(crossbar.As<IAMCrossbar>(IID_IAMCrossbar));
        box->SetCrossbar(extra.info);
        EXPECT_EQ(c.result, box->ConfigureCrossbar());
        EXPECT_EQ(c.reads, crossbar->routingReads);
        EXPECT_EQ(c.routes, crossbar->routes);
        box->SetCrossbar(nullptr);
    }
}

// The formats reach the pins whatever record size the driver announces, also when it announces less than it
// writes; a size beyond any capability record is never handed to the driver and the audio format fails.
TEST_F(VidmorphBox, FormatsAreSetWhateverRecordSizeTheDriverAnnounces)
{
    const DWORD h263 = MakeFourCC('H', '2', '6', '3');
    const int videoRecord = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    const int audioRecord = sizeof(AUDIO_STREAM_CONFIG_CAPS);
    capture->capabilities = {VideoInfoType(FOURCCMap(h263), h263, 352, 288)};
    audio->capabilities = {PcmType(2, 48000, 16)};
    for (int size : {videoRecord + 64, 20, 0, -1, CStreamCapsReader::kMaxRecordSize + 1, 0x7FFFFFFF}) {
        SCOPED_TRACE(size);
        const bool taken = size <= CStreamCapsReader::kMaxRecordSize;
        for (FakeStreamConfig* config : {capture.get(), audio.get()}) {
            config->capsSize = size;
            config->capsWritten = std::max(size, config == audio.get() ? audioRecord : videoRecord);
            config->streamCapsCalls = 0;
            config->setFormats.clear();
        }
        EXPECT_EQ(S_OK, box->SetVideoConfig(Format(FORMAT_VideoInfo, h263, 352, 288, 1)));
        EXPECT_EQ(taken ? S_OK : E_FAIL, box->SetAudioConfig(box->m_audioFormat));
        EXPECT_EQ(taken ? 1u : 0u, capture->setFormats.size());
        EXPECT_EQ(taken ? 1u : 0u, audio->setFormats.size());
        if (!taken) {
            EXPECT_EQ(0, capture->streamCapsCalls);
            EXPECT_EQ(0, audio->streamCapsCalls);
        }
    }
}

TEST_F(VidmorphBox, AudioEncoderModeFollowsTheAudioCompression)
{
    FakeRef<FakeAudioEncoder> audioEncoder;
    Extra extra(audioEncoder.As<IVidmorphAudioEncoder>(IID_IVidmorphAudioEncoder));
    EXPECT_EQ(S_OK, box->SetAudioEncoderMode(extra.info));
    box->m_nAudioCompression = 4;
    EXPECT_EQ(S_OK, box->SetAudioEncoderMode(extra.info));
    EXPECT_EQ((std::vector<std::pair<DWORD, DWORD>>{{0x101, 2}, {0x101, 3}}), audioEncoder->parameters);
    EXPECT_EQ(E_NOINTERFACE, box->SetAudioEncoderMode(info));
}

TEST_F(VidmorphBox, TunerStateIsReadBack)
{
    EXPECT_EQ(E_FAIL, box->ReadTunerState());
    FakeRef<FakeTvTuner> tuner;
    tuner->availableFormats = AnalogVideo_PAL_B | AnalogVideo_SECAM_B;
    tuner->tvFormat = AnalogVideo_SECAM_B;
    tuner->inputType = TunerInputCable;
    tuner->videoFrequencyResult = S_FALSE;
    Extra extra(tuner.As<IAMTVTuner>(IID_IAMTVTuner));
    box->SetTuner(extra.info);
    EXPECT_EQ(S_FALSE, box->ReadTunerState());
    EXPECT_EQ(DWORD(AnalogVideo_PAL_B | AnalogVideo_SECAM_B), box->m_nAvailableTVFormats);
    EXPECT_EQ(DWORD(AnalogVideo_SECAM_B), box->m_nTVFormat);
    EXPECT_EQ(DWORD(TunerInputCable), box->m_nTunerInputType);
    CVidmorphCaptureDevice plain(info, nullptr);
    EXPECT_EQ(E_NOTIMPL, plain.ReadTunerState());
}

// The capture box's crossbar: its decoder output, with composite video and line audio among the inputs.
FakeFilterLayout CaptureBoxCrossbarLayout(FakeRef<FakeCrossbar>& crossbar)
{
    crossbar->inputs = {{PhysConn_Video_Composite, 1}, {PhysConn_Audio_Line, 0}};
    FakeFilterLayout layout;
    layout.pins = {Pin(L"0: Video Decoder Out", PINDIR_OUTPUT)};
    layout.interfaces = {crossbar.As<IAMCrossbar>(IID_IAMCrossbar)};
    return layout;
}

// The tuner box's preview and capture graph with its crossbar, tuner, TV audio and audio encoder found by the
// device enumerator, the stock filters as fakes.
TEST(VidmorphGraph, TunerBoxCapturesAudioThroughTeeAndEncoder)
{
    CManagerFixture fixture;
    FakeRef<FakeStreamConfig> audio;
    audio->capsSize = sizeof(AUDIO_STREAM_CONFIG_CAPS);
    audio->capabilities = {PcmType(2, 48000, 16)};
    FakeRef<FakeCrossbar> crossbar;
    crossbar->inputs = {
        {PhysConn_Video_Tuner, 2}, {PhysConn_Video_Composite, 3}, {PhysConn_Audio_Tuner, 0}, {PhysConn_Audio_Line, 1}};
    FakeRef<FakeAudioEncoder> audioEncoder;

    FakeFilterLayout box;
    box.pins = {Pin(L"Analog Video In", PINDIR_INPUT), Pin(L"Video Capture", PINDIR_OUTPUT, MEDIATYPE_Video),
                Pin(L"Video Preview", PINDIR_OUTPUT, MEDIATYPE_Video),
                Pin(L"Audio Capture", PINDIR_OUTPUT, MEDIATYPE_Audio)};
    box.pins[3].interfaces = {audio.As<IAMStreamConfig>(IID_IAMStreamConfig)};
    FakeFilterLayout crossbarLayout;
    crossbarLayout.pins = {Pin(L"0: Video Tuner In", PINDIR_INPUT), Pin(L"1: Video Composite In", PINDIR_INPUT),
                           Pin(L"3: Audio Tuner In", PINDIR_INPUT), Pin(L"0: Video Decoder Out", PINDIR_OUTPUT),
                           Pin(L"1: Audio Decoder Out", PINDIR_OUTPUT)};
    crossbarLayout.interfaces = {crossbar.As<IAMCrossbar>(IID_IAMCrossbar)};
    FakeFilterLayout tunerLayout;
    tunerLayout.pins = {Pin(L"Analog Video", PINDIR_OUTPUT), Pin(L"Analog Audio", PINDIR_OUTPUT)};
    FakeFilterLayout tvAudioLayout;
    tvAudioLayout.pins = {Pin(L"TVAudio In", PINDIR_INPUT), Pin(L"TVAudio Out", PINDIR_OUTPUT)};
    FakeFilterLayout encoderLayout = OneInOneOutLayout();
    encoderLayout.interfaces = {audioEncoder.As<IVidmorphAudioEncoder>(IID_IVidmorphAudioEncoder)};
    FakeFilterLayout teeLayout;
    teeLayout.pins = {Pin(L"Input", PINDIR_INPUT), Pin(L"Output1", PINDIR_OUTPUT), Pin(L"Output2", PINDIR_OUTPUT)};
    CLSID multiplexer = GUID_NULL;
    CLSID writer = GUID_NULL;
    CLSIDFromString(const_cast<LPOLESTR>(L"{317DDB63-870E-11D3-9C32-00104B3801F7}"), &multiplexer);
    CLSIDFromString(const_cast<LPOLESTR>(L"{D2288805-7d1e-49d4-9934-6d5b3728e155}"), &writer);

    const std::wstring boxPath = L"\\\\?\\pci#ven_1&dev_2#3&4#";
    CFakeStockSeam seam(
        {{CLSID_InfTee, teeLayout},
         {CLSID_DSoundRender, SoundRendererLayout()},
         {multiplexer, AviMuxLayout()},
         {writer, FileWriterLayout(nullptr)}},
        {},
        {{AM_KSCATEGORY_CROSSBAR, L"Korvath Vidmorph TX2 Crossbar", L"\\\\?\\pci#ven_9#other#{x}", crossbarLayout},
         {AM_KSCATEGORY_CROSSBAR, L"Korvath Vidmorph TX2 Crossbar", boxPath + L"{crossbar}", crossbarLayout},
         {AM_KSCATEGORY_TVTUNER, L"Korvath Vidmorph TX2 TV Tuner", boxPath + L"{tuner}", tunerLayout},
         {AM_KSCATEGORY_TVAUDIO, L"Korvath Vidmorph TX2 TV Audio", boxPath + L"{tvaudio}", tvAudioLayout},
         {CLSID_AudioCompressorCategory, L"InterVideo Audio Encoder", L"", encoderLayout}});

    FakeFilter* filter = CreateFakeFilter(box);
    CCaptureFilterInfo* info = new CCaptureFilterInfo(
        CComPtr<IBaseFilter>(AsBaseFilter(filter)), kVidmorphTunerCaptureName, "\\\\?\\pci#ven_1&dev_2#3&4#{capture}");
    {
        CVidmorphTunerDevice device(info, &fixture.Manager());
        device.m_nVideoSource = kVideoSourceTuner;
        device.m_bVideoPreview = 0;
        device.m_bCapture1 = 1;
        device.m_bCapture2 = 1;
        device.m_videoFormat.m_formatType = FORMAT_MPEG2Video;
        device.m_nAudioCompression = 4;
        ASSERT_EQ(S_OK, device.BuildPreviewCaptureGraph());
        const std::string suffix = static_cast<LPCSTR>(info->GetInstanceSuffix());
        EXPECT_EQ(
            (std::vector<std::string>{
                "-- Building preview/capture graph --", "-- Building basic graph --",
                " added: Korvath Vidmorph TX2 A/V Capture", " added: Korvath Vidmorph TX2 Crossbar" + suffix,
                " added: Korvath Vidmorph TX2 TV Tuner" + suffix, " added: Korvath Vidmorph TX2 TV Audio" + suffix,
                // The capture pin has no stream configuration to take the encoder settings.
                "Set video config failed", " connect pins: '0: Video Decoder Out' -> 'Analog Video In'",
                " connect pins: 'Analog Video' -> '0: Video Tuner In'", " connect pins: 'Analog Audio' -> 'TVAudio In'",
                " connect pins: 'TVAudio Out' -> '3: Audio Tuner In'", " added: InfTee For Audio",
                " connect pins: 'Audio Capture' -> 'Input'", " added: Default DirectSound Device",
                " connect pins: 'Output1' -> 'Audio Input pin (rendered)'", " added: InterVideo Audio Encoder" + suffix,
                " connect pins: 'Output2' -> 'In'", " added: IVMultiplexer", " added: FileWriter",
                " connect pins: 'Video Capture' -> 'Input 01'", " connect pins: 'Out' -> 'Input 02'",
                " connect pins: 'AVI Out' -> 'in'"}),
            fixture.BuildSteps());
        EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{0, 0}, {1, 2}}), crossbar->routes);
        EXPECT_EQ((std::vector<std::pair<DWORD, DWORD>>{{0x101, 3}}), audioEncoder->parameters);
        // Crossbar, tuner, TV audio and encoder are related to the box.
        EXPECT_EQ(4, info->m_relatedFilters.GetSize());
        EXPECT_NE(nullptr, device.GetTunerInfo());
    }
    info->Release();
    AsBaseFilter(filter)->Release();
}

TEST(VidmorphGraph, BoxWithoutAudioPinBuildsTheVideoBranchesOnly)
{
    CManagerFixture fixture;
    FakeRef<FakeCrossbar> crossbar;
    const FakeFilterLayout crossbarLayout = CaptureBoxCrossbarLayout(crossbar);
    FakeFilterLayout box;
    box.pins = {Pin(L"Analog Video In", PINDIR_INPUT), Pin(L"Video Capture", PINDIR_OUTPUT, MEDIATYPE_Video)};
    CFakeStockSeam seam(
        {}, {}, {{AM_KSCATEGORY_CROSSBAR, L"Korvath Vidmorph CX2 Crossbar", L"pci#a#b#{crossbar}", crossbarLayout}});
    FakeFilter* filter = CreateFakeFilter(box);
    CCaptureFilterInfo* info =
        new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(filter)), kVidmorphCaptureName, "pci#a#b#{capture}");
    {
        CVidmorphCaptureDevice device(info, &fixture.Manager());
        device.m_bVideoPreview = 0;
        device.m_bCapture2 = 1;
        EXPECT_EQ(S_OK, device.BuildPreviewCaptureGraph());
        EXPECT_EQ(" connect pins: '0: Video Decoder Out' -> 'Analog Video In'", fixture.BuildSteps().back());
        EXPECT_EQ((std::vector<std::pair<LONG, LONG>>{{0, 0}, {1, 1}}), crossbar->routes);
    }
    info->Release();
    AsBaseFilter(filter)->Release();
}

// The capture box's preview: the decoder the format needs before the video renderer (none for "DX50", which is
// not rendered), and the audio pin straight into the sound renderer while the first capture is off.
TEST(VidmorphGraph, PreviewDecoderFollowsTheFormat)
{
    const std::string crossbarIn = " connect pins: '0: Video Decoder Out' -> 'Analog Video In'";
    const std::string renderer = " added: Video Mixing Renderer9";
    const std::string sound = " added: Default DirectSound Device";
    const std::string audioIn = " connect pins: 'Audio Capture' -> 'Audio Input pin (rendered)'";
    struct Case {
        const char* label;
        GUID formatType;
        DWORD compression;
        std::vector<std::string> preview; // the steps after the crossbar's connection
    } const cases[] = {
        {"MPEG-2",
         FORMAT_MPEG2Video,
         0,
         {" added: InterVideo Video Decoder", " connect pins: 'Video Preview' -> 'In'", renderer,
          " connect pins: 'Out' -> 'VMR Input0'", sound, audioIn}},
        {"MP4S",
         FORMAT_VideoInfo,
         MakeFourCC('M', 'P', '4', 'S'),
         {" added: MPEG-4 Decoder", " connect pins: 'Video Preview' -> 'In'", renderer,
          " connect pins: 'Out' -> 'VMR Input0'", sound, audioIn}},
        {"MJPG",
         FORMAT_VideoInfo,
         MakeFourCC('M', 'J', 'P', 'G'),
         {" added: MJPEG Decompressor", " added: Color Space Converter", " connect pins: 'Video Preview' -> 'In'",
          " connect pins: 'Out' -> 'In'", renderer, " connect pins: 'Out' -> 'VMR Input0'", sound, audioIn}},
        {"DX50", FORMAT_VideoInfo, MakeFourCC('D', 'X', '5', '0'), {sound, audioIn}},
    };
    CLSID videoDecoder = GUID_NULL;
    CLSID mpeg4Decoder = GUID_NULL;
    CLSIDFromString(const_cast<LPOLESTR>(L"{0246CA20-776D-11D2-8010-00104B9B8592}"), &videoDecoder);
    CLSIDFromString(const_cast<LPOLESTR>(L"{82CCD3E0-F71A-11D0-9FE5-00609778EA66}"), &mpeg4Decoder);
    for (const Case& c : cases) {
        CManagerFixture fixture;
        if (fixture.Manager().UsesVmr7())
            GTEST_SKIP() << "the fakes stand in for the video mixing renderer 9";
        FakeRef<FakeStreamConfig> audio;
        audio->capsSize = sizeof(AUDIO_STREAM_CONFIG_CAPS);
        audio->capabilities = {PcmType(2, 48000, 16)};
        FakeRef<FakeCrossbar> crossbar;
        const FakeFilterLayout crossbarLayout = CaptureBoxCrossbarLayout(crossbar);
        FakeFilterLayout box;
        box.pins = {Pin(L"Analog Video In", PINDIR_INPUT), Pin(L"Video Capture", PINDIR_OUTPUT, MEDIATYPE_Video),
                    Pin(L"Video Preview", PINDIR_OUTPUT, MEDIATYPE_Video),
                    Pin(L"Audio Capture", PINDIR_OUTPUT, MEDIATYPE_Audio)};
        box.pins[3].interfaces = {audio.As<IAMStreamConfig>(IID_IAMStreamConfig)};
        CFakeStockSeam seam(
            {{videoDecoder, OneInOneOutLayout()},
             {mpeg4Decoder, OneInOneOutLayout()},
             {CLSID_MjpegDec, OneInOneOutLayout()},
             {CLSID_Colour, OneInOneOutLayout()},
             {CLSID_VideoMixingRenderer9, VideoRendererLayout()},
             {CLSID_DSoundRender, SoundRendererLayout()}},
            {}, {{AM_KSCATEGORY_CROSSBAR, L"Korvath Vidmorph CX2 Crossbar", L"pci#a#b#{crossbar}", crossbarLayout}});
        FakeFilter* filter = CreateFakeFilter(box);
        CCaptureFilterInfo* info = new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(filter)),
                                                          kVidmorphCaptureName, "pci#a#b#{capture}");
        {
            CVidmorphCaptureDevice device(info, &fixture.Manager());
            device.m_nVideoSource = kVideoSourceComposite;
            device.m_bVideoPreview = 1;
            device.m_bAudioPreview = 1;
            device.m_videoFormat.m_formatType = c.formatType;
            device.m_videoFormat.m_nCompression = c.compression;
            ASSERT_EQ(S_OK, device.BuildPreviewCaptureGraph()) << c.label;
            const std::vector<std::string> steps = fixture.BuildSteps();
            const auto start = std::find(steps.begin(), steps.end(), crossbarIn);
            ASSERT_NE(steps.end(), start) << c.label;
            EXPECT_EQ(c.preview, std::vector<std::string>(start + 1, steps.end())) << c.label;
            EXPECT_EQ(1, device.m_bAudioPreview) << c.label;
        }
        info->Release();
        AsBaseFilter(filter)->Release();
    }
}

} // namespace
