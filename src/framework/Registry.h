// src/framework/Registry.h
// CRegistryKey: one open registry key with typed value access.
//
// Every function returns a Win32 error code (ERROR_SUCCESS = 0). A Query function changes its out-value only when
// it returns ERROR_SUCCESS; a value of the wrong type gives ERROR_INVALID_DATATYPE and one of the wrong size
// ERROR_INVALID_DATA, so odd data left by other programs never reaches the caller. QueryText, QueryNumber and
// QueryRaw take a value of any type; none of them reads past the value's data.
#ifndef TAVISK_FRAMEWORK_REGISTRY_H
#define TAVISK_FRAMEWORK_REGISTRY_H

#include "framework/Array.h"
#include "framework/Handles.h"
#include "framework/String.h"

#include <initializer_list>

class CRegistryKey {
public:
    enum StringTerminator {
        withNul,
        withoutNul
    };

    CRegistryKey() = default;
    CRegistryKey(CRegistryKey&&) noexcept = default;
    CRegistryKey& operator=(CRegistryKey&&) noexcept = default;

    // Opens an existing key, for reading unless samDesired asks for more. The key held before is closed only
    // once the new one is open.
    LONG Open(HKEY hParent, LPCTSTR pszSubKey, REGSAM samDesired = KEY_READ);
    // Opens the key, creating it and any missing key above it, for reading and writing.
    LONG Create(HKEY hParent, LPCTSTR pszSubKey, REGSAM samDesired = KEY_READ | KEY_WRITE);
    LONG Close() { return m_key.Close(); }
    bool IsOpen() const { return m_key.IsCreated(); }
    HKEY get() const { return m_key.get(); }

    // REG_SZ or REG_EXPAND_SZ (not expanded). The text ends at the first NUL or at the end of the data, so values
    // stored with or without a terminating NUL read the same; an empty value gives an empty string.
    LONG QueryString(LPCTSTR pszName, CString& rValue) const;
    // The same text from a value of any type.
    LONG QueryText(LPCTSTR pszName, CString& rValue) const;
    // REG_DWORD of exactly four bytes.
    LONG QueryDword(LPCTSTR pszName, DWORD& rValue) const;
    // The first four bytes of a value of any type, the lowest first; a value of fewer bytes gives
    // ERROR_INVALID_DATA.
    LONG QueryNumber(LPCTSTR pszName, DWORD& rValue) const;
    // REG_BINARY of exactly nSize bytes.
    LONG QueryBinary(LPCTSTR pszName, void* pData, DWORD nSize) const;
    // REG_BINARY of any size.
    LONG QueryBinary(LPCTSTR pszName, CByteArray& rData) const;
    // Any type: the value's type and its bytes as stored.
    LONG QueryRaw(LPCTSTR pszName, DWORD& rType, CByteArray& rData) const;

    // REG_SZ; withoutNul stores the text without its terminating NUL.
    LONG SetString(LPCTSTR pszName, LPCTSTR pszValue, StringTerminator terminator = withNul);
    LONG SetDword(LPCTSTR pszName, DWORD dwValue);
    LONG SetBinary(LPCTSTR pszName, const void* pData, DWORD nSize);
    LONG DeleteValue(LPCTSTR pszName);

    // The names of the subkeys in enumeration order. A name longer than nMaxChars is passed over; the walk ends
    // at ERROR_NO_MORE_ITEMS (ERROR_SUCCESS is returned) or at any other error (returned, with the names read up to
    // there). The key needs KEY_ENUMERATE_SUB_KEYS (part of KEY_READ).
    LONG GetSubKeyNames(CStringArray& rNames, DWORD nMaxChars = 255) const;
    static LONG GetSubKeyNames(HKEY hKey, CStringArray& rNames, DWORD nMaxChars = 255);

    // Deletes a key with all its subkeys and values.
    static LONG DeleteTree(HKEY hParent, LPCTSTR pszSubKey);

private:
    // QueryRaw into rData, refused with ERROR_INVALID_DATATYPE when types lists types and the value's is not among
    // them, and with ERROR_INVALID_DATA when the value holds fewer than nMinSize bytes.
    LONG QueryChecked(LPCTSTR pszName, std::initializer_list<DWORD> types, INT_PTR nMinSize, CByteArray& rData) const;
    // The text of QueryString from a value of one of the types (any type when none are listed).
    LONG QueryTextOf(LPCTSTR pszName, std::initializer_list<DWORD> types, CString& rValue) const;

    CRegKeyOwner m_key;
};

#endif
