// src/framework/Clock.h
// The one clock seam of the program: sleeping, tick counts, the performance counter and wall-clock time.
// The default calls kernel32; test programs install a virtual clock so that no test waits in real time.
#ifndef TAVISK_FRAMEWORK_CLOCK_H
#define TAVISK_FRAMEWORK_CLOCK_H

#include <windows.h>

struct ClockHooks {
    void (*pfnSleep)(DWORD dwMilliseconds);
    DWORD (*pfnGetTickCount)();
    BOOL (*pfnQueryPerformanceCounter)(LARGE_INTEGER* pCount);
    BOOL (*pfnQueryPerformanceFrequency)(LARGE_INTEGER* pFrequency);
    void (*pfnGetLocalTime)(SYSTEMTIME* pTime);
    void (*pfnGetSystemTime)(SYSTEMTIME* pTime);
};

// Installs a hook table (kept by pointer); null restores the real clock. Returns the table that was in use.
// A null entry inside a table falls back to the real call.
const ClockHooks* SetClockHooks(const ClockHooks* pHooks);

void ClockSleep(DWORD dwMilliseconds);
DWORD ClockGetTickCount();
BOOL ClockQueryPerformanceCounter(LARGE_INTEGER* pCount);
BOOL ClockQueryPerformanceFrequency(LARGE_INTEGER* pFrequency);
LONGLONG ClockPerformanceCount(); // the performance counter's value, through the seam
void ClockGetLocalTime(SYSTEMTIME* pTime);
void ClockGetSystemTime(SYSTEMTIME* pTime);

#endif
