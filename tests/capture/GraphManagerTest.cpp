// tests/capture/GraphManagerTest.cpp — the graph manager on Wine's real DirectShow: the start-up with and
// without the emulated capture device (diagnostics log and report section), the enumeration rules, the video
// renderer choice, shared filters across graph rebuilds and the filter-creation seam. Each suite runs in a
// program run of its own (the text log belongs to the first manager of a run).
#include "CaptureTestSupport.h"
#include "support/PinnedWindowsVersion.h"
#include "support/RegistryFixture.h"
#include "support/StringLists.h"
#include "FakeFilters.h"

#include "capture/CaptureComSeam.h"
#include "capture/CaptureSection.h"
#include "capture/CaptureStartup.h"
#include "capture/GraphManager.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

#include <memory>
#include <uuids.h>

using namespace capture_test;
using testsupport::DeleteRegistryValue;
using testsupport::Dword;
using testsupport::Lines;
using testsupport::Text;
using testsupport::WriteRegistryKey;

namespace {

const char kCameraPath[] =
    "\\\\?\\usb#vid_1234&pid_5678&mi_00#6&1a2b3c4d&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
const char kInstanceKey[] = "Software\\Classes\\CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance\\";
const char kGeneralKey[] = "SOFTWARE\\Korvath\\TAVISK\\General";

const std::string kRule(59, '-');

// The messages of the text log, each checked for the line form and the manager number.
std::vector<std::string> LogMessages(const std::vector<std::string>& lines, const char* number)
{
    std::vector<std::string> messages;
    for (const std::string& line : lines) {
        std::string n, message;
        EXPECT_TRUE(SplitLogLine(line, n, message)) << line;
        EXPECT_EQ(number, n) << line;
        messages.push_back(message);
    }
    return messages;
}

std::string WindowsDirectory()
{
    char szDir[MAX_PATH] = {};
    GetWindowsDirectoryA(szDir, MAX_PATH);
    return szDir;
}

TEST(StartupWithDevice, LogAndReportSection)
{
    ASSERT_TRUE(ImportEmulatedCaptureDevice());
    CWorkingFolder folder;
    std::unique_ptr<CGraphManager> manager = CreateStartupGraphManager();
    ASSERT_NE(nullptr, manager.get());
    EXPECT_EQ(1, manager->GetInstanceNumber());
    ASSERT_EQ(1, manager->GetDeviceCount()); // the entry without a device path is left out
    EXPECT_STREQ("USB Camera", manager->GetDevice(TRUE, 0)->GetFriendlyName());

    CStringArray section;
    BuildCaptureSection(section, manager.get());
    const std::vector<std::string> expected = {
        "USB CAMERA",
        " Device Path : usb#vid_1234&pid_5678&mi_00#6&1a2b3c4d&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global",
        " Port Driver: usbvideo.sys",
        " Provider: Standard imaging devices",
        " Description: USB Video Device",
        " Location: " + WindowsDirectory() + "\\system32\\DRIVERS\\usbvideo.sys",
        " Version: 5.1.2600.2180",
        " Date: 7-1-2004",
        " Video Source : Composite",
        " TV Country : USA",
        " TV Input : Cable",
        " TV Format : NTSC_M",
        " Use Frame Rate : true",
        " Resolution : 720 X 480",
        " FrameRate : 30.0",
        " Maximum BitRate : 4000000",
        " Compression Mode : Motion JPEG",
        " Audio Compression : MP2",
        "",
    };
    EXPECT_EQ(expected, Lines(section));

    DestroyGraphManager(std::move(manager));
    const std::vector<std::string> messages = LogMessages(folder.ReadLines("QRVDxlog.txt"), "0001");
    const std::vector<std::string> expectedLog = {
        kRule, " Program started",         " DirectX Version: 9.0c",
        kRule, " create new graph filter", " graph object destroyed",
    };
    EXPECT_EQ(expectedLog, messages);
    EXPECT_TRUE(folder.Exists("QRVGraphEditlog.txt"));
    EXPECT_EQ(nullptr, g_pDxLogFile);
}

TEST(StartupWithoutDevice, ManagerIsReleasedAndSectionEmpty)
{
    WriteRegistryKey(HKEY_LOCAL_MACHINE, kGeneralKey, {Dword("VideoLog", 1)});
    CWorkingFolder folder;
    const std::unique_ptr<CGraphManager> manager = CreateStartupGraphManager();
    EXPECT_EQ(nullptr, manager.get());
    const std::vector<std::string> messages = LogMessages(folder.ReadLines("QRVDxlog.txt"), "0001");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(" create new graph filter", messages[messages.size() - 2]);
    EXPECT_EQ(" graph object destroyed", messages.back());
    EXPECT_EQ(nullptr, g_pDxLogFile);

    CStringArray section;
    section.Add("left over");
    BuildCaptureSection(section, nullptr);
    EXPECT_EQ(0, section.GetSize());
}

// The renderer: VMR-7 by default on Windows XP only; "VMR" 1 or 2 decides, other values keep the default.
TEST(VmrChoice, ByRegistryAndWindows)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    const BYTE xpDefault =
        version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 5 && version.dwMinorVersion == 1;
    struct Case {
        DWORD value; // 0xFFFFFFFF: no value
        BYTE vmr7;
    } const cases[] = {{0xFFFFFFFF, xpDefault}, {1, 1}, {2, 0}, {3, xpDefault}, {0, xpDefault}};
    for (const Case& c : cases) {
        if (c.value == 0xFFFFFFFF)
            DeleteRegistryValue(HKEY_LOCAL_MACHINE, kGeneralKey, "VMR");
        else
            WriteRegistryKey(HKEY_LOCAL_MACHINE, kGeneralKey, {Dword("VMR", c.value)});
        CGraphManager manager;
        EXPECT_EQ(c.vmr7, manager.UsesVmr7()) << c.value;
    }
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kGeneralKey, "VMR");
}

