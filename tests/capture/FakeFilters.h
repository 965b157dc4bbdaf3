// tests/capture/FakeFilters.h
// In-process fake DirectShow filters for the capture tests: a filter with a configurable list of pins (name,
// direction, connected or not, media types, category through the pin's property set) and, on request, the
// external-device, camera-control and video-control interfaces. Reference counts are real, so tests can check
// that the code under test gives back what it takes.
#ifndef TAVISK_TESTS_CAPTURE_FAKEFILTERS_H
#define TAVISK_TESTS_CAPTURE_FAKEFILTERS_H

#include <windows.h>
#include <dshow.h>

#include <string>
#include <utility>
#include <vector>

namespace capture_test {

struct FakePinLayout {
    std::wstring name;
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    bool connected = false;
    std::vector<GUID> majorTypes;    // one media type per entry
    const GUID* category = nullptr;  // answered through IKsPropertySet; none: no property set
    bool failDirection = false;      // QueryDirection fails
    bool failEnumMediaTypes = false; // EnumMediaTypes fails
    // Connections: a connectable pin accepts one peer and, as output, offers the peer `connectType` (or a bare
    // type of its first major type); otherwise Connect fails with E_NOTIMPL.
    bool connectable = false;
    const AM_MEDIA_TYPE* connectType = nullptr;
    // Further interfaces the pin answers (such as a stream configuration): the pin hands out the object with a
    // reference added; the layout keeps one reference for the pin's life.
    std::vector<std::pair<IID, IUnknown*>> interfaces;
};

struct FakeFilterLayout {
    std::vector<FakePinLayout> pins;
    bool failEnumPins = false;
    bool extDevice = false; // IAMExtDevice
    LONG extDeviceType = 0; // its answer for ED_DEVCAP_DEVICE_TYPE
    HRESULT extDeviceResult = S_OK;
    bool cameraControl = false; // IAMCameraControl
    bool videoControl = false;  // IAMVideoControl
    // Further interfaces the filter answers, asked before the ones above; as for pins.
    std::vector<std::pair<IID, IUnknown*>> interfaces;
};

class FakeFilter;

// Makes a fake filter with one reference held by the caller. The filter holds a reference to every further
// interface object of its layout and its pins' layouts until it goes.
FakeFilter* CreateFakeFilter(const FakeFilterLayout& layout);
IBaseFilter* AsBaseFilter(FakeFilter* filter);
// The filter's current reference count (the references of its pins included).
LONG RefCount(FakeFilter* filter);
// Media types handed out by the filter's pins and not yet given back.
LONG OutstandingMediaTypes(FakeFilter* filter);

} // namespace capture_test

#endif
