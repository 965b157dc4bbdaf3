// src/drive/SetupApiSeam.h
// The one seam for the SetupAPI and Configuration Manager calls of the drive discovery: the present devices of
// a device class, their ids, registry properties and device interfaces, and the child and sibling nodes of a
// device node. The default table calls the system; a test program installs a table that describes a machine's
// device tree.
#ifndef TAVISK_DRIVE_SETUPAPISEAM_H
#define TAVISK_DRIVE_SETUPAPISEAM_H

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include "framework/Handles.h"

struct SetupApiTable {
    HDEVINFO(WINAPI* pfnGetClassDevsA)(const GUID* pClassGuid, PCSTR pszEnumerator, HWND hwndParent, DWORD dwFlags);
    BOOL(WINAPI* pfnEnumDeviceInfo)(HDEVINFO hDevInfo, DWORD nIndex, PSP_DEVINFO_DATA pData);
    BOOL(WINAPI* pfnGetDeviceInstanceIdA)
    (HDEVINFO hDevInfo, PSP_DEVINFO_DATA pData, PSTR pszId, DWORD nSize, PDWORD pnRequired);
    BOOL(WINAPI* pfnGetDeviceRegistryPropertyA)
    (HDEVINFO hDevInfo, PSP_DEVINFO_DATA pData, DWORD nProperty, PDWORD pnType, PBYTE pBuffer, DWORD nSize,
     PDWORD pnRequired);
    BOOL(WINAPI* pfnDestroyDeviceInfoList)(HDEVINFO hDevInfo);
    CONFIGRET(WINAPI* pfnReenumerateDevNode)(DEVINST node, ULONG nFlags);
    CONFIGRET(WINAPI* pfnGetChild)(PDEVINST pChild, DEVINST node, ULONG nFlags);
    CONFIGRET(WINAPI* pfnGetSibling)(PDEVINST pSibling, DEVINST node, ULONG nFlags);
    CONFIGRET(WINAPI* pfnGetDeviceIdA)(DEVINST node, PCHAR pszId, ULONG nSize, ULONG nFlags);
    BOOL(WINAPI* pfnEnumDeviceInterfaces)
    (HDEVINFO hDevInfo, PSP_DEVINFO_DATA pData, const GUID* pInterfaceClass, DWORD nIndex,
     PSP_DEVICE_INTERFACE_DATA pInterface);
    BOOL(WINAPI* pfnGetDeviceInterfaceDetailA)
    (HDEVINFO hDevInfo, PSP_DEVICE_INTERFACE_DATA pInterface, PSP_DEVICE_INTERFACE_DETAIL_DATA_A pDetail, DWORD nSize,
     PDWORD pnRequired, PSP_DEVINFO_DATA pData);
};

// Installs a table (kept by pointer: it must outlive its use); null restores the system table. Returns the table
// that was in use. Install before a start-up, not while one runs.
const SetupApiTable* SetSetupApiTable(const SetupApiTable* pTable);
const SetupApiTable& GetSetupApiTable();

// Device information lists made through the seam are destroyed through it (HDEVINFO is a HANDLE; null and
// INVALID_HANDLE_VALUE both count as empty).
struct DeviceInfoListTraits : KernelHandleTraits {
    static BOOL Close(HDEVINFO h) { return GetSetupApiTable().pfnDestroyDeviceInfoList(h); }
};

// Owner of a device information list made through the seam.
class CDeviceInfoList : public CHandleOwnerT<DeviceInfoListTraits> {
public:
    // The devices (or, with DIGCF_DEVICEINTERFACE, the device interfaces) of the class that the flags select,
    // optionally of one enumerator only.
    CDeviceInfoList(const GUID& deviceClass, DWORD dwFlags, const char* pszEnumerator = nullptr);
};

#endif
