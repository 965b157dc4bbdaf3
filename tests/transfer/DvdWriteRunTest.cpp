// tests/transfer/DvdWriteRunTest.cpp
// The DVD write page against the emulated writer on the virtual clock: whole runs on every recordable kind (DVD-R
// real and test write, DVD+R, DVD+RW, DVD-RW, DVD-RAM), the command sequence the drive sees, the skipped samples at
// the start, every timed sample against the drive's own timeline, a disc that is no longer blank afterwards and
// takes the next run, the erase of a used DVD-RW, and the media checks that refuse a disc.
#include "PageRunFixture.h" // first: the emulator's headers in their order
#include "EmuFeatureProfiles.h"
#include "EmuWrite.h"
#include "transfer/DvdWriteTest.h"
#include "transfer/ResultsExport.h"
#include "transfer/TestImages.h"

#include <algorithm>
#include <cstring>
#include <vector>

using guitest::Click;
using guitest::PumpUntil;

namespace {

const int kSampleSectors = 1125;
const int kSamples = 10;                                      // the first seven end below sector 9000
const int64_t kFreeSectors = kSamples * kSampleSectors + 700; // room for ten samples, not eleven

class DvdWriteRun : public PageRunOf<CDvdWriteTestDlg> {
protected:
    // The drive under test: a writer of the maker outside every listed family.
    std::string DriveProfile() const override { return "fifth-family-dvd-writer"; }

    void RunOnce() { StartAndWait(false); }

    std::vector<EmuLogEntry> Writes() { return CommandsOf({0x2A, 0xAA}); }

    std::vector<uint8_t> DataOutOf(const EmuLogEntry& entry) { return ::DataOutOf(m_pMachine, entry); }

    // The digest of the data a logged command sent (0 when the entry is no longer in the log).
    uint64_t DataOutDigestOf(const EmuLogEntry& entry)
    {
        for (int i = 0; i < m_pMachine->GetLogCount(); ++i) {
            EmuLogEntry e;
            if (m_pMachine->GetLogEntry(i, &e) && e.nSequence == entry.nSequence)
                return m_pMachine->GetLogDataOutDigest(i);
        }
        return 0;
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
    // of the command after its last block, in whole milliseconds, over the blocks that stretch covers. 25-sector
    // blocks count n * 100,000 / (ms * 27); DVD-RAM's 32-sector blocks trunc((n * 64,000 / ms) * 100 / 1350).
    std::vector<uint32_t> SamplesFromTimeline(int nSamples = kSamples, int nBlockSectors = 25, uint8_t op = 0x2A)
    {
        const int n = kSampleSectors / nBlockSectors;
        std::vector<uint32_t> values;
        for (int64_t ms : TimelineMs(nSamples, n, nBlockSectors, 2, op)) {
            if (nBlockSectors == 32)
                values.push_back(uint32_t(double(int64_t(n - 2) * 64000 / ms) * 100.0 / 1350.0));
            else
                values.push_back(uint32_t(int64_t(n - 2) * 100000 / (ms * 27)));
        }
        return values;
    }

    // Presses Start and waits until the page is idle; an erase it begins runs out on the drive's clock first.
    void RunThroughErase()
    {
        ASSERT_TRUE(Click(m_pPage->m_hWnd, int(m_pPage->Traits().nStartId)));
        if (m_pPage->IsErasePending()) {
            m_pMachine->AdvanceUs(uint64_t(m_pMachine->GetInt(m_nDrive, "write.blankUs", 3000000)));
            ASSERT_TRUE(PumpUntil([&] { return !m_pPage->IsErasePending(); }, 10000));
        }
        ASSERT_TRUE(PumpUntil([&] { return !m_pPage->IsRunning(); }, 30000));
    }

    // The opcodes among ops in the log between two entries, back-to-back repeats counted once.
    std::vector<uint8_t> Sequence(size_t nFrom, size_t nTo, std::initializer_list<uint8_t> ops)
    {
        std::vector<uint8_t> sequence;
        for (uint8_t op : Opcodes(nFrom, nTo))
            if (std::find(ops.begin(), ops.end(), op) != ops.end() && (sequence.empty() || sequence.back() != op))
                sequence.push_back(op);
        return sequence;
    }

    std::vector<std::vector<uint8_t>> Closes()
    {
        std::vector<std::vector<uint8_t>> closes;
        for (const EmuLogEntry& e : Log())
            if (e.cdb[0] == 0x5B)
                closes.push_back({e.cdb[1], e.cdb[2], e.cdb[5]});
        return closes;
    }

    void ExpectWritesAndSamples(int64_t nSpeedX100)
    {
        const std::vector<EmuLogEntry> writes = Writes();
        ASSERT_EQ(size_t(kSamples * 45), writes.size());
        for (size_t i = 0; i < writes.size(); ++i) {
            EXPECT_EQ(int32_t(i * 25), WriteLba(writes[i])) << "write " << i;
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
    ASSERT_NO_FATAL_FAILURE(StartAndStopAt(3000));
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
    EXPECT_FALSE(m_runState.IsRunning());
}

TEST_F(DvdWriteRun, DiscTooSmallForOneSampleWritesNothingAndFinishes)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdPlusR, kSampleSectors - 1);
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(0, m_pPage->Job().nSectorCount);
    EXPECT_FALSE(m_runState.IsRunning());
}

// A performance counter that reports no frequency: every timed sample counts as the shortest time, and the run
// ends normally.
TEST_F(DvdWriteRun, CounterWithoutFrequencyStillEndsTheRun)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdMinusR, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    m_pPage->WorkerState().frequency.QuadPart = 0;
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    const TestRunRing& ring = m_pPage->Ring();
    const uint32_t* samples = ring.Samples(ring.GetCurrentRun());
    for (int s = 7; s < kSamples; ++s)
        EXPECT_EQ(DvdWriteSampleValue(DvdWriteTimedBlocks(45), 25, 0), samples[s]) << "sample " << s;
    EXPECT_EQ(CString("Average:"), guitest::Text(m_pPage->m_hWnd, IDC_TP_CURRENT_CAPTION));
}

// The HTML page of a real run holds the texts the page's own FormatResults made of it: the break between the disc
// and the medium's maker stays a break, the maker's characters that mean markup are escaped.
TEST_F(DvdWriteRun, HtmlOfARunKeepsTheDiscBreakAndEscapesTheMediumsTexts)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdMinusR, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    std::vector<uint8_t> prerecorded(2052, 0);
    prerecorded[0] = 0x08;
    prerecorded[1] = 0x02;
    std::memcpy(&prerecorded[21], "K<&>\"Q", 6); // the medium's maker
    std::memcpy(&prerecorded[29], "R8<X>1", 6);  // its type
    m_pMachine->SetBytes(m_nDrive, "ds.0E", prerecorded.data(), uint32_t(prerecorded.size()));
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    const TestRunRing& ring = m_pPage->Ring();
    const CString strDisc = ring.Info(ring.GetCurrentRun()).szDisc;
    ASSERT_NE(-1, strDisc.Find("<BR> K<&>\"QR8<X>1")) << static_cast<const char*>(strDisc);

