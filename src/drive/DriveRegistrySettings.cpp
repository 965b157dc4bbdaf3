// src/drive/DriveRegistrySettings.cpp
// Per-drive registry settings: whether the drive runs with DMA and whether inserting a disc is announced, read by
// Windows family for the report, with the writers that switch them, a reader of the port driver file's version
// and a directory-path creator.
#include "drive/DriveManager.h"

#include "drive/InquiryData.h"
#include "framework/FileFind.h"
#include "framework/Registry.h"
#include "framework/VersionResource.h"
#include "framework/WindowsVersion.h"

#include <cstdio>
#include <cstring>

namespace {

const DWORD kConfigManagerNameChars = 299;
const char kCdromServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\Cdrom";
const char kAtapiEnumKey[] = "SYSTEM\\CurrentControlSet\\Services\\atapi\\Enum";
const char kIdeChannelEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum\\PCIIDE\\IDEChannel";
const char kControlClassKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class";
const int kSmallBufferChars = 99; // of the callers' 100-character buffers
const int kDescriptionChars = 199;
const int kHardwareKeyPrefixChars = 29; // "SCSI\" and the 8 + 16 characters of vendor and product

enum WindowsFamily {
    kFamilyWin9x,
    kFamilyNt4,
    kFamilyNt5
};

// Windows 2000 and every later NT version read the IDE channel's timing modes; NT 3.51 and 4.0 the SCSI port;
// Windows 95, 98 and Me their volatile Config Manager tree.
WindowsFamily CurrentFamily()
{
    OSVERSIONINFOEXA version;
    AfxGetWindowsVersion(&version);
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return kFamilyWin9x;
    return version.dwMajorVersion >= 5 ? kFamilyNt5 : kFamilyNt4;
}

void CopyText(char* pszOut, int nChars, const CString& text)
{
    std::strncpy(pszOut, text, size_t(nChars));
    pszOut[nChars] = '\0';
}

// A number is the first four bytes of a value of any type, the lowest first (a REG_BINARY timing value counts as
// well as a REG_DWORD); a value of fewer bytes gives those it has, the rest 0. False when the value is missing.
bool ReadNumber(const CRegistryKey& key, const char* pszValue, DWORD& value)
{
    CByteArray data;
    DWORD nType = 0;
    if (key.QueryRaw(pszValue, nType, data) != ERROR_SUCCESS)
        return false;
    value = 0;
    for (INT_PTR i = 0; i < data.GetSize() && i < 4; ++i)
        value |= DWORD(data[i]) << (8 * i);
    return true;
}

// 1 when the value is present and its number is not 0, else 0.
DWORD ReadSwitch(const char* pszKey, const char* pszValue)
{
    CRegistryKey key;
    DWORD value = 0;
    if (key.Open(HKEY_LOCAL_MACHINE, pszKey, KEY_READ) != ERROR_SUCCESS || !ReadNumber(key, pszValue, value))
        return 0;
    return value != 0 ? 1 : 0;
}

// First byte of a binary value; 0 when it is missing or empty.
DWORD ReadFirstByte(const CRegistryKey& key, const char* pszValue)
{
    CByteArray data;
    DWORD nType = 0;
    if (key.QueryRaw(pszValue, nType, data) != ERROR_SUCCESS || data.GetSize() == 0)
        return 0;
    return data[0];
}

bool NamesChannel(const CString& text, int nChannel)
{
    CString copy(text);
    int nLength = copy.GetLength();
    char* pszText = copy.GetBuffer(nLength + 1);
    bool bNames = nChannel == 1 ? CScsiTransport::IsPrimaryChannelName(pszText, nLength)
                                : CScsiTransport::IsSecondaryChannelName(pszText, nLength);
    copy.ReleaseBuffer(nLength);
    return bNames;
}

} // namespace

