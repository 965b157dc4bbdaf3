// src/report/SystemInfo.h
// Processor, memory and disk figures of the report's system section: the processor clock measured with the
// time-stamp counter, the processor brand string, the friendly names of processor devices, the memory status,
// the bytes of a volume and the bit-string formatters of the jumper settings.
#ifndef TAVISK_REPORT_SYSTEMINFO_H
#define TAVISK_REPORT_SYSTEMINFO_H

#include "framework/Framework.h"

#include <windows.h>
#include <setupapi.h>

#include <cstdint>

// Callback timed by MeasureTicks: it gets a millisecond count, its result is ignored.
using TickCallback = DWORD (*)(DWORD ms);

// Time-stamp ticks that elapse while callback(ms) runs; -1 when the processor has no time-stamp counter.
int64_t MeasureTicks(TickCallback callback, DWORD ms);
DWORD SpinWaitMs(DWORD ms);
DWORD MeasureSpinWaitOverhead(DWORD ms);

// Clock in MHz from the ticks of a 50 ms wait and of the overhead pass.
DWORD ClockFromTicks(int64_t waitTicks, int64_t overheadTicks);

// The brand buffer (48 characters and a terminator), zero at start; ReadCpuBrandString fills it and returns
// true, or leaves it as it was and returns false when the processor has no brand string.
extern char g_szCpuBrand[49];
bool ReadCpuBrandString();

class CCpuInfo {
public:
    CCpuInfo();
    ~CCpuInfo();

    DWORD m_nClockMHz;
    CString m_strBrand;
};

// Lines of processor device `index` of a SetupAPI device set; 1 when handled, 0 when there is none or on error.
int GetCpuFriendlyName(HDEVINFO deviceInfoSet, DWORD index, CStringArray& lines);

// Bits of a byte as '0'/'1' characters: all eight, bit 0 first (out >= 9 characters), or bits 2, 1, 0 (out >= 4).
char* BitsToString8(BYTE bits, char* out);
char* BitsToString3(BYTE bits, char* out);

// Free and total bytes of the volume whose root is `letter` ('D' for D:\); 0 when nothing can be learnt.
uint64_t GetDiskFreeBytes(char letter);
uint64_t GetDiskTotalBytes(char letter);

// Physical memory as the report shows it.
struct MemoryFigures {
    uint64_t totalPhysical;
    uint64_t availablePhysical;
    DWORD memoryLoad;
};
bool QueryMemoryFigures(MemoryFigures& figures);
void AppendMemoryLines(const MemoryFigures& figures, CStringArray& lines);

// The seam of the processor and memory figures: the CPUID instruction (false when the leaf cannot be executed),
// MeasureTicks and the memory figures' source. The default is the processor's and the system's own.
struct SystemInfoHooks {
    bool (*pfnCpuid)(unsigned leaf, unsigned regs[4]);
    int64_t (*pfnMeasureTicks)(TickCallback callback, DWORD ms);
    bool (*pfnMemoryFigures)(MemoryFigures& figures);
};

// Installs a hook table (kept by pointer); null restores the real calls, and so does a null entry. Returns the
// table that was in use.
const SystemInfoHooks* SetSystemInfoHooks(const SystemInfoHooks* pHooks);

// The processor and memory lines of the system section ("CPU %d:" blocks or "CPU Name", "CPU Speed", the three
// memory lines), appended to `lines`.
void AppendProcessorAndMemoryLines(CStringArray& lines);

#endif
