// src/app/AboutDlg.h
// CAboutDlg: the About box (template 100), opened from the main window's system menu.
#ifndef TAVISK_APP_ABOUTDLG_H
#define TAVISK_APP_ABOUTDLG_H

#include "framework/Framework.h"
#include "resource.h"

class CAboutDlg : public CDialog {
public:
    enum {
        IDD = IDD_ABOUTBOX
    };

    CAboutDlg();

    BOOL OnInitDialog() override;
};

#endif
