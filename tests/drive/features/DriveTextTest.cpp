// tests/drive/features/DriveTextTest.cpp
// Serial numbers from their three sources, jumper bits, the TLA code, drive labels and sense texts.
#include <cstring>
#include <string>

#include "support/DriveTestFixture.h"

namespace {

class DriveTextTest : public DriveTest {
protected:
    std::vector<uint8_t> Block(std::initializer_list<std::pair<int, const char*>> texts)
    {
        std::vector<uint8_t> block(512, 0);
        for (const auto& t : texts)
            std::memcpy(block.data() + t.first, t.second, std::strlen(t.second));
        return block;
    }

    // A Logical Unit Serial Number feature whose data are the given bytes.
    void SetSerialFeature(int nDrive, const std::string& serial)
    {
        std::vector<uint8_t> feature = {0x01, 0x08, 0x01, uint8_t(serial.size())};
        feature.insert(feature.end(), serial.begin(), serial.end());
        SetBytes(nDrive, "config.feature.0108", feature);
    }
};

// Block bytes 26-30 are five hexadecimal characters, printed as a six-digit decimal number.
TEST_F(DriveTextTest, SerialNumberFromVendorBlock)
{
    const struct {
        const char* hex;
        const char* text;
    } cases[] = {{"0A1B2", "041394"}, {"FFFFF", "1048575"}, {"00001", "000001"},
                 {"abcde", "703710"}, {"", "000000"},       {"1 2", "066048"}};
    for (const auto& c : cases) {
        int nDrive = 0;
        CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
        SetBytes(nDrive, "vendor.info", Block({{26, c.hex}}));
        char text[30] = "unchanged";
        EXPECT_TRUE(m_Manager.GetSerialNumberText(record, text));
        EXPECT_STREQ(c.text, text);
    }
    // The four-family group reads the block in pieces; a drive that refuses the read leaves the text alone.
    int nFour = 0;
    CDeviceRecord four = AddProfile(kEmuFourFamilyDvdWriter, 0, &nFour);
    SetBytes(nFour, "vendor.info", Block({{26, "00010"}}));
    char text[30] = "unchanged";
    m_pMachine->ClearLog();
    EXPECT_TRUE(m_Manager.GetSerialNumberText(four, text));
    EXPECT_STREQ("000016", text);
    std::vector<std::string> cdbs = Cdbs();
    ASSERT_FALSE(cdbs.empty());
    EXPECT_EQ("F1 01 00 00 00 00 00 00 00 80 00 00", cdbs.back());
    m_pMachine->SetInt(nFour, "vendor", 0);
    std::strcpy(text, "unchanged");
    EXPECT_FALSE(m_Manager.GetSerialNumberText(four, text));
    EXPECT_STREQ("unchanged", text);
}

// One listed model without vendor information reads six bytes with 0xF3 when it is not on an ATAPI bus; on ATAPI
// it asks GET CONFIGURATION like any other drive.
TEST_F(DriveTextTest, SerialNumberFromVendorCommandAndConfiguration)
{
    int nDrive = 0;
    CDeviceRecord scsi = AddMaker(kEmuAtapiCdWriter, "CD-R   QZ4480   ", "1.00", kBusTypeScsi, &nDrive);
    m_pMachine->SetInt(nDrive, "vendor", 1);
    char text[30] = "";
    m_pMachine->ClearLog();
    EXPECT_TRUE(m_Manager.GetSerialNumberText(scsi, text));
    EXPECT_STREQ("123456789ABC", text);
    EXPECT_EQ(std::vector<uint8_t>({0xF3}), Opcodes());
    m_pMachine->SetInt(nDrive, "vendor", 0);
    std::strcpy(text, "unchanged");
    EXPECT_FALSE(m_Manager.GetSerialNumberText(scsi, text));
    EXPECT_STREQ("unchanged", text);

    int nAtapi = 0;
    CDeviceRecord atapi = AddMaker(kEmuAtapiCdWriter, "CD-R   QZ4480   ", "1.00", kBusTypeIdeChannel, &nAtapi);
    SetSerialFeature(nAtapi, "QZ 0042");
    m_pMachine->ClearLog();
    EXPECT_TRUE(m_Manager.GetSerialNumberText(atapi, text));
    EXPECT_STREQ("QZ0042", text);
    EXPECT_EQ(std::vector<uint8_t>({0x46}), Opcodes());
}

TEST_F(DriveTextTest, SerialNumberFromConfigurationFeature)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    char text[32];
    std::memset(text, 0x55, sizeof(text));
    std::strcpy(text, "unchanged");

    SetSerialFeature(nDrive, "AB 12 CD");
    EXPECT_TRUE(m_Manager.GetSerialNumberText(record, text));
    EXPECT_STREQ("AB12CD", text);

