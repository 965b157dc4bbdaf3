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
    CGraphManager* gm = m_pGraphManager;
    if (gm == nullptr || m_pInfo == nullptr)
        return E_FAIL;
    gm->Log("-- Building preview/capture graph --");
    if (FAILED(gm->CreateGraph()) || FAILED(gm->AddDeviceFilter(m_pInfo, m_pInfo->GetFriendlyName())))
        return E_FAIL;
    CCaptureFilterInfo* pTee = nullptr;
    CCaptureFilterInfo* pSplitter = nullptr;
    CCaptureFilterInfo* pDecoder = nullptr;
    if (FAILED(gm->AddFilterByCLSID(CLSID_SmartTee, "SmartTee", &pTee, TRUE)) ||
        FAILED(gm->AddFilterByCLSID(CLSID_DVSplitter, "DV Splitter", &pSplitter, TRUE)) ||
        FAILED(gm->AddFilterByCLSID(CLSID_DVVideoCodec, "DV Decoder", &pDecoder, TRUE)))
        return E_FAIL;
    if (FAILED(gm->ConnectPins(FindInterleavedCapturePin().get(), FirstFreeInput(pTee).get(), FALSE)) ||
        FAILED(gm->ConnectPins(pTee->FindPinByName("Preview").get(), FirstFreeInput(pSplitter).get(), FALSE)) ||
        FAILED(gm->ConnectPins(pSplitter->FindPinByMediaType(MEDIATYPE_Video, 0).get(), FirstFreeInput(pDecoder).get(),
                               FALSE)))
        return E_FAIL;

    if (m_bAudioPreview) {
        CCaptureFilterInfo* pSound = nullptr;
        if (FAILED(gm->AddSoundRenderer(&pSound))) {
            m_bAudioPreview = 0;
        } else if (FAILED(gm->ConnectPins(pSplitter->FindPinByMediaType(MEDIATYPE_Audio, 0).get(),
                                          FirstFreeInput(pSound).get(), FALSE))) {
            return E_FAIL;
        }
    }
    if (m_bVideoPreview) {
        if (FAILED(gm->AddVideoRenderer(nullptr)) || FAILED(gm->RenderPin(FirstFreeOutput(pDecoder).get())))
            return E_FAIL;
    }
    if (m_bCapture1 || m_bCapture2) {
        CCaptureFilterInfo* pMux = nullptr;
        if (FAILED(gm->AddFilterByCLSID(CLSID_AviDest, "AVI Mux", &pMux, TRUE)))
            return E_FAIL;
        if (m_nDVCaptureType == 2) {
            CCaptureFilterInfo* pSecond = nullptr;
            if (FAILED(gm->AddFilterByCLSID(CLSID_DVSplitter, "DV Splitter", &pSecond, TRUE)) ||
                FAILED(gm->ConnectPins(pTee->FindPinByName("Capture").get(), FirstFreeInput(pSecond).get(), FALSE)) ||
                FAILED(gm->ConnectPins(pSecond->FindPinByMediaType(MEDIATYPE_Video, 0).get(),
                                       FirstFreeInput(pMux).get(), FALSE)) ||
                FAILED(gm->ConnectPins(pSecond->FindPinByMediaType(MEDIATYPE_Audio, 0).get(),
                                       FirstFreeInput(pMux).get(), FALSE)))
                return E_FAIL;
        } else if (FAILED(gm->ConnectPins(pTee->FindPinByName("Capture").get(), FirstFreeInput(pMux).get(), FALSE))) {
            return E_FAIL;
        }
        CCaptureFilterInfo* pWriter = nullptr;
        if (FAILED(gm->AddFilterByCLSID(CLSID_FileWriter, "File Writer", &pWriter, TRUE)) ||
            FAILED(gm->ConnectPins(FirstFreeOutput(pMux).get(), FirstFreeInput(pWriter).get(), FALSE)))
            return E_FAIL;
        SetCaptureFileName(pWriter, m_strCaptureFile);
    }
    return S_OK;
}
