// src/capture/DVCaptureDevice.cpp
#include "capture/DVCaptureDevice.h"

#include "capture/CaptureFilterInfo.h"
#include "capture/GraphManager.h"
#include "capture/MediaType.h"

#include <uuids.h>

#include <string>

void SetCaptureFileName(CCaptureFilterInfo* pWriter, const CString& fileName)
{
    if (pWriter == nullptr)
        return;
    CComPtr<IFileSinkFilter> sink;
    const CComPtr<IBaseFilter> filter = pWriter->GetFilter();
    if (FAILED(sink.QueryFrom(filter.get(), IID_IFileSinkFilter)))
        return;
    const int size = ::MultiByteToWideChar(CP_ACP, 0, fileName, -1, nullptr, 0);
    std::wstring wide(size > 0 ? size_t(size) : 1, L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_ACP, 0, fileName, -1, &wide[0], size);
    sink->SetFileName(wide.c_str(), nullptr);
}

CGraphDevice::CGraphDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager)
    : m_bAudioPreview(0), m_bVideoPreview(0), m_bCapture1(0), m_bCapture2(0), m_nDVCaptureType(1), m_pInfo(pInfo),
      m_pGraphManager(pManager)
{
}

CDVCaptureDevice::CDVCaptureDevice(CCaptureFilterInfo* pInfo, CGraphManager* pManager) : CGraphDevice(pInfo, pManager)
{
}

CDVCaptureDevice::~CDVCaptureDevice() = default;

LONG CDVCaptureDevice::SetTransportMode(LONG mode)
{
    if (m_pGraphManager == nullptr || m_pInfo == nullptr)
        return 0;
    CComPtr<IAMExtTransport> transport;
    const CComPtr<IBaseFilter> filter = m_pInfo->GetFilter();
    if (SUCCEEDED(transport.QueryFrom(filter.get(), IID_IAMExtTransport)))
        transport->put_Mode(mode);
    return 0;
}

CComPtr<IPin> CDVCaptureDevice::FindInterleavedCapturePin() const
{
    CComPtr<IEnumPins> pins;
    const CComPtr<IBaseFilter> filter = m_pInfo != nullptr ? m_pInfo->GetFilter() : CComPtr<IBaseFilter>();
    if (!filter || FAILED(filter->EnumPins(pins.Receive())) || !pins)
        return CComPtr<IPin>();
    CComPtr<IPin> pin;
    while (pins->Next(1, pin.Receive(), nullptr) == S_OK && pin) {
        PIN_DIRECTION direction;
        if (FAILED(pin->QueryDirection(&direction)))
            return CComPtr<IPin>();
        if (direction != PINDIR_OUTPUT)
            continue;
        GUID category = GUID_NULL;
        if (FAILED(GetPinCategory(pin, &category)) || !IsEqualGUID(category, PIN_CATEGORY_CAPTURE))
            continue;
        CComPtr<IAMStreamConfig> config;
        if (FAILED(config.QueryFrom(pin.get(), IID_IAMStreamConfig)))
            continue;
        CMediaTypePtr mt;
        if (SUCCEEDED(config->GetFormat(mt.Receive())) && mt.get() != nullptr &&
            IsEqualGUID(mt->majortype, MEDIATYPE_Interleaved))
            return pin;
    }
    return CComPtr<IPin>();
}

HRESULT CDVCaptureDevice::BuildGraph()
{
    if (m_pGraphManager == nullptr || m_pInfo == nullptr)
        return E_FAIL;
    DecodingChain chain;
    if (FAILED(BuildDecodingChain(chain)))
        return E_FAIL;
    if (m_bAudioPreview && FAILED(BuildAudioPreview(chain)))
        return E_FAIL;
    if (m_bVideoPreview && FAILED(BuildVideoPreview(chain)))
        return E_FAIL;
    if ((m_bCapture1 || m_bCapture2) && FAILED(BuildCaptureFile(chain)))
        return E_FAIL;
    return S_OK;
}

