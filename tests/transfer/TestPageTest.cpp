// tests/transfer/TestPageTest.cpp
// The test pages' frame driven by a scripted fake worker through every progress code: the value labels, the
// progress bar, Start/Stop, View Log, the running flag and the test window's notices, and the
// error message box, read from the real windows.
#include "transfer/TestPages.h"

#include "controls/TestInfoDlg.h"

#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using guitest::Click;
using guitest::HookSession;
using guitest::PumpUntil;
using guitest::Text;

namespace {

// One step of the fake worker: store a sample and report it, report a code, or wait for the stop request.
struct WorkerStep {
    enum Kind {
        kSample,
        kCode,
        kWaitForStop
    } kind;
    int nCode;
    uint32_t nValue;
    LONG nLba; // the worker's current address when it reports
};

struct WorkerScript {
    TestWorkerState* pState = nullptr;
    UINT nMessage = WM_TEST_PROGRESS;
    std::vector<WorkerStep> steps;
    volatile LONG nFinished = 0;
};

UINT __cdecl FakeWorker(LPVOID pParam)
{
    WorkerScript& script = *static_cast<WorkerScript*>(pParam);
    TestWorkerState& state = *script.pState;
    for (const WorkerStep& step : script.steps) {
        state.RunState().SetCurrentAddress(step.nLba);
        if (step.kind == WorkerStep::kWaitForStop) {
            for (int i = 0; i < 5000 && !state.RunState().IsStopRequested(); ++i)
                Sleep(1);
            ::SendMessage(state.hPage, script.nMessage, TPC_STOPPED, 0);
            break;
        }
        if (step.kind == WorkerStep::kSample) {
            state.pRing->StoreSample(int(step.nLba / 25), step.nValue);
            ::SendMessage(state.hPage, script.nMessage, TPC_SAMPLE, LPARAM(step.nValue));
            continue;
        }
        ::SendMessage(state.hPage, script.nMessage, WPARAM(step.nCode), 0);
        if (step.nCode == TPC_DONE || step.nCode == TPC_ERROR || step.nCode == TPC_STOPPED)
            break;
    }
    InterlockedExchange(&script.nFinished, 1);
    return 0;
}

// A page whose Start runs the fake worker.
template <class Page>
class ScriptedPage : public Page {
public:
    explicit ScriptedPage(CWnd* pTestWindow) : Page(pTestWindow) {}
    WorkerScript script;
    int nStarts = 0;
    void StartErasePoll() { this->BeginErasePoll(); }
    void ErasePollTick() { this->SendMessage(WM_TIMER, IDT_ERASE_POLL, 0); }
    CToolTipCtrl* ToolTip() { return this->m_pToolTip.get(); }
    CWnd& StartButton() { return this->m_startButton; }
    CWnd& ViewLogButton() { return this->m_viewLogButton; }

protected:
    void OnStart() override
    {
        ++nStarts;
        script.pState = &this->WorkerState();
        script.nMessage = this->Traits().nProgressMessage;
        script.nFinished = 0;
        this->BeginRun(&FakeWorker, &script, -1);
    }
};

// The test window's stand-in: records the state notices and the commands that come up from a page.
class RecordingWindow : public CWnd {
public:
    int nStateNotices = 0;
    std::vector<UINT> commands;

    BEGIN_MSG_MAP(RecordingWindow)
    ON_MESSAGE(WM_TEST_STATE_CHANGED, OnStateChanged)
    if (uMsg == WM_COMMAND && lParam == 0) {
        commands.push_back(LOWORD(wParam));
        lResult = 0;
        return TRUE;
    }
    END_MSG_MAP()

