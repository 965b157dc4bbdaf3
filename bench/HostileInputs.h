// bench/HostileInputs.h
// The hostile-input driver's parts: three families of inputs (drive answers, HTTP answers, stored values), each a
// loop of seeded iterations, and the guard around every iteration: the seed written to a file before it starts,
// a watchdog that reports an iteration making no progress for 10 s, and a handler that reports a crash with its
// family, seed and step.
#ifndef TAVISK_BENCH_HOSTILEINPUTS_H
#define TAVISK_BENCH_HOSTILEINPUTS_H

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <functional>
#include <set>
#include <string>

struct HostileOptions {
    double dSeconds = 60;     // time for this family
    uint64_t nFirstSeed = 1;  // seed of the first iteration
    int64_t nIterations = -1; // iterations to run; -1: as many as fit in the time
    bool bVerbose = false;    // replay: every change and every step on stderr
    std::set<std::string> skip; // steps not run
    std::string strDiscDir;     // folder of the media tests' disc images (Windows path), or empty
    int nHttpPort = 0;          // the hostile update service
    int nHttpThreads = 4;
};

struct HostileFigures {
    uint64_t nIterations = 0;
    uint64_t nInputs = 0;   // hostile inputs the readers were given
    uint64_t nCrashes = 0;  // crashes, escaped exceptions and heap damage
    uint64_t nHangs = 0;    // found only by the watchdog, which ends the process
    uint64_t nCommands = 0; // drive family: commands the drive answered
    double dSeconds = 0;
};

// Real milliseconds since some fixed moment (the performance counter; the program's clock seam is not involved).
uint64_t HostileNowMs();

// The guard (HostileInputs.cpp). Iterations of one family run on one thread; the HTTP family's threads each call
// Begin and End for their own requests (the watchdog looks at every slot).
const int kHostileSlots = 16;
void HostileBegin(int nSlot, const char* pszFamily, uint64_t nSeed);
void HostileStep(int nSlot, const char* pszStep);
void HostileEnd(int nSlot);
// An exception that left a reader: reported with the slot's family, seed and step, and counted.
void HostileReportException(int nSlot, const char* pszWhat);
// A write past (or before) a buffer of nSize bytes that a reader was given: reported with the running step and
// counted as a crash of it.
void HostileReportBufferOverrun(size_t nSize);
bool HostileVerbose();

// Every heap of the process checked (HeapValidate) once every thread that runs seeds is between two of them (called
// after HostileEnd); a damaged one ends the process as a crash of the slot's last seed.
void HostileCheckHeaps(int nSlot);
// The threads of the process (a family waits for the helper threads it started to end before the heap check).
int HostileThreadCount();

// The loop of a single-threaded family: seed after seed from the first one, for the options' time or number of
// iterations; each seed guarded (HostileBegin/HostileEnd) and followed by a check of the heaps.
void HostileSeedLoop(int nSlot, const char* pszFamily, const HostileOptions& options, HostileFigures& figures,
                     const std::function<void(uint64_t nSeed)>& runSeed);

// Runs fn for the step unless the options skip it; an exception is reported, counted and the step abandoned.
bool HostileRunStep(int nSlot, const HostileOptions& options, HostileFigures& figures, const char* pszStep,
                    const std::function<void()>& fn);

// Output buffers of exactly the size a function promises to respect, on the heap between two guard bands: Wine's
// heap checks find a damaged block header, but not a few bytes written into the slack of a block, so the bands are
// checked when the buffer goes. A damaged band is reported as a crash of the step.
class CExactBuffer {
public:
    explicit CExactBuffer(size_t nSize) : m_p(new BYTE[nSize + 2 * kGuard]), m_nSize(nSize)
    {
        std::memset(m_p.get(), kGuardByte, nSize + 2 * kGuard);
        std::memset(Bytes(), 0, nSize);
    }
    ~CExactBuffer()
    {
        for (size_t i = 0; i < kGuard; ++i) {
            if (m_p[i] != kGuardByte || m_p[kGuard + m_nSize + i] != kGuardByte) {
                HostileReportBufferOverrun(m_nSize);
                return;
            }
        }
    }
    CExactBuffer(const CExactBuffer&) = delete;
    CExactBuffer& operator=(const CExactBuffer&) = delete;
    BYTE* Bytes() { return m_p.get() + kGuard; }
    char* Text() { return reinterpret_cast<char*>(Bytes()); }
    int Size() const { return int(m_nSize); }

private:
    static const size_t kGuard = 64;
    static const BYTE kGuardByte = 0xA5;
    std::unique_ptr<BYTE[]> m_p;
    size_t m_nSize;
};

// The families. Each keeps its figures up to date while it runs (a crash or hang report prints them).
void RunHostileDrive(const HostileOptions& options, HostileFigures& figures);
void RunHostileHttp(const HostileOptions& options, HostileFigures& figures);
void RunHostileStored(const HostileOptions& options, HostileFigures& figures);

#endif
