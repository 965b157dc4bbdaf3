// tests/report_sections/UsbTreeTest.cpp
// The USB section over a scripted topology answered through the device-I/O seam, with its registry descriptions,
// on the Windows families whose lookups differ.
#include "support/PinnedWindowsVersion.h"
#include "support/RegistryFixture.h"
#include "support/StringLists.h"

#include "drive/DeviceIo.h"
#include "drive/DriveManager.h"
#include "report/SoftwareSection.h"
#include "report/UsbTreeLister.h"

#include <winioctl.h>
#include <ntddscsi.h>
#include <usbioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

// -- the scripted machine ---------------------------------------------------------------------------------------

struct FakePort {
    int status = 0; // connection status; -1: the request fails with `error`
    DWORD error = 0;
    bool isHub = false;
    std::string childHub; // name of the hub at this port
    WORD vendor = 0, product = 0;
    BYTE productIndex = 0, serialIndex = 0;
    std::map<BYTE, std::string> strings; // string descriptors as answered (bLength, type, UTF-16 ...)
    DWORD answerLimit = 0;               // when not 0, the descriptor data of an answer are cut to this
};

struct FakeHub {
    std::vector<FakePort> ports;
    bool shortAnswer = false; // node information of 4 bytes, with something at byte 6 anyway
};

struct FakeController {
    std::string driverKey;
    std::string rootHub;
    bool driverKeyFails = false;
};

struct FakeMachine {
    std::map<std::string, FakeController> controllers; // by device name
    std::map<std::string, FakeHub> hubs;               // by hub name
    std::map<std::string, std::string> letterInquiry;  // INQUIRY answer of a drive-letter device ("\\.\E:")
    std::map<HANDLE, std::string> open;
    std::map<int, int> connectionRequests; // per port of any hub
    std::vector<WORD> stringLanguages;     // wIndex of every string request but the language list
    int nextHandle = 0x5000;
};

FakeMachine* g_machine = nullptr;
const WORD kEnglish = 0x0409;

std::string StringDescriptor(const std::string& text, int extraLength = 0)
{
    std::string d;
    d += char(2 + 2 * text.size() + extraLength);
    d += char(3);
    for (char c : text) {
        d += c;
        d += '\0';
    }
    return d;
}

HANDLE WINAPI FakeCreateFile(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD creation, DWORD,
                             HANDLE)
{
    std::string device = name;
    EXPECT_EQ(DWORD(OPEN_EXISTING), creation) << device;
    EXPECT_NE(0u, access & GENERIC_WRITE) << device;
    bool known = g_machine->controllers.count(device) != 0 || g_machine->letterInquiry.count(device) != 0;
    if (device.rfind("\\\\.\\", 0) == 0 && g_machine->hubs.count(device.substr(4)) != 0) {
        known = true;
        device = device.substr(4);
    }
    if (!known) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = reinterpret_cast<HANDLE>(INT_PTR(g_machine->nextHandle++));
    g_machine->open[h] = device;
    return h;
}

BOOL WINAPI FakeClose(HANDLE h)
{
    return g_machine->open.erase(h) != 0;
}

UINT WINAPI FakeDriveType(LPCSTR)
{
    return DRIVE_NO_ROOT_DIR;
}