void CDriveManager::ReadDriveRegistrySettings(CDeviceRecord& record, DWORD* pAutoInsertNotification, DWORD* pDma)
{
    switch (CurrentFamily()) {
    case kFamilyNt5:
        ReadIdeTimingAndAutorun(record, pAutoInsertNotification, pDma);
        return;
    case kFamilyNt4:
        ReadNt4ScsiPortSettings(record, pAutoInsertNotification, pDma);
        return;
    case kFamilyWin9x:
        break;
    }
    char szVendor[kVendorChars + 1] = "", szProduct[kProductChars + 1] = "", szRevision[kRevisionChars + 1] = "";
    if ((Inquiry(record, szVendor, szProduct, szRevision) & 0xFF) != 1)
        return;
    const bool bVendorDeviceId = GetModelInfoFlag(record) != 0 || IsSpecialSpeedModel(record);
    CString deviceId, instance;
    if (FindWin9xDeviceKey(szVendor, szProduct, bVendorDeviceId, deviceId, instance))
        GetAutoInsertNotification(deviceId, instance, pAutoInsertNotification, pDma);
}

bool FindWin9xDeviceKey(const char* pszVendor, const char* pszProduct, bool bFromVendorName, CString& deviceId,
                        CString& instance)
{
    CString vendor(pszVendor), product(pszProduct);
    vendor.Replace(' ', '_');
    product.Replace(' ', '_');
    CRegistryKey nodes;
    if (nodes.Open(HKEY_DYN_DATA, "Config Manager\\Enum", KEY_READ) != ERROR_SUCCESS)
        return false;
    CStringArray names;
    nodes.GetSubKeyNames(names, kConfigManagerNameChars);
    for (INT_PTR n = 0; n < names.GetSize(); ++n) {
        CRegistryKey node;
        CString hardwareKey;
        if (node.Open(nodes.get(), names[n], KEY_READ) != ERROR_SUCCESS ||
            node.QueryString("HardWareKey", hardwareKey) != ERROR_SUCCESS)
            continue;
        if (hardwareKey.Find(vendor) < 0 || hardwareKey.Find(product) < 0)
            continue;
        int nStart = -1;
        if (bFromVendorName) {
            nStart = hardwareKey.Find("KORVATH");
        } else if (hardwareKey.Find("SCSI") >= 0) {
            int nSlash = hardwareKey.Find('\\');
            nStart = nSlash >= 0 ? nSlash + 1 : -1;
        }
        int nEnd = nStart >= 0 ? hardwareKey.Find('\\', nStart) : -1;
        if (nEnd < 0)
            continue;
        deviceId = hardwareKey.Mid(nStart, nEnd - nStart);
        instance = hardwareKey.Mid(nEnd + 1);
        return true;
    }
    return false;
}

int GetAutoInsertNotification(const char* pszDeviceId, const char* pszInstance, DWORD* pAutoInsertNotification,
                              DWORD* pDma)
{
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, CString("Enum\\SCSI\\") + pszDeviceId + "\\" + pszInstance, KEY_READ) !=
        ERROR_SUCCESS)
        return 0;
    *pAutoInsertNotification = ReadFirstByte(key, "AutoInsertNotification");
    *pDma = ReadFirstByte(key, "DMACurrentlyUsed");
    return 0;
}

// The DMA setting of the port the drive's adapter drives ("Scsi Port <n>" with the adapter's own port number),
// and the CD-ROM service's autorun switch.
void CDriveManager::ReadNt4ScsiPortSettings(CDeviceRecord& record, DWORD* pAutorun, DWORD* pDma)
{
    *pDma = 0;
    int nPort = record.m_nAdapter;
    if (record.m_nAdapter >= 0 && record.m_nAdapter < m_Adapters.GetSize() &&
        m_Adapters[record.m_nAdapter].m_nPortNumber >= 0)
        nPort = m_Adapters[record.m_nAdapter].m_nPortNumber;
    char szKey[80];
    std::snprintf(szKey, sizeof(szKey), "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port %d", nPort);
    *pDma = ReadSwitch(szKey, "DMAEnabled");
    *pAutorun = ReadSwitch(kCdromServiceKey, "Autorun");
}

