// src/report/Md5.h
// The MD5 message digest (RFC 1321). Free of <windows.h> so that it also builds natively.
#ifndef TAVISK_REPORT_MD5_H
#define TAVISK_REPORT_MD5_H

#include <cstddef>
#include <cstdint>

struct MD5_CTX {
    uint32_t state[4];  // A, B, C, D
    uint32_t count[2];  // number of bits, modulo 2^64, low word first
    uint8_t buffer[64]; // input not yet digested
};

void MD5Init(MD5_CTX* context);
void MD5Update(MD5_CTX* context, const uint8_t* input, size_t length);
void MD5Final(uint8_t digest[16], MD5_CTX* context);

#endif
