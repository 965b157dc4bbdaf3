// src/report/ReportWriter.cpp
#include "report/ReportWriter.h"

#include "drive/DriveManager.h"
#include "framework/Clock.h"
#include "framework/CommonDialogs.h"
#include "framework/Exceptions.h"
#include "framework/File.h"
#include "framework/FileReplace.h"
#include "framework/MessageBox.h"
#include "report/SupportFileEncoder.h"
#include "resource.h"

#include <commdlg.h>

#include <cstring>
#include <exception>
#include <memory>
#include <new>

const char kReportErrorCreatingFile[] = "Error creating file.";
const char kReportNoticeLine[] = "System report for technical support";
const char kReportWebAddress[] = "http://www.velloran-studio.example/support";

namespace {

const int kHeaderRuleLength = 55;
const int kPrinterColumns = 80; // the printer font is chosen so that at least this many characters fit
const int kMinLinesPerPage = 6; // header (4 slots), the empty slot of a continuation page and one line
const int kDateBufferSize = 100;

// The 32-bit layouts the program was written against (x86-64 test builds have their own).
static_assert(sizeof(void*) != 4 || (sizeof(PRINTDLGA) == 66), "PRINTDLG record of 66 bytes");
static_assert(sizeof(void*) != 4 || (sizeof(DOCINFOA) == 20), "DOCINFO record of 20 bytes");

const ReportSurfaceHooks* g_pSurfaceHooks = nullptr;

// "Tavisk V1.25": the program name (string 162) and the version (string 102).
CString ProgramNameAndVersion()
{
    CString version;
    version.LoadString(IDS_VERSION);
    return CDriveManager::LoadProgramName() + " V" + version;
}

// The current date of the system clock (UTC), long form of the user's locale.
CString ReportDateText()
{
    SYSTEMTIME now;
    ClockGetSystemTime(&now);
    char buffer[kDateBufferSize] = "";
    if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &now, nullptr, buffer, kDateBufferSize) == 0)
        buffer[0] = '\0';
    return CString(buffer);
}

// True when an existing file at `path` could not be replaced (read-only, locked, a folder). A missing file is fine.
bool ExistingFileIsLocked(const CString& path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return true;
    CFile file;
    return !file.Open(path, CFile::modeWrite | CFile::shareDenyNone | CFile::modeNoInherit);
}

} // namespace

const ReportSurfaceHooks* SetReportSurfaceHooks(const ReportSurfaceHooks* pHooks)
{
    const ReportSurfaceHooks* pPrevious = g_pSurfaceHooks;
    g_pSurfaceHooks = pHooks;
    return pPrevious;
}

// ---------------------------------------------------------------------------------------------------------------
// CGdiReportSurface

CGdiReportSurface::CGdiReportSurface(CDC* pDC)
    : m_pDC(pDC), m_fontSelection(pDC->m_hDC, nullptr), m_penSelection(pDC->m_hDC, nullptr)
{
    m_pDC->SetMapMode(MM_TEXT);
}

// The pen, then the font, selected back by the guards; then the report's own deleted.
CGdiReportSurface::~CGdiReportSurface() = default;

SIZE CGdiReportSurface::GetPageSize()
{
    SIZE size = {m_pDC->GetDeviceCaps(HORZRES), m_pDC->GetDeviceCaps(VERTRES)};
    return size;
}