void PutName(BYTE* out, DWORD size, DWORD offset, const std::string& name, DWORD* returned)
{
    DWORD bytes = DWORD(2 * (name.size() + 1));
    memcpy(out + offset - 4, &bytes, 4);
    for (size_t i = 0; i < name.size() && offset + 2 * i + 1 < size; ++i) {
        out[offset + 2 * i] = BYTE(name[i]);
        out[offset + 2 * i + 1] = 0;
    }
    *returned = offset + bytes;
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL WINAPI FakeIoControl(HANDLE h, DWORD code, LPVOID in, DWORD inSize, LPVOID outVoid, DWORD outSize,
                          LPDWORD returned, LPOVERLAPPED)
{
    auto found = g_machine->open.find(h);
    if (found == g_machine->open.end())
        return Fail(ERROR_INVALID_HANDLE);
    BYTE* out = static_cast<BYTE*>(outVoid);
    const std::string& device = found->second;
    *returned = 0;
    auto inquiry = g_machine->letterInquiry.find(device);
    if (inquiry != g_machine->letterInquiry.end()) {
        // A drive letter answers INQUIRY through the pass-through request and nothing else.
        auto* request = static_cast<SCSI_PASS_THROUGH_DIRECT*>(in);
        if (code != IOCTL_SCSI_PASS_THROUGH_DIRECT || inSize < sizeof(SCSI_PASS_THROUGH_DIRECT) ||
            request->Cdb[0] != 0x12)
            return Fail(ERROR_INVALID_FUNCTION);
        const std::string& answer = inquiry->second;
        memset(request->DataBuffer, 0, request->DataTransferLength);
        memcpy(request->DataBuffer, answer.data(), std::min<size_t>(answer.size(), request->DataTransferLength));
        request->ScsiStatus = 0;
        *returned = inSize;
        return TRUE;
    }
    if (g_machine->controllers.count(device) != 0) {
        const FakeController& c = g_machine->controllers[device];
        EXPECT_EQ(516u, outSize);
        if (code == IOCTL_GET_HCD_DRIVERKEY_NAME) {
            if (c.driverKeyFails)
                return Fail(ERROR_NOT_SUPPORTED);
            PutName(out, outSize, 4, c.driverKey, returned);
            return TRUE;
        }
        if (code == IOCTL_USB_GET_ROOT_HUB_NAME) {
            PutName(out, outSize, 4, c.rootHub, returned);
            return TRUE;
        }
        return Fail(ERROR_INVALID_FUNCTION);
    }
    const FakeHub& hub = g_machine->hubs[device];
    if (code == IOCTL_USB_GET_NODE_INFORMATION) {
        EXPECT_EQ(76u, outSize);
        out[6] = BYTE(hub.ports.size());
        *returned = 76;
        if (hub.shortAnswer) {
            out[6] = 9;
            *returned = 4;
        }
        return TRUE;
    }
    DWORD port = 0;
    memcpy(&port, in, 4);
    if (port < 1 || port > hub.ports.size())
        return Fail(ERROR_INVALID_PARAMETER);
    const FakePort& p = hub.ports[port - 1];
    if (code == IOCTL_USB_GET_NODE_CONNECTION_INFORMATION) {
        EXPECT_EQ(35u, outSize);
        ++g_machine->connectionRequests[int(port)];
        if (p.status < 0)
            return Fail(p.error);
        BYTE* d = out + 4;
        d[0] = 18;
        d[1] = 1;
        d[8] = BYTE(p.vendor);
        d[9] = BYTE(p.vendor >> 8);
        d[10] = BYTE(p.product);
        d[11] = BYTE(p.product >> 8);
        d[15] = p.productIndex;
        d[16] = p.serialIndex;
        out[24] = p.isHub ? 1 : 0;
        out[31] = BYTE(p.status);
        *returned = 35;
        return TRUE;
    }
    if (code == IOCTL_USB_GET_NODE_CONNECTION_NAME) {
        EXPECT_EQ(520u, outSize);
        if (!p.isHub)
            return Fail(ERROR_INVALID_PARAMETER);
        PutName(out, outSize, 8, p.childHub, returned);
        return TRUE;
    }
    if (code == IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION) {
        EXPECT_EQ(2060u, outSize);
        const BYTE type = out[4], request = out[5], index = out[6], kind = out[7];
        const WORD language = WORD(out[8] | (out[9] << 8));
        const WORD length = WORD(out[10] | (out[11] << 8));
        if (type != 0x80 || request != 6 || kind != 3)
            return Fail(ERROR_INVALID_PARAMETER);
        // Whatever lies beyond the answer must never be read: fill it with text.
        for (DWORD i = 12; i + 1 < outSize; i += 2) {
            out[i] = 'Z';
            out[i + 1] = 0;
        }
        std::string answer;
        if (index == 0) {
            EXPECT_EQ(4, length);
            answer = std::string("\x04\x03", 2) + char(kEnglish & 0xFF) + char(kEnglish >> 8);
        } else {
            g_machine->stringLanguages.push_back(language);
            auto s = p.strings.find(index);
            if (s == p.strings.end() || language != kEnglish)
                return Fail(ERROR_GEN_FAILURE);
            answer = s->second;
            if (p.answerLimit != 0 && answer.size() > p.answerLimit)
                answer.resize(p.answerLimit);
        }
        memcpy(out + 12, answer.data(), answer.size());
        *returned = DWORD(12 + answer.size());
        return TRUE;
    }
    return Fail(ERROR_INVALID_FUNCTION);
}

const DeviceIoTable kFakeTable = {FakeCreateFile, FakeIoControl, FakeClose, FakeDriveType};

const char kHcdClass[] = "{36FC9E60-C465-11CF-8056-444553540000}";
const char kRootHub0[] = "USB#ROOT_HUB#4&1b2c3d4e&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
const char kChildHub[] = "USB#Vid_05e3&Pid_0608#5&2a&0&3#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
const char kRootHub1[] = "USB#ROOT_HUB20#4&9f&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";

// Two controllers. HCD0: a root hub with an empty port, a device with product and serial strings, a child hub
// (a device without strings, a port without enough power) and a port whose request fails. HCD1: a device whose
// product string has an odd length and no terminator and whose serial string is cut short by the answer, and a
// port whose device failed enumeration.
FakeMachine Topology()
{
    FakeMachine m;
    m.controllers["\\\\.\\HCD0"] = {std::string(kHcdClass) + "\\0000", kRootHub0};
    m.controllers["\\\\.\\HCD1"] = {std::string(kHcdClass) + "\\0001", kRootHub1};

    FakeHub& root = m.hubs[kRootHub0];
    root.ports.resize(4);
    FakePort& reader = root.ports[1];
    reader.status = 1;
    reader.vendor = 0x04B4;
    reader.product = 0x8613;
    reader.productIndex = 2;
    reader.serialIndex = 3;
    reader.strings[2] = StringDescriptor("Korvath USB 2.0 Card Reader");
    reader.strings[3] = StringDescriptor("ABC123");
    FakePort& hubPort = root.ports[2];
    hubPort.status = 1;
    hubPort.isHub = true;
    hubPort.childHub = kChildHub;
    root.ports[3].status = -1;
    root.ports[3].error = ERROR_GEN_FAILURE;

    FakeHub& child = m.hubs[kChildHub];
    child.ports.resize(2);
    child.ports[0].status = 1;
    child.ports[0].vendor = 0x046D;
    child.ports[0].product = 0xC016;
    child.ports[1].status = 5;

    FakeHub& second = m.hubs[kRootHub1];
    second.ports.resize(2);
    FakePort& odd = second.ports[0];
    odd.status = 1;
    odd.vendor = 0x1234;
    odd.product = 0xABCD;
    odd.productIndex = 1;
    odd.serialIndex = 4;
    odd.strings[1] = StringDescriptor("Od", 1) + "d"; // 7 bytes: the last one is half a character
    odd.strings[4] = StringDescriptor("SN12345678", 0);
    odd.answerLimit = 10; // "SN12" arrives, the rest does not
    second.ports[1].status = 2;
    return m;
}

// -- Windows versions --------------------------------------------------------------------------------------------

enum class Windows {
    Win98,
    Win2000,
    WinXP,
    Server2003
};

// The version the framework reports while the object lives.
std::unique_ptr<PinnedWindowsVersion> Pin(Windows windows)
{
    switch (windows) {
    case Windows::Win98:
        return std::make_unique<PinnedWindowsVersion>(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A ");
    case Windows::Win2000:
        return std::make_unique<PinnedWindowsVersion>(VER_PLATFORM_WIN32_NT, 5, 0, 2195);
    case Windows::WinXP:
        return std::make_unique<PinnedWindowsVersion>(VER_PLATFORM_WIN32_NT, 5, 1, 2600);
    case Windows::Server2003:
        break;
    }
    return std::make_unique<PinnedWindowsVersion>(VER_PLATFORM_WIN32_NT, 5, 2, 3790);
}

class UsbTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_machine = Topology();
        g_machine = &m_machine;
        m_previousTable = SetDeviceIoTable(&kFakeTable);
        // Descriptions of both Windows families and of the devices.
        const std::string nt5Class = std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") + kHcdClass;
        const std::string oldClass = std::string("SYSTEM\\CurrentControlSet\\Services\\Class\\") + kHcdClass;
        m_root.Write(nt5Class + "\\0000", {Text("DriverDesc", "Korvath PCI to USB Enhanced Host Controller")});
        m_root.Write(nt5Class + "\\0001", {Text("DriverDesc", "Standard OpenHCD USB Host Controller")});
        m_root.Write(oldClass + "\\0000", {Text("DriverDesc", "Korvath USB Host Controller (older systems)")});
        m_root.Write("SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_04b4&Pid_8613\\ABC123",
                     {Text("DeviceDesc", "USB Mass Storage Device")});
        m_root.Write("SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_1234&Pid_abcd\\SN12",
                     {Text("DeviceDesc", "Korvath Test Device")});
        const std::string classes = "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
                                    "ROOT_HUB#4&1b2c3d4e&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}\\";
        m_root.Write(classes + "##?#PCI#Something", {Text("DeviceInstance", "PCI\\NOT\\THIS")});
        m_root.Write(classes + "##?#USB#ROOT_HUB#4&1b2c3d4e&0",
                     {Text("DeviceInstance", "USB\\ROOT_HUB\\4&1B2C3D4E&0")});
        m_root.Write("Enum\\USB\\ROOT_HUB\\4&1B2C3D4E&0", {Text("DeviceDesc", "USB Root Hub")});
    }
    void TearDown() override
    {
        SetDeviceIoTable(m_previousTable);
        EXPECT_TRUE(m_machine.open.empty()) << "every device handle is closed";
        g_machine = nullptr;
    }

    std::vector<std::string> List(Windows windows, int mode = kUsbModeLines)
    {
        const auto pinned = Pin(windows);
        CStringArray lines;
        CUsbTreeLister lister;
        lister.m_pLines = &lines;
        lister.m_nMode = mode;
        lister.m_hMachineRoot = m_root.Key();
        lister.ListUsbTree();
        return Lines(lines);
    }

    FakeMachine m_machine;
    RegistryRoot m_root;
    const DeviceIoTable* m_previousTable = nullptr;
};

