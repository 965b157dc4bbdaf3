// src/capture/CaptureStartup.h
// The capture side's part of the program start and end: the program-wide graph manager with the first lines of
// its diagnostics log, the filter graph and the video-input devices.
#ifndef TAVISK_CAPTURE_CAPTURESTARTUP_H
#define TAVISK_CAPTURE_CAPTURESTARTUP_H

#include <memory>

class CCaptureDeviceList;
class CGraphManager;

// Creates the graph manager, logs the start (the DirectX version included), creates the graph and enumerates the
// devices. Returns the manager, or null when the graph could not be made or no video-input device exists (the
// manager is then released and destroyed again, and its log records that). Sets nothing program-wide.
std::unique_ptr<CGraphManager> CreateStartupGraphManager();

// Releases the graph with its descriptors and destroys the manager (closing the logs); nothing for null.
void DestroyGraphManager(std::unique_ptr<CGraphManager> pManager);

// Makes the device list of the manager's devices: one device object per descriptor, capabilities enumerated, and
// the list told of devices that arrive or leave. Null for a null manager.
std::unique_ptr<CCaptureDeviceList> CreateStartupDeviceList(CGraphManager* pManager);

// The capture side of the running program: owns the graph manager and the device list and publishes them through
// g_pGraphManager and g_pCaptureDeviceList while they live. Not copyable (its owners are not).
class CCaptureSide {
public:
    CCaptureSide();
    // Destroy.
    ~CCaptureSide();

    // Ends what it holds, then creates the manager and the device list and sets both program-wide pointers
    // (null where the creation failed: without a graph or a video-input device there is neither).
    void Create();
    // The device objects go first (they point to descriptors the graph release frees), then the graph and the
    // manager with its logs, then the list; both program-wide pointers become null.
    void Destroy();

private:
    std::unique_ptr<CGraphManager> m_pGraphManager;
    std::unique_ptr<CCaptureDeviceList> m_pDeviceList;
};

#endif
