// src/drive/ModePages.cpp
// MODE SENSE and MODE SELECT in the six- or ten-byte form with the conversion to the six-byte layout callers
// work with, the maker's vendor page 0x30 adjustments, the READ(6)/SEEK(6) choices and READ TOC/PMA/ATIP with
// its ATIP correction.
#include "drive/DriveManager.h"

#include <string.h>

#include "drive/Cdb.h"
#include "drive/ModelTable.h"

// Buffer of a ten-byte MODE SENSE answer: the largest allocation a caller can ask for (one byte).
const int kModeSense10Buffer = 256;
// Buffer of a ten-byte MODE SELECT list: 8-byte header and the largest page (length byte 255, plus 2).
const int kModeSelect10Buffer = 8 + 255 + 2;

// Offsets of the six-byte layout: 4-byte header, 8-byte block descriptor, then the page.
const int kSixByteHeader = 4;
const int kSixBytePageOffset = 12;

// The ten-byte forms serve drives whose model row asks for them and every drive behind a USB or IEEE 1394
// bridge or reached only through its drive letter.
static bool UsesTenByteModeCommands(const ModelRecord& row, const CDeviceRecord& record)
{
    return row.tenByteCommands != 0 || record.m_nBusType == kBusTypeUsb || record.m_nBusType == kBusType1394 ||
           record.m_nBusType == kBusTypeLetterOnly;
}

// 5A | 00 | page | 00 00 00 00 | 00 | 8 length | 00 (the allocation length travels in byte 8 alone)
ExecStatus CDriveManager::ModeSense10(CDeviceRecord& record, BYTE page, BYTE nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0x5A};
    cdb[2] = page;
    cdb[8] = nLength;
    return ExecScsiCommand(record, cdb, pBuffer, nLength);
}

// Converts a ten-byte MODE SENSE answer (8-byte header, block descriptors of bd bytes, pages) into the six-byte
// layout of nLength bytes: mode data length = answer byte 1 + 4, medium type 0, the device-specific byte kept,
// one 8-byte block descriptor announced and its first four bytes cleared, and from
// offset 8 the answer from offset 4 + bd on, so that the first page lands at offset 12 (offsets 8-11 receive the
// four answer bytes before the page). Only bytes inside the allocation the drive was given are copied; bytes a
// block descriptor length points beyond it become 0. Nothing is written past nLength.
static void ConvertModeSense10Answer(const BYTE* pAnswer, DWORD nBlockDescriptorLength, BYTE nLength, BYTE* pOut)
{
    BYTE header[8];
    memcpy(header, pAnswer, 4);
    header[0] = BYTE(pAnswer[1] + 4);
    header[1] = 0;
    header[3] = 8;
    memset(header + 4, 0, 4);
    memcpy(pOut, header, nLength < 8 ? nLength : 8);
    for (DWORD i = 8; i < nLength; ++i) {
        DWORD source = 4 + nBlockDescriptorLength + (i - 8);
        pOut[i] = source < nLength ? pAnswer[source] : 0;
    }
}

// Reads a mode page into the six-byte layout (see the header). Six-byte drives answer MODE SENSE(6) straight
// into the caller's buffer. Ten-byte drives answer MODE SENSE(10) into a cleared internal buffer, which is
// converted; a failed read still leaves the converted layout (block descriptor length taken as 0).
//
// Two listed families report the BUFE bit of page 5 (byte 2, bit 6) and the BUF bit of page 0x2A (byte 4, bit 7)
// only in the maker's vendor page 0x30 (byte 3 bit 0 and byte 2 bit 0): after a read of page 5 or 0x2A the
// vendor page is read as well and, when that succeeds, the bit is copied into the caller's page. The status of
// the page read is returned; the vendor read does not change it.
ExecStatus CDriveManager::ModeSense(CDeviceRecord& record, BYTE page, BYTE nLength, BYTE* pBuffer)
{
    ModelRecord row = GetModelRowOrZero(record);
    if (!UsesTenByteModeCommands(row, record)) {
        BYTE cdb[12] = {0x1A};
        cdb[2] = page;
        cdb[4] = nLength;
        return ExecScsiCommand(record, cdb, pBuffer, nLength);
    }

    BYTE answer[kModeSense10Buffer];
    memset(answer, 0, sizeof(answer));
    ExecStatus status = ModeSense10(record, page, nLength, answer);
    DWORD bd = status == kExecCompleted ? GetBe16(answer + 6) : 0;
    ConvertModeSense10Answer(answer, bd, nLength, pBuffer);

    if ((page == 0x05 || page == 0x2A) && ContainsModelNumber(row.productId, g_VendorPage30Families)) {
        BYTE vendor[32];
        memset(vendor, 0, sizeof(vendor));
        if (ModeSense(record, 0x30, sizeof(vendor), vendor) == kExecCompleted) {
            if (page == 0x05 && nLength > 14)
                pBuffer[14] = BYTE((pBuffer[14] & ~0x40) | ((vendor[15] & 1) << 6));
            else if (page == 0x2A && nLength > 16)
                pBuffer[16] = BYTE((pBuffer[16] & ~0x80) | ((vendor[14] & 1) << 7));
        }
    }
    return status;
}

