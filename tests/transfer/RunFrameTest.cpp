// tests/transfer/RunFrameTest.cpp
// What the start and the end of a run do on the pages, through each page's own Start against the emulated drive on
// the virtual clock. At the start, on all four pages: the graph's previous point forgotten and the marker drawn
// where the run will end (read from the screen at the run's first sample, and again after a repaint at its end),
// the texts of the slot the run takes, the progress timer running and an erase that was waited for no longer
// polled. At the end, on the write pages: the drive commands of the page in order, before and after the run's
// result texts, and the run's duration measured to the moment the drive had written everything.
#include "PageRunFixture.h" // first: the emulator's headers in their order
#include "EmuTiming.h"
#include "EmuWrite.h"
#include "GraphPixels.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using guitest::Pump;

namespace {

const COLORREF kMarker = RGB(1, 1, 1);
const int kSampleSectors = 1125;

// What a test sees of a page at the run's first sample, before the sample is plotted.
class FirstSampleHook {
public:
    virtual ~FirstSampleHook() = default;
    std::function<void()> onFirstSample;
    virtual bool ProgressTimerRunning() const = 0;
    virtual void StartErasePoll() = 0;
};

template <class Base>
class Observed : public Base, public FirstSampleHook {
public:
    explicit Observed(CWnd* pTestWindow) : Base(pTestWindow) {}
    bool ProgressTimerRunning() const override { return this->m_nProgressTimer != 0; }
    void StartErasePoll() override { this->BeginErasePoll(); }

protected:
    void OnSampleStored(int32_t nValue) override
    {
        if (onFirstSample) {
            std::function<void()> fn;
            fn.swap(onFirstSample);
            fn();
        }
        Base::OnSampleStored(nValue);
    }
};

template <class Page>
CTestPageDlg* MakeObserved(CWnd* pWindow, FirstSampleHook*& pHook)
{
    Observed<Page>* pPage = new Observed<Page>(pWindow);
    pHook = pPage;
    return pPage;
}

// The four pages' drives and discs.
void DvdRom16x(IEmuMachine* pMachine, int nDrive)
{
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_LAW, kEmuLawClv);
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_DISC, kEmuDiscDvdSingle);
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_DVD, 1);
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_SPEED, 1600);
}

void Cd52x(IEmuMachine* pMachine, int nDrive)
{
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_LAW, kEmuLawClv);
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_DISC, kEmuDiscCd80);
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_DVD, 0);
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_SPEED, 5200);
}

// A blank CD-R with room for four samples of 1125 sectors, on a writer that can write as a test.
void BlankCdR(IEmuMachine* pMachine, int nDrive)
{
    EmuLoadBlankCd(pMachine, nDrive, kEmuWriteCdR, 150 + 4 * kSampleSectors + 160);
    std::vector<uint8_t> page(64);
    page.resize(pMachine->GetBytes(nDrive, "mode.page.2A", page.data(), uint32_t(page.size())));
    page[3] |= 0x04;
    pMachine->SetBytes(nDrive, "mode.page.2A", page.data(), uint32_t(page.size()));
}

// A blank DVD-R with room for nSamples samples of 1125 sectors, written at 8 X.
void BlankDvdMinusR(IEmuMachine* pMachine, int nDrive, int nSamples)
{
    EmuLoadBlankDvd(pMachine, nDrive, kEmuWriteDvdMinusR, nSamples * kSampleSectors + 700);
    pMachine->SetInt(nDrive, "write.speedX100", 800);
}

void BlankDvdMinusR40(IEmuMachine* pMachine, int nDrive)
{
    BlankDvdMinusR(pMachine, nDrive, 40);
}

struct StartCase {
    const char* name;
    TestPageKind kind;
    const char* profile;
    const char* statements; // the description's statements after the drive
    void (*pfnPrepare)(IEmuMachine* pMachine, int nDrive);
    long nEndSectors; // where the run ends, the marker's position (DVD read: the disc's recorded capacity)
};

void PrintTo(const StartCase& c, std::ostream* os)
{
    *os << c.name;
}

// The marker's column by the graph's rules for the page's axes (the settings' defaults).
int MarkerX(const Rules& r, const StartCase& c, const TransferRateSettings& s)
{
    switch (c.kind) {
    case kTestPageCdRead:
        return r.left + int(int64_t(r.width) * c.nEndSectors / (int64_t(s.readTimeInd) * 4500));
    case kTestPageCdWrite:
        return r.left + int(int64_t(r.width) * c.nEndSectors / (int64_t(s.writeTimeInd) * 4500));
    case kTestPageDvdRead:
        return r.left + int(int64_t(r.width) * (c.nEndSectors * 2 / 1024) / long(s.readTimeIndDvd >> 10));
    case kTestPageDvdWrite:
    default:
        return int(2.0 * c.nEndSectors / double(kDvdLength5GB) * r.width + r.left);
    }
}

