// tests/drive/discovery/BusTypeTest.cpp
// The bus-type methods one at a time: the localised IDE channel names (including Japanese and Chinese text in
// their own code pages), the NT 4.0 method and the port driver name it reads, the NT 5 device-class search, and
// the system SetupAPI and device paths under Wine (which know no drive).
#include <cstring>

#include <gtest/gtest.h>

#include <windows.h>
#include <ntddscsi.h>

#include "support/DiscoveryFixtures.h"
#include "Emu.h"

namespace {

struct ChannelCase {
    const char* pszText;
    UINT nCodePage;
    bool bPrimary;
    bool bSecondary;
    const char* pszLowered; // the caller's buffer afterwards
};

const ChannelCase kChannelCases[] = {
    {"Primary IDE Channel", 1252, true, false, "primary ide channel"},
    {"Secondary IDE Channel", 1252, false, true, "secondary ide channel"},
    {"Prim\xe4"
     "rer IDE-Kanal",
     1252, true, false,
     "prim\xe4"
     "rer ide-kanal"},
    {"PRIM\xc4"
     "RER IDE-KANAL",
     1252, true, false,
     "prim\xe4"
     "rer ide-kanal"},
    {"Sekund\xe4"
     "rer IDE-Kanal",
     1252, false, true,
     "sekund\xe4"
     "rer ide-kanal"},
    {"Canal IDE principal", 1252, true, false, "canal ide principal"},
    {"Canal IDE secundario", 1252, false, true, "canal ide secundario"},
    {"Canale IDE primario", 1252, true, false, "canale ide primario"},
    {"Canale IDE secondario", 1252, false, true, "canale ide secondario"},
    {"Canal IDE secondaire", 1252, false, true, "canal ide secondaire"},
    {"Primair IDE-kanaal", 1252, true, false, "primair ide-kanaal"},
    {"Secundair IDE-kanaal", 1252, false, true, "secundair ide-kanaal"},
    {"Standard Dual Channel PCI IDE Controller", 1252, false, false, "standard dual channel pci ide controller"},
    // Japanese (code page 932): the katakana words end the primary and secondary channel names. The trail bytes
    // 'C', 'J', 'Z' and '_' of the double-byte characters must survive the lower-casing.
    {"\x83v\x83\x89\x83"
     "C\x83}\x83\x8a IDE \x83`\x83\x83\x83l\x83\x8b",
     932, true, false,
     "\x83v\x83\x89\x83"
     "C\x83}\x83\x8a ide \x83`\x83\x83\x83l\x83\x8b"},
    {"\x83Z\x83J\x83\x93\x83_\x83\x8a IDE \x83`\x83\x83\x83l\x83\x8b", 932, false, true,
     "\x83Z\x83J\x83\x93\x83_\x83\x8a ide \x83`\x83\x83\x83l\x83\x8b"},
    // Chinese (code page 936)
    {"\xd6\xf7\xd2\xaa IDE \xcd\xa8\xb5\xc0", 936, true, false, "\xd6\xf7\xd2\xaa ide \xcd\xa8\xb5\xc0"},
    {"\xb4\xce\xd2\xaa IDE \xcd\xa8\xb5\xc0", 936, false, true, "\xb4\xce\xd2\xaa ide \xcd\xa8\xb5\xc0"},
};

} // namespace

TEST(ChannelNames, LocalisedNamesInTheirCodePages)
{
    for (const ChannelCase& c : kChannelCases) {
        SCOPED_TRACE(c.pszLowered);
        std::string primary(c.pszText), secondary(c.pszText);
        EXPECT_EQ(c.bPrimary, CScsiTransport::IsPrimaryChannelName(&primary[0], int(primary.size()), c.nCodePage));
        EXPECT_EQ(c.bSecondary,
                  CScsiTransport::IsSecondaryChannelName(&secondary[0], int(secondary.size()), c.nCodePage));
        EXPECT_EQ(std::string(c.pszLowered), primary);
        EXPECT_EQ(std::string(c.pszLowered), secondary);
    }
}

