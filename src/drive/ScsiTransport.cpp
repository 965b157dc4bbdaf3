// src/drive/ScsiTransport.cpp
#include "drive/ScsiTransport.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "drive/DeviceIo.h"

namespace {

const char kDefaultAspiDllName[] = "wnaspi32.dll";

} // namespace

// Access mode 0, no library, empty adapter list, cleared entry points and letter slots.
CScsiTransport::CScsiTransport()
    : m_nAccessMode(kAccessModeNone), m_pfnGetASPI32SupportInfo(nullptr), m_pfnSendASPI32Command(nullptr),
      m_nPooledEvents(0)
{
    std::strcpy(m_szAspiDllName, kDefaultAspiDllName);
    std::memset(m_szSenseMessage, 0, sizeof(m_szSenseMessage));
}

// Cached letter handles close with their slots.
CScsiTransport::~CScsiTransport()
{
    UnloadAspi();
    m_Adapters.RemoveAll();
    m_nAccessMode = kAccessModeNone;
}

void CScsiTransport::UnloadAspi()
{
    m_hAspiDll.Close();
    m_pfnGetASPI32SupportInfo = nullptr;
    m_pfnSendASPI32Command = nullptr;
}

// A record with letter index 256, or no back end: 0 without touching the device or the sense bytes.
ExecStatus CScsiTransport::ExecScsiCommand(CDeviceRecord& record, const BYTE* pCdb, void* pBuffer, DWORD nLength)
{
    if (record.m_nDriveLetter == kDriveLetterRefused || m_nAccessMode == kAccessModeNone)
        return kExecFailed;
    if (m_nAccessMode == kAccessModeSpti)
        return ExecSptiCommand(record, pCdb, pBuffer, nLength);
    return ExecAspiCommand(record, pCdb, pBuffer, nLength);
}

// The text comes from the string table; sense key 0, keys 12 and above (byte 2 taken whole) give the
// unspecified message. Uses the one shared buffer: user-interface thread only.
const char* CScsiTransport::FormatSenseMessage(const CDeviceRecord& record)
{
    std::memset(m_szSenseMessage, 0, sizeof(m_szSenseMessage));
    int32_t nCode = GetSenseCode(record);
    CString strText;
    strText.LoadString(SenseMessageStringId(nCode));
    std::snprintf(m_szSenseMessage, sizeof(m_szSenseMessage), "%s (code %06lX)", strText.GetString(),
                  static_cast<unsigned long>(nCode));
    return m_szSenseMessage;
}

// Opens the letter device and caches it for the pass-through commands that follow. The letter's guard keeps a
// command on another thread from using the old handle while it is closed and replaced.
void CScsiTransport::OpenDriveHandle(const CDeviceRecord& record)
{
    int nLetter = record.m_nDriveLetter;
    if (!IsDriveLetterSlot(nLetter))
        return;
    DriveLetterSlot& slot = m_Letters[nLetter];
    CLockGuard lock(slot.m_Guard);
    slot.m_Device.Close();
    CDeviceHandle device(DeviceIoOpenLetter(nLetter));
    if (device.IsCreated())
        slot.m_Device = std::move(device);
}

// Acts from C: onward, like OpenDriveHandle, so that a cached C: handle is not left open.
void CScsiTransport::CloseDriveHandle(const CDeviceRecord& record)
{
    int nLetter = record.m_nDriveLetter;
    if (!IsDriveLetterSlot(nLetter))
        return;
    DriveLetterSlot& slot = m_Letters[nLetter];
    CLockGuard lock(slot.m_Guard);
    slot.m_Device.Close();
}

CHostAdapterArray* CScsiTransport::GetHostAdapters()
{
    return &m_Adapters;
}

bool CScsiTransport::CopyHostAdapters(CHostAdapterArray& destination)
{
    if (&destination != &m_Adapters)
        destination = m_Adapters;
    return false;
}

// Stores a copy at the adapter named by the record's own m_nAdapter; an index outside its array throws.
void CScsiTransport::SetDeviceRecord(const CDeviceRecord& record, int nGroup, int nPlace)
{
    m_Adapters[record.m_nAdapter].m_Targets[nGroup][nPlace] = record;
}

// Each updated record is written back at the adapter named by its own m_nAdapter, same group and place.
void CScsiTransport::SetAdapterBusType(int nAdapter, int nBusType)
{
    CHostAdapter& adapter = m_Adapters[nAdapter];
    adapter.m_nBusType = nBusType;
    ForEachDeviceRecordAt(adapter, [&](int nGroup, int nPlace, const CDeviceRecord& stored) {
        CDeviceRecord record = stored;
        record.m_nBusType = nBusType;
        SetDeviceRecord(record, nGroup, nPlace);
    });
}

bool CScsiTransport::HasUsbOr1394Adapter() const
{
    for (INT_PTR i = 0; i < m_Adapters.GetSize(); ++i) {
        int nBusType = m_Adapters[i].m_nBusType;
        if (nBusType == kBusTypeUsb || nBusType == kBusType1394)
            return true;
    }
    return false;
}

void CScsiTransport::Close()
{
    UnloadAspi();
    m_Adapters.RemoveAll();
    m_nAccessMode = kAccessModeNone;
}

const char* CScsiTransport::GetAspiDllName() const
{
    return m_szAspiDllName;
}

void CScsiTransport::SetAspiDllName(const char* pszPath)
{
    if (pszPath == nullptr)
        pszPath = "";
    std::strncpy(m_szAspiDllName, pszPath, kAspiDllNameSize - 1);
    m_szAspiDllName[kAspiDllNameSize - 1] = '\0';
}

DWORD CScsiTransport::GetLetterValue(const CDeviceRecord& record) const
{
    return IsDriveLetterIndex(record.m_nDriveLetter) ? m_Letters[record.m_nDriveLetter].m_nValue : DWORD(-1);
}

DWORD CScsiTransport::SetLetterValue(const CDeviceRecord& record, DWORD nValue)
{
    if (!IsDriveLetterIndex(record.m_nDriveLetter))
        return DWORD(-1);
    m_Letters[record.m_nDriveLetter].m_nValue = nValue;
    return nValue;
}

DWORD CScsiTransport::GetLetterValueDefault(int nIgnored) const
{
    return DWORD(-1);
}

void CScsiTransport::SetExcludedLetters(const char* pszLetters)
{
    m_strExcludedLetters = pszLetters != nullptr ? pszLetters : "";
}

// Looks the privilege up by name and enables or disables it on the token. Success is judged by GetLastError,
// because AdjustTokenPrivileges also returns TRUE when it could assign none of the privileges.
bool EnableTokenPrivilege(HANDLE hToken, const char* pszPrivilege, bool bEnable)
{
    TOKEN_PRIVILEGES privileges;
    std::memset(&privileges, 0, sizeof(privileges));
    if (!LookupPrivilegeValueA(nullptr, pszPrivilege, &privileges.Privileges[0].Luid))
        return false;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = bEnable ? SE_PRIVILEGE_ENABLED : 0;
    AdjustTokenPrivileges(hToken, FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
    return GetLastError() == ERROR_SUCCESS;
}
