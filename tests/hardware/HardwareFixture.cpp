// tests/hardware/HardwareFixture.cpp
#include "HardwareFixture.h"

#include "Emu.h"
#include "EmuDescription.h"
#include "EmuProfiles.h"

namespace hardware_test {

std::string SystemDirectory()
{
    char szPath[MAX_PATH];
    UINT n = GetSystemDirectoryA(szPath, MAX_PATH);
    return std::string(szPath, n);
}

namespace {

enum {
    kLetterE = 4,
    kLetterF = 5,
    kLetterG = 6,
    kLetterH = 7,
    kLetterI = 8
};
const char kScsiClassGuid[] = "{4D36E97B-E325-11CE-BFC1-08002BE10318}";
const char kCdromClassGuid[] = "{4D36E965-E325-11CE-BFC1-08002BE10318}";

// The maker's ATAPI CD writer with a CD and a hard disk on the primary IDE channel (port 0), another maker's DVD
// writer on the secondary channel (port 1), the maker's DVD writer of the four-family group with a DVD-R and a
// Stratafit database and the maker's older CD-ROM drive on a SCSI adapter (port 2, targets 3 and 5), and the
// maker's DVD-ROM drive with a DVD behind the USB storage port (port 3).
const char kMachineDescription[] =
    "drive atapi-cd-writer letter E port 0:0:0:0\n"
    "disc cd 333000\n"
    "drive \"QZDISK\" \"QZ-HD80\" \"1.0\" letter M port 0:0:1:0\n"
    "bytes inquiry 00 00 02 02 1F 00 00 00 51 5A 44 49 53 4B 20 20 51 5A 2D 48 44 38 30 20 20 20 20 20 20 20 20 20"
    " 31 2E 30 20\n"
    "drive other-dvd-writer letter F port 1:0:0:0\n"
    "drive four-family-dvd-writer letter G port 2:0:3:0\n"
    "disc dvd-r code \"FIXTUR\" \"R08X01\"\n"
    "bytes stratafit.state 00 06 01 00 00 00 00 00\n"
    "bytes stratafit.db 00 47 00 00 00 00 02 00 00"
    " A0 52 49 43 4F 48 4A 50 4E 52 30 32 03 00 01 00 2A 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    " 20 46 49 58 54 55 52 00 00 00 00 00 00 00 00 00 13 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "drive scsi-cdrom letter I port 2:0:5:0\n"
    "disc cd 333000\n"
    "drive vendor-dvd-rom letter H port 3:0:0:0\n"
    "disc dvd-rom 2295104\n";

void CopyDriverFile(const std::string& folder, const char* pszName)
{
    std::string target = SystemDirectory() + "\\" + folder;
    CreateDirectoryA(target.c_str(), nullptr);
    char szModule[MAX_PATH];
    GetModuleFileNameA(nullptr, szModule, MAX_PATH);
    std::string source(szModule);
    source = source.substr(0, source.rfind('\\') + 1) + "fixture_port_driver.dll";
    ASSERT_TRUE(CopyFileA(source.c_str(), (target + "\\" + pszName).c_str(), FALSE)) << source;
}

void WriteXpRegistry()
{
    SetDeviceMapDriver(0, "atapi");
    SetDeviceMapDriver(1, "atapi");
    SetDeviceMapDriver(2, "qzscsi");
    SetDeviceMapDriver(3, "usbstor");
    const char kService[] = "SYSTEM\\CurrentControlSet\\Services\\atapi";
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kService, "ImagePath", "System32\\DRIVERS\\atapi.sys");
    std::string enumKey = std::string(kService) + "\\Enum";
    WriteRegistryKey(HKEY_LOCAL_MACHINE, enumKey, {Dword("Count", 2)});
    RegSetStringFixture(HKEY_LOCAL_MACHINE, enumKey.c_str(), "0",
                        (std::string("PCIIDE\\IDEChannel\\") + kPrimaryChannel).c_str());
    RegSetStringFixture(HKEY_LOCAL_MACHINE, enumKey.c_str(), "1",
                        (std::string("PCIIDE\\IDEChannel\\") + kSecondaryChannel).c_str());
    struct Channel {
        const char* pszInstance;
        const char* pszDescription;
        const char* pszPrefix;
        const char* pszClassInstance;
    };
    const Channel kChannels[] = {{kPrimaryChannel, "Primary IDE Channel", "5&1b2c3d4e&0", "0001"},
                                 {kSecondaryChannel, "Secondary IDE Channel", "5&3c4d5e6f&0", "0002"}};
    for (const Channel& channel : kChannels) {
        std::string key = std::string("SYSTEM\\CurrentControlSet\\Enum\\PCIIDE\\IDEChannel\\") + channel.pszInstance;
        RegSetStringFixture(HKEY_LOCAL_MACHINE, key.c_str(), "DeviceDesc", channel.pszDescription);
        RegSetStringFixture(HKEY_LOCAL_MACHINE, key.c_str(), "ClassGUID", kIdeClassGuid);
        RegSetStringFixture(HKEY_LOCAL_MACHINE, key.c_str(), "ParentIdPrefix", channel.pszPrefix);
        RegSetStringFixture(HKEY_LOCAL_MACHINE, key.c_str(), "Driver",
                            (std::string(kIdeClassGuid) + "\\" + channel.pszClassInstance).c_str());
        RegCreateKeyFixture(HKEY_LOCAL_MACHINE,
                            (std::string(kChannelControlKey) + "\\" + channel.pszClassInstance).c_str());
    }
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kChannelControlKey, "", "IDE ATA/ATAPI controllers");
    const char kIdeName[] = "CdRomKORVATH_CD-R___QZ4120___________________1.06____";
    RegCreateKeyFixture(
        HKEY_LOCAL_MACHINE,
        (std::string("SYSTEM\\CurrentControlSet\\Enum\\IDE\\") + kIdeName + "\\5&1b2c3d4e&0&0.0.0").c_str());
    const char kScsiService[] = "SYSTEM\\CurrentControlSet\\Services\\qzscsi";
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kScsiService, "ImagePath", "System32\\DRIVERS\\qzscsi.sys");
    std::string scsiEnum = std::string(kScsiService) + "\\Enum";
    WriteRegistryKey(HKEY_LOCAL_MACHINE, scsiEnum, {Dword("Count", 1)});
    RegSetStringFixture(HKEY_LOCAL_MACHINE, scsiEnum.c_str(), "0",
                        "PCI\\VEN_1AF4&DEV_5C10&SUBSYS_00000000&REV_01\\3&61aaa01&0&60");
    const char kScsiAdapter[] =
        "SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1AF4&DEV_5C10&SUBSYS_00000000&REV_01\\3&61aaa01&0&60";
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kScsiAdapter, "DeviceDesc", "QZ Fast SCSI Host Adapter");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kScsiAdapter, "ClassGUID", kScsiClassGuid);
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kScsiAdapter, "ParentIdPrefix", "4&1f2e3d4c&0");
    RegSetStringFixture(HKEY_LOCAL_MACHINE,
                        (std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") + kScsiClassGuid).c_str(), "",
                        "SCSI and RAID controllers");
    SetMountedDevice(kLetterG, "\\??\\SCSI#CdRom&Ven_KORVATH&Prod_DVDR___QZ7160#4&1f2e3d4c&0&030#"
                               "{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}");
    SetMountedDevice(kLetterI, "\\??\\SCSI#CdRom&Ven_KORVATH&Prod_CDROM__QZ1240#4&1f2e3d4c&0&050#"
                               "{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}");
    const char kUsbDevice[] = "CdRom&Ven_KORVATH&Prod_DVD____QZ8080&Rev_1.03";
    const char kUsbService[] = "SYSTEM\\CurrentControlSet\\Services\\USBSTOR";
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kUsbService, "ImagePath", "System32\\DRIVERS\\USBSTOR.SYS");
    std::string usbEnum = std::string(kUsbService) + "\\Enum";
    WriteRegistryKey(HKEY_LOCAL_MACHINE, usbEnum, {Dword("Count", 1)});
    RegSetStringFixture(HKEY_LOCAL_MACHINE, usbEnum.c_str(), "0",
                        (std::string("USBSTOR\\") + kUsbDevice + "\\QZ0003&0").c_str());
    const std::string usbKey = std::string("SYSTEM\\CurrentControlSet\\Enum\\USBSTOR\\") + kUsbDevice + "\\QZ0003&0";
    RegSetStringFixture(HKEY_LOCAL_MACHINE, usbKey.c_str(), "DeviceDesc", "KORVATH DVD QZ8080 USB Device");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, usbKey.c_str(), "ClassGUID", kCdromClassGuid);
    RegSetStringFixture(HKEY_LOCAL_MACHINE,
                        (std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") + kCdromClassGuid).c_str(), "",
                        "DVD/CD-ROM drives");
    SetMountedDevice(
        kLetterH,
        (std::string("\\??\\USBSTOR#") + kUsbDevice + "#QZ0003&0#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}").c_str());
    SetMountedDevice(
        kLetterE,
        (std::string("\\??\\IDE#") + kIdeName + "#5&1b2c3d4e&0&0.0.0#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}").c_str());
}

