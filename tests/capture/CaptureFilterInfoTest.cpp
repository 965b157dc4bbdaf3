// tests/capture/CaptureFilterInfoTest.cpp — filter descriptors: names, lifetimes, device kinds and the pin
// searches, on in-process fake filters
#include "FakeFilters.h"

#include "capture/CaptureFilterInfo.h"
#include "capture/GraphManager.h"

#include <gtest/gtest.h>

#include <edevdefs.h>
#include <ks.h>
#include <ksmedia.h>
#include <uuids.h>

#include <memory>

using namespace capture_test;

namespace {

// A live program-wide manager (no graph) receives the pin searches' log lines.
class DescriptorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        m_manager.reset(new CGraphManager);
        g_pGraphManager = m_manager.get();
        m_firstLine = g_dxLogLines.GetSize();
    }
    void TearDown() override
    {
        g_pGraphManager = nullptr;
        m_manager.reset();
        CoUninitialize();
    }
    // The log lines written since the test began, without their time stamp and manager number.
    std::vector<std::string> NewLogMessages() const
    {
        std::vector<std::string> messages;
        for (INT_PTR i = m_firstLine; i < g_dxLogLines.GetSize(); ++i) {
            std::string line = static_cast<LPCTSTR>(g_dxLogLines[i]);
            const size_t colon = line.find("]");
            messages.push_back(colon == std::string::npos ? line : line.substr(colon + 8));
        }
        return messages;
    }
    // A descriptor on a new fake filter; the descriptor holds the filter's only lasting reference.
    CCaptureFilterInfo* Describe(const FakeFilterLayout& layout, const char* name = "Camera", const char* path = "p")
    {
        FakeFilter* filter = CreateFakeFilter(layout);
        CComPtr<IBaseFilter> held;
        held.Attach(AsBaseFilter(filter));
        return new CCaptureFilterInfo(held, name, path);
    }

    std::unique_ptr<CGraphManager> m_manager;
    INT_PTR m_firstLine = 0;
};

std::string NameOf(const CComPtr<IPin>& pin)
{
    if (!pin)
        return "";
    PIN_INFO info = {};
    pin->QueryPinInfo(&info);
    info.pFilter->Release();
    char name[128] = {};
    WideCharToMultiByte(CP_ACP, 0, info.achName, -1, name, sizeof name, nullptr, nullptr);
    return name;
}

FakePinLayout Pin(const wchar_t* name, PIN_DIRECTION direction, bool connected, std::vector<GUID> types = {})
{
    FakePinLayout pin;
    pin.name = name;
    pin.direction = direction;
    pin.connected = connected;
    pin.majorTypes = std::move(types);
    return pin;
}

