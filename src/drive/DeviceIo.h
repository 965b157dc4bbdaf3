// src/drive/DeviceIo.h
// The one seam under the drive access for everything that touches a device: opening the drive-letter and port
// devices, their control calls, closing them and the drive type of a letter. The default table calls kernel32;
// the emulated drive installs its own table in test programs.
#ifndef TAVISK_DRIVE_DEVICEIO_H
#define TAVISK_DRIVE_DEVICEIO_H

#include <windows.h>

#include "framework/Handles.h"

struct DeviceIoTable {
    HANDLE(WINAPI* pfnCreateFileA)
    (LPCSTR pszName, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSecurity, DWORD dwCreation, DWORD dwFlags,
     HANDLE hTemplate);
    BOOL(WINAPI* pfnDeviceIoControl)
    (HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD nInSize, LPVOID pOut, DWORD nOutSize, LPDWORD pnReturned,
     LPOVERLAPPED pOverlapped);
    BOOL(WINAPI* pfnCloseHandle)(HANDLE hObject);
    UINT(WINAPI* pfnGetDriveTypeA)(LPCSTR pszRootPath);
};

// Installs a table (copied by pointer: it must outlive its use); null restores the kernel32 table.
// Returns the table that was in use. Install before the first command, not while commands run.
const DeviceIoTable* SetDeviceIoTable(const DeviceIoTable* pTable);
const DeviceIoTable& GetDeviceIoTable();

// The calls through the current table.
HANDLE DeviceIoCreateFile(LPCSTR pszName, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSecurity,
                          DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate);
BOOL DeviceIoControlCall(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD nInSize, LPVOID pOut, DWORD nOutSize,
                         LPDWORD pnReturned, LPOVERLAPPED pOverlapped);
BOOL DeviceIoCloseHandle(HANDLE hDevice);
UINT DeviceIoGetDriveType(LPCSTR pszRootPath);

// Opens a device path for reading and writing with read and write sharing (OPEN_EXISTING);
// INVALID_HANDLE_VALUE on failure.
HANDLE DeviceIoOpenReadWrite(LPCSTR pszDevicePath);

// Opens "\\.\X:" for the letter index (0 = A:) for reading and writing with read and write sharing.
HANDLE DeviceIoOpenLetter(int nLetterIndex);

// Device handles opened through the seam are closed through it: null and INVALID_HANDLE_VALUE both count as
// empty, so the result of DeviceIoCreateFile can be attached unchecked.
struct DeviceIoHandleTraits : KernelHandleTraits {
    static BOOL Close(HANDLE h) { return DeviceIoCloseHandle(h); }
};
using CDeviceHandle = CHandleOwnerT<DeviceIoHandleTraits>;

#endif
