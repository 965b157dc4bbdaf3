// tests/transfer/ExportTest.cpp
// Saving a test page's results: the HTML page of injected runs as golden files (checked by ctest against the
// files in tests/transfer/golden and by tidy), and the page's "To Image" and "To HTML" commands through a scripted
// Save-As: the picture's size and pixels against the graph drawn off screen, the page beside it, and what a
// cancelled dialog, an unwritable folder and an extension other than bmp or png leave behind.
#include "transfer/ResultsExport.h"
#include "transfer/TestPages.h"

#include "controls/BitmapImage.h"
#include "controls/MemoryDC.h"
#include "gui/GuiTest.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kFixedDate[] = "Thursday, December 10, 2026";

void SetText(char* dst, size_t size, const char* text)
{
    std::strncpy(dst, text, size - 1);
    dst[size - 1] = '\0';
}
#define SET(field, text) SetText(field, sizeof(field), text)

void FillReadRun(TestRunRing& ring, int nRun, const char* drive, const char* speed)
{
    TestRunInfo& info = ring.Info(nRun);
    SET(info.szDrive, drive);
    info.second.present = 1;
    SET(info.speed.szSpeed, speed);
    SET(info.szDisc, "DVD-ROM, 4.38 GB");
    SET(info.szStart, "2.91 X (4030 KB/s)");
    SET(info.szEnd, "7.05 X (9765 KB/s)");
    SET(info.szAverage, "5.44 X (7535 KB/s)");
    SET(info.szDuration, "10 min 5 sec");
}

std::string WriteOut(const std::string& name, const CString& text)
{
    const std::string path = testsupport::ProgramFolder() + name;
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<LPCSTR>(text), text.GetLength());
    return path;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The DVD write page's speeds, counting the questions in the int of the context.
void CountedSpeeds(void* context, CString& rDisc, CString& rDrive)
{
    ++*static_cast<int*>(context);
    rDisc = "8 X";
    rDrive = "2.4 X, 4 X, 8 X";
}

void CountedNoSpeeds(void* context, CString&, CString&)
{
    ++*static_cast<int*>(context);
}

} // namespace

// Two present runs around a cleared one; a drive line with markup characters is written escaped.
TEST(ResultsHtml, ReadPageGolden)
{
    TestRunRing ring(kTestPageDvdRead);
    FillReadRun(ring, 0, "KORVATH DVD-R 7120 <1.02> & \"fast\"", "Maximum");
    FillReadRun(ring, 2, "KORVATH DVD-R 7120 1.02", "8 X");
    ResultsHtmlInput in;
    in.kind = kTestPageDvdRead;
    in.version = "1.25";
    in.date = kFixedDate;
    in.pictureName = "result.png";
    const CString html = BuildResultsHtml(in, ring);
    WriteOut("export_dvd_read.html", html);
    EXPECT_EQ(-1, html.Find("%%"));
    EXPECT_EQ(2, [&] {
        int n = 0;
        for (int at = html.Find("Drive Info"); at >= 0; at = html.Find("Drive Info", at + 1))
            ++n;
        return n;
    }());
}

TEST(ResultsHtml, WritePagesGolden)
{
    TestRunRing cdWrite(kTestPageCdWrite);
    TestRunInfo& info = cdWrite.Info(1);
    cdWrite.Extent(1).blocksPerSample = 4;
    SET(info.szDrive, "KORVATH CW-5280 2.10");
    SET(info.second.cd.szLeadIn, "97:24:01");
    SET(info.second.cd.szLeadOut, "79:59:74");
    SET(info.second.cd.szDataFormat, "Internal Buffer (Mode1)");
    SET(info.speed.cd.szWriteSpeed, "24 X");
    SET(info.speed.cd.szOverburn, "No");
    SET(info.szDisc, "CD-R, 79:59:74");
    SET(info.szStart, "10.02 X");
    SET(info.szEnd, "23.90 X");
    SET(info.szAverage, "18.10 X");
    SET(info.szDuration, "3 min 41 sec");
    ResultsHtmlInput in;
    in.kind = kTestPageCdWrite;
    in.version = "1.25";
    in.date = kFixedDate;
    in.pictureName = "Burn.BMP";
    WriteOut("export_cd_write.html", BuildResultsHtml(in, cdWrite));

    TestRunRing dvdWrite(kTestPageDvdWrite);
    FillReadRun(dvdWrite, 8, "KORVATH DVD-R 7120 1.02", "4 X");
    in.kind = kTestPageDvdWrite;
    in.pictureName = "dvd.png";
    int nAsked = 0;
    in.speeds = {&nAsked, &CountedSpeeds};
    WriteOut("export_dvd_write.html", BuildResultsHtml(in, dvdWrite));
    EXPECT_EQ(1, nAsked);
}

