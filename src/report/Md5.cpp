// src/report/Md5.cpp
#include "report/Md5.h"

#include <cstring>

namespace {

// Per-step additive constants: the integer part of 2^32 * |sin(i)| for i = 1..64 (RFC 1321, 3.4).
const uint32_t kSine[64] = {
    0xD76AA478, 0xE8C7B756, 0x242070DB, 0xC1BDCEEE, 0xF57C0FAF, 0x4787C62A, 0xA8304613, 0xFD469501,
    0x698098D8, 0x8B44F7AF, 0xFFFF5BB1, 0x895CD7BE, 0x6B901122, 0xFD987193, 0xA679438E, 0x49B40821,
    0xF61E2562, 0xC040B340, 0x265E5A51, 0xE9B6C7AA, 0xD62F105D, 0x02441453, 0xD8A1E681, 0xE7D3FBC8,
    0x21E1CDE6, 0xC33707D6, 0xF4D50D87, 0x455A14ED, 0xA9E3E905, 0xFCEFA3F8, 0x676F02D9, 0x8D2A4C8A,
    0xFFFA3942, 0x8771F681, 0x6D9D6122, 0xFDE5380C, 0xA4BEEA44, 0x4BDECFA9, 0xF6BB4B60, 0xBEBFBC70,
    0x289B7EC6, 0xEAA127FA, 0xD4EF3085, 0x04881D05, 0xD9D4D039, 0xE6DB99E5, 0x1FA27CF8, 0xC4AC5665,
    0xF4292244, 0x432AFF97, 0xAB9423A7, 0xFC93A039, 0x655B59C3, 0x8F0CCC92, 0xFFEFF47D, 0x85845DD1,
    0x6FA87E4F, 0xFE2CE6E0, 0xA3014314, 0x4E0811A1, 0xF7537E82, 0xBD3AF235, 0x2AD7D2BB, 0xEB86D391,
};

// Left-rotation counts of the four rounds, four per round, used in turn.
const int kShift[4][4] = {
    {7, 12, 17, 22},
    {5, 9, 14, 20},
    {4, 11, 16, 23},
    {6, 10, 15, 21},
};

inline uint32_t RotateLeft(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

inline uint32_t LoadLittleEndian(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline void StoreLittleEndian(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// One 64-byte block through the four rounds of sixteen steps (RFC 1321, 3.4). Round r uses the auxiliary function
// F, G, H or I and takes the message words in the order k = i, 5i + 1, 3i + 5 or 7i (mod 16).
void Transform(uint32_t state[4], const uint8_t block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadLittleEndian(block + 4 * i);

    uint32_t a = state[0];
    uint32_t b = state[1];
    uint32_t c = state[2];
    uint32_t d = state[3];
    for (int i = 0; i < 64; ++i) {
        int round = i / 16;
        uint32_t f;
        int k;
        switch (round) {
        case 0:
            f = (b & c) | (~b & d);
            k = i;
            break;
        case 1:
            f = (b & d) | (c & ~d);
            k = 5 * i + 1;
            break;
        case 2:
            f = b ^ c ^ d;
            k = 3 * i + 5;
            break;
        default:
            f = c ^ (b | ~d);
            k = 7 * i;
            break;
        }
        uint32_t sum = a + f + kSine[i] + x[k & 15];
        a = d;
        d = c;
        c = b;
        b = b + RotateLeft(sum, kShift[round][i & 3]);
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

} // namespace

void MD5Init(MD5_CTX* context)
{
    context->count[0] = 0;
    context->count[1] = 0;
    context->state[0] = 0x67452301;
    context->state[1] = 0xEFCDAB89;
    context->state[2] = 0x98BADCFE;
    context->state[3] = 0x10325476;
    std::memset(context->buffer, 0, sizeof(context->buffer));
}

// Appends input to the message: whole 64-byte blocks are digested at once, the rest waits in the buffer.
void MD5Update(MD5_CTX* context, const uint8_t* input, size_t length)
{
    size_t used = (context->count[0] >> 3) & 0x3F;
    uint64_t bits = (uint64_t(context->count[1]) << 32) | context->count[0];
    bits += uint64_t(length) << 3;
    context->count[0] = uint32_t(bits);
    context->count[1] = uint32_t(bits >> 32);

    size_t offset = 0;
    if (used != 0) {
        size_t take = 64 - used;
        if (take > length)
            take = length;
        std::memcpy(context->buffer + used, input, take);
        used += take;
        offset = take;
        if (used < 64)
            return;
        Transform(context->state, context->buffer);
    }
    while (length - offset >= 64) {
        Transform(context->state, input + offset);
        offset += 64;
    }
    std::memcpy(context->buffer, input + offset, length - offset);
}

// Pads with one 1 bit and zeros to 56 bytes modulo 64, appends the bit count (low word first) and hands out the state
// A, B, C, D, each least significant byte first. The context is wiped afterwards.
void MD5Final(uint8_t digest[16], MD5_CTX* context)
{
    uint8_t bitCount[8];
    StoreLittleEndian(bitCount, context->count[0]);
    StoreLittleEndian(bitCount + 4, context->count[1]);

    static const uint8_t kPadding[64] = {0x80};
    size_t used = (context->count[0] >> 3) & 0x3F;
    size_t padLength = (used < 56) ? (56 - used) : (120 - used);
    MD5Update(context, kPadding, padLength);
    MD5Update(context, bitCount, 8);

    for (int i = 0; i < 4; ++i)
        StoreLittleEndian(digest + 4 * i, context->state[i]);
    std::memset(context, 0, sizeof(*context));
}
