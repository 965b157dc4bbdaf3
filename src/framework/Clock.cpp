// src/framework/Clock.cpp
#include "framework/Clock.h"

namespace {

// Read on every call; a test program installs its hooks before the code under test runs.
const ClockHooks* volatile g_pHooks = nullptr;

} // namespace

const ClockHooks* SetClockHooks(const ClockHooks* pHooks)
{
    const ClockHooks* pPrevious = g_pHooks;
    g_pHooks = pHooks;
    return pPrevious;
}

void ClockSleep(DWORD dwMilliseconds)
{
    const ClockHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnSleep != nullptr)
        pHooks->pfnSleep(dwMilliseconds);
    else
        Sleep(dwMilliseconds);
}

DWORD ClockGetTickCount()
{
    const ClockHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnGetTickCount != nullptr)
        return pHooks->pfnGetTickCount();
    return GetTickCount();
}

BOOL ClockQueryPerformanceCounter(LARGE_INTEGER* pCount)
{
    const ClockHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnQueryPerformanceCounter != nullptr)
        return pHooks->pfnQueryPerformanceCounter(pCount);
    return QueryPerformanceCounter(pCount);
}

LONGLONG ClockPerformanceCount()
{
    LARGE_INTEGER now;
    ClockQueryPerformanceCounter(&now);
    return now.QuadPart;
}

BOOL ClockQueryPerformanceFrequency(LARGE_INTEGER* pFrequency)
{
    const ClockHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnQueryPerformanceFrequency != nullptr)
        return pHooks->pfnQueryPerformanceFrequency(pFrequency);
    return QueryPerformanceFrequency(pFrequency);
}

void ClockGetLocalTime(SYSTEMTIME* pTime)
{
    const ClockHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnGetLocalTime != nullptr)
        pHooks->pfnGetLocalTime(pTime);
    else
        GetLocalTime(pTime);
}

void ClockGetSystemTime(SYSTEMTIME* pTime)
{
    const ClockHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnGetSystemTime != nullptr)
        pHooks->pfnGetSystemTime(pTime);
    else
        GetSystemTime(pTime);
}
