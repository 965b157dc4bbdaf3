// tests/drive/discovery/DriveRegistryKeysTest.cpp
// The registry keys Windows keeps for a drive: the controller description found from the drive's key under the
// IDE or SCSI enumerator, and the two places where Windows 9x keeps a drive's auto insert notification.
#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "support/DiscoveryFixtures.h"
#include "Emu.h"
#include "drive/DriveManager.h"
#include "drive/ModelTable.h"
#include "framework/Registry.h"

namespace {

const int kLetterE = 4;
const char kEnum[] = "SYSTEM\\CurrentControlSet\\Enum";
const char kHdc[] = "System\\CurrentControlSet\\Services\\Class\\hdc";

std::string Underscored(std::string text)
{
    for (char& ch : text) {
        if (ch == ' ')
            ch = '_';
    }
    return text;
}

class DriveRegistryKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pMachine = StartNtEmulatedMachine();
        RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, (std::string(kEnum) + "\\PCI\\VEN_1AF4&DEV_5C10").c_str());
        RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, (std::string(kEnum) + "\\PCI\\VEN_1AF4&DEV_7A31").c_str());
        m_Manager.m_nAccessMode = kAccessModeSpti;
    }

    void TearDown() override
    {
        m_Manager.Close();
        EmuRemoveDeviceIo();
    }

    // A KORVATH drive of the first table row with the wanted form that the model lookup finds as itself, on
    // letter E: behind an adapter that is asked through the letter. Returns the record. The SCSI search drops the
    // last two characters of the 16-character product text, so it finds the Windows key name (trailing blanks
    // cut) only for products of 14 characters or more.
    CDeviceRecord MakeDrive(bool bTenByteCommands, int nBusType, size_t nMinLength = 0)
    {
        const char* pszVendor = "KORVATH";
        const ModelRecord* pRow = nullptr;
        for (const ModelRecord& row : g_ModelTable) {
            size_t nLength = std::strlen(row.productId);
            if (bool(row.tenByteCommands) != bTenByteCommands || nLength > 16 || nLength < nMinLength ||
                pRow != nullptr)
                continue;
            CDeviceRecord probe = Install(pszVendor, row.productId, nBusType);
            ModelRecord found;
            if (m_Manager.GetModelRecord(probe, found) && std::strcmp(found.productId, row.productId) == 0)
                pRow = &row;
        }
        EXPECT_NE(nullptr, pRow) << "no usable row in the model table";
        m_strProduct = pRow != nullptr ? pRow->productId : "";
        return Install(pszVendor, m_strProduct.c_str(), nBusType);
    }

    CDeviceRecord Install(const char* pszVendor, const char* pszProduct, int nBusType)
    {
        m_pMachine->Reset();
        int nDrive = m_pMachine->AddDrive(pszVendor, pszProduct, "1.00");
        m_pMachine->SetLetter(kLetterE, DRIVE_CDROM, nDrive);
        m_Manager.m_Adapters.RemoveAll();
        CHostAdapter adapter;
        adapter.m_nBusType = kBusTypeLetterOnly;
        adapter.m_Targets.SetSize(1);
        CDeviceRecord record;
        record.m_nDriveLetter = kLetterE;
        record.m_nTarget = 1;
        record.m_nBusType = nBusType;
        std::snprintf(record.m_szVendor, sizeof(record.m_szVendor), "%-8.8s", pszVendor);
        std::snprintf(record.m_szProduct, sizeof(record.m_szProduct), "%-16.16s", pszProduct);
        std::strcpy(record.m_szRevision, "1.00");
        adapter.m_Targets[0].Add(record);
        m_Manager.m_Adapters.Add(adapter);
        return record;
    }

    std::string IdeName() const
    {
        std::string name = "CdRom" + Underscored(Padded("KORVATH", 8) + Padded(m_strProduct.c_str(), 16)) +
                           std::string(16, '_') + "1.00" + "____";
        EXPECT_EQ(53u, name.size());
        return name;
    }

    std::string ScsiDeviceKey() const
    {
        return std::string(kEnum) + "\\SCSI\\CdRom&Ven_KORVATH&Prod_" + Underscored(m_strProduct) + "&Rev_1.00";
    }

    IEmuMachine* m_pMachine = nullptr;
    CDriveManager m_Manager;
    std::string m_strProduct;
};

} // namespace

