// src/capture/GraphManagerFilters.cpp
// The graph-building steps of the graph manager: filters by class id or by device category, pins connected and
// rendered, the windowless video renderer.
#include "capture/GraphManager.h"

#include "capture/CaptureComSeam.h"
#include "capture/PropertyBagText.h"

#include <errors.h>
#include <uuids.h>
#include <string>

namespace {

// A wide copy of an ANSI name for the graph; an empty name stays empty.
class CWideName {
public:
    explicit CWideName(const CString& name)
    {
        const int size = ::MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
        m_text.resize(size > 0 ? size : 1, L'\0');
        if (size > 0)
            ::MultiByteToWideChar(CP_ACP, 0, name, -1, &m_text[0], size);
    }
    LPCWSTR get() const { return m_text.c_str(); }

private:
    std::wstring m_text;
};

CString PinName(IPin* pPin)
{
    PIN_INFO info = {};
    if (FAILED(pPin->QueryPinInfo(&info)))
        return CString();
    if (info.pFilter != nullptr)
        info.pFilter->Release();
    info.achName[MAX_PIN_NAME - 1] = L'\0';
    return WideToAnsi(info.achName);
}

} // namespace

HRESULT CGraphManager::AddDeviceFilter(CCaptureFilterInfo* pFilter, const CString& name)
{
    HRESULT hr = E_FAIL;
    if (pFilter != nullptr && m_graph) {
        CComPtr<IBaseFilter> filter = pFilter->GetFilter();
        hr = m_graph->AddFilter(filter.get(), CWideName(name).get());
    }
    Log(SUCCEEDED(hr) ? " added: " + name : " Failed: add filter: " + name);
    return hr;
}

// With bAddToGraph the graph filters hold the new descriptor's reference; otherwise the caller owns it.
HRESULT CGraphManager::AddFilterByCLSID(REFCLSID clsid, const CString& name, CCaptureFilterInfo** ppOut,
                                        BOOL bAddToGraph)
{
    if (ppOut != nullptr)
        *ppOut = nullptr;
    CComPtr<IBaseFilter> filter;
    HRESULT hr = CaptureCreateInstance(clsid, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.ReceiveVoid());
    if (FAILED(hr) || !filter) {
        Log(" Failed: add filter: " + name);
        return FAILED(hr) ? hr : E_FAIL;
    }
    CCaptureFilterInfo* pInfo = new CCaptureFilterInfo(filter, name, name);
    if (ppOut != nullptr)
        *ppOut = pInfo;
    if (!bAddToGraph) {
        if (ppOut == nullptr)
            pInfo->Release();
        return hr;
    }
    m_graphFilters.Add(pInfo);
    hr = m_graph ? m_graph->AddFilter(filter.get(), CWideName(name).get()) : E_FAIL;
    Log(SUCCEEDED(hr) ? " added: " + name : " Failed: add filter: " + name);
    return hr;
}

HRESULT CGraphManager::AddSoundRenderer(CCaptureFilterInfo** ppSound)
{
    const HRESULT hr = AddFilterByCLSID(CLSID_DSoundRender, "Default DirectSound Device", ppSound, TRUE);
    if (FAILED(hr))
        Log(" failed: CLSID_DSoundRender");
    return hr;
}

HRESULT CGraphManager::ConnectToFilter(IPin* pOut, const CCaptureFilterInfo* pTo)
{
    return ConnectPins(pOut, FirstFreeInput(pTo).get(), FALSE);
}

HRESULT CGraphManager::ConnectFilters(const CCaptureFilterInfo* pFrom, const CCaptureFilterInfo* pTo)
{
    return ConnectToFilter(FirstFreeOutput(pFrom).get(), pTo);
}

HRESULT CGraphManager::AddFilterAfter(IPin* pOut, REFCLSID clsid, const CString& name, CCaptureFilterInfo** ppOut)
{
    if (FAILED(AddFilterByCLSID(clsid, name, ppOut, TRUE)) || FAILED(ConnectToFilter(pOut, *ppOut)))
        return E_FAIL;
    return S_OK;
}

CCaptureFilterInfo* CGraphManager::AddAudioPreviewRenderer(BYTE& bAudioPreview)
{
    CCaptureFilterInfo* pSound = nullptr;
    if (FAILED(AddSoundRenderer(&pSound))) {
        bAudioPreview = 0;
        return nullptr;
    }
    return pSound;
}

