// tests/transfer/WriteTestMathTest.cpp
// The write tests' numbers: cue sheets and write-parameters pages as the drive receives them, test lengths, the
// DVD capacity rule, which worker records a profile, and the speed of a sample from its timed blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "transfer/CdWriteTest.h"
#include "transfer/DvdWriteTest.h"
#include "transfer/WriterModels.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes SheetBytes(const CueSheetEntry (&sheet)[kCueSheetEntries])
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(sheet);
    return Bytes(p, p + kCueSheetBytes);
}

TEST(CdWriteMath, CueSheetsCarryTheLeadOutAtTestLengthPlusTheTwoSecondPregap)
{
    CueSheetEntry mode1[kCueSheetEntries], audio[kCueSheetEntries];
    BuildCdCueSheet(mode1, true);
    BuildCdCueSheet(audio, false);
    SetCueSheetLeadOut(mode1, 4500);   // 4650 frames = 01:02:00
    SetCueSheetLeadOut(audio, 332625); // 332775 frames = 73:57:00
    EXPECT_EQ(Bytes({0x41, 0x00, 0x00, 0x14, 0, 0, 0, 0, 0x41, 0x01, 0x00, 0x11, 0, 0, 0, 0,
                     0x41, 0x01, 0x01, 0x11, 0, 0, 2, 0, 0x41, 0xAA, 0x01, 0x14, 0, 1, 2, 0}),
              SheetBytes(mode1));
    EXPECT_EQ(Bytes({0x01, 0x00, 0x00, 0x01, 0, 0, 0, 0, 0x01, 0x01, 0x00, 0x00, 0, 0,  0,  0,
                     0x01, 0x01, 0x01, 0x00, 0, 0, 2, 0, 0x01, 0xAA, 0x01, 0x01, 0, 73, 57, 0}),
              SheetBytes(audio));
}

TEST(CdWriteMath, WriteParametersPageForEachFormatAndFlag)
{
    struct Case {
        bool bSimulate, bBufe, bMode1;
        uint8_t b6, b7, b8;
    } cases[] = {
        {false, false, true, 0x02, 4, 8},
        {true, false, true, 0x12, 4, 8},
        {false, true, false, 0x42, 0, 0},
        {true, true, false, 0x52, 0, 0},
    };
    for (const Case& c : cases) {
        uint8_t list[100];
        memset(list, 0xEE, sizeof(list));
        BuildCdWriteParameters(list, c.bSimulate, c.bBufe, c.bMode1);
        Bytes expected(kCdWriteParametersLength, 0);
        expected[4] = 0x05;
        expected[5] = 0x32;
        expected[6] = c.b6;
        expected[7] = c.b7;
        expected[8] = c.b8;
        expected[19] = 0x96;
        EXPECT_EQ(expected, Bytes(list, list + kCdWriteParametersLength)) << int(c.b6);
        EXPECT_EQ(0xEE, list[kCdWriteParametersLength]) << "written past the list";
    }
}

TEST(CdWriteMath, TestLengthIsWholeSamples)
{
    EXPECT_EQ(4500, CdWriteTestLength(8999, 4500));
    EXPECT_EQ(9000, CdWriteTestLength(9000, 4500));
    EXPECT_EQ(0, CdWriteTestLength(1000, 1125));
    EXPECT_EQ(359000, CdWriteTestLength(359000, 1000)); // 40 blocks per sample
    EXPECT_EQ(0, CdWriteTestLength(-1, 4500));
}

TEST(CdWriteMath, SampleCountsExactlyTheTimedBlocks)
{
    EXPECT_EQ(44, CdWriteTimedBlocks(45, true)) << "45 blocks: the first sample is timed from block 0 like the rest";
    EXPECT_EQ(44, CdWriteTimedBlocks(45, false));
    EXPECT_EQ(134, CdWriteTimedBlocks(180, true)) << "timed from the end of block 45";
    EXPECT_EQ(179, CdWriteTimedBlocks(180, false));
    // 16X CLV: 1200 sectors a second; 179 blocks are 3729 ms.
    EXPECT_EQ(1600u, CdWriteSampleValue(179, 3729));
    EXPECT_EQ(44u * 100000 / 3, CdWriteSampleValue(44, 0)) << "under a millisecond counts as one";
}

