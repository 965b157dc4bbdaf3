// bench/HostileInputs.cpp — the hostile-input driver: seeded hostile drive answers, HTTP answers and stored values
// fed to the program's readers in one process, seed after seed, with nothing allowed to crash or hang.
//
// Usage: hostile_inputs.exe [--plan FAMILY:SECONDS[:FIRST-SEED[:ITERATIONS]]]... [--iterations N] [--seed-file FILE]
//                           [--skip STEP]... [--disc-dir DIR] [--http-port PORT] [--http-threads N]
//                           [--verbose]
//   FAMILY is drive, http or stored; each family of the plan runs for its seconds, or for its number of iterations
//   (--iterations gives one for every family).
//   The seed of each iteration is written to the seed file (default hostile-seed.txt) before it starts, so a
//   crash is found again with --plan FAMILY:0:SEED --iterations 1 --verbose. --skip leaves a step of the drive
//   family out (to tell which step a fault needs).
// Every family writes the registry, so the program runs only in a throw-away prefix, which the caller confirms with
// the environment variable TAVISK_HOSTILE_PRIVATE_PREFIX=1 (wine-run --fresh-prefix --env ...).
// Each family ends with a line "RESULT family=F iterations=N inputs=N crashes=N hangs=N commands=N seconds=S
// last-seed=N complete=1", also when a crash or a hang ends the process (complete=0, exit code 3 for a crash, 4
// for a hang, 5 for a damaged heap); bench/run-hostile-inputs adds the lines up and prints the table.
#include <windows.h>

#include <malloc.h>
#include <tlhelp32.h>

#include "HostileInputs.h"
#include "framework/Handles.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

namespace {

const DWORD kHangMs = 10000;
const int kExitCrash = 3;
const int kExitHang = 4;
const int kExitHeap = 5;

struct Slot {
    std::atomic<bool> bActive{false};
    std::atomic<uint64_t> nStart{0};
    std::atomic<const char*> pszFamily{""};
    std::atomic<uint64_t> nSeed{0};
    std::atomic<const char*> pszStep{""};
};

Slot g_slots[kHostileSlots];
thread_local int t_nSlot = -1;
std::mutex g_outputLock;
FILE* g_pSeedFile = nullptr;
// Held shared by each thread while it runs a seed, and alone by the heap check: HeapValidate walks a heap under its
// lock, but Wine's low-fragmentation heap hands out and takes back small blocks without that lock, so a walk while
// another thread allocates meets blocks half set up and reports damage that is not there (seen as "invalid block
// tail" and "free block overwritten" that no replay showed, and that the walk under the lock no longer found).
std::shared_mutex g_seedLock;
bool g_bVerbose = false;

// The family running now, for the line printed when the process has to end.
std::atomic<const char*> g_pszRunningFamily{nullptr};
std::atomic<HostileFigures*> g_pRunningFigures{nullptr};
uint64_t g_nFamilyStart = 0;

void PrintResult(const char* pszFamily, const HostileFigures& figures, uint64_t nLastSeed, bool bComplete)
{
    std::printf("RESULT family=%s iterations=%llu inputs=%llu crashes=%llu hangs=%llu commands=%llu seconds=%.1f "
                "last-seed=%llu complete=%d\n",
                pszFamily, (unsigned long long)figures.nIterations, (unsigned long long)figures.nInputs,
                (unsigned long long)figures.nCrashes, (unsigned long long)figures.nHangs,
                (unsigned long long)figures.nCommands, figures.dSeconds, (unsigned long long)nLastSeed,
                bComplete ? 1 : 0);
    std::fflush(stdout);
}

// Ends the process after a crash or a hang: the fault with its seed and step, then the running family's figures.
[[noreturn]] void EndProcess(int nSlot, const char* pszWhat, const char* pszDetail, bool bHang, int nExitCode)
{
    std::lock_guard<std::mutex> lock(g_outputLock);
    const Slot& slot = g_slots[nSlot >= 0 ? nSlot : 0];
    std::printf("%s family=%s seed=%llu step=%s %s\n", pszWhat, slot.pszFamily.load(),
                (unsigned long long)slot.nSeed.load(), slot.pszStep.load(), pszDetail);
    std::printf("replay: bench/run-hostile-inputs --replay %s %llu\n", slot.pszFamily.load(),
                (unsigned long long)slot.nSeed.load());
    if (HostileFigures* pFigures = g_pRunningFigures.load()) {
        HostileFigures figures = *pFigures;
        (bHang ? figures.nHangs : figures.nCrashes)++;
        figures.dSeconds = double(HostileNowMs() - g_nFamilyStart) / 1000.0;
        PrintResult(g_pszRunningFamily.load(), figures, slot.nSeed.load(), false);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), UINT(nExitCode));
    for (;;)
        Sleep(1000);
}

