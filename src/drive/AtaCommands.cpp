// src/drive/AtaCommands.cpp
// ATA commands sent through the IDE pass-through and the SMART requests. Registers in the order features, sector
// count, sector number, cylinder low, cylinder high, drive/head, command, reserved.
#include "drive/DriveManager.h"

#include <string.h>

#include "drive/AtaPassThrough.h"

// Drive/head register of the vendor commands: the slave device (0xB0) for an odd drive-letter index, else the
// master (0xA0).
static BYTE VendorDriveHead(const CDeviceRecord& record)
{
    return (record.m_nDriveLetter & 1) ? 0xB0 : 0xA0;
}

// IDENTIFY DEVICE: 00 01 01 00 00 A0 EC. Windows 2000 answers it only through the SMART request (which needs a
// 512-byte buffer); every other system through the IDE pass-through with the buffer as input and output.
int CDriveManager::AtaIdentifyDevice(CDeviceRecord& record, int nLength, BYTE* pBuffer)
{
    const BYTE registers[kIdeRegisterCount] = {0, 1, 1, 0, 0, 0xA0, 0xEC, 0};
    if (g_bIsWindows2000 == 1) {
        if (nLength < kSmartDataSize)
            return 0;
        memset(pBuffer, 0, nLength);
        return SmartDriveCommand(record, registers, pBuffer, DWORD(nLength));
    }
    if (nLength > 0)
        memset(pBuffer, 0, nLength);
    return AtaPassThrough(record, registers, pBuffer, DWORD(nLength), pBuffer, DWORD(nLength));
}

// SMART: feature 01 01 4F C2 00 B0; refused (0) for buffers shorter than 512 bytes.
int CDriveManager::AtaSmartCommand(CDeviceRecord& record, BYTE feature, int nLength, BYTE* pBuffer)
{
    const BYTE registers[kIdeRegisterCount] = {feature, 1, 1, 0x4F, 0xC2, 0, 0xB0, 0};
    if (nLength < kSmartDataSize)
        return 0;
    memset(pBuffer, 0, nLength);
    return SmartDriveCommand(record, registers, pBuffer, DWORD(nLength));
}

// READ SECTORS in LBA mode: 00 count lba0-7 lba8-15 lba16-23 (40 | lba24-27) 20; count × sectorSize bytes.
int CDriveManager::AtaReadSectors(CDeviceRecord& record, DWORD lba, BYTE count, int nSectorSize, BYTE* pBuffer)
{
    const BYTE registers[kIdeRegisterCount] = {
        0, count, BYTE(lba), BYTE(lba >> 8), BYTE(lba >> 16), BYTE(0x40 | ((lba >> 24) & 0x0F)), 0x20, 0};
    DWORD length = DWORD(count) * DWORD(nSectorSize > 0 ? nSectorSize : 0);
    if (length > 0)
        memset(pBuffer, 0, length);
    return AtaPassThrough(record, registers, nullptr, 0, pBuffer, length);
}

// Vendor command F1: a 256-byte parameter block goes out (byte 0 = flag A, byte 1 = flag B, then the first
// min(count, 32) bytes of data copied over it from byte 0); outLength bytes come back into data.
int CDriveManager::AtaVendorF1(CDeviceRecord& record, BYTE flagA, BYTE flagB, int nCount, int nOutLength, BYTE* pData)
{
    const BYTE registers[kIdeRegisterCount] = {0, 0, 0, 0, 0, VendorDriveHead(record), 0xF1, 0};
    BYTE block[256];
    memset(block, 0, sizeof(block));
    block[0] = flagA ? 1 : 0;
    block[1] = flagB ? 1 : 0;
    int copy = nCount < 32 ? nCount : 32;
    if (copy > 0)
        memcpy(block, pData, copy);
    return AtaPassThrough(record, registers, block, sizeof(block), pData, DWORD(nOutLength > 0 ? nOutLength : 0));
}

// Vendor command F2: the cleared buffer goes out and comes back.
int CDriveManager::AtaVendorF2(CDeviceRecord& record, int nLength, BYTE* pBuffer)
{
    const BYTE registers[kIdeRegisterCount] = {0, 0, 0, 0, 0, VendorDriveHead(record), 0xF2, 0};
    if (nLength > 0)
        memset(pBuffer, 0, nLength);
    return AtaPassThrough(record, registers, pBuffer, DWORD(nLength), pBuffer, DWORD(nLength));
}