TEST_F(DescriptorTest, GetPinWalksPinsOfOneDirectionAndState)
{
    const std::vector<FakePinLayout> threeOutputs = {Pin(L"In", PINDIR_INPUT, false), Pin(L"A", PINDIR_OUTPUT, true),
                                                     Pin(L"B", PINDIR_OUTPUT, false), Pin(L"C", PINDIR_OUTPUT, false)};
    struct Case {
        const char* what;
        std::vector<FakePinLayout> pins;
        PIN_DIRECTION direction;
        BOOL connected;
        int index;
        const char* expected;
        const char* logLine; // null: no line
    } const cases[] = {
        {"second unconnected output", threeOutputs, PINDIR_OUTPUT, FALSE, 1, "C", nullptr},
        {"first connected output", threeOutputs, PINDIR_OUTPUT, TRUE, 0, "A", nullptr},
        {"first unconnected input", threeOutputs, PINDIR_INPUT, FALSE, 0, "In", nullptr},
        {"no second connected output", threeOutputs, PINDIR_OUTPUT, TRUE, 1, "",
         " Failed: pin not found (connected output 1)"},
        {"no unconnected input",
         {Pin(L"A", PINDIR_OUTPUT, false)},
         PINDIR_INPUT,
         FALSE,
         0,
         "",
         " Failed: pin not found (not connected not input 0)"},
        {"no pins at all", {}, PINDIR_OUTPUT, FALSE, 0, "", " Failed: pin not found (not connected output 0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_firstLine = g_dxLogLines.GetSize();
        FakeFilterLayout layout;
        layout.pins = c.pins;
        CCaptureFilterInfo* info = Describe(layout);
        EXPECT_EQ(c.expected, NameOf(info->GetPin(c.direction, c.connected, c.index)));
        const std::vector<std::string> lines = NewLogMessages();
        if (c.logLine == nullptr) {
            EXPECT_TRUE(lines.empty());
        } else {
            ASSERT_EQ(1u, lines.size());
            EXPECT_EQ(c.logLine, lines[0]);
        }
        info->Release();
    }
}

TEST_F(DescriptorTest, PinSearchesEndQuietlyWhenTheFilterFails)
{
    FakeFilterLayout failingEnum;
    failingEnum.failEnumPins = true;
    FakeFilterLayout failingDirection;
    failingDirection.pins = {Pin(L"A", PINDIR_OUTPUT, false)};
    failingDirection.pins[0].failDirection = true;
    for (const FakeFilterLayout& layout : {failingEnum, failingDirection}) {
        CCaptureFilterInfo* info = Describe(layout);
        EXPECT_FALSE(info->GetPin(PINDIR_OUTPUT, FALSE, 0));
        info->Release();
    }
    CCaptureFilterInfo* info = Describe(failingEnum);
    EXPECT_FALSE(info->FindPinByName("A"));
    EXPECT_FALSE(info->FindPinByMediaType(MEDIATYPE_Video, 0));
    info->Release();
    EXPECT_TRUE(NewLogMessages().empty());
}

TEST_F(DescriptorTest, FindPinByNameIgnoresCase)
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"Preview", PINDIR_OUTPUT, false), Pin(L"Capture", PINDIR_OUTPUT, false)};
    CCaptureFilterInfo* info = Describe(layout);
    EXPECT_EQ("Capture", NameOf(info->FindPinByName("capture")));
    EXPECT_FALSE(info->FindPinByName("Audio Capture"));
    ASSERT_EQ(1u, NewLogMessages().size());
    EXPECT_EQ(" Failed: pin not found Audio Capture", NewLogMessages()[0]);
    info->Release();
}

TEST_F(DescriptorTest, FindPinByMediaTypeCountsEachPinOnceAndGivesTypesBack)
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"Audio", PINDIR_OUTPUT, false, {MEDIATYPE_Audio}),
                   Pin(L"Broken", PINDIR_OUTPUT, false, {MEDIATYPE_Video}),
                   Pin(L"Twice", PINDIR_OUTPUT, false, {MEDIATYPE_Video, MEDIATYPE_Video}),
                   Pin(L"Mixed", PINDIR_OUTPUT, false, {MEDIATYPE_Audio, MEDIATYPE_Video})};
    layout.pins[1].failEnumMediaTypes = true;
    FakeFilter* filter = CreateFakeFilter(layout);
    CComPtr<IBaseFilter> held;
    held.Attach(AsBaseFilter(filter));
    CCaptureFilterInfo* info = new CCaptureFilterInfo(held, "Camera", "p");

    EXPECT_EQ("Twice", NameOf(info->FindPinByMediaType(MEDIATYPE_Video, 0)));
    EXPECT_EQ("Mixed", NameOf(info->FindPinByMediaType(MEDIATYPE_Video, 1)));
    EXPECT_EQ("Audio", NameOf(info->FindPinByMediaType(MEDIATYPE_Audio, 0)));
    EXPECT_FALSE(info->FindPinByMediaType(MEDIATYPE_Video, 2));
    EXPECT_FALSE(info->FindPinByMediaType(MEDIATYPE_Interleaved, 0));
    EXPECT_EQ(0, OutstandingMediaTypes(filter));
    const std::vector<std::string> lines = NewLogMessages();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(" Failed: pin not found {73646976-0000-0010-8000-00AA00389B71}", lines[0]);
    EXPECT_EQ(" Failed: pin not found {73766169-0000-0010-8000-00AA00389B71}", lines[1]);
    held.Release();
    info->Release();
}

