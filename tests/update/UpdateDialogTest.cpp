// tests/update/UpdateDialogTest.cpp
// The firmware update check as the user meets it, in-process: the main dialog on the emulated machine of
// scripts/run (Windows 98, the test ASPI library), the menu command, the update dialog with its list, the result
// boxes of the main dialog for every faulty service, a second request, the automatic check at start-up, Refresh
// held back, and closing the main window during a check.
#include "UpdateTestSupport.h"

#include "app/MainDlg.h"
#include "app/ProgramSettings.h"
#include "drive/SpeedCache.h"
#include "framework/Registry.h"
#include "framework/Shell.h"
#include "gui/GuiTest.h"
#include "update/FWUpdateDlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using guitest::HookSession;
using guitest::MessageBoxRecord;
using guitest::PumpUntil;
using guitest::RunModal;
using guitest::Text;
using updatetest::HeldDriveCommand;
using updatetest::ServiceUrl;

namespace {

const char kDatabaseText[] = "Failed to check for firmware upgrade.\nThe database is temporarly unavailable.";

// A script that forgets to end the main dialog fails instead of hanging: the dialog is ended after this long.
const UINT_PTR kGiveUpTimer = 0x7A12;
const UINT kGiveUpMs = 60000;

void CALLBACK GiveUp(HWND hWnd, UINT, UINT_PTR, DWORD)
{
    ::KillTimer(hWnd, kGiveUpTimer);
    ADD_FAILURE() << "the main dialog was still open";
    ::PostMessage(hWnd, WM_COMMAND, IDOK, 0);
}

void SetAutoFW(DWORD dwValue)
{
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, kProgramRegistryKey));
    ASSERT_EQ(ERROR_SUCCESS, key.SetDword("AutoFW", dwValue));
}

DWORD StoredAutoFW()
{
    CRegistryKey key;
    DWORD dwValue = 0xFFFF;
    if (key.Open(HKEY_LOCAL_MACHINE, kProgramRegistryKey) == ERROR_SUCCESS)
        key.QueryDword("AutoFW", dwValue);
    return dwValue;
}

// What the link handed to the shell.
std::vector<std::string> g_shellCalls;

HINSTANCE RecordShellExecute(HWND, LPCSTR, LPCSTR pszFile, LPCSTR pszParameters, LPCSTR, INT)
{
    g_shellCalls.push_back(std::string(pszFile != nullptr ? pszFile : "") + " " +
                           (pszParameters != nullptr ? pszParameters : ""));
    return reinterpret_cast<HINSTANCE>(33);
}

struct ListRow {
    std::string device, current, newest;
    DWORD_PTR data;
    BOOL checked;
};

