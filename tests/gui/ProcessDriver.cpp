// tests/gui/ProcessDriver.cpp
#include "gui/ProcessDriver.h"

#include <commctrl.h>

#include <cstdio>

namespace guitest {

namespace {

const int kBoxTextId = 0xFFFF; // the message box's text static (also IDC_STATIC in ordinary dialogs)
const int kBoxIconId = 1088;   // the message box's icon static
const DWORD kPollMs = 25;
const UINT kSendTimeoutMs = 3000;

struct EnumContext {
    DWORD processId;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectTopLevel(HWND hWnd, LPARAM lParam)
{
    EnumContext* context = reinterpret_cast<EnumContext*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hWnd, &processId);
    if (processId == context->processId)
        context->windows->push_back(hWnd);
    return TRUE;
}

BOOL CALLBACK CollectChildren(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

std::vector<HWND> DirectChildren(HWND hParent)
{
    std::vector<HWND> all;
    ::EnumChildWindows(hParent, CollectChildren, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> direct;
    for (HWND hWnd : all) {
        if (::GetParent(hWnd) == hParent)
            direct.push_back(hWnd);
    }
    return direct;
}

// A message sent to another process, bounded so that a hung program cannot hang the driver.
LRESULT SendBounded(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, bool* ok = nullptr)
{
    DWORD_PTR result = 0;
    LRESULT sent = ::SendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    if (ok != nullptr)
        *ok = sent != 0;
    return static_cast<LRESULT>(result);
}

// Texts are read from the other program in UTF-16 and converted to the ANSI code page: Wine hands back UTF-16 for
// an ANSI LB_GETTEXT sent to another process, which would overrun an ANSI buffer.
std::string ReadWideText(HWND hWnd, UINT lengthMessage, UINT textMessage, WPARAM index)
{
    LRESULT length = SendBounded(hWnd, lengthMessage, index, 0);
    if (length <= 0)
        return std::string();
    std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR result = 0;
    WPARAM wParam = textMessage == WM_GETTEXT ? wide.size() : index;
    ::SendMessageTimeoutW(hWnd, textMessage, wParam, reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG,
                          kSendTimeoutMs, &result);
    wide.back() = L'\0';
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return std::string();
    std::vector<char> narrow(bytes, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, narrow.data(), bytes, nullptr, nullptr);
    return std::string(narrow.data());
}

} // namespace

std::string Quote(const std::string& text)
{
    std::string quoted = "\"";
    for (unsigned char ch : text) {
        switch (ch) {
        case '\\':
            quoted += "\\\\";
            break;
        case '"':
            quoted += "\\\"";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (ch < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof(escape), "\\x%02X", ch);
                quoted += escape;
            } else {
                quoted += static_cast<char>(ch);
            }
        }
    }
    return quoted + "\"";
}

ProcessDriver::ProcessDriver(std::function<void(const std::string&)> report) : m_report(std::move(report)) {}

ProcessDriver::~ProcessDriver()
{
    if (m_pi.hProcess != nullptr) {
        ::CloseHandle(m_pi.hProcess);
        ::CloseHandle(m_pi.hThread);
    }
}

bool ProcessDriver::Start(const std::string& exe, const std::string& arguments)
{
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    if (!::CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
        return false;
    ::WaitForInputIdle(m_pi.hProcess, 10000);
    return true;
}

std::vector<HWND> ProcessDriver::TopLevelWindows() const
{
    std::vector<HWND> windows;
    EnumContext context = {m_pi.dwProcessId, &windows};
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&context));
    return windows;
}

std::string ProcessDriver::WindowText(HWND hWnd)
{
    return ReadWideText(hWnd, WM_GETTEXTLENGTH, WM_GETTEXT, 0);
}

std::string ProcessDriver::ClassName(HWND hWnd)
{
    char name[256] = {};
    ::GetClassNameA(hWnd, name, sizeof(name));
    return name;
}

bool ProcessDriver::IsMessageBox(HWND hWnd)
{
    if (ClassName(hWnd) != "#32770")
        return false;
    bool hasIcon = false, hasText = false;
    for (HWND hChild : DirectChildren(hWnd)) {
        std::string className = ClassName(hChild);
        int id = ::GetDlgCtrlID(hChild);
        if (className == "Static") {
            hasIcon = hasIcon || id == kBoxIconId;
            hasText = hasText || id == kBoxTextId;
        } else if (className == "Button") {
            if (id < IDOK || id > IDCONTINUE)
                return false;
        } else {
            return false;
        }
    }
    return hasIcon && hasText;
}

HWND ProcessDriver::FindMessageBox() const
{
    for (HWND hWnd : TopLevelWindows()) {
        if (::IsWindowVisible(hWnd) && IsMessageBox(hWnd))
            return hWnd;
    }
    return nullptr;
}

BoxInfo ProcessDriver::ReadBox(HWND hBox) const
{
    BoxInfo box;
    box.caption = WindowText(hBox);
    box.answer = 0;
    for (HWND hChild : DirectChildren(hBox)) {
        if (ClassName(hChild) != "Static")
            continue;
        std::string text = WindowText(hChild);
        if (text.empty())
            continue;
        if (!box.text.empty())
            box.text += "\n";
        box.text += text;
    }
    return box;
}

// 0 = the box's default button (DM_GETDEFID), else its first button. Returns the button pressed, 0 for none.
int ProcessDriver::PressBoxButton(HWND hBox, int button) const
{
    if (button == 0) {
        LRESULT defId = SendBounded(hBox, DM_GETDEFID, 0, 0);
        if (HIWORD(defId) == DC_HASDEFID && ::GetDlgItem(hBox, LOWORD(defId)) != nullptr)
            button = LOWORD(defId);
    }
    if (button == 0) {
        for (HWND hChild : DirectChildren(hBox)) {
            if (ClassName(hChild) == "Button") {
                button = ::GetDlgCtrlID(hChild);
                break;
            }
        }
    }
    HWND hButton = ::GetDlgItem(hBox, button);
    if (hButton == nullptr ||
        !::PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(hButton)))
        return 0;
    return button;
}

