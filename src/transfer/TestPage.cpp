// src/transfer/TestPage.cpp
#include "transfer/TestPage.h"

#include "controls/TestInfoDlg.h"
#include "drive/CommandSet.h"
#include "drive/DriveManager.h"
#include "resource.h"

#include <cstdio>
#include <cstring>

namespace {

const COLORREF kValueLabelColour = 0x800000;
const COLORREF kTipBackground = 0xFFFA96;
const int kProgressSweep = 100;

const TestPageTraits kTraits[] = {
    {kTestPageDvdRead, IDD_DVD_READ_TEST, IDC_TP_START, IDC_TP_VIEW_LOG, IDC_TP_SPEED, IDC_TP_START_VALUE,
     IDC_TP_END_VALUE, IDC_TP_CURRENT_VALUE, IDC_TP_GRAPH, IDC_TP_SCALE_LABEL, WM_TEST_PROGRESS, "%2d.%02dx",
     IDS_READ_ERROR_LBA, false, IDS_READ_TEST_TITLE, IDS_READ_TEST_INFO, "DVD Read Transfer Rate Test", false},
    {kTestPageCdRead, IDD_CD_READ_TEST, IDC_TP_START, IDC_TP_VIEW_LOG, IDC_TP_SPEED, IDC_TP_START_VALUE,
     IDC_TP_END_VALUE, IDC_TP_CURRENT_VALUE, IDC_TP_GRAPH, IDC_TP_SCALE_LABEL, WM_TEST_PROGRESS, "%2d.%02d X",
     IDS_READ_ERROR_MSF, true, IDS_READ_TEST_TITLE, IDS_READ_TEST_INFO, "CD Read Transfer Rate Test", false},
    {kTestPageDvdWrite, IDD_DVD_WRITE_TEST, IDC_TP_START, IDC_TP_VIEW_LOG, IDC_TP_DVDW_SPEED, IDC_TP_START_VALUE,
     IDC_TP_END_VALUE, IDC_TP_CURRENT_VALUE, IDC_TP_GRAPH, IDC_TP_SCALE_LABEL, WM_DVDWRITE_PROGRESS, "%2d.%02dX",
     IDS_WRITE_ERROR_LBA, false, IDS_WRITE_TEST_TITLE, IDS_WRITE_TEST_INFO, "DVD Write Transfer Rate Test", true},
    {kTestPageCdWrite, IDD_CD_WRITE_TEST, IDC_TPCW_START, IDC_TPCW_VIEW_LOG, IDC_TPCW_SPEED, IDC_TPCW_START_VALUE,
     IDC_TPCW_END_VALUE, IDC_TPCW_CURRENT_VALUE, IDC_TPCW_GRAPH, IDC_TPCW_SCALE_LABEL, WM_TEST_PROGRESS, "%2d.%02d X",
     IDS_WRITE_ERROR_MSF, true, IDS_WRITE_TEST_TITLE, IDS_WRITE_TEST_INFO, "CD Write Transfer Rate Test", true},
};

CString RealSenseMessage(const CDeviceRecord& record)
{
    if (g_pDriveManager == nullptr)
        return CString();
    return CString(g_pDriveManager->FormatSenseMessage(record));
}

void RealCloseDriveHandle(const CDeviceRecord& record)
{
    if (g_pDriveManager != nullptr)
        g_pDriveManager->CloseDriveHandle(record);
}

void GatherResultFactsFromDrive(CTestPageDlg& page, bool bFull, ResultDriveFacts& facts);

int RealTestUnitReady(CDeviceRecord& record)
{
    return g_pDriveManager != nullptr ? int(g_pDriveManager->TestUnitReady(record)) : 0;
}

const TestPageDriveCalls kRealDriveCalls = {&GatherResultFactsFromDrive, &RealSenseMessage, &RealCloseDriveHandle,
                                            &RealTestUnitReady};
const TestPageDriveCalls* volatile g_pDriveCalls = &kRealDriveCalls;

const TestPageDriveCalls& DriveCalls()
{
    return *g_pDriveCalls;
}

} // namespace

bool WaitForReadyDrive(CDeviceRecord& record, DWORD nLimitMs, DWORD nPauseMs)
{
    const DWORD nStart = ClockGetTickCount();
    while (g_pDriveManager->TestUnitReady(record) != kExecCompleted) {
        if (ClockGetTickCount() - nStart >= nLimitMs)
            return false;
        ClockSleep(nPauseMs);
    }
    return true;
}

