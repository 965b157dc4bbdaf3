// src/drive/CommandsReadWrite.cpp
// READ, WRITE, SEEK, VERIFY, SYNCHRONIZE CACHE, the buffer commands and READ CD, with the write and not-ready
// retry rules. Each builder names its CDB bytes; bytes not named are 0.
#include "drive/DriveManager.h"

#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "framework/Clock.h"

CRetryPacer::CRetryPacer() : m_dwStart(ClockGetTickCount()), m_dwSlept(0) {}

// The limit counts both the time slept and the real time elapsed, so that a loop whose commands themselves take
// long ends as well as one that only sleeps.
bool CRetryPacer::Wait()
{
    if (m_dwSlept >= kRetryLimitMs || ClockGetTickCount() - m_dwStart >= kRetryLimitMs)
        return false;
    ClockSleep(kRetryIntervalMs);
    m_dwSlept += kRetryIntervalMs;
    return true;
}

// Write retry rule: a write that fails while the drive reports LONG WRITE IN PROGRESS (2/04/08) is sent again,
// identical and with the full data length, every 250 ms. On Windows 2000 a failure without sense data is retried
// too. Any other failure, and the retry limit, end the loop with the status of the last attempt.
static ExecStatus SendWithWriteRetry(CDriveManager& manager, CDeviceRecord& record, const BYTE* cdb, BYTE* pBuffer,
                                     DWORD nLength)
{
    ExecStatus status = manager.ExecScsiCommand(record, cdb, pBuffer, nLength);
    if (status == kExecCompleted)
        return status;
    CRetryPacer pacer;
    for (;;) {
        int sense = GetSenseCode(record);
        bool retry = sense == kSenseLongWriteInProgress || (sense == 0 && g_bIsWindows2000 == 1);
        if (!retry || !pacer.Wait())
            return status;
        status = manager.ExecScsiCommand(record, cdb, pBuffer, nLength);
        if (status == kExecCompleted)
            return status;
    }
}

// Not-ready retry rule: the command is sent again every 250 ms while it fails with a sense code of the LOGICAL
// UNIT NOT READY family (2/04/00 to 2/04/08), up to the retry limit.
static ExecStatus SendWithNotReadyRetry(CDriveManager& manager, CDeviceRecord& record, const BYTE* cdb, BYTE* pBuffer,
                                        DWORD nLength)
{
    CRetryPacer pacer;
    for (;;) {
        ExecStatus status = manager.ExecScsiCommand(record, cdb, pBuffer, nLength);
        if (status == kExecCompleted)
            return status;
        int sense = GetSenseCode(record);
        if (sense < kSenseNotReadyFirst || sense > kSenseNotReadyLast || !pacer.Wait())
            return status;
    }
}

// 28 | flags | 2-5 lba | 00 | 7-8 blocks | 00
static void BuildRead10(BYTE* cdb, BYTE flags, long lba, int nBlocks)
{
    cdb[0] = 0x28;
    cdb[1] = flags;
    SetBe32(cdb + 2, DWORD(lba));
    SetBe16(cdb + 7, DWORD(nBlocks));
}

ExecStatus CDriveManager::Read10(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer)
{
    BYTE cdb[12] = {0};
    BuildRead10(cdb, 0, lba, nBlocks);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nBlocks) * 2048);
}

ExecStatus CDriveManager::Read10Sized(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE* pBuffer)
{
    BYTE cdb[12] = {0};
    BuildRead10(cdb, 0, lba, nBlocks);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nBlocks) * DWORD(nBlockSize));
}

// Byte 1 = 8 (FUA) when fua is set.
ExecStatus CDriveManager::Read10Fua(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE fua,
                                    BYTE* pBuffer)
{
    BYTE cdb[12] = {0};
    BuildRead10(cdb, fua ? 8 : 0, lba, nBlocks);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nBlocks) * DWORD(nBlockSize));
}

