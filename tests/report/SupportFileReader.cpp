// tests/report/SupportFileReader.cpp
#include "SupportFileReader.h"

#include <cmath>
#include <cstring>

namespace reader {

const uint8_t kSupportKeys[10][16] = {
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

// ---------------------------------------------------------------------------------------------------------------
// MD5, RFC 1321

namespace {

uint32_t Rotl(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

const uint32_t* SineTable()
{
    static uint32_t table[64];
    static bool ready = false;
    if (!ready) {
        for (int i = 0; i < 64; ++i)
            table[i] = uint32_t(std::floor(std::fabs(std::sin(double(i + 1))) * 4294967296.0));
        ready = true;
    }
    return table;
}

} // namespace

Digest Md5(const uint8_t* data, size_t length)
{
    static const int kRotations[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                       5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                       4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                       6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
    const uint32_t* t = SineTable();

    std::vector<uint8_t> message(data, data + length);
    message.push_back(0x80);
    while (message.size() % 64 != 56)
        message.push_back(0);
    uint64_t bits = uint64_t(length) * 8;
    for (int i = 0; i < 8; ++i)
        message.push_back(uint8_t(bits >> (8 * i)));

    uint32_t h[4] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};
    for (size_t block = 0; block < message.size(); block += 64) {
        uint32_t m[16];
        for (int i = 0; i < 16; ++i) {
            const uint8_t* p = &message[block + 4 * i];
            m[i] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        }
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
        for (int i = 0; i < 64; ++i) {
            uint32_t f;
            int g;
            if (i < 16) {
                f = (b & c) | (~b & d);
                g = i;
            } else if (i < 32) {
                f = (d & b) | (~d & c);
                g = (5 * i + 1) % 16;
            } else if (i < 48) {
                f = b ^ c ^ d;
                g = (3 * i + 5) % 16;
            } else {
                f = c ^ (b | ~d);
                g = (7 * i) % 16;
            }
            uint32_t next = b + Rotl(a + f + t[i] + m[g], kRotations[i]);
            a = d;
            d = c;
            c = b;
            b = next;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
    }
    Digest digest;
    for (int i = 0; i < 16; ++i)
        digest[size_t(i)] = uint8_t(h[i / 4] >> (8 * (i % 4)));
    return digest;
}

Digest Md5(const std::string& text)
{
    return Md5(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// ---------------------------------------------------------------------------------------------------------------
// Blowfish

namespace {

// The fractional part of pi, 1042 words of 32 bits (the 18 subkeys and the four boxes of 256), computed with
// Machin's formula pi = 16 atan(1/5) - 4 atan(1/239) in fixed point: word 0 is the integer part.
class FixedPoint {
public:
    explicit FixedPoint(size_t fractionWords) : m_w(fractionWords + 1, 0) {}

    static FixedPoint Reciprocal(uint32_t x, size_t fractionWords)
    {
        FixedPoint r(fractionWords);
        r.m_w[0] = 1;
        r.Divide(x);
        return r;
    }
    void Divide(uint32_t d)
    {
        uint64_t rest = 0;
        for (uint32_t& w : m_w) {
            uint64_t cur = (rest << 32) | w;
            w = uint32_t(cur / d);
            rest = cur % d;
        }
    }
    void Multiply(uint32_t k)
    {
        uint64_t carry = 0;
        for (size_t i = m_w.size(); i-- > 0;) {
            uint64_t cur = uint64_t(m_w[i]) * k + carry;
            m_w[i] = uint32_t(cur);
            carry = cur >> 32;
        }
    }
    void Add(const FixedPoint& o)
    {
        uint64_t carry = 0;
        for (size_t i = m_w.size(); i-- > 0;) {
            uint64_t cur = uint64_t(m_w[i]) + o.m_w[i] + carry;
            m_w[i] = uint32_t(cur);
            carry = cur >> 32;
        }
    }
    void Subtract(const FixedPoint& o)
    {
        int64_t borrow = 0;
        for (size_t i = m_w.size(); i-- > 0;) {
            int64_t cur = int64_t(m_w[i]) - int64_t(o.m_w[i]) - borrow;
            borrow = cur < 0 ? 1 : 0;
            m_w[i] = uint32_t(cur + (borrow << 32));
        }
    }
    bool IsZero() const
    {
        for (uint32_t w : m_w)
            if (w != 0)
                return false;
        return true;
    }
    uint32_t Word(size_t i) const { return m_w[i]; }

private:
    std::vector<uint32_t> m_w;
};

FixedPoint ArcTanReciprocal(uint32_t x, size_t words)
{
    FixedPoint sum = FixedPoint::Reciprocal(x, words);
    FixedPoint power = sum;
    for (uint32_t k = 1;; ++k) {
        power.Divide(x * x);
        if (power.IsZero())
            break;
        FixedPoint term = power;
        term.Divide(2 * k + 1);
        if (k % 2)
            sum.Subtract(term);
        else
            sum.Add(term);
    }
    return sum;
}

const std::vector<uint32_t>& PiWords()
{
    static std::vector<uint32_t> words;
    if (words.empty()) {
        const size_t needed = 18 + 4 * 256;
        const size_t precision = needed + 4;
        FixedPoint pi = ArcTanReciprocal(5, precision);
        pi.Multiply(16);
        FixedPoint second = ArcTanReciprocal(239, precision);
        second.Multiply(4);
        pi.Subtract(second);
        for (size_t i = 1; i <= needed; ++i)
            words.push_back(pi.Word(i));
    }
    return words;
}

} // namespace

BlowfishKey::BlowfishKey(const uint8_t* key, size_t length)
{
    const std::vector<uint32_t>& pi = PiWords();
    for (int i = 0; i < 18; ++i)
        m_p[i] = pi[size_t(i)];
    for (int box = 0; box < 4; ++box)
        for (int i = 0; i < 256; ++i)
            m_s[box][i] = pi[size_t(18 + 256 * box + i)];
    size_t at = 0;
    for (int i = 0; i < 18; ++i) {
        uint32_t word = 0;
        for (int b = 0; b < 4; ++b) {
            word = (word << 8) | key[at];
            at = (at + 1) % length;
        }
        m_p[i] ^= word;
    }
    uint32_t l = 0, r = 0;
    for (int i = 0; i < 18; i += 2) {
        EncryptWords(l, r);
        m_p[i] = l;
        m_p[i + 1] = r;
    }
    for (int box = 0; box < 4; ++box) {
        for (int i = 0; i < 256; i += 2) {
            EncryptWords(l, r);
            m_s[box][i] = l;
            m_s[box][i + 1] = r;
        }
    }
}

uint32_t BlowfishKey::InitialSubkey(int i) const
{
    return PiWords()[size_t(i)];
}

uint32_t BlowfishKey::F(uint32_t x) const
{
    return ((m_s[0][x >> 24] + m_s[1][(x >> 16) & 255]) ^ m_s[2][(x >> 8) & 255]) + m_s[3][x & 255];
}

void BlowfishKey::EncryptWords(uint32_t& l, uint32_t& r) const
{
    for (int i = 0; i < 16; i += 2) {
        l ^= m_p[i];
        r ^= F(l);
        r ^= m_p[i + 1];
        l ^= F(r);
    }
    l ^= m_p[16];
    r ^= m_p[17];
    std::swap(l, r);
}

namespace {

uint32_t LoadBig(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void StoreBig(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

} // namespace

void BlowfishKey::Encrypt(uint8_t block[8]) const
{
    uint32_t l = LoadBig(block), r = LoadBig(block + 4);
    EncryptWords(l, r);
    StoreBig(block, l);
    StoreBig(block + 4, r);
}

void BlowfishKey::Decrypt(uint8_t block[8]) const
{
    uint32_t l = LoadBig(block), r = LoadBig(block + 4);
    for (int i = 17; i > 1; i -= 2) {
        l ^= m_p[i];
        r ^= F(l);
        r ^= m_p[i - 1];
        l ^= F(r);
    }
    l ^= m_p[1];
    r ^= m_p[0];
    StoreBig(block, r);
    StoreBig(block + 4, l);
}

// ---------------------------------------------------------------------------------------------------------------
// The support file: block k deciphered with MD5(table[k mod 10]), each 8-byte half on its own; a record is the
// line, CR LF and zeros up to the next 16-byte boundary, at least two of them.

std::vector<std::string> DecodeSupportFile(const std::vector<uint8_t>& file, const uint8_t table[10][16],
                                           std::string* error)
{
    std::vector<std::string> lines;
    error->clear();
    if (file.size() % 16 != 0) {
        *error = "file length is not a multiple of 16";
        return lines;
    }
    std::vector<uint8_t> plain(file);
    for (size_t k = 0; k * 16 < plain.size(); ++k) {
        Digest key = Md5(table[k % 10], 16);
        BlowfishKey cipher(key.data(), key.size());
        cipher.Decrypt(&plain[16 * k]);
        cipher.Decrypt(&plain[16 * k + 8]);
    }

    size_t start = 0;
    while (start < plain.size()) {
        size_t end = 0;
        size_t crlf = start;
        for (; crlf + 1 < plain.size(); ++crlf) {
            if (plain[crlf] != 0x0D || plain[crlf + 1] != 0x0A)
                continue;
            size_t boundary = (crlf + 4 + 15) / 16 * 16;
            if (boundary > plain.size())
                break;
            bool zeros = true;
            for (size_t i = crlf + 2; i < boundary; ++i)
                zeros = zeros && plain[i] == 0;
            if (zeros) {
                end = boundary;
                break;
            }
        }
        if (end == 0) {
            *error = "record at byte " + std::to_string(start) + " has no CR LF with zero padding";
            return lines;
        }
        std::string line(plain.begin() + long(start), plain.begin() + long(crlf));
        if (line.find('\0') != std::string::npos) {
            *error = "record at byte " + std::to_string(start) + " holds a NUL byte";
            return lines;
        }
        lines.push_back(line);
        start = end;
    }
    return lines;
}

} // namespace reader
