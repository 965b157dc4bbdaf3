// tests/transfer/DvdWriteRunTest.cpp
// The DVD write page against the emulated writer on the virtual clock: whole runs on a blank DVD-R (real and test
// write) and DVD+R, the command sequence the drive sees, the skipped samples at the start, every timed sample
// against the drive's own timeline, and a disc that is no longer blank afterwards.
#include "EmuMachine.h" // first of the emulator's headers: it includes windows.h before the machine interface
#include "EmuDescription.h"
#include "EmuWrite.h"
#include "drive/DriveManager.h"
#include "gui/GuiTest.h"
#include "support/EmuLog.h"
#include "transfer/DvdWriteTest.h"
#include "transfer/TestImages.h"
#include "transfer/TestPages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using guitest::Click;
using guitest::HookSession;
using guitest::PumpUntil;

namespace {

const int kSampleIndex1125 = 4; // 45 blocks per sample
const int kSampleSectors = 1125;
const int kSamples = 10;                                      // the first seven end below sector 9000
const int64_t kFreeSectors = kSamples * kSampleSectors + 700; // room for ten samples, not eleven
const int kLetterF = 5;

int32_t Lba(const EmuLogEntry& e)
{
    return int32_t((uint32_t(e.cdb[2]) << 24) | (uint32_t(e.cdb[3]) << 16) | (uint32_t(e.cdb[4]) << 8) | e.cdb[5]);
}

class DvdWriteRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pMachine = EmuGetAspiMachine();
        ASSERT_NE(nullptr, m_pMachine) << "the test ASPI library is not beside the program";
        m_pMachine->Reset();
        EmuDescription description;
        std::string error;
        ASSERT_TRUE(EmuParseDescription("adapter 0\ndrive fifth-family-dvd-writer aspi 0:0 letter F\n", m_pMachine,
                                        description, error))
            << error;
        EmuWriteWin9xRegistry(description);
        m_nDrive = description.drives[0].nDrive;

        m_pSession.reset(new HookSession);
        g_pDriveManager = &m_manager;
        ASSERT_NE(0, m_manager.InitAspi());
        EmuInstallClock(m_pMachine);

