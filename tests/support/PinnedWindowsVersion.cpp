// tests/support/PinnedWindowsVersion.cpp
#include "support/PinnedWindowsVersion.h"

#include <cstring>

OSVERSIONINFOA ReportedVersion()
{
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    return version;
}

namespace testsupport {

namespace {

OSVERSIONINFOEXA g_pinned;
bool g_bExtendedRefused = false;
int g_nCalls = 0;
DWORD g_nLastSize = 0;

BOOL PinnedGetVersionEx(OSVERSIONINFOA* pInfo)
{
    ++g_nCalls;
    g_nLastSize = pInfo->dwOSVersionInfoSize;
    if (pInfo->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA) && !g_bExtendedRefused) {
        std::memcpy(pInfo, &g_pinned, sizeof(OSVERSIONINFOEXA));
        return TRUE;
    }
    if (pInfo->dwOSVersionInfoSize == sizeof(OSVERSIONINFOA)) {
        std::memcpy(pInfo, &g_pinned, sizeof(OSVERSIONINFOA));
        pInfo->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        return TRUE;
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}

const WindowsVersionHooks g_hooks = {&PinnedGetVersionEx};

} // namespace

PinnedWindowsVersion::PinnedWindowsVersion(DWORD nPlatform, DWORD nMajor, DWORD nMinor, DWORD nBuild,
                                           const char* pszServicePack, bool bExtendedRefused)
{
    std::memset(&g_pinned, 0, sizeof(g_pinned));
    g_pinned.dwOSVersionInfoSize = sizeof(g_pinned);
    g_pinned.dwPlatformId = nPlatform;
    g_pinned.dwMajorVersion = nMajor;
    g_pinned.dwMinorVersion = nMinor;
    g_pinned.dwBuildNumber = nBuild;
    std::strncpy(g_pinned.szCSDVersion, pszServicePack, sizeof(g_pinned.szCSDVersion) - 1); // the last stays NUL
    g_bExtendedRefused = bExtendedRefused;
    g_nCalls = 0;
    g_nLastSize = 0;
    m_pPrevious = SetWindowsVersionHooks(&g_hooks);
}

PinnedWindowsVersion::~PinnedWindowsVersion()
{
    SetWindowsVersionHooks(m_pPrevious);
}

int PinnedWindowsVersion::Calls() const
{
    return g_nCalls;
}

DWORD PinnedWindowsVersion::LastSize() const
{
    return g_nLastSize;
}

} // namespace testsupport
