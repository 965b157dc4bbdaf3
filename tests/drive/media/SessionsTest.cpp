// tests/drive/media/SessionsTest.cpp
// Raw sector reads on drives of each generation, sector modes, sessions and track extents.
#include "support/MediaTestSupport.h"
#include "drive/Cdb.h"

namespace {

class SessionsTest : public MediaTest {};

const char* const kClosedTwoSessions =
    "disc-image cd-r\ndisc-atip 97:24:01 79:59:74\ndisc-track mode1 5000\ndisc-track mode2 3000 session 2";
const char* const kOpenTwoSessions =
    "disc-image cd-r open\ndisc-atip 97:24:01 79:59:74\ndisc-track mode1 5000\ndisc-track mode2 3000 session 2";

TEST_F(SessionsTest, RawReadFormByDriveAndBlockSize)
{
    const struct {
        const char* name;
        int profile;
        int blockSize;
        uint8_t opcode;
        uint8_t flags, subChannel; // READ CD bytes 9 and 10
    } cases[] = {
        {"writer, 2448 bytes", kEmuFifthFamilyDvdWriter, 2448, 0xBE, 0xF8, 1},
        {"writer, 2352 bytes", kEmuFifthFamilyDvdWriter, 2352, 0xBE, 0xF8, 0},
        {"ten-byte drive, 2646 bytes", kEmuPlainDvdRom, 2646, 0xBE, 0x10, 0},
        {"ten-byte drive, 2368 bytes", kEmuPlainDvdRom, 2368, 0xBE, 0x10, 1},
        {"old drive, 2352 bytes", kEmuOtherOldCdRom, 2352, 0x08, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CDeviceRecord record = DriveWithDisc(c.profile, kClosedTwoSessions);
        std::vector<BYTE> buffer(size_t(c.blockSize) * 2, 0);
        m_pMachine->ClearLog();
        m_Manager.ReadRawSectors(record, 100, 2, c.blockSize, buffer.data());
        std::vector<EmuLogEntry> commands = Commands();
        ASSERT_FALSE(commands.empty());
        const EmuLogEntry& read = commands.back();
        EXPECT_EQ(c.opcode, read.cdb[0]);
        EXPECT_EQ(uint32_t(2 * c.blockSize), read.nTransferLength);
        if (c.opcode == 0xBE) {
            EXPECT_EQ(c.flags, read.cdb[9]);
            EXPECT_EQ(c.subChannel, read.cdb[10]);
        } else {
            EXPECT_EQ((std::vector<uint8_t>{0x08, 0, 0, 100, 2, 0}), std::vector<uint8_t>(read.cdb, read.cdb + 6));
        }
    }
}

// An old drive gets the 2352-byte block length before the read and its saved header and descriptor after it: the
// drive's own medium type and density code come back, which the fixed 2048-byte list would not bring.
TEST_F(SessionsTest, OldDriveSwitchesTheBlockLengthAroundTheRead)
{
    int nDrive = 0;
    CDeviceRecord record = DriveWithDisc(kEmuOtherOldCdRom, kClosedTwoSessions, &nDrive);
    m_pMachine->SetInt(nDrive, "mode.mediumType", 0x02);
    m_pMachine->SetInt(nDrive, "mode.density", 0x83);
    BYTE sensed[12] = {};
    ASSERT_EQ(kExecCompleted, m_Manager.ModeSense(record, 0x01, sizeof(sensed), sensed));
    EXPECT_EQ(0x02, sensed[1]);
    EXPECT_EQ(0x83, sensed[4]);
    m_pMachine->ClearLog();
    std::vector<BYTE> raw(2352, 0);
    EXPECT_EQ(kExecCompleted, m_Manager.ReadRawSectorsWithBlockLength(record, 16, 1, raw.data()));
    // The block-length switching around the read (the writer test's own commands left out).
    std::vector<EmuLogEntry> commands;
    for (const EmuLogEntry& e : Commands()) {
        if (e.cdb[0] == 0x15 || e.cdb[0] == 0x08 || (e.cdb[0] == 0x1A && e.cdb[2] == 0x01))
            commands.push_back(e);
    }
    ASSERT_EQ(4u, commands.size());
    EXPECT_EQ(0x1A, commands[0].cdb[0]);
    EXPECT_EQ(0x01, commands[0].cdb[2]);
    EXPECT_EQ(0x15, commands[1].cdb[0]);
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30}), DataOut(commands[1]));
    EXPECT_EQ(0x08, commands[2].cdb[0]);
    EXPECT_EQ(0x15, commands[3].cdb[0]);
    EXPECT_EQ(std::vector<uint8_t>(sensed, sensed + 12), DataOut(commands[3]));
    EXPECT_EQ(2048, m_pMachine->GetInt(nDrive, EMU_KEY_BLOCK_LENGTH, 0));
    EXPECT_EQ(0x83, m_pMachine->GetInt(nDrive, "mode.density", 0));
    EXPECT_EQ(1, raw[15]);
    EXPECT_EQ(0, std::memcmp(raw.data() + 17, "CD001", 5) == 0 ? 1 : 0) << "generated data, not an ISO image";

    // The block length is restored also when the read fails.
    m_pMachine->QueueSense(nDrive, 0x08, 3, 0x11, 0, 1);
    EXPECT_NE(kExecCompleted, m_Manager.ReadRawSectorsWithBlockLength(record, 16, 1, raw.data()));
    EXPECT_EQ(2048, m_pMachine->GetInt(nDrive, EMU_KEY_BLOCK_LENGTH, 0));
}

