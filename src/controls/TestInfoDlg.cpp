// src/controls/TestInfoDlg.cpp
#include "controls/TestInfoDlg.h"

namespace {

const int kBodyFontTenths = 90;
const int kHeadingPoints = 14;

} // namespace

CCIRCInfo::CCIRCInfo(CWnd* pParent) : CDialog(IDD_TEST_INFO, pParent), m_pBodyFont(new CFont)
{
    m_pBodyFont->CreatePointFont(kBodyFontTenths, "MS Shell Dlg");
}

CCIRCInfo::~CCIRCInfo() = default;

void CCIRCInfo::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_INFO_BODY, m_strBody);
    DDX_Text(pDX, IDC_INFO_SECOND_NOTE, m_strSecondNote);
    DDX_Text(pDX, IDC_INFO_FIRST_NOTE, m_strFirstNote);
    DDX_Control(pDX, IDC_INFO_HEADING, m_heading);
}

// The body keeps the body font; the heading takes the body font's face, bold, at 14 points.
BOOL CCIRCInfo::OnInitDialog()
{
    CDialog::OnInitDialog();
    LOGFONT lf = {};
    m_pBodyFont->GetLogFont(&lf);
    SendDlgItemMessage(IDC_INFO_BODY, WM_SETFONT, reinterpret_cast<WPARAM>(m_pBodyFont->m_hObject), TRUE);
    m_heading.SetLogFont(lf);
    m_heading.SetFontBold(TRUE);
    m_heading.SetFontSize(kHeadingPoints);
    SetWindowText(m_strTitle);
    m_heading.SetText(m_strTitle);
    UpdateData(FALSE);
    return TRUE;
}