struct ProfileCase {
    int nProfile;
    DvdWriteWorker worker;
    const char* pszName;
    int nBlock;
    bool bPage;
    uint8_t b6Simulate, b7;
};

const ProfileCase kProfiles[] = {
    {0x11, kDvdWorkerMinusR, "DVD-R", 25, true, 0x52, 0x25},
    {0x15, kDvdWorkerMinusR, "DVD-R DL", 25, true, 0x52, 0x25},
    {0x13, kDvdWorkerMinusRw, "DVD-RW", 25, true, 0x52, 0xE5},
    {0x14, kDvdWorkerMinusRw, "DVD-RW", 25, true, 0x52, 0xE5},
    {0x1B, kDvdWorkerPlusR, "DVD+R", 25, true, 0x42, 0x25},
    {0x2B, kDvdWorkerPlusR, "DVD+R DL", 25, true, 0x42, 0x25},
    {0x1A, kDvdWorkerPlusRw, "DVD+RW", 25, true, 0x42, 0x25},
    {0x12, kDvdWorkerRam, "DVD-RAM", 32, false, 0, 0},
    {0x10, kDvdWorkerNone, "DVD-ROM", 25, false, 0, 0},
    {0x09, kDvdWorkerNone, "DVD", 25, false, 0, 0},
};

TEST(DvdWriteMath, EachProfileHasItsWorkerPageAndBlockSize)
{
    for (const ProfileCase& c : kProfiles) {
        SCOPED_TRACE(c.pszName);
        EXPECT_EQ(c.worker, DvdWriteWorkerForProfile(c.nProfile));
        EXPECT_STREQ(c.pszName, DvdProfileName(c.nProfile));
        EXPECT_EQ(c.nBlock, DvdWriteBlockSectors(c.nProfile));
        uint8_t list[kDvdWriteParametersLength];
        EXPECT_EQ(c.bPage, BuildDvdWriteParameters(list, c.nProfile, true));
        if (c.bPage) {
            Bytes expected(kDvdWriteParametersLength, 0);
            expected[4] = 0x05;
            expected[5] = 0x32;
            expected[6] = c.b6Simulate;
            expected[7] = c.b7;
            expected[8] = 0x08;
            expected[19] = 0x96;
            EXPECT_EQ(expected, Bytes(list, list + sizeof(list)));
            ASSERT_TRUE(BuildDvdWriteParameters(list, c.nProfile, false));
            EXPECT_EQ(0x42, list[6]) << "without simulation";
        }
    }
}

TEST(DvdWriteMath, TestLengthsAreWholeCommandsOfTheProfile)
{
    EXPECT_EQ(2295000, DvdWriteTestLength(2295104, 4500, 0x11));
    EXPECT_EQ(4480L * 510, DvdWriteTestLength(2295104, 4500, 0x12)) << "140 commands of 32 sectors per sample";
    EXPECT_EQ(1120, DvdWriteTestLength(2000, 1125, 0x12));
    EXPECT_EQ(0, DvdWriteTestLength(0, 1125, 0x1A)) << "no matching capacity: nothing to write";
}

Bytes FormatCapacities(std::initializer_list<std::pair<uint32_t, uint8_t>> descriptors)
{
    Bytes answer(4, 0);
    answer[3] = uint8_t(8 * descriptors.size());
    for (const auto& d : descriptors) {
        answer.insert(answer.end(), {uint8_t(d.first >> 24), uint8_t(d.first >> 16), uint8_t(d.first >> 8),
                                     uint8_t(d.first), d.second, 0, 0x08, 0x00});
    }
    return answer;
}

