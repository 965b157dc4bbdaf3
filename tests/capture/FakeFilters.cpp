// tests/capture/FakeFilters.cpp
#include "FakeFilters.h"

#include "FakeDeviceInterfaces.h"

#include <cstring>
#include <edevdefs.h>
#include <ks.h>
#include <ksmedia.h>

namespace capture_test {

namespace {

void CopyName(WCHAR* target, const WCHAR* source, size_t size)
{
    size_t i = 0;
    for (; i + 1 < size && source[i] != L'\0'; ++i)
        target[i] = source[i];
    target[i] = L'\0';
}

// Counts the media types handed out: each carries a reference to it in pUnk.
class MediaTypeTracker : public IUnknown {
public:
    LONG refs = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        *ppv = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown))
            return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(--refs); }
};

// A further interface of a layout: handed out with a reference added.
bool FindExtra(const std::vector<std::pair<IID, IUnknown*>>& interfaces, REFIID iid, void** ppv)
{
    for (const auto& entry : interfaces) {
        if (IsEqualIID(entry.first, iid)) {
            entry.second->AddRef();
            *ppv = entry.second;
            return true;
        }
    }
    return false;
}

void AddRefAll(const std::vector<std::pair<IID, IUnknown*>>& interfaces)
{
    for (const auto& entry : interfaces)
        entry.second->AddRef();
}

void ReleaseAll(const std::vector<std::pair<IID, IUnknown*>>& interfaces)
{
    for (const auto& entry : interfaces)
        entry.second->Release();
}

} // namespace

class FakePin;

class FakeFilter final : public IBaseFilter, public IAMExtDevice, public IAMCameraControl, public IAMVideoControl {
public:
    explicit FakeFilter(const FakeFilterLayout& layout);
    ~FakeFilter();

