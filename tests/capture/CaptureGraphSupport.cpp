// tests/capture/CaptureGraphSupport.cpp
#include "CaptureGraphSupport.h"

#include "CaptureTestSupport.h"

#include <oleauto.h>
#include <uuids.h>

namespace capture_test {

namespace {

std::vector<FakeStockFilter> g_stock;
std::vector<CLSID> g_missing;
std::vector<FakeCategoryDevice> g_devices;

class FakeBag final : public FakeCounted<IPropertyBag> {
public:
    explicit FakeBag(const FakeCategoryDevice& device) : m_device(device) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IPropertyBag, ppv);
    }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* pVar, IErrorLog*) override
    {
        const std::wstring key(name);
        const std::wstring* text = key == L"FriendlyName" ? &m_device.friendlyName
                                   : key == L"DevicePath" ? &m_device.devicePath
                                                          : nullptr;
        if (text == nullptr)
            return E_FAIL;
        pVar->vt = VT_BSTR;
        pVar->bstrVal = ::SysAllocString(text->c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

private:
    FakeCategoryDevice m_device;
};

class FakeMoniker final : public FakeCounted<IMoniker> {
public:
    explicit FakeMoniker(const FakeCategoryDevice& device) : m_device(device) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override { return Answer(iid, IID_IMoniker, ppv); }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx*, IMoniker*, REFIID iid, void** ppv) override
    {
        FakeFilter* filter = CreateFakeFilter(m_device.layout);
        const HRESULT hr = AsBaseFilter(filter)->QueryInterface(iid, ppv);
        AsBaseFilter(filter)->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx*, IMoniker*, REFIID iid, void** ppv) override
    {
        *ppv = nullptr;
        if (!IsEqualIID(iid, IID_IPropertyBag))
            return E_NOINTERFACE;
        *ppv = static_cast<IPropertyBag*>(new FakeBag(m_device));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker*, BOOL, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Enum(BOOL, IEnumMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsEqual(IMoniker*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Hash(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Inverse(IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD*) override { return S_FALSE; }

private:
    FakeCategoryDevice m_device;
};

class FakeEnumMoniker final : public FakeCounted<IEnumMoniker> {
public:
    explicit FakeEnumMoniker(std::vector<FakeCategoryDevice> devices) : m_devices(std::move(devices)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IEnumMoniker, ppv);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IMoniker** ppMonikers, ULONG* pFetched) override
    {
        ULONG fetched = 0;
        while (fetched < count && m_position < m_devices.size())
            ppMonikers[fetched++] = new FakeMoniker(m_devices[m_position++]);
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
    HRESULT STDMETHODCALLTYPE Clone(IEnumMoniker**) override { return E_NOTIMPL; }

private:
    std::vector<FakeCategoryDevice> m_devices;
    size_t m_position = 0;
};

class FakeWindowless final : public FakeCounted<IVMRWindowlessControl9> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_IVMRWindowlessControl9, ppv);
    }
    HRESULT STDMETHODCALLTYPE GetNativeVideoSize(LONG*, LONG*, LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMinIdealVideoSize(LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMaxIdealVideoSize(LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVideoPosition(const RECT*, const RECT*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetVideoPosition(RECT*, RECT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAspectRatioMode(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAspectRatioMode(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetVideoClippingWindow(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RepaintVideo(HWND, HDC) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DisplayModeChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCurrentImage(BYTE**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBorderColor(COLORREF) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBorderColor(COLORREF*) override { return E_NOTIMPL; }
};

class FakeDevEnum final : public FakeCounted<ICreateDevEnum> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return Answer(iid, IID_ICreateDevEnum, ppv);
    }
    HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID category, IEnumMoniker** ppEnum, DWORD) override
    {
        std::vector<FakeCategoryDevice> found;
        for (const FakeCategoryDevice& device : g_devices)
            if (IsEqualCLSID(device.category, category))
                found.push_back(device);
        *ppEnum = found.empty() ? nullptr : new FakeEnumMoniker(found);
        return found.empty() ? S_FALSE : S_OK;
    }
};

HRESULT WINAPI CreateStock(REFCLSID clsid, LPUNKNOWN pOuter, DWORD dwContext, REFIID iid, LPVOID* ppv)
{
    if (!g_devices.empty() && IsEqualCLSID(clsid, CLSID_SystemDeviceEnum)) {
        FakeDevEnum* devEnum = new FakeDevEnum;
        const HRESULT hr = devEnum->QueryInterface(iid, ppv);
        devEnum->Release();
        return hr;
    }
    for (const FakeStockFilter& entry : g_stock) {
        if (!IsEqualCLSID(entry.clsid, clsid))
            continue;
        FakeFilter* filter = CreateFakeFilter(entry.layout);
        const HRESULT hr = AsBaseFilter(filter)->QueryInterface(iid, ppv);
        AsBaseFilter(filter)->Release();
        return hr;
    }
    for (const CLSID& missing : g_missing)
        if (IsEqualCLSID(missing, clsid))
            return REGDB_E_CLASSNOTREG;
    return ::CoCreateInstance(clsid, pOuter, dwContext, iid, ppv);
}

const CaptureComHooks kStockTable = {&CreateStock};

} // namespace

CFakeStockSeam::CFakeStockSeam(std::vector<FakeStockFilter> stock, std::vector<CLSID> missing,
                               std::vector<FakeCategoryDevice> devices)
{
    g_devices = std::move(devices);
    g_stock = std::move(stock);
    g_missing = std::move(missing);
    m_previous = SetCaptureComHooks(&kStockTable);
}

CFakeStockSeam::~CFakeStockSeam()
{
    SetCaptureComHooks(m_previous);
    g_stock.clear();
    g_missing.clear();
    g_devices.clear();
}

FakePinLayout Pin(const wchar_t* name, PIN_DIRECTION direction, const GUID& majorType, const GUID* category)
{
    FakePinLayout pin;
    pin.name = name;
    pin.direction = direction;
    if (!IsEqualGUID(majorType, GUID_NULL))
        pin.majorTypes = {majorType};
    pin.category = category;
    pin.connectable = true;
    return pin;
}

FakeFilterLayout SmartTeeLayout()
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"Input", PINDIR_INPUT), Pin(L"Capture", PINDIR_OUTPUT), Pin(L"Preview", PINDIR_OUTPUT)};
    return layout;
}

FakeFilterLayout DvSplitterLayout()
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"Input", PINDIR_INPUT), Pin(L"DVVidOut0", PINDIR_OUTPUT, MEDIATYPE_Video),
                   Pin(L"AudOut00", PINDIR_OUTPUT, MEDIATYPE_Audio)};
    return layout;
}

