// tests/drive/features/CdSpeedTest.cpp
// SET CD SPEED, the CD speeds of mode page 0x2A and vendor page 0x31, setting the read speed, and the speed texts.
#include <cstring>
#include <string>

#include "support/DriveTestFixture.h"

namespace {

class CdSpeedTest : public DriveTest {
protected:
    // The page 0x2A of the drive with a 16-bit value at a page offset.
    void SetPageWord(int nDrive, int nOffset, int nValue)
    {
        EditPage(nDrive, "mode.page.2A", [&](std::vector<uint8_t>& page) {
            page[nOffset] = uint8_t(nValue >> 8);
            page[nOffset + 1] = uint8_t(nValue);
        });
    }
};

TEST_F(CdSpeedTest, SetCdSpeedCommand)
{
    CDeviceRecord writer = AddProfile(kEmuAtapiCdWriter, 0);
    CDeviceRecord table = AddProfile(kEmuAtapiCdRom, 0); // the model with the fixed read-speed table
    const struct {
        CDeviceRecord* record;
        int read, write;
        const char* cdb;
    } cases[] = {
        {&writer, 48 * 177, 16 * 177, "BB 00 21 30 0B 10 00 00 00 00 00 00"},
        {&writer, 0xFFFF, 0xFFFF, "BB 00 FF FF FF FF 00 00 00 00 00 00"},
        {&writer, 24 * 177, -1, "BB 00 10 98 FF FF 00 00 00 00 00 00"},
        {&table, 24 * 177, 0xFFFF, "BB 00 09 A5 FF FF 00 00 00 00 00 00"},
        {&table, 4 * 177, 0, "BB 00 02 C2 00 00 00 00 00 00 00 00"},
        {&table, 40 * 177, 0, "BB 00 0F D8 00 00 00 00 00 00 00 00"},
        {&table, 54 * 177, 0, "BB 00 FF FF 00 00 00 00 00 00 00 00"},
        {&table, 20 * 177, 0, "BB 00 0D D4 00 00 00 00 00 00 00 00"},
    };
    for (const auto& c : cases) {
        m_pMachine->ClearLog();
        EXPECT_EQ(1, m_Manager.SetCdSpeed(*c.record, c.read, c.write));
        std::vector<std::string> cdbs = Cdbs();
        ASSERT_EQ(1u, cdbs.size());
        EXPECT_EQ(std::string(c.cdb), cdbs[0]);
        EXPECT_EQ(kEmuDirNone, Commands()[0].nDirection);
    }
    // The maximum never needs the model table.
    m_pMachine->ClearLog();
    m_Manager.SetCdSpeed(table, 0xFFFF, 0xFFFF);
    EXPECT_EQ(1, m_pMachine->GetLogCount());
}

// The write-speed readers find the page by its code among answer bytes 0 to 25, so a page without block
// descriptor is read right; without a page code the fields are read at offset 25.
TEST_F(CdSpeedTest, WriteSpeedsWherePageStarts)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuOtherScsiCdWriter, 3, &nDrive);
    SetPageWord(nDrive, 18, 9152);
    SetPageWord(nDrive, 20, 8447);
    EXPECT_EQ(9152, m_Manager.GetMaxWriteSpeed(record));
    EXPECT_EQ(8447, m_Manager.GetCurrentWriteSpeed(record));
    m_pMachine->SetInt(nDrive, "mode.blockDescriptor", 0);
    EXPECT_EQ(9152, m_Manager.GetMaxWriteSpeed(record));
    EXPECT_EQ(8447, m_Manager.GetCurrentWriteSpeed(record));

    m_pMachine->SetInt(nDrive, "mode.blockDescriptor", 8);
    EditPage(nDrive, "mode.page.2A", [](std::vector<uint8_t>& page) {
        page[0] = 0xAA;
        page[31] = 0x12; // answer byte 43: page byte 18 when the page is taken to start at 25
    });
    EXPECT_EQ(0x1200, m_Manager.GetMaxWriteSpeed(record));
    EXPECT_EQ(0, m_Manager.GetCurrentWriteSpeed(record));

    SetBytes(nDrive, "mode.page.2A", {});
    EXPECT_EQ(9152, m_Manager.GetMaxWriteSpeed(record));
    EXPECT_EQ(0, m_Manager.GetCurrentWriteSpeed(record));
    EXPECT_EQ(0, m_Manager.GetMaxReadSpeed(record));
}

