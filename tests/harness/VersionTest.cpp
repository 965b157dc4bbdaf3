// tests/harness/VersionTest.cpp — each test program sees the Windows version its test pins
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

#include "support/TestFiles.h"

namespace {

struct ExpectedVersion {
    const char* suffix; // the run folder renames the program <stem>.<version>.exe
    DWORD platform, major, minor;
};

const ExpectedVersion kVersions[] = {
    {".win98.exe", VER_PLATFORM_WIN32_WINDOWS, 4, 10}, {".winxp.exe", VER_PLATFORM_WIN32_NT, 5, 1},
    {".nt40.exe", VER_PLATFORM_WIN32_NT, 4, 0},        {".win2k.exe", VER_PLATFORM_WIN32_NT, 5, 0},
    {".vista.exe", VER_PLATFORM_WIN32_NT, 6, 0},
};

std::string ProgramName()
{
    return testsupport::ProgramPath();
}

bool EndsWith(const std::string& s, const char* tail)
{
    size_t n = strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

} // namespace

TEST(Harness, ReportsPinnedWindowsVersion)
{
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof vi;
    ASSERT_TRUE(GetVersionExA(&vi));
    const std::string name = ProgramName();
    for (const ExpectedVersion& e : kVersions) {
        if (!EndsWith(name, e.suffix))
            continue;
        EXPECT_EQ(e.platform, vi.dwPlatformId) << name;
        EXPECT_EQ(e.major, vi.dwMajorVersion) << name;
        EXPECT_EQ(e.minor, vi.dwMinorVersion) << name;
        return;
    }
    // A version suffix the table lacks would otherwise pass here unchecked.
    const std::string file = name.substr(name.find_last_of('\\') + 1);
    ASSERT_EQ(file.find('.'), file.rfind('.')) << "pinned to a version this test does not know: " << name;
    // Unpinned: Wine's own default, an NT-family system.
    EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), vi.dwPlatformId) << name;
}
