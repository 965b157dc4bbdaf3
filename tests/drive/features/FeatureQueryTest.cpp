// tests/drive/features/FeatureQueryTest.cpp
// Writer tests, capability predicates, firmware-feature tables, the vendor mode command forms, the drive option,
// usage counters, block length, WRITE(6) and finding a drive by its letter.
#include <algorithm>
#include <cstring>
#include <string>

#include "support/DriveTestFixture.h"

namespace {

class FeatureQueryTest : public DriveTest {};

struct WriterCase {
    const char* name;
    int profile;
    const char* vendor;
    const char* product;
    bool writer, cdWriter, dvdWriter;
};

// A drive per family: the maker's drives with vendor information answer from the model table, other listed drives
// and other makers' drives from page 0x2A (and GET CONFIGURATION for DVD).
TEST_F(FeatureQueryTest, WriterKindsByDriveFamily)
{
    const WriterCase cases[] = {
        {"maker CD-ROM", kEmuScsiCdRom, "KORVATH ", "CDROM  QZ1240   ", false, false, false},
        {"maker ATAPI CD-ROM", kEmuAtapiCdRom, "KORVATH ", "CDROM  QZ1540   ", false, false, false},
        {"maker CD-RW", kEmuAtapiCdWriter, "KORVATH ", "CD-R   QZ4120   ", true, true, false},
        {"maker SCSI CD-R", kEmuScsiCdWriter, "KORVATH ", "CD-R   QZ2160   ", true, true, false},
        {"four-family DVD writer", kEmuFourFamilyDvdWriter, "KORVATH ", "DVDR   QZ7160   ", true, true, true},
        {"fifth-family DVD writer", kEmuFifthFamilyDvdWriter, "KORVATH ", "DVDR   QZ7240   ", true, true, true},
        {"maker CD-RW without vendor information", kEmuAtapiCdWriter, "KORVATH ", "CD-R   QZ3320   ", true, true,
         false},
        {"maker DVD-ROM without vendor information", kEmuPlainDvdRom, "KORVATH ", "DVD    QZ8240   ", false, false,
         false},
        {"other maker's CD-R", kEmuOtherScsiCdWriter, "VELDARO ", "CD-R   XR-1600  ", true, true, false},
        {"other maker's CD-RW name", kEmuOtherScsiCdWriter, "VELDARO ", "CD-RW  XR-1610  ", false, false, false},
        {"other maker's DVD writer", kEmuOtherDvdWriter, "VELDARO ", "DVD-RW XR-7700  ", false, false, true},
        {"other maker's CD-ROM", kEmuOtherOldCdRom, "VELDARO ", "CD-ROM XR-3200  ", false, false, false},
    };
    for (const WriterCase& c : cases) {
        CDeviceRecord record = AddAs(c.profile, c.vendor, c.product, "1.00", 0);
        EXPECT_EQ(c.writer, m_Manager.IsWriter(record)) << c.name;
        EXPECT_EQ(c.cdWriter, m_Manager.IsCdWriter(record)) << c.name;
        EXPECT_EQ(c.dvdWriter, m_Manager.IsDvdWriter(record)) << c.name;
    }
}

TEST_F(FeatureQueryTest, OtherMakersCdRWriterNeedsNoModeSense)
{
    CDeviceRecord record = AddAs(kEmuOtherOldCdRom, "VELDARO ", "CD-R   XR-1600  ", "1.00", 0);
    m_pMachine->ClearLog();
    EXPECT_TRUE(m_Manager.IsWriter(record));
    EXPECT_TRUE(m_Manager.IsCdWriter(record));
    EXPECT_TRUE(Opcodes().empty());
}

TEST_F(FeatureQueryTest, VendorInformationRowOutweighsPage)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuScsiCdRom, 3, &nDrive);
    EditPage(nDrive, "mode.page.2A", [](std::vector<uint8_t>& page) { page[3] = 0x33; });
    EXPECT_FALSE(m_Manager.IsWriter(record));
    EXPECT_FALSE(m_Manager.IsCdWriter(record));
}

