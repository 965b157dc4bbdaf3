// src/drive/ModelTable.h
// The maker's model table, the bridge rewrite rules and the listed model-number groups: constant data searched by
// the model lookup (ModelLookup.cpp) and tested for model numbers by the command set and the drive queries.
#ifndef TAVISK_DRIVE_MODELTABLE_H
#define TAVISK_DRIVE_MODELTABLE_H

#include <windows.h>

// One row of the model table, copied by value. An unlisted drive is described by an all-zero row.
struct ModelRecord {
    char productId[25];
    char name[32];
    char cdSpeeds[10][16];
    char dvdSpeeds[10][16];
    char thirdSpeeds[10][16];
    BYTE isWriter;
    BYTE flag2;
    BYTE flag3;
    BYTE bufferUnderrunProof;
    BYTE c2Pointers;
    BYTE tenByteCommands;
    BYTE vendorInfo;
    char code[12];
    DWORD value1;
    DWORD value2;
    DWORD value3;
    DWORD value4;
    char firmwareId[32];
};

const int kModelTableRows = 71;
extern const ModelRecord g_ModelTable[kModelTableRows];

// Length of a product identification as the INQUIRY gives it, and the size of the working buffer the rewrite
// rules operate on (replacements are at most 16 characters; the buffer leaves room to spare).
const int kProductIdLength = 16;
const int kWorkingIdSize = 32;

enum BridgeRuleTest {
    BridgeTestContains = 0, // the working identification contains the pattern
    BridgeTestEquals = 1    // the working identification equals the 16-character pattern (NUL included)
};

enum BridgeRuleCondition {
    BridgeOnBus = 0,          // the record's bus type equals busType
    BridgeRevisionNotZero = 1 // the third character of the record's revision is not '0'
};

// One bridge rewrite rule. Rules that share a group number form a chain of alternatives: only the first rule of
// the chain that applies is carried out. When equalsId is set, a working identification equal to it (all 16
// characters) is replaced by replacementIfEqual instead of replacement.
struct BridgeRewriteRule {
    int group;
    int test;
    const char* pattern;
    int condition;
    int busType;
    const char* replacement;
    const char* equalsId;
    const char* replacementIfEqual;
};

extern const BridgeRewriteRule g_BridgeRewriteRules[];
extern const int g_nBridgeRewriteRules;

// A listed group of model numbers (or model strings), tested as substrings of a product identification.
struct ModelNumberGroup {
    const char* name;
    const char* const* numbers;
    int count;
};

// Groups used by the command set and the drive queries.
extern const ModelNumberGroup g_FourFamilyGroup;            // DVD writer families with the piece-form vendor block
extern const ModelNumberGroup g_FiveFamilyGroup;            // the four families and one more
extern const ModelNumberGroup g_SpecialSpeedModels;         // IsSpecialSpeedModel (10 numbers)
extern const ModelNumberGroup g_VendorPage30Families;       // BUF/BUFE taken from vendor page 0x30 (2 families)
extern const ModelNumberGroup g_WaitReadyDiscInfoFamily;    // WaitUntilReady polls READ DISC INFORMATION
extern const ModelNumberGroup g_PerfDataTypeFamily;         // GET PERFORMANCE with 0x10 ORed into byte 1
extern const ModelNumberGroup g_Perf1350Families;           // speeds reported and sent on a 1350 KB/s basis
extern const ModelNumberGroup g_PerfWriteSpeedFamily;       // write speeds 3245/5408 corrected to 3324/5540
extern const ModelNumberGroup g_JumperFourByteFamilies;     // READ JUMPER BITS of 4 bytes, any firmware
extern const ModelNumberGroup g_JumperFourByteLateFamily;   // READ JUMPER BITS of 4 bytes from firmware number 5
extern const ModelNumberGroup g_VendorBlockSataFamilies;    // E4 03 00 head on Serial ATA
extern const ModelNumberGroup g_VendorBlockBridgeFamily;    // E4 03 00 head on USB or IEEE 1394
extern const ModelNumberGroup g_TocFormatInByte2Models;     // READ TOC format in byte 2 for these non-writers
extern const ModelNumberGroup g_TocNoBcdModels;             // full TOC already in BCD
extern const ModelNumberGroup g_BufferUnderrunPage30Models; // HasBufferUnderrunProof from vendor page 0x30
extern const ModelNumberGroup g_CdSpeedTableModel;          // SET CD SPEED read speeds from a fixed KB/s table
extern const ModelNumberGroup g_MaxWriteAfterResetFamily;   // maximum write speed read after SET CD SPEED FFFF
extern const ModelNumberGroup g_DvdSetCdSpeedModel;         // DVD read speeds sent with SET CD SPEED
extern const ModelNumberGroup g_DvdFormat10Models;          // READ DISC STRUCTURE format 0x10 tried first
extern const ModelNumberGroup g_SerialBytesModel;           // serial number from vendor command 0xF3
extern const ModelNumberGroup g_CddaUsbWin9xModels;         // no vendor audio read on USB under Windows 9x
extern const ModelNumberGroup g_CddaAtaBusModels;           // vendor audio read also on ATA and Serial ATA buses

