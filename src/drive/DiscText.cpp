// src/drive/DiscText.cpp
// CD-TEXT strings and packs, the Q sub-channel forms of MCN and ISRC, OSTA compressed Unicode and the UDF tag CRC.
#include "drive/DiscText.h"

#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "framework/String.h"
#include "resource.h"

// --- CD-TEXT ----------------------------------------------------------------------------------------------------

bool IsCdTextPackCrcValid(const BYTE* pPack)
{
    if (pPack[16] == 0 && pPack[17] == 0)
        return true;
    WORD crc = 0;
    for (int i = 0; i < 16; ++i)
        Crc16Update(&crc, pPack[i]);
    crc = WORD(~crc);
    return pPack[16] == BYTE(crc >> 8) && pPack[17] == BYTE(crc);
}

static void SetPackCrc(BYTE* pPack)
{
    WORD crc = 0;
    for (int i = 0; i < 16; ++i)
        Crc16Update(&crc, pPack[i]);
    crc = WORD(~crc);
    pPack[16] = BYTE(crc >> 8);
    pPack[17] = BYTE(crc);
}

static void CopyBounded(char* pszOut, int nOutSize, const char* pszText)
{
    if (nOutSize <= 0)
        return;
    strncpy(pszOut, pszText, size_t(nOutSize - 1));
    pszOut[nOutSize - 1] = '\0';
}

// Strings run across the packs of one type and end with one zero byte (two in double-byte packs); the n-th string
// belongs to the n-th track counted from the track number of the data's first pack. A tab (the previous track's
// text) is kept as it is. The packs' CRCs are not checked: a pack that fails its CRC is read like the others, so
// one damaged pack neither hides the strings of the good ones nor shifts the count of the strings after it.
char* GetCdTextString(BYTE packType, int nTrack, char* pszOut, int nOutSize, const BYTE* pData, int nLength)
{
    CString strDefault;
    if (packType == kCdTextTitle)
        strDefault.LoadString(nTrack == 0 ? IDS_CDTEXT_UNKNOWN_DISC : IDS_CDTEXT_UNKNOWN_TITLE);
    else if (packType == kCdTextPerformer)
        strDefault.LoadString(IDS_CDTEXT_UNKNOWN_ARTIST);
    CopyBounded(pszOut, nOutSize, strDefault);
    if (pData == nullptr || nLength < 4 + kCdTextPackSize)
        return pszOut;

    int announced = int(GetBe16(pData)) + 2;
    int held = nLength < announced ? nLength : announced;
    int packs = (held - 4) / kCdTextPackSize;
    const BYTE* first = pData + 4;
    int counter = first[1];
    char collected[kCdTextBufferSize];
    int used = 0;
    bool pendingZero = false;
    for (int p = 0; p < packs; ++p) {
        const BYTE* pack = first + p * kCdTextPackSize;
        if (pack[0] != packType)
            continue;
        bool doubleByte = (pack[3] & 0x80) != 0;
        for (int i = 4; i < 16; ++i) {
            BYTE c = pack[i];
            if (c != 0) {
                if (used < int(sizeof(collected)) - 1)
                    collected[used++] = char(c);
                pendingZero = false;
                continue;
            }
            if (doubleByte && !pendingZero) {
                pendingZero = true;
                continue;
            }
            pendingZero = false;
            if (counter == nTrack) {
                collected[used] = '\0';
                if (used >= (doubleByte ? 2 : 1))
                    CopyBounded(pszOut, nOutSize, collected);
                return pszOut;
            }
            used = 0;
            ++counter;
        }
    }
    return pszOut;
}

// A text's double-byte form: single-byte characters mapped to their full-width forms, lead bytes kept with their
// trail byte. At most nSize - 2 bytes, two zero bytes at the end.
static int ToDoubleByte(const char* pszText, char* pOut, int nSize)
{
    int n = 0;
    for (const char* p = pszText; *p != '\0' && n + 2 <= nSize - 2;) {
        if (IsDBCSLeadByte(BYTE(*p)) && p[1] != '\0') {
            pOut[n++] = p[0];
            pOut[n++] = p[1];
            p += 2;
            continue;
        }
        char wide[4] = {0};
        if (LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_FULLWIDTH, p, 1, wide, sizeof(wide)) == 2) {
            pOut[n++] = wide[0];
            pOut[n++] = wide[1];
        } else {
            pOut[n++] = 0;
            pOut[n++] = *p;
        }
        ++p;
    }
    pOut[n] = 0;
    pOut[n + 1] = 0;
    return n;
}

