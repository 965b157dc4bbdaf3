// src/transfer/TestGraph.cpp
#include "transfer/TestGraph.h"

#include "controls/MemoryDC.h"
#include "framework/Framework.h"
#include "resource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const long kDefaultCdMinutes = 100;
const long kDefaultDvdLengthKB = 0x500000;
const long kGiBInKB = 1L << 20;
const long kDvdLiveSplit = 2000000; // the live plot's DVD read form changes here

// A solid pen selected for the lifetime of the object; the previous pen comes back and the pen is deleted.
class SolidPen : public CSelectedPen {
public:
    SolidPen(HDC hdc, int nWidth, COLORREF colour) : CSelectedPen(hdc, ::CreatePen(PS_SOLID, nWidth, colour)) {}
};

int64_t Div(int64_t a, int64_t b)
{
    return b != 0 ? a / b : 0;
}

void CenteredText(HDC hdc, int x, int y, const char* pszText)
{
    ::TextOutA(hdc, x, y, pszText, int(std::strlen(pszText)));
}

// Truncating division of any 32-bit unsigned number by a fixed divisor through one multiplication: the estimate
// from the reciprocal 2^32 / d (truncated) is the quotient or one less, and the remainder tells which.
class Divider {
public:
    explicit Divider(uint32_t nDivisor)
        : m_nDivisor(nDivisor), m_nReciprocal(nDivisor > 1 ? uint32_t((uint64_t(1) << 32) / nDivisor) : 0)
    {
    }
    uint32_t operator()(uint32_t n) const
    {
        if (m_nDivisor <= 1)
            return n;
        uint32_t q = uint32_t((uint64_t(n) * m_nReciprocal) >> 32);
        if (n - q * m_nDivisor >= m_nDivisor)
            ++q;
        return q;
    }

private:
    uint32_t m_nDivisor;
    uint32_t m_nReciprocal;
};

// offset + (nNumerator x n) / nDenominator for n in 0..nLast, truncated as the 64-bit form Div gives: in 32 bits
// when every product fits, else in 64 bits.
class LinearScale {
public:
    LinearScale(int nOffset, int64_t nNumerator, int64_t nDenominator, int64_t nLast)
        : m_nOffset(nOffset), m_nNumerator(nNumerator), m_nDenominator(nDenominator),
          m_bFast(nNumerator >= 0 && nDenominator > 0 && nDenominator <= 0xFFFFFFFF && nLast >= 0 &&
                  (nNumerator == 0 || nLast <= int64_t(0xFFFFFFFF) / nNumerator)),
          m_divider(m_bFast ? uint32_t(nDenominator) : 1)
    {
    }
    int operator()(int64_t n) const
    {
        if (m_bFast)
            return int(m_nOffset + int64_t(m_divider(uint32_t(m_nNumerator) * uint32_t(n))));
        return int(m_nOffset + Div(m_nNumerator * n, m_nDenominator));
    }

private:
    int m_nOffset;
    int64_t m_nNumerator, m_nDenominator;
    bool m_bFast;
    Divider m_divider;
};

// The first entry from nIndex on that holds anything (nCount when none does); eight empty entries at a time.
int NextEntry(const uint32_t* pSamples, int nIndex, int nCount)
{
    while (nIndex + 8 <= nCount) {
        const uint32_t* p = pSamples + nIndex;
        if ((p[0] & p[1] & p[2] & p[3] & p[4] & p[5] & p[6] & p[7]) != SAMPLE_NONE)
            break;
        nIndex += 8;
    }
    while (nIndex < nCount && pSamples[nIndex] == SAMPLE_NONE)
        ++nIndex;
    return nIndex;
}

// A DC of someone else's, for the functions that take a framework DC; it is not released here.
class CBorrowedDC : public CDC {
public:
    explicit CBorrowedDC(HDC hdc) { m_hDC = hdc; }
    ~CBorrowedDC() override { m_hDC = nullptr; }
};

