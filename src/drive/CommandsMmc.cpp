// src/drive/CommandsMmc.cpp
// The MMC commands of the drive command set from READ SUB-CHANNEL on, with the answer corrections of GET
// PERFORMANCE and the DVD sector mapping. Each builder names its CDB bytes; bytes not named are 0.
#include "drive/DriveManager.h"

#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "drive/ModelTable.h"

// 42 | msf * 2 | subQ * 64 | format | 00 00 | track | 7-8 length | 00
ExecStatus CDriveManager::ReadSubChannel(CDeviceRecord& record, BYTE subQ, BYTE msf, BYTE format, BYTE track,
                                         int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x42};
    cdb[1] = BYTE((msf & 1) * 2);
    cdb[2] = BYTE((subQ & 1) * 64);
    cdb[3] = format;
    cdb[6] = track;
    SetBe16(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// 43 | 00 | 05 (CD-TEXT) | 00 00 00 00 | 7-8 length | 00
ExecStatus CDriveManager::ReadCdText(CDeviceRecord& record, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x43};
    cdb[2] = 5;
    SetBe16(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// 44 | msf * 2 | 00 | 3-5 lba (24 bits) | 00 | 7-8 count | 00; 8 bytes per header
ExecStatus CDriveManager::ReadHeader(CDeviceRecord& record, BYTE msf, long lba, int nCount, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x44};
    cdb[1] = BYTE((msf & 1) * 2);
    SetBe24(cdb + 3, DWORD(lba));
    SetBe16(cdb + 7, DWORD(nCount));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nCount) * 8);
}

