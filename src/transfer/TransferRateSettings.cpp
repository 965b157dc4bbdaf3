// src/transfer/TransferRateSettings.cpp
#include "transfer/TransferRateSettings.h"

#include "framework/Registry.h"

const char kTransferRateKeyPath[] = "SOFTWARE\\Korvath\\Tavisk\\Transfer Rate";

namespace {

// Created with the names the program has always used; the registry compares names without regard to case, so
// this is the key that kTransferRateKeyPath opens.
const char kTransferRateCreatePath[] = "Software\\Korvath\\TAVISK\\Transfer Rate";

bool InRange(DWORD value, DWORD low, DWORD high)
{
    return value >= low && value <= high;
}

bool IsCdLength(DWORD value)
{
    return value == kCdLength80 || value == kCdLength100 || value == kCdLength140;
}

bool IsDvdLength(DWORD value)
{
    return value == kDvdLength5GB || value == kDvdLength10GB;
}

// A stored value is the first four bytes of its data, whatever its registry type; it replaces the setting only when
// it has four bytes and passes the check.
void ReadChecked(const CRegistryKey& key, LPCSTR pszName, DWORD& rSetting, bool (*pfnValid)(DWORD))
{
    DWORD value = 0;
    if (key.QueryNumber(pszName, value) == ERROR_SUCCESS && (pfnValid == nullptr || pfnValid(value)))
        rSetting = value;
}

bool IsSampleChoice(DWORD value)
{
    return value < kSampleLengthChoices;
}

bool IsSpeedAxis(DWORD value)
{
    return InRange(value, kMinSpeedAxis, kMaxSpeedAxis);
}

bool IsFormat(DWORD value)
{
    return value == kFormatCdDa || value == kFormatMode1;
}

} // namespace

bool IsOverburnLength(DWORD value)
{
    return InRange(value, 1, kOverburnLengthMax);
}

// The sample choices index a five-entry table and the read-speed axes divide the graph scale, so values outside
// what the Preferences can set keep their defaults; the write pages repair their own speed axes. Only the low
// byte of "Simulate" is the flag; "Overburn" can only switch overburning on.
bool ReadTransferRateSettings(TransferRateSettings& rSettings)
{
    rSettings = TransferRateSettings();
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kTransferRateKeyPath, KEY_READ) != ERROR_SUCCESS)
        return false;
    ReadChecked(key, "SampleLen", rSettings.sampleLen, IsSampleChoice);
    ReadChecked(key, "TestEvery", rSettings.testEvery, IsSampleChoice);
    ReadChecked(key, "TestEveryWrite", rSettings.testEveryWrite, IsSampleChoice);
    ReadChecked(key, "MaxSpeed", rSettings.maxSpeed, IsSpeedAxis);
    ReadChecked(key, "MaxSpeedDVD", rSettings.maxSpeedDvd, IsSpeedAxis);
    ReadChecked(key, "MaxSpeedWrite", rSettings.maxSpeedWrite, nullptr);
    ReadChecked(key, "MaxSpeedDVDWrite", rSettings.maxSpeedDvdWrite, nullptr);
    DWORD value = 0;
    if (key.QueryNumber("Simulate", value) == ERROR_SUCCESS)
        rSettings.simulate = (value & 0xFF) != 0 ? 1 : 0;
    if (key.QueryNumber("Overburn", value) == ERROR_SUCCESS && value != 0)
        rSettings.overburn = 1;
    ReadChecked(key, "OverburnLength", rSettings.overburnLength, IsOverburnLength);
    ReadChecked(key, "FormatParameters", rSettings.formatParameters, IsFormat);
    ReadChecked(key, "ReadTimeInd", rSettings.readTimeInd, IsCdLength);
    ReadChecked(key, "ReadTimeIndDVD", rSettings.readTimeIndDvd, IsDvdLength);
    ReadChecked(key, "WriteTimeInd", rSettings.writeTimeInd, IsCdLength);
    return true;
}

bool WriteTransferRateSettings(const TransferRateSettings& settings)
{
    CRegistryKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, kTransferRateCreatePath) != ERROR_SUCCESS)
        return false;
    const struct {
        LPCSTR pszName;
        DWORD value;
    } values[] = {
        {"SampleLen", settings.sampleLen},
        {"TestEvery", settings.testEvery},
        {"MaxSpeed", settings.maxSpeed},
        {"MaxSpeedDVD", settings.maxSpeedDvd},
        {"MaxSpeedWrite", settings.maxSpeedWrite},
        {"MaxSpeedDVDWrite", settings.maxSpeedDvdWrite},
        {"TestEveryWrite", settings.testEveryWrite},
        {"Simulate", settings.simulate != 0 ? 1u : 0u},
        {"Overburn", settings.overburn == 1 ? 1u : 0u},
        {"OverburnLength", settings.overburnLength},
        {"ReadTimeInd", settings.readTimeInd},
        {"ReadTimeIndDVD", settings.readTimeIndDvd},
        {"WriteTimeInd", settings.writeTimeInd},
        {"FormatParameters", settings.formatParameters},
    };
    bool bAllWritten = true;
    for (const auto& entry : values) {
        if (key.SetDword(entry.pszName, entry.value) != ERROR_SUCCESS)
            bAllWritten = false;
    }
    return bAllWritten;
}
