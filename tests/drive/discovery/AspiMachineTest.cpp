// tests/drive/discovery/AspiMachineTest.cpp
// The ASPI start-up on a Windows 98 machine (through the test ASPI library): two identical CD-ROM drives and an
// ATAPI writer on the IDE and SCSI host adapters, a USB writer behind a bridge and a scanner without a letter,
// described by HKEY_DYN_DATA and HKLM "Enum"; then the ASPI error statuses, the registry readers and the Windows
// 9x bus-type method.
#include <cstring>

#include <gtest/gtest.h>

#include "support/DiscoveryFixtures.h"
#include "Emu.h"
#include "framework/Registry.h"

namespace {

enum Letter {
    C = 2,
    D,
    E,
    F,
    G,
    H
};

const char kDynEnum[] = "Config Manager\\Enum";
const char kClassKey[] = "System\\CurrentControlSet\\Services\\Class";

void SetHardwareKey(const char* pszNode, const char* pszHardwareKey)
{
    RegSetStringFixture(HKEY_DYN_DATA, (std::string(kDynEnum) + "\\" + pszNode).c_str(), "HardWareKey", pszHardwareKey);
}

// HKLM "Enum\SCSI\<device>\<instance>" with its letter, target id and (when not -1) the four settings.
void SetScsiDeviceKey(const char* pszDevice, const char* pszInstance, const char* pszLetter, const char* pszTarget,
                      int nAutoInsert, int nDisconnect, int nSync, int nDma)
{
    std::string path = std::string("Enum\\SCSI\\") + pszDevice + "\\" + pszInstance;
    RegCreateKeyFixture(HKEY_LOCAL_MACHINE, path.c_str());
    if (pszLetter != nullptr)
        RegSetStringFixture(HKEY_LOCAL_MACHINE, path.c_str(), "CurrentDriveLetterAssignment", pszLetter);
    if (pszTarget != nullptr)
        RegSetStringFixture(HKEY_LOCAL_MACHINE, path.c_str(), "SCSITargetID", pszTarget);
    const char* const kNames[] = {"AutoInsertNotification", "Disconnect", "SyncDataXfer", "DMACurrentlyUsed"};
    const int values[] = {nAutoInsert, nDisconnect, nSync, nDma};
    for (int i = 0; i < 4; ++i) {
        if (values[i] >= 0)
            RegSetByteFixture(HKEY_LOCAL_MACHINE, path.c_str(), kNames[i], BYTE(values[i]));
    }
}

void SetClassEntry(const char* pszClass, const char* pszSubKey, const char* pszPortDriver, const char* pszDriverDesc,
                   const char* pszMatchingId = nullptr)
{
    std::string path = std::string(kClassKey) + "\\" + pszClass + "\\" + pszSubKey;
    RegSetStringFixture(HKEY_LOCAL_MACHINE, path.c_str(), "PortDriver", pszPortDriver);
    if (pszDriverDesc != nullptr)
        RegSetStringFixture(HKEY_LOCAL_MACHINE, path.c_str(), "DriverDesc", pszDriverDesc);
    if (pszMatchingId != nullptr)
        RegSetStringFixture(HKEY_LOCAL_MACHINE, path.c_str(), "MatchingDeviceId", pszMatchingId);
}

class Win98Machine : public ::testing::Test {
protected:
    void SetUp() override
    {
        OSVERSIONINFOA version = ReportedVersion();
        ASSERT_EQ(DWORD(VER_PLATFORM_WIN32_WINDOWS), version.dwPlatformId) << "this machine stands for Windows 98";
        m_pMachine = EmuGetAspiMachine();
        ASSERT_NE(nullptr, m_pMachine) << "the test ASPI library is not beside the program";
        m_pMachine->Reset();
        RegDeleteTreeFixture(HKEY_DYN_DATA, "Config Manager");
        RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, "Enum");
        RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, kClassKey);
    }

    void TearDown() override { m_Transport.Close(); }

    int Drive(const char* pszVendor, const char* pszProduct, const char* pszRevision, int nPeripheral = 5)
    {
        return AddEmulatedDrive(m_pMachine, pszVendor, pszProduct, pszRevision, nPeripheral);
    }

    void BuildMachine()
    {
        IEmuMachine& m = *m_pMachine;
        m.SetAspiSupport(1, 3);
        m.SetAspiAdapter(0, 7, "ASPI for WIN32", "QZIDE506", nullptr);
        m.SetAspiAdapter(1, 7, "ASPI for WIN32", "QZSCSI", nullptr);
        m.SetAspiAdapter(2, 0, "ASPI for WIN32", "QZUSBASP", nullptr);
        m.AttachAspi(Drive("QZTECH", "CDROM  QZ3200", "3.10"), 0, 0, 0);
        m.AttachAspi(Drive("KORVATH", "CD-R   QZ4816", "1.00"), 0, 1, 0);
        m.AttachAspi(Drive("QZTECH", "CDROM  QZ3200", "3.10"), 1, 0, 0);
        m.AttachAspi(Drive("QZTECH", "SCANNER QZ10", "1.0", 6), 1, 2, 0);
        m.AttachAspi(Drive("KORVATH", "DVDR   QZ6820A", "2.05"), 2, 0, 0);

        SetHardwareKey("C29A0001", "ROOT\\*PNP0C01\\0000");
        SetHardwareKey("C29A0002", "SCSI\\QZTECH__CDROM__QZ3200___\\IDE&CHANNEL0&DEV0");
        SetHardwareKey("C29A0003", "SCSI\\KORVATH_CD-R___QZ4816___\\IDE&CHANNEL1&DEV1");
        SetHardwareKey("C29A0004", "SCSI\\QZTECH__CDROM__QZ3200___\\QZSCSI&BUS0&TARGET0");
        SetHardwareKey("C29A0005", "SCSI\\QZTECH__SCANNER_QZ10____\\QZSCSI&BUS0&TARGET2");
        SetHardwareKey("C29A0006", "SCSI\\KORVATH_DVDR___QZ6820A__\\USBSTOR&VID_0BDA&PID_9210&REV_0100&INST01");
        SetScsiDeviceKey("QZTECH__CDROM__QZ3200___", "IDE&CHANNEL0&DEV0", "D", "0", 1, -1, -1, 1);
        SetScsiDeviceKey("KORVATH_CD-R___QZ4816___", "IDE&CHANNEL1&DEV1", "e", "1", 0, 1, 1, 0);
        SetScsiDeviceKey("QZTECH__CDROM__QZ3200___", "QZSCSI&BUS0&TARGET0", "F", "0", 1, 1, 1, -1);
        SetScsiDeviceKey("QZTECH__SCANNER_QZ10____", "QZSCSI&BUS0&TARGET2", nullptr, "2", -1, -1, -1, -1);
        SetScsiDeviceKey("KORVATH_DVDR___QZ6820A__", "USBSTOR&VID_0BDA&PID_9210&REV_0100&INST01", "G", "0", 1, -1, -1,
                         -1);
        RegSetStringFixture(HKEY_LOCAL_MACHINE, "Enum\\USBSTOR\\VID_0BDA&PID_9210&REV_0100\\INST01", "DeviceDesc",
                            "QZ USB2.0 Storage Bridge");

        SetClassEntry("SCSIAdapter", "0000", "qzscsi.mpd", "QZ Fast SCSI Host Adapter");
        SetClassEntry("hdc", "0000", "QZIDE506.pdr", "Standard Dual PCI IDE Controller");
        SetClassEntry("hdc", "0001", "QZIDE506.pdr", "Primary IDE controller (dual fifo)");
        SetClassEntry("hdc", "0002", "QZIDE506.pdr", "Secondary IDE controller (dual fifo)");
    }

    IEmuMachine* m_pMachine = nullptr;
    CScsiTransport m_Transport;
};

} // namespace