static bool HasDoubleByteText(const CdTextSources& sources, int nLastTrack)
{
    for (int g = 0; g < kCdTextGroups; ++g) {
        for (int t = 0; t <= nLastTrack; ++t) {
            const char* text = sources[g][t];
            int length = int(strnlen(text, kCdTextEntrySize - 1));
            for (int i = 0; i < length / 2; ++i) {
                if (IsDBCSLeadByte(BYTE(text[2 * i])))
                    return true;
            }
        }
    }
    return false;
}

int BuildCdTextPacks(const CdTextSources& sources, BYTE* pOutput, int nLastTrack)
{
    if (nLastTrack < 0)
        nLastTrack = 0;
    if (nLastTrack > kCdTextEntries - 1)
        nLastTrack = kCdTextEntries - 1;
    memset(pOutput, 0, kCdTextBufferSize);
    bool doubleByte = HasDoubleByteText(sources, nLastTrack);
    const int maxPacks = (kCdTextBufferSize - 4) / kCdTextPackSize - 3; // room for the size information

    int packs = 0;
    int packCounts[kCdTextGroups] = {0, 0};
    for (int g = 0; g < kCdTextGroups; ++g) {
        BYTE* pack = nullptr;
        int fill = 16; // text bytes of the current pack used; 16 = none open
        for (int t = 0; t <= nLastTrack; ++t) {
            char text[2 * kCdTextEntrySize + 2];
            int length;
            if (doubleByte)
                length = ToDoubleByte(sources[g][t], text, sizeof(text)) + 2;
            else {
                length = int(strnlen(sources[g][t], kCdTextEntrySize - 1));
                memcpy(text, sources[g][t], size_t(length));
                text[length++] = 0;
            }
            for (int i = 0; i < length; ++i) {
                if (fill == 16) {
                    if (packs == maxPacks)
                        break;
                    pack = pOutput + 4 + packs * kCdTextPackSize;
                    pack[0] = BYTE(kCdTextTitle + g);
                    pack[1] = BYTE(t);
                    pack[2] = BYTE(packs);
                    int position = doubleByte ? i / 2 : i;
                    pack[3] = BYTE((position > 15 ? 15 : position) | (doubleByte ? 0x80 : 0));
                    fill = 4;
                    ++packs;
                    ++packCounts[g];
                }
                pack[fill++] = BYTE(text[i]);
            }
        }
    }

    // Size information: character code, first and last track, copy flag, pack counts per type (0x80-0x8F), last
    // sequence number per block, language code per block; 36 bytes over three packs.
    BYTE info[36];
    memset(info, 0, sizeof(info));
    info[0] = doubleByte ? 0x80 : 0x01;
    info[1] = 1;
    info[2] = BYTE(nLastTrack);
    info[4] = BYTE(packCounts[0]);
    info[5] = BYTE(packCounts[1]);
    info[4 + 15] = 3;
    info[20] = BYTE(packs + 2);
    info[28] = doubleByte ? 0x69 : 0x09;
    for (int i = 0; i < 3; ++i) {
        BYTE* pack = pOutput + 4 + packs * kCdTextPackSize;
        pack[0] = kCdTextSizeInfo;
        pack[1] = BYTE(i);
        pack[2] = BYTE(packs);
        pack[3] = doubleByte ? 0x80 : 0;
        memcpy(pack + 4, info + 12 * i, 12);
        ++packs;
    }
    SetBe16(pOutput, DWORD(kCdTextPackSize * packs + 2));
    for (int p = 0; p < packs; ++p)
        SetPackCrc(pOutput + 4 + p * kCdTextPackSize);
    return 4 + kCdTextPackSize * packs;
}

