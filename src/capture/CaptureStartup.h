// src/capture/CaptureStartup.h
// The capture side's part of the program start and end: the program-wide graph manager with the first lines of
// its diagnostics log, the filter graph and the video-input devices.
#ifndef TAVISK_CAPTURE_CAPTURESTARTUP_H
#define TAVISK_CAPTURE_CAPTURESTARTUP_H

class CGraphManager;

// Creates the graph manager, logs the start (the DirectX version included), creates the graph and enumerates the
// devices. Returns the manager, or NULL when the graph could not be made or no video-input device exists (the
// manager is then released and destroyed again, and its log records that). Sets nothing program-wide.
CGraphManager* CreateStartupGraphManager();

// Releases the graph with its descriptors and destroys the manager (closing the logs); nothing for NULL.
void DestroyGraphManager(CGraphManager* pManager);

#endif
