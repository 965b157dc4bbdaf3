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

} // namespace

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
    std::unique_ptr<SelectedPen> pOwnPen;
    HGDIOBJ hPreviousPen = nullptr;
    if (PenWidth() == 1)
        hPreviousPen = ::SelectObject(hdc, RunPen(nRun));
    else
        pOwnPen.reset(new SelectedPen(hdc, PenWidth(), RunColour(m_kind, nRun)));
    // The value scale: bottom - (height x value) / (maximum x 100), in 32 bits for the values where it fits.
    const LinearScale valueScale(0, g.height, int64_t(m_nMaxSpeed) * 100,
                                 g.height > 0 ? int64_t(0xFFFFFFFF) / g.height : 0);
    const uint32_t nFastValues = g.height > 0 ? uint32_t(0xFFFFFFFFu / uint32_t(g.height)) : 0;
    auto valueY = [&](uint32_t nValue) {
        return nValue <= nFastValues ? int(g.bottom - int64_t(valueScale(nValue))) : ValueY(nValue);
    };
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
        if (bFold && column.size() > 2) {
            LONG yMin = column[0].y, yMax = column[0].y;
            for (const POINT& point : column) {
                yMin = std::min(yMin, point.y);
                yMax = std::max(yMax, point.y);
            }
            // The extremes in the order that ends nearer the last point; a point equal to the one before adds
            // nothing (the curve goes on from it).
            const LONG x = column[0].x;
            const bool bDownLast = column.back().y == yMin;
            const POINT points[4] = {column.front(), POINT{x, bDownLast ? yMax : yMin},
                                     POINT{x, bDownLast ? yMin : yMax}, column.back()};
            line.push_back(points[0]);
            for (int k = 1; k < 4; ++k)
                if (points[k].y != line.back().y)
                    line.push_back(points[k]);
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
        const int y = valueY(nValue);
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
        // DVD: left + (width x i) / (length / 50); CD: left + (width x 25 x i) / (minutes x 4500).
        const LinearScale positionScale(g.left, bDvd ? int64_t(g.width) : int64_t(g.width) * 25,
                                        bDvd ? int64_t(m_nLength / 50) : int64_t(m_nLength) * 4500, nCount - 1);
        for (int i = NextEntry(pSamples, 0, nCount); i < nCount; i = NextEntry(pSamples, i + 1, nCount)) {
            const uint32_t nValue = pSamples[i];
            if (nValue == SAMPLE_SKIPPED)
                continue;
            visit(positionScale(i), nValue);
        }
        break;
    }
    case kTestPageCdWrite:
    case kTestPageDvdWrite: {
        const TestRunExtent& extent = m_ring.Extent(nRun);
        if (extent.blocksPerSample == -1)
            break;
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
    if (hPreviousPen != nullptr)
        ::SelectObject(hdc, hPreviousPen);
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
        return cdStarted != 0;
    case kTestPageCdWrite:
        return plannedEnd > 0;
    case kTestPageDvdRead:
        return dvdCapacity != -1;
    case kTestPageDvdWrite:
        if (plannedEnd == -1)
            return false;
        if (runInProgress)
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
void CTestGraph::BeginDrawing(HDC hdc)
{
    m_nSavedDC = ::SaveDC(hdc);
    HDC hScreen = ::GetDC(nullptr);
    LOGFONTA lf = {};
    lf.lfHeight = -::MulDiv(8, ::GetDeviceCaps(hScreen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, hScreen);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    m_font.CreateFontIndirect(&lf);
    ::SelectObject(hdc, m_font.m_hObject);
}

void CTestGraph::EndDrawing(HDC hdc)
{
    ::RestoreDC(hdc, m_nSavedDC);
    m_font.DeleteObject();
}

void CTestGraph::DrawGraph(HDC hdc)
{
    BeginDrawing(hdc);
    DrawGrid(hdc);
    for (int r = 0; r < MAX_TEST_RUNS; ++r)
        DrawRun(hdc, r);
    if (HasMarker())
        DrawMarkers(hdc, MarkerPosition());
    EndDrawing(hdc);
}

void CTestGraph::DiscardBackground()
{
    m_pBackground.reset();
    m_coverage.DeleteObject();
}

// The static part is drawn three times: for the screen into a surface of its own format, and twice into 32-bit
// surfaces, one filled black and one white before. The pixels the drawing covers are the same in both; the others
// keep the two fills. Those two surfaces give the region through which the copy is shown.
bool CTestGraph::PrepareBackground(HDC hdc, int cx, int cy)
{
    BackgroundKey key;
    key.layout = layout;
    key.nMaxSpeed = m_nMaxSpeed;
    key.nLength = m_nLength;
    key.face = ::GetSysColor(COLOR_BTNFACE);
    key.cx = cx;
    key.cy = cy;
    key.nBitsPerPixel = ::GetDeviceCaps(hdc, BITSPIXEL) * ::GetDeviceCaps(hdc, PLANES);
    if (m_pBackground && m_coverage.m_hObject != nullptr && key == m_backgroundKey)
        return true;
    DiscardBackground();
    if (cx <= 0 || cy <= 0)
        return false;

    CBorrowedDC target(hdc);
    std::unique_ptr<CMemoryDC> pBackground(new CMemoryDC(cx, cy, &target, RGB(0, 0, 0)));
    if (pBackground->m_hDC == nullptr)
        return false;
    BeginDrawing(pBackground->m_hDC);
    DrawGrid(pBackground->m_hDC);
    EndDrawing(pBackground->m_hDC);

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    const uint32_t* pBits[2] = {nullptr, nullptr};
    CBitmap probes[2];
    CDC probeDCs[2];
    HGDIOBJ hPrevious[2] = {nullptr, nullptr};
    bool bOk = true;
    for (int k = 0; k < 2 && bOk; ++k) {
        void* pvBits = nullptr;
        bOk = probes[k].Attach(::CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &pvBits, nullptr, 0)) &&
              probeDCs[k].CreateCompatibleDC(&target);
        if (!bOk)
            break;
        pBits[k] = static_cast<const uint32_t*>(pvBits);
        hPrevious[k] = probeDCs[k].SelectObject(probes[k].m_hObject);
        const RECT rc = {0, 0, cx, cy};
        probeDCs[k].FillSolidRect(&rc, k == 0 ? RGB(0, 0, 0) : RGB(255, 255, 255));
        BeginDrawing(probeDCs[k].m_hDC);
        DrawGrid(probeDCs[k].m_hDC);
        EndDrawing(probeDCs[k].m_hDC);
    }
    ::GdiFlush();
    HRGN hCoverage = nullptr;
    if (bOk) {
        // One rectangle per run of covered pixels in a row.
        std::vector<RECT> rects;
        for (int y = 0; y < cy; ++y) {
            const uint32_t* a = pBits[0] + size_t(y) * size_t(cx);
            const uint32_t* b = pBits[1] + size_t(y) * size_t(cx);
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
        hCoverage = ::ExtCreateRegion(nullptr, DWORD(data.size()), pData);
    }
    for (int k = 0; k < 2; ++k)
        if (hPrevious[k] != nullptr)
            probeDCs[k].SelectObject(hPrevious[k]);
    if (hCoverage == nullptr)
        return false;
    m_coverage.Attach(hCoverage);
    m_pBackground = std::move(pBackground);
    m_backgroundKey = key;
    return true;
}

// As DrawGraph on the same DC: the static part through its region, then the curves and markers unclipped.
void CTestGraph::PaintOnScreen(HDC hdc, int cx, int cy)
{
    if (printing != 0 || exporting != 0 || !PrepareBackground(hdc, cx, cy)) {
        DrawGraph(hdc);
        return;
    }
    const int nSaved = ::SaveDC(hdc);
    ::SelectClipRgn(hdc, static_cast<HRGN>(m_coverage.m_hObject));
    ::BitBlt(hdc, 0, 0, cx, cy, m_pBackground->m_hDC, 0, 0, SRCCOPY);
    ::SelectClipRgn(hdc, nullptr);
    for (int r = 0; r < MAX_TEST_RUNS; ++r)
        DrawRun(hdc, r);
    if (HasMarker())
        DrawMarkers(hdc, MarkerPosition());
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