FakeFilterLayout DvDecoderLayout()
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"XForm In", PINDIR_INPUT), Pin(L"XForm Out", PINDIR_OUTPUT, MEDIATYPE_Video)};
    return layout;
}

FakeFilterLayout SoundRendererLayout()
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"Audio Input pin (rendered)", PINDIR_INPUT)};
    return layout;
}

FakeFilterLayout AviMuxLayout()
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"AVI Out", PINDIR_OUTPUT), Pin(L"Input 01", PINDIR_INPUT), Pin(L"Input 02", PINDIR_INPUT)};
    return layout;
}

FakeFilterLayout FileWriterLayout(FakeFileSink* pSink)
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"in", PINDIR_INPUT)};
    if (pSink != nullptr)
        layout.interfaces = {{IID_IFileSinkFilter, static_cast<IFileSinkFilter*>(pSink)}};
    return layout;
}

// The layout keeps one reference to its windowless control for as long as the stock list lives.
FakeFilterLayout VideoRendererLayout()
{
    static FakeWindowless* windowless = new FakeWindowless;
    FakeFilterLayout layout;
    layout.pins = {Pin(L"VMR Input0", PINDIR_INPUT)};
    layout.interfaces = {{IID_IVMRWindowlessControl9, static_cast<IVMRWindowlessControl9*>(windowless)}};
    return layout;
}

FakeFilterLayout OneInOneOutLayout()
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"In", PINDIR_INPUT), Pin(L"Out", PINDIR_OUTPUT, MEDIATYPE_Video)};
    return layout;
}

CManagerFixture::CManagerFixture() : m_folder(new CWorkingFolder), m_firstLine(g_dxLogLines.GetSize())
{
    m_manager.reset(new CGraphManager);
    g_pGraphManager = m_manager.get();
}

CManagerFixture::~CManagerFixture()
{
    m_manager->ReleaseGraph();
    g_pGraphManager = nullptr;
    m_manager.reset();
}

std::vector<std::string> CManagerFixture::Messages() const
{
    return MessagesOf(g_dxLogLines, m_firstLine);
}

std::vector<std::string> CManagerFixture::BuildSteps() const
{
    std::vector<std::string> steps;
    for (const std::string& m : Messages()) {
        if (m.find(" Failed: pin not found") == 0 || m == " create new graph filter" || m == " graph object destroyed")
            continue;
        steps.push_back(m);
    }
    return steps;
}

} // namespace capture_test
