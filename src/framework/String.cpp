// src/framework/String.cpp
#include "framework/String.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char kWhitespace[] = " \t\n\v\f\r";

// Lead bytes of a code page, from GetCPInfo. The table of the ANSI code page is built once.
struct LeadByteTable {
    bool lead[256];
    bool any;
};

void FillLeadByteTable(UINT codePage, LeadByteTable& table)
{
    std::fill(std::begin(table.lead), std::end(table.lead), false);
    table.any = false;
    CPINFO info;
    if (!GetCPInfo(codePage, &info) || info.MaxCharSize < 2)
        return;
    for (int i = 0; i + 1 < MAX_LEADBYTES && (info.LeadByte[i] != 0 || info.LeadByte[i + 1] != 0); i += 2) {
        for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) {
            table.lead[b] = true;
            table.any = true;
        }
    }
}

const LeadByteTable& AnsiLeadByteTable()
{
    static const LeadByteTable table = [] {
        LeadByteTable t;
        FillLeadByteTable(CP_ACP, t);
        return t;
    }();
    return table;
}

// Walks the characters of a byte string: a lead byte followed by another byte counts as one character.
class CharWalker {
public:
    explicit CharWalker(UINT codePage)
    {
        if (codePage == CP_ACP) {
            m_table = &AnsiLeadByteTable();
        } else {
            FillLeadByteTable(codePage, m_own);
            m_table = &m_own;
        }
    }
    int Next(LPCSTR text, int length, int pos) const
    {
        if (m_table->any && m_table->lead[static_cast<unsigned char>(text[pos])] && pos + 1 < length)
            return pos + 2;
        return pos + 1;
    }
    bool IsLead(unsigned char byte) const { return m_table->lead[byte]; }

private:
    LeadByteTable m_own;
    const LeadByteTable* m_table;
};

bool IsInSet(char ch, LPCTSTR pszSet)
{
    return ch != '\0' && pszSet != nullptr && std::strchr(pszSet, ch) != nullptr;
}

int ClampCount(long long value, int maximum)
{
    if (value < 0)
        return 0;
    return value > maximum ? maximum : static_cast<int>(value);
}

} // namespace

namespace Mbcs {

bool IsLeadByte(unsigned char byte, UINT codePage)
{
    return CharWalker(codePage).IsLead(byte);
}

// Searches from 'start' (a character boundary) for the single-byte character ch.
int FindChar(LPCSTR text, int length, char ch, int start, UINT codePage)
{
    if (start < 0 || start >= length)
        return -1;
    CharWalker walker(codePage);
    for (int i = start; i < length; i = walker.Next(text, length, i)) {
        if (text[i] == ch)
            return i;
    }
    return -1;
}

int ReverseFindChar(LPCSTR text, int length, char ch, UINT codePage)
{
    CharWalker walker(codePage);
    int found = -1;
    for (int i = 0; i < length; i = walker.Next(text, length, i)) {
        if (text[i] == ch)
            found = i;
    }
    return found;
}

// Finds 'sub' starting at a character boundary at or after 'start'; an empty 'sub' is found at 'start'.
int FindString(LPCSTR text, int length, LPCSTR sub, int start, UINT codePage)
{
    if (sub == nullptr || start < 0 || start > length)
        return -1;
    const int subLength = static_cast<int>(std::strlen(sub));
    if (subLength == 0)
        return start;
    CharWalker walker(codePage);
    for (int i = start; i + subLength <= length; i = walker.Next(text, length, i)) {
        if (std::memcmp(text + i, sub, subLength) == 0)
            return i;
    }
    return -1;
}

} // namespace Mbcs

// A pointer that IS_INTRESOURCE accepts is a string-table id, as in the class library:
// CString((LPCTSTR)IDS_X) loads the string.
CString::CString(LPCSTR psz)
{
    if (psz == nullptr)
        return;
    if (IS_INTRESOURCE(psz)) {
        LoadString(LOWORD(reinterpret_cast<ULONG_PTR>(psz)));
        return;
    }
    m_str.assign(psz);
}

// Copies at most nLength bytes and stops early at a NUL, so a short buffer is never over-read.
CString::CString(LPCSTR pch, int nLength)
{
    if (nLength < 0)
        AfxThrowInvalidArgException();
    if (pch != nullptr && nLength > 0)
        m_str.assign(pch, strnlen(pch, static_cast<size_t>(nLength)));
}

