// tests/report/DialogWatcher.h
// Drives a system dialog of this process (Save As, Print) from a second thread, as a person would: waits for the
// visible dialog with the given caption, then runs an action on it (fill a field, press a button).
#ifndef TAVISK_TESTS_REPORT_DIALOGWATCHER_H
#define TAVISK_TESTS_REPORT_DIALOGWATCHER_H

#include <windows.h>

#include <functional>
#include <string>

namespace reporttest {

class DialogWatcher {
public:
    DialogWatcher(const std::string& caption, std::function<void(HWND)> action, DWORD timeoutMs = 90000);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    // Waits until the action ran or the time ran out; true when the dialog was found and the action ran.
    bool Wait();
    // Controls of the dialog that were seen, "id:class:text" each, for a failure message.
    const std::string& Seen() const { return m_seen; }

private:
    static unsigned __stdcall ThreadMain(void* self);
    void Run();
    HWND FindDialog() const;

    std::string m_caption;
    std::function<void(HWND)> m_action;
    DWORD m_timeoutMs;
    HANDLE m_hThread;
    volatile LONG m_acted;
    std::string m_seen;
};

// Helpers for the actions.
void SetDialogText(HWND hDialog, int id, const std::string& text);
void PressButton(HWND hDialog, int id);
std::string DescribeControls(HWND hDialog);

} // namespace reporttest

#endif
