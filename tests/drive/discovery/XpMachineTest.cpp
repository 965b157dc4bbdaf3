// tests/drive/discovery/XpMachineTest.cpp
// The pass-through start-up on a Windows XP (and 2000) machine: an IDE hard disk and an IDE writer on the two
// channels of the IDE controller, a Serial ATA writer, a port whose driver no device class holds, a USB writer on
// the USB storage port, a SCSI tape drive without a letter, a USB writer behind a bridge and an IEEE 1394 writer
// found only through MountedDevices, and a USB hard disk and a card reader reached only through their letters.
#include <gtest/gtest.h>

#include "support/DiscoveryFixtures.h"
#include "Emu.h"

namespace {

const char kGuidSuffixCdrom[] = "#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
const char kMountedG[] = "USBSTOR#CdRom&Ven_KORVATH&Prod_DVDR___QZ6820A&Rev_2.05#QZ0002&0";
const char kMountedH[] = "USBSTOR#CdRom&Ven_KORVATH&Prod_CD-R___QZ5224U&Rev_1.02#QZ0001&0";
const char kMountedI[] = "SBP2#KORVATH&DVDR___QZ6820B&LUN0#1&0123456789abcdef&0";

std::string Mounted(const char* pszName)
{
    return std::string(pszName) + kGuidSuffixCdrom;
}

enum Letter {
    C = 2,
    D,
    E,
    F,
    G,
    H,
    I,
    J,
    K,
    L,
    M,
    N
};

class XpMachine : public NtMachineTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartMachine(5, "Windows 2000 and XP"));
        BuildDrives();
        BuildRegistry();
        BuildDeviceTree();
        m_Tree.Install();
    }

    void BuildDrives()
    {
        IEmuMachine& m = *m_pMachine;
        int nDisk = Drive("QZDISK", "QZ-HD80", "1.0", 0);
        int nIdeWriter = Drive("KORVATH", "CD-R   QZ4816", "1.00");
        int nSataWriter = Drive("KORVATH", "DVDR   QZ6820S", "2.05");
        int nScanner = Drive("QZTECH", "SCANNER QZ10", "1.0", 6);
        int nUsbPortWriter = Drive("KORVATH", "CD-R   QZ5224U", "1.02");
        int nTape = Drive("QZTECH", "TAPE   QZ40", "0.9", 1);
        int nUsbWriter = Drive("KORVATH", "DVDR   QZ6820A", "2.05");
        int n1394Writer = Drive("KORVATH", "DVDR   QZ6820B", "2.05");
        int nUsbDisk = Drive("QZDISK", "QZ-USB160", "2.1", 0);
        int nCardReader = Drive("QZTECH", "CARD READER", "1.1", 0);

        AddPorts(6);
        m.AttachPort(nDisk, 0, 0, 0, 0);
        m.AttachPort(nIdeWriter, 1, 0, 0, 0);
        m.AttachPort(nSataWriter, 2, 0, 0, 0);
        m.AttachPort(nScanner, 3, 0, 1, 0);
        m.AttachPort(nUsbPortWriter, 4, 0, 0, 0);
        m.AttachPort(nTape, 5, 1, 3, 0);

        Letter(C, DRIVE_FIXED, nDisk, 0);
        Letter(D, DRIVE_FIXED, nDisk, 0);
        Letter(E, DRIVE_CDROM, nIdeWriter, 1);
        Letter(F, DRIVE_CDROM, nSataWriter, 2);
        Letter(G, DRIVE_CDROM, nUsbWriter);
        Letter(H, DRIVE_CDROM, nUsbPortWriter, 4);
        Letter(I, DRIVE_CDROM, n1394Writer);
        Letter(J, DRIVE_FIXED, nUsbDisk);
        Letter(K, DRIVE_REMOVABLE, nCardReader);
        Letter(N, DRIVE_FIXED, -1); // a fixed letter without a drive that answers INQUIRY
    }

    static void BuildRegistry()
    {
        const char* const kDrivers[] = {"atapi", "atapi", "qzsata", "ghostprt", "usbstor", "qzscsi"};
        for (int nPort = 0; nPort < 6; ++nPort)
            SetDeviceMapDriver(nPort, kDrivers[nPort]);
        const char kChannels[] = "SYSTEM\\CurrentControlSet\\Enum\\PCIIDE\\IDEChannel";
        RegSetStringFixture(HKEY_LOCAL_MACHINE, (std::string(kChannels) + "\\4&2c2e5c2&0&0").c_str(), "Driver",
                            "{4D36E96A-E325-11CE-BFC1-08002BE10318}\\0001");
        RegSetStringFixture(HKEY_LOCAL_MACHINE, (std::string(kChannels) + "\\4&2c2e5c2&0&1").c_str(), "Driver",
                            "{4D36E96A-E325-11CE-BFC1-08002BE10318}\\0002");
        SetMountedDevice(G, ("\\??\\" + Mounted(kMountedG)).c_str());
        SetMountedDevice(H, ("\\??\\" + Mounted(kMountedH)).c_str());
        SetMountedDevice(I, ("\\??\\" + Mounted(kMountedI)).c_str());
    }

    void BuildDeviceTree()
    {
        const char kHdcClass[] = "{4D36E96A-E325-11CE-BFC1-08002BE10318}\\";
        const char kScsiClass[] = "{4D36E97B-E325-11CE-BFC1-08002BE10318}\\";
        const char kUsbClass[] = "{36FC9E60-C465-11CF-8056-444553540000}\\";
        m_Tree.AddDevice(kGuidHdc, {"PCI\\VEN_8086&DEV_7111&SUBSYS_00000000&REV_01\\3&61AAA01&0&39", "intelide",
                                    std::string(kHdcClass) + "0000", "Standard Dual Channel PCI IDE Controller"});
        m_Tree.AddDevice(kGuidHdc, {"PCIIDE\\IDECHANNEL\\4&2C2E5C2&0&0",
                                    "atapi",
                                    std::string(kHdcClass) + "0001",
                                    "Primary IDE Channel",
                                    {"IDE\\DISKQZ-HD80\\5&1B2C3D4E&0&0.0.0"}});
        m_Tree.AddDevice(kGuidHdc, {"PCIIDE\\IDECHANNEL\\4&2C2E5C2&0&1",
                                    "atapi",
                                    std::string(kHdcClass) + "0002",
                                    "Secondary IDE Channel",
                                    {"IDE\\CDROMKORVATH\\5&3C4D5E6F&0&0.0.0"}});
        m_Tree.AddDevice(kGuidScsiAdapter, {"PCI\\VEN_1AF4&DEV_7A31&SUBSYS_00000000&REV_02\\3&61AAA01&0&58", "qzsata",
                                            std::string(kScsiClass) + "0000", "QZ Serial ATA Storage Controller"});
        m_Tree.AddDevice(kGuidScsiAdapter, {"PCI\\VEN_1AF4&DEV_5C10&SUBSYS_00000000&REV_01\\3&61AAA01&0&60", "qzscsi",
                                            std::string(kScsiClass) + "0001", "QZ Fast SCSI Host Adapter"});
        m_Tree.AddDevice(kGuidUsb, {"USB\\ROOT_HUB20\\4&3A1B2C3D&0",
                                    "usbhub",
                                    std::string(kUsbClass) + "0000",
                                    "USB Root Hub",
                                    {"USB\\VID_0BDA&PID_9210\\QZ0001", "USB\\VID_0BDA&PID_9211\\QZ0002"}});
        m_Tree.AddDevice(kGuidUsb, {"USB\\VID_0BDA&PID_9210\\QZ0001",
                                    "usbstor",
                                    std::string(kUsbClass) + "0001",
                                    "USB Mass Storage Device",
                                    {"USBSTOR\\CDROM&VEN_KORVATH&PROD_CD-R___QZ5224U&REV_1.02\\QZ0001&0"}});
        m_Tree.AddDevice(kGuidUsb, {"USB\\VID_0BDA&PID_9211\\QZ0002",
                                    "usbstor",
                                    std::string(kUsbClass) + "0002",
                                    "USB Mass Storage Device",
                                    {"USBSTOR\\CDROM&VEN_KORVATH&PROD_DVDR___QZ6820A&REV_2.05\\QZ0002&0"}});
        m_Tree.AddDevice(kGuid1394, {"PCI\\VEN_104C&DEV_8023&SUBSYS_00000000&REV_00\\3&61AAA01&0&70", "ohci1394",
                                     "{6BDD1FC1-810F-11D0-BEC7-08002BE2092F}\\0000",
                                     "QZ OHCI Compliant IEEE 1394 Host Controller"});
        m_Tree.AddDevice(kGuidSbp2, {"1394\\KORVATH&DVDR___QZ6820B\\1&0123456789ABCDEF",
                                     "sbp2port",
                                     "{D48179BE-EC20-11D1-B6B8-00C04FA372A7}\\0000",
                                     "KORVATH DVDR QZ6820B",
                                     {"SBP2\\KORVATH&DVDR___QZ6820B&LUN0\\1&0123456789ABCDEF&0"}});
    }
};

