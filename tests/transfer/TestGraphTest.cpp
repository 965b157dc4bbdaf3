// tests/transfer/TestGraphTest.cpp
// The graph of the test pages, read back pixel by pixel from a 24-bit screen and from the off-screen surface:
// frame, grid lines and their colours, the CD read page's disc-end lines, the curves of injected runs in their
// colours with the gap above the axis and the cut at the right edge, and the marker lines. Every expected position
// is computed here from the page's control rectangles, not taken from the graph. Repaints hold no more GDI objects
// than the first, and the screen follows a change of the axes.
#include "GraphPixels.h"
#include "transfer/TestPages.h"

#include "controls/MemoryDC.h"
#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kMain = RGB(0xB2, 0xB2, 0xB2);
const COLORREF kMinor = RGB(0xD7, 0xD7, 0xD7);
const COLORREF kDiscEnd = RGB(0, 0, 0xA0); // 0xA00000
const COLORREF kMarker = RGB(1, 1, 1);
const COLORREF kLayer = RGB(0xFF, 0, 0x80); // 0x8000FF
const COLORREF kRunColours[10] = {0x0000FF, 0x008000, 0xFF0000, 0x0080FF, 0x8000FF,
                                  0xFF8000, 0x000080, 0x008080, 0xFF8080, 0x800000};

class GraphPage : public ::testing::Test {
protected:
    template <class Page>
    void Open(std::unique_ptr<Page> pPage)
    {
        RECT rc = {0, 0, 700, 600};
        ASSERT_TRUE(m_window.CreateEx(0, nullptr, "Graph", WS_POPUP | WS_VISIBLE, rc, nullptr, 0));
        m_pPage = std::move(pPage);
        m_pPage->SetSharedState(m_runState, &m_nPref, &m_settings);
        ASSERT_TRUE(m_pPage->Create(m_pPage->Traits().nIDTemplate, &m_window));
        m_pPage->ShowWindow(SW_SHOW);
        guitest::Pump();
        r = RulesOf(m_pPage->m_hWnd, int(m_pPage->Traits().nGraphId), int(m_pPage->Traits().nScaleId));
        ASSERT_GT(r.width, 100);
        ASSERT_GT(r.height, 100);
    }
    void TearDown() override
    {
        m_pPage.reset();
        m_window.DestroyWindow();
    }

    // The page as the screen shows it after a paint.
    Pixels Screen()
    {
        m_pPage->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        guitest::Pump();
        return ScreenAsItIs();
    }
    // The page as the screen shows it now, without a paint.
    Pixels ScreenAsItIs() { return ClientPixels(*m_pPage); }
    // The same drawing into an off-screen surface of the page's size, filled first as the page's background (the
    // dialog colour) or as the export's (white).
    Pixels Surface(bool bExport)
    {
        RECT rc;
        m_pPage->GetClientRect(&rc);
        CMemoryDC surface(rc.right, rc.bottom, nullptr, bExport ? kWhite : (GetSysColor(COLOR_BTNFACE) & 0xFFFFFF));
        m_pPage->DrawGraphTo(surface.m_hDC, bExport);
        std::unique_ptr<CBitmap> pBitmap(surface.ReleaseBitmap());
        return Pixels(static_cast<HBITMAP>(pBitmap->m_hObject), rc.right, rc.bottom);
    }

    int Y(uint32_t v, int nMax) const { return r.bottom - int(int64_t(r.height) * v / (int64_t(nMax) * 100)); }
    int CdX(long nSectors, int nMinutes) const
    {
        return r.left + int(int64_t(r.width) * nSectors / (int64_t(nMinutes) * 4500));
    }
    // Fills run nRun of the page with contiguous samples of nLength sectors from position 0 to nEnd.
    void InjectReadRun(int nRun, long nLength, long nEnd, const std::function<uint32_t(int)>& value)
    {
        uint32_t* p = m_pPage->Ring().Samples(nRun);
        int k = 0;
        for (long s = nLength; s <= nEnd; s += nLength, ++k)
            p[s / 25] = value(k);
    }

    CWnd m_window;
    std::unique_ptr<CTestPageDlg> m_pPage;
    TransferRateSettings m_settings;
    CTestRunState m_runState;
    int m_nPref = 0;
    Rules r = {};
};

