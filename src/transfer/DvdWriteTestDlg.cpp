// src/transfer/DvdWriteTestDlg.cpp
// The DVD write test: the media check and the recording set-up of Start for each recordable profile, the workers
// of the sequential recordables (DVD+R and DVD-R with their dual-layer forms) and the drive sequence that ends a run.
#include "transfer/TestPages.h"

#include "drive/CommandSet.h"
#include "drive/DriveManager.h"
#include "drive/SenseCodes.h"
#include "framework/Clock.h"
#include "transfer/DvdWriteTest.h"
#include "transfer/TestImages.h"

#include <cstdio>
#include <cstring>

namespace {

const int kBufferBytes = 64000;
const int kZeroedBytes = 60000;
const DWORD kReadyPollMs = 15000;
const int kMaxBusyRepeats = 100;
const long kStartLba = -150;

// The maker's drives with their own simulation of DVD+R writing (fictional product ids).
const char* const kVendorSimulationModels[] = {"QZ7710", "QZ7720", "QZ7730", "QZ7740", "QZ7750", "QZ7760", "QZ7770"};

CString Text(UINT nId)
{
    CString strText;
    strText.LoadString(nId);
    return strText;
}

void Report(TestWorkerState& state, int nCode, LPARAM nValue)
{
    ::SendMessage(state.hPage, WM_DVDWRITE_PROGRESS, WPARAM(nCode), nValue);
}

int64_t Counter()
{
    LARGE_INTEGER now;
    ClockQueryPerformanceCounter(&now);
    return now.QuadPart;
}

bool IsVendorSimulationModel(CDeviceRecord& record)
{
    const CString strProduct = g_pDriveManager->GetModelProductId(record);
    for (const char* pszModel : kVendorSimulationModels)
        if (strstr(strProduct, pszModel) != nullptr)
            return true;
    return false;
}

void ReadyLoop(CDeviceRecord& record)
{
    // The drive answers again once its own work is done; a drive that never does is given up after a long wait.
    const DWORD nStart = ClockGetTickCount();
    while (g_pDriveManager->TestUnitReady(record) != kExecCompleted && ClockGetTickCount() - nStart < 600000)
        ClockSleep(50);
}

// 22 bytes of SEND DISC STRUCTURE format 0x0F: the current UTC time as 14 digits.
void BuildTimeStamp(BYTE* pList)
{
    memset(pList, 0, 22);
    pList[1] = 0x14;
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    char szDigits[32];
    snprintf(szDigits, sizeof(szDigits), "%04d%02d%02d%02d%02d%02d", now.wYear % 10000, now.wMonth % 100,
             now.wDay % 100, now.wHour % 100, now.wMinute % 100, now.wSecond % 100);
    memcpy(pList + 8, szDigits, 14);
}

// 12 bytes of the layer boundary of a dual-layer disc.
void BuildLayerBoundary(BYTE* pList, DWORD nLayer0)
{
    memset(pList, 0, 12);
    pList[1] = 0x0A;
    pList[8] = BYTE(nLayer0 >> 24);
    pList[9] = BYTE(nLayer0 >> 16);
    pList[10] = BYTE(nLayer0 >> 8);
    pList[11] = BYTE(nLayer0);
}

// The timed samples shared by the sequential workers: the image in the first block, zeros after it. False when a
// write failed (the error is reported) or the run was stopped (bStopped).
bool WriteSamples(DvdWriteJob& job, int& nPercent, bool& bStopped)
{
    TestWorkerState& state = *job.pState;
    TestRunRing& ring = *state.pRing;
    CDeviceRecord& record = state.record;
    const int nRun = ring.GetCurrentRun();
    const int n = job.nSampleLength / kDvdWriteBlockSectorsSequential;
    const long nSamples = job.nSampleLength > 0 ? job.nSectorCount / job.nSampleLength : 0;
    long lba = 0;
    state.currentLba = lba;
    bStopped = false;
    for (long s = 0; s < nSamples; ++s) {
        int64_t nStart = Counter();
        for (int b = 0; b < n; ++b) {
            if (state.stop != 0) {
                bStopped = true;
                return false;
            }
            BYTE* pData = (s == 0 && b == 0) ? job.image.data() : job.zeros.data();
            ExecStatus status;
            int nBusy = 0;
            while ((status = g_pDriveManager->Write10(record, lba, kDvdWriteBlockSectorsSequential, 2048, pData)) !=
                       kExecCompleted &&
                   GetSenseCode(record) == kSenseLongWriteInProgress && ++nBusy < kMaxBusyRepeats) {
            }
            if (status != kExecCompleted) {
                Report(state, TPC_ERROR, 0);
                return false;
            }
            nPercent = (b + 1) * 100 / n;
            lba += kDvdWriteBlockSectorsSequential;
            state.currentLba = lba;
            if (b == 1)
                nStart = Counter();
        }
        if (lba < kDvdWriteSkippedBelow) {
            ring.StoreSample(int(s), SAMPLE_SKIPPED);
        } else {
            const int64_t ms = (Counter() - nStart) * 1000 / state.frequency.QuadPart;
            const uint32_t nValue = DvdWriteSampleValue(DvdWriteTimedBlocks(n), kDvdWriteBlockSectorsSequential, ms);
            ring.StoreSample(int(s), nValue);
            Report(state, TPC_SAMPLE, LPARAM(nValue));
        }
        ring.Extent(nRun).lastSample = int(s);
    }
    return true;
}

void PrepareBuffers(DvdWriteJob& job)
{
    job.image.assign(kBufferBytes, 0);
    job.zeros.assign(kBufferBytes, 0);
}

void BuildImage(DvdWriteJob& job)
{
    memset(job.image.data(), 0, kZeroedBytes);
    memset(job.zeros.data(), 0, kZeroedBytes);
    BuildDvdTestImage(job.image.data(), job.nSectorCount);
}

void ReleaseBuffers(DvdWriteJob& job)
{
    std::vector<BYTE>().swap(job.image);
    std::vector<BYTE>().swap(job.zeros);
}

void StartWorker(DvdWriteJob& job)
{
    TestWorkerState& state = *job.pState;
    PrepareBuffers(job);
    g_pDriveManager->LockMedium(state.record);
    state.pRing->Extent(state.pRing->GetCurrentRun()).blocksPerSample =
        job.nSampleLength / kDvdWriteBlockSectorsSequential;
    state.currentLba = kStartLba;
    g_pDriveManager->OpenDriveHandle(state.record);
}

} // namespace

