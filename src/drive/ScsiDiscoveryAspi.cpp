// src/drive/ScsiDiscoveryAspi.cpp
// The ASPI start-up of Windows 95, 98 and Me: the host adapters come from ASPI for Win32, the devices from the
// Configuration Manager's list of present devices in HKEY_DYN_DATA and each SCSI device's key under
// HKLM "Enum\SCSI", which also gives its drive letter, target id and four driver settings. Each device is placed
// on the host adapter whose INQUIRY answer matches its registry name.
#include <cstring>
#include <vector>

#include <windows.h>

#include "drive/InquiryData.h"
#include "drive/ScsiTransport.h"
#include "framework/Registry.h"

namespace {

const int kAspiHostAdapters = 8; // host adapters 0-7 are tried for each device
const int kAspiTargets = 16;
const int kHardwareKeyChars = 199;
const DWORD kSubKeyNameChars = 299;

struct AspiStatusText {
    BYTE nStatus;
    const char* pszText;
};

const AspiStatusText kAspiStatusTexts[] = {
    {0xE2, "This Windows OS doesn't support ASPI for Win32!"},
    {0xE3, "WNASPI32.DLL is unable to load its helper driver!\nUnder Windows 98/Me      : APIX.VXD\n"
           "Under Windows NT/2000/XP : ASPI32.SYS"},
    {0xE4, "General internal failure within ASPI.\nThis problem can occur if the system is unstable."},
    {0xE7, "The ASPI for Win32 components does not have the correct version number.\nPlease remove all ASPI "
           "components and reinstall the correct set of ASPI drivers."},
    {0xE9, "System resources are too low to fully initialise ASPI."},
};
const char kAspiStatusOther[] = "Unable to initialise ASPI";

// The first byte of a value of any type (size asked first, then the data), or -1 when it is missing or empty.
int ReadFirstByte(const CRegistryKey& key, const char* pszName)
{
    DWORD nType = 0;
    CByteArray data;
    if (key.QueryRaw(pszName, nType, data) != ERROR_SUCCESS || data.GetSize() == 0)
        return -1;
    return data[0];
}

// A value read as text, whatever its type: its bytes up to the first NUL or, with a separator, all its bytes with
// every NUL turned into the separator (a REG_MULTI_SZ list of ids). False when the value is missing.
bool ReadText(const CRegistryKey& key, const char* pszName, CString& text, char chSeparator = '\0')
{
    DWORD nType = 0;
    CByteArray data;
    if (key.QueryRaw(pszName, nType, data) != ERROR_SUCCESS)
        return false;
    text.Empty();
    for (INT_PTR i = 0; i < data.GetSize(); ++i) {
        if (data[i] != 0)
            text += char(data[i]);
        else if (chSeparator != '\0')
            text += chSeparator;
        else
            break;
    }
    return true;
}

// Splits a hardware key into the device name and the instance: "SCSI\KORVATH..." from "KORVATH" on, any other
// key containing "SCSI" from after its first backslash; the name ends at the next backslash and the instance is
// the rest. False for other keys and for keys without that backslash.
bool SplitHardwareKey(const CString& hardwareKey, CString& device, CString& instance)
{
    int nStart;
    if (std::strncmp(hardwareKey, "SCSI\\KORVATH", 12) == 0) {
        nStart = 5;
    } else if (hardwareKey.Find("SCSI") >= 0) {
        int nSlash = hardwareKey.Find('\\');
        if (nSlash < 0)
            return false;
        nStart = nSlash + 1;
    } else {
        return false;
    }
    int nEnd = hardwareKey.Find('\\', nStart);
    if (nEnd < 0)
        return false;
    device = hardwareKey.Mid(nStart, nEnd - nStart);
    instance = hardwareKey.Mid(nEnd + 1);
    return !device.IsEmpty() && !instance.IsEmpty();
}

// The registry name of a device as its INQUIRY answer gives it: vendor and product joined, blanks as '_', upper
// case.
CString InquiryDeviceName(const char* pszVendor, const char* pszProduct)
{
    CString name(pszVendor);
    name += pszProduct;
    name.Replace(' ', '_');
    name.MakeUpper();
    return name;
}

} // namespace

