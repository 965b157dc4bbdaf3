// src/drive/DeviceIo.cpp
#include "drive/DeviceIo.h"

#include <cstdio>

namespace {

const DeviceIoTable kKernelTable = {
    &CreateFileA,
    &DeviceIoControl,
    &CloseHandle,
    &GetDriveTypeA,
};

// Read on every device call, written only while no command runs (a test program's set-up).
const DeviceIoTable* volatile g_pTable = &kKernelTable;

} // namespace

const DeviceIoTable* SetDeviceIoTable(const DeviceIoTable* pTable)
{
    const DeviceIoTable* pPrevious = g_pTable;
    g_pTable = pTable != nullptr ? pTable : &kKernelTable;
    return pPrevious;
}

const DeviceIoTable& GetDeviceIoTable()
{
    return *g_pTable;
}

HANDLE DeviceIoCreateFile(LPCSTR pszName, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSecurity,
                          DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate)
{
    return g_pTable->pfnCreateFileA(pszName, dwAccess, dwShare, pSecurity, dwCreation, dwFlags, hTemplate);
}

BOOL DeviceIoControlCall(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD nInSize, LPVOID pOut, DWORD nOutSize,
                         LPDWORD pnReturned, LPOVERLAPPED pOverlapped)
{
    return g_pTable->pfnDeviceIoControl(hDevice, dwCode, pIn, nInSize, pOut, nOutSize, pnReturned, pOverlapped);
}

BOOL DeviceIoCloseHandle(HANDLE hDevice)
{
    return g_pTable->pfnCloseHandle(hDevice);
}

UINT DeviceIoGetDriveType(LPCSTR pszRootPath)
{
    return g_pTable->pfnGetDriveTypeA(pszRootPath);
}

HANDLE DeviceIoOpenReadWrite(LPCSTR pszDevicePath)
{
    return DeviceIoCreateFile(pszDevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
}

HANDLE DeviceIoOpenLetter(int nLetterIndex)
{
    char szPath[8];
    std::snprintf(szPath, sizeof(szPath), "\\\\.\\%c:", char('A' + nLetterIndex));
    return DeviceIoOpenReadWrite(szPath);
}
