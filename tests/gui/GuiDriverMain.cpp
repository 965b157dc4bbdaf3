// tests/gui/GuiDriverMain.cpp
// guidriver.exe: drives a program's windows from outside, step by step as the command line lists them, and prints
// what it sees, one record per line, for a test or a shell script to read. Run under the same Wine as the program.
//
//   guidriver.exe [--timeout MS] --start EXE [--args "ARGS"] STEP...
//
//   --wait-window CAPTION   wait for a visible top-level window with this caption; it becomes the current window
//                           (prints: window "CAPTION")
//   --dump-controls         the current window's controls (prints: control ID CLASS "TEXT", one per control)
//   --list ID               the lines of list box ID (prints: list ID COUNT, then line INDEX "TEXT")
//   --listview ID COLUMNS   the rows of list view ID (prints: listview ID COUNT, then row INDEX "TEXT"... with the
//                           texts of the first COLUMNS columns)
//   --click ID              press button ID of the current window (BM_CLICK, posted)
//   --command ID            send the menu command ID to the current window (WM_COMMAND, posted)
//   --set-text ID TEXT      set the text of control ID
//   --close                 close the current window (WM_CLOSE, posted)
//   --answer-box BUTTON     wait for a message box, then press BUTTON: ok cancel yes no abort retry ignore default or
//                           a number (prints: box "CAPTION" "TEXT" BUTTON)
//   --auto-boxes            from here on, answer every message box met while waiting with its default button
//   --sleep MS
//   --wait-exit             wait for the program to end (prints: exit CODE)
//   --expect-exit CODE      the same, and fail unless the program ended with CODE
//
// Texts are quoted with C escapes. The driver exits with 0 when every step succeeded, 1 after the first failing step
// (prints: error ...), 2 for a bad command line; a program still running at the end is terminated.
#include "gui/ProcessDriver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using guitest::BoxInfo;
using guitest::ControlInfo;
using guitest::ProcessDriver;
using guitest::Quote;

namespace {

struct ButtonName {
    const char* name;
    int id;
};

const ButtonName kButtonNames[] = {
    {"default", 0},       {"ok", IDOK},   {"cancel", IDCANCEL}, {"abort", IDABORT},       {"retry", IDRETRY},
    {"ignore", IDIGNORE}, {"yes", IDYES}, {"no", IDNO},         {"tryagain", IDTRYAGAIN}, {"continue", IDCONTINUE},
};

void Print(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

int Fail(ProcessDriver& driver, const std::string& message)
{
    Print("error " + message);
    driver.Kill();
    return 1;
}

bool ParseButton(const char* text, int& id)
{
    for (const ButtonName& entry : kButtonNames) {
        if (_stricmp(entry.name, text) == 0) {
            id = entry.id;
            return true;
        }
    }
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0')
        return false;
    id = static_cast<int>(value);
    return true;
}

bool ParseInt(const char* text, int& value)
{
    char* end = nullptr;
    long parsed = std::strtol(text, &end, 0);
    if (end == text || *end != '\0')
        return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    ProcessDriver driver(Print);
    DWORD timeoutMs = 20000;
    std::string exe, arguments;
    HWND hCurrent = nullptr;
    bool started = false;

    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        auto next = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                Print("error " + option + " needs " + what);
                std::exit(2);
            }
            return argv[++i];
        };
        auto needWindow = [&]() { return hCurrent != nullptr && ::IsWindow(hCurrent); };

