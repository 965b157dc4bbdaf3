// tests/support/RegistryFixture.h
// A private registry root for one test: a key under HKEY_CURRENT_USER that stands in for HKEY_LOCAL_MACHINE and is
// removed with everything below it when the object goes; values written by type, there or below any root.
#ifndef TAVISK_TESTS_SUPPORT_REGISTRYFIXTURE_H
#define TAVISK_TESTS_SUPPORT_REGISTRYFIXTURE_H

#include "framework/Framework.h"

#include <string>
#include <vector>

namespace testsupport {

// One value: its name, its registry type and its bytes as stored.
struct FixtureValue {
    std::string name;
    DWORD type;
    std::string data;
};

FixtureValue Dword(const std::string& name, DWORD value);
// A REG_SZ with its terminating zero; Unterminated stores the text without it.
FixtureValue Text(const std::string& name, const std::string& text);
FixtureValue Unterminated(const std::string& name, const std::string& text);
FixtureValue Binary(const std::string& name, const std::string& bytes);
FixtureValue Binary(const std::string& name, const void* pData, size_t nSize);

// Creates the key below hRoot (with the keys above it) for reading and writing; below a volatile key
// (HKLM\HARDWARE) as a volatile key, as Windows requires. Returns the registry's error code.
LONG CreateFixtureKey(HKEY hRoot, const char* pszPath, CRegistryKey& key);

// Creates the key below hRoot (with the keys above it) and writes the values into it; a failure fails the test.
void WriteRegistryKey(HKEY hRoot, const std::string& path, const std::vector<FixtureValue>& values = {});
// Deletes one value of a key below hRoot; nothing happens when the key or the value is not there.
void DeleteRegistryValue(HKEY hRoot, const std::string& path, const std::string& name);

class RegistryRoot {
public:
    RegistryRoot();
    ~RegistryRoot();
    RegistryRoot(const RegistryRoot&) = delete;
    RegistryRoot& operator=(const RegistryRoot&) = delete;

    HKEY Key() const { return m_key.get(); }
    // Creates the key (with the keys above it) below the root and writes the values into it.
    void Write(const std::string& path, const std::vector<FixtureValue>& values = {});

private:
    std::string m_path;
    CRegistryKey m_key;
};

} // namespace testsupport

#endif
