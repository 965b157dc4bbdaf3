// tests/framework_gui/DialogTest.cpp
// The window layer driven in-process: modal loop, data exchange, notification lockout, reflection, command routing,
// message boxes and exceptions at the window-procedure boundary.
#include "gui/GuiTest.h"

#include "TestResource.h"

#include <gtest/gtest.h>

#include <functional>

using guitest::Click;
using guitest::HookSession;
using guitest::RunModal;
using guitest::SetText;
using guitest::Text;

namespace {

const UINT kRoutedCommand = 0x8123;
const UINT WM_APP_TEN = WM_APP + 10;

// An edit control that handles its own EN_CHANGE (reflected from the parent).
class CReflectingEdit : public CEdit {
public:
    int m_nReflected = 0;

    BEGIN_MSG_MAP(CReflectingEdit)
    ON_CONTROL_REFLECT(EN_CHANGE, OnReflectedChange)
    END_MSG_MAP()

private:
    void OnReflectedChange() { ++m_nReflected; }
};

class CFieldsDlg : public CDialog {
public:
    explicit CFieldsDlg(CWnd* pParent = nullptr) : CDialog(IDD_FIELDS, pParent) {}

    CString m_strName = "initial";
    int m_nCount = 5;
    int m_bFlag = 1;
    CReflectingEdit m_watched;

    int m_nNameChanges = 0;
    bool m_bReadBackOnNameChange = true;
    int m_nParentWatchedChanges = 0;
    int m_nRouted = 0;
    int m_nAppTen = 0;
    int m_nTimerTicks = 0;
    int m_nCloses = 0;
    bool m_bWasHiddenWhileRunning = false;
    std::function<BOOL(CFieldsDlg&)> m_onInit;

    BEGIN_MSG_MAP(CFieldsDlg)
    ON_EN_CHANGE(IDC_NAME, OnNameChange)
    ON_EN_CHANGE(IDC_WATCHED, OnWatchedChange)
    ON_BN_CLICKED(IDC_THROW, OnThrow)
    ON_COMMAND(kRoutedCommand, OnRouted)
    ON_MESSAGE(WM_APP_TEN, OnAppTen)
    ON_WM_TIMER()
    ON_WM_CLOSE()
    CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_NAME, m_strName);
        DDV_MaxChars(pDX, m_strName, 20);
        DDX_Text(pDX, IDC_COUNT, m_nCount);
        DDV_MinMaxInt(pDX, m_nCount, 1, 100);
        DDX_Check(pDX, IDC_FLAG, m_bFlag);
        DDX_Control(pDX, IDC_WATCHED, m_watched);
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        return m_onInit ? m_onInit(*this) : TRUE;
    }

    // Reads every field back, as a handler that reacts to typing would. Run during the initial fill it would read
    // the count control before it is filled.
    void OnNameChange()
    {
        ++m_nNameChanges;
        if (m_bReadBackOnNameChange)
            UpdateData(TRUE);
    }
    void OnWatchedChange() { ++m_nParentWatchedChanges; }
    // Counts, then lets the dialog manager do its default (it posts IDCANCEL).
    void OnClose()
    {
        ++m_nCloses;
        CDialog::OnClose();
    }
    void OnThrow() { AfxThrowInvalidArgException(); }
    void OnRouted() { ++m_nRouted; }
    LRESULT OnAppTen(WPARAM, LPARAM)
    {
        ++m_nAppTen;
        return 0;
    }
    // Tick 1 hides the running dialog, tick 2 ends it: the loop must keep running while the window is hidden.
    void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent != 7)
            return;
        if (++m_nTimerTicks == 1) {
            ShowWindow(SW_HIDE);
        } else {
            m_bWasHiddenWhileRunning = !IsWindowVisible();
            KillTimer(7);
            EndDialog(IDOK);
        }
    }
};

// A child dialog (DS_CONTROL) that handles nothing itself.
class CPageDlg : public CDialog {
public:
    CPageDlg() : CDialog(IDD_CHILD_PAGE) {}
};

class CPopupDlg : public CDialog {
public:
    CPopupDlg() : CDialog(IDD_POPUP) {}
};

TEST(DialogTest, ModalRoundTripLoadsAndSavesTheFields)
{
    HookSession session;
    CFieldsDlg dlg;
    CString loadedName, loadedCount;
    UINT loadedFlag = 0;
    INT_PTR result = RunModal(session, dlg, [&](CDialog& d) {
        loadedName = Text(d, IDC_NAME);
        loadedCount = Text(d, IDC_COUNT);
        loadedFlag = d.IsDlgButtonChecked(IDC_FLAG);
        SetText(d, IDC_NAME, "typed");
        SetText(d, IDC_COUNT, " 42 ");
        d.CheckDlgButton(IDC_FLAG, BST_UNCHECKED);
        EXPECT_TRUE(Click(d, IDOK));
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_STREQ("initial", loadedName);
    EXPECT_STREQ("5", loadedCount);
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), loadedFlag);
    EXPECT_STREQ("typed", dlg.m_strName);
    EXPECT_EQ(42, dlg.m_nCount);
    EXPECT_EQ(0, dlg.m_bFlag);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_TRUE(session.MessageBoxes().empty());
}

