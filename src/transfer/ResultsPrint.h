// src/transfer/ResultsPrint.h
// The print-out of a test page: page 1 with the header and the graph at paper size, page 2 with a colour bar and
// the result texts of every stored run, then the user's note cut into lines of at most 70 characters; a page that
// fills up (line 50) continues on a new page that starts with the header again.
#ifndef TAVISK_TRANSFER_RESULTSPRINT_H
#define TAVISK_TRANSFER_RESULTSPRINT_H

#include "framework/String.h"
#include "transfer/TestRunRing.h"

#include <vector>

const int kNoteLineChars = 70;

// Cuts the note into printed lines: each paragraph (CR, LF or CR LF ends one) into pieces of at most 70
// characters, broken at the last blank within them when there is one.
std::vector<CString> CutNoteLines(const CString& strNote);

// The calls the print-out makes outside the page: the long date for each header, and opening the job (a recording
// surface, which takes no job, stands in for a printer in tests). The real calls: today's long date and StartDoc
// on the DC.
struct ResultsPrintHooks {
    CString (*pfnLongDate)();
    bool (*pfnStartDoc)(HDC hdc, const DOCINFOA& doc);
};

// Installs a hook table (kept by pointer); null restores the real calls, as does a null entry. Returns the table
// that was in use.
const ResultsPrintHooks* SetResultsPrintHooks(const ResultsPrintHooks* pHooks);

// Today's long date in the user's format, through the seam.
CString ResultsLongDate();

// Draws the graph into the rectangle (left, top, width, height) of the printer DC, labels labelHeight high;
// pfnDraw gets the drawer's context. No function: no graph.
struct ResultsGraphDrawer {
    void* context;
    void (*pfnDraw)(void* context, HDC hdc, int left, int top, int width, int height, int labelWidth,
                    int labelHeight);
};

struct ResultsPrintInput {
    TestPageKind kind = kTestPageCdRead;
    CString version; // "1.25"
    ResultsGraphDrawer graph = {nullptr, nullptr};
};

// Prints the whole job on the printer DC (StartDoc to EndDoc); the DC stays the caller's. False when the printer
// refuses the job at StartDoc: then nothing is drawn.
bool PrintResults(HDC hdc, const ResultsPrintInput& input, const TestRunRing& ring, const CString& strNote);

#endif
