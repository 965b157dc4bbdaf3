// tests/help/HelpFileTest.cpp
// ShowHelp: an open help window is brought forward and nothing is started; otherwise the help file is opened, and
// each shell failure gives its message (or none).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/HelpFile.h"
#include "drive/DriveManager.h"
#include "framework/DialogHooks.h"
#include "framework/Shell.h"

namespace {

struct ShellCall {
    std::string verb, file;
    INT show;
};

std::vector<ShellCall> g_calls;
INT_PTR g_result = 42;
std::vector<HWND> g_broughtForward;

HINSTANCE FakeShellExecute(HWND, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParameters, LPCSTR pszDirectory, INT nShow)
{
    EXPECT_EQ(nullptr, pszParameters);
    EXPECT_EQ(nullptr, pszDirectory);
    g_calls.push_back({pszVerb, pszFile, nShow});
    return reinterpret_cast<HINSTANCE>(g_result);
}

BOOL RecordBringToFront(HWND hWnd)
{
    g_broughtForward.push_back(hWnd);
    return TRUE;
}

const ShellHooks kFakeShell = {&FakeShellExecute};
const HelpWindowHooks kRecordingHelpWindow = {nullptr, &RecordBringToFront};

class HelpFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        g_broughtForward.clear();
        SetShellHooks(&kFakeShell);
        SetHelpWindowHooks(&kRecordingHelpWindow);
        SetDialogHooks(&m_hooks);
        std::strcpy(m_Manager.m_szStartDir, "C:\\Tavisk");
    }

    void TearDown() override
    {
        SetDialogHooks(nullptr);
        SetHelpWindowHooks(nullptr);
        SetShellHooks(nullptr);
    }

    struct Box {
        std::string text, caption;
        UINT type;
    };
    static int RecordMessageBox(void* pContext, LPCTSTR pszText, LPCTSTR pszCaption, UINT nType)
    {
        static_cast<HelpFileTest*>(pContext)->m_boxes.push_back({pszText, pszCaption, nType});
        return IDOK;
    }

    DialogHooks m_hooks = {this, &RecordMessageBox, nullptr, nullptr, nullptr};
    std::vector<Box> m_boxes;
    CDriveManager m_Manager;
};

TEST_F(HelpFileTest, OpensTheHelpFile)
{
    g_result = 42;
    EXPECT_TRUE(ShowHelp(nullptr, m_Manager));
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ("open", g_calls[0].verb);
    EXPECT_EQ(std::string(m_Manager.GetHelpFilePath()), g_calls[0].file);
    EXPECT_EQ(SW_SHOWNORMAL, g_calls[0].show);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(HelpFileTest, ShellFailures)
{
    const struct {
        INT_PTR result;
        const char* text; // nullptr: no message
    } cases[] = {
        {0, "Out of memory"},  {2, "Helpfile not found"},
        {3, "Path not found"}, {11, "Not a Windows executable"},
        {31, nullptr},         {32, nullptr},
        {26, nullptr},         {33, nullptr},
    };
    for (const auto& c : cases) {
        m_boxes.clear();
        g_result = c.result;
        bool shown = ShowHelp(nullptr, m_Manager);
        EXPECT_EQ(c.result > 32, shown) << c.result;
        if (c.text == nullptr) {
            EXPECT_TRUE(m_boxes.empty()) << c.result;
            continue;
        }
        ASSERT_EQ(1u, m_boxes.size()) << c.result;
        EXPECT_EQ(c.text, m_boxes[0].text);
        EXPECT_EQ("", m_boxes[0].caption);
        EXPECT_EQ(UINT(MB_ICONERROR), m_boxes[0].type & MB_ICONMASK);
    }
}

// An open help window is found by its title and brought forward; nothing is started.
TEST_F(HelpFileTest, OpenHelpWindowComesForward)
{
    HWND hHelp = CreateWindowA("STATIC", "QRVMZ Help", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, hHelp);
    EXPECT_TRUE(ShowHelp(nullptr, m_Manager));
    EXPECT_TRUE(g_calls.empty());
    ASSERT_EQ(1u, g_broughtForward.size());
    EXPECT_EQ(hHelp, g_broughtForward[0]);
    DestroyWindow(hHelp);
    EXPECT_TRUE(ShowHelp(nullptr, m_Manager));
    EXPECT_EQ(1u, g_calls.size());
}

} // namespace
