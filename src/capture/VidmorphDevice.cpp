// src/capture/VidmorphDevice.cpp
#include "capture/VidmorphDevice.h"

#include "capture/CaptureFilterInfo.h"
#include "capture/GraphManager.h"
#include "capture/MediaType.h"
#include "capture/VidmorphInterfaces.h"

#include <dvdmedia.h>
#include <ks.h>
#include <ksmedia.h>
#include <uuids.h>

#include <cstddef>
#include <cstring>
#include <utility>

const IID IID_IVidmorphEncoderConfig = {0xe4557e5c, 0xbb64, 0x4186, {0x90, 0x5e, 0x8f, 0xc1, 0x19, 0xdb, 0xa5, 0xe2}};
const IID IID_IVidmorphAudioEncoder = {0x0cd2e142, 0x8d60, 0x11d3, {0x9c, 0x32, 0x00, 0x10, 0x4b, 0x38, 0x01, 0xf6}};

const char kVidmorphCaptureName[] = "Korvath Vidmorph CX2 A/V Capture";
const char kVidmorphTunerCaptureName[] = "Korvath Vidmorph TX2 A/V Capture";

namespace {

const VidmorphModel kCaptureModel = {kVidmorphCaptureName, "Korvath Vidmorph CX2 Crossbar", nullptr, nullptr};
const VidmorphModel kTunerModel = {kVidmorphTunerCaptureName, "Korvath Vidmorph TX2 Crossbar",
                                   "Korvath Vidmorph TX2 TV Tuner", "Korvath Vidmorph TX2 TV Audio"};

const ULONGLONG kRateTimeBase = 10010000000ULL;
// The configuration fills the last bytes of a VIDEOINFOHEADER's bitmap information: biSize minus this.
const LONGLONG kVideoInfoConfigBack = 1380;

const char kVideoDecoderClsid[] = "{0246CA20-776D-11D2-8010-00104B9B8592}";
const char kMpeg4DecoderClsid[] = "{82CCD3E0-F71A-11D0-9FE5-00609778EA66}";
const char kMultiplexerClsid[] = "{317DDB63-870E-11D3-9C32-00104B3801F7}";
const char kFileWriterClsid[] = "{D2288805-7d1e-49d4-9934-6d5b3728e155}";

CLSID ClsidFromText(const char* text)
{
    WCHAR wide[64] = {};
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 64);
    CLSID clsid = GUID_NULL;
    ::CLSIDFromString(wide, &clsid);
    return clsid;
}

DWORD KindCompression(DWORD kind, BYTE variant)
{
    switch (kind) {
    case kVidmorphH263:
        return MakeFourCC('H', '2', '6', '3');
    case kVidmorphMjpeg:
        return MakeFourCC('M', 'J', 'P', 'G');
    case kVidmorphMpeg4:
        switch (variant) {
        case kVidmorphWmp4:
            return MakeFourCC('W', 'M', 'P', 4);
        case kVidmorphDx50:
            return MakeFourCC('D', 'X', '5', '0');
        case kVidmorphMp4s:
            return MakeFourCC('M', 'P', '4', 'S');
        case kVidmorphDivx:
            return MakeFourCC('D', 'I', 'V', 'X');
        default:
            return 0;
        }
    default:
        return 0;
    }
}

// The bitmap header of a capability that fits the configuration's kind and size; null when it does not fit.
BITMAPINFOHEADER* MatchingHeader(AM_MEDIA_TYPE* pmt, const CVidmorphConfig& config)
{
    BITMAPINFOHEADER* header = nullptr;
    const DWORD kind = config.Kind();
    if (kind == kVidmorphMpeg1) {
        MPEG1VIDEOINFO* p = GetWritableFormatBlockAs<MPEG1VIDEOINFO>(pmt, FORMAT_MPEGVideo);
        if (p != nullptr && IsEqualGUID(pmt->subtype, MEDIASUBTYPE_MPEG1Payload))
            header = &p->hdr.bmiHeader;
    } else if (kind == kVidmorphMpeg2) {
        MPEG2VIDEOINFO* p = GetWritableFormatBlockAs<MPEG2VIDEOINFO>(pmt, FORMAT_MPEG2Video);
        if (p != nullptr && IsEqualGUID(pmt->subtype, MEDIASUBTYPE_MPEG2_VIDEO))
            header = &p->hdr.bmiHeader;
    } else {
        VIDEOINFOHEADER* p = GetWritableFormatBlockAs<VIDEOINFOHEADER>(pmt, FORMAT_VideoInfo);
        if (p != nullptr && p->bmiHeader.biCompression == KindCompression(kind, config.Variant()))
            header = &p->bmiHeader;
    }
    if (header != nullptr && (header->biWidth != config.Width() || header->biHeight != config.Height()))
        header = nullptr;
    return header;
}

