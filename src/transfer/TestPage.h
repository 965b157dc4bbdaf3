// src/transfer/TestPage.h
// The frame the four test pages share: a modeless child dialog shown inside the test window with the value labels
// (start, end, current), the progress bar that sweeps while a run is active, Start/Stop, View Log, Preferences and
// "?", tooltips, and the handling of the progress codes its worker sends. What differs between the pages (ids,
// texts, formats, the progress message) comes from a table of traits; what each test does between Start and its
// last progress message belongs to the page classes of the tests.
#ifndef TAVISK_TRANSFER_TESTPAGE_H
#define TAVISK_TRANSFER_TESTPAGE_H

#include "controls/LabelCtrl.h"
#include "drive/DeviceRecord.h"
#include "framework/Framework.h"
#include "resource.h"
#include "framework/ToolTipCtrl.h"
#include "transfer/ResultTexts.h"
#include "transfer/TestGraph.h"
#include "transfer/TestMessages.h"
#include "transfer/TestResultsDlg.h"
#include "transfer/TestRunRing.h"
#include "transfer/TestRunState.h"
#include "transfer/TransferRateSettings.h"

#include <memory>

class CTestPageDlg;

// TEST UNIT READY until the drive is ready, with nPauseMs between the polls; false when it still is not after
// nLimitMs.
bool WaitForReadyDrive(CDeviceRecord& record, DWORD nLimitMs, DWORD nPauseMs);
// The write pages' wait at the end of a run (after the tray moved, or before an error's eject): 15 s, polled every
// 50 ms.
const DWORD kEndReadyLimitMs = 15000;
const DWORD kEndReadyPauseMs = 50;

// What differs between the four pages.
struct TestPageTraits {
    TestPageKind kind;
    UINT nIDTemplate;
    UINT nStartId;
    UINT nViewLogId;
    UINT nSpeedId;
    UINT nStartValueId, nEndValueId, nCurrentValueId;
    UINT nGraphId, nScaleId;
    UINT nProgressMessage;
    const char* pszSpeedFormat;   // current and average value labels
    UINT nErrorTextId;            // the error message's format
    bool bErrorAtMsf;             // the failing address as minutes, seconds and frames (else a sector number)
    UINT nTestNameId;             // "?" title and message-box captions
    UINT nHelpTextId;             // "?" text
    const char* pszWindowCaption; // the test window's caption while the page is shown
    bool bWritePage;
};

const TestPageTraits& GetTestPageTraits(TestPageKind kind);

// What a page hands the worker of its run. The worker asks the run state whether a stop was requested before
// every drive command, publishes its address there, and reports only by sending the page's progress message.
struct TestWorkerState {
    CDeviceRecord record; // the drive under test (sense data of the worker's commands lands here)
    HWND hPage = nullptr;
    CTestRunState* pRunState = nullptr; // the run state the page was handed
    LARGE_INTEGER frequency = {};
    DWORD startTick = 0;
    DWORD endTick = 0;
    TestRunRing* pRing = nullptr;
    CTestPageDlg* pPage = nullptr;

    CTestRunState& RunState() const { return *pRunState; }
    // Whole milliseconds between two performance-counter readings; 0 when the counter reported no frequency.
    int64_t ElapsedMs(int64_t nStartCount, int64_t nEndCount) const;
};

// The drive queries of a page, as a table whose default asks the drive manager. Tests replace it.
struct TestPageDriveCalls {
    // Fills what FormatResults writes about the drive (bFull: the disc part too).
    void (*pfnGatherResultFacts)(CTestPageDlg& page, bool bFull, ResultDriveFacts& facts);
    // The sense text of the worker's record, " (code %06lX)" included.
    CString (*pfnSenseMessage)(const CDeviceRecord& record);
    void (*pfnCloseDriveHandle)(const CDeviceRecord& record);
    // TEST UNIT READY: 1 when the drive is ready.
    int (*pfnTestUnitReady)(CDeviceRecord& record);
};
// Installs a table (kept by pointer); null restores the real calls. Returns the table in use before.
const TestPageDriveCalls* SetTestPageDriveCalls(const TestPageDriveCalls* pCalls);