std::vector<std::string> TreeLines(const char* driver0, const char* hubName, const char* driver1)
{
    std::vector<std::string> lines = {"USB Device Information:", "-----------------------", "",
                                      "# Host Controller \\\\.\\HCD0 found.", std::string("    ") + driver0};
    if (hubName != nullptr)
        lines.push_back(std::string("  |---> Hub name is : ") + hubName);
    const std::vector<std::string> rest = {
        "  |  |---> Port[2] = I/O device connected",
        "  |  |          Korvath USB 2.0 Card Reader",
        "  |  |          USB Mass Storage Device",
        "|   |---> Port[3] = Hub connected\n",
        "  |  |---> Port[1] = I/O device connected",
        "  |  |---> Port[2] = Not enough power for device(5)",
        "      Error getting node_connection_information! (31)",
        " ",
        "# Host Controller \\\\.\\HCD1 found.",
        std::string("    ") + driver1,
        "  |  |---> Port[1] = I/O device connected",
        "  |  |          Od",
        "  |  |          Korvath Test Device",
        "  |  |---> Port[2] = Device FAILED enumeration(2)",
        " ",
        "",
    };
    lines.insert(lines.end(), rest.begin(), rest.end());
    return lines;
}

// XP and 2000: driver descriptions from Control\Class, no hub-name line, the extended part's heading (no drive
// manager here, so no drives under it).
TEST_F(UsbTree, WindowsXpAnd2000)
{
    std::vector<std::string> expected =
        TreeLines("Korvath PCI to USB Enhanced Host Controller", nullptr, "Standard OpenHCD USB Host Controller");
    expected.push_back("Extended Information:");
    expected.push_back("---------------------");
    EXPECT_EQ(expected, List(Windows::WinXP));
    EXPECT_EQ(expected, List(Windows::Win2000));

    // The serial number was asked in the language the product string was read in; a port that does not answer
    // was asked three times.
    EXPECT_EQ(std::vector<WORD>(8, kEnglish), m_machine.stringLanguages);
    EXPECT_EQ(6, m_machine.connectionRequests[4]);
}

