// tests/emu/EmuClock.cpp
// Points the program's clock seam at a machine's virtual clock.
#include <windows.h>

#include "Emu.h"
#include "framework/Clock.h"

namespace {

IEmuMachine* volatile g_pClockMachine = nullptr;

const uint64_t kCounterFrequency = 10000000; // 10 MHz, as Wine reports

// Wall-clock time starts at 2007-06-15 12:00:00 and moves with the virtual clock.
const SYSTEMTIME kEpoch = {2007, 6, 5, 15, 12, 0, 0, 0};

void VirtualSleep(DWORD dwMilliseconds)
{
    g_pClockMachine->AdvanceUs(uint64_t(dwMilliseconds) * 1000);
}

DWORD VirtualTickCount()
{
    return DWORD(g_pClockMachine->GetTimeUs() / 1000);
}

BOOL VirtualCounter(LARGE_INTEGER* pCount)
{
    pCount->QuadPart = LONGLONG(g_pClockMachine->GetTimeUs() * (kCounterFrequency / 1000000));
    return TRUE;
}

BOOL VirtualFrequency(LARGE_INTEGER* pFrequency)
{
    pFrequency->QuadPart = LONGLONG(kCounterFrequency);
    return TRUE;
}

void VirtualSystemTime(SYSTEMTIME* pTime)
{
    FILETIME epoch;
    SystemTimeToFileTime(&kEpoch, &epoch);
    ULARGE_INTEGER value;
    value.LowPart = epoch.dwLowDateTime;
    value.HighPart = epoch.dwHighDateTime;
    value.QuadPart += g_pClockMachine->GetTimeUs() * 10;
    FILETIME now;
    now.dwLowDateTime = value.LowPart;
    now.dwHighDateTime = value.HighPart;
    FileTimeToSystemTime(&now, pTime);
}

const ClockHooks kVirtualHooks = {
    &VirtualSleep, &VirtualTickCount, &VirtualCounter, &VirtualFrequency, &VirtualSystemTime, &VirtualSystemTime,
};

} // namespace

void EmuInstallClock(IEmuMachine* pMachine)
{
    g_pClockMachine = pMachine;
    SetClockHooks(pMachine != nullptr ? &kVirtualHooks : nullptr);
}

void EmuRemoveClock()
{
    SetClockHooks(nullptr);
    g_pClockMachine = nullptr;
}
