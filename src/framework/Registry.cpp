// src/framework/Registry.cpp
#include "framework/Registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

LONG CRegistryKey::Open(HKEY hParent, LPCTSTR pszSubKey, REGSAM samDesired)
{
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(hParent, pszSubKey, 0, samDesired, &key);
    if (result == ERROR_SUCCESS)
        m_key.Attach(key);
    return result;
}

// RegCreateKeyEx creates the missing keys of the path on the way down.
LONG CRegistryKey::Create(HKEY hParent, LPCTSTR pszSubKey, REGSAM samDesired)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG result = RegCreateKeyExA(hParent, pszSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, samDesired, nullptr,
                                        &key, &disposition);
    if (result == ERROR_SUCCESS)
        m_key.Attach(key);
    return result;
}

// The size is asked first and the data read into a buffer of that size. When the value grows in between
// (ERROR_MORE_DATA) the two steps are repeated a few times.
LONG CRegistryKey::QueryRaw(LPCTSTR pszName, DWORD& rType, CByteArray& rData) const
{
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    LONG result = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && result == ERROR_MORE_DATA; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        result = RegQueryValueExA(m_key.get(), pszName, nullptr, &type, nullptr, &size);
        if (result != ERROR_SUCCESS)
            return result;
        CByteArray data;
        data.SetSize(static_cast<INT_PTR>(size) + 1);
        DWORD readSize = size;
        result = RegQueryValueExA(m_key.get(), pszName, nullptr, &type, data.GetData(), &readSize);
        if (result == ERROR_SUCCESS) {
            data.SetSize(static_cast<INT_PTR>(readSize <= size ? readSize : size));
            rType = type;
            rData = std::move(data);
        }
    }
    return result;
}

namespace {

// The bytes up to the first NUL or the end of the data.
CString TextOf(const CByteArray& data)
{
    const char* text = reinterpret_cast<const char*>(data.GetData());
    const int size = static_cast<int>(data.GetSize());
    return CString(text, text != nullptr ? static_cast<int>(strnlen(text, static_cast<size_t>(size))) : 0);
}

} // namespace

LONG CRegistryKey::QueryChecked(LPCTSTR pszName, std::initializer_list<DWORD> types, INT_PTR nMinSize,
                                CByteArray& rData) const
{
    DWORD type = REG_NONE;
    CByteArray data;
    const LONG result = QueryRaw(pszName, type, data);
    if (result != ERROR_SUCCESS)
        return result;
    if (types.size() != 0 && std::find(types.begin(), types.end(), type) == types.end())
        return ERROR_INVALID_DATATYPE;
    if (data.GetSize() < nMinSize)
        return ERROR_INVALID_DATA;
    rData = std::move(data);
    return ERROR_SUCCESS;
}

LONG CRegistryKey::QueryTextOf(LPCTSTR pszName, std::initializer_list<DWORD> types, CString& rValue) const
{
    CByteArray data;
    const LONG result = QueryChecked(pszName, types, 0, data);
    if (result == ERROR_SUCCESS)
        rValue = TextOf(data);
    return result;
}

LONG CRegistryKey::QueryString(LPCTSTR pszName, CString& rValue) const
{
    return QueryTextOf(pszName, {REG_SZ, REG_EXPAND_SZ}, rValue);
}

LONG CRegistryKey::QueryText(LPCTSTR pszName, CString& rValue) const
{
    return QueryTextOf(pszName, {}, rValue);
}

LONG CRegistryKey::QueryNumber(LPCTSTR pszName, DWORD& rValue) const
{
    CByteArray data;
    const LONG result = QueryChecked(pszName, {}, 4, data);
    if (result == ERROR_SUCCESS)
        rValue = DWORD(data[0]) | (DWORD(data[1]) << 8) | (DWORD(data[2]) << 16) | (DWORD(data[3]) << 24);
    return result;
}

