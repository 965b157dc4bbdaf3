// tests/report/LayoutTest.cpp
// The printed report's layout, recorded through the print-surface seam: the job, the page geometry and header,
// lines and headings in their slots, page breaks (overflow and explicit), and the pages of the whole report.
#include "ReportTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <map>

using namespace reporttest;

namespace {

using Surface = RecordingSurfaceScope;

const int kLeft = Surface::kPageWidth / 20;                            // 124
const int kTop = Surface::kPageHeight / 20;                            // 175
const int kLh = Surface::kLineHeight;                                  // 40
const int kLinesPerPage = (Surface::kPageHeight - 2 * kTop) / kLh - 3; // 75
const int kRight = Surface::kPageWidth - kLeft;
const int kBottom = Surface::kPageHeight - kTop;

int SlotTop(int slot)
{
    return kTop + slot * kLh;
}

// The events split into pages (from StartPage to EndPage).
std::vector<std::vector<SurfaceEvent>> Pages()
{
    std::vector<std::vector<SurfaceEvent>> pages;
    for (const SurfaceEvent& e : Surface::Events()) {
        if (e.kind == SurfaceEvent::kStartPage)
            pages.emplace_back();
        else if (!pages.empty() && e.kind != SurfaceEvent::kEndPage && e.kind != SurfaceEvent::kEndDoc)
            pages.back().push_back(e);
    }
    return pages;
}

// Texts of a page by slot (header included).
std::map<int, std::string> TextsBySlot(const std::vector<SurfaceEvent>& page)
{
    std::map<int, std::string> slots;
    for (const SurfaceEvent& e : page)
        if (e.kind == SurfaceEvent::kText && e.x == kLeft)
            slots[(e.y - kTop) / kLh] = e.text;
    return slots;
}

void ExpectHeader(const std::vector<SurfaceEvent>& page)
{
    ASSERT_GE(page.size(), 5u);
    const std::string date = PinnedDate::DateText();
    EXPECT_EQ(SurfaceEvent::kLine, page[0].kind);
    EXPECT_EQ(kLeft, page[0].x);
    EXPECT_EQ(kRight, page[0].x2);
    EXPECT_EQ(SlotTop(0) + kLh / 2, page[0].y);
    EXPECT_EQ(page[0].y, page[0].y2);
    EXPECT_EQ("Tavisk V1.25", page[1].text);
    EXPECT_EQ(kLeft, page[1].x);
    EXPECT_EQ(SlotTop(1), page[1].y);
    EXPECT_EQ(kReportNoticeLine, page[2].text);
    EXPECT_EQ(SlotTop(2), page[2].y);
    EXPECT_EQ(date, page[3].text);
    EXPECT_EQ(kRight - int(date.size()) * Surface::kCharWidth, page[3].x);
    EXPECT_EQ(SlotTop(2), page[3].y);
    EXPECT_EQ(SurfaceEvent::kLine, page[4].kind);
    EXPECT_EQ(SlotTop(3) + kLh / 2, page[4].y);
    EXPECT_EQ(kRight, page[4].x2);
}

// No text and no rule below the bottom margin.
void ExpectNothingBelowTheLastSlot()
{
    for (const SurfaceEvent& e : Surface::Events()) {
        if (e.kind == SurfaceEvent::kText || e.kind == SurfaceEvent::kLine) {
            EXPECT_LE(std::max(e.y, e.y2), kBottom) << e.text;
        }
    }
}

int Count(SurfaceEvent::Kind kind)
{
    int n = 0;
    for (const SurfaceEvent& e : Surface::Events())
        n += e.kind == kind;
    return n;
}

// Open: the print dialog returns a DC; the report font is chosen for 80 columns between the margins; the job is
// named after the program with the (empty) title; the pen is a thousandth of the page high; the header takes four
// slots; lines per page leave the top and bottom margins free.
TEST(ReportLayout, JobGeometryAndHeader)
{
    PinnedDate date;
    HookScope hooks;
    Surface surface;
    {
        CReportWriter writer;
        ASSERT_EQ(1, writer.Open(kReportModePrinter, "", "SYSlog.txt", true));
        EXPECT_EQ(1, hooks.printDialogs);
        EXPECT_EQ(DWORD(PD_RETURNDC), hooks.lastPrintFlags);
        EXPECT_EQ(0, hooks.fileDialogs);
        EXPECT_EQ(kLh, writer.GetLineHeight());
        EXPECT_EQ(kLinesPerPage, writer.GetLinesPerPage());
        EXPECT_EQ(4, writer.GetLineIndex());
        writer.WriteLine("first body line");
    }
    const std::vector<SurfaceEvent>& events = Surface::Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(SurfaceEvent::kChooseFont, events[0].kind);
    EXPECT_EQ(Surface::kPageWidth - 2 * kLeft, events[0].x);
    EXPECT_EQ(80, events[0].y);
    EXPECT_EQ(SurfaceEvent::kStartDoc, events[1].kind);
    EXPECT_EQ("Tavisk ", events[1].text);
    EXPECT_EQ(SurfaceEvent::kStartPage, events[2].kind);
    EXPECT_EQ(Surface::kPageHeight / 1000, events[2].x);

    std::vector<std::vector<SurfaceEvent>> pages = Pages();
    ASSERT_EQ(1u, pages.size());
    ExpectHeader(pages[0]);
    EXPECT_EQ("first body line", TextsBySlot(pages[0])[4]);
    EXPECT_EQ(SurfaceEvent::kEndPage, events[events.size() - 2].kind);
    EXPECT_EQ(SurfaceEvent::kEndDoc, events.back().kind);
    EXPECT_TRUE(hooks.boxes.empty());
}

TEST(ReportLayout, CancelledPrintDialogPrintsNothing)
{
    HookScope hooks;
    hooks.printerCancels = true;
    Surface surface;
    {
        CReportWriter writer;
        EXPECT_EQ(0, writer.Open(kReportModePrinter, "", "SYSlog.txt", true));
        EXPECT_EQ(nullptr, writer.HasPrinterDC());
        writer.WriteLine("nothing");
        writer.WriteHeading("nothing");
        writer.NewPage();
    }
    EXPECT_EQ(1, hooks.printDialogs);
    EXPECT_TRUE(Surface::Events().empty());
    EXPECT_TRUE(hooks.boxes.empty());
}

// The slot that ends a page still takes a line; the next line starts a page that opens with its header and one
// empty slot, and goes into the sixth slot. No text is drawn below the last slot.
TEST(ReportLayout, OverflowBreaksBeforeTheNextLine)
{
    PinnedDate date;
    HookScope hooks;
    Surface surface;
    const int bodySlots = kLinesPerPage - 4;
    {
        CReportWriter writer;
        ASSERT_EQ(1, writer.Open(kReportModePrinter, "", "", true));
        for (int i = 0; i < bodySlots + 1; ++i)
            writer.WriteLine(CString("line ") + CString(char('A' + i % 26), 1));
    }
    std::vector<std::vector<SurfaceEvent>> pages = Pages();
    ASSERT_EQ(2u, pages.size());
    std::map<int, std::string> first = TextsBySlot(pages[0]);
    EXPECT_EQ(1u + 1u + size_t(bodySlots), first.size()); // two header texts at the left margin
    EXPECT_EQ(first.rbegin()->first, kLinesPerPage - 1);
    ExpectHeader(pages[1]);
    std::map<int, std::string> second = TextsBySlot(pages[1]);
    EXPECT_EQ(0u, second.count(4));
    EXPECT_EQ(1u, second.count(5));
    ExpectNothingBelowTheLastSlot();
}

// A heading's rule lies on the lower edge of its text's slot, as long as the text, and stays on the page of its
// text even when the text takes the last slot. A run of gaps at the bottom of a page never pushes a line below
// the last slot: the next line goes to the next page.
TEST(ReportLayout, HeadingsRespectPageBreaks)
{
    PinnedDate date;
    HookScope hooks;
    Surface surface;
    {
        CReportWriter writer;
        ASSERT_EQ(1, writer.Open(kReportModePrinter, "", "", true));
        writer.WriteLine("Heading");
        writer.WriteHeading("Heading");
        EXPECT_EQ(6, writer.GetLineIndex());
        while (writer.GetLineIndex() < kLinesPerPage - 1)
            writer.WriteLine("filler");
        writer.WriteLine("Bottom heading");
        writer.WriteHeading("Bottom heading");
        writer.WriteHeading("");
        writer.WriteHeading("");
        writer.WriteHeading("");
        writer.WriteLine("after the gaps");
    }
    std::vector<std::vector<SurfaceEvent>> pages = Pages();
    ASSERT_EQ(2u, pages.size());
    std::vector<SurfaceEvent> rules;
    for (const SurfaceEvent& e : pages[0])
        if (e.kind == SurfaceEvent::kLine && e.x2 != kRight)
            rules.push_back(e);
    ASSERT_EQ(2u, rules.size());
    EXPECT_EQ(SlotTop(5), rules[0].y);
    EXPECT_EQ(kLeft + 7 * Surface::kCharWidth, rules[0].x2);
    EXPECT_EQ(SlotTop(kLinesPerPage), rules[1].y);
    EXPECT_EQ(kLeft + 14 * Surface::kCharWidth, rules[1].x2);
    EXPECT_LE(rules[1].y, kBottom);
    EXPECT_EQ("Bottom heading", TextsBySlot(pages[0])[kLinesPerPage - 1]);
    EXPECT_EQ("after the gaps", TextsBySlot(pages[1])[5]);
}

// NewPage on paper: the page ends, the next starts with a new pen and the header; the next line is in slot 4.
TEST(ReportLayout, ExplicitNewPage)
{
    PinnedDate date;
    HookScope hooks;
    Surface surface;
    {
        CReportWriter writer;
        ASSERT_EQ(1, writer.Open(kReportModePrinter, "", "", true));
        writer.WriteLine("one");
        writer.NewPage();
        EXPECT_EQ(4, writer.GetLineIndex());
        writer.WriteLine("two");
    }
    std::vector<std::vector<SurfaceEvent>> pages = Pages();
    ASSERT_EQ(2u, pages.size());
    ExpectHeader(pages[1]);
    EXPECT_EQ("two", TextsBySlot(pages[1])[4]);
    EXPECT_EQ(2, Count(SurfaceEvent::kStartPage));
    EXPECT_EQ(2, Count(SurfaceEvent::kEndPage));
    EXPECT_EQ(1, Count(SurfaceEvent::kEndDoc));
}

// The whole report on paper: the header on every page; a page for the first sections, one per adapter block, one
// for the capture part, the USB part, the sibling product's dumps, the Stratafit part, and the support form on
// pages of its own; lines are drawn unchanged (tabs and '%' included) and none below the last slot.
TEST(ReportLayout, WholeReportPages)
{
    PinnedDate date;
    HookScope hooks;
    Surface surface;
    FixtureReport fixture;
    PrintReport(fixture.Sections());
    EXPECT_EQ(1, hooks.printDialogs);

    std::vector<std::vector<SurfaceEvent>> pages = Pages();
    ASSERT_EQ(7u, pages.size());
    for (const std::vector<SurfaceEvent>& page : pages)
        ExpectHeader(page);
    EXPECT_EQ(Count(SurfaceEvent::kStartPage), Count(SurfaceEvent::kEndPage));
    EXPECT_EQ(1, Count(SurfaceEvent::kEndDoc));

    std::map<int, std::string> first = TextsBySlot(pages[0]);
    EXPECT_EQ("Software Information", first[6]);
    EXPECT_EQ("Operating system    : Windows XP V5.01.2600 Service Pack 3", first[8]);
    EXPECT_EQ("Progress: 100% (%s %d kept as written)", first[12]);
    EXPECT_EQ("Host Adapter 0: IDE channel", first[28]);
    EXPECT_EQ("Host Adapter 1: USB", TextsBySlot(pages[1])[5]);
    EXPECT_EQ("Video Capture Devices:", TextsBySlot(pages[2])[5]);
    EXPECT_EQ("USB Device Information:", TextsBySlot(pages[3])[6]);
    std::map<int, std::string> dumps = TextsBySlot(pages[4]);
    EXPECT_EQ(" Velloran Studio Registry Information", dumps[4]);
    EXPECT_TRUE(std::any_of(dumps.begin(), dumps.end(), [](const std::pair<const int, std::string>& slot) {
        return slot.second == " Velloran Studio Plus Registry Information";
    }));
    EXPECT_EQ("Stratafit Database", TextsBySlot(pages[5])[4]);
    EXPECT_EQ("Active   Type       ID                Usage Frequency   Write Speed      ", TextsBySlot(pages[5])[8]);
    EXPECT_EQ(std::string(14, '-'), TextsBySlot(pages[5])[6]);
    EXPECT_EQ("Dear customer:", TextsBySlot(pages[6])[5]);
    EXPECT_EQ(std::string(64, '_'), TextsBySlot(pages[6]).rbegin()->second);

    ExpectNothingBelowTheLastSlot();
}

} // namespace

namespace {

// The printer font of the real surface: fixed pitch, and made smaller when 80 columns would not fit the width
// between the margins (a memory DC of the screen stands in for the printer).
TEST(ReportPrinterFont, FixedPitchAndEightyColumnsFit)
{
    for (int width : {2000, 400, 250}) {
        SCOPED_TRACE(width);
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        CGdiReportSurface surface(&dc);
        surface.ChooseFont(width, 80);
        const CString sample('M', 80);
        SIZE extent = surface.GetTextExtent(sample, sample.GetLength());
        EXPECT_LE(extent.cx, width);
        EXPECT_GE(extent.cx, std::min(width * 3 / 4, 600));
        EXPECT_EQ(extent.cx, surface.GetTextExtent(CString('i', 80), 80).cx);
        TEXTMETRICA metrics;
        ASSERT_TRUE(GetTextMetricsA(dc.m_hDC, &metrics));
        EXPECT_EQ(0, metrics.tmPitchAndFamily & TMPF_FIXED_PITCH); // the bit set means variable pitch
    }
}

} // namespace
