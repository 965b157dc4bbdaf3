// src/app/MainApp.h
// CMainApp: Tavisk's application object. It runs the main dialog modally; the program ends when that closes.
#ifndef TAVISK_APP_MAINAPP_H
#define TAVISK_APP_MAINAPP_H

#include "framework/App.h"

class CMainApp : public CWinApp {
public:
    CMainApp();

    BOOL InitInstance() override;
};

extern CMainApp theApp;

#endif
