// tests/controls/HLinkSheetTest.cpp — the link page on its template inside its sheet, and the sheet's two
// constructors
#include "controls/HLinkSheet.h"

#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using guitest::HookSession;
using guitest::RunModal;

namespace {

// The size and the number of controls a DIALOGEX template gives.
struct TemplateFacts {
    int cx = 0, cy = 0, items = 0;
};

TemplateFacts FactsOfTemplate(UINT nId)
{
    TemplateFacts facts;
    HRSRC hResource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(nId), MAKEINTRESOURCEA(5)); // RT_DIALOG
    const BYTE* p =
        hResource != nullptr ? static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, hResource))) : nullptr;
    if (p == nullptr || *reinterpret_cast<const WORD*>(p + 2) != 0xFFFF) // DLGTEMPLATEEX: dlgVer 1, signature 0xFFFF
        return facts;
    // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy
    facts.items = *reinterpret_cast<const WORD*>(p + 16);
    facts.cx = *reinterpret_cast<const short*>(p + 22);
    facts.cy = *reinterpret_cast<const short*>(p + 24);
    return facts;
}

CString TabText(HWND hSheet, int nTab)
{
    char szText[64] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = szText;
    item.cchTextMax = sizeof szText;
    ::SendMessageA(PropSheet_GetTabControl(hSheet), TCM_GETITEMA, nTab, reinterpret_cast<LPARAM>(&item));
    return szText;
}

// On a sheet the page shows its template (186 x 95 units, OK and Cancel, the tab named "Dialog") and reads the text
// of the window it was given as it opens.
TEST(HLinkPage, ReadsTheTextOfItsWindowOnItsTemplate)
{
    const TemplateFacts facts = FactsOfTemplate(IDD_HLINK_PAGE);
    EXPECT_EQ(186, facts.cx);
    EXPECT_EQ(95, facts.cy);
    EXPECT_EQ(2, facts.items);

    HWND hSource = ::CreateWindowA("STATIC", "Korvath technical services", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(nullptr, hSource);
    CWnd source;
    source.Attach(hSource);
    HookSession session;
    CHLinkSheet sheet("Links");
    sheet.m_page.m_pWnd = &source;
    CString tab, ok, cancel, readOnOpen;
    RunModal(session, sheet, [&](CDialog& d) {
        const HWND hPage = PropSheet_GetCurrentPageHwnd(d.m_hWnd);
        tab = TabText(d.m_hWnd, 0);
        ok = guitest::Text(hPage, IDOK);
        cancel = guitest::Text(hPage, IDCANCEL);
        readOnOpen = sheet.m_page.m_strWindowText;
        PropSheet_PressButton(d.m_hWnd, PSBTN_CANCEL);
    });
    EXPECT_STREQ("Dialog", tab);
    EXPECT_STREQ("OK", ok);
    EXPECT_STREQ("Cancel", cancel);
    EXPECT_STREQ("Korvath technical services", readOnOpen);
    source.Detach();
    ::DestroyWindow(hSource);
    EXPECT_TRUE(session.MessageBoxes().empty());
}

// Both constructors add the sheet's page and keep the caption (from the string table or as given), the parent and
// the page to open on.
TEST(HLinkSheet, BothConstructorsAddTheirPage)
{
    CWnd parent;
    CHLinkSheet byId(IDS_ABOUTBOX, &parent, 0);
    CHLinkSheet byText("Links", nullptr, 1);
    struct Case {
        const char* name;
        CHLinkSheet& sheet;
        const char* caption;
        CWnd* pParent;
        UINT startPage;
    };
    const Case kCases[] = {
        {"caption from the string table", byId, "&About Tavisk...", &parent, 0},
        {"caption as text", byText, "Links", nullptr, 1},
    };
    for (const Case& c : kCases) {
        ASSERT_EQ(1, c.sheet.GetPageCount()) << c.name;
        EXPECT_EQ(&c.sheet.m_page, c.sheet.GetPage(0)) << c.name;
        EXPECT_STREQ(c.caption, c.sheet.m_strCaption) << c.name;
        EXPECT_EQ(c.pParent, c.sheet.m_pParentWnd) << c.name;
        EXPECT_EQ(c.startPage, c.sheet.m_nStartPage) << c.name;
    }
}

} // namespace