TEST_F(SessionsTest, SectorModes)
{
    CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter, kClosedTwoSessions);
    EXPECT_EQ(1, m_Manager.GetSectorMode(record, 100));
    EXPECT_EQ(6, m_Manager.IsMode2Sector(record, 100));
    EXPECT_EQ(2, m_Manager.GetSectorMode(record, 16400 + 10));
    EXPECT_EQ(2, m_Manager.IsMode2Sector(record, 16400 + 10));
    EXPECT_EQ(-1, m_Manager.GetSectorMode(record, 12000)); // between the sessions
    EXPECT_EQ(0, m_Manager.IsMode2Sector(record, 12000));
}

TEST_F(SessionsTest, SessionLeadOutAndAppendability)
{
    CDeviceRecord closed = DriveWithDisc(kEmuFifthFamilyDvdWriter, kClosedTwoSessions);
    EXPECT_EQ(-1, m_Manager.GetSessionLeadOut(closed, 1));
    EXPECT_EQ(-1, m_Manager.GetSessionLeadOut(closed, 2));
    EXPECT_FALSE(m_Manager.IsDiscAppendable(closed));
    EXPECT_EQ(1, m_Manager.IsSessionLastTrack(closed, 1, 0));
    EXPECT_EQ(0, m_Manager.IsSessionLastTrack(closed, 2, 0));
    EXPECT_EQ(1, m_Manager.IsSessionLastTrack(closed, 2, 1));

    CDeviceRecord open = DriveWithDisc(kEmuFifthFamilyDvdWriter, kOpenTwoSessions);
    EXPECT_EQ(16400 + 3000, m_Manager.GetSessionLeadOut(open, 2));
    EXPECT_TRUE(m_Manager.IsDiscAppendable(open));

    CDeviceRecord bcd = DriveWithDisc(kEmuScsiCdRom, kOpenTwoSessions);
    EXPECT_EQ(16400 + 3000, m_Manager.GetSessionLeadOut(bcd, 2));
    EXPECT_TRUE(m_Manager.IsDiscAppendable(bcd));

    CDeviceRecord dvd = DriveWithDisc(kEmuFifthFamilyDvdWriter, "disc-image dvd-r open blocks 2298496\n"
                                                                "disc-file \"{dir}\\data.iso\"");
    EXPECT_TRUE(m_Manager.IsDiscAppendable(dvd));
    CDeviceRecord finished = DriveWithDisc(kEmuFifthFamilyDvdWriter, "disc-image dvd-r blocks 2298496\n"
                                                                     "disc-file \"{dir}\\data.iso\"");
    EXPECT_FALSE(m_Manager.IsDiscAppendable(finished));
}

TEST_F(SessionsTest, RunOutBlocksOfAPacketWrittenTrack)
{
    CDeviceRecord record =
        DriveWithDisc(kEmuFifthFamilyDvdWriter, "disc-image cd-rw\ndisc-atip 97:25:30 74:59:74 rw\n"
                                                "disc-track mode1 \"{dir}\\data.iso\" packet runout 7");
    long blocks = std::stol(ExpectedDiscFacts()["data blocks"]);
    EXPECT_EQ(7, m_Manager.CountTrackRunOutBlocks(record, 0, 150, blocks, FALSE));
    EXPECT_EQ(7, m_Manager.CountTrackRunOutBlocks(record, 0, 150, blocks, TRUE));

    CDeviceRecord plain = DriveWithDisc(kEmuFifthFamilyDvdWriter, "disc-image cd-rom\ndisc-track mode1 5000");
    EXPECT_EQ(0, m_Manager.CountTrackRunOutBlocks(plain, 0, 150, 5000, FALSE));
    CDeviceRecord audio = DriveWithDisc(kEmuFifthFamilyDvdWriter, "disc-image cd-rom\ndisc-track audio 5000");
    EXPECT_EQ(0, m_Manager.CountTrackRunOutBlocks(audio, 0, 150, 5000, FALSE));
}

