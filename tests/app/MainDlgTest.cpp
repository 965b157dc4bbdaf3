// tests/app/MainDlgTest.cpp
// The main dialog in-process, with the layer's test hooks: its frame after start-up (caption, icon, list font,
// menu, system menu), the About box from the system menu, a second initialisation as Refresh runs it, and the
// three ways to close it.
#include "app/MainDlg.h"

#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using guitest::HookSession;
using guitest::RunModal;
using guitest::Text;

namespace {

struct SysMenuAbout {
    int count = 0; // items with the About command
    bool afterSeparator = false;
    std::string text;
};

// A close path that does nothing would leave the modal loop running: after this long the test fails and the dialog
// is ended, rather than hang.
const UINT_PTR kGiveUpTimer = 0x7A11;
const UINT kGiveUpMs = 5000;

void CALLBACK GiveUp(HWND hWnd, UINT, UINT_PTR, DWORD)
{
    ::KillTimer(hWnd, kGiveUpTimer);
    ADD_FAILURE() << "the main dialog was still open";
    ::PostMessage(hWnd, WM_COMMAND, IDCANCEL, 0);
}

SysMenuAbout FindAboutEntries(HWND hWnd)
{
    SysMenuAbout found;
    HMENU sysMenu = GetSystemMenu(hWnd, FALSE);
    int items = sysMenu != nullptr ? GetMenuItemCount(sysMenu) : 0;
    for (int i = 0; i < items; ++i) {
        if (GetMenuItemID(sysMenu, i) != IDM_ABOUTBOX)
            continue;
        ++found.count;
        char text[64] = {};
        GetMenuStringA(sysMenu, i, text, sizeof text, MF_BYPOSITION);
        found.text = text;
        found.afterSeparator = i > 0 && (GetMenuState(sysMenu, i - 1, MF_BYPOSITION) & MF_SEPARATOR) != 0;
    }
    return found;
}

TEST(MainDlg, StartsWithCaptionIconFontAndMenus)
{
    HookSession session;
    CMainDlg dlg;
    INT_PTR result = RunModal(session, dlg, [](CDialog& d) {
        CMainDlg& main = static_cast<CMainDlg&>(d);
        EXPECT_EQ(CString("Tavisk V1.25"), Text(main.m_hWnd));
        EXPECT_NE(nullptr, main.m_hIcon);
        EXPECT_EQ(main.m_hIcon, main.GetIcon(TRUE));
        EXPECT_EQ(main.m_hIcon, main.GetIcon(FALSE));
        ASSERT_NE(nullptr, main.m_list.m_hWnd);
        EXPECT_EQ(IDC_REPORT_LIST, main.m_list.GetDlgCtrlID());
        EXPECT_EQ(reinterpret_cast<LRESULT>(main.m_pFont->m_hObject), main.m_list.SendMessage(WM_GETFONT));
        // The list's font: 9 points of "MS Shell Dlg" at the screen's resolution.
        LOGFONTA font = {};
        ASSERT_NE(0, ::GetObjectA(main.m_pFont->m_hObject, sizeof font, &font));
        EXPECT_STREQ("MS Shell Dlg", font.lfFaceName);
        HDC hScreen = ::GetDC(nullptr);
        const int pixelsPerInch = ::GetDeviceCaps(hScreen, LOGPIXELSY);
        ::ReleaseDC(nullptr, hScreen);
        EXPECT_EQ(-::MulDiv(pixelsPerInch, 90, 720), font.lfHeight);
        EXPECT_EQ(1, main.m_bLayoutReady);
        EXPECT_EQ(80u, main.m_proxy.port);

        HMENU menu = GetMenu(main.m_hWnd);
        ASSERT_NE(nullptr, menu);
        EXPECT_EQ(ID_OPTIONS_EXIT, static_cast<int>(GetMenuItemID(GetSubMenu(menu, 0), 6)));

        SysMenuAbout about = FindAboutEntries(main.m_hWnd);
        EXPECT_EQ(1, about.count);
        EXPECT_TRUE(about.afterSeparator);
        EXPECT_EQ("&About Tavisk...", about.text);

        // The buttons keep their horizontal place as a fraction of the width: Save, Print, Refresh, Exit.
        EXPECT_GT(main.m_buttonRatio[0], main.m_buttonRatio[1]);
        EXPECT_GT(main.m_buttonRatio[2], main.m_buttonRatio[0]);
        EXPECT_GT(main.m_buttonRatio[3], main.m_buttonRatio[2]);
        EXPECT_LT(main.m_buttonRatio[3], 1.0);
        main.EndDialog(IDOK);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(session.MessageBoxes().empty());
}

// Tab stops the list is given, recorded from the messages sent to it (a list box cannot report them).
std::vector<int> g_tabStops;
HWND g_hTabStopList = nullptr;

LRESULT CALLBACK RecordTabStops(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->message == LB_SETTABSTOPS && GetDlgCtrlID(msg->hwnd) == IDC_REPORT_LIST) {
        const int* stops = reinterpret_cast<const int*>(msg->lParam);
        g_tabStops.assign(stops, stops + msg->wParam);
        g_hTabStopList = msg->hwnd;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The frame as dialog 102 builds it: a resizable window with a taskbar button, the report list with tab stops and
// no selection, the buttons in one row at the bottom (Print, Save, Refresh, Exit from the left), and the icon given
// back for dragging the minimised window.
TEST(MainDlg, FrameMatchesTheMainWindowLayout)
{
    HookSession session;
    CMainDlg dlg;
    g_tabStops.clear();
    g_hTabStopList = nullptr;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordTabStops, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    RunModal(session, dlg, [](CDialog& d) {
        CMainDlg& main = static_cast<CMainDlg&>(d);
        const DWORD style = main.GetStyle();
        const DWORD required = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
        EXPECT_EQ(required, style & required);
        EXPECT_FALSE(style & WS_CHILD);
        EXPECT_TRUE(main.GetExStyle() & WS_EX_APPWINDOW);

        RECT rcDialogUnits = {0, 0, 326, 234};
        ::MapDialogRect(main.m_hWnd, &rcDialogUnits);
        RECT rcClient;
        main.GetClientRect(&rcClient);
        EXPECT_EQ(rcDialogUnits.right, rcClient.right);
        EXPECT_EQ(rcDialogUnits.bottom, rcClient.bottom);

        const DWORD listStyle = static_cast<DWORD>(::GetWindowLongA(main.m_list.m_hWnd, GWL_STYLE));
        const DWORD listRequired = WS_VSCROLL | LBS_USETABSTOPS | LBS_NOSEL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
        EXPECT_EQ(listRequired, listStyle & listRequired);

        RECT rcList;
        ::GetWindowRect(main.m_list.m_hWnd, &rcList);
        HWND hStatic = ::FindWindowExA(main.m_hWnd, nullptr, "Static", "System Information");
        ASSERT_NE(nullptr, hStatic);
        RECT rcStatic;
        ::GetWindowRect(hStatic, &rcStatic);
        EXPECT_LE(rcStatic.bottom, rcList.top);

        static const int kLeftToRight[] = {IDC_PRINT, IDC_SAVE, IDC_REFRESH, IDCANCEL};
        RECT rcPrevious = {};
        for (int id : kLeftToRight) {
            RECT rcButton;
            ASSERT_NE(nullptr, main.GetDlgItemHwnd(id)) << id;
            ::GetWindowRect(main.GetDlgItemHwnd(id), &rcButton);
            EXPECT_GE(rcButton.top, rcList.bottom) << id;
            if (id != IDC_PRINT) {
                EXPECT_EQ(rcPrevious.top, rcButton.top) << id;
                EXPECT_GE(rcButton.left, rcPrevious.right) << id;
            }
            rcPrevious = rcButton;
        }

        EXPECT_EQ(reinterpret_cast<LRESULT>(main.m_hIcon), main.SendMessage(WM_QUERYDRAGICON));
        main.EndDialog(IDOK);
    });
    UnhookWindowsHookEx(hook);
    EXPECT_NE(nullptr, g_hTabStopList);
    EXPECT_EQ((std::vector<int>{40, 80, 150, 220}), g_tabStops);
}

// Refresh runs OnInitDialog again: the About entry must not be added twice, the minimum size follows the window.
TEST(MainDlg, SecondInitialisationKeepsOneAboutEntry)
{
    HookSession session;
    CMainDlg dlg;
    RunModal(session, dlg, [](CDialog& d) {
        CMainDlg& main = static_cast<CMainDlg&>(d);
        ::SetWindowPos(main.m_hWnd, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_TRUE(main.OnInitDialog());
        EXPECT_EQ(1, FindAboutEntries(main.m_hWnd).count);
        EXPECT_EQ(700, main.m_rcMinTrack.right - main.m_rcMinTrack.left);
        EXPECT_EQ(500, main.m_rcMinTrack.bottom - main.m_rcMinTrack.top);
        EXPECT_EQ(CString("Tavisk V1.25"), Text(main.m_hWnd));
        main.EndDialog(IDOK);
    });
}

TEST(MainDlg, SystemMenuAboutOpensAboutBoxWithVersion)
{
    HookSession session;
    CMainDlg dlg;
    HWND hMain = nullptr;
    CString aboutLine;
    // Scripts run in the order the dialogs open: the main dialog first, then the About box it opens.
    session.QueueDialog([&](CDialog& main) {
        hMain = main.m_hWnd;
        ::PostMessage(hMain, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    });
    session.QueueDialog([&](CDialog& about) {
        aboutLine = Text(about.m_hWnd, IDC_ABOUT_VERSION);
        about.EndDialog(IDOK);
        ::PostMessage(hMain, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    ASSERT_EQ(2u, session.Dialogs().size());
    EXPECT_EQ(static_cast<UINT>(IDD_MAIN_DIALOG), session.Dialogs()[0]);
    EXPECT_EQ(static_cast<UINT>(IDD_ABOUTBOX), session.Dialogs()[1]);
    EXPECT_TRUE(session.UnscriptedDialogs().empty());
    EXPECT_EQ(CString("Tavisk V1.25"), aboutLine);
}

// Every close path ends the modal loop with IDCANCEL and no message box; Enter in the report list (the dialog has
// no default button) is one of them.
TEST(MainDlg, ClosePathsEndWithCancel)
{
    struct CloseCase {
        const char* name;
        int nTarget; // the control the message goes to; 0: the dialog
        UINT message;
        WPARAM wParam;
    };
    static const CloseCase kCases[] = {
        {"Exit button", 0, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {"menu Exit", 0, WM_COMMAND, ID_OPTIONS_EXIT},
        {"close box", 0, WM_CLOSE, 0},
        {"window menu Close", 0, WM_SYSCOMMAND, SC_CLOSE},
        {"Enter", IDC_REPORT_LIST, WM_KEYDOWN, VK_RETURN},
    };
    for (const CloseCase& c : kCases) {
        HookSession session;
        CMainDlg dlg;
        INT_PTR result = RunModal(session, dlg, [&](CDialog& d) {
            ::SetTimer(d.m_hWnd, kGiveUpTimer, kGiveUpMs, GiveUp);
            ::PostMessage(c.nTarget != 0 ? ::GetDlgItem(d.m_hWnd, c.nTarget) : d.m_hWnd, c.message, c.wParam, 0);
        });
        EXPECT_EQ(IDCANCEL, result) << c.name;
        EXPECT_TRUE(session.MessageBoxes().empty()) << c.name;
        EXPECT_EQ(1u, session.Dialogs().size()) << c.name;
    }
}

} // namespace