// A page code with its parameters-saveable bit is not found: the scan gives up at answer byte 20 and the write
// bits are read at answer byte 23.
TEST_F(FeatureQueryTest, SaveablePageIsNotLocated)
{
    int nDrive = 0;
    CDeviceRecord record = AddMaker(kEmuAtapiCdWriter, "CD-R   QZ3320   ", "1.00", 0, &nDrive);
    EditPage(nDrive, "mode.page.2A", [](std::vector<uint8_t>& page) {
        page[0] = 0xAA;
        page[3] = 0x00;
        page[11] = 0x01;
    });
    EXPECT_TRUE(m_Manager.IsWriter(record));
    EditPage(nDrive, "mode.page.2A", [](std::vector<uint8_t>& page) {
        page[11] = 0x00;
        page[3] = 0x03;
    });
    EXPECT_FALSE(m_Manager.IsWriter(record));
    EXPECT_FALSE(m_Manager.SupportsC2Pointers(record));
}

// DVD writing known only from GET CONFIGURATION: a feature counts when its answer holds more than the header.
TEST_F(FeatureQueryTest, DvdWriterByConfigurationFeatures)
{
    const struct {
        int feature;
        uint8_t byte4;
        bool expected;
    } cases[] = {
        {0x002F, 0x02, true}, {0x002F, 0x01, false}, {0x002A, 0x01, true}, {0x002B, 0x01, true}, {0x002B, 0x02, false},
    };
    for (const auto& c : cases) {
        int nDrive = 0;
        CDeviceRecord record = AddAs(kEmuOtherDvdWriter, "VELDARO ", "DVD-RW XR-7700  ", "1.00", 0, &nDrive);
        EditPage(nDrive, "mode.page.2A", [](std::vector<uint8_t>& page) { page[3] = 0x03; });
        char key[32];
        std::snprintf(key, sizeof(key), "config.feature.%04X", c.feature);
        SetBytes(nDrive, key, {uint8_t(c.feature >> 8), uint8_t(c.feature), 0x01, 0x04, c.byte4, 0, 0, 0});
        EXPECT_EQ(c.expected, m_Manager.IsDvdWriter(record)) << std::hex << c.feature;
        std::vector<uint8_t> ops = Opcodes();
        EXPECT_EQ(3, std::count(ops.begin(), ops.end(), uint8_t(0x46)));
        m_pMachine->ClearLog();
    }
}

TEST_F(FeatureQueryTest, C2PointersAndUnderrunProtection)
{
    int nMaker = 0, nPage30 = 0, nOther = 0;
    CDeviceRecord maker = AddProfile(kEmuAtapiCdWriter, 0, &nMaker);
    CDeviceRecord page30 = AddMaker(kEmuPage30CdWriter, "CD-R   QZ3320   ", "1.00", 0, &nPage30);
    CDeviceRecord other = AddAs(kEmuOtherDvdWriter, "VELDARO ", "DVD-RW XR-7700  ", "1.00", 0, &nOther);

    EditPage(nMaker, "mode.page.2A", [](std::vector<uint8_t>& page) {
        page[4] = 0;
        page[5] = 0;
    });
    EXPECT_TRUE(m_Manager.SupportsC2Pointers(maker)); // the row says so
    EXPECT_TRUE(m_Manager.HasBufferUnderrunProof(maker));

    EXPECT_TRUE(m_Manager.HasBufferUnderrunProof(page30)); // vendor page 0x30 byte 2 bit 0
    EditPage(nPage30, "mode.page.30", [](std::vector<uint8_t>& page) { page[2] = 0; });
    EXPECT_FALSE(m_Manager.HasBufferUnderrunProof(page30));

    EXPECT_TRUE(m_Manager.SupportsC2Pointers(other));
    EXPECT_TRUE(m_Manager.HasBufferUnderrunProof(other));
    EditPage(nOther, "mode.page.2A", [](std::vector<uint8_t>& page) {
        page[4] = 0;
        page[5] = 0;
    });
    EXPECT_FALSE(m_Manager.SupportsC2Pointers(other));
    EXPECT_FALSE(m_Manager.HasBufferUnderrunProof(other));
    SetBytes(nOther, "mode.page.2A", {});
    EXPECT_FALSE(m_Manager.SupportsC2Pointers(other));
    EXPECT_FALSE(m_Manager.HasBufferUnderrunProof(other));
    EXPECT_EQ(0, m_Manager.GetSelectedWriteSpeed(other));
}

