// src/capture/CaptureFilterInfo.cpp
#include "capture/CaptureFilterInfo.h"

#include "capture/GraphManager.h"
#include "capture/MediaType.h"

#include <edevdefs.h>
#include <ks.h>
#include <ksmedia.h>
#include <olectl.h>

WORD g_nFilterInfoCount = 0;

namespace {

// The pin-search failures go to the diagnostics log of the program-wide manager.
void LogPinSearch(const CString& message)
{
    if (g_pGraphManager != nullptr)
        g_pGraphManager->Log(message);
}

// The pin enumerator of a filter; empty without a filter or when it gives none.
CComPtr<IEnumPins> PinsOf(const CComPtr<IBaseFilter>& filter)
{
    CComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(pins.Receive())))
        return CComPtr<IEnumPins>();
    return pins;
}

} // namespace

// The descriptor takes a reference on the filter and a program-wide number; the display name carries the number,
// so two devices of the same name tell apart. A device without a path is "default".
CCaptureFilterInfo::CCaptureFilterInfo(const CComPtr<IBaseFilter>& filter, const CString& friendlyName,
                                       const CString& devicePath)
    : m_filter(filter), m_strFriendlyName(friendlyName), m_strDevicePath(devicePath), m_nInstance(++g_nFilterInfoCount),
      m_nRefs(1), m_bMakerDevice(0), m_bSettingsApplied(0)
{
    m_strDisplayName = friendlyName + GetInstanceSuffix();
    if (m_strDevicePath.IsEmpty())
        m_strDevicePath = "default";
    CString upper(friendlyName);
    upper.MakeUpper();
    if (upper.Find("KORVATH") >= 0)
        m_bMakerDevice = 1;
}

CCaptureFilterInfo::~CCaptureFilterInfo()
{
    m_bSettingsApplied = 0;
    m_relatedFilters.RemoveAll();
}

LONG CCaptureFilterInfo::AddRef()
{
    return ++m_nRefs;
}

LONG CCaptureFilterInfo::Release()
{
    const LONG refs = --m_nRefs;
    if (refs == 0) {
        m_bSettingsApplied = 0;
        delete this;
    }
    return refs;
}

CString CCaptureFilterInfo::GetInstanceSuffix() const
{
    CString suffix;
    suffix.Format("(%d)", int(m_nInstance));
    return suffix;
}

// The later tests win: only a filter with the external-device interface and neither camera interface gives a
// positive value. The device type is asked with ED_DEVCAP_DEVICE_TYPE (answers such as ED_DEVTYPE_VCR).
LONG CCaptureFilterInfo::IsExternalDevice() const
{
    LONG kind = 0;
    if (!m_filter)
        return kind;
    CComPtr<IAMExtDevice> extDevice;
    if (SUCCEEDED(extDevice.QueryFrom(m_filter.get(), IID_IAMExtDevice))) {
        LONG value = 0;
        double dValue = 0;
        if (SUCCEEDED(extDevice->GetCapability(ED_DEVCAP_DEVICE_TYPE, &value, &dValue)))
            kind = value;
    }
    CComPtr<IAMCameraControl> camera;
    if (SUCCEEDED(camera.QueryFrom(m_filter.get(), IID_IAMCameraControl)))
        kind = -1;
    CComPtr<IAMVideoControl> videoControl;
    if (SUCCEEDED(videoControl.QueryFrom(m_filter.get(), IID_IAMVideoControl)))
        kind = -2;
    return kind;
}

void CCaptureFilterInfo::ShowPropertyPages(HWND hParent) const
{
    if (!m_filter)
        return;
    CComPtr<IAMVfwCompressDialogs> dialogs;
    if (SUCCEEDED(dialogs.QueryFrom(m_filter.get(), IID_IAMVfwCompressDialogs))) {
        dialogs->ShowDialog(VfwCompressDialog_Config, hParent);
        return;
    }
    CComPtr<ISpecifyPropertyPages> pages;
    if (FAILED(pages.QueryFrom(m_filter.get(), IID_ISpecifyPropertyPages)))
        return;
    FILTER_INFO info = {};
    if (FAILED(m_filter->QueryFilterInfo(&info)))
        return;
    CComPtr<IUnknown> unknown;
    unknown.QueryFrom(m_filter.get(), IID_IUnknown);
    CAUUID caGuids = {0, nullptr};
    if (unknown && SUCCEEDED(pages->GetPages(&caGuids))) {
        IUnknown* objects[1] = {unknown.get()};
        ::OleCreatePropertyFrame(hParent, 0, 0, info.achName, 1, objects, caGuids.cElems, caGuids.pElems, 0, 0,
                                 nullptr);
        ::CoTaskMemFree(caGuids.pElems);
    }
    if (info.pGraph != nullptr)
        info.pGraph->Release();
}

