// src/capture/CaptureStartup.h
// The capture side's part of the program start and end: the program-wide graph manager with the first lines of
// its diagnostics log, the filter graph and the video-input devices.
#ifndef TAVISK_CAPTURE_CAPTURESTARTUP_H
#define TAVISK_CAPTURE_CAPTURESTARTUP_H

class CCaptureDeviceList;
class CGraphManager;

// Creates the graph manager, logs the start (the DirectX version included), creates the graph and enumerates the
// devices. Returns the manager, or NULL when the graph could not be made or no video-input device exists (the
// manager is then released and destroyed again, and its log records that). Sets nothing program-wide.
CGraphManager* CreateStartupGraphManager();

// Releases the graph with its descriptors and destroys the manager (closing the logs); nothing for NULL.
void DestroyGraphManager(CGraphManager* pManager);

// Makes the device list of the manager's devices: one device object per descriptor, capabilities enumerated, and
// the list told of devices that arrive or leave. NULL when it cannot be had.
CCaptureDeviceList* CreateStartupDeviceList(CGraphManager* pManager);

// The end of the capture side: the device objects go first (they point to descriptors the graph release frees),
// then the graph and the manager, then the list. Either may be NULL.
void DestroyCaptureSide(CGraphManager* pManager, CCaptureDeviceList* pList);

#endif
