// tests/transfer/CdWriteRunTest.cpp
// The CD write page against the emulated writer on the virtual clock: whole runs on CD-R and CD-RW (real and test
// writes), the command sequence the drive sees, every stored sample against the drive's own timeline, the erase
// and restart of a used CD-RW, and the messages of the failures, each followed by a run that starts cleanly.
#include "PageRunFixture.h" // first: the emulator's headers in their order
#include "EmuFeatureProfiles.h"
#include "EmuWrite.h"
#include "transfer/TestImages.h"

#include <cmath>
#include <cstring>
#include <vector>

using guitest::Click;
using guitest::PumpUntil;

namespace {

const int kSampleSectors = 1125;
const int kSamples = 4;
const int64_t kLastLeadOut = 150 + kSamples * kSampleSectors + 160; // room for four samples, not five

class CdWriteRun : public PageRunOf<CCdWriteTestDlg> {
protected:
    std::string DriveProfile() const override { return "scsi-cd-writer"; }

    void PrepareDrive() override
    {
        EmuLoadBlankCd(m_pMachine, m_nDrive, kEmuWriteCdR, kLastLeadOut);
        SetTestWrite(true);
    }

    // The test-write bit of the drive's capabilities page (byte 3 bit 2).
    void SetTestWrite(bool bOn)
    {
        std::vector<uint8_t> page(64);
        uint32_t n = m_pMachine->GetBytes(m_nDrive, "mode.page.2A", page.data(), uint32_t(page.size()));
        page.resize(n);
        page[3] = uint8_t(bOn ? (page[3] | 0x04) : (page[3] & ~0x04));
        m_pMachine->SetBytes(m_nDrive, "mode.page.2A", page.data(), uint32_t(page.size()));
    }

    // Presses Start and waits until the page is idle again (no worker, no erase pending).
    void RunOnce() { StartAndWait(true); }

    // The write commands of the last run, in order.
    std::vector<EmuLogEntry> Writes() { return CommandsOf({0x2A}); }

    // The samples as the drive's timeline gives them: each sample is timed from the arrival of the command after
    // its first timed block's predecessor to the arrival of the command after its last block (the program spends
    // no virtual time between commands), in whole milliseconds, over the blocks that stretch covers.
    std::vector<uint32_t> SamplesFromTimeline()
    {
        const int n = kSampleSectors / 25;
        std::vector<uint32_t> values;
        for (int64_t ms : TimelineMs(kSamples, n, 25, 1, 0x2A)) // the clock starts after block 0
            values.push_back(uint32_t(int64_t(n - 1) * 100000 / (ms * 3)));
        return values;
    }
};

TEST_F(CdWriteRun, RealRunOnCdRRecordsTheSessionAndStoresTheDrivesSpeed)
{
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 2400);
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    const std::vector<EmuLogEntry> log = Log();