std::vector<ListRow> Rows(CFWUpdateDlg& dlg)
{
    std::vector<ListRow> rows;
    const HWND hList = ::GetDlgItem(dlg.m_hWnd, IDC_FWUPDATE_LIST);
    const int nCount = static_cast<int>(::SendMessage(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i) {
        ListRow row;
        for (int nColumn = 0; nColumn < 3; ++nColumn) {
            char szText[256] = {};
            LVITEMA item = {};
            item.iSubItem = nColumn;
            item.pszText = szText;
            item.cchTextMax = sizeof szText;
            ::SendMessage(hList, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
            (nColumn == 0 ? row.device : nColumn == 1 ? row.current : row.newest) = szText;
        }
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        ::SendMessage(hList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        row.data = static_cast<DWORD_PTR>(item.lParam);
        row.checked = (::SendMessage(hList, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) >> 12) == 2;
        rows.push_back(row);
    }
    return rows;
}

class UpdateDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        updatetest::StartSockets();
        SetAutoFW(0);
    }
    void TearDown() override { updatetest::RemoveUpdatePath(); }

    // Runs the main dialog with the script; the script must end it.
    void RunMain(const std::function<void(CMainDlg&)>& script)
    {
        CMainDlg dlg;
        RunModal(m_session, dlg, [&](CDialog& d) {
            ::SetTimer(d.m_hWnd, kGiveUpTimer, kGiveUpMs, GiveUp);
            script(static_cast<CMainDlg&>(d));
        });
    }

    // Menu command "Check for firmware upgrades", then waits until the check has ended: the update dialog is shown
    // (TRUE) or gone again (FALSE).
    bool CheckFromMenu(CMainDlg& main, DWORD dwTimeoutMs = 10000)
    {
        guitest::PostCommand(main.m_hWnd, ID_OPTIONS_CHECK_FIRMWARE);
        PumpUntil([&] { return main.m_pUpdateDlg != nullptr; }, 2000);
        PumpUntil([&] { return main.m_pUpdateDlg == nullptr || main.m_pUpdateDlg->IsShown(); }, dwTimeoutMs);
        return main.m_pUpdateDlg != nullptr;
    }

    static void EndMain(CMainDlg& main) { ::PostMessage(main.m_hWnd, WM_COMMAND, IDOK, 0); }

    HookSession m_session;
};

// Two of the machine's three drives have newer firmware; the list names them with the revision they report and
// the offered version. Ticking "check at start-up" and OK stores the setting.
TEST_F(UpdateDialogTest, FindingsAreListedAndOkStoresTheStartupChoice)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    RunMain([&](CMainDlg& main) {
        ASSERT_TRUE(CheckFromMenu(main));
        CFWUpdateDlg& dlg = *main.m_pUpdateDlg;
        EXPECT_TRUE(::IsWindowVisible(dlg.m_hWnd));
        EXPECT_STREQ("Firmware Upgrades", Text(dlg.m_hWnd));
        EXPECT_STREQ("New firmware available for the following drives:", Text(dlg.m_hWnd, IDC_FWUPDATE_HEADING));
        EXPECT_STREQ("Check for firmware upgrades on startup", Text(dlg.m_hWnd, IDC_FWUPDATE_AUTOCHECK));
        EXPECT_STREQ("Click here to download the upgrades from the website", Text(dlg.m_hWnd, IDC_FWUPDATE_LINK));
        HWND hList = ::GetDlgItem(dlg.m_hWnd, IDC_FWUPDATE_LIST);
        EXPECT_EQ(DWORD(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP),
                  DWORD(::SendMessage(hList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)));
        const int kWidths[] = {249, 70, 70};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(kWidths[i], ::SendMessage(hList, LVM_GETCOLUMNWIDTH, i, 0)) << i;

        const std::vector<ListRow> rows = Rows(dlg);
        ASSERT_EQ(2u, rows.size());
        EXPECT_EQ(0u, rows[0].device.find("HA:0 ID:0  ")) << rows[0].device;
        EXPECT_EQ("1.05", rows[0].current);
        EXPECT_EQ("1.07", rows[0].newest);
        EXPECT_EQ(0u, rows[0].data);
        EXPECT_TRUE(rows[0].checked) << "a finding with a download";
        EXPECT_EQ(0u, rows[1].device.find("HA:1 ID:0  ")) << rows[1].device;
        EXPECT_EQ("1.03", rows[1].current);
        EXPECT_EQ("1.10", rows[1].newest);
        EXPECT_EQ(1u, rows[1].data);
        EXPECT_FALSE(rows[1].checked) << "third field N/A";

        // The link opens the maker's download page in the registered browser.
        CRegistryKey browser;
        ASSERT_EQ(ERROR_SUCCESS, browser.Create(HKEY_CLASSES_ROOT, "http\\shell\\open\\command"));
        browser.SetString(nullptr, "\"C:\\Browser\\browse.exe\" -url \"%1\"");
        static const ShellHooks kRecorder = {RecordShellExecute};
        const ShellHooks* pPrevious = SetShellHooks(&kRecorder);
        g_shellCalls.clear();
        ::SendDlgItemMessage(dlg.m_hWnd, IDC_FWUPDATE_LINK, WM_LBUTTONDOWN, 0, MAKELPARAM(2, 2));
        PumpUntil([] { return !g_shellCalls.empty(); }, 2000);
        SetShellHooks(pPrevious);
        ASSERT_EQ(1u, g_shellCalls.size());
        EXPECT_EQ(std::string("C:\\Browser\\browse.exe ") + kFirmwareDownloadUrl, g_shellCalls[0]);

        EXPECT_EQ(BST_UNCHECKED, ::SendDlgItemMessage(dlg.m_hWnd, IDC_FWUPDATE_AUTOCHECK, BM_GETCHECK, 0, 0));
        ::SendDlgItemMessage(dlg.m_hWnd, IDC_FWUPDATE_AUTOCHECK, BM_CLICK, 0, 0);
        EXPECT_EQ(1, dlg.m_bCheckOnStartup);
        EXPECT_TRUE(guitest::Click(dlg.m_hWnd, IDOK));
        EXPECT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg == nullptr; }, 2000));
        EXPECT_EQ(1u, main.m_nAutoFW);
        EndMain(main);
    });
    EXPECT_EQ(1u, StoredAutoFW());
    EXPECT_TRUE(m_session.MessageBoxes().empty());
    EXPECT_EQ(0, g_arrUpdates.GetSize()) << "emptied with the dialog";
}

