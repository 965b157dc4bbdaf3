// src/transfer/TestPages.h
// The four test pages on the shared frame. What each test does between Start and its last progress message comes
// with the tests themselves; here are the frame's differences between the pages.
#ifndef TAVISK_TRANSFER_TESTPAGES_H
#define TAVISK_TRANSFER_TESTPAGES_H

#include "transfer/TestPage.h"

class CDvdReadTestDlg : public CTestPageDlg {
public:
    explicit CDvdReadTestDlg(CWnd* pTestWindow) : CTestPageDlg(kTestPageDvdRead, pTestWindow) {}
    // The graph's length follows the DVD read length setting (kilobytes >> 10); the page repaints.
    void SetGraphLength();
    int GetGraphLength() const { return m_nGraphLength; }

private:
    int m_nGraphLength = int(kDvdLength5GB >> 10);
};

class CCdReadTestDlg : public CTestPageDlg {
public:
    explicit CCdReadTestDlg(CWnd* pTestWindow) : CTestPageDlg(kTestPageCdRead, pTestWindow) {}
};

class CDvdWriteTestDlg : public CTestPageDlg {
public:
    explicit CDvdWriteTestDlg(CWnd* pTestWindow) : CTestPageDlg(kTestPageDvdWrite, pTestWindow) {}

protected:
    void OnShowWindow(BOOL bShow, UINT nStatus);

public:
    BEGIN_MSG_MAP(CDvdWriteTestDlg)
        ON_WM_SHOWWINDOW()
        CHAIN_MSG_MAP(CTestPageDlg)
    END_MSG_MAP()
};

class CCdWriteTestDlg : public CTestPageDlg {
public:
    explicit CCdWriteTestDlg(CWnd* pTestWindow) : CTestPageDlg(kTestPageCdWrite, pTestWindow) {}
    ResultRunFacts RunFacts() const override;

    BEGIN_MSG_MAP(CCdWriteTestDlg)
        ON_WM_SHOWWINDOW()
        CHAIN_MSG_MAP(CTestPageDlg)
    END_MSG_MAP()

protected:
    // The CD write page shows "&Start" at the first press.
    void RequestStop() override;
    void OnShowWindow(BOOL bShow, UINT nStatus);
};

#endif
