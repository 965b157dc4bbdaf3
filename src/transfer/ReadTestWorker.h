// src/transfer/ReadTestWorker.h
// The worker of the CD and DVD read tests: a spin-up of ten seconds reading from the start of the disc, then
// samples spread evenly over the disc, each a run of 25-sector reads timed with the performance counter. A sample's
// speed in hundredths of X is stored in the current run at (the position after its last read) / 25 and reported
// to the page; the worker ends with TPC_DONE, TPC_STOPPED or TPC_ERROR.
#ifndef TAVISK_TRANSFER_READTESTWORKER_H
#define TAVISK_TRANSFER_READTESTWORKER_H

#include "transfer/TestPage.h"

// How a CD is read during a run.
enum ReadTestCommand {
    kReadTest10 = 0,      // READ(10), 25 x 2048 bytes
    kReadTestCdRaw = 1,   // READ CD, whole raw sectors (byte 9 = 0xF8), 25 x 2352 bytes
    kReadTestCdAudio = 2, // READ CD, user data (byte 9 = 0x10), 25 x 2352 bytes
    kReadTestVendor = 3   // the maker's audio read, 25 x 2352 bytes
};

const int kReadTestSectorsPerCommand = 25;
const DWORD kReadTestSpinUpMs = 10000;
const int kReadTestBufferSize = 60000;

// What a run reads; set up by the page's start, read by its worker.
struct ReadTestRun {
    TestWorkerState* pState = nullptr;
    bool bCd = false;
    long nSpacing = 9000; // sectors between the starts of two samples
    long nLength = 2250;  // sectors timed per sample
    long nCapacity = -1;  // recorded sectors on the disc
    int nAudio = -1;      // CD: 1 when the first track is audio, 0 for data
    BYTE bVendorRead = 0; // CD: the model takes the vendor audio read and READ(10) for data
    BYTE buffer[kReadTestBufferSize];
};

// The read command of a CD run: by the kind of disc, the vendor-read flag and whether the run fell back from the
// vendor audio read.
ReadTestCommand ChooseCdReadCommand(int nAudio, BYTE bVendorRead, bool bFallenBack);

// Hundredths of X of n 25-sector commands read in ms milliseconds: against 1385 KB/s for DVD (n x 5,000,000 /
// (ms x 1385)) or 75 sectors per second for CD (n x 5,000,000 / (ms x 150)). A time below 1 ms counts as 1 ms.
uint32_t ReadTestSpeed(bool bCd, int64_t nCommands, int64_t nMs);

// The workers of the DVD and the CD read page; pParam is the page's ReadTestRun. Both run the same read loop,
// which takes its command and speed basis from the run.
UINT __cdecl DvdReadTestThread(LPVOID pParam);
UINT __cdecl CdReadTestThread(LPVOID pParam);

#endif
