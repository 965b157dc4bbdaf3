// src/drive/DriveManager.cpp
#include "drive/DriveManager.h"

#include "framework/WindowsVersion.h"

#include <cstring>

CDriveManager* g_pDriveManager = nullptr;
BYTE g_bIsWindows2000 = 0;

// Windows 2000 is NT 5.0 exactly. Records the current directory without one trailing backslash ("C:\" becomes
// "C:"); a directory that does not fit the buffer is recorded as empty.
CDriveManager::CDriveManager()
{
    g_bIsWindows2000 = AfxIsWindows2000() ? 1 : 0;

    char szDirectory[MAX_PATH] = {};
    DWORD nLength = GetCurrentDirectoryA(MAX_PATH, szDirectory);
    if (nLength == 0 || nLength >= MAX_PATH)
        nLength = 0;
    szDirectory[nLength] = '\0';
    if (nLength > 0 && szDirectory[nLength - 1] == '\\')
        szDirectory[nLength - 1] = '\0';
    std::memcpy(m_szStartDir, szDirectory, sizeof(m_szStartDir));
}

CDriveManager::~CDriveManager() {}
