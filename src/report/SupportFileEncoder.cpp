// src/report/SupportFileEncoder.cpp
#include "report/SupportFileEncoder.h"

#include "report/Blowfish.h"
#include "report/Md5.h"

#include <cstring>
#include <memory>

const uint8_t g_SupportKeyTable[kSupportKeyCount][kSupportBlockSize] = {
    {0x88, 0x04, 0x87, 0x29, 0xE1, 0x36, 0xA7, 0xC4, 0xAE, 0xA3, 0x0D, 0x07, 0x96, 0xF2, 0x28, 0x82},
    {0x02, 0x13, 0x1B, 0x29, 0x7C, 0xA2, 0x11, 0xDF, 0x22, 0x28, 0xE0, 0x15, 0xA3, 0x3B, 0xF0, 0x60},
    {0x80, 0xEF, 0xFE, 0x60, 0x7C, 0xE3, 0x25, 0xEC, 0xB9, 0xF0, 0x16, 0x62, 0x44, 0xD7, 0xF8, 0x54},
    {0x4B, 0x6E, 0x43, 0xFC, 0x6B, 0x01, 0xDE, 0x29, 0x45, 0x84, 0xFF, 0xDF, 0x8E, 0x19, 0x5C, 0xE9},
    {0xE0, 0x19, 0xDD, 0x21, 0xA6, 0x8B, 0xC9, 0xE4, 0x47, 0xDE, 0xA5, 0x35, 0x4F, 0xAF, 0x31, 0xE0},
    {0xDD, 0x20, 0xAE, 0x91, 0x13, 0xE7, 0xC7, 0x7A, 0xFE, 0x8D, 0xAE, 0x12, 0xB0, 0xEB, 0x78, 0xA8},
    {0xC5, 0xAE, 0xEA, 0x02, 0x2F, 0x5D, 0x18, 0x7E, 0xB7, 0xCC, 0xE0, 0x43, 0xF5, 0x73, 0x74, 0x67},
    {0x64, 0x68, 0xD3, 0xD5, 0x03, 0x22, 0x9E, 0x94, 0x4A, 0x0B, 0xCA, 0xD7, 0x8D, 0x6A, 0x57, 0x53},
    {0x51, 0x54, 0xB5, 0x70, 0x9D, 0x66, 0xC5, 0xF9, 0x82, 0x3A, 0x07, 0xD4, 0x1C, 0xA0, 0x0A, 0x4A},
    {0x6E, 0xEA, 0x91, 0xC2, 0x8B, 0x02, 0x37, 0x2C, 0x1D, 0x8E, 0x9D, 0x2B, 0x02, 0xE0, 0xCF, 0x7F},
};

uint8_t g_SupportBlockIn[kSupportBlockSize];
uint8_t g_SupportBlockOut[kSupportBlockSize];
uint8_t g_SupportBlockKey[kSupportBlockSize];

// Clears the input block and copies at most 16 bytes into it.
void SetSupportBlockInput(const uint8_t* source, int count)
{
    std::memset(g_SupportBlockIn, 0, sizeof(g_SupportBlockIn));
    if (count > kSupportBlockSize)
        count = kSupportBlockSize;
    if (source != nullptr && count > 0)
        std::memcpy(g_SupportBlockIn, source, size_t(count));
}

// The block key is the raw 16-byte MD5 digest of the table entry (not its hex text).
void MakeSupportBlockKey(int keyIndex)
{
    MD5_CTX context;
    MD5Init(&context);
    MD5Update(&context, g_SupportKeyTable[keyIndex], kSupportBlockSize);
    MD5Final(g_SupportBlockKey, &context);
}

// Copies at most 16 bytes of the enciphered block.
void GetSupportBlockOutput(uint8_t* destination, int count)
{
    if (count > kSupportBlockSize)
        count = kSupportBlockSize;
    if (destination != nullptr && count > 0)
        std::memcpy(destination, g_SupportBlockOut, size_t(count));
}

// destination[4i + j] = source[4i + 3 - j]: the byte order of each of the four 32-bit words is reversed.
void ReverseWordBytes16(const uint8_t* source, uint8_t* destination)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            destination[4 * i + j] = source[4 * i + 3 - j];
}

// Bytes 0-7 and 8-15 of the block are two independent Blowfish blocks (ECB) under the block key, each 32-bit half
// taken most significant byte first. Reversing each word and reading it least significant byte first gives exactly
// that order on any host; the result goes back the same way.
void EncipherSupportBlock()
{
    uint8_t local[kSupportBlockSize];
    ReverseWordBytes16(g_SupportBlockIn, local);
    uint32_t words[4];
    for (int i = 0; i < 4; ++i)
        words[i] = uint32_t(local[4 * i]) | (uint32_t(local[4 * i + 1]) << 8) | (uint32_t(local[4 * i + 2]) << 16) |
                   (uint32_t(local[4 * i + 3]) << 24);

    BlowfishSetKey(g_SupportBlockKey, kSupportBlockSize);
    BlowfishEncipher(&words[0], &words[1]);
    BlowfishEncipher(&words[2], &words[3]);

    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            local[4 * i + j] = uint8_t(words[i] >> (8 * j));
    ReverseWordBytes16(local, g_SupportBlockOut);
}

int SupportRecordLength(int textLength)
{
    return (textLength + 4 + kSupportBlockSize - 1) / kSupportBlockSize * kSupportBlockSize;
}

// A record is the line's bytes unchanged, CR LF, and zeros up to the record length (so at least two zeros follow the
// CR LF). Each block gets the key of the file-wide block number modulo 10.
uint8_t* EncipherSupportRecord(const char* text, int textLength, int32_t* blockCounter, int* recordLength)
{
    if (textLength < 0)
        textLength = 0;
    const int length = SupportRecordLength(textLength);
    std::unique_ptr<uint8_t[]> plain(new uint8_t[size_t(length)]());
    std::unique_ptr<uint8_t[]> output(new uint8_t[size_t(length)]());
    if (textLength > 0)
        std::memcpy(plain.get(), text, size_t(textLength));
    plain[size_t(textLength)] = 0x0D;
    plain[size_t(textLength) + 1] = 0x0A;

    for (int offset = 0; offset < length; offset += kSupportBlockSize) {
        SetSupportBlockInput(plain.get() + offset, kSupportBlockSize);
        int keyIndex = int(*blockCounter % kSupportKeyCount);
        if (keyIndex < 0)
            keyIndex += kSupportKeyCount;
        ++*blockCounter;
        MakeSupportBlockKey(keyIndex);
        EncipherSupportBlock();
        GetSupportBlockOutput(output.get() + offset, kSupportBlockSize);
    }
    *recordLength = length;
    return output.release();
}
