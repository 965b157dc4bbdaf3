// src/controls/HLinkSheet.h
// CHLinkPage and CHLinkSheet: a property page on its own small template (OK and Cancel) that reads the text of a
// window it is given when it opens, and a property sheet holding one such page. They are offered for showing a link
// on a sheet of its own; nothing in the program shows them yet.
#ifndef TAVISK_CONTROLS_HLINKSHEET_H
#define TAVISK_CONTROLS_HLINKSHEET_H

#include "framework/PropertySheet.h"
#include "framework/String.h"
#include "resource.h"

class CHLinkPage : public CPropertyPage {
public:
    enum {
        IDD = IDD_HLINK_PAGE
    };

    CHLinkPage();
    ~CHLinkPage() override;

    BOOL OnInitDialog() override;

    CWnd* m_pWnd = nullptr;  // the window whose text the page reads; not owned
    CString m_strWindowText; // what it read when the page opened
};

class CHLinkSheet : public CPropertySheet {
public:
    // The caption from the string table, or as a text; the sheet opens on iSelectPage.
    explicit CHLinkSheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CHLinkSheet(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CHLinkSheet() override;

    CHLinkPage m_page;
};

#endif
