// src/transfer/DvdWriteTestMath.cpp
// The DVD write test's profile decisions and sample arithmetic.
#include "transfer/DvdWriteTest.h"

#include "transfer/WriterModels.h"

#include <cstring>

DvdWriteWorker DvdWriteWorkerForProfile(int nProfile)
{
    switch (nProfile) {
    case kProfileDvdPlusR:
    case kProfileDvdPlusRDl:
        return kDvdWorkerPlusR;
    case kProfileDvdPlusRw:
        return kDvdWorkerPlusRw;
    case kProfileDvdMinusR:
    case kProfileDvdMinusRDl:
        return kDvdWorkerMinusR;
    case kProfileDvdMinusRwRestricted:
    case kProfileDvdMinusRwSequential:
        return kDvdWorkerMinusRw;
    case kProfileDvdRam:
        return kDvdWorkerRam;
    default:
        return kDvdWorkerNone;
    }
}

const char* DvdProfileName(int nProfile)
{
    switch (nProfile) {
    case 0x10:
        return "DVD-ROM";
    case kProfileDvdMinusR:
        return "DVD-R";
    case kProfileDvdRam:
        return "DVD-RAM";
    case kProfileDvdMinusRwRestricted:
    case kProfileDvdMinusRwSequential:
        return "DVD-RW";
    case kProfileDvdMinusRDl:
        return "DVD-R DL";
    case kProfileDvdPlusRw:
        return "DVD+RW";
    case kProfileDvdPlusR:
        return "DVD+R";
    case kProfileDvdPlusRDl:
        return "DVD+R DL";
    default:
        return "DVD";
    }
}

int DvdWriteBlockSectors(int nProfile)
{
    return nProfile == kProfileDvdRam ? 32 : 25;
}

long DvdWriteTestLength(long nSectorCount, int nSampleLength, int nProfile)
{
    if (nSampleLength <= 0 || nSectorCount <= 0)
        return 0;
    const long nBlock = DvdWriteBlockSectors(nProfile);
    return (nSampleLength / nBlock) * (nSectorCount / nSampleLength) * nBlock;
}

bool BuildDvdWriteParameters(BYTE* pList, int nProfile, bool bSimulate)
{
    BYTE writeType = 0x42; // Session-At-Once with BUFE
    BYTE trackMode = 0x25; // fixed packet, track mode 5
    switch (DvdWriteWorkerForProfile(nProfile)) {
    case kDvdWorkerMinusR:
        writeType = BYTE(bSimulate ? 0x52 : 0x42);
        break;
    case kDvdWorkerMinusRw:
        writeType = BYTE(bSimulate ? 0x52 : 0x42);
        trackMode = 0xE5; // also multi-session
        break;
    case kDvdWorkerPlusR:
    case kDvdWorkerPlusRw:
        break; // the DVD+ formats have no test write
    default:
        return false;
    }
    memset(pList, 0, kDvdWriteParametersLength);
    pList[4] = 0x05;
    pList[5] = 0x32;
    pList[6] = writeType;
    pList[7] = trackMode;
    pList[8] = 0x08;
    pList[18] = 0x00;
    pList[19] = 0x96;
    return true;
}

long DvdCapacityFromFormatCapacities(const BYTE* pAnswer, int nLength, int nProfile)
{
    if (pAnswer == nullptr || nLength < 4)
        return 0;
    const int nDescriptors = pAnswer[3] / 8;
    for (int i = 0; i < nDescriptors; ++i) {
        const int nOffset = 4 + 8 * i;
        if (nOffset + 5 > nLength)
            break;
        const BYTE* d = pAnswer + nOffset;
        const BYTE type = d[4];
        bool bMatch = false;
        if (i == 0) {
            bMatch = (nProfile == kProfileDvdRam) ? type == 2 : type == 1;
        } else if (nProfile == kProfileDvdPlusRw) {
            bMatch = type == 0x98;
        } else if (nProfile == kProfileDvdMinusRwRestricted || nProfile == kProfileDvdMinusRwSequential) {
            bMatch = type == 0x00 || type == 0x54;
        } else if (nProfile == kProfileDvdRam) {
            bMatch = type == 0x04;
        }
        if (bMatch)
            return long((DWORD(d[0]) << 24) | (DWORD(d[1]) << 16) | (DWORD(d[2]) << 8) | d[3]);
    }
    return 0;
}

int DvdWriteTimedBlocks(int nBlocksPerSample)
{
    const int nTimed = nBlocksPerSample - 2;
    return nTimed < 1 ? 1 : nTimed;
}

uint32_t DvdWriteSampleValue(int nTimedBlocks, int nBlockSectors, int64_t nMilliseconds, int nBasisKBs)
{
    if (nMilliseconds < 1)
        nMilliseconds = 1;
    if (nBlockSectors == 32)
        return uint32_t((double(int64_t(nTimedBlocks) * 64000 / nMilliseconds) * 100.0) / double(nBasisKBs));
    return uint32_t(int64_t(nTimedBlocks) * 100000 / (nMilliseconds * 27));
}

int DvdRamSpeedBasis(const char* pszProductId)
{
    return ContainsModelNumber(pszProductId, g_DvdRamReadBasisModels) ? 1385 : 1350;
}
