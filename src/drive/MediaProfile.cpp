// src/drive/MediaProfile.cpp
// The DVD media profile of the loaded disc and the table-of-contents read in the form the rest of the program
// expects.
#include "drive/DriveManager.h"

#include <string.h>

#include "drive/Cdb.h"
#include "drive/ModelTable.h"

// MMC current profiles that count as DVD.
static bool IsDvdProfile(int profile)
{
    static const BYTE kDvdProfiles[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x1A, 0x1B, 0x2B};
    for (BYTE p : kDvdProfiles) {
        if (p == profile)
            return true;
    }
    return false;
}

// The profile of a DVD from its physical format information: book type (high nibble of answer byte 4) and, for
// DVD-R, the number of layers (bits 6-5 of answer byte 6); 0 when the book type names no profile.
static int ProfileFromBookType(const BYTE* pAnswer)
{
    struct BookType {
        BYTE bookType;
        BYTE profile;
    };
    static const BookType kBookTypes[] = {
        {0, 0x10}, {1, 0x12}, {2, 0x11}, {3, 0x13}, {9, 0x1A}, {10, 0x1B}, {14, 0x2B},
    };
    int bookType = pAnswer[4] >> 4;
    for (const BookType& row : kBookTypes) {
        if (row.bookType != bookType)
            continue;
        if (bookType == 2 && ((pAnswer[6] >> 5) & 3) == 1)
            return 0x15;
        return row.profile;
    }
    return 0;
}

// The current profile as GET CONFIGURATION reports it (RT 2, feature 0, 100 bytes; low byte of the profile at
// answer byte 7), kept only when it is a DVD profile; with the configuration-only flag that answer is final. Then,
// when the drive is ready, the book type of the physical format information (READ DISC STRUCTURE format 0, 2052
// bytes) takes precedence: it also covers drives whose GET CONFIGURATION fails. 0 means no DVD.
int CDriveManager::GetDvdMediaProfile(CDeviceRecord& record, BOOL bConfigurationOnly)
{
    int profile = 0;
    BYTE config[100];
    memset(config, 0, sizeof(config));
    if (GetConfiguration(record, 0, 2, sizeof(config), config) == kExecCompleted) {
        profile = IsDvdProfile(config[7]) ? config[7] : 0;
        if (bConfigurationOnly)
            return profile;
    }
    if (TestUnitReady(record) != kExecCompleted)
        return profile;
    BYTE structure[2052];
    memset(structure, 0, sizeof(structure));
    if (ReadDiscStructure(record, 0, 0, 0, sizeof(structure), structure) == kExecCompleted) {
        int fromBook = ProfileFromBookType(structure);
        if (fromBook != 0 && fromBook != profile)
            profile = fromBook;
    }
    return profile;
}

static BYTE ToBcd(BYTE v)
{
    return BYTE((v / 10) * 16 + v % 10);
}

// 43 | 00 | format (bits 3-0), or 0 | 00 00 00 00 | 7-8 length | format × 64 (bits 7-6, the older placement)
//
// Writers and two listed models take the format in byte 2; older drives expect it in byte 9. A full TOC (format
// 2) comes from writers and most drives in binary; it is turned into BCD here, except for drives that already
// answer in BCD (the maker's non-writers with vendor information and two listed models): the POINT byte of every
// descriptor up to 0x99 and, unless POINT then reads 0xA0, PMIN, PSEC and PFRAME. Only descriptors inside the
// allocation are converted, however long the drive says its answer is. An ATIP (format 4) of a CD-R with valid
// A1 values gets the last possible lead-out start of READ DISC INFORMATION. The command's status is returned.
ExecStatus CDriveManager::ReadToc(CDeviceRecord& record, BYTE format, int nLength, BYTE* pBuffer)
{
    bool writer = IsWriter(record);
    ModelRecord row = GetModelRowOrZero(record);

    BYTE cdb[12] = {0x43};
    SetBe16(cdb + 7, DWORD(nLength));
    if (writer || ContainsModelNumber(row.productId, g_TocFormatInByte2Models))
        cdb[2] = BYTE(format & 0x0F);
    else
        cdb[9] = BYTE(format << 6);
    ExecStatus status = ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
    if (status != kExecCompleted)
        return status;

    if (format == 2 && nLength >= 4 &&
        (writer || (!row.vendorInfo && !ContainsModelNumber(row.productId, g_TocNoBcdModels)))) {
        DWORD announced = GetBe16(pBuffer) / 11;
        DWORD fits = DWORD(nLength - 4) / 11;
        DWORD count = announced < fits ? announced : fits;
        for (DWORD i = 0; i < count; ++i) {
            BYTE* descriptor = pBuffer + 4 + 11 * i;
            if (descriptor[3] <= 0x99)
                descriptor[3] = ToBcd(descriptor[3]);
            if (descriptor[3] != 0xA0) {
                descriptor[8] = ToBcd(descriptor[8]);
                descriptor[9] = ToBcd(descriptor[9]);
                descriptor[10] = ToBcd(descriptor[10]);
            }
        }
    } else if (format == 4 && nLength >= 19) {
        BYTE f = pBuffer[6];
        if ((f & 0x40) == 0 && (f & 0x04) != 0 && (pBuffer[18] & 0x0F) != 0) {
            BYTE info[40];
            memset(info, 0, sizeof(info));
            if (ReadDiscInfo(record, sizeof(info), info) == kExecCompleted)
                memcpy(pBuffer + 12, info + 21, 3);
        }
    }
    return status;
}
