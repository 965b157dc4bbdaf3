// src/transfer/TestGraph.cpp
#include "transfer/TestGraph.h"

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
class SelectedPen {
public:
    SelectedPen(HDC hdc, int nWidth, COLORREF colour)
        : m_hdc(hdc), m_hPen(::CreatePen(PS_SOLID, nWidth, colour)), m_hPrevious(::SelectObject(hdc, m_hPen))
    {
    }
    ~SelectedPen()
    {
        ::SelectObject(m_hdc, m_hPrevious);
        ::DeleteObject(m_hPen);
    }
    SelectedPen(const SelectedPen&) = delete;
    SelectedPen& operator=(const SelectedPen&) = delete;

private:
    HDC m_hdc;
    HPEN m_hPen;
    HGDIOBJ m_hPrevious;
};

int64_t Div(int64_t a, int64_t b)
{
    return b != 0 ? a / b : 0;
}

void CenteredText(HDC hdc, int x, int y, const char* pszText)
{
    ::TextOutA(hdc, x, y, pszText, int(std::strlen(pszText)));
}

} // namespace

CTestGraph::CTestGraph(TestPageKind kind, const TestRunRing& ring)
    : m_kind(kind), m_ring(ring), m_nMaxSpeed(IsDvd() ? kGraphDefaultMaxDvd : kGraphDefaultMaxCd),
      m_nLength(IsDvd() ? kDefaultDvdLengthKB : kDefaultCdMinutes)
{
}

void CTestGraph::ComputeLayout(HWND hPage, int nGraphId, int nLabelId)
{
    RECT w = {}, g = {}, l = {};
    ::GetWindowRect(hPage, &w);
    ::GetWindowRect(::GetDlgItem(hPage, nGraphId), &g);
    ::GetWindowRect(::GetDlgItem(hPage, nLabelId), &l);
    layout.left = g.left - w.left;
    layout.top = g.top - w.top;
    layout.right = g.right - w.left;
    layout.bottom = g.bottom - w.top;
    layout.width = g.right - g.left;
    layout.height = g.bottom - g.top;
    layout.labelWidth = l.right - l.left;
    layout.labelHeight = l.bottom - l.top;
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
    return int(layout.bottom - Div(int64_t(layout.height) * nValue, int64_t(m_nMaxSpeed) * 100));
}

int CTestGraph::PositionX(long nSectors) const
{
    if (IsDvd())
        return int(layout.left + Div(int64_t(layout.width) * 2 * nSectors, m_nLength));
    return int(layout.left + Div(int64_t(layout.width) * nSectors, int64_t(m_nLength) * 4500));
}

int CTestGraph::LivePositionX(long nSectors) const
{
    if (m_kind == kTestPageDvdRead && nSectors >= kDvdLiveSplit)
        return int(layout.left + Div(Div(int64_t(layout.width) * nSectors, m_nLength / 20), 10));
    return PositionX(nSectors);
}

int CTestGraph::MarkerPenWidth() const
{
    if (m_kind == kTestPageDvdRead)
        return PenWidth();
    return printing ? 8 : 1;
}

void CTestGraph::DrawLine(HDC hdc, int x0, int y0, int x1, int y1)
{
    ::MoveToEx(hdc, x0, y0, nullptr);
    ::LineTo(hdc, x1, y1);
}