// One family reports its maximum write speed only as the current one after SET CD SPEED asked for the maximum;
// the speeds found before are set again.
TEST_F(CdSpeedTest, MaximumWriteSpeedAfterReset)
{
    int nDrive = 0;
    CDeviceRecord record = AddMaker(kEmuAtapiCdWriter, "CD-R   QZ3240   ", "1.00", 0, &nDrive);
    EmuSetCdSpeeds(m_pMachine, nDrive, {4, 8, 16, 24}, {4, 8, 16});
    m_Manager.SetCdSpeed(record, 8 * 177, 4 * 177);
    SetPageWord(nDrive, 18, 0);
    m_pMachine->ClearLog();
    EXPECT_EQ(16 * 176, m_Manager.GetMaxWriteSpeed(record));
    std::vector<std::string> cdbs = Cdbs();
    ASSERT_EQ(4u, cdbs.size());
    EXPECT_EQ("BB 00 FF FF FF FF 00 00 00 00 00 00", cdbs[1]);
    EXPECT_EQ("BB 00 05 80 02 C0 00 00 00 00 00 00", cdbs[3]); // 8 × 176 and 4 × 176 as read
    EXPECT_EQ(8, m_Manager.GetMaxReadSpeed(record));
    EXPECT_EQ(4 * 176, m_Manager.GetCurrentWriteSpeed(record));
}

TEST_F(CdSpeedTest, ReadSpeedInX)
{
    int nDrive = 0;
    CDeviceRecord writer = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    SetPageWord(nDrive, 14, 8447);
    EXPECT_EQ(47, m_Manager.GetMaxReadSpeed(writer));
    SetPageWord(nDrive, 14, 175);
    EXPECT_EQ(0, m_Manager.GetMaxReadSpeed(writer));

    // Vendor page 0x31: the index of the selected entry, at most 6.
    int nPage31 = 0;
    CDeviceRecord cdrom = AddMaker(kEmuScsiCdRom, "CDROM  QZ1320   ", "1.00", 3, &nPage31);
    const struct {
        uint8_t index;
        int x;
    } cases[] = {{0, 1}, {4, 12}, {6, 32}, {9, 32}, {255, 32}};
    for (const auto& c : cases) {
        SetBytes(nPage31, "mode.page.31", {0x31, 0x02, c.index, 0x00});
        EXPECT_EQ(c.x, m_Manager.GetMaxReadSpeed(cdrom)) << int(c.index);
    }
    SetBytes(nPage31, "mode.page.31", {});
    EXPECT_EQ(0, m_Manager.GetMaxReadSpeed(cdrom));
}

