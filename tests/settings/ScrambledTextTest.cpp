// tests/settings/ScrambledTextTest.cpp — the keyed text scrambler against a second, bit-by-bit implementation of the
// stored format, known stored values, and damaged stored texts
#include "update/ScrambledText.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// A second implementation of the stored format, written from the format's description and sharing no code with
// the program: every byte is assembled from a pattern of named bits, most significant first.
class ReferenceScrambler {
public:
    static std::string Encode(const std::string& key, const std::string& plain)
    {
        std::string out;
        for (size_t i = 0; i < plain.size(); ++i) {
            const int k = static_cast<unsigned char>(key[i % key.size()]);
            const int p = static_cast<unsigned char>(plain[i]);
            const int q = Assemble("p7 p5 p3 p1 p0 p2 p4 p6", {{'p', p}});
            const int a = Assemble("k7 k6 q7 q6 k3 k2 q3 q2", {{'k', k}, {'q', q}});
            const int b = Assemble("k5 k4 q5 q4 k1 k0 q1 q0", {{'k', k}, {'q', q}});
            const bool odd = ((a * b) / 311) % 2 == 1;
            out += static_cast<char>(odd ? a : b);
            out += static_cast<char>(odd ? b : a);
        }
        return out;
    }

    // Empty for an odd or empty text, as the program reads it.
    static std::string Decode(const std::string& key, const std::string& scrambled)
    {
        std::string out;
        if (scrambled.empty() || scrambled.size() % 2 != 0)
            return out;
        for (size_t j = 0; j < scrambled.size() / 2; ++j) {
            const int s0 = static_cast<unsigned char>(scrambled[2 * j]);
            const int s1 = static_cast<unsigned char>(scrambled[2 * j + 1]);
            const bool odd = ((s0 * s1) / 311) % 2 == 1;
            const int x = odd ? s0 : s1;
            const int y = odd ? s1 : s0;
            const int kk = Assemble("X7 X6 Y7 Y6 X3 X2 Y3 Y2", {{'X', x}, {'Y', y}});
            int q = Assemble("X5 X4 Y5 Y4 X1 X0 Y1 Y0", {{'X', x}, {'Y', y}});
            const int keyChar = key.empty() ? 0 : static_cast<signed char>(key[j % key.size()]);
            if (kk != keyChar)
                q = kk;
            out += static_cast<char>(Assemble("Q7 Q0 Q6 Q1 Q5 Q2 Q4 Q3", {{'Q', q}}));
        }
        return out;
    }

private:
    static int Assemble(const std::string& pattern, const std::map<char, int>& sources)
    {
        int value = 0;
        for (size_t i = 0; i + 1 < pattern.size(); i += 3) {
            const int bit = (sources.at(pattern[i]) >> (pattern[i + 1] - '0')) & 1;
            value = value * 2 + bit;
        }
        return value;
    }
};

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::string EncodeWith(const std::string& key, const std::string& plain, int* pResult = nullptr)
{
    CScrambledText text(0, key.c_str(), plain.c_str());
    const int result = text.Encode();
    if (pResult != nullptr)
        *pResult = result;
    return result != 0 ? std::string(text.GetScrambledText()) : std::string();
}

std::string DecodeWith(const std::string& key, const std::string& scrambled, int* pResult = nullptr)
{
    CScrambledText text(1, key.c_str(), scrambled.c_str());
    const int result = text.Decode();
    if (pResult != nullptr)
        *pResult = result;
    return text.GetPlainText();
}

const std::string kProgramKey = static_cast<const char*>(GetScramblerKey());

TEST(ScrambledText, KnownStoredValues)
{
    EXPECT_EQ(Bytes({0x5A, 0x0D}), EncodeWith("K", "a"));
    const std::string stored =
        Bytes({0x1F, 0x5A, 0xC5, 0x53, 0x16, 0xDD, 0xDF, 0x54, 0x53, 0x49, 0xCB, 0x59, 0x5A, 0x2E, 0xE6, 0x52});
    EXPECT_EQ(stored, EncodeWith("Kq7wRz", "secret99"));
    int result = 0;
    EXPECT_EQ("secret99", DecodeWith("Kq7wRz", stored, &result));
    EXPECT_EQ(6, result);
}