void CTestGraph::DrawGrid(HDC hdc)
{
    const GraphLayout& g = layout;
    HGDIOBJ hOldBrush = ::SelectObject(hdc, ::GetStockObject(WHITE_BRUSH));
    HGDIOBJ hOldPen = ::SelectObject(hdc, ::GetStockObject(BLACK_PEN));
    ::SetTextAlign(hdc, TA_CENTER | TA_TOP);

    if (!printing) {
        const COLORREF background = exporting ? RGB(255, 255, 255) : ::GetSysColor(COLOR_BTNFACE);
        ::SetBkColor(hdc, background);
        ::SelectObject(hdc, ::GetStockObject(DEFAULT_GUI_FONT));
        HPEN hStripPen = ::CreatePen(PS_SOLID, 1, background);
        HBRUSH hStripBrush = ::CreateSolidBrush(background);
        HGDIOBJ hPen = ::SelectObject(hdc, hStripPen);
        HGDIOBJ hBrush = ::SelectObject(hdc, hStripBrush);
        ::Rectangle(hdc, 0, g.top, g.left - 1, g.bottom);
        ::SelectObject(hdc, hPen);
        ::SelectObject(hdc, hBrush);
        ::DeleteObject(hStripPen);
        ::DeleteObject(hStripBrush);
    }

    ::SelectObject(hdc, ::GetStockObject(WHITE_BRUSH));
    ::SelectObject(hdc, ::GetStockObject(BLACK_PEN));
    ::Rectangle(hdc, g.left - 1, g.top - 1, g.right + 2, g.bottom + 2);

    HPEN hMainPen = ::CreatePen(PS_SOLID, PenWidth(), kGraphMainGrid);
    HPEN hMinorPen = ::CreatePen(PS_SOLID, 1, kGraphMinorGrid);
    char szLabel[32];

    // Speed axis
    for (int i = 0; i <= m_nMaxSpeed; ++i) {
        const int y = int(g.bottom - Div(int64_t(g.height) * i, m_nMaxSpeed));
        if (IsDvd()) {
            if (i % 2 != 0)
                continue;
            ::SelectObject(hdc, hMainPen);
            std::snprintf(szLabel, sizeof(szLabel), "%2d X", i);
            CenteredText(hdc, g.left - g.labelWidth + 5, y - g.labelHeight / 2, szLabel);
            DrawLine(hdc, g.left - 4, y, g.right, y);
        } else {
            int nTick = 0;
            if (i % 8 == 0) {
                ::SelectObject(hdc, hMainPen);
                std::snprintf(szLabel, sizeof(szLabel), "%2d X", i);
                CenteredText(hdc, g.left - g.labelWidth + 5, y - g.labelHeight / 2, szLabel);
                nTick = 4;
            } else {
                ::SelectObject(hdc, hMinorPen);
            }
            if (i % 2 == 0)
                DrawLine(hdc, g.left - nTick, y, g.right, y);
        }
    }

    // Position axis
    if (IsDvd()) {
        long nSteps = 2 * (m_nLength / kGiBInKB);
        if (nSteps < 1)
            nSteps = 1;
        for (long j = 0; j <= nSteps; ++j) {
            const int x = int(g.left + Div(int64_t(g.width) * j, nSteps));
            int nTick = 0;
            if (j % 2 == 0) {
                ::SelectObject(hdc, hMainPen);
                std::snprintf(szLabel, sizeof(szLabel), "%2ld", j / 2);
                CenteredText(hdc, x, g.bottom + 5, szLabel);
                nTick = 4;
            } else {
                ::SelectObject(hdc, hMinorPen);
            }
            DrawLine(hdc, x, g.top, x, g.bottom + nTick);
        }
    } else {
        for (long j = 0; j <= m_nLength; ++j) {
            const int x = int(g.left + Div(int64_t(g.width) * j, m_nLength));
            int nTick = 0;
            if (j % 10 == 0) {
                ::SelectObject(hdc, hMainPen);
                std::snprintf(szLabel, sizeof(szLabel), "%2ld", j);
                CenteredText(hdc, x, g.bottom + 5, szLabel);
                nTick = 4;
            } else {
                ::SelectObject(hdc, hMinorPen);
            }
            if (j % 2 == 0)
                DrawLine(hdc, x, g.top, x, g.bottom + nTick);
        }
    }

    // The disc ends of 68- and 80-minute CDs
    if (m_kind == kTestPageCdRead) {
        SelectedPen pen(hdc, PenWidth(), kGraphDiscEndLine);
        for (long nSector : {kGraphCd68Minutes, kGraphCd80Minutes}) {
            const int x = PositionX(nSector);
            DrawLine(hdc, x, g.top, x, g.bottom);
        }
    }

    // Watermark
    CString strVersion;
    strVersion.LoadString(IDS_VERSION);
    char szWatermark[64];
    std::snprintf(szWatermark, sizeof(szWatermark), "Tavisk V%s", static_cast<const char*>(strVersion));
    ::SetTextAlign(hdc, TA_RIGHT | TA_TOP);
    ::SetTextColor(hdc, kGraphWatermark);
    ::SetBkMode(hdc, TRANSPARENT);
    CenteredText(hdc, g.right - 5, g.bottom - g.labelHeight - 5, szWatermark);

    ::SetTextAlign(hdc, TA_LEFT | TA_TOP);
    ::SelectObject(hdc, hOldBrush);
    ::SelectObject(hdc, hOldPen);
    ::DeleteObject(hMainPen);
    ::DeleteObject(hMinorPen);
}