TEST_F(CdSpeedTest, SetReadSpeedByDriveKind)
{
    // Vendor page 0x31 selects the last entry of the speed list with that speed (255 when none has it).
    int nPage31 = 0;
    CDeviceRecord cdrom = AddMaker(kEmuScsiCdRom, "CDROM  QZ1320   ", "1.00", 3, &nPage31);
    const struct {
        int x;
        uint8_t index;
    } cases[] = {{32, 6}, {14, 5}, {1, 0}, {7, 255}};
    for (const auto& c : cases) {
        m_pMachine->ClearLog();
        EXPECT_EQ(0, m_Manager.SetCdReadSpeed(cdrom, c.x));
        std::vector<EmuLogEntry> log = Commands();
        ASSERT_EQ(1u, log.size()) << c.x;
        EXPECT_EQ(0x15, log[0].cdb[0]);
        std::vector<uint8_t> list = DataOut(log[0]);
        EXPECT_EQ(std::vector<uint8_t>({0, 0, 0, 0, 0x31, 0x02, c.index, 0}), list) << c.x;
    }

    // The page-1 model: its error-recovery page first (byte 9 cleared for 12 X), then SET CD SPEED keeping the
    // write speed; not behind a bridge.
    int nPage1 = 0;
    CDeviceRecord page1 = AddMaker(kEmuScsiCdRom, "CDROM  QZ1200SX ", "1.00", 3, &nPage1);
    SetPageWord(nPage1, 20, 0x0123);
    for (int x : {12, 8}) {
        m_pMachine->ClearLog();
        m_Manager.SetCdReadSpeed(page1, x);
        std::vector<EmuLogEntry> log = Commands();
        ASSERT_EQ(3u, log.size());
        EXPECT_EQ("15 00 00 00 0C 00", HexBytes(log[0].cdb, 6));
        std::vector<uint8_t> list = DataOut(log[0]);
        ASSERT_EQ(12u, list.size());
        EXPECT_EQ(x == 12 ? 0x00 : 0x03, list[9]);
        EXPECT_EQ(0x01, list[4]);
        EXPECT_EQ(0x1A, log[1].cdb[0]);
        EXPECT_EQ(HexBytes(std::vector<uint8_t>(
                               {0xBB, 0, uint8_t((x * 177) >> 8), uint8_t(x * 177), 0x01, 0x23, 0, 0, 0, 0, 0, 0})
                               .data(),
                           12),
                  HexBytes(log[2].cdb, 12));
    }
    CDeviceRecord bridged = AddMaker(kEmuScsiCdRom, "CDROM  QZ1200SX ", "1.00", kBusTypeUsb);
    m_pMachine->ClearLog();
    m_Manager.SetCdReadSpeed(bridged, 8);
    std::vector<uint8_t> ops = Opcodes();
    EXPECT_EQ(0, std::count(ops.begin(), ops.end(), uint8_t(0x15)));
    EXPECT_EQ(uint8_t(0xBB), ops.back());

    // Writers: SET CD SPEED with 0 meaning the maximum and the current write speed kept.
    int nWriter = 0;
    CDeviceRecord writer = AddProfile(kEmuAtapiCdWriter, 0, &nWriter);
    m_pMachine->ClearLog();
    m_Manager.SetCdReadSpeed(writer, 0);
    std::vector<std::string> cdbs = Cdbs();
    EXPECT_EQ("BB 00 FF FF 10 80 00 00 00 00 00 00", cdbs.back());
}