bool IsMpeg(const CVideoFormat& format)
{
    return IsEqualGUID(format.m_formatType, FORMAT_MPEGVideo) || IsEqualGUID(format.m_formatType, FORMAT_MPEG2Video);
}

// A VIDEOINFOHEADER format of this compression.
bool IsVideoInfoOf(const CVideoFormat& format, DWORD compression)
{
    return IsEqualGUID(format.m_formatType, FORMAT_VideoInfo) && format.m_nCompression == compression;
}

bool KnownKind(DWORD kind)
{
    return kind == kVidmorphMpeg1 || kind == kVidmorphMpeg2 || kind == kVidmorphH263 || kind == kVidmorphMpeg4 ||
           kind == kVidmorphMjpeg;
}

} // namespace

CVidmorphDevice::CVidmorphDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager, const VidmorphModel& model)
    : CCaptureDevice(pInfo, pManager), m_model(model)
{
}

CVidmorphDevice::~CVidmorphDevice() = default;

HRESULT CVidmorphDevice::AddBoxFilter(REFCLSID category, const char* name, CCaptureFilterInfo** ppOut)
{
    const CString graphName = CString(name) + m_pVideoCapture->GetInstanceSuffix();
    if (FAILED(m_pGraphManager->AddFilterFromCategoryByPath(category, name, graphName, m_pVideoCapture->GetDevicePath(),
                                                            ppOut, TRUE, TRUE)) ||
        *ppOut == nullptr)
        return E_FAIL;
    m_pVideoCapture->m_relatedFilters.Add((*ppOut)->GetInstanceNumber());
    return S_OK;
}

HRESULT CVidmorphDevice::BuildBasicGraph()
{
    if (m_pVideoCapture == nullptr || m_pGraphManager == nullptr)
        return E_FAIL;
    m_pGraphManager->Log("-- Building basic graph --");
    if (FAILED(m_pGraphManager->CreateGraph()) ||
        FAILED(m_pGraphManager->AddDeviceFilter(m_pVideoCapture, m_pVideoCapture->GetFriendlyName())))
        return E_FAIL;
    if (FAILED(AddBoxFilter(AM_KSCATEGORY_CROSSBAR, m_model.crossbar, &m_pCrossbar)))
        return E_FAIL;
    if (m_model.tuner != nullptr && FAILED(AddBoxFilter(AM_KSCATEGORY_TVTUNER, m_model.tuner, &m_pTuner)))
        return E_FAIL;
    if (m_model.tvAudio != nullptr && FAILED(AddBoxFilter(AM_KSCATEGORY_TVAUDIO, m_model.tvAudio, &m_pTVAudio)))
        return E_FAIL;
    return S_OK;
}

// A box without an audio pin has no audio to configure; its graph gets the video branches only.
HRESULT CVidmorphDevice::Initialize()
{
    if (FAILED(BuildBasicGraph()) || FAILED(ApplyConfig()))
        return E_FAIL;
    if (SUCCEEDED(ApplyAudioConfig()))
        return S_OK;
    return m_pVideoCapture->FindPinByName("Audio Capture") ? E_FAIL : S_OK;
}

HRESULT CVidmorphDevice::ApplyConfig()
{
    SetVideoStandard(LONG(m_nTVFormat));
    ApplyPinConfig("Video Preview", m_config);
    if (FAILED(ApplyPinConfig("Video Capture", m_config)) && m_pGraphManager != nullptr)
        m_pGraphManager->Log("Set video config failed");
    const HRESULT hr = ConfigureCrossbar();
    if (FAILED(hr) && m_pGraphManager != nullptr)
        m_pGraphManager->Log("Set crossbar config failed");
    return hr;
}

