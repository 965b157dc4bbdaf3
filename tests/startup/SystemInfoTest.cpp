// tests/startup/SystemInfoTest.cpp
// Processor, memory and disk figures: the clock arithmetic and the brand string through seams, and the real
// figures against what the host machine reports (its /proc files and an independent time-stamp measurement).
#include "report/SystemInfo.h"

#include "StartupTestSupport.h"

#include <gtest/gtest.h>
#include <cpuid.h>
#include <x86intrin.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "support/StringLists.h"

using namespace startup_test;

namespace {

using testsupport::Lines;

// --- a scripted processor ------------------------------------------------------------------------------------

struct FakeProcessor {
    bool hasCpuid = true;
    unsigned maxStandard = 1;
    unsigned featuresEdx = 1u << 4; // time-stamp counter
    unsigned maxExtended = 0x80000004u;
    char brand[48] = {};
    std::vector<unsigned> asked;
};
FakeProcessor g_fake;

bool FakeCpuid(unsigned leaf, unsigned regs[4])
{
    g_fake.asked.push_back(leaf);
    if (!g_fake.hasCpuid)
        return false;
    memset(regs, 0, 16);
    if (leaf == 0) {
        regs[0] = g_fake.maxStandard;
    } else if (leaf == 1) {
        regs[3] = g_fake.featuresEdx;
    } else if (leaf == 0x80000000u) {
        regs[0] = g_fake.maxExtended;
    } else if (leaf >= 0x80000002u && leaf <= 0x80000004u) {
        memcpy(regs, g_fake.brand + 16 * (leaf - 0x80000002u), 16);
    } else {
        regs[0] = regs[1] = regs[2] = regs[3] = 0x41414141u; // what a processor might answer to anything
    }
    return true;
}

void SetBrand(const char* text)
{
    memset(g_fake.brand, 0, sizeof g_fake.brand);
    memcpy(g_fake.brand, text, strnlen(text, 48));
}

struct TickCall {
    TickCallback callback;
    DWORD ms;
};
std::vector<TickCall> g_tickCalls;
int64_t g_waitTicks = 0;
int64_t g_overheadTicks = 0;

int64_t FakeMeasureTicks(TickCallback callback, DWORD ms)
{
    g_tickCalls.push_back({callback, ms});
    return callback == SpinWaitMs ? g_waitTicks : g_overheadTicks;
}

const SystemInfoHooks kFakeCpuid = {&FakeCpuid, nullptr, nullptr};
const SystemInfoHooks kFakeCpuidAndTicks = {&FakeCpuid, &FakeMeasureTicks, nullptr};

class ScriptedProcessorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_fake = FakeProcessor();
        g_tickCalls.clear();
        SetSystemInfoHooks(&kFakeCpuid);
        memset(g_szCpuBrand, 0, sizeof g_szCpuBrand);
    }
    void TearDown() override
    {
        SetSystemInfoHooks(nullptr);
        memset(g_szCpuBrand, 0, sizeof g_szCpuBrand);
    }
};

} // namespace