    ResultsHtmlInput input;
    input.kind = kTestPageDvdWrite;
    input.version = "1.25";
    input.date = "15 June 2007";
    input.pictureName = "run.png";
    input.speeds = {nullptr, [](void*, CString& rDisc, CString& rDrive) {
                        rDisc = "8 X";
                        rDrive = "8 X";
                    }};
    const CString html = BuildResultsHtml(input, ring);
    const CString strCell = "<td>" + strDisc.Left(strDisc.Find("<BR>")) + "<BR> K&lt;&amp;&gt;&quot;QR8&lt;X&gt;1";
    EXPECT_NE(-1, html.Find(strCell)) << static_cast<const char*>(html);
    EXPECT_EQ(-1, html.Find("&lt;BR&gt;"));
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

// The SET STREAMING descriptor the drive gets for a read and a write speed (KB/s, FFFFFFFF: the fastest).
std::vector<uint8_t> StreamingDescriptor(uint32_t nRead, uint32_t nWrite)
{
    std::vector<uint8_t> descriptor(28, 0);
    for (const auto& field :
         {std::make_pair(12, nRead), std::make_pair(16, 1000u), std::make_pair(20, nWrite), std::make_pair(24, 1000u)})
        for (int i = 0; i < 4; ++i)
            descriptor[size_t(field.first + i)] = uint8_t(field.second >> (24 - 8 * i));
    return descriptor;
}

// The write-speed list: filled when the page is shown, with the drive set at once to the item the list selects (the
// first, when the drive's speed is none of the listed ones); a chosen item goes to the drive as the KB/s the drive
// reported for it; "maximum", after a failed GET PERFORMANCE, as the fastest reading and writing.
TEST_F(DvdWriteRun, SpeedListSetsTheDriveToTheItemItShows)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdPlusR, kFreeSectors);
    EmuSetDvdSpeeds(m_pMachine, m_nDrive, {{6925, 16620}}, {3324, 11080, 5540});
    ASSERT_NO_FATAL_FAILURE(SetCapabilitiesSpeed(28, 8310)); // 6 X, not a listed speed
    const auto lastStreaming = [&] {
        const std::vector<EmuLogEntry> sent = CommandsOf({0xB6});
        return sent.empty() ? std::vector<uint8_t>() : DataOutOf(sent.back());
    };
    m_pMachine->ClearLog();
    ShowPage();
    const std::vector<std::string> expected = {"8.0 X (11080 KB/s)", "4.0 X (5540 KB/s)", "2.4 X (3324 KB/s)"};
    EXPECT_EQ(expected, SpeedItems());
    EXPECT_EQ(StreamingDescriptor(0xFFFFFFFF, 11080), lastStreaming());

    ChooseSpeed(2);
    EXPECT_EQ(StreamingDescriptor(0xFFFFFFFF, 3324), lastStreaming());

    m_pMachine->SetInt(m_nDrive, "perf.requireDataType10", 1); // GET PERFORMANCE refused
    m_pMachine->ClearLog();
    m_pPage->ShowWindow(SW_HIDE);
    EXPECT_EQ(std::vector<std::string>{"maximum"}, SpeedItems());
    EXPECT_EQ(StreamingDescriptor(0xFFFFFFFF, 0xFFFFFFFF), lastStreaming());
}

// A drive whose medium goes away once the run is written never becomes ready again: the page gives up after two
// minutes on the drive's clock, says so with the drive's sense text and ends the run as a failed one (the medium
// released and the tray opened, no result texts).
class MediumGoneAtTheEndPage : public CDvdWriteTestDlg {
public:
    explicit MediumGoneAtTheEndPage(CWnd* pTestWindow) : CDvdWriteTestDlg(pTestWindow) {}
    IEmuMachine* pMachine = nullptr;
    int nDrive = 0;

protected:
    bool OnRunEnding(int nCode) override
    {
        if (nCode == TPC_DONE)
            pMachine->QueueSense(nDrive, 0x00, 2, 0x3A, 0x00, 100000);
        return CDvdWriteTestDlg::OnRunEnding(nCode);
    }
};

class DvdWriteMediumGone : public PageRunOf<MediumGoneAtTheEndPage> {
protected:
    std::string DriveProfile() const override { return "fifth-family-dvd-writer"; }
};

TEST_F(DvdWriteMediumGone, ReadinessWaitAtTheEndGivesUpAfterTwoMinutes)
{
    m_pPage->pMachine = m_pMachine;
    m_pPage->nDrive = m_nDrive;
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdMinusR, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    ASSERT_NO_FATAL_FAILURE(StartAndWait(false));

    ASSERT_EQ(1u, m_pSession->MessageBoxes().size());
    const CString& text = m_pSession->MessageBoxes()[0].text;
    EXPECT_EQ(0, text.Find("Write error at ")) << static_cast<const char*>(text);
    EXPECT_NE(-1, text.Find("(code 023A00)")) << static_cast<const char*>(text);
    EXPECT_EQ(CString("Ready"), m_pSession->MessageBoxes()[0].caption);

    // The polls after the page's SYNCHRONIZE CACHE, a quarter second apart, for two minutes of the drive's time;
    // then the failed run's end: SYNCHRONIZE CACHE, ALLOW MEDIUM REMOVAL, eject.
    const std::vector<EmuLogEntry> log = Log();
    size_t nLastWrite = 0;
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].cdb[0] == 0x2A)
            nLastWrite = i;
    size_t nSync = nLastWrite + 1;
    while (nSync < log.size() && log[nSync].cdb[0] != 0x35)
        ++nSync;
    size_t nEndOfPolls = nSync + 1;
    while (nEndOfPolls < log.size() && log[nEndOfPolls].cdb[0] == 0x00)
        ++nEndOfPolls;
    ASSERT_LT(nEndOfPolls, log.size());
    const uint64_t nWaitedUs = log[nEndOfPolls].nTimeUs - log[nSync + 1].nTimeUs;
    EXPECT_GE(nWaitedUs, 120000000u);
    EXPECT_LT(nWaitedUs, 121000000u);
    EXPECT_NEAR(480.0, double(nEndOfPolls - nSync - 1), 2.0);
    std::vector<std::vector<uint8_t>> end;
    for (size_t i = nEndOfPolls; i < log.size(); ++i)
        if (log[i].cdb[0] == 0x35 || log[i].cdb[0] == 0x1E || log[i].cdb[0] == 0x1B)
            end.push_back({log[i].cdb[0], log[i].cdb[4]});
    const std::vector<std::vector<uint8_t>> expectedEnd = {{0x35, 0x00}, {0x1E, 0x00}, {0x1B, 0x02}};
    EXPECT_EQ(expectedEnd, end);

    const TestRunRing& ring = m_pPage->Ring();
    EXPECT_STREQ("", ring.Info(ring.GetCurrentRun()).szDuration) << "no result texts";
    EXPECT_FALSE(m_pPage->IsRunning());
    EXPECT_FALSE(m_runState.IsRunning());
}