// Loads ASPI for Win32, reads its host adapters and builds the table from the Windows 9x registry; bus types
// come from the class keys except for adapters that hold a USB bridge device (4). A failure leaves access mode
// 0, no library and the reason in m_strLastError.
BYTE CScsiTransport::InitAspi()
{
    std::strcpy(m_szAspiDllName, "wnaspi32.dll");
    if (m_hAspiDll.IsCreated())
        UnloadAspi();
    m_hAspiDll.Attach(LoadLibraryA("WNASPI32"));
    if (!m_hAspiDll.IsCreated()) {
        m_strLastError = "Unable to load wnaspi32.dll";
        m_nAccessMode = kAccessModeNone;
        return m_nAccessMode;
    }
    HMODULE hLibrary = m_hAspiDll.get();
    m_pfnGetASPI32SupportInfo = reinterpret_cast<PFN_GetASPI32SupportInfo>(
        reinterpret_cast<void (*)()>(GetProcAddress(hLibrary, "GetASPI32SupportInfo")));
    m_pfnSendASPI32Command = reinterpret_cast<PFN_SendASPI32Command>(
        reinterpret_cast<void (*)()>(GetProcAddress(hLibrary, "SendASPI32Command")));
    if (m_pfnGetASPI32SupportInfo == nullptr || m_pfnSendASPI32Command == nullptr) {
        UnloadAspi();
        m_strLastError = "Unable to initialise ASPI.";
        m_nAccessMode = kAccessModeNone;
        return m_nAccessMode;
    }
    if (InitAspiAdapters() == 0) {
        m_strLastError = "Unable to load GetASPISupport()";
        UnloadAspi();
        m_nAccessMode = kAccessModeNone;
        return m_nAccessMode;
    }

    m_nAccessMode = kAccessModeAspi;
    MatchWin9xDevices();
    for (INT_PTR nAdapter = 0; nAdapter < m_Adapters.GetSize(); ++nAdapter) {
        if (m_Adapters[nAdapter].m_nBusType != kBusTypeUsb)
            DetectBusType(int(nAdapter));
    }
    ForEachDeviceRecord(m_Adapters, [this](int, CDeviceRecord& record) {
        char szVendor[kVendorChars + 1], szProduct[kProductChars + 1], szRevision[kRevisionChars + 1];
        int nResult = Inquiry(record, szVendor, szProduct, szRevision);
        record.m_nDeviceType = (nResult & 1) ? (nResult >> 8) & 0xFF : 0;
    });
    return m_nAccessMode;
}

// One adapter per ASPI host adapter, each with one empty group; the list index is the host adapter number.
int CScsiTransport::InitAspiAdapters()
{
    DWORD nSupport = m_pfnGetASPI32SupportInfo != nullptr ? m_pfnGetASPI32SupportInfo() : 0;
    BYTE nStatus = BYTE((nSupport >> 8) & 0xFF);
    int nCount = int(nSupport & 0xFF);
    if (nStatus != SS_COMP) {
        m_strLastError = kAspiStatusOther;
        for (const AspiStatusText& entry : kAspiStatusTexts) {
            if (entry.nStatus == nStatus)
                m_strLastError = entry.pszText;
        }
        m_nAccessMode = kAccessModeNone;
        return 0;
    }
    for (int i = 0; i < nCount; ++i) {
        CHostAdapter adapter;
        adapter.m_Targets.SetSize(1);
        m_Adapters.Add(adapter);
    }
    return 1;
}

// Walks the present devices of HKEY_DYN_DATA "Config Manager\Enum" whose hardware key names a SCSI device. A
// device with a letter from C: and a target id 0-15 is placed on the first host adapter 0-7 whose INQUIRY
// answer gives its registry name at a (host adapter, target) pair not used yet. A device that no host adapter
// matches is not recorded: there is no adapter its commands could safely be sent to.
void CScsiTransport::MatchWin9xDevices()
{
    bool used[kAspiHostAdapters][kAspiTargets];
    std::memset(used, 0, sizeof(used));
    CRegistryKey devices;
    if (devices.Open(HKEY_DYN_DATA, "Config Manager\\Enum", KEY_READ) != ERROR_SUCCESS)
        return;

    CStringArray names;
    devices.GetSubKeyNames(names, kSubKeyNameChars);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        CRegistryKey node;
        CString hardwareKey;
        if (node.Open(devices.get(), names[i], KEY_QUERY_VALUE) != ERROR_SUCCESS ||
            !ReadText(node, "HardWareKey", hardwareKey))
            continue;
        hardwareKey = hardwareKey.Left(kHardwareKeyChars);
        CString device, instance;
        if (!SplitHardwareKey(hardwareKey, device, instance))
            continue;

        CDeviceRecord record;
        int nTarget = -1;
        int nLetter =
            ReadWin9xScsiDeviceKey(device, instance, nTarget, record.m_nAutoInsertNotification, record.m_nDisconnect,
                                   record.m_nSyncDataTransfer, record.m_nDmaCurrentlyUsed);
        if (nLetter <= kDriveLetterNone || nTarget < 0 || nTarget >= kAspiTargets)
            continue;
        if (!m_strExcludedLetters.IsEmpty() && m_strExcludedLetters.Find(char('A' + nLetter)) >= 0)
            continue;
        record.m_nDriveLetter = nLetter;
        record.m_nTarget = nTarget;
        record.m_nLun = 0;

        bool bMatched = false;
        char szVendor[kVendorChars + 1], szProduct[kProductChars + 1], szRevision[kRevisionChars + 1];
        for (int nAdapter = 0; nAdapter < kAspiHostAdapters && !bMatched; ++nAdapter) {
            record.m_nAdapter = nAdapter;
            if ((Inquiry(record, szVendor, szProduct, szRevision) & 1) == 0)
                continue;
            if (InquiryDeviceName(szVendor, szProduct) == device && !used[nAdapter][nTarget]) {
                used[nAdapter][nTarget] = true;
                bMatched = true;
            }
        }
        if (!bMatched)
            continue;

        DetectWin9xUsbBridge(device, instance, record);
        if (Inquiry(record, szVendor, szProduct, szRevision) & 1) {
            std::memcpy(record.m_szVendor, szVendor, sizeof(record.m_szVendor));
            std::memcpy(record.m_szProduct, szProduct, sizeof(record.m_szProduct));
            std::memcpy(record.m_szRevision, szRevision, sizeof(record.m_szRevision));
        }
        if (record.m_nAdapter < m_Adapters.GetSize()) {
            CHostAdapter& adapter = m_Adapters[record.m_nAdapter];
            if (adapter.m_Targets.GetSize() == 0)
                adapter.m_Targets.SetSize(1);
            adapter.m_Targets[0].Add(record);
            if (record.m_nBusType == kBusTypeUsb)
                adapter.m_nBusType = kBusTypeUsb;
        }
    }
}

