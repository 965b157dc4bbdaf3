// src/framework/FileReplace.cpp
#include "framework/FileReplace.h"

namespace {

const FileMoveHooks* volatile g_pHooks = nullptr;

BOOL CallMoveFileEx(LPCSTR pszFrom, LPCSTR pszTo, DWORD dwFlags)
{
    const FileMoveHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnMoveFileExA != nullptr)
        return pHooks->pfnMoveFileExA(pszFrom, pszTo, dwFlags);
    return MoveFileExA(pszFrom, pszTo, dwFlags);
}

BOOL CallMoveFile(LPCSTR pszFrom, LPCSTR pszTo)
{
    const FileMoveHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnMoveFileA != nullptr)
        return pHooks->pfnMoveFileA(pszFrom, pszTo);
    return MoveFileA(pszFrom, pszTo);
}

BOOL CallDeleteFile(LPCSTR pszPath)
{
    const FileMoveHooks* pHooks = g_pHooks;
    if (pHooks != nullptr && pHooks->pfnDeleteFileA != nullptr)
        return pHooks->pfnDeleteFileA(pszPath);
    return DeleteFileA(pszPath);
}

} // namespace

CString AfxGetFolderOf(const CString& path)
{
    int slash = path.ReverseFind('\\');
    int other = path.ReverseFind('/');
    if (other > slash)
        slash = other;
    if (slash < 0) {
        if (path.GetLength() >= 2 && path[1] == ':')
            return path.Left(2);
        return CString(".");
    }
    if (slash == 0 || (slash == 2 && path[1] == ':'))
        return path.Left(slash + 1);
    return path.Left(slash);
}

const FileMoveHooks* SetFileMoveHooks(const FileMoveHooks* pHooks)
{
    const FileMoveHooks* pPrevious = g_pHooks;
    g_pHooks = pHooks;
    return pPrevious;
}

bool AfxReplaceFile(LPCSTR pszNew, LPCSTR pszTarget)
{
    if (CallMoveFileEx(pszNew, pszTarget, MOVEFILE_REPLACE_EXISTING))
        return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return false;
    if (GetFileAttributesA(pszTarget) == INVALID_FILE_ATTRIBUTES)
        return CallMoveFile(pszNew, pszTarget) != FALSE;

    // GetTempFileName makes the file to reserve its name; the move needs the name free.
    char szAside[MAX_PATH] = "";
    if (GetTempFileNameA(AfxGetFolderOf(CString(pszTarget)), "tvo", 0, szAside) == 0)
        return false;
    DeleteFileA(szAside);
    if (!CallMoveFile(pszTarget, szAside))
        return false;
    if (!CallMoveFile(pszNew, pszTarget)) {
        CallMoveFile(szAside, pszTarget);
        return false;
    }
    CallDeleteFile(szAside);
    return true;
}
