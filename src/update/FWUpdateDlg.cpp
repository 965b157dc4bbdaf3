// src/update/FWUpdateDlg.cpp
#include "update/FWUpdateDlg.h"

#include "drive/DriveManager.h"
#include "framework/Socket.h"

#include <cstring>

const char kFirmwareDownloadUrl[] = "http://www.korvath.example/technicalservices/all/downloads.asp?choice=Downloads";

namespace {

const char kCaption[] = "Firmware Upgrades";
const char kHeading[] = "New firmware available for the following drives:";
const char kAutoCheckText[] = "Check for firmware upgrades on startup";
const char kLinkText[] = "Click here to download the upgrades from the website";
const char kNotApplicable[] = "N/A";

struct ListColumn {
    const char* pszHeading;
    int nWidth;
};
const ListColumn kColumns[] = {{"Device", 249}, {"Current", 70}, {"New", 70}};

const int kDriveLabelSize = 255;
const int kInquiryBufferSize = 100;
const int kRevisionOffset = 32;
const int kRevisionLength = 4;

// A worker ends at its next wait once aborted; this only bounds a drive that does not answer at all.
const DWORD kWorkerEndWaitMs = 60000;

// Posts the worker's report when the worker ends, also when an exception ends it early: the dialog, and a main
// window waiting to close, must hear of it either way.
class CReportOnExit {
public:
    CReportOnExit(HWND hWnd, WPARAM wParam, LPARAM lParam) : m_hWnd(hWnd), m_wParam(wParam), m_lParam(lParam) {}
    ~CReportOnExit() { ::PostMessage(m_hWnd, WM_UPDATE_CHECK_DONE, m_wParam, m_lParam); }
    CReportOnExit(const CReportOnExit&) = delete;
    CReportOnExit& operator=(const CReportOnExit&) = delete;

private:
    HWND m_hWnd;
    WPARAM m_wParam;
    LPARAM m_lParam;
};

} // namespace

CFWUpdateDlg::CFWUpdateDlg(CWnd* pParent)
    : CDialog(IDD_FWUPDATE, pParent), m_bCheckOnStartup(0), m_hWndSelf(nullptr), m_bShown(FALSE), m_pDrive(nullptr),
      m_bFlag1(0), m_bFlag2(0), m_bReported(FALSE)
{
}

// The worker goes first: it would fill g_arrUpdates at the end of its walk.
CFWUpdateDlg::~CFWUpdateDlg()
{
    EndWorker();
    g_arrUpdates.RemoveAll();
    m_pChecker.reset();
}

void CFWUpdateDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FWUPDATE_LIST, m_list);
    DDX_Control(pDX, IDOK, m_okButton);
    DDX_Control(pDX, IDC_FWUPDATE_LINK, m_link);
    DDX_Control(pDX, IDC_FWUPDATE_AUTOCHECK, m_checkBox);
}

BOOL CFWUpdateDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_hWndSelf = m_hWnd;
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); ++i)
        m_list.InsertColumn(i, kColumns[i].pszHeading, LVCFMT_CENTER, kColumns[i].nWidth);
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    SetDlgItemText(IDC_FWUPDATE_HEADING, kHeading);
    SetWindowText(kCaption);
    return TRUE;
}

// Ends a worker that still runs: the abort makes every socket wait give up at once, so this is short.
void CFWUpdateDlg::EndWorker()
{
    if (!m_pWorker)
        return;
    if (m_pChecker)
        m_pChecker->Abort();
    ::WaitForSingleObject(m_pWorker->m_hThread, kWorkerEndWaitMs);
    m_pWorker.reset();
}

void CFWUpdateDlg::StartWorker(AFX_THREADPROC pfnWorker, const ProxySettings* pProxy, const CString& strText,
                               BYTE bFlag1, BYTE bAutoCheck, BYTE bFlag2)
{
    EndWorker();
    g_arrUpdates.RemoveAll();
    m_pChecker.reset(new CUpdateChecker(pProxy, strText));
    m_checkBox.SetWindowText(kAutoCheckText);
    m_checkBox.SetCheck(bAutoCheck ? BST_CHECKED : BST_UNCHECKED);
    m_link.SetURL(kFirmwareDownloadUrl);
    m_link.SetWindowText(kLinkText);
    m_bFlag1 = bFlag1;
    m_bCheckOnStartup = bAutoCheck;
    m_bFlag2 = bFlag2;
    m_bReported = FALSE;
    // The worker walks a copy of the drive list, so that nothing the user does meanwhile moves the records the
    // findings point to; the copy lives as long as the dialog.
    m_drives.RemoveAll();
    if (g_pDriveManager != nullptr)
        g_pDriveManager->CopyHostAdapters(m_drives);
    m_pWorker.reset(AfxBeginThread(pfnWorker, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED));
    if (!m_pWorker) {
        ::PostMessage(m_hWndSelf, WM_UPDATE_CHECK_DONE, 0, 0);
        return;
    }
    m_pWorker->m_bAutoDelete = FALSE;
    m_pWorker->ResumeThread();
}

void CFWUpdateDlg::StartCheckAllDrives(const ProxySettings* pProxy, const CString& strText, BYTE bFlag1,
                                       BYTE bAutoCheck, BYTE bFlag2)
{
    StartWorker(CheckAllDrivesThread, pProxy, strText, bFlag1, bAutoCheck, bFlag2);
}

