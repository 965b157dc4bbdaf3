// tests/transfer/TestRunRingTest.cpp
// The run store: which slot a new run takes, what clearing empties, and the start, end and average of a run.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "transfer/TestRunRing.h"

namespace {

// Marks the runs of a bit mask used, the way a page's run leaves them: the first sample stored (and, on the write
// pages, the extent set).
void MarkUsed(TestRunRing& ring, uint32_t nMask)
{
    for (int i = 0; i < MAX_TEST_RUNS; ++i) {
        if ((nMask & (1u << i)) == 0)
            continue;
        ring.Samples(i)[0] = 1000;
        ring.Extent(i) = TestRunExtent{180, 0};
    }
}

struct SlotCase {
    const char* name;
    TestPageKind kind;
    int nCurrent;
    uint32_t nUsedMask;
    int nExpected;
};

class SlotChoice : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotChoice, TakesTheFirstFreeSlotAfterTheCurrentOneOrTheNextWhenAllAreUsed)
{
    const SlotCase& c = GetParam();
    auto ring = std::make_unique<TestRunRing>(c.kind);
    MarkUsed(*ring, c.nUsedMask);
    ring->SetCurrentRun(c.nCurrent);
    EXPECT_EQ(c.nExpected, ring->ChooseNextRunSlot()) << c.name;
    EXPECT_EQ(c.nExpected, ring->GetCurrentRun());
    for (int i = 0; i < ring->SamplesPerRun(); ++i)
        ASSERT_EQ(SAMPLE_NONE, ring->Samples(c.nExpected)[i]) << "sample " << i;
}

const SlotCase kSlotCases[] = {
    {"empty ring, first run", kTestPageDvdRead, -1, 0x000, 0},
    {"after run 1", kTestPageCdRead, 0, 0x001, 1},
    {"all used, after run 10 comes run 1", kTestPageDvdRead, 9, 0x3FF, 0},
    {"current 9 never looks at free slots", kTestPageCdRead, 9, 0x200, 0},
    {"all used, runs are overwritten in order", kTestPageCdRead, 4, 0x3FF, 5},
    {"all used, after run 1 comes run 2", kTestPageDvdRead, 0, 0x3FF, 1},
    {"all used on the DVD write page", kTestPageDvdWrite, 7, 0x3FF, 8},
    {"all used on the CD write page", kTestPageCdWrite, 0, 0x3FF, 1},
    {"all used, no run yet made here", kTestPageCdWrite, -1, 0x3FF, 0},
    {"slots 6-9 and 0 used, slot 2 free: slot 0", kTestPageDvdWrite, 5, 0x3E1, 0},
    {"a cleared slot after the current one is taken first", kTestPageCdRead, 3, 0x3EF, 4},
    {"skips used slots ahead", kTestPageDvdRead, 1, 0x01F, 5},
    {"current -1 with run 1 used", kTestPageCdRead, -1, 0x003, 2},
};

INSTANTIATE_TEST_SUITE_P(Ring, SlotChoice, ::testing::ValuesIn(kSlotCases));

TEST(RunRing, CdWriteSlotWithoutAStoredSampleIsFree)
{
    TestRunRing ring(kTestPageCdWrite);
    EXPECT_EQ(-1, ring.Extent(0).blocksPerSample);
    MarkUsed(ring, 0x3);
    ring.Extent(1) = TestRunExtent{180, -1}; // started, no sample stored yet
    ring.SetCurrentRun(0);
    EXPECT_EQ(1, ring.ChooseNextRunSlot());
    // The CD write page ignores the samples: a slot whose extent is unset is free whatever it holds.
    ring.Samples(2)[0] = 500;
    EXPECT_FALSE(ring.IsUsed(2));
}

