// src/drive/HostAdapter.h
// One host adapter: its device records in groups, its bus type, its port number and port device path.
#ifndef TAVISK_DRIVE_HOSTADAPTER_H
#define TAVISK_DRIVE_HOSTADAPTER_H

#include "drive/DeviceRecord.h"
#include "framework/Array.h"
#include "framework/String.h"

class CHostAdapter {
public:
    CHostAdapter();
    CHostAdapter(const CHostAdapter& other);
    CHostAdapter& operator=(const CHostAdapter& other);
    ~CHostAdapter();

    // Devices in groups: under pass-through one group per path id (bus) of the port, the adapter of letter-only
    // drives has one group holding all of them; under ASPI exactly one group. Group and place indexes are array
    // positions, not SCSI numbers.
    CArray<CArray<CDeviceRecord>> m_Targets;
    int m_nBusType;    // BusType, -1 until set
    int m_nPortNumber; // n of "\\.\SCSI%d:" under pass-through; -1 for ASPI and letter adapters
    CString m_strName; // port device path, e.g. "\\.\SCSI0:"; empty for ASPI and letter adapters
};

using CHostAdapterArray = CArray<CHostAdapter>;

// The walk over every record of every group of one adapter, in order, with the record's place:
// visit(nGroup, nPlace, record) (the record may be changed, not added or removed).
template <class Visit>
void ForEachDeviceRecordAt(CHostAdapter& adapter, Visit visit)
{
    for (INT_PTR nGroup = 0; nGroup < adapter.m_Targets.GetSize(); ++nGroup) {
        CArray<CDeviceRecord>& group = adapter.m_Targets[nGroup];
        for (INT_PTR nPlace = 0; nPlace < group.GetSize(); ++nPlace)
            visit(int(nGroup), int(nPlace), group[nPlace]);
    }
}

// The same walk over all adapters of a list: visit(nAdapter, nGroup, nPlace, record), nAdapter being the list
// index.
template <class Visit>
void ForEachDeviceRecordAt(CHostAdapterArray& adapters, Visit visit)
{
    for (INT_PTR nAdapter = 0; nAdapter < adapters.GetSize(); ++nAdapter) {
        ForEachDeviceRecordAt(adapters[nAdapter], [&](int nGroup, int nPlace, CDeviceRecord& record) {
            visit(int(nAdapter), nGroup, nPlace, record);
        });
    }
}

// The walks without the place: visit(record) over one adapter, visit(nAdapter, record) over a list.
template <class Visit>
void ForEachDeviceRecord(CHostAdapter& adapter, Visit visit)
{
    ForEachDeviceRecordAt(adapter, [&](int, int, CDeviceRecord& record) { visit(record); });
}

template <class Visit>
void ForEachDeviceRecord(CHostAdapterArray& adapters, Visit visit)
{
    ForEachDeviceRecordAt(adapters, [&](int nAdapter, int, int, CDeviceRecord& record) { visit(nAdapter, record); });
}

#endif
