// src/drive/DiscText.h
// Texts a disc carries besides its sectors: CD-TEXT strings and packs, the Q sub-channel forms of the media
// catalogue number and the ISRC, UDF's OSTA compressed Unicode and the CRC of UDF descriptor tags. Plain
// functions over byte buffers; no device access.
#ifndef TAVISK_DRIVE_DISCTEXT_H
#define TAVISK_DRIVE_DISCTEXT_H

#include <windows.h>

// CD-TEXT pack types
const BYTE kCdTextTitle = 0x80;
const BYTE kCdTextPerformer = 0x81;
const BYTE kCdTextSizeInfo = 0x8F;
const int kCdTextPackSize = 18;
const int kCdTextBufferSize = 32768; // the largest CD-TEXT answer the program keeps

// The string of a pack type (title or performer) for a track (0 = the whole disc) from CD-TEXT data as READ TOC
// format 5 returns it (4-byte header, then 18-byte packs). nLength is the number of bytes held in pData; only
// whole packs inside it and inside the length its header announces are read. The output (nOutSize bytes with the
// terminator) starts as the default text "Unknown Disc" (title of track 0), "Unknown Title" or "Unknown Artist"
// (empty for other types) and keeps it when the string is missing. The packs' CRCs are not checked. Returns
// pszOut.
char* GetCdTextString(BYTE packType, int nTrack, char* pszOut, int nOutSize, const BYTE* pData, int nLength);

// True when a CD-TEXT pack's CRC (CRC-16/CCITT over bytes 0-15, stored inverted, high byte first) is right. A
// CRC field of two zero bytes counts as not given by the drive and passes.
bool IsCdTextPackCrcValid(const BYTE* pPack);

// CD-TEXT source texts: group 0 titles, group 1 performers; entry 0 the disc, entries 1 to the last track the
// tracks; each at most 129 characters.
const int kCdTextGroups = 2;
const int kCdTextEntries = 100;
const int kCdTextEntrySize = 130;
using CdTextSources = char[kCdTextGroups][kCdTextEntries][kCdTextEntrySize];

// Lays the source texts of entries 0 to nLastTrack (at most 99) into CD-TEXT packs with their size-information
// packs and CRCs, behind a 4-byte header, in pOutput (kCdTextBufferSize bytes, cleared first). Texts holding a
// double-byte lead byte make every text double-byte. Returns the number of bytes written (header included).
int BuildCdTextPacks(const CdTextSources& sources, BYTE* pOutput, int nLastTrack);

// The ten Q sub-channel bytes carried by bit 6 of the first 80 bytes of a raw P-W sub-channel block (96 bytes),
// most significant bit first.
void DecodeSubchannelQ(const BYTE* pSubchannel96, BYTE* pQ10);

// Q data of ADR 2: the 13 digits of the media catalogue number into pszDigits (14 characters with the
// terminator).
void DecodeQMediaCatalogNumber(const BYTE* pQ10, char* pszDigits);
// Q data of ADR 3: the 12 characters of the ISRC (five 6-bit characters, seven BCD digits) into pszIsrc (13
// characters with the terminator). False when the two low bits of Q byte 4 are not zero (not a valid ISRC frame).
bool DecodeQIsrc(const BYTE* pQ10, char* pszIsrc);

// BCD byte to number (high nibble × 10 + low nibble) and back.
inline int FromBcd(BYTE v)
{
    return (v >> 4) * 10 + (v & 0x0F);
}
inline BYTE ToBcd(int v)
{
    return BYTE((v / 10) * 16 + v % 10);
}
// An MSF address in BCD as an LBA: (M × 60 + S) × 75 + F − 150.
inline long BcdMsfToLba(const BYTE* pMsf)
{
    return (long(FromBcd(pMsf[0])) * 60 + FromBcd(pMsf[1])) * 75 + FromBcd(pMsf[2]) - 150;
}

// The addresses a CD can have, 00:00:00 to 99:59:74 as LBAs, and an address a drive reports taken into them: a
// table of contents with an absurd address must not steer a search far beyond the disc or overflow a length.
const long kFirstCdLba = -150;
const long kLastCdLba = (99L * 60 + 59) * 75 + 74 - 150;
inline long ClampToCdRange(long lba)
{
    return lba < kFirstCdLba ? kFirstCdLba : lba > kLastCdLba ? kLastCdLba : lba;
}

// OSTA compressed Unicode (UDF 2.01, 2.1.1). Decode: byte 0 is the compression identifier, 8 (one byte per
// unit) or 16 (high byte, then low byte); returns the number of UTF-16 units written, 0 for fewer than two bytes,
// -1 for another identifier. The output holds nBytes units at most. Encode: writes the identifier and the
// characters (high byte only for 16); returns the bytes written, 1 for no characters, -1 for another compression.
int DecodeOstaCompressedUnicode(int nBytes, const BYTE* pCompressed, WCHAR* pOutput);
int EncodeOstaCompressedUnicode(int nCharacters, int compression, const WCHAR* pInput, BYTE* pOutput);

// The CRC of UDF descriptor tags: CRC-16 with polynomial 0x1021, initial value 0, most significant bit first, no
// final inversion; 0 for a count below 1.
WORD UdfCrc16(const BYTE* pBytes, int nCount);

// A UDF dstring field of nFieldSize bytes (its last byte holds the length used) as ANSI text of at most nMaxChars
// characters, into pszText (nMaxChars + 1 bytes). The length byte is bounded by the field.
void DecodeUdfDString(const BYTE* pField, int nFieldSize, char* pszText, int nMaxChars);

#endif