// Reads six 2048-byte blocks at lba (28 | 00 | lba | 00 00 | 06 | 00) and picks UDF volume descriptors by their
// tag identifier (first byte of a block). With a tag, the first block carrying it goes to pOutput (2048 bytes).
// Without one, the primary volume descriptor (1), the partition descriptor (5) and the logical volume descriptor
// (6) go to output offsets 0, 2048 and 4096 (6144 bytes); the unallocated space descriptor (7) ends the walk.
// Returns 0 only when the transport could not send the read; the blocks are meaningful only after status 1.
int CDriveManager::ReadUdfVolumeDescriptors(CDeviceRecord& record, long lba, BYTE tag, BYTE* pOutput)
{
    const int kBlock = 2048;
    const int kBlocks = 6;
    static_assert(kBlock * kBlocks == 12288, "six descriptor blocks");
    BYTE data[kBlock * kBlocks];
    memset(data, 0, sizeof(data));
    BYTE cdb[12] = {0x28};
    SetBe32(cdb + 2, DWORD(lba));
    cdb[8] = kBlocks;
    if (ExecScsiCommand(record, cdb, data, sizeof(data)) == kExecFailed)
        return 0;
    for (int i = 0; i < kBlocks; ++i) {
        const BYTE* block = data + i * kBlock;
        if (tag != 0) {
            if (block[0] == tag) {
                memcpy(pOutput, block, kBlock);
                break;
            }
            continue;
        }
        if (block[0] == 7)
            break;
        if (block[0] == 1)
            memcpy(pOutput, block, kBlock);
        else if (block[0] == 5)
            memcpy(pOutput + kBlock, block, kBlock);
        else if (block[0] == 6)
            memcpy(pOutput + 2 * kBlock, block, kBlock);
    }
    return 1;
}

// 2A | 00 | 2-5 lba | 00 | 7-8 blocks | 00; data out
ExecStatus CDriveManager::Write10(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x2A};
    SetBe32(cdb + 2, DWORD(lba));
    SetBe16(cdb + 7, DWORD(nBlocks));
    return SendWithWriteRetry(*this, record, cdb, pBuffer, DWORD(nBlocks) * DWORD(nBlockSize));
}

ExecStatus CDriveManager::Write10Raw(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer)
{
    return Write10(record, lba, nBlocks, 2352, pBuffer);
}

// 2B | 00 00 | 3-5 lba (24 bits) | 00 ..
ExecStatus CDriveManager::Seek10(CDeviceRecord& record, long lba)
{
    BYTE cdb[12] = {0x2B};
    SetBe24(cdb + 3, DWORD(lba));
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 2F | 00 00 | 3-5 lba (24 bits) | 00 | 7-8 blocks | 00
ExecStatus CDriveManager::Verify10(CDeviceRecord& record, long lba, int nBlocks)
{
    BYTE cdb[12] = {0x2F};
    SetBe24(cdb + 3, DWORD(lba));
    SetBe16(cdb + 7, DWORD(nBlocks));
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 35 | immed * 2 | 2-5 lba | 00 | 7-8 blocks | 00; data length = blocks (callers pass 0 and no buffer)
ExecStatus CDriveManager::SynchronizeCache(CDeviceRecord& record, BYTE immed, long lba, int nBlocks, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x35};
    cdb[1] = BYTE(immed * 2);
    SetBe32(cdb + 2, DWORD(lba));
    SetBe16(cdb + 7, DWORD(nBlocks));
    return SendWithNotReadyRetry(*this, record, cdb, pBuffer, DWORD(nBlocks));
}

// 3B/3C | mode | buffer id | 3-5 offset (24 bits) | 6-8 length (24 bits) | 00
static void BuildBufferCommand(BYTE* cdb, BYTE opcode, BYTE mode, BYTE bufferId, int nOffset, int nLength)
{
    cdb[0] = opcode;
    cdb[1] = mode;
    cdb[2] = bufferId;
    SetBe24(cdb + 3, DWORD(nOffset));
    SetBe24(cdb + 6, DWORD(nLength));
}

ExecStatus CDriveManager::WriteBufferData(CDeviceRecord& record, BYTE mode, BYTE bufferId, int nOffset, int nLength,
                                          BYTE* pBuffer)
{
    BYTE cdb[12] = {0};
    BuildBufferCommand(cdb, 0x3B, BYTE(mode & 7), bufferId, nOffset, nLength);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength) + 4);
}

ExecStatus CDriveManager::WriteBuffer(CDeviceRecord& record, BYTE mode, BYTE bufferId, int nOffset, int nLength,
                                      BYTE* pBuffer)
{
    BYTE cdb[12] = {0};
    BuildBufferCommand(cdb, 0x3B, BYTE(mode & 1), bufferId, nOffset, nLength);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

ExecStatus CDriveManager::ReadBufferData(CDeviceRecord& record, BYTE mode, int nOffset, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0};
    BuildBufferCommand(cdb, 0x3C, BYTE(mode & 7), 0, nOffset, nLength);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength) + 4);
}

