// tests/emu/Emu.h
// The emulated drive: a model of MMC drives and their media shared by two front ends, the test ASPI library
// (wnaspi32.dll) and the device-I/O seam of the pass-through back end.
//
// Two halves:
//  * IEmuMachine, the configuration and log interface. It has only plain types, so a test program can use the
//    machine inside the test ASPI library through EmuGetAspiMachine() exactly as it uses its own in-process
//    machine (EmuGetMachine()).
//  * The handler API (CEmuDrive, EmuCommand, EmuRegisterHandler, EMU_HANDLER): how a drive answers one operation
//    code. Handlers live in tests/emu/Emu*.cpp; every such file is linked into the library and the test ASPI
//    library, and registers its handlers with EMU_HANDLER at start-up. A handler registered with EMU_HANDLER
//    replaces the basic one of the core (EMU_CORE_HANDLER: INQUIRY, TEST UNIT READY, REQUEST SENSE, READ(10),
//    WRITE(10), READ CAPACITY), whatever the order of start-up.
#ifndef TAVISK_TESTS_EMU_EMU_H
#define TAVISK_TESTS_EMU_EMU_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

// ---------------------------------------------------------------------------------------------------------------
// Configuration and log interface

enum EmuRequestKind {
    kEmuRequestScsi = 0,           // a CDB
    kEmuRequestAtaPassThrough = 1, // IOCTL_IDE_PASS_THROUGH
    kEmuRequestSmartSend = 2,      // SMART_SEND_DRIVE_COMMAND
    kEmuRequestSmartReceive = 3,   // SMART_RCV_DRIVE_DATA
    kEmuRequestRescanBus = 4,      // IOCTL_SCSI_RESCAN_BUS
    kEmuRequestHaInquiry = 5       // ASPI SRB_HAInquiry
};

enum EmuFrontEnd {
    kEmuFrontAspi = 1,   // SendASPI32Command
    kEmuFrontLetter = 2, // a drive-letter device "\\.\X:"
    kEmuFrontPort = 3    // a port device "\\.\SCSIn:"
};

enum EmuDirection {
    kEmuDirNone = 0,
    kEmuDirIn = 1, // drive to host
    kEmuDirOut = 2 // host to drive
};

enum EmuAspiCompletion {
    kEmuAspiImmediate = 0,         // SendASPI32Command completes the request and returns its status
    kEmuAspiPending = 1,           // returns SS_PENDING; a worker thread completes it later and signals the event
    kEmuAspiPendingSignalled = 2,  // returns SS_PENDING with the request already complete and the event signalled
    kEmuAspiStatusBeforeSignal = 3 // returns SS_PENDING with the request already complete; a worker thread sets the
                                   // event a little later, as a layer that writes the status before it signals
};

// SCSI status
const int kEmuStatusGood = 0;
const int kEmuStatusCheckCondition = 2;

// One request as the emulator received it. Plain data.
struct EmuLogEntry {
    uint32_t nSequence;         // 0, 1, 2, ... since the last ClearLog
    int nDrive;                 // the drive that received it; -1 when no drive is at the address
    int nKind;                  // EmuRequestKind
    int nFrontEnd;              // EmuFrontEnd
    int nLetter;                // letter index of a letter-device request, else -1
    int nAdapter;               // ASPI host adapter, or port number of a port request, else -1
    int nPathId, nTarget, nLun; // address as the host gave it
    uint8_t cdb[16];            // the CDB bytes sent (zero beyond nCdbLength)
    int nCdbLength;
    int nDirection;           // EmuDirection requested by the host
    uint32_t nTransferLength; // the host's buffer length
    uint32_t nTransferred;    // bytes the drive moved
    uint32_t nDataOutLength;  // data-out bytes sent, kept in the log (GetLogDataOut) unless EMU_KEY_LOG_KEEP says
    uint32_t nTimeoutSeconds; // pass-through time-out; 0 under ASPI
    uint8_t nAspiFlags;       // SRB_Flags as sent (ASPI only)
    uint8_t nSenseLength;     // SRB_SenseLen / SenseInfoLength as sent
    uint8_t ataRegisters[8];  // ATA/SMART requests: the register block
    int nScsiStatus;          // kEmuStatusGood or kEmuStatusCheckCondition
    uint8_t sense[18];        // fixed-format sense returned (zero when GOOD)
    uint64_t nTimeUs;         // virtual time when the request arrived
    uint32_t nThreadId;       // the calling thread
};
static_assert(std::is_trivially_copyable<EmuLogEntry>::value, "EmuLogEntry crosses module boundaries");