class CTestPageDlg : public CDialog {
public:
    CTestPageDlg(TestPageKind kind, CWnd* pTestWindow);
    ~CTestPageDlg() override;

    const TestPageTraits& Traits() const { return m_traits; }
    TestRunRing& Ring() { return *m_pRing; }
    TestWorkerState& WorkerState() { return m_worker; }
    CTestRunState& RunState() const { return *m_pRunState; }

    // What the main dialog shares with the page: the run state (also its worker's), the Preferences start page and
    // the transfer-rate settings it loads and saves.
    void SetSharedState(CTestRunState& runState, int* pPrefStartPage, TransferRateSettings* pSettings = nullptr);
    // The drive-letter index of the page's drive.
    int GetDriveIndex() const { return m_currentDrive.m_nDriveLetter; }
    bool IsRunning() const { return m_bRunning != 0; }
    bool IsActive() const { return m_bActive != 0; }
    bool IsErasePending() const { return m_bErasePending != 0; }
    void SetTestWindow(CWnd* pTestWindow) { m_pTestWindow = pTestWindow; }

    // Fills the current run's texts: the drive part at the start of a run, everything at its normal end.
    virtual void FormatResults(bool bFull);
    // The run's measured facts for the result texts (statistics of the ring, tick counts, the page's settings).
    virtual ResultRunFacts RunFacts() const;

    // The page's drive, overwritten by the main dialog whenever a drive is chosen in the test window.
    CDeviceRecord m_currentDrive;

    BEGIN_MSG_MAP(CTestPageDlg)
    ON_MESSAGE(m_traits.nProgressMessage, OnTestProgressMessage)
    ON_BN_CLICKED(m_traits.nStartId, OnStartButton)
    ON_BN_CLICKED(m_traits.nViewLogId, OnViewLog)
    ON_BN_CLICKED(IDC_TP_HELP, OnHelpButton)
    ON_BN_CLICKED(IDC_TP_PREFERENCES, OnPreferences)
    ON_CBN_SELCHANGE(m_traits.nSpeedId, OnSpeedChanged)
    ON_WM_TIMER()
    ON_WM_SHOWWINDOW()
    ON_WM_PAINT()
    ON_MESSAGE(WM_RBUTTONDOWN, OnRButtonDownMessage)
    ON_COMMAND(ID_TRANSFER_SAVE_IMAGE, OnSaveToImage)
    ON_COMMAND(ID_TRANSFER_SAVE_HTML, OnSaveToHtml)
    ON_COMMAND(ID_TRANSFER_PRINT, OnPrint)
    END_MSG_MAP()

    // The page's graph (TestPageGraph.cpp).
    CTestGraph& Graph() { return *m_pGraph; }
    // Takes the axes from the settings: the page's maximum speed and length.
    void UpdateGraphAxes();
    // The whole graph on a DC: the page on screen, or the picture export's surface (bExport: white background).
    void DrawGraphTo(HDC hdc, bool bExport);

    // The popup menu's "To Image" and "To HTML" (TestPageExport.cpp).
    void OnSaveToImage();
    void OnSaveToHtml();
    // The popup menu's "Print".
    void OnPrint();
    // The graph as a picture of the export's size, saved as BMP or PNG by the extension (lower case; one that
    // names neither saves nothing and counts as done). False when the file could not be written.
    bool SaveGraphPicture(const CString& strPath, const CString& strExtension);