// One adapter per host adapter. The second of the two identical drives (same name, same target) goes to the
// second host adapter because the first pair is used; the scanner has no letter and is not listed. The IDE host
// adapter is an IDE channel (the later primary and secondary subkeys of the hdc class override the controller's
// subkey), the USB bridge's adapter keeps 4.
TEST_F(Win98Machine, StartUpBuildsTheTable)
{
    BuildMachine();
    ASSERT_EQ(kAccessModeAspi, m_Transport.InitAspi());
    EXPECT_TRUE(m_Transport.m_hAspiDll.IsCreated());
    EXPECT_STREQ("wnaspi32.dll", m_Transport.m_szAspiDllName);
    const std::vector<ExpectedAdapter> adapters = {
        {kBusTypeIdeChannel, -1, "", 1},
        {kBusTypeScsi, -1, "", 1},
        {kBusTypeUsb, -1, "", 1},
    };
    const std::vector<ExpectedRecord> records = {
        {0, 0, 0, 0, 0, D, kBusTypeIdeChannel, 5, "QZTECH", "CDROM  QZ3200", "3.10", nullptr, 1, -1, -1, 1},
        {0, 0, 1, 0, 0, E, kBusTypeIdeChannel, 5, "KORVATH", "CD-R   QZ4816", "1.00", nullptr, 0, 1, 1, 0},
        {1, 0, 0, 0, 0, F, kBusTypeScsi, 5, "QZTECH", "CDROM  QZ3200", "3.10", nullptr, 1, 1, 1, -1},
        {2, 0, 0, 0, 0, G, kBusTypeUsb, 5, "KORVATH", "DVDR   QZ6820A", "2.05", nullptr, 1, -1, -1, -1},
    };
    ExpectAdapterTable(m_Transport.m_Adapters, adapters, records);

    ExpectRefreshGivesTheSameList(m_Transport, &CScsiTransport::InitAspi);
}

