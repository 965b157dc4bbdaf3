// tests/drive/commands/MediaTest.cpp
// The DVD media profile, READ TOC with its format placement and full-TOC number form, GET PERFORMANCE with its
// per-model corrections, READ CAPACITY and the DVD sector mapping.
#include "support/DriveTestFixture.h"

#include "drive/Cdb.h"

namespace {

const uint8_t kCanary = 0xEE;

// Physical format information with a book type and a layer byte.
std::vector<uint8_t> PhysicalFormat(uint8_t bookType, uint8_t layerByte)
{
    std::vector<uint8_t> ds = BytesAt(2052, {{0, 0x08}, {1, 0x02}, {4, uint8_t(bookType << 4)}, {6, layerByte}});
    return ds;
}

class MediaTest : public DriveTest {};

TEST_F(MediaTest, DvdProfileFromConfigurationOrBookType)
{
    const struct {
        const char* name;
        int configProfile; // -1: GET CONFIGURATION refused
        int bookType;      // -1: no physical format (a CD)
        uint8_t layerByte;
        BOOL configOnly;
        int expected;
        std::vector<uint8_t> opcodes;
    } cases[] = {
        {"DVD+R", 0x1B, 10, 0x00, FALSE, 0x1B, {0x46, 0x00, 0xAD}},
        {"CD, configuration only", 0x08, -1, 0, TRUE, 0, {0x46}},
        {"DVD-R, configuration only", 0x11, 2, 0x20, TRUE, 0x11, {0x46}},
        {"no GET CONFIGURATION, DVD+RW book", -1, 9, 0x00, FALSE, 0x1A, {0x46, 0x00, 0xAD}},
        {"no GET CONFIGURATION, CD", -1, -1, 0, FALSE, 0, {0x46, 0x00, 0xAD}},
        {"CD", 0x08, -1, 0, FALSE, 0, {0x46, 0x00, 0xAD}},
        {"DVD-R DL by the layer field", 0x11, 2, 0x20, FALSE, 0x15, {0x46, 0x00, 0xAD}},
        {"DVD-RAM", 0x12, 1, 0x00, FALSE, 0x12, {0x46, 0x00, 0xAD}},
        {"unknown book type keeps the profile", 0x10, 5, 0x00, FALSE, 0x10, {0x46, 0x00, 0xAD}},
        {"configuration reports a CD, book says DVD-ROM", 0x08, 0, 0x00, FALSE, 0x10, {0x46, 0x00, 0xAD}},
    };
    for (const auto& c : cases) {
        int nDrive = 0;
        CDeviceRecord record = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
        if (c.configProfile < 0)
            m_pMachine->SetInt(nDrive, "config.refuse", 1);
        else
            m_pMachine->SetInt(nDrive, "config.profile", c.configProfile);
        if (c.bookType >= 0)
            SetBytes(nDrive, "ds.00", PhysicalFormat(uint8_t(c.bookType), c.layerByte));
        m_pMachine->ClearLog();
        EXPECT_EQ(c.expected, m_Manager.GetDvdMediaProfile(record, c.configOnly)) << c.name;
        EXPECT_EQ(c.opcodes, Opcodes()) << c.name;
    }

    int nDrive = 0;
    CDeviceRecord empty = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    m_pMachine->SetInt(nDrive, EMU_KEY_MEDIUM, 0);
    SetBytes(nDrive, "ds.00", PhysicalFormat(0, 0));
    EXPECT_EQ(0, m_Manager.GetDvdMediaProfile(empty, FALSE));
}

// A full TOC stored in binary; BCD drives answer it converted.
std::vector<uint8_t> BinaryFullToc(int nExtraDescriptors)
{
    const uint8_t descriptors[][11] = {
        {1, 0x14, 0, 0xA0, 50, 10, 20, 0, 1, 0x00, 0}, {1, 0x14, 0, 0xA1, 50, 10, 20, 0, 12, 0, 0},
        {1, 0x14, 0, 0xA2, 50, 10, 20, 0, 65, 30, 70}, {1, 0x14, 0, 0x01, 50, 10, 20, 0, 0, 2, 0},
        {1, 0x14, 0, 0x0A, 50, 10, 20, 0, 25, 40, 12},
    };
    std::vector<uint8_t> toc = BytesAt(4, {{2, 1}, {3, 1}});
    for (const auto& d : descriptors)
        toc.insert(toc.end(), d, d + 11);
    for (int i = 0; i < nExtraDescriptors; ++i) {
        const uint8_t d[11] = {1, 0x14, 0, uint8_t(20 + i), 50, 10, 20, 0, uint8_t(30 + i), 5, 6};
        toc.insert(toc.end(), d, d + 11);
    }
    toc[0] = uint8_t((toc.size() - 2) >> 8);
    toc[1] = uint8_t(toc.size() - 2);
    return toc;
}

std::vector<uint8_t> ExpectedBcdToc()
{
    std::vector<uint8_t> toc = BinaryFullToc(0);
    const uint8_t converted[][4] = {
        {0xA0, 1, 0x00, 0}, {0xA1, 0x12, 0, 0}, {0xA2, 0x65, 0x30, 0x70}, {0x01, 0, 0x02, 0}, {0x10, 0x25, 0x40, 0x12},
    };
    for (int i = 0; i < 5; ++i) {
        toc[4 + 11 * i + 3] = converted[i][0];
        toc[4 + 11 * i + 8] = converted[i][1];
        toc[4 + 11 * i + 9] = converted[i][2];
        toc[4 + 11 * i + 10] = converted[i][3];
    }
    return toc;
}

// Whichever number form and format placement the drive uses, the caller gets the full TOC in BCD: writers and
// drives answering in binary are converted, the maker's older drives and two listed models answer in BCD.
TEST_F(MediaTest, FullTocArrivesInBcdFromEveryDrive)
{
    const int profiles[] = {
        kEmuAtapiCdWriter, kEmuScsiCdWriter, kEmuScsiCdRom,     kEmuAtapiCdRom,        kEmuVendorDvdRom,
        kEmuPlainDvdRom,   kEmuBcdDvdRom,    kEmuOtherOldCdRom, kEmuOtherScsiCdWriter, kEmuOtherDvdWriter,
    };
    const std::vector<uint8_t> expected = ExpectedBcdToc();
    for (int profile : profiles) {
        int nDrive = 0;
        CDeviceRecord record = AddProfile(profile, 0, &nDrive);
        SetBytes(nDrive, "toc.2", BinaryFullToc(0));
        BYTE answer[100];
        std::memset(answer, kCanary, sizeof(answer));
        ASSERT_EQ(1, m_Manager.ReadToc(record, 2, 100, answer)) << EmuGetProfileInfo(profile).pszName;
        EXPECT_EQ(expected, std::vector<uint8_t>(answer, answer + expected.size()))
            << EmuGetProfileInfo(profile).pszName;
        EXPECT_EQ(kCanary, answer[expected.size()]);

        BYTE toc[100];
        ASSERT_EQ(1, m_Manager.ReadToc(record, 0, 100, toc)) << EmuGetProfileInfo(profile).pszName;
        EXPECT_EQ(0xAA, toc[12 + 2]);
    }
}

// The conversion walks only the descriptors inside the allocation, however long the drive says the TOC is.
TEST_F(MediaTest, FullTocConversionStaysInTheBuffer)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    SetBytes(nDrive, "toc.2", BinaryFullToc(20));
    BYTE answer[60];
    std::memset(answer, kCanary, sizeof(answer));
    ASSERT_EQ(1, m_Manager.ReadToc(record, 2, 48, answer));
    EXPECT_EQ(0x12, answer[4 + 11 + 8]); // the second descriptor (A1) is converted
    for (int i = 48; i < 60; ++i)
        EXPECT_EQ(kCanary, answer[i]) << i;

