// bench/BenchSize.h — the size a benchmark runs at. With TAVISK_BENCH_SIZE=smallest in its environment (CI's smoke
// run of every benchmark, bench/smoke) each benchmark runs every part of it once at its smallest size, to its end,
// and prints the same lines; its times then mean nothing.
#pragma once

#include <windows.h>

#include <cstring>

inline bool BenchAtSmallestSize()
{
    char value[16] = "";
    const DWORD n = GetEnvironmentVariableA("TAVISK_BENCH_SIZE", value, sizeof value);
    return n > 0 && n < sizeof value && std::strcmp(value, "smallest") == 0;
}