void ProcessDriver::DismissBoxes()
{
    if (!m_autoDismiss)
        return;
    HWND hBox = FindMessageBox();
    if (hBox == nullptr)
        return;
    BoxInfo box = ReadBox(hBox);
    box.answer = PressBoxButton(hBox, 0);
    if (box.answer != 0) {
        m_boxes.push_back(box);
        m_report("box " + Quote(box.caption) + " " + Quote(box.text) + " " + std::to_string(box.answer));
        for (int i = 0; i < 200 && ::IsWindow(hBox) && ::IsWindowVisible(hBox); ++i)
            ::Sleep(kPollMs);
    }
}

HWND ProcessDriver::WaitWindow(const std::string& caption, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        for (HWND hWnd : TopLevelWindows()) {
            if (::IsWindowVisible(hWnd) && WindowText(hWnd) == caption)
                return hWnd;
        }
        DismissBoxes();
        if (::GetTickCount() - start >= timeoutMs || ::WaitForSingleObject(m_pi.hProcess, kPollMs) == WAIT_OBJECT_0)
            return nullptr;
    }
}

std::vector<ControlInfo> ProcessDriver::Controls(HWND hWnd) const
{
    std::vector<ControlInfo> controls;
    for (HWND hChild : DirectChildren(hWnd))
        controls.push_back(ControlInfo{::GetDlgCtrlID(hChild), ClassName(hChild), WindowText(hChild)});
    return controls;
}

bool ProcessDriver::ListLines(HWND hWnd, int id, std::vector<std::string>& lines) const
{
    lines.clear();
    HWND hList = ::GetDlgItem(hWnd, id);
    if (hList == nullptr)
        return false;
    bool ok = false;
    int count = static_cast<int>(SendBounded(hList, LB_GETCOUNT, 0, 0, &ok));
    if (!ok || count < 0)
        return false;
    for (int i = 0; i < count; ++i)
        lines.push_back(ReadWideText(hList, LB_GETTEXTLEN, LB_GETTEXT, static_cast<WPARAM>(i)));
    return true;
}

