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

// A worker ends at its next wait once aborted; this only bounds a drive that does not answer at all. A worker that
// still runs after it keeps its share of what it uses.
const DWORD kWorkerEndWaitMs = 60000;

const UpdateDialogHooks* volatile g_pHooks = nullptr;

DWORD WaitForWorker(HANDLE hThread, DWORD dwMilliseconds)
{
    const UpdateDialogHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnWaitForWorker != nullptr)
        return pHooks->pfnWaitForWorker(hThread, dwMilliseconds);
    return ::WaitForSingleObject(hThread, dwMilliseconds);
}

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

// The worker's share of the work, handed over through the thread parameter.
std::shared_ptr<UpdateCheckWork> TakeWork(LPVOID pParam)
{
    const std::unique_ptr<std::shared_ptr<UpdateCheckWork>> pShare(
        static_cast<std::shared_ptr<UpdateCheckWork>*>(pParam));
    return *pShare;
}

} // namespace

const UpdateDialogHooks* SetUpdateDialogHooks(const UpdateDialogHooks* pHooks)
{
    const UpdateDialogHooks* pPrevious = g_pHooks;
    g_pHooks = pHooks;
    return pPrevious;
}

CFWUpdateDlg::CFWUpdateDlg(CWnd* pParent)
    : CDialog(IDD_FWUPDATE, pParent), m_bCheckOnStartup(0), m_hWndSelf(nullptr), m_bShown(FALSE), m_pDrive(nullptr),
      m_bFlag1(0), m_bFlag2(0), m_bReported(FALSE)
{
}

// The worker goes first: it would fill g_arrUpdates at the end of its walk.
CFWUpdateDlg::~CFWUpdateDlg()
{
    EndCheck();
    g_arrUpdates.RemoveAll();
    m_pWork.reset();
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

// The abort makes every socket wait give up at once, so the wait is short. A worker held up longer (a drive that
// does not answer) is left to end by itself with its share of the work; the dialog forgets it either way.
BOOL CFWUpdateDlg::EndCheck()
{
    if (!m_hWorker)
        return TRUE;
    m_pWork->checker.Abort();
    const BOOL bEnded = WaitForWorker(m_hWorker.get(), kWorkerEndWaitMs) == WAIT_OBJECT_0;
    m_hWorker.Close();
    return bEnded;
}

void CFWUpdateDlg::StartWorker(AFX_THREADPROC pfnWorker, const ProxySettings* pProxy, const CString& strText,
                               BYTE bFlag1, BYTE bAutoCheck, BYTE bFlag2)
{
    EndCheck();
    g_arrUpdates.RemoveAll();
    m_pWork = std::make_shared<UpdateCheckWork>(pProxy, strText);
    m_pWork->pDrive = m_pDrive;
    m_pWork->hWndReport = m_hWndSelf;
    m_checkBox.SetWindowText(kAutoCheckText);
    m_checkBox.SetCheck(bAutoCheck ? BST_CHECKED : BST_UNCHECKED);
    m_link.SetURL(kFirmwareDownloadUrl);
    m_link.SetWindowText(kLinkText);
    m_bFlag1 = bFlag1;
    m_bCheckOnStartup = bAutoCheck;
    m_bFlag2 = bFlag2;
    m_bReported = FALSE;
    // The worker walks a copy of the drive list, so that nothing the user does meanwhile moves the records the
    // findings point to.
    if (g_pDriveManager != nullptr)
        g_pDriveManager->CopyHostAdapters(m_pWork->drives);

    std::unique_ptr<std::shared_ptr<UpdateCheckWork>> pShare(new std::shared_ptr<UpdateCheckWork>(m_pWork));
    CWinThread* pThread = AfxBeginThread(pfnWorker, pShare.get(), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (pThread == nullptr) {
        ::PostMessage(m_hWndSelf, WM_UPDATE_CHECK_DONE, 0, 0);
        return;
    }
    pShare.release(); // the worker's now
    // The thread object deletes itself when the worker ends; the dialog keeps a handle of its own to wait on.
    HANDLE hThread = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), pThread->m_hThread, ::GetCurrentProcess(), &hThread, SYNCHRONIZE, FALSE,
                      0);
    m_hWorker.Attach(hThread);
    pThread->ResumeThread();
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
    const std::shared_ptr<UpdateCheckWork> pWork = TakeWork(pParam);
    CReportOnExit report(pWork->hWndReport, 0, 0);
    AfxSocketInit();
    CheckAllDrives(*pWork);
    return 0;
}

UINT __cdecl CFWUpdateDlg::CheckOneDriveThread(LPVOID pParam)
{
    const std::shared_ptr<UpdateCheckWork> pWork = TakeWork(pParam);
    CReportOnExit report(pWork->hWndReport, kUpdateDoneToMainDialog, kUpdateListClosed);
    AfxSocketInit();
    CheckOneDrive(*pWork);
    return 0;
}

void CFWUpdateDlg::CheckAllDrives(UpdateCheckWork& work)
{
    WalkDrivesForUpdates(work.checker, work.drives);
}

// An aborted check keeps its finding to itself: the dialog that asked may be gone.
void CFWUpdateDlg::CheckOneDrive(UpdateCheckWork& work)
{
    if (work.pDrive == nullptr)
        return;
    work.checker.CheckFirmware(work.pDrive);
    UpdateEntry entry;
    if (!work.checker.IsAborted() && work.checker.GetUpdate(0, &entry))
        AddGlobalFirmwareUpdate(entry);
}

CString CFWUpdateDlg::GetCheckError()
{
    CString strError;
    if (m_pWork)
        m_pWork->checker.GetErrorText(&strError);
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
    // The worker has reported: it touches nothing of the check any more.
    m_hWorker.Close();
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
    if (m_pWork)
        m_pWork->checker.Abort();
    if (m_bShown)
        OnOK();
}
