// src/drive/SubChannel.cpp
// Sector reads with sub-channel data and the readers built on them: the media catalogue number, track ISRCs and
// the Q track numbers of a run of sectors.
#include "drive/DriveManager.h"

#include <string.h>

#include <vector>

#include "drive/Cdb.h"
#include "drive/DiscText.h"
#include "drive/ModelTable.h"
#include "framework/WindowsVersion.h"

namespace {

const int kSubcodeBlock = 2448;
const int kQBlock = 2368;
const int kBatch = 20;
const int kBatches = 5;

} // namespace

// The maker's audio read (0xD8, sub-code selector 2) first on the drives with vendor information, except on an
// ATA bus (unless listed) and for listed USB models under Windows 9x; then raw reads of the whole run; when that
// fails, sector by sector with the audio read as the last resort. Old-style drives (six-byte forms, not a writer,
// on a bus that passes MODE SELECT(6)) are switched to the raw density (0x82, 2448-byte blocks) for the reads and
// back to 2048-byte blocks afterwards, also when the reads fail. Returns the status of the last read.
ExecStatus CDriveManager::ReadSectorsWithSubcode(CDeviceRecord& record, long lba, int nCount, int nBlockSize,
                                                 BYTE* pBuffer)
{
    ModelRecord row = GetModelRowOrZero(record);
    bool vendor = row.vendorInfo != 0;
    if (vendor && record.m_nBusType == kBusTypeUsb && ContainsModelNumber(row.productId, g_CddaUsbWin9xModels) &&
        AfxIsWin9xPlatform())
        vendor = false;
    if (vendor && ((record.m_nBusType != kBusTypeAta && record.m_nBusType != kBusTypeSerialAta) ||
                   ContainsModelNumber(record.m_szProduct, g_CddaAtaBusModels))) {
        if (ReadCdda(record, lba, nCount, 2, nCount * nBlockSize, pBuffer) == kExecCompleted)
            return kExecCompleted;
    }

    bool switched = SetBlockLength(record, kSubcodeBlock, 0) == kExecCompleted;
    ExecStatus status = ReadRawSectors(record, lba, nCount, nBlockSize, pBuffer);
    if (status != kExecCompleted) {
        for (int i = 0; i < nCount; ++i) {
            BYTE* sector = pBuffer + i * nBlockSize;
            status = ReadRawSectors(record, lba + i, 1, nBlockSize, sector);
            if (status != kExecCompleted)
                status = ReadCdda(record, lba + i, 1, 2, nBlockSize, sector);
        }
    }
    if (switched)
        SetBlockLength(record, 2048, 1);
    return status;
}

// The first sector of the first five batches of 20 from LBA 0 whose Q data has ADR 2 names the catalogue number.
ExecStatus CDriveManager::ReadMediaCatalogNumber(CDeviceRecord& record, BYTE* pRecord24)
{
    memset(pRecord24, 0, 24);
    std::vector<BYTE> toc(804, 0);
    ExecStatus status = ReadToc(record, 0, int(toc.size()), toc.data());
    if (status != kExecCompleted)
        return status;
    std::vector<BYTE> sectors(size_t(kBatch) * kSubcodeBlock);
    for (int batch = 0; batch < kBatches; ++batch) {
        std::fill(sectors.begin(), sectors.end(), 0);
        status = ReadSectorsWithSubcode(record, long(batch * kBatch), kBatch, kSubcodeBlock, sectors.data());
        if (status != kExecCompleted)
            return status;
        for (int i = 0; i < kBatch; ++i) {
            BYTE q[10];
            DecodeSubchannelQ(sectors.data() + i * kSubcodeBlock + 2352, q);
            if ((q[0] & 0x0F) != 2)
                continue;
            char digits[14];
            DecodeQMediaCatalogNumber(q, digits);
            pRecord24[8] = 0x80;
            memcpy(pRecord24 + 9, digits, 13);
            return status;
        }
    }
    return status;
}

// Batches of 20 sectors from the track's start, at most five; the last valid ISRC frame of the first batch that
// holds one gives the ISRC.
ExecStatus CDriveManager::ReadTrackIsrc(CDeviceRecord& record, int nTrack, BYTE* pRecord24)
{
    memset(pRecord24, 0, 24);
    std::vector<BYTE> toc(804, 0);
    ExecStatus status = ReadToc(record, 0, int(toc.size()), toc.data());
    if (status != kExecCompleted)
        return status;
    int index = nTrack - toc[2];
    int held = int(GetBe16(toc.data())) + 2;
    if (held > int(toc.size()))
        held = int(toc.size());
    if (index < 0 || nTrack > toc[3] || 4 + 8 * (index + 1) > held)
        return status;
    long start = ClampToCdRange(long(GetBe32(toc.data() + 4 + 8 * index + 4)));

    std::vector<BYTE> sectors(size_t(kBatch) * kSubcodeBlock);
    for (int batch = 0; batch < kBatches; ++batch) {
        std::fill(sectors.begin(), sectors.end(), 0);
        status = ReadSectorsWithSubcode(record, start + batch * kBatch, kBatch, kSubcodeBlock, sectors.data());
        if (status != kExecCompleted)
            return status;
        bool found = false;
        for (int i = 0; i < kBatch; ++i) {
            BYTE q[10];
            DecodeSubchannelQ(sectors.data() + i * kSubcodeBlock + 2352, q);
            char isrc[13];
            if ((q[0] & 0x0F) != 3 || !DecodeQIsrc(q, isrc))
                continue;
            memcpy(pRecord24 + 9, isrc, 12);
            pRecord24[8] = 0x80;
            found = true;
        }
        if (found)
            return status;
    }
    return status;
}

// The maker's drives with vendor information read the ten sectors with raw sub-channel data; others ask READ CD
// for the formatted Q data and, when that fails, for raw P-W.
void CDriveManager::ReadQTrackNumbers(CDeviceRecord& record, long lba, int* pResults10)
{
    if (lba < 0)
        return;
    ModelRecord row = GetModelRowOrZero(record);
    std::vector<BYTE> sectors(size_t(10) * kSubcodeBlock, 0);
    if (row.vendorInfo) {
        ReadSectorsWithSubcode(record, lba, 10, kSubcodeBlock, sectors.data());
        for (int i = 0; i < 10; ++i) {
            BYTE q[10];
            DecodeSubchannelQ(sectors.data() + i * kSubcodeBlock + 2352, q);
            pResults10[i] = FromBcd(q[1]);
        }
        return;
    }
    if (ReadCd(record, 0xF8, 2, lba, 10, kQBlock, sectors.data()) == kExecCompleted) {
        for (int i = 0; i < 10; ++i)
            pResults10[i] = FromBcd(sectors[size_t(i) * kQBlock + 2352 + 1]);
        return;
    }
    std::fill(sectors.begin(), sectors.end(), 0);
    ReadCd(record, 0xF8, 1, lba, 10, kSubcodeBlock, sectors.data());
    for (int i = 0; i < 10; ++i) {
        BYTE q[10];
        DecodeSubchannelQ(sectors.data() + i * kSubcodeBlock + 2352, q);
        pResults10[i] = FromBcd(q[1]);
    }
}
