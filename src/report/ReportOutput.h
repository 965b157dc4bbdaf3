// src/report/ReportOutput.h
// The report's three outputs built from the report sections of the main dialog: the report list, the text file or
// paper, and the enciphered support file; with the Save and Print commands that produce the files and the paper.
#ifndef TAVISK_REPORT_REPORTOUTPUT_H
#define TAVISK_REPORT_REPORTOUTPUT_H

#include "framework/Array.h"
#include "framework/String.h"

#include <windows.h>

class CReportWriter;

// Number of host-adapter blocks the report has.
const int kMaxAdapterBlocks = 20;

// The sections as the builders left them. The outputs only read them.
struct ReportSections {
    const CStringArray* pSoftware = nullptr;  // line 0: the operating-system text
    const CStringArray* pSystem = nullptr;    // processors and memory
    const CStringArray* pAdapters = nullptr;  // kMaxAdapterBlocks blocks, one per host adapter
    int nAdapterCount = 0;                    // host adapters of the drive manager; blocks beyond 20 are not read
    const CStringArray* pCapture = nullptr;   // video capture devices
    const CStringArray* pStratafit = nullptr; // Stratafit database, every table row in tab and column form
    bool bListUsbTree = true;                 // the list shows the USB tree (false on Windows NT 3.51 and 4.0)
    HKEY hMachineRoot = HKEY_LOCAL_MACHINE;   // where the USB tree and the sibling product's dumps read the registry
};

// Texts of the support-contact block at the end of the list.
extern const char kSupportCompany[];
extern const char kSupportTelephone[];
extern const char kSupportFax[];
extern const char kSupportEmail[];

// Appends the report to the list box (LB_ADDSTRING); does not empty it first.
void EmitReportList(const ReportSections& sections, HWND hListBox);

// The full report to a writer opened for the printer or a text file; nothing when pWriter is null.
void EmitReport(CReportWriter* pWriter, const ReportSections& sections);

// The report without its software section to a writer opened for the support file; nothing when pWriter is null.
void EmitSupportFile(CReportWriter* pWriter, const ReportSections& sections);

// The support file's name beside the chosen text file: the file name's extension replaced by ".kvs", or ".kvs"
// appended when the file name has none or already ends in ".kvs". Never the text file's own name.
CString MakeSupportFileName(const CString& textFilePath);

// Save: the Save-As dialog proposing "SYSInfo.txt", the text file, then the support file beside it.
void SaveReportFiles(const ReportSections& sections);

// Print: the print dialog, the report with a header on every page, the support form at the end.
void PrintReport(const ReportSections& sections);

#endif
