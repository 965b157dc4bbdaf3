// tests/support/DriveRecords.h
// Device records and host adapters set up straight in a transport, without a start-up.
#ifndef TAVISK_TESTS_SUPPORT_DRIVERECORDS_H
#define TAVISK_TESTS_SUPPORT_DRIVERECORDS_H

#include <vector>

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

#endif