// The 8-point font, sized for the screen even on a printer DC.
HFONT CreateGraphFont()
{
    CClientDC screen(nullptr);
    LOGFONTA lf = {};
    lf.lfHeight = -::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    return ::CreateFontIndirectA(&lf);
}

// One drawing of the graph on a DC: the DC's state is saved and the 8-point font selected; at the end the font is
// selected back, the state restored and the font deleted, so that the DC is as before.
class GraphDrawingScope {
public:
    explicit GraphDrawingScope(HDC hdc)
        : m_hdc(hdc), m_nSaved(::SaveDC(hdc)), m_font(CreateGraphFont()), m_fontSelection(hdc, m_font.get())
    {
    }
    ~GraphDrawingScope()
    {
        m_fontSelection.Restore();
        ::RestoreDC(m_hdc, m_nSaved);
    }

private:
    HDC m_hdc;
    int m_nSaved;
    CFontOwner m_font;
    CSelectObjectGuard m_fontSelection;
};

// The static part drawn over one fill colour into a 32-bit top-down surface whose pixels can be read.
class CoverageProbe {
public:
    bool Create(HDC hdc, CDC& target, int cx, int cy, COLORREF fill)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = cx;
        bi.bmiHeader.biHeight = -cy; // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* pvBits = nullptr;
        if (!m_bitmap.Attach(::CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &pvBits, nullptr, 0)) ||
            !m_dc.CreateCompatibleDC(&target))
            return false;
        m_pBits = static_cast<const uint32_t*>(pvBits);
        m_pSelection.reset(new CSelectObjectGuard(m_dc, m_bitmap.m_hObject));
        const RECT rc = {0, 0, cx, cy};
        m_dc.FillSolidRect(&rc, fill);
        return true;
    }
    HDC Dc() const { return m_dc; }
    const uint32_t* Bits() const { return m_pBits; }

private:
    CBitmap m_bitmap;
    CDC m_dc;
    std::unique_ptr<CSelectObjectGuard> m_pSelection; // undone before the DC and the bitmap go
    const uint32_t* m_pBits = nullptr;
};

// The region of the pixels where two surfaces agree: one rectangle per run of such pixels in a row.
HRGN RegionOfEqualPixels(const uint32_t* pFirst, const uint32_t* pSecond, int cx, int cy)
{
    std::vector<RECT> rects;
    for (int y = 0; y < cy; ++y) {
        const uint32_t* a = pFirst + size_t(y) * size_t(cx);
        const uint32_t* b = pSecond + size_t(y) * size_t(cx);
        for (int x = 0; x < cx;) {
            if (a[x] != b[x]) {
                ++x;
                continue;
            }
            const int x0 = x;
            while (x < cx && a[x] == b[x])
                ++x;
            rects.push_back(RECT{x0, y, x, y + 1});
        }
    }
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    RGNDATA* pData = reinterpret_cast<RGNDATA*>(data.data());
    pData->rdh.dwSize = sizeof(RGNDATAHEADER);
    pData->rdh.iType = RDH_RECTANGLES;
    pData->rdh.nCount = DWORD(rects.size());
    pData->rdh.nRgnSize = DWORD(rects.size() * sizeof(RECT));
    pData->rdh.rcBound = RECT{0, 0, cx, cy};
    if (!rects.empty())
        std::memcpy(pData->Buffer, rects.data(), rects.size() * sizeof(RECT));
    return ::ExtCreateRegion(nullptr, DWORD(data.size()), pData);
}

} // namespace

// The grid's two pens, one selected at a time; the pen selected before comes back at the end.
class CTestGraph::GridPens {
public:
    GridPens(HDC hdc, int nMainWidth)
        : m_main(::CreatePen(PS_SOLID, nMainWidth, kGraphMainGrid)),
          m_minor(::CreatePen(PS_SOLID, 1, kGraphMinorGrid)), m_selection(hdc, nullptr)
    {
    }
    void Main() { m_selection.Select(m_main.get()); }
    void Minor() { m_selection.Select(m_minor.get()); }

private:
    CPenOwner m_main;
    CPenOwner m_minor;
    CSelectObjectGuard m_selection;
};

