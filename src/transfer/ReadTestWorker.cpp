// src/transfer/ReadTestWorker.cpp
#include "transfer/ReadTestWorker.h"

#include "drive/DriveManager.h"

namespace {

const int kCdRawBlock = 2352;

ExecStatus ReadWith(ReadTestRun& run, ReadTestCommand command, long nLba)
{
    CDeviceRecord& record = run.pState->record;
    const int n = kReadTestSectorsPerCommand;
    switch (command) {
    case kReadTestCdRaw:
        return g_pDriveManager->ReadCd(record, 0xF8, 0, nLba, n, kCdRawBlock, run.buffer);
    case kReadTestCdAudio:
        return g_pDriveManager->ReadCd(record, 0x10, 0, nLba, n, kCdRawBlock, run.buffer);
    case kReadTestVendor:
        return g_pDriveManager->ReadCdda(record, nLba, n, 0, n * kCdRawBlock, run.buffer);
    case kReadTest10:
    default:
        return g_pDriveManager->Read10(record, nLba, n, run.buffer);
    }
}

void Report(const TestWorkerState& state, int nCode, LPARAM nValue)
{
    ::SendMessage(state.hPage, WM_TEST_PROGRESS, WPARAM(nCode), nValue);
}

} // namespace

ReadTestCommand ChooseCdReadCommand(int nAudio, BYTE bVendorRead, bool bFallenBack)
{
    if (nAudio == 0)
        return bVendorRead ? kReadTest10 : kReadTestCdRaw;
    return bVendorRead && !bFallenBack ? kReadTestVendor : kReadTestCdAudio;
}

uint32_t ReadTestSpeed(bool bCd, int64_t nCommands, int64_t nMs)
{
    if (nMs < 1)
        nMs = 1;
    return uint32_t(nCommands * 5000000 / (nMs * (bCd ? 150 : 1385)));
}

namespace {

UINT RunReadTest(LPVOID pParam)
{
    ReadTestRun& run = *static_cast<ReadTestRun*>(pParam);
    TestWorkerState& state = *run.pState;
    CTestRunState& runState = state.RunState();
    bool bFallenBack = false;
    auto command = [&]() {
        return run.bCd ? ChooseCdReadCommand(run.nAudio, run.bVendorRead, bFallenBack) : kReadTest10;
    };

    g_pDriveManager->OpenDriveHandle(state.record);

    // Spin-up: ten seconds of sequential reads from the start, round again at the end of a short disc. An audio
    // CD whose vendor read fails is read once more with READ CD, which the run keeps from then on.
    const DWORD t0 = ClockGetTickCount();
    long nLba = 0;
    DWORD nSpinUpTenths = 0;
    do {
        runState.SetCurrentAddress(nLba);
        ExecStatus status = ReadWith(run, command(), nLba);
        if (runState.IsStopRequested()) {
            Report(state, TPC_STOPPED, 0);
            return 0;
        }
        if (status != 1 && run.bCd && run.nAudio != 0 && !bFallenBack) {
            bFallenBack = true;
            status = ReadWith(run, command(), nLba);
        }
        if (status != 1) {
            Report(state, TPC_ERROR, 0);
            return 0;
        }
        nLba += kReadTestSectorsPerCommand;
        if (run.nCapacity > 0 && nLba + kReadTestSectorsPerCommand > run.nCapacity)
            nLba = 0;
        nSpinUpTenths = (ClockGetTickCount() - t0) / 100;
    } while (ClockGetTickCount() - t0 < kReadTestSpinUpMs);

    // One read at the start, not looked at; an audio CD takes the vendor read here whenever the model has it.
    runState.SetCurrentAddress(0);
    ReadWith(run, run.bCd ? ChooseCdReadCommand(run.nAudio, run.bVendorRead, false) : kReadTest10, 0);

    const long nSamples = runState.SampleCount();
    if (nSamples < 1) {
        Report(state, TPC_DONE, LPARAM(nSpinUpTenths));
        return 1;
    }

    const int n = int(run.nLength / kReadTestSectorsPerCommand);
    const bool bContiguous = run.nSpacing == run.nLength;
    const int nCommands = bContiguous ? n : n + 1;
    int nPercent = 0;
    for (long i = 0; i < nSamples; ++i) {
        nLba = run.nSpacing * i;
        LARGE_INTEGER start = {}, end = {};
        if (bContiguous)
            ClockQueryPerformanceCounter(&start);
        for (int j = 0; j < nCommands; ++j) {
            if (runState.IsStopRequested()) {
                Report(state, TPC_STOPPED, 0);
                return 0;
            }
            runState.SetCurrentAddress(nLba);
            if (ReadWith(run, command(), nLba) != 1) {
                Report(state, TPC_ERROR, 0);
                return 0;
            }
            nPercent = (j + 1) * 100 / nCommands;
            nLba += kReadTestSectorsPerCommand;
            if (!bContiguous && j == 0)
                ClockQueryPerformanceCounter(&start);
        }
        ClockQueryPerformanceCounter(&end);
        const uint32_t nSpeed = ReadTestSpeed(run.bCd, n, state.ElapsedMs(start.QuadPart, end.QuadPart));
        runState.SetCurrentAddress(nLba);
        // A sample beyond the run's array (a disc larger than the page's kind allows) ends the run here.
        if (!state.pRing->StoreSample(int(nLba / kReadTestSectorsPerCommand), nSpeed))
            break;
        Report(state, TPC_SAMPLE, LPARAM(nSpeed));
    }
    Report(state, TPC_DONE, LPARAM(nPercent));
    return 1;
}

} // namespace

UINT __cdecl DvdReadTestThread(LPVOID pParam)
{
    return RunReadTest(pParam);
}

UINT __cdecl CdReadTestThread(LPVOID pParam)
{
    return RunReadTest(pParam);
}
