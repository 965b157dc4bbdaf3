// src/framework/WindowsVersion.cpp
#include "framework/WindowsVersion.h"

#include <cstring>

static_assert(sizeof(OSVERSIONINFOEXA) == 156 && sizeof(OSVERSIONINFOA) == 148, "version record sizes");

namespace {

const WindowsVersionHooks* volatile g_pHooks = nullptr;

BOOL CallGetVersionEx(OSVERSIONINFOA* pInfo)
{
    const WindowsVersionHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnGetVersionExA != nullptr)
        return pHooks->pfnGetVersionExA(pInfo);
    return GetVersionExA(pInfo);
}

bool ReadVersion(OSVERSIONINFOEXA& info)
{
    return AfxGetWindowsVersion(&info) != FALSE;
}

} // namespace

const WindowsVersionHooks* SetWindowsVersionHooks(const WindowsVersionHooks* pHooks)
{
    const WindowsVersionHooks* pPrevious = g_pHooks;
    g_pHooks = pHooks;
    return pPrevious;
}

BOOL AfxGetWindowsVersion(OSVERSIONINFOEXA* pInfo)
{
    std::memset(pInfo, 0, sizeof(*pInfo));
    pInfo->dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (CallGetVersionEx(reinterpret_cast<OSVERSIONINFOA*>(pInfo)))
        return TRUE;
    std::memset(pInfo, 0, sizeof(*pInfo));
    pInfo->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (CallGetVersionEx(reinterpret_cast<OSVERSIONINFOA*>(pInfo)))
        return TRUE;
    std::memset(pInfo, 0, sizeof(*pInfo));
    return FALSE;
}

bool AfxIsWin9xPlatform()
{
    OSVERSIONINFOEXA info;
    return ReadVersion(info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool AfxIsNTPlatform()
{
    OSVERSIONINFOEXA info;
    return ReadVersion(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool AfxIsNT5Family()
{
    OSVERSIONINFOEXA info;
    return ReadVersion(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 5;
}

bool AfxIsWindows2000()
{
    OSVERSIONINFOEXA info;
    return ReadVersion(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 5 &&
           info.dwMinorVersion == 0;
}