// A printer's default font is whatever the driver offers (under Wine a 24-point substitute that fits only about 55
// characters on A4), which cut long report lines at the page edge. The report uses a fixed-pitch font instead:
// 10 points at the printer's resolution, made smaller until `columns` characters fit into `width`.
void CGdiReportSurface::ChooseFont(int width, int columns)
{
    int dpi = m_pDC->GetDeviceCaps(LOGPIXELSY);
    if (dpi <= 0)
        dpi = 72;
    LOGFONTA lf = {};
    lf.lfHeight = -MulDiv(10, dpi, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynA(lf.lfFaceName, "Courier New", LF_FACESIZE);

    const CString sample('M', columns);
    for (int attempt = 0; attempt < 12; ++attempt) {
        CFontOwner candidate(::CreateFontIndirectA(&lf));
        if (!candidate.IsCreated())
            return;
        m_fontSelection.Select(candidate.get());
        m_font = std::move(candidate);
        SIZE extent = m_pDC->GetTextExtent(sample);
        if (extent.cx <= width || lf.lfHeight >= -4)
            return;
        LONG next = MulDiv(lf.lfHeight, width, extent.cx);
        if (next <= lf.lfHeight)
            next = lf.lfHeight + 1;
        lf.lfHeight = next;
    }
}

bool CGdiReportSurface::StartDoc(LPCTSTR docName)
{
    DOCINFOA info = {};
    info.cbSize = sizeof(info);
    info.lpszDocName = docName;
    return m_pDC->StartDoc(&info) > 0;
}

// A printer DC may come back from StartPage with its attributes reset (Windows 9x does this), so the page's pen,
// the report font and the text alignment are selected for every page.
void CGdiReportSurface::StartPage(int penWidth)
{
    m_pDC->StartPage();
    CPenOwner pen(::CreatePen(PS_SOLID, penWidth, RGB(1, 1, 1)));
    m_penSelection.Select(pen.get());
    m_pen = std::move(pen);
    SelectPageObjects();
}

void CGdiReportSurface::SelectPageObjects()
{
    m_fontSelection.Select(m_font.get());
    m_pDC->SetTextAlign(m_pDC->GetTextAlign() & ~UINT(TA_BASELINE | TA_BOTTOM));
}

void CGdiReportSurface::EndPage()
{
    m_pDC->EndPage();
}

void CGdiReportSurface::EndDoc()
{
    m_pDC->EndDoc();
}

SIZE CGdiReportSurface::GetTextExtent(LPCTSTR text, int length)
{
    return m_pDC->GetTextExtent(text, length);
}

void CGdiReportSurface::TextOut(int x, int y, LPCTSTR text, int length)
{
    m_pDC->TextOut(x, y, text, length);
}

void CGdiReportSurface::Line(int x1, int y1, int x2, int y2)
{
    m_pDC->MoveTo(x1, y1);
    m_pDC->LineTo(x2, y2);
}

// ---------------------------------------------------------------------------------------------------------------
// CReportWriter

CReportWriter::CReportWriter()
    : m_nMode(0), m_pFile(nullptr), m_hPrinterDC(nullptr), m_nLine(0), m_nTopMargin(0), m_nLeftMargin(0),
      m_nLineHeight(0), m_nLinesPerPage(60), m_rcPage(), m_nBlockCounter(0), m_bPageOpen(false),
      m_nUncaughtExceptions(std::uncaught_exceptions())
{
}

// A writer destroyed while an exception unwinds the report did not get all of it: its file is dropped, so the
// earlier file stays as it was.
CReportWriter::~CReportWriter()
{
    if (std::uncaught_exceptions() > m_nUncaughtExceptions)
        DiscardFile();
    Close();
}

// Stores title and mode and opens the target: the print dialog for mode 10, a file for 11 and 13 (with the Save-As
// dialog when `ask` is set), nothing for 12. Any other mode fails.
int CReportWriter::Open(ReportMode mode, CString title, CString fileName, bool ask)
{
    m_strTitle = title;
    m_nMode = mode;
    switch (mode) {
    case kReportModePrinter:
        return SetupPrinter();
    case kReportModeTextFile:
    case kReportModeSupportFile:
        return OpenFile(fileName, ask);
    case kReportModeNoTarget:
        return 1;
    default:
        return 0;
    }
}

// The print dialog (no owner, PD_RETURNDC). A cancelled or failing dialog returns 0 without a message.
int CReportWriter::SetupPrinter()
{
    CPrintDialog dialog(FALSE, PD_RETURNDC, nullptr);
    if (dialog.DoModal() != IDOK)
        return 0;
    HDC hDC = dialog.GetPrinterDC();
    if (hDC == nullptr)
        return 0;
    m_hPrinterDC = hDC;
    m_pPrinterDC.reset(new CDC);
    m_pPrinterDC->Attach(hDC);
    if (g_pSurfaceHooks != nullptr && g_pSurfaceHooks->pfnCreateSurface != nullptr)
        m_pSurface.reset(g_pSurfaceHooks->pfnCreateSurface(m_pPrinterDC.get()));
    else
        m_pSurface.reset(new CGdiReportSurface(m_pPrinterDC.get()));
    if (StartPrinting())
        return 1;
    m_pSurface.reset();
    m_pPrinterDC.reset();
    m_hPrinterDC = nullptr;
    return 0;
}

// Page geometry, the print job and the first page. Margins are a twentieth of the page on every side. The slots
// of a page are counted so that the last one ends above the bottom margin, with three slots to spare:
// lines per page = (page height - 2 x top margin) / line height - 3.
int CReportWriter::StartPrinting()
{
    SIZE page = m_pSurface->GetPageSize();
    m_rcPage.left = 0;
    m_rcPage.top = 0;
    m_rcPage.right = page.cx;
    m_rcPage.bottom = page.cy;
    m_nLeftMargin = page.cx / 20;
    m_nTopMargin = page.cy / 20;
    m_nLine = 0;

    m_pSurface->ChooseFont(page.cx - 2 * m_nLeftMargin, kPrinterColumns);

    CString name;
    name.LoadString(IDS_PROGRAM_NAME);
    CString docName = name + " " + m_strTitle;
    if (!m_pSurface->StartDoc(docName))
        return 0;

    m_pSurface->StartPage((m_rcPage.bottom - m_rcPage.top) / 1000);
    m_bPageOpen = true;
    m_nLineHeight = m_pSurface->GetTextExtent("TEXT", 4).cy;
    if (m_nLineHeight <= 0)
        m_nLineHeight = 1;
    m_nLinesPerPage = (page.cy - 2 * m_nTopMargin) / m_nLineHeight - 3;
    if (m_nLinesPerPage < kMinLinesPerPage)
        m_nLinesPerPage = kMinLinesPerPage;
    WritePageHeader();
    return 1;
}

// The file is written to a temporary file beside the target and moved over it only when complete (Close), so
// a file that cannot be written leaves any earlier file intact. The support file is always binary; the text file
// is a text stream (LF becomes CR LF).
int CReportWriter::OpenFile(CString fileName, bool ask)
{
    CString target = fileName;
    if (ask) {
        CFileDialog dialog(FALSE, "TXT", fileName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "All Files (*.*)|*.*||",
                           nullptr);
        if (dialog.DoModal() != IDOK)
            return 0;
        m_strFileName = dialog.GetPathName();
        target = m_strFileName;
    }
    const char* streamMode = (m_nMode == kReportModeSupportFile) ? "wb" : "wt";

    char tempPath[MAX_PATH] = "";
    if (target.IsEmpty() || ExistingFileIsLocked(target) ||
        GetTempFileNameA(AfxGetFolderOf(target), "tvk", 0, tempPath) == 0) {
        ReportFileError();
        return 0;
    }
    m_pFile = OpenStream(tempPath, streamMode);
    if (m_pFile == nullptr) {
        DeleteFileA(tempPath);
        ReportFileError();
        return 0;
    }
    m_strTargetPath = target;
    m_strTempPath = tempPath;
    WritePageHeader();
    return 1;
}

void CReportWriter::ReportFileError()
{
    AfxShowMessageBox(nullptr, kReportErrorCreatingFile, m_strTitle, MB_ICONERROR);
}

void CReportWriter::DiscardFile()
{
    m_pFile.reset();
    if (!m_strTempPath.IsEmpty())
        DeleteFileA(m_strTempPath);
    m_strTempPath.Empty();
}

void CReportWriter::WriteLine(CString line)
{
    switch (m_nMode) {
    case kReportModePrinter:
        PrintLine(line);
        break;
    case kReportModeTextFile:
        WriteTextLine(line);
        break;
    case kReportModeSupportFile: {
        BYTE* pBuffer = nullptr;
        int nLength = 0;
        WriteEncipheredLine(line, &pBuffer, &nLength);
        std::unique_ptr<BYTE[]> owner(pBuffer);
        if (m_pFile != nullptr)
            fwrite(pBuffer, 1, size_t(nLength), m_pFile.get());
        break;
    }
    default:
        break;
    }
}

// One line on paper, at the left margin and the top of the current slot, exactly as it is. A line that would fall
// below the last slot starts a new page first; a continuation page begins with its header and one empty slot. The
// page is broken before the line rather than after it, so a heading's rule stays on the page of its text and a run
// of empty headings at the bottom never pushes a line past the last slot.
void CReportWriter::PrintLine(const CString& line)
{
    if (m_pSurface == nullptr)
        return;
    if (m_nLine >= m_nLinesPerPage) {
        NewPage();
        ++m_nLine;
    }
    if (!line.IsEmpty())
        m_pSurface->TextOut(m_nLeftMargin, SlotTop(m_nLine), line, line.GetLength());
    ++m_nLine;
}

// The line unchanged and a line feed; the text stream turns every LF into CR LF. The line is never a format.
void CReportWriter::WriteTextLine(const CString& line)
{
    if (m_pFile == nullptr)
        return;
    fputs(line, m_pFile.get());
    fputc('\n', m_pFile.get());
}

// On paper a rule under the text just written: on the lower edge of its slot (the top of the current one), as
// long as the text; the heading takes the slot below its text. Elsewhere a line of '-' as long as the text.
void CReportWriter::WriteHeading(CString text)
{
    if (m_nMode != kReportModePrinter) {
        WriteLine(CString('-', text.GetLength()));
        return;
    }
    if (m_pSurface == nullptr)
        return;
    SIZE extent = m_pSurface->GetTextExtent(text, text.GetLength());
    if (extent.cx > 0 && m_nLine <= m_nLinesPerPage) {
        int y = SlotTop(m_nLine);
        m_pSurface->Line(m_nLeftMargin, y, m_nLeftMargin + extent.cx, y);
    }
    ++m_nLine;
}

// Printer only: ends the page and starts the next with a new pen, the report font and the header.
void CReportWriter::NewPage()
{
    if (m_nMode != kReportModePrinter || m_pSurface == nullptr)
        return;
    m_pSurface->EndPage();
    m_pSurface->StartPage((m_rcPage.bottom - m_rcPage.top) / 1000);
    m_nLine = 0;
    WritePageHeader();
}

// The header in front of every output. On paper four slots: a rule, the program and version with the title at the
// right margin, the notice line with the date at the right margin, a rule. In the files five lines: 55 '-', the
// program and version followed by five blanks and the title, the notice line, the date and 55 '-' again.
void CReportWriter::WritePageHeader()
{
    CString first = ProgramNameAndVersion();
    CString date = ReportDateText();

    if (m_nMode == kReportModePrinter) {
        if (m_pSurface == nullptr)
            return;
        const int width = m_rcPage.right - m_rcPage.left;
        const int right = width - m_nLeftMargin;
        int y = SlotTop(m_nLine) + m_nLineHeight / 2;
        m_pSurface->Line(m_nLeftMargin, y, right, y);
        ++m_nLine;

        m_pSurface->TextOut(m_nLeftMargin, SlotTop(m_nLine), first, first.GetLength());
        if (!m_strTitle.IsEmpty()) {
            SIZE extent = m_pSurface->GetTextExtent(m_strTitle, m_strTitle.GetLength());
            m_pSurface->TextOut(right - extent.cx, SlotTop(m_nLine), m_strTitle, m_strTitle.GetLength());
        }
        ++m_nLine;

        m_pSurface->TextOut(m_nLeftMargin, SlotTop(m_nLine), kReportNoticeLine, int(strlen(kReportNoticeLine)));
        if (!date.IsEmpty()) {
            SIZE extent = m_pSurface->GetTextExtent(date, date.GetLength());
            m_pSurface->TextOut(right - extent.cx, SlotTop(m_nLine), date, date.GetLength());
        }
        ++m_nLine;

        y = SlotTop(m_nLine) + m_nLineHeight / 2;
        m_pSurface->Line(m_nLeftMargin, y, right, y);
        ++m_nLine;
        return;
    }

    const CString rule('-', kHeaderRuleLength);
    WriteHeading(rule);
    WriteLine(first + "     " + m_strTitle);
    WriteLine(kReportNoticeLine);
    WriteLine(date);
    WriteHeading(rule);
}

// Running out of memory for the record raises the class layer's memory exception.
void CReportWriter::WriteEncipheredLine(CString line, BYTE** ppBuffer, int* pnLength)
{
    try {
        *ppBuffer = EncipherSupportRecord(line, line.GetLength(), &m_nBlockCounter, pnLength);
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
}

void CReportWriter::WriteRaw(const void* pBuffer, size_t nCount)
{
    if (m_pFile != nullptr)
        fwrite(pBuffer, 1, nCount, m_pFile.get());
}

// The form that ends the paper report: a note to the customer in English, German and French, the web address,
// and fields for the customer's data, the controller and the problem.
void CReportWriter::WriteSupportForm()
{
    struct FormRow {
        const char* text;
        bool heading; // underline the row with WriteHeading after writing it
    };
    static const FormRow kRows[] = {
        {"", false},
        {"Dear customer:", false},
        {"This document contains information about your computer system.", false},
        {"In case you have a problem and wish to contact Korvath, this", false},
        {"information may help to provide you with a solution.", false},
        {"please fill in your data below and return all pages by fax or", false},
        {"email to:", false},
        {"", false},
        {"Sehr geehrter Kunde:", false},
        {"Dieses Dokument enth\xe4"
         "lt Informationen \xfc"
         "ber Ihr Computersystem.",
         false},
        {"Falls Sie ein Problem haben sollten und sich mit Korvath in", false},
        {"Verbindung setzen m\xf6"
         "chten, k\xf6"
         "nnen diese Informationen helfen,",
         false},
        {"Ihnen eine entsprechende L\xf6"
         "sung bereitzustellen.",
         false},
        {"Tragen Sie bitte unten Ihre Daten ein und senden Sie alle Seiten", false},
        {"per Fax oder Email an:", false},
        {"", false},
        {"Cher client:", false},
        {"Ce document contient des informations relatives \xe0"
         " votre syst\xe8"
         "me",
         false},
        {"informatique. En cas de probl\xe8"
         "me et si vous souhaitez contacter",
         false},
        {"Korvath, ces informations peuvent vous aider \xe0"
         " trouver une solution.",
         false},
        {"Remplissez le formulaire ci-dessous et renvoyez toutes pages par", false},
        {"fax ou par courrier \xe9"
         "lectronique \xe0"
         " l'adresse suivante:",
         false},
        {"", false},
        {kReportWebAddress, false},
        {"", false},
        {"Customer information", true},
        {"", false},
        {"Name   :_______________________     Email:______________________", false},
        {"Address:_______________________     Tel  :______________________", false},
        {"        _______________________     Fax  :______________________", false},
        {"City   : ______________________", false},
        {"Country: ______________________", false},
        {"", false},
        {"Additional information", true},
        {"", false},
        {"controller bios revision    :___________________________________", false},
        {"controller driver & revision:___________________________________", false},
        {"", false},
        {"Problem description", true},
    };
    for (const FormRow& row : kRows) {
        WriteLine(row.text);
        if (row.heading)
            WriteHeading(row.text);
    }
    const CString answerLine('_', 64);
    for (int i = 0; i < 7; ++i)
        WriteLine(answerLine);
}

// Ends the output. Printer: the last page, the job and the DC. Files: the stream is closed and the finished
// temporary file replaces the target; when writing, closing or replacing fails the temporary file is removed, the
// target stays as it was and "Error creating file." is shown.
void CReportWriter::Close()
{
    if (m_hPrinterDC != nullptr) {
        if (m_pSurface != nullptr) {
            if (m_bPageOpen)
                m_pSurface->EndPage();
            m_pSurface->EndDoc();
            m_pSurface.reset();
        }
        m_bPageOpen = false;
        m_pPrinterDC.reset();
        m_hPrinterDC = nullptr;
    }
    if (m_pFile != nullptr) {
        bool ok = ferror(m_pFile.get()) == 0;
        ok = CloseStream(m_pFile) && ok;
        if (ok && AfxReplaceFile(m_strTempPath, m_strTargetPath)) {
            m_strTempPath.Empty();
        } else {
            DiscardFile();
            ReportFileError();
        }
    }
}
