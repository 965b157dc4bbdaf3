// src/report/ReportOutput.cpp
#include "report/ReportOutput.h"

#include "report/ReportWriter.h"
#include "report/UsbTreeLister.h"
#include "report/VelloranRegistryDump.h"

const char kSupportCompany[] = "Korvath Computer Products";
const char kSupportTelephone[] = "+49 (0)40 5550 1900";
const char kSupportFax[] = "+49 (0)40 5550 1999";
const char kSupportEmail[] = "support@korvath.example";

namespace {

const char kSoftwareHeading[] = "Software Information";
const char kHardwareHeading[] = "Hardware Information";
const char kBufferUnderrunNote[] = "Note: Buffer Underrun Proof is only read out";
const char kCaptureHeading[] = "Video Capture Devices:";
const char kStratafitHeading[] = "Stratafit Database";
const char kStratafitEmpty[] = "Database is empty";
const char kOsPrefixList[] = "Operating system :   ";
const char kOsPrefixFile[] = "Operating system    : ";

const CString& ListRule()
{
    static const CString rule('_', 70);
    return rule;
}

const CString& FileRule()
{
    static const CString rule('_', 69);
    return rule;
}

int AdapterBlocks(const ReportSections& sections)
{
    if (sections.pAdapters == nullptr || sections.nAdapterCount <= 0)
        return 0;
    return sections.nAdapterCount < kMaxAdapterBlocks ? sections.nAdapterCount : kMaxAdapterBlocks;
}

int LineCount(const CStringArray* pLines)
{
    return pLines != nullptr ? int(pLines->GetSize()) : 0;
}

// The list: headings, rules and empty entries go in with one leading blank, section lines unchanged.
class ListTarget {
public:
    explicit ListTarget(HWND hListBox) : m_hListBox(hListBox) {}

