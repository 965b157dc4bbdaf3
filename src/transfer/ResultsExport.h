// src/transfer/ResultsExport.h
// Saving a test page's results: the file name asked in a Save-As dialog, the graph as a BMP or PNG picture and an
// HTML page beside it that shows the picture and the result texts of every stored run.
#ifndef TAVISK_TRANSFER_RESULTSEXPORT_H
#define TAVISK_TRANSFER_RESULTSEXPORT_H

#include "framework/String.h"
#include "transfer/TestRunRing.h"

// The Save-As dialog "Save image file as", starting in the current folder, BMP or PNG. On success: the folder
// (with its trailing backslash), the file name with its extension, and at most three characters of the extension
// (empty when the name has none). False when the user cancelled; the outputs are then untouched.
bool AskImageFileName(CString& rFolder, CString& rFileName, CString& rExtension);

// The HTML page's name for a picture name: the name without its last four characters, then ".html".
CString HtmlNameForPicture(const CString& strPictureName);

// Texts with the characters that mean markup in HTML written as entities.
CString HtmlEscape(const CString& strText);
// The same, except that the line breaks the program puts into a text ("<BR>", as in the DVD write page's disc
// text between the disc and its maker) stay markup.
CString HtmlEscapeKeepingBreaks(const CString& strText);

// Where the DVD write page's speeds come from at export time.
struct ResultsSpeedSource {
    void* context;
    void (*pfnDvdWriteSpeeds)(void* context, CString& rDiscSpeeds, CString& rDriveSpeeds);
};

// What the page's HTML needs besides the stored runs.
struct ResultsHtmlInput {
    TestPageKind kind = kTestPageCdRead;
    CString version;     // "1.25"
    CString date;        // the long date of the export
    CString pictureName; // the image reference, as chosen
    // DVD write page only: the inserted medium's rated speed and the drive's write speeds, asked for each run
    // block at export time; pfnDvdWriteSpeeds gets the source's context. No function: both stay empty.
    ResultsSpeedSource speeds = {nullptr, nullptr};
};

// The whole page, lines ending in CR LF.
CString BuildResultsHtml(const ResultsHtmlInput& input, const TestRunRing& ring);

#endif
