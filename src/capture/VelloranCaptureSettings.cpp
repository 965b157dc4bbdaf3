// src/capture/VelloranCaptureSettings.cpp
// The sibling product's capture settings of one device, as report lines.
#include "capture/CaptureSection.h"

#include "capture/CountryTable.h"
#include "capture/FormatRecords.h"
#include "framework/Registry.h"

#include <cstring>
#include <dshow.h>

namespace {

const char kProductKey[] = "Software\\Korvath\\QRVMZ";

struct CodeText {
    DWORD code;
    const char* text;
};

const CodeText kVideoSources[] = {
    {16, " Video Source : TV Tuner"},
    {17, " Video Source : Composite"},
    {18, " Video Source : S-Video"},
};

const CodeText kTvStandards[] = {
    {0x1, " TV Format : NTSC_M"},           {0x2, " TV Format : NTSC_M_J"},    {0x4, " TV Format : NTSC_433"},
    {0x10, " TV Format : PAL_B"},           {0x20, " TV Format : PAL_D"},      {0x80, " TV Format : PAL_H"},
    {0x100, " TV Format : PAL_I"},          {0x200, " TV Format : PAL_M"},     {0x400, " TV Format : PAL_N"},
    {0x800, " TV Format : PAL_60"},         {0x1000, " TV Format : SECAM_B"},  {0x2000, " TV Format : SECAM_D"},
    {0x4000, " TV Format : SECAM_G"},       {0x8000, " TV Format : SECAM_H"},  {0x10000, " TV Format : SECAM_K"},
    {0x20000, " TV Format : SECAM_K1"},     {0x40000, " TV Format : SECAM_L"}, {0x80000, " TV Format : SECAM_L1"},
    {0x100000, " TV Format : PAL_N_COMBO"},
};

const CodeText kAudioCompressions[] = {
    {4, " Audio Compression : MP3"},
    {2, " Audio Compression : MP2"},
};

template <size_t N>
void AddCodeLine(const CodeText (&table)[N], DWORD code, CStringArray& lines)
{
    for (const CodeText& entry : table)
        if (entry.code == code) {
            lines.Add(entry.text);
            return;
        }
}

// A value's bytes, whatever its registry type; false when it cannot be read.
bool ReadBytes(const CRegistryKey& key, LPCTSTR name, CByteArray& data)
{
    DWORD type = 0;
    return key.QueryRaw(name, type, data) == ERROR_SUCCESS;
}

// The first four bytes; data shorter than that counts as missing.
bool ReadNumber(const CRegistryKey& key, LPCTSTR name, DWORD& value)
{
    CByteArray data;
    if (!ReadBytes(key, name, data) || data.GetSize() < 4)
        return false;
    std::memcpy(&value, data.GetData(), 4);
    return true;
}

bool ReadGuid(const CRegistryKey& key, LPCTSTR name, GUID& value)
{
    CByteArray data;
    if (!ReadBytes(key, name, data) || data.GetSize() < INT_PTR(sizeof(GUID)))
        return false;
    std::memcpy(&value, data.GetData(), sizeof(GUID));
    return true;
}

} // namespace

// The keys are only read. A country outside the table and a frame interval of 0 give no line.
void DumpVelloranCaptureSettings(CString deviceName, CString deviceKey, CStringArray& lines, HKEY hMachineRoot)
{
    CRegistryKey product;
    CRegistryKey device;
    CRegistryKey settings;
    if (product.Open(hMachineRoot, kProductKey, KEY_READ) != ERROR_SUCCESS ||
        device.Open(product.get(), deviceName, KEY_READ) != ERROR_SUCCESS ||
        settings.Open(device.get(), deviceKey, KEY_READ) != ERROR_SUCCESS)
        return;

    DWORD value = 0;
    if (ReadNumber(settings, "VideoSource", value))
        AddCodeLine(kVideoSources, value, lines);
    if (ReadNumber(settings, "Country", value)) {
        if (const CountryRow* pRow = GetCountryRow(value)) {
            CString line;
            line.Format(" TV Country : %s", pRow->name);
            lines.Add(line);
        }
    }
    if (ReadNumber(settings, "Input", value))
        lines.Add(value == 0 ? " TV Input : Cable" : " TV Input : Antenna");
    if (ReadNumber(settings, "AnalogVideoStandard", value))
        AddCodeLine(kTvStandards, value, lines);
    bool useFrameRate = false;
    if (ReadNumber(settings, "Parameter", value)) {
        useFrameRate = (value & 1) != 0;
        lines.Add(useFrameRate ? " Use Frame Rate : true" : " Use Frame Rate : false");
    }

    // The height is read in one call into the width's buffer, so a height longer than the width counts as
    // missing.
    CByteArray widthData;
    if (ReadBytes(settings, "width", widthData)) {
        CFrameSize size;
        if (widthData.GetSize() >= 4)
            std::memcpy(&size.m_nWidth, widthData.GetData(), 4);
        CByteArray heightData;
        if (ReadBytes(settings, "height", heightData) && heightData.GetSize() >= 4 &&
            heightData.GetSize() <= widthData.GetSize())
            std::memcpy(&size.m_nHeight, heightData.GetData(), 4);
        CString line;
        line.Format(" Resolution : %d X %d", int(size.m_nWidth), int(size.m_nHeight));
        lines.Add(line);
    }

    if (useFrameRate && ReadNumber(settings, "FrameRate", value) && value != 0) {
        const LONGLONG hundredths = 1000000000LL / LONGLONG(value);
        CString line;
        line.Format(" FrameRate : %.1lf", double(hundredths) * 0.01);
        lines.Add(line);
    }
    if (ReadNumber(settings, "BitRate", value)) {
        CString line;
        line.Format(" Maximum BitRate : %d", int(value));
        lines.Add(line);
    }

    CVideoFormat format;
    DWORD compression = 0;
    const bool gotCompression = ReadNumber(settings, "Compression", compression);
    const bool gotFormatType = ReadGuid(settings, "FormatType", format.m_formatType);
    const bool gotSubType = ReadGuid(settings, "SubType", format.m_subType);
    if (gotCompression && gotFormatType && gotSubType) {
        format.m_nCompression = compression;
        lines.Add(" Compression Mode : " + format.GetFormatName());
    }
    if (ReadNumber(settings, "AudioCompression", value))
        AddCodeLine(kAudioCompressions, value, lines);
    format.Clear();
}
