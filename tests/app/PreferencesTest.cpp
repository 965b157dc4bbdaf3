// tests/app/PreferencesTest.cpp
// The Preferences sheet opened from the main dialog: the stored settings shown on both pages, every setting
// changed and saved to the registry, Cancel and refused input leaving the registry alone, and OK after looking
// only at the "General" page keeping the transfer-rate settings.
#include "app/MainDlg.h"
#include "app/Options.h"
#include "app/ProgramSettings.h"

#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <functional>

using guitest::HookSession;
using guitest::SelectComboItem;
using guitest::Text;

namespace {

CString ComboText(HWND hPage, int id)
{
    HWND hCombo = GetDlgItem(hPage, id);
    int sel = static_cast<int>(SendMessageA(hCombo, CB_GETCURSEL, 0, 0));
    if (sel < 0)
        return CString();
    char text[64] = {};
    SendMessageA(hCombo, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text));
    return CString(text);
}

void ClickBox(HWND hPage, int id)
{
    SendMessageA(GetDlgItem(hPage, id), BM_CLICK, 0, 0);
}

HWND CurrentPage(HWND hSheet)
{
    return PropSheet_GetCurrentPageHwnd(hSheet);
}

// The stored settings every case starts from.
struct Stored {
    TransferRateSettings rate;
    ProxySettings proxy;
    DWORD autoFW = 0;
};

Stored StartingSettings()
{
    Stored s;
    s.rate.sampleLen = 1;
    s.rate.testEvery = 3;
    s.rate.testEveryWrite = 4;
    s.rate.maxSpeed = 40;
    s.rate.maxSpeedDvd = 12;
    s.rate.maxSpeedWrite = 24;
    s.rate.maxSpeedDvdWrite = 4;
    s.rate.simulate = 0;
    s.rate.overburn = 1;
    s.rate.overburnLength = 427500;
    s.rate.formatParameters = 0;
    s.rate.readTimeInd = 84;
    s.rate.readTimeIndDvd = 0xA00000;
    s.rate.writeTimeInd = 144;
    s.proxy.user = "anna";
    s.proxy.password = "secret";
    s.proxy.server = "proxy.example";
    s.proxy.port = 3128;
    s.proxy.useProxy = TRUE;
    s.autoFW = 1;
    return s;
}

void Store(const Stored& s)
{
    ASSERT_TRUE(WriteTransferRateSettings(s.rate));
    ASSERT_TRUE(WriteProgramSettings(s.proxy, s.autoFW));
}

Stored Load()
{
    Stored s;
    ReadTransferRateSettings(s.rate);
    ReadProgramSettings(s.proxy, s.autoFW);
    return s;
}

void ExpectSame(const Stored& want, const Stored& got)
{
    const TransferRateSettings& a = want.rate;
    const TransferRateSettings& b = got.rate;
    EXPECT_EQ(a.sampleLen, b.sampleLen);
    EXPECT_EQ(a.testEvery, b.testEvery);
    EXPECT_EQ(a.testEveryWrite, b.testEveryWrite);
    EXPECT_EQ(a.maxSpeed, b.maxSpeed);
    EXPECT_EQ(a.maxSpeedDvd, b.maxSpeedDvd);
    EXPECT_EQ(a.maxSpeedWrite, b.maxSpeedWrite);
    EXPECT_EQ(a.maxSpeedDvdWrite, b.maxSpeedDvdWrite);
    EXPECT_EQ(a.simulate, b.simulate);
    EXPECT_EQ(a.overburn, b.overburn);
    EXPECT_EQ(a.overburnLength, b.overburnLength);
    EXPECT_EQ(a.formatParameters, b.formatParameters);
    EXPECT_EQ(a.readTimeInd, b.readTimeInd);
    EXPECT_EQ(a.readTimeIndDvd, b.readTimeIndDvd);
    EXPECT_EQ(a.writeTimeInd, b.writeTimeInd);
    EXPECT_EQ(want.proxy.user, got.proxy.user);
    EXPECT_EQ(want.proxy.password, got.proxy.password);
    EXPECT_EQ(want.proxy.server, got.proxy.server);
    EXPECT_EQ(want.proxy.port, got.proxy.port);
    EXPECT_EQ(want.proxy.useProxy, got.proxy.useProxy);
    EXPECT_EQ(want.autoFW, got.autoFW);
}

