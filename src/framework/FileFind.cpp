// src/framework/FileFind.cpp
#include "framework/FileFind.h"

#include <algorithm>
#include <cstring>

// The first match is kept until FindNextFile makes it current. The root is the full path of the pattern's
// directory, so GetFilePath gives full paths also for relative patterns.
BOOL CFileFind::FindFile(LPCTSTR pstrName, DWORD dwUnused)
{
    (void)dwUnused;
    Close();
    const CString pattern(pstrName != nullptr && *pstrName != '\0' ? pstrName : "*.*");

    m_search.Attach(FindFirstFileA(pattern, &m_next));
    if (!m_search.IsCreated())
        return FALSE;
    m_hasNext = true;

    CString fullPath;
    char* filePart = nullptr;
    const DWORD length = GetFullPathNameA(pattern, MAX_PATH, fullPath.GetBuffer(MAX_PATH), &filePart);
    if (length == 0 || length >= MAX_PATH) {
        fullPath.ReleaseBuffer(0);
        fullPath = pattern;
    } else {
        fullPath.ReleaseBuffer(static_cast<int>(length));
    }
    const int separator = std::max(fullPath.ReverseFind('\\'), fullPath.ReverseFind('/'));
    m_strRoot = separator >= 0 ? fullPath.Left(separator) : CString();
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (!m_hasNext)
        return FALSE;
    m_found = m_next;
    m_hasFound = true;
    m_hasNext = ::FindNextFileA(m_search.get(), &m_next) != FALSE;
    return m_hasNext;
}

void CFileFind::Close()
{
    m_search.Close();
    m_hasNext = false;
    m_hasFound = false;
    m_strRoot.Empty();
}

CString CFileFind::GetFileName() const
{
    return m_hasFound ? CString(m_found.cFileName) : CString();
}

// The root (which never ends with a separator) and the name, joined with a backslash.
CString CFileFind::GetFilePath() const
{
    if (!m_hasFound)
        return CString();
    if (m_strRoot.IsEmpty())
        return GetFileName();
    return m_strRoot + '\\' + m_found.cFileName;
}

ULONGLONG CFileFind::GetLength() const
{
    return (static_cast<ULONGLONG>(m_found.nFileSizeHigh) << 32) | m_found.nFileSizeLow;
}

BOOL CFileFind::IsDots() const
{
    return m_hasFound && IsDirectory() &&
           (std::strcmp(m_found.cFileName, ".") == 0 || std::strcmp(m_found.cFileName, "..") == 0);
}