// One run on each rewritable kind, real and with the Simulate setting: the set-up the worker sends between the
// write-parameters page and the first write, the writes and every sample, the ending, what the disc holds after it,
// and a second run on the same disc.
struct RewritableCase {
    const char* name;
    EmuWriteDisc disc;
    bool bSimulate;
    const char* pszBox;          // the message box the start shows (answered Yes), or none
    int nPageByte6;              // byte 2 of the write-parameters page sent; 0: no page
    int nPageByte7;              // byte 3 of that page
    std::vector<uint8_t> setUp;  // PREVENT, SEND DISC STRUCTURE, FORMAT UNIT, SYNCHRONIZE CACHE, READ DISC
                                 // INFORMATION, RESERVE TRACK before the first write, in order
    std::vector<uint8_t> ending; // SYNCHRONIZE CACHE, CLOSE TRACK/SESSION and START STOP UNIT after the last write
                                 // (the worker's, then the page's)
    uint8_t nWriteOpcode;        // 0x2A WRITE(10) or 0xAA WRITE(12)
    int nBlockSectors;           // sectors a write carries
    bool bRecorded;              // the disc holds the run afterwards
    const char* pszSecondRunBox; // the box of a second Start on the same disc (answered Yes), or none
};

void PrintTo(const RewritableCase& c, std::ostream* os)
{
    *os << c.name;
}

const char kPlusRwSimulation[] = "                       *** WARNING ***\nWrite simulation is not supported on DVD+RW "
                                 "media!\r\nDo you wish to continue without simulation?";
const char kRamSimulation[] = "                       *** WARNING ***\nWrite simulation is not supported on DVD-RAM "
                              "media!\r\nDo you wish to continue without simulation?";
const char kPlusRwNotEmpty[] =
    "Inserted DVD+RW is not empty!\nIf you continue, all data will be lost!\r\nDo you wish to continue ?";
const char kRamNotEmpty[] =
    "Inserted DVD-RAM is not empty!\nIf you continue, all data will be lost!\r\nDo you wish to continue ?";
const char kMinusRwNotEmpty[] = "Inserted DVD-RW is not empty!\nDo you wish to erase and continue ?";

// clang-format off
const RewritableCase kRewritableCases[] = {
    {"PlusRw", kEmuWriteDvdPlusRw, false, nullptr, 0x42, 0x25, {0x1E, 0xBF, 0x04, 0x35, 0x51},
     {0x35, 0x5B, 0x35, 0x1B}, 0x2A, 25, true, kPlusRwNotEmpty},
    {"PlusRwSimulateWritesForReal", kEmuWriteDvdPlusRw, true, kPlusRwSimulation, 0x42, 0x25,
     {0x1E, 0xBF, 0x04, 0x35, 0x51}, {0x35, 0x5B, 0x35, 0x1B}, 0x2A, 25, true, kPlusRwNotEmpty},
    {"MinusRw", kEmuWriteDvdMinusRw, false, nullptr, 0x42, 0xE5, {0x1E, 0xBF, 0x53},
     {0x35, 0x1B}, 0x2A, 25, true, kMinusRwNotEmpty},
    {"MinusRwTestWrite", kEmuWriteDvdMinusRw, true, nullptr, 0x52, 0xE5, {0x1E, 0xBF, 0x53},
     {0x35, 0x1B}, 0x2A, 25, false, nullptr},
    {"Ram", kEmuWriteDvdRam, false, nullptr, 0, 0, {0x1E},
     {0x35, 0x1B}, 0xAA, 32, true, kRamNotEmpty},
    {"RamSimulateWritesForReal", kEmuWriteDvdRam, true, kRamSimulation, 0, 0, {0x1E},
     {0x35, 0x1B}, 0xAA, 32, true, kRamNotEmpty},
};
// clang-format on

class DvdWriteRewritable : public DvdWriteRun, public ::testing::WithParamInterface<RewritableCase> {};