HRESULT CGraphManager::AddFilterFromCategory(REFCLSID category, const CString& friendlyName, const CString& graphName,
                                             CCaptureFilterInfo** ppOut, BOOL bAddToGraph, BOOL bShared)
{
    return AddFilterFromCategoryImpl(category, friendlyName, graphName, nullptr, ppOut, bAddToGraph, bShared);
}

HRESULT CGraphManager::AddFilterFromCategoryByPath(REFCLSID category, const CString& friendlyName,
                                                   const CString& graphName, const CString& devicePath,
                                                   CCaptureFilterInfo** ppOut, BOOL bAddToGraph, BOOL bShared)
{
    return AddFilterFromCategoryImpl(category, friendlyName, graphName, &devicePath, ppOut, bAddToGraph, bShared);
}

// Finds the filter of a device category by its friendly name (and, given a device path, by the path's part up to
// its last '#', so a box's crossbar or tuner is the one beside its capture filter) and puts it into the graph.
// Shared filters are kept across graph rebuilds under their graph name.
HRESULT CGraphManager::AddFilterFromCategoryImpl(REFCLSID category, const CString& friendlyName,
                                                 const CString& graphName, const CString* pDevicePath,
                                                 CCaptureFilterInfo** ppOut, BOOL bAddToGraph, BOOL bShared)
{
    CCaptureFilterInfo* pInfo = nullptr;
    void* pShared = nullptr;
    if (bShared && bAddToGraph && m_sharedFilters.Lookup(graphName, pShared)) {
        pInfo = static_cast<CCaptureFilterInfo*>(pShared);
        pInfo->AddRef();
    } else {
        CComPtr<ICreateDevEnum> devEnum;
        HRESULT hr =
            CaptureCreateInstance(CLSID_SystemDeviceEnum, CLSCTX_ALL, IID_ICreateDevEnum, devEnum.ReceiveVoid());
        if (FAILED(hr)) {
            Log("CoCreateInstance failed: " + friendlyName);
            return hr;
        }
        CComPtr<IEnumMoniker> monikers;
        hr = devEnum->CreateClassEnumerator(category, monikers.Receive(), 0);
        if (hr != S_OK || !monikers)
            return E_FAIL;
        CString prefix;
        if (pDevicePath != nullptr) {
            const int last = pDevicePath->ReverseFind('#');
            if (last >= 0)
                prefix = pDevicePath->Left(last);
            prefix.MakeLower();
        }
        CComPtr<IMoniker> moniker;
        bool found = false;
        while (!found && monikers->Next(1, moniker.Receive(), nullptr) == S_OK && moniker) {
            CComPtr<IPropertyBag> bag;
            if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.ReceiveVoid())) || !bag)
                continue;
            CString name;
            ReadPropertyBagText(bag.get(), L"FriendlyName", name);
            if (name != friendlyName)
                continue;
            if (pDevicePath != nullptr) {
                CString path;
                ReadPropertyBagText(bag.get(), L"DevicePath", path);
                path.MakeLower();
                if (path.Find(prefix) < 0)
                    continue;
            }
            found = true;
        }
        if (!found) {
            Log("Filter not found: " + friendlyName);
            return E_FAIL;
        }
        CComPtr<IBaseFilter> filter;
        hr = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.ReceiveVoid());
        if (FAILED(hr) || !filter) {
            Log("BindToObject failed: " + friendlyName);
            return FAILED(hr) ? hr : E_FAIL;
        }
        pInfo = new CCaptureFilterInfo(filter, friendlyName, graphName);
        if (bShared && bAddToGraph) {
            m_sharedFilters.SetAt(graphName, pInfo);
            pInfo->AddRef();
        }
    }
    if (ppOut != nullptr)
        *ppOut = pInfo;
    if (!bAddToGraph) {
        if (ppOut == nullptr)
            pInfo->Release();
        return S_OK;
    }
    const HRESULT hr = AddDeviceFilter(pInfo, graphName);
    if (SUCCEEDED(hr)) {
        m_graphFilters.Add(pInfo);
        return hr;
    }
    // The caller's reference goes; a shared filter lives on in the map, any other is gone.
    void* pKept = nullptr;
    const bool kept = m_sharedFilters.Lookup(graphName, pKept) && pKept == pInfo;
    pInfo->Release();
    if (!kept && ppOut != nullptr)
        *ppOut = nullptr;
    return hr;
}

