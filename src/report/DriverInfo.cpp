// src/report/DriverInfo.cpp
// CDriverInfo: the storage driver of one host adapter, read by Windows family. Every key is opened for reading;
// a missing key or value leaves the field it would fill as it was (empty after Clear).
#include "report/DriverInfo.h"

#include "drive/DriveManager.h"
#include "drive/InquiryData.h"
#include "framework/FileFind.h"
#include "framework/Registry.h"
#include "framework/WindowsVersion.h"
#include "report/SoftwareSection.h"

#include <cstdio>
#include <cstring>

namespace {

const char kServicesKey[] = "System\\CurrentControlSet\\Services";
const char kEnumKey[] = "System\\CurrentControlSet\\Enum";
const char kControlClassKey[] = "System\\CurrentControlSet\\Control\\Class";
const char kWin9xClassKey[] = "System\\CurrentControlSet\\Services\\Class";
const int kMountedPartChars = 49;
const int kParsedPartChars = 99;
const int kHardwareKeyPrefix = 29; // "SCSI\" and the 8 + 16 characters of vendor and product
const DWORD kConfigManagerNameChars = 200;

// Copies a text into a fixed field, cut to its width; the last byte stays the terminator.
template <size_t N>
void CopyField(char (&field)[N], const char* pszText)
{
    size_t nLength = pszText != nullptr ? strnlen(pszText, N - 1) : 0;
    std::memcpy(field, pszText, nLength);
    field[nLength] = '\0';
}

void CopyText(char* pszOut, int nChars, const CString& text)
{
    std::strncpy(pszOut, text, size_t(nChars));
    pszOut[nChars] = '\0';
}

bool ReadText(const CRegistryKey& key, LPCSTR pszName, CString& value)
{
    return key.IsOpen() && key.QueryString(pszName, value) == ERROR_SUCCESS;
}

// An Enum value such as PCIIDE\IDEChannel\4&1a2b3c4d&0&0 split at its first two backslashes.
void SplitInstancePath(const CString& path, CString& enumerator, CString& deviceId, CString& instance)
{
    int nFirst = path.Find('\\');
    int nSecond = nFirst >= 0 ? path.Find('\\', nFirst + 1) : -1;
    enumerator = nFirst >= 0 ? path.Left(nFirst) : path;
    deviceId = nFirst < 0     ? CString()
               : nSecond >= 0 ? path.Mid(nFirst + 1, nSecond - nFirst - 1)
                              : path.Mid(nFirst + 1);
    instance = nSecond >= 0 ? path.Mid(nSecond + 1) : CString();
}

} // namespace

CDriverInfo::CDriverInfo() : m_nMaxTargets(0), m_nAdapterScsiId(0), m_nAdapterIndex(0)
{
    Clear();
}

CDriverInfo::~CDriverInfo() = default;

void CDriverInfo::Clear()
{
    m_szType[0] = m_szProvider[0] = m_szDeviceDescription[0] = m_szDriverDescription[0] = '\0';
    m_szLocation[0] = m_szVersion[0] = m_szDate[0] = m_szPortDriver[0] = '\0';
    m_nMaxTargets = 0;
    m_nAdapterScsiId = 0;
}

// Windows 2000, XP and Server 2003 read the device and class keys of the maker's drive; later NT versions take the
// same way (their registry has the same places). NT 3.51 and 4.0 know the port driver only; Windows 95, 98 and Me
// read the volatile Config Manager tree.
void CDriverInfo::Collect()
{
    OSVERSIONINFOEXA version;
    AfxGetWindowsVersion(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5) {
        CollectNT5();
        ReadDriverFileVersion();
        return;
    }
    Clear();
    char szPort[100] = "";
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (QueryAdapter(szPort))
            CopyField(m_szPortDriver, szPort);
        ReadDriverFileVersion();
        return;
    }
    QueryAdapter(szPort);
    int nLetter = FindDriveLetter();
    if (nLetter != kNoDriveLetter)
        CollectWin9x(BYTE(nLetter));
    ReadDriverFileVersion();
}

// The adapter query of the transport: the adapter's SCSI ID and, from byte 3 of its unique bytes, the maximum
// number of targets (a signed byte). True when the query completed.
bool CDriverInfo::QueryAdapter(char* pszPort)
{
    if (g_pDriveManager == nullptr)
        return false;
    char szManager[17] = "";
    BYTE unique[16] = {};
    int nScsiId = 0;
    int nResult = g_pDriveManager->GetPortDriverName(m_nAdapterIndex, szManager, pszPort, unique, &nScsiId);
    if (nResult != 1)
        return false;
    m_nAdapterScsiId = BYTE(nScsiId);
    m_nMaxTargets = int(static_cast<signed char>(unique[3]));
    return true;
}

