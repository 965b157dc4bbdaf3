// tests/controls/ShellRecorder.h
// Installs a shell table that records every ShellExecute instead of starting anything, for as long as it lives.
#ifndef TAVISK_TESTS_CONTROLS_SHELLRECORDER_H
#define TAVISK_TESTS_CONTROLS_SHELLRECORDER_H

#include "framework/Shell.h"

#include <string>
#include <vector>

struct ShellCall {
    HWND hWnd;
    std::string verb; // "(null)" for no verb
    std::string file;
    std::string parameters; // "(null)" for none
    INT nShowCmd;
};

class CShellRecorder {
public:
    // nResult: what the recorded ShellExecute returns (above 32 is success).
    explicit CShellRecorder(INT_PTR nResult = 42)
    {
        s_pActive = this;
        m_nResult = nResult;
        m_pPrevious = SetShellHooks(&kHooks);
    }
    ~CShellRecorder()
    {
        SetShellHooks(m_pPrevious);
        s_pActive = nullptr;
    }
    CShellRecorder(const CShellRecorder&) = delete;
    CShellRecorder& operator=(const CShellRecorder&) = delete;

    std::vector<ShellCall> calls;

private:
    static std::string Text(LPCSTR psz) { return psz != nullptr ? std::string(psz) : std::string("(null)"); }
    static HINSTANCE Record(HWND hWnd, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParameters, LPCSTR, INT nShowCmd)
    {
        s_pActive->calls.push_back({hWnd, Text(pszVerb), Text(pszFile), Text(pszParameters), nShowCmd});
        return reinterpret_cast<HINSTANCE>(s_pActive->m_nResult);
    }

    static constexpr ShellHooks kHooks = {&CShellRecorder::Record};
    static inline CShellRecorder* s_pActive = nullptr;
    const ShellHooks* m_pPrevious;
    INT_PTR m_nResult;
};

#endif
