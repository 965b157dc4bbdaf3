// tests/drive/commands/RetryTest.cpp
// The write and not-ready retry rules and the ready wait, on the virtual clock: 250 ms between attempts and a
// limit of five minutes instead of waiting forever.
#include "support/DriveTestFixture.h"

namespace {

const uint64_t kIntervalUs = 250 * 1000;
const uint64_t kLimitUs = 5ULL * 60 * 1000 * 1000;

// Drives here accept the writing commands without a model of their own (not strict): only the scripted sense
// matters.
class RetryTest : public DriveTest {
protected:
    CDeviceRecord AddWriter(int* pnDrive)
    {
        CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, pnDrive);
        m_pMachine->SetInt(*pnDrive, EMU_KEY_STRICT, 0);
        return record;
    }

    uint64_t Elapsed() { return m_pMachine->GetTimeUs() - m_nStart; }
    void StartClock()
    {
        m_nStart = m_pMachine->GetTimeUs();
        m_pMachine->ClearLog();
    }
    uint64_t m_nStart = 0;
};

// A write meeting LONG WRITE IN PROGRESS is sent again, identical and with the full data, every 250 ms until the
// drive takes it; any other failure ends at once.
TEST_F(RetryTest, WriteRetriesWhileLongWriteInProgress)
{
    int nDrive = 0;
    CDeviceRecord record = AddWriter(&nDrive);
    std::vector<BYTE> data(32 * 2048, 0x5A);

    m_pMachine->QueueSense(nDrive, 0xAA, 2, 0x04, 0x08, 3);
    StartClock();
    EXPECT_EQ(1, m_Manager.Write12(record, 0x10, 32, 2048, 1, data.data()));
    std::vector<EmuLogEntry> log = Commands();
    ASSERT_EQ(4u, log.size());
    for (const EmuLogEntry& entry : log) {
        EXPECT_EQ(0x80, entry.cdb[10]);
        EXPECT_EQ(65536u, entry.nTransferLength);
        EXPECT_EQ(65536u, entry.nDataOutLength);
        EXPECT_EQ(0, std::memcmp(log[0].cdb, entry.cdb, 12));
    }
    EXPECT_EQ(3 * kIntervalUs, Elapsed());

    m_pMachine->QueueSense(nDrive, 0x2A, 3, 0x0C, 0x00, 1);
    StartClock();
    EXPECT_NE(1, m_Manager.Write10(record, 0, 1, 2048, data.data()));
    EXPECT_EQ(1u, Commands().size());
    EXPECT_EQ(0x30C00, GetSenseCode(record));
    EXPECT_EQ(0u, Elapsed());
}

// A failure without sense data (here: the device cannot be opened) is retried on Windows 2000 only, and even
// there the rule gives up after the limit instead of looping forever.
TEST_F(RetryTest, WriteWithoutSenseRetriedOnWindows2000Only)
{
    int nDrive = 0;
    CDeviceRecord record = AddWriter(&nDrive);
    std::vector<BYTE> data(2048, 0);
    char device[8] = "\\\\.\\D:";
    device[4] = char('A' + record.m_nDriveLetter);
    m_pMachine->SetLetterOpenFails(record.m_nDriveLetter, true);

    uint32_t opens = m_pMachine->GetDeviceOpenCount(device);
    StartClock();
    EXPECT_EQ(0, m_Manager.Write10(record, 0, 1, 2048, data.data()));
    EXPECT_EQ(opens + 1, m_pMachine->GetDeviceOpenCount(device));
    EXPECT_EQ(0u, Elapsed());

    g_bIsWindows2000 = 1;
    opens = m_pMachine->GetDeviceOpenCount(device);
    StartClock();
    EXPECT_EQ(0, m_Manager.Write10(record, 0, 1, 2048, data.data()));
    EXPECT_EQ(kLimitUs, Elapsed());
    EXPECT_EQ(opens + 1 + kLimitUs / kIntervalUs, m_pMachine->GetDeviceOpenCount(device));
}

// SYNCHRONIZE CACHE and CLOSE TRACK/SESSION wait out the LOGICAL UNIT NOT READY family (2/04/00-08) only.
TEST_F(RetryTest, NotReadyRule)
{
    const struct {
        uint8_t asc, ascq;
        size_t commands;
        int status;
    } cases[] = {
        {0x04, 0x07, 3, 1}, {0x04, 0x00, 3, 1}, {0x04, 0x08, 3, 1}, {0x04, 0x09, 1, 0}, {0x3A, 0x00, 1, 0},
    };
    for (const auto& c : cases) {
        int nDrive = 0;
        CDeviceRecord record = AddWriter(&nDrive);
        m_pMachine->QueueSense(nDrive, 0x35, 2, c.asc, c.ascq, 2);
        m_pMachine->QueueSense(nDrive, 0x5B, 2, c.asc, c.ascq, 2);
        StartClock();
        EXPECT_EQ(c.status == 1, m_Manager.SynchronizeCache(record, 1, 0, 0, nullptr) == 1);
        EXPECT_EQ(c.status == 1, m_Manager.CloseTrackSession(record, 1, 2, 1) == 1);
        EXPECT_EQ(2 * c.commands, Commands().size()) << std::hex << int(c.asc) << "/" << int(c.ascq);
    }

    int nDrive = 0;
    CDeviceRecord stuck = AddWriter(&nDrive);
    m_pMachine->QueueSense(nDrive, 0x35, 2, 0x04, 0x07, 1000000);
    StartClock();
    EXPECT_NE(1, m_Manager.SynchronizeCache(stuck, 1, 0, 0, nullptr));
    EXPECT_EQ(kLimitUs, Elapsed());
    EXPECT_EQ(1 + kLimitUs / kIntervalUs, Commands().size());
}

TEST_F(RetryTest, WaitUntilReady)
{
    int nDrive = 0;
    CDeviceRecord record = AddWriter(&nDrive);
    StartClock();
    EXPECT_EQ(1, m_Manager.WaitUntilReady(record));
    EXPECT_EQ(std::vector<uint8_t>{0x00}, Opcodes());
    EXPECT_EQ(0u, Elapsed());

    m_pMachine->QueueSense(nDrive, 0x00, 2, 0x04, 0x01, 2);
    StartClock();
    EXPECT_EQ(1, m_Manager.WaitUntilReady(record));
    EXPECT_EQ(std::vector<uint8_t>({0x00, 0x00, 0x00}), Opcodes());
    EXPECT_EQ(2 * kIntervalUs, Elapsed());

    // One family is asked with READ DISC INFORMATION after each pause, never with TEST UNIT READY.
    int nFamily = 0;
    CDeviceRecord family = AddProfile(kEmuPerf1350DvdWriter, 0, &nFamily);
    m_pMachine->QueueSense(nFamily, 0x51, 2, 0x04, 0x08, 1);
    StartClock();
    EXPECT_EQ(1, m_Manager.WaitUntilReady(family));
    std::vector<EmuLogEntry> log = Commands();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ(0x51, log[1].cdb[0]);
    EXPECT_EQ(32, log[1].cdb[8]);
    EXPECT_EQ(2 * kIntervalUs, Elapsed());

    // A drive that never becomes ready (no disc) is given up after the limit.
    m_pMachine->SetInt(nDrive, EMU_KEY_MEDIUM, 0);
    StartClock();
    EXPECT_EQ(0, m_Manager.WaitUntilReady(record));
    EXPECT_EQ(kLimitUs, Elapsed());
}

} // namespace
