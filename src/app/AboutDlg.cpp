// src/app/AboutDlg.cpp
#include "app/AboutDlg.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

// The version line reads "Tavisk V" and the version (string 102).
BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CString strVersion;
    strVersion.LoadString(IDS_VERSION);
    SetDlgItemText(IDC_ABOUT_VERSION, CString("Tavisk V") + strVersion);
    return TRUE;
}
