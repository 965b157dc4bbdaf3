// src/drive/DriveManager.cpp
#include "drive/DriveManager.h"

#include <cstring>

CDriveManager* g_pDriveManager = nullptr;
BYTE g_bIsWindows2000 = 0;

// Asks the version with the extended structure first and with the basic one when that is refused; Windows 2000
// is NT 5.0 exactly. Records the current directory without one trailing backslash ("C:\" becomes "C:"); a
// directory that does not fit the buffer is recorded as empty.
CDriveManager::CDriveManager()
{
    OSVERSIONINFOEXA version;
    std::memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) {
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version));
    }
    g_bIsWindows2000 = (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 5 &&
                        version.dwMinorVersion == 0) ? 1 : 0;

    char szDirectory[MAX_PATH] = {};
    DWORD nLength = GetCurrentDirectoryA(MAX_PATH, szDirectory);
    if (nLength == 0 || nLength >= MAX_PATH)
        nLength = 0;
    szDirectory[nLength] = '\0';
    if (nLength > 0 && szDirectory[nLength - 1] == '\\')
        szDirectory[nLength - 1] = '\0';
    std::memcpy(m_szStartDir, szDirectory, sizeof(m_szStartDir));
}

CDriveManager::~CDriveManager()
{
}