TEST_F(SessionsTest, TrackExtents)
{
    const char* const disc = "disc-image cd-rom\ndisc-track audio 4000\ndisc-track audio 3000\n"
                             "disc-track audio 2500";
    CDeviceRecord record = DriveWithDisc(kEmuPlainDvdRom, disc);
    int count = 0, pregap = 0;
    EXPECT_EQ(1, m_Manager.CountSessionOneTracks(record, &count, &pregap));
    EXPECT_EQ(3, count);
    EXPECT_EQ(150, pregap);

    long start = -5, end = -5;
    m_Manager.GetTrackExtent(record, 2, &start, &end);
    EXPECT_EQ(4000, start);
    EXPECT_EQ(7000, end);
    m_Manager.GetTrackExtent(record, 3, &start, &end);
    EXPECT_EQ(7000, start);
    EXPECT_EQ(9500, end);

    for (BOOL fullToc : {FALSE, TRUE}) {
        SCOPED_TRACE(fullToc);
        long length = 0;
        m_Manager.MeasureTrackExtent(record, 1, &start, &length, fullToc);
        EXPECT_EQ(0, start);
        EXPECT_EQ(4000, length);
        m_Manager.MeasureTrackExtent(record, 3, &start, &length, fullToc);
        EXPECT_EQ(7000, start);
        EXPECT_EQ(2500, length);

        BYTE range[10] = {0xAB, 0xCD};
        EXPECT_EQ(1, m_Manager.GetTrackRange(record, 2, range, fullToc));
        EXPECT_EQ((std::vector<BYTE>{0xAB, 0xCD, 0, 0, 0x10, 0x36, 0, 0, 0x0B, 0xB8}),
                  std::vector<BYTE>(range, range + 10));
    }
}

// A drive that reads no sub-channel data: the searches for the real end stop at the track's bounds.
TEST_F(SessionsTest, TrackExtentWithoutSubchannelData)
{
    int nDrive = 0;
    CDeviceRecord record = DriveWithDisc(kEmuPlainDvdRom,
                                         "disc-image cd-rom\ndisc-track audio 4000\n"
                                         "disc-track audio 3000",
                                         &nDrive);
    m_pMachine->QueueSense(nDrive, 0xBE, 3, 0x11, 0, 100000);
    long start = -1, length = -1;
    m_Manager.MeasureTrackExtent(record, 1, &start, &length, FALSE);
    EXPECT_EQ(0, start);
    EXPECT_EQ(4000, length);
    EXPECT_LT(m_pMachine->GetLogCount(), 2000);
}

// A table of contents (format 0) of two tracks and the lead-out at the given addresses.
std::vector<uint8_t> TwoTrackToc(uint32_t first, uint32_t second, uint32_t leadOut)
{
    std::vector<uint8_t> toc = {0, 26, 1, 2};
    const struct {
        uint8_t track;
        uint32_t lba;
    } entries[] = {{1, first}, {2, second}, {0xAA, leadOut}};
    for (const auto& e : entries) {
        uint8_t d[8] = {0, 0x10, e.track, 0};
        SetBe32(d + 4, e.lba);
        toc.insert(toc.end(), d, d + 8);
    }
    return toc;
}

// A drive whose table of contents names absurd addresses: the start and the next start are taken into the
// addresses a CD can have (-150 to 449849), the searches for the real end stop after a bounded number of reads,
// and no length overflows or turns negative.
TEST_F(SessionsTest, TrackExtentWithAbsurdTocAddresses)
{
    const long kLast = 449849; // 99:59:74
    const struct {
        const char* name;
        int track;
        uint32_t first, second, leadOut;
        long start, length;
    } cases[] = {
        {"next start far beyond the disc", 1, 0, 2000000, 2100000, 0, kLast},
        {"next start before the start", 1, 4000, 1000, 7000, 4000, 0},
        {"start and next start at the ends of the 32-bit range", 1, 0x80000000u, 0x7FFFFFFFu, 0x7FFFFFFFu, -150,
         kLast + 150},
        {"last track from the lowest start to the highest lead-out", 2, 0, 0x80000000u, 0x7FFFFFFFu, -150, kLast + 150},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int nDrive = 0;
        CDeviceRecord record = DriveWithDisc(kEmuPlainDvdRom,
                                             "disc-image cd-rom\ndisc-track audio 4000\n"
                                             "disc-track audio 3000",
                                             &nDrive);
        SetBytes(nDrive, "toc.0", TwoTrackToc(c.first, c.second, c.leadOut));
        m_pMachine->ClearLog();
        long start = -1, length = -1;
        m_Manager.MeasureTrackExtent(record, c.track, &start, &length, FALSE);
        // 160 steps back and the forward steps over the 12800 sectors they crossed, two reads each at most.
        ASSERT_LT(Commands().size(), 3000u);
        EXPECT_EQ(c.start, start);
        EXPECT_EQ(c.length, length);

        BYTE range[10] = {};
        m_pMachine->ClearLog();
        EXPECT_EQ(1, m_Manager.GetTrackRange(record, BYTE(c.track), range, FALSE));
        ASSERT_LT(Commands().size(), 3000u);
        EXPECT_EQ(DWORD(c.start + 150), GetBe32(range + 2));
        EXPECT_EQ(DWORD(c.length), GetBe32(range + 6));
    }
}

} // namespace
