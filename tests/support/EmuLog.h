// tests/support/EmuLog.h
// Readers of the emulated machine's command log.
#ifndef TAVISK_TESTS_SUPPORT_EMULOG_H
#define TAVISK_TESTS_SUPPORT_EMULOG_H

#include <cstring>
#include <vector>

#include "emu/Emu.h"

// Entry nIndex of the log (zeroed when there is none).
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

// The data the last logged command sent to the drive.
inline std::vector<uint8_t> LastDataOut(IEmuMachine* pMachine)
{
    int nIndex = pMachine->GetLogCount() - 1;
    std::vector<uint8_t> data(pMachine->GetLogDataOut(nIndex, nullptr, 0));
    if (!data.empty())
        pMachine->GetLogDataOut(nIndex, data.data(), uint32_t(data.size()));
    return data;
}

// The data a logged command sent to the drive, found by its sequence number (as long as the entry says; zeros
// when the entry is no longer in the log).
inline std::vector<uint8_t> DataOutOf(IEmuMachine* pMachine, const EmuLogEntry& entry)
{
    std::vector<uint8_t> data(entry.nDataOutLength);
    for (int i = 0; i < pMachine->GetLogCount(); ++i) {
        EmuLogEntry e;
        if (pMachine->GetLogEntry(i, &e) && e.nSequence == entry.nSequence) {
            pMachine->GetLogDataOut(i, data.data(), uint32_t(data.size()));
            break;
        }
    }
    return data;
}

// The SCSI commands of the log in order, optionally only those with one operation code (-1: all).
inline std::vector<EmuLogEntry> ScsiLogEntries(IEmuMachine* pMachine, int nOpcode = -1)
{
    std::vector<EmuLogEntry> entries;
    int nCount = pMachine->GetLogCount();
    for (int i = 0; i < nCount; ++i) {
        EmuLogEntry entry;
        if (pMachine->GetLogEntry(i, &entry) && entry.nKind == kEmuRequestScsi &&
            (nOpcode < 0 || entry.cdb[0] == nOpcode))
            entries.push_back(entry);
    }
    return entries;
}

#endif
