// src/app/MainDlgWindow.cpp
// CMainDlg as a window: Refresh, resizing with its minimum size.
#include "app/MainDlg.h"

#include "drive/DriveManager.h"

namespace {

// Below this outer size nothing is moved.
const int kMinLayoutWidth = 400;
const int kMinLayoutHeight = 300;
// The list keeps these margins to the outer size.
const int kListWidthMargin = 29;
const int kListHeightMargin = 130;

const int kLayoutButtons[4] = {IDC_SAVE, IDC_PRINT, IDC_REFRESH, IDCANCEL};
// m_buttonRatio is kept in the order Save, Print, Refresh, Exit as well.

} // namespace

// The list is emptied, the drive access closed and the whole initialisation runs again: settings, drives, the
// report, the automatic update check. The test window and its pages stay. Refresh waits while an update check
// runs (its worker walks the drive table) and cannot come during a test (the test window is modal).
void CMainDlg::OnRefresh()
{
    if (m_pUpdateDlg || m_runState.IsRunning())
        return;
    m_list.ResetContent();
    UpdateData(FALSE);
    if (g_pDriveManager != nullptr)
        g_pDriveManager->Close();
    m_bLayoutReady = 0;
    OnInitDialog();
}

// The list grows with the window; the buttons keep their share of the width and move down by what the list grew.
void CMainDlg::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (!m_bLayoutReady || m_list.m_hWnd == nullptr)
        return;
    RECT rcWindow;
    GetWindowRect(&rcWindow);
    const int nWidth = rcWindow.right - rcWindow.left;
    const int nHeight = rcWindow.bottom - rcWindow.top;
    if (nHeight < kMinLayoutHeight || nWidth < kMinLayoutWidth)
        return;
    RECT rcList;
    m_list.GetWindowRect(&rcList);
    ScreenToClient(&rcList);
    const int nOldHeight = rcList.bottom - rcList.top;
    const int nNewHeight = nHeight - kListHeightMargin;
    m_list.SetWindowPos(nullptr, rcList.left, rcList.top, nWidth - kListWidthMargin, nNewHeight, SWP_NOZORDER);
    const int nDelta = nNewHeight - nOldHeight;
    for (int i = 0; i < 4; ++i) {
        HWND hButton = GetDlgItemHwnd(kLayoutButtons[i]);
        if (hButton == nullptr)
            continue;
        RECT rcButton;
        ::GetWindowRect(hButton, &rcButton);
        ScreenToClient(&rcButton);
        const int x = static_cast<int>(nWidth * m_buttonRatio[i]);
        ::SetWindowPos(hButton, nullptr, x, rcButton.top + nDelta, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    }
}

// The window cannot be made smaller than it was when OnInitDialog last ran.
void CMainDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    if (m_bLayoutReady) {
        lpMMI->ptMinTrackSize.x = m_rcMinTrack.right - m_rcMinTrack.left;
        lpMMI->ptMinTrackSize.y = m_rcMinTrack.bottom - m_rcMinTrack.top;
    }
    Default();
}