    // Set-up: the write-parameters page (Session-At-Once, BUFE, Mode 1) twice, then the cue sheet with the
    // lead-out at test length + 150 frames (4650 = 01:02:00).
    std::vector<size_t> selects, cue;
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].cdb[0] == 0x15 || log[i].cdb[0] == 0x55)
            selects.push_back(i);
        if (log[i].cdb[0] == 0x5D)
            cue.push_back(i);
    }
    ASSERT_EQ(2u, selects.size());
    ASSERT_EQ(1u, cue.size());
    EXPECT_LT(selects[1], cue[0]);
    const std::vector<uint8_t> sheet = DataOutOf(m_pMachine, log[cue[0]]);
    const std::vector<uint8_t> expectedSheet = {0x41, 0x00, 0x00, 0x14, 0, 0, 0, 0, 0x41, 0x01, 0x00, 0x11, 0, 0, 0, 0,
                                                0x41, 0x01, 0x01, 0x11, 0, 0, 2, 0, 0x41, 0xAA, 0x01, 0x14, 0, 1, 2, 0};
    EXPECT_EQ(expectedSheet, sheet);

    // Writes: the pregap in ten 15-sector commands from -150, then 25-sector commands up to the test length.
    const std::vector<EmuLogEntry> writes = Writes();
    ASSERT_EQ(10u + kSamples * 45u, writes.size());
    int32_t nNext = -150;
    for (size_t i = 0; i < writes.size(); ++i) {
        const int nCount = i < 10 ? 15 : 25;
        EXPECT_EQ(nNext, WriteLba(writes[i])) << "write " << i;
        EXPECT_EQ(nCount, (writes[i].cdb[7] << 8) | writes[i].cdb[8]);
        EXPECT_EQ(uint32_t(nCount * 2352), writes[i].nDataOutLength);
        nNext += nCount;
    }
    // The test image in the first data block only; zeros after it.
    std::vector<uint8_t> image(kCdTestImageSize);
    BuildMode1TestImage(image.data());
    EXPECT_EQ(image, DataOutOf(m_pMachine, writes[10]));
    EXPECT_EQ(std::vector<uint8_t>(kCdTestImageSize, 0), DataOutOf(m_pMachine, writes[11]));

    // End of the run, after the last write: SYNCHRONIZE CACHE, TEST UNIT READY, START STOP UNIT (Immed, LoEj,
    // Start), ALLOW MEDIUM REMOVAL, eject, load, and TEST UNIT READY until the disc is back.
    size_t nLast = 0;
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].cdb[0] == 0x2A)
            nLast = i;
    std::vector<std::vector<uint8_t>> tail;
    for (size_t i = nLast + 1; i < log.size() && tail.size() < 7; ++i) {
        const uint8_t op = log[i].cdb[0];
        if (op == 0x00 && !tail.empty() && tail.back()[0] == 0x00)
            continue; // back-to-back polls count once
        if (op == 0x35 || op == 0x00 || op == 0x1B || op == 0x1E)
            tail.push_back({op, log[i].cdb[1], log[i].cdb[4]});
    }
    const std::vector<std::vector<uint8_t>> expectedTail = {{0x35, 0x00, 0x00}, {0x00, 0, 0},       {0x1B, 0x01, 0x03},
                                                            {0x1E, 0x00, 0x00}, {0x1B, 0x00, 0x02}, {0x1B, 0x00, 0x03},
                                                            {0x00, 0, 0}};
    EXPECT_EQ(expectedTail, tail);

    // The samples: the drive's own timeline through the speed formula, and at 24X CLV, 24X.
    const std::vector<uint32_t> truth = SamplesFromTimeline();
    const uint32_t* samples = m_pPage->Ring().Samples(m_pPage->Ring().GetCurrentRun());
    for (int s = 0; s < kSamples; ++s)
        EXPECT_EQ(truth[s], samples[s]) << "sample " << s;
    for (int s = 1; s < kSamples; ++s)
        EXPECT_NEAR(2400, int(samples[s]), 2) << "sample " << s;
    EXPECT_EQ(SAMPLE_NONE, samples[kSamples]);
    EXPECT_EQ(45, m_pPage->Ring().Extent(m_pPage->Ring().GetCurrentRun()).blocksPerSample);
    EXPECT_EQ(kSamples - 1, m_pPage->Ring().Extent(m_pPage->Ring().GetCurrentRun()).lastSample);
    EXPECT_EQ(CString("Average:"), guitest::Text(m_pPage->m_hWnd, IDC_TP_CURRENT_CAPTION));

    // The disc now holds the session; the drive never ran dry.
    EXPECT_EQ(kSamples * kSampleSectors, m_pMachine->GetInt(m_nDrive, "write.recorded", 0));
    EXPECT_EQ(0, m_pMachine->GetInt(m_nDrive, "write.underruns", -1));

    // A second run finds no blank disc.
    RunOnce();
    ASSERT_EQ(2u, m_pSession->MessageBoxes().size());
    EXPECT_EQ(CString("No blank CD-R(W) inserted"), m_pSession->MessageBoxes()[0].text);
    EXPECT_EQ(CString("Error reading disc information"), m_pSession->MessageBoxes()[1].text);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(CdWriteRun, TestWriteLeavesTheDiscBlankAndNeverEjects)
{
    m_settings.simulate = 1;
    m_settings.formatParameters = kFormatCdDa;
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    const std::vector<EmuLogEntry> log = Log();
    bool bSeenSelect = false;
    for (const EmuLogEntry& e : log) {
        if (e.cdb[0] == 0x15 && !bSeenSelect) {
            bSeenSelect = true;
            const std::vector<uint8_t> list = DataOutOf(m_pMachine, e);
            ASSERT_GE(list.size(), 20u);
            EXPECT_EQ(0x52, list[6]) << "Session-At-Once, test write, BUFE";
            EXPECT_EQ(0, list[7]);
            EXPECT_EQ(0, list[8]);
        }
        if (e.cdb[0] == 0x1B) {
            EXPECT_NE(0x02, e.cdb[4]) << "the tray is never opened after a test write";
        }
    }
    EXPECT_TRUE(bSeenSelect);
    // Audio: the pattern in every block.
    const std::vector<EmuLogEntry> writes = Writes();
    ASSERT_EQ(10u + kSamples * 45u, writes.size());
    std::vector<uint8_t> pattern(kCdTestImageSize);
    BuildCddaTestPattern(pattern.data());
    EXPECT_EQ(pattern, DataOutOf(m_pMachine, writes[10]));
    EXPECT_EQ(pattern, DataOutOf(m_pMachine, writes.back()));
    EXPECT_EQ(0, m_pMachine->GetInt(m_nDrive, "write.recorded", -1));

    // The disc is still blank: the next run starts.
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    EXPECT_EQ(10u + kSamples * 45u, Writes().size());
}

