// src/capture/GenericCaptureDevice.cpp
#include "capture/GenericCaptureDevice.h"

#include "capture/CaptureFilterInfo.h"
#include "capture/DVCaptureDevice.h"
#include "capture/GraphManager.h"
#include "capture/MediaType.h"

#include <dvdmedia.h>
#include <uuids.h>

namespace {

// Sets the frame time (or, without an interval, the bit rate) of a block's header when its size matches.
template <class Header>
bool ApplyToHeader(Header& header, const CFrameSize& size)
{
    if (header.bmiHeader.biWidth != size.m_nWidth || header.bmiHeader.biHeight != size.m_nHeight)
        return false;
    if (!size.m_arrFrameIntervals.IsEmpty())
        header.AvgTimePerFrame = size.m_arrFrameIntervals[0];
    else
        header.dwBitRate = size.m_nMaxBitRate;
    return true;
}

} // namespace

struct CGenericCaptureDevice::SortedPins {
    CComPtr<IPin> videoCapture;
    CComPtr<IPin> videoPreview;
    CComPtr<IPin> audioCapture;
    CComPtr<IPin> audioPreview;
};

CGenericCaptureDevice::SortedPins CGenericCaptureDevice::SortPins(const CCaptureFilterInfo* pInfo)
{
    SortedPins sorted;
    for (int i = 0;; ++i) {
        CComPtr<IPin> pin = pInfo->GetPin(PINDIR_OUTPUT, FALSE, i);
        if (!pin)
            break;
        GUID category = GUID_NULL;
        if (FAILED(GetPinCategory(pin, &category)))
            continue;
        const bool preview = IsEqualGUID(category, PIN_CATEGORY_PREVIEW) != 0;
        const bool videoPort = IsEqualGUID(category, PIN_CATEGORY_VIDEOPORT) != 0;
        const bool capture = IsEqualGUID(category, PIN_CATEGORY_CAPTURE) != 0;
        if (!preview && !videoPort && !capture)
            continue;
        CComPtr<IAMStreamConfig> config;
        CMediaTypePtr mt;
        if (FAILED(config.QueryFrom(pin.get(), IID_IAMStreamConfig)) || FAILED(config->GetFormat(mt.Receive())) ||
            mt.get() == nullptr)
            continue;
        if (IsEqualGUID(mt->majortype, MEDIATYPE_Audio)) {
            if (preview)
                sorted.audioPreview = pin;
            else
                sorted.audioCapture = pin;
        } else if (IsEqualGUID(mt->majortype, MEDIATYPE_Video)) {
            if (preview || videoPort)
                sorted.videoPreview = pin;
            else
                sorted.videoCapture = pin;
        }
    }
    return sorted;
}

CGenericCaptureDevice::CGenericCaptureDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager)
    : CCaptureDevice(pInfo, pManager)
{
}

CGenericCaptureDevice::~CGenericCaptureDevice() = default;

HRESULT CGenericCaptureDevice::BuildBasicGraph()
{
    if (m_pVideoCapture == nullptr || m_pGraphManager == nullptr)
        return E_FAIL;
    m_pGraphManager->Log("-- Building basic graph --");
    if (FAILED(m_pGraphManager->CreateGraph()) ||
        FAILED(m_pGraphManager->AddDeviceFilter(m_pVideoCapture, m_pVideoCapture->GetFriendlyName())))
        return E_FAIL;
    return S_OK;
}

HRESULT CGenericCaptureDevice::Initialize()
{
    return SUCCEEDED(BuildBasicGraph()) ? S_OK : E_FAIL;
}

HRESULT CGenericCaptureDevice::ReadTunerState()
{
    return E_FAIL;
}

HRESULT CGenericCaptureDevice::BuildPreviewCaptureGraph()
{
    if (FAILED(Initialize()))
        return E_FAIL;
    const SortedPins pins = SortPins(m_pVideoCapture);
    CCaptureFilterInfo* pVideoTee = nullptr;
    CCaptureFilterInfo* pAudioTee = nullptr;
    if (m_bVideoPreview && FAILED(BuildVideoPreview(pins, &pVideoTee)))
        return E_FAIL;
    if (m_bAudioPreview && FAILED(BuildAudioPreview(pins, &pAudioTee)))
        return E_FAIL;
    if ((m_bCapture1 || m_bCapture2) && FAILED(BuildCaptureFile(pins, pVideoTee, pAudioTee)))
        return E_FAIL;
    return S_OK;
}

// The preview pin, or else the capture pin through a smart tee, rendered into a video renderer.
HRESULT CGenericCaptureDevice::BuildVideoPreview(const SortedPins& pins, CCaptureFilterInfo** ppTee)
{
    CComPtr<IPin> source = pins.videoPreview;
    if (!source && pins.videoCapture) {
        if (FAILED(
                m_pGraphManager->AddFilterAfter(pins.videoCapture.get(), CLSID_SmartTee, "SmartTee For Video", ppTee)))
            return E_FAIL;
        source = (*ppTee)->FindPinByName("Preview");
    }
    if (!source)
        return S_OK;
    if (FAILED(m_pGraphManager->AddVideoRenderer(nullptr)) || FAILED(m_pGraphManager->RenderPin(source.get())))
        return E_FAIL;
    m_pGraphManager->Log(" render: preview Video pin");
    return S_OK;
}

