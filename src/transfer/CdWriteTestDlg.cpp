// src/transfer/CdWriteTestDlg.cpp
// The CD write test: the media check and the recording set-up of Start, the worker that writes the pregap and the
// timed samples of a Session-At-Once recording, and the drive sequence that ends a run.
#include "transfer/TestPages.h"

#include "drive/CommandSet.h"
#include "drive/DriveManager.h"
#include "drive/SenseCodes.h"
#include "framework/Clock.h"
#include "transfer/TestImages.h"
#include "transfer/WriterModels.h"

#include <cstring>

namespace {

const int kBufferBytes = 65536;
const long kMinimumTotal = 300;
const int kMaxBusyRepeats = 100;

void Report(TestWorkerState& state, int nCode, LPARAM nValue)
{
    ::SendMessage(state.hPage, WM_TEST_PROGRESS, WPARAM(nCode), nValue);
}

} // namespace

CCdWriteTestDlg::CCdWriteTestDlg(CWnd* pTestWindow) : CTestPageDlg(kTestPageCdWrite, pTestWindow)
{
    BuildCdCueSheet(m_mode1Sheet, true);
    BuildCdCueSheet(m_cddaSheet, false);
    m_job.pState = &m_worker;
}

bool CCdWriteTestDlg::EjectsAfterSimulation()
{
    return ContainsModelNumber(g_pDriveManager->GetModelProductId(m_worker.record), g_CdEjectAfterSimulationModels);
}

bool CCdWriteTestDlg::CheckMedia()
{
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = m_currentDrive;
    drive.GetDriveByLetter(record, m_currentDrive.m_nDriveLetter);
    drive.TestUnitReady(record);
    m_job.nTotalSectors = -1;
    m_job.nTestLength = -1;

    BYTE atip[804];
    memset(atip, 0, sizeof(atip));
    if (drive.ReadTocPmaAtip(record, 4, 0, sizeof(atip), atip) != kExecCompleted)
        return false;
    const long nAtipTotal = (long(atip[12]) * 60 + atip[13]) * 75 + atip[14];

    BYTE capacity[8];
    memset(capacity, 0, sizeof(capacity));
    if (drive.ReadCapacity(record, capacity) != kExecCompleted)
        return false;
    const long nCapacity =
        long((DWORD(capacity[0]) << 24) | (DWORD(capacity[1]) << 16) | (DWORD(capacity[2]) << 8) | capacity[3]) + 1;
    const bool bBlank = nCapacity == 1 || (nCapacity == -150 && (capacity[6] & 0x20) == 0);
    if (!bBlank) {
        BYTE info[4];
        memset(info, 0, sizeof(info));
        if (drive.ReadDiscInfo(record, sizeof(info), info) == kExecCompleted && (info[2] & 0x10) != 0 &&
            MessageBoxText(IDS_ERASE_AND_CONTINUE, MB_YESNO | MB_ICONEXCLAMATION, "CD-RW") == IDYES) {
            m_bErasePending = 1;
            return false;
        }
        MessageBoxText(IDS_NO_BLANK_CD, MB_ICONSTOP);
        return false;
    }

    BYTE track[28];
    memset(track, 0, sizeof(track));
    if (drive.ReadTrackInformation(record, 1, 0xFF, sizeof(track), track) != kExecCompleted)
        return false;
    if (m_pSettings->overburn != 0) {
        m_job.nTotalSectors = long(m_pSettings->overburnLength);
    } else {
        if (nAtipTotal < kMinimumTotal)
            return false;
        // The lead-out follows the test length by 150 frames; the ATIP gives its last possible start.
        m_job.nTotalSectors = nAtipTotal - kCdWritePregapSectors;
    }

    char szFull[256] = "", szBrand[256] = "", szDetail[256] = "";
    LONG nValue = 0;
    drive.GetDiscManufacturer(record, szFull, &nValue, szBrand, szDetail);
    if (strlen(szBrand) > 20) {
        szBrand[16] = '\0';
        m_strDiscMaker.Format("%s. %s", szBrand, szDetail);
    } else {
        m_strDiscMaker = szFull;
    }
    return true;
}

// Start: the disc checked (a non-blank CD-RW the user agreed to erase is blanked first), the drive checked, the
// test write chosen, the write parameters and the cue sheet sent, then the run. A step that ends the start has told
// the user; the medium is unlocked again unless a blank was begun.
void CCdWriteTestDlg::OnStart()
{
    if (g_pDriveManager == nullptr)
        return;
    Graph().m_nPlannedEnd = -1; // until the checks have passed
    g_pDriveManager->LockMedium(m_currentDrive);
    if (!CheckMedia()) {
        EraseOrRelease();
        return;
    }
    if (!CheckWriter() || !ChooseTestWrite() || !SendWriteParameters() || !SendCueSheet()) {
        g_pDriveManager->UnlockMedium(m_currentDrive);
        return;
    }
    BeginWriteRun();
}

