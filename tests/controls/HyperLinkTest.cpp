// tests/controls/HyperLinkTest.cpp — the hyperlink in the gallery: fitting to its text, its colours under the mouse
// and after a visit, and the browser it starts through the shell seam
#include "GalleryFixture.h"
#include "ShellRecorder.h"

#include "framework/Registry.h"
#include "support/TestFiles.h"

#include <string>

namespace {

const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kPurple = RGB(128, 0, 128);

const char kHttpCommandKey[] = "http\\shell\\open\\command";

// The browser registered for "http" in this test's own copy of the prefix, for as long as it lives.
class CRegisteredBrowser {
public:
    explicit CRegisteredBrowser(const char* pszCommandLine)
    {
        m_bHadCommand = m_key.Open(HKEY_CLASSES_ROOT, kHttpCommandKey) == ERROR_SUCCESS &&
                        m_key.QueryString(nullptr, m_strSaved) == ERROR_SUCCESS;
        m_key.Close();
        CRegistryKey key;
        if (pszCommandLine == nullptr) {
            CRegistryKey::DeleteTree(HKEY_CLASSES_ROOT, "http\\shell\\open");
        } else if (key.Create(HKEY_CLASSES_ROOT, kHttpCommandKey) == ERROR_SUCCESS) {
            key.SetString(nullptr, pszCommandLine);
        }
    }
    ~CRegisteredBrowser()
    {
        CRegistryKey key;
        if (m_bHadCommand && key.Create(HKEY_CLASSES_ROOT, kHttpCommandKey) == ERROR_SUCCESS)
            key.SetString(nullptr, m_strSaved);
    }

private:
    CRegistryKey m_key;
    CString m_strSaved;
    bool m_bHadCommand = false;
};

void MoveMouse(const CWnd& control, int x, int y)
{
    ::SendMessage(control.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

int TextWidth(const CHyperLink& link)
{
    CString strText = guitest::Text(link.m_hWnd);
    HDC hDC = ::GetDC(link.m_hWnd);
    LOGFONT lf = {};
    ::GetObject(reinterpret_cast<HGDIOBJ>(::SendMessage(link.m_hWnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    lf.lfUnderline = 1;
    HFONT hFont = ::CreateFontIndirect(&lf);
    HGDIOBJ hOld = ::SelectObject(hDC, hFont);
    SIZE size = {};
    ::GetTextExtentPoint32A(hDC, strText, strText.GetLength(), &size);
    ::SelectObject(hDC, hOld);
    ::DeleteObject(hFont);
    ::ReleaseDC(link.m_hWnd, hDC);
    return size.cx;
}

using HyperLinkTest = GalleryTest;

TEST(HyperLinkCommand, ProgramPartOfTheRegisteredCommand)
{
    const struct {
        const char* commandLine;
        const char* program;
    } cases[] = {
        {"\"C:\\Program Files\\Browser\\browser.exe\" -new \"%1\"", "\"C:\\Program Files\\Browser\\browser.exe\""},
        {"\"C:\\Program Files\\Browser\\browser.exe\" -profile \"C:\\Users\\A B\\p\" %1",
         "\"C:\\Program Files\\Browser\\browser.exe\""},
        {"C:\\apps\\browser.exe %1", "C:\\apps\\browser.exe"},
        {"C:\\apps\\browser.exe", "C:\\apps\\browser.exe"},
        {"C:\\Program Files\\Web\\web.exe -nohome", "\"C:\\Program Files\\Web\\web.exe\""},
        {" C:\\apps\\b.exe \"%1\"", "C:\\apps\\b.exe"},
        {"\"C:\\apps\\b.exe\"", "C:\\apps\\b.exe"},
        {"browser %1", "browser"},
        {"", ""},
        {"\"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CString(c.program), CHyperLink::ParseBrowserCommand(c.commandLine)) << c.commandLine;
    // A program part longer than a path holds is refused, not cut or copied past the buffer.
    const std::string longPath = "C:\\" + std::string(300, 'x') + ".exe %1";
    EXPECT_EQ("", CHyperLink::ParseBrowserCommand(longPath.c_str()));
}

// The static of the template is narrower than its text: the first paint fits it, keeping the left edge, the centre
// or the right edge as the static's alignment asks.
TEST_F(HyperLinkTest, FitsItsWindowToTheText)
{
    Gallery().m_link.SetURL("http://download.tavisk.example/");
    const struct {
        CHyperLink* link;
        const char* name;
    } cases[] = {
        {&Gallery().m_link, "left"},
        {&Gallery().m_linkCenter, "centre"},
        {&Gallery().m_linkRight, "right"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RECT before;
        ::GetWindowRect(c.link->m_hWnd, &before);
        ::RedrawWindow(c.link->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        guitest::Pump();
        const RECT after = ControlRect(*c.link);
        RECT beforeInParent = before;
        ::MapWindowPoints(nullptr, Gallery().m_hWnd, reinterpret_cast<POINT*>(&beforeInParent), 2);
        EXPECT_EQ(TextWidth(*c.link), after.right - after.left);
        EXPECT_EQ(beforeInParent.top, after.top);
        const std::string name(c.name);
        if (name == "left") {
            EXPECT_EQ(beforeInParent.left, after.left);
        } else if (name == "right") {
            EXPECT_EQ(beforeInParent.right, after.right);
        } else {
            const int nGrowth = (after.right - after.left) - (beforeInParent.right - beforeInParent.left);
            EXPECT_NEAR(beforeInParent.left - nGrowth / 2, after.left, 1);
            EXPECT_NEAR(beforeInParent.right + nGrowth / 2, after.right, 1);
        }
    }
    PhotographGallery("gallery-links");
}

// Blue, red under the mouse, blue again when it leaves; purple once the link was opened.
TEST_F(HyperLinkTest, ColoursFollowTheMouseAndTheVisit)
{
    CRegisteredBrowser browser("\"C:\\Program Files\\Test Browser\\browser.exe\" -new \"%1\"");
    CShellRecorder shell;
    CHyperLink& link = Gallery().m_link;
    link.SetURL("http://download.tavisk.example/firmware");
    const pixels::Image normal = Photograph(link, "link-normal");
    EXPECT_GT(normal.Count(kBlue), 10);
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    // Underlined: one row of blue runs nearly the whole width.
    int nLongestRow = 0;
    for (int y = 0; y < normal.height; ++y) {
        const int nRow = normal.Count(kBlue, RECT{0, y, normal.width, y + 1});
        nLongestRow = nRow > nLongestRow ? nRow : nLongestRow;
    }
    EXPECT_GT(nLongestRow, normal.width * 9 / 10);

    MoveMouse(link, 3, 3);
    EXPECT_EQ(CHyperLink::stateHover, link.GetState());
    EXPECT_EQ(link.m_hWnd, ::GetCapture());
    const pixels::Image hover = Photograph(link, "link-hover");
    EXPECT_GT(hover.Count(kRed), 10);
    EXPECT_EQ(0, hover.Count(kBlue));

    MoveMouse(link, -5, 3);
    EXPECT_EQ(CHyperLink::stateNormal, link.GetState());
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_GT(Photograph(link).Count(kBlue), 10);

    // A click posts the link's open command; the shell gets the browser with the URL as its argument.
    MoveMouse(link, 3, 3);
    ::SendMessage(link.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessage(link.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(shell.calls.empty());
    guitest::Pump();
    ASSERT_EQ(1u, shell.calls.size());
    EXPECT_EQ("(null)", shell.calls[0].verb);
    EXPECT_EQ("\"C:\\Program Files\\Test Browser\\browser.exe\"", shell.calls[0].file);
    EXPECT_EQ("http://download.tavisk.example/firmware", shell.calls[0].parameters);
    EXPECT_EQ(SW_SHOW, shell.calls[0].nShowCmd);
    EXPECT_EQ(Gallery().m_hWnd, shell.calls[0].hWnd);

    MoveMouse(link, -5, 3);
    EXPECT_EQ(CHyperLink::stateVisited, link.GetState());
    EXPECT_EQ(nullptr, ::GetCapture());
    const pixels::Image visited = Photograph(link, "link-visited");
    EXPECT_GT(visited.Count(kPurple), 10);
    EXPECT_EQ(0, visited.Count(kBlue));

    // Over it again: red, and purple when it leaves.
    MoveMouse(link, 3, 3);
    EXPECT_GT(Photograph(link).Count(kRed), 10);
    ::SendMessage(link.m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(link.m_hWnd), MAKELPARAM(3, 3));
    EXPECT_EQ(CHyperLink::stateVisited, link.GetState());
    EXPECT_EQ(nullptr, ::GetCapture());
}

// Opening from outside the hover state turns the link visited at once; a failed start changes nothing.
TEST_F(HyperLinkTest, FailedStartKeepsTheState)
{
    CRegisteredBrowser browser("C:\\apps\\browser.exe %1");
    CHyperLink& link = Gallery().m_linkCenter;
    link.SetURL("http://tavisk.example/");
    {
        CShellRecorder failing(2);
        ::SendMessage(link.m_hWnd, WM_COMMAND, ID_HYPERLINK_OPEN, 0);
        ASSERT_EQ(1u, failing.calls.size());
        EXPECT_EQ("C:\\apps\\browser.exe", failing.calls[0].file);
        EXPECT_EQ(CHyperLink::stateNormal, link.GetState());
    }
    CShellRecorder shell;
    ::SendMessage(link.m_hWnd, WM_COMMAND, ID_HYPERLINK_OPEN, 0);
    EXPECT_EQ(1u, shell.calls.size());
    EXPECT_EQ(CHyperLink::stateVisited, link.GetState());
}

// No http handler: a click does nothing visible and the link stays as it was.
TEST_F(HyperLinkTest, NoBrowserRegistered)
{
    CRegisteredBrowser none(nullptr);
    CShellRecorder shell;
    CHyperLink& link = Gallery().m_linkRight;
    link.SetURL("http://tavisk.example/");
    ::SendMessage(link.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    guitest::Pump();
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(CHyperLink::stateNormal, link.GetState());
    EXPECT_FALSE(link.OpenUrl());
}

// Only text statics are coloured: the reflected colour request of an icon static is left to the dialog.
TEST_F(HyperLinkTest, IconStaticIsNotColoured)
{
    HDC hDC = ::GetDC(Gallery().m_hWnd);
    const LRESULT textBrush = ::SendMessage(Gallery().m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                                            reinterpret_cast<LPARAM>(Gallery().m_link.m_hWnd));
    EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH)), textBrush);
    EXPECT_EQ(kBlue, ::GetTextColor(hDC));
    ::SetTextColor(hDC, RGB(1, 2, 3));
    const LRESULT iconBrush = ::SendMessage(Gallery().m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                                            reinterpret_cast<LPARAM>(Gallery().m_linkIcon.m_hWnd));
    EXPECT_NE(reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH)), iconBrush);
    EXPECT_NE(kBlue, ::GetTextColor(hDC));
    ::ReleaseDC(Gallery().m_hWnd, hDC);
}

TEST_F(HyperLinkTest, CopiesItsUrlToTheClipboard)
{
    CHyperLink& link = Gallery().m_link;
    link.SetURL("http://tavisk.example/copy");
    ASSERT_TRUE(link.CopyUrlToClipboard());
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HANDLE hData = ::GetClipboardData(CF_TEXT);
    ASSERT_NE(nullptr, hData);
    EXPECT_STREQ("http://tavisk.example/copy", static_cast<const char*>(::GlobalLock(hData)));
    ::GlobalUnlock(hData);
    ::CloseClipboard();
}

// The Internet shortcut the link can save holds its URL.
TEST_F(HyperLinkTest, SavesAnInternetShortcut)
{
    CHyperLink& link = Gallery().m_link;
    link.SetURL("http://tavisk.example/shortcut");
    testsupport::ScratchFolder folder;
    const std::string path = folder.Path("link-shortcut.url");
    ASSERT_TRUE(link.CreateInternetShortcut(path.c_str()));
    char url[256] = {};
    ::GetPrivateProfileStringA("InternetShortcut", "URL", "", url, sizeof(url), path.c_str());
    EXPECT_STREQ("http://tavisk.example/shortcut", url);
}

} // namespace
