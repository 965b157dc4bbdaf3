// src/transfer/ResultTexts.h
// The written record of a run: the result texts the results dialog shows and the print-out lists (three lines of at
// most 99 characters, five on the CD write page) and the information record the HTML export reads. A page gathers
// what the drive says into ResultDriveFacts and what the run measured into ResultRunFacts; BuildResultTexts writes
// the current run's texts from them: the drive part when the run starts, everything when it ends normally.
#ifndef TAVISK_TRANSFER_RESULTTEXTS_H
#define TAVISK_TRANSFER_RESULTTEXTS_H

#include "framework/String.h"
#include "transfer/TestRunRing.h"

#include <cstdint>

const int kWriteSpeedNotReported = -1;
const int kDvdOneXKBs = 1385;

struct ResultDriveFacts {
    int nTargetId = 0;
    CString strVendor; // INQUIRY strings; empty when the drive did not answer
    CString strProduct;
    CString strRevision;
    CString strSerial;
    CString strSpeed;       // read pages: the read speed text (DVD: the speed list, CD: "%d X" or "maximum")
    int nWriteSpeedKBs = 0; // write pages: the current write speed in KB/s (DVD: kWriteSpeedNotReported, shown
                            // as 1X, when the drive did not report it)
    bool bHaveAtip = false; // CD write: the ATIP answer (28 bytes)
    BYTE atip[28] = {};
    // Only for the full texts:
    CString strDiscType;
    CString strDiscDetail; // shown when not empty and not beginning with "-"
    long nCapacity = 0;    // CD read: sectors on the disc
    CString strMediaId;    // DVD write: the medium's manufacturer identification
};

struct ResultRunFacts {
    int32_t nStart = 0; // hundredths of X
    int32_t nEnd = 0;
    int32_t nAverage = 0;
    DWORD nStartTick = 0;
    DWORD nEndTick = 0;
    // CD write settings
    BOOL bOverburn = FALSE;
    long nOverburnLength = 0;
    int nFormatParameters = 0;
};

// Writes the current run's texts and information record: with bFull false the drive line, the info drive and
// speed fields and the present flag (CD write: also the ATIP line and fields), after zeroing the record; with
// bFull true every text. Nothing when the ring has no current run.
void BuildResultTexts(TestRunRing& ring, bool bFull, const ResultDriveFacts& drive, const ResultRunFacts& run);

// The disc part of the facts (type, detail, DVD media identification) as the drive reports it now.
class CDeviceRecord;
void GatherDiscFacts(CDeviceRecord& record, TestPageKind kind, ResultDriveFacts& facts);

// "%2d.%02d X"-style texts of a speed in hundredths of X, with the page's format.
CString FormatHundredths(const char* pszFormat, int32_t nValue);
// "%ld:%02ld:%02ld" of the run's length (end - start ticks, in seconds, unsigned arithmetic).
CString FormatDuration(DWORD nStartTick, DWORD nEndTick);
// The data-format name of a CD write format setting: "Internal Buffer (CD-DA)", "Internal Buffer (Mode1)" or "".
const char* DataFormatName(int nFormatParameters);

#endif