// After a failed media check: the disc the user agreed to erase is blanked and the erase poll starts the test
// again once the drive is ready; otherwise the user hears of the failure and the medium is unlocked.
void CCdWriteTestDlg::EraseOrRelease()
{
    CDriveManager& drive = *g_pDriveManager;
    if (m_bErasePending) {
        drive.Blank(m_currentDrive, 0, 1);
        BeginErasePoll();
    } else {
        MessageBoxText(IDS_DISC_INFO_ERROR, MB_ICONSTOP);
        drive.UnlockMedium(m_currentDrive);
    }
}

bool CCdWriteTestDlg::CheckWriter()
{
    if (g_pDriveManager->IsWriter(m_currentDrive))
        return true;
    MessageBoxText(IDS_NOT_A_WRITER, MB_ICONSTOP);
    return false;
}

// The run simulates as the settings say. Test write: bit 2 of page 0x2A byte 3, the page found where its answer
// form puts it. Without it the run writes for real when the user agrees; false when the user declines.
bool CCdWriteTestDlg::ChooseTestWrite()
{
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = m_currentDrive;
    BYTE capabilities[36];
    memset(capabilities, 0, sizeof(capabilities));
    size_t nPage = 12;
    if (drive.GetModelInfoFlag(record)) {
        drive.ModeSense(record, 0x2A, sizeof(capabilities), capabilities);
    } else {
        drive.ModeSense10(record, 0x2A, sizeof(capabilities), capabilities);
        nPage = 8 + ((size_t(capabilities[6]) << 8) | capabilities[7]);
    }
    const bool bTestWrite = nPage + 3 < sizeof(capabilities) && (capabilities[nPage] & 0x3F) == 0x2A &&
                            (capabilities[nPage + 3] & 0x04) != 0;
    m_bRunSimulate = m_pSettings->simulate != 0;
    if (m_bRunSimulate && !bTestWrite) {
        if (MessageBoxText(IDS_SIMULATION_UNSUPPORTED, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return false;
        m_bRunSimulate = false;
    }
    return true;
}

// The write-parameters page: the test-write choice, BUFE as page 5 has it, the format of the settings. False
// (after telling the user) when the drive refuses it.
bool CCdWriteTestDlg::SendWriteParameters()
{
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = m_currentDrive;
    BYTE page5[64];
    memset(page5, 0, sizeof(page5));
    drive.ModeSense(record, 0x05, sizeof(page5), page5);
    const bool bBufe = (page5[14] & 0x40) != 0;

    m_job.bMode1 = m_pSettings->formatParameters != kFormatCdDa;
    BuildCdWriteParameters(m_writeParameters, m_bRunSimulate, bBufe, m_job.bMode1);
    if (drive.ModeSelect(record, kCdWriteParametersLength, m_writeParameters) == kExecCompleted)
        return true;
    MessageBoxText(IDS_MODE_PAGE_ERROR, MB_ICONSTOP, drive.FormatSenseMessage(record));
    return false;
}

// The test length from the settings, the cue sheet of the format with the lead-out after it, sent after the write
// parameters once more. False (after telling the user) when the drive refuses the cue sheet.
bool CCdWriteTestDlg::SendCueSheet()
{
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = m_currentDrive;
    m_job.nSampleLength = SampleLengthFromIndex(int(m_pSettings->testEveryWrite));
    m_job.nTestLength = CdWriteTestLength(m_job.nTotalSectors, m_job.nSampleLength);
    CueSheetEntry(&sheet)[kCueSheetEntries] = m_job.bMode1 ? m_mode1Sheet : m_cddaSheet;
    SetCueSheetLeadOut(sheet, m_job.nTestLength);
    drive.ModeSelect(record, kCdWriteParametersLength, m_writeParameters);
    if (drive.SendCueSheet(record, kCueSheetBytes, reinterpret_cast<BYTE*>(sheet)) == kExecCompleted)
        return true;
    MessageBoxText(IDS_CUE_SHEET_ERROR, MB_ICONSTOP);
    return false;
}

// The address labels emptied; the worker starts at the pregap with the drive handle open.
void CCdWriteTestDlg::BeginWriteRun()
{
    m_msfValue.SetText("");
    m_lbaValue.SetText("");
    RunState().SetCurrentAddress(-kCdWritePregapSectors);
    g_pDriveManager->OpenDriveHandle(m_currentDrive);
    BeginRun(&CdWriteTestThread, &m_job, m_job.nTestLength);
}

// The run ends when the drive has written everything (SYNCHRONIZE CACHE): the end tick is taken there, before the
// waits for the drive and the tray. A real recording is ejected and loaded again, so that the drive reads the new
// disc; a test write only stops and starts the disc. A run that did not finish opens the tray unless it only
// simulated; the listed models open it after a test write too (after the results of a finished one), and after an
// error once more.
bool CCdWriteTestDlg::OnRunEnding(int nCode)
{
    if (g_pDriveManager == nullptr)
        return true;
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = m_worker.record;
    drive.SynchronizeCache(record, 0, 0, 0, nullptr);
    if (nCode != TPC_ERROR)
        m_worker.endTick = ClockGetTickCount();
    WaitForReadyDrive(record, kEndReadyLimitMs, kEndReadyPauseMs);
    drive.StartStopUnit(record, 1, 1, 1);
    drive.UnlockMedium(record);
    switch (nCode) {
    case TPC_DONE:
        if (!m_bRunSimulate) {
            drive.EjectMedium(record);
            drive.LoadMedium(record);
            WaitForReadyDrive(record, kEndReadyLimitMs, kEndReadyPauseMs);
        } else {
            drive.StartStopUnit(record, 0, 0, 0);
            drive.StartStopUnit(record, 0, 1, 1);
            drive.TestUnitReady(record);
        }
        break;
    case TPC_STOPPED:
        if (!m_bRunSimulate || EjectsAfterSimulation())
            drive.EjectMedium(record);
        break;
    default:
        if (!m_bRunSimulate)
            drive.EjectMedium(record);
        if (EjectsAfterSimulation())
            drive.EjectMedium(record);
        break;
    }
    return true;
}

void CCdWriteTestDlg::OnRunEnded(int nCode)
{
    if (g_pDriveManager != nullptr && nCode == TPC_DONE && m_bRunSimulate && EjectsAfterSimulation())
        g_pDriveManager->EjectMedium(m_worker.record);
}

UINT __cdecl CdWriteTestThread(LPVOID pParam)
{
    CdWriteJob& job = *static_cast<CdWriteJob*>(pParam);
    TestWorkerState& state = *job.pState;
    CTestRunState& runState = state.RunState();
    TestRunRing& ring = *state.pRing;
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = state.record;

    job.image.assign(kBufferBytes, 0);
    job.zeros.assign(kBufferBytes, 0);
    drive.LockMedium(record);
    const int nRun = ring.GetCurrentRun();
    const int n = job.nSampleLength / kCdWriteBlockSectors;
    const long nSamples = job.nSampleLength > 0 ? job.nTestLength / job.nSampleLength : 0;
    ring.Extent(nRun).blocksPerSample = n;
    if (job.bMode1)
        BuildMode1TestImage(job.image.data());
    else
        BuildCddaTestPattern(job.image.data());

    long lba = -kCdWritePregapSectors;
    for (int i = 0; i < 10; ++i, lba += 15) {
        runState.SetCurrentAddress(lba);
        if (drive.Write10(record, lba, 15, kCdRawSectorBytes, job.zeros.data()) != kExecCompleted) {
            Report(state, TPC_ERROR, 0);
            return 0;
        }
    }

    lba = 0;
    runState.SetCurrentAddress(lba);
    int nPercent = 0;
    for (long s = 0; s < nSamples; ++s) {
        int64_t nStart = 0;
        for (int b = 0; b < n; ++b) {
            if (runState.IsStopRequested()) {
                Report(state, TPC_PERCENT, nPercent);
                Report(state, TPC_STOPPED, 0);
                return 0;
            }
            BYTE* pData = (s == 0 && b == 0) || !job.bMode1 ? job.image.data() : job.zeros.data();
            // A drive still busy with a long write gets the block again (the transport has already waited).
            ExecStatus status;
            int nBusy = 0;
            while ((status = drive.Write10(record, lba, kCdWriteBlockSectors, kCdRawSectorBytes, pData)) !=
                       kExecCompleted &&
                   GetSenseCode(record) == kSenseLongWriteInProgress && ++nBusy < kMaxBusyRepeats) {
            }
            if (status != kExecCompleted) {
                Report(state, TPC_ERROR, 0);
                return 0;
            }
            nPercent = (b + 1) * 100 / n;
            lba += kCdWriteBlockSectors;
            runState.SetCurrentAddress(lba);
            Report(state, TPC_PERCENT, nPercent);
            if (b == 0 || (s == 0 && b == kCdWriteFillBlocks && n > kCdWriteFillBlocks))
                nStart = ClockPerformanceCount();
        }
        const int64_t nEnd = ClockPerformanceCount();
        const uint32_t nValue = CdWriteSampleValue(CdWriteTimedBlocks(n, s == 0), state.ElapsedMs(nStart, nEnd));
        ring.StoreSample(int(s), nValue);
        ring.Extent(nRun).lastSample = int(s);
        Report(state, TPC_SAMPLE, LPARAM(nValue));
    }
    Report(state, TPC_PERCENT, nPercent);
    Report(state, TPC_DONE, nPercent);
    return 1;
}