// Frame, speed and position grid of the CD read page with an 84-minute axis and a 56 X maximum, and its 68- and
// 80-minute lines.
TEST_F(GraphPage, CdReadGridFollowsTheRules)
{
    m_settings.maxSpeed = 56;
    m_settings.readTimeInd = 84;
    Open(std::unique_ptr<CTestPageDlg>(new CCdReadTestDlg(&m_window)));
    const Pixels px = Screen();
    const COLORREF face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;

    for (int y = r.top - 1; y <= r.bottom + 1; ++y)
        EXPECT_EQ(kBlack, px.At(r.right + 1, y)) << "right frame at y " << y;
    for (int x = r.left - 1; x <= r.right + 1; ++x)
        EXPECT_EQ(kBlack, px.At(x, r.top - 1)) << "top frame at x " << x;

    // Speed axis: every 8 X a main line with a 4-pixel tick, other even X a minor line, odd X nothing.
    for (int i = 0; i <= 56; ++i) {
        const int y = r.bottom - r.height * i / 56;
        const COLORREF expected = i % 8 == 0 ? kMain : i % 2 == 0 ? kMinor : kWhite;
        EXPECT_EQ(expected, px.At(r.left + 1, y)) << "speed line " << i;
        if (i % 8 == 0) {
            EXPECT_EQ(kMain, px.At(r.left - 4, y)) << "tick " << i;
        } else if (i % 2 == 0 && i != 0) {
            EXPECT_EQ(face, px.At(r.left - 2, y)) << "no tick " << i;
        }
    }
    // Position axis: every 10 minutes a main line reaching 4 pixels below, other even minutes a minor line that
    // stops at the frame.
    const int yClear = r.top + 2; // between the 56 X line and the 54 X line
    const int x68 = CdX(306000, 84), x80 = CdX(360000, 84);
    for (int j = 0; j <= 84; ++j) {
        const int x = r.left + r.width * j / 84;
        if (x == x68 || x == x80)
            continue;
        const COLORREF expected = j % 10 == 0 ? kMain : j % 2 == 0 ? kMinor : kWhite;
        EXPECT_EQ(expected, px.At(x, yClear)) << "minute line " << j;
        if (j % 10 == 0) {
            EXPECT_EQ(kMain, px.At(x, r.bottom + 3)) << "minute tick " << j;
        } else if (j % 2 == 0) {
            EXPECT_EQ(kBlack, px.At(x, r.bottom + 1)) << "minute " << j << " stops at the frame";
        }
    }
    // The disc ends of 68 and 80 minutes, top to bottom.
    for (int y : {r.top, yClear, r.top + r.height / 2, r.bottom - 1}) {
        EXPECT_EQ(kDiscEnd, px.At(x68, y)) << "68-minute line at y " << y;
        EXPECT_EQ(kDiscEnd, px.At(x80, y)) << "80-minute line at y " << y;
    }
    EXPECT_EQ(x80 - r.left, r.width * 80 / 84);
    // No run, no start: no marker, nothing in a run colour.
    for (int x = r.left; x < r.right; ++x)
        for (COLORREF c : kRunColours)
            ASSERT_NE(c, px.At(x, r.top + r.height / 3)) << "x " << x;
    // The strip left of the plot has the dialog colour on screen, white in the export.
    EXPECT_EQ(face, px.At(2, r.top + 3));
    EXPECT_EQ(kWhite, Surface(true).At(2, r.top + 3));
}