int CTestPageDlg::MessageBoxText(UINT nTextId, UINT nType, const char* pszArgument)
{
    CString strText = LoadStringText(nTextId);
    if (pszArgument != nullptr) {
        CString strFormatted;
        strFormatted.Format(strText, pszArgument);
        strText = strFormatted;
    }
    return MessageBox(strText, LoadStringText(m_traits.nTestNameId), nType);
}

// What FormatResults asks the drive: INQUIRY strings, the serial number and the page's speed for the drive line,
// the ATIP on the CD write page, and at the end of a run the disc.
namespace {

void GatherResultFactsFromDrive(CTestPageDlg& page, bool bFull, ResultDriveFacts& facts)
{
    CDeviceRecord& record = page.WorkerState().record;
    facts.nTargetId = record.m_nTarget;
    if (g_pDriveManager == nullptr)
        return;
    char szVendor[16] = {}, szProduct[32] = {}, szRevision[16] = {};
    if (g_pDriveManager->Inquiry(record, szVendor, szProduct, szRevision) != 0) {
        facts.strVendor = szVendor;
        facts.strProduct = szProduct;
        facts.strRevision = szRevision;
    }
    char szText[64] = {};
    g_pDriveManager->GetSerialNumberText(record, szText);
    facts.strSerial = szText;
    switch (page.Traits().kind) {
    case kTestPageDvdRead:
        facts.strSpeed = g_pDriveManager->GetReadSpeedListText(record, szText);
        break;
    case kTestPageCdRead:
        facts.strSpeed = g_pDriveManager->GetReadSpeedText(record, g_pDriveManager->GetMaxReadSpeed(record), szText);
        break;
    case kTestPageDvdWrite: {
        // The current write speed from the capabilities page (bytes 40-41 of the answer).
        BYTE page2A[100] = {};
        facts.nWriteSpeedKBs = kWriteSpeedNotReported;
        if (g_pDriveManager->ModeSense(record, 0x2A, sizeof(page2A), page2A) == 1)
            facts.nWriteSpeedKBs = (page2A[40] << 8) | page2A[41];
        break;
    }
    case kTestPageCdWrite: {
        facts.nWriteSpeedKBs = g_pDriveManager->GetCurrentWriteSpeed(record);
        BYTE atip[28] = {};
        if (g_pDriveManager->ReadTocPmaAtip(record, 4, 0, sizeof(atip), atip) == 1) {
            facts.bHaveAtip = true;
            std::memcpy(facts.atip, atip, sizeof(atip));
        }
        break;
    }
    }
    if (!bFull)
        return;
    if (page.Traits().kind == kTestPageCdRead) {
        BYTE capacity[8] = {};
        if (g_pDriveManager->ReadCapacity(record, capacity) == 1)
            facts.nCapacity = long(((capacity[1] << 16) | (capacity[2] << 8) | capacity[3]) + 1);
    }
    GatherDiscFacts(record, page.Traits().kind, facts);
}

} // namespace

const TestPageTraits& GetTestPageTraits(TestPageKind kind)
{
    for (const TestPageTraits& traits : kTraits)
        if (traits.kind == kind)
            return traits;
    return kTraits[0];
}

const TestPageDriveCalls* SetTestPageDriveCalls(const TestPageDriveCalls* pCalls)
{
    const TestPageDriveCalls* pPrevious = g_pDriveCalls;
    g_pDriveCalls = pCalls != nullptr ? pCalls : &kRealDriveCalls;
    return pPrevious == &kRealDriveCalls ? nullptr : pPrevious;
}

// The run store is allocated here, once: nothing is allocated during a run.
CTestPageDlg::CTestPageDlg(TestPageKind kind, CWnd* pTestWindow)
    : CDialog(GetTestPageTraits(kind).nIDTemplate, pTestWindow), m_traits(GetTestPageTraits(kind)),
      m_pTestWindow(pTestWindow), m_pFont(new CFont), m_pRing(new TestRunRing(kind)),
      m_pGraph(new CTestGraph(kind, *m_pRing))
{
    m_pSettings = &m_ownSettings;
    m_pFont->CreatePointFont(90, "MS Shell Dlg");
    m_worker.pRing = m_pRing.get();
    m_worker.pPage = this;
    m_worker.pRunState = m_pRunState;
}