HRESULT CVidmorphDevice::ApplyPinConfig(const char* pszPin, const CVidmorphConfig& config)
{
    const CComPtr<IPin> pin = m_pVideoCapture != nullptr ? m_pVideoCapture->FindPinByName(pszPin) : CComPtr<IPin>();
    if (!pin)
        return S_OK;
    CComPtr<IAMStreamConfig> streamConfig;
    if (FAILED(streamConfig.QueryFrom(pin.get(), IID_IAMStreamConfig)))
        return E_FAIL;
    SetPinVideoFormat(streamConfig.get(), config);
    return S_OK;
}

// The configuration goes into the format block only where the block has room for it (and, for the "MP4S"
// format, for the video header before it); otherwise the capability gets size, frame time and bit rate alone.
HRESULT CVidmorphDevice::SetPinVideoFormat(IAMStreamConfig* pStreamConfig, const CVidmorphConfig& config)
{
    if (pStreamConfig == nullptr)
        return E_POINTER;
    CStreamCapsReader reader;
    if (!reader.Open(pStreamConfig, sizeof(VIDEO_STREAM_CONFIG_CAPS)))
        return E_FAIL;
    const DWORD kind = config.Kind();
    for (int i = 0; i < reader.GetCount(); ++i) {
        CMediaTypePtr mt;
        if (FAILED(reader.Read(i, mt)) || mt.get() == nullptr)
            continue;
        if (!KnownKind(kind))
            return S_FALSE;
        AM_MEDIA_TYPE* pmt = mt.get();
        BITMAPINFOHEADER* header = MatchingHeader(pmt, config);
        if (header == nullptr)
            continue;

        const DWORD rate = config.Rate() > 0 ? config.Rate() : 1;
        const REFERENCE_TIME frameTime = REFERENCE_TIME(kRateTimeBase / rate);
        const LONG width = config.Width();
        const LONG height = config.Height();
        LONGLONG offset = 0;
        LONGLONG headerSize = 0;
        if (kind == kVidmorphMpeg1) {
            MPEG1VIDEOINFO* p = reinterpret_cast<MPEG1VIDEOINFO*>(pmt->pbFormat);
            p->hdr.AvgTimePerFrame = frameTime;
            p->hdr.dwBitRate = config.BitRate();
            offset = LONGLONG(offsetof(MPEG1VIDEOINFO, bSequenceHeader)) + p->cbSequenceHeader;
            headerSize = offsetof(MPEG1VIDEOINFO, bSequenceHeader);
        } else if (kind == kVidmorphMpeg2) {
            MPEG2VIDEOINFO* p = reinterpret_cast<MPEG2VIDEOINFO*>(pmt->pbFormat);
            p->hdr.AvgTimePerFrame = frameTime;
            p->hdr.dwBitRate = config.BitRate();
            p->hdr.dwPictAspectRatioX = DWORD(width);
            p->hdr.dwPictAspectRatioY = DWORD(height);
            offset = LONGLONG(offsetof(MPEG2VIDEOINFO, dwSequenceHeader)) + p->cbSequenceHeader;
            headerSize = offsetof(MPEG2VIDEOINFO, dwSequenceHeader);
        } else {
            VIDEOINFOHEADER* p = reinterpret_cast<VIDEOINFOHEADER*>(pmt->pbFormat);
            p->AvgTimePerFrame = frameTime;
            p->dwBitRate = config.BitRate();
            offset = LONGLONG(header->biSize) - kVideoInfoConfigBack;
            headerSize = sizeof(VIDEOINFOHEADER);
        }
        header->biWidth = width;
        header->biHeight = height;
        header->biSizeImage = DWORD(width) * DWORD(height) * 3 / 2;

        const bool volHeader = kind == kVidmorphMpeg4 && config.Variant() == kVidmorphMp4s;
        const LONGLONG start = volHeader ? offset - LONGLONG(CVidmorphConfig::kVolHeaderSize) : offset;
        if (start >= headerSize && offset + LONGLONG(CVidmorphConfig::kSize) <= LONGLONG(pmt->cbFormat)) {
            BYTE* copy = pmt->pbFormat + offset;
            std::memcpy(copy, config.Data(), CVidmorphConfig::kSize);
            if (IsEqualGUID(pmt->formattype, FORMAT_VideoInfo)) {
                if (volHeader)
                    BuildMpeg4VolHeader(copy, copy - CVidmorphConfig::kVolHeaderSize);
                CComPtr<IVidmorphEncoderConfig> encoder;
                const CComPtr<IBaseFilter> filter = m_pVideoCapture->GetFilter();
                if (SUCCEEDED(encoder.QueryFrom(filter.get(), IID_IVidmorphEncoderConfig))) {
                    DWORD configOffset = DWORD(offset);
                    encoder->SetEncoderConfig(copy, &configOffset);
                }
            }
        }
        return pStreamConfig->SetFormat(pmt);
    }
    return S_FALSE;
}

