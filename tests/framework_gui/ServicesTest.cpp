// tests/framework_gui/ServicesTest.cpp
// Message boxes, fonts and the common dialogs of the window layer, and a program on the layer driven from outside
// by guidriver.exe.
#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

using guitest::HookSession;

namespace {

TEST(MessageBoxTest, ApplicationNameIsTheExecutableName)
{
    // The test program runs as framework_gui.exe.
    EXPECT_STREQ("framework_gui", AfxGetAppName());
}

TEST(MessageBoxTest, HookAnswersAndRecordsCaptionTextAndType)
{
    HookSession session;
    session.QueueAnswer(IDNO);
    EXPECT_EQ(IDNO, AfxMessageBox("Continue?", MB_YESNO));
    EXPECT_EQ(IDOK, AfxMessageBox("Stop.", MB_OK | MB_ICONERROR));
    CWnd none;
    EXPECT_EQ(IDOK, none.MessageBox("Plain"));
    EXPECT_EQ(IDCANCEL, none.MessageBox("Own caption", "Caption", MB_OKCANCEL | MB_DEFBUTTON2));

    struct Expected {
        const char* text;
        const char* caption;
        UINT type;
    };
    const Expected expected[] = {
        {"Continue?", "framework_gui", MB_YESNO | MB_ICONQUESTION},
        {"Stop.", "framework_gui", MB_OK | MB_ICONERROR},
        {"Plain", "framework_gui", MB_OK},
        {"Own caption", "Caption", MB_OKCANCEL | MB_DEFBUTTON2},
    };
    const std::vector<guitest::MessageBoxRecord>& boxes = session.MessageBoxes();
    ASSERT_EQ(std::size(expected), boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_STREQ(expected[i].text, boxes[i].text);
        EXPECT_STREQ(expected[i].caption, boxes[i].caption);
        EXPECT_EQ(expected[i].type, boxes[i].type);
    }
}

TEST(MessageBoxTest, DefaultAnswerIsTheDefaultButton)
{
    struct Case {
        UINT type;
        int answer;
    };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO, IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_RETRYCANCEL | MB_DEFBUTTON3, IDRETRY},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.answer, guitest::DefaultButton(c.type)) << std::hex << c.type;
}

TEST(FontTest, PointFontHeightFollowsTheScreenResolution)
{
    HDC hScreen = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(hScreen, LOGPIXELSY);
    ::ReleaseDC(nullptr, hScreen);
    const int tenths[] = {80, 90, 140};
    for (int size : tenths) {
        CFont font;
        ASSERT_TRUE(font.CreatePointFont(size, "MS Shell Dlg"));
        LOGFONT lf = {};
        ASSERT_NE(0, font.GetLogFont(&lf));
        EXPECT_EQ(-::MulDiv(dpi, size, 720), lf.lfHeight) << size;
        EXPECT_STREQ("MS Shell Dlg", lf.lfFaceName);
    }
    if (dpi == 96) {
        CFont nine;
        nine.CreatePointFont(90, "MS Shell Dlg");
        LOGFONT lf = {};
        nine.GetLogFont(&lf);
        EXPECT_EQ(-12, lf.lfHeight);
    }
}

TEST(CommonDialogTest, SaveAsGoesThroughTheChooseFileHook)
{
    HookSession session;
    BOOL seenOpen = TRUE;
    DWORD seenSize = 0, seenFlags = 0;
    std::string seenFilter, seenDefExt, seenInitial;
    session.SetChooseFile([&](BOOL bOpen, const OPENFILENAMEA& ofn, CString& path) {
        seenOpen = bOpen;
        seenSize = ofn.lStructSize;
        seenFlags = ofn.Flags;
        const char* p = ofn.lpstrFilter;
        while (*p != '\0') {
            seenFilter += p;
            seenFilter += '|';
            p += std::strlen(p) + 1;
        }
        seenDefExt = ofn.lpstrDefExt;
        seenInitial = path;
        path = "C:\\reports\\system.info.txt";
        return TRUE;
    });
    CFileDialog dlg(FALSE, "txt", "Tavisk.txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    "Text files (*.txt)|*.txt|All files (*.*)|*.*||");
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_FALSE(seenOpen);
    // The record as it was before the Windows 2000 additions: 76 bytes in a 32-bit program.
    EXPECT_EQ(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR), seenSize);
    if (sizeof(void*) == 4) {
        EXPECT_EQ(76u, seenSize);
    }
    EXPECT_EQ(static_cast<DWORD>(OFN_OVERWRITEPROMPT), seenFlags & OFN_OVERWRITEPROMPT);
    EXPECT_EQ("Text files (*.txt)|*.txt|All files (*.*)|*.*|", seenFilter);
    EXPECT_EQ("txt", seenDefExt);
    EXPECT_EQ("Tavisk.txt", seenInitial);
    EXPECT_STREQ("C:\\reports\\system.info.txt", dlg.GetPathName());
    EXPECT_STREQ("system.info.txt", dlg.GetFileName());
    EXPECT_STREQ("txt", dlg.GetFileExt());
    EXPECT_STREQ("system.info", dlg.GetFileTitle());

    session.SetChooseFile([](BOOL, const OPENFILENAMEA&, CString&) { return FALSE; });
    CFileDialog cancelled(FALSE, "txt");
    EXPECT_EQ(IDCANCEL, cancelled.DoModal());
}