// A performance counter that reports no frequency: every sample counts as the shortest time, and the run ends
// normally.
TEST_F(CdWriteRun, CounterWithoutFrequencyStillEndsTheRun)
{
    m_pPage->WorkerState().frequency.QuadPart = 0;
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    const uint32_t* samples = m_pPage->Ring().Samples(m_pPage->Ring().GetCurrentRun());
    for (int s = 0; s < kSamples; ++s)
        EXPECT_EQ(CdWriteSampleValue(CdWriteTimedBlocks(45, s == 0), 0), samples[s]) << "sample " << s;
    EXPECT_EQ(CString("Average:"), guitest::Text(m_pPage->m_hWnd, IDC_TP_CURRENT_CAPTION));
}

// The write-speed list: the speeds the drive settles on, filled when the page is shown, with the drive left at the
// item the list selects (the first, when its speed before was none of them); a chosen item goes to the drive at once.
TEST_F(CdWriteRun, SpeedListSetsTheDriveToTheItemItShows)
{
    EmuSetCdSpeeds(m_pMachine, m_nDrive, {8, 16, 32, 48}, {4, 8, 16, 24});
    ASSERT_NO_FATAL_FAILURE(SetCapabilitiesSpeed(20, 20 * 176)); // 20 X, not a speed the drive offers
    CDeviceRecord& record = m_pPage->m_currentDrive;
    ShowPage();
    const std::vector<std::string> expected = {"24 X (3600 KB/s)", "16 X (2400 KB/s)", "8 X (1200 KB/s)",
                                               "4 X (600 KB/s)"};
    EXPECT_EQ(expected, SpeedItems());
    EXPECT_EQ(24 * 176, m_manager.GetCurrentWriteSpeed(record));

    ChooseSpeed(2);
    EXPECT_EQ(8 * 176, m_manager.GetCurrentWriteSpeed(record));
    const std::vector<EmuLogEntry> speeds = CommandsOf({0xBB});
    ASSERT_FALSE(speeds.empty());
    EXPECT_EQ(8 * 177, (speeds.back().cdb[4] << 8) | speeds.back().cdb[5]);
}

TEST_F(CdWriteRun, UsedCdRwIsErasedAndTheTestStartsAgain)
{
    EmuLoadBlankCd(m_pMachine, m_nDrive, kEmuWriteCdRw, kLastLeadOut);
    m_pMachine->SetInt(m_nDrive, "write.recorded", 3000);
    m_pMachine->SetInt(m_nDrive, "write.blankUs", 2000000);
    m_pSession->QueueAnswer(IDYES);
    m_pMachine->ClearLog();
    ASSERT_TRUE(Click(m_pPage->m_hWnd, int(m_pPage->Traits().nStartId)));
    ASSERT_EQ(1u, m_pSession->MessageBoxes().size());
    EXPECT_EQ(CString("Inserted CD-RW is not empty!\nDo you wish to erase and continue ?"),
              m_pSession->MessageBoxes()[0].text);
    EXPECT_TRUE(m_pPage->IsErasePending());
    const std::vector<EmuLogEntry> blanks = ScsiLogEntries(m_pMachine, 0xA1);
    ASSERT_EQ(1u, blanks.size());
    EXPECT_EQ(0x11, blanks[0].cdb[1]) << "minimal blank with Immed";
    // The drive needs two seconds of its own time; the page asks every second until then.
    m_pMachine->AdvanceUs(2000000);
    ASSERT_TRUE(PumpUntil([&] { return !m_pPage->IsErasePending(); }, 10000));
    ASSERT_TRUE(PumpUntil([&] { return !m_pPage->IsRunning(); }, 30000));
    EXPECT_EQ(1u, m_pSession->MessageBoxes().size());
    EXPECT_EQ(kSamples * kSampleSectors, m_pMachine->GetInt(m_nDrive, "write.recorded", 0));
}

