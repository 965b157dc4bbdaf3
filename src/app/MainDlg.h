// src/app/MainDlg.h
// CMainDlg: the main window, a modal dialog on template 102 that shows the system report in a list and offers
// Save, Print, Refresh and Exit, with the Options menu for the tests, the update check and the preferences.
#ifndef TAVISK_APP_MAINDLG_H
#define TAVISK_APP_MAINDLG_H

#include "app/AppMessages.h"
#include "capture/CaptureStartup.h"
#include "update/ProxySettings.h"
#include "drive/DeviceRecord.h"
#include "framework/Framework.h"
#include "report/ReportOutput.h"
#include "resource.h"
#include "transfer/TestRunState.h"
#include "transfer/TransferRateSettings.h"

#include <array>
#include <memory>

class CDriveManager;
class CFWUpdateDlg;
class CReportWriter;
class CCdReadTestDlg;
class CCdWriteTestDlg;
class CDvdReadTestDlg;
class CDvdWriteTestDlg;
class CTestDlg;
class CTestPageDlg;

class CMainDlg : public CDialog {
public:
    enum {
        IDD = IDD_MAIN_DIALOG
    };

    explicit CMainDlg(CWnd* pParent = nullptr);
    ~CMainDlg() override;

    BOOL OnInitDialog() override;

    void CreateTestWindows();

    // Settings in the registry: LoadSettings reads the program settings into m_proxy and m_nAutoFW and then the
    // transfer-rate settings; SaveSettings writes both groups. Neither reports anything.
    void LoadSettings();
    void SaveSettings();
    void LoadTransferRateSettings();
    void SaveTransferRateSettings();
    void AddListLineFormat(LPCTSTR pszText);
    void AddListLine(const CString& strLine);

    // Report builders: each empties its own section before filling it; FillReportList appends every line to the
    // list (it does not empty the list).
    void BuildAspiInfo();
    void BuildSystemInfo();
    void BuildStratafitInfo();
    void BuildCaptureDeviceInfo();
    void FillReportList();
    // The full report to a writer opened for the printer or a text file; the report without its software section
    // to a writer opened for the support file. Nothing when the writer is null.
    void WriteReport(CReportWriter* pWriter);
    void WriteSupportFile(CReportWriter* pWriter);