    LRESULT OnStateChanged(WPARAM, LPARAM)
    {
        ++nStateNotices;
        return 0;
    }
};

// Drive calls without a drive.
int g_nClosedHandles = 0;

void FakeFacts(CTestPageDlg& page, bool bFull, ResultDriveFacts& facts)
{
    facts.nTargetId = 2;
    facts.strVendor = "KORVATH ";
    facts.strProduct = "KVR-D1600       ";
    facts.strRevision = "1.02";
    facts.strSerial = "000777";
    facts.strSpeed = "16 X ";
    facts.nWriteSpeedKBs = 11080;
    if (bFull) {
        facts.strDiscType = "DVD-ROM";
        facts.strDiscDetail = "TESTDISC";
        facts.nCapacity = 333000;
    }
}

CString FakeSense(const CDeviceRecord&)
{
    return CString("Unrecovered read error (code 031100)");
}

void FakeClose(const CDeviceRecord&)
{
    ++g_nClosedHandles;
}

// The drive is busy blanking for the first g_nNotReady polls.
int g_nNotReady = 0;
int g_nTestUnitReady = 0;

int FakeTestUnitReady(CDeviceRecord&)
{
    ++g_nTestUnitReady;
    return g_nNotReady-- > 0 ? 0 : 1;
}

const TestPageDriveCalls kFakeCalls = {&FakeFacts, &FakeSense, &FakeClose, &FakeTestUnitReady};

struct PageCase {
    TestPageKind kind;
    const char* speed1000; // 1000 hundredths in the page's format
    const char* speed2001; // 2001
    const char* average;   // 1667
    const char* errorText; // at LBA 4500
    const char* caption;
};

const PageCase kPageCases[] = {
    {kTestPageDvdRead, "10.00x", "20.01x", "16.67x", "Read error at 4500\r\nUnrecovered read error (code 031100)",
     "DVD Read Transfer Rate Test"},
    {kTestPageCdRead, "10.00 X", "20.01 X", "16.67 X", "Read error at 01:00.00\r\nUnrecovered read error (code 031100)",
     "CD Read Transfer Rate Test"},
    {kTestPageDvdWrite, "10.00X", "20.01X", "16.67X", "Write error at 4500\r\nUnrecovered read error (code 031100)",
     "DVD Write Transfer Rate Test"},
    {kTestPageCdWrite, "10.00 X", "20.01 X", "16.67 X",
     "Write error at 01:00.00\r\nUnrecovered read error (code 031100)", "CD Write Transfer Rate Test"},
};

// One page of each kind inside a recording "test window", with its own run state.
class PageFrame : public ::testing::TestWithParam<PageCase> {
protected:
    void SetUp() override
    {
        SetTestPageDriveCalls(&kFakeCalls);
        g_nClosedHandles = 0;
        RECT rc = {0, 0, 660, 560};
        ASSERT_TRUE(m_window.CreateEx(0, nullptr, "Test window", WS_OVERLAPPEDWINDOW, rc, nullptr, 0));
        switch (GetParam().kind) {
        case kTestPageDvdRead:
            m_page.reset(m_pDvdRead = new ScriptedPage<CDvdReadTestDlg>(&m_window));
            break;
        case kTestPageCdRead:
            m_page.reset(m_pCdRead = new ScriptedPage<CCdReadTestDlg>(&m_window));
            break;
        case kTestPageDvdWrite:
            m_page.reset(m_pDvdWrite = new ScriptedPage<CDvdWriteTestDlg>(&m_window));
            break;
        case kTestPageCdWrite:
            m_page.reset(m_pCdWrite = new ScriptedPage<CCdWriteTestDlg>(&m_window));
            break;
        }
        m_page->SetSharedState(m_runState, &m_nPrefStartPage, &m_settings);
        ASSERT_TRUE(m_page->Create(m_page->Traits().nIDTemplate, &m_window));
        m_page->ShowWindow(SW_SHOW);
        guitest::Pump();
    }
    void TearDown() override
    {
        if (m_page && m_page->IsRunning()) {
            m_page->RunState().RequestStop();
            PumpUntil([&] { return !m_page->IsRunning(); });
        }
        m_page.reset();
        m_window.DestroyWindow();
        SetTestPageDriveCalls(nullptr);
    }