// The selected write speed is found wherever the page starts: behind a block descriptor or directly after the
// header.
TEST_F(FeatureQueryTest, SelectedWriteSpeedWithAndWithoutBlockDescriptor)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuOtherScsiCdWriter, 3, &nDrive);
    EXPECT_EQ(24 * 176, m_Manager.GetSelectedWriteSpeed(record));
    m_pMachine->SetInt(nDrive, "mode.blockDescriptor", 0);
    EXPECT_EQ(24 * 176, m_Manager.GetSelectedWriteSpeed(record));
}

struct FirmwareCase {
    const char* product;
    const char* revision;
    bool (CDriveManager::*predicate)(CDeviceRecord&);
    bool expected;
};

// The first row whose model number the product identification holds decides, against the firmware number of the
// revision's third and fourth characters (the major digit is ignored).
TEST_F(FeatureQueryTest, FirmwareFeatureTables)
{
    const FirmwareCase cases[] = {
        {"DVDR   QZ7160   ", "1.02", &CDriveManager::IsSpeedamodeSupported, false},
        {"DVDR   QZ7160   ", "1.03", &CDriveManager::IsSpeedamodeSupported, true},
        {"DVDR   QZ7180   ", "1.02", &CDriveManager::IsSpeedamodeSupported, true},
        {"DVDR   QZ7180   ", "1.01", &CDriveManager::IsSpeedamodeSupported, false},
        {"DVDR   QZ7240   ", "1.00", &CDriveManager::IsSpeedamodeSupported, true},
        {"CD-R   QZ2160   ", "1.09", &CDriveManager::IsSpeedamodeSupported, false},
        {"DVDR   QZ7200   ", "1.00", &CDriveManager::IsStratafitSupported, true},
        {"DVDR   QZ7240   ", "1.00", &CDriveManager::IsStratafitSupported, false},
        {"CDROM  QZ1480   ", "1.00", &CDriveManager::IsReadModeSettingSupported, true},
        {"DVD    QZ8160   ", "1.00", &CDriveManager::IsReadModeSettingSupported, false}, // no vendor info
        {"CD-R   QZ4320   ", "1.04", &CDriveManager::HasFirmwareFeature1, false},
        {"CD-R   QZ4320   ", "2.05", &CDriveManager::HasFirmwareFeature1, true},
        {"CD-R   QZ4400   ", "1.07", &CDriveManager::HasFirmwareFeature1, false},
        {"CD-R   QZ4400   ", "1.08", &CDriveManager::HasFirmwareFeature1, true},
        {"DVDR   QZ7300   ", "1.02", &CDriveManager::HasFirmwareFeature2, false},
        {"DVDR   QZ7300   ", "1.03", &CDriveManager::HasFirmwareFeature2, true},
        {"CD-R   QZ5240   ", "1.00", &CDriveManager::HasFirmwareFeature3, true},
        {"DVDR   QZ6160   ", "1.00", &CDriveManager::HasFirmwareFeature4, true},
        {"CD-R   QZ2040   ", "1.00", &CDriveManager::HasFirmwareFeature5, true},
        {"DVDR   QZ7240A  ", "1.02", &CDriveManager::HasFirmwareFeature6, false},
        {"DVDR   QZ7240A  ", "1.03", &CDriveManager::HasFirmwareFeature6, true},
        {"DVDR   QZ7220   ", "1.09", &CDriveManager::HasFirmwareFeature7, false},
        {"DVDR   QZ7220   ", "1.10", &CDriveManager::HasFirmwareFeature7, true},
        {"CD-R   QZ4400   ", "1.06", &CDriveManager::HasFirmwareFeature8, false},
        {"CD-R   QZ4400   ", "1.07", &CDriveManager::HasFirmwareFeature8, true},
        {"CD-R   QZ4400   ", "1.0A", &CDriveManager::HasFirmwareFeature8, false},
    };
    for (const FirmwareCase& c : cases) {
        CDeviceRecord record = AddMaker(kEmuFifthFamilyDvdWriter, c.product, c.revision);
        EXPECT_EQ(c.expected, (m_Manager.*c.predicate)(record)) << c.product << " " << c.revision;
    }
}

