// src/transfer/TestGraph.h
// The graph of a test page: speed in X over the position on the disc (minutes on the CD pages, gigabytes on the DVD
// pages), with a grid and its labels, the fixed disc-end lines of the CD read page, the watermark, the curves of
// the ten stored runs in their colours and the page's marker lines. One drawing routine serves the screen, the
// printer and the off-screen surface of the picture export; the live plot adds the newest segment of a run.
//
// All positions are device units of the DC drawn on, computed with truncating integer arithmetic in 64 bits, so
// that printer resolutions do not overflow; at screen sizes the results equal the 32-bit forms.
//
// On screen the static part of the graph (strip, frame, grid, labels, fixed lines, watermark) changes only with the
// layout, the axes and the dialog colour: the graph keeps a copy of it with the region of the pixels it covers and
// copies it through that region on each paint; the curves and markers are drawn anew over it. The picture is the
// one the whole drawing gives.
#ifndef TAVISK_TRANSFER_TESTGRAPH_H
#define TAVISK_TRANSFER_TESTGRAPH_H

#include "framework/Gdi.h"
#include "transfer/TestRunRing.h"

#include <windows.h>

#include <memory>
#include <vector>

class CMemoryDC;

// The plot rectangle and the size of the label-size control, relative to the page window's top-left corner.
struct GraphLayout {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width = 0, height = 0;
    int labelWidth = 0, labelHeight = 0;
};

// Colours of the graph (COLORREF).
const COLORREF kGraphMainGrid = 0xB2B2B2;
const COLORREF kGraphMinorGrid = 0xD7D7D7;
const COLORREF kGraphDiscEndLine = 0xA00000; // CD read: the 68- and 80-minute disc ends
const COLORREF kGraphWatermark = 0xA0A0A0;
const COLORREF kGraphMarker = 0x010101;      // told apart from the black frame
const COLORREF kGraphLayerMarker = 0x8000FF; // DVD read: end of layer 0

// The CD read page's fixed lines, in sectors.
const long kGraphCd68Minutes = 306000;
const long kGraphCd80Minutes = 360000;

// Axis maxima the read pages draw with when the stored maximum is 0 or less.
const int kGraphDefaultMaxCd = 56;
const int kGraphDefaultMaxDvd = 16;

class CTestGraph {
public:
    CTestGraph(TestPageKind kind, const TestRunRing& ring);
    ~CTestGraph();
    CTestGraph(const CTestGraph&) = delete;
    CTestGraph& operator=(const CTestGraph&) = delete;

    // The plot rectangle from the page window and its hidden graph-area and label-size controls.
    void ComputeGraphLayout(HWND hPage, int nGraphId, int nLabelId);

    // The axes: the top speed in X and the length (minutes on the CD pages, KB on the DVD pages). A read page
    // with a maximum of 0 or less draws with its default; a length of 0 is taken as the default length.
    void SetAxes(int nMaxSpeed, long nLength);
    int MaxSpeed() const { return m_nMaxSpeed; }
    long Length() const { return m_nLength; }

    // The whole graph on any DC with the current layout and flags.
    void DrawGraph(HDC hdc);
    // The whole graph on the page's client DC (client area cx x cy), the same picture as DrawGraph gives there:
    // the static part from the kept copy, made again when the layout, the axes, the dialog colour, the client size
    // or the screen's depth changed.
    void PaintOnScreen(HDC hdc, int cx, int cy);
    // The static part is made anew on the next paint.
    void DiscardBackground();
    void DrawGrid(HDC hdc);
    // The page's marker lines. CD pages and DVD write: at sector nPosition; DVD read: from the disc state.
    void DrawMarkers(HDC hdc, long nPosition);
    // The live plot: the segment from the previous point to the sample nValue at position nPosition (sectors).
    // SAMPLE_SKIPPED and SAMPLE_NONE draw nothing and keep the previous point.
    void PlotSample(HDC hdc, long nPosition, uint32_t nValue);
    // Forgets the live plot's previous point (the start of a run).
    void ResetPlot() { m_previous.x = m_previous.y = -1; }
    // The live plot's previous point; (-1, -1) when there is none.
    POINT PreviousPoint() const { return m_previous; }