// Standard keys of SetInt/GetInt (handlers may add their own; unknown keys read as the default).
#define EMU_KEY_PERIPHERAL "peripheral"         // INQUIRY byte 0, default 5
#define EMU_KEY_INQUIRY_B7 "inquiry.b7"         // INQUIRY byte 7, default 0
#define EMU_KEY_MEDIUM "medium"                 // 1 = a medium is loaded (default), 0 = none (2/3A/00)
#define EMU_KEY_BLOCKS "medium.blocks"          // capacity in blocks, default 333000
#define EMU_KEY_BLOCK_LENGTH "blockLength"      // logical block length, default 2048
#define EMU_KEY_DELAY_US "delayUs"              // virtual time each command takes, default 0
#define EMU_KEY_STRICT "strict"                 // 1 = unknown opcodes fail with 5/20/00 (default 1)
#define EMU_KEY_SMART_ERROR "smart.driverError" // driver error byte of SMART replies, default 0
// The most data-out bytes of one command the log keeps for this drive (default: all, -1); a longer data-out is kept
// only as its digest (GetLogDataOutDigest), so long runs of large writes do not fill the memory.
#define EMU_KEY_LOG_KEEP "log.keepDataOut"
// Standard keys of SetBytes/GetBytes.
#define EMU_KEY_INQUIRY "inquiry"           // full INQUIRY answer (overrides identity), up to 96 bytes
#define EMU_KEY_ATA_IDENTIFY "ata.identify" // 512-byte IDENTIFY (PACKET) DEVICE answer
#define EMU_KEY_SMART_DATA "smart.data"     // 512-byte SMART data answer

// A 64-bit FNV-1a digest of bytes: what the log keeps of a data-out longer than EMU_KEY_LOG_KEEP.
inline uint64_t EmuDigest(const void* pData, size_t nLength)
{
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    uint64_t nHash = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < nLength; ++i) {
        nHash ^= p[i];
        nHash *= 0x100000001B3ull;
    }
    return nHash;
}

class CScsiTransport;

class IEmuMachine {
public:
    // Removes every drive, adapter, letter, port and log entry and restores the defaults (ASPI: status 1, no
    // adapters, immediate completion; virtual time kept).
    virtual void Reset() = 0;

    // Drives. AddDrive returns the drive id (0, 1, ...).
    virtual int AddDrive(const char* pszVendor, const char* pszProduct, const char* pszRevision) = 0;
    virtual int GetDriveCount() = 0;
    virtual void SetInt(int nDrive, const char* pszKey, int64_t nValue) = 0;
    virtual int64_t GetInt(int nDrive, const char* pszKey, int64_t nDefault) = 0;
    virtual void SetBytes(int nDrive, const char* pszKey, const void* pData, uint32_t nLength) = 0;
    // Copies at most nCapacity bytes; returns the full length held (0 when the key is not set).
    virtual uint32_t GetBytes(int nDrive, const char* pszKey, void* pBuffer, uint32_t nCapacity) = 0;
    // Scripts the next answers to an operation code (-1 = any code): the next nCount commands with that code
    // end in CHECK CONDITION with this sense. Queued entries are used in order.
    virtual void QueueSense(int nDrive, int nOpcode, uint8_t nKey, uint8_t nAsc, uint8_t nAscq, int nCount) = 0;
    // As QueueSense with raw sense bytes (at most 18), e.g. a byte 2 with its flag bits.
    virtual void QueueSenseBytes(int nDrive, int nOpcode, const uint8_t* pSense, uint32_t nLength, int nCount) = 0;
    virtual void ClearSenseQueue(int nDrive) = 0;

    // ASPI front end
    virtual void SetAspiSupport(uint8_t nStatus, uint8_t nAdapterCount) = 0;
    virtual void SetAspiCompletion(int nMode) = 0; // EmuAspiCompletion
    // Completion events the layer has still to set (kEmuAspiStatusBeforeSignal) and the SetEvent calls that failed
    // because the caller had already closed the event.
    virtual int GetAspiSignalsOutstanding() = 0;
    virtual int GetAspiSignalsFailed() = 0;
    virtual void SetAspiAdapter(int nAdapter, uint8_t nScsiId, const char* pszManagerId, const char* pszIdentifier,
                                const uint8_t* pUnique16) = 0;
    virtual void AttachAspi(int nDrive, int nAdapter, int nTarget, int nLun) = 0;

