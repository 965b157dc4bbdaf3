// src/app/MainDlg.cpp
#include "app/MainDlg.h"

#include "app/AboutDlg.h"
#include "app/Globals.h"
#include "capture/CaptureSection.h"
#include "capture/GraphManager.h"
#include "drive/DriveManager.h"
#include "report/HardwareSection.h"
#include "report/SystemInfo.h"
#include "transfer/TestDlg.h"
#include "transfer/TestPages.h"
#include "update/FWUpdateDlg.h"

#include <new>

namespace {

// Report list tab stops, in dialog units.
const int kReportTabStops[4] = {40, 80, 150, 220};

// The buttons whose horizontal position follows the window width, in the order of m_buttonRatio.
const int kRatioButtons[4] = {IDC_SAVE, IDC_PRINT, IDC_REFRESH, IDCANCEL};

// Size of the buffer AddListLineFormat formats into.
const int kListLineBufferSize = 400;

const char kNoDriveAccessText[] = "ASPI for Win32 is not initialized!\n\rUnable to load 'WNASPI32.DLL'";

} // namespace

// The members are set in declaration order; the graph manager pointer is cleared (the capture side is built by the
// first OnInitDialog). The device-list pointer is left alone.
CMainDlg::CMainDlg(CWnd* pParent)
    : CDialog(IDD_MAIN_DIALOG, pParent), m_pFont(new CFont), m_bSysMenuExtended(0),
      m_hIcon(::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(IDI_MAIN))), m_nAutoFW(0), m_nTimerId(0),
      m_bClosePending(0), m_nTestKind(0), m_nPrefStartPage(0), m_bLayoutReady(0), m_buttonRatio(), m_rcMinTrack(),
      m_nDvdWriteLength(kDvdLength5GB)
{
    m_pFont->CreatePointFont(90, "MS Shell Dlg");
    m_pDriveManager.reset(new (std::nothrow) CDriveManager);
    g_pDriveManager = m_pDriveManager.get();
    g_pGraphManager = nullptr;
}

// Owned objects go in this order: the update dialog, whose worker is ended first (it may be inside a drive
// command), the drive manager, the font, the four test pages and the test window, then the capture side (graph,
// devices, graph manager with its logs, device list).
CMainDlg::~CMainDlg()
{
    const BOOL bUpdateWorkerEnded = DeleteUpdateDialog();
    DeleteDriveManager(bUpdateWorkerEnded);
    m_pFont.reset();
    DeleteTestWindows();
    DeleteCaptureSide();
}

void CMainDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_REPORT_LIST, m_list);
}

// The window rectangle in screen coordinates becomes the minimum track size. Each resizable button's left edge,
// in client coordinates, is kept as a fraction of the window's outer width.
void CMainDlg::RecordLayout()
{
    GetWindowRect(&m_rcMinTrack);
    RECT rcWindow = m_rcMinTrack;
    ScreenToClient(&rcWindow);
    const int nWidth = rcWindow.right - rcWindow.left;
    for (int i = 0; i < 4; ++i) {
        m_buttonRatio[i] = 0.0;
        HWND hButton = GetDlgItemHwnd(kRatioButtons[i]);
        if (hButton == nullptr || nWidth <= 0)
            continue;
        RECT rcButton;
        ::GetWindowRect(hButton, &rcButton);
        ScreenToClient(&rcButton);
        m_buttonRatio[i] = static_cast<double>(rcButton.left) / nWidth;
    }
}

// Defaults that LoadSettings overwrites where the registry holds values.
void CMainDlg::ResetProxySettings()
{
    m_proxy.password = "";
    m_proxy.server = "";
    m_proxy.user = "";
    m_proxy.port = 80;
    m_proxy.useProxy = 0;
}

void CMainDlg::SetReportTabStops()
{
    m_list.SendMessage(LB_SETTABSTOPS, 4, reinterpret_cast<LPARAM>(kReportTabStops));
}

// Appends a separator and "&About Tavisk..." (string 101) to the system menu, once per dialog object.
void CMainDlg::ExtendSystemMenu()
{
    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (pSysMenu == nullptr || m_bSysMenuExtended != 0)
        return;
    m_bSysMenuExtended = 1;
    CString strAboutMenu;
    strAboutMenu.LoadString(IDS_ABOUTBOX);
    if (strAboutMenu.IsEmpty())
        return;
    pSysMenu->AppendMenu(MF_SEPARATOR);
    pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
}

