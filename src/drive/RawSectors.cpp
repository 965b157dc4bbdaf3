// src/drive/RawSectors.cpp
// CD sectors in raw form (2352 bytes, or with sub-channel data) on drives of every generation, the mode byte of a
// sector and the run-out blocks at the end of a packet-written track.
#include "drive/DriveManager.h"

#include <string.h>

#include <vector>

#include "drive/Cdb.h"
#include "drive/DiscText.h"
#include "drive/ModelTable.h"

namespace {

const int kRawSector = 2352;

// MODE SELECT(6) of a saved 12-byte header and block descriptor.
ExecStatus SendSavedDescriptor(CDriveManager& manager, CDeviceRecord& record, BYTE* pSaved12)
{
    BYTE cdb[12] = {0x15, 0, 0, 0, 12, 0};
    return manager.ExecScsiCommand(record, cdb, pSaved12, 12);
}

// READ(6) of one or more blocks of the current block length.
ExecStatus Read6(CDriveManager& manager, CDeviceRecord& record, long lba, int nCount, int nBlockSize, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x08};
    SetBe24(cdb + 1, DWORD(lba));
    cdb[4] = BYTE(nCount);
    return manager.ExecScsiCommand(record, cdb, pBuffer, DWORD(nCount) * DWORD(nBlockSize));
}

} // namespace

// READ(6) for six-byte drives that cannot write; READ CD with the header and sub-channel selection of the block
// size for all others: 2352 raw, 2448 raw with P-W, 2646 user data with C2 and block errors, else user data with
// raw P-W.
ExecStatus CDriveManager::ReadRawSectors(CDeviceRecord& record, long lba, int nCount, int nBlockSize, BYTE* pBuffer)
{
    ModelRecord row = GetModelRowOrZero(record);
    if (!row.tenByteCommands && !row.isWriter && !IsDvdWriter(record))
        return Read6(*this, record, lba, nCount, nBlockSize, pBuffer);
    BYTE flags = 0x10;
    BYTE subChannel = 1;
    if (nBlockSize == 2352) {
        flags = 0xF8;
        subChannel = 0;
    } else if (nBlockSize == 2448) {
        flags = 0xF8;
        subChannel = 1;
    } else if (nBlockSize == 2646) {
        flags = 0x10;
        subChannel = 0;
    }
    return ReadCd(record, flags, subChannel, lba, nCount, nBlockSize, pBuffer);
}

// Old-style drives (six-byte forms, not a writer, on a bus that passes MODE SELECT(6)) get the 2352-byte block
// length for the read and their saved header and block descriptor afterwards (2048-byte blocks when the save
// failed), also when the read fails.
ExecStatus CDriveManager::ReadRawSectorsWithBlockLength(CDeviceRecord& record, long lba, int nCount, BYTE* pBuffer)
{
    BYTE saved[12];
    memset(saved, 0, sizeof(saved));
    bool bSaved = ModeSense(record, 0x01, sizeof(saved), saved) == kExecCompleted;
    bool switched = SetBlockLength(record, kRawSector, 1) == kExecCompleted;
    ExecStatus status = ReadRawSectors(record, lba, nCount, kRawSector, pBuffer);
    if (switched && bSaved)
        SendSavedDescriptor(*this, record, saved);
    else if (switched)
        SetBlockLength(record, 2048, 1);
    return status;
}

// One raw sector into a buffer preset to 0xFF; the block length saved with MODE SENSE page 0 is restored.
static bool ReadOneRawSector(CDriveManager& manager, CDeviceRecord& record, long lba, BYTE* pRaw)
{
    BYTE saved[12];
    memset(saved, 0, sizeof(saved));
    bool bSaved = manager.ModeSense(record, 0x00, sizeof(saved), saved) == kExecCompleted;
    bool switched = manager.SetBlockLength(record, kRawSector, 1) == kExecCompleted;
    memset(pRaw, 0xFF, kRawSector);
    ExecStatus status = manager.ReadRawSectors(record, lba, 1, kRawSector, pRaw);
    if (switched && bSaved)
        SendSavedDescriptor(manager, record, saved);
    else if (switched)
        manager.SetBlockLength(record, 2048, 1);
    return status == kExecCompleted;
}

int CDriveManager::GetSectorMode(CDeviceRecord& record, long lba)
{
    BYTE raw[kRawSector];
    if (!ReadOneRawSector(*this, record, lba, raw))
        return -1;
    return raw[15];
}

int CDriveManager::IsMode2Sector(CDeviceRecord& record, long lba)
{
    BYTE raw[kRawSector];
    if (!ReadOneRawSector(*this, record, lba, raw))
        return 0;
    return raw[15] == 2 ? 2 : 6;
}

// Whether the track at nTrackIndex (counted from the first track) is a data track: from its full TOC descriptor
// in session 1, or from its TOC descriptor.
static bool IsDataTrack(CDriveManager& manager, CDeviceRecord& record, int nTrackIndex, BOOL bFullToc)
{
    std::vector<BYTE> toc(804, 0);
    if (manager.ReadToc(record, 0, int(toc.size()), toc.data()) != kExecCompleted)
        return false;
    int held = int(GetBe16(toc.data())) + 2;
    if (held > int(toc.size()))
        held = int(toc.size());
    if (!bFullToc) {
        if (nTrackIndex < 0 || 4 + 8 * (nTrackIndex + 1) > held)
            return false;
        return (toc[4 + 8 * nTrackIndex + 1] & 0x04) != 0;
    }
    int first = toc[6];
    std::vector<BYTE> full(3000, 0);
    if (manager.ReadToc(record, 2, int(full.size()), full.data()) != kExecCompleted)
        return false;
    int count = int(GetBe16(full.data())) / 11;
    int fits = (int(full.size()) - 4) / 11;
    if (count > fits)
        count = fits;
    BYTE point = ToBcd(first + nTrackIndex);
    for (int i = 0; i < count; ++i) {
        const BYTE* d = full.data() + 4 + 11 * i;
        if (d[0] == 1 && d[3] == point)
            return (d[1] & 0x04) != 0;
    }
    return false;
}

// The blocks from the first run-out block (mode byte high nibble 0xE) to the track's end e = start + length - 150,
// looked for among the last 160 sectors before e; 0 when none or not a data track.
int CDriveManager::CountTrackRunOutBlocks(CDeviceRecord& record, int nTrackIndex, long trackStart, long trackLength,
                                          BOOL bFullToc)
{
    ModelRecord row = GetModelRowOrZero(record);
    long end = trackStart + trackLength - 150;
    bool switched = SetBlockLength(record, kRawSector, 1) == kExecCompleted;
    int result = 0;
    if (IsDataTrack(*this, record, nTrackIndex, bFullToc)) {
        BYTE raw[kRawSector];
        for (long lba = end - 160; lba < end; ++lba) {
            memset(raw, 0, sizeof(raw));
            ExecStatus status;
            if (row.tenByteCommands) {
                BYTE cdb[12] = {0xBE};
                SetBe32(cdb + 2, DWORD(lba));
                cdb[8] = 1;
                cdb[9] = 0xF8;
                status = ExecScsiCommand(record, cdb, raw, sizeof(raw));
            } else
                status = Read6(*this, record, lba, 1, kRawSector, raw);
            if (status != kExecCompleted || (raw[15] & 0xF0) == 0xE0) {
                result = int(end - lba);
                break;
            }
        }
    }
    if (switched)
        SetBlockLength(record, 2048, 1);
    return result;
}