// The greatest instance of the drive's IDE key gives the parent prefix (compared case-sensitively with the
// channels' "ParentIdPrefix"); the channel's description is copied.
TEST_F(DriveRegistryKeys, IdeSearchFindsTheChannel)
{
    CDeviceRecord record = MakeDrive(true, kBusTypeIdeChannel);
    std::string ide = std::string(kEnum) + "\\IDE\\" + IdeName();
    RegCreateKeyFixture(HKEY_LOCAL_MACHINE, (ide + "\\5&abc&0&0.0.0").c_str());
    RegCreateKeyFixture(HKEY_LOCAL_MACHINE, (ide + "\\5&abc&0&1.0.0").c_str());
    std::string channels = std::string(kEnum) + "\\PCIIDE\\IDEChannel\\";
    RegCreateKeyFixture(HKEY_LOCAL_MACHINE, (channels + "4&1&0&0").c_str());
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (channels + "4&1&0&1").c_str(), "ParentIdPrefix", "5&ABC&0");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (channels + "4&1&0&1").c_str(), "DeviceDesc", "Primary IDE Channel");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (channels + "4&1&0&2").c_str(), "ParentIdPrefix", "5&abc&0");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (channels + "4&1&0&2").c_str(), "DeviceDesc", "Secondary IDE Channel");

    char szDescription[200];
    std::memset(szDescription, 'x', sizeof(szDescription));
    ASSERT_TRUE(m_Manager.FindDeviceEnumKey(record, szDescription));
    EXPECT_STREQ("Secondary IDE Channel", szDescription);

    // A description longer than the buffer: 199 characters and the terminator.
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (channels + "4&1&0&2").c_str(), "DeviceDesc",
                        std::string(250, 'd').c_str());
    ASSERT_TRUE(m_Manager.FindDeviceEnumKey(record, szDescription));
    EXPECT_EQ(std::string(199, 'd'), std::string(szDescription));

    // Without a matching channel the buffer is emptied and the result is false.
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (channels + "4&1&0&2").c_str(), "ParentIdPrefix", "5&def&0");
    EXPECT_FALSE(m_Manager.FindDeviceEnumKey(record, szDescription));
    EXPECT_STREQ("", szDescription);
}

// Drives that are not in the model table, or do not answer INQUIRY, leave the buffer untouched.
TEST_F(DriveRegistryKeys, UnlistedOrSilentDrivesLeaveTheBuffer)
{
    CDeviceRecord record = Install("QZTECH", "CDROM  QZ3200", kBusTypeIdeChannel);
    char szDescription[200] = "untouched";
    EXPECT_FALSE(m_Manager.FindDeviceEnumKey(record, szDescription));
    EXPECT_STREQ("untouched", szDescription);

    record = MakeDrive(true, kBusTypeIdeChannel);
    m_pMachine->SetLetter(kLetterE, DRIVE_CDROM, -1);
    EXPECT_FALSE(m_Manager.FindDeviceEnumKey(record, szDescription));
    EXPECT_STREQ("untouched", szDescription);
}

// Other drives, and ATAPI drives on USB, are looked up under the SCSI enumerator: the first instance of the
// device key whose target digit is the record's target, and the PCI adapter whose "ParentIdPrefix" is its
// parent prefix.
TEST_F(DriveRegistryKeys, ScsiSearchFindsTheAdapter)
{
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (std::string(kEnum) + "\\PCI\\VEN_1AF4&DEV_5C10\\3&61aaa01&0&60").c_str(),
                        "ParentIdPrefix", "4&aaa&0");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (std::string(kEnum) + "\\PCI\\VEN_1AF4&DEV_5C10\\3&61aaa01&0&60").c_str(),
                        "DeviceDesc", "QZ Fast SCSI Host Adapter");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (std::string(kEnum) + "\\PCI\\VEN_1AF4&DEV_7A31\\3&61aaa01&0&58").c_str(),
                        "ParentIdPrefix", "4&bbb&0");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (std::string(kEnum) + "\\PCI\\VEN_1AF4&DEV_7A31\\3&61aaa01&0&58").c_str(),
                        "DeviceDesc", "QZ USB 2.0 Host Controller");

    for (bool bAtapiOnUsb : {false, true}) {
        SCOPED_TRACE(bAtapiOnUsb ? "ATAPI model on USB" : "SCSI model");
        CDeviceRecord record = bAtapiOnUsb ? MakeDrive(true, kBusTypeUsb, 14) : MakeDrive(false, kBusTypeScsi, 14);
        RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, (std::string(kEnum) + "\\SCSI").c_str());
        std::string key = ScsiDeviceKey();
        RegCreateKeyFixture(HKEY_LOCAL_MACHINE, (key + "\\4&aaa&0&000").c_str());
        RegCreateKeyFixture(HKEY_LOCAL_MACHINE, (key + "\\4&aaa&0&010").c_str());
        RegCreateKeyFixture(HKEY_LOCAL_MACHINE, (key + "\\4&bbb&0&110").c_str());

        char szDescription[200] = "untouched";
        ASSERT_TRUE(m_Manager.FindDeviceEnumKey(record, szDescription));
        EXPECT_STREQ("QZ Fast SCSI Host Adapter", szDescription);

        // Of several device keys that hold the search texts, the greatest candidate wins.
        RegCreateKeyFixture(HKEY_LOCAL_MACHINE, (key + "&X\\4&bbb&0&010").c_str());
        ASSERT_TRUE(m_Manager.FindDeviceEnumKey(record, szDescription));
        EXPECT_STREQ("QZ USB 2.0 Host Controller", szDescription);

        record.m_nTarget = 2;
        EXPECT_FALSE(m_Manager.FindDeviceEnumKey(record, szDescription));
        EXPECT_STREQ("", szDescription);
    }
}