// The table of the XP machine. The port of the driver no class holds (port 3) is gone and the later adapters
// moved up; the USB writer on the storage port is listed once (its MountedDevices name matches a USB child too);
// the tape drive has the first letter slot no drive uses (L:).
const std::vector<ExpectedAdapter> kXpAdapters = {
    {kBusTypeIdeChannel, 0, "\\\\.\\SCSI0:", 1},
    {kBusTypeIdeChannel, 1, "\\\\.\\SCSI1:", 1},
    {kBusTypeSerialAta, 2, "\\\\.\\SCSI2:", 1},
    {kBusTypeUsb, 4, "\\\\.\\SCSI4:", 1},
    {kBusTypeScsi, 5, "\\\\.\\SCSI5:", 2},
    {kBusTypeUsb, -1, "", 1},
    {kBusType1394, -1, "", 1},
    {kBusTypeLetterOnly, -1, "", 1},
};

const std::vector<ExpectedRecord> kXpRecords = {
    // adapter, group, target, path, lun, letter, bus, type, vendor, product, revision, mounted, four settings
    {0, 0, 0, 0, 0, C, kBusTypeIdeChannel, 0, "QZDISK", "QZ-HD80", "1.0", nullptr, -1, -1, -1, -1},
    {1, 0, 0, 0, 0, E, kBusTypeIdeChannel, 5, "KORVATH", "CD-R   QZ4816", "1.00", nullptr, -1, -1, -1, -1},
    {2, 0, 0, 0, 0, F, kBusTypeSerialAta, 5, "KORVATH", "DVDR   QZ6820S", "2.05", nullptr, -1, -1, -1, -1},
    {3, 0, 0, 0, 0, H, kBusTypeUsb, 5, "KORVATH", "CD-R   QZ5224U", "1.02", nullptr, -1, -1, -1, -1},
    {4, 1, 3, 1, 0, L, kBusTypeScsi, 1, "QZTECH", "TAPE   QZ40", "0.9", nullptr, -1, -1, -1, -1},
    {5, 0, 0, 0, 0, G, kBusTypeUsb, 5, "KORVATH", "DVDR   QZ6820A", "2.05", kMountedG, -1, -1, -1, -1},
    {6, 0, 0, 0, 0, I, kBusType1394, 5, "KORVATH", "DVDR   QZ6820B", "2.05", kMountedI, -1, -1, -1, -1},
    {7, 0, 0, 0, 0, J, kBusTypeLetterOnly, 0, "QZDISK", "QZ-USB160", "2.1", nullptr, -1, -1, -1, -1},
    {7, 0, 0, 0, 0, K, kBusTypeLetterOnly, 0, "QZTECH", "CARD READER", "1.1", nullptr, -1, -1, -1, -1},
};

} // namespace