UINT __cdecl DvdPlusRWriteTestThread(LPVOID pParam)
{
    DvdWriteJob& job = *static_cast<DvdWriteJob*>(pParam);
    TestWorkerState& state = *job.pState;
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = state.record;
    StartWorker(job);

    BuildTimeStamp(job.zeros.data());
    drive.SendDiscStructure(record, 0x0F, 22, job.zeros.data());
    if (job.nProfile == kProfileDvdPlusRDl) {
        BuildLayerBoundary(job.image.data(), 0x001FD800);
        if (drive.SendDiscStructure(record, 0x20, 12, job.image.data()) != kExecCompleted) {
            Report(state, TPC_ERROR, 0);
            ReleaseBuffers(job);
            return 0;
        }
    }
    ReadyLoop(record);
    BuildImage(job);

    int nPercent = 0;
    bool bStopped = false;
    const bool bWritten = WriteSamples(job, nPercent, bStopped);
    if (!bWritten && !bStopped) {
        ReleaseBuffers(job);
        return 0;
    }
    drive.SynchronizeCache(record, 0, 0, 0, nullptr);
    ReadyLoop(record);
    if (!job.bSimulate) {
        drive.CloseTrackSession(record, 1, 1, 1);
        drive.WaitUntilReady(record);
        drive.CloseTrackSession(record, 1, 6, 0);
        drive.WaitUntilReady(record);
    }
    ReleaseBuffers(job);
    if (bStopped) {
        Report(state, TPC_STOPPED, 2);
        return 0;
    }
    Report(state, TPC_DONE, nPercent);
    return 1;
}