// The preview pin, or else the capture pin through a smart tee, into the sound renderer.
HRESULT CGenericCaptureDevice::BuildAudioPreview(const SortedPins& pins, CCaptureFilterInfo** ppTee)
{
    CComPtr<IPin> source = pins.audioPreview;
    if (!source && pins.audioCapture) {
        if (FAILED(
                m_pGraphManager->AddFilterAfter(pins.audioCapture.get(), CLSID_SmartTee, "SmartTee For Audio", ppTee)))
            return E_FAIL;
        source = FirstFreeOutput(*ppTee);
    }
    if (!source)
        return S_OK;
    const CCaptureFilterInfo* pSound = m_pGraphManager->AddAudioPreviewRenderer(m_bAudioPreview);
    if (pSound == nullptr)
        return S_OK;
    if (FAILED(m_pGraphManager->ConnectToFilter(source.get(), pSound)))
        return E_FAIL;
    m_pGraphManager->Log(" render: Preview Audio pin");
    return S_OK;
}

// The video and audio capture pins (or the tees' capture sides) into an AVI multiplexer and on to the file
// writer.
HRESULT CGenericCaptureDevice::BuildCaptureFile(const SortedPins& pins, const CCaptureFilterInfo* pVideoTee,
                                                const CCaptureFilterInfo* pAudioTee)
{
    CGraphManager* gm = m_pGraphManager;
    CCaptureFilterInfo* pWriter = nullptr;
    CCaptureFilterInfo* pMux = nullptr;
    if (FAILED(gm->AddFilterByCLSID(CLSID_FileWriter, "File Writer", &pWriter, TRUE)) ||
        FAILED(gm->AddFilterByCLSID(CLSID_AviDest, "AVI Mux", &pMux, TRUE)))
        return E_FAIL;
    const CComPtr<IPin> video = pVideoTee != nullptr ? pVideoTee->FindPinByName("Capture") : pins.videoCapture;
    if (video && FAILED(gm->ConnectToFilter(video.get(), pMux)))
        return E_FAIL;
    const CComPtr<IPin> audio = pAudioTee != nullptr ? FirstFreeOutput(pAudioTee) : pins.audioCapture;
    if (audio && FAILED(gm->ConnectToFilter(audio.get(), pMux)))
        return E_FAIL;
    if (FAILED(gm->ConnectFilters(pMux, pWriter)))
        return E_FAIL;
    SetCaptureFileName(pWriter, m_strCaptureFile);
    return S_OK;
}

HRESULT CGenericCaptureDevice::SetVideoConfig(CVideoFormat format)
{
    if (format.m_arrFrameSizes.IsEmpty())
        return E_INVALIDARG;
    m_videoFormat = format;
    const CComPtr<IPin> pin = FindVideoCapturePin();
    if (!pin)
        return S_OK;
    CComPtr<IAMStreamConfig> config;
    if (FAILED(config.QueryFrom(pin.get(), IID_IAMStreamConfig)))
        return E_FAIL;
    ApplyVideoFormat(config.get(), format);
    return S_OK;
}

// The capabilities are read into a buffer of the size the configuration announces.
HRESULT CGenericCaptureDevice::ApplyVideoFormat(IAMStreamConfig* pConfig, const CVideoFormat& format)
{
    if (pConfig == nullptr)
        return S_OK;
    if (format.m_arrFrameSizes.IsEmpty())
        return E_INVALIDARG;
    const CFrameSize& size = format.m_arrFrameSizes[0];
    CStreamCapsReader reader;
    if (!reader.Open(pConfig, sizeof(VIDEO_STREAM_CONFIG_CAPS)))
        return E_FAIL;
    for (int i = 0; i < reader.GetCount(); ++i) {
        CMediaTypePtr mt;
        if (FAILED(reader.Read(i, mt)) || mt.get() == nullptr)
            continue;
        AM_MEDIA_TYPE* pmt = mt.get();
        if (!IsEqualGUID(pmt->subtype, m_videoFormat.m_subType) ||
            !IsEqualGUID(pmt->formattype, m_videoFormat.m_formatType))
            continue;
        bool matched = false;
        if (IsEqualGUID(pmt->subtype, MEDIASUBTYPE_MPEG1Payload)) {
            if (MPEG1VIDEOINFO* p = GetWritableFormatBlockAs<MPEG1VIDEOINFO>(pmt, FORMAT_MPEGVideo))
                matched = ApplyToHeader(p->hdr, size);
        } else if (IsEqualGUID(pmt->subtype, MEDIASUBTYPE_MPEG2_VIDEO)) {
            if (MPEG2VIDEOINFO* p = GetWritableFormatBlockAs<MPEG2VIDEOINFO>(pmt, FORMAT_MPEG2Video))
                matched = ApplyToHeader(p->hdr, size);
        }
        if (!matched) {
            if (VIDEOINFOHEADER* p = GetWritableFormatBlockAs<VIDEOINFOHEADER>(pmt, FORMAT_VideoInfo))
                matched = ApplyToHeader(*p, size);
        }
        if (matched)
            return pConfig->SetFormat(pmt);
    }
    return S_OK;
}
