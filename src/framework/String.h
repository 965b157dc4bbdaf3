// src/framework/String.h
// CString: an ANSI string with value semantics and the class-library interface the program uses.
#ifndef TAVISK_FRAMEWORK_STRING_H
#define TAVISK_FRAMEWORK_STRING_H

#include <windows.h>

#include <cstdarg>
#include <string>
#include <type_traits>

#define TAVISK_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))

class CString;

// True when a CString is among the argument types (see the Format templates).
template <class... Args>
struct CStringAmong : std::disjunction<std::is_same<std::decay_t<Args>, CString>...> {
};

class CString {
public:
    CString() = default;
    CString(const CString& other) = default;
    CString(CString&& other) noexcept = default;
    CString(LPCSTR psz);
    CString(LPCSTR pch, int nLength);
    CString(char ch, int nRepeat = 1);
    explicit CString(LPCWSTR pwsz);
    ~CString() = default;

    CString& operator=(const CString& other) = default;
    CString& operator=(CString&& other) noexcept = default;
    CString& operator=(LPCSTR psz);
    CString& operator=(char ch);

    CString& operator+=(const CString& other);
    CString& operator+=(LPCSTR psz);
    CString& operator+=(char ch);

    operator LPCTSTR() const { return m_str.c_str(); }
    LPCTSTR GetString() const { return m_str.c_str(); }

    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }

    char GetAt(int nIndex) const;
    char operator[](int nIndex) const { return GetAt(nIndex); }
    void SetAt(int nIndex, char ch);

    void Append(LPCSTR psz);
    void Append(LPCSTR pch, int nLength);
    void AppendChar(char ch) { m_str.push_back(ch); }

    int Compare(LPCTSTR psz) const;
    int CompareNoCase(LPCTSTR psz) const;

    CString Left(int nCount) const;
    CString Mid(int iFirst) const;
    CString Mid(int iFirst, int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCTSTR pszCharSet) const;
    CString SpanExcluding(LPCTSTR pszCharSet) const;

    int Find(char ch, int iStart = 0) const;
    int Find(LPCTSTR pszSub, int iStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCTSTR pszCharSet) const;

    int Replace(char chOld, char chNew);
    int Replace(LPCTSTR pszOld, LPCTSTR pszNew);
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, LPCTSTR psz);
    int Delete(int nIndex, int nCount = 1);

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();

    CString& Trim();
    CString& Trim(char chTarget);
    CString& Trim(LPCTSTR pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(LPCTSTR pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(LPCTSTR pszTargets);

    CString Tokenize(LPCTSTR pszTokens, int& iStart) const;

    void Format(LPCTSTR pszFormat, ...) TAVISK_PRINTF_FORMAT(2, 3);
    void Format(UINT nFormatID, ...);
    void FormatV(LPCTSTR pszFormat, va_list args);
    void AppendFormat(LPCTSTR pszFormat, ...) TAVISK_PRINTF_FORMAT(2, 3);

    // A CString argument (for a %s) goes in as its text. Passed through "..." as it is, the object itself would
    // be formatted: the compiler hands class objects to variable arguments by hidden reference.
    template <class... Args, std::enable_if_t<CStringAmong<Args...>::value, int> = 0>
    void Format(LPCTSTR pszFormat, const Args&... args)
    {
        Format(pszFormat, FormatArg(args)...);
    }
    template <class... Args, std::enable_if_t<CStringAmong<Args...>::value, int> = 0>
    void Format(UINT nFormatID, const Args&... args)
    {
        Format(nFormatID, FormatArg(args)...);
    }
    template <class... Args, std::enable_if_t<CStringAmong<Args...>::value, int> = 0>
    void AppendFormat(LPCTSTR pszFormat, const Args&... args)
    {
        AppendFormat(pszFormat, FormatArg(args)...);
    }

    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    LPTSTR GetBuffer();
    LPTSTR GetBuffer(int nMinBufferLength);
    LPTSTR GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    static LPCTSTR FormatArg(const CString& value) { return value.GetString(); }
    template <class T>
    static const T& FormatArg(const T& value)
    {
        return value;
    }

    std::string m_str;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCTSTR b);
CString operator+(LPCTSTR a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b)
{
    return a.Compare(b) == 0;
}
inline bool operator==(const CString& a, LPCTSTR b)
{
    return a.Compare(b) == 0;
}
inline bool operator==(LPCTSTR a, const CString& b)
{
    return b.Compare(a) == 0;
}
inline bool operator!=(const CString& a, const CString& b)
{
    return a.Compare(b) != 0;
}
inline bool operator!=(const CString& a, LPCTSTR b)
{
    return a.Compare(b) != 0;
}
inline bool operator!=(LPCTSTR a, const CString& b)
{
    return b.Compare(a) != 0;
}
inline bool operator<(const CString& a, const CString& b)
{
    return a.Compare(b) < 0;
}
inline bool operator<(const CString& a, LPCTSTR b)
{
    return a.Compare(b) < 0;
}
inline bool operator<(LPCTSTR a, const CString& b)
{
    return b.Compare(a) > 0;
}
inline bool operator>(const CString& a, const CString& b)
{
    return a.Compare(b) > 0;
}
inline bool operator>(const CString& a, LPCTSTR b)
{
    return a.Compare(b) > 0;
}
inline bool operator>(LPCTSTR a, const CString& b)
{
    return b.Compare(a) < 0;
}
inline bool operator<=(const CString& a, const CString& b)
{
    return a.Compare(b) <= 0;
}
inline bool operator<=(const CString& a, LPCTSTR b)
{
    return a.Compare(b) <= 0;
}
inline bool operator<=(LPCTSTR a, const CString& b)
{
    return b.Compare(a) >= 0;
}
inline bool operator>=(const CString& a, const CString& b)
{
    return a.Compare(b) >= 0;
}
inline bool operator>=(const CString& a, LPCTSTR b)
{
    return a.Compare(b) >= 0;
}
inline bool operator>=(LPCTSTR a, const CString& b)
{
    return b.Compare(a) <= 0;
}

// UTF-16 text in the ANSI code page; nLength -1 = up to the terminating NUL. Use instead of "%ws".
CString WideToAnsi(LPCWSTR pwsz, int nLength = -1);

// The string table's text for nIDS; empty when there is none.
CString LoadStringText(UINT nIDS);

// String-table text with %1 (and %2) replaced.
void AfxFormatString1(CString& rString, UINT nIDS, LPCTSTR psz1);
void AfxFormatString2(CString& rString, UINT nIDS, LPCTSTR psz1, LPCTSTR psz2);

// Byte scans that step over double-byte characters of a code page (CString passes CP_ACP), so that a
// trail byte equal to '\\' or '.' is never taken for that character. Results are byte offsets or -1.
namespace Mbcs {
bool IsLeadByte(unsigned char byte, UINT codePage);
int FindChar(LPCSTR text, int length, char ch, int start, UINT codePage);
int ReverseFindChar(LPCSTR text, int length, char ch, UINT codePage);
int FindString(LPCSTR text, int length, LPCSTR sub, int start, UINT codePage);
} // namespace Mbcs

#endif
