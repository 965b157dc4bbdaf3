// tests/support/RegistryFixture.cpp
#include "support/RegistryFixture.h"

#include <gtest/gtest.h>

namespace testsupport {

FixtureValue Dword(const std::string& name, DWORD value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return {name, REG_DWORD, bytes};
}

FixtureValue Text(const std::string& name, const std::string& text)
{
    return {name, REG_SZ, text + std::string(1, '\0')};
}

FixtureValue Unterminated(const std::string& name, const std::string& text)
{
    return {name, REG_SZ, text};
}

FixtureValue Binary(const std::string& name, const std::string& bytes)
{
    return {name, REG_BINARY, bytes};
}

FixtureValue Binary(const std::string& name, const void* pData, size_t nSize)
{
    return Binary(name, std::string(static_cast<const char*>(pData), nSize));
}

LONG CreateFixtureKey(HKEY hRoot, const char* pszPath, CRegistryKey& key)
{
    LONG nResult = key.Create(hRoot, pszPath);
    if (nResult != ERROR_CHILD_MUST_BE_VOLATILE)
        return nResult;
    HKEY hKey = nullptr;
    nResult =
        RegCreateKeyExA(hRoot, pszPath, 0, nullptr, REG_OPTION_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &hKey, nullptr);
    if (nResult != ERROR_SUCCESS)
        return nResult;
    RegCloseKey(hKey);
    return key.Open(hRoot, pszPath, KEY_READ | KEY_WRITE);
}

RegistryRoot::RegistryRoot()
{
    static int serial = 0;
    m_path = "Software\\TaviskTests\\Machine" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    CRegistryKey::DeleteTree(HKEY_CURRENT_USER, m_path.c_str());
    EXPECT_EQ(ERROR_SUCCESS, m_key.Create(HKEY_CURRENT_USER, m_path.c_str())) << m_path;
}

RegistryRoot::~RegistryRoot()
{
    m_key.Close();
    CRegistryKey::DeleteTree(HKEY_CURRENT_USER, m_path.c_str());
}

void RegistryRoot::Write(const std::string& path, const std::vector<FixtureValue>& values)
{
    WriteRegistryKey(m_key.get(), path, values);
}

void WriteRegistryKey(HKEY hRoot, const std::string& path, const std::vector<FixtureValue>& values)
{
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(hRoot, path.c_str())) << path;
    for (const FixtureValue& v : values) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), v.name.c_str(), 0, v.type,
                                                reinterpret_cast<const BYTE*>(v.data.data()), DWORD(v.data.size())))
            << v.name;
    }
}

void DeleteRegistryValue(HKEY hRoot, const std::string& path, const std::string& name)
{
    CRegistryKey key;
    if (key.Open(hRoot, path.c_str(), KEY_SET_VALUE) == ERROR_SUCCESS)
        key.DeleteValue(name.c_str());
}

} // namespace testsupport