// Ten runs, each flat at its own speed over the first 60 minutes, in the ten run colours; the first point of a run
// draws nothing; the marker of the latest start over the curves.
TEST_F(GraphPage, CdReadCurvesOfTenRunsAndTheMarker)
{
    m_settings.maxSpeed = 56;
    m_settings.readTimeInd = 100;
    auto* pPage = new CCdReadTestDlg(&m_window);
    Open(std::unique_ptr<CTestPageDlg>(pPage));
    for (int run = 0; run < 10; ++run)
        InjectReadRun(run, 4500, 60 * 4500, [run](int) { return uint32_t(450 + 500 * run); });
    m_pPage->Ring().SetCurrentRun(9);
    CTestGraph& graph = m_pPage->Graph();
    graph.m_bCdStarted = 1;
    graph.m_nCdSampleCount = 66;
    graph.m_nCdSpacing = 4500;
    graph.m_nCdLength = 4500;
    const Pixels px = Screen();

    const int xFirst = CdX(4500, 100), xLast = CdX(60 * 4500, 100);
    for (int run = 0; run < 10; ++run) {
        const int y = Y(uint32_t(450 + 500 * run), 56);
        for (int x = xFirst; x < xLast; x += 7)
            EXPECT_EQ(kRunColours[run], px.At(x, y)) << "run " << run + 1 << " at x " << x;
        EXPECT_NE(kRunColours[run], px.At(xFirst - 1, y)) << "run " << run + 1 << " before its first point";
        EXPECT_NE(kRunColours[run], px.At(xLast + 1, y)) << "run " << run + 1 << " after its last point";
    }
    // (66 - 1) x 4500 + 4500 = 297,000 sectors: over every curve.
    const int xMarker = CdX(297000, 100);
    for (int y = r.top; y < r.bottom; ++y)
        ASSERT_EQ(kMarker, px.At(xMarker, y)) << "marker at y " << y;
    EXPECT_NE(kMarker, px.At(xMarker, r.bottom + 1));

    // The off-screen surface holds the same picture over the strip and the plot.
    const Pixels surface = Surface(false);
    int nDifferent = 0;
    for (int y = r.top - 1; y <= r.bottom + 1; ++y)
        for (int x = 0; x <= r.right + 1; ++x)
            if (px.At(x, y) != surface.At(x, y) && ++nDifferent < 40)
                ADD_FAILURE() << "x " << x << " y " << y << std::hex << " screen " << px.At(x, y) << " surface "
                              << surface.At(x, y) << std::dec << " (plot " << r.left << "," << r.top << ")";
    EXPECT_EQ(0, nDifferent);
}

// A speed above the axis leaves a gap up to that point and draws from it down; a CD curve longer than the axis
// runs on beyond the frame.
TEST_F(GraphPage, CdReadGapAboveTheAxisAndCurveBeyondTheFrame)
{
    m_settings.maxSpeed = 40;
    m_settings.readTimeInd = 84;
    Open(std::unique_ptr<CTestPageDlg>(new CCdReadTestDlg(&m_window)));
    // Samples every 4500 sectors up to 100 minutes at 10.50 X, except sample 20 at 45 X (above 40 X).
    InjectReadRun(0, 4500, 100 * 4500, [](int k) { return k == 20 ? 4500u : 1050u; });
    const Pixels px = Screen();
    const int y = Y(1050, 40);
    const int x19 = CdX(20 * 4500, 84), x20 = CdX(21 * 4500, 84), x21 = CdX(22 * 4500, 84);
    for (int x = x19 + 1; x < x20 - 1; ++x)
        EXPECT_NE(kRunColours[0], px.At(x, y)) << "the segment up to the point above the axis is missing, x " << x;
    // From the point above the axis down to the next one a segment is drawn.
    int nDown = 0;
    for (int x = x20; x <= x21; ++x)
        for (int yy = r.top; yy < y - 1; ++yy)
            nDown += px.At(x, yy) == kRunColours[0];
    EXPECT_GT(nDown, 0);
    EXPECT_EQ(kRunColours[0], px.At(x21, y));
    EXPECT_EQ(kRunColours[0], px.At((x21 + CdX(23 * 4500, 84)) / 2, y));
    // Beyond the 84-minute frame the curve goes on to the page's edge.
    const Pixels surface = Surface(false);
    for (int x = r.right + 3; x < surface.Width() && x < r.right + 8; ++x)
        EXPECT_EQ(kRunColours[0], surface.At(x, y)) << "x " << x;
}

