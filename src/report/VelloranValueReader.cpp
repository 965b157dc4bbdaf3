// src/report/VelloranValueReader.cpp
#include "report/VelloranValueReader.h"

#include <cstring>

// The sibling product's keys are only read: KEY_READ, so that an account that may not write the machine's keys
// still sees the settings.
bool OpenVelloranKey(HKEY hParent, LPCSTR pszName, CRegKeyOwner& rKey)
{
    rKey.Close();
    if (hParent == nullptr)
        return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(hParent, pszName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    rKey.Attach(key);
    return true;
}

bool OpenVelloranKey(const CRegKeyOwner& parent, LPCSTR pszName, CRegKeyOwner& rKey)
{
    if (!parent.IsCreated()) {
        rKey.Close();
        return false;
    }
    return OpenVelloranKey(parent.get(), pszName, rKey);
}

bool CVelloranValueReader::Read(HKEY hKey, LPCSTR pszName)
{
    if (hKey == nullptr)
        return false;
    DWORD size = 0;
    if (RegQueryValueExA(hKey, pszName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    // One spare byte so that the buffer handed to the second call is never null, even for an empty value.
    m_scratch.assign(size_t(size) + 1, 0);
    m_nSize = size;
    DWORD read = size;
    if (RegQueryValueExA(hKey, pszName, nullptr, nullptr, m_scratch.data(), &read) != ERROR_SUCCESS)
        return false;
    // A value that shrank in between keeps only what was read.
    if (read < m_nSize)
        m_nSize = read;
    return true;
}

bool CVelloranValueReader::ReadOneCall(HKEY hKey, LPCSTR pszName)
{
    if (hKey == nullptr)
        return false;
    if (m_scratch.empty())
        m_scratch.assign(1, 0);
    DWORD read = m_nSize;
    if (RegQueryValueExA(hKey, pszName, nullptr, nullptr, m_scratch.data(), &read) != ERROR_SUCCESS)
        return false;
    if (read < m_nSize)
        m_nSize = read;
    return true;
}

bool CVelloranValueReader::NumberFromScratch(DWORD& rValue) const
{
    if (m_nSize < 4)
        return false;
    rValue =
        DWORD(m_scratch[0]) | (DWORD(m_scratch[1]) << 8) | (DWORD(m_scratch[2]) << 16) | (DWORD(m_scratch[3]) << 24);
    return true;
}

CString CVelloranValueReader::TextFromScratch() const
{
    const char* text = reinterpret_cast<const char*>(m_scratch.data());
    const void* end = memchr(text, 0, m_nSize);
    const size_t length = end != nullptr ? size_t(static_cast<const char*>(end) - text) : size_t(m_nSize);
    return CString(text, int(length));
}

bool CVelloranValueReader::Number(HKEY hKey, LPCSTR pszName, DWORD& rValue)
{
    return Read(hKey, pszName) && NumberFromScratch(rValue);
}

bool CVelloranValueReader::NumberOneCall(HKEY hKey, LPCSTR pszName, DWORD& rValue)
{
    return ReadOneCall(hKey, pszName) && NumberFromScratch(rValue);
}

bool CVelloranValueReader::Text(HKEY hKey, LPCSTR pszName, CString& rText, bool bNeedData)
{
    if (!Read(hKey, pszName) || (bNeedData && m_nSize == 0))
        return false;
    rText = TextFromScratch();
    return true;
}

long ParseVelloranDecimal(LPCSTR pszText, int nLength)
{
    int i = 0;
    while (i < nLength && (pszText[i] == ' ' || pszText[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < nLength && (pszText[i] == '+' || pszText[i] == '-')) {
        negative = pszText[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < nLength && pszText[i] >= '0' && pszText[i] <= '9'; ++i) {
        if (value < 100000000L)
            value = value * 10 + (pszText[i] - '0');
    }
    return negative ? -value : value;
}
