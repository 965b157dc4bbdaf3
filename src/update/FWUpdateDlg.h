// src/update/FWUpdateDlg.h
// CFWUpdateDlg: the modeless dialog of one firmware update check and the owner of its worker thread. The main
// dialog creates it hidden and starts the check; the worker walks the maker's drives and posts
// WM_UPDATE_CHECK_DONE (0, 0) back. With findings the dialog shows them, with a link to the maker's download page
// and the choice to check at every start; without, it stays hidden and tells the main dialog (3, 1) at once.
// Closing the list tells the main dialog (3, 0). Either way the main dialog then destroys the dialog.
#ifndef TAVISK_UPDATE_FWUPDATEDLG_H
#define TAVISK_UPDATE_FWUPDATEDLG_H

#include "controls/HyperLink.h"
#include "drive/HostAdapter.h"
#include "framework/Framework.h"
#include "framework/Handles.h"
#include "resource.h"
#include "update/UpdateChecker.h"

#include <memory>

// Worker -> update dialog (0, 0): the drive walk has ended. Update dialog -> main dialog: (3, 1) nothing was found
// or the check failed, (3, 0) the list was closed.
#ifndef WM_UPDATE_CHECK_DONE
#define WM_UPDATE_CHECK_DONE (WM_APP + 10)
#endif
const WPARAM kUpdateDoneToMainDialog = 3;
const LPARAM kUpdateNothingOrFailed = 1;
const LPARAM kUpdateListClosed = 0;

// The maker's download page behind the link.
extern const char kFirmwareDownloadUrl[];

// What one check's worker uses: its checker, the copy of the drive list it walks, the drive of a single-drive check
// and the window it reports to. The dialog and its worker share it and the last of the two to let go deletes it, so
// a worker that outlives the dialog's wait for it still has everything it uses.
struct UpdateCheckWork {
    UpdateCheckWork(const ProxySettings* pProxy, const CString& strText) : checker(pProxy, strText) {}
    UpdateCheckWork(const UpdateCheckWork&) = delete;
    UpdateCheckWork& operator=(const UpdateCheckWork&) = delete;

    CUpdateChecker checker;
    CHostAdapterArray drives;        // the walk's own copy of the drive list; the findings point into it
    CDeviceRecord* pDrive = nullptr; // the drive of a single-drive check
    HWND hWndReport = nullptr;       // the dialog: the worker posts its report here
};

// The seam under the dialog's wait for its worker when the dialog goes or starts another check; the default waits
// on the thread's handle.
struct UpdateDialogHooks {
    DWORD (*pfnWaitForWorker)(HANDLE hThread, DWORD dwMilliseconds);
};

// Installs a table (kept by pointer); null restores the real wait. Returns the table that was in use.
const UpdateDialogHooks* SetUpdateDialogHooks(const UpdateDialogHooks* pHooks);

class CFWUpdateDlg : public CDialog {
public:
    enum {
        IDD = IDD_FWUPDATE
    };

    explicit CFWUpdateDlg(CWnd* pParent = nullptr);
    // Ends the check, then empties g_arrUpdates: a worker still running is aborted and waited for a while; one that
    // runs on all the same keeps its share of what it uses and lets go of it when it ends.
    ~CFWUpdateDlg() override;

    BOOL OnInitDialog() override;

    // Starts a check of all the maker's drives on a worker thread. The proxy settings are copied; strText goes to the
    // checker; bAutoCheck is the starting state of "check at start-up"; bFlag1 and bFlag2 are kept only.
    void StartCheckAllDrives(const ProxySettings* pProxy, const CString& strText, BYTE bFlag1, BYTE bAutoCheck,
                             BYTE bFlag2);
    // The same for one drive (nothing in the program starts it); its report is ignored by the dialog.
    void StartCheckOneDrive(CDeviceRecord* pDrive, const ProxySettings* pProxy, const CString& strText, BYTE bFlag1,
                            BYTE bAutoCheck, BYTE bFlag2);
    // The main window is closing: stop the worker; a list on screen is closed as by OK.
    void AbortCheck();
    // Ends a worker that still runs: it is aborted and waited for a while. TRUE when no worker runs any more; FALSE
    // when the wait gave up and the worker runs on (held up in a drive command): it keeps its share of the work,
    // but what else it uses (the drive manager) must stay. The dialog's destructor calls it as well.
    BOOL EndCheck();
    // The checker's error text (its own, then the HTTP client's).
    CString GetCheckError();

    // The worker's part (run on the worker thread), on what the worker was given.
    static void CheckAllDrives(UpdateCheckWork& work);
    static void CheckOneDrive(UpdateCheckWork& work);
    BOOL FillUpdateList();

    BOOL IsShown() const { return m_bShown; }

    BEGIN_MSG_MAP(CFWUpdateDlg)
    ON_MESSAGE(WM_UPDATE_CHECK_DONE, OnCheckFinished)
    ON_BN_CLICKED(IDC_FWUPDATE_AUTOCHECK, OnCheckOnStartup)
    END_MSG_MAP()

    BYTE m_bCheckOnStartup; // the check box: read by the main dialog as its new "AutoFW"

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT OnCheckFinished(WPARAM wParam, LPARAM lParam);
    void OnCheckOnStartup();

private:
    void StartWorker(AFX_THREADPROC pfnWorker, const ProxySettings* pProxy, const CString& strText, BYTE bFlag1,
                     BYTE bAutoCheck, BYTE bFlag2);
    void ReportToMainDialog(LPARAM lResult);
    static UINT __cdecl CheckAllDrivesThread(LPVOID pParam);
    static UINT __cdecl CheckOneDriveThread(LPVOID pParam);

    HWND m_hWndSelf;                          // the worker posts here
    std::shared_ptr<UpdateCheckWork> m_pWork; // the check under way or ended, shared with its worker
    BOOL m_bShown;
    CDeviceRecord* m_pDrive;
    CHyperLink m_link;
    CListCtrl m_list;
    CButton m_okButton;
    CButton m_checkBox;
    BYTE m_bFlag1;
    BYTE m_bFlag2;
    CHandleOwner m_hWorker; // the worker thread while it may still run (the thread object deletes itself)
    BOOL m_bReported;       // the main dialog has been told: once is enough
};

#endif