TEST(ProcessorClock, ArithmeticOfTheTwoMeasurements)
{
    struct Case {
        int64_t wait, overhead;
        DWORD mhz;
    };
    const Case cases[] = {
        {200000000, 100000, 3998}, // (199,900,000 / 50) / 1000, truncated
        {50000, 0, 1},
        {49999, 0, 0},
        {-1, -1, 0},                             // no time-stamp counter in either pass
        {100000, 5000000, 0},                    // an overhead pass longer than the wait is no clock at all
        {50LL * 1000 * ((1LL << 32) + 5), 0, 5}, // the clock keeps the low 32 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.mhz, ClockFromTicks(c.wait, c.overhead)) << c.wait << " " << c.overhead;
}

TEST_F(ScriptedProcessorTest, ClockFromTheMeasureTicksSeam)
{
    g_waitTicks = 200000000;
    g_overheadTicks = 100000;
    SetSystemInfoHooks(&kFakeCpuidAndTicks);
    CCpuInfo cpu;
    EXPECT_EQ(3998u, cpu.m_nClockMHz);
    ASSERT_EQ(2u, g_tickCalls.size());
    EXPECT_EQ(SpinWaitMs, g_tickCalls[0].callback);
    EXPECT_EQ(50u, g_tickCalls[0].ms);
    EXPECT_EQ(MeasureSpinWaitOverhead, g_tickCalls[1].callback);
    EXPECT_EQ(50u, g_tickCalls[1].ms);
}

TEST_F(ScriptedProcessorTest, BrandStringTrimmed)
{
    struct Case {
        const char* raw;
        const char* brand;
    };
    const Case cases[] = {
        {"        Fixture(R) Processor 3000 @ 3.00GHz", "Fixture(R) Processor 3000 @ 3.00GHz"},
        {"Fixture Processor    ", "Fixture Processor"},
        {"                                                ", ""},
        {"0123456789abcdef0123456789ABCDEF0123456789abcdef", "0123456789abcdef0123456789ABCDEF0123456789abcdef"},
    };
    g_overheadTicks = g_waitTicks = 0;
    SetSystemInfoHooks(&kFakeCpuidAndTicks);
    for (const Case& c : cases) {
        SetBrand(c.raw);
        CCpuInfo cpu;
        EXPECT_STREQ(c.brand, cpu.m_strBrand) << c.raw;
    }
}

// Without the extended functions up to 0x80000004 the brand is not read: the buffer keeps what it held.
TEST_F(ScriptedProcessorTest, NoBrandFunctionsLeaveTheBufferAlone)
{
    SetBrand("Must not be read");
    g_fake.maxExtended = 0x80000001u;
    strcpy(g_szCpuBrand, "Earlier Brand");
    EXPECT_FALSE(ReadCpuBrandString());
    EXPECT_STREQ("Earlier Brand", g_szCpuBrand);
    for (unsigned leaf : g_fake.asked)
        EXPECT_LT(leaf, 0x80000002u);

    g_fake.hasCpuid = false;
    EXPECT_FALSE(ReadCpuBrandString());
    EXPECT_STREQ("Earlier Brand", g_szCpuBrand);
}

namespace {

int g_timedCalls = 0;

DWORD CountTimedCall(DWORD)
{
    ++g_timedCalls;
    return 0;
}

} // namespace

// A processor without the time-stamp counter (or without CPUID) measures nothing: the callback is not run (no
// 50 ms spin) and the clock is 0.
TEST_F(ScriptedProcessorTest, NoTimeStampCounterGivesClockZero)
{
    g_fake.featuresEdx = 0;
    g_timedCalls = 0;
    EXPECT_EQ(-1, MeasureTicks(CountTimedCall, 50));
    EXPECT_EQ(0, g_timedCalls);
    CCpuInfo withoutCounter;
    EXPECT_EQ(0u, withoutCounter.m_nClockMHz);

    g_fake = FakeProcessor();
    g_fake.maxStandard = 0;
    EXPECT_EQ(-1, MeasureTicks(CountTimedCall, 50));
    g_fake.hasCpuid = false;
    EXPECT_EQ(-1, MeasureTicks(CountTimedCall, 50));
    EXPECT_EQ(0, g_timedCalls);

    g_fake = FakeProcessor();
    EXPECT_GE(MeasureTicks(CountTimedCall, 50), 0);
    EXPECT_EQ(1, g_timedCalls);
}

// The real processor: the brand is the one the host's kernel read, the clock matches the time-stamp counter's
// rate measured here over a longer interval.
TEST(RealProcessor, BrandAsTheMachineReportsIt)
{
    std::string cpuinfo, modelName;
    if (!ReadHostFile("/proc/cpuinfo", cpuinfo) || !FindField(cpuinfo, "model name", modelName))
        GTEST_SKIP() << "the host's /proc/cpuinfo is not reachable";
    // A virtual machine moved to another host after boot keeps the name its kernel read then.
    unsigned regs[12] = {};
    for (unsigned i = 0; i < 3; ++i)
        __get_cpuid(0x80000002u + i, &regs[4 * i], &regs[4 * i + 1], &regs[4 * i + 2], &regs[4 * i + 3]);
    std::string now(reinterpret_cast<const char*>(regs), 48);
    now = now.substr(0, now.find('\0'));
    now.erase(0, now.find_first_not_of(' '));
    now.erase(now.find_last_not_of(' ') + 1);
    if (now != modelName)
        GTEST_SKIP() << "the processor answers \"" << now << "\" now, the host's kernel read \"" << modelName << "\"";
    CCpuInfo cpu;
    EXPECT_EQ(modelName, std::string(cpu.m_strBrand));
}

TEST(RealProcessor, ClockWithinToleranceOfTheTimeStampCounter)
{
    LARGE_INTEGER frequency;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    // Busy machines can stretch either measurement; three tries, one must agree within 5 % (at least 20 MHz).
    std::string attempts;
    for (int attempt = 0; attempt < 3; ++attempt) {
        LARGE_INTEGER q0, q1;
        QueryPerformanceCounter(&q0);
        uint64_t t0 = __rdtsc();
        Sleep(300);
        QueryPerformanceCounter(&q1);
        uint64_t t1 = __rdtsc();
        double seconds = static_cast<double>(q1.QuadPart - q0.QuadPart) / static_cast<double>(frequency.QuadPart);
        double independentMhz = static_cast<double>(t1 - t0) / seconds / 1e6;
        CCpuInfo cpu;
        double tolerance = independentMhz * 0.05 > 20.0 ? independentMhz * 0.05 : 20.0;
        double difference = static_cast<double>(cpu.m_nClockMHz) - independentMhz;
        if (difference < 0)
            difference = -difference;
        if (cpu.m_nClockMHz > 0 && difference <= tolerance)
            return;
        attempts += " measured " + std::to_string(cpu.m_nClockMHz) + " MHz against " +
                    std::to_string(static_cast<int>(independentMhz)) + " MHz;";
    }
    ADD_FAILURE() << "clock outside the tolerance:" << attempts;
}

TEST(Memory, FiguresAsTheMachineReportsThem)
{
    MemoryFigures figures;
    ASSERT_TRUE(QueryMemoryFigures(figures));
    EXPECT_LE(figures.availablePhysical, figures.totalPhysical);
    EXPECT_LE(figures.memoryLoad, 100u);

    std::string meminfo, total;
    if (!ReadHostFile("/proc/meminfo", meminfo) || !FindField(meminfo, "MemTotal", total))
        GTEST_SKIP() << "the host's /proc/meminfo is not reachable";
    unsigned long long totalKb = strtoull(total.c_str(), nullptr, 10);
    // Above 2 GB the old memory status saturated at 2047 MB; the figure must be the machine's.
    EXPECT_EQ(totalKb >> 10, figures.totalPhysical >> 20);
}

TEST(Memory, LinesKeepLargeFigures)
{
    struct Case {
        MemoryFigures figures;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {{24ull << 30, 12ull << 30, 50},
         {"Installed RAM: 24576MB", "Memory Available: 12582912KB", "Percent of used RAM: 50%"}},
        {{(64ull << 20) + 1023, 2047, 99},
         {"Installed RAM: 64MB", "Memory Available: 1KB", "Percent of used RAM: 99%"}},
        {{0, 0, 0}, {"Installed RAM: 0MB", "Memory Available: 0KB", "Percent of used RAM: 0%"}},
    };
    for (const Case& c : cases) {
        CStringArray lines;
        AppendMemoryLines(c.figures, lines);
        EXPECT_EQ(c.lines, Lines(lines));
    }
}

// Wine lists no processor devices: the section writes the brand, the clock and the three memory lines.
TEST(ProcessorAndMemoryLines, WithoutProcessorDevices)
{
    CStringArray lines;
    lines.Add("line before");
    AppendProcessorAndMemoryLines(lines);
    std::vector<std::string> text = Lines(lines);
    ASSERT_EQ(6u, text.size()) << ::testing::PrintToString(text);
    CCpuInfo cpu;
    EXPECT_EQ("line before", text[0]);
    EXPECT_EQ(std::string("CPU Name: ") + static_cast<LPCSTR>(cpu.m_strBrand), text[1]);
    EXPECT_EQ(0u, text[2].find("CPU Speed: ")) << text[2];
    EXPECT_EQ(" MHz", text[2].substr(text[2].size() - 4));
    EXPECT_GT(atoi(text[2].c_str() + 11), 0) << text[2];
    MemoryFigures figures;
    QueryMemoryFigures(figures);
    EXPECT_EQ("Installed RAM: " + std::to_string(figures.totalPhysical >> 20) + "MB", text[3]);
    EXPECT_EQ(0u, text[4].find("Memory Available: ")) << text[4];
    EXPECT_EQ("KB", text[4].substr(text[4].size() - 2));
    EXPECT_EQ(0u, text[5].find("Percent of used RAM: ")) << text[5];
    EXPECT_EQ('%', text[5].back());
}

TEST(BitStrings, JumperSettings)
{
    struct Case {
        BYTE bits;
        const char* eight;
        const char* three;
    };
    const Case cases[] = {
        {0x05, "10100000", "101"}, {0x06, "01100000", "110"}, {0x00, "00000000", "000"},
        {0xFF, "11111111", "111"}, {0x80, "00000001", "000"}, {0xF8, "00011111", "000"},
    };
    for (const Case& c : cases) {
        char eight[9], three[4];
        EXPECT_STREQ(c.eight, BitsToString8(c.bits, eight));
        EXPECT_EQ(eight, BitsToString8(c.bits, eight));
        EXPECT_STREQ(c.three, BitsToString3(c.bits, three));
        EXPECT_EQ(three, BitsToString3(c.bits, three));
    }
}

TEST(DiskBytes, SystemDriveAndUnmappedLetter)
{
    uint64_t total = GetDiskTotalBytes('C');
    uint64_t free = GetDiskFreeBytes('C');
    EXPECT_GT(total, 0u);
    EXPECT_LE(free, total);

    DWORD mapped = GetLogicalDrives();
    char unmapped = 0;
    for (char letter = 'Y'; letter >= 'D'; --letter)
        if ((mapped & (1u << (letter - 'A'))) == 0) {
            unmapped = letter;
            break;
        }
    ASSERT_NE(0, unmapped);
    EXPECT_EQ(0u, GetDiskTotalBytes(unmapped));
    EXPECT_EQ(0u, GetDiskFreeBytes(unmapped));
}
