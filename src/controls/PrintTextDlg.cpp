// src/controls/PrintTextDlg.cpp
#include "controls/PrintTextDlg.h"

CPrintTextDlg::CPrintTextDlg(CWnd* pParent) : CDialog(IDD_PRINT_TEXT, pParent) {}

CPrintTextDlg::~CPrintTextDlg() = default;

// The limit also goes to the edit control, which then refuses further characters.
void CPrintTextDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PRINT_NOTE, m_strText);
    DDV_MaxChars(pDX, m_strText, kMaxPrintNoteChars);
}

void CPrintTextDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_strResult = m_strText;
    CDialog::OnOK();
}