// The curve of one run, fed point by point. Segments that follow each other are drawn as one polyline: the same
// pixels as one line per segment, with far fewer calls on a run of thousands of samples. Points that fall into one
// pixel column only paint the span between their lowest and highest y, as long as the curve goes on to another
// column: such a column keeps its first point, its extremes and its last one, which paints the same pixels with
// fewer segments. The curve's last column keeps all its points.
class CTestGraph::RunCurve {
public:
    // line and column are the graph's buffers, kept between paints.
    RunCurve(HDC hdc, const CTestGraph& graph, int nMaxSpeed, bool bDvd, std::vector<POINT>& line,
             std::vector<POINT>& column)
        : m_hdc(hdc), m_graph(graph), m_g(graph.m_layout), m_bDvd(bDvd),
          // The value scale: bottom - (height x value) / (maximum x 100), in 32 bits for the values where it fits.
          m_valueScale(0, m_g.height, int64_t(nMaxSpeed) * 100, m_g.height > 0 ? int64_t(0xFFFFFFFF) / m_g.height : 0),
          m_nFastValues(m_g.height > 0 ? uint32_t(0xFFFFFFFFu / uint32_t(m_g.height)) : 0), m_line(line),
          m_column(column)
    {
        m_line.clear();
        m_column.clear();
    }

    // The sample nValue at x: a segment from the previous point when there is one and it lies on the plot.
    void Visit(int x, uint32_t nValue)
    {
        const int y = ValueY(nValue);
        if (m_bHavePrevious && y >= m_g.top && (!m_bDvd || x - m_g.left < m_g.width)) {
            if (m_line.empty() && m_column.empty())
                Push(m_previous);
            Push(POINT{x, y});
        } else {
            Flush();
        }
        m_previous.x = x;
        m_previous.y = y;
        m_bHavePrevious = true;
    }
    // Nothing measured here: the curve breaks.
    void Break()
    {
        Flush();
        m_bHavePrevious = false;
    }
    // Draws what is gathered.
    void Flush()
    {
        EmitColumn(false);
        if (m_line.size() >= 2)
            ::Polyline(m_hdc, m_line.data(), int(m_line.size()));
        m_line.clear();
    }

private:
    int ValueY(uint32_t nValue) const
    {
        return nValue <= m_nFastValues ? int(m_g.bottom - int64_t(m_valueScale(nValue))) : m_graph.ValueY(nValue);
    }
    void Push(POINT point)
    {
        if (!m_column.empty() && m_column.back().x != point.x)
            EmitColumn(true);
        m_column.push_back(point);
    }
    void EmitColumn(bool bFold)
    {
        if (bFold && m_column.size() > 2) {
            LONG yMin = m_column[0].y, yMax = m_column[0].y;
            for (const POINT& point : m_column) {
                yMin = std::min(yMin, point.y);
                yMax = std::max(yMax, point.y);
            }
            // The extremes in the order that ends nearer the last point; a point equal to the one before adds
            // nothing (the curve goes on from it).
            const LONG x = m_column[0].x;
            const bool bDownLast = m_column.back().y == yMin;
            const POINT points[4] = {m_column.front(), POINT{x, bDownLast ? yMax : yMin},
                                     POINT{x, bDownLast ? yMin : yMax}, m_column.back()};
            m_line.push_back(points[0]);
            for (int k = 1; k < 4; ++k)
                if (points[k].y != m_line.back().y)
                    m_line.push_back(points[k]);
        } else {
            m_line.insert(m_line.end(), m_column.begin(), m_column.end());
        }
        m_column.clear();
    }

    HDC m_hdc;
    const CTestGraph& m_graph;
    const GraphLayout& m_g;
    bool m_bDvd;
    LinearScale m_valueScale;
    uint32_t m_nFastValues;
    std::vector<POINT>& m_line;
    std::vector<POINT>& m_column;
    bool m_bHavePrevious = false;
    POINT m_previous = {0, 0};
};

