// tests/transfer/TestImagesTest.cpp
// The write tests' data: the ISO 9660 volume, byte for byte, its raw Mode 1 form and the audio pattern. With
// TAVISK_IMAGE_DIR set, the volumes are also written there as files for a host ISO 9660 lister to check.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "EmuDisc.h"
#include "transfer/TestImages.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hex(std::initializer_list<int> values)
{
    Bytes b;
    for (int v : values)
        b.push_back((uint8_t)v);
    return b;
}

Bytes Slice(const Bytes& image, size_t offset, size_t length)
{
    return Bytes(image.begin() + offset, image.begin() + offset + length);
}

Bytes Text(const char* psz)
{
    return Bytes(psz, psz + strlen(psz));
}

Bytes Blanks(size_t n)
{
    return Bytes(n, 0x20);
}

Bytes Dvd(long nTestLength)
{
    Bytes image(kDvdTestImageSize + 16, 0xAA); // filled beyond the end to see what the builder touches
    BuildDvdTestImage(image.data(), nTestLength);
    for (size_t i = kDvdTestImageSize; i < image.size(); ++i)
        EXPECT_EQ(0xAA, image[i]) << "written past the image at " << i;
    image.resize(kDvdTestImageSize);
    return image;
}

// The CD volume's logical sectors, taken out of the raw Mode 1 image.
Bytes CdLogical(const Bytes& raw)
{
    Bytes logical;
    for (int i = 0; i < kTestImageSectors; ++i)
        logical.insert(logical.end(), raw.begin() + i * 2352 + 16, raw.begin() + i * 2352 + 16 + 2048);
    return logical;
}

Bytes Mode1()
{
    Bytes image(kCdTestImageSize, 0xAA);
    BuildMode1TestImage(image.data());
    return image;
}

// The expected sector with the given bytes placed and everything else zero.
struct Placed {
    size_t offset;
    Bytes bytes;
};

Bytes Sector(std::initializer_list<Placed> parts)
{
    Bytes s(2048, 0);
    for (const Placed& p : parts)
        std::copy(p.bytes.begin(), p.bytes.end(), s.begin() + p.offset);
    return s;
}

const Bytes kRootDot =
    Hex({0x22, 0x00, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x08,
         0x00, 0x62, 0x0B, 0x10, 0x0A, 0x0A, 0x38, 0xC0, 0x02, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00});

Bytes RootDotDot()
{
    Bytes b = kRootDot;
    b[33] = 0x01;
    return b;
}

Bytes ExpectedVolumeDescriptor(const char* pszVolume, const Bytes& spaceSize)
{
    Bytes volume = Text(pszVolume);
    volume.resize(32, 0x20);
    Bytes dates = Text("1998111610083166");
    dates.push_back(0xE5);
    Bytes modified = Text("1998111610105650");
    modified.push_back(0xC0);
    return Sector({{0, Hex({0x01})},
                   {1, Text("CD001")},
                   {6, Hex({0x01})},
                   {8, Blanks(32)},
                   {40, volume},
                   {80, spaceSize},
                   {120, Hex({1, 0, 0, 1})},
                   {124, Hex({1, 0, 0, 1})},
                   {128, Hex({0, 8, 8, 0})},
                   {132, Hex({0x0A, 0, 0, 0, 0, 0, 0, 0x0A})},
                   {140, Hex({18, 0, 0, 0})},
                   {148, Hex({0, 0, 0, 19})},
                   {156, kRootDot},
                   {190, Blanks(623)},
                   {813, dates},
                   {830, modified},
                   {881, Hex({0x01})}});
}

Bytes ExpectedRootDirectory(const Bytes& fileRecord)
{
    return Sector({{0, kRootDot}, {34, RootDotDot()}, {68, fileRecord}});
}

Bytes FileRecord(int nLength, const char* pszName)
{
    Bytes r = Hex({nLength, 0,    0x15, 0, 0, 0,    0,    0,    0,    0x15, 0x00,
                   0x08,    0,    0,    0, 0, 0x08, 0x00, 0x62, 0x0B, 0x0A, 0x0C,
                   0x08,    0x28, 0xFC, 0, 0, 0,    1,    0,    0,    1,    (int)strlen(pszName)});
    Bytes name = Text(pszName);
    r.insert(r.end(), name.begin(), name.end());
    r.push_back(0);
    return r;
}

void ExpectVolume(const Bytes& logical, const Bytes& descriptor, const Bytes& fileRecord)
{
    const Bytes zero(2048, 0);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(zero, Slice(logical, i * 2048, 2048)) << "system area sector " << i;
    EXPECT_EQ(descriptor, Slice(logical, 16 * 2048, 2048)) << "primary volume descriptor";
    EXPECT_EQ(Sector({{0, Hex({0xFF})}, {1, Text("CD001")}, {6, Hex({0x01})}}), Slice(logical, 17 * 2048, 2048))
        << "set terminator";
    EXPECT_EQ(Sector({{0, Hex({1, 0, 0x14, 0, 0, 0, 1, 0, 0, 0})}}), Slice(logical, 18 * 2048, 2048))
        << "type L path table";
    EXPECT_EQ(Sector({{0, Hex({1, 0, 0, 0, 0, 0x14, 0, 1, 0, 0})}}), Slice(logical, 19 * 2048, 2048))
        << "type M path table";
    EXPECT_EQ(ExpectedRootDirectory(fileRecord), Slice(logical, 20 * 2048, 2048)) << "root directory";
    for (int i = 21; i < 25; ++i)
        EXPECT_EQ(zero, Slice(logical, i * 2048, 2048)) << "sector " << i;
}