// Which heap, and the block that fails its own check with its size and bytes (and the bytes just past it), to
// tell whose data it is.
void DescribeDamagedBlock(HANDLE hHeap)
{
    std::lock_guard<std::mutex> lock(g_outputLock);
    std::printf("heap %p%s%s\n", hHeap, hHeap == GetProcessHeap() ? " (process heap)" : "",
                hHeap == reinterpret_cast<HANDLE>(_get_heap_handle()) ? " (C run-time heap)" : "");
    PROCESS_HEAP_ENTRY entry = {};
    if (!HeapLock(hHeap))
        return;
    int nShown = 0;
    while (nShown < 4 && HeapWalk(hHeap, &entry)) {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) == 0 || HeapValidate(hHeap, 0, entry.lpData))
            continue;
        ++nShown;
        const BYTE* p = static_cast<const BYTE*>(entry.lpData);
        std::printf("block %p of %lu bytes:", entry.lpData, (unsigned long)entry.cbData);
        const DWORD nShow = entry.cbData + 16 < 96 ? entry.cbData + 16 : 96;
        for (DWORD j = 0; j < nShow; ++j)
            std::printf(" %02X", p[j]);
        std::printf(" |");
        for (DWORD j = 0; j < nShow; ++j)
            std::printf("%c", p[j] >= 32 && p[j] < 127 ? p[j] : '.');
        std::printf("|\n");
        if (entry.cbData > 96) {
            std::printf("  its end:");
            for (DWORD j = entry.cbData - 32; j < entry.cbData + 16; ++j)
                std::printf(" %02X", p[j]);
            std::printf("\n");
        }
    }
    HeapUnlock(hHeap);
    std::fflush(stdout);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pInfo)
{
    char szDetail[120];
    std::snprintf(szDetail, sizeof(szDetail), "exception 0x%08lX at %p",
                  (unsigned long)pInfo->ExceptionRecord->ExceptionCode, pInfo->ExceptionRecord->ExceptionAddress);
    EndProcess(t_nSlot, "CRASH", szDetail, false, kExitCrash);
}

void OnTerminate()
{
    EndProcess(t_nSlot, "CRASH", "std::terminate", false, kExitCrash);
}

DWORD WINAPI Watchdog(LPVOID)
{
    for (;;) {
        Sleep(250);
        const uint64_t nNow = HostileNowMs();
        for (int i = 0; i < kHostileSlots; ++i) {
            if (g_slots[i].bActive.load() && nNow - g_slots[i].nStart.load() > kHangMs)
                EndProcess(i, "HANG", "no progress for 10 s", true, kExitHang);
        }
    }
}

} // namespace

uint64_t HostileNowMs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return uint64_t(now.QuadPart / (frequency.QuadPart / 1000));
}

void HostileBegin(int nSlot, const char* pszFamily, uint64_t nSeed)
{
    t_nSlot = nSlot;
    Slot& slot = g_slots[nSlot];
    slot.pszFamily = pszFamily;
    slot.nSeed = nSeed;
    slot.pszStep = "start";
    slot.nStart = HostileNowMs();
    g_seedLock.lock_shared();
    slot.bActive = true;
    std::lock_guard<std::mutex> lock(g_outputLock);
    if (g_pSeedFile != nullptr) {
        std::rewind(g_pSeedFile);
        std::fprintf(g_pSeedFile, "%s %020llu\n", pszFamily, (unsigned long long)nSeed);
        std::fflush(g_pSeedFile);
    }
    if (g_bVerbose)
        std::fprintf(stderr, "-- %s seed %llu\n", pszFamily, (unsigned long long)nSeed);
}

