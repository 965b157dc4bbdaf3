// tests/transfer/EmuLetterCommand.h
// One command to this module's emulated machine as the drive-letter front end sends it (letter E:), for the tests
// of the emulator itself.
#ifndef TAVISK_TESTS_TRANSFER_EMULETTERCOMMAND_H
#define TAVISK_TESTS_TRANSFER_EMULETTERCOMMAND_H

#include "EmuMachine.h" // first: it includes windows.h before the machine interface

#include <cstring>

inline EmuScsiResult EmuLetterCommand(int nDrive, const uint8_t* pCdb, int nCdbLength, int nDirection = kEmuDirNone,
                                      uint8_t* pData = nullptr, uint32_t nLength = 0)
{
    EmuScsiRequest request;
    std::memset(&request, 0, sizeof(request));
    request.nDrive = nDrive;
    request.nFrontEnd = kEmuFrontLetter;
    request.nLetter = 4;
    request.nAdapter = -1;
    request.pCdb = pCdb;
    request.nCdbLength = nCdbLength;
    request.nDirection = nDirection;
    request.pData = pData;
    request.nLength = nLength;
    return CEmuMachine::Instance().ExecuteScsi(request);
}

#endif