void CTestGraph::DrawRun(HDC hdc, int nRun)
{
    const GraphLayout& g = layout;
    const uint32_t* pSamples = m_ring.Samples(nRun);
    const bool bDvd = IsDvd();
    SelectedPen pen(hdc, PenWidth(), RunColour(m_kind, nRun));
    bool bHavePrevious = false;
    POINT previous = {0, 0};
    // Segments that follow each other are drawn as one polyline: the same pixels as one line per segment, with
    // far fewer calls on a run of thousands of samples.
    std::vector<POINT>& line = m_polyline;
    std::vector<POINT>& column = m_column;
    line.clear();
    column.clear();
    // Points that fall into one pixel column only paint the span between their lowest and highest y, as long as
    // the curve goes on to another column: such a column keeps its first point, its extremes and its last one,
    // which paints the same pixels with fewer segments. The curve's last column keeps all its points.
    auto emitColumn = [&](bool bFold) {
        if (bFold && column.size() > 4) {
            LONG yMin = column[0].y, yMax = column[0].y;
            for (const POINT& point : column) {
                yMin = std::min(yMin, point.y);
                yMax = std::max(yMax, point.y);
            }
            const LONG x = column[0].x;
            line.push_back(column.front());
            line.push_back(POINT{x, yMin});
            line.push_back(POINT{x, yMax});
            line.push_back(column.back());
        } else {
            line.insert(line.end(), column.begin(), column.end());
        }
        column.clear();
    };
    auto push = [&](POINT point) {
        if (!column.empty() && column.back().x != point.x)
            emitColumn(true);
        column.push_back(point);
    };
    auto flush = [&]() {
        emitColumn(false);
        if (line.size() >= 2)
            ::Polyline(hdc, line.data(), int(line.size()));
        line.clear();
    };
    auto visit = [&](int x, uint32_t nValue) {
        const int y = ValueY(nValue);
        if (bHavePrevious && y >= g.top && (!bDvd || x - g.left < g.width)) {
            if (line.empty() && column.empty())
                push(previous);
            push(POINT{x, y});
        } else {
            flush();
        }
        previous.x = x;
        previous.y = y;
        bHavePrevious = true;
    };

    switch (m_kind) {
    case kTestPageCdRead:
    case kTestPageDvdRead: {
        const int nCount = m_ring.SamplesPerRun();
        const int64_t nDvdSteps = m_nLength / 50;
        for (int i = 0; i < nCount; ++i) {
            const uint32_t nValue = pSamples[i];
            if (nValue == SAMPLE_NONE || nValue == SAMPLE_SKIPPED)
                continue;
            const int x = bDvd ? int(g.left + Div(int64_t(g.width) * i, nDvdSteps))
                               : int(g.left + Div(int64_t(g.width) * 25 * i, int64_t(m_nLength) * 4500));
            visit(x, nValue);
        }
        break;
    }
    case kTestPageCdWrite:
    case kTestPageDvdWrite: {
        const TestRunExtent& extent = m_ring.Extent(nRun);
        if (extent.blocksPerSample == -1)
            return;
        const int nLast = extent.lastSample < m_ring.SamplesPerRun() ? extent.lastSample : m_ring.SamplesPerRun() - 1;
        for (int i = 0; i <= nLast; ++i) {
            const uint32_t nValue = pSamples[i];
            if (nValue == SAMPLE_SKIPPED && bDvd)
                continue;
            if (nValue == SAMPLE_NONE || nValue == SAMPLE_SKIPPED) {
                // Nothing measured here: the curve breaks.
                flush();
                bHavePrevious = false;
                continue;
            }
            int x;
            if (bDvd) {
                x = g.left + int(double(i + 1) * extent.blocksPerSample * double(dvdWriteKBPerBlock) * g.width /
                                 double(m_nLength));
            } else {
                x = int(g.left +
                        Div(int64_t(extent.blocksPerSample) * (i + 1) * g.width * 25, int64_t(m_nLength) * 4500));
            }
            visit(x, nValue);
        }
        break;
    }
    }
    flush();
}