// Exact 16-character product identifications (padded with blanks) named by model-dependent rules.
extern const char* const g_szPage1Model;           // the 15-character model that selects speeds with page 1
extern const char* const g_szJumperShuffleRows[2]; // the two rows whose jumper bits come in another order
extern const char* const g_szUsbBridgeProductId;   // the USB product reported by interface code 8

// A firmware-feature table: the first row whose model number is a substring of the row's productId decides; the
// feature is present when the firmware number is at least the row's minimum. Level tables carry a second minimum
// for the extended form (level 17). kNever marks a level the row never reaches.
const int kNever = -1;

struct FirmwareFeatureRow {
    const char* number;
    int minimum; // firmware number for the feature (level 1)
    int level17; // firmware number for the extended form; kNever for tables without levels
};

struct FirmwareFeatureTable {
    const char* name;
    const FirmwareFeatureRow* rows;
    int count;
};

extern const FirmwareFeatureTable g_SpeedamodeTable;       // 14 rows
extern const FirmwareFeatureTable g_StratafitTable;        // 4 rows: the four-family group
extern const FirmwareFeatureTable g_ReadModeTable;         // 11 rows
extern const FirmwareFeatureTable g_FirmwareFeature1Table; // 6 rows
extern const FirmwareFeatureTable g_FirmwareFeature2Table; // 5 rows
extern const FirmwareFeatureTable g_FirmwareFeature3Table; // 5 rows
extern const FirmwareFeatureTable g_FirmwareFeature4Table; // 8 rows
extern const FirmwareFeatureTable g_FirmwareFeature5Table; // 8 rows: older CD writer families
extern const FirmwareFeatureTable g_FirmwareFeature6Table; // 5 rows
extern const FirmwareFeatureTable g_FirmwareFeature7Table; // 21 rows
extern const FirmwareFeatureTable g_FirmwareFeature8Table; // 9 rows
extern const FirmwareFeatureTable g_FeatureLevelTable;     // 19 rows with level-17 minimums
extern const FirmwareFeatureTable g_VendorOptionLateTable; // the vendor option from firmware 7 (one number)
extern const ModelNumberGroup g_VendorOptionModels;        // the vendor option besides the four-family group

extern const FirmwareFeatureTable* const g_AllFirmwareFeatureTables[];
extern const int g_nAllFirmwareFeatureTables;

// Every group above, for the table's invariant checks.
extern const ModelNumberGroup* const g_AllModelGroups[];
extern const int g_nAllModelGroups;

// True when text contains one of the group's model numbers.
bool ContainsModelNumber(const char* text, const ModelNumberGroup& group);

// Applies the rewrite rules in order to workingId (a buffer of kWorkingIdSize characters).
void ApplyBridgeRewriteRules(char* workingId, int busType, const char* revision);

// The first row whose productId is a prefix of productId, or null.
const ModelRecord* FindModelRow(const char* productId);

#endif
