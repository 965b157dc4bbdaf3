// tests/emu/EmuMachine.h
// The emulator's machine: drives, the ASPI and pass-through topology, the command log and the virtual clock,
// behind one lock. Internal to the emulator; tests use IEmuMachine (Emu.h).
#ifndef TAVISK_TESTS_EMU_EMUMACHINE_H
#define TAVISK_TESTS_EMU_EMUMACHINE_H

#include <windows.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "Emu.h"

// Holds the machine's lock for a scope.
class CEmuLock {
public:
    explicit CEmuLock(CRITICAL_SECTION& lock) : m_lock(lock) { EnterCriticalSection(&m_lock); }
    ~CEmuLock() { LeaveCriticalSection(&m_lock); }
    CEmuLock(const CEmuLock&) = delete;
    CEmuLock& operator=(const CEmuLock&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

// A SCSI request as a front end hands it to the machine.
struct EmuScsiRequest {
    int nDrive; // -1: nothing answers at this address (logged, no handler runs)
    int nFrontEnd;
    int nLetter;
    int nAdapter, nPathId, nTarget, nLun;
    const uint8_t* pCdb; // nCdbLength bytes
    int nCdbLength;
    int nDirection; // EmuDirection as the host asked
    uint8_t* pData;
    uint32_t nLength;
    uint32_t nTimeoutSeconds;
    uint8_t nAspiFlags;
    uint8_t nSenseLength;
};

struct EmuScsiResult {
    int nStatus; // kEmuStatusGood or kEmuStatusCheckCondition
    uint8_t sense[18];
    uint32_t nTransferred;
    bool bTimedOut; // no status: the command ran into the host's time limit (EmuCommand::bTimedOut)
};

class CEmuMachine : public IEmuMachine {
public:
    static CEmuMachine& Instance();

    // IEmuMachine
    void Reset() override;
    int AddDrive(const char* pszVendor, const char* pszProduct, const char* pszRevision) override;
    int GetDriveCount() override;
    void SetInt(int nDrive, const char* pszKey, int64_t nValue) override;
    int64_t GetInt(int nDrive, const char* pszKey, int64_t nDefault) override;
    void SetBytes(int nDrive, const char* pszKey, const void* pData, uint32_t nLength) override;
    uint32_t GetBytes(int nDrive, const char* pszKey, void* pBuffer, uint32_t nCapacity) override;
    void QueueSense(int nDrive, int nOpcode, uint8_t nKey, uint8_t nAsc, uint8_t nAscq, int nCount) override;
    void QueueSenseBytes(int nDrive, int nOpcode, const uint8_t* pSense, uint32_t nLength, int nCount) override;
    void ClearSenseQueue(int nDrive) override;
    void SetAspiSupport(uint8_t nStatus, uint8_t nAdapterCount) override;
    void SetAspiCompletion(int nMode) override;
    int GetAspiSignalsOutstanding() override;
    int GetAspiSignalsFailed() override;
    void SetAspiAdapter(int nAdapter, uint8_t nScsiId, const char* pszManagerId, const char* pszIdentifier,
                        const uint8_t* pUnique16) override;
    void AttachAspi(int nDrive, int nAdapter, int nTarget, int nLun) override;
    void SetLetter(int nLetter, uint32_t nDriveType, int nDrive) override;
    void SetLetterAddress(int nLetter, int nPort, int nPathId, int nTarget, int nLun) override;
    void SetLetterOpenFails(int nLetter, bool bFails) override;
    void AddPort(int nPort) override;
    void AttachPort(int nDrive, int nPort, int nPathId, int nTarget, int nLun) override;
    void SetPortInquiryData(int nPort, const void* pData, uint32_t nLength) override;
    void SetIoctlFails(uint32_t nCode, bool bFails) override;
    void ClearLog() override;
    int GetLogCount() override;
    bool GetLogEntry(int nIndex, EmuLogEntry* pEntry) override;
    uint32_t GetLogDataOut(int nIndex, void* pBuffer, uint32_t nCapacity) override;
    uint64_t GetLogDataOutDigest(int nIndex) override;
    uint64_t GetTimeUs() override;
    void AdvanceUs(uint64_t nMicroseconds) override;
    int GetOpenHandleCount() override;
    uint32_t GetDeviceOpenCount(const char* pszDevicePath) override;

    // For the front ends
    EmuScsiResult ExecuteScsi(const EmuScsiRequest& request);
    void LogOther(const EmuLogEntry& entry, const uint8_t* pDataOut, uint32_t nDataOutLength);

    struct AspiAdapter {
        uint8_t nScsiId = 7;
        std::string strManagerId = "TAVISK TEST ASPI";
        std::string strIdentifier = "EMULATED HA";
        uint8_t unique[16] = {};
    };
    struct Letter {
        uint32_t nDriveType = DRIVE_NO_ROOT_DIR;
        int nDrive = -1;
        bool bOpenFails = false;
        bool bHasAddress = false;
        int nPort = 0, nPathId = 0, nTarget = 0, nLun = 0;
        bool Exists() const { return nDriveType != DRIVE_NO_ROOT_DIR || nDrive >= 0; }
    };
    struct PortDevice {
        int nDrive, nPathId, nTarget, nLun;
    };
    struct Port {
        std::vector<PortDevice> devices;
        bool bRaw = false;
        std::vector<uint8_t> raw;
    };

    // Topology, read by the front ends under the lock
    CRITICAL_SECTION m_Lock;
    uint8_t m_nAspiStatus;
    uint8_t m_nAspiAdapterCount;
    int m_nAspiCompletion;
    int m_nAspiSignalsOutstanding = 0;
    int m_nAspiSignalsFailed = 0;
    std::map<int, AspiAdapter> m_AspiAdapters;
    std::map<std::tuple<int, int, int>, int> m_AspiDevices; // (adapter, target, lun) -> drive
    Letter m_Letters[26];
    std::map<int, Port> m_Ports;
    std::set<uint32_t> m_FailingIoctls;
    std::map<std::string, uint32_t> m_OpenCounts; // device path (upper case) -> opens
    int m_nOpenHandles;

    CEmuDrive* Drive(int nDrive); // null when out of range

private:
    CEmuMachine();
    void ResetLocked();
    uint32_t AppendLog(EmuLogEntry& entry, const uint8_t* pDataOut, uint32_t nDataOutLength);

    struct QueuedSense {
        int nOpcode;
        uint8_t sense[18];
        int nRemaining;
    };

    std::vector<std::unique_ptr<CEmuDrive>> m_Drives;
    std::map<int, std::deque<QueuedSense>> m_SenseQueues;
    std::vector<EmuLogEntry> m_Log;
    std::vector<std::vector<uint8_t>> m_LogData; // empty where only the digest is kept
    std::vector<uint64_t> m_LogDigests;          // the digest where the bytes are not kept, else 0
    uint32_t m_nSequence;
    uint64_t m_nTimeUs;
};

#endif
