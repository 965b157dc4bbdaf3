// src/transfer/DvdWriteTest.h
// The DVD write test's decisions that depend only on the medium's profile and on numbers: which worker records the
// profile, the write-parameters page it gets, the test length, the sector count from READ FORMAT CAPACITIES, and the
// speed of a sample.
#ifndef TAVISK_TRANSFER_DVDWRITETEST_H
#define TAVISK_TRANSFER_DVDWRITETEST_H

#include <windows.h>

#include <cstdint>

// MMC profiles of the recordable DVDs.
const int kProfileDvdMinusR = 0x11;
const int kProfileDvdRam = 0x12;
const int kProfileDvdMinusRwRestricted = 0x13;
const int kProfileDvdMinusRwSequential = 0x14;
const int kProfileDvdMinusRDl = 0x15;
const int kProfileDvdPlusRw = 0x1A;
const int kProfileDvdPlusR = 0x1B;
const int kProfileDvdPlusRDl = 0x2B;

enum DvdWriteWorker {
    kDvdWorkerNone = 0, // not a medium the test writes
    kDvdWorkerPlusR,    // DVD+R, DVD+R DL
    kDvdWorkerPlusRw,   // DVD+RW
    kDvdWorkerMinusR,   // DVD-R, DVD-R DL
    kDvdWorkerMinusRw,  // DVD-RW
    kDvdWorkerRam       // DVD-RAM
};

DvdWriteWorker DvdWriteWorkerForProfile(int nProfile);
// The profile's name as the results show it ("DVD" for a profile not listed).
const char* DvdProfileName(int nProfile);

// Sectors one write command carries: 32 on DVD-RAM, 25 on the others.
int DvdWriteBlockSectors(int nProfile);
const int kDvdWriteBlockSectorsSequential = 25;
// Sectors a run writes: whole samples of the sample length, each a whole number of write commands.
long DvdWriteTestLength(long nSectorCount, int nSampleLength, int nProfile);

// The 56-byte MODE SELECT parameter list of the write-parameters page for a profile; false (nothing built) for
// DVD-RAM and profiles that get no page. The test-write bit only on DVD-R and DVD-RW.
const int kDvdWriteParametersLength = 56;
bool BuildDvdWriteParameters(BYTE* pList, int nProfile, bool bSimulate);

// The sector count of a rewritable disc from a READ FORMAT CAPACITIES answer (nLength bytes): the block count of the
// first descriptor of a type the profile takes; 0 when none matches.
long DvdCapacityFromFormatCapacities(const BYTE* pAnswer, int nLength, int nProfile);

// Samples whose end lies below this sector fill only the drive's buffer: stored as skipped, never timed.
const long kDvdWriteSkippedBelow = 9000;
// Blocks a sample's time covers: the clock starts after the sample's second block.
int DvdWriteTimedBlocks(int nBlocksPerSample);
// Speed in hundredths of X (1X = 675 sectors of 2048 bytes per second) of nTimedBlocks commands of nBlockSectors
// sectors in whole milliseconds (a stretch under 1 ms counts as 1): 25-sector blocks give n * 100,000 / (ms * 27);
// DVD-RAM's 32-sector blocks trunc((n * 64,000 / ms) * 100 / nBasisKBs) with a 1350 (or 1385) KB/s basis.
uint32_t DvdWriteSampleValue(int nTimedBlocks, int nBlockSectors, int64_t nMilliseconds, int nBasisKBs = 1350);
// The KB/s of 1X in a DVD-RAM sample of a drive with this INQUIRY product identification: 1385 for the one family
// that counts DVD-RAM on the read basis, 1350 for every other drive.
int DvdRamSpeedBasis(const char* pszProductId);

#endif
