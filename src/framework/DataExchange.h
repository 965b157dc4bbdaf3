// src/framework/DataExchange.h
// Dialog data exchange: DoDataExchange moves members to the controls (UpdateData(FALSE)) and back with validation
// (UpdateData(TRUE)) through the DDX_/DDV_ functions. A failed validation shows a message box, puts the focus on the
// control and makes UpdateData return FALSE.
#ifndef TAVISK_FRAMEWORK_DATAEXCHANGE_H
#define TAVISK_FRAMEWORK_DATAEXCHANGE_H

#include "framework/String.h"

#include <windows.h>

class CWnd;

// String-table ids of the validation prompts (outside the program's own range). The texts below are used when the
// module's string table lacks them.
#define AFX_IDP_PARSE_INT_RANGE 0xF100   // "Please enter an integer between %1 and %2."
#define AFX_IDP_PARSE_INT 0xF101         // "Please enter an integer."
#define AFX_IDP_PARSE_STRING_SIZE 0xF102 // "Please enter no more than %1 characters."

// Thrown by CDataExchange::Fail and caught by UpdateData; never escapes it.
struct CDataExchangeFailure {};

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate; // TRUE: controls -> members, with validation
    CWnd* m_pDlgWnd;

    // The control with this id (the next DDV applies to it); throws CInvalidArgException when there is none.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Focus (and selection, for an edit control) on the last prepared control, then abort the exchange.
    [[noreturn]] void Fail();

    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// Subclasses the control into rControl (once; both directions).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
// Loading sets the edit control's limit; saving rejects a longer text.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);

#endif
