// tests/capture/CaptureGraphTest.cpp
// The DV and generic devices' graphs: the adds and connects in their order with the stock filters as fakes, the
// missing sound renderer, the capture file name, ApplyVideoFormat on a fake stream configuration, and one generic
// capture graph on Wine's own SmartTee, AVI Mux and File Writer.
#include "CaptureGraphSupport.h"
#include "CaptureTestSupport.h"

#include "capture/CaptureFilterInfo.h"
#include "capture/DVCaptureDevice.h"
#include "capture/GenericCaptureDevice.h"
#include "capture/MediaType.h"

#include <gtest/gtest.h>

#include <dvdmedia.h>
#include <uuids.h>

#include <string>
#include <vector>

using namespace capture_test;

namespace {

using Steps = std::vector<std::string>;

// A device filter and its descriptor for one test.
struct DeviceFilter {
    FakeFilter* filter;
    CCaptureFilterInfo* info;
    DeviceFilter(const FakeFilterLayout& layout, const char* name)
        : filter(CreateFakeFilter(layout)),
          info(new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(filter)), name, "\\\\?\\usb#a#1#{b}"))
    {
    }
    ~DeviceFilter()
    {
        info->Release();
        AsBaseFilter(filter)->Release();
    }
};

FakePinLayout ConfiguredPin(const wchar_t* name, const GUID& major, const GUID* category, FakeStreamConfig* config)
{
    FakePinLayout pin = Pin(name, PINDIR_OUTPUT, major, category);
    pin.interfaces = {{IID_IAMStreamConfig, static_cast<IAMStreamConfig*>(config)}};
    return pin;
}

class DVGraph : public ::testing::Test {
protected:
    FakeRef<FakeStreamConfig> config;
    FakeRef<FakeFileSink> sink;
    CManagerFixture fixture;

    FakeFilterLayout DeviceLayout()
    {
        config->current.majorType = MEDIATYPE_Interleaved;
        FakeFilterLayout layout;
        layout.pins = {Pin(L"DV In", PINDIR_INPUT),
                       ConfiguredPin(L"DV A/V Out", MEDIATYPE_Interleaved, &PIN_CATEGORY_CAPTURE, config.get())};
        layout.extDevice = true;
        layout.extDeviceType = 0x1008;
        return layout;
    }
    std::vector<FakeStockFilter> Stock(bool withSound)
    {
        std::vector<FakeStockFilter> stock = {{CLSID_SmartTee, SmartTeeLayout()},
                                              {CLSID_DVSplitter, DvSplitterLayout()},
                                              {CLSID_DVVideoCodec, DvDecoderLayout()},
                                              {CLSID_AviDest, AviMuxLayout()},
                                              {CLSID_FileWriter, FileWriterLayout(sink.get())}};
        if (withSound)
            stock.push_back({CLSID_DSoundRender, SoundRendererLayout()});
        return stock;
    }
};

TEST_F(DVGraph, TwoStreamCaptureGetsASecondSplitter)
{
    CFakeStockSeam seam(Stock(true));
    DeviceFilter device(DeviceLayout(), "DV Cam");
    CDVCaptureDevice dv(device.info, &fixture.Manager());
    dv.m_bAudioPreview = 1;
    dv.m_bCapture2 = 1;
    dv.m_nDVCaptureType = 2;
    dv.m_strCaptureFile = "C:\\capture.avi";
    ASSERT_EQ(S_OK, dv.BuildGraph());
    EXPECT_EQ(
        (Steps{"-- Building preview/capture graph --", " added: DV Cam", " added: SmartTee", " added: DV Splitter",
               " added: DV Decoder", " connect pins: 'DV A/V Out' -> 'Input'", " connect pins: 'Preview' -> 'Input'",
               " connect pins: 'DVVidOut0' -> 'XForm In'", " added: Default DirectSound Device",
               " connect pins: 'AudOut00' -> 'Audio Input pin (rendered)'", " added: AVI Mux", " added: DV Splitter",
               " connect pins: 'Capture' -> 'Input'", " connect pins: 'DVVidOut0' -> 'Input 01'",
               " connect pins: 'AudOut00' -> 'Input 02'", " added: File Writer", " connect pins: 'AVI Out' -> 'in'"}),
        fixture.BuildSteps());
    EXPECT_EQ(L"C:\\capture.avi", sink->fileName);
}