// Two minimums per row; the longer model number is listed first and decides.
TEST_F(FeatureQueryTest, FirmwareFeatureLevel)
{
    const struct {
        const char* product;
        const char* revision;
        int expected;
    } cases[] = {
        {"DVDR   QZ7240A  ", "1.03", 1}, {"DVDR   QZ7240A  ", "1.04", 17}, {"DVDR   QZ7240   ", "1.01", 17},
        {"DVDR   QZ7240   ", "1.00", 1}, {"DVDR   QZ7160   ", "1.01", 0},  {"DVDR   QZ7160   ", "1.02", 17},
        {"DVDR   QZ7200   ", "1.02", 0}, {"DVDR   QZ7200   ", "1.03", 1},  {"DVDR   QZ7180   ", "1.00", 17},
        {"CD-R   QZ2160   ", "1.09", 0}, {"CD-R   QZ4320   ", "1.00", 1},
    };
    for (const auto& c : cases) {
        CDeviceRecord record = AddMaker(kEmuFifthFamilyDvdWriter, c.product, c.revision);
        EXPECT_EQ(c.expected, m_Manager.GetFirmwareFeatureLevel(record)) << c.product << " " << c.revision;
    }
    CDeviceRecord other = AddProfile(kEmuOtherDvdWriter, 0);
    EXPECT_EQ(0, m_Manager.GetFirmwareFeatureLevel(other));
}

TEST_F(FeatureQueryTest, VendorModeCommandForms)
{
    CDeviceRecord record = AddProfile(kEmuFourFamilyDvdWriter, 0);
    BYTE buffer[16] = {};
    const BYTE raw[6] = {1, 2, 3, 4, 5, 6};
    m_pMachine->ClearLog();
    m_Manager.VendorModeCommand(record, 0, 0x04, 0, 8, buffer);
    m_Manager.VendorModeFlagsCommand(record, 0, 0xBB, 0, 0, 8, buffer);
    m_Manager.VendorModeFlagsCommand(record, 1, 0xBB, 1, 1, 0, nullptr);
    m_Manager.VendorModeFlagsCommand(record, 1, 0xBB, 0, 7, 0, nullptr);
    m_Manager.VendorModeCommand(record, 5, 0x04, 0x81, 0, nullptr);
    m_Manager.VendorSetting(record, 1, 0x30, 7, 9, 0, nullptr);
    m_Manager.VendorSetting(record, 0, 0x30, 7, 9, 4, buffer);
    m_Manager.VendorModeRawCommand(record, raw, 0x102, nullptr);
    m_Manager.VendorSetting22Command(record, 4, 1, 6, 0, nullptr);
    m_Manager.VendorSetting22Command(record, 4, 0, 6, 2, buffer);
    m_Manager.VendorD5Command(record, 7, 8, 9, 10, buffer);
    const std::vector<std::string> expected = {
        "E9 00 04 00 00 00 00 00 00 00 08 00", "E9 00 BB 00 00 00 00 00 00 00 08 00",
        "E9 10 BB 03 00 00 00 00 00 00 00 00", "E9 10 BB 02 00 00 00 00 00 00 00 00",
        "E9 10 04 00 81 00 00 00 00 00 00 00", "E9 10 30 07 09 00 00 00 00 00 00 00",
        "E9 00 30 00 00 00 00 00 00 00 04 00", "E9 00 01 02 03 04 05 06 00 01 02 00",
        "E9 10 22 04 00 06 00 00 00 00 00 00", "E9 00 22 04 00 06 00 00 00 00 02 00",
        "D5 00 07 08 09 00 00 00 00 00 0A 00",
    };
    EXPECT_EQ(expected, Cdbs());
    std::vector<EmuLogEntry> log = Commands();
    ASSERT_EQ(expected.size(), log.size());
    EXPECT_EQ(kEmuDirOut, log.back().nDirection);
    EXPECT_EQ(10u, log.back().nTransferLength);
    EXPECT_EQ(kEmuDirNone, log[2].nDirection);
}

