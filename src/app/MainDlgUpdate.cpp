// src/app/MainDlgUpdate.cpp
// CMainDlg and the firmware update check: the start from the menu or the timer, the end reported by the update
// dialog, and the close of the main window that waits for a check under way.
#include "app/MainDlg.h"

#include "update/FWUpdateDlg.h"

namespace {

const char kCaption[] = "Tavisk";
const char kAlreadyRunning[] = "Firmware update procedure is already running";
const char kNoUpdates[] = "No updates available";

} // namespace

// One check at a time: a second request while one runs is refused with a message, or silently when the automatic
// check asked for it (Refresh re-arms the timer). Refresh waits until the check has ended.
void CMainDlg::OnCheckFirmware()
{
    if (m_pUpdateDlg != nullptr) {
        if (m_nAutoFW == 0)
            MessageBox(kAlreadyRunning, kCaption, MB_ICONEXCLAMATION);
        return;
    }
    m_pUpdateDlg = std::make_unique<CFWUpdateDlg>(nullptr);
    if (!m_pUpdateDlg->Create(IDD_FWUPDATE, this)) {
        m_pUpdateDlg.reset();
        return;
    }
    ::EnableWindow(GetDlgItemHwnd(IDC_REFRESH), FALSE);
    m_pUpdateDlg->StartCheckAllDrives(&m_proxy, "", 0, m_nAutoFW != 0 ? 1 : 0, 0);
}

// (3, 1): nothing found or the check failed; (3, 0): the list was closed. The result is shown only when the user
// asked for the check (not the automatic one) and is not closing the program. The state of "check at start-up"
// becomes the setting, the settings are saved and the dialog goes; a close that waited for this goes on.
LRESULT CMainDlg::OnUpdateCheckDone(WPARAM wParam, LPARAM lParam)
{
    if (wParam != kUpdateDoneToMainDialog || m_pUpdateDlg == nullptr)
        return 0;
    if (lParam == kUpdateNothingOrFailed && m_bClosePending == 0 && m_nAutoFW == 0) {
        const CString strError = m_pUpdateDlg->GetCheckError();
        if (!strError.IsEmpty())
            MessageBox(strError, kCaption, MB_ICONEXCLAMATION);
        else
            MessageBox(kNoUpdates, kCaption, MB_ICONINFORMATION);
    }
    m_nAutoFW = m_pUpdateDlg->m_bCheckOnStartup;
    SaveSettings();
    DeleteUpdateDialog();
    ::EnableWindow(GetDlgItemHwnd(IDC_REFRESH), TRUE);
    if (m_bClosePending != 0) {
        m_bClosePending = 0;
        SendMessage(WM_CLOSE);
    }
    return 0;
}

BOOL CMainDlg::DeferCloseForUpdateCheck()
{
    if (m_pUpdateDlg == nullptr)
        return FALSE;
    m_pUpdateDlg->AbortCheck();
    m_bClosePending = 1;
    ShowWindow(SW_HIDE);
    return TRUE;
}

BOOL CMainDlg::DeleteUpdateDialog()
{
    if (m_pUpdateDlg == nullptr)
        return TRUE;
    const BOOL bWorkerEnded = m_pUpdateDlg->EndCheck();
    if (m_pUpdateDlg->m_hWnd != nullptr)
        m_pUpdateDlg->DestroyWindow();
    m_pUpdateDlg.reset();
    return bWorkerEnded;
}