// Esc and the close box end the list as OK does.
TEST_F(UpdateDialogTest, EscAndCloseBoxEndTheList)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    for (UINT message : {UINT(WM_CLOSE), UINT(WM_COMMAND)}) {
        RunMain([&](CMainDlg& main) {
            ASSERT_TRUE(CheckFromMenu(main));
            if (message == WM_CLOSE)
                ::PostMessage(main.m_pUpdateDlg->m_hWnd, WM_CLOSE, 0, 0);
            else
                ::PostMessage(main.m_pUpdateDlg->m_hWnd, WM_COMMAND, IDCANCEL, 0);
            EXPECT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg == nullptr; }, 2000)) << message;
            EndMain(main);
        });
    }
    EXPECT_TRUE(m_session.MessageBoxes().empty());
}

// Whatever goes wrong, the update dialog stays hidden and the main dialog tells the user, within the request's
// time bound; with nothing newer it says so.
TEST_F(UpdateDialogTest, EveryFaultyServiceGivesItsMessage)
{
    REQUIRE_SERVICE();
    CString closed;
    closed.Format("http://127.0.0.1:%d/check", updatetest::ClosedPort());
    struct Case {
        CString url;
        const char* text;
        UINT icon;
    };
    const Case kCases[] = {
        {ServiceUrl("/nolength"), "No updates available", MB_ICONINFORMATION},
        {ServiceUrl("/status/404"), " 404 Not Found", MB_ICONEXCLAMATION},
        {ServiceUrl("/malformed"), kDatabaseText, MB_ICONEXCLAMATION},
        {ServiceUrl("/cut"), "Error while receiving data\n", MB_ICONEXCLAMATION},
        {ServiceUrl("/close"), "Error while receiving data\n", MB_ICONEXCLAMATION},
        {closed, "Unable to connect!\r\n", MB_ICONEXCLAMATION},
        {ServiceUrl("/silent"), "Error while receiving data\n", MB_ICONEXCLAMATION},
    };
    for (const Case& c : kCases) {
        updatetest::SetUpdatePath(c.url);
        m_session.ClearMessageBoxes();
        RunMain([&](CMainDlg& main) {
            const DWORD dwStart = ::GetTickCount();
            EXPECT_FALSE(CheckFromMenu(main, CHttpClient::kDefaultTimeLimitMs + 5000)) << c.url;
            EXPECT_LT(::GetTickCount() - dwStart, CHttpClient::kDefaultTimeLimitMs + 5000) << c.url;
            EndMain(main);
        });
        const std::vector<MessageBoxRecord>& boxes = m_session.MessageBoxes();
        ASSERT_EQ(1u, boxes.size()) << c.url;
        EXPECT_STREQ(c.text, boxes[0].text) << c.url;
        EXPECT_STREQ("Tavisk", boxes[0].caption) << c.url;
        EXPECT_EQ(c.icon, boxes[0].type & MB_ICONMASK) << c.url;
    }
}

