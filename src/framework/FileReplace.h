// src/framework/FileReplace.h
// Moving a finished file over an earlier one so that a failure never loses the earlier file, and the seam under
// it: a table of the three kernel32 calls whose default is the real call.
#ifndef TAVISK_FRAMEWORK_FILEREPLACE_H
#define TAVISK_FRAMEWORK_FILEREPLACE_H

#include <windows.h>

#include "framework/String.h"

struct FileMoveHooks {
    BOOL (*pfnMoveFileExA)(LPCSTR pszFrom, LPCSTR pszTo, DWORD dwFlags);
    BOOL (*pfnMoveFileA)(LPCSTR pszFrom, LPCSTR pszTo);
    BOOL (*pfnDeleteFileA)(LPCSTR pszPath);
};

// Installs a hook table (kept by pointer); null restores the real calls. A null entry falls back to the real call.
// Returns the table that was in use.
const FileMoveHooks* SetFileMoveHooks(const FileMoveHooks* pHooks);

// Moves pszNew over pszTarget. Where MoveFileEx is missing (Windows 95/98/Me) the earlier target is first moved
// aside to a free name in its folder, then the new file moved in, then the earlier one deleted; when the new file
// cannot be moved in, the earlier one is moved back. On failure (false) pszNew is left where it was and the earlier
// target is in place.
bool AfxReplaceFile(LPCSTR pszNew, LPCSTR pszTarget);

// The folder part of a path, for a temporary file beside it: "." when it has none, "C:" for "C:name", the root
// with its backslash ("C:\", "\").
CString AfxGetFolderOf(const CString& path);

#endif
