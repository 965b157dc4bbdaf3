// tests/report/PrintTest.cpp
// Printing to a real printer: the report goes through the system's print dialog (OK pressed from a second thread)
// to the CUPS PDF queue; the PDF's text, extracted on the host, is checked in a second run. print-to-pdf.sh runs
// both phases and hands over the files through REPORT_PRINT_DIR. Without it both tests skip.
#include "DialogWatcher.h"
#include "ReportTestSupport.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <algorithm>

using namespace reporttest;

namespace {

std::string Environment(const char* name)
{
    char buffer[MAX_PATH] = "";
    DWORD length = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer))
        return "";
    return buffer;
}

std::string PrintDir()
{
    return Environment("REPORT_PRINT_DIR");
}

// The fixture of the other tests with a processor section long enough to fill several pages, lines of exactly 80
// characters (the width the printer font must hold) and '%' signs. The run's token (REPORT_PRINT_TOKEN) comes
// first, so that the script knows this run's PDF among the jobs of other runs on the same printer.
void WriteSiblingSettings()
{
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korvath\\Velloran\\General"));
    key.SetString("Version", "3.2.0.14");
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, "Software\\Korvath\\QRVMZ\\freedb"));
    key.SetString("ppass", "print-secret");
    key.SetDword("Port", 8880);
}

void MakePrintFixture(FixtureReport& fixture)
{
    const std::string token = Environment("REPORT_PRINT_TOKEN");
    if (!token.empty())
        fixture.system.InsertAt(0, CString(("Print run " + token).c_str()));
    for (int i = 1; i <= 130; ++i) {
        char line[128];
        if (i % 10 == 0) {
            snprintf(line, sizeof(line), "Line %03d of 80 characters: ", i);
            std::string full = line;
            while (full.size() < 76)
                full += char('a' + full.size() % 26);
            full += "<80>";
            fixture.system.Add(full.c_str());
        } else {
            snprintf(line, sizeof(line), "System line %03d: load %d%% of 100%%", i, i % 100);
            fixture.system.Add(line);
        }
    }
}

// The lines the writer draws for the report (support form included) or for the support form alone, recorded
// through the print-surface seam, without the page headers.
std::vector<std::string> DrawnLines(const ReportSections* pSections)
{
    std::vector<std::string> lines;
    HookScope hooks;
    RecordingSurfaceScope surface;
    {
        CReportWriter writer;
        if (!writer.Open(kReportModePrinter, "", "", true))
            return lines;
        if (pSections != nullptr)
            EmitReport(&writer, *pSections);
        else
            writer.WriteSupportForm();
    }
    const std::string date = PinnedDate::DateText();
    for (const SurfaceEvent& e : RecordingSurfaceScope::Events()) {
        if (e.kind == SurfaceEvent::kText && e.text != "Tavisk V1.25" && e.text != kReportNoticeLine && e.text != date)
            lines.push_back(e.text);
    }
    return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    WriteText(path, text);
}

