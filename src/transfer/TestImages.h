// src/transfer/TestImages.h
// The data the write tests record. The first sectors of a written test disc form a small ISO 9660 volume (one root
// directory holding one file of one sector) so that the disc reads back as a data disc; the audio test writes a
// fixed pattern. The builders keep no state and allocate nothing: each call fills the whole image in the caller's
// buffer.
#ifndef TAVISK_TRANSFER_TESTIMAGES_H
#define TAVISK_TRANSFER_TESTIMAGES_H

#include <cstddef>
#include <cstdint>

const int kTestImageSectors = 25;
const size_t kDvdTestImageSize = 25 * 2048; // 51,200 bytes
const size_t kCdTestImageSize = 25 * 2352;  // 58,800 bytes

// The DVD volume: 25 sectors of 2048 bytes. Its volume space size is the test length of the run in sectors.
void BuildDvdTestImage(uint8_t* pBuffer, long nTestLength);

// The CD volume as 25 raw Mode 1 sectors of 2352 bytes: the user data at bytes 16-2063 of each sector; sync, header,
// EDC and ECC left zero (the drive makes them).
void BuildMode1TestImage(uint8_t* pBuffer);

// 25 audio sectors of 2352 bytes: the bytes FF FF FF FF 00 00 00 00 repeated.
void BuildCddaTestPattern(uint8_t* pBuffer);

#endif
