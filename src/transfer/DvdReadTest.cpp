// src/transfer/DvdReadTest.cpp
// The DVD read test on its page: the check of the inserted disc (recorded capacity, profile, layers) and the start
// of a run. The worker is DvdReadTestThread.
#include "transfer/TestPages.h"

#include "drive/DriveManager.h"
#include "resource.h"

namespace {

const int kDiscStructureLength = 100;

long Be24(const BYTE* p)
{
    return (long(p[0]) << 16) | (long(p[1]) << 8) | long(p[2]);
}

} // namespace

CDvdReadTestDlg::CDvdReadTestDlg(CWnd* pTestWindow)
    : CTestPageDlg(kTestPageDvdRead, pTestWindow), m_pRun(new ReadTestRun)
{
    m_pRun->pState = &m_worker;
}

bool CDvdReadTestDlg::CheckDisc()
{
    if (g_pDriveManager == nullptr)
        return false;
    ReadTestRun& run = *m_pRun;
    CTestGraph& graph = Graph();
    m_worker.record = m_currentDrive;
    CDeviceRecord& record = m_worker.record;
    g_pDriveManager->TestUnitReady(record);

    run.nCapacity = -1;
    graph.m_nDvdCapacity = -1;
    const long nCapacity = g_pDriveManager->GetRecordedCapacity(record);
    if (nCapacity <= 0)
        return false;
    run.nCapacity = nCapacity;
    graph.m_nDvdCapacity = nCapacity;
    RunState().SetSampleCount(nCapacity / run.nSpacing);
    const int nProfile = g_pDriveManager->GetDvdMediaProfile(record, TRUE);
    graph.m_nDvdDiscEndMb = long(int64_t(nCapacity) * 2 / 1024);
    graph.m_bDvdDualLayer = 0;

    BYTE structure[kDiscStructureLength] = {};
    if (g_pDriveManager->ReadDiscStructure(record, 0, 0, 0, kDiscStructureLength, structure) != 1)
        return false;
    if (nProfile == 0x10 || nProfile == 0x15 || nProfile == 0x2B) {
        const BYTE layers = structure[6];
        if ((layers & 0x60) != 0) {
            graph.m_bDvdDualLayer = 1;
            const long nStart = Be24(structure + 9);
            const long nLayer0End = (layers & 0x10) ? Be24(structure + 17) : Be24(structure + 13);
            graph.m_nDvdLayer0EndMb = (nLayer0End - nStart) * 2 / 1024;
        }
    }
    m_nGraphLength = int(m_pSettings->readTimeIndDvd >> 10);
    graph.m_nDvdAxisMb = m_nGraphLength;
    return true;
}

void CDvdReadTestDlg::OnStart()
{
    ReadTestRun& run = *m_pRun;
    run.bCd = false;
    run.nSpacing = SampleLengthFromIndex(int(m_pSettings->testEvery));
    run.nLength = SampleLengthFromIndex(int(m_pSettings->sampleLen));
    if (!CheckDisc()) {
        MessageBoxText(IDS_DISC_INFO_ERROR, MB_ICONERROR);
        return;
    }
    BeginRun(&DvdReadTestThread, &run, run.nCapacity);
}
