// tests/capture/CaptureGraphSupport.h
// Graph builds of the device classes seen through the capture side's creation seam: the stock filters a build
// asks for by class id come as connectable fake filters with the stock filters' pins, the filter graph is Wine's
// own, and the diagnostics log tells the adds and connects in their order.
#ifndef TAVISK_TESTS_CAPTURE_CAPTUREGRAPHSUPPORT_H
#define TAVISK_TESTS_CAPTURE_CAPTUREGRAPHSUPPORT_H

#include "FakeDeviceInterfaces.h"
#include "FakeFilters.h"

#include "capture/CaptureComSeam.h"
#include "capture/GraphManager.h"

#include <memory>
#include <string>
#include <vector>

namespace capture_test {

// A stock filter the seam hands out as a fake, by its class id.
struct FakeStockFilter {
    CLSID clsid;
    FakeFilterLayout layout;
};

// A device the system device enumerator lists in a category (a box's crossbar, tuner, ...).
struct FakeCategoryDevice {
    CLSID category;
    std::wstring friendlyName;
    std::wstring devicePath;
    FakeFilterLayout layout;
};

// Installs the seam for the test's life: class ids of `stock` give fakes (a missing class id, when listed in
// `missing`, fails as unregistered); every other class id is created for real.
class CFakeStockSeam {
public:
    CFakeStockSeam(std::vector<FakeStockFilter> stock, std::vector<CLSID> missing = {},
                   std::vector<FakeCategoryDevice> devices = {});
    ~CFakeStockSeam();
    CFakeStockSeam(const CFakeStockSeam&) = delete;
    CFakeStockSeam& operator=(const CFakeStockSeam&) = delete;

private:
    const CaptureComHooks* m_previous;
};

// The stock filters' fakes: pins named as Windows names them.
FakeFilterLayout SmartTeeLayout();
FakeFilterLayout DvSplitterLayout();
FakeFilterLayout DvDecoderLayout();
FakeFilterLayout SoundRendererLayout();
FakeFilterLayout AviMuxLayout();
FakeFilterLayout FileWriterLayout(FakeFileSink* pSink);
// The video mixing renderer 9 with a windowless control that accepts what the manager sets.
FakeFilterLayout VideoRendererLayout();
FakeFilterLayout OneInOneOutLayout(); // a decoder or converter: "In" and "Out"

// A connectable pin.
FakePinLayout Pin(const wchar_t* name, PIN_DIRECTION direction, const GUID& majorType = GUID_NULL,
                  const GUID* category = nullptr);

// A graph manager made the program-wide one, with a working folder for its logs, and the messages it logged.
class CManagerFixture {
public:
    CManagerFixture();
    ~CManagerFixture();
    CGraphManager& Manager() { return *m_manager; }
    std::vector<std::string> Messages() const;
    // Only the adds, connects, renders and failures of a build.
    std::vector<std::string> BuildSteps() const;

private:
    std::unique_ptr<class CWorkingFolder> m_folder;
    std::unique_ptr<CGraphManager> m_manager;
    INT_PTR m_firstLine;
};

} // namespace capture_test

#endif
