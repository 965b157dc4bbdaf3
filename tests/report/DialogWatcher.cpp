// tests/report/DialogWatcher.cpp
#include "DialogWatcher.h"

#include <process.h>

#include <vector>

namespace reporttest {

DialogWatcher::DialogWatcher(const std::string& caption, std::function<void(HWND)> action, DWORD timeoutMs)
    : m_caption(caption), m_action(std::move(action)), m_timeoutMs(timeoutMs), m_hThread(nullptr), m_acted(0)
{
    m_hThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadMain, this, 0, nullptr));
}

DialogWatcher::~DialogWatcher()
{
    Wait();
    if (m_hThread != nullptr)
        CloseHandle(m_hThread);
}

bool DialogWatcher::Wait()
{
    if (m_hThread != nullptr)
        WaitForSingleObject(m_hThread, m_timeoutMs + 5000);
    return InterlockedCompareExchange(&m_acted, 0, 0) != 0;
}

unsigned __stdcall DialogWatcher::ThreadMain(void* self)
{
    static_cast<DialogWatcher*>(self)->Run();
    return 0;
}

namespace {

struct Search {
    std::string caption;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hWnd, LPARAM lParam)
{
    Search* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(hWnd))
        return TRUE;
    char className[64] = "";
    GetClassNameA(hWnd, className, sizeof(className));
    char text[256] = "";
    GetWindowTextA(hWnd, text, sizeof(text));
    if (std::string(className) == "#32770" && search->caption == text) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK Describe(HWND hWnd, LPARAM lParam)
{
    std::string* out = reinterpret_cast<std::string*>(lParam);
    char className[64] = "";
    GetClassNameA(hWnd, className, sizeof(className));
    char text[128] = "";
    GetWindowTextA(hWnd, text, sizeof(text));
    *out += std::to_string(GetDlgCtrlID(hWnd)) + ":" + className + ":" + text + "; ";
    return TRUE;
}

} // namespace

HWND DialogWatcher::FindDialog() const
{
    Search search = {m_caption, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The dialog is given a moment to finish its initialisation (a dialog becomes visible before WM_INITDIALOG's
// posted work is done) before the action runs.
void DialogWatcher::Run()
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < m_timeoutMs) {
        HWND hDialog = FindDialog();
        if (hDialog != nullptr) {
            Sleep(500);
            m_seen = DescribeControls(hDialog);
            m_action(hDialog);
            InterlockedExchange(&m_acted, 1);
            return;
        }
        Sleep(50);
    }
}

std::string DescribeControls(HWND hDialog)
{
    std::string out;
    EnumChildWindows(hDialog, Describe, reinterpret_cast<LPARAM>(&out));
    return out;
}

void SetDialogText(HWND hDialog, int id, const std::string& text)
{
    SendMessageA(GetDlgItem(hDialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PressButton(HWND hDialog, int id)
{
    HWND hButton = GetDlgItem(hDialog, id);
    if (hButton != nullptr)
        SendMessageA(hButton, BM_CLICK, 0, 0);
    else
        PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

} // namespace reporttest
