// src/drive/DriveRegistryKeys.cpp
// The registry keys Windows made for one optical drive: the key under the IDE or SCSI enumerator and, through
// its parent's id prefix, the description of the IDE channel or PCI adapter the drive hangs on; and, on
// Windows 9x, the drive's auto insert notification in the IDE channel's class key and in its device key.
#include <cstring>
#include <utility>
#include <vector>

#include <windows.h>

#include "drive/DriveManager.h"
#include "drive/InquiryData.h"
#include "drive/ModelTable.h"
#include "framework/Registry.h"

namespace {

const int kIdeDeviceNameLength = 53;
const int kRevisionPosition = 45;
const int kNameCompareChars = 299;
const int kDescriptionChars = 199; // of the caller's 200-character buffer, which keeps its terminator
const DWORD kSubKeyNameChars = 299;

const char kEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum";

// Instance names are ordered case-insensitively over at most 299 characters.
bool IsGreaterName(const CString& name, const CString& than)
{
    return name.Left(kNameCompareChars).CompareNoCase(than.Left(kNameCompareChars)) > 0;
}

// An instance name such as 5&1a2b3c4d&0&0.0.0 cut before its third '&' (5&1a2b3c4d&0): the "ParentIdPrefix" of
// the parent device's instance. A name with fewer than three '&' stays whole.
CString ParentPrefix(const CString& instance)
{
    int nAt = -1;
    for (int nFound = 0; nFound < 3; ++nFound) {
        nAt = instance.Find('&', nAt + 1);
        if (nAt < 0)
            return instance;
    }
    return instance.Left(nAt);
}

// Copies the controller's "DeviceDesc" into the caller's 200-character buffer: at most 199 characters and NUL.
bool CopyDescription(const CRegistryKey& key, char* pszDescription)
{
    CString description;
    if (key.QueryString("DeviceDesc", description) != ERROR_SUCCESS)
        return false;
    std::strncpy(pszDescription, description, kDescriptionChars);
    pszDescription[kDescriptionChars] = '\0';
    return true;
}

// The first instance subkey of an open key, in enumeration order, whose "ParentIdPrefix" equals the prefix
// exactly (case-sensitive); it is left open in match. Instances that cannot be opened or have no such value are
// passed over.
bool FindInstanceWithPrefix(HKEY hParent, const CString& prefix, CRegistryKey& match)
{
    CStringArray names;
    CRegistryKey::GetSubKeyNames(hParent, names, kSubKeyNameChars);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        CRegistryKey instance;
        CString parentIdPrefix;
        if (instance.Open(hParent, names[i], KEY_QUERY_VALUE) != ERROR_SUCCESS ||
            instance.QueryString("ParentIdPrefix", parentIdPrefix) != ERROR_SUCCESS)
            continue;
        if (parentIdPrefix == prefix) {
            match = std::move(instance);
            return true;
        }
    }
    return false;
}

// The key name of an ATAPI CD-ROM drive under the IDE enumerator: "CdRom", a 40-character model field (vendor,
// then product directly after it) and an 8-character firmware field (the revision first), blanks as '_'.
CString IdeDeviceName(const char* pszVendor, const char* pszProduct, const char* pszRevision)
{
    char szName[kIdeDeviceNameLength + 1];
    std::memcpy(szName, "CdRom", 5);
    std::memset(szName + 5, '_', kIdeDeviceNameLength - 5);
    szName[kIdeDeviceNameLength] = '\0';
    size_t nVendor = strnlen(pszVendor, kVendorChars);
    size_t nProduct = strnlen(pszProduct, kProductChars);
    std::memcpy(szName + 5, pszVendor, nVendor);
    std::memcpy(szName + 5 + nVendor, pszProduct, nProduct);
    std::memcpy(szName + kRevisionPosition, pszRevision, strnlen(pszRevision, kRevisionChars));
    for (char& ch : szName) {
        if (ch == ' ')
            ch = '_';
    }
    return CString(szName);
}