    // Pass-through front end. A letter has a drive type (GetDriveTypeA) and optionally a drive behind it and a
    // SCSI address (IOCTL_SCSI_GET_ADDRESS; nPort < 0: the request fails).
    virtual void SetLetter(int nLetter, uint32_t nDriveType, int nDrive) = 0;
    virtual void SetLetterAddress(int nLetter, int nPort, int nPathId, int nTarget, int nLun) = 0;
    virtual void SetLetterOpenFails(int nLetter, bool bFails) = 0;
    virtual void AddPort(int nPort) = 0;
    virtual void AttachPort(int nDrive, int nPort, int nPathId, int nTarget, int nLun) = 0;
    // Replaces the generated IOCTL_SCSI_GET_INQUIRY_DATA reply of a port by raw bytes (malformed chains).
    virtual void SetPortInquiryData(int nPort, const void* pData, uint32_t nLength) = 0;
    // Makes every DeviceIoControl with this code fail (FALSE, ERROR_IO_DEVICE).
    virtual void SetIoctlFails(uint32_t nCode, bool bFails) = 0;

    // Command log
    virtual void ClearLog() = 0;
    virtual int GetLogCount() = 0;
    virtual bool GetLogEntry(int nIndex, EmuLogEntry* pEntry) = 0;
    virtual uint32_t GetLogDataOut(int nIndex, void* pBuffer, uint32_t nCapacity) = 0;
    // EmuDigest of the data-out bytes of an entry, also of those the log kept only as their digest; 0 when there
    // is no such entry.
    virtual uint64_t GetLogDataOutDigest(int nIndex) = 0;

    // Virtual clock (microseconds). Commands advance it by their drive's delay; the clock seam of a test program
    // can be pointed at it (EmuInstallClock).
    virtual uint64_t GetTimeUs() = 0;
    virtual void AdvanceUs(uint64_t nMicroseconds) = 0;

    // Device handles of the seam that are open now (leak checks).
    virtual int GetOpenHandleCount() = 0;
    // How often a device path ("\\.\D:", "\\.\SCSI0:") was opened through the seam since Reset.
    virtual uint32_t GetDeviceOpenCount(const char* pszDevicePath) = 0;

protected:
    ~IEmuMachine() {}
};

// The machine of this module (the test program's own, used by the seam front end).
IEmuMachine* EmuGetMachine();

// The machine inside the test ASPI library: loads "wnaspi32.dll" (the one beside the program when Wine is told
// to prefer it) and asks its EmuGetMachine export. Null when the library is not the test library.
// The library stays loaded until the process ends, so its state survives the transport's Close.
IEmuMachine* EmuGetAspiMachine();

// Hands the test ASPI library to a transport without discovery: loads "WNASPI32", looks up both entry points and
// sets ASPI access. False when the library or an entry point is missing.
bool EmuBindAspi(CScsiTransport& transport);

// Points the device-I/O seam of the drive access at this module's machine, or back at kernel32.
void EmuInstallDeviceIo();
void EmuRemoveDeviceIo();

// The usual start of a pass-through test: this module's machine, emptied, with the device-I/O seam pointed at it.
IEmuMachine* EmuStartMachine();

// Points the program's clock seam at a machine's virtual clock: Sleep advances it, GetTickCount and the
// performance counter (10 MHz) read it. EmuRemoveClock restores the real clock.
void EmuInstallClock(IEmuMachine* pMachine);
void EmuRemoveClock();

// ---------------------------------------------------------------------------------------------------------------
// Handler API (inside one module; handlers run under the machine's lock)

// The state of one emulated drive. Identity and generic keyed state; handlers keep their state in the maps.
class CEmuDrive {
public:
    int m_nId = 0;
    std::string m_strVendor;   // padded to 8 in the INQUIRY answer
    std::string m_strProduct;  // padded to 16
    std::string m_strRevision; // padded to 4
    std::map<std::string, int64_t> m_Ints;
    std::map<std::string, std::vector<uint8_t>> m_Bytes;

    int64_t GetInt(const char* pszKey, int64_t nDefault) const;
    void SetInt(const char* pszKey, int64_t nValue) { m_Ints[pszKey] = nValue; }
    const std::vector<uint8_t>* GetBytes(const char* pszKey) const; // null when not set
    void SetBytes(const char* pszKey, const void* pData, size_t nLength);
};

