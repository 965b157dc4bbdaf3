// tests/support/DriveRecords.h
// Device records and host adapters set up straight in a transport, without a start-up; sense bytes set by hand,
// commands sent to a record, and two threads sending at once.
#ifndef TAVISK_TESTS_SUPPORT_DRIVERECORDS_H
#define TAVISK_TESTS_SUPPORT_DRIVERECORDS_H

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "drive/ScsiTransport.h"
#include "drive/SenseCodes.h"

// A record at (adapter, target, LUN) with a letter index.
inline CDeviceRecord MakeRecord(int nAdapter, int nTarget, int nLetter, int nLun = 0, int nPathId = 0)
{
    CDeviceRecord record;
    record.m_nAdapter = nAdapter;
    record.m_nTarget = nTarget;
    record.m_nLun = nLun;
    record.m_nPathId = nPathId;
    record.m_nDriveLetter = nLetter;
    return record;
}

// Adds an adapter with one group holding the given records.
inline void AddAdapter(CScsiTransport& transport, int nBusType, int nPortNumber,
                       const std::vector<CDeviceRecord>& records)
{
    CHostAdapter adapter;
    adapter.m_nBusType = nBusType;
    adapter.m_nPortNumber = nPortNumber;
    CArray<CDeviceRecord> group;
    for (const CDeviceRecord& record : records)
        group.Add(record);
    adapter.m_Targets.Add(group);
    transport.m_Adapters.Add(adapter);
}

inline void SetSense(CDeviceRecord& record, uint8_t nByte2, uint8_t nAsc, uint8_t nAscq)
{
    std::memset(record.m_Sense, 0, sizeof(record.m_Sense));
    record.m_Sense[0] = 0x70;
    record.m_Sense[2] = nByte2;
    record.m_Sense[12] = nAsc;
    record.m_Sense[13] = nAscq;
}

// Sends the CDB bytes to the record, the rest of the 16-byte CDB filled with 0xEE (bytes the request must not
// carry).
inline ExecStatus SendPadded(CScsiTransport& transport, CDeviceRecord& record, const std::vector<uint8_t>& cdbBytes,
                             void* pBuffer, DWORD nLength)
{
    uint8_t cdb[16];
    std::memset(cdb, 0xEE, sizeof(cdb));
    std::memcpy(cdb, cdbBytes.data(), cdbBytes.size());
    return transport.ExecScsiCommand(record, cdb, pBuffer, nLength);
}

// Sends TEST UNIT READY to two records from two threads at once, nCommands each, and counts the commands whose
// status or sense code was not the one of their own drive.
inline int CountCrossedSense(CScsiTransport& transport, const CDeviceRecord& first, int32_t nFirstCode,
                             const CDeviceRecord& second, int32_t nSecondCode, ExecStatus nStatus, int nCommands)
{
    std::atomic<int> nWrong(0);
    auto run = [&](CDeviceRecord target, int32_t nExpected) {
        const uint8_t cdb[6] = {0x00};
        for (int i = 0; i < nCommands; ++i) {
            if (transport.ExecScsiCommand(target, cdb, nullptr, 0) != nStatus || GetSenseCode(target) != nExpected)
                ++nWrong;
        }
    };
    std::thread firstThread(run, first, nFirstCode);
    std::thread secondThread(run, second, nSecondCode);
    firstThread.join();
    secondThread.join();
    return nWrong.load();
}

#endif