CString::CString(char ch, int nRepeat)
{
    if (nRepeat > 0)
        m_str.assign(static_cast<size_t>(nRepeat), ch);
}

CString::CString(LPCWSTR pwsz) : CString(WideToAnsi(pwsz)) {}

CString& CString::operator=(LPCSTR psz)
{
    if (psz == nullptr)
        m_str.clear();
    else
        m_str.assign(psz);
    return *this;
}

CString& CString::operator=(char ch)
{
    m_str.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const CString& other)
{
    m_str.append(other.m_str);
    return *this;
}

CString& CString::operator+=(LPCSTR psz)
{
    Append(psz);
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_str.push_back(ch);
    return *this;
}

// Index GetLength() is allowed and gives the terminating NUL, as in the class library.
char CString::GetAt(int nIndex) const
{
    if (nIndex < 0 || nIndex > GetLength())
        AfxThrowInvalidArgException();
    return m_str.c_str()[nIndex];
}

void CString::SetAt(int nIndex, char ch)
{
    if (nIndex < 0 || nIndex >= GetLength())
        AfxThrowInvalidArgException();
    m_str[static_cast<size_t>(nIndex)] = ch;
}

void CString::Append(LPCSTR psz)
{
    if (psz != nullptr)
        m_str.append(psz);
}

void CString::Append(LPCSTR pch, int nLength)
{
    if (nLength < 0)
        AfxThrowInvalidArgException();
    if (pch != nullptr && nLength > 0)
        m_str.append(pch, strnlen(pch, static_cast<size_t>(nLength)));
}

int CString::Compare(LPCTSTR psz) const
{
    return std::strcmp(m_str.c_str(), psz != nullptr ? psz : "");
}

// Case folding follows MakeLower (the ANSI code page's letters, not only ASCII), so that
// a.CompareNoCase(b) == 0 exactly when the lower-case forms are equal.
int CString::CompareNoCase(LPCTSTR psz) const
{
    CString left(*this);
    CString right;
    right = psz;
    left.MakeLower();
    right.MakeLower();
    return left.Compare(right);
}

// Left, Mid and Right clamp counts and positions to the string instead of failing, as the class library does.
CString CString::Left(int nCount) const
{
    return CString(m_str.c_str(), ClampCount(nCount, GetLength()));
}

CString CString::Mid(int iFirst) const
{
    return Mid(iFirst, GetLength());
}

CString CString::Mid(int iFirst, int nCount) const
{
    const int length = GetLength();
    const int first = ClampCount(iFirst, length);
    const int count = ClampCount(nCount, length - first);
    CString result;
    result.m_str.assign(m_str, static_cast<size_t>(first), static_cast<size_t>(count));
    return result;
}

CString CString::Right(int nCount) const
{
    const int count = ClampCount(nCount, GetLength());
    CString result;
    result.m_str.assign(m_str, static_cast<size_t>(GetLength() - count), static_cast<size_t>(count));
    return result;
}

CString CString::SpanIncluding(LPCTSTR pszCharSet) const
{
    return Left(static_cast<int>(std::strspn(m_str.c_str(), pszCharSet != nullptr ? pszCharSet : "")));
}

CString CString::SpanExcluding(LPCTSTR pszCharSet) const
{
    return Left(static_cast<int>(std::strcspn(m_str.c_str(), pszCharSet != nullptr ? pszCharSet : "")));
}

// Find, ReverseFind and FindOneOf step over double-byte characters of the ANSI code page, so a trail byte that
// equals '\\' or '.' is not reported. A start outside the string gives -1.
int CString::Find(char ch, int iStart) const
{
    return Mbcs::FindChar(m_str.c_str(), GetLength(), ch, iStart, CP_ACP);
}

int CString::Find(LPCTSTR pszSub, int iStart) const
{
    return Mbcs::FindString(m_str.c_str(), GetLength(), pszSub, iStart, CP_ACP);
}

int CString::ReverseFind(char ch) const
{
    return Mbcs::ReverseFindChar(m_str.c_str(), GetLength(), ch, CP_ACP);
}