// Without a "VMR" value the default follows the version the framework reports.
TEST(VmrChoice, DefaultFollowsTheFrameworkVersion)
{
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kGeneralKey, "VMR");
    struct Case {
        DWORD platform, major, minor;
        BYTE vmr7;
    } const cases[] = {{VER_PLATFORM_WIN32_NT, 5, 1, 1},
                       {VER_PLATFORM_WIN32_NT, 5, 0, 0},
                       {VER_PLATFORM_WIN32_NT, 6, 1, 0},
                       {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0}};
    for (const Case& c : cases) {
        const testsupport::PinnedWindowsVersion pinned(c.platform, c.major, c.minor);
        CGraphManager manager;
        EXPECT_EQ(c.vmr7, manager.UsesVmr7()) << c.platform << " " << c.major << "." << c.minor;
    }
}

class GraphManagerOnWine : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(ImportEmulatedCaptureDevice()); }
    void SetUp() override
    {
        m_firstLine = g_dxLogLines.GetSize();
        m_manager.reset(new CGraphManager);
        g_pGraphManager = m_manager.get();
        ASSERT_EQ(S_OK, m_manager->CreateGraph());
    }
    void TearDown() override
    {
        m_manager->ReleaseGraph();
        g_pGraphManager = nullptr;
        m_manager.reset();
    }
    std::vector<std::string> Messages() const { return MessagesOf(g_dxLogLines, m_firstLine); }
    bool Logged(const std::string& message) const
    {
        for (const std::string& m : Messages())
            if (m == message)
                return true;
        return false;
    }

    CWorkingFolder m_folder;
    std::unique_ptr<CGraphManager> m_manager;
    INT_PTR m_firstLine = 0;
};

// Records what the manager asks of the device list.
class RecordingSink : public ICaptureDeviceSink {
public:
    std::vector<int> created;
    std::vector<WORD> removed;
    void CreateDevice(int index) override { created.push_back(index); }
    void RemoveDevice(WORD instance) override { removed.push_back(instance); }
};

