// src/app/MainDlgPreferences.cpp — CMainDlg: the Preferences command.
#include "app/MainDlg.h"

#include "app/Options.h"
#include "transfer/TestDlg.h"
#include "transfer/TestPages.h"

// Copies the settings into the sheet's pages, runs it, and after OK copies them back, saves them and lets the
// shown test page redraw with them. Cancel changes nothing. Opened from a test page, the sheet is owned by the
// visible test window, so that the test window cannot be used under it.
void CMainDlg::OnPreferences()
{
    CWnd* pOwner = this;
    if (m_pTestDlg && m_pTestDlg->m_hWnd != nullptr && m_pTestDlg->IsWindowVisible())
        pOwner = m_pTestDlg.get();
    COptions sheet("Preferences", pOwner, 0);
    sheet.SetActivePage(m_nPrefStartPage);

    const TransferRateSettings& s = m_transferRate;
    CPropTransferRate& rate = sheet.m_transferPage;
    rate.m_nSampleLen = int(s.sampleLen);
    rate.m_nTestEvery = int(s.testEvery);
    rate.m_nMaxRead = int(s.maxSpeed);
    rate.m_nCdReadLength = int(s.readTimeInd);
    rate.m_nMaxWrite = int(s.maxSpeedWrite);
    rate.m_nTestEveryWrite = int(s.testEveryWrite);
    rate.m_bSimulate = s.simulate;
    rate.m_nCdWriteLength = int(s.writeTimeInd);
    rate.m_bOverburn = s.overburn;
    rate.m_nOverburnLength = s.overburnLength;
    rate.m_nDataFormat = int(s.formatParameters);
    rate.m_nMaxDvdRead = int(s.maxSpeedDvd);
    rate.m_nDvdReadLength = int(s.readTimeIndDvd);
    rate.m_nMaxDvdWrite = int(s.maxSpeedDvdWrite);
    rate.m_nDvdWriteLength = int(m_nDvdWriteLength);
    // The edit values come back as the axis maxima even when the page is never shown.
    rate.m_nEditMaxRead = rate.m_nMaxRead;
    rate.m_nEditMaxDvdRead = rate.m_nMaxDvdRead;
    rate.m_nEditMaxWrite = rate.m_nMaxWrite;
    rate.m_nEditMaxDvdWrite = rate.m_nMaxDvdWrite;
    sheet.m_proxyPage.m_proxy = m_proxy;
    sheet.m_proxyPage.m_bAutoCheck = m_nAutoFW ? TRUE : FALSE;

    if (sheet.DoModal() != IDOK)
        return;

    TransferRateSettings& out = m_transferRate;
    out.sampleLen = DWORD(rate.m_nSampleLen);
    out.testEvery = DWORD(rate.m_nTestEvery);
    out.testEveryWrite = DWORD(rate.m_nTestEveryWrite);
    out.maxSpeed = DWORD(rate.m_nEditMaxRead);
    out.maxSpeedDvd = DWORD(rate.m_nEditMaxDvdRead);
    out.maxSpeedWrite = DWORD(rate.m_nEditMaxWrite);
    out.maxSpeedDvdWrite = DWORD(rate.m_nEditMaxDvdWrite);
    out.readTimeInd = DWORD(rate.m_nCdReadLength);
    out.readTimeIndDvd = DWORD(rate.m_nDvdReadLength);
    out.writeTimeInd = DWORD(rate.m_nCdWriteLength);
    m_nDvdWriteLength = DWORD(rate.m_nDvdWriteLength);
    if (m_pDvdWritePage)
        m_pDvdWritePage->SetGraphLength(m_nDvdWriteLength);
    out.simulate = rate.m_bSimulate;
    out.overburn = rate.m_bOverburn;
    out.formatParameters = DWORD(rate.m_nDataFormat);
    DWORD nFrames = 0;
    if (!rate.m_strOverburn.IsEmpty() && ParseOverburnText(rate.m_strOverburn, nFrames))
        out.overburnLength = nFrames;
    m_proxy = sheet.m_proxyPage.m_proxy;
    m_nAutoFW = sheet.m_proxyPage.m_bAutoCheck ? 1 : 0;
    SaveSettings();

    if (m_pTestDlg && m_pTestDlg->m_hWnd != nullptr && m_pTestDlg->IsWindowVisible() &&
        m_pTestDlg->m_pPage != nullptr && m_pTestDlg->m_pPage->m_hWnd != nullptr) {
        CDialog* pPage = m_pTestDlg->m_pPage;
        if (pPage == m_pDvdReadPage.get())
            m_pDvdReadPage->SetGraphLength();
        else
            pPage->Invalidate(TRUE);
        pPage->SetFocus();
    }
}