    void Add(LPCTSTR text) const { ::SendMessageA(m_hListBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
    void Entry(LPCTSTR text) const { Add(CString(" ") + text); }
    void Blank() const { Entry(""); }
    void Lines(const CStringArray* pLines, int first = 0) const
    {
        for (int i = first; i < LineCount(pLines); ++i)
            Add(pLines->GetAt(i));
    }

private:
    HWND m_hListBox;
};

// Writer outputs: a heading is the text followed by its underline; a gap is the underline of an empty text (an
// empty line in the files, an empty slot on paper).
void Heading(CReportWriter* w, LPCTSTR text)
{
    w->WriteLine(text);
    w->WriteHeading(text);
}

void Gap(CReportWriter* w)
{
    w->WriteHeading("");
}

void EmptyLines(CReportWriter* w, int count)
{
    for (int i = 0; i < count; ++i)
        w->WriteLine("");
}

// The end of a part of the report in the files and on paper: a rule of 69 '_' and two empty lines.
void RuleAndTwoEmptyLines(CReportWriter* w)
{
    w->WriteLine(FileRule());
    EmptyLines(w, 2);
}

void Lines(CReportWriter* w, const CStringArray* pLines, int first = 0)
{
    for (int i = first; i < LineCount(pLines); ++i)
        w->WriteLine(pLines->GetAt(i));
}

// The Stratafit section in column form, from its second line on: a tab-form row is replaced by the column-form
// twin that follows it, and a dashed rule is redrawn as long as the line written before it. A tab-form row without
// its twin (the last line) is written as it stands.
void WriteStratafitColumns(CReportWriter* w, const CStringArray* pLines)
{
    CString previous = kStratafitHeading;
    const int count = LineCount(pLines);
    for (int i = 1; i < count; ++i) {
        CString line = pLines->GetAt(i);
        if (line.Find('\t') >= 0 && i + 1 < count) {
            ++i;
            line = pLines->GetAt(i);
        }
        if (line.Find("------") >= 0)
            line = CString('-', previous.GetLength());
        w->WriteLine(line);
        previous = line;
    }
}

// The body shared by the text file, paper and the support file. The support file leaves out the software section
// and the two empty lines in front of the hardware heading, has the rule after every adapter block and never the
// support form.
void WriteReportBody(CReportWriter* w, const ReportSections& s, bool supportFile)
{
    const ReportMode mode = w->GetMode();
    if (!supportFile) {
        EmptyLines(w, 2);
        Heading(w, kSoftwareHeading);
        CString os = LineCount(s.pSoftware) > 0 ? s.pSoftware->GetAt(0) : CString();
        w->WriteLine(kOsPrefixFile + os);
        Lines(w, s.pSoftware, 1);
        EmptyLines(w, 2);
    }
    Heading(w, kHardwareHeading);
    w->WriteLine("");
    w->WriteLine(kBufferUnderrunNote);
    Gap(w);
    Gap(w);

    Lines(w, s.pSystem);
    Gap(w);
    Gap(w);

    const bool ruleAfterBlocks =
        supportFile ? (mode == kReportModeTextFile || mode == kReportModeSupportFile) : (mode == kReportModeTextFile);
    for (int n = 0; n < AdapterBlocks(s); ++n) {
        w->WriteLine("");
        Lines(w, &s.pAdapters[n]);
        w->WriteLine("");
        w->NewPage();
        if (ruleAfterBlocks)
            w->WriteLine(FileRule());
    }

    if (LineCount(s.pCapture) > 0) {
        Gap(w);
        w->WriteLine(kCaptureHeading);
        Gap(w);
        Lines(w, s.pCapture);
        w->WriteLine(FileRule());
        Gap(w);
        w->NewPage();
    }

    // The USB tree on every Windows version, listed into a local array first.
    EmptyLines(w, 2);
    CStringArray lines;
    CUsbTreeLister lister;
    lister.m_pLines = &lines;
    lister.m_nMode = kUsbModeLines;
    lister.m_hMachineRoot = s.hMachineRoot;
    lister.ListUsbTree();
    Lines(w, &lines);
    EmptyLines(w, 2);
    RuleAndTwoEmptyLines(w);

    // The sibling product's settings, each edition with its own title; the support file's dump takes the text
    // file's mode, the mode of a dump into an array.
    lines.RemoveAll();
    CVelloranRegistryDump dump;
    dump.m_pLines = &lines;
    dump.m_nMode = mode == kReportModeSupportFile ? kVelloranModeTextFile : int(mode);
    dump.m_hMachineRoot = s.hMachineRoot;
    w->NewPage();
    dump.DumpVelloranSettings();
    Lines(w, &lines);
    RuleAndTwoEmptyLines(w);
    lines.RemoveAll();
    dump.DumpVelloranPlusSettings();
    Lines(w, &lines);
    RuleAndTwoEmptyLines(w);
    w->NewPage();

    w->WriteLine(kStratafitHeading);
    WriteStratafitColumns(w, s.pStratafit);

    w->WriteLine(FileRule());
    w->WriteLine("");
    w->NewPage();
    if (!supportFile && mode == kReportModePrinter)
        w->WriteSupportForm();
}

} // namespace

// The list shows every section, the capture heading even without devices, the Stratafit rows in tab form (the
// list's tab stops make columns of them), the USB tree (not on Windows NT 3.51 and 4.0), both editions of the
// sibling product's settings and the support contacts.
void EmitReportList(const ReportSections& s, HWND hListBox)
{
    const ListTarget list(hListBox);
    list.Entry(ListRule());
    list.Blank();
    list.Entry(kSoftwareHeading);
    list.Entry(ListRule());
    list.Blank();

    CString os = LineCount(s.pSoftware) > 0 ? s.pSoftware->GetAt(0) : CString();
    list.Add(kOsPrefixList + os);
    list.Lines(s.pSoftware, 1);

    list.Entry(ListRule());
    list.Blank();
    list.Entry(kHardwareHeading);
    list.Entry(ListRule());
    list.Blank();
    list.Blank();
    list.Entry(kBufferUnderrunNote);
    list.Blank();
    list.Blank();

    list.Lines(s.pSystem);
    list.Blank();
    list.Blank();

    for (int n = 0; n < AdapterBlocks(s); ++n) {
        list.Lines(&s.pAdapters[n]);
        list.Entry(ListRule());
        list.Blank();
    }

    list.Blank();
    list.Blank();
    list.Entry(kCaptureHeading);
    list.Blank();
    list.Lines(s.pCapture);
    list.Blank();
    list.Blank();

    // The list box as the target of the USB lister and the dump; the wrapper does not own the window.
    CWnd listWindow;
    listWindow.m_hWnd = hListBox;
    if (s.bListUsbTree) {
        CUsbTreeLister lister;
        lister.m_pListBox = &listWindow;
        lister.m_nMode = kUsbModeList;
        lister.m_hMachineRoot = s.hMachineRoot;
        lister.ListUsbTree();
        list.Blank();
        list.Blank();
    }

    list.Entry(ListRule());
    list.Blank();
    list.Blank();

    CVelloranRegistryDump dump;
    dump.m_pListBox = &listWindow;
    dump.m_nMode = kVelloranModeList;
    dump.m_hMachineRoot = s.hMachineRoot;
    dump.DumpVelloranSettings();
    list.Entry(ListRule());
    list.Blank();
    list.Blank();
    dump.DumpVelloranPlusSettings();
    list.Entry(ListRule());
    list.Blank();
    listWindow.m_hWnd = nullptr;

    list.Entry(kStratafitHeading);
    list.Entry(CString('-', 37));
    const int count = LineCount(s.pStratafit);
    if (count == 0) {
        list.Entry(kStratafitEmpty);
    } else {
        for (int i = 0; i < count; ++i) {
            const CString& line = s.pStratafit->GetAt(i);
            list.Add(line);
            if (line.Find('\t') >= 0)
                ++i;
        }
    }

    list.Blank();
    list.Entry(ListRule());
    list.Blank();

    list.Add(CString("    ") + kSupportCompany);
    list.Add("    Technical support");
    list.Add(CString("    Tel: ") + kSupportTelephone);
    list.Add(CString("    Fax: ") + kSupportFax);
    list.Add(CString("    Email: ") + kSupportEmail);
}

void EmitReport(CReportWriter* pWriter, const ReportSections& sections)
{
    if (pWriter != nullptr)
        WriteReportBody(pWriter, sections, false);
}

void EmitSupportFile(CReportWriter* pWriter, const ReportSections& sections)
{
    if (pWriter != nullptr)
        WriteReportBody(pWriter, sections, true);
}

// Only the extension of the last path component is replaced (a dot in a folder name is left alone); a file name
// without one gets ".kvs" appended, and so does one whose extension is already ".kvs" in any case: the support file
// would otherwise take the text file's own name, and the text file, moved in last, would replace it. Both searches
// step over double-byte characters.
CString MakeSupportFileName(const CString& textFilePath)
{
    int nameStart = 0;
    for (char separator : {'\\', '/', ':'}) {
        int at = textFilePath.ReverseFind(separator);
        if (at + 1 > nameStart)
            nameStart = at + 1;
    }
    CString name = textFilePath.Mid(nameStart);
    int dot = name.ReverseFind('.');
    if (dot >= 0 && name.Mid(dot).CompareNoCase(".kvs") != 0)
        name = name.Left(dot);
    return textFilePath.Left(nameStart) + name + ".kvs";
}

// A cancelled dialog writes neither file. Once a name was chosen the support file is attempted even when the text
// file could not be created; each failure shows its own message. The support file's writer is destroyed first.
void SaveReportFiles(const ReportSections& sections)
{
    CReportWriter textWriter;
    if (textWriter.Open(kReportModeTextFile, "", "SYSInfo.txt", true))
        EmitReport(&textWriter, sections);
    if (textWriter.GetFileName().IsEmpty())
        return;

    CReportWriter supportWriter;
    if (supportWriter.Open(kReportModeSupportFile, "", MakeSupportFileName(textWriter.GetFileName()), false))
        EmitSupportFile(&supportWriter, sections);
}

// The name handed to the printer target is not used by it.
void PrintReport(const ReportSections& sections)
{
    CReportWriter writer;
    if (writer.Open(kReportModePrinter, "", "SYSlog.txt", true))
        EmitReport(&writer, sections);
}