    std::vector<uint8_t> toc = BinaryFullToc(0);
    toc[0] = 0xFF;
    toc[1] = 0xFF;
    SetBytes(nDrive, "toc.2", toc);
    std::memset(answer, kCanary, sizeof(answer));
    ASSERT_EQ(1, m_Manager.ReadToc(record, 2, 50, answer));
    for (int i = 50; i < 60; ++i)
        EXPECT_EQ(kCanary, answer[i]) << i;
}

// ATIP and CD-TEXT through READ TOC on a writer (format in byte 2).
TEST_F(MediaTest, AtipAndCdTextFormats)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    std::vector<uint8_t> atip = BytesAt(28, {{1, 26}, {6, 0x04}, {12, 79}, {13, 59}, {14, 71}, {18, 0x01}});
    SetBytes(nDrive, "toc.4", atip);
    std::vector<uint8_t> info = BytesAt(34, {{1, 32}, {21, 79}, {22, 59}, {23, 74}});
    SetBytes(nDrive, "discinfo", info);
    std::vector<uint8_t> text = BytesAt(4 + 18, {{1, 20}, {4, 0x80}});
    SetBytes(nDrive, "toc.5", text);

    BYTE answer[40];
    ASSERT_EQ(1, m_Manager.ReadToc(record, 4, 28, answer));
    EXPECT_EQ(74, answer[14]);
    ASSERT_EQ(1, m_Manager.ReadToc(record, 5, 40, answer));
    EXPECT_EQ(0x80, answer[4]);
}