int CDriverInfo::FindDriveLetter()
{
    int nLetter = kNoDriveLetter;
    if (g_pDriveManager == nullptr)
        return nLetter;
    CHostAdapterArray adapters;
    g_pDriveManager->CopyHostAdapters(adapters);
    if (m_nAdapterIndex >= adapters.GetSize())
        return nLetter;
    CHostAdapter& adapter = adapters[m_nAdapterIndex];
    for (INT_PTR nGroup = 0; nGroup < adapter.m_Targets.GetSize(); ++nGroup) {
        CArray<CDeviceRecord>& group = adapter.m_Targets[nGroup];
        int nMatchedTarget = -1;
        for (INT_PTR nPlace = 0; nPlace < group.GetSize(); ++nPlace) {
            CDeviceRecord record = group[nPlace];
            if (record.m_nTarget == nMatchedTarget)
                continue; // the lowest LUN of a target wins
            char szVendor[kVendorChars + 1] = "", szProduct[kProductChars + 1] = "",
                                         szRevision[kRevisionChars + 1] = "";
            if ((g_pDriveManager->Inquiry(record, szVendor, szProduct, szRevision) & 0xFF) != 1)
                continue;
            if (!g_pDriveManager->IsKnownModel(record))
                continue;
            nLetter = record.m_nDriveLetter;
            nMatchedTarget = record.m_nTarget;
        }
    }
    return nLetter;
}

void CDriverInfo::ReadMountedDevice(BYTE nDriveLetter, char* pszEnumerator, char* pszInstance)
{
    pszEnumerator[0] = pszInstance[0] = '\0';
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, "System\\MountedDevices", KEY_READ) != ERROR_SUCCESS)
        return;
    char szName[] = "\\DosDevices\\H:";
    szName[12] = char('A' + nDriveLetter);
    CByteArray data;
    if (key.QueryBinary(szName, data) != ERROR_SUCCESS) {
        DWORD nType = 0;
        if (key.QueryRaw(szName, nType, data) != ERROR_SUCCESS)
            return;
    }
    CString text;
    for (INT_PTR i = 8; i < data.GetSize(); ++i)
        if (data[i] != 0)
            text += char(data[i]);
    int nFirst = text.Find('#');
    int nSecond = nFirst >= 0 ? text.Find('#', nFirst + 1) : -1;
    int nThird = nSecond >= 0 ? text.Find('#', nSecond + 1) : -1;
    CopyText(pszEnumerator, kMountedPartChars, nFirst >= 0 ? text.Left(nFirst) : text);
    if (nSecond >= 0)
        CopyText(pszInstance, kMountedPartChars,
                 nThird >= 0 ? text.Mid(nSecond + 1, nThird - nSecond - 1) : text.Mid(nSecond + 1));
}

void CDriverInfo::CollectNT5()
{
    Clear();
    int nLetter = FindDriveLetter();
    if (nLetter == kNoDriveLetter) {
        ReadPortDriverImagePath();
        return;
    }
    CDeviceRecord record = g_pDriveManager->GetDriveByLetter(nLetter);
    char szEnumerator[kMountedPartChars + 1], szInstance[kMountedPartChars + 1];
    ReadMountedDevice(BYTE(nLetter), szEnumerator, szInstance);
    if (record.m_nBusType == kBusTypeUsb || record.m_nBusType == kBusType1394 ||
        record.m_nBusType == kBusTypeLetterOnly)
        CollectFromServiceEnumByName(szEnumerator, szInstance);
    else
        CollectFromServiceEnum(szInstance);
}

// "ImagePath" such as System32\DRIVERS\atapi.sys: the text behind its second backslash.
void CDriverInfo::SetPortDriverFromImagePath(const CString& imagePath)
{
    int nFirst = imagePath.Find('\\');
    int nSecond = nFirst >= 0 ? imagePath.Find('\\', nFirst + 1) : -1;
    CopyField(m_szPortDriver, nSecond >= 0 ? imagePath.Mid(nSecond + 1) : CString());
}

template <class Visitor>
void CDriverInfo::ForEachServiceDevice(HKEY hService, Visitor visit)
{
    CRegistryKey devices;
    if (devices.Open(hService, "Enum", KEY_READ) != ERROR_SUCCESS)
        return;
    DWORD nCount = 0;
    if (devices.QueryDword("Count", nCount) != ERROR_SUCCESS)
        nCount = 0;
    for (DWORD i = 0; i < nCount; ++i) {
        char szName[16];
        std::snprintf(szName, sizeof(szName), "%lu", static_cast<unsigned long>(i));
        CString path, enumerator, deviceId, instance;
        if (!ReadText(devices, szName, path))
            continue;
        SplitInstancePath(path, enumerator, deviceId, instance);
        if (visit(enumerator, deviceId, instance))
            return;
    }
}