TEST_P(DvdWriteRewritable, RunsInTheOrderOfItsKindAndTheDiscTakesTheNextRun)
{
    const RewritableCase& c = GetParam();
    const bool bRam = c.disc == kEmuWriteDvdRam;
    // DVD-RAM samples are 35 blocks of 32 sectors (1120 of the 1125): twelve samples' room gives eleven samples.
    const int nSamples = bRam ? 11 : kSamples;
    const int64_t nFree = bRam ? 12 * kSampleSectors + 100 : kFreeSectors;
    const long nTestLength = bRam ? 12 * 1120 : kSamples * kSampleSectors;
    const int n = kSampleSectors / c.nBlockSectors;
    // What the writes cover: on DVD-RAM whole samples of 1120 sectors, fewer than the test length.
    const int64_t nWritten = int64_t(nSamples) * n * c.nBlockSectors;
    EmuLoadBlankDvd(m_pMachine, m_nDrive, c.disc, nFree);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    m_settings.simulate = c.bSimulate ? 1 : 0;
    if (c.pszBox != nullptr)
        m_pSession->QueueAnswer(IDYES);
    RunOnce();
    if (c.pszBox != nullptr) {
        ASSERT_EQ(1u, m_pSession->MessageBoxes().size());
        EXPECT_EQ(CString(c.pszBox), m_pSession->MessageBoxes()[0].text);
        EXPECT_EQ(UINT(MB_YESNO | MB_ICONEXCLAMATION), m_pSession->MessageBoxes()[0].type);
    } else {
        EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    }
    EXPECT_EQ(nTestLength, m_pPage->Job().nSectorCount);

    // The write-parameters page, then the worker's set-up, then the writes.
    std::vector<EmuLogEntry> log = Log();
    size_t nSelect = log.size(), nFirstWrite = log.size(), nLastWrite = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        if ((log[i].cdb[0] == 0x15 || log[i].cdb[0] == 0x55) && nSelect == log.size())
            nSelect = i;
        if (log[i].cdb[0] == c.nWriteOpcode) {
            nFirstWrite = std::min(nFirstWrite, i);
            nLastWrite = i;
        }
    }
    ASSERT_LT(nFirstWrite, log.size());
    if (c.nPageByte6 != 0) {
        ASSERT_LT(nSelect, nFirstWrite);
        const std::vector<uint8_t> page = SelectedPage(log[nSelect]);
        ASSERT_LE(size_t(20), page.size());
        EXPECT_EQ(0x05, page[0]);
        EXPECT_EQ(c.nPageByte6, page[2]);
        EXPECT_EQ(c.nPageByte7, page[3]);
        EXPECT_EQ(0x08, page[4]);
        EXPECT_EQ(0x96, page[15]) << "audio pause length 150 (list bytes 18-19)";
    } else {
        EXPECT_EQ(log.size(), nSelect) << "no write-parameters page";
        // The set-up then follows the media check's READ FORMAT CAPACITIES.
        nSelect = 0;
        for (size_t i = 0; i < nFirstWrite; ++i)
            if (log[i].cdb[0] == 0x23)
                nSelect = i;
        ASSERT_NE(0u, nSelect);
    }
    EXPECT_EQ(c.setUp, Sequence(nSelect, nFirstWrite, {0x1E, 0xBF, 0x04, 0x35, 0x51, 0x53}));
    for (const EmuLogEntry& e : log) {
        if (e.cdb[0] == 0x04) { // FORMAT UNIT: FmtData, format code 1, type 0x26 over the whole disc
            EXPECT_EQ(0x11, e.cdb[1]);
            const std::vector<uint8_t> expected = {0, 0, 0, 8, 0xFF, 0xFF, 0xFF, 0xFF, 0x98, 0, 0, 0};
            EXPECT_EQ(expected, DataOutOf(e));
        }
        if (e.cdb[0] == 0x53) {
            EXPECT_EQ(nTestLength, (e.cdb[5] << 24) | (e.cdb[6] << 16) | (e.cdb[7] << 8) | e.cdb[8]);
        }
    }

    // Every write in order from LBA 0 with its whole block; the image in the first.
    const std::vector<EmuLogEntry> writes = Writes();
    ASSERT_EQ(size_t(nSamples * n), writes.size());
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(c.nWriteOpcode, writes[i].cdb[0]);
        EXPECT_EQ(int32_t(i * size_t(c.nBlockSectors)), WriteLba(writes[i])) << "write " << i;
        EXPECT_EQ(uint32_t(c.nBlockSectors * 2048), writes[i].nDataOutLength);
        if (bRam) {
            EXPECT_EQ(32,
                      (writes[i].cdb[6] << 24) | (writes[i].cdb[7] << 16) | (writes[i].cdb[8] << 8) | writes[i].cdb[9]);
            EXPECT_EQ(0x80, writes[i].cdb[10]) << "streaming";
        }
    }
    std::vector<uint8_t> image(size_t(c.nBlockSectors) * 2048, 0);
    BuildDvdTestImage(image.data(), nTestLength);
    EXPECT_EQ(image, DataOutOf(writes[0]));
    EXPECT_EQ(std::vector<uint8_t>(image.size(), 0), DataOutOf(writes[1]));

    // Samples ending below sector 9000 are skipped; every other one is the drive's own timeline.
    const std::vector<uint32_t> truth = SamplesFromTimeline(nSamples, c.nBlockSectors, c.nWriteOpcode);
    const TestRunRing& ring = m_pPage->Ring();
    const uint32_t* samples = ring.Samples(ring.GetCurrentRun());
    for (int s = 0; s < nSamples; ++s) {
        if ((s + 1) * n * c.nBlockSectors < kDvdWriteSkippedBelow) {
            EXPECT_EQ(SAMPLE_SKIPPED, samples[s]) << "sample " << s;
        } else {
            EXPECT_EQ(truth[s], samples[s]) << "sample " << s;
            EXPECT_NEAR(800.0, double(samples[s]), 800 * 0.02) << "sample " << s;
        }
    }
    EXPECT_EQ(SAMPLE_NONE, samples[nSamples]);
    EXPECT_EQ(n, ring.Extent(ring.GetCurrentRun()).blocksPerSample);
    EXPECT_EQ(nSamples - 1, ring.Extent(ring.GetCurrentRun()).lastSample);
    EXPECT_EQ(0, m_pMachine->GetInt(m_nDrive, "write.underruns", -1));

    // The ending: the worker's own (DVD+RW: SYNCHRONIZE CACHE and CLOSE function 3), then the page's.
    EXPECT_EQ(c.ending, Sequence(nLastWrite + 1, log.size(), {0x35, 0x5B, 0x1B}));
    if (c.disc == kEmuWriteDvdPlusRw) {
        const std::vector<std::vector<uint8_t>> expectedCloses = {{0x01, 0x03, 0x00}};
        EXPECT_EQ(expectedCloses, Closes());
        EXPECT_EQ(3, m_pMachine->GetInt(m_nDrive, "write.backgroundFormat", 0));
    } else {
        EXPECT_TRUE(Closes().empty());
    }
    EXPECT_EQ(c.bRecorded ? nWritten : 0, m_pMachine->GetInt(m_nDrive, "write.recorded", -1));
    EXPECT_FALSE(m_runState.IsRunning());

    // The same disc takes a second run: a written one after its question (answered Yes; a DVD-RW is erased first).
    m_pMachine->ClearLog();
    m_pSession->ClearMessageBoxes();
    m_pSession->QueueAnswer(IDYES);
    m_pSession->QueueAnswer(IDYES);
    RunThroughErase();
    if (c.pszSecondRunBox != nullptr) {
        ASSERT_FALSE(m_pSession->MessageBoxes().empty());
        EXPECT_EQ(CString(c.pszSecondRunBox), m_pSession->MessageBoxes()[0].text);
    } else {
        EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    }
    EXPECT_EQ(size_t(nSamples * n), Writes().size());
    EXPECT_EQ(c.bRecorded ? nWritten : 0, m_pMachine->GetInt(m_nDrive, "write.recorded", -1));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DvdWriteRewritable, ::testing::ValuesIn(kRewritableCases),
                         [](const ::testing::TestParamInfo<RewritableCase>& info) { return info.param.name; });

// A used DVD-RW is offered the erase: Yes sets page 5 to write type 2 without the test write, blanks the disc with
// Immed, asks the drive every second and starts the test again once it is ready.
struct EraseCase {
    const char* name;
    bool bRestricted; // the disc is in restricted overwrite, which the erase turns back to sequential recording
};

void PrintTo(const EraseCase& c, std::ostream* os)
{
    *os << c.name;
}

const EraseCase kEraseCases[] = {{"Sequential", false}, {"RestrictedOverwrite", true}};

class DvdWriteErase : public DvdWriteRun, public ::testing::WithParamInterface<EraseCase> {};

TEST_P(DvdWriteErase, UsedDvdMinusRwIsErasedAndTheTestStartsAgain)
{
    EmuLoadUsedDvdMinusRw(m_pMachine, m_nDrive, kFreeSectors, GetParam().bRestricted, 4000);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    m_pMachine->SetInt(m_nDrive, "write.blankUs", 2000000);
    std::vector<uint8_t> page5(m_pMachine->GetBytes(m_nDrive, "mode.page.05", nullptr, 0));
    m_pMachine->GetBytes(m_nDrive, "mode.page.05", page5.data(), uint32_t(page5.size()));
    page5[2] = 0x52; // a test write set by an earlier run
    m_pMachine->SetBytes(m_nDrive, "mode.page.05", page5.data(), uint32_t(page5.size()));
    m_pSession->QueueAnswer(IDYES);
    m_pMachine->ClearLog();
    ASSERT_TRUE(Click(m_pPage->m_hWnd, int(m_pPage->Traits().nStartId)));
    ASSERT_EQ(1u, m_pSession->MessageBoxes().size());
    EXPECT_EQ(CString(kMinusRwNotEmpty), m_pSession->MessageBoxes()[0].text);
    EXPECT_TRUE(m_pPage->IsErasePending());
    EXPECT_FALSE(m_pPage->IsRunning());

    // Page 5 as read, with write type 2, BUFE and no test write; then the minimal blank with Immed.
    std::vector<EmuLogEntry> log = Log();
    const std::vector<uint8_t> sequence = Sequence(0, log.size(), {0x1A, 0x5A, 0x15, 0x55, 0xA1});
    ASSERT_EQ(3u, sequence.size());
    EXPECT_EQ(0xA1, sequence[2]);
    for (const EmuLogEntry& e : log) {
        if (e.cdb[0] == 0x15 || e.cdb[0] == 0x55) {
            const std::vector<uint8_t> page = SelectedPage(e);
            ASSERT_LE(size_t(3), page.size());
            EXPECT_EQ(0x05, page[0]);
            EXPECT_EQ(0x42, page[2]);
        }
        if (e.cdb[0] == 0xA1) {
            EXPECT_EQ(0x11, e.cdb[1]) << "minimal blank with Immed";
            EXPECT_EQ(0, WriteLba(e));
        }
    }
    EXPECT_TRUE(Writes().empty());

    // The drive is busy for two seconds of its own time; then the test starts by itself on the blank disc.
    m_pMachine->AdvanceUs(2000000);
    ASSERT_TRUE(PumpUntil([&] { return !m_pPage->IsErasePending(); }, 10000));
    ASSERT_TRUE(PumpUntil([&] { return !m_pPage->IsRunning(); }, 30000));
    EXPECT_EQ(1u, m_pSession->MessageBoxes().size());
    EXPECT_EQ(0x14, m_pMachine->GetInt(m_nDrive, "config.profile", 0));
    EXPECT_EQ(1, m_pMachine->GetInt(m_nDrive, "write.blanks", 0));
    EXPECT_EQ(size_t(kSamples * 45), Writes().size());
    EXPECT_EQ(kSamples * kSampleSectors, m_pMachine->GetInt(m_nDrive, "write.recorded", 0));
}