TEST_F(DescriptorTest, DeviceKindFromTheFilterInterfaces)
{
    struct Case {
        const char* what;
        bool ext;
        LONG type;
        HRESULT result;
        bool camera;
        bool video;
        LONG expected;
    } const cases[] = {
        {"plain filter", false, 0, S_OK, false, false, 0},
        {"DV deck", true, ED_DEVTYPE_VCR, S_OK, false, false, ED_DEVTYPE_VCR},
        {"device type not answered", true, ED_DEVTYPE_VCR, E_FAIL, false, false, 0},
        {"deck with camera control", true, ED_DEVTYPE_VCR, S_OK, true, false, -1},
        {"deck with video control", true, ED_DEVTYPE_VCR, S_OK, false, true, -2},
        {"camera with video control", false, 0, S_OK, true, true, -2},
    };
    for (const Case& c : cases) {
        FakeFilterLayout layout;
        layout.extDevice = c.ext;
        layout.extDeviceType = c.type;
        layout.extDeviceResult = c.result;
        layout.cameraControl = c.camera;
        layout.videoControl = c.video;
        CCaptureFilterInfo* info = Describe(layout);
        EXPECT_EQ(c.expected, info->IsExternalDevice()) << c.what;
        info->Release();
    }
}

TEST_F(DescriptorTest, NamesPathsAndMakerFlag)
{
    CCaptureFilterInfo* first = Describe({}, "Camera", "\\\\?\\usb#one");
    CCaptureFilterInfo* second = Describe({}, "Camera", "");
    CCaptureFilterInfo* maker = Describe({}, "korvath Vidmorph Box", "x");
    EXPECT_EQ(WORD(first->GetInstanceNumber() + 1), second->GetInstanceNumber());
    EXPECT_STREQ(CString("Camera") + first->GetInstanceSuffix(), first->GetDisplayName());
    EXPECT_STRNE(first->GetDisplayName(), second->GetDisplayName());
    EXPECT_EQ(CString("Camera"), second->GetFriendlyName());
    EXPECT_STREQ("default", second->GetDevicePath());
    EXPECT_STREQ("\\\\?\\usb#one", first->GetDevicePath());
    EXPECT_EQ(0, first->IsMakerDevice());
    EXPECT_EQ(1, maker->IsMakerDevice());
    for (CCaptureFilterInfo* info : {first, second, maker})
        info->Release();
}

TEST_F(DescriptorTest, ReferencesAcrossTwoHolders)
{
    FakeFilter* filter = CreateFakeFilter({});
    CComPtr<IBaseFilter> held;
    held.Attach(AsBaseFilter(filter));
    CCaptureFilterInfo* info = new CCaptureFilterInfo(held, "Camera", "p");
    EXPECT_EQ(2, RefCount(filter));
    EXPECT_EQ(2, info->AddRef()); // a second collection takes it
    info->SetSettingsApplied(1);
    EXPECT_EQ(1, info->Release()); // the first lets go: still alive
    EXPECT_EQ(1, info->IsSettingsApplied());
    {
        CComPtr<IBaseFilter> fromInfo = info->GetFilter();
        EXPECT_EQ(3, RefCount(filter));
    }
    EXPECT_EQ(0, info->Release()); // the last holder: the descriptor and its filter reference go
    EXPECT_EQ(1, RefCount(filter));
}

TEST_F(DescriptorTest, PinCategoryThroughThePropertySet)
{
    FakeFilterLayout layout;
    layout.pins = {Pin(L"Capture", PINDIR_OUTPUT, false), Pin(L"Plain", PINDIR_OUTPUT, false)};
    layout.pins[0].category = &PIN_CATEGORY_CAPTURE;
    CCaptureFilterInfo* info = Describe(layout);
    GUID category = GUID_NULL;
    EXPECT_EQ(S_OK, GetPinCategory(info->FindPinByName("Capture"), &category));
    EXPECT_TRUE(IsEqualGUID(PIN_CATEGORY_CAPTURE, category));
    EXPECT_EQ(E_NOINTERFACE, GetPinCategory(info->FindPinByName("Plain"), &category));
    info->Release();
}

} // namespace