TEST_F(FeatureQueryTest, VendorOptionFormByModel)
{
    const struct {
        const char* product;
        const char* revision;
        int option;
        const char* cdb;
    } cases[] = {
        {"DVDR   QZ7160   ", "1.00", 1, "E9 10 21 01 00 00 00 00 00 00 00 00"},
        {"DVDR   QZ7300   ", "1.00", 2, "E9 10 21 02 00 00 00 00 00 00 00 00"},
        {"DVDR   QZ6320   ", "1.06", 1, "F3 1F 16 14 00 00 00 00 00 00 00 00"},
        {"DVDR   QZ6320   ", "1.07", 0, "E9 10 21 00 00 00 00 00 00 00 00 00"},
        {"DVDR   QZ6040   ", "1.09", 0, "F3 1F 16 15 00 00 00 00 00 00 00 00"},
        {"DVDR   QZ6040   ", "1.09", 2, "F3 1F 16 FF 00 00 00 00 00 00 00 00"},
        {"DVDR   QZ6040   ", "1.09", 5, "F3 1F 16 14 00 00 00 00 00 00 00 00"},
    };
    for (const auto& c : cases) {
        CDeviceRecord record = AddMaker(kEmuFifthFamilyDvdWriter, c.product, c.revision);
        m_pMachine->ClearLog();
        EXPECT_EQ(1, m_Manager.SetVendorOption(record, c.option, 0, nullptr));
        std::vector<EmuLogEntry> log = Commands();
        ASSERT_EQ(1u, log.size()) << c.product;
        EXPECT_EQ(std::string(c.cdb), HexBytes(log[0].cdb, 12)) << c.product << " " << c.option;
        EXPECT_EQ(kEmuDirNone, log[0].nDirection);
    }
}

std::vector<uint8_t> BlockWithCounters(std::initializer_list<std::pair<int, int32_t>> counters)
{
    std::vector<uint8_t> block(512, 0);
    for (const auto& c : counters) {
        uint32_t v = uint32_t(c.second);
        block[c.first] = uint8_t(v >> 24);
        block[c.first + 1] = uint8_t(v >> 16);
        block[c.first + 2] = uint8_t(v >> 8);
        block[c.first + 3] = uint8_t(v);
    }
    return block;
}