// Windows 98 and Server 2003: Services\Class, the hub's description through DeviceClasses and HKLM\Enum, no
// extended part. The second controller has no description there: its driver line is four blanks.
TEST_F(UsbTree, Windows98AndServer2003)
{
    const std::vector<std::string> expected =
        TreeLines("Korvath USB Host Controller (older systems)", "USB Root Hub", "");
    EXPECT_EQ(expected, List(Windows::Win98));
    EXPECT_EQ(expected, List(Windows::Server2003));
}

// A controller that does not open is skipped without a line; one whose driver key or root hub cannot be had ends
// the walk after its header; a hub that answers its node information short gets no port lines.
TEST_F(UsbTree, ControllersAndHubsThatFail)
{
    const std::vector<std::string> header = {"USB Device Information:", "-----------------------", ""};
    {
        FakeController c = m_machine.controllers["\\\\.\\HCD0"];
        m_machine.controllers.erase("\\\\.\\HCD0");
        m_machine.controllers["\\\\.\\HCD2"] = c;
        std::vector<std::string> lines = List(Windows::WinXP);
        ASSERT_GT(lines.size(), 4u);
        EXPECT_EQ("# Host Controller \\\\.\\HCD1 found.", lines[3]);
        EXPECT_EQ("# Host Controller \\\\.\\HCD2 found.", lines[lines.size() - 13]);
        m_machine.controllers["\\\\.\\HCD0"] = c;
        m_machine.controllers.erase("\\\\.\\HCD2");
    }
    {
        m_machine.controllers["\\\\.\\HCD0"].driverKeyFails = true;
        std::vector<std::string> expected = header;
        expected.insert(expected.end(), {"# Host Controller \\\\.\\HCD0 found.", " ", ""});
        EXPECT_EQ(expected, List(Windows::Win98));
        m_machine.controllers["\\\\.\\HCD0"].driverKeyFails = false;
    }
    {
        m_machine.controllers["\\\\.\\HCD1"].rootHub = "USB#NO_SUCH_HUB#0";
        std::vector<std::string> lines = List(Windows::Win98);
        ASSERT_GE(lines.size(), 4u);
        const std::vector<std::string> tail = {"# Host Controller \\\\.\\HCD1 found.", "    ", " ", ""};
        EXPECT_EQ(tail, std::vector<std::string>(lines.end() - 4, lines.end()));
        m_machine.controllers["\\\\.\\HCD1"].rootHub = kRootHub1;
    }
    {
        m_machine.hubs[kChildHub].shortAnswer = true;
        std::vector<std::string> lines = List(Windows::Win98);
        auto hub = std::find(lines.begin(), lines.end(), "|   |---> Port[3] = Hub connected\n");
        ASSERT_NE(lines.end(), hub);
        EXPECT_EQ("      Error getting node_connection_information! (31)", *(hub + 1));
    }
}