HRESULT CVidmorphDevice::SetVideoConfig(CVideoFormat format)
{
    if (format.m_arrFrameSizes.IsEmpty())
        return E_INVALIDARG;
    m_videoFormat = format;
    m_nVideoBitRate = format.m_arrFrameSizes[0].m_nMaxBitRate;
    m_config.Fill(MakeVidmorphSettings(format, m_nTVFormat, m_nVideoBitRate));
    ApplyPinConfig("Video Preview", m_config);
    const HRESULT hr = ApplyPinConfig("Video Capture", m_config);
    if (FAILED(hr) && m_pGraphManager != nullptr)
        m_pGraphManager->Log("Set video config failed");
    return hr;
}

HRESULT CVidmorphDevice::SetAudioConfig(CAudioFormat format)
{
    m_audioFormat = format;
    return ApplyAudioConfig();
}

HRESULT CVidmorphDevice::ApplyAudioConfig()
{
    const CComPtr<IPin> pin =
        m_pVideoCapture != nullptr ? m_pVideoCapture->FindPinByName("Audio Capture") : CComPtr<IPin>();
    if (!pin)
        return E_FAIL;
    const HRESULT hr = SetPinAudioFormat(pin);
    if (FAILED(hr) && m_pGraphManager != nullptr)
        m_pGraphManager->Log("Set audio config failed");
    return hr;
}

HRESULT CVidmorphDevice::SetPinAudioFormat(const CComPtr<IPin>& pin)
{
    CComPtr<IAMStreamConfig> config;
    if (FAILED(config.QueryFrom(pin.get(), IID_IAMStreamConfig)))
        return E_FAIL;
    CStreamCapsReader reader;
    if (!reader.Open(config.get(), sizeof(AUDIO_STREAM_CONFIG_CAPS)))
        return E_FAIL;
    const WAVEFORMATEX& wanted = m_audioFormat.m_waveFormat;
    for (int i = 0; i < reader.GetCount(); ++i) {
        CMediaTypePtr mt;
        if (FAILED(reader.Read(i, mt)) || mt.get() == nullptr)
            continue;
        AM_MEDIA_TYPE* pmt = mt.get();
        if (!IsEqualGUID(pmt->majortype, MEDIATYPE_Audio) || !IsEqualGUID(pmt->subtype, MEDIASUBTYPE_PCM))
            continue;
        WAVEFORMATEX* pwfx = GetWritableFormatBlockAs<WAVEFORMATEX>(pmt, FORMAT_WaveFormatEx);
        if (pwfx == nullptr || pwfx->wFormatTag != wanted.wFormatTag)
            continue;
        pwfx->nChannels = wanted.nChannels;
        pwfx->nSamplesPerSec = wanted.nSamplesPerSec;
        pwfx->wBitsPerSample = wanted.wBitsPerSample;
        pwfx->nBlockAlign = wanted.nBlockAlign;
        pwfx->nAvgBytesPerSec = wanted.nAvgBytesPerSec;
        return config->SetFormat(pmt);
    }
    return E_FAIL;
}

