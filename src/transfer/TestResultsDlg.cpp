// src/transfer/TestResultsDlg.cpp
#include "transfer/TestResultsDlg.h"

#include "resource.h"

#include <cstdlib>
#include <cstring>

namespace {

const COLORREF kTextColour = 0xA00000;
const int kRunNumberChars = 5;

} // namespace

CTestResultsDlg::CTestResultsDlg(CWnd* pParent) : CDialog(IDD_TEST_RESULTS, pParent), m_pFont(new CFont)
{
    std::memset(m_texts, 0, sizeof(m_texts));
    m_pFont->CreatePointFont(90, "MS Shell Dlg");
}

CTestResultsDlg::~CTestResultsDlg() = default;

void CTestResultsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1047, m_label1047);
    DDX_Control(pDX, 1046, m_label1046);
    DDX_Control(pDX, IDC_TR_RUN, m_runEdit);
    DDX_Control(pDX, 1044, m_label1044);
    DDX_Control(pDX, 1045, m_label1045);
    DDX_Control(pDX, 1043, m_label1043);
    DDX_Control(pDX, 1042, m_label1042);
    DDX_Control(pDX, IDC_TR_SPIN, m_spin);
    DDX_Control(pDX, IDC_TR_SWATCH, m_swatch);
}

BOOL CTestResultsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (CLabelCtrl* pLabel : {&m_label1042, &m_label1043, &m_label1044, &m_label1045, &m_label1046, &m_label1047})
        pLabel->SetTextColor(kTextColour);
    m_bInitialising = TRUE;
    m_spin.SetRange(1, MAX_TEST_RUNS);
    m_spin.SetPos(1);
    for (int nId : {IDC_TR_CLEAR, IDC_TR_CLEAR_ALL, IDOK})
        SendDlgItemMessage(nId, WM_SETFONT, reinterpret_cast<WPARAM>(m_pFont->m_hObject), TRUE);
    return TRUE;
}

void CTestResultsDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    Default();
    if (bShow) {
        m_bInitialising = FALSE;
        OnRunChanged();
    }
}

// Every repaint refreshes the labels and the swatch.
void CTestResultsDlg::OnPaint()
{
    CPaintDC dc(this);
    OnRunChanged();
}

int CTestResultsDlg::CurrentRunNumber() const
{
    char szNumber[kRunNumberChars + 1] = {};
    ::GetWindowTextA(m_runEdit.m_hWnd, szNumber, sizeof(szNumber));
    return std::atoi(szNumber);
}

void CTestResultsDlg::OnRunChanged()
{
    if (m_bInitialising || m_hWnd == nullptr)
        return;
    const int n = CurrentRunNumber();
    CLabelCtrl* labels[kResultsDialogTexts] = {&m_label1042, &m_label1043, &m_label1044,
                                               &m_label1045, &m_label1046, &m_label1047};
    for (int i = 0; i < kResultsDialogTexts; ++i)
        labels[i]->SetText(n >= 1 && n <= MAX_TEST_RUNS ? m_texts[n - 1][i] : "");
    DrawRunColour(n - 1);
    UpdateData(FALSE);
}

COLORREF CTestResultsDlg::RunColourOf(int nRun) const
{
    // The dialog's own copy of the run colours: run 9 is light blue on every page.
    return RunColour(kTestPageCdRead, nRun);
}

void CTestResultsDlg::DrawRunColour(int nRun)
{
    if (m_swatch.m_hWnd == nullptr)
        return;
    CBrush brush(RunColourOf(nRun));
    RECT rc;
    m_swatch.GetClientRect(&rc);
    CClientDC dc(&m_swatch);
    if (dc.m_hDC == nullptr)
        return;
    CSelectObjectGuard selection(dc, brush.m_hObject);
    dc.Rectangle(rc.left, rc.top, rc.right, rc.bottom);
}

void CTestResultsDlg::OnClear()
{
    const int n = CurrentRunNumber();
    if (n >= 1 && n <= MAX_TEST_RUNS) {
        std::memset(m_texts[n - 1], 0, sizeof(m_texts[n - 1]));
        m_nClearedRuns |= 1u << (n - 1);
    }
    OnRunChanged();
}

void CTestResultsDlg::OnClearAll()
{
    m_nClearedRuns = 0xFFFF;
    std::memset(m_texts, 0, sizeof(m_texts));
    OnRunChanged();
}

// The run number is drawn in the texts' colour. A read-only edit asks as a static control does, so both
// messages count for it.
HBRUSH CTestResultsDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH hBrush = reinterpret_cast<HBRUSH>(Default());
    bool bRunEdit = pWnd != nullptr && pWnd->m_hWnd == m_runEdit.m_hWnd;
    if (nCtlColor == CTLCOLOR_EDIT || (bRunEdit && nCtlColor == CTLCOLOR_STATIC))
        pDC->SetTextColor(kTextColour);
    return hBrush;
}