TEST(RunRing, DvdWriteSlotCountsAsUsedFromItsFirstSkippedSample)
{
    TestRunRing ring(kTestPageDvdWrite);
    EXPECT_EQ(0, ring.Extent(3).blocksPerSample);
    EXPECT_FALSE(ring.IsUsed(0));
    ring.Samples(0)[0] = SAMPLE_SKIPPED;
    EXPECT_TRUE(ring.IsUsed(0));
}

TEST(RunRing, ClearingAnEarlierRunMakesItTheNextOne)
{
    TestRunRing ring(kTestPageCdRead);
    MarkUsed(ring, 0x3FF);
    ring.SetCurrentRun(3);
    CopyRunText(ring.Text(1, 0), kResultTextSize, "ID:1 KORVATH");
    ring.Info(1).second.present = 1;
    ring.ClearRuns(0x002);
    EXPECT_EQ(0, ring.GetCurrentRun());
    EXPECT_EQ(SAMPLE_NONE, ring.Samples(1)[0]);
    EXPECT_STREQ("", ring.Text(1, 0));
    EXPECT_EQ(0, ring.Info(1).second.present);
    EXPECT_EQ(1000u, ring.Samples(0)[0]); // other runs untouched
    EXPECT_EQ(1, ring.ChooseNextRunSlot());
}

TEST(RunRing, ClearAllMaskEmptiesEveryRunAndStartsAgainAtRunOne)
{
    for (TestPageKind kind : {kTestPageDvdRead, kTestPageCdRead, kTestPageDvdWrite, kTestPageCdWrite}) {
        auto ring = std::make_unique<TestRunRing>(kind);
        MarkUsed(*ring, 0x3FF);
        ring->SetCurrentRun(6);
        ring->ClearRuns(0xFFFF);
        EXPECT_EQ(-1, ring->GetCurrentRun()) << kind;
        for (int i = 0; i < MAX_TEST_RUNS; ++i) {
            EXPECT_FALSE(ring->IsUsed(i)) << kind << " run " << i;
            EXPECT_FALSE(ring->IsPresent(i)) << kind << " run " << i;
            if (ring->IsWritePage()) {
                EXPECT_EQ(-1, ring->Extent(i).lastSample);
            }
        }
        EXPECT_EQ(0, ring->ChooseNextRunSlot());
    }
}

TEST(RunRing, ClearingKeepsTheInfoOfOtherPagesButZeroesItOnCdWrite)
{
    TestRunRing cdWrite(kTestPageCdWrite);
    CopyRunText(cdWrite.Info(2).second.cd.szLeadIn, "97:26.66 MSF");
    CopyRunText(cdWrite.Info(2).szDuration, "0:01:00");
    cdWrite.ClearRuns(1u << 2);
    EXPECT_STREQ("", cdWrite.Info(2).second.cd.szLeadIn);
    EXPECT_STREQ("", cdWrite.Info(2).szDuration);

    auto dvdRead = std::make_unique<TestRunRing>(kTestPageDvdRead);
    dvdRead->Info(2).second.present = 1;
    CopyRunText(dvdRead->Info(2).szDuration, "0:01:00");
    dvdRead->ClearRuns(1u << 2);
    EXPECT_EQ(0, dvdRead->Info(2).second.present);
    EXPECT_STREQ("0:01:00", dvdRead->Info(2).szDuration);
}

TEST(RunRing, ClearingOnlyLooksAtTheTenRunBits)
{
    TestRunRing ring(kTestPageCdRead);
    MarkUsed(ring, 0x3FF);
    ring.SetCurrentRun(5);
    ring.ClearRuns(0xFC00);
    EXPECT_EQ(5, ring.GetCurrentRun());
    EXPECT_TRUE(ring.IsUsed(9));
}

struct StatsCase {
    const char* name;
    TestPageKind kind;
    std::vector<uint32_t> samples; // stored from index 0 (entries not given stay SAMPLE_NONE)
    int32_t nStart, nEnd, nAverage;
};

class RunStatistics : public ::testing::TestWithParam<StatsCase> {};

