// tests/transfer/ResultTextsTest.cpp
// The result texts and information record of a run, page by page: the drive line at the start of a run, the
// disc, result and duration texts at its normal end.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "transfer/ResultTexts.h"

namespace {

ResultDriveFacts Korvath()
{
    ResultDriveFacts drive;
    drive.nTargetId = 1;
    drive.strVendor = "KORVATH ";
    drive.strProduct = "KVR-D1600       ";
    drive.strRevision = "1.02";
    drive.strSerial = "000123";
    drive.strSpeed = "6-16 X ";
    drive.strDiscType = "DVD-ROM";
    drive.strDiscDetail = "TESTDISC";
    return drive;
}

ResultRunFacts Measured(int32_t nStart, int32_t nEnd, int32_t nAverage, DWORD nSeconds)
{
    ResultRunFacts run;
    run.nStart = nStart;
    run.nEnd = nEnd;
    run.nAverage = nAverage;
    run.nStartTick = 0xFFFFF000; // the tick count wraps during the run
    run.nEndTick = run.nStartTick + nSeconds * 1000 + 999;
    return run;
}

std::unique_ptr<TestRunRing> RingWithRun(TestPageKind kind)
{
    auto ring = std::make_unique<TestRunRing>(kind);
    ring->ChooseNextRunSlot();
    return ring;
}

TEST(ResultTexts, DvdWriteResultLineAndInfoFields)
{
    auto ring = RingWithRun(kTestPageDvdWrite);
    ResultDriveFacts drive = Korvath();
    drive.nWriteSpeedKBs = 11080;
    drive.strMediaId = "FIXTUR R08X01";
    BuildResultTexts(*ring, true, drive, Measured(1205, 2398, 1876, 3725));
    EXPECT_STREQ("Test results : Start:12.05 X  End:23.98 X  Average:18.76 X ", ring->Text(0, 2));
    EXPECT_STREQ("12.05 X", ring->Info(0).szStart);
    EXPECT_STREQ("23.98 X", ring->Info(0).szEnd);
    EXPECT_STREQ("18.76 X", ring->Info(0).szAverage);
    EXPECT_STREQ("1:02:05", ring->Info(0).szDuration);
    EXPECT_STREQ("ID:1 KORVATH  KVR-D1600        V1.02 (#000123), Write Speed: 8.0X", ring->Text(0, 0));
    EXPECT_STREQ("8.0X (11080 KB/s)", ring->Info(0).speed.szSpeed);
    EXPECT_STREQ("Disc Type    : DVD-ROM (TESTDISC)", ring->Text(0, 1));
    EXPECT_STREQ("DVD-ROM <BR> FIXTUR R08X01", ring->Info(0).szDisc);
    EXPECT_EQ(1, ring->Info(0).second.present);
}

TEST(ResultTexts, ReadPagesPrefixTheResultLineAndPadWithZeros)
{
    for (TestPageKind kind : {kTestPageDvdRead, kTestPageCdRead}) {
        auto ring = RingWithRun(kind);
        BuildResultTexts(*ring, true, Korvath(), Measured(1205, 2398, 1876, 59));
        EXPECT_STREQ("TRT Test results : Start:12.05 X  End:23.98 X  Average:18.76 X ", ring->Text(0, 2)) << kind;
        EXPECT_STREQ("0:00:59", ring->Info(0).szDuration);
        BuildResultTexts(*ring, true, Korvath(), Measured(512, 512, 512, 0));
        EXPECT_STREQ("TRT Test results : Start:05.12 X  End:05.12 X  Average:05.12 X ", ring->Text(0, 2)) << kind;
        EXPECT_STREQ(" 5.12 X", ring->Info(0).szStart);
        EXPECT_STREQ("ID:1 KORVATH  KVR-D1600        V1.02 (#000123), Speed: 6-16 X ", ring->Text(0, 0));
    }
}

struct DiscCase {
    const char* detail;
    const char* line;
};

TEST(ResultTexts, DetailTextShownOnlyWhenPresentAndNotADash)
{
    const DiscCase cases[] = {
        {"", "Disc Type    : DVD-ROM "},
        {"-", "Disc Type    : DVD-ROM "},
        {"- no label", "Disc Type    : DVD-ROM "},
        {"LABEL", "Disc Type    : DVD-ROM (LABEL)"},
    };
    for (const DiscCase& c : cases) {
        auto ring = RingWithRun(kTestPageDvdRead);
        ResultDriveFacts drive = Korvath();
        drive.strDiscDetail = c.detail;
        BuildResultTexts(*ring, true, drive, Measured(0, 0, 0, 0));
        EXPECT_STREQ(c.line, ring->Text(0, 1)) << c.detail;
    }
}

TEST(ResultTexts, LongDetailIsCutAndTheDiscLineStaysWithinItsField)
{
    auto ring = RingWithRun(kTestPageCdRead);
    ResultDriveFacts drive = Korvath();
    drive.strDiscType = "CD-ROM";
    drive.strDiscDetail = CString(std::string(150, 'L').c_str());
    drive.nCapacity = 333000;
    BuildResultTexts(*ring, true, drive, Measured(0, 0, 0, 0));
    EXPECT_EQ(99u, std::strlen(ring->Text(0, 1)));
    // The info field is longer and keeps 97 characters of the detail with the capacity.
    std::string expected = "CD-ROM (" + std::string(97, 'L') + "), 74:00.00 MSF";
    EXPECT_EQ(expected, ring->Info(0).szDisc);
}

TEST(ResultTexts, CdReadDiscLineGetsTheCapacityAsMsf)
{
    auto ring = RingWithRun(kTestPageCdRead);
    ResultDriveFacts drive = Korvath();
    drive.strDiscType = "CD-ROM";
    drive.strDiscDetail = "VOLUME";
    drive.nCapacity = 359849;
    BuildResultTexts(*ring, true, drive, Measured(1000, 2000, 1500, 10));
    EXPECT_STREQ("Disc Type    : CD-ROM (VOLUME), 79:57.74", ring->Text(0, 1));
    EXPECT_STREQ("CD-ROM (VOLUME), 79:57.74 MSF", ring->Info(0).szDisc);
}

TEST(ResultTexts, CdWriteOverburnAndFormatLines)
{
    struct Case {
        BOOL overburn;
        int format;
        const char* line;
        const char* info;
    } cases[] = {
        {FALSE, 1, "    Overburn: disabled | Data Format: Internal Buffer (Mode1)", "disabled"},
        {FALSE, 2, "    Overburn: disabled | Data Format: ", "disabled"},
        {TRUE, 0, "    Overburn: enabled (95:00.00 MSF) | Data Format: Internal Buffer (CD-DA)",
         "enabled (95:00.00 MSF)"},
    };
    for (const Case& c : cases) {
        auto ring = RingWithRun(kTestPageCdWrite);
        ResultDriveFacts drive = Korvath();
        drive.nWriteSpeedKBs = 8467;
        drive.strDiscType = "CD-R";
        ResultRunFacts run = Measured(1600, 4800, 3400, 100);
        run.bOverburn = c.overburn;
        run.nOverburnLength = 427500;
        run.nFormatParameters = c.format;
        BuildResultTexts(*ring, true, drive, run);
        EXPECT_STREQ(c.line, ring->Text(0, 3));
        EXPECT_STREQ(c.info, ring->Info(0).speed.cd.szOverburn);
        EXPECT_STREQ(DataFormatName(c.format), ring->Info(0).second.cd.szDataFormat);
        EXPECT_STREQ("Test results : Start:16.00 X  End:48.00 X  Average:34.00 X ", ring->Text(0, 4));
        EXPECT_STREQ("ID:1 KORVATH  KVR-D1600        V1.02 (#000123), Write Speed: 48 X", ring->Text(0, 0));
        EXPECT_STREQ("48 X (7200 KB/s)", ring->Info(0).speed.cd.szWriteSpeed);
    }
}

TEST(ResultTexts, CdWriteAtipLineAtTheStartOfARun)
{
    auto ring = RingWithRun(kTestPageCdWrite);
    ResultDriveFacts drive = Korvath();
    drive.bHaveAtip = true;
    const BYTE atip[15] = {0, 0x1A, 0, 0, 0, 0, 0, 0, 97, 26, 66, 0, 79, 59, 74};
    std::memcpy(drive.atip, atip, sizeof(atip));
    BuildResultTexts(*ring, false, drive, ResultRunFacts());
    EXPECT_STREQ("ATIP Info : Lead-In: 97:26.66 MSF | Lead-Out : 79:59.74 MSF", ring->Text(0, 1));
    EXPECT_STREQ("97:26.66 MSF", ring->Info(0).second.cd.szLeadIn);
    EXPECT_STREQ("79:59.74 MSF", ring->Info(0).second.cd.szLeadOut);
    EXPECT_STREQ("", ring->Text(0, 2)) << "the disc line comes only at the end";

    // Without an ATIP answer the line stays as it was.
    auto second = RingWithRun(kTestPageCdWrite);
    BuildResultTexts(*second, false, Korvath(), ResultRunFacts());
    EXPECT_STREQ("", second->Text(0, 1));
    EXPECT_STREQ("", second->Info(0).second.cd.szLeadIn);
}

TEST(ResultTexts, StartOfARunZeroesTheInfoButKeepsTheOldDiscAndResultLines)
{
    auto ring = RingWithRun(kTestPageDvdRead);
    BuildResultTexts(*ring, true, Korvath(), Measured(1000, 2000, 1500, 10));
    ring->SetCurrentRun(0);
    ResultDriveFacts other = Korvath();
    other.nTargetId = 3;
    other.strVendor = ""; // no INQUIRY answer
    other.strProduct = "";
    other.strRevision = "";
    BuildResultTexts(*ring, false, other, ResultRunFacts());
    EXPECT_STREQ("ID:3   V (#000123), Speed: 6-16 X ", ring->Text(0, 0));
    EXPECT_STREQ("Disc Type    : DVD-ROM (TESTDISC)", ring->Text(0, 1));
    EXPECT_STREQ("TRT Test results : Start:10.00 X  End:20.00 X  Average:15.00 X ", ring->Text(0, 2));
    EXPECT_STREQ("", ring->Info(0).szDuration);
    EXPECT_STREQ("", ring->Info(0).szDisc);
    EXPECT_EQ(1, ring->Info(0).second.present);
}

TEST(ResultTexts, DvdWriteSpeedFallsBackToOneX)
{
    auto ring = RingWithRun(kTestPageDvdWrite);
    ResultDriveFacts drive = Korvath();
    drive.nWriteSpeedKBs = kWriteSpeedNotReported;
    BuildResultTexts(*ring, false, drive, ResultRunFacts());
    EXPECT_STREQ("1.0X (1385 KB/s)", ring->Info(0).speed.szSpeed);
    EXPECT_NE(nullptr, std::strstr(ring->Text(0, 0), "Write Speed: 1.0X")) << ring->Text(0, 0);
}

TEST(ResultTexts, NothingWithoutACurrentRun)
{
    TestRunRing ring(kTestPageCdRead);
    BuildResultTexts(ring, true, Korvath(), Measured(1, 2, 3, 4));
    for (int i = 0; i < MAX_TEST_RUNS; ++i)
        EXPECT_STREQ("", ring.Text(i, 0));
}

} // namespace
