// tests/framework/WindowsVersionTest.cpp — the Windows version: the extended record, the plain one when the extended
// size is refused, and the family tests
#include "framework/WindowsVersion.h"
#include "support/PinnedWindowsVersion.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using testsupport::PinnedWindowsVersion;

TEST(WindowsVersion, PlainRecordWhenTheExtendedOneIsRefused)
{
    for (bool bRefused : {false, true}) {
        SCOPED_TRACE(bRefused);
        PinnedWindowsVersion pinned(VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 3", bRefused);
        OSVERSIONINFOEXA info;
        std::memset(&info, 0xCC, sizeof(info));
        ASSERT_TRUE(AfxGetWindowsVersion(&info));
        EXPECT_EQ(bRefused ? 2 : 1, pinned.Calls());
        EXPECT_EQ(bRefused ? sizeof(OSVERSIONINFOA) : sizeof(OSVERSIONINFOEXA), info.dwOSVersionInfoSize);
        EXPECT_EQ(4u, info.dwMajorVersion);
        EXPECT_EQ(1381u, info.dwBuildNumber);
        EXPECT_STREQ("Service Pack 3", info.szCSDVersion);
        // The extended fields are zero when only the plain record was filled.
        EXPECT_EQ(0, info.wServicePackMajor);
        EXPECT_EQ(0, info.wProductType);
    }
}

TEST(WindowsVersion, FamilyTests)
{
    const struct {
        DWORD nPlatform, nMajor, nMinor;
        bool bWin9x, bNT, bNT5, bWin2000;
    } cases[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, true, false, false, false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, true, false, false, false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, true, false, false, false},
        {VER_PLATFORM_WIN32_NT, 4, 0, false, true, false, false},
        {VER_PLATFORM_WIN32_NT, 5, 0, false, true, true, true},
        {VER_PLATFORM_WIN32_NT, 5, 1, false, true, true, false},
        {VER_PLATFORM_WIN32_NT, 5, 2, false, true, true, false},
        {VER_PLATFORM_WIN32_NT, 6, 0, false, true, false, false},
        {VER_PLATFORM_WIN32s, 5, 0, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nPlatform << " " << c.nMajor << "." << c.nMinor);
        PinnedWindowsVersion pinned(c.nPlatform, c.nMajor, c.nMinor);
        EXPECT_EQ(c.bWin9x, AfxIsWin9xPlatform());
        EXPECT_EQ(c.bNT, AfxIsNTPlatform());
        EXPECT_EQ(c.bNT5, AfxIsNT5Family());
        EXPECT_EQ(c.bWin2000, AfxIsWindows2000());
    }
}

} // namespace