// 45 | 00 00 | 3-5 lba (24 bits) | 00 | 7-8 length | 00
ExecStatus CDriveManager::PlayAudio10(CDeviceRecord& record, long lba, int nLength)
{
    BYTE cdb[12] = {0x45};
    SetBe24(cdb + 3, DWORD(lba));
    SetBe16(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 46 | rt | 2-3 starting feature | 00 00 00 | 7-8 length | 00
ExecStatus CDriveManager::GetConfiguration(CDeviceRecord& record, int nFeature, BYTE rt, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x46};
    cdb[1] = rt;
    SetBe16(cdb + 2, DWORD(nFeature));
    SetBe16(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// 47 | 00 00 | start M S F | end M S F | 00
ExecStatus CDriveManager::PlayAudioMsf(CDeviceRecord& record, BYTE startM, BYTE startS, BYTE startF, BYTE endM,
                                       BYTE endS, BYTE endF)
{
    BYTE cdb[12] = {0x47};
    cdb[3] = startM;
    cdb[4] = startS;
    cdb[5] = startF;
    cdb[6] = endM;
    cdb[7] = endS;
    cdb[8] = endF;
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 48 | 00 00 00 | start track | start index | 00 | end track | end index 1 | 00
ExecStatus CDriveManager::PlayAudioTrackIndex(CDeviceRecord& record, BYTE startTrack, BYTE startIndex, BYTE endTrack)
{
    BYTE cdb[12] = {0x48};
    cdb[4] = startTrack;
    cdb[5] = startIndex;
    cdb[7] = endTrack;
    cdb[8] = 1;
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 49 | 00 00 | 3-5 relative lba (24 bits) | track | 7-8 length | 00
ExecStatus CDriveManager::PlayTrackRelative10(CDeviceRecord& record, BYTE track, long lba, int nLength)
{
    BYTE cdb[12] = {0x49};
    SetBe24(cdb + 3, DWORD(lba));
    cdb[6] = track;
    SetBe16(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 4A | polled | 00 00 | class request | 00 00 | 7-8 length | 00
ExecStatus CDriveManager::GetEventStatusNotification(CDeviceRecord& record, BYTE polled, BYTE classRequest, int nLength,
                                                     BYTE* pBuffer)
{
    BYTE cdb[12] = {0x4A};
    cdb[1] = polled ? 1 : 0;
    cdb[4] = classRequest;
    SetBe16(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// 4B | 00 .. 00 | 8 resume | 00
ExecStatus CDriveManager::PauseAudio(CDeviceRecord& record)
{
    BYTE cdb[12] = {0x4B};
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

ExecStatus CDriveManager::ResumeAudio(CDeviceRecord& record)
{
    BYTE cdb[12] = {0x4B};
    cdb[8] = 1;
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 51 | 00 .. 00 | 7-8 length | 00
ExecStatus CDriveManager::ReadDiscInformation(CDeviceRecord& record, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x51};
    SetBe16(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

ExecStatus CDriveManager::ReadDiscInfo(CDeviceRecord& record, int nLength, BYTE* pBuffer)
{
    return ReadDiscInformation(record, nLength, pBuffer);
}

// Disc status (answer byte 2, bits 1-0) 0 means an empty disc.
BOOL CDriveManager::IsDiscBlank(CDeviceRecord& record)
{
    BYTE info[8];
    memset(info, 0, sizeof(info));
    return ReadDiscInformation(record, sizeof(info), info) == kExecCompleted && (info[2] & 3) == 0;
}

// 52 | address type | 2-5 number (LBA, track or session) | 00 | 7-8 length | 00
ExecStatus CDriveManager::ReadTrackInformation(CDeviceRecord& record, BYTE addressType, long number, int nLength,
                                               BYTE* pBuffer)
{
    BYTE cdb[12] = {0x52};
    cdb[1] = addressType;
    SetBe32(cdb + 2, DWORD(number));
    SetBe16(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// 53 | 00 .. 00 | 6-8 size (24 bits) | 00
ExecStatus CDriveManager::ReserveTrack(CDeviceRecord& record, int nSize)
{
    BYTE cdb[12] = {0x53};
    SetBe24(cdb + 6, DWORD(nSize));
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 54 | doOpc | 00 .. 00 | 7-8 length | 00; data out
ExecStatus CDriveManager::SendOpcInformation(CDeviceRecord& record, BYTE doOpc, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x54};
    cdb[1] = doOpc;
    SetBe16(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// 58 | 00 .. 00 | 5 track (low byte) | 00 ..
ExecStatus CDriveManager::RepairTrack(CDeviceRecord& record, int nTrack)
{
    BYTE cdb[12] = {0x58};
    cdb[5] = BYTE(nTrack);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 5B | 00 | sessionBit * 2 + trackBit | 00 00 | 5 track | 00 ..; no retry
ExecStatus CDriveManager::CloseTrackSessionOnce(CDeviceRecord& record, BYTE sessionBit, BYTE trackBit, int nTrack)
{
    BYTE cdb[12] = {0x5B};
    cdb[2] = BYTE(sessionBit * 2 + trackBit);
    cdb[5] = BYTE(nTrack);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 5C | 00 .. 00 | 8 = 12 | 00
ExecStatus CDriveManager::ReadBufferCapacity(CDeviceRecord& record, BYTE* pBuffer12)
{
    BYTE cdb[12] = {0x5C};
    cdb[8] = 12;
    return ExecScsiCommand(record, cdb, pBuffer12, 12);
}

// 5D | 00 .. 00 | 6-8 length (24 bits) | 00; data out
ExecStatus CDriveManager::SendCueSheet(CDeviceRecord& record, int nLength, BYTE* pSheet)
{
    BYTE cdb[12] = {0x5D};
    SetBe24(cdb + 6, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pSheet, DWORD(nLength));
}

// A1 | type (| 0x10 Immed) | 2-5 start address | 00 ..
static void BuildBlank(BYTE* cdb, BYTE byte1, long start)
{
    cdb[0] = 0xA1;
    cdb[1] = byte1;
    SetBe32(cdb + 2, DWORD(start));
}

ExecStatus CDriveManager::Blank(CDeviceRecord& record, long start, BYTE type)
{
    BYTE cdb[12] = {0};
    BuildBlank(cdb, BYTE(type | 0x10), start);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

ExecStatus CDriveManager::BlankNoImmed(CDeviceRecord& record, long start, BYTE type)
{
    BYTE cdb[12] = {0};
    BuildBlank(cdb, type, start);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

ExecStatus CDriveManager::BlankNoImmed2(CDeviceRecord& record, long start, BYTE type)
{
    return BlankNoImmed(record, start, type);
}

// A3 | 00 .. 00 | 8-9 length | 10 keyFormat | agid (already in bits 6-7) | 00; data out
ExecStatus CDriveManager::SendKey(CDeviceRecord& record, BYTE keyFormat, BYTE agid, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xA3};
    SetBe16(cdb + 8, DWORD(nLength));
    cdb[10] = BYTE(keyFormat | agid);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// A4 | 00 | 2-5 lba | 00 | 7 key class | 8-9 length | 10 keyFormat | agid | 00
ExecStatus CDriveManager::ReportKey(CDeviceRecord& record, long lba, BYTE keyFormat, BYTE agid, BYTE keyClass,
                                    int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xA4};
    SetBe32(cdb + 2, DWORD(lba));
    cdb[7] = keyClass;
    SetBe16(cdb + 8, DWORD(nLength));
    cdb[10] = BYTE(keyFormat | agid);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// A5 | 00 00 | 3-5 lba (24 bits) | 00 | 7-9 length (24 bits) | 00 00
ExecStatus CDriveManager::PlayAudio12(CDeviceRecord& record, long lba, int nLength)
{
    BYTE cdb[12] = {0xA5};
    SetBe24(cdb + 3, DWORD(lba));
    SetBe24(cdb + 7, DWORD(nLength));
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// A9 | 00 00 | 3-5 lba (24 bits) | 00 | 7-9 length (24 bits) | 10 track | 00
ExecStatus CDriveManager::PlayTrackRelative12(CDeviceRecord& record, BYTE track, long lba, int nLength)
{
    BYTE cdb[12] = {0xA9};
    SetBe24(cdb + 3, DWORD(lba));
    SetBe24(cdb + 7, DWORD(nLength));
    cdb[10] = track;
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// Number of whole 16-byte descriptors of a GET PERFORMANCE answer that were asked for, lie inside the
// allocation and are announced by the performance data length (bytes 0-3, the full 32 bits: real drives report
// every descriptor they have, also when the allocation holds fewer).
int PerformanceDescriptorCount(const BYTE* pAnswer, int nRequested, DWORD nAllocation)
{
    DWORD length = GetBe32(pAnswer);
    if (length < 4 || nAllocation < 8)
        return 0;
    DWORD announced = (length - 4) / 16;
    DWORD fits = (nAllocation - 8) / 16;
    DWORD n = announced < fits ? announced : fits;
    if (n > DWORD(nRequested))
        n = DWORD(nRequested);
    return int(n);
}

// AC | data type (| 0x10 for one family) | 2-5 lba | 00 00 00 | 9 max descriptors | 10 type | 00;
// 16 × max + 12 bytes in. The answer is corrected per model: four families report performance on a basis of
// 1350 KB/s per X, restated here for the program's 1385 KB/s per X (exact integer arithmetic, truncated); one
// family reports the write speeds 3245 and 5408 KB/s for what the rest of the program counts as 3324 and 5540.
// Only descriptors inside the caller's allocation are touched.
ExecStatus CDriveManager::GetPerformance(CDeviceRecord& record, long lba, BYTE dataType, BYTE maxDescriptors, BYTE type,
                                         BYTE* pBuffer)
{
    BYTE cdb[12] = {0xAC};
    cdb[1] = dataType;
    if (ContainsModelNumber(record.m_szProduct, g_PerfDataTypeFamily))
        cdb[1] |= 0x10;
    SetBe32(cdb + 2, DWORD(lba));
    cdb[9] = maxDescriptors;
    cdb[10] = type;
    DWORD allocation = 16 * DWORD(maxDescriptors) + 12;
    ExecStatus status = ExecScsiCommand(record, cdb, pBuffer, allocation);
    if (status != kExecCompleted)
        return status;

    int n = PerformanceDescriptorCount(pBuffer, maxDescriptors, allocation);
    for (int i = 0; i < n; ++i) {
        BYTE* descriptor = pBuffer + 8 + 16 * i;
        if (type == 0 && ContainsModelNumber(record.m_szProduct, g_Perf1350Families)) {
            SetBe32(descriptor + 4, DWORD(GetBe32(descriptor + 4) * 1385ULL / 1350));
            SetBe32(descriptor + 12, DWORD(GetBe32(descriptor + 12) * 1385ULL / 1350));
        } else if (type == 3 && ContainsModelNumber(record.m_szProduct, g_PerfWriteSpeedFamily)) {
            DWORD speed = GetBe32(descriptor + 12);
            if (speed == 3245)
                SetBe32(descriptor + 12, 3324);
            else if (speed == 5408)
                SetBe32(descriptor + 12, 5540);
        }
    }
    return status;
}

// AD | 00 | 2-5 address | 6 layer | 7 format | 8-9 length | 00
ExecStatus CDriveManager::ReadDiscStructure(CDeviceRecord& record, BYTE format, BYTE layer, long address, int nLength,
                                            BYTE* pBuffer)
{
    BYTE cdb[12] = {0xAD};
    SetBe32(cdb + 2, DWORD(address));
    cdb[6] = layer;
    cdb[7] = format;
    SetBe16(cdb + 8, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// Physical sector number of a DVD LBA. Single-layer discs (neither bit 5 nor 6 of the layer byte, answer byte 6)
// and layer-0 addresses start at 0x30000; on an opposite-track-path second layer the address runs back from the
// layer-0 end sector (answer bytes 17-19). A failed read leaves the cleared answer: single layer.
DWORD CDriveManager::DvdLbaToPhysicalSector(CDeviceRecord& record, DWORD lba)
{
    BYTE answer[300];
    memset(answer, 0, sizeof(answer));
    ReadDiscStructure(record, 0, 0, 0, sizeof(answer), answer);
    if ((answer[6] & 0x60) == 0)
        return lba + 0x30000;
    DWORD layer0Sectors = GetBe24(answer + 17) - 0x2FFFF;
    if (lba <= layer0Sectors)
        return lba + 0x30000;
    return lba + (0x7E8000 - layer0Sectors) * 2;
}

// B6 | 00 .. 00 | 9-10 length | 00; data out (the performance descriptor)
ExecStatus CDriveManager::SetStreaming(CDeviceRecord& record, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xB6};
    SetBe16(cdb + 9, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// BF | 00 .. 00 | 7 format | 8-9 length | 00 00; data out
ExecStatus CDriveManager::SendDiscStructure(CDeviceRecord& record, BYTE format, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xBF};
    cdb[7] = format;
    SetBe16(cdb + 8, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}
