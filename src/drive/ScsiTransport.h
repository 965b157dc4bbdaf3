// src/drive/ScsiTransport.h
// CScsiTransport: carries every SCSI command of the program to a drive through one of two back ends (ASPI for
// Win32, or the storage stack's pass-through interface on the drive-letter device). It owns the host-adapter
// list, one slot per drive letter (with its cached letter device) and the sense-message buffer.
#ifndef TAVISK_DRIVE_SCSITRANSPORT_H
#define TAVISK_DRIVE_SCSITRANSPORT_H

#include <windows.h>

#include "drive/Aspi.h"
#include "drive/DeviceIo.h"
#include "drive/DeviceRecord.h"
#include "drive/HostAdapter.h"
#include "drive/SenseCodes.h"
#include "framework/Array.h"
#include "framework/Handles.h"
#include "framework/Lock.h"
#include "framework/String.h"

struct _SCSI_ADDRESS; // <ntddscsi.h>

// ExecStatus: the result of ExecScsiCommand and of every command built on it. Callers test for 1.
//   1                 completed (kExecCompleted)
//   0                 failed: no back end, letter index 256, open or control call failed, SCSI status not GOOD
//   -1                pass-through with letter index -1
//   2, 4, 0x80...     under ASPI the request block's status byte as the layer left it (SS_ABORTED, SS_ERR, ...)
using ExecStatus = int;
const ExecStatus kExecCompleted = 1;
const ExecStatus kExecFailed = 0;
const ExecStatus kExecNoLetter = -1;

// AccessMode: the transport's back end.
const BYTE kAccessModeNone = 0;
const BYTE kAccessModeAspi = 16;
const BYTE kAccessModeSpti = 32;

const int kSenseMessageSize = 300;
const int kAspiDllNameSize = 260;

// What the transport keeps for one drive letter.
struct DriveLetterSlot {
    bool IsOpen() const { return m_Device.IsCreated(); }

    CDeviceHandle m_Device;       // the cached letter device (pass-through); empty: each command opens its own
    BYTE m_bInquireViaLetter = 0; // 1 = INQUIRY for this letter goes through the letter device
    BYTE m_bClaimed = 0;          // pass-through start-up: a record owns the letter
    DWORD m_nValue = 0;           // the word of GetLetterValue and SetLetterValue
    // Held by a pass-through command while it uses the letter device, so that the cached handle is never closed
    // or replaced under a running command and two threads never send to the same letter at once.
    CCriticalSection m_Guard;
};

class CScsiTransport {
public:
    CScsiTransport();
    ~CScsiTransport();
    CScsiTransport(const CScsiTransport&) = delete;
    CScsiTransport& operator=(const CScsiTransport&) = delete;

    // Sends one CDB (6, 10 or 12 bytes by operation code) to the record's device and leaves sense bytes 0-13 in
    // record.m_Sense. pBuffer/nLength: the data buffer (direction by operation code); both 0 for no data.
    ExecStatus ExecScsiCommand(CDeviceRecord& record, const BYTE* pCdb, void* pBuffer, DWORD nLength);
    // The pass-through back end alone, through the record's letter device, in either access mode.
    ExecStatus ExecSptiCommand(CDeviceRecord& record, const BYTE* pCdb, void* pBuffer, DWORD nLength);

    // Text of the record's SenseCode followed by " (code %06lX)"; valid until the next call (UI thread only).
    const char* FormatSenseMessage(const CDeviceRecord& record);

    // The cached letter device of the record's letter slot (pass-through only). Both act on letter indexes 2-25
    // and ignore others.
    void OpenDriveHandle(const CDeviceRecord& record);
    void CloseDriveHandle(const CDeviceRecord& record);

    // The adapter list
    CHostAdapterArray* GetHostAdapters();                  // the live list, valid until Close or a new start-up
    bool CopyHostAdapters(CHostAdapterArray& destination); // deep copy; always returns false
    void SetDeviceRecord(const CDeviceRecord& record, int nGroup, int nPlace); // throws CInvalidArgException
    void SetAdapterBusType(int nAdapter, int nBusType);                        // throws CInvalidArgException
    bool HasUsbOr1394Adapter() const;

    // Unloads the ASPI library, empties the adapter list, access mode 0. Letter slots and their handles stay.
    void Close();

    const char* GetAspiDllName() const;
    void SetAspiDllName(const char* pszPath);

