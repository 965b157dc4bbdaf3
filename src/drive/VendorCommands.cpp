// src/drive/VendorCommands.cpp
// The maker's vendor commands (operation codes 0xCD and 0xD8 to 0xFD, all with 12-byte CDBs) and the recorder
// identification readers built on READ CD. Each builder names its CDB bytes; bytes not named are 0, bytes 10 and
// 11 included. Nothing here retries.
#include "drive/DriveManager.h"

#include <stdio.h>
#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "drive/ModelTable.h"
#include "framework/Clock.h"

// CD | (flag & 1) * 16 + (mode & 7) | 00 | 3-4 value bits 16-23, 8-15 (0 when width is 2) | 5 value bits 0-7
ExecStatus CDriveManager::VendorCd(CDeviceRecord& record, BYTE flag, BYTE mode, DWORD value, int nWidth)
{
    BYTE cdb[12] = {0xCD};
    cdb[1] = BYTE((flag & 1) * 16 + (mode & 7));
    if (nWidth != 2) {
        cdb[3] = BYTE(value >> 16);
        cdb[4] = BYTE(value >> 8);
    }
    cdb[5] = BYTE(value);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// D8 | 00 | 2-5 lba | 6-9 blocks | 10 sub-code selection | 00; raw audio, the caller sizes the data
ExecStatus CDriveManager::ReadCdda(CDeviceRecord& record, long lba, int nBlocks, BYTE subCode, int nLength,
                                   BYTE* pBuffer)
{
    BYTE cdb[12] = {0xD8};
    SetBe32(cdb + 2, DWORD(lba));
    SetBe32(cdb + 6, DWORD(nBlocks));
    cdb[10] = subCode;
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// D9 | 00 00 | 3-5 start M S F | 00 | 7-9 end M S F | 10 format; start and end packed as (M << 16) | (S << 8) | F.
// The data length is the number of frames between them times the block size of the format (2368, 2448, 96, else
// 2352); an end before the start asks for no data.
ExecStatus CDriveManager::ReadCddaMsf(CDeviceRecord& record, DWORD start, DWORD end, BYTE format, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xD9};
    SetBe24(cdb + 3, start);
    SetBe24(cdb + 7, end);
    cdb[10] = format;
    long frames = (long((end >> 16) & 0xFF) - long((start >> 16) & 0xFF)) * 4500 +
                  (long((end >> 8) & 0xFF) - long((start >> 8) & 0xFF)) * 75 + (long(end & 0xFF) - long(start & 0xFF));
    DWORD blockSize = format == 1 ? 2368 : format == 2 ? 2448 : format == 3 ? 96 : 2352;
    DWORD length = frames > 0 ? DWORD(frames) * blockSize : 0;
    return ExecScsiCommand(record, cdb, length ? pBuffer : nullptr, length);
}

// DE | 00 ..; 4 bytes for four listed families and, from firmware number 5, a fifth; 2 bytes for every other
// drive. The caller's buffer holds 4 bytes.
ExecStatus CDriveManager::ReadJumperBits(CDeviceRecord& record, BYTE* pBuffer4)
{
    DWORD length = 2;
    if (ContainsModelNumber(record.m_szProduct, g_JumperFourByteFamilies) ||
        (ContainsModelNumber(record.m_szProduct, g_JumperFourByteLateFamily) &&
         FirmwareNumber(record.m_szRevision) >= 5))
        length = 4;
    BYTE cdb[12] = {0xDE};
    return ExecScsiCommand(record, cdb, pBuffer4, length);
}

// DF | 00 .. | 6-9 count | 00 00; count × 96 bytes in
ExecStatus CDriveManager::ReadVendorDf(CDeviceRecord& record, int nCount, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xDF};
    SetBe32(cdb + 6, DWORD(nCount));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nCount) * 96);
}