ExecStatus CDriveManager::ReadBuffer(CDeviceRecord& record, BYTE mode, BYTE bufferId, int nOffset, int nLength,
                                     BYTE* pBuffer)
{
    BYTE cdb[12] = {0};
    BuildBufferCommand(cdb, 0x3C, BYTE(mode & 1), bufferId, nOffset, nLength);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// A8 | 00 | 2-5 lba | 6-9 blocks | 00 00
ExecStatus CDriveManager::Read12(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xA8};
    SetBe32(cdb + 2, DWORD(lba));
    SetBe32(cdb + 6, DWORD(nBlocks));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nBlocks) * 2048);
}

// AA | 00 | 2-5 lba | 6-9 blocks | 0x80 when streaming | 00; data out
ExecStatus CDriveManager::Write12(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE streaming,
                                  BYTE* pBuffer)
{
    BYTE cdb[12] = {0xAA};
    SetBe32(cdb + 2, DWORD(lba));
    SetBe32(cdb + 6, DWORD(nBlocks));
    if (streaming)
        cdb[10] = 0x80;
    return SendWithWriteRetry(*this, record, cdb, pBuffer, DWORD(nBlocks) * DWORD(nBlockSize));
}

ExecStatus CDriveManager::Write12Sized(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE* pBuffer)
{
    return Write12(record, lba, nBlocks, nBlockSize, 0, pBuffer);
}

// AA | 00 00 | 3-5 lba (24 bits) | 00 | 7-9 blocks (24 bits) | 00 00
ExecStatus CDriveManager::Write12Blocks2048(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xAA};
    SetBe24(cdb + 3, DWORD(lba));
    SetBe24(cdb + 7, DWORD(nBlocks));
    return SendWithWriteRetry(*this, record, cdb, pBuffer, DWORD(nBlocks) * 2048);
}

ExecStatus CDriveManager::Write12Subcode(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer)
{
    return Write12(record, lba, nBlocks, 96, 0, pBuffer);
}

// AF | 00 00 | 3-5 lba (24 bits) | 00 | 7-9 blocks (24 bits) | 00 00
ExecStatus CDriveManager::Verify12(CDeviceRecord& record, long lba, int nBlocks)
{
    BYTE cdb[12] = {0xAF};
    SetBe24(cdb + 3, DWORD(lba));
    SetBe24(cdb + 7, DWORD(nBlocks));
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// BE | 00 | 2-5 lba | 6-8 blocks (24 bits) | 9 flags (sync, headers, user data, EDC/ECC) | 10 sub-channel | 00
static void BuildReadCd(BYTE* cdb, BYTE flags, BYTE subChannel, long lba, int nBlocks)
{
    cdb[0] = 0xBE;
    SetBe32(cdb + 2, DWORD(lba));
    SetBe24(cdb + 6, DWORD(nBlocks));
    cdb[9] = flags;
    cdb[10] = subChannel;
}

ExecStatus CDriveManager::ReadCd(CDeviceRecord& record, BYTE flags, BYTE subChannel, long lba, int nBlocks,
                                 int nBlockSize, BYTE* pBuffer)
{
    BYTE cdb[12] = {0};
    BuildReadCd(cdb, flags, subChannel, lba, nBlocks);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nBlocks) * DWORD(nBlockSize));
}

ExecStatus CDriveManager::ReadCdHeader(CDeviceRecord& record, BYTE flags, BYTE subChannel, long lba, int nBlocks,
                                       BYTE* pBuffer12)
{
    BYTE cdb[12] = {0};
    BuildReadCd(cdb, flags, subChannel, lba, nBlocks);
    return ExecScsiCommand(record, cdb, pBuffer12, 12);
}

// 5B | immed | function (close function code) | 00 | 4-5 track | 00 ..; not-ready retry rule
ExecStatus CDriveManager::CloseTrackSession(CDeviceRecord& record, BYTE immed, BYTE function, int nTrack)
{
    BYTE cdb[12] = {0x5B};
    cdb[1] = immed ? 1 : 0;
    cdb[2] = function;
    SetBe16(cdb + 4, DWORD(nTrack));
    return SendWithNotReadyRetry(*this, record, cdb, nullptr, 0);
}
