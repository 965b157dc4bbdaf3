// tests/capture/CaptureGraphSupport.cpp
#include "CaptureGraphSupport.h"

#include "CaptureTestSupport.h"

#include <uuids.h>

namespace capture_test {

namespace {

std::vector<FakeStockFilter> g_stock;
std::vector<CLSID> g_missing;

HRESULT WINAPI CreateStock(REFCLSID clsid, LPUNKNOWN pOuter, DWORD dwContext, REFIID iid, LPVOID* ppv)
{
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

const CaptureComTable kStockTable = {&CreateStock};

}  // namespace

CFakeStockSeam::CFakeStockSeam(std::vector<FakeStockFilter> stock, std::vector<CLSID> missing)
{
    g_stock = std::move(stock);
    g_missing = std::move(missing);
    m_previous = SetCaptureComTable(&kStockTable);
}

CFakeStockSeam::~CFakeStockSeam()
{
    SetCaptureComTable(m_previous);
    g_stock.clear();
    g_missing.clear();
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

FakeFilterLayout VideoRendererLayout()
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"VMR Input0", PINDIR_INPUT)};
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
    std::vector<std::string> messages;
    for (INT_PTR i = m_firstLine; i < g_dxLogLines.GetSize(); ++i) {
        std::string number, message;
        if (SplitLogLine(static_cast<LPCTSTR>(g_dxLogLines[i]), number, message))
            messages.push_back(message);
    }
    return messages;
}

std::vector<std::string> CManagerFixture::BuildSteps() const
{
    std::vector<std::string> steps;
    for (const std::string& m : Messages()) {
        if (m.find(" Failed: pin not found") == 0 || m == " create new graph filter" ||
            m == " graph object destroyed")
            continue;
        steps.push_back(m);
    }
    return steps;
}

}  // namespace capture_test
