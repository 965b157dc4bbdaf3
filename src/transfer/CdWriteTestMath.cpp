// src/transfer/CdWriteTestMath.cpp
// The CD write test's cue sheets, write-parameters page and sample arithmetic.
#include "transfer/CdWriteTest.h"

#include <cstring>

void BuildCdCueSheet(CueSheetEntry (&sheet)[kCueSheetEntries], bool bMode1)
{
    memset(sheet, 0, sizeof(sheet));
    const BYTE ctl = bMode1 ? 0x41 : 0x01;
    const BYTE noData = bMode1 ? 0x14 : 0x01;   // lead-in and lead-out: the drive makes them
    const BYTE hostData = bMode1 ? 0x11 : 0x00; // the host sends 2352-byte sectors
    sheet[0] = CueSheetEntry{ctl, 0x00, 0x00, noData, 0, 0, 0, 0};
    sheet[1] = CueSheetEntry{ctl, 0x01, 0x00, hostData, 0, 0, 0, 0};
    sheet[2] = CueSheetEntry{ctl, 0x01, 0x01, hostData, 0, 0, 2, 0};
    sheet[3] = CueSheetEntry{ctl, 0xAA, 0x01, noData, 0, 0, 0, 0};
}

void SetCueSheetLeadOut(CueSheetEntry (&sheet)[kCueSheetEntries], long nTestLength)
{
    const long t = nTestLength + kCdWritePregapSectors;
    sheet[3].minute = BYTE(t / 4500);
    sheet[3].second = BYTE((t % 4500) / 75);
    sheet[3].frame = BYTE(t % 75);
}

void BuildCdWriteParameters(BYTE* pList, bool bSimulate, bool bBufe, bool bMode1)
{
    memset(pList, 0, kCdWriteParametersLength);
    pList[4] = 0x05;
    pList[5] = 0x32;
    pList[6] = BYTE(0x02 | (bSimulate ? 0x10 : 0) | (bBufe ? 0x40 : 0));
    pList[7] = bMode1 ? 4 : 0;
    pList[8] = bMode1 ? 8 : 0;
    pList[18] = 0x00;
    pList[19] = 0x96;
}

long CdWriteTestLength(long nTotal, int nSampleLength)
{
    if (nSampleLength <= 0 || nTotal <= 0)
        return 0;
    const long nBlocks = nSampleLength / kCdWriteBlockSectors;
    return (nTotal / nSampleLength) * nBlocks * kCdWriteBlockSectors;
}

int CdWriteTimedBlocks(int nBlocksPerSample, bool bFirstSample)
{
    int nTimed = nBlocksPerSample - 1;
    if (bFirstSample && nBlocksPerSample > kCdWriteFillBlocks)
        nTimed = nBlocksPerSample - kCdWriteFillBlocks - 1;
    return nTimed < 1 ? 1 : nTimed;
}

uint32_t CdWriteSampleValue(int nTimedBlocks, int64_t nMilliseconds)
{
    if (nMilliseconds < 1)
        nMilliseconds = 1;
    return uint32_t(int64_t(nTimedBlocks) * 100000 / (nMilliseconds * 3));
}
