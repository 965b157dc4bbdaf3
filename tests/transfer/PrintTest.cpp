// tests/transfer/PrintTest.cpp
// The print-out of a test page: the note cut into lines, and the job drawn on a recording surface whose text
// records give each printed line, its position and the page it stands on (a header starts every page after the
// graph page's).
#include "transfer/ResultsPrint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct NoteCase {
    const char* name;
    std::string note;
    std::vector<std::string> lines;
};

std::vector<std::string> Strings(const std::vector<CString>& lines)
{
    std::vector<std::string> out;
    for (const CString& line : lines)
        out.push_back(static_cast<LPCSTR>(line));
    return out;
}

} // namespace

TEST(PrintNote, CutIntoLinesOfSeventy)
{
    const std::string hundred = std::string(50, 'a') + " " + std::string(49, 'b');
    const std::string word150 = std::string(150, 'w');
    const NoteCase cases[] = {
        {"empty", "", {}},
        {"short", "Tested after cleaning", {"Tested after cleaning"}},
        {"blank at 51", hundred, {std::string(50, 'a'), std::string(49, 'b')}},
        {"no blank", word150, {std::string(70, 'w'), std::string(70, 'w'), std::string(10, 'w')}},
        {"paragraphs", "one\r\n\r\ntwo\nthree\rfour", {"one", "", "two", "three", "four"}},
        {"trailing break", "end\r\n", {"end"}},
        {"exactly seventy", std::string(70, 'x'), {std::string(70, 'x')}},
    };
    for (const NoteCase& c : cases)
        EXPECT_EQ(c.lines, Strings(CutNoteLines(c.note.c_str()))) << c.name;
}

namespace {

struct Printed {
    std::string text;
    int x, y;
};

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* pRecord, int, LPARAM lParam)
{
    auto* pOut = reinterpret_cast<std::vector<Printed>*>(lParam);
    if (pRecord->iType == EMR_EXTTEXTOUTW || pRecord->iType == EMR_EXTTEXTOUTA) {
        const EMREXTTEXTOUTW* p = reinterpret_cast<const EMREXTTEXTOUTW*>(pRecord);
        const BYTE* base = reinterpret_cast<const BYTE*>(pRecord);
        std::string text;
        if (pRecord->iType == EMR_EXTTEXTOUTW) {
            const WCHAR* w = reinterpret_cast<const WCHAR*>(base + p->emrtext.offString);
            for (DWORD i = 0; i < p->emrtext.nChars; ++i)
                text += char(w[i]);
        } else {
            text.assign(reinterpret_cast<const char*>(base + p->emrtext.offString), p->emrtext.nChars);
        }
        pOut->push_back({text, int(p->emrtext.ptlReference.x), int(p->emrtext.ptlReference.y)});
    }
    return 1;
}

// The print-out's seam for the tests: a fixed date (counting the times it is asked) and, on the recording surface,
// a job that opens without a spooler and records its document name.
int g_nDates = 0;
std::string g_docName;

CString FixedDate()
{
    ++g_nDates;
    return CString("Thursday, December 10, 2026");
}

bool RecordingStartDoc(HDC, const DOCINFOA& doc)
{
    g_docName = doc.lpszDocName;
    return true;
}

const ResultsPrintHooks kRecordingHooks = {&FixedDate, &RecordingStartDoc};
const ResultsPrintHooks kFixedDateOnly = {&FixedDate, nullptr};

// Installs a table for the scope.
class PrintHooksScope {
public:
    explicit PrintHooksScope(const ResultsPrintHooks* pHooks) : m_pPrevious(SetResultsPrintHooks(pHooks)) {}
    ~PrintHooksScope() { SetResultsPrintHooks(m_pPrevious); }

private:
    const ResultsPrintHooks* m_pPrevious;
};

// The graph's rectangle, into the std::vector<int> of the context.
void RecordGraph(void* context, HDC, int left, int top, int width, int height, int labelWidth, int labelHeight)
{
    *static_cast<std::vector<int>*>(context) = {left, top, width, height, labelWidth, labelHeight};
}

// Counts the graphs drawn, in the int of the context.
void CountGraph(void* context, HDC, int, int, int, int, int, int)
{
    ++*static_cast<int*>(context);
}

class PrintJob : public ::testing::Test {
protected:
    // Prints onto a recording surface; returns the texts in order.
    std::vector<Printed> Print(TestPageKind kind, const TestRunRing& ring, const CString& note)
    {
        HDC hdc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        W = GetDeviceCaps(hdc, HORZRES);
        H = GetDeviceCaps(hdc, VERTRES);
        ResultsPrintInput in;
        in.kind = kind;
        in.version = "1.25";
        in.graph = {&graph, &RecordGraph};
        {
            PrintHooksScope hooks(&kRecordingHooks);
            EXPECT_TRUE(PrintResults(hdc, in, ring, note));
        }
        docName = g_docName;
        HENHMETAFILE emf = CloseEnhMetaFile(hdc);
        std::vector<Printed> out;
        EnumEnhMetaFile(nullptr, emf, CollectText, &out, nullptr);
        DeleteEnhMetaFile(emf);
        return out;
    }
    int Line(int y) const { return (y - H / 20) / (H / 60); }

    int W = 0, H = 0;
    std::vector<int> graph;
    std::string docName;
};

