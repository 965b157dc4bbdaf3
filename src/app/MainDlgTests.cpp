// src/app/MainDlgTests.cpp
// CMainDlg and the transfer-rate tests: the test window and its four pages (made once, deleted with the dialog),
// the test window's drive and kind notices, Show Functions, and the page swap when the medium of the shown drive
// changes.
#include "app/MainDlg.h"

#include "drive/DriveManager.h"
#include "transfer/TestDlg.h"
#include "transfer/TestPages.h"

#include <dbt.h>

// The test window, then the pages (CD read, DVD read, CD write, DVD write), each with the shared integers and the
// settings; each page's window is made with the main dialog as parent until the test window takes it.
void CMainDlg::CreateTestWindows()
{
    m_pTestDlg = new CTestDlg(this);
    m_pTestDlg->m_pTestRunning = &m_nTestRunning;
    m_pCdReadPage = new CCdReadTestDlg(m_pTestDlg);
    m_pDvdReadPage = new CDvdReadTestDlg(m_pTestDlg);
    m_pCdWritePage = new CCdWriteTestDlg(m_pTestDlg);
    m_pDvdWritePage = new CDvdWriteTestDlg(m_pTestDlg);
    CTestPageDlg* pages[] = {m_pCdReadPage, m_pDvdReadPage, m_pCdWritePage, m_pDvdWritePage};
    for (CTestPageDlg* pPage : pages) {
        pPage->SetSharedState(&m_nTestRunning, &m_nPrefStartPage, &m_transferRate);
        pPage->Create(pPage->Traits().nIDTemplate, this);
    }
}

// The pages in the order CD read, CD write, DVD read, DVD write, then the test window.
void CMainDlg::DeleteTestWindows()
{
    delete m_pCdReadPage;
    m_pCdReadPage = NULL;
    delete m_pCdWritePage;
    m_pCdWritePage = NULL;
    delete m_pDvdReadPage;
    m_pDvdReadPage = NULL;
    delete m_pDvdWritePage;
    m_pDvdWritePage = NULL;
    delete m_pTestDlg;
    m_pTestDlg = NULL;
}

// The page for the current drive's medium and the test kind: a DVD medium takes the DVD pages, anything else the
// CD pages. The page shown before is hidden and let go when another one takes its place.
void CMainDlg::ShowPageForMedium()
{
    if (m_pTestDlg == NULL)
        return;
    CDialog* pOldPage = m_pTestDlg->m_pPage;
    const bool bDvd = g_pDriveManager != NULL && g_pDriveManager->GetDvdMediaProfile(m_currentDrive, 0) != 0;
    CDialog* pNewPage = pOldPage;
    if (m_nTestKind == 0)
        pNewPage = bDvd ? static_cast<CDialog*>(m_pDvdReadPage) : m_pCdReadPage;
    else if (m_nTestKind == 1)
        pNewPage = bDvd ? static_cast<CDialog*>(m_pDvdWritePage) : m_pCdWritePage;
    SwapTestPage(pOldPage, pNewPage);
}

void CMainDlg::SwapTestPage(CDialog* pOldPage, CDialog* pNewPage)
{
    m_pTestDlg->m_pPage = pNewPage;
    m_pTestDlg->ShowTestPage();
    if (pOldPage != NULL && pOldPage != pNewPage && pOldPage->m_hWnd != NULL) {
        pOldPage->ShowWindow(SW_HIDE);
        pOldPage->SetParent(NULL);
    }
}

LRESULT CMainDlg::OnTestDriveChanged(WPARAM, LPARAM)
{
    if (m_pTestDlg == NULL)
        return 0;
    m_currentDrive = m_pTestDlg->m_chosenDrive;
    CTestPageDlg* pages[] = {m_pCdReadPage, m_pDvdReadPage, m_pCdWritePage, m_pDvdWritePage};
    for (CTestPageDlg* pPage : pages)
        if (pPage != NULL)
            pPage->m_currentDrive = m_currentDrive;
    ShowPageForMedium();
    return 0;
}

// Also sent by the test window when a run has ended, so that a swap held back during the run happens.
LRESULT CMainDlg::OnTestKindChanged(WPARAM, LPARAM)
{
    if (m_pTestDlg == NULL)
        return 0;
    m_nTestKind = m_pTestDlg->m_nTestKind;
    ShowPageForMedium();
    return 0;
}

// The test window runs modally; afterwards Preferences from the menu opens on the proxy page again.
void CMainDlg::OnShowFunctions()
{
    if (m_pTestDlg == NULL)
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
    if (pHeader == NULL || pHeader->dbch_devicetype != DBT_DEVTYP_VOLUME || g_pDriveManager == NULL)
        return 0;
    const DWORD nUnitMask = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(dwData)->dbcv_unitmask;
    for (int i = 0; i < 32; ++i) {
        if ((nUnitMask & (1u << i)) == 0)
            continue;
        CDeviceRecord record = g_pDriveManager->GetDriveByLetter(i);
        if (m_pTestDlg == NULL || m_pTestDlg->m_hWnd == NULL || !m_pTestDlg->IsWindowVisible() ||
            record.m_nDriveLetter != m_currentDrive.m_nDriveLetter || m_nTestRunning != 0)
            continue;
        const bool bDvd = g_pDriveManager->GetDvdMediaProfile(record, 0) != 0;
        CDialog* pShown = m_pTestDlg->m_pPage;
        CDialog* pNewPage = NULL;
        if (!bDvd && pShown == m_pDvdReadPage)
            pNewPage = m_pCdReadPage;
        else if (!bDvd && pShown == m_pDvdWritePage)
            pNewPage = m_pCdWritePage;
        else if (bDvd && pShown == m_pCdReadPage)
            pNewPage = m_pDvdReadPage;
        else if (bDvd && pShown == m_pCdWritePage)
            pNewPage = m_pDvdWritePage;
        if (pNewPage != NULL)
            SwapTestPage(pShown, pNewPage);
    }
    return 0;
}
