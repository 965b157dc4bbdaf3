// src/transfer/TestResultsDlg.h
// The results dialog (159): the texts of one of the ten runs of a test page at a time, chosen with a spin from 1
// to 10, with the run's colour beside the number. Clear and Clear All empty runs; the page reads which ones from
// the cleared-runs mask after the dialog has ended and empties them in its run store.
#ifndef TAVISK_TRANSFER_TESTRESULTSDLG_H
#define TAVISK_TRANSFER_TESTRESULTSDLG_H

#include "controls/LabelCtrl.h"
#include "framework/Framework.h"
#include "resource.h"
#include "transfer/TestRunRing.h"

#include <memory>

const int kResultsDialogTexts = 6;

class CTestResultsDlg : public CDialog {
public:
    explicit CTestResultsDlg(CWnd* pParent = nullptr);
    ~CTestResultsDlg() override;

    // Bit i set: run i + 1 was cleared (Clear All gives 0xFFFF).
    uint32_t m_nClearedRuns = 0;
    // The texts of the ten runs, filled by the page before DoModal.
    char m_texts[MAX_TEST_RUNS][kResultsDialogTexts][kResultTextSize];
    // The page whose runs are shown (the colours follow it).
    TestPageKind m_kind = kTestPageCdRead;

    // Shows run n (1..10) as the edit control names it; nothing while the dialog is being initialised.
    void OnRunChanged();
    // Fills the colour swatch with run i's colour (0..9; any other index takes run 1's).
    void DrawRunColour(int nRun);
    COLORREF RunColourOf(int nRun) const;

    BEGIN_MSG_MAP(CTestResultsDlg)
    ON_WM_SHOWWINDOW()
    ON_WM_PAINT()
    ON_EN_CHANGE(IDC_TR_RUN, OnRunChanged)
    ON_BN_CLICKED(IDC_TR_CLEAR, OnClear)
    ON_BN_CLICKED(IDC_TR_CLEAR_ALL, OnClearAll)
    ON_WM_CTLCOLOR()
    END_MSG_MAP()

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnPaint();
    void OnClear();
    void OnClearAll();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

private:
    int CurrentRunNumber() const;

    std::unique_ptr<CFont> m_pFont;
    CLabelCtrl m_label1047;
    CLabelCtrl m_label1046;
    CEdit m_runEdit;
    CLabelCtrl m_label1044;
    CLabelCtrl m_label1045;
    CLabelCtrl m_label1043;
    CLabelCtrl m_label1042;
    CSpinButtonCtrl m_spin;
    CStatic m_swatch;
    BOOL m_bInitialising = TRUE;
};

#endif