        RECT rc = {0, 0, 660, 560};
        ASSERT_TRUE(m_window.CreateEx(0, nullptr, "Test window", WS_OVERLAPPEDWINDOW, rc, nullptr, 0));
        m_settings.testEveryWrite = kSampleIndex1125;
        m_settings.simulate = 0;
        m_pPage.reset(new CDvdWriteTestDlg(&m_window));
        m_pPage->SetSharedState(&m_nRunning, &m_nPref, &m_settings);
        ASSERT_TRUE(m_pPage->Create(IDD_DVD_WRITE_TEST, &m_window));
        m_pPage->m_currentDrive = m_manager.GetDriveByLetter(kLetterF);
        ASSERT_EQ(kLetterF, m_pPage->m_currentDrive.m_nDriveLetter);
    }

    void TearDown() override
    {
        if (m_pPage) {
            PumpUntil([&] { return !m_pPage->IsRunning(); }, 20000);
            m_pPage->DestroyWindow();
            m_pPage.reset();
        }
        EmuRemoveClock();
        m_manager.Close();
        g_pDriveManager = nullptr;
        if (m_window.m_hWnd != nullptr)
            m_window.DestroyWindow();
        m_pSession.reset();
        if (m_pMachine != nullptr)
            m_pMachine->Reset();
    }

    void RunOnce()
    {
        m_pMachine->ClearLog();
        m_pSession->ClearMessageBoxes();
        ASSERT_TRUE(Click(m_pPage->m_hWnd, int(m_pPage->Traits().nStartId)));
        ASSERT_TRUE(PumpUntil([&] { return !m_pPage->IsRunning(); }, 30000));
    }

    std::vector<EmuLogEntry> Log() { return ScsiLogEntries(m_pMachine); }

    std::vector<EmuLogEntry> Writes()
    {
        std::vector<EmuLogEntry> writes;
        for (const EmuLogEntry& e : Log())
            if (e.cdb[0] == 0x2A)
                writes.push_back(e);
        return writes;
    }

    std::vector<uint8_t> DataOutOf(const EmuLogEntry& entry)
    {
        std::vector<uint8_t> data(entry.nDataOutLength);
        for (int i = 0; i < m_pMachine->GetLogCount(); ++i) {
            EmuLogEntry e;
            if (m_pMachine->GetLogEntry(i, &e) && e.nSequence == entry.nSequence) {
                m_pMachine->GetLogDataOut(i, data.data(), uint32_t(data.size()));
                break;
            }
        }
        return data;
    }

    // The mode page of a MODE SELECT(6) or (10), after its header and block descriptors.
    std::vector<uint8_t> SelectedPage(const EmuLogEntry& entry)
    {
        const std::vector<uint8_t> data = DataOutOf(entry);
        const bool bTen = entry.cdb[0] == 0x55;
        const size_t nHeader = bTen ? 8 : 4;
        if (data.size() < nHeader)
            return {};
        const size_t nPage = nHeader + (bTen ? ((size_t(data[6]) << 8) | data[7]) : data[3]);
        return nPage < data.size() ? std::vector<uint8_t>(data.begin() + long(nPage), data.end())
                                   : std::vector<uint8_t>();
    }

    // The opcodes of the log in order, back-to-back repeats of one opcode counted once.
    std::vector<uint8_t> Opcodes(size_t nFrom, size_t nTo)
    {
        std::vector<EmuLogEntry> log = Log();
        std::vector<uint8_t> ops;
        for (size_t i = nFrom; i < std::min(nTo, log.size()); ++i)
            if (ops.empty() || ops.back() != log[i].cdb[0])
                ops.push_back(log[i].cdb[0]);
        return ops;
    }

    // Each sample as the drive's timeline gives it: from the arrival of its third block's command to the arrival
    // of the command after its last block, in whole milliseconds, over the blocks that stretch covers.
    std::vector<uint32_t> SamplesFromTimeline()
    {
        std::vector<EmuLogEntry> log = Log();
        std::vector<uint32_t> values;
        const int n = kSampleSectors / 25;
        for (int s = 0; s < kSamples; ++s) {
            const int32_t nFirstTimedLba = (s * n + 2) * 25;
            const int32_t nLastLba = (s * n + n - 1) * 25;
            uint64_t tStart = 0, tEnd = 0;
            for (size_t i = 0; i + 1 < log.size(); ++i) {
                if (log[i].cdb[0] == 0x2A && Lba(log[i]) == nFirstTimedLba)
                    tStart = log[i].nTimeUs;
                if (log[i].cdb[0] == 0x2A && Lba(log[i]) == nLastLba)
                    tEnd = log[i + 1].nTimeUs;
            }
            const int64_t ms = std::max<int64_t>(1, int64_t((tEnd - tStart) / 1000));
            values.push_back(uint32_t(int64_t(n - 2) * 100000 / (ms * 27)));
        }
        return values;
    }

    void ExpectWritesAndSamples(int64_t nSpeedX100)
    {
        const std::vector<EmuLogEntry> writes = Writes();
        ASSERT_EQ(size_t(kSamples * 45), writes.size());
        for (size_t i = 0; i < writes.size(); ++i) {
            EXPECT_EQ(int32_t(i * 25), Lba(writes[i])) << "write " << i;
            EXPECT_EQ(25, (writes[i].cdb[7] << 8) | writes[i].cdb[8]);
            EXPECT_EQ(uint32_t(25 * 2048), writes[i].nDataOutLength);
        }
        std::vector<uint8_t> image(kDvdTestImageSize);
        BuildDvdTestImage(image.data(), kSamples * kSampleSectors);
        EXPECT_EQ(image, DataOutOf(writes[0]));
        EXPECT_EQ(std::vector<uint8_t>(kDvdTestImageSize, 0), DataOutOf(writes[1]));

        const std::vector<uint32_t> truth = SamplesFromTimeline();
        const TestRunRing& ring = m_pPage->Ring();
        const uint32_t* samples = ring.Samples(ring.GetCurrentRun());
        for (int s = 0; s < kSamples; ++s) {
            if ((s + 1) * kSampleSectors < kDvdWriteSkippedBelow) {
                EXPECT_EQ(SAMPLE_SKIPPED, samples[s]) << "sample " << s;
            } else {
                EXPECT_EQ(truth[s], samples[s]) << "sample " << s;
                EXPECT_NEAR(double(nSpeedX100), double(samples[s]), nSpeedX100 * 0.02) << "sample " << s;
            }
        }
        EXPECT_EQ(SAMPLE_NONE, samples[kSamples]);
        EXPECT_EQ(45, ring.Extent(ring.GetCurrentRun()).blocksPerSample);
        EXPECT_EQ(kSamples - 1, ring.Extent(ring.GetCurrentRun()).lastSample);
        EXPECT_EQ(0, m_pMachine->GetInt(m_nDrive, "write.underruns", -1));
    }

    IEmuMachine* m_pMachine = nullptr;
    int m_nDrive = 0;
    std::unique_ptr<HookSession> m_pSession;
    CDriveManager m_manager;
    CWnd m_window;
    int m_nRunning = 0, m_nPref = 0;
    TransferRateSettings m_settings;
    std::unique_ptr<CDvdWriteTestDlg> m_pPage;
};

