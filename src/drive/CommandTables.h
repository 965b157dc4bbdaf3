// src/drive/CommandTables.h
// Facts of an operation code that the transport needs: data direction, CDB length, pass-through time-out.
// Free of <windows.h>.
#ifndef TAVISK_DRIVE_COMMANDTABLES_H
#define TAVISK_DRIVE_COMMANDTABLES_H

#include <cstdint>

enum DataDirection {
    kDataNone = 0, // no buffer and length 0
    kDataIn = 1,   // drive to host
    kDataOut = 2   // host to drive
};

// True for the operation codes that send data to the drive (256-entry table).
bool IsDataOutOpcode(uint8_t nOpcode);

// 6 below 0x20, 10 from 0x20 to 0x5F, 12 from 0x60.
int CdbLengthForOpcode(uint8_t nOpcode);

// Direction of a command: none when both the buffer and the length are 0, else by the operation code.
DataDirection CommandDirection(uint8_t nOpcode, const void* pBuffer, uint32_t nLength);

// Pass-through time-out: 30 seconds for READ BUFFER CAPACITY (0x5C), 4800 seconds otherwise.
uint32_t PassThroughTimeoutSeconds(uint8_t nOpcode);

#endif