TEST(ChannelNames, AnsiCodePageFormsAndEmptyText)
{
    char szGerman[] = "Prim\xe4"
                      "rer IDE-Kanal";
    EXPECT_TRUE(CScsiTransport::IsPrimaryChannelName(szGerman, int(std::strlen(szGerman))));
    EXPECT_STREQ("prim\xe4"
                 "rer ide-kanal",
                 szGerman);
    char szEmpty[] = "";
    EXPECT_FALSE(CScsiTransport::IsPrimaryChannelName(szEmpty, 0));
    EXPECT_FALSE(CScsiTransport::IsSecondaryChannelName(szEmpty, 0));
    char szSecondary[] = "secondary";
    EXPECT_FALSE(CScsiTransport::IsSecondaryChannelName(szSecondary, 0));
    // Only the given length counts.
    char szCut[] = "Secondary";
    EXPECT_FALSE(CScsiTransport::IsSecondaryChannelName(szCut, 6));
}

namespace {

// A transport in pass-through mode with one adapter per emulated port, for the methods that read the ports.
class PortBusTypes : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pMachine = StartNtEmulatedMachine();
        m_Transport.m_nAccessMode = kAccessModeSpti;
    }

    void TearDown() override
    {
        m_Transport.Close();
        EmuRemoveDeviceIo();
    }

    // An adapter for port n with one group of one record.
    int AddPortAdapter(int nPort, bool bPortExists)
    {
        if (bPortExists)
            m_pMachine->AddPort(nPort);
        CHostAdapter adapter;
        adapter.m_nPortNumber = nPort;
        adapter.m_strName.Format("\\\\.\\SCSI%d:", nPort);
        adapter.m_Targets.SetSize(1);
        adapter.m_Targets[0].Add(CDeviceRecord());
        return int(m_Transport.m_Adapters.Add(adapter));
    }

    IEmuMachine* m_pMachine = nullptr;
    CScsiTransport m_Transport;
};

} // namespace

// NT 4.0 (and Vista): the port driver name with "esdi", "atapi" or "ata" is an IDE channel, any other SCSI; so
// is a port whose name cannot be read. The type goes into the adapter and its records.
TEST_F(PortBusTypes, Nt4MethodByPortDriverName)
{
    struct Case {
        const char* pszDriver; // null: no device map entry
        bool bPortExists;
        int nExpected;
    };
    const Case kCases[] = {
        {"atapi", true, kBusTypeIdeChannel},     {"QZSCSI", true, kBusTypeScsi},  {"qzata", true, kBusTypeIdeChannel},
        {"QZESDI506", true, kBusTypeIdeChannel}, {"usbstor", true, kBusTypeScsi}, {nullptr, true, kBusTypeScsi},
        {"atapi", false, kBusTypeScsi},
    };
    for (int i = 0; i < int(sizeof(kCases) / sizeof(kCases[0])); ++i) {
        if (kCases[i].pszDriver != nullptr)
            SetDeviceMapDriver(i, kCases[i].pszDriver);
        AddPortAdapter(i, kCases[i].bPortExists);
    }
    for (int i = 0; i < int(sizeof(kCases) / sizeof(kCases[0])); ++i) {
        SCOPED_TRACE(kCases[i].pszDriver != nullptr ? kCases[i].pszDriver : "(none)");
        EXPECT_EQ(kCases[i].nExpected, m_Transport.DetectBusTypeNT4(i));
        EXPECT_EQ(kCases[i].nExpected, m_Transport.m_Adapters[i].m_nBusType);
        EXPECT_EQ(kCases[i].nExpected, m_Transport.m_Adapters[i].m_Targets[0][0].m_nBusType);
    }
    EXPECT_THROW(m_Transport.DetectBusType(int(sizeof(kCases) / sizeof(kCases[0]))), CInvalidArgException);
}

// Under pass-through the name comes from the device map, the SCSI id from the port's first bus; the manager id
// is "N/A" and the unique bytes zero. A port that cannot be opened leaves the name empty (never unwritten).
TEST_F(PortBusTypes, PortDriverNameUnderPassThrough)
{
    SetDeviceMapDriver(0, "qzscsi");
    SetDeviceMapDriver(1, "qzscsi");
    AddPortAdapter(0, true);
    AddPortAdapter(1, false);
    char szManager[17], szName[100];
    BYTE unique[16];
    int nScsiId = -5;
    std::memset(szName, 'x', sizeof(szName));
    std::memset(unique, 0xAA, sizeof(unique));
    EXPECT_EQ(1, m_Transport.GetPortDriverName(0, szManager, szName, unique, &nScsiId));
    EXPECT_STREQ("qzscsi", szName);
    EXPECT_STREQ("N/A", szManager);
    EXPECT_EQ(7, nScsiId);
    for (BYTE b : unique)
        EXPECT_EQ(0, b);

    std::memset(szName, 'x', sizeof(szName));
    nScsiId = -5;
    EXPECT_EQ(1, m_Transport.GetPortDriverName(1, szManager, szName, unique, &nScsiId));
    EXPECT_STREQ("", szName);
    EXPECT_EQ(-5, nScsiId);

    m_Transport.m_nAccessMode = kAccessModeNone;
    std::memset(szName, 'x', sizeof(szName));
    EXPECT_EQ(0, m_Transport.GetPortDriverName(0, szManager, szName, unique, &nScsiId));
    EXPECT_STREQ("", szName);
}