CComPtr<IPin> CCaptureFilterInfo::GetPin(PIN_DIRECTION direction, BOOL bConnected, int nIndex) const
{
    const CComPtr<IEnumPins> pins = PinsOf(m_filter);
    if (!pins)
        return CComPtr<IPin>();
    int n = 0;
    CComPtr<IPin> pin;
    while (pins->Next(1, pin.Receive(), nullptr) == S_OK && pin) {
        PIN_DIRECTION pinDirection;
        if (FAILED(pin->QueryDirection(&pinDirection)))
            return CComPtr<IPin>();
        if (pinDirection != direction)
            continue;
        CComPtr<IPin> peer;
        const BOOL bPinConnected = pin->ConnectedTo(peer.Receive()) != VFW_E_NOT_CONNECTED;
        if (bPinConnected != (bConnected != FALSE))
            continue;
        if (n == nIndex)
            return pin;
        ++n;
    }
    CString line;
    line.Format(" Failed: pin not found (%s %s %d)", bConnected ? "connected" : "not connected",
                direction == PINDIR_OUTPUT ? "output" : "not input", nIndex);
    LogPinSearch(line);
    return CComPtr<IPin>();
}

CComPtr<IPin> CCaptureFilterInfo::FindPinByName(const CString& name) const
{
    const CComPtr<IEnumPins> pins = PinsOf(m_filter);
    if (!pins)
        return CComPtr<IPin>();
    CComPtr<IPin> pin;
    while (pins->Next(1, pin.Receive(), nullptr) == S_OK && pin) {
        PIN_INFO info = {};
        if (FAILED(pin->QueryPinInfo(&info)))
            return CComPtr<IPin>();
        if (info.pFilter != nullptr)
            info.pFilter->Release();
        info.achName[MAX_PIN_NAME - 1] = L'\0';
        if (WideToAnsi(info.achName).CompareNoCase(name) == 0)
            return pin;
    }
    LogPinSearch(" Failed: pin not found " + name);
    return CComPtr<IPin>();
}

CComPtr<IPin> CCaptureFilterInfo::FindPinByMediaType(const GUID& majorType, int nIndex) const
{
    const CComPtr<IEnumPins> pins = PinsOf(m_filter);
    if (!pins)
        return CComPtr<IPin>();
    int n = 0;
    CComPtr<IPin> pin;
    while (pins->Next(1, pin.Receive(), nullptr) == S_OK && pin) {
        CComPtr<IEnumMediaTypes> types;
        if (FAILED(pin->EnumMediaTypes(types.Receive())) || !types)
            continue;
        AM_MEDIA_TYPE* pmt = nullptr;
        bool counted = false;
        while (!counted && types->Next(1, &pmt, nullptr) == S_OK && pmt != nullptr) {
            const bool match = IsEqualGUID(pmt->majortype, majorType) != 0;
            DeleteMediaType(pmt);
            pmt = nullptr;
            if (!match)
                continue;
            if (n == nIndex)
                return pin;
            ++n;
            counted = true;
        }
    }
    WCHAR szGuid[64] = {};
    ::StringFromGUID2(majorType, szGuid, 64);
    LogPinSearch(" Failed: pin not found " + WideToAnsi(szGuid));
    return CComPtr<IPin>();
}

HRESULT GetPinCategory(const CComPtr<IPin>& pin, GUID* pCategory)
{
    CComPtr<IKsPropertySet> properties;
    if (FAILED(properties.QueryFrom(pin.get(), IID_IKsPropertySet)))
        return E_NOINTERFACE;
    DWORD returned = 0;
    return properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, pCategory, sizeof(GUID), &returned);
}

CComPtr<IPin> FirstFreeInput(const CCaptureFilterInfo* pInfo)
{
    return pInfo != nullptr ? pInfo->GetPin(PINDIR_INPUT, FALSE, 0) : CComPtr<IPin>();
}

CComPtr<IPin> FirstFreeOutput(const CCaptureFilterInfo* pInfo)
{
    return pInfo != nullptr ? pInfo->GetPin(PINDIR_OUTPUT, FALSE, 0) : CComPtr<IPin>();
}