void CFWUpdateDlg::StartCheckOneDrive(CDeviceRecord* pDrive, const ProxySettings* pProxy, const CString& strText,
                                      BYTE bFlag1, BYTE bAutoCheck, BYTE bFlag2)
{
    m_pDrive = pDrive;
    StartWorker(CheckOneDriveThread, pProxy, strText, bFlag1, bAutoCheck, bFlag2);
}

UINT __cdecl CFWUpdateDlg::CheckAllDrivesThread(LPVOID pParam)
{
    CFWUpdateDlg* pDlg = static_cast<CFWUpdateDlg*>(pParam);
    CReportOnExit report(pDlg->m_hWndSelf, 0, 0);
    AfxSocketInit();
    pDlg->CheckAllDrives();
    return 0;
}

UINT __cdecl CFWUpdateDlg::CheckOneDriveThread(LPVOID pParam)
{
    CFWUpdateDlg* pDlg = static_cast<CFWUpdateDlg*>(pParam);
    CReportOnExit report(pDlg->m_hWndSelf, kUpdateDoneToMainDialog, kUpdateListClosed);
    AfxSocketInit();
    pDlg->CheckOneDrive();
    return 0;
}

void CFWUpdateDlg::CheckAllDrives()
{
    WalkDrivesForUpdates(*m_pChecker, m_drives);
}

void CFWUpdateDlg::CheckOneDrive()
{
    if (m_pDrive == nullptr)
        return;
    m_pChecker->CheckFirmware(m_pDrive);
    UpdateEntry entry;
    if (m_pChecker->GetUpdate(0, &entry))
        AddGlobalFirmwareUpdate(entry);
}

CString CFWUpdateDlg::GetCheckError()
{
    CString strError;
    if (m_pChecker)
        m_pChecker->GetErrorText(&strError);
    return strError;
}

void CFWUpdateDlg::ReportToMainDialog(LPARAM lResult)
{
    if (m_bReported)
        return;
    m_bReported = TRUE;
    const HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    if (hOwner != nullptr)
        ::PostMessage(hOwner, WM_UPDATE_CHECK_DONE, kUpdateDoneToMainDialog, lResult);
}

LRESULT CFWUpdateDlg::OnCheckFinished(WPARAM wParam, LPARAM lParam)
{
    if (wParam != 0)
        return 0;
    if (m_pWorker) {
        ::WaitForSingleObject(m_pWorker->m_hThread, kWorkerEndWaitMs);
        m_pWorker.reset();
    }
    if (g_arrUpdates.GetSize() > 0) {
        FillUpdateList();
        ShowWindow(SW_SHOW);
        m_bShown = TRUE;
    } else {
        ReportToMainDialog(kUpdateNothingOrFailed);
    }
    return 0;
}

// One row per finding with a third field: "HA:" + adapter + the drive's label, the revision the drive reports
// now, the newest version. The row's data is the finding's index; its check state is set unless the third field
// is "N/A" (the list shows no check boxes: the state is kept, not drawn).
BOOL CFWUpdateDlg::FillUpdateList()
{
    if (g_arrUpdates.GetSize() == 0)
        return FALSE;
    m_list.DeleteAllItems();
    int nRow = 0;
    for (INT_PTR i = 0; i < g_arrUpdates.GetSize(); ++i) {
        const UpdateEntry& entry = g_arrUpdates[i];
        if (entry.strThirdField.IsEmpty())
            continue;
        CDeviceRecord& drive = *entry.pDrive;
        char szLabel[kDriveLabelSize] = {};
        if (g_pDriveManager != nullptr)
            g_pDriveManager->GetDriveLabel(drive, szLabel);
        CString strDevice;
        strDevice.Format("HA:%d %s", drive.m_nAdapter, szLabel);
        BYTE inquiry[kInquiryBufferSize] = {};
        CString strCurrent;
        if (g_pDriveManager != nullptr && g_pDriveManager->InquiryRaw(drive, inquiry) == kExecCompleted)
            strCurrent = CString(reinterpret_cast<const char*>(inquiry + kRevisionOffset), kRevisionLength);

        m_list.InsertItem(nRow, strDevice);
        m_list.SetItemText(nRow, 1, strCurrent);
        m_list.SetItemText(nRow, 2, entry.strNewestVersion);
        m_list.SetItemData(nRow, static_cast<DWORD_PTR>(i));
        if (entry.strThirdField != kNotApplicable)
            m_list.SetCheck(nRow, TRUE);
        ++nRow;
    }
    return TRUE;
}

void CFWUpdateDlg::OnCheckOnStartup()
{
    m_bCheckOnStartup = m_checkBox.GetCheck() == BST_CHECKED ? 1 : 0;
}

void CFWUpdateDlg::OnOK()
{
    ReportToMainDialog(kUpdateListClosed);
    CDialog::OnOK();
}

// Esc and the close box end the list as OK does.
void CFWUpdateDlg::OnCancel()
{
    OnOK();
}

void CFWUpdateDlg::AbortCheck()
{
    if (m_pChecker)
        m_pChecker->Abort();
    if (m_bShown)
        OnOK();
}
