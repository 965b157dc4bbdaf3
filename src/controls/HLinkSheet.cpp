// src/controls/HLinkSheet.cpp
#include "controls/HLinkSheet.h"

CHLinkPage::CHLinkPage() : CPropertyPage(IDD) {}

CHLinkPage::~CHLinkPage() = default;

BOOL CHLinkPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_strWindowText.Empty();
    if (m_pWnd != nullptr && m_pWnd->m_hWnd != nullptr)
        m_pWnd->GetWindowText(m_strWindowText);
    return TRUE;
}

CHLinkSheet::CHLinkSheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(LoadStringText(nIDCaption), pParentWnd, iSelectPage)
{
    AddPage(&m_page);
}

CHLinkSheet::CHLinkSheet(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage)
{
    AddPage(&m_page);
}

CHLinkSheet::~CHLinkSheet() = default;
