// tests/report/ReportTestSupport.cpp
#include "ReportTestSupport.h"

#include "SupportFileReader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace reporttest {

// ---------------------------------------------------------------------------------------------------------------
// Files

std::string SourceFile(const std::string& relative)
{
    std::string path = std::string("Z:") + TAVISK_REPORT_TEST_DIR + "/" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// ---------------------------------------------------------------------------------------------------------------
// Expected outputs

namespace {

const char kDatePlaceholder[] = "<DATE>";

} // namespace

// The golden file holds LF line ends and <DATE> for the header's date; the text file has CR LF.
std::string ExpectedTextFile(const std::string& goldenName)
{
    std::string golden = ReadText(SourceFile("golden/" + goldenName));
    golden.erase(std::remove(golden.begin(), golden.end(), '\r'), golden.end());
    size_t at = golden.find(kDatePlaceholder);
    if (at != std::string::npos)
        golden.replace(at, strlen(kDatePlaceholder), PinnedDate::DateText());
    std::string expected;
    for (char c : golden) {
        if (c == '\n')
            expected += '\r';
        expected += c;
    }
    return expected;
}

// With TAVISK_UPDATE_GOLDEN set, the golden file is rewritten from what the program produced. A rewritten golden
// file only records what the program does now: before it is committed, read the difference line by line against
// the texts and layout the program is meant to produce (headings, fixed wording, spacing), and fix the program
// rather than accept a golden file that differs from them.
void UpdateGolden(const std::string& name, std::string actual)
{
    if (GetEnvironmentVariableA("TAVISK_UPDATE_GOLDEN", nullptr, 0) == 0)
        return;
    const std::string date = PinnedDate::DateText();
    size_t at = actual.find(date);
    if (!date.empty() && at != std::string::npos)
        actual.replace(at, date.size(), kDatePlaceholder);
    actual.erase(std::remove(actual.begin(), actual.end(), '\r'), actual.end());
    WriteText(SourceFile("golden/" + name), actual);
}

std::vector<std::string> GoldenLines(const std::string& name)
{
    std::string golden = ReadText(SourceFile("golden/" + name));
    golden.erase(std::remove(golden.begin(), golden.end(), '\r'), golden.end());
    std::vector<std::string> lines = SplitLf(golden);
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

std::vector<std::string> ReadSupportFile(const std::string& path)
{
    std::string error;
    std::vector<std::string> lines = reader::DecodeSupportFile(ReadBytes(path), reader::kSupportKeys, &error);
    if (!error.empty())
        lines.push_back("<cannot read " + path + ": " + error + ">");
    return lines;
}

// The text report without its software section: the five header lines, then everything from the hardware heading.
std::vector<std::string> WithoutSoftwareSection(const std::vector<std::string>& text)
{
    std::vector<std::string> lines(text.begin(), text.begin() + 5);
    auto hardware = std::find(text.begin() + 5, text.end(), "Hardware Information");
    lines.insert(lines.end(), hardware, text.end());
    return lines;
}

// ---------------------------------------------------------------------------------------------------------------
// Hooks

namespace {

int RecordMessageBox(void* pContext, LPCTSTR pszText, LPCTSTR pszCaption, UINT nType)
{
    HookScope& scope = *static_cast<HookScope*>(pContext);
    scope.boxes.push_back({pszText != nullptr ? pszText : "", pszCaption != nullptr ? pszCaption : "<null>", nType});
    return IDOK;
}

BOOL ChooseSavePath(void* pContext, BOOL bOpen, const OPENFILENAMEA& ofn, CString& strPath)
{
    HookScope& scope = *static_cast<HookScope*>(pContext);
    ++scope.fileDialogs;
    scope.lastOpen = bOpen;
    scope.lastDefExt = ofn.lpstrDefExt != nullptr ? ofn.lpstrDefExt : "";
    scope.lastInitialName = ofn.lpstrFile != nullptr ? ofn.lpstrFile : "";
    scope.lastFilter.clear();
    for (const char* p = ofn.lpstrFilter; p != nullptr && *p != '\0'; p += strlen(p) + 1)
        scope.lastFilter += std::string(p) + "|";
    scope.lastFlags = ofn.Flags;
    if (scope.savePath.empty())
        return FALSE;
    strPath = scope.savePath.c_str();
    return TRUE;
}

BOOL ChooseMemoryPrinter(void* pContext, PRINTDLGA& pd)
{
    HookScope& scope = *static_cast<HookScope*>(pContext);
    ++scope.printDialogs;
    scope.lastPrintFlags = pd.Flags;
    if (scope.printerCancels)
        return FALSE;
    pd.hDC = CreateCompatibleDC(nullptr);
    return TRUE;
}

} // namespace

HookScope::HookScope(bool realDialogs) : m_hooks{this, &RecordMessageBox, nullptr, nullptr, nullptr}
{
    if (!realDialogs) {
        m_hooks.pfnChooseFile = &ChooseSavePath;
        UseHookedPrinter();
    }
    m_pPrevious = SetDialogHooks(&m_hooks);
}

void HookScope::DialogReady(void* pContext, CDialog* pDialog)
{
    HookScope& scope = *static_cast<HookScope*>(pContext);
    if (scope.m_dialogReady)
        scope.m_dialogReady(pDialog);
}

void HookScope::UseHookedPrinter()
{
    m_hooks.pfnChoosePrinter = &ChooseMemoryPrinter;
}

void HookScope::SetDialogReady(std::function<void(CDialog*)> fn)
{
    m_dialogReady = std::move(fn);
    m_hooks.pfnDialogReady = m_dialogReady ? &DialogReady : nullptr;
}

HookScope::~HookScope()
{
    SetDialogHooks(m_pPrevious);
}

// ---------------------------------------------------------------------------------------------------------------
// Date

namespace {

SYSTEMTIME PinnedTime()
{
    SYSTEMTIME t = {};
    t.wYear = 2006;
    t.wMonth = 3;
    t.wDay = 8;
    t.wDayOfWeek = 3;
    t.wHour = 23;
    t.wMinute = 30;
    return t;
}

void PinnedSystemTime(SYSTEMTIME* pTime)
{
    *pTime = PinnedTime();
}

const ClockHooks kPinnedClock = {nullptr, nullptr, nullptr, nullptr, nullptr, PinnedSystemTime};

} // namespace

PinnedDate::PinnedDate() : m_pPrevious(SetClockHooks(&kPinnedClock)) {}

PinnedDate::~PinnedDate()
{
    SetClockHooks(m_pPrevious);
}

std::string PinnedDate::DateText()
{
    SYSTEMTIME t = PinnedTime();
    char buffer[100] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &t, nullptr, buffer, sizeof(buffer));
    return buffer;
}

// ---------------------------------------------------------------------------------------------------------------
// Recording surface

namespace {

class RecordingSurface : public CReportPrintSurface {
public:
    SIZE GetPageSize() override { return SIZE{RecordingSurfaceScope::kPageWidth, RecordingSurfaceScope::kPageHeight}; }
    void ChooseFont(int width, int columns) override { Add(SurfaceEvent::kChooseFont, width, columns); }
    bool StartDoc(LPCTSTR docName) override
    {
        Add(SurfaceEvent::kStartDoc, 0, 0, 0, 0, docName);
        return true;
    }
    void StartPage(int penWidth) override { Add(SurfaceEvent::kStartPage, penWidth); }
    void EndPage() override { Add(SurfaceEvent::kEndPage); }
    void EndDoc() override { Add(SurfaceEvent::kEndDoc); }
    SIZE GetTextExtent(LPCTSTR text, int length) override
    {
        return SIZE{length * RecordingSurfaceScope::kCharWidth, RecordingSurfaceScope::kLineHeight};
    }
    void TextOut(int x, int y, LPCTSTR text, int length) override
    {
        Add(SurfaceEvent::kText, x, y, 0, 0, std::string(text, size_t(length)));
    }
    void Line(int x1, int y1, int x2, int y2) override { Add(SurfaceEvent::kLine, x1, y1, x2, y2); }

private:
    void Add(SurfaceEvent::Kind kind, int x = 0, int y = 0, int x2 = 0, int y2 = 0, const std::string& text = "")
    {
        SurfaceEvent e;
        e.kind = kind;
        e.x = x;
        e.y = y;
        e.x2 = x2;
        e.y2 = y2;
        e.text = text;
        RecordingSurfaceScope::Events().push_back(e);
    }
};

CReportPrintSurface* MakeRecordingSurface(CDC*)
{
    return new RecordingSurface;
}

const ReportSurfaceHooks kRecordingSurfaceHooks = {&MakeRecordingSurface};

} // namespace

RecordingSurfaceScope::RecordingSurfaceScope() : m_pPrevious(SetReportSurfaceHooks(&kRecordingSurfaceHooks))
{
    Events().clear();
}

RecordingSurfaceScope::~RecordingSurfaceScope()
{
    SetReportSurfaceHooks(m_pPrevious);
}

std::vector<SurfaceEvent>& RecordingSurfaceScope::Events()
{
    static std::vector<SurfaceEvent> events;
    return events;
}

// ---------------------------------------------------------------------------------------------------------------
// Fixture

FixtureReport::FixtureReport()
{
    software.Add("Windows XP V5.01.2600 Service Pack 3");
    software.Add("ASPI Manager: wnaspi32.dll version 4.60 (1021)");
    software.Add("Description : ASPI for Win32 (Fictional Layer Inc.)");
    software.Add("");
    software.Add("Progress: 100% (%s %d kept as written)");

    system.Add("CPU Name: Fictional Processor 3000+");
    system.Add("CPU Speed: 2999 MHz");
    system.Add("Installed RAM: 1024MB");
    system.Add("Available RAM: 512MB");

    adapters[0].Add("Host Adapter 0: IDE channel");
    adapters[0].Add("  Type              : ATAPI");
    adapters[0].Add("  ID 0: KORVATH  DRV-5200A        1.07 (D:)");
    adapters[1].Add("Host Adapter 1: USB");
    adapters[1].Add("  ID 0: KORVATH  DRV-7100U        2.00 (E:)");
    adapters[2].Add("Host Adapter 2: never listed (only two adapters)");

    capture.Add("FICTIONAL TV CARD");
    capture.Add("Path: \\\\?\\usb#vid_1234&pid_5678#1#{65e8773d}\\global");

    stratafit.Add("");
    stratafit.Add("HA:0 DRV-5200A");
    stratafit.Add(CString('-', 41));
    stratafit.Add("");
    stratafit.Add("Active\t Type\t ID\t Usage Frequency\t Write Speed");
    stratafit.Add("Active   Type       ID                Usage Frequency   Write Speed      ");
    stratafit.Add("");
    stratafit.Add("Yes\t CD-R\t FICTDISC01\t 12\t 48X");
    stratafit.Add("Yes      CD-R       FICTDISC01        12                48X              ");
    stratafit.Add("No\t DVD+R\t FICTMEDIA/R02/3\t 3\t 8X");
    stratafit.Add("No       DVD+R      FICTMEDIA/R02/3   3                 8X               ");
}

ReportSections FixtureReport::Sections() const
{
    ReportSections s;
    s.pSoftware = &software;
    s.pSystem = &system;
    s.pAdapters = adapters;
    s.nAdapterCount = adapterCount;
    s.pCapture = &capture;
    s.pStratafit = &stratafit;
    s.bListUsbTree = listUsbTree;
    return s;
}

} // namespace reporttest