TEST_F(DvdWriteRun, RealRunOnDvdMinusRReservesTheTrackAndRecordsTheDisc)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdMinusR, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());

    // The page (Session-At-Once, BUFE, fixed packets of mode 5, 2048-byte blocks), the time stamp, RESERVE
    // TRACK of the test length, then the writes.
    std::vector<EmuLogEntry> log = Log();
    size_t nSelect = log.size(), nReserve = log.size(), nFirstWrite = log.size();
    for (size_t i = 0; i < log.size(); ++i) {
        if ((log[i].cdb[0] == 0x15 || log[i].cdb[0] == 0x55) && nReserve == log.size())
            nSelect = i;
        if (log[i].cdb[0] == 0x53)
            nReserve = i;
        if (log[i].cdb[0] == 0x2A && nFirstWrite == log.size())
            nFirstWrite = i;
    }
    ASSERT_LT(nSelect, nReserve);
    ASSERT_LT(nReserve, nFirstWrite);
    const std::vector<uint8_t> page = SelectedPage(log[nSelect]);
    ASSERT_LE(size_t(7), page.size());
    EXPECT_EQ(0x05, page[0]);
    EXPECT_EQ(0x42, page[2]);
    EXPECT_EQ(0x25, page[3]);
    EXPECT_EQ(0x08, page[4]);
    EXPECT_EQ(kSamples * kSampleSectors, (log[nReserve].cdb[5] << 24) | (log[nReserve].cdb[6] << 16) |
                                             (log[nReserve].cdb[7] << 8) | log[nReserve].cdb[8]);
    std::vector<uint8_t> setUp;
    for (uint8_t op : Opcodes(nSelect + 1, nFirstWrite))
        if (op == 0x1E || op == 0xBF || op == 0x53)
            setUp.push_back(op);
    const std::vector<uint8_t> expectedSetUp = {0x1E, 0xBF, 0x53};
    EXPECT_EQ(expectedSetUp, setUp);

    ExpectWritesAndSamples(800);

    // The end: SYNCHRONIZE CACHE, TEST UNIT READY, START STOP UNIT, ALLOW MEDIUM REMOVAL, eject, load, polls.
    size_t nLast = 0;
    log = Log();
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].cdb[0] == 0x2A)
            nLast = i;
    std::vector<uint8_t> tail;
    for (uint8_t op : Opcodes(nLast + 1, log.size()))
        if ((op == 0x35 || op == 0x00 || op == 0x1B || op == 0x1E) && (tail.empty() || tail.back() != op))
            tail.push_back(op);
    tail.resize(std::min<size_t>(tail.size(), 6)); // later polls belong to the result texts
    const std::vector<uint8_t> expectedTail = {0x35, 0x00, 0x1B, 0x1E, 0x1B, 0x00};
    EXPECT_EQ(expectedTail, tail);
    EXPECT_EQ(kSamples * kSampleSectors, m_pMachine->GetInt(m_nDrive, "write.recorded", 0));

    // The disc is no longer blank: the next Start says so and writes nothing.
    RunOnce();
    ASSERT_EQ(1u, m_pSession->MessageBoxes().size());
    EXPECT_EQ(CString("Please insert a blank DVD"), m_pSession->MessageBoxes()[0].text);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(DvdWriteRun, TestWriteOnDvdMinusRLeavesTheDiscBlank)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdMinusR, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 1600);
    m_settings.simulate = 1;
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    std::vector<uint8_t> page;
    for (const EmuLogEntry& e : Log())
        if (e.cdb[0] == 0x15 || e.cdb[0] == 0x55) {
            page = SelectedPage(e);
            break;
        }
    ASSERT_LE(size_t(3), page.size());
    EXPECT_EQ(0x52, page[2]);
    ExpectWritesAndSamples(1600);
    EXPECT_EQ(0, m_pMachine->GetInt(m_nDrive, "write.recorded", -1));

    // Nothing was recorded, so the same disc takes a real run.
    m_settings.simulate = 0;
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    EXPECT_EQ(kSamples * kSampleSectors, m_pMachine->GetInt(m_nDrive, "write.recorded", 0));
}