int CString::FindOneOf(LPCTSTR pszCharSet) const
{
    CharWalker walker(CP_ACP);
    const int length = GetLength();
    for (int i = 0; i < length; i = walker.Next(m_str.c_str(), length, i)) {
        if (IsInSet(m_str[static_cast<size_t>(i)], pszCharSet))
            return i;
    }
    return -1;
}

// Returns the number of characters replaced.
int CString::Replace(char chOld, char chNew)
{
    if (chOld == chNew)
        return 0;
    CharWalker walker(CP_ACP);
    const int length = GetLength();
    int count = 0;
    for (int i = 0; i < length; i = walker.Next(m_str.c_str(), length, i)) {
        if (m_str[static_cast<size_t>(i)] == chOld) {
            m_str[static_cast<size_t>(i)] = chNew;
            ++count;
        }
    }
    return count;
}

// Replaces every non-overlapping occurrence, left to right; an empty or null pszOld replaces nothing.
// Returns the number of occurrences replaced.
int CString::Replace(LPCTSTR pszOld, LPCTSTR pszNew)
{
    if (pszOld == nullptr || *pszOld == '\0')
        return 0;
    const std::string replacement(pszNew != nullptr ? pszNew : "");
    const int oldLength = static_cast<int>(std::strlen(pszOld));
    const std::string oldText(pszOld);
    std::string result;
    int count = 0;
    int pos = 0;
    for (;;) {
        const int hit = Mbcs::FindString(m_str.c_str(), GetLength(), oldText.c_str(), pos, CP_ACP);
        if (hit < 0)
            break;
        result.append(m_str, static_cast<size_t>(pos), static_cast<size_t>(hit - pos));
        result.append(replacement);
        pos = hit + oldLength;
        ++count;
    }
    if (count > 0) {
        result.append(m_str, static_cast<size_t>(pos), std::string::npos);
        m_str.swap(result);
    }
    return count;
}

int CString::Remove(char ch)
{
    CharWalker walker(CP_ACP);
    const int length = GetLength();
    std::string result;
    result.reserve(m_str.size());
    int count = 0;
    for (int i = 0; i < length;) {
        const int next = walker.Next(m_str.c_str(), length, i);
        if (m_str[static_cast<size_t>(i)] == ch && next == i + 1)
            ++count;
        else
            result.append(m_str, static_cast<size_t>(i), static_cast<size_t>(next - i));
        i = next;
    }
    m_str.swap(result);
    return count;
}

