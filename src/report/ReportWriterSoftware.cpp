// src/report/ReportWriterSoftware.cpp
// CReportWriter::WriteSoftwareInfo, kept apart from the writer so that the writer alone does not need the software
// section and the drive manager.
#include "report/ReportWriter.h"

#include "drive/DriveManager.h"
#include "report/SoftwareSection.h"

#include <cstring>

// A short software section: the Windows text, the ASPI layer's version, description and company ("n/a" for what
// cannot be read), and the warning for a layer whose version reads like "1, 0, 0, 0".
void CReportWriter::WriteSoftwareInfo()
{
    WriteLine("");
    WriteLine("Software information");
    WriteHeading("Software information");

    CString line;
    line.Format("Operating system: %s", static_cast<LPCTSTR>(GetWindowsVersionText()));
    WriteLine(line);

    char version[kVersionTextSize] = "";
    char description[kVersionTextSize] = "";
    char company[kVersionTextSize] = "";
    CString dllName = "wnaspi32.dll";
    if (g_pDriveManager != nullptr) {
        dllName = g_pDriveManager->GetAspiDllName();
        g_pDriveManager->GetFileDescriptionText(version, description, company);
    } else {
        GetAspiLayerTexts(dllName, version, description, company);
    }
    if (strcmp(version, "n/a") == 0)
        line = "ASPI Manager: n/a";
    else
        line.Format("ASPI Manager: %s version %s", static_cast<LPCTSTR>(dllName), version);
    WriteLine(line);

    line.Format("Description : %s", description);
    if (strcmp(company, "n/a") != 0)
        line.AppendFormat(" (%s)", company);
    WriteLine(line);
    WriteLine("");

    if (IsOldAspiVersion(version)) {
        WriteLine("*** WARNING: It is recommended to update this ASPI layer. ***");
        WriteLine("This version may result in unpredictable behaviour of certain components.");
        WriteLine("");
    }
}
