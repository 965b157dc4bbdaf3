// tests/media/SessionsTest.cpp
// Raw sector reads on drives of each generation, sector modes, sessions and track extents.
#include "MediaTestSupport.h"

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

// An old drive gets the 2352-byte block length before the read and its saved descriptor after it.
TEST_F(SessionsTest, OldDriveSwitchesTheBlockLengthAroundTheRead)
{
    int nDrive = 0;
    CDeviceRecord record = DriveWithDisc(kEmuOtherOldCdRom, kClosedTwoSessions, &nDrive);
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
    EXPECT_EQ(0x08, DataOut(commands[3])[10]);
    EXPECT_EQ(2048, m_pMachine->GetInt(nDrive, EMU_KEY_BLOCK_LENGTH, 0));
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

} // namespace
