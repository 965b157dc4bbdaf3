// tests/startup/StartupTestSupport.h
// Helpers of the start-up tests: the Windows version a run is pinned to, fixture folders and files, a private
// registry root, and files of the host machine (reached through Wine's Z: drive).
#ifndef TAVISK_TESTS_STARTUP_STARTUPTESTSUPPORT_H
#define TAVISK_TESTS_STARTUP_STARTUPTESTSUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace startup_test {

// The Windows version setting of this run ("win98", "winxp", ..., "default").
inline std::string PinnedWindowsVersion()
{
    return testsupport::RunWindowsVersion();
}
using testsupport::ProgramFolder;

// A fresh folder below %TEMP% (removed with its files by the destructor).
class CTempFolder {
public:
    explicit CTempFolder(const char* tag);
    ~CTempFolder();
    const std::string& Path() const { return m_path; } // with a trailing backslash
    // Creates a subfolder (one level) and returns its path with a trailing backslash.
    std::string AddFolder(const char* name);
    // Copies a file of the program folder to `relativeTarget` below this folder; false when it is missing.
    bool CopyFromProgramFolder(const char* fileName, const char* relativeTarget);

private:
    std::string m_path;
};

// A private registry key below HKCU that stands in for HKEY_LOCAL_MACHINE; deleted with its subkeys by the
// destructor.
class CRegistryRoot {
public:
    explicit CRegistryRoot(const char* tag);
    ~CRegistryRoot();
    HKEY Key() const { return m_key; }
    // Creates the key path (backslash-separated) and sets a value of the given type and bytes.
    void SetValue(const char* keyPath, const char* name, DWORD type, const void* data, DWORD size);
    void SetText(const char* keyPath, const char* name, const char* text); // REG_SZ with its terminator
    // REG_SZ stored without a terminator. Written through the UTF-16 function: on Windows 95/98/Me the ANSI
    // one ignores the size of a REG_SZ and stores up to the first zero byte.
    void SetUnterminatedText(const char* keyPath, const char* name, const char* text);
    void CreateKey(const char* keyPath);

private:
    std::string m_subkey;
    HKEY m_key = nullptr;
};

// Text of a host file (e.g. "/proc/cpuinfo"); false when Wine cannot reach it.
bool ReadHostFile(const char* unixPath, std::string& text);

// The value after "<field>" and the colon on the first line that starts with `field`, trimmed.
bool FindField(const std::string& text, const char* field, std::string& value);

} // namespace startup_test

#endif
