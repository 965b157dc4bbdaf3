// src/drive/CommandsUtil.cpp
// Plain helpers of the command set: time texts of LBAs, text trimming, byte swapping, CRC-16, small code maps,
// the firmware number of a revision text and the recorder identification digits.
#include "drive/CommandSet.h"

#include <stdio.h>
#include <string.h>

// Minutes, seconds and frames at 75 frames per second; a negative LBA (lead-in) is shown on the 100-minute
// circle, so -150 gives 99:58.00.
char* LbaToMsfText(long lba, char* pszText)
{
    long v = lba < 0 ? lba + 450000 : lba;
    long minutes = v / 4500;
    long seconds = (v - minutes * 4500) / 75;
    long frames = v % 75;
    sprintf(pszText, "%02ld:%02ld.%02ld", minutes, seconds, frames);
    return pszText;
}

void LbaToMsf(long lba, BYTE& minutes, BYTE& seconds, BYTE& frames)
{
    long m = lba / 4500;
    minutes = BYTE(m);
    seconds = BYTE((lba - m * 4500) / 75);
    frames = BYTE(lba % 75);
}

char* TrimTrailingBlanks(char* pszText)
{
    size_t n = strlen(pszText);
    while (n > 0 && pszText[n - 1] == ' ')
        pszText[--n] = '\0';
    return pszText;
}

// The byte order of ATA IDENTIFY strings. With an odd length the last byte has no partner and stays.
void SwapBytePairs(BYTE* pBuffer, int nLength)
{
    if (pBuffer == nullptr || nLength < 1)
        return;
    for (int i = 0; i + 1 < nLength; i += 2) {
        BYTE t = pBuffer[i];
        pBuffer[i] = pBuffer[i + 1];
        pBuffer[i + 1] = t;
    }
}

// Table of CRC-16/CCITT, polynomial 0x1021, most significant bit first (built once, thread-safe).
namespace {
struct Crc16Table {
    WORD entry[256];
    Crc16Table()
    {
        for (int i = 0; i < 256; ++i) {
            WORD crc = WORD(i << 8);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 0x8000) ? WORD((crc << 1) ^ 0x1021) : WORD(crc << 1);
            entry[i] = crc;
        }
    }
};
} // namespace

void Crc16Update(WORD* pCrc, BYTE value)
{
    static const Crc16Table table;
    *pCrc = WORD((*pCrc << 8) ^ table.entry[((*pCrc >> 8) ^ value) & 0xFF]);
}

int CodeForKindA(int value)
{
    return value == 1 ? 20 : value == 2 ? 36 : 1;
}

int CodeForKindB(int value)
{
    return value == 1 ? 17 : value == 2 ? 33 : 0;
}

// The decimal number at the third and fourth characters of a revision text such as "1.04"; a character that is
// not a digit ends the number, and no digit gives 0 ("1.0A" gives 0, "2.10" gives 10).
int FirmwareNumber(const char* pszRevision)
{
    if (pszRevision == nullptr || strlen(pszRevision) < 3)
        return 0;
    int number = 0;
    for (int i = 2; i < 4 && pszRevision[i] >= '0' && pszRevision[i] <= '9'; ++i)
        number = number * 10 + (pszRevision[i] - '0');
    return number;
}

char* FormatRidDigits(char* pszText, BYTE b1, BYTE b2, BYTE b3)
{
    sprintf(pszText, "%c%c%c-%c", '0' + ((b1 & 31) >> 1), '0' + (((b2 >> 4) & 7) | ((b1 & 1) * 4)), '0' + (b2 & 15),
            '0' + ((b3 >> 3) & 15));
    return pszText;
}

int LocatePageFrom1(const BYTE* pAnswer, int nLimit)
{
    if (pAnswer[1] == 0x2A)
        return 1;
    for (int i = 2; i <= nLimit; ++i) {
        if (pAnswer[i] == 0x2A)
            return i;
    }
    return nLimit;
}

// The place the header gives first (behind the header and the block descriptors it announces); then the scan.
// Byte 0 is the mode data length, not a page: a length of 42 would otherwise pass for the page code.
int FindPageFrom0(const BYTE* pAnswer, int nLimit)
{
    int declared = 4 + pAnswer[3];
    if (declared <= nLimit && pAnswer[declared] == 0x2A)
        return declared;
    for (int i = 1; i <= nLimit; ++i) {
        if (pAnswer[i] == 0x2A)
            return i;
    }
    return -1;
}

int LocatePageFrom0(const BYTE* pAnswer, int nLimit)
{
    int p = FindPageFrom0(pAnswer, nLimit);
    return p < 0 ? nLimit : p;
}