// A page with no stored run (or only cleared ones) is still a whole page: the header, the picture and the tail,
// with no run block and no question to the drive.
TEST(ResultsHtml, PageWithoutRuns)
{
    TestRunRing ring(kTestPageDvdWrite);
    FillReadRun(ring, 4, "KORVATH DVD-R 7120 1.02", "4 X");
    ring.ClearRuns(1u << 4);
    ResultsHtmlInput in;
    in.kind = kTestPageDvdWrite;
    in.version = "1.25";
    in.date = kFixedDate;
    in.pictureName = "empty.png";
    int nAsked = 0;
    in.speeds = {&nAsked, &CountedNoSpeeds};
    const std::string html(static_cast<LPCSTR>(BuildResultsHtml(in, ring)));
    EXPECT_EQ(0, nAsked);
    EXPECT_EQ(std::string::npos, html.find("Drive Info"));
    EXPECT_NE(std::string::npos, html.find("<td align=\"right\">Write Transfer Rate Test</td>"));
    EXPECT_NE(std::string::npos, html.find("<img src=\"empty.png\">"));
    const std::string tail = "</table>\r\n</body>\r\n</html>\r\n";
    ASSERT_GE(html.size(), tail.size());
    EXPECT_EQ(tail, html.substr(html.size() - tail.size()));
}

TEST(ResultsHtml, PageNameFromPictureName)
{
    EXPECT_EQ(CString("result.html"), HtmlNameForPicture("result.png"));
    EXPECT_EQ(CString("Result.html"), HtmlNameForPicture("Result.PNG"));
    EXPECT_EQ(CString("graph..html"), HtmlNameForPicture("graph.jpeg"));
    EXPECT_EQ(CString(".html"), HtmlNameForPicture("a.bm"));
}

namespace {

class ExportPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        RECT rc = {0, 0, 700, 600};
        ASSERT_TRUE(m_window.CreateEx(0, nullptr, "Export", WS_POPUP | WS_VISIBLE, rc, nullptr, 0));
        m_settings.maxSpeed = 48;
        m_settings.readTimeInd = 84;
        m_pPage.reset(new CCdReadTestDlg(&m_window));
        m_pPage->SetSharedState(m_runState, &m_nPref, &m_settings);
        ASSERT_TRUE(m_pPage->Create(m_pPage->Traits().nIDTemplate, &m_window));
        m_pPage->ShowWindow(SW_SHOW);
        guitest::Pump();
        // One run at a steady 20 X over the first 30 minutes.
        uint32_t* p = m_pPage->Ring().Samples(0);
        for (long s = 4500; s <= 30 * 4500; s += 4500)
            p[s / 25] = 2000;
        FillReadRun(m_pPage->Ring(), 0, "KORVATH CD-RW 4810 1.00", "Maximum");
        m_folder = testsupport::ProgramFolder() + "out\\";
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
    }
    void TearDown() override
    {
        m_pPage.reset();
        m_window.DestroyWindow();
    }
    // Runs a page command with the Save-As answered by path (empty: Cancel).
    void Run(guitest::HookSession& session, UINT nCommand, const std::string& path)
    {
        session.SetChooseFile([path](BOOL, const OPENFILENAMEA& ofn, CString& rPath) {
            EXPECT_STREQ("Save image file as", ofn.lpstrTitle);
            EXPECT_STREQ("BMP", ofn.lpstrDefExt);
            if (path.empty())
                return FALSE;
            rPath = path.c_str();
            return TRUE;
        });
        m_pPage->SendMessage(WM_COMMAND, nCommand, 0);
    }
    // The graph drawn off screen at the export's size.
    std::vector<BYTE> ExpectedRgb(int& rWidth, int& rHeight)
    {
        RECT w;
        m_pPage->GetWindowRect(&w);
        const GraphLayout& layout = m_pPage->Graph().m_layout;
        rWidth = int(w.right - w.left) + 20;
        rHeight = layout.height + layout.labelHeight + 20;
        CClientDC client(m_pPage.get());
        CMemoryDC surface(rWidth, rHeight, &client, RGB(255, 255, 255));
        m_pPage->DrawGraphTo(surface.m_hDC, true);
        std::unique_ptr<CBitmap> bitmap(surface.ReleaseBitmap());
        CBitmapImage image;
        image.CreateFromHBITMAP(static_cast<HBITMAP>(bitmap->GetSafeHandle()));
        return image.Rgb();
    }

    CWnd m_window;
    std::unique_ptr<CTestPageDlg> m_pPage;
    TransferRateSettings m_settings;
    CTestRunState m_runState;
    int m_nPref = 0;
    std::string m_folder;
};