void HostileStep(int nSlot, const char* pszStep)
{
    g_slots[nSlot].pszStep = pszStep;
    if (g_bVerbose) {
        std::fprintf(stderr, "-- step %s\n", pszStep);
        std::fflush(stderr);
    }
}

void HostileEnd(int nSlot)
{
    g_slots[nSlot].bActive = false;
    g_seedLock.unlock_shared();
}

int HostileThreadCount()
{
    CHandleOwner snapshot;
    snapshot.Attach(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.IsCreated())
        return 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int nCount = 0;
    for (BOOL bMore = Thread32First(snapshot.get(), &entry); bMore; bMore = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++nCount;
    }
    return nCount;
}

bool HostileVerbose()
{
    return g_bVerbose;
}

void HostileReportException(int nSlot, const char* pszWhat)
{
    std::lock_guard<std::mutex> lock(g_outputLock);
    const Slot& slot = g_slots[nSlot];
    std::printf("FAULT family=%s seed=%llu step=%s %s\n", slot.pszFamily.load(),
                (unsigned long long)slot.nSeed.load(), slot.pszStep.load(), pszWhat);
    std::fflush(stdout);
}

// HeapValidate walks every block of a heap: with Wine's heap checks on (WINEDEBUG=warn+heap) a block header that a
// write past the block before it damaged ends the process as a crash.
void HostileCheckHeaps(int nSlot)
{
    std::unique_lock<std::shared_mutex> seeds(g_seedLock);
    HANDLE heaps[64];
    const DWORD nHeaps = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < nHeaps && i < 64; ++i) {
        if (!HeapValidate(heaps[i], 0, nullptr)) {
            DescribeDamagedBlock(heaps[i]);
            EndProcess(nSlot, "CRASH", "damaged heap", false, kExitHeap);
        }
    }
}

void HostileSeedLoop(int nSlot, const char* pszFamily, const HostileOptions& options, HostileFigures& figures,
                     const std::function<void(uint64_t nSeed)>& runSeed)
{
    const uint64_t nStart = HostileNowMs();
    for (uint64_t nSeed = options.nFirstSeed;; ++nSeed) {
        if (options.nIterations >= 0 ? int64_t(figures.nIterations) >= options.nIterations
                                     : double(HostileNowMs() - nStart) / 1000.0 >= options.dSeconds)
            break;
        HostileBegin(nSlot, pszFamily, nSeed);
        runSeed(nSeed);
        figures.nIterations++;
        HostileEnd(nSlot);
        HostileCheckHeaps(nSlot);
    }
}

thread_local int t_nOverruns = 0;

void HostileReportBufferOverrun(size_t nSize)
{
    char szText[80];
    std::snprintf(szText, sizeof(szText), "write past a buffer of %u bytes", unsigned(nSize));
    HostileReportException(t_nSlot >= 0 ? t_nSlot : 0, szText);
    ++t_nOverruns;
}

bool HostileRunStep(int nSlot, const HostileOptions& options, HostileFigures& figures, const char* pszStep,
                    const std::function<void()>& fn)
{
    if (options.skip.count(pszStep) != 0)
        return false;
    HostileStep(nSlot, pszStep);
    t_nOverruns = 0;
    try {
        fn();
        if (t_nOverruns == 0)
            return true;
        figures.nCrashes += uint64_t(t_nOverruns);
        return false;
    } catch (const std::exception& e) {
        HostileReportException(nSlot, e.what());
    } catch (...) {
        HostileReportException(nSlot, "unknown exception");
    }
    figures.nCrashes++;
    return false;
}

