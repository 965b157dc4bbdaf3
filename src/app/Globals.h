// src/app/Globals.h
// Program-wide objects that the main dialog creates and the other subsystems read. The drive manager's pointer,
// g_pDriveManager, is declared with its class in drive/DriveManager.h; the graph manager's is defined with its
// class in capture/GraphManager.cpp.
#ifndef TAVISK_APP_GLOBALS_H
#define TAVISK_APP_GLOBALS_H

#include <windows.h>

class CGraphManager;
class CCaptureDeviceList;

extern CGraphManager* g_pGraphManager;           // capture side; NULL until created or when its creation failed
extern CCaptureDeviceList* g_pCaptureDeviceList; // NULL when not created
extern BYTE g_bReportMediaDetails;               // 1 at start; 0 after the user accepted the old-ASPI warning

#endif