UINT __cdecl DvdMinusRWriteTestThread(LPVOID pParam)
{
    DvdWriteJob& job = *static_cast<DvdWriteJob*>(pParam);
    TestWorkerState& state = *job.pState;
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = state.record;
    StartWorker(job);

    BuildTimeStamp(job.zeros.data());
    drive.SendDiscStructure(record, 0x0F, 22, job.zeros.data());
    if (job.nProfile == kProfileDvdMinusRDl) {
        BuildLayerBoundary(job.image.data(), 0x001FEF60);
        drive.SendDiscStructure(record, 0x21, 12, job.image.data());
    }
    drive.ReserveTrack(record, int(job.nSectorCount));
    ReadyLoop(record);
    BuildImage(job);

    int nPercent = 0;
    bool bStopped = false;
    const bool bWritten = WriteSamples(job, nPercent, bStopped);
    if (!bWritten && !bStopped) {
        ReleaseBuffers(job);
        return 0;
    }
    ReleaseBuffers(job);
    if (bStopped) {
        drive.SynchronizeCache(record, 0, 0, 0, nullptr);
        drive.WaitUntilReady(record);
        drive.CloseTrackSession(record, 1, 2, 0);
        ReadyLoop(record);
        Report(state, TPC_STOPPED, 0);
        return 0;
    }
    Report(state, TPC_DONE, nPercent);
    return 1;
}

int CDvdWriteTestDlg::MessageBoxText(UINT nTextId, UINT nType, const char* pszArgument)
{
    CString strText = Text(nTextId);
    if (pszArgument != nullptr) {
        CString strFormatted;
        strFormatted.Format(strText, pszArgument);
        strText = strFormatted;
    }
    return MessageBox(strText, Text(IDS_WRITE_TEST_TITLE), nType);
}

void CDvdWriteTestDlg::WaitUntilReady(DWORD nMilliseconds)
{
    const DWORD nStart = ClockGetTickCount();
    while (g_pDriveManager->TestUnitReady(m_worker.record) != kExecCompleted) {
        if (ClockGetTickCount() - nStart >= nMilliseconds)
            break;
        ClockSleep(50);
    }
}

bool CDvdWriteTestDlg::CheckMedia()
{
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = m_currentDrive;
    drive.GetDriveByLetter(record, m_currentDrive.m_nDriveLetter);
    m_job.nSectorCount = 0;
    m_job.nProfile = drive.GetDvdMediaProfile(record, TRUE);
    const int nProfile = m_job.nProfile;
    if (nProfile == 0) {
        MessageBoxText(IDS_INSERT_BLANK, MB_ICONSTOP, "DVD");
        return false;
    }
    if (!drive.IsBlankMedia(record)) {
        MessageBoxText(IDS_INSERT_BLANK, MB_ICONSTOP, "DVD");
        return false;
    }
    switch (DvdWriteWorkerForProfile(nProfile)) {
    case kDvdWorkerPlusR:
    case kDvdWorkerMinusR: {
        BYTE track[36];
        memset(track, 0, sizeof(track));
        if (drive.ReadTrackInformation(record, 0, 0, sizeof(track), track) != kExecCompleted)
            return false;
        m_job.nSectorCount =
            long((DWORD(track[16]) << 24) | (DWORD(track[17]) << 16) | (DWORD(track[18]) << 8) | track[19]);
        break;
    }
    default:
        MessageBoxText(IDS_INSERT_BLANK, MB_ICONSTOP, "DVD");
        return false;
    }
    char szId[256] = "";
    m_strDiscType.Format("%s   %s   %s", DvdProfileName(nProfile),
                         static_cast<const char*>(drive.GetDvdMediaSpeedText(record, TRUE)),
                         drive.GetDvdMediaIdText(record, szId));
    return true;
}

