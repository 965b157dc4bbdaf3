// tests/drive/media/SubChannelTest.cpp
// MCN, ISRC, Q track numbers and CD-TEXT of an audio disc through each way a drive reads them: the maker's audio
// read, raw density with READ(6), READ CD with raw P-W or formatted Q; and the fall-backs when a drive refuses the
// first way.
#include "support/MediaTestSupport.h"

#include <algorithm>

#include "drive/DiscText.h"
#include "support/PinnedWindowsVersion.h"

namespace {

const char* const kAudioDisc = "disc-image cd-rom\n"
                               "disc-track audio 4000 isrc \"USKV10500042\"\n"
                               "disc-track audio 3000\n"
                               "disc-track audio 2500 isrc \"GBXQ20812345\"\n"
                               "disc-mcn \"4006381333931\"\n"
                               "disc-cdtext title 0 \"Harbour Lights\"\n"
                               "disc-cdtext title 1 \"Morning Tide\"\n"
                               "disc-cdtext title 2 \"Salt\"\n"
                               "disc-cdtext performer 0 \"The Emulators\"\n"
                               "disc-cdtext performer 3 \"Guest Singer\"\n";

class SubChannelTest : public MediaTest {
protected:
    bool Sent(uint8_t opcode)
    {
        std::vector<uint8_t> ops = Opcodes();
        return std::find(ops.begin(), ops.end(), opcode) != ops.end();
    }
    static std::string Value(const BYTE* record24) { return std::string(reinterpret_cast<const char*>(record24 + 9)); }
};

struct ReaderPath {
    const char* name;
    int profile;
    int refusedOpcode;   // the drive refuses this opcode (-1: none)
    uint8_t mustSend;    // the opcode of the way that delivers the data
    uint8_t mustNotSend; // an opcode the way does not use (0: none)
};

const ReaderPath kPaths[] = {
    {"maker's audio read", kEmuScsiCdRom, -1, 0xD8, 0x08},
    {"audio read refused: raw density and READ(6)", kEmuScsiCdRom, 0xD8, 0x08, 0xBE},
    {"old drive: raw density and READ(6)", kEmuOtherOldCdRom, -1, 0x08, 0xD8},
    {"READ CD with raw P-W", kEmuPlainDvdRom, -1, 0xBE, 0x08},
};

TEST_F(SubChannelTest, CatalogueNumberAndIsrcThroughEachPath)
{
    for (const ReaderPath& path : kPaths) {
        SCOPED_TRACE(path.name);
        int nDrive = 0;
        CDeviceRecord record = DriveWithDisc(path.profile, kAudioDisc, &nDrive);
        if (path.refusedOpcode >= 0)
            m_pMachine->QueueSense(nDrive, path.refusedOpcode, 5, 0x20, 0, 1000);
        m_pMachine->ClearLog();
        BYTE mcn[24];
        std::memset(mcn, 0xEE, sizeof(mcn));
        EXPECT_EQ(kExecCompleted, m_Manager.ReadMediaCatalogNumber(record, mcn));
        EXPECT_EQ(0x80, mcn[8]);
        EXPECT_EQ("4006381333931", Value(mcn));
        EXPECT_EQ(std::vector<BYTE>(8, 0), std::vector<BYTE>(mcn, mcn + 8));

        BYTE isrc[24];
        EXPECT_EQ(kExecCompleted, m_Manager.ReadTrackIsrc(record, 1, isrc));
        EXPECT_EQ(0x80, isrc[8]);
        EXPECT_EQ("USKV10500042", Value(isrc));
        EXPECT_EQ(kExecCompleted, m_Manager.ReadTrackIsrc(record, 3, isrc));
        EXPECT_EQ("GBXQ20812345", Value(isrc));
        EXPECT_EQ(kExecCompleted, m_Manager.ReadTrackIsrc(record, 2, isrc));
        EXPECT_EQ(0, isrc[8]) << "track 2 has no ISRC";

        EXPECT_TRUE(Sent(path.mustSend));
        if (path.mustNotSend != 0) {
            EXPECT_FALSE(Sent(path.mustNotSend));
        }
        // Drives switched to the raw density are set back to 2048-byte blocks.
        EXPECT_EQ(2048, m_pMachine->GetInt(nDrive, EMU_KEY_BLOCK_LENGTH, 0));
    }
}

TEST_F(SubChannelTest, DiscWithoutCatalogueNumber)
{
    CDeviceRecord record = DriveWithDisc(kEmuPlainDvdRom, "disc-image cd-rom\ndisc-track audio 4000");
    BYTE mcn[24];
    std::memset(mcn, 0xEE, sizeof(mcn));
    EXPECT_EQ(kExecCompleted, m_Manager.ReadMediaCatalogNumber(record, mcn));
    EXPECT_EQ(std::vector<BYTE>(24, 0), std::vector<BYTE>(mcn, mcn + 24));
}

TEST_F(SubChannelTest, AFailedReadEndsTheSearchWithItsStatus)
{
    int nDrive = 0;
    CDeviceRecord record = DriveWithDisc(kEmuPlainDvdRom, kAudioDisc, &nDrive);
    m_pMachine->QueueSense(nDrive, 0xBE, 3, 0x11, 0x00, 1000);
    BYTE mcn[24];
    EXPECT_NE(kExecCompleted, m_Manager.ReadMediaCatalogNumber(record, mcn));
    EXPECT_EQ(0, mcn[8]);
}

TEST_F(SubChannelTest, QTrackNumbers)
{
    const struct {
        const char* name;
        int profile;
        int refusedOpcode;
        uint8_t subChannel; // the READ CD sub-channel selection that delivered the numbers (0: not READ CD)
    } cases[] = {
        {"maker's drive: audio read", kEmuScsiCdRom, -1, 0},
        {"READ CD with formatted Q", kEmuPlainDvdRom, -1, 2},
        {"formatted Q refused: raw P-W", kEmuPlainDvdRom, 0xBE, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int nDrive = 0;
        // Without MCN and ISRC frames, whose Q data carries no track number.
        CDeviceRecord record = DriveWithDisc(c.profile,
                                             "disc-image cd-rom\ndisc-track audio 4000\n"
                                             "disc-track audio 3000\ndisc-track audio 2500",
                                             &nDrive);
        if (c.refusedOpcode >= 0)
            m_pMachine->QueueSense(nDrive, c.refusedOpcode, 5, 0x24, 0, 1);
        m_pMachine->ClearLog();
        int numbers[10];
        // Track 1 ends at 4000, track 2 at 7000, track 3 (the last) at 9500, then the lead-out.
        m_Manager.ReadQTrackNumbers(record, 3995, numbers);
        EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1, 2, 2, 2, 2, 2}), std::vector<int>(numbers, numbers + 10));
        std::vector<EmuLogEntry> commands = Commands();
        if (c.subChannel != 0) {
            EXPECT_EQ(c.subChannel, commands.back().cdb[10]);
        } else {
            EXPECT_TRUE(Sent(0xD8));
        }
        m_Manager.ReadQTrackNumbers(record, 9495, numbers);
        EXPECT_EQ((std::vector<int>{3, 3, 3, 3, 3, 110, 110, 110, 110, 110}), std::vector<int>(numbers, numbers + 10));
    }
}

