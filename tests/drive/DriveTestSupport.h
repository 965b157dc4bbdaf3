// tests/drive/DriveTestSupport.h
// Shared set-up of the drive-access tests: a transport put straight into a back end, records placed on the
// emulated machine, and readers of the emulator's command log.
#ifndef TAVISK_TESTS_DRIVE_DRIVETESTSUPPORT_H
#define TAVISK_TESTS_DRIVE_DRIVETESTSUPPORT_H

#include <windows.h>
#include <ntddscsi.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "Emu.h"
#include "drive/ScsiTransport.h"

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

inline EmuLogEntry LogAt(IEmuMachine* pMachine, int nIndex)
{
    EmuLogEntry entry;
    std::memset(&entry, 0, sizeof(entry));
    pMachine->GetLogEntry(nIndex, &entry);
    return entry;
}

inline EmuLogEntry LastLog(IEmuMachine* pMachine)
{
    return LogAt(pMachine, pMachine->GetLogCount() - 1);
}

inline std::vector<uint8_t> LastDataOut(IEmuMachine* pMachine)
{
    int nIndex = pMachine->GetLogCount() - 1;
    std::vector<uint8_t> data(pMachine->GetLogDataOut(nIndex, nullptr, 0));
    if (!data.empty())
        pMachine->GetLogDataOut(nIndex, data.data(), uint32_t(data.size()));
    return data;
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

inline void SetSense(CDeviceRecord& record, uint8_t nByte2, uint8_t nAsc, uint8_t nAscq)
{
    std::memset(record.m_Sense, 0, sizeof(record.m_Sense));
    record.m_Sense[0] = 0x70;
    record.m_Sense[2] = nByte2;
    record.m_Sense[12] = nAsc;
    record.m_Sense[13] = nAscq;
}

#endif
