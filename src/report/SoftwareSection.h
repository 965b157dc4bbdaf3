// src/report/SoftwareSection.h
// The software half of the report: the Windows version text, the ASPI layers of Windows, of a recording layer
// and of a burning application, the out-of-date warning and the companion video applications; with the small
// system routines other report parts share.
#ifndef TAVISK_REPORT_SOFTWARESECTION_H
#define TAVISK_REPORT_SOFTWARESECTION_H

#include "framework/Framework.h"
#include "framework/VersionResource.h"

#include <windows.h>

class CDriveManager;

// Size of the buffer handed to GetWindowsVersionText (the text stays below 200 characters).
const int kWindowsTextSize = 200;

// "<name> V<major>.<minor, two digits>.<build, low 16 bits> <service pack>" into `out` (kWindowsTextSize
// characters); returns the number of characters written.
int FormatWindowsVersionText(const OSVERSIONINFOEXA& info, char* out);
int GetWindowsVersionText(char* out);
CString GetWindowsVersionText();

// Version, description and company of a file's version resource: three empty texts when it has none, "N/A"
// for a missing item.
void GetFileVersionText(LPCSTR file, char* version, char* description, char* company);

// The layer counts as out of date when its version text reads like "1, 0, 0, 0".
bool IsOldAspiVersion(LPCSTR version);

// Path of the burning application's ASPI layer (its App Paths folder + "\wnaspi32.dll") into `path`
// (MAX_PATH characters); false when the application is not registered or the path would not fit.
bool FindBurnerAspiDll(char* path, HKEY machineRoot = HKEY_LOCAL_MACHINE);

// Where the section looks: the two layer files by name and the machine's registry root. Tests point these at
// fixture files and a private key; the program uses the defaults.
struct SoftwareSectionSources {
    LPCSTR windowsLayer = "wnaspi32.dll";
    LPCSTR recorderLayer = "cdral.dll";
    HKEY machineRoot = HKEY_LOCAL_MACHINE;
};

// Empties `lines` and writes the section; line 0 is the Windows text. With a drive manager the layer texts are
// read through its ASPI DLL name (which keeps the last name set); without one, from the files directly.
void BuildSoftwareSection(CStringArray& lines, CDriveManager* pDriveManager,
                          const SoftwareSectionSources& sources = SoftwareSectionSources());

#endif
