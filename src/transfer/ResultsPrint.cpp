// src/transfer/ResultsPrint.cpp
#include "transfer/ResultsPrint.h"

#include "framework/Gdi.h"

namespace {

const ResultsPrintHooks* volatile g_pHooks = nullptr;

const int kLinesPerPage = 50; // a line at this position or later goes to the next page
const int kFirstLineAfterHeader = 3;

void CutParagraph(CString paragraph, std::vector<CString>& lines)
{
    while (paragraph.GetLength() > kNoteLineChars) {
        CString head = paragraph.Left(kNoteLineChars);
        int nBlank = head.ReverseFind(' ');
        if (nBlank >= 0) {
            lines.push_back(head.Left(nBlank));
            paragraph = paragraph.Mid(nBlank + 1);
        } else {
            lines.push_back(head);
            paragraph = paragraph.Mid(kNoteLineChars);
        }
    }
    lines.push_back(paragraph);
}

class CPrintJob {
public:
    // A printer's own default font can be so large that a 70-character note line or a result text runs off the
    // paper: the texts use a 9-point font at the printer's resolution. The font the DC had comes back at the end.
    CPrintJob(HDC hdc, const ResultsPrintInput& input)
        : m_hdc(hdc), m_input(input), m_nWidth(::GetDeviceCaps(hdc, HORZRES)), m_nHeight(::GetDeviceCaps(hdc, VERTRES)),
          m_font(::CreateFontA(-::MulDiv(9, ::GetDeviceCaps(hdc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                               ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_SWISS, "Arial")),
          m_fontSelection(hdc, nullptr)
    {
    }

    int LineY(int n) const { return m_nHeight / 20 + n * (m_nHeight / 60); }
    int TextX() const { return m_nWidth / 15; }

    void Text(int x, int y, const CString& text) const { ::TextOutA(m_hdc, x, y, text, text.GetLength()); }
    void TextRight(int right, int y, const CString& text) const
    {
        SIZE size = {};
        ::GetTextExtentPoint32A(m_hdc, text, text.GetLength(), &size);
        Text(right - size.cx, y, text);
    }

    // Black text on the paper whatever the graph left selected.
    void PlainText() const
    {
        ::SetTextColor(m_hdc, RGB(0, 0, 0));
        ::SetBkMode(m_hdc, TRANSPARENT);
        ::SetTextAlign(m_hdc, TA_LEFT | TA_TOP);
        m_fontSelection.Select(m_font.get());
    }

    void Header() const
    {
        const int W = m_nWidth, H = m_nHeight;
        PlainText();
        CSelectedPen pen(m_hdc, ::CreatePen(PS_SOLID, H / 1000, RGB(1, 1, 1)));
        ::MoveToEx(m_hdc, W / 20, H / 20 - H / 100, nullptr);
        ::LineTo(m_hdc, W - W / 20, H / 20 - H / 100);
        Text(W / 20, H / 20, "Tavisk V" + m_input.version);
        TextRight(W - W / 20, H / 20, TestTitle());
        TextRight(W - W / 20, H / 20 + H / 50, ResultsLongDate());
        ::MoveToEx(m_hdc, W / 20, H / 20 + H / 25, nullptr);
        ::LineTo(m_hdc, W - W / 20, H / 20 + H / 25);
    }

    const char* TestTitle() const
    {
        return m_input.kind == kTestPageCdWrite || m_input.kind == kTestPageDvdWrite ? "Write Transfer Rate Test"
                                                                                     : "Read Transfer Rate Test";
    }

    void Graph() const
    {
        const ResultsGraphDrawer& graph = m_input.graph;
        if (graph.pfnDraw == nullptr)
            return;
        const int W = m_nWidth, H = m_nHeight;
        const int nSaved = ::SaveDC(m_hdc);
        graph.pfnDraw(graph.context, m_hdc, W / 8, H / 8, (W * 8) / 10, H / 3, 2 * (W / 25), H / 50);
        ::RestoreDC(m_hdc, nSaved);
    }

    // A new page with the header when line n would not fit.
    void BreakIfFull(int& n) const
    {
        if (n < kLinesPerPage)
            return;
        ::EndPage(m_hdc);
        ::StartPage(m_hdc);
        Header();
        n = kFirstLineAfterHeader;
    }

    HDC m_hdc;
    const ResultsPrintInput& m_input;
    int m_nWidth;
    int m_nHeight;
    CFontOwner m_font;
    mutable CSelectObjectGuard m_fontSelection; // the DC's own font comes back when the job ends
};

// The colour bar of run r beside its k texts from line n on.
void DrawRunBar(const CPrintJob& job, HDC hdc, TestPageKind kind, int r, int n, int k)
{
    const int W = job.m_nWidth, H = job.m_nHeight;
    CSelectedPen pen(hdc, ::CreatePen(PS_SOLID, H / 200, RunColour(kind, r)));
    ::MoveToEx(hdc, W / 20, job.LineY(n), nullptr);
    ::LineTo(hdc, W / 20, job.LineY(n) + k * (H / 60));
}

CString RealLongDate()
{
    SYSTEMTIME now = {};
    ::GetSystemTime(&now);
    char szDate[100] = {};
    ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &now, nullptr, szDate, sizeof szDate);
    return CString(szDate);
}

bool StartJob(HDC hdc, const DOCINFOA& doc)
{
    const ResultsPrintHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnStartDoc != nullptr)
        return pHooks->pfnStartDoc(hdc, doc);
    return ::StartDocA(hdc, &doc) > 0;
}

// The text that tells whether a run is printed.
int DecidingText(TestPageKind kind)
{
    switch (kind) {
    case kTestPageCdWrite:
        return 4;
    case kTestPageDvdWrite:
        return 1;
    default:
        return 0;
    }
}

} // namespace