bool CTestGraph::BackgroundKey::operator==(const BackgroundKey& other) const
{
    const GraphLayout& a = layout;
    const GraphLayout& b = other.layout;
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom && a.width == b.width &&
           a.height == b.height && a.labelWidth == b.labelWidth && a.labelHeight == b.labelHeight &&
           nMaxSpeed == other.nMaxSpeed && nLength == other.nLength && face == other.face && cx == other.cx &&
           cy == other.cy && nBitsPerPixel == other.nBitsPerPixel;
}

CTestGraph::CTestGraph(TestPageKind kind, const TestRunRing& ring)
    : m_kind(kind), m_ring(ring), m_nMaxSpeed(IsDvd() ? kGraphDefaultMaxDvd : kGraphDefaultMaxCd),
      m_nLength(IsDvd() ? kDefaultDvdLengthKB : kDefaultCdMinutes)
{
}

CTestGraph::~CTestGraph() = default;

void CTestGraph::ComputeGraphLayout(HWND hPage, int nGraphId, int nLabelId)
{
    RECT w = {}, g = {}, l = {};
    ::GetWindowRect(hPage, &w);
    ::GetWindowRect(::GetDlgItem(hPage, nGraphId), &g);
    ::GetWindowRect(::GetDlgItem(hPage, nLabelId), &l);
    m_layout.left = g.left - w.left;
    m_layout.top = g.top - w.top;
    m_layout.right = g.right - w.left;
    m_layout.bottom = g.bottom - w.top;
    m_layout.width = g.right - g.left;
    m_layout.height = g.bottom - g.top;
    m_layout.labelWidth = l.right - l.left;
    m_layout.labelHeight = l.bottom - l.top;
}

void CTestGraph::SetAxes(int nMaxSpeed, long nLength)
{
    if (nMaxSpeed <= 0)
        nMaxSpeed = IsDvd() ? kGraphDefaultMaxDvd : kGraphDefaultMaxCd;
    if (IsDvd() ? nLength < 2 * 50 : nLength <= 0)
        nLength = IsDvd() ? kDefaultDvdLengthKB : kDefaultCdMinutes;
    m_nMaxSpeed = nMaxSpeed;
    m_nLength = nLength;
}

int CTestGraph::ValueY(uint32_t nValue) const
{
    return int(m_layout.bottom - Div(int64_t(m_layout.height) * nValue, int64_t(m_nMaxSpeed) * 100));
}

int CTestGraph::PositionX(long nSectors) const
{
    if (IsDvd())
        return int(m_layout.left + Div(int64_t(m_layout.width) * 2 * nSectors, m_nLength));
    return int(m_layout.left + Div(int64_t(m_layout.width) * nSectors, int64_t(m_nLength) * 4500));
}

int CTestGraph::LivePositionX(long nSectors) const
{
    if (m_kind == kTestPageDvdRead && nSectors >= kDvdLiveSplit)
        return int(m_layout.left + Div(Div(int64_t(m_layout.width) * nSectors, m_nLength / 20), 10));
    return PositionX(nSectors);
}

int CTestGraph::MarkerPenWidth() const
{
    if (m_kind == kTestPageDvdRead)
        return PenWidth();
    return m_bPrinting ? 8 : 1;
}

void CTestGraph::DrawLine(HDC hdc, int x0, int y0, int x1, int y1)
{
    ::MoveToEx(hdc, x0, y0, nullptr);
    ::LineTo(hdc, x1, y1);
}