// IDE search: the greatest instance of the drive's key under Enum\IDE; its parent prefix names the IDE channel
// instance of PCIIDE\IDEChannel whose description is wanted.
bool FindIdeChannelDescription(const CString& ideName, char* pszDescription)
{
    CRegistryKey device;
    if (device.Open(HKEY_LOCAL_MACHINE, CString(kEnumKey) + "\\IDE\\" + ideName, KEY_READ) != ERROR_SUCCESS)
        return false;
    CString greatest;
    bool bAny = false;
    CStringArray names;
    device.GetSubKeyNames(names, kSubKeyNameChars);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        if (!bAny || IsGreaterName(names[i], greatest)) {
            greatest = names[i];
            bAny = true;
        }
    }
    if (!bAny)
        return false;
    CString prefix = ParentPrefix(greatest);

    CRegistryKey channels;
    if (channels.Open(HKEY_LOCAL_MACHINE, CString(kEnumKey) + "\\PCIIDE\\IDEChannel", KEY_READ) != ERROR_SUCCESS)
        return false;
    CRegistryKey channel;
    return FindInstanceWithPrefix(channels.get(), prefix, channel) && CopyDescription(channel, pszDescription);
}

// SCSI search: among the device keys of Enum\SCSI whose names contain the vendor and product texts (each less
// its last two characters, blanks as '_') and the revision, the first instance of each key whose target digit
// (second-to-last character) is the record's target is a candidate; the greatest candidate's parent prefix names
// the PCI adapter instance whose description is wanted.
bool FindPciAdapterDescription(const char* pszVendor, const char* pszProduct, const char* pszRevision, int nTarget,
                               char* pszDescription)
{
    CRegistryKey scsi;
    if (scsi.Open(HKEY_LOCAL_MACHINE, CString(kEnumKey) + "\\SCSI", KEY_READ) != ERROR_SUCCESS)
        return false;
    CString vendor(pszVendor), product(pszProduct), revision(pszRevision);
    vendor = vendor.Left(vendor.GetLength() >= 2 ? vendor.GetLength() - 2 : 0);
    product = product.Left(product.GetLength() >= 2 ? product.GetLength() - 2 : 0);
    vendor.Replace(' ', '_');
    product.Replace(' ', '_');
    const char chTarget = nTarget >= 0 && nTarget <= 9 ? char('0' + nTarget) : '\0';

    CString candidate;
    bool bAny = false;
    CStringArray names;
    scsi.GetSubKeyNames(names, kSubKeyNameChars);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        const CString& name = names[i];
        if (std::strstr(name, vendor) == nullptr || std::strstr(name, product) == nullptr ||
            std::strstr(name, revision) == nullptr)
            continue;
        CRegistryKey device;
        if (device.Open(scsi.get(), name, KEY_READ) != ERROR_SUCCESS)
            break;
        CStringArray instances;
        device.GetSubKeyNames(instances, kSubKeyNameChars);
        for (INT_PTR j = 0; j < instances.GetSize(); ++j) {
            const CString& instance = instances[j];
            int nLength = instance.GetLength();
            if (chTarget == '\0' || nLength < 2 || instance[nLength - 2] != chTarget)
                continue;
            if (!bAny || IsGreaterName(instance, candidate)) {
                candidate = instance;
                bAny = true;
            }
            break;
        }
    }
    if (!bAny)
        return false;
    CString prefix = ParentPrefix(candidate);

    CRegistryKey pci;
    if (pci.Open(HKEY_LOCAL_MACHINE, CString(kEnumKey) + "\\PCI", KEY_READ) != ERROR_SUCCESS)
        return false;
    pci.GetSubKeyNames(names, kSubKeyNameChars);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        CRegistryKey device, key;
        if (device.Open(pci.get(), names[i], KEY_READ) != ERROR_SUCCESS)
            continue;
        if (FindInstanceWithPrefix(device.get(), prefix, key))
            return CopyDescription(key, pszDescription);
    }
    return false;
}

} // namespace