    WorkerScript& Script()
    {
        switch (GetParam().kind) {
        case kTestPageDvdRead:
            return m_pDvdRead->script;
        case kTestPageCdRead:
            return m_pCdRead->script;
        case kTestPageDvdWrite:
            return m_pDvdWrite->script;
        default:
            return m_pCdWrite->script;
        }
    }

    HWND Page() const { return m_page->m_hWnd; }
    UINT StartId() const { return m_page->Traits().nStartId; }
    UINT ViewLogId() const { return m_page->Traits().nViewLogId; }
    CString Value(UINT id) const { return Text(Page(), int(id)); }
    CString StartValue() const { return Value(m_page->Traits().nStartValueId); }
    CString EndValue() const { return Value(m_page->Traits().nEndValueId); }
    CString CurrentValue() const { return Value(m_page->Traits().nCurrentValueId); }
    int Progress() const { return int(::SendDlgItemMessage(Page(), IDC_TP_PROGRESS, PBM_GETPOS, 0, 0)); }
    bool Enabled(UINT id) const { return ::IsWindowEnabled(::GetDlgItem(Page(), int(id))) != FALSE; }

    void Start(std::vector<WorkerStep> steps)
    {
        Script().steps = std::move(steps);
        ASSERT_TRUE(Click(Page(), int(StartId())));
    }
    bool WaitForIdle()
    {
        return PumpUntil([&] { return !m_page->IsRunning() && Script().nFinished != 0; });
    }

