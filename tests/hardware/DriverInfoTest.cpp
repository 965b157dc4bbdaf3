// tests/hardware/DriverInfoTest.cpp
// The driver information of each host adapter and the per-drive registry settings on the emulated machine, read
// as Windows XP, as Windows NT 4.0 and as Windows 98 (the version pinned in-process), with the cases that show
// the readers' rules: which adapter finds the maker's drive, master and slave timing values, missing values, the
// port of a second adapter, a Config Manager entry without its Enum\SCSI key.
#include "HardwareFixture.h"

#include "framework/Registry.h"
#include "framework/VersionResource.h"
#include "report/DriverInfo.h"
#include "support/PinnedWindowsVersion.h"
#include "support/TestFiles.h"

#include <cstring>

using namespace hardware_test;
using testsupport::PinnedWindowsVersion;

namespace {

const char kPortDriverDescription[] = "IDE/ATAPI Port Driver (Quazar Storage Corp.)";
const char kPortDriverVersion[] = "5.1.2600.2180";

CDriverInfo Collect(int nAdapter)
{
    CDriverInfo info;
    info.SetDriveIndex(BYTE(nAdapter));
    info.Collect();
    return info;
}

std::string Lower(std::string text)
{
    for (char& ch : text)
        ch = char(tolower(static_cast<unsigned char>(ch)));
    return text;
}

} // namespace

// --- Driver information -------------------------------------------------------------------------------------------

TEST_F(HardwareMachine, XpAdapterWithTheMakersDriveNamesItsChannel)
{
    CDriverInfo info = Collect(0);
    EXPECT_STREQ("Primary IDE Channel", info.m_szDeviceDescription);
    EXPECT_STREQ("IDE ATA/ATAPI controllers", info.m_szType);
    EXPECT_STREQ("atapi.sys", info.m_szPortDriver);
    EXPECT_EQ(Lower(SystemDirectory() + "\\drivers\\atapi.sys"), Lower(info.m_szLocation));
    EXPECT_STREQ(kPortDriverVersion, info.m_szVersion);
    EXPECT_STREQ(kPortDriverDescription, info.m_szDriverDescription);
    EXPECT_STREQ("", info.m_szProvider);
    EXPECT_STREQ("", info.m_szDate);
    EXPECT_EQ(0, info.m_nMaxTargets);
}

TEST_F(HardwareMachine, XpAdapterWithoutTheMakersDriveKnowsOnlyItsPortDriver)
{
    CDriverInfo info = Collect(1);
    EXPECT_STREQ("", info.m_szDeviceDescription);
    EXPECT_STREQ("", info.m_szType);
    EXPECT_STREQ("atapi.sys", info.m_szPortDriver);
    EXPECT_STREQ(kPortDriverVersion, info.m_szVersion);
    EXPECT_STREQ(kPortDriverDescription, info.m_szDriverDescription);
    EXPECT_EQ(0, info.m_nAdapterScsiId);
    EXPECT_EQ(0, info.m_nMaxTargets);
}

