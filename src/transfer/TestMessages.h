// src/transfer/TestMessages.h
// Messages and timers of the transfer-rate tests: the worker's progress reports to its page, the page's notice to
// the test window, and the test window's notices to the main dialog.
#ifndef TAVISK_TRANSFER_TESTMESSAGES_H
#define TAVISK_TRANSFER_TESTMESSAGES_H

#include <windows.h>

// Worker -> page (sent): wParam a TestProgressCode, lParam a value. The DVD write page has its own number.
#define WM_TEST_PROGRESS (WM_APP + 1)
#define WM_DVDWRITE_PROGRESS (WM_APP + 5)
// Page -> test window: the run state's running flag was set or cleared. (The same number means something else
// to the main dialog: such messages are never passed on to a parent.)
#define WM_TEST_STATE_CHANGED (WM_APP + 10)
// Test window -> main dialog: the chosen drive or the test kind changed; wParam and lParam unused.
#ifndef WM_TEST_DRIVE_CHANGED
#define WM_TEST_DRIVE_CHANGED (WM_APP + 0x78)
#endif
#ifndef WM_TEST_KIND_CHANGED
#define WM_TEST_KIND_CHANGED (WM_APP + 0x65)
#endif

enum TestProgressCode {
    TPC_ERROR = 0,   // a drive command failed; the sense data is in the worker state's record
    TPC_PERCENT = 1, // percent of the current sample (CD write)
    TPC_DONE = 2,    // the test ended normally
    TPC_SAMPLE = 3,  // lParam: the speed of the sample just stored, in hundredths of X
    TPC_STOPPED = 4  // the worker saw the stop request
};

// Page timers
const UINT_PTR IDT_PROGRESS_ANIMATION = 10; // every 25 ms while a run is active
const UINT kProgressAnimationMs = 25;
const UINT_PTR IDT_ERASE_POLL = 20; // write pages: every 1000 ms while a disc is blanked
const UINT kErasePollMs = 1000;

// The main dialog's Preferences command, which a page's Preferences button sends up the parent chain.
const UINT kPreferencesCommand = 32789;

#endif