// Windows 9x: the class key of the channel the drive's description names (the other one when the chosen key
// describes the other channel) and the drive's device key found through HKEY_DYN_DATA.
TEST_F(DriveRegistryKeys, Win9xAutoInsertNotification)
{
    CDeviceRecord record = MakeDrive(true, kBusTypeIdeChannel);
    RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, kHdc);
    RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, "Enum");
    RegDeleteTreeFixture(HKEY_DYN_DATA, "Config Manager");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (std::string(kHdc) + "\\0001").c_str(), "DriverDesc",
                        "Secondary IDE controller (dual fifo)");
    RegSetStringFixture(HKEY_LOCAL_MACHINE, (std::string(kHdc) + "\\0002").c_str(), "DriverDesc",
                        "Primary IDE controller (dual fifo)");
    std::string device = "KORVATH_" + Underscored(Padded(m_strProduct.c_str(), 16));
    RegSetStringFixture(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A0001", "HardWareKey", "ROOT\\*PNP0C01\\0000");
    RegSetStringFixture(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A0002", "HardWareKey",
                        ("SCSI\\" + device + "\\IDE&CHANNEL1&DEV0").c_str());
    std::string deviceKey = "Enum\\SCSI\\" + device + "\\IDE&CHANNEL1&DEV0";
    RegCreateKeyFixture(HKEY_LOCAL_MACHINE, deviceKey.c_str());

    auto readByte = [](HKEY hRoot, const std::string& path, const char* pszName) {
        CRegistryKey key;
        BYTE value = 0xEE;
        if (key.Open(hRoot, path.c_str()) != ERROR_SUCCESS || key.QueryBinary(pszName, &value, 1) != ERROR_SUCCESS)
            return -1;
        return int(value);
    };

    m_Manager.SetAutoInsertNotificationWin9x(record, 1, TRUE, TRUE);
    EXPECT_EQ(-1, readByte(HKEY_LOCAL_MACHINE, std::string(kHdc) + "\\0001", "AutoInsertNotificationDrive0"));
    EXPECT_EQ(1, readByte(HKEY_LOCAL_MACHINE, std::string(kHdc) + "\\0002", "AutoInsertNotificationDrive0"));
    EXPECT_EQ(1, readByte(HKEY_LOCAL_MACHINE, deviceKey, "AutoInsertNotification"));

    m_Manager.SetAutoInsertNotificationWin9x(record, 2, FALSE, FALSE);
    EXPECT_EQ(0, readByte(HKEY_LOCAL_MACHINE, std::string(kHdc) + "\\0001", "AutoInsertNotificationDrive1"));
    EXPECT_EQ(0, readByte(HKEY_LOCAL_MACHINE, deviceKey, "AutoInsertNotification"));

    // A class key without "DriverDesc" gets nothing; the device key is still written.
    RegDeleteTreeFixture(HKEY_LOCAL_MACHINE, kHdc);
    RegCreateKeyFixture(HKEY_LOCAL_MACHINE, (std::string(kHdc) + "\\0001").c_str());
    m_Manager.SetAutoInsertNotificationWin9x(record, 1, TRUE, TRUE);
    EXPECT_EQ(-1, readByte(HKEY_LOCAL_MACHINE, std::string(kHdc) + "\\0001", "AutoInsertNotificationDrive0"));
    EXPECT_EQ(1, readByte(HKEY_LOCAL_MACHINE, deviceKey, "AutoInsertNotification"));
}