    BEGIN_MSG_MAP(CMainDlg)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_SAVE, OnSave)
    ON_BN_CLICKED(IDC_PRINT, OnPrint)
    ON_BN_CLICKED(IDC_REFRESH, OnRefresh)
    ON_COMMAND(ID_OPTIONS_CHECK_FIRMWARE, OnCheckFirmware)
    ON_MESSAGE(WM_UPDATE_CHECK_DONE, OnUpdateCheckDone)
    ON_WM_TIMER()
    ON_WM_CLOSE()
    ON_BN_CLICKED(IDCANCEL, OnCancel)
    ON_COMMAND(ID_OPTIONS_EXIT, OnExit)
    ON_WM_DEVICECHANGE()
    ON_COMMAND(ID_OPTIONS_PREFERENCES, OnPreferences)
    ON_MESSAGE(WM_TEST_DRIVE_CHANGED, OnTestDriveChanged)
    ON_MESSAGE(WM_TEST_KIND_CHANGED, OnTestKindChanged)
    ON_COMMAND(ID_OPTIONS_SHOW_FUNCTIONS, OnShowFunctions)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    END_MSG_MAP()

    // Members in declaration order; the test window, its pages, the update check and the report builders use them.
    std::unique_ptr<CDriveManager> m_pDriveManager; // the program's drive manager, reached through g_pDriveManager
    std::unique_ptr<CFont> m_pFont;                // font of the report list
    BYTE m_bSysMenuExtended;                       // the About entry was added to the system menu
    HICON m_hIcon;                                 // icon 130: window icon, big and small
    CStringArray m_arrStratafit;                   // report section: the Stratafit database listing
    CStringArray m_arrSoftware;                    // report section: software and ASPI layers
    CStringArray m_arrAdapters[kMaxAdapterBlocks]; // report section: one block per host adapter
    CStringArray m_arrSystem;                      // report section: processors and memory
    DWORD m_nAutoFW;                               // registry "AutoFW": check for firmware updates at start-up
    ProxySettings m_proxy;                         // handed to the update check
    std::unique_ptr<CFWUpdateDlg> m_pUpdateDlg;    // the one modeless update dialog while it exists
    UINT_PTR m_nTimerId;                           // what SetTimer returned for IDT_AUTO_FW_CHECK
    BYTE m_bClosePending;                          // the user asked to close while an update check ran
    CListBox m_list;                               // the report list, control 1000
    CTestRunState m_runState;                      // shared by the test window, the pages and their workers
    std::unique_ptr<CCdReadTestDlg> m_pCdReadPage; // test pages
    std::unique_ptr<CCdWriteTestDlg> m_pCdWritePage;
    std::unique_ptr<CDvdReadTestDlg> m_pDvdReadPage;
    std::unique_ptr<CDvdWriteTestDlg> m_pDvdWritePage;
    std::unique_ptr<CTestDlg> m_pTestDlg; // the test window
    CDeviceRecord m_currentDrive;        // the drive chosen in the test window
    int m_nTestKind;                     // 0 read, 1 write
    int m_nPrefStartPage;                // Preferences opens on: 0 the proxy page, 1 the transfer-rate page
    BYTE m_bLayoutReady;                 // set at the end of OnInitDialog; resizing acts only while set
    double m_buttonRatio[4];             // Save, Print, Refresh, Exit: initial left edge / outer window width
    RECT m_rcMinTrack;                   // window rectangle (screen) recorded by OnInitDialog: minimum size
    CStringArray m_arrCapture;           // report section: video capture
    TransferRateSettings m_transferRate; // the test pages' settings as loaded and saved
    DWORD m_nDvdWriteLength;             // the DVD write graph's length in kilobytes (not stored)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HICON OnQueryDragIcon();
    void OnSave();
    void OnPrint();
    void OnRefresh();
    void OnCheckFirmware();
    LRESULT OnUpdateCheckDone(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    void OnClose();
    void OnExit();
    BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData);
    void OnPreferences();
    LRESULT OnTestDriveChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnTestKindChanged(WPARAM wParam, LPARAM lParam);
    void OnShowFunctions();
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);

private:
    // Steps of OnInitDialog, in the order it runs them.
    void RecordLayout();
    void ResetProxySettings();
    void SetReportTabStops();
    void ExtendSystemMenu();
    void SetCaption();
    int StartDriveAccess();
    void ReadDriveRegistrySettings();
    void CreateCaptureSide();
    void ReportNoDriveAccess();
    void RepairBusTypes();
    BOOL ConfirmOldAspiLayer();
    void ArmAutoUpdateCheck();

    // Parts of the destructor, in the order it runs them. DeleteUpdateDialog ends a worker that still runs and
    // tells whether it has ended (TRUE also without a dialog); the drive manager is deleted only then.
    BOOL DeleteUpdateDialog();
    void DeleteDriveManager(BOOL bUpdateWorkerEnded);

    // The update check (MainDlgUpdate.cpp): while one runs, a close aborts it, hides the window and waits for its
    // end (TRUE: the close is deferred).
    BOOL DeferCloseForUpdateCheck();
    void DeleteTestWindows();
    void DeleteCaptureSide();

    // The four pages in the order CD read, DVD read, CD write, DVD write (null before CreateTestWindows).
    using TestPageList = std::array<CTestPageDlg*, 4>;
    TestPageList TestPages() const;

    // The test page for the current drive's medium and the test kind goes into the test window.
    void ShowPageForMedium();
    void SwapTestPage(CDialog* pOldPage, CDialog* pNewPage);

    CCaptureSide m_captureSide; // the graph manager and the device list from OnInitDialog to the destructor
};

#endif