// Four families report performance on a 1350 KB/s basis; only descriptors inside the caller's allocation are
// corrected, although the drive announces all it has.
TEST_F(MediaTest, PerformanceOn1350BasisIsRestated)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuPerf1350DvdWriter, 0, &nDrive);
    BYTE answer[140];
    std::memset(answer, kCanary, sizeof(answer));
    ASSERT_EQ(1, m_Manager.GetPerformance(record, 0, 0, 1, 0, answer));
    EXPECT_EQ(2770u, GetBe32(answer + 8 + 4));
    EXPECT_EQ(11080u, GetBe32(answer + 8 + 12));

    std::vector<uint8_t> five(5 * 16, 0);
    for (int i = 0; i < 5; ++i) {
        SetBe32(&five[16 * i + 4], 1350);
        SetBe32(&five[16 * i + 12], 2700);
    }
    SetBytes(nDrive, "perf.type0", five);
    std::memset(answer, kCanary, sizeof(answer));
    ASSERT_EQ(1, m_Manager.GetPerformance(record, 0, 0, 1, 0, answer));
    EXPECT_EQ(4u + 80u, GetBe32(answer));
    EXPECT_EQ(1385u, GetBe32(answer + 8 + 4));
    EXPECT_EQ(2770u, GetBe32(answer + 8 + 12));
    for (int i = 28; i < 140; ++i)
        ASSERT_EQ(kCanary, answer[i]) << i;

    std::memset(answer, kCanary, sizeof(answer));
    ASSERT_EQ(1, m_Manager.GetPerformance(record, 0, 0, 7, 0, answer));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(1385u, GetBe32(answer + 8 + 16 * i + 4)) << i;
    EXPECT_EQ(kCanary, answer[88]);

    // Type 3 of the same drive is left alone, and so is a drive outside the families.
    ASSERT_EQ(1, m_Manager.GetPerformance(record, 0, 0, 3, 3, answer));
    EXPECT_EQ(3324u, GetBe32(answer + 8 + 12));
    int nOther = 0;
    CDeviceRecord other = AddProfile(kEmuOtherDvdWriter, 0, &nOther);
    SetBytes(nOther, "perf.type0", five);
    ASSERT_EQ(1, m_Manager.GetPerformance(other, 0, 0, 1, 0, answer));
    EXPECT_EQ(1350u, GetBe32(answer + 8 + 4));
}