// Passwords of every kind the proxy page accepts, under the program's key and under other keys.
TEST(ScrambledText, MatchesTheReferenceAndReadsBack)
{
    const std::string longest(49, 'w');
    const std::string longestAccepted = std::string(90, 'x') + "\xE4\xF6\xFC\xDF\x80\xA9\xFF\x81y";
    const struct {
        std::string key;
        std::string plain;
    } cases[] = {
        {kProgramKey, "p"},
        {kProgramKey, "secret"},
        {kProgramKey, "seven77"}, // longer than the key: the key wraps
        {kProgramKey, "Pa\xDF"
                      "w\xF6rt \x80 caf\xE9"}, // Windows-1252 letters and the euro sign
        {kProgramKey, longest},
        {kProgramKey, longestAccepted},
        {"Kq7wRz", "proxy-user:pass@host"},
        {"k", "\x01\x7F\x80\xFF"},
        {"123456789", "nine-character key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("plain \"" + c.plain + "\" key \"" + c.key + "\"");
        int result = 0;
        const std::string stored = EncodeWith(c.key, c.plain, &result);
        EXPECT_EQ(static_cast<int>(c.plain.size()), result);
        EXPECT_EQ(ReferenceScrambler::Encode(c.key, c.plain), stored);
        EXPECT_EQ(2 * c.plain.size(), stored.size());
        EXPECT_EQ(c.plain, DecodeWith(c.key, stored, &result));
        EXPECT_EQ(static_cast<int>(c.key.size()), result);
    }
    EXPECT_EQ(99u, longestAccepted.size());
}

// With the program's key no stored byte is 0, so a stored text never ends early, whatever the character and
// whichever key character scrambles it.
TEST(ScrambledText, ProgramKeyNeverStoresAZeroByte)
{
    ASSERT_EQ(6u, kProgramKey.size());
    for (char c : kProgramKey) {
        EXPECT_GE(c, 0x21);
        EXPECT_LE(c, 0x7E);
    }
    for (size_t position = 0; position < kProgramKey.size(); ++position) {
        for (int value = 1; value < 256; ++value) {
            CScrambledText text(kProgramKey.c_str());
            BYTE first = 0;
            BYTE second = 0;
            text.EncodeByte(static_cast<BYTE>(value), static_cast<int>(position), first, second);
            ASSERT_NE(0, first) << "byte " << value << " at key position " << position;
            ASSERT_NE(0, second) << "byte " << value << " at key position " << position;
            BYTE plain = 0;
            text.DecodePair(static_cast<int>(position), first, second, plain);
            ASSERT_EQ(value, plain);
        }
    }
}

TEST(ScrambledText, KeyIsUsedCyclically)
{
    const std::string stored = EncodeWith("abcdef", "xyzxyzx");
    ASSERT_EQ(14u, stored.size());
    EXPECT_EQ(stored.substr(0, 2), stored.substr(12, 2));
    EXPECT_NE(stored.substr(0, 2), stored.substr(6, 2));
}

// Stored values that are damaged, cut short or too long read back as an empty text and a result of 0.
TEST(ScrambledText, DamagedStoredTextsReadAsEmpty)
{
    const std::string stored = EncodeWith(kProgramKey, "secret");
    const std::string cases[] = {
        "",
        stored.substr(0, 1),
        stored.substr(0, stored.size() - 1),
        "abc",
        std::string(199, 'Z'),
        std::string(240, 'Z'),
        std::string(5000, '\x93'),
    };
    for (const std::string& damaged : cases) {
        SCOPED_TRACE("stored length " + std::to_string(damaged.size()));
        int result = -1;
        EXPECT_EQ("", DecodeWith(kProgramKey, damaged, &result));
        EXPECT_EQ(0, result);
        EXPECT_EQ("", std::string(UnscrambleText(CString(damaged.c_str()))));
    }
    // A full-length stored text of 198 bytes is still read.
    const std::string full = EncodeWith(kProgramKey, std::string(99, 'q'));
    ASSERT_EQ(198u, full.size());
    EXPECT_EQ(std::string(99, 'q'), DecodeWith(kProgramKey, full));
}