TEST_F(DVGraph, InterleavedCaptureWithoutSoundRenderer)
{
    CFakeStockSeam seam(Stock(false), {CLSID_DSoundRender});
    DeviceFilter device(DeviceLayout(), "DV Cam");
    CDVCaptureDevice dv(device.info, &fixture.Manager());
    dv.m_bAudioPreview = 1;
    dv.m_bCapture1 = 1;
    ASSERT_EQ(S_OK, dv.BuildGraph());
    EXPECT_EQ(0, dv.m_bAudioPreview);
    const Steps steps = fixture.BuildSteps();
    const Steps tail(steps.begin() + 8, steps.end());
    EXPECT_EQ(
        (Steps{" Failed: add filter: Default DirectSound Device", " failed: CLSID_DSoundRender", " added: AVI Mux",
               " connect pins: 'Capture' -> 'Input 01'", " added: File Writer", " connect pins: 'AVI Out' -> 'in'"}),
        tail);
}

TEST_F(DVGraph, WithoutAnInterleavedPinTheBuildFails)
{
    CFakeStockSeam seam(Stock(true));
    config->current.majorType = MEDIATYPE_Video;
    FakeFilterLayout layout;
    layout.pins = {ConfiguredPin(L"DV A/V Out", MEDIATYPE_Video, &PIN_CATEGORY_CAPTURE, config.get())};
    DeviceFilter device(layout, "DV Cam");
    CDVCaptureDevice dv(device.info, &fixture.Manager());
    EXPECT_EQ(E_FAIL, dv.BuildGraph());
    EXPECT_EQ(" invalid pin: zero pointer", fixture.Messages().back());
}

class GenericGraph : public ::testing::Test {
protected:
    FakeRef<FakeStreamConfig> video;
    FakeRef<FakeStreamConfig> audio;
    FakeRef<FakeFileSink> sink;
    CManagerFixture fixture;

    void SetUp() override
    {
        video->current.majorType = MEDIATYPE_Video;
        audio->current.majorType = MEDIATYPE_Audio;
        audio->capsSize = sizeof(AUDIO_STREAM_CONFIG_CAPS);
    }
};

TEST_F(GenericGraph, AudioPreviewThroughATeeAndCaptureOfBothPins)
{
    CFakeStockSeam seam({{CLSID_SmartTee, SmartTeeLayout()},
                         {CLSID_DSoundRender, SoundRendererLayout()},
                         {CLSID_AviDest, AviMuxLayout()},
                         {CLSID_FileWriter, FileWriterLayout(sink.get())}});
    FakeFilterLayout layout;
    layout.pins = {ConfiguredPin(L"Capture", MEDIATYPE_Video, &PIN_CATEGORY_CAPTURE, video.get()),
                   ConfiguredPin(L"Audio Capture", MEDIATYPE_Audio, &PIN_CATEGORY_CAPTURE, audio.get())};
    DeviceFilter device(layout, "Web Cam");
    CGenericCaptureDevice generic(device.info, &fixture.Manager());
    generic.m_bVideoPreview = 0;
    generic.m_bCapture1 = 1;
    generic.m_strCaptureFile = "C:\\cam.avi";
    ASSERT_EQ(S_OK, generic.BuildPreviewCaptureGraph());
    EXPECT_EQ((Steps{"-- Building basic graph --", " added: Web Cam", " added: SmartTee For Audio",
                     " connect pins: 'Audio Capture' -> 'Input'", " added: Default DirectSound Device",
                     " connect pins: 'Capture' -> 'Audio Input pin (rendered)'", " render: Preview Audio pin",
                     " added: File Writer", " added: AVI Mux", " connect pins: 'Capture' -> 'Input 01'",
                     " connect pins: 'Preview' -> 'Input 02'", " connect pins: 'AVI Out' -> 'in'"}),
              fixture.BuildSteps());
    EXPECT_EQ(L"C:\\cam.avi", sink->fileName);
}