HRESULT CGraphManager::ConnectPins(IPin* pOut, IPin* pIn, BOOL bIntelligent)
{
    if (pOut == nullptr || pIn == nullptr) {
        Log(" invalid pin: zero pointer");
        return E_FAIL;
    }
    const CString outName = PinName(pOut);
    const CString inName = PinName(pIn);
    HRESULT hr;
    if (bIntelligent)
        hr = m_graph ? m_graph->Connect(pOut, pIn) : E_FAIL;
    else
        hr = pOut->Connect(pIn, nullptr);
    if (SUCCEEDED(hr))
        Log(" connect pins: '" + outName + "' -> '" + inName + "'");
    else
        Log("Connect pins failed:" + ErrorText(hr));
    return hr;
}

HRESULT CGraphManager::RenderPin(IPin* pPin)
{
    if (pPin == nullptr)
        return E_FAIL;
    const HRESULT hr = m_graph ? m_graph->Render(pPin) : E_FAIL;
    if (FAILED(hr))
        Log("Render pin failed:" + ErrorText(hr));
    return hr;
}

// Creates a mixing renderer (7 or 9) as the video renderer and puts it into the graph under its graph name; its
// descriptor is named "Video Mixing Renderer" either way.
HRESULT CGraphManager::AddMixingRenderer(REFCLSID clsid, const CString& graphName, CCaptureFilterInfo** ppOut)
{
    if (ppOut != nullptr)
        *ppOut = nullptr;
    HRESULT hr = CaptureCreateInstance(clsid, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IBaseFilter,
                                       m_videoRenderer.ReceiveVoid());
    if (FAILED(hr))
        return hr;
    CCaptureFilterInfo* pInfo =
        new CCaptureFilterInfo(m_videoRenderer, "Video Mixing Renderer", "Video Mixing Renderer");
    if (ppOut != nullptr)
        *ppOut = pInfo;
    m_graphFilters.Add(pInfo);
    hr = m_graph ? m_graph->AddFilter(m_videoRenderer.get(), CWideName(graphName).get()) : E_FAIL;
    if (SUCCEEDED(hr))
        Log(" added: " + graphName);
    return hr;
}

// The renderer chosen at construction; the windowless mode may be refused on systems without suitable video
// memory, and the windowless control is taken all the same.
HRESULT CGraphManager::AddVideoRenderer(CCaptureFilterInfo** ppOut)
{
    if (!m_bVmr7)
        return AddVideoRenderer9(ppOut);
    HRESULT hr = AddMixingRenderer(CLSID_VideoMixingRenderer, "Video Mixing Renderer", ppOut);
    if (FAILED(hr))
        return hr;
    CComPtr<IVMRFilterConfig> config;
    if (SUCCEEDED(config.QueryFrom(m_videoRenderer.get(), IID_IVMRFilterConfig)))
        config->SetRenderingMode(VMRMode_Windowless);
    hr = m_windowless7.QueryFrom(m_videoRenderer.get(), IID_IVMRWindowlessControl);
    if (SUCCEEDED(hr)) {
        m_windowless7->SetVideoClippingWindow(m_hOwner);
        m_windowless7->SetBorderColor(0);
    }
    return hr;
}

HRESULT CGraphManager::AddVideoRenderer9(CCaptureFilterInfo** ppOut)
{
    HRESULT hr = AddMixingRenderer(CLSID_VideoMixingRenderer9, "Video Mixing Renderer9", ppOut);
    if (FAILED(hr))
        return hr;
    CComPtr<IVMRFilterConfig9> config;
    if (SUCCEEDED(config.QueryFrom(m_videoRenderer.get(), IID_IVMRFilterConfig9)))
        config->SetRenderingMode(VMR9Mode_Windowless);
    hr = m_windowless9.QueryFrom(m_videoRenderer.get(), IID_IVMRWindowlessControl9);
    if (SUCCEEDED(hr)) {
        m_windowless9->SetVideoClippingWindow(m_hOwner);
        m_windowless9->SetBorderColor(0);
    }
    return hr;
}
