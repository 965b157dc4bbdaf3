// tests/drive/media/DamagedAnswersTest.cpp
// Drive answers that are damaged or shorter than they say: the fall-backs are taken and nothing is read past
// the answer.
#include "support/MediaTestSupport.h"

#include "drive/DiscText.h"

namespace {

class DamagedAnswersTest : public MediaTest {};

// A pack that fails its CRC is read like the others: the disc keeps its title.
TEST_F(DamagedAnswersTest, CdTextPackWithABadCrc)
{
    DiscTypeAnswer answer =
        DescribeDiscIn(kEmuFifthFamilyDvdWriter, "disc-image cd-rom\ndisc-track audio 3000\n"
                                                 "disc-cdtext title 0 \"Harbour Lights\"\ndisc-cdtext-crc-error 0");
    EXPECT_EQ("AudioCD + CD TEXT", answer.text);
    EXPECT_EQ("Harbour Lights", answer.label);
}

// The header names five tracks but the answer holds one descriptor: the missing four are not taken as audio
// tracks (which would make a mixed-mode disc of a data CD).
TEST_F(DamagedAnswersTest, TocShorterThanItsHeaderSays)
{
    int nDrive = 0;
    CDeviceRecord record =
        DriveWithDisc(kEmuFifthFamilyDvdWriter, "disc-image cd-rom\ndisc-track mode1 \"{dir}\\data.iso\"", &nDrive);
    const std::vector<uint8_t> toc = {0x00, 0x0A, 1, 5, 0, 0x14, 1, 0, 0, 0, 0, 0};
    SetBytes(nDrive, "toc.0", toc);
    EXPECT_EQ("CD-ROM - Mode 1", DescribeDisc(m_Manager, record, true).text);
}

// A track information block cut short before the track size: the lead-out of the TOC gives the capacity.
TEST_F(DamagedAnswersTest, TrackInformationCutShort)
{
    int nDrive = 0;
    CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter,
                                         "disc-image cd-r open\ndisc-atip 97:24:01 79:59:74\n"
                                         "disc-track mode1 120000 size 300000 open",
                                         &nDrive);
    EXPECT_EQ(120000, m_Manager.GetRecordedCapacity(record));
    std::vector<uint8_t> shortBlock = BytesAt(16, {{1, 14}, {3, 1}, {15, 0x10}});
    SetBytes(nDrive, "trackinfo", shortBlock);
    EXPECT_EQ(300000, m_Manager.GetRecordedCapacity(record));
}

// A UDF anchor naming a descriptor sequence far past the disc: no label, no size, no read that hangs.
TEST_F(DamagedAnswersTest, UdfAnchorPastTheDisc)
{
    const char* const discs[] = {
        "disc-image dvd+rw blocks 2295104\ndisc-file \"{dir}\\udf.img\"\ndisc-sector 256 20 \"zzzz\"",
        "disc-image dvd-ram blocks 2236704\ndisc-file \"{dir}\\udf.img\"\ndisc-sector 256 20 \"zzzz\"",
    };
    for (const char* disc : discs) {
        SCOPED_TRACE(disc);
        CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter, disc);
        DiscTypeAnswer answer = DescribeDisc(m_Manager, record, true);
        EXPECT_EQ("", answer.label);
        EXPECT_EQ(0, m_Manager.GetRecordedCapacity(record));
        EXPECT_EQ(std::string::npos, answer.text.find("MB")) << answer.text;
    }
    DiscTypeAnswer answer =
        DescribeDiscIn(kEmuFifthFamilyDvdWriter, "disc-image cd-rom\ndisc-track mode1 \"{dir}\\udf.img\"\n"
                                                 "disc-sector 256 20 \"zzzz\"");
    EXPECT_EQ("CD-ROM - Mode 1", answer.text);
    EXPECT_EQ("", answer.label);
}

// Full TOC answers announcing far more descriptors than the buffers hold.
TEST_F(DamagedAnswersTest, FullTocLongerThanTheBuffer)
{
    int nDrive = 0;
    CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter,
                                         "disc-image cd-r\ndisc-atip 97:24:01 79:59:74\ndisc-track mode1 5000\n"
                                         "disc-track mode1 3000 session 2",
                                         &nDrive);
    std::vector<uint8_t> toc(4 + 11, 0xA1);
    toc[0] = 0xFF;
    toc[1] = 0xFF;
    toc[2] = 1;
    toc[3] = 2;
    SetBytes(nDrive, "toc.2", toc);
    EXPECT_EQ(-1, m_Manager.GetSessionLeadOut(record, 1));
    int count = -1, pregap = -1;
    EXPECT_EQ(1, m_Manager.CountSessionOneTracks(record, &count, &pregap));
    EXPECT_EQ(0, count);
    m_pMachine->QueueSense(nDrive, 0x43, 5, 0x24, 0, 1); // no ATIP: the full TOC is searched
    EXPECT_STREQ("-", DiscMakerAnswer(m_Manager, record).pszReturned);
}

TEST_F(DamagedAnswersTest, ShortAtip)
{
    int nDrive = 0;
    CDeviceRecord record =
        DriveWithDisc(kEmuFifthFamilyDvdWriter, "disc-image cd-r blank\ndisc-atip 97:24:01 79:59:74", &nDrive);
    SetBytes(nDrive, "toc.4", std::vector<uint8_t>{0x00, 0x02, 0x00, 0x00});
    EXPECT_STREQ("-", DiscMakerAnswer(m_Manager, record).pszReturned);
}

} // namespace