const StartCase kStartCases[] = {
    // 112,500 sectors: the disc's end at 219 of 5120 MB.
    {"DvdRead", kTestPageDvdRead, "plain-dvd-rom", "disc dvd-rom 112500\n", &DvdRom16x, 112500},
    // Twenty samples of 4500 sectors: the tested area ends at 90,000 sectors.
    {"CdRead", kTestPageCdRead, "plain-dvd-rom", "disc cd 90000\n", &Cd52x, 90000},
    // Four samples of 1125 sectors.
    {"CdWrite", kTestPageCdWrite, "scsi-cd-writer", "", &BlankCdR, 4 * kSampleSectors},
    // Forty samples of 1125 sectors, the first seven skipped.
    {"DvdWrite", kTestPageDvdWrite, "fifth-family-dvd-writer", "", &BlankDvdMinusR40, 40 * kSampleSectors},
};

class PageStart : public PageRunFixture, public ::testing::WithParamInterface<StartCase> {
protected:
    std::string DriveProfile() const override { return GetParam().profile; }
    std::string DriveStatements() const override { return GetParam().statements; }
    void PrepareDrive() override { GetParam().pfnPrepare(m_pMachine, m_nDrive); }
    CTestPageDlg* MakePage(CWnd* pWindow) override
    {
        switch (GetParam().kind) {
        case kTestPageDvdRead:
            return MakeObserved<CDvdReadTestDlg>(pWindow, m_pHook);
        case kTestPageCdRead:
            return MakeObserved<CCdReadTestDlg>(pWindow, m_pHook);
        case kTestPageCdWrite:
            return MakeObserved<CCdWriteTestDlg>(pWindow, m_pHook);
        case kTestPageDvdWrite:
        default:
            return MakeObserved<CDvdWriteTestDlg>(pWindow, m_pHook);
        }
    }

    FirstSampleHook* m_pHook = nullptr; // the page
};

TEST_P(PageStart, ForgetsThePreviousPointDrawsTheMarkerAndTakesTheSlot)
{
    const StartCase& c = GetParam();
    CTestPageDlg& page = *m_pTestPage;
    const TestPageTraits& traits = page.Traits();
    TestRunRing& ring = page.Ring();
    m_window.ShowWindow(SW_SHOW);
    page.ShowWindow(SW_SHOW);
    Pump();

    // What an earlier run left: a point of its live plot, texts in the slot the new run takes, and on a write page
    // an erase whose poll still ticks.
    {
        CClientDC client(&page);
        page.Graph().PlotSample(client.m_hDC, 1000, 500);
    }
    ASSERT_NE(-1, page.Graph().PreviousPoint().x);
    for (int i = 0; i < ring.TextCount(); ++i)
        std::snprintf(ring.Text(0, i), kResultTextSize, "old text %d", i);
    if (traits.bWritePage)
        m_pHook->StartErasePoll();

    struct {
        bool bSeen = false;
        POINT previous = {};
        std::vector<CString> texts;
        bool bProgressTimer = false, bErasePoll = false, bErasePending = false;
        std::unique_ptr<Pixels> pScreen;
    } seen;
    m_pHook->onFirstSample = [&] {
        seen.bSeen = true;
        seen.previous = page.Graph().PreviousPoint();
        for (int i = 0; i < ring.TextCount(); ++i)
            seen.texts.push_back(ring.Text(ring.GetCurrentRun(), i));
        seen.bProgressTimer = m_pHook->ProgressTimerRunning();
        seen.bErasePoll = ::KillTimer(page.m_hWnd, IDT_ERASE_POLL) != FALSE;
        seen.bErasePending = page.IsErasePending();
        seen.pScreen.reset(new Pixels(ClientPixels(page)));
    };
    ASSERT_NO_FATAL_FAILURE(StartAndWait(false));
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());
    ASSERT_TRUE(seen.bSeen) << "the run stored no sample";
    EXPECT_EQ(0, ring.GetCurrentRun());

    EXPECT_EQ(-1, seen.previous.x) << "the new run's first segment is not joined to the old curve";
    EXPECT_EQ(-1, seen.previous.y);

    const Rules r = RulesOf(page.m_hWnd, int(traits.nGraphId), int(traits.nScaleId));
    const int x = MarkerX(r, c, m_settings);
    for (int y = r.top + 1; y < r.bottom; y += 9)
        ASSERT_EQ(kMarker, seen.pScreen->At(x, y)) << "the marker at x " << x << ", y " << y;
    page.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    const Pixels after = ClientPixels(page);
    for (int y = r.top + 1; y < r.bottom; y += 9)
        ASSERT_EQ(kMarker, after.At(x, y)) << "the marker after the run at x " << x << ", y " << y;

    // The drive line is the new run's; the CD write page empties the slot's other texts, the other pages keep
    // them until the run ends normally (this one has, so they are rewritten only now).
    ASSERT_EQ(size_t(ring.TextCount()), seen.texts.size());
    EXPECT_EQ(0, seen.texts[0].Find("ID:")) << seen.texts[0];
    for (int i = 1; i < ring.TextCount(); ++i) {
        char szOld[32];
        std::snprintf(szOld, sizeof(szOld), "old text %d", i);
        if (c.kind == kTestPageCdWrite) {
            if (i != 1) { // the ATIP line is written with the drive line
                EXPECT_EQ(CString(""), seen.texts[size_t(i)]) << "text " << i;
            }
        } else {
            EXPECT_EQ(CString(szOld), seen.texts[size_t(i)]) << "text " << i;
        }
    }

    EXPECT_TRUE(seen.bProgressTimer);
    EXPECT_FALSE(seen.bErasePoll) << "Start ends the erase poll";
    EXPECT_FALSE(seen.bErasePending);
}