TEST(CommonDialogTest, PrintDialogReturnsADcAndReleasesTheDeviceBlocks)
{
    HookSession session;
    DWORD seenFlags = 0;
    session.SetChoosePrinter([&](PRINTDLGA& pd) {
        seenFlags = pd.Flags;
        const char device[] = "Test Printer";
        HGLOBAL hNames = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVNAMES) + sizeof(device));
        DEVNAMES* pNames = static_cast<DEVNAMES*>(::GlobalLock(hNames));
        pNames->wDeviceOffset = sizeof(DEVNAMES);
        std::memcpy(reinterpret_cast<char*>(pNames) + sizeof(DEVNAMES), device, sizeof(device));
        ::GlobalUnlock(hNames);
        pd.hDevNames = hNames;
        pd.hDevMode = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEA));
        pd.hDC = ::CreateCompatibleDC(nullptr);
        return TRUE;
    });
    CPrintDialog dlg(FALSE);
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(static_cast<DWORD>(PD_RETURNDC), seenFlags & PD_RETURNDC);
    EXPECT_STREQ("Test Printer", dlg.GetDeviceName());
    EXPECT_EQ(nullptr, dlg.m_pd.hDevNames);
    EXPECT_EQ(nullptr, dlg.m_pd.hDevMode);
    ASSERT_NE(nullptr, dlg.GetPrinterDC());
    ::DeleteDC(dlg.GetPrinterDC());

    session.SetChoosePrinter([](PRINTDLGA&) { return FALSE; });
    CPrintDialog cancelled(FALSE);
    EXPECT_EQ(IDCANCEL, cancelled.DoModal());
}

bool HasLine(const guitest::DriverRun& run, const std::string& line)
{
    return std::find(run.lines.begin(), run.lines.end(), line) != run.lines.end();
}

TEST(DriverTest, ProgramOnTheLayerRunsAndEndsWithExitCodeZero)
{
    guitest::DriverRun run = guitest::RunGuiDriver(
        "--timeout 20000 --start fwapp.exe --wait-window \"Framework Test App\" --dump-controls --list 1000 "
        "--click 1001 --answer-box ok --click 1002 --answer-box ok --click 2 --expect-exit 0");
    SCOPED_TRACE(run.Output());
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(HasLine(run, "control 1000 ListBox \"\""));
    EXPECT_TRUE(HasLine(run, "control 1001 Button \"&Hello\""));
    EXPECT_TRUE(HasLine(run, "control 2 Button \"E&xit\""));
    EXPECT_TRUE(HasLine(run, "list 1000 3"));
    EXPECT_TRUE(HasLine(run, "line 1 \" Second\\tline\""));
    EXPECT_TRUE(HasLine(run, "line 2 \" Caf\xe9\""));
    EXPECT_TRUE(HasLine(run, "box \"fwapp\" \"Hello from the layer\" 1"));
    std::vector<std::string> boxes = run.LinesStartingWith("box");
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(0u, boxes[1].find("box \"fwapp\" \"An internal error occurred:")) << boxes[1];
    EXPECT_TRUE(HasLine(run, "exit 0"));
}

TEST(DriverTest, MenuCommandEndsTheProgramAndFailuresAreReported)
{
    guitest::DriverRun run = guitest::RunGuiDriver(
        "--timeout 20000 --start fwapp.exe --wait-window \"Framework Test App\" --command 32774 --expect-exit 0");
    EXPECT_EQ(0u, run.exitCode) << run.Output();

    guitest::DriverRun missing =
        guitest::RunGuiDriver("--timeout 3000 --start fwapp.exe --wait-window \"No Such Window\"");
    EXPECT_EQ(1u, missing.exitCode) << missing.Output();
    EXPECT_EQ(1u, missing.LinesStartingWith("error").size()) << missing.Output();
}

} // namespace