TEST_F(CdSpeedTest, ReadSpeedTexts)
{
    int nOther = 0;
    CDeviceRecord other = AddProfile(kEmuOtherDvdWriter, 0, &nOther);
    m_pMachine->SetInt(nOther, "mode.refuse6", 0);
    int nWriter = 0;
    CDeviceRecord writer = AddProfile(kEmuAtapiCdWriter, 0, &nWriter); // 4X CLV, 8X CLV, 16X CLV, 20-48X CAV
    int nCdRom = 0;
    CDeviceRecord cdrom = AddProfile(kEmuScsiCdRom, 3, &nCdRom); // vendor page 0x31
    SetBytes(nCdRom, "mode.page.31", {0x31, 0x02, 0x02, 0x00});
    const struct {
        CDeviceRecord* record;
        int drive;
        int kbps;
        const char* text;
        const char* display;
    } cases[] = {
        {&other, nOther, 40 * 176, "40 X", "40  X"}, // the display form inserts its blank before any 'X'
        {&other, nOther, 100, "maximum", "maximum"},
        {&writer, nWriter, 48 * 176, "20-48X CAV", "20-48 X CAV"},
        {&writer, nWriter, 16 * 176 + 100, "16X CLV", "16 X CLV"},
        {&writer, nWriter, 6 * 176, "6X", "6 X"}, // not "16X CLV": 6 X is not named there
        {&writer, nWriter, 40 * 176, "40X", "40 X"},
        {&writer, nWriter, 0, "maximum", "maximum"},
        {&cdrom, nCdRom, 0, "4X CLV", "4 X CLV"},
    };
    for (const auto& c : cases) {
        SetPageWord(c.drive, 14, c.kbps);
        char text[32];
        EXPECT_STREQ(c.text, m_Manager.GetReadSpeedText(*c.record, 0, text));
        EXPECT_STREQ(c.display, m_Manager.GetReadSpeedDisplayText(*c.record, 0, text));
    }
    SetPageWord(nWriter, 14, 16 * 176);
    EXPECT_EQ(2, m_Manager.GetReadSpeedIndex(writer));
    SetPageWord(nWriter, 14, 40 * 176);
    EXPECT_EQ(0, m_Manager.GetReadSpeedIndex(writer));
    EXPECT_EQ(2, m_Manager.GetReadSpeedIndex(cdrom));

    char text[32];
    SetBytes(nCdRom, "mode.page.31", {});
    EXPECT_STREQ("maximum", m_Manager.GetReadSpeedText(cdrom, 0, text));
    SetBytes(nWriter, "mode.page.2A", {});
    EXPECT_STREQ("maximum", m_Manager.GetReadSpeedText(writer, 0, text));
}

TEST_F(CdSpeedTest, DisplayForm)
{
    const struct {
        const char* text;
        const char* display;
    } cases[] = {
        {"", ""},        {"maximum", "maximum"}, {"4X CLV", "4 X CLV"}, {"20-48X CAV", "20-48 X CAV"},
        {"52X", "52 X"}, {"CLV", "CLV"},         {"8XX", "8 XX"},       {"40 X", "40  X"},
    };
    for (const auto& c : cases) {
        char text[32];
        std::strcpy(text, c.text);
        EXPECT_STREQ(c.display, FormatSpeedText(text));
    }
}

// Which entry of a speed list names a speed: the number must stand on its own before the 'X', so a drive at 4 X
// whose list holds "4-10X CAV" before "10-24X CAV" is named by neither (its text is "4X"), not by the range whose
// upper end merely ends in 4.
TEST_F(CdSpeedTest, SpeedListEntryNamingASpeed)
{
    const struct {
        const char* name;
        std::vector<std::string> list;
        int x;
        int expected;
    } cases[] = {
        {"4 X beside 4-10 and 10-24", {"4-10X CAV", "10-24X CAV"}, 4, -1},
        {"10 X: the upper end of 4-10", {"4-10X CAV", "10-24X CAV"}, 10, 0},
        {"24 X: the upper end of 10-24", {"4-10X CAV", "10-24X CAV"}, 24, 1},
        {"4 X named later in the list", {"4-10X CAV", "10-24X CAV", "4X CLV"}, 4, 2},
        {"8 X not inside 20-48", {"20-48X CAV", "8X CLV"}, 8, 1},
        {"48 X inside 20-48", {"4X CLV", "20-48X CAV"}, 48, 1},
        {"the lower end of a range", {"16X CLV", "20-48X CAV"}, 20, -1},
        {"the first of two entries naming it", {"2-4X CAV", "4X CLV"}, 4, 0},
        {"an empty list", {}, 4, -1},
        {"the last entry", {"", "", "", "", "", "", "", "", "", "52X"}, 52, 9},
    };
    for (const auto& c : cases) {
        char list[10][16] = {};
        for (size_t i = 0; i < c.list.size(); ++i)
            std::strcpy(list[i], c.list[i].c_str());
        EXPECT_EQ(c.expected, FindSpeedListEntry(list, c.x)) << c.name;
    }
}

} // namespace