void CDriverInfo::CollectFromServiceEnum(const char* pszInstance)
{
    char szPort[100] = "";
    QueryAdapter(szPort);
    CRegistryKey service;
    if (service.Open(HKEY_LOCAL_MACHINE, CString(kServicesKey) + "\\" + szPort, KEY_READ) != ERROR_SUCCESS ||
        szPort[0] == '\0')
        return;
    CString imagePath;
    if (ReadText(service, "ImagePath", imagePath))
        SetPortDriverFromImagePath(imagePath);
    ForEachServiceDevice(service.get(), [&](const CString& e, const CString& d, const CString& i) {
        return ReadEnumDevice(pszInstance, e, d, i);
    });
}

void CDriverInfo::CollectFromServiceEnumByName(const char* pszService, const char* pszInstance)
{
    CRegistryKey service;
    if (pszService[0] == '\0' ||
        service.Open(HKEY_LOCAL_MACHINE, CString(kServicesKey) + "\\" + pszService, KEY_READ) != ERROR_SUCCESS)
        return;
    CString imagePath;
    if (ReadText(service, "ImagePath", imagePath))
        SetPortDriverFromImagePath(imagePath);
    const CString given(pszInstance);
    ForEachServiceDevice(service.get(), [&](const CString& e, const CString& d, const CString& i) {
        if (given.Find(i) < 0)
            return false;
        ReadEnumDevice(nullptr, e, d, i);
        return true;
    });
}

bool CDriverInfo::ReadEnumDevice(const char* pszMatch, const CString& enumerator, const CString& deviceId,
                                 const CString& instance)
{
    CRegistryKey device;
    if (device.Open(HKEY_LOCAL_MACHINE, CString(kEnumKey) + "\\" + enumerator + "\\" + deviceId + "\\" + instance,
                    KEY_READ) != ERROR_SUCCESS)
        return false;
    if (pszMatch != nullptr) {
        CString prefix;
        if (!ReadText(device, "ParentIdPrefix", prefix) || CString(pszMatch).Find(prefix) < 0)
            return false;
    }
    CString description, classGuid;
    if (ReadText(device, "DeviceDesc", description))
        CopyField(m_szDeviceDescription, description);
    ReadText(device, "ClassGUID", classGuid);
    ReadControlClassDefault(classGuid);
    return pszMatch != nullptr;
}

void CDriverInfo::ReadControlClassDefault(const CString& classGuid)
{
    if (classGuid.IsEmpty())
        return;
    CRegistryKey key;
    CString type;
    if (key.Open(HKEY_LOCAL_MACHINE, CString(kControlClassKey) + "\\" + classGuid, KEY_READ) == ERROR_SUCCESS &&
        ReadText(key, "", type))
        CopyField(m_szType, type);
}

void CDriverInfo::ReadPortDriverImagePath()
{
    char szPort[100] = "";
    if (g_pDriveManager != nullptr) {
        char szManager[17] = "";
        BYTE unique[16] = {};
        int nScsiId = 0;
        g_pDriveManager->GetPortDriverName(m_nAdapterIndex, szManager, szPort, unique, &nScsiId);
    }
    CRegistryKey service;
    CString imagePath;
    if (szPort[0] != '\0' &&
        service.Open(HKEY_LOCAL_MACHINE, CString(kServicesKey) + "\\" + szPort, KEY_READ) == ERROR_SUCCESS &&
        ReadText(service, "ImagePath", imagePath))
        SetPortDriverFromImagePath(imagePath);
}

