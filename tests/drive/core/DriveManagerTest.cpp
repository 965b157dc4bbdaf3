// tests/drive/core/DriveManagerTest.cpp
// The drive manager object: the Windows 2000 flag and the start directory. Runs under several Windows versions;
// the harness names the program copy after the version it reports.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "drive/DriveManager.h"

#include "support/TestFiles.h"

namespace {

std::string ProgramName()
{
    return testsupport::ProgramPath();
}

TEST(DriveManager, WindowsTwoThousandFlag)
{
    g_bIsWindows2000 = 7;
    CDriveManager manager;
    bool bWin2k = ProgramName().find(".win2k.") != std::string::npos;
    EXPECT_EQ(bWin2k ? 1 : 0, g_bIsWindows2000) << ProgramName();
    EXPECT_EQ(kAccessModeNone, manager.GetAccessMode());
    EXPECT_EQ(0, manager.GetHostAdapters()->GetSize());
}

TEST(DriveManager, StartDirectoryLosesOneTrailingBackslash)
{
    char szSaved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szSaved);

    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    CDriveManager atRoot;
    EXPECT_STREQ("C:", atRoot.m_szStartDir);

    ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
    char szBelow[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szBelow);
    CDriveManager below;
    EXPECT_STREQ(szBelow, below.m_szStartDir);

    // A refresh (Close and a new start) keeps the directory of construction.
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    below.Close();
    EXPECT_STREQ(szBelow, below.m_szStartDir);

    SetCurrentDirectoryA(szSaved);
}

} // namespace
