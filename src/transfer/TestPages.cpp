// src/transfer/TestPages.cpp
#include "transfer/TestPages.h"

namespace {

const DWORD kDefaultMaxDvdWriteSpeed = 8;
const DWORD kDefaultMaxCdWriteSpeed = 56;

// A write page repairs its axis maximum when it is shown: outside 1..99 X it takes the default.
void RepairMaxSpeed(DWORD& nMaxSpeed, DWORD nDefault)
{
    if (nMaxSpeed < 1 || nMaxSpeed > 99)
        nMaxSpeed = nDefault;
}

} // namespace

void CDvdReadTestDlg::SetGraphLength()
{
    m_nGraphLength = int(m_pSettings->readTimeIndDvd >> 10);
    Graph().m_nDvdAxisMb = m_nGraphLength;
    if (m_hWnd != nullptr)
        Invalidate();
}

void CDvdWriteTestDlg::SetGraphLength(DWORD nLengthKB)
{
    Graph().SetAxes(Graph().MaxSpeed(), long(nLengthKB));
    if (m_hWnd != nullptr)
        Invalidate();
}

void CDvdWriteTestDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    if (bShow)
        RepairMaxSpeed(m_pSettings->maxSpeedDvdWrite, kDefaultMaxDvdWriteSpeed);
    CTestPageDlg::OnShowWindow(bShow, nStatus);
}

void CCdWriteTestDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    if (bShow)
        RepairMaxSpeed(m_pSettings->maxSpeedWrite, kDefaultMaxCdWriteSpeed);
    CTestPageDlg::OnShowWindow(bShow, nStatus);
}

ResultRunFacts CCdWriteTestDlg::RunFacts() const
{
    ResultRunFacts run = CTestPageDlg::RunFacts();
    run.bOverburn = m_pSettings->overburn != 0;
    run.nOverburnLength = long(m_pSettings->overburnLength);
    run.nFormatParameters = int(m_pSettings->formatParameters);
    return run;
}
