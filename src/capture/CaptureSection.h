// src/capture/CaptureSection.h
// The report's capture-device section: each enumerated video-input device with its device path and the driver
// behind it (from the device's Enum, Services and Class keys), then the sibling product's stored capture settings
// for that device. The registry root is HKEY_LOCAL_MACHINE in the program; tests pass a private key instead.
#ifndef TAVISK_CAPTURE_CAPTURESECTION_H
#define TAVISK_CAPTURE_CAPTURESECTION_H

#include "framework/Array.h"
#include "framework/String.h"

#include <windows.h>

class CGraphManager;

// The driver data of one device path.
class CCaptureDriverInfo {
public:
    explicit CCaptureDriverInfo(CString devicePath, HKEY hMachineRoot = HKEY_LOCAL_MACHINE);

    // Fills the seven driver members from m_strDevicePath.
    void GetCaptureDriverInfo();
    // Reads the device's Enum key named by the path tokens (the interface-class token left out).
    void ReadDeviceEnumInfo(const CStringArray& tokens);
    void ReadServiceImagePath(const CString& service);
    // driverKey: class GUID, backslash, instance.
    void ReadDriverClassInfo(const CString& driverKey);

    CString m_strClassName;
    CString m_strPortDriver;
    CString m_strProvider;
    CString m_strDescription;
    CString m_strLocation;
    CString m_strVersion;
    CString m_strDate;
    CString m_strDevicePath;

private:
    HKEY m_hMachineRoot;
};

// Empties `lines` and fills them for every device descriptor of the manager; nothing without a manager.
void BuildCaptureSection(CStringArray& lines, const CGraphManager* pManager, HKEY hMachineRoot = HKEY_LOCAL_MACHINE);

// Appends the lines of one device: its name in upper case, its path, the driver lines, the sibling product's
// settings and an empty line.
void AppendCaptureDeviceLines(CStringArray& lines, const CString& friendlyName, const CString& devicePath,
                              HKEY hMachineRoot = HKEY_LOCAL_MACHINE);

// Appends the sibling product's capture settings of one device (its key under the product key, then the key below
// it), one line per setting that has a text; nothing when a key is missing.
void DumpVelloranCaptureSettings(CString deviceName, CString deviceKey, CStringArray& lines,
                                 HKEY hMachineRoot = HKEY_LOCAL_MACHINE);

#endif
