// src/drive/CommandTables.cpp
#include "drive/CommandTables.h"

namespace {

// Operation codes that carry data to the drive: FORMAT UNIT, WRITE(6), MODE SELECT(6), SEND DIAGNOSTIC, WRITE(10),
// WRITE BUFFER, SEND OPC INFORMATION, MODE SELECT(10), SEND CUE SHEET, SEND KEY, WRITE(12), SET STREAMING,
// SEND DISC STRUCTURE and the vendor codes D5, E2, E5, F0, FD. Every other code, vendor codes included, is data in.
const uint8_t kDataOutOpcodes[] = {
    0x04, 0x0A, 0x15, 0x1D, 0x2A, 0x3B, 0x54, 0x55, 0x5D, 0xA3, 0xAA, 0xB6, 0xBF, 0xD5, 0xE2, 0xE5, 0xF0, 0xFD,
};

struct DirectionTable {
    bool bOut[256];
    DirectionTable() : bOut()
    {
        for (uint8_t nOpcode : kDataOutOpcodes)
            bOut[nOpcode] = true;
    }
};

const DirectionTable& Directions()
{
    static const DirectionTable table;
    return table;
}

// CDB length by the operation code's group: groups 0 (6 bytes), 1 and 2 (10 bytes), everything above (12 bytes).
const uint8_t kCdbLengthByGroup[8] = {6, 10, 10, 12, 12, 12, 12, 12};

const uint8_t kReadBufferCapacity = 0x5C;
const uint32_t kShortTimeoutSeconds = 30;
const uint32_t kLongTimeoutSeconds = 4800;

} // namespace

bool IsDataOutOpcode(uint8_t nOpcode)
{
    return Directions().bOut[nOpcode];
}

int CdbLengthForOpcode(uint8_t nOpcode)
{
    return kCdbLengthByGroup[nOpcode >> 5];
}

DataDirection CommandDirection(uint8_t nOpcode, const void* pBuffer, uint32_t nLength)
{
    if (pBuffer == nullptr && nLength == 0)
        return kDataNone;
    return IsDataOutOpcode(nOpcode) ? kDataOut : kDataIn;
}

uint32_t PassThroughTimeoutSeconds(uint8_t nOpcode)
{
    return nOpcode == kReadBufferCapacity ? kShortTimeoutSeconds : kLongTimeoutSeconds;
}
