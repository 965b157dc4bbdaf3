// tests/gui/GuiTest.h
// In-process GUI testing of the window layer: a hook session that answers message boxes (recording caption and
// text) and scripts modal dialogs through the dialog-ready hook, plus helpers that find controls, read list boxes and
// press buttons. No real modal window ever waits for a person.
#ifndef TAVISK_TESTS_GUI_GUITEST_H
#define TAVISK_TESTS_GUI_GUITEST_H

#include "framework/Framework.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace guitest {

struct MessageBoxRecord {
    CString text;
    CString caption;
    UINT type;
    int answer;
};

// The button Enter would press in a box of this MB_* type (its MB_DEFBUTTONn, else the first).
int DefaultButton(UINT type);

// Installs the layer's test hooks while it lives (one session at a time).
// - Message boxes: answered from the queue of QueueAnswer, else with DefaultButton; every box is recorded.
// - Modal dialogs: each DoModal takes the next script of QueueDialog and runs it when the dialog is ready. A dialog
//   without a script is recorded and cancelled (IDCANCEL), so a surprise dialog cannot hang a test.
// - File and printer choice: the functions given, else Cancel.
// - Popup menus: the function given chooses a command (0: none), else the menu is dismissed.
class HookSession {
public:
    HookSession();
    ~HookSession();
    HookSession(const HookSession&) = delete;
    HookSession& operator=(const HookSession&) = delete;

    void QueueAnswer(int button) { m_answers.push_back(button); }
    void QueueDialog(std::function<void(CDialog&)> script) { m_scripts.push_back(std::move(script)); }
    void SetChooseFile(std::function<BOOL(BOOL bOpen, const OPENFILENAMEA& ofn, CString& path)> fn);
    void SetChoosePrinter(std::function<BOOL(PRINTDLGA& pd)> fn);
    void SetChooseMenuCommand(std::function<UINT(HMENU hMenu, HWND hOwner)> fn);

    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_boxes; }
    void ClearMessageBoxes() { m_boxes.clear(); }
    // Template ids of the modal dialogs that ran, in order; unscripted ones are also in UnscriptedDialogs.
    const std::vector<UINT>& Dialogs() const { return m_dialogs; }
    const std::vector<UINT>& UnscriptedDialogs() const { return m_unscripted; }

private:
    static int AnswerMessageBox(void* pContext, LPCTSTR pszText, LPCTSTR pszCaption, UINT nType);
    static void RunDialogScript(void* pContext, CDialog* pDialog);
    static BOOL ChooseFile(void* pContext, BOOL bOpen, const OPENFILENAMEA& ofn, CString& strPath);
    static BOOL ChoosePrinter(void* pContext, PRINTDLGA& pd);
    static UINT ChooseMenuCommand(void* pContext, HMENU hMenu, HWND hOwner);

    DialogHooks m_hooks;
    const DialogHooks* m_pPrevious;
    std::function<BOOL(BOOL bOpen, const OPENFILENAMEA& ofn, CString& path)> m_chooseFile;
    std::function<BOOL(PRINTDLGA& pd)> m_choosePrinter;
    std::function<UINT(HMENU hMenu, HWND hOwner)> m_chooseMenuCommand;
    std::deque<int> m_answers;
    std::deque<std::function<void(CDialog&)>> m_scripts;
    std::vector<MessageBoxRecord> m_boxes;
    std::vector<UINT> m_dialogs;
    std::vector<UINT> m_unscripted;
};

// Runs dlg.DoModal() with script run once the dialog is ready (inside the modal loop, before the first message).
// Needs a HookSession.
INT_PTR RunModal(HookSession& session, CDialog& dlg, std::function<void(CDialog&)> script);

// Controls of a window, by id.
HWND Control(HWND hParent, int id);
CString Text(HWND hWnd);
CString Text(HWND hParent, int id);
// WM_SETTEXT; an edit control sends EN_CHANGE to its parent as when typing.
bool SetText(HWND hParent, int id, LPCTSTR text);
std::vector<CString> ListBoxLines(HWND hList);
std::vector<CString> ListBoxLines(HWND hParent, int id);
// The items of a combo box, in list order.
std::vector<CString> ComboItems(HWND hParent, int id);
// What choosing an item does: the item selected, then CBN_SELCHANGE from the combo box to its parent.
void SelectComboItem(HWND hParent, int id, int index);
// What clicking the button does: BN_CLICKED from the control to its parent. FALSE when the button is missing,
// disabled or hidden.
bool Click(HWND hParent, int id);
// Posts WM_COMMAND id (a menu or accelerator command) to the window.
void PostCommand(HWND hWnd, int id);

// Dispatches the waiting messages (through the layer's message filter).
void Pump();
// Dispatches messages until pred() holds or timeoutMs passed; returns pred().
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs = 5000);

// The folder of the running test program, with a trailing backslash.
std::string ProgramFolder();

// Runs guidriver.exe (beside the test program) with the given arguments and collects its output lines.
struct DriverRun {
    DWORD exitCode = 0;
    std::vector<std::string> lines;
    std::string Output() const;
    // The lines that start with prefix + ' '.
    std::vector<std::string> LinesStartingWith(const std::string& prefix) const;
};
DriverRun RunGuiDriver(const std::string& arguments, DWORD timeoutMs = 60000);

} // namespace guitest

#endif
