// src/drive/AtaPassThrough.h
// ATA-level requests through the drive-letter device: IDE pass-through and SMART.
#ifndef TAVISK_DRIVE_ATAPASSTHROUGH_H
#define TAVISK_DRIVE_ATAPASSTHROUGH_H

#include <windows.h>

#include "drive/DeviceRecord.h"

// IDE register block: features, sector count, sector number, cylinder low, cylinder high, drive/head, command,
// reserved.
const int kIdeRegisterCount = 8;
const int kAtaCommandRegister = 6;
const int kAtaFeaturesRegister = 0;
const int kSmartDataSize = 512;

// Sends the IDE registers and input data with IOCTL_IDE_PASS_THROUGH; IDENTIFY DEVICE (0xEC) and IDENTIFY PACKET
// DEVICE (0xA1) rescan the bus and wait 500 ms first. Returns 1 or 0. With an output buffer, the caller's buffer is
// cleared and filled with what came back (at most nOutLength bytes); the result is 0 when no data came back.
int AtaPassThrough(const CDeviceRecord& record, const BYTE* pRegisters, const void* pIn, DWORD nInLength, void* pOut,
                   DWORD nOutLength);

// Sends a SMART request: SMART_SEND_DRIVE_COMMAND when the features register is 0xDA (RETURN STATUS), else
// SMART_RCV_DRIVE_DATA. Returns 1 (data copied, at most min(nOutLength, 512) bytes) or 0.
int SmartDriveCommand(const CDeviceRecord& record, const BYTE* pRegisters, void* pOut, DWORD nOutLength);

#endif
