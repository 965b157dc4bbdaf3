// src/transfer/CdWriteTest.h
// The arithmetic and the fixed data of the CD write test: the two cue sheets of the Session-At-Once recording, the
// write-parameters page, the test length and the speed of a sample.
#ifndef TAVISK_TRANSFER_CDWRITETEST_H
#define TAVISK_TRANSFER_CDWRITETEST_H

#include <windows.h>

#include <cstdint>

// One entry of a cue sheet as SEND CUE SHEET carries it: CTL/ADR, track, index, data form, SCMS and the absolute
// time as plain minute, second and frame.
struct CueSheetEntry {
    BYTE ctlAdr;
    BYTE track;
    BYTE index;
    BYTE dataForm;
    BYTE scms;
    BYTE minute;
    BYTE second;
    BYTE frame;
};
static_assert(sizeof(CueSheetEntry) == 8, "a cue sheet entry is 8 bytes on the wire");

const int kCueSheetEntries = 4;
const int kCueSheetBytes = kCueSheetEntries * 8;
const int kCdWriteBlockSectors = 25;
const int kCdRawSectorBytes = 2352;
const int kCdWritePregapSectors = 150;
// The first sample leaves out the blocks that only fill the drive's buffer.
const int kCdWriteFillBlocks = 45;

// The lead-in, the pregap (index 0 at 00:00:00), track 1 (index 1 at 00:02:00) and the lead-out, whose time each
// run sets. bMode1: Mode 1 data sent as raw sectors; else audio.
void BuildCdCueSheet(CueSheetEntry (&sheet)[kCueSheetEntries], bool bMode1);
// The lead-out entry at test length + 150 frames.
void SetCueSheetLeadOut(CueSheetEntry (&sheet)[kCueSheetEntries], long nTestLength);

// The 56-byte MODE SELECT parameter list of the write-parameters page (no block descriptor): Session-At-Once, the
// test-write and BUFE bits, the track mode and data block type of the format, the audio pause of 150 frames.
const int kCdWriteParametersLength = 56;
void BuildCdWriteParameters(BYTE* pList, bool bSimulate, bool bBufe, bool bMode1);

// Sectors a run writes: whole samples of the sample length that fit in nTotal.
long CdWriteTestLength(long nTotal, int nSampleLength);

// Blocks a sample's time covers: the clock starts after block 0 of a sample, and in the first sample of more than
// 45 blocks after block 45.
int CdWriteTimedBlocks(int nBlocksPerSample, bool bFirstSample);
// The sample's speed in hundredths of X (75 sectors per second at 1X) from its timed blocks and whole
// milliseconds; a stretch of less than a millisecond counts as one.
uint32_t CdWriteSampleValue(int nTimedBlocks, int64_t nMilliseconds);

#endif
