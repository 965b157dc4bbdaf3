// tests/report/CipherTest.cpp
// Blowfish and MD5 of the support file against their published test vectors, the block construction of the support
// file against vectors computed outside the program, and the program's records read back by the test reader.
#include "SupportFileReader.h"

#include "report/Blowfish.h"
#include "report/Md5.h"
#include "report/SupportFileEncoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> FromHex(const std::string& hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string ToHex(const uint8_t* data, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

struct BlowfishVector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// Published Blowfish vectors (the reference set, and one of its variable-key entries with a 16-byte key).
const BlowfishVector kBlowfishVectors[] = {
    {"0000000000000000", "0000000000000000", "4ef997456198dd78"},
    {"ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a"},
    {"3000000000000000", "1000000000000001", "7d856f9a613063f2"},
    {"1111111111111111", "1111111111111111", "2466dd878b963c9d"},
    {"0123456789abcdef", "1111111111111111", "61f9c3802281b096"},
    {"fedcba9876543210", "0123456789abcdef", "0aceab0fc6a0a28d"},
    {"7ca110454a1a6e57", "01a1d6d039776742", "59c68245eb05282b"},
    {"f0e1d2c3b4a5968778695a4b3c2d1e0f", "fedcba9876543210", "93142887ee3be15c"},
};

// The program's cipher with an 8-byte key K is also checked through the 16-byte key K||K that the support file
// uses: the key schedule repeats the key, so both give the same subkeys.
TEST(Blowfish, PublishedVectors)
{
    for (const BlowfishVector& v : kBlowfishVectors) {
        SCOPED_TRACE(v.key);
        std::vector<uint8_t> key = FromHex(v.key);
        std::vector<std::vector<uint8_t>> keys = {key};
        if (key.size() == 8) {
            std::vector<uint8_t> doubled(key);
            doubled.insert(doubled.end(), key.begin(), key.end());
            keys.push_back(doubled);
        }
        for (const std::vector<uint8_t>& k : keys) {
            BlowfishSetKey(k.data(), int16_t(k.size()));
            std::vector<uint8_t> plain = FromHex(v.plain);
            uint32_t l = uint32_t(plain[0]) << 24 | uint32_t(plain[1]) << 16 | uint32_t(plain[2]) << 8 | plain[3];
            uint32_t r = uint32_t(plain[4]) << 24 | uint32_t(plain[5]) << 16 | uint32_t(plain[6]) << 8 | plain[7];
            const uint32_t l0 = l, r0 = r;
            BlowfishEncipher(&l, &r);
            char text[17];
            snprintf(text, sizeof(text), "%08x%08x", unsigned(l), unsigned(r));
            EXPECT_EQ(v.cipher, std::string(text)) << "key length " << k.size();
            BlowfishDecipher(&l, &r);
            EXPECT_EQ(l0, l);
            EXPECT_EQ(r0, r);
        }

        reader::BlowfishKey oracle(key.data(), key.size());
        std::vector<uint8_t> block = FromHex(v.plain);
        oracle.Encrypt(block.data());
        EXPECT_EQ(v.cipher, ToHex(block.data(), 8)) << "test reader";
        oracle.Decrypt(block.data());
        EXPECT_EQ(v.plain, ToHex(block.data(), 8)) << "test reader";
    }
}

TEST(Blowfish, RoundFunctionUsesCurrentKey)
{
    const uint8_t zeroKey[16] = {};
    BlowfishSetKey(zeroKey, 16);
    uint32_t before = BlowfishF(0x01234567);
    const uint8_t otherKey[16] = {1};
    BlowfishSetKey(otherKey, 16);
    EXPECT_NE(before, BlowfishF(0x01234567));
}

struct Md5Vector {
    std::string input;
    const char* digest;
};

TEST(Md5, PublishedVectors)
{
    const Md5Vector vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(16, '\0'), "4ae71336e44bf9bf79d2752e234818a5"},
        {std::string(16, '\1'), "24311d9abc4077123c2c9a167afbe754"},
    };
    for (const Md5Vector& v : vectors) {
        SCOPED_TRACE(v.digest);
        const uint8_t* data = reinterpret_cast<const uint8_t*>(v.input.data());
        MD5_CTX context;
        MD5Init(&context);
        MD5Update(&context, data, v.input.size());
        uint8_t digest[16];
        MD5Final(digest, &context);
        EXPECT_EQ(v.digest, ToHex(digest, 16));

        // The same message fed in pieces of every size up to 70 bytes.
        for (size_t piece = 1; piece <= 70 && piece < v.input.size(); piece += 7) {
            MD5Init(&context);
            for (size_t at = 0; at < v.input.size(); at += piece)
                MD5Update(&context, data + at, std::min(piece, v.input.size() - at));
            MD5Final(digest, &context);
            EXPECT_EQ(v.digest, ToHex(digest, 16)) << "pieces of " << piece;
        }

        reader::Digest oracle = reader::Md5(v.input);
        EXPECT_EQ(v.digest, ToHex(oracle.data(), 16)) << "test reader";
    }
}