TEST_F(GraphManagerOnWine, DescriptionNamesTheDeviceAndPathsAreNeeded)
{
    RecordingSink sink;
    m_manager->SetDeviceSink(&sink);
    ASSERT_EQ(S_OK, m_manager->EnumerateDevices(FALSE));
    ASSERT_EQ(1, m_manager->GetDeviceCount());
    EXPECT_TRUE(sink.created.empty());

    // A device arrives: only it is added, and the device list makes its object.
    const std::string described = std::string(kInstanceKey) + "TaviskCamera3";
    const char* describedPath = "\\\\?\\USB#VID_9999&PID_0001#7&0#{65e8773d-8f56-11d0-a3b9-00a0c9223196}";
    WriteRegistryKey(HKEY_LOCAL_MACHINE, described,
                     {Text("FriendlyName", "Named Camera"), Text("Description", "Described Camera"),
                      Text("CLSID", "{CC58E280-8AA1-11D1-B3F1-00AA003761C5}"), Text("DevicePath", describedPath)});
    EXPECT_EQ(0, m_manager->RefreshDevices(describedPath, FALSE));
    ASSERT_EQ(2, m_manager->GetDeviceCount());
    EXPECT_EQ(std::vector<int>{1}, sink.created);
    EXPECT_STREQ("USB Camera", m_manager->GetDevice(TRUE, 0)->GetFriendlyName());
    CCaptureFilterInfo* pDescribed = m_manager->GetDevice(TRUE, 1);
    EXPECT_STREQ("Described Camera", pDescribed->GetFriendlyName());
    EXPECT_ANY_THROW(m_manager->GetDevice(TRUE, 2));
    EXPECT_ANY_THROW(m_manager->GetDevice(FALSE, 0));

    EXPECT_EQ(pDescribed, m_manager->FindDeviceByPath(TRUE, "\\\\?\\usb#vid_9999&pid_0001#7&0#{65E8773D-8F56-11D0-"
                                                            "A3B9-00A0C9223196}"));
    EXPECT_EQ(pDescribed, m_manager->FindDeviceByName(TRUE, "Described Camera"));
    EXPECT_EQ(nullptr, m_manager->FindDeviceByName(TRUE, "described camera"));
    EXPECT_EQ(pDescribed, m_manager->FindDeviceById(TRUE, pDescribed->GetInstanceNumber()));

    // The device leaves: the shared filter added on its behalf goes with it.
    CCaptureFilterInfo* pShared = nullptr;
    ASSERT_EQ(S_OK, m_manager->AddFilterFromCategory(CLSID_VideoInputDeviceCategory, "Named Camera", "Tuner", &pShared,
                                                     TRUE, TRUE));
    pDescribed->m_relatedFilters.Add(pShared->GetInstanceNumber());
    EXPECT_EQ(1, m_manager->GetGraphFilterCount());
    const WORD describedId = pDescribed->GetInstanceNumber();
    const WORD sharedId = pShared->GetInstanceNumber();
    m_manager->RefreshDevices("\\\\?\\usb#vid_9999&pid_0001#7&0#{65e8773d-8f56-11d0-a3b9-00a0c9223196}", TRUE);
    EXPECT_EQ(1, m_manager->GetDeviceCount());
    EXPECT_EQ(0, m_manager->GetGraphFilterCount());
    EXPECT_EQ(std::vector<WORD>{describedId}, sink.removed);
    // A second filter of that name is a new one, not the dropped shared filter. (Filters are found by their
    // friendly name; the description names only the device. The graph still holds the first filter under that
    // name, so it answers with a success code of its own.)
    CCaptureFilterInfo* pAgain = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        m_manager->AddFilterFromCategory(CLSID_VideoInputDeviceCategory, "Named Camera", "Tuner", &pAgain, TRUE, TRUE));
    EXPECT_NE(sharedId, pAgain->GetInstanceNumber());
    EXPECT_EQ(3, pAgain->AddRef()); // the shared map, the graph filters and this test
    pAgain->Release();
    m_manager->SetDeviceSink(nullptr);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, described.c_str());
}