CTestPageDlg::~CTestPageDlg()
{
    if (m_pToolTip && m_pToolTip->m_hWnd != nullptr)
        m_pToolTip->DestroyWindow();
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CTestPageDlg::SetSharedState(CTestRunState& runState, int* pPrefStartPage, TransferRateSettings* pSettings)
{
    m_pRunState = &runState;
    m_worker.pRunState = &runState;
    m_pPrefStartPage = pPrefStartPage;
    m_pSettings = pSettings != nullptr ? pSettings : &m_ownSettings;
}

void CTestPageDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, int(m_traits.nSpeedId), m_speedCombo);
    DDX_Control(pDX, int(m_traits.nStartId), m_startButton);
    DDX_Control(pDX, int(m_traits.nViewLogId), m_viewLogButton);
    DDX_Control(pDX, IDC_TP_HELP, m_helpButton);
    if (m_traits.kind != kTestPageCdWrite)
        DDX_Control(pDX, IDC_TP_PREFERENCES, m_preferencesButton);
    DDX_Control(pDX, int(m_traits.nStartValueId), m_startValue);
    DDX_Control(pDX, int(m_traits.nEndValueId), m_endValue);
    DDX_Control(pDX, int(m_traits.nCurrentValueId), m_currentValue);
    if (m_traits.kind == kTestPageCdWrite) {
        DDX_Control(pDX, IDC_TPCW_MSF_VALUE, m_msfValue);
        DDX_Control(pDX, IDC_TPCW_LBA_VALUE, m_lbaValue);
    }
    DDX_Control(pDX, IDC_TP_PROGRESS, m_progress);
}

BOOL CTestPageDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_worker.hPage = m_hWnd;
    for (CLabelCtrl* pLabel : {&m_startValue, &m_endValue, &m_currentValue})
        pLabel->SetTextColor(kValueLabelColour).SetText("-");
    if (m_traits.kind == kTestPageCdWrite) {
        m_msfValue.SetTextColor(kValueLabelColour).SetText("-");
        m_lbaValue.SetTextColor(kValueLabelColour).SetText("-");
    }
    for (int nId : {IDC_TP_START_CAPTION, IDC_TP_END_CAPTION, IDC_TP_CURRENT_CAPTION, int(m_traits.nStartId),
                    int(m_traits.nViewLogId), IDC_TP_PREFERENCES})
        SendDlgItemMessage(nId, WM_SETFONT, reinterpret_cast<WPARAM>(m_pFont->m_hObject), TRUE);
    ClockQueryPerformanceFrequency(&m_worker.frequency);
    m_pRing->SetCurrentRun(-1);
    if (m_traits.kind == kTestPageCdRead)
        m_pRing->ResetAllSamples();
    m_pGraph->ComputeGraphLayout(m_hWnd, int(m_traits.nGraphId), int(m_traits.nScaleId));
    m_pGraph->m_bCdStarted = 0;
    if (!m_pToolTip) {
        m_pToolTip.reset(new CToolTipCtrl);
        if (m_pToolTip->Create(this)) {
            m_pToolTip->AddTool(&m_viewLogButton, LoadStringText(IDS_VIEW_RESULTS));
            m_pToolTip->AddTool(&m_startButton, LoadStringText(IDS_START_TEST));
            m_pToolTip->SetTipBkColor(kTipBackground);
            m_pToolTip->Activate(TRUE);
        }
    }
    return TRUE;
}

void CTestPageDlg::OnCancel() {}

