// src/transfer/TransferRateSettings.h
// The fourteen settings of the transfer-rate tests, kept in the registry under the program's "Transfer Rate" key,
// with their defaults and the values each may take. The main dialog loads them at every start and Refresh and
// saves them after the Preferences sheet and after an update check; the test pages read them when a test runs.
#ifndef TAVISK_TRANSFER_TRANSFERRATESETTINGS_H
#define TAVISK_TRANSFER_TRANSFERRATESETTINGS_H

#include <windows.h>

// Registry key (HKEY_LOCAL_MACHINE) read by ReadTransferRateSettings and created by WriteTransferRateSettings.
extern const char kTransferRateKeyPath[];

// Number of entries of the sample-length choice ("5 Minutes", "2 Minutes", "1 Minute", "30 Seconds",
// "15 Seconds"); sampleLen, testEvery and testEveryWrite index it.
const DWORD kSampleLengthChoices = 5;
// Speed axes: the Preferences offer 1 to 100 X.
const DWORD kMinSpeedAxis = 1;
const DWORD kMaxSpeedAxis = 100;
// CD graph lengths in minutes: 84 is shown as "80 Minutes", 144 as "140 Minutes".
const DWORD kCdLength80 = 84;
const DWORD kCdLength100 = 100;
const DWORD kCdLength140 = 144;
// DVD graph lengths in kilobytes: "5 GB" and "10 GB".
const DWORD kDvdLength5GB = 0x500000;
const DWORD kDvdLength10GB = 0xA00000;
// Overburn image length in frames (75 per second): the mask "ddd:dd.dd" reaches 999:59.74.
const DWORD kOverburnLengthDefault = 427500; // 95:00:00
const DWORD kOverburnLengthMax = 999 * 4500 + 59 * 75 + 74;
// A length the settings keep when they are read back: at least one frame and no more than the mask can show.
bool IsOverburnLength(DWORD nFrames);
// Data format of the CD write test: 0 "Internal Buffer (CD-DA)", 1 "Internal Buffer (Mode1)".
const DWORD kFormatCdDa = 0;
const DWORD kFormatMode1 = 1;

// The members start with the defaults, which are also what the program runs with when the key is missing.
// Registry value names in quotes; "held by" names the test page that uses the value.
struct TransferRateSettings {
    DWORD sampleLen = 2;         // "SampleLen": CD and DVD read pages
    DWORD testEvery = 2;         // "TestEvery": CD and DVD read pages (read sampling interval)
    DWORD testEveryWrite = 2;    // "TestEveryWrite": CD and DVD write pages
    DWORD maxSpeed = 56;         // "MaxSpeed": top of the CD read graph, in X
    DWORD maxSpeedDvd = 16;      // "MaxSpeedDVD": DVD read graph
    DWORD maxSpeedWrite = 56;    // "MaxSpeedWrite": CD write graph (the page repairs odd values)
    DWORD maxSpeedDvdWrite = 16; // "MaxSpeedDVDWrite": DVD write graph (likewise)
    BYTE simulate = 1;           // "Simulate": write tests as a simulation; CD write page, copied to DVD
    BYTE overburn = 0;           // "Overburn": the CD write test writes beyond the disc's capacity
    DWORD overburnLength = kOverburnLengthDefault; // "OverburnLength": frames
    DWORD formatParameters = kFormatMode1;         // "FormatParameters": CD write page
    DWORD readTimeInd = kCdLength100;              // "ReadTimeInd": CD read graph length, minutes
    DWORD readTimeIndDvd = kDvdLength5GB;          // "ReadTimeIndDVD": DVD read graph length, KB
    DWORD writeTimeInd = kCdLength100;             // "WriteTimeInd": CD write graph length, minutes
};

// Puts the defaults into rSettings and reads the stored values over them, each the first four bytes of its data
// whatever its registry type. A missing value, a value of fewer than four bytes, or a value outside what its
// setting may take keeps the default. Returns false when the key
// could not be opened (every setting then has its default).
bool ReadTransferRateSettings(TransferRateSettings& rSettings);

// Writes all fourteen values, creating the key when needed. Returns false when the key could not be created
// (nothing is written then) or a value could not be written.
bool WriteTransferRateSettings(const TransferRateSettings& settings);

#endif
