// src/report/SystemInfo.cpp
#include "report/SystemInfo.h"

#include "report/ReportLine.h"

#include <initguid.h>
#include <devguid.h>
#include <cfgmgr32.h>
#include <cpuid.h>
#include <x86intrin.h>

#include <cstdlib>
#include <cstring>

// The 32-bit layouts the program was written against (x86-64 test builds have their own).
static_assert(sizeof(void*) != 4 || (sizeof(SP_DEVINFO_DATA) == 28), "device information record of 28 bytes");
static_assert(sizeof(void*) != 4 || (sizeof(MEMORYSTATUS) == 32), "memory status record of 32 bytes");

char g_szCpuBrand[49];

namespace {

// The CPUID instruction itself, without any check of the leaf; false when the processor has no CPUID.
bool ProcessorCpuid(unsigned leaf, unsigned regs[4])
{
    if (__get_cpuid_max(0, nullptr) == 0)
        return false;
    __cpuid(leaf, regs[0], regs[1], regs[2], regs[3]);
    return true;
}

const SystemInfoHooks* g_pSystemInfoHooks = nullptr;

bool Cpuid(unsigned leaf, unsigned regs[4])
{
    const SystemInfoHooks* pHooks = g_pSystemInfoHooks;
    if (pHooks != nullptr && pHooks->pfnCpuid != nullptr)
        return pHooks->pfnCpuid(leaf, regs);
    return ProcessorCpuid(leaf, regs);
}

int64_t MeasureTicksThroughSeam(TickCallback callback, DWORD ms)
{
    const SystemInfoHooks* pHooks = g_pSystemInfoHooks;
    if (pHooks != nullptr && pHooks->pfnMeasureTicks != nullptr)
        return pHooks->pfnMeasureTicks(callback, ms);
    return MeasureTicks(callback, ms);
}

// Function 1 reports the time-stamp counter in bit 4 of EDX; function 0 gives the highest standard function.
bool HasTimeStampCounter()
{
    unsigned regs[4] = {};
    if (!Cpuid(0, regs) || regs[0] < 1)
        return false;
    if (!Cpuid(1, regs))
        return false;
    return (regs[3] & (1u << 4)) != 0;
}

// The wait of SpinWaitMs and the overhead pass share every step up to the first reading after the start, so that
// the overhead pass costs what the wait costs besides its waiting: counts per millisecond from the frequency,
// the target, the start reading, then readings until the elapsed count reaches the target (wait) or, for the
// overhead pass, differs from it. A failing frequency query returns at once.
void SpinOnPerformanceCounter(DWORD ms, bool wait)
{
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency))
        return;
    int64_t countsPerMs = frequency.QuadPart / 1000;
    int64_t target = countsPerMs * ms;
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    for (;;) {
        QueryPerformanceCounter(&now);
        int64_t elapsed = now.QuadPart - start.QuadPart;
        if (wait ? elapsed >= target : elapsed != target)
            return;
    }
}

const char kFriendlyNameLabel[] = "SPDRP_FRIENDLYNAME  : ";

// GetDiskFreeSpaceExA where kernel32 has it (it is missing before Windows 95 OSR2), else the cluster counts.
uint64_t GetDiskBytes(char letter, bool total)
{
    const char root[4] = {letter, ':', '\\', '\0'};
    // A drive without a medium must not bring up the system's "no disk" box while the report is built.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    using GetDiskFreeSpaceExAFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    GetDiskFreeSpaceExAFn pfnEx = reinterpret_cast<GetDiskFreeSpaceExAFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
    uint64_t result = 0;
    ULARGE_INTEGER available, totalBytes, freeBytes;
    if (pfnEx != nullptr && pfnEx(root, &available, &totalBytes, &freeBytes)) {
        result = total ? totalBytes.QuadPart : freeBytes.QuadPart;
    } else {
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
        GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters);
        result = static_cast<uint64_t>(total ? totalClusters : freeClusters) * bytesPerSector * sectorsPerCluster;
    }
    SetErrorMode(oldMode);
    return result;
}

} // namespace

const SystemInfoHooks* SetSystemInfoHooks(const SystemInfoHooks* pHooks)
{
    const SystemInfoHooks* pPrevious = g_pSystemInfoHooks;
    g_pSystemInfoHooks = pHooks;
    return pPrevious;
}

// Reads the time-stamp counter before and after the callback. Where the original guarded the two RDTSC with a
// structured-exception handler, the counter is asked for first (CPUID function 1, EDX bit 4): a processor
// without it gives -1, as a fault would.
int64_t MeasureTicks(TickCallback callback, DWORD ms)
{
    if (!HasTimeStampCounter())
        return -1;
    uint64_t t0 = __rdtsc();
    callback(ms);
    uint64_t t1 = __rdtsc();
    return static_cast<int64_t>(t1 - t0);
}