// The label strip (not on paper), the frame, the two axes with their labels, the fixed lines and the watermark;
// the DC's objects and text alignment are as before afterwards.
void CTestGraph::DrawGrid(HDC hdc)
{
    const GraphLayout& g = m_layout;
    CSelectObjectGuard brush(hdc, ::GetStockObject(WHITE_BRUSH));
    CSelectObjectGuard pen(hdc, ::GetStockObject(BLACK_PEN));
    CSelectObjectGuard labelFont(hdc, m_bPrinting ? nullptr : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetTextAlign(hdc, TA_CENTER | TA_TOP);
    if (!m_bPrinting)
        DrawLabelStrip(hdc);
    ::Rectangle(hdc, g.left - 1, g.top - 1, g.right + 2, g.bottom + 2);
    {
        GridPens pens(hdc, PenWidth());
        DrawSpeedAxis(hdc, pens);
        DrawPositionAxis(hdc, pens);
    }
    if (m_kind == kTestPageCdRead)
        DrawDiscEnds(hdc);
    DrawWatermark(hdc);
    ::SetTextAlign(hdc, TA_LEFT | TA_TOP);
}

// The strip left of the plot, under the speed labels, in the background colour (white in the picture export).
void CTestGraph::DrawLabelStrip(HDC hdc)
{
    const COLORREF background = m_bExporting ? RGB(255, 255, 255) : ::GetSysColor(COLOR_BTNFACE);
    ::SetBkColor(hdc, background);
    CSelectedPen pen(hdc, ::CreatePen(PS_SOLID, 1, background));
    CSelectedBrush brush(hdc, ::CreateSolidBrush(background));
    ::Rectangle(hdc, 0, m_layout.top, m_layout.left - 1, m_layout.bottom);
}

// DVD pages: a labelled main line every 2 X. CD pages: a labelled main line with a tick every 8 X, minor lines
// every 2 X between.
void CTestGraph::DrawSpeedAxis(HDC hdc, GridPens& pens)
{
    const GraphLayout& g = m_layout;
    char szLabel[32];
    for (int i = 0; i <= m_nMaxSpeed; ++i) {
        const int y = int(g.bottom - Div(int64_t(g.height) * i, m_nMaxSpeed));
        if (IsDvd()) {
            if (i % 2 != 0)
                continue;
            pens.Main();
            std::snprintf(szLabel, sizeof(szLabel), "%2d X", i);
            CenteredText(hdc, g.left - g.labelWidth + 5, y - g.labelHeight / 2, szLabel);
            DrawLine(hdc, g.left - 4, y, g.right, y);
        } else {
            int nTick = 0;
            if (i % 8 == 0) {
                pens.Main();
                std::snprintf(szLabel, sizeof(szLabel), "%2d X", i);
                CenteredText(hdc, g.left - g.labelWidth + 5, y - g.labelHeight / 2, szLabel);
                nTick = 4;
            } else {
                pens.Minor();
            }
            if (i % 2 == 0)
                DrawLine(hdc, g.left - nTick, y, g.right, y);
        }
    }
}

// DVD pages: a line every half gigabyte, labelled with a tick every gigabyte. CD pages: a line every 2 minutes,
// labelled with a tick every 10.
void CTestGraph::DrawPositionAxis(HDC hdc, GridPens& pens)
{
    const GraphLayout& g = m_layout;
    char szLabel[32];
    if (IsDvd()) {
        long nSteps = 2 * (m_nLength / kGiBInKB);
        if (nSteps < 1)
            nSteps = 1;
        for (long j = 0; j <= nSteps; ++j) {
            const int x = int(g.left + Div(int64_t(g.width) * j, nSteps));
            int nTick = 0;
            if (j % 2 == 0) {
                pens.Main();
                std::snprintf(szLabel, sizeof(szLabel), "%2ld", j / 2);
                CenteredText(hdc, x, g.bottom + 5, szLabel);
                nTick = 4;
            } else {
                pens.Minor();
            }
            DrawLine(hdc, x, g.top, x, g.bottom + nTick);
        }
        return;
    }
    for (long j = 0; j <= m_nLength; ++j) {
        const int x = int(g.left + Div(int64_t(g.width) * j, m_nLength));
        int nTick = 0;
        if (j % 10 == 0) {
            pens.Main();
            std::snprintf(szLabel, sizeof(szLabel), "%2ld", j);
            CenteredText(hdc, x, g.bottom + 5, szLabel);
            nTick = 4;
        } else {
            pens.Minor();
        }
        if (j % 2 == 0)
            DrawLine(hdc, x, g.top, x, g.bottom + nTick);
    }
}

// The disc ends of 68- and 80-minute CDs.
void CTestGraph::DrawDiscEnds(HDC hdc)
{
    SolidPen pen(hdc, PenWidth(), kGraphDiscEndLine);
    for (long nSector : {kGraphCd68Minutes, kGraphCd80Minutes}) {
        const int x = PositionX(nSector);
        DrawLine(hdc, x, m_layout.top, x, m_layout.bottom);
    }
}

// "Tavisk V<version>" right-aligned over the bottom right corner of the plot.
void CTestGraph::DrawWatermark(HDC hdc)
{
    CString strVersion;
    strVersion.LoadString(IDS_VERSION);
    char szWatermark[64];
    std::snprintf(szWatermark, sizeof(szWatermark), "Tavisk V%s", static_cast<const char*>(strVersion));
    ::SetTextAlign(hdc, TA_RIGHT | TA_TOP);
    ::SetTextColor(hdc, kGraphWatermark);
    ::SetBkMode(hdc, TRANSPARENT);
    CenteredText(hdc, m_layout.right - 5, m_layout.bottom - m_layout.labelHeight - 5, szWatermark);
}

// The run's pen (on the screen its kept 1-wide pen; on paper a wider one made for the drawing), then its curve.
void CTestGraph::DrawRun(HDC hdc, int nRun)
{
    CPenOwner widePen(PenWidth() == 1 ? nullptr : ::CreatePen(PS_SOLID, PenWidth(), RunColour(m_kind, nRun)));
    CSelectObjectGuard pen(hdc, PenWidth() == 1 ? HGDIOBJ(RunPen(nRun)) : widePen.get());
    RunCurve curve(hdc, *this, m_nMaxSpeed, IsDvd(), m_polyline, m_column);
    if (m_kind == kTestPageCdRead || m_kind == kTestPageDvdRead)
        TraceReadRun(curve, nRun);
    else
        TraceWriteRun(curve, nRun);
    curve.Flush();
}

// Read pages: a point for every entry that holds a measured sample, at the entry's position.
void CTestGraph::TraceReadRun(RunCurve& curve, int nRun) const
{
    const GraphLayout& g = m_layout;
    const bool bDvd = IsDvd();
    const uint32_t* pSamples = m_ring.Samples(nRun);
    const int nCount = m_ring.SamplesPerRun();
    // DVD: left + (width x i) / (length / 50); CD: left + (width x 25 x i) / (minutes x 4500).
    const LinearScale positionScale(g.left, bDvd ? int64_t(g.width) : int64_t(g.width) * 25,
                                    bDvd ? int64_t(m_nLength / 50) : int64_t(m_nLength) * 4500, nCount - 1);
    for (int i = NextEntry(pSamples, 0, nCount); i < nCount; i = NextEntry(pSamples, i + 1, nCount)) {
        const uint32_t nValue = pSamples[i];
        if (nValue == SAMPLE_SKIPPED)
            continue;
        curve.Visit(positionScale(i), nValue);
    }
}

// Write pages: a point for every sample up to the run's last one, at the end of the blocks it measured; an entry
// without a measurement breaks the curve (on the DVD write page a skipped one is passed over).
void CTestGraph::TraceWriteRun(RunCurve& curve, int nRun) const
{
    const GraphLayout& g = m_layout;
    const bool bDvd = IsDvd();
    const uint32_t* pSamples = m_ring.Samples(nRun);
    const TestRunExtent& extent = m_ring.Extent(nRun);
    if (extent.blocksPerSample == -1)
        return;
    const int nLast = extent.lastSample < m_ring.SamplesPerRun() ? extent.lastSample : m_ring.SamplesPerRun() - 1;
    for (int i = 0; i <= nLast; ++i) {
        const uint32_t nValue = pSamples[i];
        if (nValue == SAMPLE_SKIPPED && bDvd)
            continue;
        if (nValue == SAMPLE_NONE || nValue == SAMPLE_SKIPPED) {
            curve.Break();
            continue;
        }
        int x;
        if (bDvd) {
            x = g.left + int(double(i + 1) * extent.blocksPerSample * double(m_nDvdWriteKBPerBlock) * g.width /
                             double(m_nLength));
        } else {
            x = int(g.left + Div(int64_t(extent.blocksPerSample) * (i + 1) * g.width * 25, int64_t(m_nLength) * 4500));
        }
        curve.Visit(x, nValue);
    }
}

HPEN CTestGraph::RunPen(int nRun)
{
    CPen& pen = m_runPens[nRun];
    if (pen.m_hObject == nullptr)
        pen.CreatePen(PS_SOLID, 1, RunColour(m_kind, nRun));
    return pen;
}

bool CTestGraph::HasMarker() const
{
    switch (m_kind) {
    case kTestPageCdRead:
        return m_bCdStarted != 0;
    case kTestPageCdWrite:
        return m_nPlannedEnd > 0;
    case kTestPageDvdRead:
        return m_nDvdCapacity != -1;
    case kTestPageDvdWrite:
        if (m_nPlannedEnd == -1)
            return false;
        if (m_bRunInProgress)
            return true;
        for (int r = 0; r < MAX_TEST_RUNS; ++r) {
            const TestRunExtent& extent = m_ring.Extent(r);
            if (extent.blocksPerSample == -1)
                continue;
            const uint32_t* pSamples = m_ring.Samples(r);
            // A run counts once it holds a measured sample; an empty slot (nothing at entry 0) does not.
            for (int i = 0; i <= extent.lastSample && i < m_ring.SamplesPerRun(); ++i)
                if (pSamples[i] != SAMPLE_SKIPPED && pSamples[i] != SAMPLE_NONE)
                    return true;
        }
        return false;
    }
    return false;
}

long CTestGraph::MarkerPosition() const
{
    switch (m_kind) {
    case kTestPageCdRead:
        return (m_nCdSampleCount - 1) * m_nCdSpacing + m_nCdLength;
    case kTestPageDvdRead:
        return m_nDvdCapacity;
    default:
        return m_nPlannedEnd;
    }
}

void CTestGraph::DrawMarkers(HDC hdc, long nPosition)
{
    const GraphLayout& g = m_layout;
    switch (m_kind) {
    case kTestPageCdRead:
    case kTestPageCdWrite: {
        SolidPen pen(hdc, MarkerPenWidth(), kGraphMarker);
        const int x = PositionX(nPosition);
        DrawLine(hdc, x, g.top, x, g.bottom);
        break;
    }
    case kTestPageDvdWrite: {
        if (nPosition == -1)
            return;
        SolidPen pen(hdc, MarkerPenWidth(), kGraphMarker);
        const int x = int(2.0 * nPosition / double(m_nLength) * g.width + g.left);
        DrawLine(hdc, x, g.top, x, g.bottom);
        break;
    }
    case kTestPageDvdRead: {
        const long nAxisMb = m_nDvdAxisMb > 0 ? m_nDvdAxisMb : m_nLength >> 10;
        {
            SolidPen pen(hdc, MarkerPenWidth(), kGraphMarker);
            const int x = int(g.left + Div(int64_t(g.width) * m_nDvdDiscEndMb, nAxisMb));
            DrawLine(hdc, x, g.top, x, g.bottom);
        }
        if (m_bDvdDualLayer == 1) {
            SolidPen pen(hdc, MarkerPenWidth(), kGraphLayerMarker);
            const int x = int(g.left + Div(int64_t(g.width) * m_nDvdLayer0EndMb, nAxisMb));
            DrawLine(hdc, x, g.top, x, g.bottom);
        }
        break;
    }
    }
}

void CTestGraph::DrawGraph(HDC hdc)
{
    GraphDrawingScope scope(hdc);
    DrawGrid(hdc);
    DrawRunsAndMarkers(hdc);
}

void CTestGraph::DrawRunsAndMarkers(HDC hdc)
{
    for (int r = 0; r < MAX_TEST_RUNS; ++r)
        DrawRun(hdc, r);
    if (HasMarker())
        DrawMarkers(hdc, MarkerPosition());
}

void CTestGraph::DrawStaticPart(HDC hdc)
{
    GraphDrawingScope scope(hdc);
    DrawGrid(hdc);
}

void CTestGraph::DiscardBackground()
{
    m_pBackground.reset();
    m_coverage.Close();
}

// The static part is drawn three times: for the screen into a surface of its own format, and twice into 32-bit
// surfaces, one filled black and one white before. The pixels the drawing covers are the same in both; the others
// keep the two fills. Those two surfaces give the region through which the copy is shown.
bool CTestGraph::PrepareBackground(HDC hdc, int cx, int cy)
{
    BackgroundKey key;
    key.layout = m_layout;
    key.nMaxSpeed = m_nMaxSpeed;
    key.nLength = m_nLength;
    key.face = ::GetSysColor(COLOR_BTNFACE);
    key.cx = cx;
    key.cy = cy;
    key.nBitsPerPixel = ::GetDeviceCaps(hdc, BITSPIXEL) * ::GetDeviceCaps(hdc, PLANES);
    if (m_pBackground && m_coverage.IsCreated() && key == m_backgroundKey)
        return true;
    DiscardBackground();
    if (cx <= 0 || cy <= 0)
        return false;

    CBorrowedDC target(hdc);
    std::unique_ptr<CMemoryDC> pBackground(new CMemoryDC(cx, cy, &target, RGB(0, 0, 0)));
    if (pBackground->m_hDC == nullptr)
        return false;
    DrawStaticPart(pBackground->m_hDC);
    CRegionOwner coverage(CoverageRegion(hdc, target, cx, cy));
    if (!coverage.IsCreated())
        return false;
    m_coverage = std::move(coverage);
    m_pBackground = std::move(pBackground);
    m_backgroundKey = key;
    return true;
}

// The region of the pixels the static part covers: where its drawings over black and over white agree.
HRGN CTestGraph::CoverageRegion(HDC hdc, CDC& target, int cx, int cy)
{
    CoverageProbe probes[2];
    bool bOk = true;
    for (int k = 0; k < 2 && bOk; ++k) {
        bOk = probes[k].Create(hdc, target, cx, cy, k == 0 ? RGB(0, 0, 0) : RGB(255, 255, 255));
        if (bOk)
            DrawStaticPart(probes[k].Dc());
    }
    ::GdiFlush();
    return bOk ? RegionOfEqualPixels(probes[0].Bits(), probes[1].Bits(), cx, cy) : nullptr;
}

// As DrawGraph on the same DC: the static part through its region, then the curves and markers unclipped.
void CTestGraph::PaintOnScreen(HDC hdc, int cx, int cy)
{
    if (m_bPrinting != 0 || m_bExporting != 0 || !PrepareBackground(hdc, cx, cy)) {
        DrawGraph(hdc);
        return;
    }
    const int nSaved = ::SaveDC(hdc);
    ::SelectClipRgn(hdc, m_coverage.get());
    ::BitBlt(hdc, 0, 0, cx, cy, m_pBackground->m_hDC, 0, 0, SRCCOPY);
    ::SelectClipRgn(hdc, nullptr);
    DrawRunsAndMarkers(hdc);
    ::RestoreDC(hdc, nSaved);
}

void CTestGraph::PlotSample(HDC hdc, long nPosition, uint32_t nValue)
{
    if (nValue == SAMPLE_SKIPPED || nValue == SAMPLE_NONE)
        return;
    const int nRun = m_ring.GetCurrentRun();
    SolidPen pen(hdc, 1, RunColour(m_kind, nRun < 0 ? 0 : nRun));
    const int x = LivePositionX(nPosition);
    const int y = ValueY(nValue);
    const bool bHavePrevious = !(m_previous.x == -1 && m_previous.y == -1);
    if (bHavePrevious && y >= m_layout.top)
        DrawLine(hdc, m_previous.x, m_previous.y, x, y);
    m_previous.x = x;
    m_previous.y = y;
}