HRESULT CVidmorphDevice::ConfigureCrossbar()
{
    CComPtr<IAMCrossbar> crossbar;
    const CComPtr<IBaseFilter> filter = m_pCrossbar != nullptr ? m_pCrossbar->GetFilter() : CComPtr<IBaseFilter>();
    if (FAILED(crossbar.QueryFrom(filter.get(), IID_IAMCrossbar)))
        return E_FAIL;
    LONG outputs = 0;
    LONG inputs = 0;
    if (FAILED(crossbar->get_PinCounts(&outputs, &inputs)))
        return E_FAIL;
    LONG videoInput = 0;
    LONG audioInput = -1;
    for (LONG i = 0; i < inputs; ++i) {
        LONG related = 0;
        LONG type = 0;
        if (FAILED(crossbar->get_CrossbarPinInfo(TRUE, i, &related, &type)))
            return E_FAIL;
        if ((type == PhysConn_Video_Tuner && m_nVideoSource == kVideoSourceTuner) ||
            (type == PhysConn_Video_SVideo && m_nVideoSource == kVideoSourceSVideo) ||
            (type == PhysConn_Video_Composite && m_nVideoSource == kVideoSourceComposite)) {
            videoInput = i;
            audioInput = related;
        }
    }
    // Output 0 carries the video, output 1 the audio; an output whose routing cannot be read is left alone.
    const std::pair<LONG, LONG> routes[] = {{0, videoInput}, {1, audioInput}};
    for (const auto& [output, input] : routes) {
        LONG routedInput = 0;
        if (FAILED(crossbar->get_IsRoutedTo(output, &routedInput)) || FAILED(crossbar->CanRoute(output, input)))
            return E_FAIL;
        crossbar->Route(output, input);
    }
    return S_OK;
}

HRESULT CVidmorphDevice::SetAudioEncoderMode(CCaptureFilterInfo* pEncoder)
{
    if (pEncoder == nullptr)
        return E_POINTER;
    CComPtr<IVidmorphAudioEncoder> encoder;
    const CComPtr<IBaseFilter> filter = pEncoder->GetFilter();
    const HRESULT hr = encoder.QueryFrom(filter.get(), IID_IVidmorphAudioEncoder);
    if (FAILED(hr))
        return hr;
    return encoder->SetParameter(kVidmorphAudioModeParameter, m_nAudioCompression == 4 ? 3 : 2);
}

HRESULT CVidmorphDevice::BuildPreviewCaptureGraph()
{
    if (m_pGraphManager == nullptr || m_pVideoCapture == nullptr)
        return E_FAIL;
    m_pGraphManager->Log("-- Building preview/capture graph --");
    if (FAILED(Initialize()) || FAILED(ConnectVideoSource()))
        return E_FAIL;
    if (m_bVideoPreview && FAILED(BuildVideoPreview()))
        return E_FAIL;
    // A box without an audio pin gets no audio branch and no capture file.
    const CComPtr<IPin> audio = m_pVideoCapture->FindPinByName("Audio Capture");
    if (!audio)
        return S_OK;
    CCaptureFilterInfo* pTee = nullptr;
    CCaptureFilterInfo* pEncoder = nullptr;
    if (FAILED(BuildAudioBranches(audio, &pTee)))
        return E_FAIL;
    if (m_bCapture1 && m_nAudioCompression != -1 && FAILED(AddAudioEncoder(pTee, &pEncoder)))
        return E_FAIL;
    if (m_bCapture2 && FAILED(BuildCaptureFile(pTee, pEncoder)))
        return E_FAIL;
    return S_OK;
}

// The crossbar's video output into the capture filter; from the tuner, also the tuner's video into the crossbar
// and its audio through the TV audio filter into the crossbar.
HRESULT CVidmorphDevice::ConnectVideoSource()
{
    CGraphManager* gm = m_pGraphManager;
    if (FAILED(gm->ConnectToFilter(m_pCrossbar->FindPinByName("0: Video Decoder Out").get(), m_pVideoCapture)))
        return E_FAIL;
    if (m_nVideoSource != kVideoSourceTuner)
        return S_OK;
    if (m_pTuner == nullptr || m_pTVAudio == nullptr ||
        FAILED(gm->ConnectPins(m_pTuner->FindPinByName("Analog Video").get(),
                               m_pCrossbar->FindPinByName("0: Video Tuner In").get(), FALSE)) ||
        FAILED(gm->ConnectPins(m_pTuner->FindPinByName("Analog Audio").get(),
                               m_pTVAudio->FindPinByName("TVAudio In").get(), FALSE)) ||
        FAILED(gm->ConnectPins(m_pTVAudio->FindPinByName("TVAudio Out").get(),
                               m_pCrossbar->FindPinByName("3: Audio Tuner In").get(), FALSE)))
        return E_FAIL;
    return S_OK;
}