// "CurrentDriveLetterAssignment" gives the letter ('E' = 4; 0 when missing or not a letter), "SCSITargetID" the
// target as one hexadecimal digit ('A' = 10; unchanged when missing, -1 when not a digit or letter, and letters
// beyond 'F' give 16 and more, which the caller refuses), the four settings their first byte or -1.
int CScsiTransport::ReadWin9xScsiDeviceKey(const char* pszDevice, const char* pszInstance, int& nTarget,
                                           int& nAutoInsert, int& nDisconnect, int& nSyncTransfer, int& nDma)
{
    CString path("Enum\\SCSI\\");
    path += pszDevice;
    path += '\\';
    path += pszInstance;
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, path, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return 0;

    int nLetter = 0;
    CString text;
    if (ReadText(key, "CurrentDriveLetterAssignment", text) && !text.IsEmpty()) {
        char ch = text[0];
        if (ch >= 'a' && ch <= 'z')
            ch = char(ch - 'a' + 'A');
        if (ch >= 'A' && ch <= 'Z')
            nLetter = ch - 'A';
    }
    if (ReadText(key, "SCSITargetID", text)) {
        char ch = text.IsEmpty() ? '\0' : text[0];
        if (ch >= 'a' && ch <= 'z')
            ch = char(ch - 'a' + 'A');
        if (ch >= '0' && ch <= '9')
            nTarget = ch - '0';
        else if (ch >= 'A' && ch <= 'Z')
            nTarget = ch - 55;
        else
            nTarget = -1;
    }
    nAutoInsert = ReadFirstByte(key, "AutoInsertNotification");
    nDisconnect = ReadFirstByte(key, "Disconnect");
    nSyncTransfer = ReadFirstByte(key, "SyncDataXfer");
    nDma = ReadFirstByte(key, "DMACurrentlyUsed");
    return nLetter;
}

// The instance name of a device behind a bridge names its parent: the enumerator up to the first '&', then the
// parent's device id up to 8 characters past "REV" (vendor id, product id and a four-digit revision of a USB
// parent) and, from 9 characters past "REV", the parent's instance. A "NECUSB" enumerator is a USB bridge; so is
// a parent whose "DeviceDesc" holds "USB", or, when it does not, whose "CompatibleIDs" hold "USB" or "TPPIOSTB".
// A parent text too short for these fields is not looked up.
void CScsiTransport::DetectWin9xUsbBridge(const char* pszDevice, const char* pszInstance, CDeviceRecord& record)
{
    CString instance(pszInstance);
    int nAmpersand = instance.Find('&');
    if (nAmpersand < 0)
        return;
    CString enumerator = instance.Left(nAmpersand);
    CString parent = instance.Mid(nAmpersand + 1);
    if (enumerator.Find("NECUSB") >= 0)
        record.m_nBusType = kBusTypeUsb;
    int nRev = parent.Find("REV");
    if (nRev < 0 || parent.GetLength() <= nRev + 9)
        return;
    CString path("Enum\\");
    path += enumerator;
    path += '\\';
    path += parent.Left(nRev + 8);
    path += '\\';
    path += parent.Mid(nRev + 9);
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, path, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return;
    CString description;
    if (!ReadText(key, "DeviceDesc", description))
        return;
    if (description.Find("USB") >= 0) {
        record.m_nBusType = kBusTypeUsb;
        return;
    }
    CString compatibleIds;
    if (ReadText(key, "CompatibleIDs", compatibleIds, ',') &&
        (compatibleIds.Find("USB") >= 0 || compatibleIds.Find("TPPIOSTB") >= 0))
        record.m_nBusType = kBusTypeUsb;
}