TEST_F(GraphManagerOnWine, SharedFiltersOutliveGraphRebuilds)
{
    CCaptureFilterInfo* pShared = nullptr;
    ASSERT_EQ(S_OK, m_manager->AddFilterFromCategoryByPath(CLSID_VideoInputDeviceCategory, "USB Camera", "Capture",
                                                           kCameraPath, &pShared, TRUE, TRUE));
    ASSERT_NE(nullptr, pShared);
    EXPECT_TRUE(Logged(" added: Capture"));
    EXPECT_STREQ("Capture", pShared->GetDevicePath());
    EXPECT_EQ(1, m_manager->GetGraphFilterCount());
    EXPECT_EQ(3, pShared->AddRef()); // the shared map, the graph filters and this test
    pShared->Release();

    ASSERT_EQ(S_OK, m_manager->CreateGraph());
    EXPECT_EQ(0, m_manager->GetGraphFilterCount());
    EXPECT_EQ(2, pShared->AddRef()); // the shared map and this test
    pShared->Release();

    CCaptureFilterInfo* pAgain = nullptr;
    ASSERT_EQ(S_OK, m_manager->AddFilterFromCategory(CLSID_VideoInputDeviceCategory, "USB Camera", "Capture", &pAgain,
                                                     TRUE, TRUE));
    EXPECT_EQ(pShared, pAgain);
    EXPECT_EQ(1, m_manager->GetGraphFilterCount());

    CCaptureFilterInfo* pMissing = nullptr;
    EXPECT_EQ(E_FAIL, m_manager->AddFilterFromCategory(CLSID_VideoInputDeviceCategory, "No Such Camera", "X", &pMissing,
                                                       TRUE, FALSE));
    EXPECT_TRUE(Logged("Filter not found: No Such Camera"));
    // A path of another box does not match the camera's prefix.
    EXPECT_EQ(E_FAIL,
              m_manager->AddFilterFromCategoryByPath(CLSID_VideoInputDeviceCategory, "USB Camera", "Y",
                                                     "\\\\?\\usb#vid_4321&pid_0000#1#{x}", &pMissing, TRUE, FALSE));
}