BOOL CTestPageDlg::PreTranslateMessage(MSG* pMsg)
{
    if (m_pToolTip && m_pToolTip->m_hWnd != nullptr)
        m_pToolTip->RelayEvent(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

// The test window takes the page's test name as its caption; the speed list is refilled for the page's drive
// whether the page is shown or hidden.
void CTestPageDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    if (bShow && m_pTestWindow != nullptr && m_pTestWindow->m_hWnd != nullptr)
        m_pTestWindow->SetWindowText(m_traits.pszWindowCaption);
    Default();
    FillSpeedList();
}

void CTestPageDlg::FillSpeedList()
{
    if (g_pDriveManager == nullptr || m_speedCombo.m_hWnd == nullptr)
        return;
    switch (m_traits.kind) {
    case kTestPageDvdRead:
        g_pDriveManager->FillDvdReadSpeedCombo(m_currentDrive, m_speedCombo);
        break;
    case kTestPageCdRead:
        // The drive manager adds its entries to what the list holds.
        m_speedCombo.ResetContent();
        g_pDriveManager->FillCdReadSpeedCombo(m_currentDrive, m_speedCombo);
        break;
    case kTestPageDvdWrite:
        g_pDriveManager->FillWriteSpeedCombo(m_currentDrive, m_speedCombo, TRUE);
        break;
    case kTestPageCdWrite:
        g_pDriveManager->FillWriteSpeedCombo(m_currentDrive, m_speedCombo, FALSE);
        break;
    }
    // A writer runs at the speed its list shows: the selected item is applied at once (a drive that cannot write
    // has an empty list and is left alone).
    if (m_traits.bWritePage && m_speedCombo.GetCount() > 0)
        OnSpeedChanged();
}

void CTestPageDlg::OnSpeedChanged()
{
    if (g_pDriveManager == nullptr)
        return;
    switch (m_traits.kind) {
    case kTestPageDvdRead:
        g_pDriveManager->ApplyDvdReadSpeedFromCombo(m_currentDrive, m_speedCombo);
        break;
    case kTestPageCdRead:
        g_pDriveManager->ApplyCdReadSpeedFromCombo(m_currentDrive, m_speedCombo);
        break;
    case kTestPageDvdWrite:
        g_pDriveManager->ApplyWriteSpeedFromCombo(m_currentDrive, m_speedCombo, TRUE);
        break;
    case kTestPageCdWrite:
        g_pDriveManager->ApplyWriteSpeedFromCombo(m_currentDrive, m_speedCombo, FALSE);
        break;
    }
}

// Preferences opens on the transfer-rate page: the command goes up through the test window to the main dialog.
void CTestPageDlg::OnPreferences()
{
    if (m_pPrefStartPage != nullptr)
        *m_pPrefStartPage = 1;
    SendMessage(WM_COMMAND, kPreferencesCommand, 0);
}

// "?": what the test does, in the information dialog titled with the test's name.
void CTestPageDlg::OnHelpButton()
{
    SetFocus();
    ShowTestInformation(LoadStringText(m_traits.nTestNameId), LoadStringText(m_traits.nHelpTextId));
}

void CTestPageDlg::ShowTestInformation(const CString& strTitle, const CString& strText)
{
    CCIRCInfo dialog;
    dialog.m_strTitle = strTitle;
    dialog.m_strBody = strText;
    dialog.DoModal();
}

void CTestPageDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == IDT_PROGRESS_ANIMATION) {
        m_progress.SetPos(m_nProgressCounter);
        m_nProgressCounter = (m_nProgressCounter + 1) % kProgressSweep;
    } else if (nIDEvent == IDT_ERASE_POLL) {
        OnErasePoll();
        return;
    }
    Default();
}

void CTestPageDlg::BeginErasePoll()
{
    m_bErasePending = 1;
    SetTimer(IDT_ERASE_POLL, kErasePollMs);
}

// Once the drive reports ready, TEST UNIT READY once more and the test starts again; otherwise another second.
// A tick that comes while a run is going (its Start ended the poll, but the tick was already queued) starts
// nothing: a second run would share the worker's buffers and run store, or blank the disc under the writes.
void CTestPageDlg::OnErasePoll()
{
    KillTimer(IDT_ERASE_POLL);
    if (m_bRunning)
        return;
    if (DriveCalls().pfnTestUnitReady(m_currentDrive) == 1) {
        DriveCalls().pfnTestUnitReady(m_currentDrive);
        m_bErasePending = 0;
        OnStart();
    } else {
        SetTimer(IDT_ERASE_POLL, kErasePollMs);
    }
}

void CTestPageDlg::OnStartButton()
{
    if (m_bRunning)
        RequestStop();
    else
        OnStart();
}

void CTestPageDlg::OnStart() {}

// The first press asks the worker to stop. The read pages keep "&Stop" until it has, and show "&Start" at a second
// press; the write pages show "&Start" at once. The worker is still alive until its last message, so no new run
// can start before.
void CTestPageDlg::RequestStop()
{
    if (!m_traits.bWritePage && m_pRunState->IsStopRequested() && !m_bActive) {
        SetStartButtonText(IDS_START);
        return;
    }
    m_pRunState->RequestStop();
    m_bActive = 0;
    if (m_traits.bWritePage)
        SetStartButtonText(IDS_START);
}