TEST_F(MediaTest, PerformanceWriteSpeedsOfOneFamily)
{
    CDeviceRecord family = AddProfile(kEmuPerfWriteSpeedDvdWriter, 0);
    BYTE answer[60];
    ASSERT_EQ(1, m_Manager.GetPerformance(family, 0, 0, 3, 3, answer));
    EXPECT_EQ(3324u, GetBe32(answer + 8 + 12));
    EXPECT_EQ(5540u, GetBe32(answer + 24 + 12));
    EXPECT_EQ(2770u, GetBe32(answer + 40 + 12));

    // The data type family's drive refuses requests without 0x10 in byte 1; the command adds it.
    CDeviceRecord dataType = AddProfile(kEmuPerfDataTypeDvdWriter, 0);
    EXPECT_EQ(1, m_Manager.GetPerformance(dataType, 0, 0, 3, 3, answer));
    CDeviceRecord plain = AddProfile(kEmuPerfDataTypeDvdWriter, 0);
    std::strcpy(plain.m_szProduct, "DVDR   QZ6120   ");
    EXPECT_NE(1, m_Manager.GetPerformance(plain, 0, 0, 3, 3, answer));

    // A drive announcing less than a header's worth corrects nothing.
    int nDrive = 0;
    CDeviceRecord odd = AddProfile(kEmuPerfWriteSpeedDvdWriter, 0, &nDrive);
    m_pMachine->SetBytes(nDrive, "perf.type3", nullptr, 0);
    std::memset(answer, kCanary, sizeof(answer));
    ASSERT_EQ(1, m_Manager.GetPerformance(odd, 0, 0, 3, 3, answer));
    EXPECT_EQ(kCanary, answer[8]);
}

TEST_F(MediaTest, ReadCapacityOfAnUnreadableMedium)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    BYTE answer[8];
    m_pMachine->SetInt(nDrive, EMU_KEY_BLOCKS, 0x80000000LL);
    ASSERT_EQ(1, m_Manager.ReadCapacity(record, answer));
    EXPECT_EQ(std::vector<uint8_t>({0, 0, 0, 0, 0, 0, 0x08, 0}), std::vector<uint8_t>(answer, answer + 8));
    m_pMachine->SetInt(nDrive, EMU_KEY_BLOCKS, 0x51B40);
    ASSERT_EQ(1, m_Manager.ReadCapacity(record, answer));
    EXPECT_EQ(std::vector<uint8_t>({0, 0x05, 0x1B, 0x3F, 0, 0, 0x08, 0}), std::vector<uint8_t>(answer, answer + 8));
}

TEST_F(MediaTest, DvdSectorMapping)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    std::vector<uint8_t> single = PhysicalFormat(0, 0x00);
    SetBytes(nDrive, "ds.00", single);
    EXPECT_EQ(0x30000u + 5000u, m_Manager.DvdLbaToPhysicalSector(record, 5000));

    std::vector<uint8_t> dual = PhysicalFormat(0, 0x20);
    uint32_t layer0End = 0x2FFFF + 1000;
    dual[17] = uint8_t(layer0End >> 16);
    dual[18] = uint8_t(layer0End >> 8);
    dual[19] = uint8_t(layer0End);
    SetBytes(nDrive, "ds.00", dual);
    EXPECT_EQ(0x30000u + 1000u, m_Manager.DvdLbaToPhysicalSector(record, 1000));
    EXPECT_EQ(2000u + (0x7E8000u - 1000u) * 2, m_Manager.DvdLbaToPhysicalSector(record, 2000));

    m_pMachine->SetInt(nDrive, EMU_KEY_MEDIUM, 0);
    EXPECT_EQ(0x30000u + 7u, m_Manager.DvdLbaToPhysicalSector(record, 7));
}

} // namespace