TEST_F(GenericGraph, OnlyACapturePinIsPreviewedThroughATee)
{
    if (fixture.Manager().UsesVmr7())
        GTEST_SKIP() << "the fakes stand in for the video mixing renderer 9";
    CFakeStockSeam seam({{CLSID_SmartTee, SmartTeeLayout()},
                         {CLSID_VideoMixingRenderer9, VideoRendererLayout()},
                         {CLSID_AviDest, AviMuxLayout()},
                         {CLSID_FileWriter, FileWriterLayout(sink.get())}});
    FakeFilterLayout layout;
    layout.pins = {ConfiguredPin(L"Capture", MEDIATYPE_Video, &PIN_CATEGORY_CAPTURE, video.get())};
    DeviceFilter device(layout, "Web Cam");
    CGenericCaptureDevice generic(device.info, &fixture.Manager());
    generic.m_bCapture2 = 1;
    ASSERT_EQ(S_OK, generic.BuildPreviewCaptureGraph());
    EXPECT_EQ((Steps{"-- Building basic graph --", " added: Web Cam", " added: SmartTee For Video",
                     " connect pins: 'Capture' -> 'Input'", " added: Video Mixing Renderer9",
                     " render: preview Video pin", " added: File Writer", " added: AVI Mux",
                     " connect pins: 'Capture' -> 'Input 01'", " connect pins: 'AVI Out' -> 'in'"}),
              fixture.BuildSteps());
}

TEST_F(GenericGraph, VideoPortPinIsThePreviewSource)
{
    if (fixture.Manager().UsesVmr7())
        GTEST_SKIP() << "the fakes stand in for the video mixing renderer 9";
    FakeRef<FakeStreamConfig> port;
    port->current.majorType = MEDIATYPE_Video;
    CFakeStockSeam seam({{CLSID_VideoMixingRenderer9, VideoRendererLayout()}});
    FakeFilterLayout layout;
    layout.pins = {ConfiguredPin(L"Capture", MEDIATYPE_Video, &PIN_CATEGORY_CAPTURE, video.get()),
                   ConfiguredPin(L"VP", MEDIATYPE_Video, &PIN_CATEGORY_VIDEOPORT, port.get())};
    DeviceFilter device(layout, "Web Cam");
    CGenericCaptureDevice generic(device.info, &fixture.Manager());
    ASSERT_EQ(S_OK, generic.BuildPreviewCaptureGraph());
    EXPECT_EQ((Steps{"-- Building basic graph --", " added: Web Cam", " added: Video Mixing Renderer9",
                     " render: preview Video pin"}),
              fixture.BuildSteps());
}

TEST_F(GenericGraph, MissingSoundRendererClearsTheFlagAndTheBuildGoesOn)
{
    CFakeStockSeam seam({{CLSID_SmartTee, SmartTeeLayout()}}, {CLSID_DSoundRender});
    FakeFilterLayout layout;
    layout.pins = {ConfiguredPin(L"Audio", MEDIATYPE_Audio, &PIN_CATEGORY_PREVIEW, audio.get())};
    DeviceFilter device(layout, "Web Cam");
    CGenericCaptureDevice generic(device.info, &fixture.Manager());
    generic.m_bVideoPreview = 0;
    EXPECT_EQ(S_OK, generic.BuildPreviewCaptureGraph());
    EXPECT_EQ(0, generic.m_bAudioPreview);
    EXPECT_EQ(" failed: CLSID_DSoundRender", fixture.Messages().back());
}

TEST_F(GenericGraph, BuildWithoutDescriptorFails)
{
    CGenericCaptureDevice generic(nullptr, &fixture.Manager());
    EXPECT_EQ(E_FAIL, generic.BuildPreviewCaptureGraph());
    EXPECT_EQ(E_FAIL, generic.ReadTunerState());
}

