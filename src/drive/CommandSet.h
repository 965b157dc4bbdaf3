// src/drive/CommandSet.h
// Plain helpers of the drive command set (no device access) and the pacing of its retry loops.
#ifndef TAVISK_DRIVE_COMMANDSET_H
#define TAVISK_DRIVE_COMMANDSET_H

#include <windows.h>

#include "drive/DeviceRecord.h"

// Retry loops try again every 250 ms and give up after five minutes (sleeps counted, or real time elapsed).
const DWORD kRetryIntervalMs = 250;
const DWORD kRetryLimitMs = 5 * 60 * 1000;

// Paces one retry loop through the clock seam: Wait() sleeps one interval and returns true, or returns false
// without sleeping once the limit is reached.
class CRetryPacer {
public:
    CRetryPacer();
    bool Wait();

private:
    DWORD m_dwStart;
    DWORD m_dwSlept;
};

// Sense-code windows of the retry rules.
const int kSenseNotReadyFirst = 0x20400; // LOGICAL UNIT NOT READY family, first
const int kSenseNotReadyLast = 0x20408;  // ... last (LONG WRITE IN PROGRESS)
const int kSenseLongWriteInProgress = 0x20408;

// "%02ld:%02ld.%02ld" minutes, seconds, frames of an LBA (450000 added to a negative LBA); returns pszText, which
// holds at least 16 characters.
char* LbaToMsfText(long lba, char* pszText);
void LbaToMsf(long lba, BYTE& minutes, BYTE& seconds, BYTE& frames);

// Removes trailing blanks in place; returns pszText.
char* TrimTrailingBlanks(char* pszText);

// Exchanges bytes 0/1, 2/3, ... for nLength / 2 pairs; an odd last byte stays where it is.
void SwapBytePairs(BYTE* pBuffer, int nLength);

// One byte into a CRC-16/CCITT (polynomial 0x1021, most significant bit first).
void Crc16Update(WORD* pCrc, BYTE value);

// Writes the recorder identification digits "%c%c%c-%c" of three RID bytes into pszText (6 characters); returns
// pszText.
char* FormatRidDigits(char* pszText, BYTE b1, BYTE b2, BYTE b3);

int CodeForKindA(int value);
int CodeForKindB(int value);

// The firmware number of a revision text: the decimal number at its third and fourth characters (0 when none).
int FirmwareNumber(const char* pszRevision);

// Number of whole 16-byte descriptors of a GET PERFORMANCE answer that were asked for, lie inside the allocation
// and are announced by its data length (bytes 0-3).
int PerformanceDescriptorCount(const BYTE* pAnswer, int nRequested, DWORD nAllocation);

// Where mode page 0x2A starts in a MODE SENSE answer (6-byte layout), found by its code byte:
//  - from 1: offset 1 when it holds the code, else the first of offsets 2 to nLimit, else nLimit;
//  - from 0: the place behind the header and its block descriptors when it holds the code, else the first of
//    offsets 1 to nLimit holding it, else nLimit (offset 0 is the mode data length and never taken).
// The whole byte is compared (a page with its parameters-saveable bit set is not found). The caller's answer
// must extend to nLimit plus the page bytes it reads.
int LocatePageFrom1(const BYTE* pAnswer, int nLimit);
int LocatePageFrom0(const BYTE* pAnswer, int nLimit);
// As LocatePageFrom0, but -1 when no offset holds the code.
int FindPageFrom0(const BYTE* pAnswer, int nLimit);

#endif