    // No data behind the feature header: true, text unchanged.
    SetSerialFeature(nDrive, "");
    std::strcpy(text, "unchanged");
    EXPECT_TRUE(m_Manager.GetSerialNumberText(record, text));
    EXPECT_STREQ("unchanged", text);
    SetSerialFeature(nDrive, "    ");
    EXPECT_TRUE(m_Manager.GetSerialNumberText(record, text));
    EXPECT_STREQ("unchanged", text);

    // A long serial number is cut at the 40-byte answer: 28 characters, never more than 29 bytes written.
    SetSerialFeature(nDrive, std::string(60, 'S'));
    EXPECT_TRUE(m_Manager.GetSerialNumberText(record, text));
    EXPECT_EQ(28u, std::strlen(text));
    EXPECT_EQ(0x55, uint8_t(text[30]));

    CDeviceRecord old = AddProfile(kEmuOtherOldCdRom, 0);
    std::strcpy(text, "unchanged");
    EXPECT_FALSE(m_Manager.GetSerialNumberText(old, text));
    EXPECT_STREQ("unchanged", text);
}

TEST_F(DriveTextTest, JumperBits)
{
    const struct {
        const char* product;
        uint8_t read;
        uint8_t expected;
    } cases[] = {
        {"CD-R   QZ4400   ", 0x40, 0x08}, {"CD-R   QZ4400   ", 0x08, 0x10}, {"CD-R   QZ4400   ", 0x81, 0x81},
        {"CD-R   QZ4400PM ", 0x30, 0x60}, {"CD-R   QZ4400PM ", 0x7F, 0x7F}, {"CD-R   QZ4120   ", 0x40, 0x40},
    };
    for (const auto& c : cases) {
        int nDrive = 0;
        CDeviceRecord record = AddMaker(kEmuAtapiCdWriter, c.product, "1.00", 0, &nDrive);
        SetBytes(nDrive, "vendor.jumper", {c.read, 0, 0, 0});
        EXPECT_EQ(c.expected, m_Manager.GetJumperSettings(record)) << c.product << " " << int(c.read);
    }
    CDeviceRecord other = AddProfile(kEmuOtherDvdWriter, 0);
    m_pMachine->ClearLog();
    EXPECT_EQ(0, m_Manager.GetJumperSettings(other));
    EXPECT_TRUE(Opcodes().empty());
}

TEST_F(DriveTextTest, TlaCode)
{
    int nDrive = 0;
    CDeviceRecord five = AddMaker(kEmuFifthFamilyDvdWriter, "DVDR   QZ7240   ", "1.04", 0, &nDrive);
    SetBytes(nDrive, "vendor.info", Block({{41, "KTXY"}}));
    EXPECT_STREQ("TLA:KT04", m_Manager.GetTlaCodeText(five));
    m_pMachine->ClearLog();
    m_Manager.GetTlaCodeText(five);
    std::vector<EmuLogEntry> log = Commands();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(256u, log[0].nTransferLength);

    int nFour = 0;
    CDeviceRecord four = AddProfile(kEmuFourFamilyDvdWriter, 0, &nFour);
    SetBytes(nFour, "vendor.info", Block({{41, "QR"}}));
    EXPECT_STREQ("TLA:QR05", m_Manager.GetTlaCodeText(four));
    m_pMachine->SetInt(nFour, "vendor", 0);
    EXPECT_STREQ("", m_Manager.GetTlaCodeText(four));

    CDeviceRecord writer = AddProfile(kEmuAtapiCdWriter, 0);
    m_pMachine->ClearLog();
    EXPECT_STREQ("", m_Manager.GetTlaCodeText(writer));
    EXPECT_EQ(0, m_pMachine->GetLogCount());
}

struct LabelCase {
    int profile;
    const char* vendor;
    const char* product;
    int bus;
    int interfaceCode; // byte 49 of the vendor block, -1: the block cannot be read
    const char* label;
};