struct FailureCase {
    const char* name;
    void (*pfnArrange)(IEmuMachine* pMachine, int nDrive, TransferRateSettings& settings);
    const char* pszMessage; // the first message box, up to its sense text
    int nAnswer;            // the answer to a Yes/No box, else 0
    bool bWrites;           // the run reached the write commands
};

class CdWriteFailure : public CdWriteRun, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CdWriteFailure, ShowsItsMessageAndTheNextRunStartsCleanly)
{
    const FailureCase& c = GetParam();
    c.pfnArrange(m_pMachine, m_nDrive, m_settings);
    if (c.nAnswer != 0)
        m_pSession->QueueAnswer(c.nAnswer);
    RunOnce();
    ASSERT_FALSE(m_pSession->MessageBoxes().empty());
    const CString& text = m_pSession->MessageBoxes()[0].text;
    EXPECT_EQ(0, strncmp(text, c.pszMessage, strlen(c.pszMessage))) << static_cast<const char*>(text);
    EXPECT_EQ(c.bWrites, !Writes().empty());
    EXPECT_FALSE(m_runState.IsRunning());
    const std::vector<EmuLogEntry> locks = ScsiLogEntries(m_pMachine, 0x1E);
    ASSERT_FALSE(locks.empty());
    EXPECT_EQ(0, locks.back().cdb[4]) << "the medium is left locked";

    // Whatever the failure left, a blank disc and a sound drive give a whole run.
    m_pMachine->ClearSenseQueue(m_nDrive);
    m_pMachine->SetInt(m_nDrive, "write.refuseCueSheet", 0);
    EmuLoadBlankCd(m_pMachine, m_nDrive, kEmuWriteCdR, kLastLeadOut);
    SetTestWrite(true);
    m_settings.simulate = 0;
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    EXPECT_EQ(10u + kSamples * 45u, Writes().size());
}

const FailureCase kFailures[] = {
    {"ModeSelectRefused",
     [](IEmuMachine* m, int d, TransferRateSettings&) { m->QueueSense(d, 0x15, 5, 0x26, 0x00, 1); },
     "Error sending modepage :\n", 0, false},
    {"CueSheetRefused", [](IEmuMachine* m, int d, TransferRateSettings&) { m->SetInt(d, "write.refuseCueSheet", 1); },
     "Error sending cue sheet", 0, false},
    {"WriteError", [](IEmuMachine* m, int d, TransferRateSettings&) { m->QueueSense(d, 0x2A, 3, 0x0C, 0x00, 1); },
     "Write error at 99:58.00\r\nMedium error", 0, true},
    {"NoTestWriteDeclined",
     [](IEmuMachine* m, int d, TransferRateSettings& s) {
         s.simulate = 1;
         std::vector<uint8_t> page(64);
         page.resize(m->GetBytes(d, "mode.page.2A", page.data(), 64));
         page[3] &= uint8_t(~0x04);
         m->SetBytes(d, "mode.page.2A", page.data(), uint32_t(page.size()));
     },
     "Simulation not supported on this drive.\r\nDo you wish to continue without simulation?", IDNO, false},
    {"NotBlankCdR", [](IEmuMachine* m, int d, TransferRateSettings&) { m->SetInt(d, "write.recorded", 4000); },
     "No blank CD-R(W) inserted", 0, false},
};

