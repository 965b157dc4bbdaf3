// src/report/SoftwareSection.cpp
#include "report/SoftwareSection.h"

#include "drive/DriveManager.h"
#include "framework/VersionResource.h"
#include "framework/WindowsVersion.h"
#include "report/ReportLine.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Name of the Windows version by platform, major and minor version.
LPCSTR WindowsName(const OSVERSIONINFOEXA& info)
{
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        return "Windows";
    case VER_PLATFORM_WIN32_WINDOWS:
        if (info.dwMinorVersion == 10)
            return info.szCSDVersion[1] == 'A' ? "Windows 98 SE" : "Windows 98";
        if (info.dwMinorVersion == 90)
            return "Windows Me";
        return "Windows 95";
    case VER_PLATFORM_WIN32_NT:
        if (info.dwMajorVersion == 3)
            return "Windows NT 3.51";
        if (info.dwMajorVersion == 4)
            return "Windows NT 4.0";
        if (info.dwMajorVersion == 5) {
            if (info.dwMinorVersion == 0)
                return "Windows 2000";
            if (info.dwMinorVersion == 2)
                return "Windows Server 2003 family";
            return "Windows XP";
        }
        if (info.dwMajorVersion == 6)
            return "Windows Vista";
        return "Windows XP";
    default:
        // Platforms after these three were never named; the family name is the honest text.
        return "Windows";
    }
}

void CopyText(char* out, LPCSTR text)
{
    snprintf(out, kVersionTextSize, "%s", text);
}

// The layer's texts through the drive manager's ASPI DLL name, as the program reads them, or from the file.
void ReadLayerTexts(CDriveManager* pDriveManager, LPCSTR file, char* version, char* description, char* company)
{
    if (pDriveManager != nullptr) {
        pDriveManager->SetAspiDllName(file);
        pDriveManager->GetFileDescriptionText(version, description, company);
    } else {
        GetAspiLayerTexts(file, version, description, company);
    }
}

// "InterVideo WinDVR %d Version: %s" and "InterVideo WinDVD Creator %d Version: %s" for the installed
// versions 1 to 9 of each. The keys belong to another vendor and are only read.
void AppendVideoApplications(CStringArray& lines, HKEY machineRoot)
{
    CRegistryKey software;
    CRegistryKey vendor;
    if (software.Open(machineRoot, "SOFTWARE", KEY_READ) != ERROR_SUCCESS ||
        vendor.Open(software.get(), "InterVideo", KEY_READ) != ERROR_SUCCESS)
        return;
    struct Product {
        LPCSTR subkey;
        LPCSTR line;
    };
    static const Product products[] = {
        {"DVR%d", "InterVideo WinDVR %d Version: %s"},
        {"WCreator%d", "InterVideo WinDVD Creator %d Version: %s"},
    };
    for (const Product& product : products) {
        for (int n = 1; n <= 9; ++n) {
            char subkey[16];
            snprintf(subkey, sizeof subkey, product.subkey, n);
            CRegistryKey key;
            CString version;
            if (key.Open(vendor.get(), subkey, KEY_READ) == ERROR_SUCCESS &&
                key.QueryString("Version", version) == ERROR_SUCCESS && !version.IsEmpty())
                AppendReportLine(lines, product.line, n, static_cast<LPCSTR>(version));
        }
    }
}

} // namespace

// The service-pack text is at most 127 characters, the name at most 26: the text stays below 200.
int FormatWindowsVersionText(const OSVERSIONINFOEXA& info, char* out)
{
    int written =
        snprintf(out, kWindowsTextSize, "%s V%lu.%02lu.%lu %.127s", WindowsName(info),
                 static_cast<unsigned long>(info.dwMajorVersion), static_cast<unsigned long>(info.dwMinorVersion),
                 static_cast<unsigned long>(info.dwBuildNumber & 0xFFFF), info.szCSDVersion);
    return written < kWindowsTextSize ? written : kWindowsTextSize - 1;
}

int GetWindowsVersionText(char* out)
{
    OSVERSIONINFOEXA info;
    AfxGetWindowsVersion(&info);
    return FormatWindowsVersionText(info, out);
}