TEST_P(DvdWriteErase, NoToTheEraseLeavesTheDiscAlone)
{
    EmuLoadUsedDvdMinusRw(m_pMachine, m_nDrive, kFreeSectors, GetParam().bRestricted, 4000);
    m_pSession->QueueAnswer(IDNO);
    RunOnce();
    ASSERT_EQ(1u, m_pSession->MessageBoxes().size());
    EXPECT_EQ(CString(kMinusRwNotEmpty), m_pSession->MessageBoxes()[0].text);
    EXPECT_FALSE(m_pPage->IsErasePending());
    EXPECT_TRUE(ScsiLogEntries(m_pMachine, 0xA1).empty());
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(4000, m_pMachine->GetInt(m_nDrive, "write.recorded", 0));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DvdWriteErase, ::testing::ValuesIn(kEraseCases),
                         [](const ::testing::TestParamInfo<EraseCase>& info) { return info.param.name; });

// Stopping a run on a rewritable: the worker's stop ending (SYNCHRONIZE CACHE, CLOSE TRACK/SESSION of its kind), the
// page's eject, and a disc that still takes the next run.
struct StopCase {
    const char* name;
    EmuWriteDisc disc;
    std::vector<std::vector<uint8_t>> closes;
};

void PrintTo(const StopCase& c, std::ostream* os)
{
    *os << c.name;
}

const StopCase kStopCases[] = {
    {"PlusRw", kEmuWriteDvdPlusRw, {{0x01, 0x03, 0x00}}},
    {"MinusRw", kEmuWriteDvdMinusRw, {{0x01, 0x02, 0x00}}},
    {"Ram", kEmuWriteDvdRam, {{0x01, 0x03, 0x00}}},
};

class DvdWriteStop : public DvdWriteRun, public ::testing::WithParamInterface<StopCase> {};

