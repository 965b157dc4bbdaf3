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
typedef DWORD (*TickCallback)(DWORD ms);

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

// Seams for tests: the CPUID instruction and MeasureTicks. NULL restores the processor's own.
// A CPUID function returns false when the leaf cannot be executed.
typedef bool (*CpuidFn)(unsigned leaf, unsigned regs[4]);
typedef int64_t (*MeasureTicksFn)(TickCallback callback, DWORD ms);
void SetCpuidFunction(CpuidFn fn);
void SetMeasureTicksFunction(MeasureTicksFn fn);

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
// Seam for tests: the memory figures' source. NULL restores the system's.
typedef bool (*MemoryFiguresFn)(MemoryFigures& figures);
void SetMemoryFiguresFunction(MemoryFiguresFn fn);
void AppendMemoryLines(const MemoryFigures& figures, CStringArray& lines);

// The processor and memory lines of the system section ("CPU %d:" blocks or "CPU Name", "CPU Speed", the three
// memory lines), appended to `lines`.
void AppendProcessorAndMemoryLines(CStringArray& lines);

#endif
