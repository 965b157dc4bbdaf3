// src/report/VelloranValueReader.h
// How the sibling product's settings are read for the report: keys opened for reading, values read into one
// scratch buffer whatever their registry type, numbers as the first four bytes, texts up to the first zero byte
// or the value's end.
#ifndef TAVISK_REPORT_VELLORANVALUEREADER_H
#define TAVISK_REPORT_VELLORANVALUEREADER_H

#include "framework/Framework.h"

#include <windows.h>

#include <vector>

class CVelloranValueReader {
public:
    // The value's size is asked first and the scratch buffer made that size; then the value is read into it.
    // False when either call fails. The data stay in Data()/Size() until the next read.
    bool Read(HKEY hKey, LPCSTR pszName);
    // One call into the scratch buffer as large as it is now: a value that does not fit counts as unreadable.
    bool ReadOneCall(HKEY hKey, LPCSTR pszName);

    // A number: false when the value cannot be read or holds fewer than four bytes.
    bool Number(HKEY hKey, LPCSTR pszName, DWORD& rValue);
    bool NumberOneCall(HKEY hKey, LPCSTR pszName, DWORD& rValue);
    // A text; with bNeedData the value counts as unreadable when its size is 0.
    bool Text(HKEY hKey, LPCSTR pszName, CString& rText, bool bNeedData = false);

    const BYTE* Data() const { return m_scratch.data(); }
    DWORD Size() const { return m_nSize; }

private:
    bool NumberFromScratch(DWORD& rValue) const;
    CString TextFromScratch() const;

    std::vector<BYTE> m_scratch;
    DWORD m_nSize = 0;
};

// A key below an open one, opened for reading; false (and rKey closed) when it does not open or the parent is
// not open.
bool OpenVelloranKey(const CRegKeyOwner& parent, LPCSTR pszName, CRegKeyOwner& rKey);
bool OpenVelloranKey(HKEY hParent, LPCSTR pszName, CRegKeyOwner& rKey);

// A text read as a decimal number: leading blanks skipped, an optional sign, digits up to the first other
// character; no digits give 0. Reads at most nLength characters.
long ParseVelloranDecimal(LPCSTR pszText, int nLength);

// The field of bits nFirst to nLast of a setting, as an unsigned number.
inline DWORD VelloranBits(DWORD dwValue, int nFirst, int nLast)
{
    const int width = nLast - nFirst + 1;
    const DWORD mask = width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1u);
    return (dwValue >> nFirst) & mask;
}

inline bool VelloranBit(DWORD dwValue, int nBit)
{
    return ((dwValue >> nBit) & 1u) != 0;
}

#endif