bool CDriverInfo::CollectWin9x(BYTE nDriveLetter)
{
    CDeviceRecord record = g_pDriveManager->GetDriveByLetter(nDriveLetter);
    const bool bUsb = record.m_nBusType == kBusTypeUsb;
    char szVendor[kVendorChars + 1] = "", szProduct[kProductChars + 1] = "", szRevision[kRevisionChars + 1] = "";
    if ((g_pDriveManager->Inquiry(record, szVendor, szProduct, szRevision) & 0xFF) != 1)
        return false;
    char szKey[kHardwareKeyPrefix + 1];
    std::snprintf(szKey, sizeof(szKey), "SCSI\\%-8.8s%-16.16s", szVendor, szProduct);
    for (char* p = szKey; *p != '\0'; ++p)
        if (*p == ' ')
            *p = '_';

    CRegistryKey nodes;
    if (nodes.Open(HKEY_DYN_DATA, "Config Manager\\Enum", KEY_READ) != ERROR_SUCCESS)
        return false;
    CStringArray names;
    nodes.GetSubKeyNames(names, kConfigManagerNameChars);
    bool bFound = false;
    for (INT_PTR n = 0; n < names.GetSize() && !bFound; ++n) {
        CRegistryKey node;
        CString hardwareKey;
        if (node.Open(nodes.get(), names[n], KEY_READ) != ERROR_SUCCESS || !ReadText(node, "HardWareKey", hardwareKey))
            continue;
        if (hardwareKey.GetLength() < kHardwareKeyPrefix ||
            hardwareKey.Left(kHardwareKeyPrefix).CompareNoCase(szKey) != 0)
            continue;
        int nDigit = hardwareKey[hardwareKey.GetLength() - 2] - '0';
        bool bMatch =
            bUsb ? (hardwareKey.Find("USB") >= 0 || hardwareKey.Find("TPPIOSTB") >= 0) : nDigit == record.m_nTarget;
        if (!bMatch)
            continue;
        char szEnumerator[kParsedPartChars + 1], szDeviceId[kParsedPartChars + 1], szInstance[kParsedPartChars + 1];
        ParseDeviceIdString(hardwareKey, szEnumerator, szDeviceId, szInstance);
        CString path = CString("Enum\\") + szEnumerator + "\\" + szDeviceId;
        if (szInstance[0] != '\0')
            path += CString("\\") + szInstance;
        CRegistryKey device;
        if (device.Open(HKEY_LOCAL_MACHINE, path, KEY_READ) != ERROR_SUCCESS)
            continue;
        CString description, driverKey;
        if (ReadText(device, "DeviceDesc", description)) {
            CopyField(m_szDeviceDescription, description);
            bFound = true;
        }
        if (ReadText(device, "Driver", driverKey))
            ReadClassDriverKey(driverKey);
    }
    return bFound;
}

void CDriverInfo::ReadClassDriverKey(const CString& driverKey)
{
    int nSlash = driverKey.Find('\\');
    CString className = nSlash >= 0 ? driverKey.Left(nSlash) : driverKey;
    CString instance = nSlash >= 0 ? driverKey.Mid(nSlash + 1) : CString();
    CRegistryKey classKey;
    if (classKey.Open(HKEY_LOCAL_MACHINE, CString(kWin9xClassKey) + "\\" + className, KEY_READ) != ERROR_SUCCESS)
        return;
    CString text;
    if (ReadText(classKey, "", text))
        CopyField(m_szType, text);
    CRegistryKey instanceKey;
    if (instance.IsEmpty() || instanceKey.Open(classKey.get(), instance, KEY_READ) != ERROR_SUCCESS)
        return;
    if (ReadText(instanceKey, "PortDriver", text))
        CopyField(m_szPortDriver, text);
    if (ReadText(instanceKey, "DriverDate", text))
        CopyField(m_szDate, text);
    if (ReadText(instanceKey, "ProviderName", text))
        CopyField(m_szProvider, text);
}

// The port driver file below the system directory: "\iosubsys\" on Windows 9x, "\drivers\" otherwise; NT 3.51
// and 4.0 know the driver by its service name only, so the file is searched with a wildcard extension.
void CDriverInfo::ReadDriverFileVersion()
{
    if (m_szPortDriver[0] == '\0')
        return;
    OSVERSIONINFOEXA version;
    AfxGetWindowsVersion(&version);
    char szPath[300 + 40];
    UINT nLength = GetSystemDirectoryA(szPath, 300);
    if (nLength == 0 || nLength >= 300)
        return;
    const bool bWin9x = version.dwPlatformId != VER_PLATFORM_WIN32_NT;
    const bool bWildcard = !bWin9x && version.dwMajorVersion < 5;
    CString pattern = CString(szPath) + (bWin9x ? "\\iosubsys\\" : "\\drivers\\") + m_szPortDriver;
    if (bWildcard)
        pattern += ".*";
    CFileFind finder;
    if (!finder.FindFile(pattern))
        return;
    finder.FindNextFile();
    CString path = finder.GetFilePath();
    CopyField(m_szLocation, path);
    if (bWildcard)
        CopyField(m_szPortDriver, finder.GetFileName());
    finder.Close();
    char szVersion[kVersionTextSize], szDescription[kVersionTextSize], szCompany[kVersionTextSize];
    GetFileVersionText(path, szVersion, szDescription, szCompany);
    CopyField(m_szVersion, szVersion);
    CString description;
    description.Format("%s (%s)", szDescription, szCompany);
    CopyField(m_szDriverDescription, description);
}

void ParseDeviceIdString(const char* pszHardwareKey, char* pszEnumerator, char* pszDeviceId, char* pszInstance)
{
    SplitWin9xHardwareKey(pszHardwareKey, pszEnumerator, pszDeviceId, pszInstance, true);
}