// A hub that names itself as the hub at one of its ports is walked only to a bounded depth.
TEST_F(UsbTree, HubLoopEndsAtABoundedDepth)
{
    FakePort& loop = m_machine.hubs[kChildHub].ports[0];
    loop.isHub = true;
    loop.childHub = kChildHub;
    const std::vector<std::string> lines = List(Windows::WinXP);
    EXPECT_EQ(7, std::count(lines.begin(), lines.end(), "|   |---> Port[1] = Hub connected\n"));
    EXPECT_EQ(7, std::count(lines.begin(), lines.end(), "  |  |---> Port[2] = Not enough power for device(5)"));
}

// A hub that names itself at every port multiplies its ports at every level: the walk of its controller ends
// after 127 port lines with a line that says so, and the next controller is listed in full.
TEST_F(UsbTree, HubNamingItselfAtEveryPortIsBoundedInBreadth)
{
    FakeHub& child = m_machine.hubs[kChildHub];
    child.ports.assign(4, FakePort());
    for (FakePort& port : child.ports) {
        port.status = 1;
        port.isHub = true;
        port.childHub = kChildHub;
    }
    const std::vector<std::string> lines = List(Windows::WinXP);
    const std::string kStopped = "  |  |---> Listing stopped: more than 127 devices on this controller";
    const auto hubLines = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.size() > 16 && line.compare(line.size() - 16, 16, "= Hub connected\n") == 0;
    });
    EXPECT_EQ(126, hubLines) << "the card reader and 126 hubs";
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(), kStopped));
    auto stopped = std::find(lines.begin(), lines.end(), kStopped);
    ASSERT_NE(lines.end(), stopped);
    // What follows is the second controller as in the whole tree, and the extended part's heading.
    const std::vector<std::string> whole = TreeLines("", nullptr, "Standard OpenHCD USB Host Controller");
    auto second = std::find(whole.begin(), whole.end(), "# Host Controller \\\\.\\HCD1 found.");
    ASSERT_NE(whole.end(), second);
    std::vector<std::string> rest(second - 1, whole.end());
    rest.insert(rest.end(), {"Extended Information:", "---------------------"});
    EXPECT_EQ(rest, std::vector<std::string>(stopped + 1, lines.end()));
}

