// src/framework/PropertySheet.h
// CPropertySheet and CPropertyPage: a modal tabbed sheet of dialog pages on the common controls' property sheet.
// The sheet runs modeless under the layer's own modal loop (so the test hooks and the message filter see it) and
// ends when the common control has no current page any more. OK versus Cancel is decided by whether a page got
// the apply notification, not by the control's "changes were saved" result.
//
// A page is a CDialog whose window the sheet creates from its template when the page is first shown; a page never
// shown has no window and keeps its members. On leaving a page (and on OK) the page validates its data
// (UpdateData(TRUE)); a failed validation keeps the page open. On OK every page that has a window runs OnOK.
#ifndef TAVISK_FRAMEWORK_PROPERTYSHEET_H
#define TAVISK_FRAMEWORK_PROPERTYSHEET_H

#include "framework/Array.h"
#include "framework/Dialog.h"

#include <commctrl.h>

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT nIDTemplate);
    ~CPropertyPage() override;

    // PROPSHEETPAGE flags of the page (PSP_HASHELP is cleared by default).
    DWORD m_dwPageFlags = PSP_DEFAULT;

    // Leaving the page: the base validates the data; FALSE keeps the page.
    virtual BOOL OnKillActive();
    // The sheet closes with OK: the base does nothing (the data were exchanged on leaving the page).
    void OnOK() override;
    // The sheet closes with Cancel: the base does nothing.
    void OnCancel() override;

protected:
    BOOL OnLayerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK PageProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    CPropertySheet* m_pSheet = nullptr;
};

class CPropertySheet : public CDialog {
public:
    CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    // Pages are shown in the order they were added; the sheet does not own them.
    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return static_cast<int>(m_pages.GetSize()); }
    CPropertyPage* GetPage(int nPage) const { return m_pages[nPage]; }
    // Before DoModal: the page shown first. While the sheet runs: switches to that page.
    BOOL SetActivePage(int nPage);
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const;

    // IDOK when a page got the apply notification, IDCANCEL otherwise, -1 when the sheet could not be created.
    INT_PTR DoModal() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // PROPSHEETHEADER flags added to PSH_PROPSHEETPAGE | PSH_MODELESS.
    DWORD m_dwSheetFlags = 0;
    CString m_strCaption;
    UINT m_nStartPage = 0;

private:
    friend class CPropertyPage;
    bool m_bApplied = false;
    CArray<CPropertyPage*, CPropertyPage*> m_pages;
};

#endif
