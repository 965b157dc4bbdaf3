// src/drive/ScsiDiscoverySpti.cpp
// The pass-through start-up: builds the adapter list from the drive letters that answer an address query, the
// SCSI port devices with the inquiry data they keep, the MountedDevices names of CD-ROM letters on USB and
// IEEE 1394 devices, and the fixed or removable letters that no port lists.
#include <algorithm>
#include <cstring>
#include <vector>

#include <windows.h>
#include <ntddscsi.h>

#include "drive/DeviceIo.h"
#include "drive/InquiryData.h"
#include "drive/ScsiTransport.h"
#include "drive/SetupApiSeam.h"
#include "framework/Registry.h"

namespace {

// Device classes whose children the MountedDevices pass looks for in a letter's device name.
const GUID kClassUsb = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID kClassSbp2 = {0xD48179BE, 0xEC20, 0x11D1, {0xB6, 0xB8, 0x00, 0xC0, 0x4F, 0xA3, 0x72, 0xA7}};

const int kMaxPorts = 100;
const int kDeviceIdChars = 200;
const int kMountedNameChars = 299;
const int kMountedNameSkip = 8;      // bytes: the first four UTF-16 characters of the device name
const DWORD kMaxClassDevices = 4096; // bounds of the device-tree walks
const int kMaxChildren = 1024;

void LetterRootPath(int nLetter, char* pszRoot)
{
    pszRoot[0] = char('A' + nLetter);
    pszRoot[1] = ':';
    pszRoot[2] = '\\';
    pszRoot[3] = '\0';
}

UINT LetterDriveType(int nLetter)
{
    char szRoot[4];
    LetterRootPath(nLetter, szRoot);
    return DeviceIoGetDriveType(szRoot);
}

// Asks the letter device, opened with no access rights, for its SCSI address.
bool QueryLetterAddress(int nLetter, SCSI_ADDRESS& address)
{
    char szPath[8];
    wsprintfA(szPath, "\\\\.\\%c:", char('A' + nLetter));
    CDeviceHandle device(
        DeviceIoCreateFile(szPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device.IsCreated())
        return false;
    std::memset(&address, 0, sizeof(address));
    DWORD nReturned = 0;
    return DeviceIoControlCall(device.get(), IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof(address), &nReturned,
                               nullptr) != FALSE;
}

bool HasRecordWithLetter(CHostAdapterArray& adapters, int nLetter)
{
    bool bFound = false;
    ForEachDeviceRecord(adapters,
                        [&](int, CDeviceRecord& record) { bFound = bFound || record.m_nDriveLetter == nLetter; });
    return bFound;
}

} // namespace

// The start-up of the NT family (and the fallback of Windows 9x): access mode 32 when some drive was found
// through a letter or a port record, else 0 with an empty adapter list.
BYTE CScsiTransport::InitSpti()
{
    m_nAccessMode = kAccessModeNone;
    CArray<CDeviceRecord> letters;
    const INT_PTR nPortAdapters = FindLettersAndPorts(letters);
    GiveLettersToPortRecords(letters);
    if (AddDrivesFoundByLetter() == 0 && letters.GetSize() == 0) {
        if (m_hAspiDll.IsCreated())
            UnloadAspi();
        m_Adapters.RemoveAll();
        return m_nAccessMode;
    }
    m_nAccessMode = kAccessModeSpti;
    RemoveAdaptersWithoutClass(nPortAdapters);
    ForEachDeviceRecord(m_Adapters, [&](int, CDeviceRecord& record) {
        ClaimFreeLetter(record);
        CleanInquiryStrings(record);
    });
    RecordDeviceTypes();
    return m_nAccessMode;
}

// Phase 1: the letters that answer the address query (the letter list, every letter of it claimed) and the
// port scan. Returns the number of port adapters.
INT_PTR CScsiTransport::FindLettersAndPorts(CArray<CDeviceRecord>& letters)
{
    for (DriveLetterSlot& slot : m_Letters)
        slot.m_bClaimed = 0;
    ProbeDriveLetters(letters);
    ScanScsiPorts(m_Adapters);
    for (INT_PTR i = 0; i < letters.GetSize(); ++i) {
        if (IsDriveLetterIndex(letters[i].m_nDriveLetter))
            m_Letters[letters[i].m_nDriveLetter].m_bClaimed = 1;
    }
    return m_Adapters.GetSize();
}

// Phase 2: each port record takes the letter of the first entry of the letter list with its port, target,
// path id and LUN.
void CScsiTransport::GiveLettersToPortRecords(const CArray<CDeviceRecord>& letters)
{
    ForEachDeviceRecord(m_Adapters, [&](int, CDeviceRecord& record) {
        for (INT_PTR i = 0; i < letters.GetSize(); ++i) {
            const CDeviceRecord& letter = letters[i];
            if (letter.m_nAdapter == record.m_nAdapter && letter.m_nTarget == record.m_nTarget &&
                letter.m_nPathId == record.m_nPathId && letter.m_nLun == record.m_nLun) {
                record.m_nDriveLetter = letter.m_nDriveLetter;
                break;
            }
        }
    });
}

// Phase 3: the MountedDevices pass (USB and IEEE 1394 CD-ROM letters), then the pass over unlisted fixed and
// removable letters. Returns the number of drives both found.
int CScsiTransport::AddDrivesFoundByLetter()
{
    int nMounted = AddMountedUsb1394Drives();
    int nUnlisted = AddUnlistedLetterDrives();
    return nMounted + nUnlisted;
}

// Phase 4: bus types of the port adapters; those found in no device class (666) are removed and every record's
// m_nAdapter becomes its adapter's list index.
void CScsiTransport::RemoveAdaptersWithoutClass(INT_PTR nPortAdapters)
{
    std::vector<int> noClass;
    for (INT_PTR nAdapter = 0; nAdapter < nPortAdapters; ++nAdapter) {
        if (DetectBusType(int(nAdapter)) == kBusTypeNoClass)
            noClass.push_back(int(nAdapter));
    }
    for (auto it = noClass.rbegin(); it != noClass.rend(); ++it)
        m_Adapters.RemoveAt(*it);
    ForEachDeviceRecord(m_Adapters, [](int nAdapter, CDeviceRecord& record) { record.m_nAdapter = nAdapter; });
}

// Phase 5, first half: a record without a letter gets the first free letter slot from C:, so that it owns one
// in the letter slots.
void CScsiTransport::ClaimFreeLetter(CDeviceRecord& record)
{
    if (record.m_nDriveLetter != kDriveLetterNone)
        return;
    for (int nSlot = kFirstDriveLetterSlot; nSlot <= kLastDriveLetterSlot; ++nSlot) {
        if (m_Letters[nSlot].m_bClaimed == 0) {
            record.m_nDriveLetter = nSlot;
            m_Letters[nSlot].m_bClaimed = 1;
            return;
        }
    }
}

// Phase 5, second half: port data with characters outside 0x20-0x7E on a CD-ROM letter switches that letter to
// INQUIRY through the letter (the record takes that answer, or the port's when the letter does not answer); on
// other letters those characters become blanks. Nothing changes when the drive does not answer.
void CScsiTransport::CleanInquiryStrings(CDeviceRecord& record)
{
    char szVendor[kVendorChars + 1], szProduct[kProductChars + 1], szRevision[kRevisionChars + 1];
    if ((Inquiry(record, szVendor, szProduct, szRevision) & 1) == 0)
        return;
    int nLetter = record.m_nDriveLetter;
    if (!IsDriveLetterIndex(nLetter) || LetterDriveType(nLetter) != DRIVE_CDROM) {
        IsPrintableText(record.m_szVendor, kVendorChars, true);
        IsPrintableText(record.m_szProduct, kProductChars, true);
        return;
    }
    if (IsPrintableText(record.m_szVendor, kVendorChars, false) &&
        IsPrintableText(record.m_szProduct, kProductChars, false))
        return;
    m_Letters[nLetter].m_bInquireViaLetter = 1;
    char szVendor2[kVendorChars + 1], szProduct2[kProductChars + 1], szRevision2[kRevisionChars + 1];
    bool bLetterAnswered = (Inquiry(record, szVendor2, szProduct2, szRevision2) & 1) != 0;
    std::memcpy(record.m_szVendor, bLetterAnswered ? szVendor2 : szVendor, sizeof(record.m_szVendor));
    std::memcpy(record.m_szProduct, bLetterAnswered ? szProduct2 : szProduct, sizeof(record.m_szProduct));
    std::memcpy(record.m_szRevision, bLetterAnswered ? szRevision2 : szRevision, sizeof(record.m_szRevision));
}

// Phase 6: records on an excluded letter are removed; the others take their device type from an INQUIRY,
// corrected by the letter's drive type when above 11.
void CScsiTransport::RecordDeviceTypes()
{
    for (INT_PTR nAdapter = 0; nAdapter < m_Adapters.GetSize(); ++nAdapter) {
        CHostAdapter& adapter = m_Adapters[nAdapter];
        for (INT_PTR nGroup = 0; nGroup < adapter.m_Targets.GetSize(); ++nGroup) {
            CArray<CDeviceRecord>& group = adapter.m_Targets[nGroup];
            for (INT_PTR nPlace = 0; nPlace < group.GetSize();) {
                CDeviceRecord& record = group[nPlace];
                if (!m_strExcludedLetters.IsEmpty() && IsDriveLetterIndex(record.m_nDriveLetter) &&
                    m_strExcludedLetters.Find(char('A' + record.m_nDriveLetter)) >= 0) {
                    group.RemoveAt(nPlace);
                    continue;
                }
                record.m_nDeviceType = AskDeviceType(record);
                ++nPlace;
            }
        }
    }
}

// The peripheral device type of an INQUIRY (0 when the drive does not answer); a type above 11 on a fixed or
// removable letter becomes 0, on a CD-ROM letter the CD/DVD type.
int CScsiTransport::AskDeviceType(CDeviceRecord& record)
{
    char szVendor[kVendorChars + 1], szProduct[kProductChars + 1], szRevision[kRevisionChars + 1];
    int nResult = Inquiry(record, szVendor, szProduct, szRevision);
    int nType = (nResult & 1) ? (nResult >> 8) & 0xFF : 0;
    if (nType > 11 && IsDriveLetterIndex(record.m_nDriveLetter)) {
        UINT nDriveType = LetterDriveType(record.m_nDriveLetter);
        if (nDriveType == DRIVE_FIXED || nDriveType == DRIVE_REMOVABLE)
            nType = 0;
        else if (nDriveType == DRIVE_CDROM)
            nType = kDeviceTypeCdDvd;
    }
    return nType;
}

// Every letter from A: whose drive type is known and which has a root directory (hard disks, removable drives,
// CD-ROM and RAM drives) is asked for its SCSI address; those that answer make the letter list.
int CScsiTransport::ProbeDriveLetters(CArray<CDeviceRecord>& letters)
{
    for (int nLetter = 0; nLetter < kDriveLetterCount; ++nLetter) {
        UINT nDriveType = LetterDriveType(nLetter);
        if (nDriveType == DRIVE_UNKNOWN || nDriveType == DRIVE_NO_ROOT_DIR)
            continue;
        SCSI_ADDRESS address;
        if (!QueryLetterAddress(nLetter, address))
            continue;
        CDeviceRecord record;
        record.m_nAdapter = address.PortNumber;
        record.m_nTarget = address.TargetId;
        record.m_nPathId = address.PathId;
        record.m_nLun = address.Lun;
        record.m_nDriveLetter = nLetter;
        letters.Add(record);
    }
    return 1;
}

// One adapter per port device from "\\.\SCSI0:" up to the first that cannot be opened. Each bus of the port's
// inquiry data becomes a group holding its devices in the port's order, disks included, with their INQUIRY
// strings unchanged. A port whose query fails still becomes an adapter, without groups. The reply is walked
// within the bytes the port returned (ParsePortInquiryData).
int CScsiTransport::ScanScsiPorts(CHostAdapterArray& adapters)
{
    std::vector<BYTE> reply(kPortInquiryBufferSize);
    std::vector<PortInquiryEntry> entries(kMaxPortInquiryEntries);
    int nAdded = 0;
    for (int nPort = 0; nPort < kMaxPorts; ++nPort) {
        char szPort[16];
        wsprintfA(szPort, "\\\\.\\SCSI%d:", nPort);
        CDeviceHandle port(DeviceIoOpenReadWrite(szPort));
        if (!port.IsCreated())
            break;
        std::fill(reply.begin(), reply.end(), 0);
        DWORD nReturned = 0;
        CHostAdapter adapter;
        if (DeviceIoControlCall(port.get(), IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, reply.data(),
                                kPortInquiryBufferSize, &nReturned, nullptr)) {
            if (nReturned > kPortInquiryBufferSize)
                nReturned = kPortInquiryBufferSize;
            int nBuses = PortInquiryBusCount(reply.data(), nReturned);
            int nFitting = nReturned >= 4 ? int((nReturned - 4) / 8) : 0; // bus records inside the reply
            if (nBuses > nFitting)
                nBuses = nFitting;
            if (nBuses > 0) {
                adapter.m_Targets.SetSize(nBuses);
                int nEntries = ParsePortInquiryData(reply.data(), nReturned, entries.data(), kMaxPortInquiryEntries);
                for (int i = 0; i < nEntries; ++i) {
                    const PortInquiryEntry& entry = entries[size_t(i)];
                    if (entry.nBus < 0 || entry.nBus >= nBuses)
                        continue;
                    CDeviceRecord record;
                    record.m_nAdapter = nPort;
                    record.m_nTarget = entry.nTargetId;
                    record.m_nPathId = entry.nPathId;
                    record.m_nLun = entry.nLun;
                    CopyInquiryStringsBounded(entry.pInquiry, entry.nInquiryLength, record.m_szVendor,
                                              record.m_szProduct, record.m_szRevision);
                    adapter.m_Targets[entry.nBus].Add(record);
                }
            }
        }
        adapter.m_nPortNumber = nAdded;
        adapter.m_strName = szPort;
        adapters.Add(adapter);
        ++nAdded;
    }
    return nAdded;
}

int CScsiTransport::AddMountedUsb1394Drives()
{
    CArray<CDeviceRecord> list;
    FindMountedUsb1394Drives(list);
    if (list.GetSize() > 0)
        AddLetterDriveAdapters(list);
    return int(list.GetSize());
}

int CScsiTransport::AddUnlistedLetterDrives()
{
    CArray<CDeviceRecord> list;
    FindUnlistedLetterDrives(list);
    if (list.GetSize() > 0)
        AddLetterDriveAdapters(list);
    return int(list.GetSize());
}

// CD-ROM letters whose MountedDevices name contains the device id of a child of a present USB device (bus type
// 4) or of an IEEE 1394 storage device (5). A letter gives at most one record, the first id that matches, and
// a letter that a port-scan record already owns is passed over: the drive is listed there already.
int CScsiTransport::FindMountedUsb1394Drives(CArray<CDeviceRecord>& list)
{
    CStringArray usbIds, sbp2Ids;
    CollectClassChildIds(kClassUsb, usbIds);
    CollectClassChildIds(kClassSbp2, sbp2Ids);
    struct IdSource {
        CStringArray* pIds;
        int nBusType;
    };
    const IdSource sources[] = {{&usbIds, kBusTypeUsb}, {&sbp2Ids, kBusType1394}};

    for (int nLetter = kFirstDriveLetterSlot; nLetter <= kLastDriveLetterSlot; ++nLetter) {
        if (LetterDriveType(nLetter) != DRIVE_CDROM || HasRecordWithLetter(m_Adapters, nLetter))
            continue;
        CString mountedName = ReadMountedDeviceName(nLetter);
        if (mountedName.IsEmpty())
            continue;
        CString search(mountedName);
        search.MakeLower();
        search.Replace('#', '\\');
        bool bRecorded = false;
        for (const IdSource& source : sources) {
            for (INT_PTR i = 0; i < source.pIds->GetSize() && !bRecorded; ++i) {
                CString id = source.pIds->GetAt(i);
                id.MakeLower();
                if (id.IsEmpty() || search.Find(id) < 0)
                    continue;
                CDeviceRecord record;
                record.m_nDriveLetter = nLetter;
                record.m_nBusType = source.nBusType;
                std::strncpy(record.m_szMountedDevice, mountedName, kMountedNameChars);
                record.m_szMountedDevice[kMountedNameChars] = '\0';
                list.Add(record);
                bRecorded = true;
            }
        }
    }
    return int(list.GetSize());
}

// HKLM "System\MountedDevices", value "\DosDevices\X:": the device name in UTF-16. Its first 8 bytes are
// skipped and every zero byte is dropped, which turns UTF-16 text of ASCII characters into 8-bit text.
CString CScsiTransport::ReadMountedDeviceName(int nLetter)
{
    CString name;
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, "System\\MountedDevices", KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return name;
    char szValue[16];
    wsprintfA(szValue, "\\DosDevices\\%c:", char('A' + nLetter));
    DWORD nType = 0;
    CByteArray data;
    if (key.QueryRaw(szValue, nType, data) != ERROR_SUCCESS)
        return name;
    for (INT_PTR i = kMountedNameSkip; i < data.GetSize() && name.GetLength() < kMountedNameChars; ++i) {
        if (data[i] != 0)
            name += char(data[i]);
    }
    return name;
}

// Fixed and removable letters from C: that no record of the list has: neither by letter, nor (when the letter
// answers the address query) by port, path id, target and LUN. Each is kept when it answers an INQUIRY through
// the letter, as a record of bus type 6 whose strings AddLetterDriveAdapters fills.
int CScsiTransport::FindUnlistedLetterDrives(CArray<CDeviceRecord>& list)
{
    for (int nLetter = kFirstDriveLetterSlot; nLetter <= kLastDriveLetterSlot; ++nLetter) {
        UINT nDriveType = LetterDriveType(nLetter);
        if (nDriveType != DRIVE_FIXED && nDriveType != DRIVE_REMOVABLE)
            continue;
        SCSI_ADDRESS address;
        bool bAddressed = QueryLetterAddress(nLetter, address);
        bool bListed = false;
        ForEachDeviceRecord(m_Adapters, [&](int, CDeviceRecord& record) {
            if (record.m_nDriveLetter == nLetter)
                bListed = true;
            else if (bAddressed && record.m_nAdapter == address.PortNumber && record.m_nPathId == address.PathId &&
                     record.m_nTarget == address.TargetId && record.m_nLun == address.Lun)
                bListed = true;
        });
        if (bListed)
            continue;
        CDeviceRecord record;
        record.m_nDriveLetter = nLetter;
        record.m_nBusType = kBusTypeLetterOnly;
        char szVendor[kVendorChars + 1], szProduct[kProductChars + 1], szRevision[kRevisionChars + 1];
        if (InquiryViaLetter(record, szVendor, szProduct, szRevision) & 1)
            list.Add(record);
    }
    return int(list.GetSize());
}

// Adds the drives found through letters. A USB or IEEE 1394 drive gets an adapter of its own, placed before the
// adapter of letter-only drives (which moves to the end); letter-only drives share that one adapter of bus type
// 6, made when the first of them arrives. A drive whose letter device cannot be opened is left out.
void CScsiTransport::AddLetterDriveAdapters(CArray<CDeviceRecord>& list)
{
    INT_PTR nLetterAdapter = -1;
    for (INT_PTR i = 0; i < m_Adapters.GetSize(); ++i) {
        if (m_Adapters[i].m_nBusType == kBusTypeLetterOnly)
            nLetterAdapter = i;
    }

    for (INT_PTR i = 0; i < list.GetSize(); ++i) {
        CDeviceRecord record = list[i];
        if (!IsDriveLetterSlot(record.m_nDriveLetter))
            continue;
        CDeviceHandle device(DeviceIoOpenLetter(record.m_nDriveLetter));
        if (!device.IsCreated())
            continue;
        device.Close();
        record.m_nAdapter = int(m_Adapters.GetSize());
        char szVendor[kVendorChars + 1], szProduct[kProductChars + 1], szRevision[kRevisionChars + 1];
        if (InquiryViaLetter(record, szVendor, szProduct, szRevision) & 1) {
            std::memcpy(record.m_szVendor, szVendor, sizeof(record.m_szVendor));
            std::memcpy(record.m_szProduct, szProduct, sizeof(record.m_szProduct));
            std::memcpy(record.m_szRevision, szRevision, sizeof(record.m_szRevision));
        }

        if (record.m_nBusType != kBusTypeLetterOnly) {
            CHostAdapter adapter;
            adapter.m_nBusType = record.m_nBusType;
            adapter.m_Targets.SetSize(1);
            adapter.m_Targets[0].Add(record);
            if (nLetterAdapter >= 0) {
                CHostAdapter letterAdapter = m_Adapters[nLetterAdapter];
                m_Adapters[nLetterAdapter] = adapter;
                nLetterAdapter = m_Adapters.Add(letterAdapter);
            } else {
                m_Adapters.Add(adapter);
            }
        } else if (nLetterAdapter >= 0) {
            CHostAdapter& letterAdapter = m_Adapters[nLetterAdapter];
            if (letterAdapter.m_Targets.GetSize() == 0)
                letterAdapter.m_Targets.SetSize(1);
            letterAdapter.m_Targets[0].Add(record);
        } else {
            CHostAdapter adapter;
            adapter.m_nBusType = kBusTypeLetterOnly;
            adapter.m_Targets.SetSize(1);
            adapter.m_Targets[0].Add(record);
            nLetterAdapter = m_Adapters.Add(adapter);
        }
        m_Letters[record.m_nDriveLetter].m_bClaimed = 1;
    }
}

// Lists the present devices of the class; for each, its device node is re-enumerated and the ids of its
// children are appended. A device whose id cannot be read or whose node cannot be re-enumerated ends the walk.
int CScsiTransport::CollectClassChildIds(const GUID& deviceClass, CStringArray& ids)
{
    const SetupApiTable& api = GetSetupApiTable();
    CDeviceInfoList devices(deviceClass, DIGCF_PRESENT);
    if (!devices.IsCreated())
        return 1;
    for (DWORD nIndex = 0; nIndex < kMaxClassDevices; ++nIndex) {
        SP_DEVINFO_DATA data;
        std::memset(&data, 0, sizeof(data));
        data.cbSize = sizeof(data);
        if (!api.pfnEnumDeviceInfo(devices.get(), nIndex, &data))
            break;
        char szDeviceId[kDeviceIdChars + 1];
        std::memset(szDeviceId, 0, sizeof(szDeviceId));
        if (!api.pfnGetDeviceInstanceIdA(devices.get(), &data, szDeviceId, sizeof(szDeviceId), nullptr))
            break;
        if (api.pfnReenumerateDevNode(data.DevInst, 0) != CR_SUCCESS)
            break;
        ListChildDeviceIds(data.DevInst, ids);
    }
    return 1;
}

// The first child of the node and then each of its siblings, until there is none or an id cannot be read (at
// most 1024, so that a cyclic sibling chain ends).
void CScsiTransport::ListChildDeviceIds(DWORD node, CStringArray& ids)
{
    const SetupApiTable& api = GetSetupApiTable();
    DEVINST child = 0;
    if (api.pfnGetChild(&child, node, 0) != CR_SUCCESS)
        return;
    for (int nChildren = 0; nChildren < kMaxChildren; ++nChildren) {
        char szDeviceId[kDeviceIdChars + 1];
        std::memset(szDeviceId, 0, sizeof(szDeviceId));
        if (api.pfnGetDeviceIdA(child, szDeviceId, sizeof(szDeviceId), 0) != CR_SUCCESS)
            return;
        szDeviceId[kDeviceIdChars] = '\0';
        ids.Add(CString(szDeviceId));
        DEVINST sibling = 0;
        if (api.pfnGetSibling(&sibling, child, 0) != CR_SUCCESS)
            return;
        child = sibling;
    }
}
