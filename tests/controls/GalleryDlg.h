// tests/controls/GalleryDlg.h
// CGalleryDlg: the control gallery of the tests, a child dialog created modeless in a host window so that a test
// can drive its controls with window messages, pump, and read their pixels.
#ifndef TAVISK_TESTS_CONTROLS_GALLERYDLG_H
#define TAVISK_TESTS_CONTROLS_GALLERYDLG_H

#include "GalleryResource.h"
#include "controls/HyperLink.h"
#include "controls/LabelCtrl.h"
#include "controls/MaskEdit.h"
#include "framework/Framework.h"

#include <vector>

class CGalleryDlg : public CDialog {
public:
    CGalleryDlg() : CDialog(IDD_GALLERY) {}
    ~CGalleryDlg() override
    {
        if (m_hWnd != nullptr)
            DestroyWindow();
    }

    // Creates the gallery in the host window, at its top left.
    bool Open(HWND hHost)
    {
        if (!Create(IDD_GALLERY, CWnd::FromHandle(hHost)))
            return false;
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(SW_SHOW);
        return true;
    }

    CLabelCtrl m_label;
    CLabelCtrl m_labelGradient;
    CLabelCtrl m_labelCenter;
    CLabelCtrl m_labelLink;
    CLabelCtrl m_labelFlash;
    CLabelCtrl m_labelRight;
    CHyperLink m_link;
    CHyperLink m_linkCenter;
    CHyperLink m_linkRight;
    CHyperLink m_linkIcon;
    CMaskEdit m_mask;
    CMaskEdit m_maskHex;

    // The label notifications the gallery received: the control ids.
    std::vector<UINT> m_labelClicks;

    BEGIN_MSG_MAP(CGalleryDlg)
    ON_MESSAGE(WM_NOTIFY, OnNotifyMsg)
    CHAIN_MSG_MAP(CDialog)
    END_MSG_MAP()

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_G_LABEL, m_label);
        DDX_Control(pDX, IDC_G_LABEL_GRADIENT, m_labelGradient);
        DDX_Control(pDX, IDC_G_LABEL_CENTER, m_labelCenter);
        DDX_Control(pDX, IDC_G_LABEL_LINK, m_labelLink);
        DDX_Control(pDX, IDC_G_LABEL_FLASH, m_labelFlash);
        DDX_Control(pDX, IDC_G_LABEL_RIGHT, m_labelRight);
        DDX_Control(pDX, IDC_G_LINK, m_link);
        DDX_Control(pDX, IDC_G_LINK_CENTER, m_linkCenter);
        DDX_Control(pDX, IDC_G_LINK_RIGHT, m_linkRight);
        DDX_Control(pDX, IDC_G_LINK_ICON, m_linkIcon);
        DDX_Control(pDX, IDC_G_MASK, m_mask);
        DDX_Control(pDX, IDC_G_MASK_HEX, m_maskHex);
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_mask.SetMask("\3\3\3:\3\3.\3\3", '_', '0');
        m_maskHex.SetMask("\5\5-\5\5", '_', '0');
        return TRUE;
    }

private:
    LRESULT OnNotifyMsg(WPARAM wParam, LPARAM lParam)
    {
        const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        if (pHeader == nullptr || pHeader->code != NM_LABELCLICKED)
            return Default();
        m_labelClicks.push_back(static_cast<UINT>(wParam));
        return 0;
    }
};

#endif
