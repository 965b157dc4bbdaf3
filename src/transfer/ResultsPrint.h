// src/transfer/ResultsPrint.h
// The print-out of a test page: page 1 with the header and the graph at paper size, page 2 with a colour bar and
// the result texts of every stored run, then the user's note cut into lines of at most 70 characters; a page that
// fills up (line 50) continues on a new page that starts with the header again.
#ifndef TAVISK_TRANSFER_RESULTSPRINT_H
#define TAVISK_TRANSFER_RESULTSPRINT_H

#include "framework/String.h"
#include "transfer/TestRunRing.h"

#include <functional>
#include <vector>

const int kNoteLineChars = 70;

// Cuts the note into printed lines: each paragraph (CR, LF or CR LF ends one) into pieces of at most 70
// characters, broken at the last blank within them when there is one.
std::vector<CString> CutNoteLines(const CString& strNote);

struct ResultsPrintInput {
    TestPageKind kind = kTestPageCdRead;
    CString version;               // "1.25"
    std::function<CString()> date; // the long date, asked for each header
    // Draws the graph into the rectangle (left, top, width, height) of the printer DC, labels labelHeight high.
    std::function<void(HDC hdc, int left, int top, int width, int height, int labelWidth, int labelHeight)> drawGraph;
    // Opens the job; empty: StartDoc on the DC. (A recording surface, which takes no job, stands in for a printer.)
    std::function<bool(HDC hdc, const DOCINFOA& doc)> startDoc;
};

// Prints the whole job on the printer DC (StartDoc to EndDoc); the DC stays the caller's. False when the printer
// refuses the job at StartDoc: then nothing is drawn.
bool PrintResults(HDC hdc, const ResultsPrintInput& input, const TestRunRing& ring, const CString& strNote);

#endif