TEST_F(XpMachine, StartUpBuildsTheTable)
{
    // The mounted-device names in the table are compared whole: fix the expected texts up first.
    std::vector<ExpectedRecord> records = kXpRecords;
    std::string mountedG = Mounted(kMountedG), mountedI = Mounted(kMountedI);
    records[5].pszMounted = mountedG.c_str();
    records[6].pszMounted = mountedI.c_str();

    EXPECT_EQ(kAccessModeSpti, m_Transport.InitSpti());
    EXPECT_EQ(kAccessModeSpti, m_Transport.GetAccessMode());
    ExpectAdapterTable(m_Transport.m_Adapters, kXpAdapters, records);

    for (int nLetter = 0; nLetter < kDriveLetterCount; ++nLetter)
        EXPECT_EQ(0, m_Transport.m_Letters[nLetter].m_bInquireViaLetter) << "letter " << nLetter;
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
    EXPECT_EQ(0, m_Tree.m_nOpenLists);
    // Each start-up re-enumerates every present USB and SBP2 device node once.
    EXPECT_EQ(4, m_Tree.m_nReenumerated);
}

TEST_F(XpMachine, RefreshGivesTheSameList)
{
    ASSERT_EQ(kAccessModeSpti, m_Transport.InitSpti());
    ExpectRefreshGivesTheSameList(m_Transport, &CScsiTransport::InitSpti);
}

