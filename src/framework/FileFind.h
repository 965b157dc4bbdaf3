// src/framework/FileFind.h
// CFileFind: walks the files that match a path with wildcards, in the class library's manner:
//     CFileFind finder;
//     BOOL more = finder.FindFile("M:\\MPEGAV\\*.DAT");
//     while (more) { more = finder.FindNextFile(); use(finder.GetFilePath()); }
// FindFile only starts the search; FindNextFile makes the next match current and returns FALSE when that match
// is the last one (its data stays readable).
#ifndef TAVISK_FRAMEWORK_FILEFIND_H
#define TAVISK_FRAMEWORK_FILEFIND_H

#include "framework/Handles.h"
#include "framework/String.h"

class CFileFind {
public:
    CFileFind() = default;
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;
    ~CFileFind() = default;

    // null searches "*.*" in the current directory. FALSE when nothing matches.
    BOOL FindFile(LPCTSTR pstrName = nullptr, DWORD dwUnused = 0);
    BOOL FindNextFile();
    void Close();

    // Valid after FindNextFile.
    CString GetFileName() const;
    CString GetFilePath() const;
    CString GetRoot() const { return m_strRoot; }
    ULONGLONG GetLength() const;
    DWORD GetAttributes() const { return m_found.dwFileAttributes; }
    BOOL IsDirectory() const { return (m_found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    BOOL IsDots() const;

private:
    CFindFileOwner m_search;
    WIN32_FIND_DATAA m_next = {};
    WIN32_FIND_DATAA m_found = {};
    bool m_hasNext = false;
    bool m_hasFound = false;
    CString m_strRoot;
};

#endif