// "Tavisk V" and the version (string 102).
void CMainDlg::SetCaption()
{
    CString strVersion;
    strVersion.LoadString(IDS_VERSION);
    SetWindowText(CString("Tavisk V") + strVersion);
}

// Creates the graph manager with its diagnostics log and the filter graph, and enumerates the video-input
// devices. Without a graph or a video-input device the manager is gone again and the report lists no capture
// device.
void CMainDlg::CreateCaptureSide()
{
    m_captureSide.Create();
}

// Neither back end started: the message (with the application's name as caption), then the dialog closes itself
// through its normal close path.
void CMainDlg::ReportNoDriveAccess()
{
    AfxMessageBox(kNoDriveAccessText, MB_ICONERROR);
    SendMessage(WM_CLOSE);
}

void CMainDlg::ArmAutoUpdateCheck()
{
    if (m_nAutoFW != 0)
        m_nTimerId = SetTimer(IDT_AUTO_FW_CHECK, kAutoFwCheckDelayMs);
}

// An update worker that did not end when asked may still be inside a drive command: the drive manager then stays,
// reachable as before, and goes with the process.
void CMainDlg::DeleteDriveManager(BOOL bUpdateWorkerEnded)
{
    if (!bUpdateWorkerEnded) {
        m_pDriveManager.release();
        return;
    }
    g_pDriveManager = nullptr; // no later user may reach the deleted object
    m_pDriveManager.reset();
}

// The device objects go before the graph releases the descriptors they point to; then the manager closes its
// logs.
void CMainDlg::DeleteCaptureSide()
{
    m_captureSide.Destroy();
}

// The processor and memory lines, then one block per host adapter; the maker's drives' media parts only while
// the user has not gone on past the old-ASPI warning.
void CMainDlg::BuildSystemInfo()
{
    m_arrSystem.RemoveAll();
    AppendProcessorAndMemoryLines(m_arrSystem);
    BuildAdapterBlocks(m_arrAdapters, g_bReportMediaDetails != 0);
}

void CMainDlg::BuildStratafitInfo()
{
    BuildStratafitListing(m_arrStratafit);
}

// The video-capture devices enumerated at start, with their drivers and the sibling product's settings.
void CMainDlg::BuildCaptureDeviceInfo()
{
    BuildCaptureSection(m_arrCapture, g_pGraphManager);
}

// " %s" of the text, cut to what the 400-byte line buffer holds.
void CMainDlg::AddListLineFormat(LPCTSTR pszText)
{
    char szLine[kListLineBufferSize];
    _snprintf(szLine, sizeof(szLine), " %s", pszText != nullptr ? pszText : "");
    szLine[sizeof(szLine) - 1] = '\0';
    m_list.AddString(szLine);
}

void CMainDlg::AddListLine(const CString& strLine)
{
    m_list.AddString(strLine);
}

// The About entry opens the About box; every other system command gets the default processing.
void CMainDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        Default();
    }
}

// Minimised, the window shows its icon centred in the client area; otherwise the dialog paints itself.
void CMainDlg::OnPaint()
{
    if (!::IsIconic(m_hWnd)) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    RECT rcClient;
    GetClientRect(&rcClient);
    const int x = (rcClient.right - rcClient.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rcClient.bottom - rcClient.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HICON CMainDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

// The automatic update check starts once per OnInitDialog.
void CMainDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == IDT_AUTO_FW_CHECK) {
        OnCheckFirmware();
        KillTimer(m_nTimerId);
    }
    Default();
}

// Enter (the dialog has no default button) closes the window as the Exit button does, so that it too waits for an
// update check under way.
void CMainDlg::OnOK()
{
    OnCancel();
}

// The Exit button and Esc end the modal loop with IDCANCEL.
void CMainDlg::OnCancel()
{
    if (DeferCloseForUpdateCheck())
        return;
    CDialog::OnCancel();
}

// The close box, Alt+F4 and the WM_CLOSE the dialog sends itself: the dialog's default handling turns it into the
// IDCANCEL command, so OnCancel closes the window.
void CMainDlg::OnClose()
{
    if (DeferCloseForUpdateCheck())
        return;
    Default();
}

// Menu "Exit": as the Exit button.
void CMainDlg::OnExit()
{
    if (DeferCloseForUpdateCheck())
        return;
    OnCancel();
}