// "Driver" of the device map: "Unknown" when the port key has no such value, at most 99 characters and a
// terminator whatever the value holds; the buffer is left alone when the port key is missing.
TEST_F(PortBusTypes, DeviceMapDriverValue)
{
    char szOut[100];
    std::strcpy(szOut, "untouched");
    EXPECT_STREQ("untouched", CScsiTransport::ReadPortDriverFromDeviceMap(9, szOut));

    RegCreateKeyFixture(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 9");
    EXPECT_STREQ("Unknown", CScsiTransport::ReadPortDriverFromDeviceMap(9, szOut));

    std::string longName(150, 'q');
    SetDeviceMapDriver(9, longName.c_str());
    std::memset(szOut, 'x', sizeof(szOut));
    EXPECT_EQ(longName.substr(0, 99), std::string(CScsiTransport::ReadPortDriverFromDeviceMap(9, szOut)));

    const BYTE binary[] = {'a', 't', 'a', 'p', 'i'}; // not a string and not terminated
    RegSetBinaryFixture(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 9", "Driver", binary, sizeof(binary));
    EXPECT_STREQ("atapi", CScsiTransport::ReadPortDriverFromDeviceMap(9, szOut));
}

// The first storage-port interface of an enumerator, asked for its SCSI address; an interface that does not
// answer, cannot be opened or is of another class gives -1.
TEST_F(PortBusTypes, StoragePortAddressOfAnEnumerator)
{
    int nDrive = m_pMachine->AddDrive("KORVATH", "CD-R   QZ5224U", "1.02");
    m_pMachine->SetLetter(5, DRIVE_CDROM, nDrive);
    m_pMachine->SetLetterAddress(5, 3, 0, 2, 1);
    m_pMachine->SetLetter(6, DRIVE_CDROM, nDrive);
    CFakeDeviceTree tree;
    tree.AddInterface(kGuidStoragePortInterface, "USBSTOR", "\\\\.\\F:");
    tree.AddInterface(kGuidStoragePortInterface, "USBSTOR", "\\\\.\\G:");
    tree.AddInterface(kGuidStoragePortInterface, "SBP2", "\\\\.\\G:");
    tree.AddInterface(kGuidStoragePortInterface, "SCSI", "\\\\.\\H:");
    tree.AddInterface(kGuidUsb, "IDE", "\\\\.\\F:");
    tree.Install();

    SCSI_ADDRESS address;
    std::memset(&address, 0xEE, sizeof(address));
    EXPECT_EQ(3, CScsiTransport::GetStoragePortAddress("usbstor", &address));
    EXPECT_EQ(3, address.PortNumber);
    EXPECT_EQ(0, address.PathId);
    EXPECT_EQ(2, address.TargetId);
    EXPECT_EQ(1, address.Lun);
    EXPECT_EQ(-1, CScsiTransport::GetStoragePortAddress("SBP2", &address));
    EXPECT_EQ(-1, CScsiTransport::GetStoragePortAddress("SCSI"));
    EXPECT_EQ(-1, CScsiTransport::GetStoragePortAddress("IDE"));
    EXPECT_EQ(3, address.PortNumber);
    EXPECT_EQ(0, tree.m_nOpenLists);
    EXPECT_EQ(0, m_pMachine->GetOpenHandleCount());
    tree.Remove();
}

namespace {

const char kHdcDriver[] = "{4D36E96A-E325-11CE-BFC1-08002BE10318}\\";

class DeviceClassBusTypes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearNtFixtures();
        RegSetStringFixture(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\PCIIDE\\IDEChannel\\4&2c2e5c2&0&0",
                            "Driver", (std::string(kHdcDriver) + "0001").c_str());
        RegSetStringFixture(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\PCIIDE\\IDEChannel\\4&2c2e5c2&0&1",
                            "Driver", (std::string(kHdcDriver) + "0002").c_str());
        // An empty "Driver" value would be contained in every driver key: it is passed over.
        RegSetStringFixture(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\PCIIDE\\IDEChannel\\4&2c2e5c2&0&2",
                            "Driver", "");
    }

    void TearDown() override { m_Tree.Remove(); }

    CFakeDeviceTree m_Tree;
};

} // namespace