INSTANTIATE_TEST_SUITE_P(Failures, CdWriteFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

// The stopped run keeps the samples written before the stop and its drive line, but gets no disc, result or
// average of its own: no end value, and the current value stays under "Current:".
TEST_F(CdWriteRun, StopEndsTheRunEjectsAndStoresNoResults)
{
    ASSERT_NO_FATAL_FAILURE(StartAndStopAt(2000));
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    EXPECT_LT(Writes().size(), 10u + kSamples * 45u);
    const std::vector<EmuLogEntry> ssu = ScsiLogEntries(m_pMachine, 0x1B);
    ASSERT_FALSE(ssu.empty());
    EXPECT_EQ(0x02, ssu.back().cdb[4]) << "ejected";
    EXPECT_FALSE(m_runState.IsRunning());

    const TestRunRing& ring = m_pPage->Ring();
    const int nRun = ring.GetCurrentRun();
    ASSERT_EQ(0, nRun);
    const int nLast = ring.Extent(nRun).lastSample;
    ASSERT_GE(nLast, 0) << "the samples written before the stop stay";
    ASSERT_LT(nLast, kSamples - 1);
    for (int i = 0; i <= nLast; ++i)
        EXPECT_NE(SAMPLE_NONE, ring.Samples(nRun)[i]) << "sample " << i;
    EXPECT_EQ(SAMPLE_NONE, ring.Samples(nRun)[nLast + 1]);
    // The drive and ATIP lines are written at the start; the disc, settings and result lines only at a normal end.
    EXPECT_EQ(0, std::strncmp(ring.Text(nRun, 0), "ID:", 3)) << ring.Text(nRun, 0);
    EXPECT_EQ(0, std::strncmp(ring.Text(nRun, 1), "ATIP Info", 9)) << ring.Text(nRun, 1);
    for (int nText = 2; nText < ring.TextCount(); ++nText)
        EXPECT_STREQ("", ring.Text(nRun, nText)) << "text " << nText;
    const TestRunInfo& info = ring.Info(nRun);
    for (const char* pszField : {info.second.cd.szDataFormat, info.speed.cd.szOverburn, info.szDisc, info.szStart,
                                 info.szEnd, info.szAverage, info.szDuration})
        EXPECT_STREQ("", pszField);
    EXPECT_EQ(CString(""), guitest::Text(m_pPage->m_hWnd, IDC_TPCW_END_VALUE));
    EXPECT_EQ(CString("Current:"), guitest::Text(m_pPage->m_hWnd, IDC_TP_CURRENT_CAPTION));
}

// Twelve test writes on a blank CD-R, which stays blank, each at a write speed of its own so that every slot
// shows which run made it. The page keeps the last ten: runs 11 and 12 take the slots of runs 1 and 2.
TEST_F(CdWriteRun, TwelveRunsKeepTheLastTen)
{
    m_settings.simulate = 1;
    const TestRunRing& ring = m_pPage->Ring();
    const auto speedOfRun = [](int nRun) { return 400 + 100 * nRun; };
    for (int nRun = 1; nRun <= 12; ++nRun) {
        m_pMachine->SetInt(m_nDrive, "write.speedX100", speedOfRun(nRun));
        RunOnce();
        ASSERT_TRUE(m_pSession->MessageBoxes().empty()) << "run " << nRun;
        EXPECT_EQ((nRun - 1) % MAX_TEST_RUNS, ring.GetCurrentRun()) << "run " << nRun;
    }
    for (int nSlot = 0; nSlot < MAX_TEST_RUNS; ++nSlot) {
        const int nRun = nSlot < 2 ? nSlot + 11 : nSlot + 1;
        EXPECT_NEAR(speedOfRun(nRun), int(ring.Samples(nSlot)[kSamples - 1]), 2) << "slot " << nSlot;
        EXPECT_EQ(kSamples - 1, ring.Extent(nSlot).lastSample) << "slot " << nSlot;
    }
}

TEST_F(CdWriteRun, NothingFitsTheDiscSoTheRunWritesOnlyThePregap)
{
    EmuLoadBlankCd(m_pMachine, m_nDrive, kEmuWriteCdR, 150 + 1000);
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    EXPECT_EQ(10u, Writes().size());
    EXPECT_EQ(-1, m_pPage->Ring().Extent(m_pPage->Ring().GetCurrentRun()).lastSample);
}

} // namespace
