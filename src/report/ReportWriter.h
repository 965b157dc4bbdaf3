// src/report/ReportWriter.h
// CReportWriter: the one output target of the written report. It is opened for a ReportMode (the printer chosen in
// the print dialog, a text file, the enciphered support file or nothing), takes the report line by line, puts a
// page header in front of the output, lays out the printed pages and ends the output when it is destroyed.
#ifndef TAVISK_REPORT_REPORTWRITER_H
#define TAVISK_REPORT_REPORTWRITER_H

#include "framework/Gdi.h"
#include "framework/StreamOwner.h"
#include "framework/String.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>

// ReportMode: the writer's target.
using ReportMode = int;
const ReportMode kReportModePrinter = 10;     // the printer chosen in the print dialog
const ReportMode kReportModeTextFile = 11;    // a text file (CR LF line ends)
const ReportMode kReportModeNoTarget = 12;    // opening succeeds, every write does nothing
const ReportMode kReportModeSupportFile = 13; // the enciphered support file (".kvs")
// A writer that was never opened has mode 0.

// Texts of the writer that the report's readers rely on.
extern const char kReportErrorCreatingFile[]; // "Error creating file."
extern const char kReportNoticeLine[];        // third line of the page header
extern const char kReportWebAddress[];        // the web address in the support form

// What the printed report is drawn on. The writer lays out the page in device units and hands every drawing step
// to this interface; the program draws on the printer's DC (CGdiReportSurface), tests record the steps.
class CReportPrintSurface {
public:
    virtual ~CReportPrintSurface() = default;

    // Page size in device units (HORZRES, VERTRES).
    virtual SIZE GetPageSize() = 0;
    // Chooses the report's font so that at least `columns` characters fit into `width` device units.
    virtual void ChooseFont(int width, int columns) = 0;
    // StartDoc with the document name; false when the spooler refuses the job.
    virtual bool StartDoc(LPCTSTR docName) = 0;
    // StartPage, then a solid rule pen of the given width, the report font and top-aligned text for the page.
    virtual void StartPage(int penWidth) = 0;
    virtual void EndPage() = 0;
    virtual void EndDoc() = 0;
    virtual SIZE GetTextExtent(LPCTSTR text, int length) = 0;
    // Text with its top-left corner at (x, y), unchanged: no tab expansion, no wrapping, no clipping.
    virtual void TextOut(int x, int y, LPCTSTR text, int length) = 0;
    // A rule drawn with the page's pen.
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
};

// The surface of a real printer: GDI on the writer's printer DC.
class CGdiReportSurface : public CReportPrintSurface {
public:
    explicit CGdiReportSurface(CDC* pDC);
    ~CGdiReportSurface() override;

    SIZE GetPageSize() override;
    void ChooseFont(int width, int columns) override;
    bool StartDoc(LPCTSTR docName) override;
    void StartPage(int penWidth) override;
    void EndPage() override;
    void EndDoc() override;
    SIZE GetTextExtent(LPCTSTR text, int length) override;
    void TextOut(int x, int y, LPCTSTR text, int length) override;
    void Line(int x1, int y1, int x2, int y2) override;

private:
    void SelectPageObjects();

    CDC* m_pDC;
    CFontOwner m_font;
    CPenOwner m_pen;
    // The DC's own font and pen come back when the surface goes, before the report's are deleted.
    CSelectObjectGuard m_fontSelection;
    CSelectObjectGuard m_penSelection;
};

// Seam for tests: the table that makes the surface for a printer DC; the default (and a null entry) gives
// CGdiReportSurface. The writer owns and deletes what pfnCreateSurface returns.
struct ReportSurfaceHooks {
    CReportPrintSurface* (*pfnCreateSurface)(CDC* pDC);
};
// Installs a table (kept by pointer); null restores the default. Returns the table that was in use.
const ReportSurfaceHooks* SetReportSurfaceHooks(const ReportSurfaceHooks* pHooks);

class CReportWriter {
public:
    CReportWriter();
    ~CReportWriter();
    CReportWriter(const CReportWriter&) = delete;
    CReportWriter& operator=(const CReportWriter&) = delete;

    // Opens the target; 1 on success, 0 on cancel or failure (the caller then writes nothing).
    int Open(ReportMode mode, CString title, CString fileName, bool ask);
    void WriteLine(CString line);
    // An underline as long as the text; the caller has written the text itself just before.
    void WriteHeading(CString text);
    // Printer: ends the page and starts the next with its header. Other modes: nothing.
    void NewPage();
    ReportMode GetMode() const { return m_nMode; }
    CString GetFileName() const { return m_strFileName; }
    // The form that ends the paper report.
    void WriteSupportForm();
    // A short software section (Windows text and ASPI layer).
    void WriteSoftwareInfo();
    // Ends the output: the last page and the print job, or the file (which then replaces any earlier file).
    void Close();

    // Members kept for completeness; the report does not use them.
    int AlwaysTrue() const { return 1; }
    void WriteRaw(const void* pBuffer, size_t nCount);
    HDC HasPrinterDC() const { return m_hPrinterDC; }
    CDC* GetDC() { return m_pPrinterDC.get(); }
    void DoNothing() {}

    // The support-file step of WriteLine: pads the line to whole 16-byte blocks and enciphers them. Hands back a new
    // buffer (free with delete[]) and its length; advances the block counter by the number of blocks.
    void WriteEncipheredLine(CString line, BYTE** ppBuffer, int* pnLength);

    // Layout state, readable for tests.
    int GetLineIndex() const { return m_nLine; }
    int GetLinesPerPage() const { return m_nLinesPerPage; }
    int GetLineHeight() const { return m_nLineHeight; }
    int GetTopMargin() const { return m_nTopMargin; }
    int GetLeftMargin() const { return m_nLeftMargin; }
    int32_t GetBlockCounter() const { return m_nBlockCounter; }

private:
    int SetupPrinter();
    int StartPrinting();
    int OpenFile(CString fileName, bool ask);
    void WritePageHeader();
    void PrintLine(const CString& line);
    void WriteTextLine(const CString& line);
    void ReportFileError();
    void DiscardFile();
    int SlotTop(int line) const { return m_nTopMargin + line * m_nLineHeight; }

    ReportMode m_nMode;
    CString m_strTitle;
    CString m_strFileName; // the path chosen in the Save-As dialog; empty when no dialog was shown
    CStreamOwner m_pFile;
    HDC m_hPrinterDC;
    std::unique_ptr<CDC> m_pPrinterDC; // owns the printer DC from the print dialog while printing
    int m_nLine;
    int m_nTopMargin;
    int m_nLeftMargin;
    int m_nLineHeight;
    int m_nLinesPerPage;
    RECT m_rcPage;
    int32_t m_nBlockCounter;

    std::unique_ptr<CReportPrintSurface> m_pSurface;
    CString m_strTargetPath; // the file the output is meant for
    CString m_strTempPath;   // the file being written beside it, renamed over it by Close
    bool m_bPageOpen;
    int m_nUncaughtExceptions; // exceptions in flight when the writer was made (the destructor compares)
};

#endif