TEST(DvdWriteMath, CapacityRuleTakesTheFirstDescriptorOfAMatchingType)
{
    const Bytes plusRwBlank = FormatCapacities({{2295104, 0x03}, {2295104, 0x98}});
    EXPECT_EQ(2295104, DvdCapacityFromFormatCapacities(plusRwBlank.data(), int(plusRwBlank.size()), 0x1A));
    const Bytes plusRwUnformatted = FormatCapacities({{2200000, 0x01}, {2295104, 0x98}});
    EXPECT_EQ(2200000, DvdCapacityFromFormatCapacities(plusRwUnformatted.data(), int(plusRwUnformatted.size()), 0x1A));
    const Bytes minusRw = FormatCapacities({{100, 0x03}, {2294922, 0x00}, {2294000, 0x54}});
    EXPECT_EQ(2294922, DvdCapacityFromFormatCapacities(minusRw.data(), int(minusRw.size()), 0x13));
    const Bytes ram = FormatCapacities({{2236704, 0x02}});
    EXPECT_EQ(2236704, DvdCapacityFromFormatCapacities(ram.data(), int(ram.size()), 0x12));
    const Bytes none = FormatCapacities({{100, 0x03}, {200, 0x10}});
    EXPECT_EQ(0, DvdCapacityFromFormatCapacities(none.data(), int(none.size()), 0x1A));
    // A count that claims more descriptors than the answer holds stops at the answer's end.
    Bytes cut = FormatCapacities({{100, 0x03}});
    cut[3] = 0xF8;
    EXPECT_EQ(0, DvdCapacityFromFormatCapacities(cut.data(), int(cut.size()), 0x13));
}

TEST(DvdWriteMath, SampleCountsTheBlocksAfterTheSecond)
{
    EXPECT_EQ(43, DvdWriteTimedBlocks(45));
    EXPECT_EQ(178, DvdWriteTimedBlocks(180));
    // 8X: 5400 sectors a second; 43 blocks of 25 sectors are 199 ms.
    EXPECT_EQ(800u, DvdWriteSampleValue(43, 25, 199));
    // DVD-RAM: 33 timed blocks of 32 sectors in 313 ms at 1350 KB/s.
    EXPECT_EQ(uint32_t((33 * 64000 / 313) * 100.0 / 1350), DvdWriteSampleValue(33, 32, 313));
    EXPECT_EQ(uint32_t((33 * 64000 / 313) * 100.0 / 1385), DvdWriteSampleValue(33, 32, 313, 1385));
    EXPECT_EQ(43u * 100000 / 27, DvdWriteSampleValue(43, 25, 0)) << "under a millisecond counts as one";
}

TEST(DvdWriteMath, DvdRamBasisFollowsTheProductIdentification)
{
    EXPECT_EQ(1385, DvdRamSpeedBasis("DVDR   QZ7300   "));
    EXPECT_EQ(1385, DvdRamSpeedBasis("DVDR   QZ7300X  ")) << "matched as a part of the identification";
    EXPECT_EQ(1350, DvdRamSpeedBasis("DVDR   QZ7240   "));
    EXPECT_EQ(1350, DvdRamSpeedBasis("DVD-RW XR-7700  "));
    EXPECT_EQ(1350, DvdRamSpeedBasis(""));
    EXPECT_EQ(1350, DvdRamSpeedBasis(nullptr));
}

// The lists matched against the drive's row in the model table name models that have a row: a number without one
// could never match, and its family would silently be treated as any other drive.
TEST(WriterModels, ListsMatchedOnModelRowsNameModelsWithARow)
{
    for (const ModelNumberGroup* pGroup : {&g_DvdPlusRwImmediateFormatModels, &g_CdEjectAfterSimulationModels}) {
        EXPECT_GT(pGroup->count, 0) << pGroup->name;
        for (int i = 0; i < pGroup->count; ++i) {
            bool bRow = false;
            for (const ModelRecord& row : g_ModelTable)
                bRow = bRow || std::strstr(row.productId, pGroup->numbers[i]) != nullptr;
            EXPECT_TRUE(bRow) << pGroup->name << ": " << pGroup->numbers[i];
        }
    }
}

} // namespace