// DVD read page with a 10 GiB axis: lines every 2 X, twenty position steps, a curve stopped at the right edge, the
// disc end and the layer-0 end of a dual-layer disc.
TEST_F(GraphPage, DvdReadGridCurveAndDualLayerMarkers)
{
    m_settings.maxSpeedDvd = 16;
    m_settings.readTimeIndDvd = 0xA00000;
    Open(std::unique_ptr<CTestPageDlg>(new CDvdReadTestDlg(&m_window)));
    const long nLengthKB = 0xA00000;
    // Run 3 at 8.50 X on index steps of 1125 sectors, past the end of the axis (10 GiB = 5,242,880 sectors).
    uint32_t* p = m_pPage->Ring().Samples(2);
    for (long s = 1125; s / 25 < kDvdSamplesPerRun; s += 1125)
        p[s / 25] = 850;
    CTestGraph& graph = m_pPage->Graph();
    graph.m_nDvdCapacity = 4171712;
    graph.m_nDvdDiscEndMb = 4171712L * 2 / 1024;
    graph.m_nDvdLayer0EndMb = 2086912L * 2 / 1024;
    graph.m_bDvdDualLayer = 1;
    graph.m_nDvdAxisMb = nLengthKB >> 10;
    const Pixels px = Screen();

    for (int i = 0; i <= 16; ++i) {
        const int yLine = r.bottom - r.height * i / 16;
        EXPECT_EQ(i % 2 == 0 ? kMain : kWhite, px.At(r.left + 2, yLine)) << "speed line " << i;
    }
    const int xEnd = r.left + int(int64_t(r.width) * graph.m_nDvdDiscEndMb / graph.m_nDvdAxisMb);
    const int xLayer = r.left + int(int64_t(r.width) * graph.m_nDvdLayer0EndMb / graph.m_nDvdAxisMb);
    for (int j = 0; j <= 20; ++j) {
        const int x = r.left + r.width * j / 20;
        if (x == xEnd || x == xLayer)
            continue;
        EXPECT_EQ(j % 2 == 0 ? kMain : kMinor, px.At(x, r.top + 3)) << "position line " << j;
        EXPECT_EQ(j % 2 == 0 ? kMain : kBlack, px.At(x, r.bottom + 1)) << "position tick " << j;
    }
    const int y = Y(850, 16);
    for (int x = r.left + 40; x < r.right - 1; x += 11) {
        if (x == xEnd || x == xLayer)
            continue;
        EXPECT_EQ(kRunColours[2], px.At(x, y)) << "x " << x;
    }
    EXPECT_EQ(kBlack, px.At(r.right + 1, y)) << "the curve stops inside the frame";
    EXPECT_NE(kRunColours[2], px.At(r.right + 3, y));
    for (int yy = r.top; yy < r.bottom; yy += 5) {
        EXPECT_EQ(kMarker, px.At(xEnd, yy)) << "disc end at y " << yy;
        EXPECT_EQ(kLayer, px.At(xLayer, yy)) << "layer-0 end at y " << yy;
    }
}

// The live plot follows the stored samples; a repaint redraws the same curve.
TEST_F(GraphPage, DvdReadLivePlotMatchesTheRepaint)
{
    m_settings.maxSpeedDvd = 24;
    m_settings.readTimeIndDvd = 0x500000;
    Open(std::unique_ptr<CTestPageDlg>(new CDvdReadTestDlg(&m_window)));
    TestRunRing& ring = m_pPage->Ring();
    ring.ChooseNextRunSlot();
    CTestGraph& graph = m_pPage->Graph();
    m_pPage->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    graph.ResetPlot();
    {
        CClientDC dc(m_pPage.get());
        for (long s = 4500; s <= 1000 * 4500; s += 4500) {
            const uint32_t v = uint32_t(600 + s / 4500); // 6 X rising
            ring.StoreSample(int(s / 25), v);
            graph.PlotSample(dc.m_hDC, s, v);
        }
    }
    const Pixels live = ScreenAsItIs();
    const Pixels repaint = Screen();
    int nLive = 0, nDifferent = 0;
    for (int y = r.top; y <= r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const bool bLive = live.At(x, y) == kRunColours[0];
            nLive += bLive;
            nDifferent += bLive != (repaint.At(x, y) == kRunColours[0]);
        }
    // The live form and the repaint truncate a little differently; they may part by a pixel here and there.
    EXPECT_GT(nLive, r.width / 2);
    EXPECT_LE(nDifferent, nLive / 20);
}

// A read page whose stored maximum is 0 draws with its default axis instead of dividing by zero.
TEST_F(GraphPage, ReadPageWithMaximumZeroDrawsTheDefaultAxis)
{
    m_settings.maxSpeed = 0;
    m_settings.readTimeInd = 84;
    Open(std::unique_ptr<CTestPageDlg>(new CCdReadTestDlg(&m_window)));
    const Pixels px = Screen();
    EXPECT_EQ(56, m_pPage->Graph().MaxSpeed());
    EXPECT_EQ(kMain, px.At(r.left + 1, r.bottom - r.height * 8 / 56));
}