// Windows 2000/XP: the class that holds the port driver as a device's service decides; an IDE channel (driver
// key of a PCIIDE\IDEChannel instance) is 0, an ATA or Serial ATA controller 1 or 2 by its description, wherever
// it is found.
TEST_F(DeviceClassBusTypes, Nt5MethodByDeviceClass)
{
    m_Tree.AddDevice(kGuidScsiAdapter, {"PCI\\VEN_1AF4&DEV_7A31\\3&1&0&58", "qzsata", "{4D36E97B}\\0000",
                                        "QZ Serial ATA Storage Controller"});
    m_Tree.AddDevice(kGuidScsiAdapter,
                     {"PCI\\VEN_1AF4&DEV_7A32\\3&1&0&59", "qzpata", "{4D36E97B}\\0001", "QZ Ultra ATA-133 Controller"});
    m_Tree.AddDevice(kGuidScsiAdapter,
                     {"PCI\\VEN_1AF4&DEV_7A33\\3&1&0&5A", "qzs-ata", "{4D36E97B}\\0002", "QZ S-ATA II RAID"});
    m_Tree.AddDevice(kGuidScsiAdapter,
                     {"PCI\\VEN_1AF4&DEV_5C10\\3&1&0&60", "qzscsi", "{4D36E97B}\\0003", "QZ Fast SCSI Host Adapter"});
    m_Tree.AddDevice(kGuidUsb,
                     {"USB\\VID_0BDA&PID_9210\\QZ0001", "usbstor", "{36FC9E60}\\0001", "USB Mass Storage Device"});
    m_Tree.AddDevice(kGuid1394, {"PCI\\VEN_104C&DEV_8023\\3&1&0&70", "ohci1394", "{6BDD1FC1}\\0000",
                                 "QZ OHCI Compliant IEEE 1394 Host Controller"});
    m_Tree.AddDevice(kGuidHdc, {"PCI\\VEN_8086&DEV_7111\\3&1&0&39", "intelide", std::string(kHdcDriver) + "0000",
                                "Standard Dual Channel PCI IDE Controller"});
    m_Tree.AddDevice(kGuidHdc, {"PCIIDE\\IDECHANNEL\\4&2C2E5C2&0&1", "atapi", std::string(kHdcDriver) + "0002",
                                "Secondary IDE Channel"});
    m_Tree.AddDevice(kGuidHdc, {"PCI\\VEN_1AF4&DEV_0001\\3&1&0&41", "qzhdc", std::string(kHdcDriver) + "0005",
                                "QZ Storage Controller"});
    m_Tree.Install();

    struct Case {
        const char* pszPortDriver;
        int nExpected;
    };
    const Case kCases[] = {
        {"qzsata", kBusTypeSerialAta}, {"QZPATA", kBusTypeAta},   {"qzs-ata", kBusTypeSerialAta},
        {"qzscsi", kBusTypeScsi},      {"usbstor", kBusTypeUsb},  {"ohci1394", kBusType1394},
        {"atapi", kBusTypeIdeChannel}, {"intelide", kBusTypeAta}, // "Standard Dual Channel PCI IDE Controller": not a channel, but "ide"
        {"qzhdc", kBusTypeIdeChannel},                            // found in the hard-disk-controller class
        {"ghostprt", kBusTypeNoClass}, {"", kBusTypeSerialAta}, // an empty name is in every service name: the first device decides
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.pszPortDriver);
        EXPECT_EQ(c.nExpected, CScsiTransport::ClassifyPortByDeviceClass(c.pszPortDriver));
    }
    EXPECT_EQ(0, m_Tree.m_nOpenLists);
}

