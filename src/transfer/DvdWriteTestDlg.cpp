// src/transfer/DvdWriteTestDlg.cpp
// The DVD write test: the media check and the recording set-up of Start for each recordable profile, the erase of
// a used DVD-RW before the test, the five workers (DVD+R and DVD-R with their dual-layer forms, DVD+RW, DVD-RW and
// DVD-RAM) and the drive sequence that ends a run.
#include "transfer/TestPages.h"

#include "drive/CommandSet.h"
#include "drive/DriveManager.h"
#include "drive/SenseCodes.h"
#include "framework/Clock.h"
#include "transfer/DvdWriteTest.h"
#include "transfer/TestImages.h"
#include "transfer/WriterModels.h"

#include <cstdio>
#include <cstring>

namespace {

const int kBufferBytes = 32 * 2048;
const DWORD kReadyLimitMs = 120000;
const DWORD kReadyLoopPauseMs = 250;
const int kMaxBusyRepeats = 100;
const long kStartLba = -150;
const int kPlusRwFormatListLength = 12;

void Report(TestWorkerState& state, int nCode, LPARAM nValue)
{
    ::SendMessage(state.hPage, WM_DVDWRITE_PROGRESS, WPARAM(nCode), nValue);
}

// The drive's own product identification names a model of the family.
bool IsVendorSimulationModel(const CDeviceRecord& record)
{
    return ContainsModelNumber(record.m_szProduct, g_DvdPlusRSimulationModels);
}

// The drive's row in the model table names a model of the family.
bool IsImmediateFormatModel(CDeviceRecord& record)
{
    return ContainsModelNumber(g_pDriveManager->GetModelProductId(record), g_DvdPlusRwImmediateFormatModels);
}

// The drive answers again once its own work (a format, a close, its buffer written) is done. False when it still
// is not ready after two minutes: a drive whose medium went away never is, and the run then ends as a failed one.
bool ReadyLoop(CDeviceRecord& record)
{
    return WaitForReadyDrive(record, kReadyLimitMs, kReadyLoopPauseMs);
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

// FORMAT UNIT's list for a DVD+RW: one descriptor of format type 0x26 over the whole disc (FF FF FF FF blocks);
// bImmediate asks the drive to return at once and format in the background.
void BuildPlusRwFormat(BYTE* pList, bool bImmediate)
{
    memset(pList, 0, kPlusRwFormatListLength);
    pList[1] = BYTE(bImmediate ? 0x02 : 0x00);
    pList[3] = 0x08;
    pList[4] = 0xFF;
    pList[5] = 0xFF;
    pList[6] = 0xFF;
    pList[7] = 0xFF;
    pList[8] = 0x98;
}

enum WriteOutcome {
    kAllWritten,
    kWriteStopped,
    kWriteFailed
};

// The timed samples shared by the workers: the image in the first block, zeros after it; 25-sector WRITE(10)
// commands, or on DVD-RAM 32-sector streaming WRITE(12) commands. nPercent: the percent of the last sample.
WriteOutcome WriteSamples(DvdWriteJob& job, int& nPercent)
{
    TestWorkerState& state = *job.pState;
    CTestRunState& runState = state.RunState();
    TestRunRing& ring = *state.pRing;
    CDeviceRecord& record = state.record;
    const int nRun = ring.GetCurrentRun();
    const int nBlockSectors = DvdWriteBlockSectors(job.nProfile);
    const bool bStreaming = job.nProfile == kProfileDvdRam;
    const int nBasis = bStreaming ? DvdRamSpeedBasis(record.m_szProduct) : 1350;
    const int n = job.nSampleLength / nBlockSectors;
    const long nSamples = job.nSampleLength > 0 ? job.nSectorCount / job.nSampleLength : 0;
    long lba = 0;
    runState.SetCurrentAddress(lba);
    for (long s = 0; s < nSamples; ++s) {
        int64_t nStart = ClockPerformanceCount();
        for (int b = 0; b < n; ++b) {
            if (runState.IsStopRequested())
                return kWriteStopped;
            BYTE* pData = (s == 0 && b == 0) ? job.image.data() : job.zeros.data();
            ExecStatus status;
            int nBusy = 0;
            for (;;) {
                status = bStreaming ? g_pDriveManager->Write12(record, lba, nBlockSectors, 2048, 1, pData)
                                    : g_pDriveManager->Write10(record, lba, nBlockSectors, 2048, pData);
                if (status == kExecCompleted || GetSenseCode(record) != kSenseLongWriteInProgress ||
                    ++nBusy >= kMaxBusyRepeats)
                    break;
            }
            if (status != kExecCompleted)
                return kWriteFailed;
            nPercent = (b + 1) * 100 / n;
            lba += nBlockSectors;
            runState.SetCurrentAddress(lba);
            if (b == 1)
                nStart = ClockPerformanceCount();
        }
        if (lba < kDvdWriteSkippedBelow) {
            ring.StoreSample(int(s), SAMPLE_SKIPPED);
        } else {
            const int64_t ms = state.ElapsedMs(nStart, ClockPerformanceCount());
            const uint32_t nValue = DvdWriteSampleValue(DvdWriteTimedBlocks(n), nBlockSectors, ms, nBasis);
            ring.StoreSample(int(s), nValue);
            Report(state, TPC_SAMPLE, LPARAM(nValue));
        }
        ring.Extent(nRun).lastSample = int(s);
    }
    return kAllWritten;
}

// Both buffers hold a whole DVD-RAM command (32 sectors) and are zeroed entirely, so no command carries bytes
// that were never set.
void PrepareBuffers(DvdWriteJob& job)
{
    job.image.assign(kBufferBytes, 0);
    job.zeros.assign(kBufferBytes, 0);
}

void BuildImage(DvdWriteJob& job)
{
    memset(job.image.data(), 0, job.image.size());
    memset(job.zeros.data(), 0, job.zeros.size());
    BuildDvdTestImage(job.image.data(), job.nSectorCount);
}

void ReleaseBuffers(DvdWriteJob& job)
{
    std::vector<BYTE>().swap(job.image);
    std::vector<BYTE>().swap(job.zeros);
}

// The start shared by the workers: the job behind the worker's parameter with its buffers, the medium locked, the
// run's blocks per sample, the first address and the drive handle opened.
DvdWriteJob& StartWorker(LPVOID pParam, long nStartLba)
{
    DvdWriteJob& job = *static_cast<DvdWriteJob*>(pParam);
    TestWorkerState& state = *job.pState;
    PrepareBuffers(job);
    g_pDriveManager->LockMedium(state.record);
    state.pRing->Extent(state.pRing->GetCurrentRun()).blocksPerSample =
        job.nSampleLength / DvdWriteBlockSectors(job.nProfile);
    state.RunState().SetCurrentAddress(nStartLba);
    g_pDriveManager->OpenDriveHandle(state.record);
    return job;
}

// SEND DISC STRUCTURE format 0x0F with the current time, built in the zeros buffer (BuildImage clears it again).
void SendTimeStamp(DvdWriteJob& job)
{
    BuildTimeStamp(job.zeros.data());
    g_pDriveManager->SendDiscStructure(job.pState->record, 0x0F, 22, job.zeros.data());
}

// The worker's last message. The buffers are given up before it: once the page has it, a new run may start and
// fill them. Returns the worker's result, 1 after a complete run.
UINT EndWorker(DvdWriteJob& job, int nCode, LPARAM nValue)
{
    TestWorkerState& state = *job.pState;
    ReleaseBuffers(job);
    Report(state, nCode, nValue);
    return nCode == TPC_DONE ? 1 : 0;
}

// The timed writes and the end of a worker: a failed write ends with TPC_ERROR; a stopped run with fnStopped(),
// then TPC_STOPPED with nStoppedCode; a run whose every block was written with fnWritten(), then TPC_DONE with the
// percent of the last sample. An ending after which the drive did not become ready again (false) ends with
// TPC_ERROR.
template <typename Stopped, typename Written>
UINT WriteAndEnd(DvdWriteJob& job, LPARAM nStoppedCode, Stopped fnStopped, Written fnWritten)
{
    int nPercent = 0;
    switch (WriteSamples(job, nPercent)) {
    case kWriteFailed:
        return EndWorker(job, TPC_ERROR, 0);
    case kWriteStopped:
        return fnStopped() ? EndWorker(job, TPC_STOPPED, nStoppedCode) : EndWorker(job, TPC_ERROR, 0);
    case kAllWritten:
    default:
        return fnWritten() ? EndWorker(job, TPC_DONE, nPercent) : EndWorker(job, TPC_ERROR, 0);
    }
}

template <typename Stopped>
UINT WriteAndEnd(DvdWriteJob& job, LPARAM nStoppedCode, Stopped fnStopped)
{
    return WriteAndEnd(job, nStoppedCode, fnStopped, [] { return true; });
}

// SYNCHRONIZE CACHE, then one CLOSE TRACK/SESSION function with Immed, waiting for the drive after each (the drive
// manager's waits, which give up by themselves).
void SyncAndClose(CDeviceRecord& record, BYTE function)
{
    g_pDriveManager->SynchronizeCache(record, 0, 0, 0, nullptr);
    g_pDriveManager->WaitUntilReady(record);
    g_pDriveManager->CloseTrackSession(record, 1, function, 0);
    g_pDriveManager->WaitUntilReady(record);
}

// SyncAndClose as an ending of WriteAndEnd.
auto SyncAndCloseEnding(CDeviceRecord& record, BYTE function)
{
    return [&record, function] {
        SyncAndClose(record, function);
        return true;
    };
}

} // namespace

UINT __cdecl DvdPlusRWriteTestThread(LPVOID pParam)
{
    DvdWriteJob& job = StartWorker(pParam, kStartLba);
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = job.pState->record;
    SendTimeStamp(job);
    if (job.nProfile == kProfileDvdPlusRDl) {
        BuildLayerBoundary(job.image.data(), 0x001FD800);
        if (drive.SendDiscStructure(record, 0x20, 12, job.image.data()) != kExecCompleted)
            return EndWorker(job, TPC_ERROR, 0); // a set-up command failed
    }
    if (!ReadyLoop(record))
        return EndWorker(job, TPC_ERROR, 0);
    BuildImage(job);

    // Written or stopped, the track and the disc are closed unless the drive only simulated.
    const auto fnClose = [&] {
        drive.SynchronizeCache(record, 0, 0, 0, nullptr);
        if (!ReadyLoop(record))
            return false;
        if (!job.bSimulate) {
            drive.CloseTrackSession(record, 1, 1, 1);
            drive.WaitUntilReady(record);
            drive.CloseTrackSession(record, 1, 6, 0);
            drive.WaitUntilReady(record);
        }
        return true;
    };
    return WriteAndEnd(job, 2, fnClose, fnClose);
}

UINT __cdecl DvdPlusRwWriteTestThread(LPVOID pParam)
{
    DvdWriteJob& job = StartWorker(pParam, kStartLba);
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = job.pState->record;
    SendTimeStamp(job);
    const bool bImmediateFormat = IsImmediateFormatModel(record);
    BuildPlusRwFormat(job.image.data(), bImmediateFormat);
    if (drive.FormatUnit(record, 0x11, kPlusRwFormatListLength, job.image.data()) != kExecCompleted)
        return EndWorker(job, TPC_ERROR, 0); // a set-up command failed
    if ((bImmediateFormat && !ReadyLoop(record)) || !ReadyLoop(record))
        return EndWorker(job, TPC_ERROR, 0);
    drive.SynchronizeCache(record, 0, 0, 0, nullptr);
    if (!ReadyLoop(record))
        return EndWorker(job, TPC_ERROR, 0);
    BYTE info[40];
    memset(info, 0, sizeof(info));
    drive.ReadDiscInformation(record, sizeof(info), info);
    drive.TestUnitReady(record);
    BuildImage(job);

    const auto fnClose = SyncAndCloseEnding(record, 3);
    return WriteAndEnd(job, 3, fnClose, fnClose);
}

UINT __cdecl DvdMinusRWriteTestThread(LPVOID pParam)
{
    DvdWriteJob& job = StartWorker(pParam, kStartLba);
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = job.pState->record;
    SendTimeStamp(job);
    if (job.nProfile == kProfileDvdMinusRDl) {
        BuildLayerBoundary(job.image.data(), 0x001FEF60);
        drive.SendDiscStructure(record, 0x21, 12, job.image.data());
    }
    drive.ReserveTrack(record, int(job.nSectorCount));
    if (!ReadyLoop(record))
        return EndWorker(job, TPC_ERROR, 0);
    BuildImage(job);

    return WriteAndEnd(job, 0, [&] {
        drive.SynchronizeCache(record, 0, 0, 0, nullptr);
        drive.WaitUntilReady(record);
        drive.CloseTrackSession(record, 1, 2, 0);
        return ReadyLoop(record);
    });
}

UINT __cdecl DvdMinusRwWriteTestThread(LPVOID pParam)
{
    DvdWriteJob& job = StartWorker(pParam, kStartLba);
    CDeviceRecord& record = job.pState->record;
    SendTimeStamp(job);
    g_pDriveManager->ReserveTrack(record, int(job.nSectorCount));
    if (!ReadyLoop(record))
        return EndWorker(job, TPC_ERROR, 0);
    BuildImage(job);

    return WriteAndEnd(job, 1, SyncAndCloseEnding(record, 2));
}

UINT __cdecl DvdRamWriteTestThread(LPVOID pParam)
{
    DvdWriteJob& job = StartWorker(pParam, 0);
    CDeviceRecord& record = job.pState->record;
    g_pDriveManager->TestUnitReady(record);
    BuildImage(job);

    return WriteAndEnd(job, 3, SyncAndCloseEnding(record, 3));
}

// The capacity rule of the rewritables: the sector count from READ FORMAT CAPACITIES (0 when no descriptor of the
// profile's kinds is there). False when the command failed.
bool CDvdWriteTestDlg::ReadRewritableCapacity()
{
    BYTE answer[100];
    memset(answer, 0, sizeof(answer));
    if (g_pDriveManager->ReadFormatCapacities(m_currentDrive, sizeof(answer), answer) != kExecCompleted)
        return false;
    m_job.nSectorCount = DvdCapacityFromFormatCapacities(answer, sizeof(answer), m_job.nProfile);
    return true;
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
    const DvdWriteWorker worker = DvdWriteWorkerForProfile(nProfile);
    if (!drive.IsBlankMedia(record)) {
        switch (worker) {
        case kDvdWorkerPlusRw:
        case kDvdWorkerRam:
            if (MessageBoxText(IDS_OVERWRITE_AND_CONTINUE, MB_YESNO | MB_ICONEXCLAMATION, DvdProfileName(nProfile)) !=
                IDYES)
                return false;
            if (!ReadRewritableCapacity()) {
                MessageBoxText(IDS_DISC_INFO_ERROR, MB_ICONSTOP);
                return false;
            }
            break;
        case kDvdWorkerMinusRw:
            if (MessageBoxText(IDS_ERASE_AND_CONTINUE, MB_YESNO | MB_ICONEXCLAMATION, "DVD-RW") == IDYES)
                m_bErasePending = 1;
            return false;
        default:
            MessageBoxText(IDS_INSERT_BLANK, MB_ICONSTOP, "DVD");
            return false;
        }
    } else {
        switch (worker) {
        case kDvdWorkerPlusR:
        case kDvdWorkerMinusR: {
            BYTE track[36];
            memset(track, 0, sizeof(track));
            if (drive.ReadTrackInformation(record, 0, 0, sizeof(track), track) != kExecCompleted) {
                // Without the free blocks there is nothing to write; the user hears what the drive said.
                MessageBox(LoadStringText(IDS_DISC_INFO_ERROR) + "\r\n" + drive.FormatSenseMessage(record),
                           LoadStringText(m_traits.nTestNameId), MB_ICONSTOP);
                return false;
            }
            m_job.nSectorCount =
                long((DWORD(track[16]) << 24) | (DWORD(track[17]) << 16) | (DWORD(track[18]) << 8) | track[19]);
            break;
        }
        case kDvdWorkerPlusRw:
            if (!ReadRewritableCapacity()) {
                MessageBoxText(IDS_DISC_INFO_ERROR, MB_ICONSTOP);
                return false;
            }
            break;
        case kDvdWorkerMinusRw:
        case kDvdWorkerRam:
            if (!ReadRewritableCapacity() || m_job.nSectorCount == 0)
                return false;
            break;
        default:
            MessageBoxText(IDS_INSERT_BLANK, MB_ICONSTOP, "DVD");
            return false;
        }
    }
    char szId[256] = "";
    m_strDiscType.Format("%s   %s   %s", DvdProfileName(nProfile),
                         static_cast<const char*>(drive.GetDvdMediaSpeedText(record, TRUE)),
                         drive.GetDvdMediaIdText(record, szId));
    return true;
}

// A non-blank DVD-RW the user agreed to erase: write type 2 with BUFE and no test write in page 5, a minimal blank
// with Immed, then the erase poll, which starts the test again once the drive is ready.
void CDvdWriteTestDlg::EraseDisc()
{
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = m_currentDrive;
    BYTE page5[64];
    memset(page5, 0, sizeof(page5));
    drive.ModeSense(record, 0x05, sizeof(page5), page5);
    const size_t nPage = 4 + size_t(page5[3]);
    if (nPage + 2 < sizeof(page5))
        page5[nPage + 2] = 0x42;
    drive.ModeSelect(record, sizeof(page5), page5);
    drive.Blank(record, 0, 1);
    BeginErasePoll();
}

bool CDvdWriteTestDlg::SendWriteParameters(bool bSimulate)
{
    BYTE parameters[kDvdWriteParametersLength];
    if (!BuildDvdWriteParameters(parameters, m_job.nProfile, bSimulate))
        return false;
    if (g_pDriveManager->ModeSelect(m_currentDrive, kDvdWriteParametersLength, parameters) == kExecCompleted)
        return true;
    MessageBoxText(IDS_MODE_PAGE_ERROR, MB_ICONSTOP, g_pDriveManager->FormatSenseMessage(m_currentDrive));
    return false;
}

// Start: the medium checked (a used DVD-RW the user agreed to erase is blanked first), the run's settings taken,
// the drive set up for the medium's family, then the run.
void CDvdWriteTestDlg::OnStart()
{
    if (g_pDriveManager == nullptr)
        return;
    Graph().m_nPlannedEnd = -1; // until the checks have passed
    if (!CheckMedia()) {
        if (m_bErasePending)
            EraseDisc();
        return;
    }
    TakeRunSettings();
    const AFX_THREADPROC pfnWorker = PrepareWorker();
    if (pfnWorker == nullptr)
        return;
    m_job.bSimulate = m_bRunSimulate;
    BeginRun(pfnWorker, &m_job, m_job.nSectorCount);
}

// The sample length and the test length of the medium from the settings, and whether the run simulates.
void CDvdWriteTestDlg::TakeRunSettings()
{
    m_job.nSampleLength = SampleLengthFromIndex(int(m_pSettings->testEveryWrite));
    m_job.nSectorCount = DvdWriteTestLength(m_job.nSectorCount, m_job.nSampleLength, m_job.nProfile);
    m_bRunSimulate = m_pSettings->simulate != 0;
}

// The worker of the medium's family, with the drive set up for it. Null when the start ends here: the medium is
// unlocked again after a declined simulation or a refused write-parameters page.
AFX_THREADPROC CDvdWriteTestDlg::PrepareWorker()
{
    AFX_THREADPROC pfnWorker = nullptr;
    switch (DvdWriteWorkerForProfile(m_job.nProfile)) {
    case kDvdWorkerPlusR:
        pfnWorker = PreparePlusR();
        break;
    case kDvdWorkerPlusRw:
    case kDvdWorkerRam:
        pfnWorker = PrepareRewritable();
        break;
    case kDvdWorkerMinusR:
    case kDvdWorkerMinusRw:
        pfnWorker = PrepareMinus();
        break;
    default:
        return nullptr;
    }
    if (pfnWorker == nullptr)
        g_pDriveManager->UnlockMedium(m_currentDrive);
    return pfnWorker;
}

// DVD+R and DVD+R DL: the listed models simulate with their vendor option; on the others a test write becomes a
// real one when the user agrees, and the run then ends as a real one (track and disc closed).
AFX_THREADPROC CDvdWriteTestDlg::PreparePlusR()
{
    if (m_bRunSimulate) {
        if (IsVendorSimulationModel(m_currentDrive))
            g_pDriveManager->SetVendorOption(m_currentDrive, 1, 0, nullptr);
        else if (MessageBoxText(IDS_SIMULATION_UNSUPPORTED, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
            m_bRunSimulate = false;
        else
            return nullptr;
    }
    return SendWriteParameters(false) ? &DvdPlusRWriteTestThread : nullptr;
}

// DVD+RW and DVD-RAM cannot simulate: the run writes for real when the user agrees. DVD+RW takes the
// write-parameters page.
AFX_THREADPROC CDvdWriteTestDlg::PrepareRewritable()
{
    const bool bPlusRw = m_job.nProfile == kProfileDvdPlusRw;
    if (m_bRunSimulate) {
        if (MessageBoxText(IDS_MEDIA_SIMULATION_UNSUPPORTED, MB_YESNO | MB_ICONEXCLAMATION,
                           DvdProfileName(m_job.nProfile)) != IDYES)
            return nullptr;
        m_bRunSimulate = false;
    }
    if (bPlusRw && !SendWriteParameters(false))
        return nullptr;
    return bPlusRw ? &DvdPlusRwWriteTestThread : &DvdRamWriteTestThread;
}

// DVD-R, DVD-R DL and DVD-RW: the write-parameters page with the test write the settings ask for.
AFX_THREADPROC CDvdWriteTestDlg::PrepareMinus()
{
    if (!SendWriteParameters(m_bRunSimulate))
        return nullptr;
    return DvdWriteWorkerForProfile(m_job.nProfile) == kDvdWorkerMinusR ? &DvdMinusRWriteTestThread
                                                                         : &DvdMinusRwWriteTestThread;
}

// A finished run ends when the drive has written everything (SYNCHRONIZE CACHE): the end tick is taken there,
// before the waits for the drive and the tray. A drive that does not become ready after it turns the end into a
// failed one (false). The listed models leave their own simulation after the results.
bool CDvdWriteTestDlg::OnRunEnding(int nCode)
{
    if (g_pDriveManager == nullptr)
        return true;
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = m_worker.record;
    const bool bListed = IsVendorSimulationModel(record);
    if (nCode == TPC_DONE) {
        drive.SynchronizeCache(record, 0, 0, 0, nullptr);
        m_worker.endTick = ClockGetTickCount();
        if (!ReadyLoop(record))
            return false;
        drive.StartStopUnit(record, 1, 1, 1);
        drive.UnlockMedium(record);
        if (!m_bRunSimulate) {
            drive.EjectMedium(record);
            drive.LoadMedium(record);
            WaitForReadyDrive(record, kEndReadyLimitMs, kEndReadyPauseMs);
        } else {
            drive.StartStopUnit(record, 0, 0, 0);
            drive.StartStopUnit(record, 0, 1, 1);
            drive.TestUnitReady(record);
        }
        return true;
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
        return true;
    }
    drive.SynchronizeCache(record, 0, 0, 0, nullptr);
    WaitForReadyDrive(record, kEndReadyLimitMs, kEndReadyPauseMs);
    drive.UnlockMedium(record);
    drive.EjectMedium(record);
    if (bListed)
        drive.SetVendorOption(record, 0, 0, nullptr);
    return true;
}

// The listed models leave their own simulation: after a test write the ending form, then the option off. A drive
// that stays busy after the ending form is given up after the same bound as every other wait, and the option is
// switched off all the same, as a failed run's end does.
void CDvdWriteTestDlg::OnRunEnded(int nCode)
{
    if (g_pDriveManager == nullptr || nCode != TPC_DONE || !IsVendorSimulationModel(m_worker.record))
        return;
    if (m_bRunSimulate) {
        g_pDriveManager->SetVendorOption(m_worker.record, 2, 0, nullptr);
        ReadyLoop(m_worker.record);
    }
    g_pDriveManager->SetVendorOption(m_worker.record, 0, 0, nullptr);
}