LONG CRegistryKey::QueryDword(LPCTSTR pszName, DWORD& rValue) const
{
    DWORD value = 0;
    DWORD type = REG_NONE;
    DWORD size = sizeof(value);
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    LONG result = RegQueryValueExA(m_key.get(), pszName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result == ERROR_MORE_DATA)
        return type == REG_DWORD ? ERROR_INVALID_DATA : ERROR_INVALID_DATATYPE;
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_DWORD)
        return ERROR_INVALID_DATATYPE;
    if (size != sizeof(value))
        return ERROR_INVALID_DATA;
    rValue = value;
    return ERROR_SUCCESS;
}

LONG CRegistryKey::QueryBinary(LPCTSTR pszName, void* pData, DWORD nSize) const
{
    CByteArray data;
    const LONG result = QueryBinary(pszName, data);
    if (result != ERROR_SUCCESS)
        return result;
    if (static_cast<DWORD>(data.GetSize()) != nSize)
        return ERROR_INVALID_DATA;
    if (nSize > 0)
        std::memcpy(pData, data.GetData(), nSize);
    return ERROR_SUCCESS;
}

LONG CRegistryKey::QueryBinary(LPCTSTR pszName, CByteArray& rData) const
{
    return QueryChecked(pszName, {REG_BINARY}, 0, rData);
}

LONG CRegistryKey::SetString(LPCTSTR pszName, LPCTSTR pszValue, StringTerminator terminator)
{
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    const char* text = pszValue != nullptr ? pszValue : "";
    const DWORD size = static_cast<DWORD>(std::strlen(text)) + (terminator == withNul ? 1 : 0);
    return RegSetValueExA(m_key.get(), pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size);
}

LONG CRegistryKey::SetDword(LPCTSTR pszName, DWORD dwValue)
{
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    return RegSetValueExA(m_key.get(), pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
}

LONG CRegistryKey::SetBinary(LPCTSTR pszName, const void* pData, DWORD nSize)
{
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    if (pData == nullptr && nSize != 0)
        return ERROR_INVALID_PARAMETER;
    return RegSetValueExA(m_key.get(), pszName, 0, REG_BINARY, static_cast<const BYTE*>(pData), nSize);
}

LONG CRegistryKey::DeleteValue(LPCTSTR pszName)
{
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    return RegDeleteValueA(m_key.get(), pszName);
}

// RegDeleteKey removes only keys without subkeys on NT, so the subkeys go first, deepest first. (RegDeleteTree
// is missing before Vista.)
LONG CRegistryKey::DeleteTree(HKEY hParent, LPCTSTR pszSubKey)
{
    if (pszSubKey == nullptr || *pszSubKey == '\0')
        return ERROR_INVALID_PARAMETER;
    CRegistryKey key;
    LONG result = key.Open(hParent, pszSubKey, KEY_READ | KEY_WRITE);
    if (result != ERROR_SUCCESS)
        return result;
    char name[256];
    for (;;) {
        DWORD length = sizeof(name);
        result = RegEnumKeyExA(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            return result;
        result = DeleteTree(key.get(), name);
        if (result != ERROR_SUCCESS)
            return result;
    }
    key.Close();
    return RegDeleteKeyA(hParent, pszSubKey);
}

LONG CRegistryKey::GetSubKeyNames(CStringArray& rNames, DWORD nMaxChars) const
{
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    return GetSubKeyNames(m_key.get(), rNames, nMaxChars);
}

LONG CRegistryKey::GetSubKeyNames(HKEY hKey, CStringArray& rNames, DWORD nMaxChars)
{
    rNames.RemoveAll();
    std::vector<char> buffer(size_t(nMaxChars) + 1, '\0');
    for (DWORD nIndex = 0;; ++nIndex) {
        DWORD nChars = nMaxChars + 1;
        LONG result = RegEnumKeyExA(hKey, nIndex, buffer.data(), &nChars, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (result != ERROR_SUCCESS)
            return result;
        rNames.Add(CString(buffer.data(), int(nChars)));
    }
}