// A second request while a check runs is refused with a message; Refresh is held back until the check has ended.
TEST_F(UpdateDialogTest, SecondRequestAndRefreshDuringACheck)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/slow/1500"));
    RunMain([&](CMainDlg& main) {
        guitest::PostCommand(main.m_hWnd, ID_OPTIONS_CHECK_FIRMWARE);
        ASSERT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg != nullptr; }, 2000));
        CFWUpdateDlg* pFirst = main.m_pUpdateDlg.get();
        guitest::PostCommand(main.m_hWnd, ID_OPTIONS_CHECK_FIRMWARE);
        PumpUntil([&] { return !m_session.MessageBoxes().empty(); }, 2000);
        EXPECT_EQ(pFirst, main.m_pUpdateDlg.get());
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main.m_hWnd, IDC_REFRESH)));
        // Refresh sent past the disabled button does nothing: the report keeps a line that a rebuild would drop.
        main.m_list.AddString("not from the report");
        ::SendMessage(main.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
        const std::vector<CString> lines = guitest::ListBoxLines(main.m_list.m_hWnd);
        ASSERT_FALSE(lines.empty());
        EXPECT_STREQ("not from the report", lines.back()) << "Refresh left the check alone";
        EXPECT_EQ(pFirst, main.m_pUpdateDlg.get());
        ASSERT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg->IsShown(); }, 15000));
        EXPECT_EQ(2u, Rows(*main.m_pUpdateDlg).size());
        guitest::Click(main.m_pUpdateDlg->m_hWnd, IDOK);
        EXPECT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg == nullptr; }, 2000));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main.m_hWnd, IDC_REFRESH)));
        EndMain(main);
    });
    const std::vector<MessageBoxRecord>& boxes = m_session.MessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_STREQ("Firmware update procedure is already running", boxes[0].text);
    EXPECT_STREQ("Tavisk", boxes[0].caption);
    EXPECT_EQ(UINT(MB_ICONEXCLAMATION), boxes[0].type & MB_ICONMASK);
}

// Each way of closing the main window during a slow check hides it at once, stops the check and ends the dialog
// when the check has reported; nothing is shown on the way, and the settings are saved.
TEST_F(UpdateDialogTest, ClosingTheMainWindowDuringACheck)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/silent"));
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    static const Case kCases[] = {
        {"Exit button", WM_COMMAND, IDCANCEL},
        {"close box", WM_CLOSE, 0},
        {"menu Exit", WM_COMMAND, ID_OPTIONS_EXIT},
    };
    for (const Case& c : kCases) {
        CRegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_LOCAL_MACHINE, kProgramRegistryKey, KEY_READ | KEY_WRITE));
        key.DeleteValue("AutoFW"); // written again on the way out, as the check box left it
        m_session.ClearMessageBoxes();
        DWORD dwClosed = 0;
        CMainDlg dlg;
        const INT_PTR nResult = RunModal(m_session, dlg, [&](CDialog& d) {
            CMainDlg& main = static_cast<CMainDlg&>(d);
            main.ShowWindow(SW_SHOW);
            guitest::PostCommand(main.m_hWnd, ID_OPTIONS_CHECK_FIRMWARE);
            ASSERT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg != nullptr; }, 2000));
            guitest::Pump();
            ::Sleep(300);
            dwClosed = ::GetTickCount();
            ::SendMessage(main.m_hWnd, c.message, c.wParam, 0);
            EXPECT_FALSE(::IsWindowVisible(main.m_hWnd)) << c.name;
            EXPECT_EQ(1, main.m_bClosePending) << c.name;
        });
        EXPECT_EQ(IDCANCEL, nResult) << c.name;
        EXPECT_LT(::GetTickCount() - dwClosed, 3000u) << c.name;
        EXPECT_TRUE(m_session.MessageBoxes().empty()) << c.name;
        EXPECT_EQ(0u, StoredAutoFW()) << c.name;
    }
}

