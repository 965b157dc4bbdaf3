// tests/report/ReportTestSupport.h
// Shared pieces of the report-output tests: a scratch folder, file reading, the layer's hooks answered in-process,
// a pinned report date, a recording print surface and the fixture report sections.
#ifndef TAVISK_TESTS_REPORT_REPORTTESTSUPPORT_H
#define TAVISK_TESTS_REPORT_REPORTTESTSUPPORT_H

#include "framework/Framework.h"
#include "report/ReportOutput.h"
#include "report/ReportWriter.h"
#include "support/PinnedWindowsVersion.h"
#include "support/StringLists.h"
#include "support/TestFiles.h"

#include <functional>
#include <string>
#include <vector>

namespace reporttest {

using testsupport::FileExists;
using testsupport::ReadBytes;
using testsupport::ReadText;
using testsupport::ScratchFolder;
using testsupport::SplitCrLf;
using testsupport::SplitLf;
using testsupport::WriteText;

// The entries of a list box (LB_GETCOUNT, LB_GETTEXT).
inline std::vector<std::string> ListEntries(HWND hList)
{
    return testsupport::ListBoxEntries(hList);
}
// A file of the source tree (tests/report/<relative>) through Wine's Z: drive.
std::string SourceFile(const std::string& relative);

// The text file expected for a golden file (tests/report/golden/<name>, LF line ends, <DATE> for the pinned
// date): CR LF line ends and the date filled in.
std::string ExpectedTextFile(const std::string& goldenName);
// With TAVISK_UPDATE_GOLDEN set in the environment, rewrites the golden file from `actual`. Review every rewritten
// golden file against the texts and layout the program is meant to produce before committing it: the switch
// copies whatever the program makes, faults included.
void UpdateGolden(const std::string& name, std::string actual);
// The lines of a golden file (LF line ends; a final LF ends the last line).
std::vector<std::string> GoldenLines(const std::string& name);
// The lines of a support file read with the test reader; a last line "<cannot read ...>" when it is malformed.
std::vector<std::string> ReadSupportFile(const std::string& path);
// The text report without its software section: the five header lines, then everything from the hardware heading.
std::vector<std::string> WithoutSoftwareSection(const std::vector<std::string>& text);

// The hooks of the class layer, answered in-process: message boxes are recorded and answered OK, the Save-As
// dialog answers with `savePath` (Cancel when empty) and records what it was shown, the print dialog answers with
// a memory DC (Cancel when printerCancels). With realDialogs only message boxes are answered: the system's file
// and print dialogs are shown.
class HookScope {
public:
    explicit HookScope(bool realDialogs = false);
    ~HookScope();
    HookScope(const HookScope&) = delete;
    HookScope& operator=(const HookScope&) = delete;
    // The print dialog answered by the hook (also with realDialogs).
    void UseHookedPrinter();
    // Runs fn when a modal dialog of the layer is ready (inside its modal loop).
    void SetDialogReady(std::function<void(CDialog*)> fn);

    struct Box {
        std::string text;
        std::string caption;
        UINT type;
    };
    std::vector<Box> boxes;

    std::string savePath;
    int fileDialogs = 0;
    BOOL lastOpen = TRUE;
    std::string lastDefExt;
    std::string lastInitialName;
    std::string lastFilter; // NUL separators shown as '|'
    DWORD lastFlags = 0;

    bool printerCancels = false;
    int printDialogs = 0;
    DWORD lastPrintFlags = 0;

private:
    static void DialogReady(void* pContext, CDialog* pDialog);

    DialogHooks m_hooks;
    const DialogHooks* m_pPrevious;
    std::function<void(CDialog*)> m_dialogReady;
};

// The report date pinned to 8 March 2006 (UTC) while the object lives; DateText is its long form in this locale.
class PinnedDate {
public:
    PinnedDate();
    ~PinnedDate();
    static std::string DateText();

private:
    const ClockHooks* m_pPrevious;
};

// A print surface that records the writer's drawing steps. The page is A4 at 300 dpi (2480 x 3508); every
// character is 25 units wide and 40 high.
struct SurfaceEvent {
    enum Kind {
        kChooseFont,
        kStartDoc,
        kStartPage,
        kEndPage,
        kEndDoc,
        kText,
        kLine
    } kind;
    int x = 0, y = 0, x2 = 0, y2 = 0;
    std::string text;
};

class RecordingSurfaceScope {
public:
    RecordingSurfaceScope();
    ~RecordingSurfaceScope();
    static std::vector<SurfaceEvent>& Events();
    static const int kPageWidth = 2480;
    static const int kPageHeight = 3508;
    static const int kCharWidth = 25;
    static const int kLineHeight = 40;

private:
    const ReportSurfaceHooks* m_pPrevious;
};

// Fixture sections: two host adapters, a capture section and a Stratafit listing of one drive. The arrays live in
// the object; Sections() points at them. While the object lives the system reads as Windows XP, as its
// operating-system line says: the USB section the outputs list themselves follows the version.
class FixtureReport {
public:
    FixtureReport();
    ReportSections Sections() const;

    testsupport::PinnedWindowsVersion windowsXp{VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3"};

    CStringArray software;
    CStringArray system;
    CStringArray adapters[kMaxAdapterBlocks];
    int adapterCount = 2;
    CStringArray capture;
    CStringArray stratafit;
    bool listUsbTree = true;
};

} // namespace reporttest

#endif
