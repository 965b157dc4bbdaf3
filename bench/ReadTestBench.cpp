// bench/ReadTestBench.cpp — the read transfer-rate tests measured on the emulated drive, each figure printed beside
// its goal:
//   fidelity  CLV drives (CD 1X to 52X, DVD 1X to 24X), one CAV and one Z-CLV drive on the virtual clock: every
//             stored sample against the value the program's own arithmetic gives for the drive's true sample time
//             (goal: within 0.5%), and the first speed at which a sample is more than 1% off the drive's true
//             speed (goal: at least twice the fastest drive of the class);
//   ceiling   an instant drive on the real clock: read commands per second inside the timed stretches (goal: at
//             least 4x the fastest drive of each class: CD 52X = 156 commands/s, DVD 24X = 665 commands/s);
//   paint     the DVD read page's own paint on its window (background erased, graph drawn) holding ten runs of a
//             dual-layer DVD at the shortest sample length (goal: under 5% of the sample interval of a 24X DVD at
//             that length); the screen is checked to show the graph; the paint with the page's controls is printed
//             for the record.
// Usage: read_test_bench.exe [fidelity|ceiling|paint]... (all three without arguments). At the smallest size
// (BenchSize.h) each part runs once on the fewest speeds, the shortest discs and a few paints.
#include "BenchSize.h"
#include "EmuMachine.h"
#include "EmuDescription.h"
#include "EmuTiming.h"
#include "drive/DriveManager.h"
#include "gui/GuiTest.h"
#include "transfer/TestPages.h"
#include "controls/MemoryDC.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const double kProgramDvdSectorsPerX = 1385.0 * 1024.0 / 2048.0; // 692.5: the program's 1X for DVD

struct Bench {
    IEmuMachine* pMachine = nullptr;
    int nDrive = -1;
    CDriveManager manager;
    CWnd window;
    TransferRateSettings settings;
    CTestRunState runState;
    int nPref = 0;
    bool bReady = false;

