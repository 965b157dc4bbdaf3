// src/app/MainApp.cpp
#include "app/MainApp.h"

#include "app/MainDlg.h"

#include <commctrl.h>

CMainApp theApp;

// No name is passed: the application's name, and so the caption of every message box shown without one, is the
// executable's file name.
CMainApp::CMainApp() {}

// The main dialog's modal loop is the program's only main loop. InitInstance returns FALSE so that the program
// ends as soon as the dialog has closed, whatever DoModal returned.
BOOL CMainApp::InitInstance()
{
    InitCommonControls();
    AfxEnableControlContainer();

    CMainDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