TEST(TestImages, DvdVolumeIsTheIso9660VolumeWithTheTestLengthAsItsSize)
{
    // 4,500,000 sectors = 0x0044AA20.
    ExpectVolume(
        Dvd(4500000),
        ExpectedVolumeDescriptor("Korvath Europe - DVD Test", Hex({0x20, 0xAA, 0x44, 0x00, 0x00, 0x44, 0xAA, 0x20})),
        FileRecord(0x30, "TESTDVD.BIN;1"));
}

TEST(TestImages, DvdVolumeSizeFollowsTheRunSoTwoLengthsGiveTwoImages)
{
    const Bytes a = Dvd(2250000);
    const Bytes b = Dvd(2295000);
    EXPECT_NE(a, b);
    Bytes aWithoutSize = a, bWithoutSize = b;
    std::fill(aWithoutSize.begin() + 16 * 2048 + 80, aWithoutSize.begin() + 16 * 2048 + 88, 0);
    std::fill(bWithoutSize.begin() + 16 * 2048 + 80, bWithoutSize.begin() + 16 * 2048 + 88, 0);
    EXPECT_EQ(aWithoutSize, bWithoutSize) << "only the volume space size differs";
}

TEST(TestImages, Mode1ImageCarriesTheCdVolumeInTheUserDataOfRawSectors)
{
    const Bytes raw = Mode1();
    ExpectVolume(
        CdLogical(raw),
        ExpectedVolumeDescriptor("Korvath Europe - Mode 1 Test", Hex({0x9C, 0x13, 0x05, 0x00, 0x00, 0x05, 0x13, 0x9C})),
        FileRecord(0x2E, "TESTCD.BIN;1"));
    // Sync, header, EDC and ECC are left to the drive.
    for (int i = 0; i < kTestImageSectors; ++i) {
        EXPECT_EQ(Bytes(16, 0), Slice(raw, i * 2352, 16)) << "sync and header of sector " << i;
        EXPECT_EQ(Bytes(288, 0), Slice(raw, i * 2352 + 2064, 288)) << "EDC and ECC of sector " << i;
    }
}

TEST(TestImages, VolumeNamesAreBlankPaddedNeverZeroPadded)
{
    const Bytes dvd = Dvd(1000);
    EXPECT_EQ(0x20, dvd[16 * 2048 + 40 + strlen("Korvath Europe - DVD Test")]);
    const Bytes cd = CdLogical(Mode1());
    EXPECT_EQ(0x20, cd[16 * 2048 + 40 + strlen("Korvath Europe - Mode 1 Test")]);
}

TEST(TestImages, CddaPatternAlternatesFullAndEmptyWordsFromEverySectorStart)
{
    Bytes pattern(kCdTestImageSize + 8, 0xAA);
    BuildCddaTestPattern(pattern.data());
    for (size_t i = 0; i < kCdTestImageSize; ++i)
        ASSERT_EQ((i % 8) < 4 ? 0xFF : 0x00, pattern[i]) << "byte " << i;
    EXPECT_EQ(Bytes(8, 0xAA), Slice(pattern, kCdTestImageSize, 8)) << "written past the pattern";
}

TEST(TestImages, BuildersOverwriteWhateverTheBufferHeld)
{
    Bytes dirty(kDvdTestImageSize, 0x5A);
    BuildDvdTestImage(dirty.data(), 777);
    EXPECT_EQ(Dvd(777), dirty);
    Bytes dirtyRaw(kCdTestImageSize, 0x5A);
    BuildMode1TestImage(dirtyRaw.data());
    EXPECT_EQ(Mode1(), dirtyRaw);
}

// Writes the two volumes as 2048-byte-sector image files for the host check (tests/transfer/check-images.sh).
TEST(TestImages, WritesTheVolumesForTheHostLister)
{
    const char* pszDir = std::getenv("TAVISK_IMAGE_DIR");
    if (pszDir == nullptr)
        GTEST_SKIP() << "TAVISK_IMAGE_DIR is not set";
    const std::string dir = EmuWinePath(pszDir);
    CreateDirectoryA(dir.c_str(), nullptr);
    const Bytes dvd = Dvd(4500000);
    const Bytes cd = CdLogical(Mode1());
    for (const auto& file :
         {std::make_pair(std::string("dvd.iso"), &dvd), std::make_pair(std::string("cd.iso"), &cd)}) {
        FILE* f = fopen((dir + "\\" + file.first).c_str(), "wb");
        ASSERT_NE(nullptr, f) << file.first;
        EXPECT_EQ(file.second->size(), fwrite(file.second->data(), 1, file.second->size(), f));
        fclose(f);
    }
}

} // namespace
