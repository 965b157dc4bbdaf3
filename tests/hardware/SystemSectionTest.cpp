// tests/hardware/SystemSectionTest.cpp
// The host-adapter blocks and the Stratafit listing on the emulated machine, as Windows XP: whole blocks checked
// line by line, the media part left out on request, queries failing mid-report, a rebuild, and the Stratafit
// table's rules.
#include "HardwareFixture.h"

#include "Emu.h"
#include "report/HardwareSection.h"
#include "report/ReportOutput.h"
#include "support/GuardedBytes.h"
#include "support/StringLists.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace hardware_test;
using testsupport::Lines;

namespace {

class SystemSection : public HardwareMachine {
protected:
    std::vector<std::string> Block(int n, bool bMedia = true)
    {
        BuildAdapterBlocks(m_Blocks, bMedia);
        return Lines(m_Blocks[n]);
    }

    CStringArray m_Blocks[kMaxAdapterBlocks];
};

std::string Dump(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += "[" + line + "]\n";
    return text;
}

// Emulated drive ids, in the order of the machine description.
enum {
    kCdWriter = 0,
    kDisk = 1,
    kOtherWriter = 2,
    kDvdWriter = 3,
    kOldCdRom = 4,
    kUsbDvdRom = 5
};

std::vector<std::string> DriverLines(const char* pszAdapterLine, const char* pszDescription, const char* pszType,
                                     const char* pszPortDriver, const char* pszLocation)
{
    const bool bFile = pszLocation[0] != '\0';
    return {pszAdapterLine,
            std::string("Description : ") + pszDescription,
            std::string("Type        : ") + pszType,
            "",
            std::string("Port Driver : ") + pszPortDriver,
            "Provider    : ",
            std::string("Description : ") + (bFile ? "IDE/ATAPI Port Driver (Quazar Storage Corp.)" : ""),
            std::string("Location    : ") + pszLocation,
            std::string("Version     : ") + (bFile ? "5.1.2600.2180" : ""),
            "Date        : "};
}

std::vector<std::string> Joined(std::vector<std::string> first, const std::vector<std::string>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const std::vector<std::string> kCdWriterLines = {
    "",
    "ID 0 (E:) KORVATH CD-R   QZ4120    V1.06  (S/N:000000) (0.0.0A)",
    "Drive Model: QZ-4120A CD-RW",
    "Read speed: 40 X",
    "Jumper Settings: 000",
    "Buffer Underrun Proof enabled",
    "Speedamode: enabled",
};

const std::vector<std::string> kDvdWriterLines = {
    "",
    "ID 3 (G:) KORVATH DVDR   QZ7160    V1.05 TLA: (S/N:000000) (0.0.0A - 0.0.0A)",
    "Drive Model: QZ-7160 DVD-RW",
    "Read speed: 6.6-16X CAV",
    "Jumper Settings: n/a",
    "Buffer Underrun Proof enabled",
    "Stratafit: enabled",
    "Speedamode: enabled",
    "DVD-R,00:00.00",
    "Media Code: FIXTURR08X01",
    "The Stratafit Database is listed at the end of the logfile",
};

const std::vector<std::string> kOldCdRomLines = {
    "",
    "ID 5 (I:) KORVATH CDROM  QZ1240    V1.02  (S/N:000000) ()",
    "Drive Model: QZ-1240 CD-ROM",
    "Read speed: 10-24 X CAV",
    "Jumper Settings: 00000010",
    "CD-ROM,74:00.00",
};

// A DVD-ROM has no media code: the line stays empty.
const std::vector<std::string> kUsbDvdRomLines = {
    "",
    "ID 0 (H:) KORVATH DVD    QZ8080    V1.03  (S/N:000000) ()",
    "Drive Model: QZ-8080 DVD-ROM",
    "Read speed: 2-5X CAV",
    "Jumper Settings: n/a",
    "DVD-ROM, 4482 MB,510:01.29",
    "",
};

} // namespace

TEST_F(SystemSection, BlocksOfTheXpMachine)
{
    const std::string drivers = SystemDirectory() + "\\drivers\\";
    BuildAdapterBlocks(m_Blocks, true);
    EXPECT_EQ(Dump(Joined(Joined(DriverLines("IDE Interface: 0  ID: - Maximum # Targets : -", "Primary IDE Channel",
                                             "IDE ATA/ATAPI controllers", "atapi.sys", (drivers + "atapi.sys").c_str()),
                                 kCdWriterLines),
                          {"CD-ROM,74:00.00", "", "ID  1: QZDISK QZ-HD80 V1.0 ", "Volume Name: ", "Capacity: 0.00 MB",
                           "Free Space: 0.00 MB"})),
              Dump(Lines(m_Blocks[0])));
    EXPECT_EQ(Dump(Joined(DriverLines("IDE Interface: 1  ID: - Maximum # Targets : -", "", "", "atapi.sys",
                                      (drivers + "atapi.sys").c_str()),
                          {"", "ID  0: VELDARO  DVD-RW XR-7700   V1.00", "-"})),
              Dump(Lines(m_Blocks[1])));
    EXPECT_EQ(Dump(Joined(DriverLines("SCSI Interface: 2  ID: 7 Maximum # Targets : -", "QZ Fast SCSI Host Adapter",
                                      "SCSI and RAID controllers", "qzscsi.sys", (drivers + "qzscsi.sys").c_str()),
                          Joined(kDvdWriterLines, kOldCdRomLines))),
              Dump(Lines(m_Blocks[2])));
    EXPECT_EQ(Dump(Joined(DriverLines("USB Interface: 3  ID: - Maximum # Targets : -", "KORVATH DVD QZ8080 USB Device",
                                      "DVD/CD-ROM drives", "USBSTOR.SYS", (drivers + "USBSTOR.SYS").c_str()),
                          kUsbDvdRomLines)),
              Dump(Lines(m_Blocks[3])));
    for (int n = 4; n < kMaxAdapterBlocks; ++n)
        EXPECT_EQ(0, m_Blocks[n].GetSize()) << n;
}

TEST_F(SystemSection, WithoutMediaDetailsTheMakersDrivesEndInADash)
{
    std::vector<std::string> block = Block(0, false);
    auto last = std::find(block.begin(), block.end(), "Speedamode: enabled");
    ASSERT_NE(block.end(), last);
    ASSERT_NE(block.end(), last + 1);
    EXPECT_EQ("-", *(last + 1)) << "the CD writer's disc line is left out";
    EXPECT_EQ("Free Space: 0.00 MB", block.back()) << "the disk's lines stay";
    block = Block(3, false);
    EXPECT_EQ("-", block.back());
    EXPECT_EQ("Jumper Settings: n/a", block[block.size() - 2]);
}

// Each query that fails gives its fallback and the rest of the report is complete.
TEST_F(SystemSection, FailedQueriesGiveTheirFallbacks)
{
    BuildAdapterBlocks(m_Blocks, true);
    const std::vector<std::string> block1 = Lines(m_Blocks[1]), block2 = Lines(m_Blocks[2]);

    struct Change {
        const char* pszLine;        // the line that is replaced or left out
        const char* pszReplacement; // null: left out
    };
    struct Case {
        int nOpcode;
        std::vector<Change> changes;
    };
    const Case kCases[] = {
        {0x25, {{"CD-ROM,74:00.00", "CD-ROM"}}}, // READ CAPACITY: no MSF
        {0x5A,
         {{"Read speed: 40 X", "Read speed: maximum"},  // MODE SENSE: page 0x2A
          {"Buffer Underrun Proof enabled", nullptr}}}, // and page 5
        {0xED, {{"Speedamode: enabled", nullptr}}},     // Speedamode query
        {0xF1,
         {{"ID 0 (E:) KORVATH CD-R   QZ4120    V1.06  (S/N:000000) (0.0.0A)", // vendor block
           "ID 0 (E:) KORVATH CD-R   QZ4120    V1.06  (S/N:Unknown) ()"}}},
    };
    for (const Case& c : kCases) {
        m_pMachine->QueueSense(kCdWriter, c.nOpcode, 0x05, 0x24, 0x00, 1000); // every such command
        std::vector<std::string> expected = Lines(m_Blocks[0]);
        for (const Change& change : c.changes) {
            for (size_t i = 0; i < expected.size(); ++i) {
                if (expected[i] != change.pszLine)
                    continue;
                if (change.pszReplacement != nullptr)
                    expected[i] = change.pszReplacement;
                else
                    expected.erase(expected.begin() + long(i));
                break;
            }
        }
        CStringArray blocks[kMaxAdapterBlocks];
        BuildAdapterBlocks(blocks, true);
        m_pMachine->ClearSenseQueue(kCdWriter);
        EXPECT_EQ(Dump(expected), Dump(Lines(blocks[0]))) << std::hex << c.nOpcode;
        EXPECT_EQ(block1, Lines(blocks[1]));
        EXPECT_EQ(block2, Lines(blocks[2]));
    }
}

// READ CAPACITY gives the last block address as a signed 32-bit number; the disc line shows one more than it as a
// time. 0xFFFFFFFF gives 0 blocks and 0x7FFFFFFE the largest time; 0x7FFFFFFF is handed on as 0 by the drive
// manager, and like a single block or a blank CD's -151 it makes the disc blank and gives no time.
TEST_F(SystemSection, DiscLineTimeFromReadCapacity)
{
    struct Case {
        int64_t nBlocks; // the emulator answers one less
        const char* pszLine;
    };
    const Case kCases[] = {
        {0x7FFFFFFF, "CD-ROM,477218:35.22"}, // 7F FF FF FE
        {2, "CD-ROM,00:00.02"},              // 00 00 00 01
        {0, "CD-ROM,00:00.00"},              // FF FF FF FF
        {0x80000000LL, "Blank disc, -"},     // 7F FF FF FF
        {1, "Blank disc, -"},                // 00 00 00 00
        {-150, "Blank disc, -"},             // FF FF FF 69
    };
    for (const Case& c : kCases) {
        m_pMachine->SetInt(kCdWriter, EMU_KEY_BLOCKS, c.nBlocks);
        const std::vector<std::string> block = Block(0);
        auto speedamode = std::find(block.begin(), block.end(), "Speedamode: enabled");
        ASSERT_NE(block.end(), speedamode);
        ASSERT_NE(block.end(), speedamode + 1);
        EXPECT_EQ(c.pszLine, *(speedamode + 1)) << c.nBlocks;
    }
}

// After the disc line, the Densamode line from the answer of vendor query 4 and the Lockamode line from that of
// query 0xD5, each only when byte 1 of its answer is 6: the rate by byte 4 when bit 1 of byte 2 is set (Normal
// when it is clear, no line for an unknown rate), the protection by byte 4.
TEST_F(SystemSection, DensamodeAndLockamodeLines)
{
    struct Case {
        std::vector<BYTE> densamode; // 8 bytes
        std::vector<BYTE> lockamode; // 10 bytes
        std::vector<std::string> lines;
    } const kCases[] = {
        {{0, 6, 0x00, 0, 0x83, 0, 0, 0},
         {0, 6, 0, 0, 1, 0, 0, 0, 0, 0},
         {"Densamode Rate: Normal", "Lockamode: disc is protected"}},
        {{0, 6, 0x02, 0, 0x00, 0, 0, 0},
         {0, 6, 0, 0, 0, 0, 0, 0, 0, 0},
         {"Densamode Rate: Normal", "Lockamode: disc is not protected"}},
        {{0, 6, 0x02, 0, 0x01, 0, 0, 0}, {0, 5, 0, 0, 1, 0, 0, 0, 0, 0}, {"Densamode Rate: 1.2x"}},
        {{0, 6, 0x03, 0, 0x02, 0, 0, 0}, {}, {"Densamode Rate: 1.3x"}},
        {{0, 6, 0x02, 0, 0x03, 0, 0, 0}, {}, {"Densamode Rate: 1.4x"}},
        {{0, 6, 0x02, 0, 0x81, 0, 0, 0}, {}, {"Densamode Rate: 0.8x"}},
        {{0, 6, 0x02, 0, 0x82, 0, 0, 0}, {}, {"Densamode Rate: 0.7x"}},
        {{0, 6, 0x02, 0, 0x83, 0, 0, 0}, {}, {"Densamode Rate: 0.6x"}},
        {{0, 6, 0x02, 0, 0x04, 0, 0, 0}, {0, 6, 0, 0, 0x80, 0, 0, 0, 0, 0}, {"Lockamode: disc is protected"}},
        {{0, 7, 0x02, 0, 0x01, 0, 0, 0}, {}, {}},
    };
    for (const Case& c : kCases) {
        m_pMachine->SetBytes(kCdWriter, "vendor.e9.04", c.densamode.data(), uint32_t(c.densamode.size()));
        m_pMachine->SetBytes(kCdWriter, "vendor.e9.D5", c.lockamode.data(), uint32_t(c.lockamode.size()));
        const std::vector<std::string> block = Block(0);
        auto disc = std::find(block.begin(), block.end(), "CD-ROM,74:00.00");
        ASSERT_NE(block.end(), disc);
        auto end = std::find(disc + 1, block.end(), "");
        EXPECT_EQ(Dump(c.lines), Dump(std::vector<std::string>(disc + 1, end)))
            << "rate " << int(c.densamode[4]) << ", byte 2 " << int(c.densamode[2]);
    }
}

TEST_F(SystemSection, ShortStratafitAnswerLeavesTheNoteOut)
{
    const BYTE kShort[] = {0x00, 0x05, 0, 0, 0, 0, 0, 0}; // L = 5
    m_pMachine->SetBytes(kDvdWriter, "stratafit.db", kShort, sizeof(kShort));
    std::vector<std::string> block = Block(2);
    EXPECT_EQ(kOldCdRomLines.size() + 1,
              block.size() - size_t(std::find(block.begin(), block.end(), "Media Code: FIXTURR08X01") - block.begin()))
        << "the note after the media code is left out";
    CStringArray stratafit;
    BuildStratafitListing(stratafit);
    EXPECT_EQ(0, stratafit.GetSize());
}

TEST_F(SystemSection, RebuildLeavesNothingOfThePreviousBuild)
{
    BuildAdapterBlocks(m_Blocks, true);
    std::vector<std::vector<std::string>> first;
    for (int n = 0; n < 4; ++n)
        first.push_back(Lines(m_Blocks[n]));
    m_Blocks[7].Add("left over");
    BuildAdapterBlocks(m_Blocks, true);
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(first[size_t(n)], Lines(m_Blocks[n]));
    EXPECT_EQ(0, m_Blocks[7].GetSize());
}

TEST_F(SystemSection, StratafitListingOfTheDvdWriter)
{
    CStringArray stratafit;
    stratafit.Add("left over");
    BuildStratafitListing(stratafit);
    const std::vector<std::string> expected = {
        "",
        "HA:2 ID:3  QZ7160   ",
        "-----------------------------------------",
        "",
        "Active\t Type\t ID\t Usage Frequency\t Write Speed",
        "Active   Type       ID                Usage Frequency   Write Speed      ",
        "",
        "ON\t DVD+R\t RICOHJPN-R02-3\t High\t 8X",
        "ON       DVD+R      RICOHJPN-R02-3    High              8X               ",
        "OFF\t DVD-R\t FIXTUR\t Low\t 4X",
        "OFF      DVD-R      FIXTUR            Low               4X               ",
    };
    EXPECT_EQ(Dump(expected), Dump(Lines(stratafit)));
}

TEST(StratafitTable, EntryRules)
{
    // Four entries: usage 19, 20, 39, 40; kinds DVD+R (with type and revision), DVD-R (same bytes), nibble 5, DVD+R DL.
    std::vector<BYTE> answer(9 + 4 * 32, 0);
    answer[1] = BYTE(answer.size() - 2);
    answer[6] = 4;
    const BYTE kinds[] = {0xA0, 0x20, 0x50, 0xE0};
    const BYTE usages[] = {19, 20, 39, 40};
    for (int k = 0; k < 4; ++k) {
        BYTE* p = &answer[size_t(9 + 32 * k)];
        p[0] = kinds[k];
        std::memcpy(p + 1, "RICOHJPN", 8);
        std::memcpy(p + 9, "R02", 3);
        p[12] = 3;
        p[16] = usages[k];
        p[17] = 16;
    }
    CStringArray lines;
    AppendStratafitTable(answer.data(), int(answer.size()), lines);
    ASSERT_EQ(3 + 8, lines.GetSize());
    EXPECT_EQ(std::string("OFF\t DVD+R\t RICOHJPN-R02-3\t Low\t 16X"), std::string(lines[3]));
    EXPECT_EQ(std::string("OFF\t DVD-R\t RICOHJPN\t Medium\t 16X"), std::string(lines[5]));
    EXPECT_EQ(std::string("OFF\t DVD\t RICOHJPN\t Medium\t 16X"), std::string(lines[7]));
    EXPECT_EQ(std::string("OFF\t DVD+R DL\t RICOHJPN\t High\t 16X"), std::string(lines[9]));

    // A count that claims more entries than the answer holds lists only those present.
    answer[6] = 50;
    CStringArray bounded;
    AppendStratafitTable(answer.data(), int(answer.size()), bounded);
    EXPECT_EQ(3 + 8, bounded.GetSize());
    // No entry: the heading pair and the empty line.
    answer[6] = 0;
    CStringArray empty;
    AppendStratafitTable(answer.data(), int(answer.size()), empty);
    EXPECT_EQ(3, empty.GetSize());
}

// An answer that ends before its entry count (bytes 5-6) lists the heading pair and no entry, and nothing past its
// last byte is read: the bytes end where readable memory ends.
TEST(StratafitTable, AnswerTooShortForItsCount)
{
    for (size_t nLength : {size_t(0), size_t(5), size_t(6)}) {
        testsupport::GuardedBytes answer(std::vector<BYTE>(nLength, 0x7F));
        CStringArray lines;
        AppendStratafitTable(answer.data(), answer.size(), lines);
        EXPECT_EQ(3, lines.GetSize()) << nLength;
    }
}

TEST(DiskSizeLine, MegabytesAndGigabytes)
{
    const uint64_t kMB = 1024 * 1024;
    EXPECT_EQ(std::string("Capacity: 1.50 GB"), std::string(FormatDiskSizeLine("Capacity", 1536 * kMB)));
    EXPECT_EQ(std::string("Capacity: 700.00 MB"), std::string(FormatDiskSizeLine("Capacity", 700 * kMB)));
    EXPECT_EQ(std::string("Free Space: 1.00 GB"), std::string(FormatDiskSizeLine("Free Space", 1024 * kMB)));
    EXPECT_EQ(std::string("Free Space: 0.00 MB"), std::string(FormatDiskSizeLine("Free Space", 0)));
}