bool CDvdWriteTestDlg::SendWriteParameters(bool bSimulate)
{
    BYTE parameters[kDvdWriteParametersLength];
    if (!BuildDvdWriteParameters(parameters, m_job.nProfile, bSimulate))
        return false;
    if (g_pDriveManager->ModeSelect(m_currentDrive, kDvdWriteParametersLength, parameters) == kExecCompleted)
        return true;
    CString strText;
    strText.Format(Text(IDS_MODE_PAGE_ERROR), g_pDriveManager->FormatSenseMessage(m_currentDrive));
    MessageBox(strText, Text(IDS_WRITE_TEST_TITLE), MB_ICONSTOP);
    return false;
}

void CDvdWriteTestDlg::OnStart()
{
    if (g_pDriveManager == nullptr)
        return;
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = m_currentDrive;
    if (!CheckMedia())
        return;

    m_job.nSampleLength = SampleLengthFromIndex(int(m_pSettings->testEveryWrite));
    m_job.nSectorCount = DvdWriteTestLength(m_job.nSectorCount, m_job.nSampleLength, m_job.nProfile);
    m_bRunSimulate = m_pSettings->simulate != 0;
    m_job.bSimulate = m_bRunSimulate;
    AFX_THREADPROC pfnWorker = nullptr;
    switch (DvdWriteWorkerForProfile(m_job.nProfile)) {
    case kDvdWorkerPlusR:
        if (m_bRunSimulate) {
            if (IsVendorSimulationModel(record)) {
                drive.SetVendorOption(record, 1, 0, nullptr);
            } else if (MessageBoxText(IDS_SIMULATION_UNSUPPORTED, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
                drive.UnlockMedium(record);
                return;
            }
        }
        if (!SendWriteParameters(false)) {
            drive.UnlockMedium(record);
            return;
        }
        pfnWorker = &DvdPlusRWriteTestThread;
        break;
    case kDvdWorkerMinusR:
        if (!SendWriteParameters(m_bRunSimulate)) {
            drive.UnlockMedium(record);
            return;
        }
        pfnWorker = &DvdMinusRWriteTestThread;
        break;
    default:
        return;
    }
    BeginRun(pfnWorker, &m_job);
}

void CDvdWriteTestDlg::OnRunEnding(int nCode)
{
    if (g_pDriveManager == nullptr)
        return;
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = m_worker.record;
    const bool bListed = IsVendorSimulationModel(record);
    if (nCode == TPC_DONE) {
        drive.SynchronizeCache(record, 0, 0, 0, nullptr);
        ReadyLoop(record);
        drive.StartStopUnit(record, 1, 1, 1);
        drive.UnlockMedium(record);
        if (!m_bRunSimulate) {
            drive.EjectMedium(record);
            drive.LoadMedium(record);
            WaitUntilReady(kReadyPollMs);
        } else {
            drive.StartStopUnit(record, 0, 0, 0);
            drive.StartStopUnit(record, 0, 1, 1);
            drive.TestUnitReady(record);
        }
        if (bListed) {
            if (m_bRunSimulate) {
                drive.SetVendorOption(record, 2, 0, nullptr);
                ReadyLoop(record);
            }
            drive.SetVendorOption(record, 0, 0, nullptr);
        }
        return;
    }
    if (nCode == TPC_STOPPED) {
        drive.StartStopUnit(record, 1, 1, 1);
        drive.UnlockMedium(record);
        drive.EjectMedium(record);
        if (bListed) {
            drive.SetVendorOption(record, 0, 0, nullptr);
            if (m_bRunSimulate)
                drive.EjectMedium(record);
        }
        return;
    }
    drive.SynchronizeCache(record, 0, 0, 0, nullptr);
    WaitUntilReady(kReadyPollMs);
    drive.UnlockMedium(record);
    drive.EjectMedium(record);
    if (bListed)
        drive.SetVendorOption(record, 0, 0, nullptr);
}
