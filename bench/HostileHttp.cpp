// bench/HostileHttp.cpp — the HTTP family: the update check's query (HTTP client and answer parser) against the
// hostile update service (tests/hostile/hostile_service.py), one seed per request, on several threads.
#include <windows.h>

#include "HostileInputs.h"
#include "drive/DeviceRecord.h"
#include "framework/Handles.h"
#include "framework/Registry.h"
#include "framework/Socket.h"
#include "update/ScrambledText.h"
#include "update/UpdateChecker.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A request may take this long in all: the service's slowest case (a dribbled answer with pauses) takes well
// under a second, and a case that would make the client wait for ever ends here.
const DWORD kRequestTimeLimitMs = 3000;
// The findings a checker collects before it is replaced (they are kept until then).
const int kRequestsPerChecker = 500;
// Requests that found no service before the family gives up (the service ended, or never started).
const uint64_t kRefusedLimit = 50;

struct HttpRun {
    const HostileOptions* pOptions = nullptr;
    uint64_t nStart = 0;
    std::atomic<uint64_t> nNextSeed{0};
    std::atomic<uint64_t> nIterations{0};
    std::atomic<uint64_t> nExceptions{0};
    std::atomic<uint64_t> nLastSeed{0};
    std::atomic<uint64_t> nRefused{0}; // requests the service never took: not counted as answers

    bool TimeIsUp() const
    {
        if (nRefused > kRefusedLimit)
            return true;
        if (pOptions->nIterations >= 0)
            return false;
        return double(HostileNowMs() - nStart) / 1000.0 >= pOptions->dSeconds;
    }
};

void Worker(HttpRun& run, int nSlot)
{
    AfxSocketInit();
    const HostileOptions& options = *run.pOptions;
    std::unique_ptr<CUpdateChecker> pChecker;
    int nUses = 0;
    CDeviceRecord drive;
    std::memcpy(drive.m_szVendor, "KORVATH ", 9);
    std::memcpy(drive.m_szRevision, "1.00", 5);
    HostileFigures figures; // exceptions only; the run keeps the counts
    for (;;) {
        if (run.TimeIsUp())
            break;
        const uint64_t nSeed = run.nNextSeed++;
        if (options.nIterations >= 0 && nSeed >= options.nFirstSeed + uint64_t(options.nIterations))
            break;
        if (!pChecker || nUses++ >= kRequestsPerChecker) {
            pChecker.reset(new CUpdateChecker(nullptr, CString()));
            pChecker->GetHttpClient().SetTimeLimit(kRequestTimeLimitMs);
            nUses = 0;
        }
        HostileBegin(nSlot, "http", nSeed);
        std::snprintf(drive.m_szProduct, sizeof(drive.m_szProduct), "H%015llu", (unsigned long long)(nSeed % 1000000000000000ull));
        const uint64_t nCrashesBefore = figures.nCrashes;
        HostileRunStep(nSlot, options, figures, "query", [&] {
            const uint64_t t0 = HostileNowMs();
            pChecker->CheckFirmware(&drive);
            CString text;
            pChecker->GetErrorText(&text);
            if (text.Find("Unable to connect") >= 0)
                run.nRefused++;
            if (HostileVerbose())
                std::fprintf(stderr, "seed %llu: %llu ms: %s\n", (unsigned long long)nSeed,
                             (unsigned long long)(HostileNowMs() - t0), text.GetString());
            pChecker->GetHttpClient().TakeErrorFlag();
        });
        if (figures.nCrashes != nCrashesBefore)
            run.nExceptions++;
        run.nIterations++;
        run.nLastSeed = nSeed;
        HostileEnd(nSlot);
        if (nSeed % 64 == 0)
            HostileCheckHeaps(nSlot);
    }
}

struct ThreadStart {
    HttpRun* pRun;
    int nSlot;
};

DWORD WINAPI WorkerThread(LPVOID pParam)
{
    ThreadStart& start = *static_cast<ThreadStart*>(pParam);
    Worker(*start.pRun, start.nSlot);
    return 0;
}

} // namespace

void RunHostileHttp(const HostileOptions& options, HostileFigures& figures)
{
    if (options.nHttpPort == 0) {
        std::printf("http: no hostile update service (--http-port): skipped\n");
        return;
    }
    // The checker's base address, as the program keeps it: scrambled under the update key.
    char szUrl[64];
    std::snprintf(szUrl, sizeof(szUrl), "http://127.0.0.1:%d/check", options.nHttpPort);
    CRegistryKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, kUpdatePathKey) != ERROR_SUCCESS ||
        key.SetString(kUpdatePathValue, ScrambleText(szUrl), CRegistryKey::withoutNul) != ERROR_SUCCESS) {
        std::printf("http: the update address could not be stored\n");
        figures.nCrashes++;
        return;
    }

    HttpRun run;
    run.pOptions = &options;
    run.nStart = HostileNowMs();
    run.nNextSeed = options.nFirstSeed;
    std::vector<ThreadStart> starts(size_t(options.nHttpThreads));
    std::vector<CHandleOwner> owners;
    std::vector<HANDLE> threads;
    for (int i = 0; i < options.nHttpThreads; ++i) {
        starts[size_t(i)] = ThreadStart{&run, 1 + i};
        threads.push_back(CreateThread(nullptr, 0, &WorkerThread, &starts[size_t(i)], 0, nullptr));
        owners.emplace_back();
        owners.back().Attach(threads.back());
    }
    for (;;) {
        figures.nIterations = run.nIterations;
        figures.nInputs = run.nIterations - run.nRefused;
        figures.nCrashes = run.nExceptions;
        if (WaitForMultipleObjects(DWORD(threads.size()), threads.data(), TRUE, 100) != WAIT_TIMEOUT)
            break;
    }
    figures.nIterations = run.nIterations;
    figures.nInputs = run.nIterations - run.nRefused;
    figures.nCrashes = run.nExceptions;
    if (run.nRefused != 0)
        std::printf("http: %llu requests found no service (not counted)\n", (unsigned long long)run.nRefused.load());
}