// E0 | 00 .. | 8-9 length | 00 00
ExecStatus CDriveManager::ReadVendorE0(CDeviceRecord& record, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xE0};
    SetBe16(cdb + 8, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// E1 | 04 | FF | 00 ..
ExecStatus CDriveManager::VendorE1(CDeviceRecord& record)
{
    BYTE cdb[12] = {0xE1};
    cdb[1] = 4;
    cdb[2] = 0xFF;
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// E2 | b1 | 2-5 address | 6-9 length | 00 00; data out
ExecStatus CDriveManager::WriteVendorE2(CDeviceRecord& record, BYTE b1, DWORD address, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xE2};
    cdb[1] = b1;
    SetBe32(cdb + 2, address);
    SetBe32(cdb + 6, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// E3 | 00 | 2-5 address | 6-9 length | 00 00
ExecStatus CDriveManager::ReadVendorE3(CDeviceRecord& record, DWORD address, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xE3};
    SetBe32(cdb + 2, address);
    SetBe32(cdb + 6, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// E3 | 06 | value | 1 | 00 ..
ExecStatus CDriveManager::VendorE3Control(CDeviceRecord& record, BYTE value)
{
    BYTE cdb[12] = {0xE3};
    cdb[1] = 6;
    cdb[2] = BYTE(value | 1);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// E4 | 00 ..; 2 bytes in
ExecStatus CDriveManager::ReadVendorE4(CDeviceRecord& record, BYTE* pBuffer2)
{
    BYTE cdb[12] = {0xE4};
    return ExecScsiCommand(record, cdb, pBuffer2, 2);
}

// E4 | operation | item (| 0x10 to set) | 00 .. | 9-10 length | 00
ExecStatus CDriveManager::StratafitCommand(CDeviceRecord& record, BYTE operation, BYTE item, BYTE set, int nLength,
                                           BYTE* pBuffer)
{
    BYTE cdb[12] = {0xE4};
    cdb[1] = operation;
    cdb[2] = set ? BYTE(item | 0x10) : item;
    SetBe16(cdb + 9, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// E5 | 00 00 00 | 4 value | 00 00 00 | 8 = 12 | 00 ..; 12 bytes out
ExecStatus CDriveManager::VendorE5A(CDeviceRecord& record, BYTE value, BYTE* pBuffer12)
{
    BYTE cdb[12] = {0xE5};
    cdb[4] = value;
    cdb[8] = 12;
    return ExecScsiCommand(record, cdb, pBuffer12, 12);
}

// E5 | 00 .. | 5 value | 00 00 | 8 = 12 | 00 ..; 12 bytes out
ExecStatus CDriveManager::VendorE5B(CDeviceRecord& record, BYTE value, BYTE* pBuffer12)
{
    BYTE cdb[12] = {0xE5};
    cdb[5] = value;
    cdb[8] = 12;
    return ExecScsiCommand(record, cdb, pBuffer12, 12);
}

// E5 | b1 | 00 .. | 9-10 length | 00; data out
ExecStatus CDriveManager::VendorE5C(CDeviceRecord& record, BYTE b1, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xE5};
    cdb[1] = b1;
    SetBe16(cdb + 9, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// E9 | 0x10 to set | b2 b3 b4 b5 | 00 00 00 | 9-10 length | 00
ExecStatus CDriveManager::VendorE9Command(CDeviceRecord& record, BYTE set, BYTE b2, BYTE b3, BYTE b4, BYTE b5,
                                          int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xE9};
    cdb[1] = set ? 0x10 : 0;
    cdb[2] = b2;
    cdb[3] = b3;
    cdb[4] = b4;
    cdb[5] = b5;
    SetBe16(cdb + 9, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// E9 | 00 | sub-command | 00 .. | 9-10 length | 00
ExecStatus CDriveManager::VendorModeQuery(CDeviceRecord& record, BYTE subCommand, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xE9};
    cdb[2] = subCommand;
    SetBe16(cdb + 9, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// Byte 2 of the 0xEA forms: 0x10 for mode 1, 0x20 for mode 2.
static BYTE EaModeBits(BYTE mode)
{
    return mode == 1 ? 0x10 : mode == 2 ? 0x20 : 0;
}

// EA | b1 | b2 | mode bits | b3 | 4-7 address | 8 b8 | 00 | 10 length (low byte) | 00
ExecStatus CDriveManager::VendorEaCommand(CDeviceRecord& record, DWORD address, BYTE b3, BYTE b1, BYTE b2, BYTE mode,
                                          BYTE b8, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xEA};
    cdb[1] = b1;
    cdb[2] = BYTE(b2 | EaModeBits(mode));
    cdb[3] = b3;
    SetBe32(cdb + 4, address);
    cdb[8] = b8;
    cdb[10] = BYTE(nLength);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// EA | b1 | mode bits | 00 .. | 8 b8 | 9 b9 | 10 length (low byte) | 00
ExecStatus CDriveManager::VendorEaRead(CDeviceRecord& record, BYTE b1, BYTE mode, BYTE b8, BYTE b9, int nLength,
                                       BYTE* pBuffer)
{
    BYTE cdb[12] = {0xEA};
    cdb[1] = b1;
    cdb[2] = EaModeBits(mode);
    cdb[8] = b8;
    cdb[9] = b9;
    cdb[10] = BYTE(nLength);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// EB | b1 | b2 | (flagA ? 2 : 0) + (flagB ? 1 : 0) | 00 .. | 8-9 length | 00 00
ExecStatus CDriveManager::VendorEbRead(CDeviceRecord& record, BYTE b1, BYTE b2, BYTE flagA, BYTE flagB, int nLength,
                                       BYTE* pBuffer)
{
    BYTE cdb[12] = {0xEB};
    cdb[1] = b1;
    cdb[2] = b2;
    cdb[3] = BYTE((flagA ? 2 : 0) + (flagB ? 1 : 0));
    SetBe16(cdb + 8, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// ED | 00 to read, 0x10 to switch off, 0x11 to switch on | 00 .. | 8-9 length | 00 00
ExecStatus CDriveManager::SpeedamodeCommand(CDeviceRecord& record, BYTE set, BYTE on, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xED};
    cdb[1] = set ? (on ? 0x11 : 0x10) : 0;
    SetBe16(cdb + 8, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// F0 | 00 | 2-5 address | 00 00 | 8-9 length | 00 00; data out
ExecStatus CDriveManager::WriteVendorF0(CDeviceRecord& record, DWORD address, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xF0};
    SetBe32(cdb + 2, address);
    SetBe16(cdb + 8, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// F1 | 01 | 2-5 address | 6-7 value | 8-9 length | 00 00
ExecStatus CDriveManager::ReadVendorF1(CDeviceRecord& record, DWORD address, WORD value, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xF1};
    cdb[1] = 1;
    SetBe32(cdb + 2, address);
    SetBe16(cdb + 6, value);
    SetBe16(cdb + 8, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// F3 | b1 | b2 | b3 | 4-7 address | 8 b8 | 00 | 10 length (low byte) | 00
ExecStatus CDriveManager::VendorF3Command(CDeviceRecord& record, DWORD address, BYTE b3, BYTE b1, BYTE b2, BYTE b8,
                                          int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xF3};
    cdb[1] = b1;
    cdb[2] = b2;
    cdb[3] = b3;
    SetBe32(cdb + 4, address);
    cdb[8] = b8;
    cdb[10] = BYTE(nLength);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// An LBA as 24 bits, or as minute, second and frame.
static void PutVendorAddress(BYTE* p, long lba, BYTE lbaForm)
{
    if (lbaForm) {
        SetBe24(p, DWORD(lba));
        return;
    }
    long minute = lba / 4500;
    p[0] = BYTE(minute);
    p[1] = BYTE((lba - minute * 4500) / 75);
    p[2] = BYTE(lba % 75);
}

// F3 | b1 | b2 | b3 | 4-6 start | 7-9 end | 00 00
ExecStatus CDriveManager::VendorF3Range(CDeviceRecord& record, long start, long end, BYTE b1, BYTE b2, BYTE b3,
                                        BYTE lbaForm)
{
    BYTE cdb[12] = {0xF3};
    cdb[1] = b1;
    cdb[2] = b2;
    cdb[3] = b3;
    PutVendorAddress(cdb + 4, start, lbaForm);
    PutVendorAddress(cdb + 7, end, lbaForm);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// F3 | b1 | b2 | 00 ..
ExecStatus CDriveManager::VendorF3Simple(CDeviceRecord& record, BYTE b1, BYTE b2)
{
    BYTE cdb[12] = {0xF3};
    cdb[1] = b1;
    cdb[2] = b2;
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// F3 | 1F | 02 | 00 | 4-8 the five bytes | 00 | 10 = 1 | 00
ExecStatus CDriveManager::VendorF3Write5(CDeviceRecord& record, const BYTE* pFiveBytes)
{
    BYTE cdb[12] = {0xF3};
    cdb[1] = 0x1F;
    cdb[2] = 0x02;
    memcpy(cdb + 4, pFiveBytes, 5);
    cdb[10] = 1;
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// F3 | 00 ..; the serial number bytes
ExecStatus CDriveManager::ReadSerialBytes(CDeviceRecord& record, BYTE* pBuffer, int nLength)
{
    BYTE cdb[12] = {0xF3};
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// Head of the vendor block reads: E4 03 00 for three families on Serial ATA and one family behind a USB or
// IEEE 1394 bridge, F3 1F 23 for every other drive.
static void PutVendorBlockHead(BYTE* cdb, const CDeviceRecord& record)
{
    bool e4 = (ContainsModelNumber(record.m_szProduct, g_VendorBlockSataFamilies) &&
               record.m_nBusType == kBusTypeSerialAta) ||
              (ContainsModelNumber(record.m_szProduct, g_VendorBlockBridgeFamily) &&
               (record.m_nBusType == kBusTypeUsb || record.m_nBusType == kBusType1394));
    cdb[0] = e4 ? 0xE4 : 0xF3;
    cdb[1] = e4 ? 0x03 : 0x1F;
    cdb[2] = e4 ? 0x00 : 0x23;
}

// head (3 bytes) | 3 0x10 when flag | 4-7 address | 8-9 length | 10 b10 | 00
ExecStatus CDriveManager::ReadVendorBlock(CDeviceRecord& record, DWORD address, BYTE flag, BYTE b10, int nLength,
                                          BYTE* pBuffer)
{
    BYTE cdb[12] = {0};
    PutVendorBlockHead(cdb, record);
    cdb[3] = flag ? 0x10 : 0;
    SetBe32(cdb + 4, address);
    SetBe16(cdb + 8, DWORD(nLength));
    cdb[10] = b10;
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// head (3 bytes) | 3 = 0x40 | 00 .. | 9 = 8 | 00 00; 8 bytes in. Answer bytes 4-7 hold an IEEE 754 single,
// widened into the output; a zero value or a failed read gives the drive's nominal 1.769330287.
ExecStatus CDriveManager::ReadVendorFloat(CDeviceRecord& record, double* pOutput)
{
    BYTE cdb[12] = {0};
    PutVendorBlockHead(cdb, record);
    cdb[3] = 0x40;
    cdb[9] = 8;
    BYTE answer[8];
    memset(answer, 0, sizeof(answer));
    ExecStatus status = ExecScsiCommand(record, cdb, answer, sizeof(answer));
    DWORD bits = GetBe32(answer + 4);
    if (status == kExecCompleted && bits != 0) {
        float value;
        memcpy(&value, &bits, sizeof(value));
        *pOutput = value;
    } else
        *pOutput = 1.769330287;
    return status;
}

// F5 | 00 00 | 3 b3 | 4 b4 (| 2 when flag) | 00 00 00 | 8-9 length | 00 00
ExecStatus CDriveManager::ReadVendorF5(CDeviceRecord& record, BYTE b3, BYTE flag, BYTE b4, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xF5};
    cdb[3] = b3;
    cdb[4] = flag ? BYTE(b4 | 2) : b4;
    SetBe16(cdb + 8, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// F6 | (4 flagA) | (2 flagB) | (1 flagC) | 2-5 address | 6-9 length | 10 b10 | 00
ExecStatus CDriveManager::ReadVendorF6(CDeviceRecord& record, BYTE flagA, BYTE flagB, BYTE flagC, DWORD address,
                                       int nLength, BYTE b10, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xF6};
    cdb[1] = BYTE((flagA ? 4 : 0) | (flagB ? 2 : 0) | (flagC ? 1 : 0));
    SetBe32(cdb + 2, address);
    SetBe32(cdb + 6, DWORD(nLength));
    cdb[10] = b10;
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// F7 | flag & 1 | b2 | b3 | 4-5 value | 6-7 value | 00 ..
ExecStatus CDriveManager::VendorF7(CDeviceRecord& record, BYTE flag, BYTE b2, BYTE b3, WORD value45, WORD value67)
{
    BYTE cdb[12] = {0xF7};
    cdb[1] = BYTE(flag & 1);
    cdb[2] = b2;
    cdb[3] = b3;
    SetBe16(cdb + 4, value45);
    SetBe16(cdb + 6, value67);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// F8 | flag & 1 | b2 | b3 | 4-5 value | 00 ..; 2 bytes in
ExecStatus CDriveManager::ReadVendorF8(CDeviceRecord& record, BYTE flag, BYTE b2, BYTE b3, WORD value45, BYTE* pBuffer2)
{
    BYTE cdb[12] = {0xF8};
    cdb[1] = BYTE(flag & 1);
    cdb[2] = b2;
    cdb[3] = b3;
    SetBe16(cdb + 4, value45);
    return ExecScsiCommand(record, cdb, pBuffer2, 2);
}

// F9 | flag & 1 | 00 ..
ExecStatus CDriveManager::VendorF9(CDeviceRecord& record, BYTE flag)
{
    BYTE cdb[12] = {0xF9};
    cdb[1] = BYTE(flag & 1);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// FA | 00 | value & 0x7F | 00 ..
ExecStatus CDriveManager::VendorFa(CDeviceRecord& record, BYTE value)
{
    BYTE cdb[12] = {0xFA};
    cdb[2] = BYTE(value & 0x7F);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// FB | 00 ..; 8 bytes in
ExecStatus CDriveManager::ReadVendorFb(CDeviceRecord& record, BYTE* pBuffer8)
{
    BYTE cdb[12] = {0xFB};
    return ExecScsiCommand(record, cdb, pBuffer8, 8);
}

// FC | flag & 1 | 2-5 address | 00 00 | 8-9 length | 00 00
ExecStatus CDriveManager::ReadVendorFc(CDeviceRecord& record, BYTE flag, DWORD address, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xFC};
    cdb[1] = BYTE(flag & 1);
    SetBe32(cdb + 2, address);
    SetBe16(cdb + 8, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// FD | 00 | 2-5 address | 00 00 00 | 9 b9 | 00 00; sent without data although the operation code is data-out
ExecStatus CDriveManager::VendorFd(CDeviceRecord& record, DWORD address, BYTE b9)
{
    BYTE cdb[12] = {0xFD};
    SetBe32(cdb + 2, address);
    cdb[9] = b9;
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// Reads the recorder identification code that a recorder leaves in the lead-in of a disc it wrote: one raw
// sector (sync, headers, user data, EDC/ECC) at lba, user data from byte 16. A code starts with "RID"; its text is
// the non-zero bytes among user-data bytes 5-15, then the run of non-zero bytes from byte 16; after the zero bytes
// that follow, the next run of non-zero bytes (at most four) is a big-endian number. Both lie within the 16 bytes
// from byte 16. The output receives "%s%06lu" of text and number, at most 23 characters and a terminator.
static int ReadRidCodeAt(CDriveManager& manager, CDeviceRecord& record, long lba, char* pszOutput24)
{
    memset(pszOutput24, 0, 24);
    BYTE sector[2352];
    memset(sector, 0, sizeof(sector));
    if (manager.ReadCd(record, 0xF8, 0, lba, 1, 2352, sector) != kExecCompleted)
        return 0;
    const BYTE* data = sector + 16;
    if (data[0] != 'R' || data[1] != 'I' || data[2] != 'D')
        return 0;

    char text[40];
    int n = 0;
    for (int i = 5; i <= 15; ++i) {
        if (data[i] != 0)
            text[n++] = char(data[i]);
    }
    const int kFirst = 16;
    const int kEnd = kFirst + 16;
    int i = kFirst;
    while (i < kEnd && data[i] != 0)
        text[n++] = char(data[i++]);
    text[n] = '\0';
    while (i < kEnd && data[i] == 0)
        ++i;
    unsigned long number = 0;
    for (int taken = 0; i < kEnd && data[i] != 0 && taken < 4; ++i, ++taken)
        number = (number << 8) | data[i];

    char result[64];
    snprintf(result, sizeof(result), "%s%06lu", text, number);
    strncpy(pszOutput24, result, 23);
    pszOutput24[23] = '\0';
    return 1;
}

int CDriveManager::ReadRidCode(CDeviceRecord& record, char* pszOutput24)
{
    return ReadRidCodeAt(*this, record, -30000, pszOutput24);
}

// The same from LBA -20000 after a pause of 1500 ms (through the clock seam).
int CDriveManager::ReadRidCodeDelayed(CDeviceRecord& record, char* pszOutput24)
{
    ClockSleep(1500);
    return ReadRidCodeAt(*this, record, -20000, pszOutput24);
}