// ASPI reporting no host adapters: the start-up succeeds with an empty list.
TEST_F(Win98Machine, NoHostAdapters)
{
    BuildMachine();
    m_pMachine->SetAspiSupport(1, 0);
    EXPECT_EQ(kAccessModeAspi, m_Transport.InitAspi());
    EXPECT_EQ(0, m_Transport.m_Adapters.GetSize());
}

// An error status of GetASPI32SupportInfo fails the start-up and unloads the library; the status text that
// InitAspiAdapters leaves is replaced by the start-up's own.
TEST_F(Win98Machine, SupportStatusErrors)
{
    struct Case {
        BYTE nStatus;
        const char* pszText;
    };
    const Case kCases[] = {
        {0xE2, "This Windows OS doesn't support ASPI for Win32!"},
        {0xE3, "WNASPI32.DLL is unable to load its helper driver!\nUnder Windows 98/Me      : APIX.VXD\n"
               "Under Windows NT/2000/XP : ASPI32.SYS"},
        {0xE4, "General internal failure within ASPI.\nThis problem can occur if the system is unstable."},
        {0xE7, "The ASPI for Win32 components does not have the correct version number.\nPlease remove all ASPI "
               "components and reinstall the correct set of ASPI drivers."},
        {0xE9, "System resources are too low to fully initialise ASPI."},
        {0xE8, "Unable to initialise ASPI"},
    };
    HMODULE hLibrary = LoadLibraryA("wnaspi32.dll");
    ASSERT_NE(nullptr, hLibrary);
    for (const Case& c : kCases) {
        SCOPED_TRACE(int(c.nStatus));
        m_pMachine->SetAspiSupport(c.nStatus, 2);
        CScsiTransport transport;
        transport.m_pfnGetASPI32SupportInfo = reinterpret_cast<PFN_GetASPI32SupportInfo>(
            reinterpret_cast<void (*)()>(GetProcAddress(hLibrary, "GetASPI32SupportInfo")));
        EXPECT_EQ(0, transport.InitAspiAdapters());
        EXPECT_STREQ(c.pszText, transport.m_strLastError);
        EXPECT_EQ(0, transport.m_Adapters.GetSize());

        EXPECT_EQ(kAccessModeNone, m_Transport.InitAspi());
        EXPECT_STREQ("Unable to load GetASPISupport()", m_Transport.m_strLastError);
        EXPECT_FALSE(m_Transport.m_hAspiDll.IsCreated());
        EXPECT_EQ(nullptr, m_Transport.m_pfnSendASPI32Command);
        EXPECT_EQ(0, m_Transport.m_Adapters.GetSize());
    }
    FreeLibrary(hLibrary);
}