TEST(DialogTest, UpdateDataLocksOutControlNotifications)
{
    HookSession session;
    CFieldsDlg dlg;
    int changesAfterInit = -1;
    CString countAfterInit;
    int changesAfterTyping = -1;
    RunModal(session, dlg, [&](CDialog& d) {
        changesAfterInit = dlg.m_nNameChanges;
        countAfterInit = Text(d, IDC_COUNT);
        SetText(d, IDC_NAME, "typed");
        changesAfterTyping = dlg.m_nNameChanges;
        d.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(0, changesAfterInit) << "EN_CHANGE reached the dialog during UpdateData(FALSE)";
    EXPECT_STREQ("5", countAfterInit);
    EXPECT_EQ(1, dlg.m_nNameChanges);
    EXPECT_EQ(1, changesAfterTyping);
    EXPECT_EQ(1, dlg.m_bFlag);
    EXPECT_TRUE(session.MessageBoxes().empty());
}

TEST(DialogTest, FailedValidationKeepsTheDialogOpenWithAMessage)
{
    struct Case {
        const char* name;
        const char* count;
        const char* message;
    };
    const Case cases[] = {
        {"ok", "500", "Please enter an integer between 1 and 100."},
        {"ok", "0", "Please enter an integer between 1 and 100."},
        {"ok", "12abc", "Please enter an integer."},
        {"ok", "", "Please enter an integer."},
        {"ok", "99999999999", "Please enter an integer."},
        {"a name longer than twenty", "7", "Please enter no more than 20 characters."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        HookSession session;
        CFieldsDlg dlg;
        dlg.m_bReadBackOnNameChange = false;
        bool stillOpen = false;
        HWND focusAfterFailure = nullptr;
        HWND failedControl = nullptr;
        INT_PTR result = RunModal(session, dlg, [&](CDialog& d) {
            SetText(d, IDC_NAME, c.name);
            SetText(d, IDC_COUNT, c.count);
            Click(d, IDOK);
            stillOpen = d.m_hWnd != nullptr && ::IsWindow(d.m_hWnd);
            focusAfterFailure = ::GetFocus();
            failedControl = ::GetDlgItem(d, c.name[2] != '\0' ? IDC_NAME : IDC_COUNT);
            SetText(d, IDC_NAME, "fine");
            SetText(d, IDC_COUNT, "9");
            Click(d, IDOK);
        });
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(failedControl, focusAfterFailure);
        EXPECT_EQ(IDOK, result);
        EXPECT_EQ(9, dlg.m_nCount);
        ASSERT_EQ(1u, session.MessageBoxes().size());
        const guitest::MessageBoxRecord& box = session.MessageBoxes()[0];
        EXPECT_STREQ(c.message, box.text);
        EXPECT_STREQ(AfxGetAppName(), box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), box.type & MB_ICONMASK);
    }
}

TEST(DialogTest, ModalLoopEndings)
{
    struct Case {
        const char* what;
        std::function<BOOL(CFieldsDlg&)> onInit;
        INT_PTR expected;
        bool readyRuns;
    };
    const Case cases[] = {
        {"DestroyWindow in OnInitDialog",
         [](CFieldsDlg& d) {
             d.DestroyWindow();
             return FALSE;
         },
         -1, false},
        {"IDCANCEL posted before the loop",
         [](CFieldsDlg& d) {
             d.PostMessage(WM_COMMAND, IDCANCEL);
             return TRUE;
         },
         IDCANCEL, true},
        {"WM_CLOSE sent in OnInitDialog",
         [](CFieldsDlg& d) {
             d.SendMessage(WM_CLOSE);
             return TRUE;
         },
         IDCANCEL, true},
        {"EndDialog in OnInitDialog",
         [](CFieldsDlg& d) {
             d.EndDialog(1234);
             return TRUE;
         },
         1234, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HookSession session;
        CPopupDlg owner;
        ASSERT_TRUE(owner.Create(IDD_POPUP, nullptr));
        CFieldsDlg dlg(&owner);
        dlg.m_onInit = c.onInit;
        bool ready = false;
        bool ownerDisabledWhileRunning = false;
        INT_PTR result = RunModal(session, dlg, [&](CDialog& d) {
            ready = true;
            ownerDisabledWhileRunning = !owner.IsWindowEnabled();
            d.PostMessage(WM_COMMAND, IDOK);
        });
        EXPECT_EQ(c.expected, result);
        EXPECT_EQ(c.readyRuns, ready);
        if (c.readyRuns) {
            EXPECT_TRUE(ownerDisabledWhileRunning);
        }
        EXPECT_TRUE(owner.IsWindowEnabled()) << "the owner must get its input back";
        EXPECT_EQ(nullptr, dlg.m_hWnd);
    }
}

TEST(DialogTest, CloseHandlerPassesOnToTheDefaultProcedure)
{
    HookSession session;
    CFieldsDlg dlg;
    INT_PTR result = RunModal(session, dlg, [](CDialog& d) { d.PostMessage(WM_CLOSE); });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(1, dlg.m_nCloses);
}

TEST(DialogTest, HiddenDialogKeepsItsLoopRunning)
{
    HookSession session;
    CFieldsDlg dlg;
    dlg.m_onInit = [](CFieldsDlg& d) {
        d.SetTimer(7, 30);
        return TRUE;
    };
    INT_PTR result = RunModal(session, dlg, [](CDialog&) {});
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(2, dlg.m_nTimerTicks);
    EXPECT_TRUE(dlg.m_bWasHiddenWhileRunning);
}

TEST(DialogTest, UnscriptedDialogIsCancelledAndRecorded)
{
    HookSession session;
    CPopupDlg dlg;
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    ASSERT_EQ(1u, session.UnscriptedDialogs().size());
    EXPECT_EQ(static_cast<UINT>(IDD_POPUP), session.UnscriptedDialogs()[0]);
}

TEST(DialogTest, ReflectedNotificationGoesToTheControlObjectOnly)
{
    HookSession session;
    CFieldsDlg dlg;
    RunModal(session, dlg, [&](CDialog& d) {
        SetText(d, IDC_WATCHED, "x");
        d.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(1, dlg.m_watched.m_nReflected);
    EXPECT_EQ(0, dlg.m_nParentWatchedChanges);
}

TEST(DialogTest, ChildDialogRoutesOnlyMenuCommandsToItsParent)
{
    HookSession session;
    CFieldsDlg dlg;
    CPageDlg page;
    bool created = false;
    RunModal(session, dlg, [&](CDialog& d) {
        created = page.Create(IDD_CHILD_PAGE, &d) != FALSE;
        page.SendMessage(WM_COMMAND, kRoutedCommand);
        page.SendMessage(WM_COMMAND, 0x7001);
        page.SendMessage(WM_APP_TEN);
        page.DestroyWindow();
        d.EndDialog(IDCANCEL);
    });
    EXPECT_TRUE(created);
    EXPECT_EQ(1, dlg.m_nRouted);
    EXPECT_EQ(0, dlg.m_nAppTen) << "WM_APP messages must never travel to the parent";
}

TEST(DialogTest, ModelessDialogHidesOnEndDialogAndDefaultsToTheMainWindow)
{
    HookSession session;
    CWinApp app;
    CPopupDlg mainDlg;
    ASSERT_TRUE(mainDlg.Create(IDD_POPUP, nullptr));
    app.m_pMainWnd = &mainDlg;
    CPopupDlg modeless;
    ASSERT_TRUE(modeless.Create(IDD_POPUP));
    EXPECT_EQ(mainDlg.m_hWnd, ::GetWindow(modeless, GW_OWNER));
    modeless.ShowWindow(SW_SHOW);
    modeless.SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_TRUE(::IsWindow(modeless.m_hWnd));
    EXPECT_FALSE(modeless.IsWindowVisible());
    app.m_pMainWnd = nullptr;
}

TEST(DialogTest, ExceptionInAHandlerStopsAtTheBoundary)
{
    HookSession session;
    CFieldsDlg dlg;
    bool aliveAfterSent = false, aliveAfterPosted = false;
    INT_PTR result = RunModal(session, dlg, [&](CDialog& d) {
        Click(d, IDC_THROW);
        aliveAfterSent = ::IsWindow(d.m_hWnd) != FALSE;
        d.PostMessage(WM_COMMAND, MAKEWPARAM(IDC_THROW, BN_CLICKED),
                      reinterpret_cast<LPARAM>(::GetDlgItem(d, IDC_THROW)));
        guitest::Pump();
        aliveAfterPosted = ::IsWindow(d.m_hWnd) != FALSE;
        d.PostMessage(WM_COMMAND, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(aliveAfterSent);
    EXPECT_TRUE(aliveAfterPosted);
    ASSERT_EQ(2u, session.MessageBoxes().size());
    for (const guitest::MessageBoxRecord& box : session.MessageBoxes()) {
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), box.type & MB_ICONMASK);
        EXPECT_STREQ(AfxGetAppName(), box.caption);
        EXPECT_EQ(0, CString(box.text).Find("An internal error occurred")) << box.text;
    }
}

TEST(DialogTest, ExceptionInOnInitDialogIsReportedAndTheDialogRuns)
{
    HookSession session;
    CFieldsDlg dlg;
    dlg.m_onInit = [](CFieldsDlg&) -> BOOL { AfxThrowMemoryException(); };
    INT_PTR result = RunModal(session, dlg, [](CDialog& d) { d.PostMessage(WM_COMMAND, IDCANCEL); });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(1u, session.MessageBoxes().size());
}

} // namespace
