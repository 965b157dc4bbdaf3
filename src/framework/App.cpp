// src/framework/App.cpp
#include "framework/App.h"

#include "framework/Wnd.h"

namespace {

CWinApp* g_pApp = nullptr;

// The executable's file name without folder and extension ("C:\\x\\Tavisk.exe" -> "Tavisk").
CString ExecutableStem()
{
    char szPath[MAX_PATH] = {};
    DWORD nLength = ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    CString strPath(szPath, static_cast<int>(nLength < MAX_PATH ? nLength : MAX_PATH - 1));
    int nSlash = strPath.ReverseFind('\\');
    int nForward = strPath.ReverseFind('/');
    if (nForward > nSlash)
        nSlash = nForward;
    CString strName = strPath.Mid(nSlash + 1);
    int nDot = strName.ReverseFind('.');
    if (nDot > 0)
        strName = strName.Left(nDot);
    return strName;
}

} // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName)
{
    g_pApp = this;
    m_strExeName = ExecutableStem();
    m_strAppName = lpszAppName != nullptr ? CString(lpszAppName) : m_strExeName;
    m_pszAppName = m_strAppName;
    m_pszExeName = m_strExeName;
    m_hInstance = ::GetModuleHandleA(nullptr);
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    MSG msg;
    for (;;) {
        BOOL bGot = ::GetMessageA(&msg, nullptr, 0, 0);
        if (bGot == -1)
            break;
        if (bGot == 0) {
            m_nExitCode = static_cast<int>(msg.wParam);
            break;
        }
        AfxDispatchMessage(&msg);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

void CWinApp::OnHelp() {}

// The entry point for the layer's programs. Nothing may escape it by exception; a failure during start-up or the
// loop is reported and ends the program with exit code 1.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return 1;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = lpCmdLine;
    pApp->m_nCmdShow = nCmdShow;
    try {
        if (!pApp->InitInstance()) {
            if (pApp->m_pMainWnd != nullptr && pApp->m_pMainWnd->m_hWnd != nullptr)
                pApp->m_pMainWnd->DestroyWindow();
            return pApp->ExitInstance();
        }
        return pApp->Run();
    } catch (...) {
        AfxReportCallbackException("application");
        return 1;
    }
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr;
}

LPCTSTR AfxGetAppName()
{
    if (g_pApp != nullptr)
        return g_pApp->m_pszAppName;
    static const CString s_strStem = ExecutableStem();
    return s_strStem;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp != nullptr && g_pApp->m_hInstance != nullptr ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

// The program hosts no ActiveX controls.
void AfxEnableControlContainer() {}