// Devices that are not recorded: one whose name no host adapter's INQUIRY gives (even with eight host adapters,
// it does not land on adapter 7), one with a target id beyond 15 ('G'), one on A:, one without a target id, and
// a hardware key without a device part.
TEST_F(Win98Machine, DevicesThatAreNotRecorded)
{
    m_pMachine->SetAspiSupport(1, 8);
    for (int nAdapter = 0; nAdapter < 8; ++nAdapter) {
        m_pMachine->AttachAspi(Drive("QZTECH", "CDROM  QZ3200", "3.10"), nAdapter, 1, 0);
        m_pMachine->AttachAspi(Drive("QZTECH", "CDROM  QZ3200", "3.10"), nAdapter, 0, 0);
    }
    SetHardwareKey("C29A0001", "SCSI\\KORVATH_CD-R___QZ9999___\\IDE&CHANNEL0&DEV1");
    SetScsiDeviceKey("KORVATH_CD-R___QZ9999___", "IDE&CHANNEL0&DEV1", "H", "1", 1, -1, -1, -1);
    SetHardwareKey("C29A0002", "SCSI\\QZTECH__CDROM__QZ3200___\\QZSCSI&TARGETG");
    SetScsiDeviceKey("QZTECH__CDROM__QZ3200___", "QZSCSI&TARGETG", "I", "G", -1, -1, -1, -1);
    SetHardwareKey("C29A0003", "SCSI\\QZTECH__CDROM__QZ3200___\\QZSCSI&FLOPPY");
    SetScsiDeviceKey("QZTECH__CDROM__QZ3200___", "QZSCSI&FLOPPY", "A", "0", -1, -1, -1, -1);
    SetHardwareKey("C29A0004", "SCSI\\QZTECH__CDROM__QZ3200___\\QZSCSI&NOTARGET");
    SetScsiDeviceKey("QZTECH__CDROM__QZ3200___", "QZSCSI&NOTARGET", "J", nullptr, -1, -1, -1, -1);
    SetHardwareKey("C29A0005", "SCSI\\QZTECH__CDROM__QZ3200___");

    ASSERT_EQ(kAccessModeAspi, m_Transport.InitAspi());
    ASSERT_EQ(8, m_Transport.m_Adapters.GetSize());
    for (INT_PTR a = 0; a < 8; ++a)
        EXPECT_EQ(0, m_Transport.m_Adapters[a].m_Targets[0].GetSize()) << DescribeAdapters(m_Transport.m_Adapters);
}

TEST_F(Win98Machine, ScsiDeviceKeyValues)
{
    SetScsiDeviceKey("QZDEV", "A", "e", "a", 1, 0, 1, 0);
    SetScsiDeviceKey("QZDEV", "B", "Z", "F", -1, -1, -1, -1);
    SetScsiDeviceKey("QZDEV", "C", "[", "?", -1, -1, -1, -1);
    RegSetBinaryFixture(HKEY_LOCAL_MACHINE, "Enum\\SCSI\\QZDEV\\C", "SyncDataXfer", "", 0);

    struct Case {
        const char* pszInstance;
        int nLetter, nTarget, nAutoInsert, nDisconnect, nSync, nDma;
    };
    const Case kCases[] = {
        {"A", E, 10, 1, 0, 1, 0},
        {"B", 25, 15, -1, -1, -1, -1},
        {"C", 0, -1, -1, -1, -1, -1},       // not a letter, not a digit; an empty value counts as missing
        {"MISSING", 0, 77, 77, 77, 77, 77}, // no key: nothing written
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.pszInstance);
        int nTarget = 77, nAutoInsert = 77, nDisconnect = 77, nSync = 77, nDma = 77;
        EXPECT_EQ(c.nLetter, CScsiTransport::ReadWin9xScsiDeviceKey("QZDEV", c.pszInstance, nTarget, nAutoInsert,
                                                                    nDisconnect, nSync, nDma));
        EXPECT_EQ(c.nTarget, nTarget);
        EXPECT_EQ(c.nAutoInsert, nAutoInsert);
        EXPECT_EQ(c.nDisconnect, nDisconnect);
        EXPECT_EQ(c.nSync, nSync);
        EXPECT_EQ(c.nDma, nDma);
    }
}