bool CTestGraph::HasMarker() const
{
    switch (m_kind) {
    case kTestPageCdRead:
        return cdStarted != 0;
    case kTestPageCdWrite:
        return plannedEnd > 0;
    case kTestPageDvdRead:
        return dvdCapacity != -1;
    case kTestPageDvdWrite:
        if (plannedEnd == -1)
            return false;
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
        return (cdSampleCount - 1) * cdSpacing + cdLength;
    case kTestPageDvdRead:
        return dvdCapacity;
    default:
        return plannedEnd;
    }
}

void CTestGraph::DrawMarkers(HDC hdc, long nPosition)
{
    const GraphLayout& g = layout;
    switch (m_kind) {
    case kTestPageCdRead:
    case kTestPageCdWrite: {
        SelectedPen pen(hdc, MarkerPenWidth(), kGraphMarker);
        const int x = PositionX(nPosition);
        DrawLine(hdc, x, g.top, x, g.bottom);
        break;
    }
    case kTestPageDvdWrite: {
        if (nPosition == -1)
            return;
        SelectedPen pen(hdc, MarkerPenWidth(), kGraphMarker);
        const int x = int(2.0 * nPosition / double(m_nLength) * g.width + g.left);
        DrawLine(hdc, x, g.top, x, g.bottom);
        break;
    }
    case kTestPageDvdRead: {
        const long nAxisMb = dvdAxisMb > 0 ? dvdAxisMb : m_nLength >> 10;
        {
            SelectedPen pen(hdc, MarkerPenWidth(), kGraphMarker);
            const int x = int(g.left + Div(int64_t(g.width) * dvdDiscEndMb, nAxisMb));
            DrawLine(hdc, x, g.top, x, g.bottom);
        }
        if (dvdDualLayer == 1) {
            SelectedPen pen(hdc, MarkerPenWidth(), kGraphLayerMarker);
            const int x = int(g.left + Div(int64_t(g.width) * dvdLayer0EndMb, nAxisMb));
            DrawLine(hdc, x, g.top, x, g.bottom);
        }
        break;
    }
    }
}

// The 8-point font is sized for the screen even on a printer DC; the grid puts the GUI font over it except when
// printing. The DC's state (text colour and mode, alignment, objects) is as before afterwards.
void CTestGraph::DrawGraph(HDC hdc)
{
    const int nSaved = ::SaveDC(hdc);
    HDC hScreen = ::GetDC(nullptr);
    LOGFONTA lf = {};
    lf.lfHeight = -::MulDiv(8, ::GetDeviceCaps(hScreen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, hScreen);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    HFONT hFont = ::CreateFontIndirectA(&lf);
    HGDIOBJ hOldFont = ::SelectObject(hdc, hFont);

    DrawGrid(hdc);
    for (int r = 0; r < MAX_TEST_RUNS; ++r)
        DrawRun(hdc, r);
    if (HasMarker())
        DrawMarkers(hdc, MarkerPosition());

    ::SelectObject(hdc, hOldFont);
    ::DeleteObject(hFont);
    ::RestoreDC(hdc, nSaved);
}

void CTestGraph::PlotSample(HDC hdc, long nPosition, uint32_t nValue)
{
    if (nValue == SAMPLE_SKIPPED || nValue == SAMPLE_NONE)
        return;
    const int nRun = m_ring.GetCurrentRun();
    SelectedPen pen(hdc, 1, RunColour(m_kind, nRun < 0 ? 0 : nRun));
    const int x = LivePositionX(nPosition);
    const int y = ValueY(nValue);
    const bool bHavePrevious = !(m_previous.x == -1 && m_previous.y == -1);
    if (bHavePrevious && y >= layout.top)
        DrawLine(hdc, m_previous.x, m_previous.y, x, y);
    m_previous.x = x;
    m_previous.y = y;
}