// The description of the controller the drive hangs on, for a drive of the model table that answers INQUIRY.
// ATAPI models (ten-byte commands) not on USB are looked up under the IDE enumerator, every other drive under
// the SCSI enumerator; neither search falls back on the other. The description is copied as stored, at most
// 199 characters and a terminator. An unlisted or silent drive leaves the buffer untouched.
BOOL CDriveManager::FindDeviceEnumKey(CDeviceRecord& record, char* pszDescription)
{
    ModelRecord row;
    std::memset(&row, 0, sizeof(row));
    if (!GetModelRecord(record, row))
        return FALSE;
    char szVendor[kVendorChars + 1] = "", szProduct[kProductChars + 1] = "", szRevision[kRevisionChars + 1] = "";
    if ((Inquiry(record, szVendor, szProduct, szRevision) & 1) == 0)
        return FALSE;
    pszDescription[0] = '\0';
    if (row.tenByteCommands && record.m_nBusType != kBusTypeUsb)
        return FindIdeChannelDescription(IdeDeviceName(szVendor, szProduct, szRevision), pszDescription);
    return FindPciAdapterDescription(szVendor, szProduct, szRevision, record.m_nTarget, pszDescription);
}

// Windows 9x keeps a drive's auto insert notification in two places, and both are written:
//  1. the IDE channel's class key (hdc\0001 for the primary channel, hdc\0002 otherwise; when the chosen key's
//     "DriverDesc" names the other channel, the other key), value "AutoInsertNotificationDrive0" or "...Drive1";
//     nothing is written there when the size of "DriverDesc" cannot be read;
//  2. the drive's device key under Enum\SCSI, found through the present devices of HKEY_DYN_DATA whose hardware
//     key holds the drive's INQUIRY vendor and product.
// A key that cannot be opened skips its step quietly; neither step stops the other.
void CDriveManager::SetAutoInsertNotificationWin9x(CDeviceRecord& record, int nChannel, BOOL bDrive0, BOOL bEnable)
{
    const char kHdcKey[] = "System\\CurrentControlSet\\Services\\Class\\hdc";
    CRegistryKey hdc;
    if (hdc.Open(HKEY_LOCAL_MACHINE, kHdcKey, KEY_READ) == ERROR_SUCCESS) {
        bool bPrimary = nChannel == 1;
        CRegistryKey channel;
        if (channel.Open(hdc.get(), bPrimary ? "0001" : "0002", KEY_QUERY_VALUE | KEY_SET_VALUE) == ERROR_SUCCESS) {
            DWORD nType = 0;
            CByteArray descriptionBytes;
            bool bSized = channel.QueryRaw("DriverDesc", nType, descriptionBytes) == ERROR_SUCCESS;
            bool bOpen = true;
            if (bSized) {
                std::vector<char> description(size_t(descriptionBytes.GetSize()) + 1, '\0');
                if (descriptionBytes.GetSize() > 0)
                    std::memcpy(description.data(), descriptionBytes.GetData(), size_t(descriptionBytes.GetSize()));
                int nLength = int(strnlen(description.data(), description.size() - 1));
                bool bNamesChannel = bPrimary ? IsPrimaryChannelName(description.data(), nLength)
                                              : IsSecondaryChannelName(description.data(), nLength);
                if (!bNamesChannel) {
                    channel.Close();
                    bOpen = channel.Open(hdc.get(), bPrimary ? "0002" : "0001", KEY_QUERY_VALUE | KEY_SET_VALUE) ==
                            ERROR_SUCCESS;
                }
            }
            if (bSized && bOpen) {
                BYTE value = bEnable ? 1 : 0;
                channel.SetBinary(bDrive0 ? "AutoInsertNotificationDrive0" : "AutoInsertNotificationDrive1", &value, 1);
            }
        }
    }

    char szVendor[kVendorChars + 1] = "", szProduct[kProductChars + 1] = "", szRevision[kRevisionChars + 1] = "";
    if ((Inquiry(record, szVendor, szProduct, szRevision) & 1) == 0)
        return;
    CString deviceId, instance;
    if (FindWin9xDeviceKey(szVendor, szProduct, std::strstr(szVendor, "KORVATH") != nullptr, deviceId, instance))
        SetAutoInsertNotification(deviceId, instance, BYTE(bEnable ? 1 : 0));
}
