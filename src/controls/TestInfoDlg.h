// src/controls/TestInfoDlg.h
// CCIRCInfo: the description of a test that the test pages' "?" buttons show: a title in large bold type above a
// block of text, on dialog template 167. The caller sets the strings before DoModal.
#ifndef TAVISK_CONTROLS_TESTINFODLG_H
#define TAVISK_CONTROLS_TESTINFODLG_H

#include "controls/LabelCtrl.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "resource.h"

#include <memory>

class CCIRCInfo : public CDialog {
public:
    enum {
        IDD = IDD_TEST_INFO
    };

    explicit CCIRCInfo(CWnd* pParent = nullptr);
    ~CCIRCInfo() override;

    BOOL OnInitDialog() override;

    std::unique_ptr<CFont> m_pBodyFont; // 9-point "MS Shell Dlg" of the body text
    CString m_strTitle;                 // the window caption and the heading
    CString m_strBody;                  // static 1004
    CString m_strSecondNote;            // static 1027
    CString m_strFirstNote;             // static 1060
    CLabelCtrl m_heading;               // static 1059

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

#endif