// A device behind a USB bridge: a "NECUSB" enumerator, or a parent (named by the text around "REV") whose
// description holds "USB" or, failing that, whose compatible ids hold "USB" or "TPPIOSTB". Texts too short for
// the parent's fields are not looked up.
TEST_F(Win98Machine, UsbBridgeDetection)
{
    const char kParent[] = "Enum\\USBSTOR\\VID_0BDA&PID_9210&REV_0100\\INST01";
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kParent, "DeviceDesc", "QZ Storage Bridge");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, "Enum\\QZPP\\VID_0000&PID_0001&REV_0001\\PORT1", "DeviceDesc",
                        "QZ Parallel Port Drive");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, "Enum\\QZPP\\VID_0000&PID_0001&REV_0001\\PORT1", "CompatibleIDs",
                        "QZPP\\GENERIC,TPPIOSTB");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, "Enum\\QZPP\\VID_0000&PID_0002&REV_0001\\PORT2", "DeviceDesc",
                        "QZ Parallel Port Drive");

    struct Case {
        const char* pszInstance;
        int nExpected;
    };
    const Case kCases[] = {
        {"NECUSB&VID_0411&PID_001E", kBusTypeUsb},
        {"USBSTOR&VID_0BDA&PID_9210&REV_0100&INST01", kBusTypeIdeChannel}, // described without "USB"
        {"QZPP&VID_0000&PID_0001&REV_0001&PORT1", kBusTypeUsb},
        {"QZPP&VID_0000&PID_0002&REV_0001&PORT2", kBusTypeIdeChannel},
        {"IDE&CHANNEL0&DEV0", kBusTypeIdeChannel},
        {"USBSTOR&REV", kBusTypeIdeChannel},
        {"USBSTOR&REV_0100&", kBusTypeIdeChannel},
        {"NOAMPERSAND", kBusTypeIdeChannel},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.pszInstance);
        CDeviceRecord record;
        CScsiTransport::DetectWin9xUsbBridge("QZDEV", c.pszInstance, record);
        EXPECT_EQ(c.nExpected, record.m_nBusType);
    }
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kParent, "DeviceDesc", "QZ USB2.0 Storage Bridge");
    CDeviceRecord record;
    CScsiTransport::DetectWin9xUsbBridge("QZDEV", "USBSTOR&VID_0BDA&PID_9210&REV_0100&INST01", record);
    EXPECT_EQ(kBusTypeUsb, record.m_nBusType);
}

// The Windows 9x bus-type method on host adapters named after their port drivers.
TEST_F(Win98Machine, Win9xMethodByClassKeys)
{
    const char* const kIdentifiers[] = {"QZSCSI", "QZSATA", "QZIDE506", "QZPIIX", "QZ1394", "QZNONE"};
    const int kExpected[] = {kBusTypeScsi, kBusTypeSerialAta, kBusTypeIdeChannel,
                             kBusTypeAta,  kBusType1394,      kBusTypeIdeChannel};
    m_pMachine->SetAspiSupport(1, 6);
    for (int i = 0; i < 6; ++i)
        m_pMachine->SetAspiAdapter(i, 7, "ASPI for WIN32", kIdentifiers[i], nullptr);
    SetClassEntry("SCSIAdapter", "0000", "qzscsi.mpd", "QZ Fast SCSI Host Adapter");
    SetClassEntry("SCSIAdapter", "0001", "QZSATA.MPD", "QZ Serial ATA Controller");
    SetClassEntry("hdc", "0000", "QZIDE506.pdr", "Standard Dual PCI IDE Controller");
    SetClassEntry("hdc", "0001", "QZIDE506.pdr",
                  "Prim\xe4"
                  "rer IDE-Controller");
    SetClassEntry("hdc", "0003", "qzpiix.pdr", nullptr, "QZ_ATA_CONTROLLER");
    SetClassEntry("Storage", "0000", "qz1394.mpd", "QZ IEEE 1394 SBP2 Device");

    ASSERT_EQ(kAccessModeAspi, m_Transport.InitAspi());
    ASSERT_EQ(6, m_Transport.m_Adapters.GetSize());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(kExpected[i], m_Transport.m_Adapters[i].m_nBusType) << kIdentifiers[i];

    char szManager[17], szIdentifier[100];
    BYTE unique[16];
    int nScsiId = 0;
    EXPECT_EQ(1, m_Transport.GetPortDriverName(1, szManager, szIdentifier, unique, &nScsiId));
    EXPECT_STREQ("ASPI for WIN32  ", szManager);
    EXPECT_STREQ("QZSATA          ", szIdentifier);
    EXPECT_EQ(7, nScsiId);
    EXPECT_EQ(SS_INVALID_HA, m_Transport.GetPortDriverName(6, szManager, szIdentifier, unique, &nScsiId));
}

// Without the library (Wine's own is switched off for this run) the start-up fails with its text.
TEST(AspiMissing, LibraryCannotBeLoaded)
{
    CScsiTransport transport;
    EXPECT_EQ(kAccessModeNone, transport.InitAspi());
    EXPECT_STREQ("Unable to load wnaspi32.dll", transport.m_strLastError);
    EXPECT_FALSE(transport.m_hAspiDll.IsCreated());
}