TEST_F(HardwareMachine, VistaTakesTheWayOfWindowsXp)
{
    PinnedWindowsVersion vista(VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2");
    CDriverInfo info = Collect(0);
    EXPECT_STREQ("Primary IDE Channel", info.m_szDeviceDescription);
    EXPECT_STREQ("atapi.sys", info.m_szPortDriver);
}

TEST_F(HardwareMachine, ImagePathWithAFolderInFrontFindsNoFile)
{
    RegSetStringFixture(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\atapi", "ImagePath",
                        "\\SystemRoot\\System32\\drivers\\atapi.sys");
    CDriverInfo info = Collect(1);
    RegSetStringFixture(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\atapi", "ImagePath",
                        "System32\\DRIVERS\\atapi.sys");
    EXPECT_STREQ("System32\\drivers\\at", info.m_szPortDriver); // cut to 19 characters
    EXPECT_STREQ("", info.m_szLocation);
    EXPECT_STREQ("", info.m_szVersion);
    EXPECT_STREQ("", info.m_szDriverDescription);
}

TEST_F(HardwareMachine, Nt4CompletesThePortDriverFromTheFile)
{
    PinnedWindowsVersion nt4(VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6a");
    CDriverInfo info = Collect(0);
    EXPECT_STREQ("atapi.sys", info.m_szPortDriver);
    EXPECT_EQ(Lower(SystemDirectory() + "\\drivers\\atapi.sys"), Lower(info.m_szLocation));
    EXPECT_STREQ(kPortDriverVersion, info.m_szVersion);
    EXPECT_STREQ("", info.m_szDeviceDescription);
    EXPECT_STREQ("", info.m_szType);
}

TEST_F(HardwareMachine, Win98ReadsTheParentControllerAndItsClass)
{
    PinnedWindowsVersion win98(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A ");
    CDriverInfo info = Collect(0);
    EXPECT_STREQ("QZ PCI Bus Master IDE Controller", info.m_szDeviceDescription);
    EXPECT_STREQ("Hard disk controllers", info.m_szType);
    EXPECT_STREQ("QZIDE.PDR", info.m_szPortDriver);
    EXPECT_STREQ("Quazar Storage Corp.", info.m_szProvider);
    EXPECT_STREQ(" 4-23-1999", info.m_szDate);
    EXPECT_EQ(Lower(SystemDirectory() + "\\iosubsys\\QZIDE.PDR"), Lower(info.m_szLocation));
    EXPECT_STREQ(kPortDriverVersion, info.m_szVersion);
}

TEST_F(HardwareMachine, Win98AdapterWithoutTheMakersDriveHasNoDriverLines)
{
    PinnedWindowsVersion win98(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A ");
    CDriverInfo info = Collect(1);
    EXPECT_STREQ("", info.m_szDeviceDescription);
    EXPECT_STREQ("", info.m_szPortDriver);
    EXPECT_STREQ("", info.m_szLocation);
}

TEST_F(HardwareMachine, FindsTheLetterOfTheMakersDriveOnly)
{
    CDriverInfo info;
    info.SetDriveIndex(0);
    EXPECT_EQ('E' - 'A', info.FindDriveLetter());
    info.SetDriveIndex(1);
    EXPECT_EQ(int(CDriverInfo::kNoDriveLetter), info.FindDriveLetter());
    info.SetDriveIndex(7); // no such adapter
    EXPECT_EQ(int(CDriverInfo::kNoDriveLetter), info.FindDriveLetter());
}

// Two targets of adapter 2 hold drives of the maker, the DVD writer on target 3 and the CD-ROM drive on target 5:
// the letter of the higher target is used.
TEST_F(HardwareMachine, OfTwoMakersDrivesOnOneAdapterTheHigherTargetWins)
{
    ASSERT_EQ(3, Record('G').m_nTarget);
    ASSERT_EQ(5, Record('I').m_nTarget);
    CDriverInfo info;
    info.SetDriveIndex(2);
    EXPECT_EQ('I' - 'A', info.FindDriveLetter());
}

// On Windows 98 the Config Manager entry of a USB drive matches by its hardware key naming "USB" or "TPPIOSTB",
// whatever its target digit; an entry naming neither does not match even with the drive's target digit.
TEST_F(HardwareMachine, Win98UsbDriveMatchesItsBridgesEntry)
{
    PinnedWindowsVersion win98(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A ");
    ASSERT_EQ(kBusTypeUsb, Record('H').m_nBusType);
    ASSERT_EQ(0, Record('H').m_nTarget);
    const char kEntry[] = "Config Manager\\Enum\\C29A1C00";
    struct Case {
        const char* pszHardwareKey; // the target digit is the character before the last
        const char* pszEnumKey;
        const char* pszDescription; // the description the report shows
    } const kCases[] = {
        {"SCSI\\KORVATH_DVD____QZ8080___\\USB&VID_0BDA&PID_9212&QZ000350", "Enum\\USB\\VID_0BDA&PID_9212\\QZ0003",
         "QZ USB 2.0 Storage Bridge"},
        {"SCSI\\KORVATH_DVD____QZ8080___\\TPPIOSTB&PORT_0378&LPT1&0050", "Enum\\TPPIOSTB\\PORT_0378&LPT1\\00",
         "QZ Parallel Port Bridge"},
        {"SCSI\\KORVATH_DVD____QZ8080___\\PCI&VEN_8086&DEV_7112&SUBSYS_00000000&REV_01&BUS_00&DEV_07&FUNC_0200",
         "Enum\\PCI\\VEN_8086&DEV_7112&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_02", ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.pszHardwareKey);
        RegSetStringFixture(HKEY_DYN_DATA, kEntry, "HardWareKey", c.pszHardwareKey);
        RegSetStringFixture(HKEY_LOCAL_MACHINE, c.pszEnumKey, "DeviceDesc",
                            c.pszDescription[0] != '\0' ? c.pszDescription : "QZ PCI IDE Controller");
        CDriverInfo info = Collect(3);
        RegDeleteTreeFixture(HKEY_DYN_DATA, kEntry);
        RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, c.pszEnumKey);
        EXPECT_STREQ(c.pszDescription, info.m_szDeviceDescription);
    }
}

TEST_F(HardwareMachine, MountedDeviceParts)
{
    char szEnumerator[50], szInstance[50];
    CDriverInfo::ReadMountedDevice('E' - 'A', szEnumerator, szInstance);
    EXPECT_STREQ("IDE", szEnumerator);
    EXPECT_STREQ("5&1b2c3d4e&0&0.0.0", szInstance);
    SetMountedDevice('Q' - 'A', "\\??\\USBSTOR#CdRom");
    CDriverInfo::ReadMountedDevice('Q' - 'A', szEnumerator, szInstance);
    EXPECT_STREQ("USBSTOR", szEnumerator);
    EXPECT_STREQ("", szInstance);
    CDriverInfo::ReadMountedDevice('Z' - 'A', szEnumerator, szInstance);
    EXPECT_STREQ("", szEnumerator);
}

TEST(ParseDeviceIdString, SplitsTheParentOfAWin98HardwareKey)
{
    struct Case {
        const char* pszRest;
        const char* pszEnumerator;
        const char* pszDeviceId;
        const char* pszInstance;
    };
    const Case kCases[] = {
        {"PCI&VEN_8086&DEV_7111&SUBSYS_00000000&REV_01&BUS_00&DEV_07&FUNC_0100", "PCI",
         "VEN_8086&DEV_7111&SUBSYS_00000000&REV_01", "BUS_00&DEV_07&FUNC_01"},
        {"MF&CHILD0001&PCI&VEN_1&BUS_02", "MF", "CHILD0001", "PCI&VEN_1&BUS_"},
        {"ROOT&SCSIADAPTER&000000", "ROOT", "SCSIADAPTER", "0000"}, // two '&': one field
        {"ROOT&QZSCSI&0000&0100", "ROOT", "QZSCSI&0000", "01"},     // three '&': two fields
        {"ESDI&PRIMARY00", "ESDI", "PRIMARY", ""},                  // one '&': the rest
        {"ROOT00", "ROOT", "", ""},
    };
    for (const Case& c : kCases) {
        std::string key = std::string("SCSI\\KORVATH_CD-R___QZ4120___\\") + c.pszRest;
        char e[100], d[100], i[100];
        ParseDeviceIdString(key.c_str(), e, d, i);
        EXPECT_STREQ(c.pszEnumerator, e) << c.pszRest;
        EXPECT_STREQ(c.pszDeviceId, d) << c.pszRest;
        EXPECT_STREQ(c.pszInstance, i) << c.pszRest;
    }
}

// --- Per-drive registry settings ----------------------------------------------------------------------------------

class DriveSettings : public HardwareMachine {
protected:
    void SetUp() override
    {
        HardwareMachine::SetUp();
        const std::string primary = std::string(kChannelControlKey) + "\\0001";
        for (const char* pszName : {"UserMasterDeviceTimingModeAllowed", "MasterDeviceTimingModeAllowed",
                                    "UserSlaveDeviceTimingModeAllowed", "SlaveDeviceTimingModeAllowed"})
            DeleteRegistryValue(HKEY_LOCAL_MACHINE, primary, pszName);
        DeleteRegistryValue(HKEY_LOCAL_MACHINE, kCdromKey, "Autorun");
        for (const char* pszPort : {kScsiPort0, kScsiPort1, kScsiPort2})
            DeleteRegistryValue(HKEY_LOCAL_MACHINE, pszPort, "DMAEnabled");
        RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, "Enum\\SCSI");
    }

    // Both outputs start at a value the readers never write.
    void Read(char chLetter, DWORD& nAutorun, DWORD& nDma)
    {
        nAutorun = 7;
        nDma = 7;
        CDeviceRecord record = Record(chLetter);
        m_Manager.ReadDriveRegistrySettings(record, &nAutorun, &nDma);
    }

    static constexpr const char* kCdromKey = "SYSTEM\\CurrentControlSet\\Services\\Cdrom";
    static constexpr const char* kScsiPort0 = "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0";
    static constexpr const char* kScsiPort1 = "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 1";
    static constexpr const char* kScsiPort2 = "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 2";
    const std::string m_primary = std::string(kChannelControlKey) + "\\0001";
};

TEST_F(DriveSettings, XpWithoutTimingValuesCountsAsDma)
{
    DWORD nAutorun, nDma;
    Read('E', nAutorun, nDma);
    EXPECT_EQ(1u, nDma);
    EXPECT_EQ(0u, nAutorun);
}

TEST_F(DriveSettings, XpMasterTimingValues)
{
    struct Case {
        DWORD user;  // 0: missing
        DWORD plain; // 0: missing
        DWORD nDma;
    };
    const Case kCases[] = {{0x1F, 0xFFFFFFFF, 0}, {0xFFFFFFFF, 0x1F, 1}, {0, 0x1F, 0}, {0, 0xFFFFFFFF, 1}};
    for (const Case& c : kCases) {
        DeleteRegistryValue(HKEY_LOCAL_MACHINE, m_primary, "UserMasterDeviceTimingModeAllowed");
        DeleteRegistryValue(HKEY_LOCAL_MACHINE, m_primary, "MasterDeviceTimingModeAllowed");
        if (c.user != 0)
            WriteRegistryKey(HKEY_LOCAL_MACHINE, m_primary, {Dword("UserMasterDeviceTimingModeAllowed", c.user)});
        if (c.plain != 0)
            WriteRegistryKey(HKEY_LOCAL_MACHINE, m_primary, {Dword("MasterDeviceTimingModeAllowed", c.plain)});
        DWORD nAutorun, nDma;
        Read('E', nAutorun, nDma);
        EXPECT_EQ(c.nDma, nDma) << std::hex << c.user << " " << c.plain;
    }
}

// A number is the first four bytes of the value, whatever its type, the lowest first; a shorter value gives the
// bytes it has. The timing mode counts as DMA when its low byte is 0xFF, the autorun switch when it is not 0.
TEST_F(DriveSettings, NumbersAreTheFirstFourBytesOfAnyValue)
{
    struct Case {
        DWORD nType;
        std::string bytes;
        DWORD nDma;
        DWORD nAutorun;
    };
    const Case kCases[] = {
        {REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4), 1, 1},
        {REG_DWORD, std::string("\x1F\0\0\0", 4), 0, 1},
        {REG_BINARY, std::string("\x1F\0\0\0", 4), 0, 1},
        {REG_BINARY, std::string("\xFF\0\0\0", 4), 1, 1},
        {REG_BINARY, std::string("\0\0\0\0\xFF\xFF\xFF\xFF", 8), 0, 0}, // bytes 4-7 are not the number
        {REG_BINARY, std::string("\x1F\0\0\0\x01", 5), 0, 1},
        {REG_BINARY, std::string("\xFF", 1), 1, 1},
        {REG_BINARY, std::string("\0\x01", 2), 0, 1},
        {REG_BINARY, std::string(), 0, 0},
        {REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\x1F", 4), 0, 1}, // read as stored: 0x1F000000
    };
    for (const Case& c : kCases) {
        WriteRegistryKey(HKEY_LOCAL_MACHINE, m_primary, {{"UserMasterDeviceTimingModeAllowed", c.nType, c.bytes}});
        WriteRegistryKey(HKEY_LOCAL_MACHINE, kCdromKey, {{"Autorun", c.nType, c.bytes}});
        DWORD nAutorun, nDma;
        Read('E', nAutorun, nDma);
        EXPECT_EQ(c.nDma, nDma) << "type " << c.nType << ", " << c.bytes.size() << " bytes";
        EXPECT_EQ(c.nAutorun, nAutorun) << "type " << c.nType << ", " << c.bytes.size() << " bytes";
    }
}

TEST_F(DriveSettings, XpAutorunIsReadForEveryDrive)
{
    WriteRegistryKey(HKEY_LOCAL_MACHINE, kCdromKey, {Dword("Autorun", 1)});
    DWORD nAutorun, nDma;
    Read('F', nAutorun, nDma);
    EXPECT_EQ(1u, nAutorun);
    EXPECT_EQ(0u, nDma) << "a drive of six-byte commands reads no timing mode";
}

// Each drive reads the "Scsi Port <n>" of its own adapter: the drive on adapter 2 reads port 2, not port 1.
TEST_F(DriveSettings, Nt4ReadsThePortOfTheDrivesAdapter)
{
    PinnedWindowsVersion nt4(VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6a");
    DWORD nAutorun, nDma;
    Read('E', nAutorun, nDma);
    EXPECT_EQ(0u, nAutorun);
    EXPECT_EQ(0u, nDma);
    WriteRegistryKey(HKEY_LOCAL_MACHINE, kScsiPort1, {Dword("DMAEnabled", 1)});
    Read('E', nAutorun, nDma);
    EXPECT_EQ(0u, nDma) << "port 0 has no DMAEnabled";
    Read('F', nAutorun, nDma);
    EXPECT_EQ(1u, nDma);
    EXPECT_EQ(0u, nAutorun);
    Read('G', nAutorun, nDma);
    EXPECT_EQ(0u, nDma) << "port 2 has no DMAEnabled";

    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kScsiPort1, "DMAEnabled");
    WriteRegistryKey(HKEY_LOCAL_MACHINE, kScsiPort2, {Dword("DMAEnabled", 1)});
    Read('G', nAutorun, nDma);
    EXPECT_EQ(1u, nDma);
    Read('F', nAutorun, nDma);
    EXPECT_EQ(0u, nDma) << "port 1 has no DMAEnabled";
}

TEST_F(DriveSettings, Win98ReadsTheDrivesScsiKey)
{
    PinnedWindowsVersion win98(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A ");
    DWORD nAutorun, nDma;
    Read('E', nAutorun, nDma);
    EXPECT_EQ(7u, nAutorun) << "no Enum\\SCSI key: the caller's values stay";
    EXPECT_EQ(7u, nDma);
    RegSetByteFixture(HKEY_LOCAL_MACHINE, kWin98ScsiKey, "AutoInsertNotification", 1);
    Read('E', nAutorun, nDma);
    EXPECT_EQ(1u, nAutorun);
    EXPECT_EQ(0u, nDma) << "a missing DMACurrentlyUsed reads 0";
    RegSetByteFixture(HKEY_LOCAL_MACHINE, kWin98ScsiKey, "DMACurrentlyUsed", 1);
    Read('E', nAutorun, nDma);
    EXPECT_EQ(1u, nDma);
}

TEST_F(DriveSettings, WritersSwitchWhatTheReadersRead)
{
    CDeviceRecord writer = Record('E');
    m_Manager.ApplyDmaSetting(writer, 0);
    m_Manager.ApplyAutorunSetting(writer, 1);
    DWORD nAutorun, nDma;
    Read('E', nAutorun, nDma);
    EXPECT_EQ(0u, nDma);
    EXPECT_EQ(1u, nAutorun);
    m_Manager.ApplyDmaSetting(writer, 1);
    m_Manager.ApplyAutorunSetting(writer, 0);
    Read('E', nAutorun, nDma);
    EXPECT_EQ(1u, nDma);
    EXPECT_EQ(0u, nAutorun);

    PinnedWindowsVersion win98(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A ");
    RegSetByteFixture(HKEY_LOCAL_MACHINE, kWin98ScsiKey, "AutoInsertNotification", 0);
    EXPECT_EQ(0, SetAutoInsertNotification("KORVATH_CD-R___QZ4120___",
                                           "PCI&VEN_8086&DEV_7111&SUBSYS_00000000&REV_01&BUS_00&DEV_07&FUNC_0100", 1));
    Read('E', nAutorun, nDma);
    EXPECT_EQ(1u, nAutorun);
}

TEST_F(DriveSettings, PortDriverFileVersions)
{
    CDeviceRecord writer = Record('E');
    char szVersion[kVersionTextSize], szDescription[kVersionTextSize], szCompany[kVersionTextSize];
    char szPath[MAX_PATH];
    ASSERT_TRUE(m_Manager.ReadDriverFileVersions(writer, szVersion, szDescription, szCompany, szPath));
    EXPECT_STREQ(kPortDriverVersion, szVersion);
    EXPECT_STREQ("Quazar Storage Corp.", szCompany);
    EXPECT_EQ(Lower(SystemDirectory() + "\\drivers\\atapi.sys"), Lower(szPath));
}

TEST(CreateDirectoryPath, CreatesEveryMissingLevel)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string base = std::string(szTemp) + "tavisk-dirpath";
    CreateDirectoryA(base.c_str(), nullptr);
    EXPECT_TRUE(CDriveManager::CreateDirectoryPath(base.c_str(), "one\\two\\three"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((base + "\\one\\two\\three").c_str()));
    EXPECT_TRUE(CDriveManager::CreateDirectoryPath(base.c_str(), "one\\two")); // present already
    EXPECT_FALSE(CDriveManager::CreateDirectoryPath((base + "\\missing\\deeper").c_str(), "x"));
    RemoveDirectoryA((base + "\\one\\two\\three").c_str());
    RemoveDirectoryA((base + "\\one\\two").c_str());
    RemoveDirectoryA((base + "\\one").c_str());
    RemoveDirectoryA(base.c_str());
}