bool CTestPageDlg::OnRunEnding(int nCode)
{
    return true;
}

void CTestPageDlg::OnRunEnded(int nCode) {}

bool CTestPageDlg::BeginRun(AFX_THREADPROC pfnWorker, LPVOID pParam, long nMarkerPosition)
{
    // The run starts on a ready drive: an erase that was waited for is over.
    KillTimer(IDT_ERASE_POLL);
    m_bErasePending = 0;
    m_worker.record = m_currentDrive;
    const int nRun = m_pRing->ChooseNextRunSlot();
    if (m_traits.kind == kTestPageCdWrite)
        m_pRing->ClearTexts(nRun);
    SetStartButtonText(IDS_STOP);
    m_pRunState->ClearStopRequest();
    // The new run's curve starts on its own, and the marker shows where the run will end.
    m_pGraph->ResetPlot();
    if (m_traits.bWritePage)
        m_pGraph->m_nPlannedEnd = nMarkerPosition;
    m_pGraph->m_bRunInProgress = 1;
    UpdateGraphAxes();
    if (nMarkerPosition >= 0) {
        CClientDC client(this);
        m_pGraph->DrawMarkers(client.m_hDC, nMarkerPosition);
    }
    m_bFirstSample = 1;
    m_bRunning = 1;
    m_bActive = 1;
    const char* pszEmpty = m_traits.kind == kTestPageCdRead ? "-" : "";
    for (CLabelCtrl* pLabel : {&m_startValue, &m_endValue, &m_currentValue})
        pLabel->SetText(pszEmpty);
    FormatResults(false);
    SetDlgItemText(IDC_TP_CURRENT_CAPTION, "Current:");
    UpdateData(FALSE);
    m_viewLogButton.EnableWindow(FALSE);
    m_pRunState->SetRunning(true);
    if (m_pTestWindow != nullptr && m_pTestWindow->m_hWnd != nullptr)
        m_pTestWindow->SendMessage(WM_TEST_STATE_CHANGED, 0, 0);
    m_nProgressCounter = 0;
    m_progress.SetPos(0);
    m_nProgressTimer = SetTimer(IDT_PROGRESS_ANIMATION, kProgressAnimationMs);
    Invalidate();
    m_worker.startTick = ClockGetTickCount();
    if (AfxBeginThread(pfnWorker, pParam) != nullptr)
        return true;
    // No worker: the run ends at once, as a stopped run does.
    OnTestProgress(TPC_STOPPED, 0);
    return false;
}

void CTestPageDlg::SetStartButtonText(UINT nTextId)
{
    m_startButton.SetWindowText(LoadStringText(nTextId));
}

void CTestPageDlg::StopProgressAnimation()
{
    KillTimer(IDT_PROGRESS_ANIMATION);
    m_nProgressTimer = 0;
    m_progress.SetPos(kProgressSweep);
}

// The failing address and the drive's sense text under the caption "Ready", then the drive sequence of a failed
// run; no result texts are made.
void CTestPageDlg::FailRun()
{
    StopProgressAnimation();
    m_worker.endTick = ClockGetTickCount();
    SetStartButtonText(IDS_START);
    MessageBox(ErrorMessage(), LoadStringText(IDS_READY), MB_ICONERROR);
    OnRunEnding(TPC_ERROR);
    EndRun();
    DriveCalls().pfnCloseDriveHandle(m_worker.record);
    m_viewLogButton.EnableWindow(TRUE);
}

void CTestPageDlg::EndRun()
{
    m_bRunning = 0;
    m_bActive = 0;
    m_pGraph->m_bRunInProgress = 0;
    m_pRunState->SetRunning(false);
    if (m_pTestWindow != nullptr && m_pTestWindow->m_hWnd != nullptr)
        m_pTestWindow->SendMessage(WM_TEST_STATE_CHANGED, 0, 0);
}

CString CTestPageDlg::SpeedText(int32_t nValue) const
{
    return FormatHundredths(m_traits.pszSpeedFormat, nValue);
}