void WriteWin98Registry()
{
    RegSetStringFixture(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A1B20", "HardWareKey", kWin98HardwareKey);
    RegSetStringFixture(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A1B48", "HardWareKey", "PCI\\VEN_8086&DEV_7111");
    const char kController[] = "Enum\\PCI\\VEN_8086&DEV_7111&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_01";
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kController, "DeviceDesc", "QZ PCI Bus Master IDE Controller");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kController, "Driver", "hdc\\0000");
    const char kClass[] = "System\\CurrentControlSet\\Services\\Class\\hdc";
    RegSetStringFixture(HKEY_LOCAL_MACHINE, kClass, "", "Hard disk controllers");
    std::string instance = std::string(kClass) + "\\0000";
    RegSetStringFixture(HKEY_LOCAL_MACHINE, instance.c_str(), "PortDriver", "QZIDE.PDR");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, instance.c_str(), "DriverDate", " 4-23-1999");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, instance.c_str(), "ProviderName", "Quazar Storage Corp.");
}

} // namespace

void HardwareMachine::SetUp()
{
    m_pMachine = StartNtEmulatedMachine();
    EmuDescription description;
    std::string error;
    ASSERT_TRUE(EmuParseDescription(kMachineDescription, m_pMachine, description, error)) << error;
    const char kHdcClass[] = "{4D36E96A-E325-11CE-BFC1-08002BE10318}\\";
    m_Tree.AddDevice(kGuidHdc, {"PCIIDE\\IDECHANNEL\\4&2C2E5C2&0&0",
                                "atapi",
                                std::string(kHdcClass) + "0001",
                                "Primary IDE Channel",
                                {"IDE\\CDROMKORVATH\\5&1B2C3D4E&0&0.0.0"}});
    m_Tree.AddDevice(kGuidHdc, {"PCIIDE\\IDECHANNEL\\4&2C2E5C2&0&1",
                                "atapi",
                                std::string(kHdcClass) + "0002",
                                "Secondary IDE Channel",
                                {"IDE\\CDROMVELDARO\\5&3C4D5E6F&0&0.0.0"}});
    m_Tree.AddDevice(kGuidScsiAdapter, {"PCI\\VEN_1AF4&DEV_5C10&SUBSYS_00000000&REV_01\\3&61AAA01&0&60", "qzscsi",
                                        "{4D36E97B-E325-11CE-BFC1-08002BE10318}\\0001", "QZ Fast SCSI Host Adapter"});
    m_Tree.AddDevice(kGuidUsb, {"USB\\VID_0BDA&PID_9212\\QZ0003",
                                "usbstor",
                                "{36FC9E60-C465-11CF-8056-444553540000}\\0003",
                                "USB Mass Storage Device",
                                {"USBSTOR\\CDROM&VEN_KORVATH&PROD_DVD____QZ8080&REV_1.03\\QZ0003&0"}});
    m_Tree.Install();
    WriteXpRegistry();
    WriteWin98Registry();
    CopyDriverFile("drivers", "atapi.sys");
    CopyDriverFile("drivers", "qzscsi.sys");
    CopyDriverFile("drivers", "USBSTOR.SYS");
    CopyDriverFile("iosubsys", "QZIDE.PDR");
    ASSERT_EQ(kAccessModeSpti, m_Manager.InitSpti());
    ASSERT_EQ(4, m_Manager.m_Adapters.GetSize()) << DescribeAdapters(m_Manager.m_Adapters);
    m_pPrevious = g_pDriveManager;
    g_pDriveManager = &m_Manager;
}

void HardwareMachine::TearDown()
{
    g_pDriveManager = m_pPrevious;
    m_Manager.Close();
    m_Tree.Remove();
    EmuRemoveDeviceIo();
}

CDeviceRecord HardwareMachine::Record(char chLetter)
{
    return m_Manager.GetDriveByLetter(chLetter - 'A');
}

} // namespace hardware_test