// Write pages: a run of 1125-sector samples (45 blocks) on the CD write page ends each sample at its last block; a
// DVD write run holding only skipped samples draws neither curve nor marker.
TEST_F(GraphPage, WritePagesCurvesAndMarkers)
{
    m_settings.maxSpeedWrite = 48;
    m_settings.writeTimeInd = 84;
    Open(std::unique_ptr<CTestPageDlg>(new CCdWriteTestDlg(&m_window)));
    TestRunRing& ring = m_pPage->Ring();
    ring.Extent(0) = {45, 99};
    for (int i = 0; i <= 99; ++i)
        ring.Samples(0)[i] = 1600;
    m_pPage->Graph().m_nPlannedEnd = 100 * 1125;
    const Pixels px = Screen();
    const int y = Y(1600, 48);
    const int x0 = CdX(1125, 84), x99 = CdX(100 * 1125, 84);
    for (int x = x0; x < x99; x += 5)
        EXPECT_EQ(kRunColours[0], px.At(x, y)) << "x " << x;
    EXPECT_NE(kRunColours[0], px.At(x0 - 1, y));
    EXPECT_EQ(kMarker, px.At(x99, r.top + 10));
}

TEST_F(GraphPage, DvdWriteRunOfSkippedSamplesDrawsNothing)
{
    m_settings.maxSpeedDvdWrite = 16;
    Open(std::unique_ptr<CTestPageDlg>(new CDvdWriteTestDlg(&m_window)));
    TestRunRing& ring = m_pPage->Ring();
    ring.Extent(0) = {45, 6};
    for (int i = 0; i <= 6; ++i)
        ring.Samples(0)[i] = SAMPLE_SKIPPED;
    m_pPage->Graph().m_nPlannedEnd = 100000;
    const Pixels px = Screen();
    const int xMarker = r.left + int(2.0 * 100000 / 0x500000 * r.width);
    EXPECT_NE(kMarker, px.At(xMarker, r.top + r.height / 2));
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; y += 3)
            ASSERT_NE(kRunColours[0], px.At(x, y));
}

// The DVD write page's position axis has the length the Preferences give it: 10 GiB in twenty steps of half a
// gigabyte, main lines on the whole gigabytes.
TEST_F(GraphPage, DvdWriteAxisFollowsItsGraphLength)
{
    m_settings.maxSpeedDvdWrite = 16;
    auto* pPage = new CDvdWriteTestDlg(&m_window);
    Open(std::unique_ptr<CTestPageDlg>(pPage));
    pPage->SetGraphLength(0xA00000);
    const Pixels px = Screen();
    EXPECT_EQ(DWORD(0xA00000), pPage->GetGraphLength());
    for (int j = 0; j <= 20; ++j) {
        const int x = r.left + r.width * j / 20;
        EXPECT_EQ(j % 2 == 0 ? kMain : kMinor, px.At(x, r.top + 3)) << "position line " << j;
    }
}

// GDI objects the process holds. Where the system does not count them (Wine reports 0), the highest handle slot
// in use once kProbes more objects are made stands for the count: it rises with the objects held, give or take a
// few that the system frees late. A leak in a paint shows 200 times over in the tests below.
long GdiObjectsHeld()
{
    const DWORD nCounted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (nCounted != 0)
        return long(nCounted);
    const int kProbes = 3000;
    std::vector<HBRUSH> probes;
    long nHighest = 0;
    for (int i = 0; i < kProbes; ++i) {
        HBRUSH hBrush = CreateSolidBrush(RGB(1, 2, 3));
        nHighest = std::max(nHighest, long(LOWORD(reinterpret_cast<UINT_PTR>(hBrush))));
        probes.push_back(hBrush);
    }
    for (HBRUSH hBrush : probes)
        DeleteObject(hBrush);
    return nHighest;
}