// The update worker is held inside its first drive command (the INQUIRY after the service's answer) while the main
// dialog's run ends. Enter (the report list has the focus, the dialog no default button) closes the window as Exit
// does: the check is stopped, and the dialog ends when it has reported. A run that ends with the check still under
// way (its modal loop ended past the close handlers) ends the worker before the drive manager goes; when that wait
// gives up, the drive manager stays for the worker. Either way the worker leaves the drive command with its drive
// manager there, and ends.
TEST_F(UpdateDialogTest, MainDialogEndsWhileTheWorkerIsInADriveCommand)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    struct Case {
        const char* name;
        bool enter;
        DWORD (*pfnWaitForWorker)(HANDLE, DWORD);
        bool managerKept;
    };
    static const Case kCases[] = {
        {"Enter", true, HeldDriveCommand::ReleaseThenWait, false},
        {"run ended under the check", false, HeldDriveCommand::ReleaseThenWait, false},
        {"wait for the worker gave up", false, HeldDriveCommand::GiveUpAtOnce, true},
    };
    for (const Case& c : kCases) {
        m_session.ClearMessageBoxes();
        updatetest::ScopedWorkerWait wait(c.pfnWaitForWorker);
        std::unique_ptr<HeldDriveCommand> pHeld;
        CDriveManager* pManager = nullptr;
        INT_PTR nResult = 0;
        {
            CMainDlg dlg;
            nResult = RunModal(m_session, dlg, [&](CDialog& d) {
                CMainDlg& main = static_cast<CMainDlg&>(d);
                main.ShowWindow(SW_SHOW);
                pManager = main.m_pDriveManager.get();
                pHeld = std::make_unique<HeldDriveCommand>(*pManager);
                guitest::PostCommand(main.m_hWnd, ID_OPTIONS_CHECK_FIRMWARE);
                ASSERT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg != nullptr; }, 2000)) << c.name;
                ASSERT_TRUE(pHeld->WaitUntilHeld(15000)) << c.name;
                if (!c.enter) {
                    main.EndDialog(IDCANCEL);
                    return;
                }
                ::PostMessage(main.m_list.m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
                PumpUntil([&] { return main.m_bClosePending != 0; }, 2000);
                EXPECT_EQ(1, main.m_bClosePending) << c.name;
                EXPECT_FALSE(::IsWindowVisible(main.m_hWnd)) << c.name;
                pHeld->Release();
                EXPECT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg == nullptr; }, 10000)) << c.name;
            });
        }
        EXPECT_EQ(IDCANCEL, nResult) << c.name;
        ASSERT_TRUE(pHeld != nullptr) << c.name;
        pHeld->Release();
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(pHeld->Worker(), 15000)) << c.name;
        EXPECT_TRUE(pHeld->ManagerStayed()) << c.name;
        EXPECT_EQ(0, g_arrUpdates.GetSize()) << c.name;
        EXPECT_TRUE(m_session.MessageBoxes().empty()) << c.name;
        if (c.managerKept) {
            EXPECT_EQ(pManager, g_pDriveManager) << c.name;
            delete g_pDriveManager; // kept for the worker until the program ends; here the test lets it go
        } else {
            EXPECT_EQ(nullptr, g_pDriveManager) << c.name;
        }
        g_pDriveManager = nullptr;
    }
}

TEST_F(UpdateDialogTest, ClosingTheMainWindowWhileTheListIsShown)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    CMainDlg dlg;
    const INT_PTR nResult = RunModal(m_session, dlg, [&](CDialog& d) {
        CMainDlg& main = static_cast<CMainDlg&>(d);
        ASSERT_TRUE(CheckFromMenu(main));
        ::PostMessage(main.m_hWnd, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_TRUE(m_session.MessageBoxes().empty());
}

// With "AutoFW" set, the check starts by itself half a second after start-up; its failures are not shown.
TEST_F(UpdateDialogTest, AutomaticCheckAtStartup)
{
    REQUIRE_SERVICE();
    SetAutoFW(1);
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    RunMain([&](CMainDlg& main) {
        EXPECT_EQ(nullptr, main.m_pUpdateDlg.get());
        ASSERT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg != nullptr && main.m_pUpdateDlg->IsShown(); }, 10000));
        EXPECT_EQ(BST_CHECKED,
                  ::SendDlgItemMessage(main.m_pUpdateDlg->m_hWnd, IDC_FWUPDATE_AUTOCHECK, BM_GETCHECK, 0, 0));
        guitest::Click(main.m_pUpdateDlg->m_hWnd, IDOK);
        EXPECT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg == nullptr; }, 2000));
        EndMain(main);
    });
    EXPECT_EQ(1u, StoredAutoFW());

    updatetest::SetUpdatePath(ServiceUrl("/status/404"));
    RunMain([&](CMainDlg& main) {
        PumpUntil([&] { return main.m_pUpdateDlg != nullptr; }, 5000);
        EXPECT_TRUE(PumpUntil([&] { return main.m_pUpdateDlg == nullptr; }, 10000));
        EndMain(main);
    });
    EXPECT_TRUE(m_session.MessageBoxes().empty());
}

} // namespace