TEST_F(DvdWriteRun, RealRunOnDvdPlusRClosesTheTrackAndTheDisc)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdPlusR, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    ExpectWritesAndSamples(800);

    // After the writes: SYNCHRONIZE CACHE, then the track (function 1, track 1) and the disc (function 6) closed,
    // each with Immed.
    std::vector<EmuLogEntry> log = Log();
    std::vector<std::vector<uint8_t>> closes;
    bool bSyncBeforeClose = false;
    for (const EmuLogEntry& e : log) {
        if (e.cdb[0] == 0x35 && closes.empty())
            bSyncBeforeClose = true;
        if (e.cdb[0] == 0x5B)
            closes.push_back({e.cdb[1], e.cdb[2], e.cdb[5]});
    }
    EXPECT_TRUE(bSyncBeforeClose);
    const std::vector<std::vector<uint8_t>> expectedCloses = {{0x01, 0x01, 0x01}, {0x01, 0x06, 0x00}};
    EXPECT_EQ(expectedCloses, closes);
    EXPECT_EQ(kSamples * kSampleSectors, m_pMachine->GetInt(m_nDrive, "write.recorded", 0));
}

TEST_F(DvdWriteRun, StopOnDvdMinusRClosesTheSessionAndEjects)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdMinusR, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    m_pMachine->ClearLog();
    ASSERT_TRUE(Click(m_pPage->m_hWnd, int(m_pPage->Traits().nStartId)));
    ASSERT_TRUE(PumpUntil([&] { return m_pPage->WorkerState().currentLba >= 3000 || !m_pPage->IsRunning(); }));
    ASSERT_TRUE(m_pPage->IsRunning());
    ASSERT_TRUE(Click(m_pPage->m_hWnd, int(m_pPage->Traits().nStartId)));
    ASSERT_TRUE(PumpUntil([&] { return !m_pPage->IsRunning(); }, 20000));
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    EXPECT_LT(Writes().size(), size_t(kSamples * 45));
    std::vector<std::vector<uint8_t>> closes;
    for (const EmuLogEntry& e : Log())
        if (e.cdb[0] == 0x5B)
            closes.push_back({e.cdb[1], e.cdb[2], e.cdb[5]});
    const std::vector<std::vector<uint8_t>> expectedCloses = {{0x01, 0x02, 0x00}};
    EXPECT_EQ(expectedCloses, closes);
    const std::vector<EmuLogEntry> ssu = ScsiLogEntries(m_pMachine, 0x1B);
    ASSERT_FALSE(ssu.empty());
    EXPECT_EQ(0x02, ssu.back().cdb[4]) << "ejected";
    EXPECT_EQ(0, m_nRunning);
}

TEST_F(DvdWriteRun, DiscTooSmallForOneSampleWritesNothingAndFinishes)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdPlusR, kSampleSectors - 1);
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(0, m_pPage->Job().nSectorCount);
    EXPECT_EQ(0, m_nRunning);
}

TEST_F(DvdWriteRun, NoDvdInTheDriveAsksForABlankOne)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdMinusR, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "config.profile", 0x08); // a CD
    RunOnce();
    ASSERT_EQ(1u, m_pSession->MessageBoxes().size());
    EXPECT_EQ(CString("Please insert a blank DVD"), m_pSession->MessageBoxes()[0].text);
    EXPECT_TRUE(Writes().empty());
}

} // namespace