bool ProcessDriver::ListViewRows(HWND hWnd, int id, int nColumns, std::vector<std::vector<std::string>>& rows) const
{
    rows.clear();
    HWND hList = ::GetDlgItem(hWnd, id);
    if (hList == nullptr || m_pi.hProcess == nullptr)
        return false;
    bool ok = false;
    const int count = static_cast<int>(SendBounded(hList, LVM_GETITEMCOUNT, 0, 0, &ok));
    if (!ok || count < 0)
        return false;
    const SIZE_T kTextSize = 512;
    BYTE* pRemote = static_cast<BYTE*>(::VirtualAllocEx(m_pi.hProcess, nullptr, sizeof(LVITEMA) + kTextSize,
                                                        MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (pRemote == nullptr)
        return false;
    char* pRemoteText = reinterpret_cast<char*>(pRemote + sizeof(LVITEMA));
    for (int i = 0; i < count && ok; ++i) {
        std::vector<std::string> row;
        for (int column = 0; column < nColumns && ok; ++column) {
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = pRemoteText;
            item.cchTextMax = static_cast<int>(kTextSize);
            char text[kTextSize] = {};
            SIZE_T done = 0;
            ok = ::WriteProcessMemory(m_pi.hProcess, pRemote, &item, sizeof item, &done) &&
                 ::WriteProcessMemory(m_pi.hProcess, pRemoteText, text, kTextSize, &done);
            if (ok)
                SendBounded(hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(pRemote), &ok);
            ok = ok && ::ReadProcessMemory(m_pi.hProcess, pRemoteText, text, kTextSize - 1, &done);
            row.push_back(text);
        }
        rows.push_back(row);
    }
    ::VirtualFreeEx(m_pi.hProcess, pRemote, 0, MEM_RELEASE);
    return ok;
}

namespace {

// A visible control with this id among the window's descendants, for controls that sit on a child dialog (the
// pages of a window that shows one page at a time).
struct DescendantSearch {
    int id;
    HWND hFound;
};

BOOL CALLBACK FindVisibleDescendant(HWND hWnd, LPARAM lParam)
{
    DescendantSearch& search = *reinterpret_cast<DescendantSearch*>(lParam);
    if (::GetDlgCtrlID(hWnd) == search.id && ::IsWindowVisible(hWnd)) {
        search.hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

// Posted, so that a handler that opens a message box does not block the driver that has to answer it. A button
// that is no direct child is looked for among the visible descendants.
bool ProcessDriver::Click(HWND hWnd, int id) const
{
    HWND hButton = ::GetDlgItem(hWnd, id);
    if (hButton == nullptr) {
        DescendantSearch search = {id, nullptr};
        ::EnumChildWindows(hWnd, &FindVisibleDescendant, reinterpret_cast<LPARAM>(&search));
        hButton = search.hFound;
    }
    if (hButton == nullptr || !::IsWindowEnabled(hButton))
        return false;
    return ::PostMessageA(hButton, BM_CLICK, 0, 0) != 0;
}

bool ProcessDriver::Command(HWND hWnd, int id) const
{
    return ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0) != 0;
}

bool ProcessDriver::SetText(HWND hWnd, int id, const std::string& text) const
{
    HWND hCtrl = ::GetDlgItem(hWnd, id);
    bool ok = false;
    if (hCtrl != nullptr)
        SendBounded(hCtrl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &ok);
    return ok;
}

bool ProcessDriver::Close(HWND hWnd) const
{
    return ::PostMessageA(hWnd, WM_CLOSE, 0, 0) != 0;
}

bool ProcessDriver::AnswerBox(int button, DWORD timeoutMs, BoxInfo& box)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        HWND hBox = FindMessageBox();
        if (hBox != nullptr) {
            box = ReadBox(hBox);
            box.answer = PressBoxButton(hBox, button);
            if (box.answer == 0)
                return false;
            m_boxes.push_back(box);
            m_report("box " + Quote(box.caption) + " " + Quote(box.text) + " " + std::to_string(box.answer));
            for (int i = 0; i < 200 && ::IsWindow(hBox) && ::IsWindowVisible(hBox); ++i)
                ::Sleep(kPollMs);
            return true;
        }
        if (::GetTickCount() - start >= timeoutMs || ::WaitForSingleObject(m_pi.hProcess, kPollMs) == WAIT_OBJECT_0)
            return false;
    }
}

bool ProcessDriver::WaitExit(DWORD timeoutMs, DWORD& exitCode)
{
    DWORD start = ::GetTickCount();
    while (::WaitForSingleObject(m_pi.hProcess, kPollMs) == WAIT_TIMEOUT) {
        DismissBoxes();
        if (::GetTickCount() - start >= timeoutMs)
            return false;
    }
    return ::GetExitCodeProcess(m_pi.hProcess, &exitCode) != 0;
}

void ProcessDriver::Kill()
{
    if (m_pi.hProcess != nullptr && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(m_pi.hProcess, 99);
        ::WaitForSingleObject(m_pi.hProcess, 5000);
    }
}

} // namespace guitest