// Mode 4 sends every line to the list box, the hub line with its line feed too; modes other than 0, 1, 2 and 4
// write nothing.
TEST_F(UsbTree, OutputModes)
{
    const std::vector<std::string> all = List(Windows::WinXP, 0);
    EXPECT_EQ(all, List(Windows::WinXP, 1));
    EXPECT_TRUE(List(Windows::WinXP, 3).empty());
    EXPECT_TRUE(List(Windows::WinXP, 11).empty());

    HWND hList = CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hList);
    CWnd list;
    list.m_hWnd = hList;
    CUsbTreeLister lister;
    lister.m_pListBox = &list;
    lister.m_nMode = kUsbModeList;
    lister.m_hMachineRoot = m_root.Key();
    const auto pinned = Pin(Windows::WinXP);
    lister.ListUsbTree();
    std::vector<std::string> listed;
    const int count = int(SendMessageA(hList, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[512] = {};
        SendMessageA(hList, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        listed.push_back(text);
    }
    list.m_hWnd = nullptr;
    DestroyWindow(hList);
    EXPECT_EQ(all, listed);
}

CDeviceRecord DriveRecord(int adapter, int busType, int letter, const char* vendor, const char* product,
                          const char* revision, const char* mounted)
{
    CDeviceRecord record;
    record.m_nAdapter = adapter;
    record.m_nTarget = 0;
    record.m_nBusType = busType;
    record.m_nDriveLetter = letter;
    snprintf(record.m_szVendor, sizeof record.m_szVendor, "%s", vendor);
    snprintf(record.m_szProduct, sizeof record.m_szProduct, "%s", product);
    snprintf(record.m_szRevision, sizeof record.m_szRevision, "%s", revision);
    snprintf(record.m_szMountedDevice, sizeof record.m_szMountedDevice, "%s", mounted);
    return record;
}

// A standard INQUIRY answer of a CD/DVD device: vendor (8), product (16) and revision (4) at bytes 8, 16 and 32.
std::string InquiryAnswer(const char* vendor, const char* product, const char* revision)
{
    char text[29];
    snprintf(text, sizeof text, "%-8.8s%-16.16s%-4.4s", vendor, product, revision);
    return std::string("\x05\x80\x02\x02\x1F\x00\x00\x00", 8) + text;
}

// On Windows 2000 and XP the drives of USB and IEEE 1394 adapters follow, every group and every place, each with
// the model name of its own lookup: the same product is a USB model behind the USB bridge and an IEEE 1394 model
// behind the 1394 bridge. A drive without a letter shows B: as its index says, a refused index shows '?'; neither
// answers INQUIRY, so neither has a model name. Windows 98 has no extended part.
TEST_F(UsbTree, ExtendedPartListsUsbAnd1394Drives)
{
    CDriveManager manager;
    manager.m_nAccessMode = kAccessModeSpti;
    m_machine.letterInquiry["\\\\.\\E:"] = InquiryAnswer("KORVATH", "DVDR   QZ7160", "1.05");
    m_machine.letterInquiry["\\\\.\\F:"] = InquiryAnswer("KORVATH", "DVDR   QZ7160", "1.05");
    CHostAdapterArray& adapters = *manager.GetHostAdapters();
    CHostAdapter ide;
    ide.m_nBusType = 0;
    ide.m_Targets.SetSize(1);
    ide.m_Targets[0].Add(DriveRecord(0, 0, 3, "KORVATH ", "IDE DRIVE", "1.00", "not listed"));
    CHostAdapter usb;
    usb.m_nBusType = 4;
    usb.m_Targets.SetSize(2);
    usb.m_Targets[0].Add(
        DriveRecord(1, 4, 4, "KORVATH ", "DVDR   QZ7160", "1.05", "\\??\\USBSTOR#CdRom&Ven_KORVATH#7&1&0"));
    usb.m_Targets[1].Add(DriveRecord(1, 4, -1, "OTHER   ", "CD-ROM", "0001", ""));
    CHostAdapter firewire;
    firewire.m_nBusType = 5;
    firewire.m_Targets.SetSize(1);
    firewire.m_Targets[0].Add(DriveRecord(2, 5, 5, "KORVATH ", "DVDR   QZ7160", "1.05", "\\??\\SBP2#Korvath#2"));
    firewire.m_Targets[0].Add(DriveRecord(2, 5, 1, "KORVATH ", "DRW-9200F", "2.00", "\\??\\SBP2#Korvath#1"));
    adapters.Add(ide);
    adapters.Add(usb);
    adapters.Add(firewire);
    CDriveManager* previous = g_pDriveManager;
    g_pDriveManager = &manager;

    const std::vector<std::string> expected = {
        "Extended Information:",
        "---------------------",
        "* (E:) QZ-7160U USB DVD-RW",
        "   KORVATH  DVDR   QZ7160 1.05",
        "",
        "   \\??\\USBSTOR#CdRom&Ven_KORVATH#7&1&0",
        "",
        "* (?:) ",
        "   OTHER    CD-ROM 0001",
        "",
        "   ",
        "",
        "* (F:) QZ-7160F 1394 DVD-RW",
        "   KORVATH  DVDR   QZ7160 1.05",
        "",
        "   \\??\\SBP2#Korvath#2",
        "",
        "* (B:) ",
        "   KORVATH  DRW-9200F 2.00",
        "",
        "   \\??\\SBP2#Korvath#1",
        "",
    };
    std::vector<std::string> lines = List(Windows::WinXP);
    auto extended = std::find(lines.begin(), lines.end(), "Extended Information:");
    ASSERT_NE(lines.end(), extended);
    EXPECT_EQ(expected, std::vector<std::string>(extended, lines.end()));

    lines = List(Windows::Win98);
    EXPECT_EQ(lines.end(), std::find(lines.begin(), lines.end(), "Extended Information:"));
    EXPECT_EQ("", lines.back());
    g_pDriveManager = previous;
}

// A serial number and IDs name the Enum key: Vid_04b4&Pid_8613 and ABC123; nothing stored gives an empty text.
TEST_F(UsbTree, RegistryDescriptions)
{
    char out[kUsbDescriptionSize];
    EXPECT_STREQ("USB Mass Storage Device", GetUsbDeviceDescFromEnum("Vid_04b4&Pid_8613", "ABC123", out, m_root.Key()));
    EXPECT_STREQ("", GetUsbDeviceDescFromEnum("Vid_04b4&Pid_8613", "XYZ", out, m_root.Key()));
    m_root.Write("SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_0001&Pid_0002\\long",
                 {Text("DeviceDesc", std::string(150, 'x'))});
    EXPECT_EQ(std::string(99, 'x'), GetUsbDeviceDescFromEnum("Vid_0001&Pid_0002", "long", out, m_root.Key()));

    auto pinned = Pin(Windows::WinXP);
    EXPECT_STREQ("", GetDeviceDescFromDeviceClasses(
                         "USB", "ROOT_HUB#4&1b2c3d4e&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}", out, m_root.Key()));
    pinned.reset();
    pinned = Pin(Windows::Win98);
    // A DeviceInstance of more than five parts is not followed.
    const std::string classes = "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\deep\\";
    m_root.Write(classes + "#USB#x", {Text("DeviceInstance", "A\\B\\C\\D\\E\\F")});
    m_root.Write("Enum\\A\\B\\C\\D\\E\\F", {Text("DeviceDesc", "too deep")});
    EXPECT_STREQ("", GetDeviceDescFromDeviceClasses("USB", "deep", out, m_root.Key()));
}

} // namespace