TEST_F(FeatureQueryTest, UsageCounterTexts)
{
    const struct {
        int32_t seconds;
        const char* text;
    } cases[] = {
        {3725, "1.2.5C"}, {100, "0.1.40A"}, {0, "0.0.0A"},    {1200, "0.20.0A"}, {1201, "0.20.1B"},
        {3600, "1.0.0B"}, {3601, "1.0.1C"}, {7200, "2.0.0C"}, {7201, "2.0.1D"},  {-5, "0.0.-5?"},
    };
    for (const auto& c : cases) {
        int nDrive = 0;
        CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
        SetBytes(nDrive, "vendor.info", BlockWithCounters({{122, c.seconds}}));
        char text[40] = "x";
        EXPECT_STREQ(c.text, m_Manager.GetUsageCounterText(record, text));
    }

    int nFive = 0;
    CDeviceRecord five = AddProfile(kEmuFifthFamilyDvdWriter, 0, &nFive);
    SetBytes(nFive, "vendor.info", BlockWithCounters({{122, 1}, {294, 3725}, {302, 7201}}));
    char text[40];
    m_pMachine->ClearLog();
    EXPECT_STREQ("1.2.5C - 2.0.1D", m_Manager.GetUsageCounterText(five, text));
    std::vector<EmuLogEntry> log = Commands();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(512u, log.back().nTransferLength);

    // Four-family drives read the block in pieces.
    int nFour = 0;
    CDeviceRecord four = AddProfile(kEmuFourFamilyDvdWriter, 0, &nFour);
    SetBytes(nFour, "vendor.info", BlockWithCounters({{294, 100}, {302, 1201}}));
    EXPECT_STREQ("0.1.40A - 0.20.1B", m_Manager.GetUsageCounterText(four, text));

    CDeviceRecord reader = AddProfile(kEmuScsiCdRom, 3);
    EXPECT_STREQ("", m_Manager.GetUsageCounterText(reader, text));
    m_pMachine->SetInt(nFive, "vendor", 0);
    std::strcpy(text, "stale");
    EXPECT_STREQ("", m_Manager.GetUsageCounterText(five, text));
}

TEST_F(FeatureQueryTest, BlockLengthAndWriteForms)
{
    int nDrive = 0;
    CDeviceRecord cdrom = AddProfile(kEmuScsiCdRom, 3, &nDrive);
    m_pMachine->SetInt(nDrive, EMU_KEY_BLOCK_LENGTH, 2352);
    EXPECT_EQ(2352, m_Manager.GetBlockLength(cdrom));
    m_pMachine->ClearLog();
    EXPECT_EQ(1, m_Manager.SetBlockLength(cdrom, 2048, 0));
    EXPECT_EQ(1, m_Manager.SetBlockLength(cdrom, 0x930, 1));
    std::vector<EmuLogEntry> log = Commands();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ("15 00 00 00 0C 00", HexBytes(log[0].cdb, log[0].nCdbLength));
    std::vector<uint8_t> list = DataOut(log[0]);
    EXPECT_EQ("00 00 00 08 82 00 00 00 00 00 08 00", HexBytes(list.data(), int(list.size())));
    list = DataOut(log[1]);
    EXPECT_EQ("00 00 00 08 00 00 00 00 00 00 09 30", HexBytes(list.data(), int(list.size())));
    EXPECT_EQ(0x930, m_Manager.GetBlockLength(cdrom));

    CDeviceRecord bridged = AddProfile(kEmuScsiCdRom, kBusTypeUsb);
    CDeviceRecord writer = AddProfile(kEmuScsiCdWriter, 3);
    CDeviceRecord atapi = AddProfile(kEmuAtapiCdRom, 0);
    m_pMachine->ClearLog();
    EXPECT_EQ(0, m_Manager.SetBlockLength(bridged, 2048, 0));
    EXPECT_EQ(0, m_Manager.SetBlockLength(writer, 2048, 0));
    EXPECT_EQ(0, m_Manager.SetBlockLength(atapi, 2048, 0));
    EXPECT_TRUE(Commands().empty());

    BYTE data[2 * 2352] = {};
    m_pMachine->ClearLog();
    m_Manager.Write6Or10(writer, 0x123456, 2, data);
    m_Manager.Write6Or10(atapi, 0x1234, 2, data);
    log = Commands();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ("0A 12 34 56 02 00", HexBytes(log[0].cdb, 6));
    EXPECT_EQ(4096u, log[0].nTransferLength);
    EXPECT_EQ(0x2A, log[1].cdb[0]);
    EXPECT_EQ(2u * 2352u, log[1].nTransferLength);
}