    LONG refs = 1;
    FakeFilterLayout layout;
    std::vector<FakePin*> pins;
    MediaTypeTracker tracker;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        *ppv = nullptr;
        if (FindExtra(layout.interfaces, iid, ppv))
            return S_OK;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBaseFilter) || IsEqualIID(iid, IID_IMediaFilter) ||
            IsEqualIID(iid, IID_IPersist))
            *ppv = static_cast<IBaseFilter*>(this);
        else if (IsEqualIID(iid, IID_IAMExtDevice) && layout.extDevice)
            *ppv = static_cast<IAMExtDevice*>(this);
        else if (IsEqualIID(iid, IID_IAMCameraControl) && layout.cameraControl)
            *ppv = static_cast<IAMCameraControl*>(this);
        else if (IsEqualIID(iid, IID_IAMVideoControl) && layout.videoControl)
            *ppv = static_cast<IAMVideoControl*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = --refs;
        if (left == 0)
            delete this;
        return ULONG(left);
    }

    // IPersist, IMediaFilter
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClsid) override
    {
        *pClsid = GUID_NULL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Pause() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* pState) override
    {
        *pState = State_Stopped;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** ppClock) override
    {
        *ppClock = nullptr;
        return S_OK;
    }

    // IBaseFilter
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** ppEnum) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin** ppPin) override
    {
        *ppPin = nullptr;
        return VFW_E_NOT_FOUND;
    }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* pInfo) override
    {
        std::memset(pInfo, 0, sizeof *pInfo);
        CopyName(pInfo->achName, L"Fake Filter", MAX_FILTER_NAME);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* ppInfo) override
    {
        *ppInfo = nullptr;
        return E_NOTIMPL;
    }

    // IAMExtDevice (the device type is all the tests ask)
    HRESULT STDMETHODCALLTYPE GetCapability(long capability, long* pValue, double*) override
    {
        if (capability != ED_DEVCAP_DEVICE_TYPE)
            return E_NOTIMPL;
        if (SUCCEEDED(layout.extDeviceResult))
            *pValue = layout.extDeviceType;
        return layout.extDeviceResult;
    }
    HRESULT STDMETHODCALLTYPE get_ExternalDeviceID(LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ExternalDeviceVersion(LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_DevicePower(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DevicePower(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Calibrate(HEVENT, long, long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_DevicePort(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DevicePort(long*) override { return E_NOTIMPL; }

    // IAMCameraControl
    HRESULT STDMETHODCALLTYPE GetRange(long, long*, long*, long*, long*, long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Set(long, long, long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Get(long, long*, long*) override { return E_NOTIMPL; }

    // IAMVideoControl
    HRESULT STDMETHODCALLTYPE GetCaps(IPin*, long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMode(IPin*, long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMode(IPin*, long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentActualFrameRate(IPin*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMaxAvailableFrameRate(IPin*, long, SIZE, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFrameRateList(IPin*, long, SIZE, long*, LONGLONG**) override { return E_NOTIMPL; }
};

// A pin shares its filter's reference count.
class FakePin final : public IPin, public IKsPropertySet {
public:
    FakePin(FakeFilter* owner, const FakePinLayout& layout) : m_owner(owner), m_layout(layout) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        *ppv = nullptr;
        if (FindExtra(m_layout.interfaces, iid, ppv))
            return S_OK;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin))
            *ppv = static_cast<IPin*>(this);
        else if (IsEqualIID(iid, IID_IKsPropertySet) && m_layout.category != nullptr)
            *ppv = static_cast<IKsPropertySet*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_owner->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_owner->Release(); }

    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin* pReceive, const AM_MEDIA_TYPE* pmt) override
    {
        if (!m_layout.connectable)
            return E_NOTIMPL;
        if (m_layout.connected)
            return VFW_E_ALREADY_CONNECTED;
        AM_MEDIA_TYPE bare = {};
        if (!m_layout.majorTypes.empty())
            bare.majortype = m_layout.majorTypes[0];
        const AM_MEDIA_TYPE* offered = pmt != nullptr                    ? pmt
                                       : m_layout.connectType != nullptr ? m_layout.connectType
                                                                         : &bare;
        const HRESULT hr = pReceive->ReceiveConnection(this, offered);
        if (SUCCEEDED(hr))
            SetPeer(pReceive);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE*) override
    {
        if (!m_layout.connectable)
            return E_NOTIMPL;
        if (m_layout.connected)
            return VFW_E_ALREADY_CONNECTED;
        SetPeer(pConnector);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Disconnect() override
    {
        if (!m_layout.connected)
            return S_FALSE;
        m_layout.connected = false;
        SetPeer(nullptr);
        return S_OK;
    }
    // The peer of a connection made here is held until the pin is disconnected.
    void SetPeer(IPin* pPeer)
    {
        if (pPeer != nullptr)
            pPeer->AddRef();
        if (m_peer != nullptr)
            m_peer->Release();
        m_peer = pPeer;
        m_layout.connected = pPeer != nullptr || m_layout.connected;
    }
    IPin* m_peer = nullptr;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** ppPin) override
    {
        if (!m_layout.connected) {
            *ppPin = nullptr;
            return VFW_E_NOT_CONNECTED;
        }
        *ppPin = m_peer != nullptr ? m_peer : this; // a stand-in peer for a pin laid out as connected
        (*ppPin)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE*) override { return VFW_E_NOT_CONNECTED; }
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* pInfo) override
    {
        std::memset(pInfo, 0, sizeof *pInfo);
        CopyName(pInfo->achName, m_layout.name.c_str(), MAX_PIN_NAME);
        pInfo->dir = m_layout.direction;
        pInfo->pFilter = m_owner;
        m_owner->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* pDirection) override
    {
        if (m_layout.failDirection)
            return E_UNEXPECTED;
        *pDirection = m_layout.direction;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* ppId) override
    {
        *ppId = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    // IKsPropertySet: the pin category only
    HRESULT STDMETHODCALLTYPE Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID pData, DWORD size,
                                  DWORD* pReturned) override
    {
        if (!IsEqualGUID(set, AMPROPSETID_Pin) || id != AMPROPERTY_PIN_CATEGORY)
            return E_PROP_ID_UNSUPPORTED;
        if (size < sizeof(GUID))
            return E_UNEXPECTED;
        std::memcpy(pData, m_layout.category, sizeof(GUID));
        if (pReturned != nullptr)
            *pReturned = sizeof(GUID);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID, DWORD, DWORD* pSupport) override
    {
        *pSupport = KSPROPERTY_SUPPORT_GET;
        return S_OK;
    }

    FakeFilter* m_owner;
    FakePinLayout m_layout;
};

namespace {

// Walks a list of pins; holds a reference to their filter.
class FakeEnumPins final : public FakeCounted<IEnumPins> {
public:
    FakeEnumPins(FakeFilter* owner, size_t position) : m_owner(owner), m_position(position) { m_owner->AddRef(); }
    ~FakeEnumPins() { m_owner->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IEnumPins, ppv);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** ppPins, ULONG* pFetched) override
    {
        ULONG fetched = 0;
        while (fetched < count && m_position < m_owner->pins.size()) {
            ppPins[fetched] = m_owner->pins[m_position++];
            ppPins[fetched]->AddRef();
            ++fetched;
        }
        if (pFetched != nullptr)
            *pFetched = fetched;
        return fetched == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        m_position += count;
        return m_position <= m_owner->pins.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** ppEnum) override
    {
        *ppEnum = new FakeEnumPins(m_owner, m_position);
        return S_OK;
    }

private:
    FakeFilter* m_owner;
    size_t m_position;
};

// Hands out one media type per major type of a pin, each carrying a counted pUnk.
class FakeEnumMediaTypes final : public FakeCounted<IEnumMediaTypes> {
public:
    FakeEnumMediaTypes(FakePin* pin, size_t position) : m_pin(pin), m_position(position) { m_pin->AddRef(); }
    ~FakeEnumMediaTypes() { m_pin->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IEnumMediaTypes, ppv);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** ppTypes, ULONG* pFetched) override
    {
        ULONG fetched = 0;
        const std::vector<GUID>& types = m_pin->m_layout.majorTypes;
        while (fetched < count && m_position < types.size()) {
            AM_MEDIA_TYPE* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
            std::memset(pmt, 0, sizeof *pmt);
            pmt->majortype = types[m_position++];
            pmt->cbFormat = 16;
            pmt->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(16));
            pmt->pUnk = &m_pin->m_owner->tracker;
            pmt->pUnk->AddRef();
            ppTypes[fetched++] = pmt;
        }
        if (pFetched != nullptr)
            *pFetched = fetched;
        return fetched == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        m_position += count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** ppEnum) override
    {
        *ppEnum = new FakeEnumMediaTypes(m_pin, m_position);
        return S_OK;
    }

private:
    FakePin* m_pin;
    size_t m_position;
};

} // namespace

FakeFilter::FakeFilter(const FakeFilterLayout& filterLayout) : layout(filterLayout)
{
    AddRefAll(layout.interfaces);
    for (const FakePinLayout& pinLayout : layout.pins) {
        AddRefAll(pinLayout.interfaces);
        pins.push_back(new FakePin(this, pinLayout));
    }
}

FakeFilter::~FakeFilter()
{
    for (FakePin* pin : pins) {
        ReleaseAll(pin->m_layout.interfaces);
        delete pin;
    }
    ReleaseAll(layout.interfaces);
}

HRESULT FakeFilter::EnumPins(IEnumPins** ppEnum)
{
    *ppEnum = nullptr;
    if (layout.failEnumPins)
        return E_UNEXPECTED;
    *ppEnum = new FakeEnumPins(this, 0);
    return S_OK;
}

HRESULT FakePin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    *ppEnum = nullptr;
    if (m_layout.failEnumMediaTypes)
        return E_UNEXPECTED;
    *ppEnum = new FakeEnumMediaTypes(this, 0);
    return S_OK;
}

FakeFilter* CreateFakeFilter(const FakeFilterLayout& layout)
{
    return new FakeFilter(layout);
}

IBaseFilter* AsBaseFilter(FakeFilter* filter)
{
    return filter;
}

LONG RefCount(FakeFilter* filter)
{
    return filter->refs;
}

LONG OutstandingMediaTypes(FakeFilter* filter)
{
    return filter->tracker.refs;
}

} // namespace capture_test
