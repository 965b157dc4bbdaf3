// tests/drive/media/DiscTextTest.cpp
// CD-TEXT strings and packs, OSTA compressed Unicode and the UDF tag CRC.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "drive/DiscText.h"

namespace {

// CD-TEXT data of packs of one type holding the given text bytes (12 per pack), with valid CRCs.
std::vector<BYTE> Packs(BYTE type, const std::string& bytes, bool doubleByte = false, int firstTrack = 0)
{
    std::vector<BYTE> data(4, 0);
    for (size_t at = 0, n = 0; at < bytes.size(); at += 12, ++n) {
        BYTE pack[18] = {type, BYTE(firstTrack), BYTE(n), BYTE(doubleByte ? 0x80 : 0)};
        for (size_t i = 0; i < 12 && at + i < bytes.size(); ++i)
            pack[4 + i] = BYTE(bytes[at + i]);
        WORD crc = 0;
        for (int i = 0; i < 16; ++i) {
            crc = WORD(crc ^ (pack[i] << 8));
            for (int b = 0; b < 8; ++b)
                crc = WORD((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        }
        crc = WORD(~crc);
        pack[16] = BYTE(crc >> 8);
        pack[17] = BYTE(crc);
        data.insert(data.end(), pack, pack + 18);
    }
    data[0] = BYTE((data.size() - 2) >> 8);
    data[1] = BYTE(data.size() - 2);
    return data;
}

std::string Str(BYTE type, int track, const std::vector<BYTE>& data, int outSize = 200)
{
    std::vector<char> out(size_t(outSize), 'x');
    return GetCdTextString(type, track, out.data(), outSize, data.data(), int(data.size()));
}

TEST(CdTextString, StringsBelongToTracksInOrder)
{
    std::vector<BYTE> data = Packs(kCdTextTitle, std::string("ALBUM\0ONE\0TWO\0", 14));
    EXPECT_EQ("ALBUM", Str(kCdTextTitle, 0, data));
    EXPECT_EQ("ONE", Str(kCdTextTitle, 1, data));
    EXPECT_EQ("TWO", Str(kCdTextTitle, 2, data));
    EXPECT_EQ("Unknown Title", Str(kCdTextTitle, 3, data));
    EXPECT_EQ("Unknown Artist", Str(kCdTextPerformer, 1, data));
    EXPECT_EQ("", Str(0x85, 1, data));
}

TEST(CdTextString, CountingStartsAtTheFirstPacksTrack)
{
    std::vector<BYTE> data = Packs(kCdTextTitle, std::string("THREE\0FOUR\0", 11), false, 3);
    EXPECT_EQ("THREE", Str(kCdTextTitle, 3, data));
    EXPECT_EQ("FOUR", Str(kCdTextTitle, 4, data));
    EXPECT_EQ("Unknown Disc", Str(kCdTextTitle, 0, data));
}

TEST(CdTextString, DoubleBytePacksNeedTwoZeroBytes)
{
    std::vector<BYTE> data = Packs(kCdTextTitle, std::string("\x82\xA0\0\x82\xA2\0\0\x82\xA4\0\0", 11), true);
    EXPECT_EQ("\x82\xA0\x82\xA2", Str(kCdTextTitle, 0, data));
    EXPECT_EQ("\x82\xA4", Str(kCdTextTitle, 1, data));
}

TEST(CdTextString, OutputIsBoundedAndPacksOutsideTheDataAreNotRead)
{
    std::vector<BYTE> data = Packs(kCdTextTitle, std::string(40, 'L') + std::string(1, '\0'));
    EXPECT_EQ(std::string(9, 'L'), Str(kCdTextTitle, 0, data, 10));
    // The header announces more packs than the buffer holds: only the whole packs inside it are read.
    data[0] = 0x7F;
    data[1] = 0xFF;
    EXPECT_EQ(std::string(40, 'L'), Str(kCdTextTitle, 0, data));
    std::vector<BYTE> cut(data.begin(), data.begin() + 4 + 18 + 5);
    EXPECT_EQ("Unknown Disc", Str(kCdTextTitle, 0, cut));
}

// CRCs are not checked: a pack that fails its CRC is read like the others, whichever pack it is, and the strings
// of the good packs and the count of the strings after it stay as they are.
TEST(CdTextString, APackFailingItsCrcIsReadLikeTheOthers)
{
    const std::vector<BYTE> good = Packs(kCdTextTitle, std::string("ALBUM\0ONE\0TWO\0", 14));
    ASSERT_EQ(4u + 2 * 18, good.size());
    for (int damaged = 0; damaged < 2; ++damaged) {
        std::vector<BYTE> data = good;
        data[size_t(4 + 18 * damaged + 17)] ^= 1;
        EXPECT_EQ("ALBUM", Str(kCdTextTitle, 0, data)) << "pack " << damaged;
        EXPECT_EQ("ONE", Str(kCdTextTitle, 1, data)) << "pack " << damaged;
        EXPECT_EQ("TWO", Str(kCdTextTitle, 2, data)) << "pack " << damaged;
    }
}

TEST(CdTextPacks, BuiltPacksReadBack)
{
    static CdTextSources sources;
    std::memset(&sources, 0, sizeof(sources));
    std::strcpy(sources[0][0], "A Disc Title Longer Than One Pack");
    std::strcpy(sources[0][1], "First");
    std::strcpy(sources[0][2], "Second");
    std::strcpy(sources[1][0], "Band");
    std::strcpy(sources[1][2], "Soloist");
    std::vector<BYTE> out(kCdTextBufferSize, 0);
    int length = BuildCdTextPacks(sources, out.data(), 2);
    ASSERT_GT(length, 4);
    EXPECT_EQ(length - 2, (out[0] << 8) | out[1]);
    int packs = (length - 4) / 18;
    for (int p = 0; p < packs; ++p) {
        EXPECT_TRUE(IsCdTextPackCrcValid(out.data() + 4 + 18 * p)) << p;
        EXPECT_EQ(p, out[4 + 18 * p + 2]) << "sequence number";
    }
    EXPECT_EQ(kCdTextSizeInfo, out[4 + 18 * (packs - 1)]);
    EXPECT_EQ("A Disc Title Longer Than One Pack", Str(kCdTextTitle, 0, out));
    EXPECT_EQ("Second", Str(kCdTextTitle, 2, out));
    EXPECT_EQ("Band", Str(kCdTextPerformer, 0, out));
    EXPECT_EQ("Soloist", Str(kCdTextPerformer, 2, out));
}

TEST(OstaUnicode, DecodeAndEncode)
{
    WCHAR units[8] = {};
    const BYTE eight[] = {0x08, 0x41, 0x42};
    EXPECT_EQ(2, DecodeOstaCompressedUnicode(3, eight, units));
    EXPECT_EQ(0x0041, units[0]);
    EXPECT_EQ(0x0042, units[1]);
    const BYTE sixteen[] = {0x10, 0x00, 0x41};
    EXPECT_EQ(1, DecodeOstaCompressedUnicode(3, sixteen, units));
    EXPECT_EQ(0x0041, units[0]);
    const BYTE odd[] = {0x10, 0x30, 0x42, 0x20};
    EXPECT_EQ(2, DecodeOstaCompressedUnicode(4, odd, units));
    EXPECT_EQ(0x3042, units[0]);
    EXPECT_EQ(0x2000, units[1]);
    const BYTE other[] = {0x20, 0x41};
    EXPECT_EQ(-1, DecodeOstaCompressedUnicode(2, other, units));
    EXPECT_EQ(0, DecodeOstaCompressedUnicode(1, eight, units));

    const WCHAR text[] = {0x0054, 0x3042};
    BYTE bytes[8] = {};
    EXPECT_EQ(5, EncodeOstaCompressedUnicode(2, 16, text, bytes));
    EXPECT_EQ((std::vector<BYTE>{0x10, 0x00, 0x54, 0x30, 0x42}), std::vector<BYTE>(bytes, bytes + 5));
    EXPECT_EQ(1, EncodeOstaCompressedUnicode(0, 8, text, bytes));
    EXPECT_EQ(-1, EncodeOstaCompressedUnicode(2, 12, text, bytes));
}

TEST(OstaUnicode, DStringLengthIsBoundedByTheField)
{
    BYTE field[32] = {8, 'D', 'A', 'T', 'A'};
    field[31] = 5;
    char text[33];
    DecodeUdfDString(field, 32, text, 32);
    EXPECT_STREQ("DATA", text);
    field[31] = 255; // a length past the field reads the field's bytes only
    std::memset(field + 5, 'Z', 26);
    DecodeUdfDString(field, 32, text, 32);
    EXPECT_EQ(30u, std::strlen(text));
}

TEST(UdfCrc, KnownValues)
{
    EXPECT_EQ(0x9DD6, UdfCrc16(reinterpret_cast<const BYTE*>("abc"), 3));
    EXPECT_EQ(0, UdfCrc16(reinterpret_cast<const BYTE*>("abc"), 0));
}

TEST(QSubchannel, CatalogueNumberAndIsrcForms)
{
    const BYTE mcnQ[10] = {0x02, 0x40, 0x06, 0x38, 0x13, 0x33, 0x93, 0x10, 0, 0};
    char digits[14];
    DecodeQMediaCatalogNumber(mcnQ, digits);
    EXPECT_STREQ("4006381333931", digits);

    // "US" "KV1": 0x25 0x23 0x1B 0x26 0x01, then 0500042.
    DWORD bits = (0x25u << 26) | (0x23u << 20) | (0x1Bu << 14) | (0x26u << 8) | (0x01u << 2);
    BYTE isrcQ[10] = {0x03, BYTE(bits >> 24), BYTE(bits >> 16), BYTE(bits >> 8), BYTE(bits), 0x05, 0x00, 0x04, 0x20, 0};
    char isrc[13];
    ASSERT_TRUE(DecodeQIsrc(isrcQ, isrc));
    EXPECT_STREQ("USKV10500042", isrc);
    isrcQ[4] |= 1;
    EXPECT_FALSE(DecodeQIsrc(isrcQ, isrc));
}

} // namespace