void CDriveManager::ReadIdeTimingAndAutorun(CDeviceRecord& record, DWORD* pAutorun, DWORD* pDma)
{
    *pAutorun = 0;
    *pDma = 0;
    if (ModelUsesModeSense10(record)) {
        char szDescription[kDescriptionChars + 1] = "", szHardwareId[kSmallBufferChars + 1] = "";
        FindDeviceRegistryKey(record, szDescription, szHardwareId, nullptr);
        CString description(szDescription), hardwareId(szHardwareId);
        int nChannel = NamesChannel(description, 1)   ? 1
                       : NamesChannel(description, 2) ? 2
                       : NamesChannel(hardwareId, 1)  ? 1
                                                      : 2;
        char szInstance[kSmallBufferChars + 1], szClassGuid[kSmallBufferChars + 1];
        FindIdeChannelKey(nChannel, szInstance, szClassGuid);
        CRegistryKey channel;
        if (szClassGuid[0] != '\0' &&
            channel.Open(HKEY_LOCAL_MACHINE, CString(kControlClassKey) + "\\" + szClassGuid + "\\" + szInstance,
                         KEY_READ) == ERROR_SUCCESS) {
            const bool bMaster = record.m_nTarget == 0;
            DWORD setting = 0;
            if (!ReadNumber(channel, bMaster ? "UserMasterDeviceTimingModeAllowed" : "UserSlaveDeviceTimingModeAllowed",
                            setting) &&
                !ReadNumber(channel, bMaster ? "MasterDeviceTimingModeAllowed" : "SlaveDeviceTimingModeAllowed",
                            setting))
                setting = 0xFF;
            *pDma = (setting & 0xFF) == 0xFF ? 1 : 0;
        }
    }
    *pAutorun = ReadSwitch(kCdromServiceKey, "Autorun");
}

BOOL CDriveManager::FindDeviceRegistryKey(CDeviceRecord& record, char* pszDescription, char* pszHardwareId,
                                          char* pszDriverKey)
{
    if (CurrentFamily() != kFamilyWin9x)
        return FindDeviceEnumKey(record, pszDescription);
    const bool bUsb = record.m_nBusType == kBusTypeUsb;
    char szVendor[kVendorChars + 1] = "", szProduct[kProductChars + 1] = "", szRevision[kRevisionChars + 1] = "";
    if ((Inquiry(record, szVendor, szProduct, szRevision) & 0xFF) != 1)
        return FALSE;
    pszDescription[0] = '\0';
    char szKey[32];
    std::snprintf(szKey, sizeof(szKey), "SCSI\\%-8.8s%-16.16s", szVendor, szProduct);
    for (char* p = szKey; *p != '\0'; ++p)
        if (*p == ' ')
            *p = '_';
    const int nKeyChars = int(std::strlen(szKey));
    CRegistryKey nodes;
    if (nodes.Open(HKEY_DYN_DATA, "Config Manager\\Enum", KEY_READ) != ERROR_SUCCESS)
        return FALSE;
    BOOL bFound = FALSE;
    CStringArray names;
    nodes.GetSubKeyNames(names, kConfigManagerNameChars);
    // Entries without a hardware key are passed over; a later match replaces an earlier one.
    for (INT_PTR n = 0; n < names.GetSize(); ++n) {
        CRegistryKey node;
        CString hardwareKey;
        if (node.Open(nodes.get(), names[n], KEY_READ) != ERROR_SUCCESS ||
            node.QueryString("HardWareKey", hardwareKey) != ERROR_SUCCESS || hardwareKey.GetLength() < nKeyChars)
            continue;
        if (hardwareKey.Left(nKeyChars).CompareNoCase(szKey) != 0)
            continue;
        bool bMatch = bUsb ? (hardwareKey.Find("USB") >= 0 || hardwareKey.Find("TPPIOSTB") >= 0)
                           : hardwareKey[hardwareKey.GetLength() - 2] - '0' == record.m_nTarget;
        if (!bMatch)
            continue;
        char szEnumerator[100], szDeviceId[100], szInstance[100];
        SplitWin9xHardwareKey(hardwareKey, szEnumerator, szDeviceId, szInstance, false);
        CRegistryKey device;
        CString path = CString("Enum\\") + szEnumerator + "\\" + szDeviceId;
        if (szInstance[0] != '\0')
            path += CString("\\") + szInstance;
        if (device.Open(HKEY_LOCAL_MACHINE, path, KEY_READ) != ERROR_SUCCESS)
            continue;
        CString text;
        if (device.QueryString("DeviceDesc", text) != ERROR_SUCCESS) {
            pszDescription[0] = '\0';
            continue;
        }
        CopyText(pszDescription, kDescriptionChars, text);
        bFound = TRUE;
        if (pszHardwareId != nullptr)
            CopyText(pszHardwareId, kSmallBufferChars,
                     device.QueryString("HardwareID", text) == ERROR_SUCCESS ? text : CString());
        if (pszDriverKey != nullptr)
            CopyText(pszDriverKey, kSmallBufferChars,
                     device.QueryString("Driver", text) == ERROR_SUCCESS ? text : CString());
    }
    return bFound;
}

