// src/transfer/TestImages.cpp
// The ISO 9660 test volume, its raw Mode 1 form and the audio pattern.
#include "transfer/TestImages.h"

#include <cstring>

namespace {

const int kLogicalSector = 2048;
const int kRawSector = 2352;
const int kRawUserDataOffset = 16;

enum VolumeKind {
    kVolumeDvd,
    kVolumeCd
};

void PutLittle32(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

void PutBig32(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)(v >> 24);
    p[1] = (uint8_t)(v >> 16);
    p[2] = (uint8_t)(v >> 8);
    p[3] = (uint8_t)v;
}

// ISO 9660 both-endian fields: the little-endian copy first.
void PutBoth32(uint8_t* p, uint32_t v)
{
    PutLittle32(p, v);
    PutBig32(p + 4, v);
}

void PutBoth16(uint8_t* p, uint16_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 8);
    p[3] = (uint8_t)v;
}

// Recording time of the root directory: 1998-11-16 10:10:56, offset byte 0xC0.
const uint8_t kRootTime[7] = {0x62, 0x0B, 0x10, 0x0A, 0x0A, 0x38, 0xC0};
// Recording time of the file: 1998-11-10 12:08:40, offset byte 0xFC.
const uint8_t kFileTime[7] = {0x62, 0x0B, 0x0A, 0x0C, 0x08, 0x28, 0xFC};

const int kRootExtent = 20;
const int kFileExtent = 21;

// The 34-byte directory record of the root (as "." with identifier 0, as ".." with identifier 1).
void PutRootRecord(uint8_t* p, uint8_t nIdentifier)
{
    p[0] = 34;
    p[1] = 0;
    PutBoth32(p + 2, kRootExtent);
    PutBoth32(p + 10, kLogicalSector);
    memcpy(p + 18, kRootTime, sizeof kRootTime);
    p[25] = 0x02; // directory
    p[26] = 0;
    p[27] = 0;
    PutBoth16(p + 28, 1); // volume sequence number
    p[32] = 1;
    p[33] = nIdentifier;
}

void BuildPrimaryVolumeDescriptor(uint8_t* s, VolumeKind kind, long nTestLength)
{
    memset(s, 0, kLogicalSector);
    s[0] = 0x01;
    memcpy(s + 1, "CD001", 5);
    s[6] = 0x01;
    memset(s + 8, ' ', 813 - 8); // identifiers up to byte 812 are blank-filled...
    memset(s + 72, 0, 190 - 72); // ...except the number fields and the root record
    if (kind == kVolumeCd)
        PutBoth32(s + 80, 332700);
    PutBoth16(s + 120, 1); // volume set size
    PutBoth16(s + 124, 1); // volume sequence number
    PutBoth16(s + 128, kLogicalSector);
    PutBoth32(s + 132, 10);   // path table size
    PutLittle32(s + 140, 18); // type L path table
    PutBig32(s + 148, 19);    // type M path table
    PutRootRecord(s + 156, 0);

    const char* pszVolume = kind == kVolumeDvd ? "Korvath Europe - DVD Test" : "Korvath Europe - Mode 1 Test";
    memcpy(s + 40, pszVolume, strlen(pszVolume)); // blank-padded: the blanks written above stay

    // Creation and modification dates, each 16 digits (YYYYMMDDHHMMSSCC) and its offset byte.
    memcpy(s + 813, "1998111610083166", 16);
    s[829] = 0xE5;
    memcpy(s + 830, "1998111610105650", 16);
    s[846] = 0xC0;
    s[881] = 0x01; // file structure version

    if (kind == kVolumeDvd)
        PutBoth32(s + 80, (uint32_t)nTestLength);
}

void BuildTerminator(uint8_t* s)
{
    memset(s, 0, kLogicalSector);
    s[0] = 0xFF;
    memcpy(s + 1, "CD001", 5);
    s[6] = 0x01;
}

void BuildPathTable(uint8_t* s, bool bBigEndian)
{
    memset(s, 0, kLogicalSector);
    s[0] = 1; // identifier length
    s[1] = 0; // extended attribute length
    if (bBigEndian) {
        PutBig32(s + 2, kRootExtent);
        s[6] = 0;
        s[7] = 1; // parent directory
    } else {
        PutLittle32(s + 2, kRootExtent);
        s[6] = 1;
        s[7] = 0;
    }
}

void BuildRootDirectory(uint8_t* s, VolumeKind kind)
{
    memset(s, 0, kLogicalSector);
    PutRootRecord(s, 0);
    PutRootRecord(s + 34, 1);

    uint8_t* f = s + 68;
    const char* pszName = kind == kVolumeDvd ? "TESTDVD.BIN;1" : "TESTCD.BIN;1";
    const size_t nNameLength = strlen(pszName);
    f[0] = kind == kVolumeDvd ? 0x30 : 0x2E; // record lengths of the two volumes as they have always been
    f[1] = 0;
    PutBoth32(f + 2, kFileExtent);
    memcpy(f + 18, kFileTime, sizeof kFileTime);
    f[25] = 0;
    PutBoth16(f + 28, 1);
    f[32] = (uint8_t)nNameLength;
    memcpy(f + 33, pszName, nNameLength);
    f[33 + nNameLength] = 0;
    PutBoth32(f + 10, kLogicalSector); // the file's data length
}

// Builds the 2048-byte sector nSector of a volume into s.
void BuildVolumeSector(uint8_t* s, int nSector, VolumeKind kind, long nTestLength)
{
    switch (nSector) {
    case 16:
        BuildPrimaryVolumeDescriptor(s, kind, nTestLength);
        break;
    case 17:
        BuildTerminator(s);
        break;
    case 18:
        BuildPathTable(s, false);
        break;
    case 19:
        BuildPathTable(s, true);
        break;
    case 20:
        BuildRootDirectory(s, kind);
        break;
    default:
        memset(s, 0, kLogicalSector);
        break; // system area, the file's one sector, the tail
    }
}

} // namespace

void BuildDvdTestImage(uint8_t* pBuffer, long nTestLength)
{
    for (int i = 0; i < kTestImageSectors; ++i)
        BuildVolumeSector(pBuffer + i * kLogicalSector, i, kVolumeDvd, nTestLength);
}

void BuildMode1TestImage(uint8_t* pBuffer)
{
    for (int i = 0; i < kTestImageSectors; ++i) {
        uint8_t* pRaw = pBuffer + i * kRawSector;
        memset(pRaw, 0, kRawSector);
        BuildVolumeSector(pRaw + kRawUserDataOffset, i, kVolumeCd, 0);
    }
}

void BuildCddaTestPattern(uint8_t* pBuffer)
{
    static const uint8_t kPattern[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00};
    for (size_t i = 0; i < kCdTestImageSize; ++i)
        pBuffer[i] = kPattern[i % 8];
}