std::vector<BYTE> DecodePng(const std::string& path, int& rWidth, int& rHeight)
{
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return {};
    png.format = PNG_FORMAT_RGB;
    std::vector<BYTE> rgb(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr))
        return {};
    rWidth = int(png.width);
    rHeight = int(png.height);
    return rgb;
}

} // namespace

TEST_F(ExportPage, PictureHasTheGraphsPixelsAndSize)
{
    guitest::HookSession session;
    const std::string path = m_folder + "graph.png";
    ::DeleteFileA(path.c_str());
    Run(session, ID_TRANSFER_SAVE_IMAGE, path);
    int w = 0, h = 0, ew = 0, eh = 0;
    const std::vector<BYTE> rgb = DecodePng(path, w, h);
    const std::vector<BYTE> expected = ExpectedRgb(ew, eh);
    EXPECT_EQ(ew, w);
    EXPECT_EQ(eh, h);
    EXPECT_TRUE(rgb == expected);
    // The run's colour is in the picture: the curve is there.
    bool bRed = false;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        bRed = bRed || (rgb[i] == 255 && rgb[i + 1] == 0 && rgb[i + 2] == 0);
    EXPECT_TRUE(bRed);
    EXPECT_TRUE(session.MessageBoxes().empty());
}

TEST_F(ExportPage, HtmlPageBesideItsPicture)
{
    guitest::HookSession session;
    const std::string picture = m_folder + "result.bmp";
    const std::string page = m_folder + "result.html";
    ::DeleteFileA(picture.c_str());
    ::DeleteFileA(page.c_str());
    Run(session, ID_TRANSFER_SAVE_HTML, picture);
    EXPECT_TRUE(FileExists(picture));
    const std::string html = ReadAll(page);
    EXPECT_NE(std::string::npos, html.find("<td width=\"50%\"><img src=\"result.bmp\"></td>\r\n"));
    EXPECT_NE(std::string::npos, html.find("<td align=\"left\">Tavisk V1.25</td>\r\n"));
    EXPECT_NE(std::string::npos, html.find("KORVATH CD-RW 4810 1.00"));
    EXPECT_TRUE(session.MessageBoxes().empty());
}

// The page and its PNG picture in a folder of their own, for the browser check on the host (render-page.sh): a
// second run, rising from 9 X to 38 X in the page's third colour, beside the steady red one.
TEST_F(ExportPage, PageWithPngForTheBrowser)
{
    uint32_t* p = m_pPage->Ring().Samples(2);
    for (long s = 4500; s <= 30 * 4500; s += 4500)
        p[s / 25] = uint32_t(800 + s / 4500 * 100);
    FillReadRun(m_pPage->Ring(), 2, "KORVATH CD-RW 4810 1.00", "40 X");
    const std::string folder = testsupport::ProgramFolder() + "render\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string picture = folder + "render.png";
    const std::string page = folder + "render.html";
    ::DeleteFileA(picture.c_str());
    ::DeleteFileA(page.c_str());
    guitest::HookSession session;
    Run(session, ID_TRANSFER_SAVE_HTML, picture);
    int w = 0, h = 0;
    const std::vector<BYTE> rgb = DecodePng(picture, w, h);
    EXPECT_FALSE(rgb.empty());
    bool bBlue = false;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        bBlue = bBlue || (rgb[i] == 0 && rgb[i + 1] == 0 && rgb[i + 2] == 255);
    EXPECT_TRUE(bBlue);
    const std::string html = ReadAll(page);
    EXPECT_NE(std::string::npos, html.find("<img src=\"render.png\">"));
    EXPECT_NE(std::string::npos, html.find("bgcolor=\"#0000FF\""));
    EXPECT_TRUE(session.MessageBoxes().empty());
}

