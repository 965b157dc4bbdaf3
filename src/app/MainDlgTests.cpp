// src/app/MainDlgTests.cpp
// CMainDlg and the transfer-rate tests: the test window and its four pages (made once, deleted with the dialog),
// the test window's drive and kind notices, Show Functions, and the page swap when the medium of the shown drive
// changes.
#include "app/MainDlg.h"

#include "drive/DriveManager.h"
#include "transfer/TestDlg.h"
#include "transfer/TestPages.h"

#include <dbt.h>

// The test window, then the pages (CD read, DVD read, CD write, DVD write), each with the run state, the
// Preferences start page and the settings; each page's window is made with the main dialog as parent until the
// test window takes it.
void CMainDlg::CreateTestWindows()
{
    m_pTestDlg = std::make_unique<CTestDlg>(this, m_runState);
    m_pCdReadPage = std::make_unique<CCdReadTestDlg>(m_pTestDlg.get());
    m_pDvdReadPage = std::make_unique<CDvdReadTestDlg>(m_pTestDlg.get());
    m_pCdWritePage = std::make_unique<CCdWriteTestDlg>(m_pTestDlg.get());
    m_pDvdWritePage = std::make_unique<CDvdWriteTestDlg>(m_pTestDlg.get());
    for (CTestPageDlg* pPage : TestPages()) {
        pPage->SetSharedState(m_runState, &m_nPrefStartPage, &m_transferRate);
        pPage->Create(pPage->Traits().nIDTemplate, this);
    }
}

CMainDlg::TestPageList CMainDlg::TestPages() const
{
    return {m_pCdReadPage.get(), m_pDvdReadPage.get(), m_pCdWritePage.get(), m_pDvdWritePage.get()};
}

// The pages in the order CD read, CD write, DVD read, DVD write, then the test window.
void CMainDlg::DeleteTestWindows()
{
    m_pCdReadPage.reset();
    m_pCdWritePage.reset();
    m_pDvdReadPage.reset();
    m_pDvdWritePage.reset();
    m_pTestDlg.reset();
}

// The page for the current drive's medium and the test kind: a DVD medium takes the DVD pages, anything else the
// CD pages. The page shown before is hidden and let go when another one takes its place.
void CMainDlg::ShowPageForMedium()
{
    if (!m_pTestDlg)
        return;
    CDialog* pOldPage = m_pTestDlg->m_pPage;
    const bool bDvd = g_pDriveManager != nullptr && g_pDriveManager->GetDvdMediaProfile(m_currentDrive, 0) != 0;
    CDialog* pNewPage = pOldPage;
    if (m_nTestKind == 0)
        pNewPage = bDvd ? static_cast<CDialog*>(m_pDvdReadPage.get()) : m_pCdReadPage.get();
    else if (m_nTestKind == 1)
        pNewPage = bDvd ? static_cast<CDialog*>(m_pDvdWritePage.get()) : m_pCdWritePage.get();
    SwapTestPage(pOldPage, pNewPage);
}

void CMainDlg::SwapTestPage(CDialog* pOldPage, CDialog* pNewPage)
{
    m_pTestDlg->m_pPage = pNewPage;
    m_pTestDlg->ShowTestPage();
    if (pOldPage != nullptr && pOldPage != pNewPage && pOldPage->m_hWnd != nullptr) {
        pOldPage->ShowWindow(SW_HIDE);
        pOldPage->SetParent(nullptr);
    }
}

LRESULT CMainDlg::OnTestDriveChanged(WPARAM, LPARAM)
{
    if (!m_pTestDlg)
        return 0;
    m_currentDrive = m_pTestDlg->m_chosenDrive;
    for (CTestPageDlg* pPage : TestPages())
        if (pPage != nullptr)
            pPage->m_currentDrive = m_currentDrive;
    ShowPageForMedium();
    return 0;
}

// Also sent by the test window when a run has ended, so that a swap held back during the run happens.
LRESULT CMainDlg::OnTestKindChanged(WPARAM, LPARAM)
{
    if (!m_pTestDlg)
        return 0;
    m_nTestKind = m_pTestDlg->m_nTestKind;
    ShowPageForMedium();
    return 0;
}

// The test window runs modally; afterwards Preferences from the menu opens on the proxy page again.
void CMainDlg::OnShowFunctions()
{
    if (!m_pTestDlg)
        return;
    m_pTestDlg->DoModal();
    m_nPrefStartPage = 0;
}

// A volume arrived or left. When it is the drive the visible test window shows, a CD page gives way to its DVD
// twin when a DVD is in, and a DVD page to its CD twin when none is. While a run is going on nothing is swapped
// (the running page would be hidden with its Stop button); the test window's notice at the end of the run
// brings the swap.
BOOL CMainDlg::OnDeviceChange(UINT nEventType, DWORD_PTR dwData)
{
    if (nEventType != DBT_DEVICEARRIVAL && nEventType != DBT_DEVICEREMOVECOMPLETE)
        return 0;
    const DEV_BROADCAST_HDR* pHeader = reinterpret_cast<const DEV_BROADCAST_HDR*>(dwData);
    if (pHeader == nullptr || pHeader->dbch_devicetype != DBT_DEVTYP_VOLUME || g_pDriveManager == nullptr)
        return 0;
    const DWORD nUnitMask = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(dwData)->dbcv_unitmask;
    for (int i = 0; i < 32; ++i) {
        if ((nUnitMask & (1u << i)) == 0)
            continue;
        CDeviceRecord record = g_pDriveManager->GetDriveByLetter(i);
        if (!m_pTestDlg || m_pTestDlg->m_hWnd == nullptr || !m_pTestDlg->IsWindowVisible() ||
            record.m_nDriveLetter != m_currentDrive.m_nDriveLetter || m_runState.IsRunning())
            continue;
        const bool bDvd = g_pDriveManager->GetDvdMediaProfile(record, 0) != 0;
        CDialog* pShown = m_pTestDlg->m_pPage;
        CDialog* pNewPage = nullptr;
        if (!bDvd && pShown == m_pDvdReadPage.get())
            pNewPage = m_pCdReadPage.get();
        else if (!bDvd && pShown == m_pDvdWritePage.get())
            pNewPage = m_pCdWritePage.get();
        else if (bDvd && pShown == m_pCdReadPage.get())
            pNewPage = m_pDvdReadPage.get();
        else if (bDvd && pShown == m_pCdWritePage.get())
            pNewPage = m_pDvdWritePage.get();
        if (pNewPage != nullptr)
            SwapTestPage(pShown, pNewPage);
    }
    return 0;
}