// The program's block against values computed with a general-purpose Blowfish-ECB and MD5 (for a table whose entry
// k is 16 bytes of value k): byte order of the halves, MD5 of the entry as raw key, two independent halves.
TEST(SupportBlock, MatchesExternallyComputedBlocks)
{
    struct Case {
        int entry;
        std::string plain;
        const char* cipher;
    };
    std::string hardware = std::string("Hardware Information\r\n") + std::string(10, '\0');
    const Case cases[] = {
        {0, std::string("\r\n") + std::string(14, '\0'), "954bd46c9dd32d3a8a27a22037b6e524"},
        {0, hardware.substr(0, 16), "76e8dbd32d8383bf3498190a9eaba994"},
        {1, hardware.substr(16, 16), "11f062e7713a5e8cadc3d0d8a257baa3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cipher);
        uint8_t entry[16];
        std::memset(entry, c.entry, sizeof(entry));
        MD5_CTX context;
        MD5Init(&context);
        MD5Update(&context, entry, 16);
        MD5Final(g_SupportBlockKey, &context);
        SetSupportBlockInput(reinterpret_cast<const uint8_t*>(c.plain.data()), 16);
        EncipherSupportBlock();
        uint8_t out[16];
        GetSupportBlockOutput(out, 16);
        EXPECT_EQ(c.cipher, ToHex(out, 16));
    }
}

TEST(SupportBlock, HalvesAreEncipheredIndependently)
{
    const uint8_t block[16] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
    MakeSupportBlockKey(3);
    SetSupportBlockInput(block, 16);
    EncipherSupportBlock();
    EXPECT_EQ(0, std::memcmp(g_SupportBlockOut, g_SupportBlockOut + 8, 8));
    EXPECT_NE(0, std::memcmp(g_SupportBlockOut, block, 8));
}

TEST(SupportBlock, InputIsClearedAndBounded)
{
    const uint8_t ones[20] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    SetSupportBlockInput(ones, 20);
    const uint8_t three[3] = {7, 7, 7};
    SetSupportBlockInput(three, 3);
    const uint8_t expected[16] = {7, 7, 7};
    EXPECT_EQ(0, std::memcmp(expected, g_SupportBlockIn, 16));

    uint8_t from[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    uint8_t to[16];
    ReverseWordBytes16(from, to);
    const uint8_t reversed[16] = {3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12};
    EXPECT_EQ(0, std::memcmp(reversed, to, 16));
}

// Record lengths: the line, CR LF and at least two zeros, rounded up to 16 bytes.
TEST(SupportRecord, LengthAndBlockCounter)
{
    const struct {
        int textLength;
        int recordLength;
    } cases[] = {{0, 16}, {1, 16}, {12, 16}, {13, 32}, {14, 32}, {28, 32}, {29, 48}, {299, 304}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.textLength);
        EXPECT_EQ(c.recordLength, SupportRecordLength(c.textLength));
        std::string text(size_t(c.textLength), 'x');
        int32_t counter = 7;
        int length = 0;
        std::unique_ptr<uint8_t[]> record(EncipherSupportRecord(text.data(), c.textLength, &counter, &length));
        EXPECT_EQ(c.recordLength, length);
        EXPECT_EQ(7 + c.recordLength / 16, counter);
    }
}

// Records the program enciphers, concatenated as the writer would, read back by the test reader. Block k of the
// stream uses key entry k mod 10 across records: the 11th block uses entry 0 again.
TEST(SupportRecord, StreamReadsBackLineByLine)
{
    const std::vector<std::string> lines = {
        "",
        "Hardware Information",
        std::string(12, 'a'),
        std::string(13, 'b'),
        std::string(14, 'c'),
        "100% sure: %s %d %%",
        "line with\nline feed",
        "line with\r\ncarriage return",
        "K\xe4"
        "se \xe9"
        "t\xe9",
        std::string(69, '_'),
        "\ttab\tseparated\t",
        std::string(290, 'z'),
    };
    int32_t counter = 0;
    std::vector<uint8_t> file;
    for (const std::string& line : lines) {
        int length = 0;
        std::unique_ptr<uint8_t[]> record(EncipherSupportRecord(line.data(), int(line.size()), &counter, &length));
        file.insert(file.end(), record.get(), record.get() + length);
    }
    ASSERT_GT(file.size(), 160u);
    std::string error;
    std::vector<std::string> decoded = reader::DecodeSupportFile(file, reader::kSupportKeys, &error);
    EXPECT_EQ("", error);
    EXPECT_EQ(lines, decoded);

    // Equal plain blocks at blocks 0 and 10 give equal enciphered blocks; at other distances they differ.
    std::vector<uint8_t> empties;
    counter = 0;
    for (int i = 0; i < 11; ++i) {
        int length = 0;
        std::unique_ptr<uint8_t[]> record(EncipherSupportRecord("", 0, &counter, &length));
        empties.insert(empties.end(), record.get(), record.get() + length);
    }
    EXPECT_EQ(0, std::memcmp(&empties[0], &empties[160], 16));
    EXPECT_NE(0, std::memcmp(&empties[0], &empties[16], 16));
}

TEST(SupportKeyTable, MatchesTheSupportTeamsReader)
{
    EXPECT_EQ(0, std::memcmp(g_SupportKeyTable, reader::kSupportKeys, sizeof(reader::kSupportKeys)));
}

} // namespace