// Sends one mode page given in the six-byte layout (4-byte header whose byte 3 is the block descriptor length,
// the block descriptors, one page). Six-byte drives get MODE SELECT(6) with the caller's list, except that a
// writer's 12-byte list (header and block descriptor only) is not sent. Ten-byte drives never get a 12-byte
// list; for them the page is moved behind an 8-byte header in an internal list and sent with MODE SELECT(10)
// (PF set). Page bytes that the page length announces beyond the caller's list length go out as 0, and a list
// shorter than its header, or whose page header lies outside it, is refused (0), so the caller's buffer is never
// read past its length.
//
// After a successful page 5 the two vendor page 0x30 families also get their vendor page, carrying the BUFE bit
// of the page just sent: 30 0E 01 BUFE and 12 zero bytes behind an empty 8-byte header.
ExecStatus CDriveManager::ModeSelect(CDeviceRecord& record, BYTE nLength, BYTE* pBuffer)
{
    ModelRecord row = GetModelRowOrZero(record);
    if (!UsesTenByteModeCommands(row, record)) {
        if (nLength == 12 && row.isWriter == 1)
            return 0;
        BYTE cdb[12] = {0x15};
        cdb[4] = nLength;
        return ExecScsiCommand(record, cdb, pBuffer, nLength);
    }
    if (nLength == 12 || nLength < kSixByteHeader)
        return 0;

    DWORD p = kSixByteHeader + DWORD(pBuffer[3]);
    if (p + 2 > nLength)
        return 0;
    DWORD n = pBuffer[p + 1];
    BYTE list[kModeSelect10Buffer];
    memset(list, 0, sizeof(list));
    list[1] = BYTE(n + 2);
    for (DWORD i = 0; i < n + 2 && p + i < nLength; ++i)
        list[8 + i] = pBuffer[p + i];
    DWORD listLength = n + 10;

    BYTE cdb[12] = {0x55};
    cdb[1] = 0x10;
    SetBe16(cdb + 7, listLength);
    ExecStatus status = ExecScsiCommand(record, cdb, list, listLength);
    if (status != kExecCompleted || list[8] != 0x05)
        return status;
    if (!ContainsModelNumber(row.productId, g_VendorPage30Families))
        return status;

    BYTE vendor[24];
    memset(vendor, 0, sizeof(vendor));
    vendor[8] = 0x30;
    vendor[9] = 0x0E;
    vendor[10] = 1;
    vendor[11] = (list[10] & 0x40) ? 1 : 0;
    BYTE cdb2[12] = {0x55};
    cdb2[1] = 0x10;
    SetBe16(cdb2 + 7, sizeof(vendor));
    return ExecScsiCommand(record, cdb2, vendor, sizeof(vendor));
}

// 08 | lba bits 16-23 (whole byte) | bits 8-15 | bits 0-7 | blocks | 00
static void BuildRead6(BYTE* cdb, long lba, int nBlocks)
{
    cdb[0] = 0x08;
    SetBe24(cdb + 1, DWORD(lba));
    cdb[4] = BYTE(nBlocks);
}

// READ(6) for the six-byte models, READ(10) for the ten-byte ones (the bus is not consulted here).
ExecStatus CDriveManager::ReadBlocks(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer)
{
    ModelRecord row = GetModelRowOrZero(record);
    if (row.tenByteCommands)
        return Read10(record, lba, nBlocks, pBuffer);
    BYTE cdb[12] = {0};
    BuildRead6(cdb, lba, nBlocks);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nBlocks) * 2048);
}

// READ(6) of blocks of the current block length, or READ CD: raw 2352-byte sectors with sync, headers, user
// data and EDC/ECC (0xF8), any other size as user data only (0x10).
ExecStatus CDriveManager::ReadSectors(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE useReadCd,
                                      BYTE* pBuffer)
{
    if (useReadCd != 1) {
        BYTE cdb[12] = {0};
        BuildRead6(cdb, lba, nBlocks);
        return ExecScsiCommand(record, cdb, pBuffer, DWORD(nBlocks) * DWORD(nBlockSize));
    }
    if (nBlockSize == 2352)
        return ReadCd(record, 0xF8, 0, lba, nBlocks, 2352, pBuffer);
    return ReadCd(record, 0x10, 0, lba, nBlocks, nBlockSize, pBuffer);
}

// 0B | lba bits 16-23 | bits 8-15 | bits 0-7 | 00 00 for the six-byte models, SEEK(10) for the others.
ExecStatus CDriveManager::Seek(CDeviceRecord& record, long lba)
{
    ModelRecord row = GetModelRowOrZero(record);
    if (row.tenByteCommands)
        return Seek10(record, lba);
    BYTE cdb[12] = {0x0B};
    SetBe24(cdb + 1, DWORD(lba));
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// 43 | 00 | format | 00 00 00 | track/session | 7-8 length | 00
//
// ATIP correction: some drives report the last possible start of the lead-out of a CD-R (not a CD-RW) wrongly
// in the ATIP when the disc's A1 values are valid (ATIP byte 2 bit 2) and set (low nibble of answer byte 18);
// the value of READ DISC INFORMATION (bytes 21-23, minute, second, frame) then replaces ATIP bytes 12-14.
// The correction needs answer byte 18, so it applies only to allocations of at least 19 bytes.
ExecStatus CDriveManager::ReadTocPmaAtip(CDeviceRecord& record, BYTE format, BYTE trackSession, int nLength,
                                         BYTE* pBuffer)
{
    BYTE cdb[12] = {0x43};
    cdb[2] = format;
    cdb[6] = trackSession;
    SetBe16(cdb + 7, DWORD(nLength));
    ExecStatus status = ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
    if (format != 4 || status != kExecCompleted || nLength < 19)
        return status;
    BYTE f = pBuffer[6];
    if ((f & 0x40) != 0 || (f & 0x04) == 0 || (pBuffer[18] & 0x0F) == 0)
        return status;
    BYTE info[40];
    memset(info, 0, sizeof(info));
    if (ReadDiscInfo(record, sizeof(info), info) == status)
        memcpy(pBuffer + 12, info + 21, 3);
    return status;
}
