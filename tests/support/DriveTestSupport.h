// tests/support/DriveTestSupport.h
// Shared set-up of the drive-access tests: two threads sending at once and sense bytes set by hand; records and
// log readers come from tests/support.
#ifndef TAVISK_TESTS_DRIVE_DRIVETESTSUPPORT_H
#define TAVISK_TESTS_DRIVE_DRIVETESTSUPPORT_H

#include <windows.h>
#include <ntddscsi.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "emu/Emu.h"
#include "drive/ScsiTransport.h"
#include "support/DriveRecords.h"
#include "support/EmuLog.h"

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
