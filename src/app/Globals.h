// src/app/Globals.h
// Program-wide values that the main dialog sets and the other subsystems read. The program-wide objects' pointers
// are declared with their classes: g_pDriveManager in drive/DriveManager.h, g_pGraphManager in
// capture/GraphManager.h and g_pCaptureDeviceList in capture/CaptureDeviceList.h.
#ifndef TAVISK_APP_GLOBALS_H
#define TAVISK_APP_GLOBALS_H

#include <windows.h>

extern BYTE g_bReportMediaDetails; // 1 at start; 0 after the user accepted the old-ASPI warning

#endif