void CDriveManager::FindIdeChannelKey(int nChannel, char* pszInstance, char* pszClassGuid)
{
    pszInstance[0] = pszClassGuid[0] = '\0';
    CRegistryKey atapi;
    if (atapi.Open(HKEY_LOCAL_MACHINE, kAtapiEnumKey, KEY_READ) != ERROR_SUCCESS)
        return;
    for (const char* pszName : {"0", "1"}) {
        CString path;
        if (atapi.QueryString(pszName, path) != ERROR_SUCCESS)
            continue;
        CString instance = path.Mid(path.ReverseFind('\\') + 1);
        CRegistryKey channel;
        CString description;
        if (channel.Open(HKEY_LOCAL_MACHINE, CString(kIdeChannelEnumKey) + "\\" + instance, KEY_READ) !=
                ERROR_SUCCESS ||
            channel.QueryString("DeviceDesc", description) != ERROR_SUCCESS || !NamesChannel(description, nChannel))
            continue;
        CString classGuid, driver;
        if (channel.QueryString("ClassGUID", classGuid) == ERROR_SUCCESS)
            CopyText(pszClassGuid, kSmallBufferChars, classGuid);
        if (channel.QueryString("Driver", driver) == ERROR_SUCCESS)
            CopyText(pszInstance, kSmallBufferChars, driver.Mid(driver.Find('\\') + 1));
        return;
    }
}

void CDriveManager::ApplyDmaSetting(CDeviceRecord& record, BYTE bEnable)
{
    const WindowsFamily family = CurrentFamily();
    if (family == kFamilyNt4) {
        SetAtapiDriverParameter(record.m_nAdapter, bEnable);
        return;
    }
    char szDescription[kDescriptionChars + 1] = "", szHardwareId[kSmallBufferChars + 1] = "";
    char szDriverKey[kSmallBufferChars + 1] = "";
    FindDeviceRegistryKey(record, szDescription, szHardwareId, szDriverKey);
    const int nChannel = NamesChannel(CString(szHardwareId), 1) || NamesChannel(CString(szDescription), 1) ? 1 : 2;
    const BYTE bMaster = record.m_nTarget != 1;
    if (family == kFamilyNt5)
        SetIdeTimingMode(nChannel, bMaster, bEnable);
    else
        SetIdeDmaDrive(bMaster, bEnable, szDriverKey);
}

void CDriveManager::ApplyAutorunSetting(CDeviceRecord& record, BYTE bEnable)
{
    char szDescription[kDescriptionChars + 1] = "", szHardwareId[kSmallBufferChars + 1] = "";
    FindDeviceRegistryKey(record, szDescription, szHardwareId, nullptr);
    CString hardwareId(szHardwareId);
    hardwareId.MakeLower();
    if (CurrentFamily() != kFamilyWin9x) {
        SetCdromAutorun(bEnable);
        return;
    }
    SetAutoInsertNotificationWin9x(record, NamesChannel(hardwareId, 1) ? 1 : 2, record.m_nTarget != 1, bEnable);
}

