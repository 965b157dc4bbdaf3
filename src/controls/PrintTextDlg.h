// src/controls/PrintTextDlg.h
// CPrintTextDlg: asks for a free note that the test print-out adds (dialog template 166). After IDOK the caller
// reads m_strResult; Cancel leaves it empty.
#ifndef TAVISK_CONTROLS_PRINTTEXTDLG_H
#define TAVISK_CONTROLS_PRINTTEXTDLG_H

#include "framework/Dialog.h"
#include "resource.h"

// The longest note the print-out takes.
const int kMaxPrintNoteChars = 420;

class CPrintTextDlg : public CDialog {
public:
    enum {
        IDD = IDD_PRINT_TEXT
    };

    explicit CPrintTextDlg(CWnd* pParent = nullptr);
    ~CPrintTextDlg() override;

    CString m_strResult; // the note, once the dialog ended with OK
    CString m_strText;   // the edited text

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};

#endif
