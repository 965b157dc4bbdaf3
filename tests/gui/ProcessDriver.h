// tests/gui/ProcessDriver.h
// Drives another program's windows from outside, as a person would: starts it, waits for a top-level window by
// caption, reads controls and list boxes, clicks buttons, sends menu commands, answers message boxes (recording
// their caption and text) and waits for the program to end. Plain Win32; used by guidriver.exe.
#ifndef TAVISK_TESTS_GUI_PROCESSDRIVER_H
#define TAVISK_TESTS_GUI_PROCESSDRIVER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace guitest {

struct ControlInfo {
    int id;
    std::string className;
    std::string text;
};

struct BoxInfo {
    std::string caption;
    std::string text;
    int answer;
};

class ProcessDriver {
public:
    // report receives one line per event ("box ...", "window ...") as it happens.
    explicit ProcessDriver(std::function<void(const std::string&)> report);
    ~ProcessDriver();
    ProcessDriver(const ProcessDriver&) = delete;
    ProcessDriver& operator=(const ProcessDriver&) = delete;

    bool Start(const std::string& exe, const std::string& arguments);
    DWORD ProcessId() const { return m_pi.dwProcessId; }

    // A visible top-level window of the program with exactly this caption; NULL after timeoutMs. Message boxes
    // met while waiting are dismissed when auto-dismiss is on.
    HWND WaitWindow(const std::string& caption, DWORD timeoutMs);
    std::vector<ControlInfo> Controls(HWND hWnd) const;
    bool ListLines(HWND hWnd, int id, std::vector<std::string>& lines) const;
    // The rows of list view ID (report view), each as the texts of its first nColumns columns. The texts are
    // read through a buffer in the program's own memory, as list-view messages carry no text across processes.
    bool ListViewRows(HWND hWnd, int id, int nColumns, std::vector<std::vector<std::string>>& rows) const;
    bool Click(HWND hWnd, int id) const;
    bool Command(HWND hWnd, int id) const;
    bool SetText(HWND hWnd, int id, const std::string& text) const;
    bool Close(HWND hWnd) const;

    // Waits for a message box of the program, records it and presses button (IDOK, IDYES, ...; 0 = its default).
    bool AnswerBox(int button, DWORD timeoutMs, BoxInfo& box);
    // With auto-dismiss, every message box met while waiting is recorded and answered with its default button.
    void SetAutoDismiss(bool on) { m_autoDismiss = on; }
    const std::vector<BoxInfo>& Boxes() const { return m_boxes; }

    bool WaitExit(DWORD timeoutMs, DWORD& exitCode);
    // Ends the program if it still runs.
    void Kill();

    // A message box: a dialog of the system's message-box layout (text static 0xFFFF, or icon static 1088 with
    // static text and push buttons only).
    static bool IsMessageBox(HWND hWnd);
    static std::string WindowText(HWND hWnd);
    static std::string ClassName(HWND hWnd);

private:
    std::vector<HWND> TopLevelWindows() const;
    HWND FindMessageBox() const;
    BoxInfo ReadBox(HWND hBox) const;
    int PressBoxButton(HWND hBox, int button) const;
    void DismissBoxes();

    std::function<void(const std::string&)> m_report;
    PROCESS_INFORMATION m_pi = {};
    bool m_autoDismiss = false;
    std::vector<BoxInfo> m_boxes;
};

// C-style quoting for one-line output: "text" with \\, \", \n, \r, \t and \xHH escaped.
std::string Quote(const std::string& text);

} // namespace guitest

#endif