// The preview pin through the decoder its format needs into a video renderer; "DX50" video is not rendered.
HRESULT CVidmorphDevice::BuildVideoPreview()
{
    CComPtr<IPin> source;
    if (FAILED(AddPreviewDecoder(m_pVideoCapture->FindPinByName("Video Preview"), source)))
        return E_FAIL;
    if (IsVideoInfoOf(m_videoFormat, MakeFourCC('D', 'X', '5', '0')))
        return S_OK;
    CCaptureFilterInfo* pRenderer = nullptr;
    if (FAILED(m_pGraphManager->AddVideoRenderer(&pRenderer)) ||
        FAILED(m_pGraphManager->ConnectToFilter(source.get(), pRenderer)))
        return E_FAIL;
    return S_OK;
}

// MPEG-1 and MPEG-2 go through the video decoder, "MP4S" through the MPEG-4 decoder, "MJPG" through the MJPEG
// decompressor and a colour space converter; `source` becomes the chain's output. Other formats get no decoder
// and leave `source` empty.
HRESULT CVidmorphDevice::AddPreviewDecoder(const CComPtr<IPin>& preview, CComPtr<IPin>& source)
{
    CGraphManager* gm = m_pGraphManager;
    const bool mpeg = IsMpeg(m_videoFormat);
    if (mpeg || IsVideoInfoOf(m_videoFormat, MakeFourCC('M', 'P', '4', 'S'))) {
        CCaptureFilterInfo* pDecoder = nullptr;
        if (FAILED(gm->AddFilterAfter(preview.get(), ClsidFromText(mpeg ? kVideoDecoderClsid : kMpeg4DecoderClsid),
                                      mpeg ? "InterVideo Video Decoder" : "MPEG-4 Decoder", &pDecoder)))
            return E_FAIL;
        source = FirstFreeOutput(pDecoder);
    } else if (IsVideoInfoOf(m_videoFormat, MakeFourCC('M', 'J', 'P', 'G'))) {
        CCaptureFilterInfo* pDecompressor = nullptr;
        CCaptureFilterInfo* pConverter = nullptr;
        if (FAILED(gm->AddFilterByCLSID(CLSID_MjpegDec, "MJPEG Decompressor", &pDecompressor, TRUE)) ||
            FAILED(gm->AddFilterByCLSID(CLSID_Colour, "Color Space Converter", &pConverter, TRUE)) ||
            FAILED(gm->ConnectToFilter(preview.get(), pDecompressor)) ||
            FAILED(gm->ConnectFilters(pDecompressor, pConverter)))
            return E_FAIL;
        source = FirstFreeOutput(pConverter);
    }
    return S_OK;
}

// Without the first capture the audio pin feeds the sound renderer alone (when previewed). With it an infinite
// tee takes the audio, and the sound renderer (when previewed) hangs on the tee's next output.
HRESULT CVidmorphDevice::BuildAudioBranches(const CComPtr<IPin>& audio, CCaptureFilterInfo** ppTee)
{
    CGraphManager* gm = m_pGraphManager;
    if (!m_bCapture1) {
        if (!m_bAudioPreview)
            return S_OK;
        const CCaptureFilterInfo* pSound = gm->AddAudioPreviewRenderer(m_bAudioPreview);
        return pSound != nullptr && FAILED(gm->ConnectToFilter(audio.get(), pSound)) ? E_FAIL : S_OK;
    }
    if (FAILED(gm->AddFilterAfter(audio.get(), CLSID_InfTee, "InfTee For Audio", ppTee)))
        return E_FAIL;
    if (!m_bAudioPreview)
        return S_OK;
    const CCaptureFilterInfo* pSound = gm->AddAudioPreviewRenderer(m_bAudioPreview);
    return pSound != nullptr && FAILED(gm->ConnectFilters(*ppTee, pSound)) ? E_FAIL : S_OK;
}