// --- Q sub-channel ------------------------------------------------------------------------------------------------

void DecodeSubchannelQ(const BYTE* pSubchannel96, BYTE* pQ10)
{
    for (int i = 0; i < 10; ++i) {
        BYTE value = 0;
        for (int bit = 0; bit < 8; ++bit)
            value = BYTE((value << 1) | ((pSubchannel96[i * 8 + bit] >> 6) & 1));
        pQ10[i] = value;
    }
}

void DecodeQMediaCatalogNumber(const BYTE* pQ10, char* pszDigits)
{
    for (int i = 0; i < 13; ++i) {
        BYTE b = pQ10[1 + i / 2];
        pszDigits[i] = char('0' + ((i % 2 == 0) ? (b >> 4) : (b & 0x0F)));
    }
    pszDigits[13] = '\0';
}

bool DecodeQIsrc(const BYTE* pQ10, char* pszIsrc)
{
    if ((pQ10[4] & 0x03) != 0)
        return false;
    DWORD bits = GetBe32(pQ10 + 1);
    for (int i = 0; i < 5; ++i)
        pszIsrc[i] = char('0' + ((bits >> (26 - 6 * i)) & 0x3F));
    for (int i = 0; i < 7; ++i) {
        BYTE b = pQ10[5 + i / 2];
        pszIsrc[5 + i] = char('0' + ((i % 2 == 0) ? (b >> 4) : (b & 0x0F)));
    }
    pszIsrc[12] = '\0';
    return true;
}

// --- UDF -------------------------------------------------------------------------------------------------------

int DecodeOstaCompressedUnicode(int nBytes, const BYTE* pCompressed, WCHAR* pOutput)
{
    if (nBytes < 1)
        return 0;
    int id = pCompressed[0];
    if (id != 8 && id != 16)
        return -1;
    if (nBytes < 2)
        return 0;
    int units = 0;
    int i = 1;
    while (i < nBytes) {
        WCHAR unit = 0;
        if (id == 16) {
            unit = WCHAR(pCompressed[i++] << 8);
            if (i < nBytes)
                unit = WCHAR(unit | pCompressed[i++]);
        } else
            unit = pCompressed[i++];
        pOutput[units++] = unit;
    }
    return units;
}

int EncodeOstaCompressedUnicode(int nCharacters, int compression, const WCHAR* pInput, BYTE* pOutput)
{
    if (compression != 8 && compression != 16)
        return -1;
    pOutput[0] = BYTE(compression);
    int n = 1;
    for (int i = 0; i < nCharacters; ++i) {
        if (compression == 16)
            pOutput[n++] = BYTE(pInput[i] >> 8);
        pOutput[n++] = BYTE(pInput[i]);
    }
    return n;
}

WORD UdfCrc16(const BYTE* pBytes, int nCount)
{
    struct Table {
        WORD entry[256];
        Table()
        {
            for (int i = 0; i < 256; ++i) {
                WORD v = WORD(i << 8);
                for (int bit = 0; bit < 8; ++bit)
                    v = WORD((v & 0x8000) ? (v << 1) ^ 0x1021 : (v << 1));
                entry[i] = v;
            }
        }
    };
    static const Table table;
    WORD crc = 0;
    for (int i = 0; i < nCount; ++i)
        crc = WORD((crc << 8) ^ table.entry[((crc >> 8) ^ pBytes[i]) & 0xFF]);
    return crc;
}

void DecodeUdfDString(const BYTE* pField, int nFieldSize, char* pszText, int nMaxChars)
{
    pszText[0] = '\0';
    if (nFieldSize < 2)
        return;
    int used = pField[nFieldSize - 1];
    if (used > nFieldSize - 1)
        used = nFieldSize - 1;
    WCHAR units[256];
    int count = DecodeOstaCompressedUnicode(used, pField, units);
    if (count <= 0)
        return;
    char text[300];
    int n = WideCharToMultiByte(CP_ACP, 0, units, count, text, sizeof(text) - 1, nullptr, nullptr);
    if (n < 0)
        n = 0;
    text[n] = '\0';
    CopyBounded(pszText, nMaxChars + 1, text);
}