CString GetWindowsVersionText()
{
    char text[kWindowsTextSize];
    GetWindowsVersionText(text);
    return CString(text);
}

void GetFileVersionText(LPCSTR file, char* version, char* description, char* company)
{
    version[0] = description[0] = company[0] = '\0';
    CVersionResource resource(file);
    if (!resource.Exists())
        return;
    if (!resource.Query("FileVersion", version))
        CopyText(version, "N/A");
    if (!resource.Query("FileDescription", description))
        CopyText(description, "N/A");
    if (!resource.Query("CompanyName", company))
        CopyText(company, "N/A");
}

// "1, 0, 0, 0": a one, then zeros at characters 3, 6 and 9. A shorter text is not of that form (the indexes
// would lie past its end).
bool IsOldAspiVersion(LPCSTR version)
{
    return version != nullptr && strlen(version) >= 10 && version[0] == '1' && version[3] == '0' && version[6] == '0' &&
           version[9] == '0';
}

// HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\nero.exe", value "Path", opened one level at a
// time with query access. One trailing backslash of the folder is dropped before "\wnaspi32.dll" is added; a
// folder that leaves no room for the file name in MAX_PATH characters is refused.
bool FindBurnerAspiDll(char* path, HKEY machineRoot)
{
    static const LPCSTR levels[] = {"SOFTWARE", "Microsoft", "Windows", "CurrentVersion", "App Paths", "nero.exe"};
    CRegistryKey keys[6];
    HKEY parent = machineRoot;
    for (int i = 0; i < 6; ++i) {
        if (keys[i].Open(parent, levels[i], KEY_QUERY_VALUE) != ERROR_SUCCESS)
            return false;
        parent = keys[i].get();
    }
    CString folder;
    if (keys[5].QueryString("Path", folder) != ERROR_SUCCESS)
        return false;
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] == '\\')
        folder = folder.Left(folder.GetLength() - 1);
    CString file = folder + "\\wnaspi32.dll";
    if (file.GetLength() >= MAX_PATH)
        return false;
    memcpy(path, static_cast<LPCSTR>(file), file.GetLength() + 1);
    return true;
}

// The section, line by line: the Windows text; the Windows layer with the out-of-date warning; the recording
// layer; the burning application's layer; the video applications.
void BuildSoftwareSection(CStringArray& lines, CDriveManager* pDriveManager, const SoftwareSectionSources& sources)
{
    lines.RemoveAll();
    lines.Add(GetWindowsVersionText());

    char version[kVersionTextSize];
    char description[kVersionTextSize];
    char company[kVersionTextSize];

    ReadLayerTexts(pDriveManager, sources.windowsLayer, version, description, company);
    if (strcmp(description, "n/a") == 0)
        AppendReportLine(lines, "ASPI (wnaspi32.dll) : n/a");
    else
        AppendReportLine(lines, "Windows ASPI (wnaspi32.dll) : %s %s, V%s", company, description, version);
    if (IsOldAspiVersion(version)) {
        AppendReportLine(lines, "*** WARNING: It is recommended to update this ASPI layer. ***");
        AppendReportLine(lines, "This version may result in unpredictable behaviour of certain components.");
    }

    ReadLayerTexts(pDriveManager, sources.recorderLayer, version, description, company);
    if (strcmp(description, "n/a") == 0)
        AppendReportLine(lines, "Roxio ASPI (cdral.dll)    : n/a");
    else
        AppendReportLine(lines, "Roxio ASPI (cdral.dll)    : %s %s, V%s", company, description, version);

    version[0] = '\0';
    char burnerLayer[MAX_PATH];
    bool found = FindBurnerAspiDll(burnerLayer, sources.machineRoot);
    if (found)
        ReadLayerTexts(pDriveManager, burnerLayer, version, description, company);
    if (!found || strcmp(description, "n/a") == 0)
        AppendReportLine(lines, "Ahead ASPI (wnaspi32.dll)    : n/a");
    else
        AppendReportLine(lines, "Ahead ASPI (wnaspi32.dll)    : %s V%s", description, version);

    AppendVideoApplications(lines, sources.machineRoot);
}