    BYTE GetAccessMode() const { return m_nAccessMode; }

    // Identification (INQUIRY forms). Identifying forms return 0 when the device did not answer, else
    // 1 + 256 * peripheral byte. Buffers hold 9, 17 and 5 characters.
    int Inquiry(CDeviceRecord& record, char* pszVendor, char* pszProduct, char* pszRevision);
    int InquiryViaLetter(CDeviceRecord& record, char* pszVendor, char* pszProduct, char* pszRevision);
    int InquiryViaPort(CDeviceRecord& record, char* pszVendor, char* pszProduct, char* pszRevision);
    ExecStatus InquiryRaw(CDeviceRecord& record, BYTE* pReply56);

    // Per-letter words kept for completeness; nothing calls them.
    DWORD GetLetterValue(const CDeviceRecord& record) const;
    DWORD SetLetterValue(const CDeviceRecord& record, DWORD nValue);
    DWORD GetLetterValueDefault(int nIgnored) const;
    void SetExcludedLetters(const char* pszLetters);

    // Discovery (ScsiDiscovery*.cpp, BusType.cpp): start-ups, drive discovery and bus types.

    // Pass-through start-up (ScsiDiscoverySpti.cpp). Both start-ups expect an empty adapter list (Close first).
    BYTE InitSpti(); // access mode afterwards: 32 on success, 0 on failure
    // Letter list: one record per letter from A: whose device answers IOCTL_SCSI_GET_ADDRESS. Returns 1.
    static int ProbeDriveLetters(CArray<CDeviceRecord>& letters);
    // Appends one adapter per port device "\\.\SCSI%d:" from 0 up to the first that cannot be opened (at most
    // 100), one group per bus. Returns the number of adapters added.
    static int ScanScsiPorts(CHostAdapterArray& adapters);
    int AddMountedUsb1394Drives();                             // number of drives found
    int FindMountedUsb1394Drives(CArray<CDeviceRecord>& list); // size of the list
    int AddUnlistedLetterDrives();                             // number of drives found
    int FindUnlistedLetterDrives(CArray<CDeviceRecord>& list); // size of the list
    void AddLetterDriveAdapters(CArray<CDeviceRecord>& list);
    // Device ids of the children of every present device of the class (each device node re-enumerated first).
    // Returns 1.
    int CollectClassChildIds(const GUID& deviceClass, CStringArray& ids);
    static void ListChildDeviceIds(DWORD node, CStringArray& ids);
    // The device's MountedDevices name ("\DosDevices\X:"): UTF-16 text of ASCII characters as 8-bit text
    // without its first four characters, at most 299 characters; empty when the value cannot be read.
    static CString ReadMountedDeviceName(int nLetter);

    // ASPI start-up of Windows 9x (ScsiDiscoveryAspi.cpp)
    BYTE InitAspi();        // access mode afterwards: 16 on success, 0 on failure (reason in m_strLastError)
    int InitAspiAdapters(); // 1, or 0 when ASPI reports an error status
    void MatchWin9xDevices();
    // Reads HKLM "Enum\SCSI\<device>\<instance>": returns the letter index (0 when unknown). The target id goes
    // out as its one hexadecimal digit (unchanged when missing, -1 when not a digit or letter, 16 and more for
    // letters beyond 'F'), the four driver settings as their first byte (-1 when missing). Nothing is written
    // when the key cannot be opened.
    static int ReadWin9xScsiDeviceKey(const char* pszDevice, const char* pszInstance, int& nTarget, int& nAutoInsert,
                                      int& nDisconnect, int& nSyncTransfer, int& nDma);
    // Sets the record's bus type to 4 for a device behind a USB bridge.
    static void DetectWin9xUsbBridge(const char* pszDevice, const char* pszInstance, CDeviceRecord& record);