    // Progress of the run (the handler of the page's progress message). Returns 0.
    LRESULT OnTestProgress(WPARAM nCode, LPARAM nValue);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override; // Esc inside a page does nothing
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Start/Stop. While a run's worker is alive the button stops it; otherwise the test's OnStart runs.
    void OnStartButton();
    // The test's own Start: its checks and set-up, then BeginRun. The frame alone starts nothing.
    virtual void OnStart();
    // The start frame once the test's checks have passed: the erase poll ended, the slot (on the CD write page
    // with its texts emptied), the button, the graph's previous point forgotten and the marker drawn at
    // nMarkerPosition (sectors; the planned end of a write page; -1: none), the flags, the labels, the running flag,
    // the progress sweep, the tick count and the worker. FALSE when the worker could not start (the page is idle
    // again).
    bool BeginRun(AFX_THREADPROC pfnWorker, LPVOID pParam, long nMarkerPosition);
    // Stop pressed while the run is running: the read pages keep "&Stop" until the worker has ended (a second
    // press shows "&Start"), the write pages show "&Start" at once.
    void RequestStop();
    // Write pages: the drive sequence at the end of a run up to the run's result texts. The frame has taken the
    // end tick before; a page whose sequence takes it later (after SYNCHRONIZE CACHE) takes it again. False when
    // the drive did not finish a normal end (TPC_DONE): the run then ends as a failed one.
    virtual bool OnRunEnding(int nCode);
    // Write pages: what the drive sequence does after the result texts of a finished run.
    virtual void OnRunEnded(int nCode);
    // A message box under the test's title (the read or the write test); the text's %s takes pszArgument when given.
    int MessageBoxText(UINT nTextId, UINT nType, const char* pszArgument = nullptr);
    // The speed combo box for the page's drive: filled whenever the page is shown or hidden, applied when the
    // user picks a speed (on a write page also right after filling).
    virtual void FillSpeedList();
    virtual void OnSpeedChanged();
    // A sample arrived (the graph plots it).
    virtual void OnSampleStored(int32_t nValue);
    // Write pages: while a rewritable disc is blanked before a test, IDT_ERASE_POLL asks every second whether the
    // drive is ready again; then Start runs again.
    void BeginErasePoll();
    virtual void OnErasePoll();
    // The information dialog of "?"; a seam for tests.
    virtual void ShowTestInformation(const CString& strTitle, const CString& strText);

    void OnViewLog();
    void OnHelpButton();
    void OnPreferences();
    void OnTimer(UINT_PTR nIDEvent);
    void OnShowWindow(BOOL bShow, UINT nStatus);

    // The graph: painted whole, extended by the live plot, and the right-click menu.
    void OnPaint();
    void OnRButtonDown(UINT nFlags, CPoint point);

    // Parts of the progress handling.
    void StopProgressAnimation();
    void EndRun(); // flags, running flag, test window notice
    // The error message, then the drive sequence of a failed run.
    void FailRun();
    void SetStartButtonText(UINT nTextId);
    CString SpeedText(int32_t nValue) const;
    CString ErrorMessage() const;

    const TestPageTraits& m_traits;
    CWnd* m_pTestWindow;
    CTestRunState m_ownRunState; // used until the main dialog hands over its run state
    CTestRunState* m_pRunState = &m_ownRunState;
    int* m_pPrefStartPage = nullptr;
    TransferRateSettings* m_pSettings = nullptr;
    TransferRateSettings m_ownSettings; // used until the main dialog hands over its settings
    std::unique_ptr<CFont> m_pFont;
    std::unique_ptr<CToolTipCtrl> m_pToolTip;
    std::unique_ptr<TestRunRing> m_pRing;
    std::unique_ptr<CTestGraph> m_pGraph;
    TestWorkerState m_worker;

    CComboBox m_speedCombo;
    CButton m_startButton;
    CButton m_viewLogButton;
    CButton m_helpButton;
    CButton m_preferencesButton;
    CLabelCtrl m_startValue;
    CLabelCtrl m_endValue;
    CLabelCtrl m_currentValue;
    CLabelCtrl m_msfValue; // CD write only
    CLabelCtrl m_lbaValue; // CD write only
    CProgressCtrl m_progress;

    UINT_PTR m_nProgressTimer = 0;
    int m_nProgressCounter = 0;
    BYTE m_bRunning = 0;
    BYTE m_bActive = 0;
    BYTE m_bErasePending = 0;
    BYTE m_bFirstSample = 0; // the run's first sample is still to come: it becomes the start value

private:
    LRESULT OnTestProgressMessage(WPARAM wParam, LPARAM lParam) { return OnTestProgress(wParam, lParam); }
    LRESULT OnRButtonDownMessage(WPARAM wParam, LPARAM lParam);
};

#endif
