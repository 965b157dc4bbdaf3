// src/transfer/CdReadTest.cpp
// The CD read test on its page: the check of the inserted disc (READ CAPACITY, and READ TOC for the kind of the
// first track), the read command chosen by disc and model, and the start of a run. The worker is CdReadTestThread.
#include "transfer/TestPages.h"

#include "drive/DriveManager.h"
#include "framework/WindowsVersion.h"
#include "resource.h"

namespace {

const int kTocLength = 804;

// Models whose vendor audio read is not used behind USB under Windows 95, 98 and Me.
const char* const kNoVendorReadOnUsb9x[] = {"QZ5200", "QZ5240"};

} // namespace

CCdReadTestDlg::CCdReadTestDlg(CWnd* pTestWindow) : CTestPageDlg(kTestPageCdRead, pTestWindow), m_pRun(new ReadTestRun)
{
    m_pRun->pState = &m_worker;
    m_pRun->bCd = true;
}

bool CCdReadTestDlg::CheckDisc()
{
    if (g_pDriveManager == nullptr)
        return false;
    ReadTestRun& run = *m_pRun;
    m_worker.record = m_currentDrive;
    CDeviceRecord& record = m_worker.record;
    g_pDriveManager->TestUnitReady(record);

    run.nCapacity = -1;
    BYTE capacity[8] = {};
    if (g_pDriveManager->ReadCapacity(record, capacity) != 1)
        return false;
    const long nLastLba =
        long((DWORD(capacity[0]) << 24) | (DWORD(capacity[1]) << 16) | (DWORD(capacity[2]) << 8) | DWORD(capacity[3]));
    run.nCapacity = nLastLba < 0 ? 0 : nLastLba + 1;
    RunState().SetSampleCount(run.nCapacity / run.nSpacing);

    run.nAudio = -1;
    BYTE toc[kTocLength] = {};
    if (g_pDriveManager->ReadToc(record, 0, kTocLength, toc) != 1)
        return false;
    run.nAudio = (toc[5] & 0x04) == 0 ? 1 : 0;
    return true;
}

BYTE CCdReadTestDlg::VendorReadFlag()
{
    CDeviceRecord& record = m_worker.record;
    BYTE bFlag = g_pDriveManager->GetModelInfoFlag(record);
    if (bFlag == 0 || record.m_nBusType != kBusTypeUsb || !AfxIsWin9xPlatform())
        return bFlag;
    const CString strProduct = g_pDriveManager->GetModelProductId(record);
    for (const char* pszModel : kNoVendorReadOnUsb9x)
        if (strProduct.Find(pszModel) >= 0)
            return 0;
    return bFlag;
}

void CCdReadTestDlg::OnStart()
{
    ReadTestRun& run = *m_pRun;
    run.nSpacing = SampleLengthFromIndex(int(m_pSettings->testEvery));
    run.nLength = SampleLengthFromIndex(int(m_pSettings->sampleLen));
    if (!CheckDisc()) {
        MessageBoxText(IDS_DISC_INFO_ERROR, MB_ICONERROR);
        return;
    }
    run.bVendorRead = VendorReadFlag();

    // The marker at the end of the tested area stays until the page is initialised again.
    const long nSamples = RunState().SampleCount();
    CTestGraph& graph = Graph();
    graph.m_bCdStarted = 1;
    graph.m_nCdSampleCount = nSamples;
    graph.m_nCdSpacing = run.nSpacing;
    graph.m_nCdLength = run.nLength;
    BeginRun(&CdReadTestThread, &run, (nSamples - 1) * run.nSpacing + run.nLength);
}
