// src/drive/DriveManagerTexts.cpp
// The program's name and the texts of an ASPI layer's version resource.
#include "drive/DriveManager.h"

#include "framework/VersionResource.h"
#include "framework/WindowsVersion.h"
#include "resource.h"

#include <cstdio>

static_assert(kVersionTextSize == kAspiDllNameSize, "layer texts fit the ASPI DLL name's buffers");

namespace {

void CopyText(char* pszOut, LPCSTR pszText)
{
    snprintf(pszOut, kVersionTextSize, "%s", pszText);
}

} // namespace

CString CDriveManager::LoadProgramName()
{
    CString name;
    if (!name.LoadString(IDS_PROGRAM_NAME))
        name.Empty();
    return name;
}

// The note goes only to a layer that has a version resource, so a missing layer stays "n/a" in all three texts on
// every system.
void GetAspiLayerTexts(LPCSTR pszFile, char* pszVersion, char* pszDescription, char* pszCompany)
{
    CopyText(pszVersion, "n/a");
    CopyText(pszDescription, "n/a");
    CopyText(pszCompany, "n/a");
    CVersionResource resource(pszFile);
    if (!resource.Exists())
        return;
    resource.Query("FileVersion", pszVersion);
    resource.Query("FileDescription", pszDescription);
    resource.Query("CompanyName", pszCompany);

    if (AfxIsNT5Family()) {
        CString noteFormat;
        noteFormat.LoadString(IDS_ASPI_NOT_USED);
        CString note;
        note.Format(static_cast<LPCSTR>(noteFormat), static_cast<LPCSTR>(CDriveManager::LoadProgramName()));
        char szNoted[kVersionTextSize];
        snprintf(szNoted, sizeof szNoted, "%s (%s)", pszVersion, static_cast<LPCSTR>(note));
        CopyText(pszVersion, szNoted);
    }
}

// The texts of the file that the transport's ASPI DLL name names (the software section sets the name before
// each layer it reads).
void CDriveManager::GetFileDescriptionText(char* pszVersion, char* pszDescription, char* pszCompany)
{
    GetAspiLayerTexts(GetAspiDllName(), pszVersion, pszDescription, pszCompany);
}