// The seam hands out a fake filter for one made-up class; everything else is created as usual.
const CLSID kFakeSourceClsid = {0x7a1e0001, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const CLSID kUnknownClsid = {0x7a1e0002, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};

HRESULT WINAPI CreateWithFakes(REFCLSID clsid, LPUNKNOWN pOuter, DWORD dwContext, REFIID iid, LPVOID* ppv)
{
    if (!IsEqualCLSID(clsid, kFakeSourceClsid))
        return CoCreateInstance(clsid, pOuter, dwContext, iid, ppv);
    FakeFilterLayout layout;
    FakePinLayout out;
    out.name = L"Capture";
    out.direction = PINDIR_OUTPUT;
    out.majorTypes = {MEDIATYPE_Video};
    layout.pins = {out};
    FakeFilter* filter = CreateFakeFilter(layout);
    const HRESULT hr = AsBaseFilter(filter)->QueryInterface(iid, ppv);
    AsBaseFilter(filter)->Release();
    return hr;
}

TEST_F(GraphManagerOnWine, FiltersByClassThroughTheSeam)
{
    const CaptureComHooks table = {&CreateWithFakes};
    const CaptureComHooks* previous = SetCaptureComHooks(&table);
    CCaptureFilterInfo* pSource = nullptr;
    EXPECT_EQ(S_OK, m_manager->AddFilterByCLSID(kFakeSourceClsid, "Fake Source", &pSource, TRUE));
    ASSERT_NE(nullptr, pSource);
    EXPECT_TRUE(Logged(" added: Fake Source"));
    CCaptureFilterInfo* pTee = nullptr;
    EXPECT_EQ(S_OK, m_manager->AddFilterByCLSID(CLSID_SmartTee, "Smart Tee", &pTee, TRUE));
    EXPECT_EQ(2, m_manager->GetGraphFilterCount());

    CCaptureFilterInfo* pMissing = reinterpret_cast<CCaptureFilterInfo*>(1);
    EXPECT_TRUE(FAILED(m_manager->AddFilterByCLSID(kUnknownClsid, "Missing Filter", &pMissing, TRUE)));
    EXPECT_EQ(nullptr, pMissing);
    EXPECT_TRUE(Logged(" Failed: add filter: Missing Filter"));

    // The fake's pin refuses to connect: the failure is logged with the status text.
    CComPtr<IPin> out = pSource->FindPinByName("Capture");
    CComPtr<IPin> in = pTee->FindPinByName("Input");
    ASSERT_TRUE(out);
    ASSERT_TRUE(in);
    EXPECT_TRUE(FAILED(m_manager->ConnectPins(out.get(), in.get(), FALSE)));
    EXPECT_EQ(0u, Messages().back().find("Connect pins failed:"));
    EXPECT_EQ(E_FAIL, m_manager->ConnectPins(nullptr, in.get(), FALSE));
    EXPECT_EQ(" invalid pin: zero pointer", Messages().back());
    EXPECT_EQ(E_FAIL, m_manager->RenderPin(nullptr));

    // The caller owns a filter made without adding it.
    CCaptureFilterInfo* pLoose = nullptr;
    EXPECT_EQ(S_OK, m_manager->AddFilterByCLSID(kFakeSourceClsid, "Loose", &pLoose, FALSE));
    EXPECT_EQ(2, m_manager->GetGraphFilterCount());
    EXPECT_EQ(0, pLoose->Release());
    SetCaptureComHooks(previous);
}

// A windowless control that reports a fixed native size and records the position it was given.
class FakeWindowless9 : public IVMRWindowlessControl9 {
public:
    RECT position = {-1, -1, -1, -1};
    DWORD arMode = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        *ppv = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IVMRWindowlessControl9))
            return E_NOINTERFACE;
        *ppv = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetNativeVideoSize(LONG* w, LONG* h, LONG* arw, LONG* arh) override
    {
        *w = 400;
        *h = 300;
        if (arw != nullptr)
            *arw = 4;
        if (arh != nullptr)
            *arh = 3;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMinIdealVideoSize(LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMaxIdealVideoSize(LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVideoPosition(const RECT*, const RECT* pDest) override
    {
        position = *pDest;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetVideoPosition(RECT*, RECT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAspectRatioMode(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAspectRatioMode(DWORD mode) override
    {
        arMode = mode;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetVideoClippingWindow(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RepaintVideo(HWND, HDC) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DisplayModeChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCurrentImage(BYTE**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBorderColor(COLORREF) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBorderColor(COLORREF*) override { return E_NOTIMPL; }
};

TEST_F(GraphManagerOnWine, VideoCentredInTheOwnerWindow)
{
    WriteRegistryKey(HKEY_LOCAL_MACHINE, kGeneralKey, {Dword("VMR", 2)});
    CGraphManager manager;
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kGeneralKey, "VMR");
    ASSERT_EQ(0, manager.UsesVmr7());
    HWND owner = CreateWindowExA(0, "STATIC", "video", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    RECT client;
    GetClientRect(owner, &client);
    ASSERT_EQ(800, client.right);
    ASSERT_EQ(600, client.bottom);

    EXPECT_EQ(0, manager.UpdateVideoPosition(1, 1)); // no renderer yet: nothing to place
    FakeWindowless9 windowless;
    manager.SetWindowlessControls(nullptr, &windowless);
    manager.SetVideoWindow(owner, TRUE);
    EXPECT_EQ(S_OK, manager.UpdateVideoPosition(1, 1));
    EXPECT_EQ(200, windowless.position.left);
    EXPECT_EQ(150, windowless.position.top);
    EXPECT_EQ(600, windowless.position.right);
    EXPECT_EQ(450, windowless.position.bottom);
    EXPECT_EQ(DWORD(VMR9ARMode_LetterBox), windowless.arMode);
    // Twice the size fills the window.
    EXPECT_EQ(S_OK, manager.UpdateVideoPosition(2, 1));
    EXPECT_EQ(0, windowless.position.left);
    EXPECT_EQ(800, windowless.position.right);
    RECT native;
    EXPECT_EQ(S_OK, manager.GetNativeVideoRect(&native));
    EXPECT_EQ(400, native.right);
    manager.SetWindowlessControls(nullptr, nullptr);
    DestroyWindow(owner);
}

// A graph of one unconnected Smart Tee runs and stops; the screen saver is off only while it runs, and the
// user's setting comes back.
TEST_F(GraphManagerOnWine, RunAndStopGiveTheScreenSaverBack)
{
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
    CCaptureFilterInfo* pTee = nullptr;
    ASSERT_EQ(S_OK, m_manager->AddFilterByCLSID(CLSID_SmartTee, "Smart Tee", &pTee, TRUE));
    ASSERT_EQ(S_OK, m_manager->Run(nullptr, FALSE));
    EXPECT_TRUE(Logged(" graph is running"));
    BOOL active = TRUE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    EXPECT_FALSE(active);
    m_manager->HandleGraphEvents(nullptr);
    EXPECT_EQ(S_OK, m_manager->AddToRot(m_manager->GetGraph()));
    m_manager->RemoveFromRot();

    EXPECT_TRUE(SUCCEEDED(m_manager->Stop()));
    EXPECT_TRUE(Logged(" graph is stopped"));
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    EXPECT_TRUE(active);
    EXPECT_EQ(0, m_manager->RunOrPause(FALSE)); // stopped: no media control left
    int dropped = 0;
    EXPECT_EQ(E_FAIL, m_manager->GetFramesDropped(&dropped));
}

// A graph-edit log that cannot be created (a folder of that name is in the way) is simply not used.
TEST_F(GraphManagerOnWine, GraphEditLogThatCannotBeCreated)
{
    CWorkingFolder folder;
    ASSERT_TRUE(CreateDirectoryA("QRVGraphEditlog.txt", nullptr));
    {
        CGraphManager manager;
        ASSERT_EQ(1, manager.IsVideoLogOn());
        EXPECT_EQ(S_OK, manager.CreateGraph());
        EXPECT_EQ(S_OK, manager.ReleaseGraph());
    }
    RemoveDirectoryA("QRVGraphEditlog.txt");
}

// The kept lines can be written out at once; they leave the memory then.
TEST_F(GraphManagerOnWine, FlushWritesTheKeptLines)
{
    CWorkingFolder folder;
    m_manager->Log(" kept line");
    const INT_PTR kept = g_dxLogLines.GetSize();
    FlushDxLog();
    EXPECT_EQ(0, g_dxLogLines.GetSize());
    const std::vector<std::string> lines = folder.ReadLines("QRVDxlog.txt");
    ASSERT_EQ(size_t(kept), lines.size());
    std::string number, message;
    ASSERT_TRUE(SplitLogLine(lines.back(), number, message));
    EXPECT_EQ(" kept line", message);
    m_firstLine = 0;
}

// A second manager numbers its lines 0002 and never touches the text log.
TEST_F(GraphManagerOnWine, SecondManagerLogsWithItsOwnNumber)
{
    {
        CGraphManager second;
        second.Log(" from the second");
    }
    std::string number, message;
    ASSERT_TRUE(SplitLogLine(static_cast<LPCTSTR>(g_dxLogLines[g_dxLogLines.GetSize() - 1]), number, message));
    EXPECT_EQ(" graph object destroyed", message);
    ASSERT_TRUE(SplitLogLine(static_cast<LPCTSTR>(g_dxLogLines[g_dxLogLines.GetSize() - 2]), number, message));
    EXPECT_EQ(" from the second", message);
    EXPECT_EQ(std::string(4 - std::to_string(m_manager->GetInstanceNumber() + 1).size(), '0') +
                  std::to_string(m_manager->GetInstanceNumber() + 1),
              number);
}

} // namespace
