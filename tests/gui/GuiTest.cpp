// tests/gui/GuiTest.cpp
#include "gui/GuiTest.h"
#include "support/TestFiles.h"

#include <cstdio>

namespace guitest {

namespace {

// The buttons of each message-box type, left to right.
struct BoxButtons {
    UINT type;
    int buttons[3];
    int count;
};

const BoxButtons kBoxButtons[] = {
    {MB_OK, {IDOK}, 1},
    {MB_OKCANCEL, {IDOK, IDCANCEL}, 2},
    {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, 3},
    {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, 3},
    {MB_YESNO, {IDYES, IDNO}, 2},
    {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, 2},
    {MB_CANCELTRYCONTINUE, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, 3},
};

} // namespace

int DefaultButton(UINT type)
{
    for (const BoxButtons& entry : kBoxButtons) {
        if (entry.type == (type & MB_TYPEMASK)) {
            int index = static_cast<int>((type & MB_DEFMASK) >> 8);
            return entry.buttons[index < entry.count ? index : 0];
        }
    }
    return IDOK;
}

HookSession::HookSession()
    : m_hooks{this, &AnswerMessageBox, &RunDialogScript, &ChooseFile, &ChoosePrinter, &ChooseMenuCommand}
{
    m_pPrevious = SetDialogHooks(&m_hooks);
}

HookSession::~HookSession()
{
    SetDialogHooks(m_pPrevious);
}

int HookSession::AnswerMessageBox(void* pContext, LPCTSTR pszText, LPCTSTR pszCaption, UINT nType)
{
    HookSession& session = *static_cast<HookSession*>(pContext);
    int answer = DefaultButton(nType);
    if (!session.m_answers.empty()) {
        answer = session.m_answers.front();
        session.m_answers.pop_front();
    }
    session.m_boxes.push_back(MessageBoxRecord{pszText, pszCaption, nType, answer});
    return answer;
}

void HookSession::RunDialogScript(void* pContext, CDialog* pDialog)
{
    HookSession& session = *static_cast<HookSession*>(pContext);
    session.m_dialogs.push_back(pDialog->m_nIDTemplate);
    if (session.m_scripts.empty()) {
        session.m_unscripted.push_back(pDialog->m_nIDTemplate);
        pDialog->EndDialog(IDCANCEL);
        return;
    }
    std::function<void(CDialog&)> script = std::move(session.m_scripts.front());
    session.m_scripts.pop_front();
    script(*pDialog);
}

// Without a function given, the file and printer choices are cancelled and a popup menu is dismissed.
BOOL HookSession::ChooseFile(void* pContext, BOOL bOpen, const OPENFILENAMEA& ofn, CString& strPath)
{
    HookSession& session = *static_cast<HookSession*>(pContext);
    return session.m_chooseFile ? session.m_chooseFile(bOpen, ofn, strPath) : FALSE;
}

BOOL HookSession::ChoosePrinter(void* pContext, PRINTDLGA& pd)
{
    HookSession& session = *static_cast<HookSession*>(pContext);
    return session.m_choosePrinter ? session.m_choosePrinter(pd) : FALSE;
}

UINT HookSession::ChooseMenuCommand(void* pContext, HMENU hMenu, HWND hOwner)
{
    HookSession& session = *static_cast<HookSession*>(pContext);
    return session.m_chooseMenuCommand ? session.m_chooseMenuCommand(hMenu, hOwner) : 0;
}

void HookSession::SetChooseFile(std::function<BOOL(BOOL bOpen, const OPENFILENAMEA& ofn, CString& path)> fn)
{
    m_chooseFile = std::move(fn);
}

void HookSession::SetChoosePrinter(std::function<BOOL(PRINTDLGA& pd)> fn)
{
    m_choosePrinter = std::move(fn);
}

void HookSession::SetChooseMenuCommand(std::function<UINT(HMENU hMenu, HWND hOwner)> fn)
{
    m_chooseMenuCommand = std::move(fn);
}

INT_PTR RunModal(HookSession& session, CDialog& dlg, std::function<void(CDialog&)> script)
{
    session.QueueDialog(std::move(script));
    return dlg.DoModal();
}

HWND Control(HWND hParent, int id)
{
    return ::GetDlgItem(hParent, id);
}

CString Text(HWND hWnd)
{
    CString text;
    if (hWnd == nullptr)
        return text;
    int length = static_cast<int>(::SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
    ::SendMessageA(hWnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.GetBuffer(length + 1)));
    text.ReleaseBuffer();
    return text;
}

CString Text(HWND hParent, int id)
{
    return Text(Control(hParent, id));
}

bool SetText(HWND hParent, int id, LPCTSTR text)
{
    HWND hCtrl = Control(hParent, id);
    return hCtrl != nullptr && ::SendMessageA(hCtrl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

// The texts of a list box's or a combo box's items, read with the control's own messages.
static std::vector<CString> ItemTexts(HWND hControl, UINT nGetCount, UINT nGetLength, UINT nGetText)
{
    std::vector<CString> texts;
    const int count = hControl != nullptr ? static_cast<int>(::SendMessageA(hControl, nGetCount, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        const int length = static_cast<int>(::SendMessageA(hControl, nGetLength, i, 0));
        CString text;
        if (length > 0) {
            ::SendMessageA(hControl, nGetText, i, reinterpret_cast<LPARAM>(text.GetBuffer(length + 1)));
            text.ReleaseBuffer();
        }
        texts.push_back(text);
    }
    return texts;
}

std::vector<CString> ListBoxLines(HWND hList)
{
    return ItemTexts(hList, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<CString> ListBoxLines(HWND hParent, int id)
{
    return ListBoxLines(Control(hParent, id));
}

std::vector<CString> ComboItems(HWND hParent, int id)
{
    return ItemTexts(Control(hParent, id), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

void SelectComboItem(HWND hParent, int id, int index)
{
    const HWND hCombo = Control(hParent, id);
    ::SendMessageA(hCombo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(hParent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hCombo));
}

bool Click(HWND hParent, int id)
{
    HWND hButton = Control(hParent, id);
    if (hButton == nullptr || !::IsWindowEnabled(hButton) || !(::GetWindowLongPtrA(hButton, GWL_STYLE) & WS_VISIBLE))
        return false;
    ::SendMessageA(hParent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
    return true;
}

void PostCommand(HWND hWnd, int id)
{
    ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void Pump()
{
    AfxPumpWaitingMessages();
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start >= timeoutMs)
            return pred();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        if (!AfxPumpWaitingMessages())
            return pred();
    }
    return true;
}

std::string ProgramFolder()
{
    return testsupport::ProgramFolder();
}

std::string DriverRun::Output() const
{
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

std::vector<std::string> DriverRun::LinesStartingWith(const std::string& prefix) const
{
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.compare(0, prefix.size() + 1, prefix + " ") == 0)
            found.push_back(line);
    }
    return found;
}

// The driver's standard output comes through a pipe; its lines are split here. The driver gets its own time-out
// through --timeout in the arguments; timeoutMs only guards against a driver that hangs itself.
DriverRun RunGuiDriver(const std::string& arguments, DWORD timeoutMs)
{
    DriverRun run;
    run.exitCode = static_cast<DWORD>(-1);
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    if (!::CreatePipe(&hRead, &hWrite, &sa, 0)) {
        run.lines.push_back("error cannot create a pipe");
        return run;
    }
    ::SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hWrite;
    si.hStdError = hWrite;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string commandLine = "\"" + ProgramFolder() + "guidriver.exe\" " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    BOOL started = ::CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                    ProgramFolder().c_str(), &si, &pi);
    ::CloseHandle(hWrite);
    if (!started) {
        ::CloseHandle(hRead);
        run.lines.push_back("error cannot start guidriver.exe");
        return run;
    }
    std::string output;
    char chunk[4096];
    DWORD got = 0;
    DWORD start = ::GetTickCount();
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(hRead, nullptr, 0, nullptr, &available, nullptr))
            break;
        if (available > 0) {
            if (!::ReadFile(hRead, chunk, sizeof(chunk), &got, nullptr) || got == 0)
                break;
            output.append(chunk, got);
            continue;
        }
        if (::WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0) {
            while (::PeekNamedPipe(hRead, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
                   ::ReadFile(hRead, chunk, sizeof(chunk), &got, nullptr) && got > 0)
                output.append(chunk, got);
            break;
        }
        if (::GetTickCount() - start > timeoutMs) {
            ::TerminateProcess(pi.hProcess, 3);
            output += "\nerror guidriver.exe did not finish\n";
            break;
        }
    }
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(hRead);
    size_t pos = 0;
    while (pos < output.size()) {
        size_t end = output.find('\n', pos);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            run.lines.push_back(line);
        pos = end + 1;
    }
    return run;
}

} // namespace guitest