TEST_P(DvdWriteStop, ClosesAsItsKindDoesAndTheNextRunStarts)
{
    const StopCase& c = GetParam();
    EmuLoadBlankDvd(m_pMachine, m_nDrive, c.disc, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    ASSERT_NO_FATAL_FAILURE(StartAndStopAt(3000));
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    const size_t nWrites = Writes().size();
    EXPECT_GT(nWrites, 0u);
    EXPECT_LT(nWrites, size_t(kSamples * 45));
    EXPECT_EQ(c.closes, Closes());
    const std::vector<EmuLogEntry> ssu = ScsiLogEntries(m_pMachine, 0x1B);
    ASSERT_FALSE(ssu.empty());
    EXPECT_EQ(0x02, ssu.back().cdb[4]) << "ejected";
    EXPECT_FALSE(m_runState.IsRunning());

    // The partly written disc is no longer blank; put back in the drive, it takes the next run after its question.
    m_pMachine->SetInt(m_nDrive, EMU_KEY_MEDIUM, 1);
    m_pMachine->SetInt(m_nDrive, "config.profile", m_pMachine->GetInt(m_nDrive, "tray.profile", 0));
    m_pMachine->SetInt(m_nDrive, "tray.disc", 0);
    m_pMachine->ClearLog();
    m_pSession->ClearMessageBoxes();
    m_pSession->QueueAnswer(IDYES);
    RunThroughErase();
    EXPECT_EQ(1u, m_pSession->MessageBoxes().size());
    EXPECT_FALSE(Writes().empty());
    EXPECT_GT(m_pMachine->GetInt(m_nDrive, "write.recorded", 0), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DvdWriteStop, ::testing::ValuesIn(kStopCases),
                         [](const ::testing::TestParamInfo<StopCase>& info) { return info.param.name; });

// Media checks and set-ups that end a Start before anything is written, and the DVD+R test write on a drive that
// cannot simulate, which the user turns into a real run.
struct RefusalCase {
    const char* name;
    EmuWriteDisc disc;
    void (*pfnArrange)(IEmuMachine* pMachine, int nDrive, TransferRateSettings& settings);
    int nAnswer;            // the answer to the first box
    const char* pszMessage; // the first message box, or none
    bool bWrites;           // the run wrote
};

void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << c.name;
}

void Written(IEmuMachine* pMachine, int nDrive, TransferRateSettings&)
{
    // A formatted disc with a volume at its start.
    pMachine->SetInt(nDrive, "write.formatted", 1);
    std::vector<uint8_t> head(25 * 2048, 0);
    BuildDvdTestImage(head.data(), 5000);
    pMachine->SetBytes(nDrive, "write.head", head.data(), uint32_t(head.size()));
}
void RefuseCapacities(IEmuMachine* pMachine, int nDrive, TransferRateSettings&)
{
    pMachine->SetInt(nDrive, "write.refuseFormatCapacities", 1);
}
void OddCapacities(IEmuMachine* pMachine, int nDrive, TransferRateSettings&)
{
    pMachine->SetInt(nDrive, "write.oddFormatCapacities", 1);
}
void Simulate(IEmuMachine*, int, TransferRateSettings& settings)
{
    settings.simulate = 1;
}
void RefuseTrackInformation(IEmuMachine* pMachine, int nDrive, TransferRateSettings&)
{
    pMachine->QueueSense(nDrive, 0x52, 5, 0x24, 0x00, 1);
}

const char kDiscInfoError[] = "Error reading disc information";

// clang-format off
const RefusalCase kRefusalCases[] = {
    {"WrittenPlusRwNo", kEmuWriteDvdPlusRw, &Written, IDNO, kPlusRwNotEmpty, false},
    {"WrittenRamNo", kEmuWriteDvdRam, &Written, IDNO, kRamNotEmpty, false},
    {"PlusRwCapacitiesRefused", kEmuWriteDvdPlusRw, &RefuseCapacities, 0, kDiscInfoError, false},
    {"RamCapacitiesUnmatched", kEmuWriteDvdRam, &OddCapacities, 0, nullptr, false},
    {"MinusRwCapacitiesUnmatched", kEmuWriteDvdMinusRw, &OddCapacities, 0, nullptr, false},
    {"MinusRwCapacitiesRefused", kEmuWriteDvdMinusRw, &RefuseCapacities, 0, nullptr, false},
    {"PlusRwCapacitiesUnmatchedRunsEmpty", kEmuWriteDvdPlusRw, &OddCapacities, 0, nullptr, false},
    {"PlusRwSimulateNo", kEmuWriteDvdPlusRw, &Simulate, IDNO, kPlusRwSimulation, false},
    {"RamSimulateNo", kEmuWriteDvdRam, &Simulate, IDNO, kRamSimulation, false},
    {"PlusRSimulateWithoutTheDrivesOwn", kEmuWriteDvdPlusR, &Simulate, IDYES,
     "Simulation not supported on this drive.\r\nDo you wish to continue without simulation?", true},
    {"PlusRTrackInformationRefused", kEmuWriteDvdPlusR, &RefuseTrackInformation, 0,
     "Error reading disc information\r\nInvalid parameter (code 052400)", false},
    {"MinusRTrackInformationRefused", kEmuWriteDvdMinusR, &RefuseTrackInformation, 0,
     "Error reading disc information\r\nInvalid parameter (code 052400)", false},
};
// clang-format on

class DvdWriteRefusal : public DvdWriteRun, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(DvdWriteRefusal, ShowsItsMessageAndTheDriveStaysUsable)
{
    const RefusalCase& c = GetParam();
    EmuLoadBlankDvd(m_pMachine, m_nDrive, c.disc, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    c.pfnArrange(m_pMachine, m_nDrive, m_settings);
    if (c.nAnswer != 0)
        m_pSession->QueueAnswer(c.nAnswer);
    RunOnce();
    if (c.pszMessage != nullptr) {
        ASSERT_EQ(1u, m_pSession->MessageBoxes().size());
        EXPECT_EQ(CString(c.pszMessage), m_pSession->MessageBoxes()[0].text);
        EXPECT_EQ(CString("Write Transfer Rate Test"), m_pSession->MessageBoxes()[0].caption);
    } else {
        EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    }
    EXPECT_EQ(c.bWrites, !Writes().empty());
    EXPECT_FALSE(m_pPage->IsRunning());
    EXPECT_FALSE(m_pPage->IsErasePending());
    EXPECT_FALSE(m_runState.IsRunning());
    if (c.bWrites) {
        // The drive wrote for real, so the track and the disc are closed as after any real DVD+R run.
        const std::vector<std::vector<uint8_t>> expectedCloses = {{0x01, 0x01, 0x01}, {0x01, 0x06, 0x00}};
        EXPECT_EQ(expectedCloses, Closes());
        EXPECT_EQ(kSamples * kSampleSectors, m_pMachine->GetInt(m_nDrive, "write.recorded", 0));
    }
    // Nothing is left under way on the drive: a test unit ready answers at once.
    EXPECT_EQ(kEmuWriteIdle, m_pMachine->GetInt(m_nDrive, "write.phase", -1));
    EXPECT_FALSE(m_pPage->IsRunning());
}

INSTANTIATE_TEST_SUITE_P(Kinds, DvdWriteRefusal, ::testing::ValuesIn(kRefusalCases),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

// Every way a worker ends, it has given up its buffers before its last message: once the page has that message,
// a new run may start and fill them.
class BufferWatchingPage : public CDvdWriteTestDlg {
public:
    explicit BufferWatchingPage(CWnd* pTestWindow) : CDvdWriteTestDlg(pTestWindow) {}
    std::vector<bool> buffersHeldAtEnd; // at each end of a run

protected:
    bool OnRunEnding(int nCode) override
    {
        buffersHeldAtEnd.push_back(!Job().image.empty() || !Job().zeros.empty());
        return CDvdWriteTestDlg::OnRunEnding(nCode);
    }
};

struct WorkerEndCase {
    const char* name;
    EmuWriteDisc disc;
    int nFailingOpcode;     // the command the drive refuses once (0: none)
    bool bStop;             // Stop pressed during the writes
    const char* pszMessage; // the message box, up to the sense text (none: no box)
};

void PrintTo(const WorkerEndCase& c, std::ostream* os)
{
    *os << c.name;
}

const WorkerEndCase kWorkerEndCases[] = {
    {"WriteRefused", kEmuWriteDvdMinusR, 0x2A, false, "Write error at 0\r\n"},
    {"FormatRefused", kEmuWriteDvdPlusRw, 0x04, false, "Write error at -150\r\n"},
    {"Stopped", kEmuWriteDvdMinusR, 0, true, nullptr},
    {"Written", kEmuWriteDvdMinusR, 0, false, nullptr},
};

class DvdWorkerEnd : public PageRunOf<BufferWatchingPage>, public ::testing::WithParamInterface<WorkerEndCase> {
protected:
    std::string DriveProfile() const override { return "fifth-family-dvd-writer"; }
};

TEST_P(DvdWorkerEnd, GivesUpItsBuffersBeforeItsLastMessage)
{
    const WorkerEndCase& c = GetParam();
    EmuLoadBlankDvd(m_pMachine, m_nDrive, c.disc, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    if (c.nFailingOpcode != 0)
        m_pMachine->QueueSense(m_nDrive, c.nFailingOpcode, 3, 0x0C, 0x00, 1);
    if (c.bStop) {
        ASSERT_NO_FATAL_FAILURE(StartAndStopAt(3000));
    } else {
        ASSERT_NO_FATAL_FAILURE(StartAndWait(false));
    }
    if (c.pszMessage != nullptr) {
        ASSERT_EQ(1u, m_pSession->MessageBoxes().size());
        const CString& text = m_pSession->MessageBoxes()[0].text;
        EXPECT_EQ(0, text.Find(c.pszMessage)) << static_cast<const char*>(text);
    } else {
        EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    }
    EXPECT_EQ(std::vector<bool>{false}, m_pPage->buffersHeldAtEnd);
}

INSTANTIATE_TEST_SUITE_P(Ends, DvdWorkerEnd, ::testing::ValuesIn(kWorkerEndCases),
                         [](const ::testing::TestParamInfo<WorkerEndCase>& info) { return info.param.name; });

// A writer of the family that formats a DVD+RW with Immed and counts DVD-RAM on the 1385 KB/s basis.
class DvdWriteListedRun : public DvdWriteRun {
protected:
    std::string DriveProfile() const override { return "sata-dvd-writer"; }
};

TEST_F(DvdWriteListedRun, PlusRwFormatReturnsAtOnceAndTheWorkerWaitsForTheDrive)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdPlusRw, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    m_pMachine->SetInt(m_nDrive, "write.formatUs", 2000000);
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    const std::vector<EmuLogEntry> log = Log();
    size_t nFormat = log.size(), nFirstWrite = log.size();
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].cdb[0] == 0x04)
            nFormat = i;
        if (log[i].cdb[0] == 0x2A && nFirstWrite == log.size())
            nFirstWrite = i;
    }
    ASSERT_LT(nFormat, nFirstWrite);
    const std::vector<uint8_t> list = DataOutOf(log[nFormat]);
    ASSERT_EQ(12u, list.size());
    EXPECT_EQ(0x02, list[1]) << "Immed";
    // The drive was not ready while it formatted; the worker asked until it was, and wrote only then.
    bool bNotReadySeen = false;
    for (size_t i = nFormat + 1; i < nFirstWrite; ++i)
        if (log[i].cdb[0] == 0x00 && log[i].nScsiStatus != 0 && log[i].sense[12] == 0x04 && log[i].sense[13] == 0x04)
            bNotReadySeen = true;
    EXPECT_TRUE(bNotReadySeen);
    EXPECT_GE(log[nFirstWrite].nTimeUs, log[nFormat].nTimeUs + 2000000);
    EXPECT_EQ(size_t(kSamples * 45), Writes().size());
    EXPECT_EQ(kSamples * kSampleSectors, m_pMachine->GetInt(m_nDrive, "write.recorded", 0));
}