// Insert and Delete clamp the position to the string and return the new length.
int CString::Insert(int nIndex, char ch)
{
    const int index = ClampCount(nIndex, GetLength());
    m_str.insert(static_cast<size_t>(index), 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, LPCTSTR psz)
{
    const int index = ClampCount(nIndex, GetLength());
    if (psz != nullptr)
        m_str.insert(static_cast<size_t>(index), std::string(psz));
    return GetLength();
}

int CString::Delete(int nIndex, int nCount)
{
    const int index = nIndex < 0 ? 0 : nIndex;
    if (index < GetLength()) {
        const int count = ClampCount(nCount, GetLength() - index);
        m_str.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    }
    return GetLength();
}

// Case mapping goes through the ANSI code page (CharUpperBuff), which keeps double-byte characters intact.
CString& CString::MakeUpper()
{
    if (!m_str.empty())
        CharUpperBuffA(&m_str[0], static_cast<DWORD>(m_str.size()));
    return *this;
}

CString& CString::MakeLower()
{
    if (!m_str.empty())
        CharLowerBuffA(&m_str[0], static_cast<DWORD>(m_str.size()));
    return *this;
}

// Reverses the order of characters; a double-byte character keeps its byte order.
CString& CString::MakeReverse()
{
    CharWalker walker(CP_ACP);
    const int length = GetLength();
    std::string result(m_str.size(), '\0');
    int out = length;
    for (int i = 0; i < length;) {
        const int next = walker.Next(m_str.c_str(), length, i);
        out -= next - i;
        std::copy(m_str.begin() + i, m_str.begin() + next, result.begin() + out);
        i = next;
    }
    m_str.swap(result);
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(char chTarget)
{
    return TrimRight(chTarget).TrimLeft(chTarget);
}

CString& CString::Trim(LPCTSTR pszTargets)
{
    return TrimRight(pszTargets).TrimLeft(pszTargets);
}

CString& CString::TrimLeft()
{
    return TrimLeft(kWhitespace);
}

CString& CString::TrimLeft(char chTarget)
{
    const char targets[2] = {chTarget, '\0'};
    return TrimLeft(targets);
}

CString& CString::TrimLeft(LPCTSTR pszTargets)
{
    size_t count = 0;
    while (count < m_str.size() && IsInSet(m_str[count], pszTargets))
        ++count;
    m_str.erase(0, count);
    return *this;
}

CString& CString::TrimRight()
{
    return TrimRight(kWhitespace);
}

CString& CString::TrimRight(char chTarget)
{
    const char targets[2] = {chTarget, '\0'};
    return TrimRight(targets);
}

// Walks forward by characters to find where the trailing run of targets begins, so the second byte of a
// double-byte character is never trimmed.
CString& CString::TrimRight(LPCTSTR pszTargets)
{
    CharWalker walker(CP_ACP);
    const int length = GetLength();
    int runStart = -1;
    for (int i = 0; i < length;) {
        const int next = walker.Next(m_str.c_str(), length, i);
        if (next == i + 1 && IsInSet(m_str[static_cast<size_t>(i)], pszTargets)) {
            if (runStart < 0)
                runStart = i;
        } else {
            runStart = -1;
        }
        i = next;
    }
    if (runStart >= 0)
        m_str.erase(static_cast<size_t>(runStart));
    return *this;
}

// Returns the next token at or after iStart, skipping any run of delimiters, and moves iStart past the delimiter
// that ends it. When no token is left it returns an empty string and sets iStart to -1, so empty fields between
// delimiters never come out:
//     int pos = 0;
//     for (CString t = s.Tokenize("#", pos); pos != -1; t = s.Tokenize("#", pos)) ...
// With no delimiters the rest of the string is the one token.
CString CString::Tokenize(LPCTSTR pszTokens, int& iStart) const
{
    if (iStart < 0)
        AfxThrowInvalidArgException();
    const int length = GetLength();
    if (pszTokens == nullptr || *pszTokens == '\0') {
        if (iStart < length) {
            CString rest = Mid(iStart);
            iStart = length;
            return rest;
        }
    } else if (iStart < length) {
        const char* place = m_str.c_str() + iStart;
        const int including = static_cast<int>(std::strspn(place, pszTokens));
        if (iStart + including < length) {
            const int from = iStart + including;
            const int count = static_cast<int>(std::strcspn(m_str.c_str() + from, pszTokens));
            iStart = from + count + 1;
            return Mid(from, count);
        }
    }
    iStart = -1;
    return CString();
}

void CString::Format(LPCTSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

// The format string comes from the string table.
void CString::Format(UINT nFormatID, ...)
{
    CString format;
    format.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(format, args);
    va_end(args);
}

// Formats into a buffer that grows until the whole text fits, so the result has no length limit. The text is
// built apart from *this, so arguments may point into this string.
void CString::FormatV(LPCTSTR pszFormat, va_list args)
{
    if (pszFormat == nullptr)
        AfxThrowInvalidArgException();
    std::vector<char> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int written = vsnprintf(buffer.data(), buffer.size(), pszFormat, copy);
        va_end(copy);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            m_str.assign(buffer.data(), static_cast<size_t>(written));
            return;
        }
        const size_t needed = written >= 0 ? static_cast<size_t>(written) + 1 : buffer.size() * 2;
        if (needed > 0x10000000)
            AfxThrowMemoryException();
        buffer.resize(needed);
    }
}

void CString::AppendFormat(LPCTSTR pszFormat, ...)
{
    CString text;
    va_list args;
    va_start(args, pszFormat);
    text.FormatV(pszFormat, args);
    va_end(args);
    *this += text;
}

BOOL CString::LoadString(UINT nID)
{
    return LoadString(GetModuleHandleA(nullptr), nID);
}

// Reads the string straight from the RT_STRING block (16 counted UTF-16 strings per block), so texts of any
// length load whole. FALSE (string unchanged) when the id is missing or its text is empty.
BOOL CString::LoadString(HINSTANCE hInstance, UINT nID)
{
    HRSRC resource = FindResourceA(hInstance, MAKEINTRESOURCEA((nID >> 4) + 1), MAKEINTRESOURCEA(6));
    if (resource == nullptr)
        return FALSE;
    HGLOBAL loaded = LoadResource(hInstance, resource);
    const WCHAR* block = loaded != nullptr ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (block == nullptr)
        return FALSE;
    const WCHAR* end = block + SizeofResource(hInstance, resource) / sizeof(WCHAR);
    const WCHAR* entry = block;
    for (UINT i = 0; i < (nID & 15); ++i) {
        if (entry >= end)
            return FALSE;
        entry += 1 + *entry;
    }
    if (entry >= end)
        return FALSE;
    const int length = *entry;
    if (length == 0 || entry + 1 + length > end)
        return FALSE;
    *this = WideToAnsi(entry + 1, length);
    return TRUE;
}

// The buffer holds at least nMinBufferLength characters plus a NUL and keeps the current text. Until
// ReleaseBuffer, GetLength may report the buffer size.
LPTSTR CString::GetBuffer(int nMinBufferLength)
{
    if (nMinBufferLength < 0)
        AfxThrowInvalidArgException();
    if (static_cast<size_t>(nMinBufferLength) > m_str.size())
        m_str.resize(static_cast<size_t>(nMinBufferLength), '\0');
    return &m_str[0];
}

LPTSTR CString::GetBuffer()
{
    return GetBuffer(0);
}

LPTSTR CString::GetBufferSetLength(int nLength)
{
    if (nLength < 0)
        AfxThrowInvalidArgException();
    m_str.resize(static_cast<size_t>(nLength), '\0');
    return &m_str[0];
}

// nNewLength -1: the text ends at the first NUL in the buffer. A length beyond the buffer is clamped to it.
void CString::ReleaseBuffer(int nNewLength)
{
    size_t length;
    if (nNewLength < 0)
        length = strnlen(m_str.c_str(), m_str.size());
    else
        length = std::min(static_cast<size_t>(nNewLength), m_str.size());
    m_str.resize(length);
}

CString operator+(const CString& a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, LPCTSTR b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(LPCTSTR a, const CString& b)
{
    CString result;
    result = a;
    result += b;
    return result;
}

CString operator+(const CString& a, char b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(char a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

// Characters without an ANSI equivalent become the code page's default character ('?').
CString WideToAnsi(LPCWSTR pwsz, int nLength)
{
    CString result;
    if (pwsz == nullptr)
        return result;
    if (nLength < 0)
        nLength = static_cast<int>(wcslen(pwsz));
    if (nLength == 0)
        return result;
    const int size = WideCharToMultiByte(CP_ACP, 0, pwsz, nLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return result;
    LPTSTR buffer = result.GetBufferSetLength(size);
    const int written = WideCharToMultiByte(CP_ACP, 0, pwsz, nLength, buffer, size, nullptr, nullptr);
    result.ReleaseBuffer(written > 0 ? written : 0);
    return result;
}

namespace {

// Replaces %1..%9 with the given strings; other text, and a placeholder without a string, stays as it is.
void FormatStrings(CString& rString, UINT nIDS, LPCTSTR const* strings, int count)
{
    CString format;
    format.LoadString(nIDS);
    CString result;
    const int length = format.GetLength();
    for (int i = 0; i < length; ++i) {
        const char ch = format[i];
        if (ch == '%' && i + 1 < length && format[i + 1] >= '1' && format[i + 1] <= '9') {
            const int index = format[i + 1] - '1';
            if (index < count) {
                result += strings[index];
                ++i;
                continue;
            }
        }
        result += ch;
    }
    rString = result;
}

} // namespace

CString LoadStringText(UINT nIDS)
{
    CString strText;
    strText.LoadString(nIDS);
    return strText;
}

void AfxFormatString1(CString& rString, UINT nIDS, LPCTSTR psz1)
{
    LPCTSTR strings[] = {psz1};
    FormatStrings(rString, nIDS, strings, 1);
}

void AfxFormatString2(CString& rString, UINT nIDS, LPCTSTR psz1, LPCTSTR psz2)
{
    LPCTSTR strings[] = {psz1, psz2};
    FormatStrings(rString, nIDS, strings, 2);
}
