// src/framework/App.h
// CWinApp: the application object. The program defines one global instance (theApp); the layer's WinMain finds it,
// calls InitInstance and, when that returns TRUE, runs the message loop until WM_QUIT.
#ifndef TAVISK_FRAMEWORK_APP_H
#define TAVISK_FRAMEWORK_APP_H

#include "framework/String.h"

#include <windows.h>

class CWnd;

class CWinApp {
public:
    // No name: the application's name is the executable's file name without its extension.
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    // F1 / ID_HELP: the program has no help file, so nothing happens.
    void OnHelp();

    HINSTANCE m_hInstance = nullptr;
    LPTSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    LPCTSTR m_pszAppName = nullptr; // points into m_strAppName
    LPCTSTR m_pszExeName = nullptr; // points into m_strExeName
    CWnd* m_pMainWnd = nullptr;

private:
    CString m_strAppName;
    CString m_strExeName;
    int m_nExitCode = 0;

    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int);
};

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// The one application object, or null when the process has none (test programs).
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The application object's name, or the executable's file name without extension when there is no application.
LPCTSTR AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxEnableControlContainer();

#endif