// Spins on the performance counter for `ms` milliseconds; never sleeps or yields.
DWORD SpinWaitMs(DWORD ms)
{
    SpinOnPerformanceCounter(ms, true);
    return 0;
}

// The same preparation and counter reads as SpinWaitMs without the wait: it leaves as soon as the elapsed
// count differs from the target, in practice after the first reading. Its ticks are subtracted from the wait.
DWORD MeasureSpinWaitOverhead(DWORD ms)
{
    SpinOnPerformanceCounter(ms, false);
    return 0;
}

// Ticks over 50 ms divided by 50 give ticks per millisecond, divided by 1000 ticks per microsecond: MHz. Both
// divisions truncate toward zero. An overhead pass longer than the wait (only when the counter misbehaves)
// would give a negative clock; it is reported as 0.
DWORD ClockFromTicks(int64_t waitTicks, int64_t overheadTicks)
{
    int64_t mhz = ((waitTicks - overheadTicks) / 50) / 1000;
    if (mhz < 0)
        return 0;
    return static_cast<DWORD>(static_cast<uint64_t>(mhz) & 0xFFFFFFFFu);
}

// CPUID functions 0x80000002 to 0x80000004 give the 48 characters of the brand string, 16 per function in the
// order EAX, EBX, ECX, EDX. The highest extended function is asked first: a processor without these functions
// answers them with unrelated data, so the buffer is then left as it was.
bool ReadCpuBrandString()
{
    unsigned regs[4] = {};
    if (!Cpuid(0x80000000u, regs) || regs[0] < 0x80000004u)
        return false;
    char brand[48];
    for (unsigned i = 0; i < 3; ++i) {
        if (!Cpuid(0x80000002u + i, regs))
            return false;
        memcpy(brand + 16 * i, regs, 16);
    }
    memcpy(g_szCpuBrand, brand, 48);
    g_szCpuBrand[48] = '\0';
    return true;
}

// Measures the clock (a 50 ms spin and the overhead pass) and reads the brand string without white space at
// either end.
CCpuInfo::CCpuInfo()
{
    int64_t waitTicks = MeasureTicksThroughSeam(SpinWaitMs, 50);
    int64_t overheadTicks = MeasureTicksThroughSeam(MeasureSpinWaitOverhead, 50);
    m_nClockMHz = ClockFromTicks(waitTicks, overheadTicks);
    ReadCpuBrandString();
    m_strBrand = g_szCpuBrand;
    m_strBrand.TrimRight();
    m_strBrand.TrimLeft();
}

CCpuInfo::~CCpuInfo() = default;

// The friendly name of processor device `index`. Errors become lines with a result of 0 (the caller then
// drops them); a device without a friendly name gives the "not available" line and a result of 1.
int GetCpuFriendlyName(HDEVINFO deviceInfoSet, DWORD index, CStringArray& lines)
{
    SP_DEVINFO_DATA deviceInfo;
    memset(&deviceInfo, 0, sizeof deviceInfo);
    deviceInfo.cbSize = sizeof deviceInfo;
    if (!SetupDiEnumDeviceInfo(deviceInfoSet, index, &deviceInfo)) {
        DWORD error = GetLastError();
        if (error != ERROR_NO_MORE_ITEMS)
            AppendReportLine(lines, "SetupDiEnumDeviceInfo failed with error: %d", static_cast<int>(error));
        return 0;
    }

    char deviceId[200];
    CONFIGRET cr = CM_Get_Device_IDA(deviceInfo.DevInst, deviceId, sizeof deviceId, 0);
    if (cr != CR_SUCCESS) {
        AppendReportLine(lines, "CM_Get_Device_ID failed with error: %d", static_cast<int>(cr));
        return 0;
    }

    DWORD required = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(deviceInfoSet, &deviceInfo, SPDRP_FRIENDLYNAME, nullptr, nullptr, 0,
                                           &required)) {
        DWORD error = GetLastError();
        if (error == ERROR_INVALID_DATA) {
            AppendReportLine(lines, "%sSPDRP_FRIENDLYNAME not available!", kFriendlyNameLabel);
            return 1;
        }
        if (error != ERROR_INSUFFICIENT_BUFFER) {
            AppendReportLine(lines, "%sSetupDiGetDeviceRegistryProperty failed with error: %d", kFriendlyNameLabel,
                             static_cast<int>(error));
            return 0;
        }
    }

    // Twice the size and two zero bytes more, so the text always ends inside the buffer.
    DWORD size = required * 2 + 2;
    char* name = static_cast<char*>(calloc(size, 1));
    if (name == nullptr)
        return 0;
    if (!SetupDiGetDeviceRegistryPropertyA(deviceInfoSet, &deviceInfo, SPDRP_FRIENDLYNAME, nullptr,
                                           reinterpret_cast<BYTE*>(name), size, nullptr)) {
        DWORD error = GetLastError();
        if (error == ERROR_INVALID_DATA) {
            AppendReportLine(lines, "%sSPDRP_FRIENDLYNAME not available!", kFriendlyNameLabel);
        } else if (error != ERROR_INSUFFICIENT_BUFFER) {
            AppendReportLine(lines, "%sSetupDiGetDeviceRegistryProperty failed with error: %d", kFriendlyNameLabel,
                             static_cast<int>(error));
            free(name);
            return 0;
        }
    }
    AppendReportLine(lines, "CPU Name: %s", name);
    free(name);
    return 1;
}

