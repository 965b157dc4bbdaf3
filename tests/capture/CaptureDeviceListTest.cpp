// tests/capture/CaptureDeviceListTest.cpp
// The device list's factory on fake descriptors: the class each device gets, capability enumeration for all but
// DV devices, removal by instance number and deletion.
#include "FakeDeviceInterfaces.h"
#include "FakeFilters.h"

#include "capture/CaptureDeviceList.h"
#include "capture/CaptureFilterInfo.h"
#include "capture/DVCaptureDevice.h"
#include "capture/GenericCaptureDevice.h"
#include "capture/MediaType.h"
#include "capture/VidmorphDevice.h"

#include <gtest/gtest.h>

#include <edevdefs.h>
#include <uuids.h>

#include <string>
#include <typeinfo>

using namespace capture_test;

namespace {

enum class Kind {
    Generic,
    Capture,
    Tuner,
    DV
};

struct FactoryCase {
    const char* name;
    bool extDevice;
    LONG deviceType;
    bool videoControl;
    Kind expected;
};

// A fake filter with a capture pin offering one YUY2 size, and its descriptor.
struct FakeDevice {
    FakeRef<FakeStreamConfig> config;
    FakeFilter* filter = nullptr;
    CCaptureFilterInfo* info = nullptr;

    FakeDevice(const FactoryCase& c)
    {
        const DWORD yuy2 = MakeFourCC('Y', 'U', 'Y', '2');
        config->capabilities = {VideoInfoType(FOURCCMap(yuy2), yuy2, 320, 240)};
        FakeFilterLayout layout;
        FakePinLayout pin;
        pin.name = c.expected == Kind::Generic || c.expected == Kind::DV ? L"Capture" : L"Video Capture";
        pin.majorTypes = {MEDIATYPE_Video};
        pin.category = &PIN_CATEGORY_CAPTURE;
        pin.interfaces = {config.As<IAMStreamConfig>(IID_IAMStreamConfig)};
        layout.pins = {pin};
        layout.extDevice = c.extDevice;
        layout.extDeviceType = c.deviceType;
        layout.videoControl = c.videoControl;
        filter = CreateFakeFilter(layout);
        info = new CCaptureFilterInfo(CComPtr<IBaseFilter>(AsBaseFilter(filter)), c.name, "\\\\?\\usb#x#1#{y}");
    }
    ~FakeDevice()
    {
        info->Release();
        AsBaseFilter(filter)->Release();
    }
};

class Factory : public ::testing::TestWithParam<FactoryCase> {};

TEST_P(Factory, GivesTheClassThatSuitsTheDevice)
{
    const FactoryCase& c = GetParam();
    FakeDevice device(c);
    CCaptureDeviceList list;
    list.CreateDeviceFor(device.info);
    if (c.expected == Kind::DV) {
        ASSERT_EQ(1, list.GetDVDeviceCount());
        EXPECT_EQ(0, list.GetDeviceCount());
        EXPECT_EQ(list.GetDVDevice(0), list.FindDVDevice(device.info));
        EXPECT_EQ(0, device.config->outstandingTypes);
    } else {
        ASSERT_EQ(1, list.GetDeviceCount());
        EXPECT_EQ(0, list.GetDVDeviceCount());
        CCaptureDevice* pDevice = list.GetDevice(0);
        EXPECT_EQ(pDevice, list.FindDevice(device.info));
        switch (c.expected) {
        case Kind::Generic:
            EXPECT_EQ(typeid(CGenericCaptureDevice), typeid(*pDevice));
            break;
        case Kind::Capture:
            EXPECT_EQ(typeid(CVidmorphCaptureDevice), typeid(*pDevice));
            break;
        case Kind::Tuner:
            EXPECT_EQ(typeid(CVidmorphTunerDevice), typeid(*pDevice));
            break;
        case Kind::DV:
            break;
        }
        // The capabilities were enumerated before the object joined the list (the maker's devices, by name, drop
        // YUY2 whatever their class).
        EXPECT_EQ(device.info->IsMakerDevice() ? 0 : 1, pDevice->m_videoFormats.GetSize());
    }
    list.DeleteAll();
    EXPECT_EQ(0, list.GetDeviceCount());
    EXPECT_EQ(0, list.GetDVDeviceCount());
}

INSTANTIATE_TEST_SUITE_P(
    Devices, Factory,
    ::testing::Values(FactoryCase{"USB Camera", false, 0, false, Kind::Generic},
                      FactoryCase{"USB Camera", true, ED_DEVTYPE_VCR, false, Kind::DV},
                      // A camera or a device with video control is no DV device, even with a transport.
                      FactoryCase{"DV Camera", true, ED_DEVTYPE_VCR, true, Kind::Generic},
                      FactoryCase{"Korvath Vidmorph CX2 A/V Capture", false, 0, false, Kind::Capture},
                      FactoryCase{"Korvath Vidmorph TX2 A/V Capture", false, 0, false, Kind::Tuner},
                      FactoryCase{"korvath vidmorph tx2 a/v capture", false, 0, false, Kind::Generic},
                      FactoryCase{"Korvath Vidmorph TX2 A/V Capture ", false, 0, false, Kind::Generic},
                      // The DV test comes before the name test.
                      FactoryCase{"Korvath Vidmorph TX2 A/V Capture", true, ED_DEVTYPE_VCR, false, Kind::DV}));

TEST(DeviceList, RemoveDeviceTakesTheObjectOfThatInstanceOnly)
{
    FakeDevice first(FactoryCase{"Cam A", false, 0, false, Kind::Generic});
    FakeDevice second(FactoryCase{"Cam B", false, 0, false, Kind::Generic});
    FakeDevice dv(FactoryCase{"DV", true, ED_DEVTYPE_VCR, false, Kind::DV});
    CCaptureDeviceList list;
    list.CreateDeviceFor(first.info);
    list.CreateDeviceFor(second.info);
    list.CreateDeviceFor(dv.info);
    ASSERT_EQ(2, list.GetDeviceCount());

    list.RemoveDevice(WORD(60000));
    EXPECT_EQ(2, list.GetDeviceCount());
    EXPECT_EQ(1, list.GetDVDeviceCount());

    list.RemoveDevice(first.info->GetInstanceNumber());
    ASSERT_EQ(1, list.GetDeviceCount());
    EXPECT_EQ(second.info, list.GetDevice(0)->GetVideoCaptureInfo());
    EXPECT_EQ(nullptr, list.FindDevice(first.info));

    list.RemoveDevice(dv.info->GetInstanceNumber());
    EXPECT_EQ(0, list.GetDVDeviceCount());
    list.DeleteAll();
}

TEST(DeviceList, CreateAllWithoutAManagerMakesNothing)
{
    CCaptureDeviceList list;
    EXPECT_EQ(0, list.CreateAll());
    list.CreateDevice(0);
    EXPECT_EQ(0, list.GetDeviceCount());
}

} // namespace