// "Read error at ..." with the failing address (a sector number, or minutes, seconds and frames) and the sense
// text of the worker's last command.
CString CTestPageDlg::ErrorMessage() const
{
    CString strSense = DriveCalls().pfnSenseMessage(m_worker.record);
    const long nAddress = m_pRunState->CurrentAddress();
    CString strMessage;
    if (m_traits.bErrorAtMsf) {
        char szMsf[32];
        LbaToMsfText(nAddress, szMsf);
        strMessage.Format(LoadStringText(m_traits.nErrorTextId), szMsf, static_cast<const char*>(strSense));
    } else {
        strMessage.Format(LoadStringText(m_traits.nErrorTextId), nAddress,
                          static_cast<const char*>(strSense));
    }
    return strMessage;
}

LRESULT CTestPageDlg::OnTestProgress(WPARAM nCode, LPARAM nValue)
{
    switch (nCode) {
    case TPC_ERROR:
        FailRun();
        break;
    case TPC_PERCENT:
        if (m_traits.kind == kTestPageCdWrite) {
            const long nAddress = m_pRunState->CurrentAddress();
            char szText[32];
            std::snprintf(szText, sizeof(szText), "%ld", nAddress);
            m_lbaValue.SetText(szText);
            m_msfValue.SetText(LbaToMsfText(nAddress, szText));
        }
        break;
    case TPC_DONE:
        StopProgressAnimation();
        SetStartButtonText(IDS_START);
        m_pRunState->RequestStop();
        m_endValue.SetText(m_currentValue.GetText());
        m_currentValue.SetText(SpeedText(m_pRing->ComputeAverageSpeed()));
        SetDlgItemText(IDC_TP_CURRENT_CAPTION, "Average:");
        m_worker.endTick = ClockGetTickCount();
        if (!OnRunEnding(TPC_DONE)) {
            FailRun();
            break;
        }
        FormatResults(true);
        OnRunEnded(TPC_DONE);
        DriveCalls().pfnCloseDriveHandle(m_worker.record);
        m_viewLogButton.EnableWindow(TRUE);
        EndRun();
        break;
    case TPC_SAMPLE:
        OnSampleStored(int32_t(nValue));
        m_currentValue.SetText(SpeedText(int32_t(nValue)));
        if (m_bFirstSample) {
            m_bFirstSample = 0;
            m_startValue.SetText(m_currentValue.GetText());
        }
        break;
    case TPC_STOPPED:
        StopProgressAnimation();
        m_worker.endTick = ClockGetTickCount();
        OnRunEnding(TPC_STOPPED);
        m_viewLogButton.EnableWindow(TRUE);
        SetStartButtonText(IDS_START);
        DriveCalls().pfnCloseDriveHandle(m_worker.record);
        EndRun();
        break;
    default:
        break;
    }
    UpdateData(FALSE);
    return 0;
}

int64_t TestWorkerState::ElapsedMs(int64_t nStartCount, int64_t nEndCount) const
{
    if (frequency.QuadPart <= 0)
        return 0;
    return (nEndCount - nStartCount) * 1000 / frequency.QuadPart;
}

ResultRunFacts CTestPageDlg::RunFacts() const
{
    ResultRunFacts run;
    run.nStart = m_pRing->GetStartSpeed();
    run.nEnd = m_pRing->GetEndSpeed();
    run.nAverage = m_pRing->ComputeAverageSpeed();
    run.nStartTick = m_worker.startTick;
    run.nEndTick = m_worker.endTick;
    return run;
}

void CTestPageDlg::FormatResults(bool bFull)
{
    ResultDriveFacts facts;
    DriveCalls().pfnGatherResultFacts(*this, bFull, facts);
    BuildResultTexts(*m_pRing, bFull, facts, RunFacts());
}

// View Log: the results dialog with the texts of all ten runs; the runs it cleared are emptied here, whatever
// button ended it, and the page repaints.
void CTestPageDlg::OnViewLog()
{
    CTestResultsDlg dialog(nullptr);
    dialog.m_kind = m_traits.kind;
    for (int nRun = 0; nRun < MAX_TEST_RUNS; ++nRun)
        for (int nText = 0; nText < m_pRing->TextCount(); ++nText)
            CopyRunText(dialog.m_texts[nRun][nText], m_pRing->Text(nRun, nText));
    dialog.DoModal();
    if (dialog.m_nClearedRuns != 0) {
        m_pRing->ClearRuns(dialog.m_nClearedRuns);
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    }
}