TEST_F(DvdWriteListedRun, DvdRamSamplesCountOnTheReadBasis)
{
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdRam, 12 * kSampleSectors + 100);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 500);
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    const std::vector<uint32_t> truth1350 = SamplesFromTimeline(11, 32, 0xAA);
    const TestRunRing& ring = m_pPage->Ring();
    const uint32_t* samples = ring.Samples(ring.GetCurrentRun());
    for (int s = 8; s < 11; ++s) {
        // The same stretch of the timeline on a 1385 KB/s basis: 1350/1385 of the usual value, give or take the
        // truncation of each.
        EXPECT_NEAR(double(truth1350[s]) * 1350.0 / 1385.0, double(samples[s]), 1.0) << "sample " << s;
        EXPECT_NEAR(500.0 * 1350.0 / 1385.0, double(samples[s]), 10.0) << "sample " << s;
    }
}

// A writer of the family with its own simulation of DVD+R writing: a DVD+R run with Simulate switches the drive's
// simulation on with the vendor option before the writes, leaves the track and the disc open, and at its end
// switches the simulation off again, after the results of a finished run (the ending form, a wait for the drive,
// then off) or at once after a stop, which also opens the tray a second time.
struct OwnSimulationCase {
    const char* name;
    bool bStop;
    std::vector<std::vector<uint8_t>> ending; // after the last write: operation code, then byte 1 and byte 4 of
                                              // START STOP UNIT and ALLOW MEDIUM REMOVAL, byte 3 of the option
};

void PrintTo(const OwnSimulationCase& c, std::ostream* os)
{
    *os << c.name;
}

const std::vector<uint8_t> kOptionOn = {0xF3, 0x1F, 0x14};
const std::vector<uint8_t> kOptionEnding = {0xF3, 0x1F, 0xFF};
const std::vector<uint8_t> kOptionOff = {0xF3, 0x1F, 0x15};

// clang-format off
const OwnSimulationCase kOwnSimulationCases[] = {
    {"Finished", false,
     {{0x35, 0, 0}, {0x35, 0, 0}, {0x1B, 1, 3}, {0x1E, 0, 0}, {0x1B, 0, 0}, {0x1B, 0, 3}, kOptionEnding, kOptionOff}},
    {"Stopped", true,
     {{0x35, 0, 0}, {0x1B, 1, 3}, {0x1E, 0, 0}, {0x1B, 0, 2}, kOptionOff, {0x1B, 0, 2}}},
};
// clang-format on

class DvdWriteOwnSimulation : public DvdWriteRun, public ::testing::WithParamInterface<OwnSimulationCase> {
protected:
    // A model without a row in the model table: the program sends it the six-byte mode commands, which it takes.
    void PrepareDrive() override
    {
        SetProduct("DVDR   QZ7730   ");
        m_pMachine->SetInt(m_nDrive, "mode.refuse6", 0);
    }
};

TEST_P(DvdWriteOwnSimulation, PlusRTestWriteSwitchesTheDrivesSimulationOnAndOff)
{
    const OwnSimulationCase& c = GetParam();
    EmuLoadBlankDvd(m_pMachine, m_nDrive, kEmuWriteDvdPlusR, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    m_settings.simulate = 1;
    if (c.bStop) {
        ASSERT_NO_FATAL_FAILURE(StartAndStopAt(3000));
    } else {
        ASSERT_NO_FATAL_FAILURE(StartAndWait(false));
    }
    EXPECT_TRUE(m_pSession->MessageBoxes().empty())
        << "the drive simulates: no question; "
        << (m_pSession->MessageBoxes().empty() ? "" : static_cast<const char*>(m_pSession->MessageBoxes()[0].text));

    const std::vector<EmuLogEntry> log = Log();
    size_t nFirstWrite = log.size(), nLastWrite = 0;
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].cdb[0] == 0x2A) {
            nFirstWrite = std::min(nFirstWrite, i);
            nLastWrite = i;
        }
    ASSERT_LT(nFirstWrite, log.size());
    const auto command = [](const EmuLogEntry& e) {
        return std::vector<uint8_t>{e.cdb[0], e.cdb[1], e.cdb[0] == 0xF3 ? e.cdb[3] : e.cdb[4]};
    };
    std::vector<std::vector<uint8_t>> optionsBefore, afterWrites;
    for (size_t i = 0; i < log.size(); ++i) {
        const uint8_t op = log[i].cdb[0];
        if (i < nFirstWrite && op == 0xF3)
            optionsBefore.push_back(command(log[i]));
        if (i > nLastWrite && (op == 0xF3 || op == 0x35 || op == 0x1B || op == 0x1E || op == 0x5B))
            afterWrites.push_back(command(log[i]));
    }
    EXPECT_EQ(std::vector<std::vector<uint8_t>>{kOptionOn}, optionsBefore);
    EXPECT_EQ(c.ending, afterWrites);
    EXPECT_TRUE(Closes().empty()) << "track and disc stay open";
    if (!c.bStop) {
        // The drive is waited for between the ending form and the option off.
        size_t nEnding = 0, nOff = 0;
        for (size_t i = nLastWrite + 1; i < log.size(); ++i)
            if (log[i].cdb[0] == 0xF3)
                (log[i].cdb[3] == 0xFF ? nEnding : nOff) = i;
        ASSERT_LT(nEnding, nOff);
        EXPECT_EQ(0x00, log[nEnding + 1].cdb[0]);
    }
    EXPECT_FALSE(m_runState.IsRunning());
}

INSTANTIATE_TEST_SUITE_P(Ends, DvdWriteOwnSimulation, ::testing::ValuesIn(kOwnSimulationCases),
                         [](const ::testing::TestParamInfo<OwnSimulationCase>& info) { return info.param.name; });

// The dual-layer discs: after the time stamp the worker sends the layer boundary (DVD+R DL format 0x20 with
// 2,086,912 sectors in layer 0, DVD-R DL format 0x21 with 2,092,896), then writes the run.
struct DualLayerCase {
    const char* name;
    EmuWriteDisc disc;
    int nProfile;
    uint8_t nFormat;
    std::vector<uint8_t> boundary; // SEND DISC STRUCTURE's 12 bytes
};

void PrintTo(const DualLayerCase& c, std::ostream* os)
{
    *os << c.name;
}

const DualLayerCase kDualLayerCases[] = {
    {"PlusRDl", kEmuWriteDvdPlusR, 0x2B, 0x20, {0, 0x0A, 0, 0, 0, 0, 0, 0, 0x00, 0x1F, 0xD8, 0x00}},
    {"MinusRDl", kEmuWriteDvdMinusR, 0x15, 0x21, {0, 0x0A, 0, 0, 0, 0, 0, 0, 0x00, 0x1F, 0xEF, 0x60}},
};

class DvdWriteDualLayer : public DvdWriteRun, public ::testing::WithParamInterface<DualLayerCase> {};