INSTANTIATE_TEST_SUITE_P(Pages, PageStart, ::testing::ValuesIn(kStartCases),
                         [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

// Where in the drive's command log the result texts of a finished run were made.
struct ResultsSpan {
    int nFirst = -1; // the first entry of the results, -1 while there were none
    int nEnd = -1;   // the entry after them
};

template <class Base>
class ResultsMarked : public Base {
public:
    ResultsMarked(CWnd* pTestWindow, IEmuMachine* pMachine) : Base(pTestWindow), m_pMachine(pMachine) {}
    void FormatResults(bool bFull) override
    {
        if (bFull)
            results.nFirst = m_pMachine->GetLogCount();
        Base::FormatResults(bFull);
        if (bFull)
            results.nEnd = m_pMachine->GetLogCount();
    }
    ResultsSpan results;

private:
    IEmuMachine* m_pMachine;
};

// The end of a write run. A command is kept as its operation code with CDB bytes 1 and 4 (START STOP UNIT: Immed;
// LoEj and Start).
using Command = std::vector<uint8_t>;
const Command kSync = {0x35, 0x00, 0x00};
const Command kReady = {0x00, 0x00, 0x00};
const Command kStartImmed = {0x1B, 0x01, 0x03}; // Immed, LoEj, Start
const Command kAllow = {0x1E, 0x00, 0x00};
const Command kEject = {0x1B, 0x00, 0x02};
const Command kLoad = {0x1B, 0x00, 0x03};
const Command kStop = {0x1B, 0x00, 0x00};

struct EndCase {
    const char* name;
    TestPageKind kind;
    bool bListed; // a CD writer of a model whose tray opens after a test write
    bool bSimulate;
    bool bStopped;               // Stop pressed during the run, else the run ends normally
    std::vector<Command> before; // the page's commands after the worker's last, up to the result texts
    std::vector<Command> after;  // the page's START STOP UNIT commands once the result texts have begun
};

void PrintTo(const EndCase& c, std::ostream* os)
{
    *os << c.name;
}

// clang-format off
const EndCase kEndCases[] = {
    {"CdWritten", kTestPageCdWrite, false, false, false,
     {kSync, kReady, kStartImmed, kAllow, kEject, kLoad, kReady}, {}},
    // The listed models open the tray after a test write, once the results have read the disc.
    {"CdTestWrittenListedModel", kTestPageCdWrite, true, true, false,
     {kSync, kReady, kStartImmed, kAllow, kStop, kLoad, kReady}, {kEject}},
    // A stopped real run opens the tray once, whatever the model.
    {"CdStoppedListedModel", kTestPageCdWrite, true, false, true, {kSync, kReady, kStartImmed, kAllow, kEject}, {}},
    {"CdStoppedTestWrite", kTestPageCdWrite, false, true, true, {kSync, kReady, kStartImmed, kAllow}, {}},
    {"DvdWritten", kTestPageDvdWrite, false, false, false,
     {kSync, kReady, kStartImmed, kAllow, kEject, kLoad, kReady}, {}},
    {"DvdTestWritten", kTestPageDvdWrite, false, true, false,
     {kSync, kReady, kStartImmed, kAllow, kStop, kLoad, kReady}, {}},
    {"DvdStopped", kTestPageDvdWrite, false, false, true, {kStartImmed, kAllow, kEject}, {}},
};
// clang-format on

class RunEnd : public PageRunFixture, public ::testing::WithParamInterface<EndCase> {
protected:
    std::string DriveProfile() const override
    {
        return GetParam().kind == kTestPageCdWrite ? "scsi-cd-writer" : "fifth-family-dvd-writer";
    }
    void PrepareDrive() override
    {
        if (GetParam().kind == kTestPageCdWrite)
            BlankCdR(m_pMachine, m_nDrive);
        else
            BlankDvdMinusR(m_pMachine, m_nDrive, 10);
        // The tray needs eight seconds to take the disc in again.
        m_pMachine->SetInt(m_nDrive, "write.loadUs", 8000000);
        if (GetParam().bListed)
            SetProduct("CD-R   QZ5200   ");
    }
    CTestPageDlg* MakePage(CWnd* pWindow) override
    {
        if (GetParam().kind == kTestPageCdWrite)
            return MakeMarked<CCdWriteTestDlg>(pWindow);
        return MakeMarked<CDvdWriteTestDlg>(pWindow);
    }

    template <class Page>
    CTestPageDlg* MakeMarked(CWnd* pWindow)
    {
        ResultsMarked<Page>* pPage = new ResultsMarked<Page>(pWindow, m_pMachine);
        m_pResults = &pPage->results;
        return pPage;
    }

    const ResultsSpan* m_pResults = nullptr; // of the page
};

TEST_P(RunEnd, DriveCommandsInOrderAndTheDurationUpToTheLastWrite)
{
    const EndCase& c = GetParam();
    m_settings.simulate = c.bSimulate ? 1 : 0;
    if (c.bStopped) {
        ASSERT_NO_FATAL_FAILURE(StartAndStopAt(3000));
    } else {
        ASSERT_NO_FATAL_FAILURE(StartAndWait(false));
    }
    EXPECT_TRUE(m_pSession->MessageBoxes().empty());

    // The worker's commands come from its own thread; the page's end from this one, after the worker's last.
    const DWORD nPageThread = ::GetCurrentThreadId();
    const std::vector<EmuLogEntry> log = Log();
    ASSERT_EQ(size_t(m_pMachine->GetLogCount()), log.size());
    size_t nFirstWorker = log.size(), nLastWorker = log.size();
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].nThreadId != nPageThread) {
            if (nFirstWorker == log.size())
                nFirstWorker = i;
            nLastWorker = i;
        }
    ASSERT_LT(nLastWorker, log.size()) << "the worker sent nothing";
    EXPECT_EQ(!c.bStopped, m_pResults->nFirst >= 0) << "only a finished run writes its results";
    const size_t nResults = m_pResults->nFirst >= 0 ? size_t(m_pResults->nFirst) : log.size();
    std::vector<Command> before, after;
    size_t nAfterSync = 0;
    for (size_t i = nLastWorker + 1; i < log.size(); ++i) {
        const EmuLogEntry& e = log[i];
        ASSERT_EQ(nPageThread, e.nThreadId);
        const uint8_t op = e.cdb[0];
        const Command command = {op, e.cdb[1], e.cdb[4]};
        if (i < nResults && (op == 0x35 || op == 0x00 || op == 0x1B || op == 0x1E)) {
            if (op == 0x35 && nAfterSync == 0)
                nAfterSync = i + 1;
            if (!(op == 0x00 && !before.empty() && before.back() == kReady)) // polls count once
                before.push_back(command);
        }
        if (m_pResults->nEnd >= 0 && i >= size_t(m_pResults->nEnd) && op == 0x1B)
            after.push_back(command);
    }
    EXPECT_EQ(c.before, before);
    EXPECT_EQ(c.after, after);

    if (!c.bStopped) {
        // The run lasts from its start, when the worker sent its first command, to the end of SYNCHRONIZE CACHE,
        // when the page sent its next one: not the waits for the drive and the tray after it.
        ASSERT_LT(nAfterSync, log.size());
        const DWORD nStartMs = DWORD(log[nFirstWorker].nTimeUs / 1000);
        const DWORD nEndMs = DWORD(log[nAfterSync].nTimeUs / 1000);
        EXPECT_GT(nEndMs - nStartMs, DWORD(1000));
        const TestRunRing& ring = m_pTestPage->Ring();
        EXPECT_EQ(FormatDuration(nStartMs, nEndMs), CString(ring.Info(ring.GetCurrentRun()).szDuration));
    }
}

INSTANTIATE_TEST_SUITE_P(WritePages, RunEnd, ::testing::ValuesIn(kEndCases),
                         [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

} // namespace