// Runs the main dialog, opens the Preferences from its menu and hands the sheet to script; the main dialog is
// closed once the sheet has ended.
void WithSheet(HookSession& session, const std::function<void(COptions&)>& script)
{
    CMainDlg dlg;
    HWND hMain = nullptr;
    session.QueueDialog([&](CDialog& main) {
        hMain = main.m_hWnd;
        ::PostMessage(hMain, WM_COMMAND, ID_OPTIONS_PREFERENCES, 0);
    });
    bool bSheetRan = false;
    session.QueueDialog([&](CDialog& sheet) {
        bSheetRan = true;
        script(static_cast<COptions&>(sheet));
        ::PostMessage(hMain, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(bSheetRan);
}

} // namespace

TEST(Preferences, ShowsStoredSettingsAndCancelSavesNothing)
{
    Stored start = StartingSettings();
    Store(start);
    HookSession session;
    CString caption, autoCheck;
    CString user, port, server, sampleLen, cdRead, dvdRead, cdWrite, format, overburn, maxRead, maxWrite;
    BOOL bUserEnabled = FALSE, bOverburnEnabled = FALSE;
    WithSheet(session, [&](COptions& sheet) {
        char text[64] = {};
        GetWindowTextA(sheet.m_hWnd, text, sizeof text);
        caption = text;
        HWND hProxy = CurrentPage(sheet.m_hWnd);
        user = Text(hProxy, IDC_PROXY_USER);
        port = Text(hProxy, IDC_PROXY_PORT);
        server = Text(hProxy, IDC_PROXY_SERVER);
        bUserEnabled = IsWindowEnabled(GetDlgItem(hProxy, IDC_PROXY_USER));
        autoCheck = IsDlgButtonChecked(hProxy, IDC_AUTO_CHECK) ? "on" : "off";
        PropSheet_SetCurSel(sheet.m_hWnd, nullptr, 1);
        HWND hRate = CurrentPage(sheet.m_hWnd);
        sampleLen = ComboText(hRate, IDC_PREF_SAMPLE_LEN);
        cdRead = ComboText(hRate, IDC_PREF_CD_READ_LEN);
        dvdRead = ComboText(hRate, IDC_PREF_DVD_READ_LEN);
        cdWrite = ComboText(hRate, IDC_PREF_CD_WRITE_LEN);
        format = ComboText(hRate, IDC_PREF_DATA_FORMAT);
        overburn = Text(hRate, IDC_PREF_OVERBURN_LEN);
        bOverburnEnabled = IsWindowEnabled(GetDlgItem(hRate, IDC_PREF_OVERBURN_LEN));
        maxRead = Text(hRate, IDC_PREF_MAX_READ);
        maxWrite = Text(hRate, IDC_PREF_MAX_WRITE);
        SetDlgItemTextA(hRate, IDC_PREF_MAX_READ, "77");
        SelectComboItem(hRate, IDC_PREF_SAMPLE_LEN, 4);
        PropSheet_PressButton(sheet.m_hWnd, PSBTN_CANCEL);
    });
    EXPECT_EQ(CString("Preferences"), caption);
    EXPECT_EQ(CString("anna"), user);
    EXPECT_EQ(CString("3128"), port);
    EXPECT_EQ(CString("proxy.example"), server);
    EXPECT_TRUE(bUserEnabled);
    EXPECT_EQ(CString("on"), autoCheck);
    EXPECT_EQ(CString("2 Minutes"), sampleLen);
    EXPECT_EQ(CString("80 Minutes"), cdRead);
    EXPECT_EQ(CString("10 GB"), dvdRead);
    EXPECT_EQ(CString("140 Minutes"), cdWrite);
    EXPECT_EQ(CString("Internal Buffer (CD-DA)"), format);
    EXPECT_EQ(CString("095:00.00"), overburn);
    EXPECT_TRUE(bOverburnEnabled);
    EXPECT_EQ(CString("40"), maxRead);
    EXPECT_EQ(CString("24"), maxWrite);
    EXPECT_TRUE(session.MessageBoxes().empty());
    ExpectSame(start, Load());
}

TEST(Preferences, EverySettingChangedIsSaved)
{
    Stored start = StartingSettings();
    Store(start);
    HookSession session;
    WithSheet(session, [&](COptions& sheet) {
        HWND hProxy = CurrentPage(sheet.m_hWnd);
        guitest::SetText(hProxy, IDC_PROXY_USER, "bert");
        guitest::SetText(hProxy, IDC_PROXY_PASSWORD, "pa55");
        guitest::SetText(hProxy, IDC_PROXY_SERVER, "10.0.0.8");
        guitest::SetText(hProxy, IDC_PROXY_PORT, "8080");
        ClickBox(hProxy, IDC_USE_PROXY);  // off: the edits are disabled, their texts are kept and saved
        ClickBox(hProxy, IDC_AUTO_CHECK); // off
        PropSheet_SetCurSel(sheet.m_hWnd, nullptr, 1);
        HWND hRate = CurrentPage(sheet.m_hWnd);
        SelectComboItem(hRate, IDC_PREF_SAMPLE_LEN, 0);
        SelectComboItem(hRate, IDC_PREF_TEST_EVERY, 4);
        SelectComboItem(hRate, IDC_PREF_TEST_EVERY_WRITE, 1);
        SelectComboItem(hRate, IDC_PREF_CD_READ_LEN, 2);
        SelectComboItem(hRate, IDC_PREF_DVD_READ_LEN, 0);
        SelectComboItem(hRate, IDC_PREF_CD_WRITE_LEN, 0);
        SelectComboItem(hRate, IDC_PREF_DATA_FORMAT, 1);
        ClickBox(hRate, IDC_PREF_SIMULATE);
        SetDlgItemTextA(hRate, IDC_PREF_MAX_READ, "48");
        SetDlgItemTextA(hRate, IDC_PREF_MAX_DVD_READ, "20");
        SetDlgItemTextA(hRate, IDC_PREF_MAX_WRITE, "52");
        SetDlgItemTextA(hRate, IDC_PREF_MAX_DVD_WRITE, "8");
        sheet.m_transferPage.m_editOverburn.SetText("0795974");
        PropSheet_PressButton(sheet.m_hWnd, PSBTN_OK);
    });
    EXPECT_TRUE(session.MessageBoxes().empty());
    Stored want = start;
    want.proxy.user = "bert";
    want.proxy.password = "pa55";
    want.proxy.server = "10.0.0.8";
    want.proxy.port = 8080;
    want.proxy.useProxy = FALSE;
    want.autoFW = 0;
    want.rate.sampleLen = 0;
    want.rate.testEvery = 4;
    want.rate.testEveryWrite = 1;
    want.rate.readTimeInd = 144;
    want.rate.readTimeIndDvd = 0x500000;
    want.rate.writeTimeInd = 84;
    want.rate.formatParameters = 1;
    want.rate.simulate = 1;
    want.rate.maxSpeed = 48;
    want.rate.maxSpeedDvd = 20;
    want.rate.maxSpeedWrite = 52;
    want.rate.maxSpeedDvdWrite = 8;
    want.rate.overburnLength = 359999; // 079:59.74
    ExpectSame(want, Load());
}

// OK after looking only at the first page: the transfer-rate settings, the axis maxima among them, stay.
TEST(Preferences, OkOnTheGeneralPageKeepsTheTransferRateSettings)
{
    Stored start = StartingSettings();
    Store(start);
    HookSession session;
    WithSheet(session, [&](COptions& sheet) {
        guitest::SetText(CurrentPage(sheet.m_hWnd), IDC_PROXY_SERVER, "other.example");
        PropSheet_PressButton(sheet.m_hWnd, PSBTN_OK);
    });
    Stored want = start;
    want.proxy.server = "other.example";
    ExpectSame(want, Load());
}

// Refused input keeps the sheet open with the message; Cancel afterwards saves nothing.
TEST(Preferences, RefusedInputIsNotSaved)
{
    struct Case {
        const char* name;
        int page;
        int id;
        const char* text;
        const char* message;
    };
    static const Case kCases[] = {
        {"read maximum 0", 1, IDC_PREF_MAX_READ, "0", "Please enter an integer between 1 and 100."},
        {"read maximum 101", 1, IDC_PREF_MAX_READ, "101", "Please enter an integer between 1 and 100."},
        {"DVD read maximum empty", 1, IDC_PREF_MAX_DVD_READ, "", "Please enter an integer."},
        {"empty proxy port", 0, IDC_PROXY_PORT, "", "Please enter an integer."},
        {"proxy port 70000", 0, IDC_PROXY_PORT, "70000", "Please enter an integer between 1 and 65535."},
    };
    for (const Case& c : kCases) {
        Stored start = StartingSettings();
        Store(start);
        HookSession session;
        bool bStillOpen = false;
        WithSheet(session, [&](COptions& sheet) {
            PropSheet_SetCurSel(sheet.m_hWnd, nullptr, c.page);
            HWND hPage = CurrentPage(sheet.m_hWnd);
            guitest::SetText(hPage, c.id, c.text);
            PropSheet_PressButton(sheet.m_hWnd, PSBTN_OK);
            bStillOpen = CurrentPage(sheet.m_hWnd) != nullptr;
            PropSheet_PressButton(sheet.m_hWnd, PSBTN_CANCEL);
        });
        EXPECT_TRUE(bStillOpen) << c.name;
        ASSERT_EQ(1u, session.MessageBoxes().size()) << c.name;
        EXPECT_EQ(CString(c.message), session.MessageBoxes()[0].text) << c.name;
        ExpectSame(start, Load());
    }
}

// With overburning on, a length that the settings would refuse at the next start (none at all, or more than the
// mask's largest 999:59.74) keeps the sheet open with a message and saves nothing; the lengths at both bounds are
// saved and read back. With overburning off such a text leaves the stored length as it was.
TEST(Preferences, OverburnLengthMustBeReadableAtTheNextStart)
{
    struct Case {
        const char* name;
        bool overburn;
        const char* digits; // as typed into the masked edit: mmmssff
        bool refused;
        DWORD stored;
    };
    static const Case kCases[] = {
        {"no length", true, "0000000", true, 300000},
        {"one frame beyond the largest", true, "9995975", true, 300000},
        {"seconds beyond a minute", true, "9999999", true, 300000},
        {"one frame", true, "0000001", false, 1},
        {"the largest", true, "9995974", false, kOverburnLengthMax},
        {"overburning off, no length", false, "0000000", false, 300000},
    };
    for (const Case& c : kCases) {
        Stored start = StartingSettings();
        start.rate.overburnLength = 300000; // not the default, which the reader falls back to
        start.rate.overburn = c.overburn ? 1 : 0;
        Store(start);
        HookSession session;
        bool bStillOpen = false;
        WithSheet(session, [&](COptions& sheet) {
            PropSheet_SetCurSel(sheet.m_hWnd, nullptr, 1);
            sheet.m_transferPage.m_editOverburn.SetText(c.digits);
            PropSheet_PressButton(sheet.m_hWnd, PSBTN_OK);
            bStillOpen = CurrentPage(sheet.m_hWnd) != nullptr;
            if (bStillOpen)
                PropSheet_PressButton(sheet.m_hWnd, PSBTN_CANCEL);
        });
        if (c.refused) {
            EXPECT_TRUE(bStillOpen) << c.name;
            ASSERT_EQ(1u, session.MessageBoxes().size()) << c.name;
            EXPECT_EQ(CString("Please enter an overburn length between 000:00.01 and 999:59.74."),
                      session.MessageBoxes()[0].text)
                << c.name;
        } else {
            EXPECT_TRUE(session.MessageBoxes().empty()) << c.name;
        }
        Stored want = start;
        want.rate.overburnLength = c.stored;
        ExpectSame(want, Load());
    }
}