TEST_P(RunStatistics, StartEndAndAverageOfTheValidSamples)
{
    const StatsCase& c = GetParam();
    auto ring = std::make_unique<TestRunRing>(c.kind);
    ring->ChooseNextRunSlot();
    for (size_t i = 0; i < c.samples.size(); ++i)
        ASSERT_TRUE(ring->StoreSample(int(i) * 180, c.samples[i]));
    EXPECT_EQ(c.nStart, ring->GetStartSpeed()) << c.name;
    EXPECT_EQ(c.nEnd, ring->GetEndSpeed()) << c.name;
    EXPECT_EQ(c.nAverage, ring->ComputeAverageSpeed()) << c.name;
}

const StatsCase kStatsCases[] = {
    {"no valid sample", kTestPageCdRead, {}, 0, 0, 0},
    {"average truncates", kTestPageDvdRead, {1000, 2000, 2001}, 1000, 2001, 1667},
    {"skipped counts for nothing on DVD write",
     kTestPageDvdWrite,
     {SAMPLE_SKIPPED, SAMPLE_SKIPPED, 1500},
     1500,
     1500,
     1500},
    {"only skipped entries", kTestPageDvdWrite, {SAMPLE_SKIPPED, SAMPLE_SKIPPED}, 0, 0, 0},
    {"gaps of SAMPLE_NONE between samples", kTestPageCdWrite, {1200, SAMPLE_NONE, 1600}, 1200, 1600, 1400},
    {"absurd samples do not overflow the sum",
     kTestPageCdRead,
     {0x7FFFFFF0, 0x7FFFFFF0, 0x7FFFFFF0},
     0x7FFFFFF0,
     0x7FFFFFF0,
     0x7FFFFFF0},
};

INSTANTIATE_TEST_SUITE_P(Ring, RunStatistics, ::testing::ValuesIn(kStatsCases));

TEST(RunRing, SamplesBeyondTheRunArrayAreRefused)
{
    TestRunRing ring(kTestPageCdRead);
    EXPECT_FALSE(ring.StoreSample(0, 100)) << "no current run yet";
    ring.ChooseNextRunSlot();
    EXPECT_TRUE(ring.StoreSample(kCdSamplesPerRun - 1, 100));
    EXPECT_FALSE(ring.StoreSample(kCdSamplesPerRun, 100));
    EXPECT_FALSE(ring.StoreSample(-1, 100));
    EXPECT_EQ(SAMPLE_NONE, ring.Samples(1)[0]) << "the next run's array is untouched";
}

TEST(RunRing, TablesAndColours)
{
    EXPECT_EQ(4500, SampleLengthFromIndex(2));
    EXPECT_EQ(22500, SampleLengthFromIndex(0));
    EXPECT_EQ(1125, SampleLengthFromIndex(4));
    EXPECT_EQ(4500, SampleLengthFromIndex(5)) << "an index out of range takes the default";
    EXPECT_EQ(4500, SampleLengthFromIndex(-1));
    EXPECT_EQ(COLORREF(0x0000FF), RunColour(kTestPageCdRead, 0));
    EXPECT_EQ(COLORREF(0xFF8080), RunColour(kTestPageCdRead, 8));
    EXPECT_EQ(COLORREF(0x008000), RunColour(kTestPageDvdWrite, 8));
    EXPECT_EQ(COLORREF(0x800000), RunColour(kTestPageDvdWrite, 9));
    EXPECT_EQ(COLORREF(0x0000FF), RunColour(kTestPageCdRead, 12));
}

TEST(RunRing, TextsAreCutAtNinetyNineCharacters)
{
    TestRunRing ring(kTestPageCdRead);
    std::string strLong(150, 'x');
    CopyRunText(ring.Text(0, 2), kResultTextSize, strLong.c_str());
    EXPECT_EQ(99u, std::strlen(ring.Text(0, 2)));
}

} // namespace
