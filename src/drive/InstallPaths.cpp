// src/drive/InstallPaths.cpp
// The install directory (the program's own setting, else the sibling disc utility's uninstall entry) and the
// path of the help file in it.
#include "drive/DriveManager.h"

#include <string.h>

#include "drive/SpeedCache.h"
#include "resource.h"

namespace {

const char kSiblingUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QRVMZ";

// Copies at most nSize - 1 characters and terminates.
void CopyBounded(char* pszOut, const char* pszText, size_t nSize)
{
    strncpy(pszOut, pszText, nSize - 1);
    pszOut[nSize - 1] = '\0';
}

} // namespace

// "InstallPath" of the program's "General" key (a trailing backslash cut); else the directory of the program
// named between the first two double quotes of the sibling's "UninstallString", when that file exists. The search
// starts at the first character: the usual entry, "C:\...\uninst.exe" /x, is quoted from its start. Texts longer
// than the 260-character buffer are cut.
void CDriveManager::GetInstallPaths(char* pszPath260)
{
    CString general(kProgramRegistryKey);
    general += "\\General";
    CRegistryKey key;
    CString value;
    if (key.Open(HKEY_LOCAL_MACHINE, general, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
        key.QueryString("InstallPath", value) == ERROR_SUCCESS) {
        char path[MAX_PATH];
        CopyBounded(path, value, sizeof(path));
        size_t length = strlen(path);
        if (length > 0 && path[length - 1] == '\\')
            path[length - 1] = '\0';
        strcpy(pszPath260, path);
        return;
    }

    CRegistryKey uninstall;
    if (uninstall.Open(HKEY_LOCAL_MACHINE, kSiblingUninstallKey, KEY_QUERY_VALUE) != ERROR_SUCCESS ||
        uninstall.QueryString("UninstallString", value) != ERROR_SUCCESS)
        return;
    char command[MAX_PATH];
    CopyBounded(command, value, sizeof(command));
    char* open = strchr(command, '"');
    char* close = open != nullptr ? strchr(open + 1, '"') : nullptr;
    if (close == nullptr) {
        pszPath260[0] = '\0';
        return;
    }
    *close = '\0';
    const char* file = open + 1;
    DWORD attributes = GetFileAttributesA(file);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    const char* slash = strrchr(file, '\\');
    size_t length = slash != nullptr ? size_t(slash - file) : 0;
    memcpy(pszPath260, file, length);
    pszPath260[length] = '\0';
}

// The help file in the install directory's "Help" folder, or beside the program when no install directory is known.
CString CDriveManager::GetHelpFilePath()
{
    char directory[MAX_PATH];
    directory[0] = '\0';
    GetInstallPaths(directory);
    CString name;
    if (!name.LoadString(IDS_HELP_FILE))
        name.Empty();
    CString path;
    if (directory[0] != '\0') {
        path = directory;
        path += "\\Help\\";
    } else {
        path = m_szStartDir;
        path += "\\";
    }
    path += name;
    return path;
}