const ResultsPrintHooks* SetResultsPrintHooks(const ResultsPrintHooks* pHooks)
{
    const ResultsPrintHooks* pPrevious = g_pHooks;
    g_pHooks = pHooks;
    return pPrevious;
}

CString ResultsLongDate()
{
    const ResultsPrintHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnLongDate != nullptr)
        return pHooks->pfnLongDate();
    return RealLongDate();
}

std::vector<CString> CutNoteLines(const CString& strNote)
{
    std::vector<CString> lines;
    CString rest = strNote;
    for (;;) {
        int nBreak = -1;
        for (int i = 0; i < rest.GetLength(); ++i) {
            if (rest[i] == '\r' || rest[i] == '\n') {
                nBreak = i;
                break;
            }
        }
        if (nBreak < 0)
            break;
        CutParagraph(rest.Left(nBreak), lines);
        int nNext = nBreak + 1;
        if (nNext < rest.GetLength() && rest[nNext] == '\n' && rest[nBreak] == '\r')
            ++nNext;
        rest = rest.Mid(nNext);
    }
    if (!rest.IsEmpty())
        CutParagraph(rest, lines);
    return lines;
}

bool PrintResults(HDC hdc, const ResultsPrintInput& input, const TestRunRing& ring, const CString& strNote)
{
    CPrintJob job(hdc, input);
    ::SetMapMode(hdc, MM_TEXT);
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = input.version;
    if (!StartJob(hdc, doc))
        return false;
    ::StartPage(hdc);
    job.Header();
    job.Graph();
    ::EndPage(hdc);
    ::StartPage(hdc);
    job.PlainText();

    int n = input.kind == kTestPageDvdWrite ? 1 : 0;
    const int k = ring.TextCount();
    for (int r = 0; r < MAX_TEST_RUNS; ++r) {
        if (ring.Text(r, DecidingText(input.kind))[0] == '\0')
            continue;
        // A block that would cross the page's last line starts on the next page.
        if (n + k > kLinesPerPage) {
            n = kLinesPerPage;
            job.BreakIfFull(n);
        }
        DrawRunBar(job, hdc, input.kind, r, n, k);
        for (int t = 0; t < k; ++t, ++n)
            job.Text(job.TextX(), job.LineY(n), CString(ring.Text(r, t)));
        ++n;
    }
    for (const CString& line : CutNoteLines(strNote)) {
        job.BreakIfFull(n);
        job.Text(job.TextX(), job.LineY(n), line);
        ++n;
    }
    ::EndPage(hdc);
    ::EndDoc(hdc);
    return true;
}