TEST(ScrambledText, TooLongInputIsRefused)
{
    int result = -1;
    EXPECT_EQ("", EncodeWith(kProgramKey, std::string(100, 'a'), &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ("", std::string(ScrambleText(CString(std::string(150, 'a').c_str()))));

    // A key longer than nine characters is refused in both directions.
    EXPECT_EQ("", EncodeWith("0123456789", "text", &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ("", DecodeWith("0123456789", EncodeWith("012345678", "text"), &result));
    EXPECT_EQ(0, result);
}

TEST(ScrambledText, EmptyTextOrKey)
{
    CScrambledText text(0, "", "plain");
    EXPECT_EQ(0, text.Encode());
    EXPECT_STREQ("", text.GetPlainText());
    EXPECT_STREQ("", text.GetScrambledText());

    CScrambledText noText(0, "key", "");
    noText.SetScrambledText("keep");
    EXPECT_EQ(0, noText.Encode());
    EXPECT_STREQ("keep", noText.GetScrambledText());

    // Reading with an empty key still produces a text (the key character is the NUL), with a result of 0.
    const std::string stored = EncodeWith("K", "ab");
    int result = -1;
    const std::string plain = DecodeWith("", stored, &result);
    EXPECT_EQ(0, result);
    EXPECT_EQ(ReferenceScrambler::Decode("", stored), plain);
    EXPECT_EQ(2u, plain.size());
}

TEST(ScrambledText, WrongKeyGivesAnotherTextWithoutError)
{
    const std::string stored = EncodeWith(kProgramKey, "secret");
    int result = 0;
    const std::string plain = DecodeWith("Kq7wRz", stored, &result);
    EXPECT_EQ(6, result);
    EXPECT_NE("secret", plain);
    EXPECT_EQ(ReferenceScrambler::Decode("Kq7wRz", stored), plain);
    // A key character of 0x80 or above never matches, so even the right key does not read the text back.
    const std::string high = "\xC1\xD2";
    EXPECT_NE("ab", DecodeWith(high, EncodeWith(high, "ab")));
    EXPECT_EQ(ReferenceScrambler::Decode(high, EncodeWith(high, "ab")), DecodeWith(high, EncodeWith(high, "ab")));
}

// The permutation in single steps and the pair order, against the reference for every byte.
TEST(ScrambledText, SingleSteps)
{
    CScrambledText text;
    for (int value = 0; value < 256; ++value) {
        text.SetFlagsFromByte(0, static_cast<BYTE>(value));
        const BYTE permuted = text.FlagsToByte();
        text.SetFlagsFromByte(1, permuted);
        ASSERT_EQ(value, text.FlagsToByte());
        BYTE a = 0;
        BYTE b = 0;
        CScrambledText::SpreadBits('K', permuted, a, b);
        const std::string pair = ReferenceScrambler::Encode("K", std::string(1, static_cast<char>(value)));
        const bool inOrder = CScrambledText::PairOrderValue(a, b) % 2 == 1;
        ASSERT_EQ(static_cast<BYTE>(pair[0]), inOrder ? a : b);
        ASSERT_EQ(static_cast<BYTE>(pair[1]), inOrder ? b : a);
    }
    text.SetFlagsFromByte(0, 0);
    text.SetBitFlag(0, 0); // bit 0 of the plain byte becomes bit 3
    EXPECT_EQ(0x08, text.FlagsToByte());
    EXPECT_EQ(3, CScrambledText::PairOrderValue(90, 13));
    EXPECT_EQ(CScrambledText::PairOrderValue(13, 90), CScrambledText::PairOrderValue(90, 13));
}

} // namespace