void FillTexts(TestRunRing& ring, int nRun, const char* prefix)
{
    for (int t = 0; t < ring.TextCount(); ++t)
        CopyRunText(ring.Text(nRun, t), kResultTextSize, (std::string(prefix) + " text " + std::to_string(t)).c_str());
}

} // namespace

TEST_F(PrintJob, HeaderGraphRunsAndNote)
{
    TestRunRing ring(kTestPageCdRead);
    FillTexts(ring, 0, "first");
    FillTexts(ring, 3, "fourth");
    const std::vector<Printed> out = Print(kTestPageCdRead, ring, "A short note");
    ASSERT_EQ(3u + 6u + 1u, out.size());
    EXPECT_EQ("1.25", docName);
    EXPECT_EQ("Tavisk V1.25", out[0].text);
    EXPECT_EQ(W / 20, out[0].x);
    EXPECT_EQ(H / 20, out[0].y);
    EXPECT_EQ("Read Transfer Rate Test", out[1].text);
    EXPECT_EQ("Thursday, December 10, 2026", out[2].text);
    EXPECT_EQ(H / 20 + H / 50, out[2].y);
    EXPECT_EQ((std::vector<int>{W / 8, H / 8, (W * 8) / 10, H / 3, 2 * (W / 25), H / 50}), graph);
    const char* expected[] = {"first text 0",  "first text 1",  "first text 2", "fourth text 0",
                              "fourth text 1", "fourth text 2", "A short note"};
    const int lines[] = {0, 1, 2, 4, 5, 6, 8};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(expected[i], out[size_t(3 + i)].text);
        EXPECT_EQ(W / 15, out[size_t(3 + i)].x);
        EXPECT_EQ(lines[i], Line(out[size_t(3 + i)].y)) << expected[i];
    }
}

// Ten read runs fill lines 0 to 39; the note's eleventh line starts a new page with the header, at line 3.
TEST_F(PrintJob, LongNoteContinuesUnderANewHeader)
{
    TestRunRing ring(kTestPageDvdRead);
    for (int r = 0; r < 10; ++r)
        FillTexts(ring, r, ("run " + std::to_string(r)).c_str());
    std::string note;
    for (int i = 0; i < 12; ++i)
        note += "note line " + std::to_string(i) + "\r\n";
    const std::vector<Printed> out = Print(kTestPageDvdRead, ring, note.c_str());
    ASSERT_EQ(3u + 30u + 10u + 3u + 2u, out.size());
    EXPECT_EQ("note line 0", out[33].text);
    EXPECT_EQ(40, Line(out[33].y));
    EXPECT_EQ("note line 9", out[42].text);
    EXPECT_EQ(49, Line(out[42].y));
    EXPECT_EQ("Tavisk V1.25", out[43].text);
    EXPECT_EQ("note line 10", out[46].text);
    EXPECT_EQ(3, Line(out[46].y));
}

// Ten CD write runs take 60 lines: the block that would cross line 50 moves to a new page under the header.
TEST_F(PrintJob, CdWriteRunsBreakThePage)
{
    TestRunRing ring(kTestPageCdWrite);
    for (int r = 0; r < 10; ++r)
        FillTexts(ring, r, ("run " + std::to_string(r)).c_str());
    const std::vector<Printed> out = Print(kTestPageCdWrite, ring, "");
    ASSERT_EQ(3u + 50u + 3u, out.size());
    EXPECT_EQ("Write Transfer Rate Test", out[1].text);
    EXPECT_EQ("run 7 text 4", out[3 + 39].text);
    EXPECT_EQ(46, Line(out[3 + 39].y));
    EXPECT_EQ("Tavisk V1.25", out[3 + 40].text);
    EXPECT_EQ("run 8 text 0", out[3 + 43].text);
    EXPECT_EQ(3, Line(out[3 + 43].y));
}

// A DVD write run is printed when its disc line is set; the list starts at line 1.
TEST_F(PrintJob, DvdWriteRunNeedsItsDiscLine)
{
    TestRunRing ring(kTestPageDvdWrite);
    FillTexts(ring, 0, "kept");
    CopyRunText(ring.Text(1, 0), kResultTextSize, "drive only");
    const std::vector<Printed> out = Print(kTestPageDvdWrite, ring, "");
    ASSERT_EQ(3u + 3u, out.size());
    EXPECT_EQ("kept text 0", out[3].text);
    EXPECT_EQ(1, Line(out[3].y));
}

// A device that refuses the job at StartDoc (a screen-compatible DC takes no print job): nothing is drawn and the
// caller hears of it.
TEST(PrintRefused, NothingDrawnAndFalseReturned)
{
    HDC hdc = CreateCompatibleDC(nullptr);
    ASSERT_NE(nullptr, hdc);
    TestRunRing ring(kTestPageCdRead);
    CopyRunText(ring.Text(0, 0), kResultTextSize, "a run");
    ResultsPrintInput in;
    in.version = "1.25";
    g_nDates = 0;
    const int& dates = g_nDates;
    int graphs = 0;
    in.graph = {&graphs, &CountGraph};
    PrintHooksScope hooks(&kFixedDateOnly);
    EXPECT_FALSE(PrintResults(hdc, in, ring, "note"));
    EXPECT_EQ(0, dates);
    EXPECT_EQ(0, graphs);
    DeleteDC(hdc);
}