// A USB drive found through MountedDevices after the adapter of letter-only drives exists takes that adapter's
// place, and the letter-only adapter moves to the end.
TEST_F(XpMachine, MountedDriveIsPlacedBeforeTheLetterOnlyAdapter)
{
    // Without a port scan no record owns C: and D: either: with J: and K: they make the letter-only adapter.
    ASSERT_EQ(4, m_Transport.AddUnlistedLetterDrives());
    ASSERT_EQ(1, m_Transport.m_Adapters.GetSize());
    // Nor is H: owned by a port record, so it is found through its name as well.
    ASSERT_EQ(3, m_Transport.AddMountedUsb1394Drives());
    const CHostAdapterArray& adapters = m_Transport.m_Adapters;
    ASSERT_EQ(4, adapters.GetSize()) << DescribeAdapters(adapters);
    EXPECT_EQ(kBusTypeUsb, adapters[0].m_nBusType);
    EXPECT_EQ(G, adapters[0].m_Targets[0][0].m_nDriveLetter);
    EXPECT_EQ(kBusTypeUsb, adapters[1].m_nBusType);
    EXPECT_EQ(H, adapters[1].m_Targets[0][0].m_nDriveLetter);
    EXPECT_EQ(kBusType1394, adapters[2].m_nBusType);
    EXPECT_EQ(kBusTypeLetterOnly, adapters[3].m_nBusType);
    ASSERT_EQ(4, adapters[3].m_Targets[0].GetSize());
    const int kLetters[] = {C, D, J, K};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(kLetters[i], adapters[3].m_Targets[0][i].m_nDriveLetter);
}

// One record per letter: a name that contains the ids of several children (here the ids of both classes) still
// gives one drive, of the first class that matched.
TEST_F(XpMachine, MountedDevicesPassKeepsOneRecordPerLetter)
{
    std::string name = "\\??\\" + Mounted(kMountedG) + "#" + "SBP2#KORVATH&DVDR___QZ6820B&LUN0#1&0123456789abcdef&0";
    SetMountedDevice(G, name.c_str());
    CArray<CDeviceRecord> list;
    ASSERT_EQ(3, m_Transport.FindMountedUsb1394Drives(list));
    EXPECT_EQ(G, list[0].m_nDriveLetter);
    EXPECT_EQ(kBusTypeUsb, list[0].m_nBusType);
    EXPECT_EQ(H, list[1].m_nDriveLetter);
    EXPECT_EQ(I, list[2].m_nDriveLetter);
    EXPECT_EQ(kBusType1394, list[2].m_nBusType);
}

// Ports whose driver no device class holds are removed with their devices, and the start-up succeeds with the
// rest. A device of the SCSI adapter class whose properties cannot be read ends the search in that class, so the
// SCSI port listed after it is found in no class and goes as well (with its tape drive).
TEST_F(XpMachine, AdaptersFoundInNoClassAreRemovedAndTheRestRenumbered)
{
    m_Tree.Remove();
    CFakeDeviceTree tree;
    for (size_t i = 0; i < m_Tree.m_Devices.size(); ++i) {
        FakeClassDevice device = m_Tree.m_Devices[i];
        const GUID* pClass = nullptr;
        for (const CFakeDeviceTree::ClassEntry& entry : m_Tree.m_Classes) {
            for (int nDevice : entry.devices) {
                if (nDevice == int(i))
                    pClass = &entry.guid;
            }
        }
        tree.AddDevice(*pClass, device);
        if (device.strService == "qzsata") {
            FakeClassDevice broken = device;
            broken.strService = "qzbroken";
            broken.bPropertiesUnreadable = true;
            tree.AddDevice(*pClass, broken);
        }
    }
    tree.Install();

    ASSERT_EQ(kAccessModeSpti, m_Transport.InitSpti());
    const CHostAdapterArray& adapters = m_Transport.m_Adapters;
    ASSERT_EQ(7, adapters.GetSize()) << DescribeAdapters(adapters);
    const int kPorts[] = {0, 1, 2, 4, -1, -1, -1};
    for (INT_PTR a = 0; a < adapters.GetSize(); ++a) {
        EXPECT_EQ(kPorts[a], adapters[a].m_nPortNumber) << "adapter " << a;
        for (INT_PTR g = 0; g < adapters[a].m_Targets.GetSize(); ++g) {
            for (INT_PTR p = 0; p < adapters[a].m_Targets[g].GetSize(); ++p)
                EXPECT_EQ(int(a), adapters[a].m_Targets[g][p].m_nAdapter);
        }
    }
    for (INT_PTR a = 0; a < adapters.GetSize(); ++a)
        EXPECT_NE(kBusTypeNoClass, adapters[a].m_nBusType);
    tree.Remove();
}