    HookSession m_session;
    RecordingWindow m_window;
    std::unique_ptr<CTestPageDlg> m_page;
    ScriptedPage<CDvdReadTestDlg>* m_pDvdRead = nullptr;
    ScriptedPage<CCdReadTestDlg>* m_pCdRead = nullptr;
    ScriptedPage<CDvdWriteTestDlg>* m_pDvdWrite = nullptr;
    ScriptedPage<CCdWriteTestDlg>* m_pCdWrite = nullptr;
    CTestRunState m_runState;
    int m_nPrefStartPage = 0;
    TransferRateSettings m_settings;
};

TEST_P(PageFrame, StartsIdleWithDashesAndTips)
{
    EXPECT_EQ(CString("-"), StartValue());
    EXPECT_EQ(CString("-"), EndValue());
    EXPECT_EQ(CString("-"), CurrentValue());
    EXPECT_EQ(CString("Start"), Text(Page(), int(StartId())));
    EXPECT_EQ(CString("Current:"), Text(Page(), IDC_TP_CURRENT_CAPTION));
    EXPECT_EQ(-1, m_page->Ring().GetCurrentRun());
    EXPECT_EQ(CString(GetParam().caption), Text(m_window.m_hWnd)) << "the shown page names the test window";
}

TEST_P(PageFrame, RunThatEndsNormally)
{
    Start({{WorkerStep::kWaitForStop, 0, 0, 0}});
    // While the run is active: Stop, View Log greyed, the running flag set and the test window told.
    EXPECT_EQ(CString("&Stop"), Text(Page(), int(StartId())));
    EXPECT_FALSE(Enabled(ViewLogId()));
    EXPECT_TRUE(m_runState.IsRunning());
    EXPECT_EQ(1, m_window.nStateNotices);
    EXPECT_EQ(0, m_page->Ring().GetCurrentRun());
    EXPECT_TRUE(PumpUntil([&] { return Progress() >= 3; }, 3000)) << "the progress bar sweeps";
    // The drive line of the new run is written at the start.
    EXPECT_STREQ("", m_page->Ring().Info(0).szDuration);
    EXPECT_NE(nullptr, std::strstr(m_page->Ring().Text(0, 0), "ID:2 KORVATH"));
    m_page->RunState().RequestStop();
    ASSERT_TRUE(WaitForIdle());
    m_window.nStateNotices = 0;

    Start({{WorkerStep::kSample, 0, 1000, 180 * 25},
           {WorkerStep::kSample, 0, 2000, 360 * 25},
           {WorkerStep::kSample, 0, 2001, 540 * 25},
           {WorkerStep::kCode, TPC_DONE, 0, 540 * 25}});
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(CString(GetParam().speed1000), StartValue());
    EXPECT_EQ(CString(GetParam().speed2001), EndValue()) << "the last sample's speed";
    EXPECT_EQ(CString(GetParam().average), CurrentValue());
    EXPECT_EQ(CString("Average:"), Text(Page(), IDC_TP_CURRENT_CAPTION));
    EXPECT_EQ(CString("&Start"), Text(Page(), int(StartId())));
    EXPECT_TRUE(Enabled(ViewLogId()));
    EXPECT_EQ(100, Progress());
    EXPECT_FALSE(m_runState.IsRunning());
    EXPECT_EQ(2, m_window.nStateNotices);
    EXPECT_EQ(1, m_page->Ring().GetCurrentRun()) << "the stopped first run kept slot 0";
    // The full texts of the run.
    const int nResult = m_page->Traits().kind == kTestPageCdWrite ? 4 : 2;
    EXPECT_NE(nullptr, std::strstr(m_page->Ring().Text(1, nResult), "Start:10.00 X  End:20.01 X  Average:16.67 X"))
        << m_page->Ring().Text(1, nResult);
    EXPECT_STREQ("16.67 X", m_page->Ring().Info(1).szAverage);
    EXPECT_TRUE(m_session.MessageBoxes().empty());
    EXPECT_EQ(2, g_nClosedHandles);
}

TEST_P(PageFrame, ErrorShowsTheAddressAndSenseCaptionedReady)
{
    Start({{WorkerStep::kSample, 0, 1000, 180 * 25}, {WorkerStep::kCode, TPC_ERROR, 0, 4500}});
    ASSERT_TRUE(WaitForIdle());
    ASSERT_EQ(1u, m_session.MessageBoxes().size());
    const guitest::MessageBoxRecord& box = m_session.MessageBoxes()[0];
    EXPECT_EQ(CString(GetParam().errorText), box.text);
    EXPECT_EQ(CString("Ready"), box.caption);
    EXPECT_EQ(UINT(MB_ICONERROR), box.type & MB_ICONMASK);
    EXPECT_EQ(CString("&Start"), Text(Page(), int(StartId())));
    EXPECT_EQ(CString("Current:"), Text(Page(), IDC_TP_CURRENT_CAPTION));
    EXPECT_EQ(CString(GetParam().speed1000), CurrentValue());
    EXPECT_TRUE(Enabled(ViewLogId()));
    EXPECT_FALSE(m_runState.IsRunning());
    EXPECT_EQ(100, Progress());
    // The samples stay; no disc or result text of its own.
    EXPECT_EQ(1000u, m_page->Ring().Samples(0)[180]);
    EXPECT_STREQ("", m_page->Ring().Info(0).szDuration);
    EXPECT_EQ(1, g_nClosedHandles);
}

TEST_P(PageFrame, StopPressedTwice)
{
    Start({{WorkerStep::kSample, 0, 1500, 180 * 25}, {WorkerStep::kWaitForStop, 0, 0, 0}});
    ASSERT_TRUE(PumpUntil([&] { return CurrentValue() != CString(""); }));
    // Hold the worker: the first press requests the stop; read pages keep "&Stop", the write pages show "&Start"
    // at once.
    ASSERT_TRUE(Click(Page(), int(StartId())));
    EXPECT_TRUE(m_page->RunState().IsStopRequested());
    EXPECT_EQ(CString(m_page->Traits().bWritePage ? "&Start" : "&Stop"), Text(Page(), int(StartId())));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(CString("&Start"), Text(Page(), int(StartId())));
    EXPECT_EQ(CString("Current:"), Text(Page(), IDC_TP_CURRENT_CAPTION));
    EXPECT_FALSE(m_runState.IsRunning());
    EXPECT_TRUE(Enabled(ViewLogId()));
    if (ScriptedPage<CDvdReadTestDlg>* p = m_pDvdRead) {
        EXPECT_EQ(1, p->nStarts) << "a press during the run never starts a second worker";
    }
}

TEST_P(PageFrame, SecondStopPressShowsStartAtOnce)
{
    Script().steps = {{WorkerStep::kWaitForStop, 0, 0, 0}};
    // The worker is kept from reporting until both presses were handled: the page does not pump meanwhile.
    ASSERT_TRUE(Click(Page(), int(StartId())));
    ASSERT_TRUE(Click(Page(), int(StartId())));
    ASSERT_TRUE(Click(Page(), int(StartId())));
    EXPECT_EQ(CString("&Start"), Text(Page(), int(StartId())));
    EXPECT_TRUE(m_page->IsRunning()) << "the worker has not reported yet";
    ASSERT_TRUE(WaitForIdle());
    EXPECT_FALSE(m_page->IsRunning());
}

TEST_P(PageFrame, EscapeDoesNothingAndPreferencesGoesUpToTheTestWindow)
{
    ::SendMessage(Page(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_NE(0, ::GetWindowLongA(Page(), GWL_STYLE) & WS_VISIBLE) << "the page is neither closed nor hidden";
    ASSERT_TRUE(Click(Page(), IDC_TP_PREFERENCES));
    EXPECT_EQ(1, m_nPrefStartPage);
    ASSERT_EQ(1u, m_window.commands.size());
    EXPECT_EQ(32789u, m_window.commands[0]);
}

TEST_P(PageFrame, HelpShowsTheTestDescription)
{
    CString strTitle, strBody;
    m_session.QueueDialog([&](CDialog& d) {
        strTitle = static_cast<CCIRCInfo&>(d).m_strTitle;
        strBody = static_cast<CCIRCInfo&>(d).m_strBody;
        d.PostMessage(WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(Click(Page(), IDC_TP_HELP));
    ASSERT_EQ(1u, m_session.Dialogs().size());
    EXPECT_EQ(UINT(IDD_TEST_INFO), m_session.Dialogs()[0]);
    const bool bWrite = m_page->Traits().bWritePage;
    EXPECT_EQ(CString(bWrite ? "Write Transfer Rate Test" : "Read Transfer Rate Test"), strTitle);
    EXPECT_EQ(0, strBody.Find(bWrite ? "Write Transfer Rate:" : "Read Transfer Rate :"));
}

TEST_P(PageFrame, ViewLogShowsTheRunsAndClearsWhatTheDialogCleared)
{
    Start({{WorkerStep::kSample, 0, 1000, 180 * 25}, {WorkerStep::kCode, TPC_DONE, 0, 180 * 25}});
    ASSERT_TRUE(WaitForIdle());
    Start({{WorkerStep::kSample, 0, 1200, 180 * 25}, {WorkerStep::kCode, TPC_DONE, 0, 180 * 25}});
    ASSERT_TRUE(WaitForIdle());
    ASSERT_EQ(1, m_page->Ring().GetCurrentRun());
    CString strFirstLine;
    m_session.QueueDialog([&](CDialog& dlg) {
        dlg.ShowWindow(SW_SHOW); // as the modal loop does: the dialog fills its labels when shown
        guitest::Pump();
        strFirstLine = Text(dlg.m_hWnd, 1042);
        EXPECT_EQ(CString("1"), Text(dlg.m_hWnd, IDC_TR_RUN));
        // Clear run 1, then close.
        ASSERT_TRUE(Click(dlg.m_hWnd, IDC_TR_CLEAR));
        EXPECT_EQ(CString(""), Text(dlg.m_hWnd, 1042));
        ASSERT_TRUE(Click(dlg.m_hWnd, IDOK));
    });
    ASSERT_TRUE(Click(Page(), int(ViewLogId())));
    EXPECT_EQ(0, strFirstLine.Find("ID:2 KORVATH")) << strFirstLine;
    EXPECT_EQ(-1, m_page->Ring().GetCurrentRun()) << "the next run goes into the cleared run 1";
    EXPECT_FALSE(m_page->Ring().IsUsed(0));
    EXPECT_NE('\0', m_page->Ring().Text(1, 0)[0]) << "run 2 keeps its texts";
}

INSTANTIATE_TEST_SUITE_P(Pages, PageFrame, ::testing::ValuesIn(kPageCases));

// One scripted page of a class on its own test window; with bFakeCalls the fake drive calls are installed while it
// lives.
template <class Page>
class LonePage {
public:
    explicit LonePage(bool bFakeCalls) : m_bFakeCalls(bFakeCalls)
    {
        if (m_bFakeCalls)
            SetTestPageDriveCalls(&kFakeCalls);
    }
    ~LonePage()
    {
        if (m_bFakeCalls)
            SetTestPageDriveCalls(nullptr);
    }

    // The window, then the page on it with its template.
    bool Create()
    {
        RECT rc = {0, 0, 660, 560};
        if (!window.CreateEx(0, nullptr, "Test window", WS_OVERLAPPEDWINDOW, rc, nullptr, 0))
            return false;
        m_pPage.reset(new ScriptedPage<Page>(&window));
        m_pPage->SetSharedState(m_runState, &m_nPref);
        return m_pPage->Create(m_pPage->Traits().nIDTemplate, &window) != FALSE;
    }
    ScriptedPage<Page>& page() { return *m_pPage; }

    HookSession session;
    RecordingWindow window;

private:
    bool m_bFakeCalls;
    CTestRunState m_runState;
    int m_nPref = 0;
    std::unique_ptr<ScriptedPage<Page>> m_pPage;
};

TEST(CdWritePage, PercentShowsTheWriteAddress)
{
    LonePage<CCdWriteTestDlg> lone(true);
    ASSERT_TRUE(lone.Create());
    ScriptedPage<CCdWriteTestDlg>& page = lone.page();
    page.script.steps = {{WorkerStep::kCode, TPC_PERCENT, 0, 1234}, {WorkerStep::kWaitForStop, 0, 0, 1234}};
    ASSERT_TRUE(Click(page.m_hWnd, IDC_TPCW_START));
    ASSERT_TRUE(PumpUntil([&] { return Text(page.m_hWnd, IDC_TPCW_LBA_VALUE) == CString("1234"); }));
    EXPECT_EQ(CString("00:16.34"), Text(page.m_hWnd, IDC_TPCW_MSF_VALUE));
    page.RunState().RequestStop();
    ASSERT_TRUE(PumpUntil([&] { return !page.IsRunning(); }));
}

TEST(WritePages, RepairTheirAxisMaximumWhenShown)
{
    HookSession session;
    RecordingWindow window;
    RECT rc = {0, 0, 660, 560};
    ASSERT_TRUE(window.CreateEx(0, nullptr, "Test window", WS_OVERLAPPEDWINDOW, rc, nullptr, 0));
    CTestRunState runState;
    int nPref = 0;
    TransferRateSettings settings;
    settings.maxSpeedWrite = 0;
    settings.maxSpeedDvdWrite = 100;
    CCdWriteTestDlg cdWrite(&window);
    CDvdWriteTestDlg dvdWrite(&window);
    cdWrite.SetSharedState(runState, &nPref, &settings);
    dvdWrite.SetSharedState(runState, &nPref, &settings);
    ASSERT_TRUE(cdWrite.Create(IDD_CD_WRITE_TEST, &window));
    ASSERT_TRUE(dvdWrite.Create(IDD_DVD_WRITE_TEST, &window));
    cdWrite.ShowWindow(SW_SHOW);
    dvdWrite.ShowWindow(SW_SHOW);
    EXPECT_EQ(56u, settings.maxSpeedWrite);
    EXPECT_EQ(8u, settings.maxSpeedDvdWrite);
}

TEST(WritePages, ErasePollStartsTheTestAgainWhenTheDriveIsReady)
{
    LonePage<CDvdWriteTestDlg> lone(true);
    ASSERT_TRUE(lone.Create());
    ScriptedPage<CDvdWriteTestDlg>& page = lone.page();
    page.script.steps = {{WorkerStep::kCode, TPC_DONE, 0, 0}};
    g_nNotReady = 2;
    g_nTestUnitReady = 0;
    page.StartErasePoll();
    EXPECT_TRUE(page.IsErasePending());
    page.ErasePollTick();
    page.ErasePollTick();
    EXPECT_EQ(0, page.nStarts) << "still blanking";
    EXPECT_TRUE(page.IsErasePending());
    page.ErasePollTick();
    EXPECT_EQ(1, page.nStarts);
    EXPECT_FALSE(page.IsErasePending());
    EXPECT_EQ(4, g_nTestUnitReady) << "two busy answers, the ready one and one more";
    ASSERT_TRUE(PumpUntil([&] { return !page.IsRunning(); }));
}

// The drive is ready again before the erase poll's next tick and the user presses Start: the run's start ends the
// poll, and a tick that still comes while the run is going sends nothing and starts no second run.
template <class Page>
void ExpectErasePollStartsNothingDuringARun()
{
    LonePage<Page> lone(true);
    ASSERT_TRUE(lone.Create());
    ScriptedPage<Page>& page = lone.page();
    page.script.steps = {{WorkerStep::kWaitForStop, 0, 0, 0}};
    g_nNotReady = 0;
    page.StartErasePoll();
    ASSERT_TRUE(Click(page.m_hWnd, int(page.Traits().nStartId)));
    ASSERT_TRUE(page.IsRunning());
    EXPECT_FALSE(page.IsErasePending());
    EXPECT_FALSE(::KillTimer(page.m_hWnd, IDT_ERASE_POLL)) << "the start ended the poll";
    g_nTestUnitReady = 0;
    page.ErasePollTick();
    EXPECT_EQ(1, page.nStarts) << "no second run";
    EXPECT_EQ(0, g_nTestUnitReady) << "no command to the drive under the run";
    page.RunState().RequestStop();
    ASSERT_TRUE(PumpUntil([&] { return !page.IsRunning(); }));
}

TEST(WritePages, ErasePollTickDuringARunStartsNothing)
{
    ExpectErasePollStartsNothingDuringARun<CCdWriteTestDlg>();
    ExpectErasePollStartsNothingDuringARun<CDvdWriteTestDlg>();
}

TEST(DvdReadPage, TipsForStartAndViewLogOnALightBackground)
{
    LonePage<CDvdReadTestDlg> lone(false);
    ASSERT_TRUE(lone.Create());
    ScriptedPage<CDvdReadTestDlg>& page = lone.page();
    ASSERT_NE(nullptr, page.ToolTip());
    EXPECT_EQ(2, page.ToolTip()->GetToolCount());
    EXPECT_EQ(CString("Start Test"), page.ToolTip()->GetText(&page.StartButton()));
    EXPECT_EQ(CString("View Results"), page.ToolTip()->GetText(&page.ViewLogButton()));
    EXPECT_EQ(COLORREF(0xFFFA96), page.ToolTip()->GetTipBkColor());
}

TEST(DvdReadPage, GraphLengthFollowsTheSetting)
{
    CDvdReadTestDlg page(nullptr);
    TransferRateSettings settings;
    CTestRunState runState;
    int nPref = 0;
    page.SetSharedState(runState, &nPref, &settings);
    settings.readTimeIndDvd = 0xA00000;
    page.SetGraphLength();
    EXPECT_EQ(10240, page.GetGraphLength());
}

} // namespace