TEST(ReportPrint, ThroughThePrintDialog)
{
    const std::string dir = PrintDir();
    if (dir.empty())
        GTEST_SKIP() << "REPORT_PRINT_DIR not set: run through print-to-pdf.sh";
    char printer[256] = "";
    DWORD size = sizeof(printer);
    if (!GetDefaultPrinterA(printer, &size))
        GTEST_SKIP() << "Wine sees no default printer (is CUPS running with the PDF queue, libcups2:i386 present?)";
    EXPECT_STREQ("PDF", printer);

    PinnedDate date;
    FixtureReport fixture;
    MakePrintFixture(fixture);
    // Settings of the sibling product in this run's private prefix, for its dumps on paper.
    WriteSiblingSettings();
    ReportSections sections = fixture.Sections();
    std::vector<std::string> report = DrawnLines(&sections);
    std::vector<std::string> form = DrawnLines(nullptr);
    ASSERT_GT(report.size(), form.size());
    ASSERT_TRUE(std::equal(form.begin(), form.end(), report.end() - long(form.size())));
    report.resize(report.size() - form.size());
    WriteLines(dir + "\\expected.txt", report);
    WriteLines(dir + "\\form.txt", form);
    WriteLines(dir + "\\date.txt", {PinnedDate::DateText()});

    // OK prints to the preselected default printer. A dialog that does not close on OK is cancelled after a while,
    // so that the test fails instead of waiting for its time-out.
    HookScope hooks(true);
    bool closedByOk = false;
    DialogWatcher watcher("Print", [&closedByOk](HWND hDialog) {
        PressButton(hDialog, IDOK);
        for (int i = 0; i < 200 && IsWindow(hDialog); ++i)
            Sleep(50);
        closedByOk = !IsWindow(hDialog);
        if (!closedByOk)
            PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    PrintReport(sections);
    ASSERT_TRUE(watcher.Wait()) << "no Print dialog appeared";
    EXPECT_TRUE(closedByOk) << "the Print dialog stayed open after OK: " << watcher.Seen();
    EXPECT_TRUE(hooks.boxes.empty());
}

// ---------------------------------------------------------------------------------------------------------------

std::string Utf8ToAnsi(const std::string& text)
{
    int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring w(size_t(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &w[0], wide);
    int narrow = WideCharToMultiByte(1252, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(narrow), '\0');
    WideCharToMultiByte(1252, 0, w.data(), wide, &out[0], narrow, nullptr, nullptr);
    // The printer driver names the '-' glyph "hyphen", which the text extractor reads back as a soft hyphen.
    std::replace(out.begin(), out.end(), '\xad', '-');
    return out;
}

// Blanks collapsed and trimmed: the PDF's text keeps words and their order, not the exact run of blanks.
std::string Normal(const std::string& line)
{
    std::string out;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// The lines to look for on paper, blanks normalised; empty lines leave no text.
std::vector<std::string> PrintedLines(const std::vector<std::string>& text)
{
    std::vector<std::string> lines;
    for (size_t i = 0; i < text.size(); ++i) {
        std::string n = Normal(text[i]);
        if (n.empty())
            continue;
        lines.push_back(n);
    }
    return lines;
}

TEST(ReportPrint, PdfHoldsTheReport)
{
    const std::string dir = PrintDir();
    if (dir.empty())
        GTEST_SKIP() << "REPORT_PRINT_DIR not set: run through print-to-pdf.sh";
    const std::string pdfText = ReadText(dir + "\\report-pdf.txt");
    ASSERT_FALSE(pdfText.empty()) << "no text extracted from the PDF";
    const std::vector<std::string> expected = PrintedLines(SplitCrLf(ReadText(dir + "\\expected.txt")));
    const std::vector<std::string> form = PrintedLines(SplitCrLf(ReadText(dir + "\\form.txt")));
    const std::vector<std::string> dateLines = SplitCrLf(ReadText(dir + "\\date.txt"));
    ASSERT_FALSE(expected.empty());
    ASSERT_FALSE(form.empty());
    // The USB section and both editions of the sibling product's settings are among the lines looked for below.
    for (const char* part :
         {"USB Device Information:", "Velloran Studio Registry Information", "Velloran version : 3.2.0.14",
          "Velloran Studio Plus Registry Information", "Proxy password : ********", "Port : 8880"})
        EXPECT_NE(expected.end(), std::find(expected.begin(), expected.end(), std::string(part))) << part;
    EXPECT_EQ(std::string::npos, pdfText.find("print-secret"));
    ASSERT_EQ(1u, dateLines.size());

    // Pages: pdftotext ends every page with a form feed.
    std::vector<std::vector<std::string>> pages;
    std::string text = Utf8ToAnsi(pdfText);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\f', start);
        if (end == std::string::npos)
            end = text.size();
        std::vector<std::string> page;
        for (const std::string& line : SplitLf(text.substr(start, end - start))) {
            std::string n = Normal(line);
            if (!n.empty())
                page.push_back(n);
        }
        if (!page.empty())
            pages.push_back(page);
        start = end + 1;
    }
    ASSERT_GE(pages.size(), 8u) << "the fixture fills more than one page before the first adapter block";

    // The header on every page: program and version, the notice line and the date.
    const std::string notice = Normal(kReportNoticeLine);
    const std::string date = Normal(dateLines[0]);
    for (size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        ASSERT_GE(pages[p].size(), 2u);
        EXPECT_EQ("Tavisk V1.25", pages[p][0]);
        EXPECT_EQ(notice + " " + date, pages[p][1]);
    }

    // Every report line, whole and in order, then the support form, ending the last page.
    std::vector<std::pair<size_t, std::string>> body;
    for (size_t p = 0; p < pages.size(); ++p)
        for (size_t i = 2; i < pages[p].size(); ++i)
            body.emplace_back(p, pages[p][i]);
    size_t cursor = 0;
    auto find = [&](const std::string& line) {
        while (cursor < body.size() && body[cursor].second != line)
            ++cursor;
        if (cursor == body.size())
            return false;
        ++cursor;
        return true;
    };
    for (const std::string& line : expected) {
        ASSERT_TRUE(find(line)) << "missing or cut on paper: \"" << line << "\"";
    }
    const size_t lastReportPage = body[cursor - 1].first;
    size_t formStart = cursor;
    for (const std::string& line : form) {
        ASSERT_TRUE(find(line)) << "support form line missing or cut: \"" << line << "\"";
    }
    EXPECT_GT(body[formStart].first, lastReportPage) << "the support form starts on a page of its own";
    EXPECT_EQ(body.size(), cursor) << "nothing follows the support form";
    EXPECT_EQ(pages.size() - 1, body.back().first);
    EXPECT_EQ(7, std::count(pages.back().begin(), pages.back().end(), std::string(64, '_')));
}

} // namespace