TEST_F(DriveTextTest, DriveLabels)
{
    const LabelCase cases[] = {
        {kEmuBridgedCdWriter, "KORVATH ", "CD-R   QZ5200   ", 4, 0, "ID:2   QZ-5200U USB CD-RW"},
        {kEmuBridgedCdWriter, "KORVATH ", "CD-R   QZ5244   ", 4, 0, "ID:2   QZ-5240U USB CD-RW"},
        {kEmuBridgedCdWriter, "KORVATH ", "CD-R   QZ5200   ", 0, 0, "ID:2  QZ5200   "},
        {kEmuFourFamilyDvdWriter, "KORVATH ", "DVDR   QZ7204   ", 4, 0, "ID:2  QZ-7200U USB DVD-RW"},
        {kEmuFourFamilyDvdWriter, "KORVATH ", "DVDR   QZ7164   ", 5, 0, "ID:2  QZ-7160 Ext DVD-RW"},
        {kEmuFourFamilyDvdWriter, "KORVATH ", "DVDR   QZ7164   ", 0, 0, "ID:2  QZ-7164 DVD-RW"},
        {kEmuFifthFamilyDvdWriter, "KORVATH ", "DVDR   QZ7240A  ", 4, 0, "ID:2  QZ-7240AU Ext DVD-RW"},
        {kEmuFifthFamilyDvdWriter, "KORVATH ", "DVDR   QZ7240   ", 5, 0, "ID:2  QZ-7240 Ext DVD-RW"},
        {kEmuBridgedCdWriter, "KORVATH ", "CD-R   QZ5280   ", 4, 0, "ID:2  QZ-5280UL USB CD-RW"},
        {kEmuBridgedCdWriter, "KORVATH ", "CD-R   QZ5280B  ", 4, 0, "ID:2  QZ-5280U USB CD-RW"},
        {kEmuBridgedCdWriter, "KORVATH ", "CD-R   QZ5280   ", 5, 0, "ID:2  QZ-5280U USB CD-RW"},
        {kEmuBridgedCdWriter, "KORVATH ", "CD-R   QZ5280   ", 2, 5, "ID:2  QZ-5280S SATA CD-RW"},
        {kEmuSataDvdWriter, "KORVATH ", "DVDR   QZ7300   ", 2, 1, "ID:2  QZ-7300S SATA DVD-RW"},
        {kEmuSataDvdWriter, "KORVATH ", "DVDR   QZ7300   ", 2, 3, "ID:2  QZ7300   "},
        {kEmuSataDvdWriter, "KORVATH ", "DVDR   QZ7300   ", 2, -1, "ID:2  QZ7300   "},
        {kEmuSataDvdWriter, "KORVATH ", "DVDR   QZ7300X  ", 4, 0, "ID:2  QZ-7300X Ext DVD-RW"},
        {kEmuFourFamilyDvdWriter, "KORVATH ", "DVDR   QZ7160   ", 2, 1, "ID:2  QZ-7160S SATA DVD-RW"},
        {kEmuAtapiCdWriter, "KORVATH ", "CD-R   QZ4120   ", 0, 0, "ID:2  QZ4120   "},
        {kEmuPlainDvdRom, "KORVATH ", "DVD    QZ8160   ", 0, 0, "ID:2  QZ8160   "}, // special speed model
        {kEmuPlainDvdRom, "KORVATH ", "DVD    QZ8240   ", 0, 0, "ID:2  DVD    QZ8240   "},
        {kEmuOtherDvdWriter, "VELDARO ", "DVD-RW XR-7700  ", 0, 0, "ID:2  DVD-RW XR-7700  "},
        {kEmuOtherDvdWriter, "VELDARO ", "DVDR   QZ7300   ", 2, 1, "ID:2  QZ-7300S SATA DVD-RW"},
    };
    for (const LabelCase& c : cases) {
        int nDrive = 0;
        CDeviceRecord record = AddAs(c.profile, c.vendor, c.product, "1.00", c.bus, &nDrive);
        record.m_nTarget = 2;
        if (c.interfaceCode < 0) {
            m_pMachine->SetInt(nDrive, "vendor", 0);
        } else {
            std::vector<uint8_t> block(512, 0);
            block[49] = uint8_t(c.interfaceCode);
            m_pMachine->SetInt(nDrive, "vendor", 1);
            SetBytes(nDrive, "vendor.info", block);
        }
        char label[64];
        std::memset(label, 0x55, sizeof(label));
        m_Manager.GetDriveLabel(record, label);
        EXPECT_STREQ(c.label, label) << c.product << " bus " << c.bus;
        EXPECT_LE(std::strlen(label), 32u);
    }
}

// A drive that does not answer INQUIRY is labelled by its target alone; nothing is read before the text.
TEST_F(DriveTextTest, LabelOfSilentDrive)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    record.m_nTarget = 1;
    m_pMachine->QueueSense(nDrive, 0x12, 2, 0x3A, 0, 10);
    char label[64];
    m_Manager.GetDriveLabel(record, label);
    EXPECT_STREQ("ID:1  ", label);
}

TEST_F(DriveTextTest, SenseTexts)
{
    const struct {
        int32_t code;
        const char* text;
    } cases[] = {
        {0x23A00, "  No disc in drive"},  {0x23A01, "  No disc in drive"},           {0x23A02, "  No disc in drive"},
        {0x23A03, "  Unspecified error"}, {0x20401, "  Reading of TOC in progress"}, {0x20400, "  Unspecified error"},
        {0, "  Unspecified error"},
    };
    for (const auto& c : cases) {
        char text[64];
        EXPECT_STREQ(c.text, SenseToText(c.code, text)) << std::hex << c.code;
    }
}

} // namespace