char* BitsToString8(BYTE bits, char* out)
{
    for (int bit = 0; bit < 8; ++bit)
        out[bit] = (bits & (1 << bit)) ? '1' : '0';
    out[8] = '\0';
    return out;
}

char* BitsToString3(BYTE bits, char* out)
{
    for (int i = 0; i < 3; ++i)
        out[i] = (bits & (1 << (2 - i))) ? '1' : '0';
    out[3] = '\0';
    return out;
}

uint64_t GetDiskFreeBytes(char letter)
{
    return GetDiskBytes(letter, false);
}

uint64_t GetDiskTotalBytes(char letter)
{
    return GetDiskBytes(letter, true);
}

// GlobalMemoryStatus saturates at 2 GB (and wraps above 4 GB on some systems), so GlobalMemoryStatusEx is used
// wherever kernel32 has it; Windows 95 and NT 4.0 lack it and keep the 32-byte record.
namespace {

bool QuerySystemMemoryFigures(MemoryFigures& figures)
{
    using GlobalMemoryStatusExFn = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
    GlobalMemoryStatusExFn pfnEx = reinterpret_cast<GlobalMemoryStatusExFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GlobalMemoryStatusEx")));
    if (pfnEx != nullptr) {
        MEMORYSTATUSEX status;
        memset(&status, 0, sizeof status);
        status.dwLength = sizeof status;
        if (pfnEx(&status)) {
            figures.totalPhysical = status.ullTotalPhys;
            figures.availablePhysical = status.ullAvailPhys;
            figures.memoryLoad = status.dwMemoryLoad;
            return true;
        }
    }
    MEMORYSTATUS status;
    memset(&status, 0, sizeof status);
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    figures.totalPhysical = status.dwTotalPhys;
    figures.availablePhysical = status.dwAvailPhys;
    figures.memoryLoad = status.dwMemoryLoad;
    return true;
}

} // namespace

bool QueryMemoryFigures(MemoryFigures& figures)
{
    const SystemInfoHooks* pHooks = g_pSystemInfoHooks;
    if (pHooks != nullptr && pHooks->pfnMemoryFigures != nullptr)
        return pHooks->pfnMemoryFigures(figures);
    return QuerySystemMemoryFigures(figures);
}

void AppendMemoryLines(const MemoryFigures& figures, CStringArray& lines)
{
    AppendReportLine(lines, "Installed RAM: %lldMB", static_cast<long long>(figures.totalPhysical >> 20));
    AppendReportLine(lines, "Memory Available: %lldKB", static_cast<long long>(figures.availablePhysical >> 10));
    AppendReportLine(lines, "Percent of used RAM: %ld%%", static_cast<long>(figures.memoryLoad));
}

namespace {

// The processor class's device list, destroyed by its owner.
struct ProcessorListTraits : KernelHandleTraits {
    static BOOL Close(HDEVINFO h) { return SetupDiDestroyDeviceInfoList(h); }
};

} // namespace

// One "CPU %d:" block per processor device that gives its friendly name; the brand string only when the
// processor class lists none (as under Wine); then the clock and the memory lines.
void AppendProcessorAndMemoryLines(CStringArray& lines)
{
    int processors = 0;
    const CHandleOwnerT<ProcessorListTraits> deviceInfoSet(
        SetupDiGetClassDevsA(&GUID_DEVCLASS_PROCESSOR, nullptr, nullptr, DIGCF_PRESENT));
    if (deviceInfoSet.IsCreated()) {
        for (DWORD index = 0;; ++index) {
            CStringArray deviceLines;
            if (!GetCpuFriendlyName(deviceInfoSet.get(), index, deviceLines))
                break;
            AppendReportLine(lines, "CPU %d:", static_cast<int>(index + 1));
            for (int i = 0; i < deviceLines.GetSize(); ++i)
                lines.Add(deviceLines[i]);
            ++processors;
        }
    }

    CCpuInfo cpu;
    if (processors == 0)
        AppendReportLine(lines, "CPU Name: %s", static_cast<LPCSTR>(cpu.m_strBrand));
    AppendReportLine(lines, "CPU Speed: %lu MHz", static_cast<unsigned long>(cpu.m_nClockMHz));

    MemoryFigures memory;
    QueryMemoryFigures(memory);
    AppendMemoryLines(memory, lines);
}