// A generic capture graph on Wine's own tee, multiplexer and file writer.
TEST_F(GenericGraph, CaptureOnWinesStockFilters)
{
    VIDEOINFOHEADER vih = {};
    vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih.bmiHeader.biWidth = 320;
    vih.bmiHeader.biHeight = 240;
    vih.bmiHeader.biBitCount = 16;
    vih.bmiHeader.biCompression = MakeFourCC('Y', 'U', 'Y', '2');
    vih.bmiHeader.biSizeImage = 320 * 240 * 2;
    vih.AvgTimePerFrame = 400000;
    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = FOURCCMap(MakeFourCC('Y', 'U', 'Y', '2'));
    mt.formattype = FORMAT_VideoInfo;
    mt.bFixedSizeSamples = TRUE;
    mt.lSampleSize = vih.bmiHeader.biSizeImage;
    mt.cbFormat = sizeof vih;
    mt.pbFormat = reinterpret_cast<BYTE*>(&vih);

    FakeFilterLayout layout;
    layout.pins = {ConfiguredPin(L"Capture", MEDIATYPE_Video, &PIN_CATEGORY_CAPTURE, video.get())};
    layout.pins[0].connectType = &mt;
    DeviceFilter device(layout, "Web Cam");
    CWorkingFolder folder;
    CGenericCaptureDevice generic(device.info, &fixture.Manager());
    generic.m_bVideoPreview = 0;
    generic.m_bAudioPreview = 0;
    generic.m_bCapture2 = 1;
    generic.m_strCaptureFile = "capture.avi";
    ASSERT_EQ(S_OK, generic.BuildPreviewCaptureGraph());
    EXPECT_EQ((Steps{"-- Building basic graph --", " added: Web Cam", " added: File Writer", " added: AVI Mux",
                     " connect pins: 'Capture' -> 'Input 01'", " connect pins: 'AVI Out' -> 'in'"}),
              fixture.BuildSteps());
}

// ApplyVideoFormat on a fake stream configuration.
class ApplyFormat : public GenericGraph {
protected:
    CGenericCaptureDevice* Make(DeviceFilter*& device)
    {
        FakeFilterLayout layout;
        layout.pins = {ConfiguredPin(L"Capture", MEDIATYPE_Video, &PIN_CATEGORY_CAPTURE, video.get())};
        device = new DeviceFilter(layout, "Web Cam");
        return new CGenericCaptureDevice(device->info, &fixture.Manager());
    }
};

TEST_F(ApplyFormat, FrameTimeOrBitRateOfTheMatchingSize)
{
    const DWORD yuy2 = MakeFourCC('Y', 'U', 'Y', '2');
    video->capabilities = {Mpeg2Type(720, 576), VideoInfoType(FOURCCMap(yuy2), yuy2, 640, 480),
                           VideoInfoType(FOURCCMap(yuy2), yuy2, 320, 240)};
    DeviceFilter* device = nullptr;
    std::unique_ptr<CGenericCaptureDevice> generic(Make(device));
    std::unique_ptr<DeviceFilter> owner(device);

    CVideoFormat format;
    format.m_formatType = FORMAT_VideoInfo;
    format.m_subType = FOURCCMap(yuy2);
    CFrameSize size;
    size.m_nWidth = 320;
    size.m_nHeight = 240;
    size.m_nMaxBitRate = 1234567;
    format.m_arrFrameSizes.Add(size);
    EXPECT_EQ(S_OK, generic->SetVideoConfig(format));
    ASSERT_EQ(1u, video->setFormats.size());
    const VIDEOINFOHEADER* set = reinterpret_cast<const VIDEOINFOHEADER*>(video->setFormats[0].format.data());
    EXPECT_EQ(320, set->bmiHeader.biWidth);
    EXPECT_EQ(1234567u, set->dwBitRate);
    EXPECT_EQ(0, set->AvgTimePerFrame);

    format.m_arrFrameSizes[0].m_nWidth = 640;
    format.m_arrFrameSizes[0].m_nHeight = 480;
    format.m_arrFrameSizes[0].m_arrFrameIntervals.Add(333666);
    EXPECT_EQ(S_OK, generic->SetVideoConfig(format));
    ASSERT_EQ(2u, video->setFormats.size());
    set = reinterpret_cast<const VIDEOINFOHEADER*>(video->setFormats[1].format.data());
    EXPECT_EQ(333666, set->AvgTimePerFrame);
    EXPECT_EQ(0u, set->dwBitRate);

    format.m_arrFrameSizes.RemoveAll();
    EXPECT_EQ(E_INVALIDARG, generic->SetVideoConfig(format));
    EXPECT_EQ(E_INVALIDARG, generic->ApplyVideoFormat(video.get(), format));
    EXPECT_EQ(0, video->outstandingTypes);
}

} // namespace