// Two hundred repaints of a page with ten runs and both DVD markers hold no more GDI objects than the first paints;
// a change of the axes makes the graph's static part anew, in place of the old one, and the screen shows the new
// axes. The count itself sees 200 pens held.
TEST_F(GraphPage, RepaintsHoldNoMoreGdiObjectsAndFollowTheAxes)
{
    m_settings.maxSpeedDvd = 16;
    m_settings.readTimeIndDvd = 0xA00000;
    Open(std::unique_ptr<CTestPageDlg>(new CDvdReadTestDlg(&m_window)));
    for (int run = 0; run < 10; ++run)
        InjectReadRun(run, 1125, 4171712, [run](int k) { return uint32_t(330 + 40 * run + (k * 37) % 23); });
    CTestGraph& graph = m_pPage->Graph();
    graph.m_nDvdCapacity = 4171712;
    graph.m_nDvdDiscEndMb = 4171712L * 2 / 1024;
    graph.m_nDvdLayer0EndMb = 2086912L * 2 / 1024;
    graph.m_bDvdDualLayer = 1;
    graph.m_nDvdAxisMb = 0xA00000 >> 10;
    Screen();
    Screen();
    const long nHeld = GdiObjectsHeld();
    for (int i = 0; i < 200; ++i)
        m_pPage->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    guitest::Pump();
    const long kSlack = 10;
    EXPECT_LE(GdiObjectsHeld(), nHeld + kSlack) << "after 200 repaints";

    // New axes: 24 X over 5 GiB.
    m_settings.maxSpeedDvd = 24;
    m_settings.readTimeIndDvd = 0x500000;
    graph.m_nDvdAxisMb = 0x500000 >> 10;
    const Pixels px = Screen();
    EXPECT_EQ(24, graph.MaxSpeed());
    EXPECT_EQ(kMain, px.At(r.left + 2, r.bottom - r.height * 22 / 24)) << "the 22 X line of the new axis";
    const Pixels surface = Surface(false);
    int nDifferent = 0;
    for (int y = r.top - 1; y <= r.bottom + 1; ++y)
        for (int x = 0; x <= r.right + 1; ++x)
            if (px.At(x, y) != surface.At(x, y) && ++nDifferent < 20)
                ADD_FAILURE() << "x " << x << " y " << y << std::hex << " screen " << px.At(x, y) << " surface "
                              << surface.At(x, y);
    EXPECT_EQ(0, nDifferent);
    EXPECT_LE(GdiObjectsHeld(), nHeld + kSlack) << "after the axes changed";

    const long nNow = GdiObjectsHeld();
    std::vector<HPEN> leaked;
    for (int i = 0; i < 200; ++i)
        leaked.push_back(CreatePen(PS_SOLID, 1, RGB(i, 0, 0)));
    EXPECT_GE(GdiObjectsHeld(), nNow + 200 - kSlack) << "200 pens held";
    for (HPEN hPen : leaked)
        DeleteObject(hPen);
}

} // namespace

namespace {

// A dense, noisy DVD curve (many samples per pixel column, gaps above the axis, a cut at the right edge) drawn by
// the page equals the curve drawn here one segment at a time by the rules.
TEST_F(GraphPage, DenseCurveEqualsSegmentBySegmentDrawing)
{
    m_settings.maxSpeedDvd = 16;
    m_settings.readTimeIndDvd = 0x500000;
    Open(std::unique_ptr<CTestPageDlg>(new CDvdReadTestDlg(&m_window)));
    const long nLengthKB = 0x500000;
    std::vector<std::pair<int, uint32_t>> points;
    uint32_t* p = m_pPage->Ring().Samples(4);
    for (long s = 1125, k = 0; s / 25 < kDvdSamplesPerRun; s += 1125, ++k) {
        uint32_t v = uint32_t(400 + (k * 7919) % 900);
        if (k % 97 == 50)
            v = 1700; // above the 16 X axis
        p[s / 25] = v;
        points.push_back({int(s / 25), v});
    }
    const Pixels drawn = Surface(true);
    // The same page without the run, and the run drawn by hand on top.
    for (const auto& point : points)
        p[point.first] = SAMPLE_NONE;
    RECT rc;
    m_pPage->GetClientRect(&rc);
    CMemoryDC surface(rc.right, rc.bottom, nullptr, kWhite);
    m_pPage->DrawGraphTo(surface.m_hDC, true);
    HPEN hPen = CreatePen(PS_SOLID, 1, kRunColours[4]);
    HGDIOBJ hOld = SelectObject(surface.m_hDC, hPen);
    bool bHave = false;
    POINT previous = {};
    for (const auto& point : points) {
        const int x = r.left + int(int64_t(r.width) * point.first / (nLengthKB / 50));
        const int y = Y(point.second, 16);
        if (bHave && y >= r.top && x - r.left < r.width) {
            MoveToEx(surface.m_hDC, previous.x, previous.y, nullptr);
            LineTo(surface.m_hDC, x, y);
        }
        previous = {x, y};
        bHave = true;
    }
    SelectObject(surface.m_hDC, hOld);
    DeleteObject(hPen);
    // (No disc was checked on the page: no marker lines.)
    std::unique_ptr<CBitmap> pBitmap(surface.ReleaseBitmap());
    const Pixels expected(static_cast<HBITMAP>(pBitmap->m_hObject), rc.right, rc.bottom);
    int nDifferent = 0, nCurve = 0;
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x) {
            nCurve += expected.At(x, y) == kRunColours[4];
            nDifferent += expected.At(x, y) != drawn.At(x, y);
        }
    EXPECT_GT(nCurve, r.width);
    EXPECT_EQ(0, nDifferent);
}

} // namespace
