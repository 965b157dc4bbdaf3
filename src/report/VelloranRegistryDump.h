// src/report/VelloranRegistryDump.h
// The registry settings of the sibling disc utility Velloran, in its two editions (Velloran Studio and Velloran
// Studio Plus), as report lines. The caller points the dump at a string array or at the report list, sets the
// output mode and calls the two dumps in turn; every line goes out as soon as it is formed.
#ifndef TAVISK_REPORT_VELLORANREGISTRYDUMP_H
#define TAVISK_REPORT_VELLORANREGISTRYDUMP_H

#include "framework/Framework.h"

#include <windows.h>

#pragma pack(push, 1)
// The LAME encoder's published configuration record in its LHV1 layout, as both editions store it in their
// "LameConfig" values (little-endian). Only the fields the report shows are named.
struct BE_CONFIG {
    DWORD dwConfig;        // 0
    DWORD dwStructVersion; // 4
    DWORD dwStructSize;    // 8
    DWORD dwSampleRate;    // 12: input sample rate, 0 = automatic
    DWORD dwReSampleRate;  // 16: output sample rate
    LONG nMode;            // 20: channel mode
    DWORD dwBitrate;       // 24: constant or minimum bitrate, kbit/s
    DWORD dwMaxBitrate;    // 28: maximum bitrate, kbit/s
    LONG nPreset;          // 32
    DWORD dwMpegVersion;   // 36
    DWORD dwPsyModel;      // 40
    DWORD dwEmphasis;      // 44
    BOOL bPrivate;         // 48
    BOOL bCRC;             // 52
    BOOL bCopyright;       // 56
    BOOL bOriginal;        // 60
    BOOL bWriteVBRHeader;  // 64
    BOOL bEnableVBR;       // 68
    LONG nVBRQuality;      // 72
    DWORD dwVbrAbr_bps;    // 76: average bitrate for ABR, bit/s
    LONG nVbrMethod;       // 80
    BOOL bNoRes;           // 84
    BOOL bStrictIso;       // 88
    WORD nQuality;         // 92
    BYTE btReserved[237];  // 94
};
#pragma pack(pop)

// Output modes of the dump: the list, and the three modes of a string array (printer, text file, no target).
const int kVelloranModeList = 4;
const int kVelloranModePrinter = 10;
const int kVelloranModeTextFile = 11;
const int kVelloranModeNoTarget = 12;

class CVelloranRegistryDump {
public:
    CVelloranRegistryDump();
    virtual ~CVelloranRegistryDump();

    // Mode 4 adds the line to the list box, modes 10, 11 and 12 append it to m_pLines; other modes drop it.
    void AddLine(LPCTSTR pszLine);
    // The fifteen LAME lines of a configuration record.
    void DumpLameSettings(const BE_CONFIG* pConfig);
    // Velloran Studio: title, rule, an empty line, five sections and two empty lines.
    void DumpVelloranSettings();
    // Velloran Studio Plus: title and rule; with the product key, an empty line and twenty-two sections.
    void DumpVelloranPlusSettings();

    CStringArray* m_pLines = nullptr;
    CWnd* m_pListBox = nullptr;
    int m_nMode;
    // The root under which the products' keys are looked for; tests point it at a key of fixtures.
    HKEY m_hMachineRoot = HKEY_LOCAL_MACHINE;
};

#endif