// The box's audio encoder, a shared filter related to the device, in the mode of the device's audio compression
// and fed from the tee.
HRESULT CVidmorphDevice::AddAudioEncoder(const CCaptureFilterInfo* pTee, CCaptureFilterInfo** ppEncoder)
{
    CGraphManager* gm = m_pGraphManager;
    const CString name("InterVideo Audio Encoder");
    if (FAILED(gm->AddFilterFromCategory(CLSID_AudioCompressorCategory, name,
                                         name + m_pVideoCapture->GetInstanceSuffix(), ppEncoder, TRUE, TRUE)) ||
        *ppEncoder == nullptr)
        return E_FAIL;
    m_pVideoCapture->m_relatedFilters.Add((*ppEncoder)->GetInstanceNumber());
    SetAudioEncoderMode(*ppEncoder);
    return FAILED(gm->ConnectFilters(pTee, *ppEncoder)) ? E_FAIL : S_OK;
}

// The capture pin and, with the first capture, the encoder's (else the tee's) audio into a multiplexer and on to a
// file writer: the box's own pair for MPEG formats, the AVI multiplexer and the stock file writer otherwise.
HRESULT CVidmorphDevice::BuildCaptureFile(const CCaptureFilterInfo* pTee, const CCaptureFilterInfo* pEncoder)
{
    CGraphManager* gm = m_pGraphManager;
    const bool ownMux = IsMpeg(m_videoFormat);
    CCaptureFilterInfo* pMux = nullptr;
    CCaptureFilterInfo* pWriter = nullptr;
    if (FAILED(gm->AddFilterByCLSID(ownMux ? ClsidFromText(kMultiplexerClsid) : CLSID_AviDest,
                                    ownMux ? "IVMultiplexer" : "Multiplexer", &pMux, TRUE)) ||
        FAILED(gm->AddFilterByCLSID(ownMux ? ClsidFromText(kFileWriterClsid) : CLSID_FileWriter, "FileWriter", &pWriter,
                                    TRUE)))
        return E_FAIL;
    if (FAILED(gm->ConnectToFilter(m_pVideoCapture->FindPinByName("Video Capture").get(), pMux)))
        return E_FAIL;
    if (m_bCapture1 && FAILED(gm->ConnectFilters(pEncoder != nullptr ? pEncoder : pTee, pMux)))
        return E_FAIL;
    if (FAILED(gm->ConnectFilters(pMux, pWriter)))
        return E_FAIL;
    return S_OK;
}

CVidmorphCaptureDevice::CVidmorphCaptureDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager)
    : CVidmorphDevice(pInfo, pManager, kCaptureModel)
{
}

HRESULT CVidmorphCaptureDevice::ReadTunerState()
{
    return E_NOTIMPL;
}

CVidmorphTunerDevice::CVidmorphTunerDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager)
    : CVidmorphDevice(pInfo, pManager, kTunerModel)
{
}

HRESULT CVidmorphTunerDevice::ReadTunerState()
{
    CComPtr<IAMTVTuner> tuner;
    const CComPtr<IBaseFilter> filter = m_pTuner != nullptr ? m_pTuner->GetFilter() : CComPtr<IBaseFilter>();
    if (FAILED(tuner.QueryFrom(filter.get(), IID_IAMTVTuner)))
        return E_FAIL;
    LONG value = 0;
    tuner->SignalPresent(&value);
    tuner->GetAvailableModes(&value);
    if (FAILED(tuner->get_AvailableTVFormats(&value)))
        return E_FAIL;
    m_nAvailableTVFormats = DWORD(value);
    if (FAILED(tuner->get_TVFormat(&value)))
        return E_FAIL;
    m_nTVFormat = DWORD(value);
    LONG input = 0;
    if (SUCCEEDED(tuner->get_ConnectInput(&input))) {
        TunerInputType type = TunerInputCable;
        if (FAILED(tuner->get_InputType(input, &type)))
            return E_FAIL;
        m_nTunerInputType = DWORD(type);
    }
    LONG frequency = 0;
    const HRESULT hr = tuner->get_VideoFrequency(&frequency);
    LONG minimum = 0;
    LONG maximum = 0;
    tuner->ChannelMinMax(&minimum, &maximum);
    return hr;
}