// Answers shorter than the fields read: the cleared buffers give no capability and speed 0, never a read past
// the answer.
TEST_F(FeatureQueryTest, ShortAnswers)
{
    int nDrive = 0;
    CDeviceRecord record = AddMaker(kEmuAtapiCdWriter, "CD-R   QZ3320   ", "1.00", 0, &nDrive);
    SetBytes(nDrive, "mode.page.2A", {0x2A, 0x02, 0x3F, 0xFF});
    EXPECT_TRUE(m_Manager.IsWriter(record)); // byte 3 is there
    EXPECT_EQ(0, m_Manager.GetSelectedWriteSpeed(record));
    EXPECT_EQ(0, m_Manager.GetMaxWriteSpeed(record));
    EXPECT_EQ(0, m_Manager.GetCurrentWriteSpeed(record));
    EXPECT_EQ(0, m_Manager.GetMaxReadSpeed(record));
    char text[32];
    EXPECT_STREQ("maximum", m_Manager.GetReadSpeedText(record, 0, text));
    SetBytes(nDrive, "mode.page.2A", {0x2A, 0x00});
    EXPECT_FALSE(m_Manager.IsWriter(record));
    EXPECT_FALSE(m_Manager.SupportsC2Pointers(record));

    // A vendor block cut short before the counters.
    int nWriter = 0;
    CDeviceRecord writer = AddProfile(kEmuAtapiCdWriter, 0, &nWriter);
    SetBytes(nWriter, "vendor.info", std::vector<uint8_t>(20, 0x41));
    EXPECT_STREQ("0.0.0A", m_Manager.GetUsageCounterText(writer, text));
}

// A letter claimed by two records (a drive listed twice) gives the first record in the walk order of adapters,
// their groups and each group's records, wherever the second one sits.
TEST_F(FeatureQueryTest, DriveByLetterTakesTheFirstMatch)
{
    CDeviceRecord first = AddProfile(kEmuAtapiCdWriter, 0);
    CDeviceRecord second = AddProfile(kEmuScsiCdRom, 3);
    const CHostAdapterArray adapters = m_Manager.m_Adapters;
    const struct {
        const char* name;
        int adapter; // where the twin goes: the end of this adapter's group
        int group;
    } cases[] = {
        {"a later adapter", 1, 0},
        {"the same group", 0, 0},
        {"a later group of the same adapter", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_Manager.m_Adapters = adapters;
        CDeviceRecord twin = second;
        twin.m_nDriveLetter = first.m_nDriveLetter;
        CHostAdapter& adapter = m_Manager.m_Adapters[c.adapter];
        while (adapter.m_Targets.GetSize() <= c.group)
            adapter.m_Targets.Add(CArray<CDeviceRecord>());
        adapter.m_Targets[c.group].Add(twin);
        m_pMachine->ClearLog();

        CDeviceRecord found = m_Manager.GetDriveByLetter(first.m_nDriveLetter);
        EXPECT_STREQ(first.m_szProduct, found.m_szProduct);
        EXPECT_EQ(first.m_nAdapter, found.m_nAdapter);
        EXPECT_EQ(0, m_pMachine->GetLogCount());
    }
    m_Manager.m_Adapters = adapters;
    CDeviceRecord none = m_Manager.GetDriveByLetter(20);
    EXPECT_EQ(kDriveLetterNone, none.m_nDriveLetter);
    CDeviceRecord out = second;
    EXPECT_EQ(&out, &m_Manager.GetDriveByLetter(out, 20));
    EXPECT_EQ(kDriveLetterNone, out.m_nDriveLetter);
    m_Manager.GetDriveByLetter(out, second.m_nDriveLetter);
    EXPECT_STREQ(second.m_szProduct, out.m_szProduct);
}

} // namespace
