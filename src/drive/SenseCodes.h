// src/drive/SenseCodes.h
// SenseCode: (sense byte 2 << 16) | (ASC << 8) | ASCQ of a record's last sense data, byte 2 taken whole, and the
// table that picks a message string for it. Free of <windows.h>.
#ifndef TAVISK_DRIVE_SENSECODES_H
#define TAVISK_DRIVE_SENSECODES_H

#include <cstdint>

#include "drive/DeviceRecord.h"

// The SenseCode of fixed-format sense bytes (at least 14 bytes).
int32_t SenseCodeFromBytes(const uint8_t* pSense);

// The SenseCode of the record's last command.
int32_t GetSenseCode(const CDeviceRecord& record);

// The string id (103-127, see res/resource.h IDS_SENSE_*) of the message for a SenseCode.
int SenseMessageStringId(int32_t nSenseCode);

#endif