        if (option == "--timeout") {
            int value = 0;
            if (!ParseInt(next("milliseconds"), value) || value <= 0)
                return Fail(driver, "bad --timeout");
            timeoutMs = static_cast<DWORD>(value);
        } else if (option == "--start") {
            exe = next("a program");
            if (i + 2 < argc && std::strcmp(argv[i + 1], "--args") == 0) {
                arguments = argv[i + 2];
                i += 2;
            }
            if (!driver.Start(exe, arguments))
                return Fail(driver, "cannot start " + exe);
            started = true;
            Print("started " + std::to_string(driver.ProcessId()));
        } else if (!started) {
            Print("error --start must come before " + option);
            return 2;
        } else if (option == "--wait-window") {
            std::string caption = next("a caption");
            hCurrent = driver.WaitWindow(caption, timeoutMs);
            if (hCurrent == nullptr)
                return Fail(driver, "no window " + Quote(caption));
            Print("window " + Quote(caption));
        } else if (option == "--dump-controls") {
            if (!needWindow())
                return Fail(driver, "no current window");
            for (const ControlInfo& control : driver.Controls(hCurrent))
                Print("control " + std::to_string(control.id) + " " + control.className + " " + Quote(control.text));
        } else if (option == "--list") {
            int id = 0;
            if (!ParseInt(next("a control id"), id))
                return Fail(driver, "bad --list id");
            std::vector<std::string> lines;
            if (!needWindow() || !driver.ListLines(hCurrent, id, lines))
                return Fail(driver, "no list box " + std::to_string(id));
            Print("list " + std::to_string(id) + " " + std::to_string(lines.size()));
            for (size_t n = 0; n < lines.size(); ++n)
                Print("line " + std::to_string(n) + " " + Quote(lines[n]));
        } else if (option == "--listview") {
            int id = 0;
            int columns = 0;
            if (!ParseInt(next("a control id"), id) || !ParseInt(next("a column count"), columns) || columns <= 0)
                return Fail(driver, "bad --listview arguments");
            std::vector<std::vector<std::string>> rows;
            if (!needWindow() || !driver.ListViewRows(hCurrent, id, columns, rows))
                return Fail(driver, "no list view " + std::to_string(id));
            Print("listview " + std::to_string(id) + " " + std::to_string(rows.size()));
            for (size_t n = 0; n < rows.size(); ++n) {
                std::string line = "row " + std::to_string(n);
                for (const std::string& text : rows[n])
                    line += " " + Quote(text);
                Print(line);
            }
        } else if (option == "--click") {
            int id = 0;
            if (!ParseInt(next("a control id"), id) || !needWindow() || !driver.Click(hCurrent, id))
                return Fail(driver, "cannot click " + std::to_string(id));
        } else if (option == "--command") {
            int id = 0;
            if (!ParseInt(next("a command id"), id) || !needWindow() || !driver.Command(hCurrent, id))
                return Fail(driver, "cannot send command " + std::to_string(id));
        } else if (option == "--set-text") {
            int id = 0;
            bool okId = ParseInt(next("a control id"), id);
            std::string text = next("a text");
            if (!okId || !needWindow() || !driver.SetText(hCurrent, id, text))
                return Fail(driver, "cannot set the text of " + std::to_string(id));
        } else if (option == "--close") {
            if (!needWindow() || !driver.Close(hCurrent))
                return Fail(driver, "cannot close the window");
        } else if (option == "--answer-box") {
            int button = 0;
            if (!ParseButton(next("a button"), button))
                return Fail(driver, "bad button for --answer-box");
            BoxInfo box;
            if (!driver.AnswerBox(button, timeoutMs, box))
                return Fail(driver, "no message box");
        } else if (option == "--auto-boxes") {
            driver.SetAutoDismiss(true);
        } else if (option == "--sleep") {
            int value = 0;
            if (!ParseInt(next("milliseconds"), value) || value < 0)
                return Fail(driver, "bad --sleep");
            ::Sleep(static_cast<DWORD>(value));
        } else if (option == "--wait-exit" || option == "--expect-exit") {
            int expected = 0;
            bool expect = option == "--expect-exit";
            if (expect && !ParseInt(next("an exit code"), expected))
                return Fail(driver, "bad --expect-exit code");
            DWORD exitCode = 0;
            if (!driver.WaitExit(timeoutMs, exitCode))
                return Fail(driver, "the program did not end");
            Print("exit " + std::to_string(static_cast<int>(exitCode)));
            if (expect && static_cast<int>(exitCode) != expected)
                return Fail(driver, "exit code " + std::to_string(static_cast<int>(exitCode)) + ", expected " +
                                        std::to_string(expected));
        } else {
            Print("error unknown option " + option);
            driver.Kill();
            return 2;
        }
    }
    driver.Kill();
    return 0;
}