    // Bus types (BusType.cpp). Each method stores the type in the adapter and all its records and returns it;
    // an adapter index outside the list throws CInvalidArgException.
    int DetectBusType(int nAdapter); // by the Windows version: Windows 9x, NT 5 or NT 4 (and Vista) method
    int DetectBusTypeNT4(int nAdapter);
    int DetectBusTypeNT5(int nAdapter);
    int DetectBusTypeWin9x(int nAdapter);
    // 3 (SCSI), 4 (USB), 5 (IEEE 1394) or 0 (hard-disk controller) by the device class holding the port driver,
    // 0/1/2 for IDE channels and (Serial) ATA controllers found there, 666 when no class holds it.
    static int ClassifyPortByDeviceClass(const char* pszPortDriver);
    // 100 when a device of the class runs the port driver, 0/1/2 as above, 666 when none does, 0 when the
    // class cannot be listed.
    static int FindPortInDeviceClass(const GUID& deviceClass, const char* pszPortDriver);
    static int MatchClassDeviceToPort(void* hDevInfo, DWORD nIndex, const char* pszPortDriver); // HDEVINFO
    // pszManagerId holds 17 characters, pszIdentifier 100, pUnique 16 bytes. Both texts start out empty.
    // Returns 1 under pass-through, the SendASPI32Command status under ASPI, 0 with no back end.
    int GetPortDriverName(int nAdapter, char* pszManagerId, char* pszIdentifier, BYTE* pUnique, int* pnScsiId);
    // "Driver" of HKLM "HARDWARE\DEVICEMAP\Scsi\Scsi Port <n>" into pszOut (100 characters, terminated);
    // pszOut is left as it was when a key cannot be opened. Returns pszOut.
    static char* ReadPortDriverFromDeviceMap(int nPort, char* pszOut);
    static bool IsNT5Family();
    // The SCSI address of the first storage-port device interface of the enumerator (e.g. "SCSI", "USBSTOR"),
    // asked with IOCTL_SCSI_GET_ADDRESS: its port number is returned and the whole address written to pAddress
    // (when given); -1 when there is no such interface or it does not answer.
    static int GetStoragePortAddress(const char* pszEnumerator, _SCSI_ADDRESS* pAddress = nullptr);
    // Localised names of the primary and secondary IDE channel in ANSI text of nLength bytes. The caller's text
    // comes back lower-cased. The code-page forms take the code page of the text (the others: CP_ACP).
    static bool IsPrimaryChannelName(char* pszText, int nLength);
    static bool IsSecondaryChannelName(char* pszText, int nLength);
    static bool IsPrimaryChannelName(char* pszText, int nLength, UINT nCodePage);
    static bool IsSecondaryChannelName(char* pszText, int nLength, UINT nCodePage);

    // State. Public so that start-ups and test programs can set up a transport directly.
    BYTE m_nAccessMode;                     // AccessMode
    CModuleOwner m_hAspiDll;                // the loaded ASPI library, or none
    CString m_strLastError;                 // text of the last failed ASPI start-up
    char m_szAspiDllName[kAspiDllNameSize]; // "wnaspi32.dll" after construction
    CHostAdapterArray m_Adapters;
    DriveLetterSlot m_Letters[kDriveLetterCount]; // by letter index (0 = A:)
    char m_szSenseMessage[kSenseMessageSize];     // result buffer of FormatSenseMessage
    CString m_strExcludedLetters;                 // letters both start-ups leave out (empty)
    PFN_GetASPI32SupportInfo m_pfnGetASPI32SupportInfo;
    PFN_SendASPI32Command m_pfnSendASPI32Command;

private:
    // The phases of InitSpti, in order (ScsiDiscoverySpti.cpp).
    INT_PTR FindLettersAndPorts(CArray<CDeviceRecord>& letters); // number of port adapters
    void GiveLettersToPortRecords(const CArray<CDeviceRecord>& letters);
    int AddDrivesFoundByLetter(); // number of drives found
    void RemoveAdaptersWithoutClass(INT_PTR nPortAdapters);
    void ClaimFreeLetter(CDeviceRecord& record);
    void CleanInquiryStrings(CDeviceRecord& record);
    void RecordDeviceTypes();
    int AskDeviceType(CDeviceRecord& record);

    ExecStatus ExecAspiCommand(CDeviceRecord& record, const BYTE* pCdb, void* pBuffer, DWORD nLength);
    void UnloadAspi();
    CHandleOwner AcquireCommandEvent();
    void ReleaseCommandEvent(CHandleOwner&& event);

    // Completion events of ASPI commands, kept for reuse: a command takes one for itself and gives it back.
    static const int kEventPoolSize = 8;
    CCriticalSection m_EventPoolGuard;
    CHandleOwner m_EventPool[kEventPoolSize];
    int m_nPooledEvents;
};

// Enables or disables a privilege on a token; true when GetLastError is 0 afterwards.
bool EnableTokenPrivilege(HANDLE hToken, const char* pszPrivilege, bool bEnable);

#endif
