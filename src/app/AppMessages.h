// src/app/AppMessages.h
// Window messages, timers and system-menu commands that the main dialog exchanges with the other windows.
#ifndef TAVISK_APP_APPMESSAGES_H
#define TAVISK_APP_APPMESSAGES_H

#include <windows.h>

// Update dialog -> main dialog: wParam 3; lParam 1 = nothing found or the check failed, 0 = the list was closed.
// (The worker also posts it to the update dialog with (0, 0) when the drive walk has ended.)
#ifndef WM_UPDATE_CHECK_DONE
#define WM_UPDATE_CHECK_DONE (WM_APP + 10)
#endif
// Test window -> main dialog: the chosen drive or the test kind (read/write) changed; wParam and lParam unused.
#ifndef WM_TEST_DRIVE_CHANGED
#define WM_TEST_DRIVE_CHANGED (WM_APP + 0x78)
#endif
#ifndef WM_TEST_KIND_CHANGED
#define WM_TEST_KIND_CHANGED (WM_APP + 0x65)
#endif

// The main dialog's one timer: the automatic firmware-update check, once, 500 ms after start-up or Refresh.
const UINT_PTR IDT_AUTO_FW_CHECK = 10;
const UINT kAutoFwCheckDelayMs = 500;

#endif
