// src/report/SupportFileEncoder.h
// The enciphering of the support file (".kvs"): each report line becomes a record of whole 16-byte blocks, and block
// k of the file is enciphered with Blowfish under the MD5 digest of key-table entry k mod 10. Free of <windows.h>.
#ifndef TAVISK_REPORT_SUPPORTFILEENCODER_H
#define TAVISK_REPORT_SUPPORTFILEENCODER_H

#include <cstdint>

const int kSupportBlockSize = 16;
const int kSupportKeyCount = 10;

// The ten keys of the support file. Support's reader holds the same table: changing it makes every reader fail.
extern const uint8_t g_SupportKeyTable[kSupportKeyCount][kSupportBlockSize];

// Program-wide buffers of the block being enciphered; valid for one block only.
extern uint8_t g_SupportBlockIn[kSupportBlockSize];
extern uint8_t g_SupportBlockOut[kSupportBlockSize];
extern uint8_t g_SupportBlockKey[kSupportBlockSize];

void SetSupportBlockInput(const uint8_t* source, int count);
void MakeSupportBlockKey(int keyIndex);
void EncipherSupportBlock();
void GetSupportBlockOutput(uint8_t* destination, int count);
void ReverseWordBytes16(const uint8_t* source, uint8_t* destination);

// Length of the record of a line of textLength bytes: the smallest multiple of 16 that is at least textLength + 4.
int SupportRecordLength(int textLength);

// Builds the enciphered record of one line into a new buffer of *recordLength bytes (free with delete[]); every
// block advances *blockCounter by one. Throws std::bad_alloc when memory runs out.
uint8_t* EncipherSupportRecord(const char* text, int textLength, int32_t* blockCounter, int* recordLength);

#endif
