// tests/support/PinnedWindowsVersion.h
// The Windows version the framework reports, pinned for a test while the object lives; and the version Wine itself
// reports to the test program.
#ifndef TAVISK_TESTS_SUPPORT_PINNEDWINDOWSVERSION_H
#define TAVISK_TESTS_SUPPORT_PINNEDWINDOWSVERSION_H

#include "framework/WindowsVersion.h"

// The version Wine reports to this program (the system's own call, whatever the framework has pinned).
OSVERSIONINFOA ReportedVersion();

namespace testsupport {

class PinnedWindowsVersion {
public:
    // nPlatform is VER_PLATFORM_WIN32_*; pszServicePack the szCSDVersion text. With bExtendedRefused the
    // extended record is refused, as Windows 95 and NT 4.0 before Service Pack 4 do.
    PinnedWindowsVersion(DWORD nPlatform, DWORD nMajor, DWORD nMinor, DWORD nBuild = 0, const char* pszServicePack = "",
                         bool bExtendedRefused = false);
    ~PinnedWindowsVersion();
    PinnedWindowsVersion(const PinnedWindowsVersion&) = delete;
    PinnedWindowsVersion& operator=(const PinnedWindowsVersion&) = delete;

    // GetVersionExA calls seen, and the record sizes they were made with (last call).
    int Calls() const;
    DWORD LastSize() const;

private:
    const WindowsVersionHooks* m_pPrevious;
};

} // namespace testsupport

#endif