TEST_P(DvdWriteDualLayer, SendsTheLayerBoundaryBeforeTheWrites)
{
    const DualLayerCase& c = GetParam();
    EmuLoadBlankDvd(m_pMachine, m_nDrive, c.disc, kFreeSectors);
    m_pMachine->SetInt(m_nDrive, "config.profile", c.nProfile);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 800);
    RunOnce();
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    const std::vector<EmuLogEntry> structures = CommandsOf({0xBF});
    ASSERT_EQ(2u, structures.size());
    EXPECT_EQ(0x0F, structures[0].cdb[7]) << "the time stamp first";
    EXPECT_EQ(c.nFormat, structures[1].cdb[7]);
    EXPECT_EQ(12, (structures[1].cdb[8] << 8) | structures[1].cdb[9]);
    EXPECT_EQ(c.boundary, DataOutOf(structures[1]));
    const std::vector<EmuLogEntry> writes = Writes();
    ASSERT_EQ(size_t(kSamples * 45), writes.size());
    EXPECT_LT(structures[1].nSequence, writes[0].nSequence);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DvdWriteDualLayer, ::testing::ValuesIn(kDualLayerCases),
                         [](const ::testing::TestParamInfo<DualLayerCase>& info) { return info.param.name; });

// The workers without a button, run on the test's own thread: several tracks (DVD+R), sessions or borders (DVD-R) of
// 2000 commands of 32 sectors each, the image at the start of each, the drive closing what it should.
struct VariantCase {
    const char* name;
    EmuWriteDisc disc;
    AFX_THREADPROC pfnWorker;
    int nTracks;
    std::vector<std::vector<uint8_t>> closes; // Immed, function, track of each CLOSE TRACK/SESSION
    std::vector<std::vector<uint8_t>> pages;  // bytes 2 and 3 of each write-parameters page sent
    int nReserves;                            // RESERVE TRACK commands, each of 64,000 sectors
    bool bClosedDisc;                         // no further session may follow
    bool bEjects;
};

void PrintTo(const VariantCase& c, std::ostream* os)
{
    *os << c.name;
}

// clang-format off
const VariantCase kVariantCases[] = {
    {"MultiTrackPlusR", kEmuWriteDvdPlusR, &DvdPlusRMultiTrackWriteTestThread, 4,
     {{1, 1, 1}, {1, 2, 0}, {1, 1, 2}, {1, 2, 0}, {1, 1, 3}, {1, 2, 0}, {1, 1, 4}, {1, 6, 0}}, {}, 0, true, false},
    {"MultiSessionMinusR", kEmuWriteDvdMinusR, &DvdMinusRMultiSessionWriteTestThread, 3,
     {{1, 1, 1}, {1, 2, 0}, {1, 1, 2}, {1, 2, 0}, {1, 1, 3}, {1, 2, 0}}, {{0x60, 0xE5}, {0x60, 0xE5}, {0x60, 0x25}},
     3, true, true},
    {"MultiBorderMinusR", kEmuWriteDvdMinusR, &DvdMinusRMultiBorderWriteTestThread, 4,
     {{1, 2, 0}, {1, 2, 0}, {1, 2, 0}}, {{0x40, 0xE5}}, 4, false, false},
};
// clang-format on

class DvdWriteVariant : public DvdWriteRun, public ::testing::WithParamInterface<VariantCase> {};

TEST_P(DvdWriteVariant, WritesItsTracksOneAfterTheOtherAndClosesThem)
{
    const VariantCase& c = GetParam();
    const int kTrackWrites = 2000;
    EmuLoadBlankDvd(m_pMachine, m_nDrive, c.disc, 300000);
    m_pMachine->SetInt(m_nDrive, "write.speedX100", 1600);
    // The 8000 writes of 64 KB are kept in the log as their digests only; the mode pages as their bytes.
    m_pMachine->SetInt(m_nDrive, EMU_KEY_LOG_KEEP, 4096);
    m_pMachine->ClearLog();
    m_pPage->WorkerState().record = m_pPage->m_currentDrive;
    DvdWriteJob job;
    job.pState = &m_pPage->WorkerState();
    EXPECT_EQ(0u, c.pfnWorker(&job));
    EXPECT_TRUE(m_pSession->MessageBoxes().empty()) << "no error reported";
    EXPECT_TRUE(job.image.empty() && job.zeros.empty()) << "buffers freed";

    const std::vector<EmuLogEntry> log = Log();
    std::vector<EmuLogEntry> writes;
    std::vector<std::vector<uint8_t>> pages;
    int nReserves = 0;
    for (const EmuLogEntry& e : log) {
        if (e.cdb[0] == 0x2A)
            writes.push_back(e);
        if (e.cdb[0] == 0x15 || e.cdb[0] == 0x55) {
            const std::vector<uint8_t> page = SelectedPage(e);
            ASSERT_LE(size_t(4), page.size());
            pages.push_back({page[2], page[3]});
        }
        if (e.cdb[0] == 0x53) {
            ++nReserves;
            EXPECT_EQ(64000, (e.cdb[5] << 24) | (e.cdb[6] << 16) | (e.cdb[7] << 8) | e.cdb[8]);
        }
    }
    ASSERT_EQ(size_t(c.nTracks * kTrackWrites), writes.size());
    for (size_t i = 0; i < writes.size(); ++i) {
        ASSERT_EQ(int32_t(i * 32), WriteLba(writes[i])) << "write " << i;
        ASSERT_EQ(32, (writes[i].cdb[7] << 8) | writes[i].cdb[8]);
        ASSERT_EQ(uint32_t(32 * 2048), writes[i].nDataOutLength);
    }
    std::vector<uint8_t> first(32 * 2048, 0);
    BuildDvdTestImage(first.data(), 64000);
    for (int t = 0; t < c.nTracks; ++t) {
        EXPECT_EQ(EmuDigest(first.data(), first.size()), DataOutDigestOf(writes[size_t(t * kTrackWrites)]))
            << "track " << t;
    }
    const std::vector<uint8_t> zeros(32 * 2048, 0);
    EXPECT_EQ(EmuDigest(zeros.data(), zeros.size()), DataOutDigestOf(writes[1]));
    EXPECT_EQ(c.closes, Closes());
    EXPECT_EQ(c.pages, pages);
    EXPECT_EQ(c.nReserves, nReserves);
    EXPECT_EQ(c.nTracks * 64000, m_pMachine->GetInt(m_nDrive, "write.recorded", 0));
    EXPECT_EQ(c.nTracks, m_pMachine->GetInt(m_nDrive, "write.tracks", 0));
    EXPECT_EQ(c.bClosedDisc ? 1 : 0, m_pMachine->GetInt(m_nDrive, "write.closedDisc", -1));
    const std::vector<EmuLogEntry> ssu = ScsiLogEntries(m_pMachine, 0x1B);
    EXPECT_EQ(c.bEjects, !ssu.empty() && ssu.back().cdb[4] == 0x02);
    const std::vector<EmuLogEntry> locks = ScsiLogEntries(m_pMachine, 0x1E);
    ASSERT_FALSE(locks.empty());
    EXPECT_EQ(0, locks.back().cdb[4]) << "medium removal allowed at the end";
}

INSTANTIATE_TEST_SUITE_P(Kinds, DvdWriteVariant, ::testing::ValuesIn(kVariantCases),
                         [](const ::testing::TestParamInfo<VariantCase>& info) { return info.param.name; });

} // namespace