namespace {

struct PlanEntry {
    std::string strFamily;
    double dSeconds;
    uint64_t nFirstSeed;
    int64_t nIterations; // -1: --iterations, else as many as fit in the time
};

bool ParsePlan(const char* pszText, PlanEntry& entry)
{
    const char* pColon = std::strchr(pszText, ':');
    if (pColon == nullptr)
        return false;
    entry.strFamily.assign(pszText, pColon);
    char* pEnd = nullptr;
    entry.dSeconds = std::strtod(pColon + 1, &pEnd);
    entry.nFirstSeed = 1;
    entry.nIterations = -1;
    if (*pEnd == ':')
        entry.nFirstSeed = std::strtoull(pEnd + 1, &pEnd, 10);
    if (*pEnd == ':')
        entry.nIterations = std::strtoll(pEnd + 1, &pEnd, 10);
    return *pEnd == '\0' &&
           (entry.strFamily == "drive" || entry.strFamily == "http" || entry.strFamily == "stored");
}

int Usage()
{
    std::fprintf(stderr, "usage: hostile_inputs.exe [--plan FAMILY:SECONDS[:FIRST-SEED[:ITERATIONS]]]... [--iterations N] "
                         "[--seed-file FILE] [--skip STEP]... [--disc-dir DIR] [--http-port PORT] "
                         "[--http-threads N] [--verbose]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<PlanEntry> plan;
    HostileOptions common;
    const char* pszSeedFile = "hostile-seed.txt";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool bHasValue = i + 1 < argc;
        if (arg == "--plan" && bHasValue) {
            PlanEntry entry;
            if (!ParsePlan(argv[++i], entry))
                return Usage();
            plan.push_back(entry);
        } else if (arg == "--iterations" && bHasValue) {
            common.nIterations = std::strtoll(argv[++i], nullptr, 10);
        } else if (arg == "--seed-file" && bHasValue) {
            pszSeedFile = argv[++i];
        } else if (arg == "--skip" && bHasValue) {
            common.skip.insert(argv[++i]);
        } else if (arg == "--disc-dir" && bHasValue) {
            common.strDiscDir = argv[++i];
        } else if (arg == "--http-port" && bHasValue) {
            common.nHttpPort = std::atoi(argv[++i]);
        } else if (arg == "--http-threads" && bHasValue) {
            common.nHttpThreads = std::max(1, std::min(std::atoi(argv[++i]), kHostileSlots - 1));
        } else if (arg == "--verbose") {
            common.bVerbose = true;
        } else {
            return Usage();
        }
    }
    if (plan.empty())
        return Usage();
    // Every family writes the registry (damaged values, the update address, the device map, speed caches): the
    // prefix must be a throw-away copy, or the tests that share it would read the damage afterwards.
    const char* pszPrivate = std::getenv("TAVISK_HOSTILE_PRIVATE_PREFIX");
    if (pszPrivate == nullptr || std::strcmp(pszPrivate, "1") != 0) {
        std::fprintf(stderr, "hostile_inputs writes damaged values into the registry: run it in a private prefix "
                             "(scripts/wine-run --fresh-prefix --env TAVISK_HOSTILE_PRIVATE_PREFIX=1)\n");
        return 2;
    }
    g_bVerbose = common.bVerbose;
    g_pSeedFile = std::fopen(pszSeedFile, "w");
    SetUnhandledExceptionFilter(&OnUnhandledException);
    std::set_terminate(&OnTerminate);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    CHandleOwner watchdog;
    watchdog.Attach(CreateThread(nullptr, 0, &Watchdog, nullptr, 0, nullptr));

    int nExit = 0;
    for (const PlanEntry& entry : plan) {
        HostileOptions options = common;
        options.dSeconds = entry.dSeconds;
        options.nFirstSeed = entry.nFirstSeed;
        if (entry.nIterations >= 0)
            options.nIterations = entry.nIterations;
        HostileFigures figures;
        g_nFamilyStart = HostileNowMs();
        g_pszRunningFamily = entry.strFamily.c_str();
        g_pRunningFigures = &figures;
        if (entry.strFamily == "drive")
            RunHostileDrive(options, figures);
        else if (entry.strFamily == "http")
            RunHostileHttp(options, figures);
        else
            RunHostileStored(options, figures);
        g_pRunningFigures = nullptr;
        figures.dSeconds = double(HostileNowMs() - g_nFamilyStart) / 1000.0;
        std::lock_guard<std::mutex> lock(g_outputLock);
        PrintResult(entry.strFamily.c_str(), figures, entry.nFirstSeed + figures.nIterations - 1, true);
        if (figures.nCrashes != 0)
            nExit = 1;
    }
    if (g_pSeedFile != nullptr)
        std::fclose(g_pSeedFile);
    return nExit;
}