TEST_F(SubChannelTest, NegativeLbaReadsNothing)
{
    CDeviceRecord record = DriveWithDisc(kEmuPlainDvdRom, kAudioDisc);
    m_pMachine->ClearLog();
    int numbers[10] = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    m_Manager.ReadQTrackNumbers(record, -1, numbers);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(7, numbers[0]);
}

TEST_F(SubChannelTest, CdTextStringsOfTheDisc)
{
    DiscTypeAnswer answer = DescribeDiscIn(kEmuFifthFamilyDvdWriter, kAudioDisc);
    ASSERT_STREQ("AudioCD + CD TEXT", answer.text.c_str());
    EXPECT_STREQ("Harbour Lights", answer.label.c_str());

    const struct {
        BYTE type;
        int track;
        const char* expected;
    } cases[] = {
        {kCdTextTitle, 0, "Harbour Lights"},
        {kCdTextTitle, 1, "Morning Tide"},
        {kCdTextTitle, 2, "Salt"},
        {kCdTextTitle, 3, "Unknown Title"},
        {kCdTextPerformer, 0, "The Emulators"},
        {kCdTextPerformer, 1, "Unknown Artist"},
        {kCdTextPerformer, 3, "Guest Singer"},
    };
    for (const auto& c : cases) {
        char out[160];
        GetCdTextString(c.type, c.track, out, sizeof(out), answer.cdText.data(), kCdTextBufferSize);
        EXPECT_STREQ(c.expected, out) << int(c.type) << " " << c.track;
    }
}

} // namespace

namespace {

// Whether the maker's audio read is tried depends on the bus and, for listed models, on the Windows family.
TEST_F(SubChannelTest, AudioReadByBusAndWindowsFamily)
{
    const DWORD k9x = VER_PLATFORM_WIN32_WINDOWS;
    const DWORD kNt = VER_PLATFORM_WIN32_NT;
    const struct {
        const char* name;
        int profile;
        int busType;
        DWORD platform;
        bool audioRead;
    } cases[] = {
        {"maker's drive on an IDE channel", kEmuScsiCdRom, kBusTypeIdeChannel, kNt, true},
        {"maker's drive on Serial ATA", kEmuScsiCdRom, kBusTypeSerialAta, kNt, false},
        {"maker's drive on an ATA controller", kEmuScsiCdRom, kBusTypeAta, kNt, false},
        {"listed model on Serial ATA", kEmuFourFamilyDvdWriter, kBusTypeSerialAta, kNt, true},
        {"listed USB model, Windows XP", kEmuBridgedCdWriter, kBusTypeUsb, kNt, true},
        {"listed USB model, Windows 98", kEmuBridgedCdWriter, kBusTypeUsb, k9x, false},
        {"listed model on IEEE 1394, Windows 98", kEmuBridgedCdWriter, kBusType1394, k9x, true},
        {"maker's drive on USB, Windows 98", kEmuScsiCdRom, kBusTypeUsb, k9x, true},
        {"another maker's drive", kEmuPlainDvdRom, kBusTypeIdeChannel, kNt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::PinnedWindowsVersion version(c.platform, c.platform == k9x ? 4 : 5, c.platform == k9x ? 10 : 1);
        int nDrive = 0;
        CDeviceRecord record = AddProfile(c.profile, c.busType, &nDrive);
        LoadDisc(nDrive, kAudioDisc);
        m_pMachine->ClearLog();
        BYTE mcn[24];
        EXPECT_EQ(kExecCompleted, m_Manager.ReadMediaCatalogNumber(record, mcn));
        EXPECT_EQ("4006381333931", Value(mcn));
        EXPECT_EQ(c.audioRead, Sent(0xD8));
    }
}

} // namespace
