// src/report/Blowfish.h
// The Blowfish block cipher (64-bit blocks, 16 rounds, keys of 1 to 56 bytes) with one program-wide key state.
// Free of <windows.h> so that it also builds natively.
#ifndef TAVISK_REPORT_BLOWFISH_H
#define TAVISK_REPORT_BLOWFISH_H

#include <cstdint>

// Rebuilds the program-wide state for the key of keyLength bytes; returns 0.
int BlowfishSetKey(const uint8_t* key, int16_t keyLength);

// Enciphers or deciphers one 64-bit block in place under the current key; left is the most significant half.
void BlowfishEncipher(uint32_t* left, uint32_t* right);
void BlowfishDecipher(uint32_t* left, uint32_t* right);

// The round function of the current key.
uint32_t BlowfishF(uint32_t x);

#endif
