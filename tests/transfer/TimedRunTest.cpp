// tests/transfer/TimedRunTest.cpp
// A whole run on a test page against the emulated drive's timing engine and virtual clock: a reading worker in the
// manner of the read tests (25-sector READ(10)s timed with the performance counter) stores samples that equal the
// closed-form answer of the drive's speed law, and the run takes milliseconds of real time.
#include "EmuMachine.h" // first of the emulator's headers: it includes windows.h before the machine interface
#include "EmuDescription.h"
#include "EmuTiming.h"
#include "drive/DriveManager.h"
#include "gui/GuiTest.h"
#include "transfer/TestPages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using guitest::Click;
using guitest::HookSession;
using guitest::PumpUntil;

namespace {

const int kSampleSectors = 4500;
const int kSectorsPerCommand = 25;
const int kSamples = 4;

struct ReadRun {
    TestWorkerState* pState = nullptr;
    volatile LONG nFinished = 0;
};

// Reads kSamples contiguous samples from LBA 0; each sample's speed in hundredths of X on the DVD basis
// (n * 5,000,000 / (ms * 1385), 64-bit, ms truncated and at least 1), stored at the LBA after its reads / 25.
UINT __cdecl ReadingWorker(LPVOID pParam)
{
    ReadRun& run = *static_cast<ReadRun*>(pParam);
    TestWorkerState& state = *run.pState;
    std::vector<BYTE> buffer(kSectorsPerCommand * 2048);
    long lba = 0;
    for (int s = 0; s < kSamples && !state.RunState().IsStopRequested(); ++s) {
        LARGE_INTEGER t0, t1;
        ClockQueryPerformanceCounter(&t0);
        const int n = kSampleSectors / kSectorsPerCommand;
        for (int c = 0; c < n; ++c, lba += kSectorsPerCommand) {
            state.RunState().SetCurrentAddress(lba);
            if (g_pDriveManager->Read10(state.record, lba, kSectorsPerCommand, buffer.data()) != 1) {
                ::SendMessage(state.hPage, WM_TEST_PROGRESS, TPC_ERROR, 0);
                InterlockedExchange(&run.nFinished, 1);
                return 0;
            }
        }
        ClockQueryPerformanceCounter(&t1);
        int64_t ms = (t1.QuadPart - t0.QuadPart) * 1000 / state.frequency.QuadPart;
        if (ms < 1)
            ms = 1;
        uint32_t nValue = uint32_t(int64_t(n) * 5000000 / (ms * 1385));
        state.pRing->StoreSample(int(lba / 25), nValue);
        ::SendMessage(state.hPage, WM_TEST_PROGRESS, TPC_SAMPLE, LPARAM(nValue));
    }
    ::SendMessage(state.hPage, WM_TEST_PROGRESS, state.RunState().IsStopRequested() ? TPC_STOPPED : TPC_DONE, 0);
    InterlockedExchange(&run.nFinished, 1);
    return 0;
}

class ReadingPage : public CDvdReadTestDlg {
public:
    explicit ReadingPage(CWnd* pTestWindow) : CDvdReadTestDlg(pTestWindow) {}
    ReadRun run;

protected:
    void OnStart() override
    {
        run.pState = &WorkerState();
        run.nFinished = 0;
        BeginRun(&ReadingWorker, &run, -1);
    }
};

TEST(TimedRun, SamplesOfASixteenXClvDriveMatchTheClosedForm)
{
    IEmuMachine* pMachine = EmuGetAspiMachine();
    ASSERT_NE(nullptr, pMachine) << "the test ASPI library is not beside the program";
    EmuDescription description;
    std::string error;
    ASSERT_TRUE(EmuParseDescription("adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc dvd-rom\n", pMachine,
                                    description, error))
        << error;
    EmuWriteWin9xRegistry(description);
    const int nDrive = description.drives[0].nDrive;
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_LAW, kEmuLawClv);
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_DISC, kEmuDiscDvdSingle);
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_DVD, 1);
    pMachine->SetInt(nDrive, EMU_KEY_TIMING_SPEED, 1600);

    HookSession session;
    CDriveManager manager;
    g_pDriveManager = &manager;
    ASSERT_NE(0, manager.InitAspi());
    EmuInstallClock(pMachine);

    CWnd window;
    RECT rc = {0, 0, 660, 560};
    ASSERT_TRUE(window.CreateEx(0, nullptr, "Test window", WS_OVERLAPPEDWINDOW, rc, nullptr, 0));
    CTestRunState runState;
    int nPref = 0;
    {
        ReadingPage page(&window);
        page.SetSharedState(runState, &nPref);
        ASSERT_TRUE(page.Create(IDD_DVD_READ_TEST, &window));
        page.m_currentDrive = manager.GetDriveByLetter(5);
        ASSERT_EQ(5, page.m_currentDrive.m_nDriveLetter);

        const DWORD nRealStart = GetTickCount();
        const uint64_t nVirtualStart = pMachine->GetTimeUs();
        ASSERT_TRUE(Click(page.m_hWnd, IDC_TP_START));
        ASSERT_TRUE(PumpUntil([&] { return !page.IsRunning() && page.run.nFinished != 0; }, 20000));
        const DWORD nRealMs = GetTickCount() - nRealStart;

        // 4500 sectors at 16 X of 676.27 sectors per second, the milliseconds truncated as the worker does.
        const int64_t ms = int64_t(std::floor(kSampleSectors / (16 * kEmuDvdBase) * 1000.0));
        const uint32_t nExpected = uint32_t(int64_t(kSampleSectors / kSectorsPerCommand) * 5000000 / (ms * 1385));
        EXPECT_EQ(1565u, nExpected);
        for (int s = 0; s < kSamples; ++s)
            EXPECT_EQ(nExpected, page.Ring().Samples(0)[(s + 1) * kSampleSectors / 25]) << "sample " << s;
        EXPECT_EQ(CString("15.65x"), guitest::Text(page.m_hWnd, IDC_TP_CURRENT_VALUE)) << "the average";
        EXPECT_EQ(CString("Average:"), guitest::Text(page.m_hWnd, IDC_TP_CURRENT_CAPTION));
        EXPECT_TRUE(session.MessageBoxes().empty());
        // The drive needed more than a second and a half of virtual time; the test far less of real time.
        const double dVirtualSeconds = double(pMachine->GetTimeUs() - nVirtualStart) / 1e6;
        EXPECT_NEAR(kSamples * kSampleSectors / (16 * kEmuDvdBase), dVirtualSeconds, 0.01);
        EXPECT_LT(nRealMs, 1000u * 10);
    }
    EmuRemoveClock();
    manager.Close();
    g_pDriveManager = nullptr;
    window.DestroyWindow();
    pMachine->Reset();
}

} // namespace