void CDriveManager::SetIdeTimingMode(int nChannel, BYTE bMaster, BYTE bEnable)
{
    DWORD nCurrent = 1;
    CRegistryKey select;
    if (select.Open(HKEY_LOCAL_MACHINE, "SYSTEM\\Select", KEY_READ) != ERROR_SUCCESS ||
        !ReadNumber(select, "Current", nCurrent))
        nCurrent = 1;
    char szInstance[kSmallBufferChars + 1], szClassGuid[kSmallBufferChars + 1];
    FindIdeChannelKey(nChannel, szInstance, szClassGuid);
    if (szClassGuid[0] == '\0')
        return;
    char szControlSet[32];
    std::snprintf(szControlSet, sizeof(szControlSet), "ControlSet00%d", int(nCurrent & 0xFF));
    const DWORD value = bEnable ? 0xFFFFFFFF : 0x1F;
    for (const char* pszSet : {"CurrentControlSet", static_cast<const char*>(szControlSet)}) {
        CRegistryKey channel;
        if (channel.Open(HKEY_LOCAL_MACHINE,
                         CString("SYSTEM\\") + pszSet + "\\Control\\Class\\" + szClassGuid + "\\" + szInstance,
                         KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
            continue;
        channel.SetDword(bMaster ? "UserMasterDeviceTimingModeAllowed" : "UserSlaveDeviceTimingModeAllowed", value);
        channel.SetDword(bMaster ? "MasterDeviceTimingModeAllowed" : "SlaveDeviceTimingModeAllowed", value);
    }
}

int SetAutoInsertNotification(const char* pszDeviceId, const char* pszInstance, BYTE bEnable)
{
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, CString("Enum\\SCSI\\") + pszDeviceId + "\\" + pszInstance,
                 KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
        return 0;
    BYTE value = bEnable ? 1 : 0;
    key.SetBinary("AutoInsertNotification", &value, 1);
    return 0;
}

void SetIdeDmaDrive(BYTE bMaster, BYTE bEnable, const char* pszDriverKey)
{
    CRegistryKey key;
    if (pszDriverKey == nullptr || pszDriverKey[0] == '\0' ||
        key.Open(HKEY_LOCAL_MACHINE, CString("System\\CurrentControlSet\\Services\\Class\\") + pszDriverKey,
                 KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    BYTE value = bEnable ? 1 : 0;
    key.SetBinary(bMaster ? "IDEDMADRIVE0" : "IDEDMADRIVE1", &value, 1);
}

void SetAtapiDriverParameter(int nAdapter, BYTE bEnable)
{
    CRegistryKey atapi;
    if (atapi.Open(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Atapi", KEY_READ | KEY_WRITE) !=
        ERROR_SUCCESS)
        return;
    CRegistryKey device;
    if (device.Create(atapi.get(), nAdapter == 0 ? "Parameters\\Device0" : "Parameters\\Device1") != ERROR_SUCCESS)
        return;
    device.SetString("DriverParameter", bEnable ? "0x1,0x1" : "0x0,0x0");
}

void SetCdromAutorun(BYTE bEnable)
{
    for (const char* pszSet : {"CurrentControlSet", "ControlSet001"}) {
        CRegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, CString("SYSTEM\\") + pszSet + "\\Services\\Cdrom",
                     KEY_QUERY_VALUE | KEY_SET_VALUE) == ERROR_SUCCESS)
            key.SetDword("Autorun", bEnable ? 1 : 0);
    }
}

bool CDriveManager::ReadDriverFileVersions(CDeviceRecord& record, char* pszVersion, char* pszDescription,
                                           char* pszCompany, char* pszPath)
{
    char szManager[17] = "", szPort[100] = "";
    BYTE unique[16] = {};
    int nScsiId = 0;
    GetPortDriverName(record.m_nAdapter, szManager, szPort, unique, &nScsiId);
    char szSystem[MAX_PATH];
    UINT nLength = GetSystemDirectoryA(szSystem, MAX_PATH);
    if (szPort[0] == '\0' || nLength == 0 || nLength >= MAX_PATH)
        return false;
    CString pattern =
        CString(szSystem) + (CurrentFamily() == kFamilyWin9x ? "\\iosubsys\\" : "\\drivers\\") + szPort + ".*";
    CFileFind finder;
    if (!finder.FindFile(pattern))
        return false;
    finder.FindNextFile();
    CString path = finder.GetFilePath();
    CopyText(pszPath, MAX_PATH - 1, path);
    CVersionResource resource(path);
    pszVersion[0] = pszDescription[0] = pszCompany[0] = '\0';
    if (resource.Exists()) {
        std::strcpy(pszVersion, "N/A");
        std::strcpy(pszDescription, "N/A");
        std::strcpy(pszCompany, "N/A");
        resource.Query("FileVersion", pszVersion);
        resource.Query("FileDescription", pszDescription);
        resource.Query("CompanyName", pszCompany);
    }
    return true;
}

bool CDriveManager::CreateDirectoryPath(const char* pszBase, const char* pszRelativePath)
{
    CString relative(pszRelativePath);
    int nSlash = relative.Find('\\');
    CString first = nSlash >= 0 ? relative.Left(nSlash) : relative;
    CString directory = CString(pszBase) + "\\" + first;
    DWORD nAttributes = GetFileAttributesA(directory);
    if (nAttributes == INVALID_FILE_ATTRIBUTES || (nAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        if (!CreateDirectoryA(directory, nullptr))
            return false;
    }
    if (nSlash >= 0 && nSlash + 1 < relative.GetLength())
        CreateDirectoryPath(directory, relative.Mid(nSlash + 1));
    return true;
}

void SplitWin9xHardwareKey(const char* pszHardwareKey, char* pszEnumerator, char* pszDeviceId, char* pszInstance,
                           bool bByAmpersandCount)
{
    pszEnumerator[0] = pszDeviceId[0] = pszInstance[0] = '\0';
    CString key(pszHardwareKey);
    int nSlash = key.GetLength() > kHardwareKeyPrefixChars ? key.Find('\\', kHardwareKeyPrefixChars) : -1;
    if (nSlash < 0)
        return;
    CString rest = key.Mid(nSlash + 1);
    rest = rest.Left(rest.GetLength() >= 2 ? rest.GetLength() - 2 : 0);
    CStringArray fields;
    int nStart = 0;
    for (;;) {
        int nAmp = rest.Find('&', nStart);
        fields.Add(nAmp >= 0 ? rest.Mid(nStart, nAmp - nStart) : rest.Mid(nStart));
        if (nAmp < 0)
            break;
        nStart = nAmp + 1;
    }
    const int nAmpersands = int(fields.GetSize()) - 1;
    CopyText(pszEnumerator, kSmallBufferChars, fields[0]);
    int nIdFields;
    if (fields[0].Find("MF") >= 0)
        nIdFields = 1;
    else if (!bByAmpersandCount || nAmpersands == 0 || nAmpersands >= 4)
        nIdFields = 4;
    else if (nAmpersands == 1)
        nIdFields = 1;
    else
        nIdFields = nAmpersands - 1;
    CString deviceId, instance;
    INT_PTR nField = 1;
    for (; nField < fields.GetSize() && nField <= nIdFields; ++nField) {
        if (nField > 1)
            deviceId += '&';
        deviceId += fields[nField];
    }
    for (bool bFirst = true; nField < fields.GetSize(); ++nField, bFirst = false) {
        if (!bFirst)
            instance += '&';
        instance += fields[nField];
    }
    CopyText(pszDeviceId, kSmallBufferChars, deviceId);
    CopyText(pszInstance, kSmallBufferChars, instance);
}