TEST_F(ExportPage, CancelledUnwritableAndOtherExtensions)
{
    {
        guitest::HookSession session;
        Run(session, ID_TRANSFER_SAVE_HTML, "");
        Run(session, ID_TRANSFER_SAVE_IMAGE, "");
        EXPECT_TRUE(session.MessageBoxes().empty());
    }
    {
        guitest::HookSession session;
        const std::string missing = m_folder + "missing\\graph.png";
        Run(session, ID_TRANSFER_SAVE_HTML, missing);
        Run(session, ID_TRANSFER_SAVE_IMAGE, missing);
        EXPECT_FALSE(FileExists(missing));
        EXPECT_FALSE(FileExists(m_folder + "missing\\graph.html"));
        ASSERT_EQ(2u, session.MessageBoxes().size());
        EXPECT_EQ(CString(("The file " + m_folder + "missing\\graph.html could not be written.").c_str()),
                  session.MessageBoxes()[0].text);
        EXPECT_EQ(CString(("The file " + missing + " could not be written.").c_str()), session.MessageBoxes()[1].text);
    }
    {
        guitest::HookSession session;
        const std::string jpeg = m_folder + "photo.jpg";
        ::DeleteFileA(jpeg.c_str());
        Run(session, ID_TRANSFER_SAVE_HTML, jpeg);
        EXPECT_FALSE(FileExists(jpeg));
        EXPECT_TRUE(FileExists(m_folder + "photo.html"));
        EXPECT_TRUE(session.MessageBoxes().empty());
    }
}

namespace {

// The items of a menu as "text id"; a submenu's line is its text, its items follow indented by two blanks.
void AddMenuLines(HMENU hMenu, const std::string& indent, std::vector<std::string>& lines)
{
    for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) {
        char text[64] = "";
        ::GetMenuStringA(hMenu, UINT(i), text, sizeof text, MF_BYPOSITION);
        if (HMENU hSubMenu = ::GetSubMenu(hMenu, i)) {
            lines.push_back(indent + text);
            AddMenuLines(hSubMenu, indent + "  ", lines);
        } else {
            lines.push_back(indent + text + " " + std::to_string(::GetMenuItemID(hMenu, i)));
        }
    }
}

} // namespace

// A right click on the page opens the menu with the page as its owner: Print, then Save with To Image and To HTML.
// Each command chosen there reaches the page: Print asks for the note and then for the printer, To Image saves the
// picture, To HTML the page beside its picture; a dismissed menu does nothing.
TEST_F(ExportPage, RightClickMenuLeadsToPrintAndBothSaves)
{
    guitest::HookSession session;
    std::vector<std::vector<std::string>> menus;
    UINT nChoice = 0;
    session.SetChooseMenuCommand([&](HMENU hMenu, HWND hOwner) {
        EXPECT_EQ(m_pPage->m_hWnd, hOwner);
        menus.emplace_back();
        AddMenuLines(hMenu, "", menus.back());
        return nChoice;
    });
    int nPrinterAsked = 0;
    session.SetChoosePrinter([&](PRINTDLGA& pd) {
        ++nPrinterAsked;
        EXPECT_NE(0u, pd.Flags & PD_RETURNDC);
        return FALSE;
    });
    const std::string picture = m_folder + "menu.bmp";
    const std::string page = m_folder + "menu.html";
    ::DeleteFileA(picture.c_str());
    ::DeleteFileA(page.c_str());
    session.SetChooseFile([&](BOOL, const OPENFILENAMEA& ofn, CString& rPath) {
        EXPECT_STREQ("Save image file as", ofn.lpstrTitle);
        rPath = picture.c_str();
        return TRUE;
    });
    const auto rightClick = [&](UINT nCommand) {
        nChoice = nCommand;
        m_pPage->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 40));
        guitest::Pump();
    };

    rightClick(0);
    EXPECT_TRUE(session.Dialogs().empty());
    EXPECT_EQ(0, nPrinterAsked);

    rightClick(ID_TRANSFER_PRINT);
    ASSERT_EQ(1u, session.Dialogs().size());
    EXPECT_EQ(UINT(IDD_PRINT_TEXT), session.Dialogs()[0]);
    EXPECT_EQ(1, nPrinterAsked);
    EXPECT_FALSE(FileExists(picture));

    rightClick(ID_TRANSFER_SAVE_IMAGE);
    EXPECT_TRUE(FileExists(picture));
    EXPECT_FALSE(FileExists(page));

    ::DeleteFileA(picture.c_str());
    rightClick(ID_TRANSFER_SAVE_HTML);
    EXPECT_TRUE(FileExists(picture));
    EXPECT_NE(std::string::npos, ReadAll(page).find("<img src=\"menu.bmp\">"));

    const std::vector<std::string> expected = {"Print 32788", "Save", "  To Image 32786", "  To HTML 32787"};
    ASSERT_EQ(4u, menus.size()) << "every right click opens the menu";
    for (const std::vector<std::string>& menu : menus)
        EXPECT_EQ(expected, menu);
    EXPECT_EQ(1, nPrinterAsked);
    EXPECT_TRUE(session.MessageBoxes().empty());
}
