// src/framework/DataExchange.cpp
#include "framework/DataExchange.h"

#include "framework/Exceptions.h"
#include "framework/MessageBox.h"
#include "framework/Wnd.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// A validation prompt from the string table, or the built-in English text when the module has none.
CString LoadPrompt(UINT nID, LPCTSTR pszFallback)
{
    CString strPrompt;
    if (!strPrompt.LoadString(nID) || strPrompt.IsEmpty())
        strPrompt = pszFallback;
    return strPrompt;
}

// Reads a decimal integer that may have blanks around it, as the class library accepts it; anything else,
// including a value outside int, is rejected.
bool ParseInt(LPCTSTR pszText, int& value)
{
    const char* p = pszText;
    while (*p == ' ' || *p == '\t')
        ++p;
    errno = 0;
    char* pEnd = nullptr;
    long parsed = std::strtol(p, &pEnd, 10);
    if (pEnd == p || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    while (*pEnd == ' ' || *pEnd == '\t')
        ++pEnd;
    if (*pEnd != '\0')
        return false;
    value = static_cast<int>(parsed);
    return true;
}

CString WindowText(HWND hWnd)
{
    CString strText;
    int nLength = ::GetWindowTextLength(hWnd);
    ::GetWindowText(hWnd, strText.GetBuffer(nLength + 1), nLength + 1);
    strText.ReleaseBuffer();
    return strText;
}

bool IsComboBox(HWND hWnd)
{
    char szClass[16] = {};
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return lstrcmpiA(szClass, "ComboBox") == 0;
}

} // namespace

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWndCtrl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (hWndCtrl == nullptr)
        AfxThrowInvalidArgException();
    m_hWndLastControl = hWndCtrl;
    m_bEditLastControl = FALSE;
    return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    if (m_hWndLastControl != nullptr) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessage(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw CDataExchangeFailure();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = WindowText(hWndCtrl);
    else
        ::SetWindowText(hWndCtrl, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        if (!ParseInt(WindowText(hWndCtrl), value)) {
            AfxMessageBox(LoadPrompt(AFX_IDP_PARSE_INT, "Please enter an integer."), MB_OK | MB_ICONEXCLAMATION);
            pDX->Fail();
        }
    } else {
        CString strText;
        strText.Format("%d", value);
        ::SetWindowText(hWndCtrl, strText);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessage(hWndCtrl, BM_GETCHECK, 0, 0));
    else
        ::SendMessage(hWndCtrl, BM_SETCHECK, static_cast<WPARAM>(value >= 0 && value <= 2 ? value : 0), 0);
}

// Takes no part in validation (the next DDV still refers to the control before it).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd != nullptr)
        return;
    HWND hWndCtrl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hWndCtrl == nullptr || !rControl.SubclassWindow(hWndCtrl))
        AfxThrowInvalidArgException();
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    CString strMin, strMax;
    strMin.Format("%d", minVal);
    strMax.Format("%d", maxVal);
    CString strPrompt = LoadPrompt(AFX_IDP_PARSE_INT_RANGE, "Please enter an integer between %1 and %2.");
    strPrompt.Replace("%1", strMin);
    strPrompt.Replace("%2", strMax);
    AfxMessageBox(strPrompt, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (!pDX->m_bSaveAndValidate) {
        HWND hWndCtrl = pDX->m_hWndLastControl;
        if (hWndCtrl != nullptr && pDX->m_bEditLastControl)
            ::SendMessage(hWndCtrl, IsComboBox(hWndCtrl) ? CB_LIMITTEXT : EM_LIMITTEXT, nChars, 0);
        return;
    }
    if (value.GetLength() <= nChars)
        return;
    CString strCount;
    strCount.Format("%d", nChars);
    CString strPrompt = LoadPrompt(AFX_IDP_PARSE_STRING_SIZE, "Please enter no more than %1 characters.");
    strPrompt.Replace("%1", strCount);
    AfxMessageBox(strPrompt, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}
