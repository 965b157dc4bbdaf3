// src/capture/CaptureDeviceList.h
// CCaptureDeviceList: the device objects of the capture side, one per enumerated video-input device, of the class
// that suits the device: DV devices under transport control, the maker's two Vidmorph boxes by the exact name of
// their capture filter, and the generic device for every other one. It receives the devices that arrive or leave
// from the graph manager.
#ifndef TAVISK_CAPTURE_CAPTUREDEVICELIST_H
#define TAVISK_CAPTURE_CAPTUREDEVICELIST_H

#include "capture/GraphManager.h"

#include <windows.h>

#include <memory>
#include <vector>

class CCaptureDevice;
class CDVCaptureDevice;
class CCaptureDeviceList;

// The program-wide device list; null until the main dialog created it, when its creation failed and after the
// capture side ended.
extern CCaptureDeviceList* g_pCaptureDeviceList;

class CCaptureDeviceList : public ICaptureDeviceSink {
public:
    CCaptureDeviceList();
    // Deletes the objects still held, as DeleteAll does.
    ~CCaptureDeviceList() override;
    CCaptureDeviceList(const CCaptureDeviceList&) = delete;
    CCaptureDeviceList& operator=(const CCaptureDeviceList&) = delete;

    // One object for every device descriptor of the program-wide graph manager; 0, also without a manager.
    int CreateAll();
    // The object of the index-th device descriptor: a DV device, or a capture device whose capabilities are
    // enumerated at once.
    void CreateDevice(int index) override;
    // The same for a descriptor (not owned; it must outlive the object).
    void CreateDeviceFor(CCaptureFilterInfo* pInfo);
    // Removes and deletes the DV device and the capture device of this descriptor instance number.
    void RemoveDevice(WORD id) override;
    // Deletes every object; each destructor leaves the descriptors alone.
    void DeleteAll();

    CCaptureDevice* FindDevice(const CCaptureFilterInfo* pInfo) const;
    CDVCaptureDevice* FindDVDevice(const CCaptureFilterInfo* pInfo) const;

    int GetDeviceCount() const { return int(m_devices.size()); }
    int GetDVDeviceCount() const { return int(m_dvDevices.size()); }
    // The object at `index` (not handed over); an index outside the list throws CInvalidArgException.
    CCaptureDevice* GetDevice(int index) const;
    CDVCaptureDevice* GetDVDevice(int index) const;

private:
    std::vector<std::unique_ptr<CCaptureDevice>> m_devices; // in creation order
    std::vector<std::unique_ptr<CDVCaptureDevice>> m_dvDevices;
};

#endif