// One command as the drive sees it. A handler answers through Reply or DataOut and fails through CheckCondition.
struct EmuCommand {
    CEmuDrive* pDrive;
    const uint8_t* cdb; // 16 bytes (zero beyond nCdbLength)
    int nCdbLength;
    int nDirection;          // EmuDirection requested by the host
    uint8_t* pDataIn;        // host buffer for data in (null unless nDirection is kEmuDirIn)
    uint32_t nAllocation;    // host buffer length
    const uint8_t* pDataOut; // host data for data out (null unless nDirection is kEmuDirOut)
    uint32_t nDataOutLength;
    uint32_t nTransferred; // bytes moved; set by Reply and DataOut
    int nStatus;           // kEmuStatusGood unless CheckCondition was called
    uint8_t sense[18];
    uint64_t nExtraDelayUs; // handler may add virtual time (e.g. a slow medium)
    uint64_t nArrivalUs;    // virtual time when the command arrived
    uint32_t nTimeoutSeconds; // the host's time limit (pass-through); 0 under ASPI
    bool bTimedOut; // the command never completed: the front end reports the host's time-out, not a SCSI status

    // Copies the answer into the host buffer like a real drive: never more than the allocation length. The
    // answer's own length fields must report the full length (nFullLength is what the drive holds).
    void Reply(const void* pData, uint32_t nFullLength);
    // The data-out bytes; returns their count and marks them transferred.
    uint32_t DataOut(const uint8_t** ppData);
    // CHECK CONDITION with fixed-format sense (byte 0 0x70, byte 7 10).
    void CheckCondition(uint8_t nKey, uint8_t nAsc, uint8_t nAscq);
    void CheckConditionRaw(const uint8_t* pSense, uint32_t nLength);
};

using EmuHandler = void (*)(EmuCommand& command);

// Registers the handler of an operation code. It replaces a handler of the same or a lower priority
// (core handlers 0, extension handlers 1). Opcodes without a handler end in CHECK CONDITION 5/20/00 (or GOOD with
// no data when the drive's "strict" key is 0).
const int kEmuPriorityCore = 0;
const int kEmuPriorityExtension = 1;
void EmuRegisterHandler(uint8_t nOpcode, EmuHandler pfnHandler, int nPriority = kEmuPriorityExtension);
EmuHandler EmuGetHandler(uint8_t nOpcode);

struct CEmuHandlerRegistrar {
    CEmuHandlerRegistrar(uint8_t nOpcode, EmuHandler pfnHandler, int nPriority)
    {
        EmuRegisterHandler(nOpcode, pfnHandler, nPriority);
    }
};

#define EMU_CONCAT_INNER(a, b) a##b
#define EMU_CONCAT(a, b) EMU_CONCAT_INNER(a, b)
// At namespace scope in an Emu*.cpp file: EMU_HANDLER(0x5A, HandleModeSense10);
#define EMU_HANDLER(opcode, fn)                                                                                        \
    static CEmuHandlerRegistrar EMU_CONCAT(g_emuHandler_, __LINE__)(opcode, fn, kEmuPriorityExtension)
#define EMU_CORE_HANDLER(opcode, fn)                                                                                   \
    static CEmuHandlerRegistrar EMU_CONCAT(g_emuHandler_, __LINE__)(opcode, fn, kEmuPriorityCore)

// Command timing (EmuTiming.cpp): after a command's handler the machine asks the hook how many virtual
// microseconds the command takes beyond the drive's fixed delay, given the virtual time it arrived; after moving
// its clock on it lets the engine pace the thread in real-time mode.
using EmuTimingHook = uint64_t (*)(EmuCommand& command, uint64_t nArrivalUs);
void EmuSetTimingHook(EmuTimingHook pfnHook);
EmuTimingHook EmuGetTimingHook();
void EmuPaceToVirtualTime(uint64_t nVirtualUs);

// Helpers for handlers
void EmuBuildInquiry(const CEmuDrive& drive, uint8_t* pAnswer96); // the drive's 96-byte INQUIRY answer

// A medium model that answers the medium commands of the drives it is loaded into before the opcode handlers do
// (EmuDisc.cpp: discs backed by image files). It returns false for a command it leaves to the handlers. One per
// module, installed at start-up.
using EmuMediumHook = bool (*)(EmuCommand& command);
void EmuSetMediumHook(EmuMediumHook pfnHook);
// A further model asked before the medium hook and the handlers (EmuWrite.cpp: the writer's engine, active on
// drives that hold a recordable disc). Same contract as the medium hook.
void EmuSetWriterHook(EmuMediumHook pfnHook);

// A model that changes a command's answer around the drive's own (EmuHostile.cpp: seeded hostile answers). Before
// runs ahead of the writer and medium hooks and may answer the command itself (true: nothing else answers it);
// After runs once the drive has answered, before the timing hook, and may change what the host gets.
struct EmuAnswerHooks {
    bool (*pfnBefore)(EmuCommand& command);
    void (*pfnAfter)(EmuCommand& command);
};
void EmuSetAnswerHooks(const EmuAnswerHooks* pHooks);

#endif