// A new graph with the device, whose interleaved capture pin feeds a smart tee; the tee's preview side goes
// through the DV splitter, whose video reaches the DV decoder.
HRESULT CDVCaptureDevice::BuildDecodingChain(DecodingChain& chain)
{
    CGraphManager* gm = m_pGraphManager;
    gm->Log("-- Building preview/capture graph --");
    if (FAILED(gm->CreateGraph()) || FAILED(gm->AddDeviceFilter(m_pInfo, m_pInfo->GetFriendlyName())))
        return E_FAIL;
    if (FAILED(gm->AddFilterByCLSID(CLSID_SmartTee, "SmartTee", &chain.pTee, TRUE)) ||
        FAILED(gm->AddFilterByCLSID(CLSID_DVSplitter, "DV Splitter", &chain.pSplitter, TRUE)) ||
        FAILED(gm->AddFilterByCLSID(CLSID_DVVideoCodec, "DV Decoder", &chain.pDecoder, TRUE)))
        return E_FAIL;
    if (FAILED(gm->ConnectToFilter(FindInterleavedCapturePin().get(), chain.pTee)) ||
        FAILED(gm->ConnectToFilter(chain.pTee->FindPinByName("Preview").get(), chain.pSplitter)) ||
        FAILED(gm->ConnectToFilter(chain.pSplitter->FindPinByMediaType(MEDIATYPE_Video, 0).get(), chain.pDecoder)))
        return E_FAIL;
    return S_OK;
}

// The splitter's audio into the sound renderer.
HRESULT CDVCaptureDevice::BuildAudioPreview(const DecodingChain& chain)
{
    const CCaptureFilterInfo* pSound = m_pGraphManager->AddAudioPreviewRenderer(m_bAudioPreview);
    if (pSound != nullptr &&
        FAILED(m_pGraphManager->ConnectToFilter(chain.pSplitter->FindPinByMediaType(MEDIATYPE_Audio, 0).get(), pSound)))
        return E_FAIL;
    return S_OK;
}

// The decoder's output rendered into a video renderer.
HRESULT CDVCaptureDevice::BuildVideoPreview(const DecodingChain& chain)
{
    if (FAILED(m_pGraphManager->AddVideoRenderer(nullptr)) ||
        FAILED(m_pGraphManager->RenderPin(FirstFreeOutput(chain.pDecoder).get())))
        return E_FAIL;
    return S_OK;
}

// The tee's capture side into an AVI multiplexer and on to the file writer.
HRESULT CDVCaptureDevice::BuildCaptureFile(const DecodingChain& chain)
{
    CGraphManager* gm = m_pGraphManager;
    CCaptureFilterInfo* pMux = nullptr;
    if (FAILED(gm->AddFilterByCLSID(CLSID_AviDest, "AVI Mux", &pMux, TRUE)) ||
        FAILED(ConnectCaptureStreams(chain.pTee, pMux)))
        return E_FAIL;
    CCaptureFilterInfo* pWriter = nullptr;
    if (FAILED(gm->AddFilterByCLSID(CLSID_FileWriter, "File Writer", &pWriter, TRUE)) ||
        FAILED(gm->ConnectFilters(pMux, pWriter)))
        return E_FAIL;
    SetCaptureFileName(pWriter, m_strCaptureFile);
    return S_OK;
}

// Capture type 2 splits the stream again, so the file gets a video and an audio stream; any other type keeps the
// interleaved stream.
HRESULT CDVCaptureDevice::ConnectCaptureStreams(const CCaptureFilterInfo* pTee, const CCaptureFilterInfo* pMux)
{
    CGraphManager* gm = m_pGraphManager;
    if (m_nDVCaptureType != 2)
        return gm->ConnectToFilter(pTee->FindPinByName("Capture").get(), pMux);
    CCaptureFilterInfo* pSecond = nullptr;
    if (FAILED(gm->AddFilterByCLSID(CLSID_DVSplitter, "DV Splitter", &pSecond, TRUE)) ||
        FAILED(gm->ConnectToFilter(pTee->FindPinByName("Capture").get(), pSecond)) ||
        FAILED(gm->ConnectToFilter(pSecond->FindPinByMediaType(MEDIATYPE_Video, 0).get(), pMux)) ||
        FAILED(gm->ConnectToFilter(pSecond->FindPinByMediaType(MEDIATYPE_Audio, 0).get(), pMux)))
        return E_FAIL;
    return S_OK;
}