    // Scales of the graph.
    int ValueY(uint32_t nValue) const;
    int PositionX(long nSectors) const;     // CD pages: sectors over minutes x 4500; DVD pages: KB scale
    int LivePositionX(long nSectors) const; // the live plot's form

    GraphLayout m_layout;
    BYTE m_bPrinting = 0;  // set only while the graph is drawn for the printer
    BYTE m_bExporting = 0; // set only while the graph is drawn into the picture export's surface

    // CD read page: the marker at the end of the tested area once a test has started there.
    BYTE m_bCdStarted = 0;
    long m_nCdSampleCount = 0;
    long m_nCdSpacing = 9000;
    long m_nCdLength = 2250;
    // Write pages: the planned end of the area a run writes (-1: none).
    long m_nPlannedEnd = -1;
    // A run is being made on the page, from its start to its last progress message: the DVD write page shows its
    // planned end from the start, before the run has stored a measured sample.
    BYTE m_bRunInProgress = 0;
    // DVD read page: the disc as the last disc check saw it.
    long m_nDvdCapacity = -1; // sectors; -1 before the first check
    long m_nDvdDiscEndMb = 0;
    long m_nDvdLayer0EndMb = 0;
    BYTE m_bDvdDualLayer = 0;
    long m_nDvdAxisMb = 5120;
    // DVD write page: kilobytes a write command moves (50; 64 on DVD-RAM).
    long m_nDvdWriteKBPerBlock = 50;

private:
    // What the kept static part was drawn with.
    struct BackgroundKey {
        GraphLayout layout;
        int nMaxSpeed = 0;
        long nLength = 0;
        COLORREF face = 0;
        int cx = 0, cy = 0;
        int nBitsPerPixel = 0;
        bool operator==(const BackgroundKey& other) const;
    };

    class GridPens;
    class RunCurve;

    int PenWidth() const { return m_bPrinting ? 5 : 1; }
    // The static part alone, on a DC of its own (the kept copy, the coverage probes).
    void DrawStaticPart(HDC hdc);
    bool PrepareBackground(HDC hdc, int cx, int cy);
    HRGN CoverageRegion(HDC hdc, CDC& target, int cx, int cy);
    // The steps of the grid.
    void DrawLabelStrip(HDC hdc);
    void DrawSpeedAxis(HDC hdc, GridPens& pens);
    void DrawPositionAxis(HDC hdc, GridPens& pens);
    void DrawDiscEnds(HDC hdc);
    void DrawWatermark(HDC hdc);
    // The ten runs' curves and the page's markers over the static part.
    void DrawRunsAndMarkers(HDC hdc);
    HPEN RunPen(int nRun);
    int MarkerPenWidth() const;
    void DrawRun(HDC hdc, int nRun);
    void TraceReadRun(RunCurve& curve, int nRun) const;
    void TraceWriteRun(RunCurve& curve, int nRun) const;
    void DrawLine(HDC hdc, int x0, int y0, int x1, int y1);
    bool HasMarker() const;
    long MarkerPosition() const;
    bool IsDvd() const { return m_kind == kTestPageDvdRead || m_kind == kTestPageDvdWrite; }

    TestPageKind m_kind;
    const TestRunRing& m_ring;
    int m_nMaxSpeed;
    long m_nLength;
    POINT m_previous = {-1, -1};
    std::vector<POINT> m_polyline; // kept between paints: no allocation once they have grown
    std::vector<POINT> m_column;

    // The screen's static part, the region of its pixels, and what it was drawn with.
    std::unique_ptr<CMemoryDC> m_pBackground;
    CRegionOwner m_coverage;
    BackgroundKey m_backgroundKey;
    // The ten runs' 1-wide pens, made on first use.
    CPen m_runPens[MAX_TEST_RUNS];
};

#endif