// A device whose properties cannot be read ends the search in its class; a class whose device list cannot be
// made answers 0 at once.
TEST_F(DeviceClassBusTypes, UnreadableDevicesAndClasses)
{
    FakeClassDevice broken = {"PCI\\VEN_1AF4&DEV_0BAD\\3&1&0&10", "qzbroken", "{4D36E97B}\\0000", "?"};
    broken.bPropertiesUnreadable = true;
    m_Tree.AddDevice(kGuidScsiAdapter, broken);
    m_Tree.AddDevice(kGuidScsiAdapter,
                     {"PCI\\VEN_1AF4&DEV_5C10\\3&1&0&60", "qzscsi", "{4D36E97B}\\0001", "QZ Fast SCSI Host Adapter"});
    m_Tree.Install();
    EXPECT_EQ(kBusTypeNoClass, CScsiTransport::ClassifyPortByDeviceClass("qzscsi"));
    m_Tree.Remove();

    CFakeDeviceTree failing;
    failing.SetClassListFails(kGuidScsiAdapter);
    failing.AddDevice(kGuidUsb,
                      {"USB\\VID_0BDA&PID_9210\\QZ0001", "usbstor", "{36FC9E60}\\0001", "USB Mass Storage Device"});
    failing.Install();
    EXPECT_EQ(kBusTypeIdeChannel, CScsiTransport::ClassifyPortByDeviceClass("usbstor"));
    EXPECT_EQ(0, failing.m_nOpenLists);
    failing.Remove();
}

// The MountedDevices pass lists the children of every present device of a class; a device whose node cannot be
// re-enumerated ends the walk.
TEST_F(DeviceClassBusTypes, ClassChildIds)
{
    m_Tree.AddDevice(kGuidUsb, {"USB\\ROOT_HUB\\4&1&0",
                                "usbhub",
                                "{36FC9E60}\\0000",
                                "USB Root Hub",
                                {"USB\\VID_0BDA&PID_9210\\QZ0001", "USB\\VID_0BDA&PID_9211\\QZ0002"}});
    m_Tree.AddDevice(kGuidUsb, {"USB\\VID_0BDA&PID_9210\\QZ0001",
                                "usbstor",
                                "{36FC9E60}\\0001",
                                "USB Mass Storage Device",
                                {"USBSTOR\\CDROM&VEN_KORVATH\\QZ0001&0"}});
    FakeClassDevice stuck = {"USB\\VID_0BDA&PID_9211\\QZ0002",
                             "usbstor",
                             "{36FC9E60}\\0002",
                             "USB Mass Storage Device",
                             {"USBSTOR\\CDROM&VEN_QZTECH\\QZ0002&0"}};
    stuck.bReenumerateFails = true;
    m_Tree.AddDevice(kGuidUsb, stuck);
    m_Tree.AddDevice(kGuidUsb, {"USB\\VID_0BDA&PID_9212\\QZ0003",
                                "usbstor",
                                "{36FC9E60}\\0003",
                                "USB Mass Storage Device",
                                {"USBSTOR\\DISK&VEN_QZDISK\\QZ0003&0"}});
    m_Tree.Install();

    CScsiTransport transport;
    CStringArray ids;
    EXPECT_EQ(1, transport.CollectClassChildIds(kGuidUsb, ids));
    ASSERT_EQ(3, ids.GetSize());
    EXPECT_STREQ("USB\\VID_0BDA&PID_9210\\QZ0001", ids[0]);
    EXPECT_STREQ("USB\\VID_0BDA&PID_9211\\QZ0002", ids[1]);
    EXPECT_STREQ("USBSTOR\\CDROM&VEN_KORVATH\\QZ0001&0", ids[2]);
    EXPECT_EQ(1, transport.CollectClassChildIds(kGuidSbp2, ids));
    EXPECT_EQ(3, ids.GetSize());
    EXPECT_EQ(0, m_Tree.m_nOpenLists);
}

// The system's SetupAPI and device paths under Wine: no device of these classes, no drive; nothing is found and
// nothing crashes.
TEST(SystemInterfaces, NothingFoundUnderWine)
{
    CScsiTransport transport;
    CStringArray ids;
    EXPECT_EQ(1, transport.CollectClassChildIds(kGuidSbp2, ids));
    EXPECT_EQ(0, ids.GetSize());
    int nAnswer = CScsiTransport::ClassifyPortByDeviceClass("qzghostport");
    EXPECT_TRUE(nAnswer == kBusTypeNoClass || nAnswer == kBusTypeIdeChannel) << nAnswer;

    EXPECT_EQ(kAccessModeNone, transport.InitSpti());
    EXPECT_EQ(0, transport.m_Adapters.GetSize());
    EXPECT_EQ(-1, CScsiTransport::GetStoragePortAddress("QZGHOSTBUS"));
}
