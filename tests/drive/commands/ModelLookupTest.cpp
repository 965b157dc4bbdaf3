// tests/drive/commands/ModelLookupTest.cpp
// Model identification through the drive's INQUIRY: the bridge rewrite rules for the maker's drives, the prefix
// lookup for every vendor, and the accessors of the row.
#include "support/DriveTestFixture.h"

#include "drive/ModelTable.h"

namespace {

class ModelLookupTest : public DriveTest {};

TEST_F(ModelLookupTest, RowByVendorBusAndIdentification)
{
    const struct {
        const char* vendor;
        const char* product;
        const char* revision;
        int bus;
        const char* row; // "" = unlisted
    } cases[] = {
        {"KORVATH ", "DVDR   QZ7160   ", "1.05", 4, "DVDR   QZ7160U"},
        {"KORVATH ", "DVDR   QZ7160   ", "1.05", 0, "DVDR   QZ7160"},
        {"KORVATH ", "DVDR   QZ7160   ", "1.05", 5, "DVDR   QZ7160F"},
        {"KORVATH ", "DVDR   QZ7160   ", "1.05", 2, "DVDR   QZ7160S"},
        {"KORVATH ", "CD-R   QZ5280   ", "1.02", 4, "CD-R   QZ5280UL"},
        {"KORVATH ", "DVDR   QZ7184   ", "1.10", 0, "DVDR   QZ7180"},
        {"VELDARO ", "CD-R   QZ2160   ", "2.00", 3, "CD-R   QZ2160"},
        {"VELDARO ", "DVDR   QZ7160   ", "2.00", 4, "DVDR   QZ7160"},
        {"VELDARO ", "DVDR   QZ7184   ", "2.10", 0, ""},
        {"VELDARO ", "CD-ROM XR-3200  ", "1.00", 0, ""},
    };
    for (const auto& c : cases) {
        CDeviceRecord record = AddPlainDrive(c.vendor, c.product, c.revision, c.bus);
        EXPECT_STREQ(c.row, m_Manager.GetModelProductId(record)) << c.vendor << c.product << " bus " << c.bus;
        EXPECT_EQ(c.row[0] != '\0', m_Manager.IsKnownModel(record));
    }
}

// The working identification is the record's (as discovery or the main window left it), the vendor the one the
// drive reports now.
TEST_F(ModelLookupTest, RecordIdentificationAndFreshVendor)
{
    int nDrive = 0;
    CDeviceRecord record = AddPlainDrive("KORVATH ", "CDROM  QZ1240   ", "1.02", 4, &nDrive);
    std::strcpy(record.m_szProduct, "DVDR   QZ7160   ");
    EXPECT_STREQ("DVDR   QZ7160U", m_Manager.GetModelProductId(record));
    std::strcpy(record.m_szVendor, "VELDARO ");
    EXPECT_STREQ("DVDR   QZ7160U", m_Manager.GetModelProductId(record));

    m_pMachine->SetLetterOpenFails(record.m_nDriveLetter, true);
    ModelRecord row;
    std::memset(&row, 0x5C, sizeof(row));
    EXPECT_FALSE(m_Manager.GetModelRecord(record, row));
    EXPECT_EQ(0x5C, static_cast<BYTE>(row.productId[0]));
}

// An unlisted drive gives empty texts and zero flags and values from every accessor.
TEST_F(ModelLookupTest, UnlistedDriveHasNothing)
{
    CDeviceRecord record = AddPlainDrive("VELDARO ", "CD-ROM XR-3200  ", "1.00", 0);
    EXPECT_STREQ("", m_Manager.GetModelProductId(record));
    EXPECT_STREQ("", m_Manager.GetModelName(record));
    EXPECT_STREQ("", m_Manager.GetModelFirmwareId(record));
    EXPECT_STREQ("", m_Manager.GetModelSpeedText(record, 0));
    EXPECT_EQ(0, m_Manager.GetModelSpeedValue(record, 0));
    EXPECT_EQ(0, m_Manager.GetModelSpeedValueScan(record));
    EXPECT_EQ(0, m_Manager.GetModelFlagWriter(record));
    EXPECT_EQ(0, m_Manager.GetModelFlag2(record));
    EXPECT_EQ(0, m_Manager.GetModelFlag3(record));
    EXPECT_EQ(0, m_Manager.GetModelFlagC2(record));
    EXPECT_EQ(0, m_Manager.ModelUsesModeSense10(record));
    EXPECT_EQ(0, m_Manager.GetModelInfoFlag(record));
    EXPECT_EQ(0u, m_Manager.GetModelValue1(record));
    EXPECT_EQ(0u, m_Manager.GetModelValue2(record));
    EXPECT_EQ(0u, m_Manager.GetModelValue3(record));
    EXPECT_EQ(0u, m_Manager.GetModelValue4(record));
    EXPECT_FALSE(m_Manager.IsModelCode(record, ""));
    EXPECT_FALSE(m_Manager.IsSpecialSpeedModel(record));
}

TEST_F(ModelLookupTest, RowAccessors)
{
    CDeviceRecord cdrom = AddPlainDrive("KORVATH ", "CDROM  QZ1240   ", "1.02", 3);
    EXPECT_STREQ("QZ-1240 CD-ROM", m_Manager.GetModelName(cdrom));
    EXPECT_STREQ("10-24X CAV", m_Manager.GetModelSpeedText(cdrom, 5));
    EXPECT_EQ(24, m_Manager.GetModelSpeedValue(cdrom, 5));
    EXPECT_EQ(4, m_Manager.GetModelSpeedValue(cdrom, 2));
    EXPECT_EQ(0, m_Manager.GetModelSpeedValue(cdrom, 6));
    EXPECT_EQ(0, m_Manager.GetModelSpeedValue(cdrom, 10));
    EXPECT_EQ(0, m_Manager.GetModelSpeedValueScan(cdrom));
    EXPECT_TRUE(m_Manager.IsModelCode(cdrom, "1240"));
    EXPECT_FALSE(m_Manager.IsModelCode(cdrom, "124"));
    EXPECT_FALSE(m_Manager.IsSpecialSpeedModel(cdrom));
    EXPECT_EQ(1, m_Manager.GetModelInfoFlag(cdrom));
    EXPECT_EQ(0, m_Manager.ModelUsesModeSense10(cdrom));

    // Entries 0 to 6 all hold a speed: the scan ends at entry 0.
    CDeviceRecord seven = AddPlainDrive("KORVATH ", "CDROM  QZ1320   ", "1.00", 3);
    EXPECT_EQ(1, m_Manager.GetModelSpeedValueScan(seven));

    CDeviceRecord special = AddPlainDrive("KORVATH ", "CDROM  QZ1540   ", "1.00", 0);
    EXPECT_TRUE(m_Manager.IsSpecialSpeedModel(special));
    EXPECT_EQ(1, m_Manager.ModelUsesModeSense10(special));
    EXPECT_EQ(0u, m_Manager.GetModelValue1(special));
    CDeviceRecord dvd = AddPlainDrive("KORVATH ", "DVDR   QZ7200   ", "1.00", 0);
    EXPECT_EQ(255u, m_Manager.GetModelValue1(dvd));
    EXPECT_STREQ("KORVATH CHERVIL 0720", m_Manager.GetModelFirmwareId(dvd));
}

// "%d X" of page 0x2A bytes 20-21 at 176 KB/s per X; the text is written also when the read fails.
TEST_F(ModelLookupTest, MaxReadSpeedText)
{
    CDeviceRecord writer = AddProfile(kEmuAtapiCdWriter, 0);
    char text[32] = "";
    EXPECT_EQ(1, m_Manager.GetMaxReadSpeedText(writer, text));
    EXPECT_STREQ("24 X", text);
    int nDrive = 0;
    CDeviceRecord refusing = AddProfile(kEmuAtapiCdRom, 0, &nDrive);
    m_pMachine->SetBytes(nDrive, "mode.page.2A", nullptr, 0);
    std::strcpy(text, "old");
    EXPECT_NE(1, m_Manager.GetMaxReadSpeedText(refusing, text));
    EXPECT_STREQ("0 X", text);
}

TEST_F(ModelLookupTest, WriterTest)
{
    const struct {
        int profile;
        bool writer;
    } cases[] = {
        {kEmuAtapiCdWriter, true},  {kEmuScsiCdRom, false},        {kEmuAtapiCdRom, false},
        {kEmuPlainDvdRom, false},   {kEmuOtherScsiCdWriter, true}, {kEmuOtherDvdWriter, false},
        {kEmuOtherOldCdRom, false},
    };
    for (const auto& c : cases) {
        CDeviceRecord record = AddProfile(c.profile, 0);
        EXPECT_EQ(c.writer, m_Manager.IsWriter(record)) << EmuGetProfileInfo(c.profile).pszName;
    }

    // A listed model without vendor information is asked for the page's write bits; a listed model with it answers
    // from its row even when the page says otherwise.
    int nDrive = 0;
    CDeviceRecord plain = AddPlainDrive("KORVATH ", "CD-R   QZ3320   ", "1.00", 0, &nDrive);
    std::vector<uint8_t> page = BytesAt(32, {{0, 0x2A}, {1, 30}});
    SetBytes(nDrive, "mode.page.2A", page);
    EXPECT_FALSE(m_Manager.IsWriter(plain));
    page[3] = 0x10;
    SetBytes(nDrive, "mode.page.2A", page);
    EXPECT_TRUE(m_Manager.IsWriter(plain));
    page[0] = 0xAA;
    SetBytes(nDrive, "mode.page.2A", page);
    EXPECT_FALSE(m_Manager.IsWriter(plain));

    int nVendor = 0;
    CDeviceRecord vendor = AddProfile(kEmuAtapiCdWriter, 0, &nVendor);
    SetBytes(nVendor, "mode.page.2A", std::vector<uint8_t>{0x2A, 2, 0, 0});
    EXPECT_TRUE(m_Manager.IsWriter(vendor));
}

} // namespace
