// src/drive/CommandsSpc.cpp
// The SPC-side commands of the drive command set (TEST UNIT READY to READ CAPACITY), the pass-through of a
// caller's CDB and the ready wait. Each builder names its CDB bytes; bytes not named are 0.
#include "drive/DriveManager.h"

#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "drive/ModelTable.h"

// 00 | 00 00 00 00 00
ExecStatus CDriveManager::TestUnitReady(CDeviceRecord& record)
{
    BYTE cdb[12] = {0x00};
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 01 | 00 00 00 00 00
ExecStatus CDriveManager::RezeroUnit(CDeviceRecord& record)
{
    BYTE cdb[12] = {0x01};
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 03 | 00 00 00 | allocation 18 | 00; 18 bytes in
ExecStatus CDriveManager::RequestSenseData(CDeviceRecord& record, BYTE* pBuffer18)
{
    BYTE cdb[12] = {0x03};
    cdb[4] = 18;
    return ExecScsiCommand(record, cdb, pBuffer18, 18);
}

// REQUEST SENSE into an internal buffer, packed like a SenseCode: byte 2 taken whole, then ASC and ASCQ.
int CDriveManager::RequestSense(CDeviceRecord& record)
{
    BYTE answer[18];
    memset(answer, 0, sizeof(answer));
    if (RequestSenseData(record, answer) != kExecCompleted)
        return 0;
    return (answer[2] << 16) | (answer[12] << 8) | answer[13];
}

// 04 | flags (FmtData, CmpList, format code) | 00 00 00 00; parameter list out
ExecStatus CDriveManager::FormatUnit(CDeviceRecord& record, BYTE flags, int nLength, BYTE* pList)
{
    BYTE cdb[12] = {0x04};
    cdb[1] = flags;
    return ExecScsiCommand(record, cdb, pList, DWORD(nLength));
}

// 16/17 | ((thirdParty & 1) * 8 + deviceId) * 2 | 00 00 | 08 | 00
static void BuildReserveRelease6(BYTE* cdb, BYTE opcode, BYTE thirdParty, BYTE deviceId)
{
    cdb[0] = opcode;
    cdb[1] = BYTE(((thirdParty & 1) * 8 + deviceId) * 2);
    cdb[4] = 8;
}

ExecStatus CDriveManager::Reserve6(CDeviceRecord& record, BYTE thirdParty, BYTE deviceId)
{
    BYTE cdb[12] = {0};
    BuildReserveRelease6(cdb, 0x16, thirdParty, deviceId);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

ExecStatus CDriveManager::Release6(CDeviceRecord& record, BYTE thirdParty, BYTE deviceId)
{
    BYTE cdb[12] = {0};
    BuildReserveRelease6(cdb, 0x17, thirdParty, deviceId);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 1B | immed & 1 | 00 00 | (loej & 1) * 2 + (start & 1) | 00
ExecStatus CDriveManager::StartStopUnit(CDeviceRecord& record, BYTE immed, BYTE loej, BYTE start)
{
    BYTE cdb[12] = {0x1B};
    cdb[1] = BYTE(immed & 1);
    cdb[4] = BYTE((loej & 1) * 2 + (start & 1));
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 1B | 00 00 00 | 02 (LoEj, stop) | 00
ExecStatus CDriveManager::EjectMedium(CDeviceRecord& record)
{
    return StartStopUnit(record, 0, 1, 0);
}

// 1B | 00 00 00 | 03 (LoEj, start) | 00
ExecStatus CDriveManager::LoadMedium(CDeviceRecord& record)
{
    return StartStopUnit(record, 0, 1, 1);
}

// 1C | 00 00 00 | 08 | 00; 8 bytes in
ExecStatus CDriveManager::ReceiveDiagnosticResults(CDeviceRecord& record, BYTE* pBuffer8)
{
    BYTE cdb[12] = {0x1C};
    cdb[4] = 8;
    return ExecScsiCommand(record, cdb, pBuffer8, 8);
}

// 1D | (selfTest & 1) * 4 | 00 00 | 08 without self test, 00 with it | 00; 8 bytes out without self test
ExecStatus CDriveManager::SendDiagnostic(CDeviceRecord& record, BYTE selfTest, BYTE* pBuffer8)
{
    BYTE cdb[12] = {0x1D};
    cdb[1] = BYTE((selfTest & 1) * 4);
    if (selfTest & 1)
        return ExecScsiCommand(record, cdb, nullptr, 0);
    cdb[4] = 8;
    return ExecScsiCommand(record, cdb, pBuffer8, 8);
}

// 1E | 00 00 00 | prevent | 00
ExecStatus CDriveManager::LockMedium(CDeviceRecord& record)
{
    BYTE cdb[12] = {0x1E};
    cdb[4] = 1;
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

ExecStatus CDriveManager::UnlockMedium(CDeviceRecord& record)
{
    BYTE cdb[12] = {0x1E};
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 23 | 00 .. 00 | 7-8 allocation | 00
ExecStatus CDriveManager::ReadFormatCapacities(CDeviceRecord& record, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x23};
    SetBe16(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// 25 | 00 .. 00; 8 bytes in: last LBA (0-3), block length (4-7). Some drives report 7F FF FF FF as the last LBA
// of an empty or unreadable medium; that answer is turned into 0.
ExecStatus CDriveManager::ReadCapacity(CDeviceRecord& record, BYTE* pBuffer8)
{
    BYTE cdb[12] = {0x25};
    ExecStatus status = ExecScsiCommand(record, cdb, pBuffer8, 8);
    if (status == kExecCompleted && GetBe32(pBuffer8) == 0x7FFFFFFF)
        memset(pBuffer8, 0, 4);
    return status;
}

// The caller's CDB, sent unchanged.
ExecStatus CDriveManager::ExecCdb(CDeviceRecord& record, const BYTE* pCdb, BYTE* pBuffer, int nLength)
{
    return ExecScsiCommand(record, pCdb, pBuffer, DWORD(nLength));
}

// Waits until the drive is ready. Drives of one family report readiness only through READ DISC INFORMATION
// (32 bytes), polled after each 250 ms pause; every other drive gets TEST UNIT READY at once and again after
// each pause. The wait gives up after the retry limit (a drive that was removed never becomes ready) and then
// returns 0; callers ignore the result.
int CDriveManager::WaitUntilReady(CDeviceRecord& record)
{
    CRetryPacer pacer;
    if (ContainsModelNumber(record.m_szProduct, g_WaitReadyDiscInfoFamily)) {
        BYTE info[32];
        while (pacer.Wait()) {
            memset(info, 0, sizeof(info));
            if (ReadDiscInfo(record, sizeof(info), info) == kExecCompleted)
                return 1;
        }
        return 0;
    }
    if (TestUnitReady(record) == kExecCompleted)
        return 1;
    while (pacer.Wait()) {
        if (TestUnitReady(record) == kExecCompleted)
            return 1;
    }
    return 0;
}