    bool Describe(const char* pszText)
    {
        pMachine = EmuGetAspiMachine();
        if (pMachine == nullptr) {
            std::printf("the test ASPI library is not beside the program\n");
            return false;
        }
        EmuDescription description;
        std::string error;
        if (!EmuParseDescription(pszText, pMachine, description, error)) {
            std::printf("description: %s\n", error.c_str());
            return false;
        }
        EmuWriteWin9xRegistry(description);
        nDrive = description.drives[0].nDrive;
        manager.Close();
        g_pDriveManager = &manager;
        if (manager.InitAspi() == 0) {
            std::printf("no ASPI\n");
            return false;
        }
        if (window.m_hWnd == nullptr) {
            RECT rc = {0, 0, 660, 560};
            window.CreateEx(0, nullptr, "Bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rc, nullptr, 0);
        }
        return true;
    }

    // One run on a page of the given kind; the page is left for the caller to read.
    template <class Page>
    bool Run(Page& page, DWORD nTimeoutMs)
    {
        page.SetSharedState(runState, &nPref, &settings);
        if (page.m_hWnd == nullptr && !page.Create(page.Traits().nIDTemplate, &window))
            return false;
        page.m_currentDrive = manager.GetDriveByLetter(5);
        if (!guitest::Click(page.m_hWnd, IDC_TP_START))
            return false;
        const bool bDone = guitest::PumpUntil([&] { return !page.IsRunning(); }, nTimeoutMs);
        Sleep(20);
        return bDone;
    }
};

void SetLaw(Bench& b, EmuSpeedLaw law, bool bDvd, EmuDiscShape shape, int nSpeedX100)
{
    b.pMachine->SetInt(b.nDrive, EMU_KEY_TIMING_LAW, law);
    b.pMachine->SetInt(b.nDrive, EMU_KEY_TIMING_DISC, shape);
    b.pMachine->SetInt(b.nDrive, EMU_KEY_TIMING_DVD, bDvd ? 1 : 0);
    b.pMachine->SetInt(b.nDrive, EMU_KEY_TIMING_SPEED, nSpeedX100);
    b.pMachine->SetInt(b.nDrive, "timing.head", 0);
    b.pMachine->SetInt(b.nDrive, "timing.headNs", 0);
    b.pMachine->SetInt(b.nDrive, "timing.cacheStart", 0);
    b.pMachine->SetInt(b.nDrive, "timing.spinning", 0);
    // The drive's own CD read speed (page 0x2A) would cap the law: the sweep goes beyond any real drive.
    if (!bDvd)
        b.pMachine->SetBytes(b.nDrive, "mode.page.2A", nullptr, 0);
}

// Errors of one run's samples: against the program's arithmetic on the true sample time (ms truncated), and
// against the drive's true speed.
struct RunErrors {
    int nSamples = 0;
    double dWorstArithmetic = 0; // relative
    double dWorstTruth = 0;      // relative
};

RunErrors Compare(const uint32_t* pSamples, int nCount, const EmuDriveTiming& timing, bool bCd, long nSpacing,
                  long nLength)
{
    RunErrors e;
    const double dProgramBase = bCd ? 75.0 : kProgramDvdSectorsPerX;
    const long n = nLength / 25;
    for (int i = 0; i < nCount; ++i) {
        if (pSamples[i] == SAMPLE_NONE)
            continue;
        // Index (LBA after the last read) / 25: the timed sectors end there.
        const long nEnd = long(i) * 25;
        const long nStart = nEnd - nLength;
        const double dSeconds = timing.speed.MediaSeconds(timing.geometry, nStart, nEnd);
        int64_t ms = int64_t(std::floor(dSeconds * 1000.0 + 1e-9));
        if (ms < 1)
            ms = 1;
        const double dArithmetic = double(int64_t(n) * 5000000 / (ms * (bCd ? 150 : 1385)));
        const double dTruth = 100.0 * double(nLength) / dSeconds / dProgramBase;
        const double v = double(pSamples[i]);
        e.dWorstArithmetic = std::max(e.dWorstArithmetic, std::fabs(v - dArithmetic) / dArithmetic);
        e.dWorstTruth = std::max(e.dWorstTruth, std::fabs(v - dTruth) / dTruth);
        ++e.nSamples;
    }
    (void)nSpacing;
    return e;
}

template <class Page>
RunErrors FidelityRun(Bench& b, EmuSpeedLaw law, bool bDvd, EmuDiscShape shape, int nSpeedX100, int nLengthIndex)
{
    SetLaw(b, law, bDvd, shape, nSpeedX100);
    b.settings.sampleLen = DWORD(nLengthIndex);
    b.settings.testEvery = DWORD(nLengthIndex);
    Page page(&b.window);
    RunErrors e;
    if (!b.Run(page, 600000)) {
        std::printf("  run did not end\n");
        return e;
    }
    const long nLength = SampleLengthFromIndex(nLengthIndex);
    const EmuDriveTiming timing = EmuTimingFromKeys(b.pMachine, b.nDrive);
    return Compare(page.Ring().Samples(page.Ring().GetCurrentRun()), page.Ring().SamplesPerRun(), timing, !bDvd,
                   nLength, nLength);
}

void Fidelity(Bench& b)
{
    std::printf("== fidelity: stored samples against the drive's truth (virtual clock)\n");
    guitest::HookSession session;
    double dWorstCd = 0, dWorstDvd = 0;
    struct Class {
        const char* name;
        bool bDvd;
        const char* description;
        std::vector<int> speeds;
        int nMaxX;
    };
    const Class classes[] = {
        {"CD",
         false,
         "adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc cd 90000\n",
         {100, 400, 800, 1600, 2400, 3200, 4000, 4800, 5200},
         52},
        {"DVD",
         true,
         "adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc dvd-rom 112500\n",
         {100, 240, 400, 800, 1600, 2000, 2400},
         24},
    };
    const bool bSmallest = BenchAtSmallestSize();
    for (const Class& c : classes) {
        if (!b.Describe(c.description))
            return;
        EmuInstallClock(b.pMachine);
        std::printf("%s CLV, samples of 1 minute (4500 sectors):\n", c.name);
        double dWorst = 0;
        const std::vector<int> speeds = bSmallest ? std::vector<int>{c.speeds.back()} : c.speeds;
        for (int x : speeds) {
            RunErrors e = c.bDvd ? FidelityRun<CDvdReadTestDlg>(b, kEmuLawClv, true, kEmuDiscDvdSingle, x, 2)
                                 : FidelityRun<CCdReadTestDlg>(b, kEmuLawClv, false, kEmuDiscCd80, x, 2);
            std::printf("  %5.1fX  %3d samples  worst vs arithmetic %.4f%%  vs true speed %.3f%%\n", x / 100.0,
                        e.nSamples, 100 * e.dWorstArithmetic, 100 * e.dWorstTruth);
            dWorst = std::max(dWorst, e.dWorstArithmetic);
        }
        (c.bDvd ? dWorstDvd : dWorstCd) = dWorst;
        // The knee: the first speed, in steps of the class maximum / 4, where a sample is more than 1% off.
        // At the smallest size: the default length only, the first two steps.
        const int nKneeTop = bSmallest ? c.nMaxX + c.nMaxX / 4 : c.nMaxX * 40;
        for (int nIndex : bSmallest ? std::vector<int>{2} : std::vector<int>{2, 4}) {
            int nKnee = 0;
            for (int x = c.nMaxX; x <= nKneeTop; x += c.nMaxX / 4) {
                RunErrors e =
                    c.bDvd ? FidelityRun<CDvdReadTestDlg>(b, kEmuLawClv, true, kEmuDiscDvdSingle, x * 100, nIndex)
                           : FidelityRun<CCdReadTestDlg>(b, kEmuLawClv, false, kEmuDiscCd80, x * 100, nIndex);
                if (e.dWorstTruth > 0.01) {
                    nKnee = x;
                    break;
                }
            }
            std::printf("  knee at samples of %5d sectors: %s%dX   goal >= %dX (twice %dX)%s\n",
                        SampleLengthFromIndex(nIndex), nKnee == 0 ? "above " : "", nKnee == 0 ? nKneeTop : nKnee,
                        2 * c.nMaxX, c.nMaxX,
                        nIndex == 2 ? "  [default length]" : "  [shortest length, for the record]");
        }
        EmuRemoveClock();
    }

    // One CAV and one Z-CLV drive.
    if (b.Describe("adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc dvd-rom 2295104\n")) {
        EmuInstallClock(b.pMachine);
        RunErrors e = FidelityRun<CDvdReadTestDlg>(b, kEmuLawCav, true, kEmuDiscDvdSingle, 1600, 0);
        std::printf("DVD 16X CAV (6.6X to 16X), whole disc, samples of 22500 sectors: %d samples, worst vs "
                    "arithmetic %.4f%%\n",
                    e.nSamples, 100 * e.dWorstArithmetic);
        dWorstDvd = std::max(dWorstDvd, e.dWorstArithmetic);
        EmuRemoveClock();
    }
    if (b.Describe("adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc cd 333000\n")) {
        EmuInstallClock(b.pMachine);
        const int zones[][2] = {{0, 2400}, {100000, 3200}, {220000, 4000}};
        b.pMachine->SetInt(b.nDrive, "timing.zones", 3);
        for (int z = 0; z < 3; ++z) {
            char key[64];
            std::snprintf(key, sizeof(key), "timing.zone%d.first", z);
            b.pMachine->SetInt(b.nDrive, key, zones[z][0]);
            std::snprintf(key, sizeof(key), "timing.zone%d.speedX100", z);
            b.pMachine->SetInt(b.nDrive, key, zones[z][1]);
        }
        RunErrors e = FidelityRun<CCdReadTestDlg>(b, kEmuLawZclv, false, kEmuDiscCd74, 4000, 2);
        std::printf("CD Z-CLV 24X/32X/40X, 74 minutes, samples of 4500 sectors: %d samples, worst vs arithmetic "
                    "%.4f%%\n",
                    e.nSamples, 100 * e.dWorstArithmetic);
        dWorstCd = std::max(dWorstCd, e.dWorstArithmetic);
        EmuRemoveClock();
    }
    std::printf("fidelity: worst sample vs the drive's truth: CD %.4f%%, DVD %.4f%%   goal <= 0.5%%\n", 100 * dWorstCd,
                100 * dWorstDvd);
}

void Ceiling(Bench& b)
{
    std::printf("== ceiling: an instant drive on the real clock (each run spins up for 10 s)\n");
    guitest::HookSession session;
    struct Class {
        const char* name;
        bool bDvd;
        const char* description;
        double dCommandsPerX; // 25-sector commands per second at 1X in the program's units
        int nMaxX;
    };
    const Class classes[] = {
        {"CD read", false, "adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc cd 90000\n", 3.0, 52},
        {"DVD read", true, "adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc dvd-rom 450000\n",
         kProgramDvdSectorsPerX / 25, 24},
    };
    for (const Class& c : classes) {
        if (!b.Describe(c.description))
            return;
        EmuApplyTimingPreset(b.pMachine, b.nDrive, kEmuPresetInstant);
        b.settings.sampleLen = 0; // 22500 sectors: 900 commands per timed stretch
        b.settings.testEvery = 0;
        std::vector<uint32_t> values;
        bool bOk;
        if (c.bDvd) {
            CDvdReadTestDlg page(&b.window);
            bOk = b.Run(page, 120000);
            const uint32_t* p = page.Ring().Samples(page.Ring().GetCurrentRun());
            for (int i = 0; i < page.Ring().SamplesPerRun(); ++i)
                if (p[i] != SAMPLE_NONE)
                    values.push_back(p[i]);
        } else {
            CCdReadTestDlg page(&b.window);
            bOk = b.Run(page, 120000);
            const uint32_t* p = page.Ring().Samples(page.Ring().GetCurrentRun());
            for (int i = 0; i < page.Ring().SamplesPerRun(); ++i)
                if (p[i] != SAMPLE_NONE)
                    values.push_back(p[i]);
        }
        if (!bOk || values.empty()) {
            std::printf("%s: the run did not end\n", c.name);
            continue;
        }
        std::sort(values.begin(), values.end());
        const double dMin = values.front() / 100.0 * c.dCommandsPerX;
        const double dMedian = values[values.size() / 2] / 100.0 * c.dCommandsPerX;
        const double dGoal = 4 * c.nMaxX * c.dCommandsPerX;
        std::printf("%s: %zu timed stretches of 900 commands: slowest %.0f commands/s, median %.0f commands/s"
                    "   goal >= %.0f commands/s (4 x %dX)  %s\n",
                    c.name, values.size(), dMin, dMedian, dGoal, c.nMaxX, dMin >= dGoal ? "met" : "NOT MET");
    }
}

void Paint(Bench& b)
{
    std::printf("== paint: the DVD read page with ten runs of a dual-layer DVD at samples of 1125 sectors\n");
    guitest::HookSession session;
    if (!b.Describe("adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc dvd-rom 112500\n"))
        return;
    b.settings.maxSpeedDvd = 16;
    b.settings.readTimeIndDvd = 0xA00000;
    CDvdReadTestDlg page(&b.window);
    page.SetSharedState(b.runState, &b.nPref, &b.settings);
    page.Create(page.Traits().nIDTemplate, &b.window);
    page.ShowWindow(SW_SHOW);
    const long nCapacity = 2 * 2086912;
    int nPoints = 0;
    for (int r = 0; r < MAX_TEST_RUNS; ++r) {
        page.Ring().ChooseNextRunSlot();
        uint32_t* p = page.Ring().Samples(r);
        for (long s = 1125, k = 0; s <= nCapacity; s += 1125, ++k) {
            // An 8X CAV curve over two layers, with some noise.
            const long nOnLayer = s < 2086912 ? s : 2 * 2086912 - s;
            p[s / 25] = uint32_t(330 + 470 * double(nOnLayer) / 2086912 + ((k * 37 + r * 11) % 23));
            ++nPoints;
        }
    }
    CTestGraph& graph = page.Graph();
    graph.m_nDvdCapacity = nCapacity;
    graph.m_nDvdDiscEndMb = nCapacity * 2 / 1024;
    graph.m_nDvdLayer0EndMb = 2086912L * 2 / 1024;
    graph.m_bDvdDualLayer = 1;
    graph.m_nDvdAxisMb = 0xA00000 >> 10;
    guitest::Pump();
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    auto elapsed = [&]() { return double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(f.QuadPart); };
    // The page's own paint as the window gets it: BeginPaint, the background erased, the graph drawn on the
    // window; and the same with the page's controls painted as well, as when the page is uncovered.
    const UINT nPagePaint = RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW;
    const UINT nWithControls = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW;
    auto timePaint = [&](UINT nFlags) {
        QueryPerformanceCounter(&t0);
        page.RedrawWindow(nullptr, nullptr, nFlags);
        GdiFlush();
        QueryPerformanceCounter(&t1);
        return elapsed();
    };
    // The first paint after a change of the axes or the size also makes the graph's static part.
    graph.DiscardBackground();
    const double dFirst = timePaint(nPagePaint);
    const int nRepaints = BenchAtSmallestSize() ? 3 : 50;
    std::vector<double> times, withControls;
    for (int i = 0; i < nRepaints; ++i) {
        times.push_back(timePaint(nPagePaint));
        withControls.push_back(timePaint(nWithControls));
    }
    int nControls = 0;
    for (HWND hChild = GetWindow(page.m_hWnd, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT))
        nControls += IsWindowVisible(hChild) ? 1 : 0;
    std::sort(times.begin(), times.end());
    std::sort(withControls.begin(), withControls.end());
    RECT rc;
    page.GetClientRect(&rc);
    {
        // Where the time goes: the walk over the stored entries alone, and the whole drawing into an off-screen
        // surface without the kept static part.
        QueryPerformanceCounter(&t0);
        uint64_t nValid = 0;
        for (int r = 0; r < MAX_TEST_RUNS; ++r) {
            const uint32_t* p = page.Ring().Samples(r);
            for (int i = 0; i < page.Ring().SamplesPerRun(); ++i)
                nValid += p[i] != SAMPLE_NONE;
        }
        QueryPerformanceCounter(&t1);
        const double dWalk = elapsed();
        CMemoryDC surface(rc.right, rc.bottom, nullptr, RGB(255, 255, 255));
        QueryPerformanceCounter(&t0);
        for (int i = 0; i < 10; ++i)
            page.DrawGraphTo(surface.m_hDC, true);
        QueryPerformanceCounter(&t1);
        std::printf("paint: walk of every entry %.2f ms (%llu valid); whole drawing off screen %.2f ms; first paint "
                    "(static part made) %.2f ms\n",
                    dWalk, (unsigned long long)nValid, elapsed() / 10, dFirst);
        std::printf("paint: with the page's %d controls painted as well (the system's own painting, for the record): "
                    "median %.2f ms, worst %.2f ms\n",
                    nControls, withControls[withControls.size() / 2], withControls.back());
    }
    {
        // The window shows the graph that the off-screen drawing gives: the plot, its frame and the strip left of it.
        const GraphLayout& g = graph.m_layout;
        CClientDC client(&page);
        CMemoryDC shown(rc.right, rc.bottom, &client, RGB(255, 255, 255));
        shown.BitBlt(0, 0, rc.right, rc.bottom, &client, 0, 0, SRCCOPY);
        CMemoryDC drawn(rc.right, rc.bottom, &client, GetSysColor(COLOR_BTNFACE));
        page.DrawGraphTo(drawn.m_hDC, false);
        long nDifferent = 0;
        for (int y = g.top - 1; y <= g.bottom + 1; ++y)
            for (int x = 0; x <= g.right + 1 && x < rc.right; ++x)
                nDifferent += GetPixel(shown.m_hDC, x, y) != GetPixel(drawn.m_hDC, x, y);
        std::printf("paint: pixels of the graph on screen that differ from the off-screen drawing: %ld%s\n", nDifferent,
                    nDifferent == 0 ? "" : "  (THE SCREEN DOES NOT SHOW THE GRAPH)");
    }
    const double dInterval = 1125.0 / (24 * kEmuDvdBase) * 1000.0;
    std::printf("paint: %d samples in 10 runs, %d repaints of the page (background and graph on the window): median "
                "%.2f ms, worst %.2f ms   goal < %.2f ms (5%% of the %.1f ms sample of a 24X DVD)  %s\n",
                nPoints, nRepaints, times[times.size() / 2], times.back(), 0.05 * dInterval, dInterval,
                times[times.size() / 2] < 0.05 * dInterval ? "met" : "NOT MET");
    page.DestroyWindow();
}

} // namespace

int main(int argc, char** argv)
{
    Bench b;
    std::vector<std::string> modes;
    for (int i = 1; i < argc; ++i)
        modes.push_back(argv[i]);
    if (modes.empty())
        modes = {"fidelity", "ceiling", "paint"};
    for (const std::string& mode : modes) {
        if (mode == "fidelity")
            Fidelity(b);
        else if (mode == "ceiling")
            Ceiling(b);
        else if (mode == "paint")
            Paint(b);
        else
            std::printf("unknown mode %s\n", mode.c_str());
        std::fflush(stdout);
    }
    b.manager.Close();
    g_pDriveManager = nullptr;
    if (b.pMachine != nullptr)
        b.pMachine->Reset();
    return 0;
}
