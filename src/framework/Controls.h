// src/framework/Controls.h
// Thin wrappers of the standard and common controls. They are usually bound to a dialog's control with
// DDX_Control or SubclassDlgItem; each method is the control message of the same name.
#ifndef TAVISK_FRAMEWORK_CONTROLS_H
#define TAVISK_FRAMEWORK_CONTROLS_H

#include "framework/Wnd.h"

#include <commctrl.h>

class CStatic : public CWnd {
public:
    HICON SetIcon(HICON hIcon)
    {
        return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(hIcon)));
    }
    HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
    HBITMAP SetBitmap(HBITMAP hBitmap)
    {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
    }
};

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    void SetState(BOOL bHighlight) { SendMessage(BM_SETSTATE, static_cast<WPARAM>(bHighlight)); }
    UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) { SendMessage(BM_SETSTYLE, nStyle, bRedraw); }
    void Click() { SendMessage(BM_CLICK); }
};

class CEdit : public CWnd {
public:
    void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars)); }
    void SetLimitText(UINT nMax) { SendMessage(EM_LIMITTEXT, nMax); }
    UINT GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE)
    {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
        if (!bNoScroll)
            SendMessage(EM_SCROLLCARET);
    }
    void GetSel(int& nStartChar, int& nEndChar) const
    {
        DWORD dwStart = 0, dwEnd = 0;
        SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart), reinterpret_cast<LPARAM>(&dwEnd));
        nStartChar = static_cast<int>(dwStart);
        nEndChar = static_cast<int>(dwEnd);
    }
    void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(lpszNewText));
    }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, bReadOnly)); }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    BOOL GetModify() const { return static_cast<BOOL>(SendMessage(EM_GETMODIFY)); }
    void SetModify(BOOL bModified = TRUE) { SendMessage(EM_SETMODIFY, bModified); }
};

class CListBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int AddString(LPCTSTR lpszItem) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, Param(lpszItem))); }
    int InsertString(int nIndex, LPCTSTR lpszItem)
    {
        return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(nIndex), Param(lpszItem)));
    }
    int DeleteString(UINT nIndex) { return static_cast<int>(SendMessage(LB_DELETESTRING, nIndex)); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetTextLen(int nIndex) const { return static_cast<int>(SendMessage(LB_GETTEXTLEN, nIndex)); }
    int GetText(int nIndex, LPTSTR lpszBuffer) const
    {
        return static_cast<int>(SendMessage(LB_GETTEXT, nIndex, reinterpret_cast<LPARAM>(lpszBuffer)));
    }
    void GetText(int nIndex, CString& rString) const
    {
        int nLength = GetTextLen(nIndex);
        if (nLength == LB_ERR) {
            rString.Empty();
            return;
        }
        GetText(nIndex, rString.GetBuffer(nLength + 1));
        rString.ReleaseBuffer();
    }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int nSelect) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(nSelect))); }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
    int SetTopIndex(int nIndex) { return static_cast<int>(SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(nIndex))); }
    int FindString(int nStartAfter, LPCTSTR lpszItem) const
    {
        return static_cast<int>(SendMessage(LB_FINDSTRING, static_cast<WPARAM>(nStartAfter), Param(lpszItem)));
    }
    int FindStringExact(int nIndexStart, LPCTSTR lpszFind) const
    {
        return static_cast<int>(SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(nIndexStart), Param(lpszFind)));
    }
    int SelectString(int nStartAfter, LPCTSTR lpszItem)
    {
        return static_cast<int>(SendMessage(LB_SELECTSTRING, static_cast<WPARAM>(nStartAfter), Param(lpszItem)));
    }
    DWORD_PTR GetItemData(int nIndex) const { return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, nIndex)); }
    int SetItemData(int nIndex, DWORD_PTR dwItemData)
    {
        return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(nIndex), dwItemData));
    }
    BOOL SetTabStops(int nTabStops, LPINT rgTabStops)
    {
        return static_cast<BOOL>(SendMessage(LB_SETTABSTOPS, nTabStops, reinterpret_cast<LPARAM>(rgTabStops)));
    }
    void SetHorizontalExtent(int cxExtent) { SendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(cxExtent)); }

private:
    static LPARAM Param(LPCTSTR psz) { return reinterpret_cast<LPARAM>(psz); }
};

class CComboBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int AddString(LPCTSTR lpszString)
    {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszString)));
    }
    int InsertString(int nIndex, LPCTSTR lpszString)
    {
        return static_cast<int>(
            SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszString)));
    }
    int DeleteString(UINT nIndex) { return static_cast<int>(SendMessage(CB_DELETESTRING, nIndex)); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int nSelect) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect))); }
    int GetLBTextLen(int nIndex) const { return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, nIndex)); }
    int GetLBText(int nIndex, LPTSTR lpszText) const
    {
        return static_cast<int>(SendMessage(CB_GETLBTEXT, nIndex, reinterpret_cast<LPARAM>(lpszText)));
    }
    void GetLBText(int nIndex, CString& rString) const
    {
        int nLength = GetLBTextLen(nIndex);
        if (nLength == CB_ERR) {
            rString.Empty();
            return;
        }
        GetLBText(nIndex, rString.GetBuffer(nLength + 1));
        rString.ReleaseBuffer();
    }
    int FindStringExact(int nIndexStart, LPCTSTR lpszFind) const
    {
        return static_cast<int>(
            SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(nIndexStart), reinterpret_cast<LPARAM>(lpszFind)));
    }
    int SelectString(int nStartAfter, LPCTSTR lpszString)
    {
        return static_cast<int>(
            SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(nStartAfter), reinterpret_cast<LPARAM>(lpszString)));
    }
    DWORD_PTR GetItemData(int nIndex) const { return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, nIndex)); }
    int SetItemData(int nIndex, DWORD_PTR dwItemData)
    {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(nIndex), dwItemData));
    }
    BOOL LimitText(int nMaxChars) { return static_cast<BOOL>(SendMessage(CB_LIMITTEXT, nMaxChars)); }
    void ShowDropDown(BOOL bShowIt = TRUE) { SendMessage(CB_SHOWDROPDOWN, bShowIt); }
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short nLower, short nUpper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper)); }
    void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, nLower, nUpper); }
    int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos))); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int OffsetPos(int nPos) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(nPos))); }
    int SetStep(int nStep) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(nStep))); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};

class CSpinButtonCtrl : public CWnd {
public:
    void SetRange(short nLower, short nUpper) { SendMessage(UDM_SETRANGE, 0, MAKELPARAM(nUpper, nLower)); }
    void SetRange32(int nLower, int nUpper) { SendMessage(UDM_SETRANGE32, nLower, nUpper); }
    void GetRange32(int& nLower, int& nUpper) const
    {
        SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLower), reinterpret_cast<LPARAM>(&nUpper));
    }
    int SetPos(int nPos) { return static_cast<int>(SendMessage(UDM_SETPOS, 0, MAKELPARAM(nPos, 0))); }
    int GetPos() const { return static_cast<int>(SendMessage(UDM_GETPOS)); }
    CWnd* SetBuddy(CWnd* pWndBuddy)
    {
        return CWnd::FromHandle(reinterpret_cast<HWND>(
            SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(pWndBuddy ? pWndBuddy->m_hWnd : nullptr))));
    }
    CWnd* GetBuddy() const { return CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY))); }
    int SetBase(int nBase) { return static_cast<int>(SendMessage(UDM_SETBASE, static_cast<WPARAM>(nBase))); }
};

#endif
