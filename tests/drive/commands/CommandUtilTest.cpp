// tests/drive/commands/CommandUtilTest.cpp
// The command set's plain helpers.
#include <gtest/gtest.h>

#include <cstring>

#include "drive/CommandSet.h"

namespace {

TEST(CommandUtil, LbaToMsfText)
{
    const struct {
        long lba;
        const char* text;
    } cases[] = {
        {0, "00:00.00"}, {4500, "01:00.00"}, {-150, "99:58.00"}, {76, "00:01.01"}, {449999, "99:59.74"},
    };
    for (const auto& c : cases) {
        char text[32];
        EXPECT_STREQ(c.text, LbaToMsfText(c.lba, text)) << c.lba;
    }
}

TEST(CommandUtil, TrimTrailingBlanks)
{
    char blanks[] = "    ";
    EXPECT_STREQ("", TrimTrailingBlanks(blanks));
    char none[] = "QZ-7160";
    EXPECT_STREQ("QZ-7160", TrimTrailingBlanks(none));
    char some[] = " DVDR QZ7160  ";
    EXPECT_STREQ(" DVDR QZ7160", TrimTrailingBlanks(some));
}

TEST(CommandUtil, SwapBytePairsLeavesAnOddByte)
{
    BYTE data[5] = {1, 2, 3, 4, 5};
    SwapBytePairs(data, 5);
    const BYTE expected[5] = {2, 1, 4, 3, 5};
    EXPECT_EQ(0, std::memcmp(expected, data, 5));
    SwapBytePairs(nullptr, 4);
    SwapBytePairs(data, 0);
}

TEST(CommandUtil, Crc16CcittOfCheckString)
{
    WORD crc = 0xFFFF;
    for (const char* p = "123456789"; *p; ++p)
        Crc16Update(&crc, BYTE(*p));
    EXPECT_EQ(0x29B1, crc); // CRC-16/CCITT-FALSE check value
}

TEST(CommandUtil, SmallMaps)
{
    EXPECT_EQ(20, CodeForKindA(1));
    EXPECT_EQ(36, CodeForKindA(2));
    EXPECT_EQ(1, CodeForKindA(7));
    EXPECT_EQ(17, CodeForKindB(1));
    EXPECT_EQ(33, CodeForKindB(2));
    EXPECT_EQ(0, CodeForKindB(0));
    EXPECT_EQ(4, FirmwareNumber("1.04"));
    EXPECT_EQ(10, FirmwareNumber("2.10"));
    EXPECT_EQ(0, FirmwareNumber("1.0A"));
    EXPECT_EQ(0, FirmwareNumber("1."));
    char text[8];
    EXPECT_STREQ("143-2", FormatRidDigits(text, 0x02 | 0x01, 0x43, 0x10));
}

} // namespace
