// tests/emu/EmuHostile.cpp
// The hostile drive (EmuHostile.h): answer hooks that change a seeded share of answers before the host sees them.
#include "EmuHostile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const size_t kSnapshotLimit = 65536;   // host buffer bytes kept for a cut answer
const size_t kLogLimit = 1024 * 1024; // log bytes kept per drive

// What Before decided for the command under way (the machine's lock is held from Before to After).
struct PendingChange {
    bool bActive = false;
    int nKind = 0;
    uint64_t nSeed = 0;
    uint64_t nCommand = 0;
    std::vector<uint8_t> snapshot; // the host buffer before the drive answered (cut)
};
PendingChange g_pending;

void AppendLog(CEmuDrive& drive, const PendingChange& change, const uint8_t* cdb, const char* pszText)
{
    char szLine[200];
    std::snprintf(szLine, sizeof(szLine), "seed %llu #%llu op %02X %s\n", static_cast<unsigned long long>(change.nSeed),
                  static_cast<unsigned long long>(change.nCommand), cdb[0], pszText);
    drive.SetInt(EMU_KEY_HOSTILE_CHANGED, drive.GetInt(EMU_KEY_HOSTILE_CHANGED, 0) + 1);
    std::vector<uint8_t>& log = drive.m_Bytes[EMU_KEY_HOSTILE_LOG];
    const size_t nLine = std::strlen(szLine);
    if (log.size() + nLine <= kLogLimit)
        log.insert(log.end(), szLine, szLine + nLine);
    if (drive.GetInt(EMU_KEY_HOSTILE_ECHO, 0) != 0) {
        std::fputs(szLine, stderr);
        std::fflush(stderr);
    }
}

// Kinds by weight: field changes are the most telling, time-outs the slowest to run into.
int ChooseKind(CEmuSeedRandom& random, int nAllowed, bool bDataIn)
{
    static const struct {
        int nKind;
        uint32_t nWeight;
    } kWeights[] = {
        {kEmuHostileField, 45}, {kEmuHostileCut, 20}, {kEmuHostilePad, 10},
        {kEmuHostileSense, 20}, {kEmuHostileTimeout, 5},
    };
    if (!bDataIn)
        nAllowed &= kEmuHostileSense | kEmuHostileTimeout;
    uint32_t nTotal = 0;
    for (const auto& entry : kWeights)
        nTotal += (nAllowed & entry.nKind) ? entry.nWeight : 0;
    uint32_t nPick = random.Below(nTotal);
    for (const auto& entry : kWeights) {
        if (!(nAllowed & entry.nKind))
            continue;
        if (nPick < entry.nWeight)
            return entry.nKind;
        nPick -= entry.nWeight;
    }
    return 0;
}

// Random sense: mostly fixed format with a random key, or a code the program treats specially (not ready,
// no medium, medium changed, invalid field, incompatible medium), now and then bytes that are random throughout.
void ChooseSense(CEmuSeedRandom& random, uint8_t* pSense18)
{
    static const uint8_t kCommonCodes[][3] = {
        {0x02, 0x04, 0x01}, {0x02, 0x04, 0x07}, {0x02, 0x04, 0x08}, {0x02, 0x3A, 0x00}, {0x06, 0x28, 0x00},
        {0x05, 0x24, 0x00}, {0x05, 0x20, 0x00}, {0x05, 0x30, 0x00}, {0x03, 0x0C, 0x00}, {0x05, 0x64, 0x00},
        {0x03, 0x11, 0x05}, {0x04, 0x44, 0x00},
    };
    for (int i = 0; i < 18; ++i)
        pSense18[i] = random.Byte();
    switch (random.Below(4)) {
    case 0: // random throughout
        return;
    case 1:
    case 2: {
        const uint8_t* pCode = kCommonCodes[random.Below(sizeof(kCommonCodes) / sizeof(kCommonCodes[0]))];
        std::memset(pSense18, 0, 18);
        pSense18[0] = 0x70;
        pSense18[2] = pCode[0];
        pSense18[7] = 10;
        pSense18[12] = pCode[1];
        pSense18[13] = pCode[2];
        return;
    }
    default: // fixed format, random key, code and qualifier
        pSense18[0] = random.Below(2) ? 0x70 : 0x71;
        pSense18[2] = uint8_t(random.Below(16));
        pSense18[7] = 10;
        return;
    }
}

uint32_t ChooseFieldValue(CEmuSeedRandom& random, uint32_t nAllocation, const char** ppName)
{
    switch (random.Below(9)) {
    case 0:
        *ppName = "0";
        return 0;
    case 1:
        *ppName = "1";
        return 1;
    case 2:
        *ppName = "size";
        return nAllocation;
    case 3:
        *ppName = "size+1";
        return nAllocation + 1;
    case 4:
        *ppName = "0x7FFF";
        return 0x7FFF;
    case 5:
        *ppName = "0xFFFF";
        return 0xFFFF;
    case 6:
        *ppName = "0x7FFFFFFF";
        return 0x7FFFFFFF;
    case 7:
        *ppName = "0xFFFFFFFF";
        return 0xFFFFFFFF;
    default:
        *ppName = "random";
        return uint32_t(random.Next());
    }
}

// One field of width 1, 2 or 4 bytes, big-endian; a one-byte field takes 0x7F and 0xFF for 0x7FFF and 0xFFFF.
void ChangeField(EmuCommand& command, CEmuSeedRandom& random, char* pszText, size_t nText)
{
    const uint32_t nLength = command.nTransferred;
    static const uint32_t kWidths[] = {1, 1, 2, 2, 4};
    uint32_t nWidth = std::min(kWidths[random.Below(5)], nLength);
    const uint32_t nSpan = random.Below(2) ? std::min<uint32_t>(nLength, 12) : nLength;
    uint32_t nOffset = random.Below(nSpan > nWidth ? nSpan - nWidth + 1 : 1);
    const char* pszName = "";
    uint32_t nValue = ChooseFieldValue(random, command.nAllocation, &pszName);
    if (nWidth == 1 && (nValue == 0x7FFF || nValue == 0xFFFF))
        nValue >>= 8;
    if (nWidth < 4)
        nValue &= (1u << (8 * nWidth)) - 1;
    for (uint32_t i = 0; i < nWidth; ++i)
        command.pDataIn[nOffset + i] = uint8_t(nValue >> (8 * (nWidth - 1 - i)));
    std::snprintf(pszText, nText, "field +%u w%u = %s 0x%X (of %u, buffer %u)", nOffset, nWidth, pszName, nValue,
                  nLength, command.nAllocation);
}

bool HostileBefore(EmuCommand& command)
{
    g_pending.bActive = false;
    CEmuDrive& drive = *command.pDrive;
    const int64_t nShare = drive.GetInt(EMU_KEY_HOSTILE_SHARE, 0);
    if (nShare <= 0)
        return false;
    const uint64_t nCommand = uint64_t(drive.GetInt(EMU_KEY_HOSTILE_COUNT, 0));
    drive.SetInt(EMU_KEY_HOSTILE_COUNT, int64_t(nCommand + 1));
    const uint64_t nSeed = uint64_t(drive.GetInt(EMU_KEY_HOSTILE_SEED, 0));
    CEmuSeedRandom random(nSeed, nCommand);
    if (random.Below(1000) >= uint64_t(nShare))
        return false;
    const bool bDataIn = command.pDataIn != nullptr && command.nAllocation > 0;
    const int nKind = ChooseKind(random, int(drive.GetInt(EMU_KEY_HOSTILE_KINDS, kEmuHostileAll)), bDataIn);
    if (nKind == 0)
        return false;
    g_pending.bActive = true;
    g_pending.nKind = nKind;
    g_pending.nSeed = nSeed;
    g_pending.nCommand = nCommand;

    char szText[120];
    if (nKind == kEmuHostileSense) {
        uint8_t sense[18];
        ChooseSense(random, sense);
        command.CheckConditionRaw(sense, sizeof(sense));
        std::snprintf(szText, sizeof(szText), "sense %02X %02X/%02X/%02X", sense[0], sense[2], sense[12], sense[13]);
        AppendLog(drive, g_pending, command.cdb, szText);
        return true;
    }
    if (nKind == kEmuHostileTimeout) {
        const uint32_t nSeconds = command.nTimeoutSeconds != 0 ? command.nTimeoutSeconds : kEmuHostileAspiTimeoutSeconds;
        command.bTimedOut = true;
        command.nExtraDelayUs += uint64_t(nSeconds) * 1000000;
        std::snprintf(szText, sizeof(szText), "timeout after %u s", nSeconds);
        AppendLog(drive, g_pending, command.cdb, szText);
        return true;
    }
    if (nKind == kEmuHostileCut) {
        const size_t nKeep = std::min<size_t>(command.nAllocation, kSnapshotLimit);
        g_pending.snapshot.assign(command.pDataIn, command.pDataIn + nKeep);
    }
    return false;
}

void HostileAfter(EmuCommand& command)
{
    if (!g_pending.bActive)
        return;
    g_pending.bActive = false;
    if (g_pending.nKind == kEmuHostileSense || g_pending.nKind == kEmuHostileTimeout)
        return;
    if (command.nStatus != kEmuStatusGood || command.pDataIn == nullptr || command.nTransferred == 0)
        return;
    CEmuSeedRandom random(g_pending.nSeed ^ 0x5851F42D4C957F2Dull, g_pending.nCommand);
    char szText[160];
    int nKind = g_pending.nKind;
    if (nKind == kEmuHostilePad && command.nAllocation <= command.nTransferred)
        nKind = kEmuHostileField;
    if (nKind == kEmuHostileCut) {
        const uint32_t nLength = command.nTransferred;
        const uint32_t nCut = random.Below(nLength);
        const size_t nRestore = std::min<size_t>(nLength, g_pending.snapshot.size());
        if (nCut < nRestore)
            std::memcpy(command.pDataIn + nCut, g_pending.snapshot.data() + nCut, nRestore - nCut);
        command.nTransferred = nCut;
        std::snprintf(szText, sizeof(szText), "cut to %u of %u", nCut, nLength);
    } else if (nKind == kEmuHostilePad) {
        const uint32_t nLength = command.nTransferred;
        for (uint32_t i = nLength; i < command.nAllocation; ++i)
            command.pDataIn[i] = random.Byte();
        command.nTransferred = command.nAllocation;
        std::snprintf(szText, sizeof(szText), "padded from %u to %u", nLength, command.nAllocation);
    } else {
        ChangeField(command, random, szText, sizeof(szText));
        if (random.Below(4) == 0) {
            const size_t nUsed = std::strlen(szText);
            std::snprintf(szText + nUsed, sizeof(szText) - nUsed, "; ");
            ChangeField(command, random, szText + nUsed + 2, sizeof(szText) - nUsed - 2);
        }
    }
    AppendLog(*command.pDrive, g_pending, command.cdb, szText);
}

const EmuAnswerHooks kHostileHooks = {&HostileBefore, &HostileAfter};

struct HostileRegistrar {
    HostileRegistrar() { EmuSetAnswerHooks(&kHostileHooks); }
} g_hostileRegistrar;

} // namespace

void EmuSetHostile(IEmuMachine* pMachine, int nDrive, uint64_t nSeed, int nSharePerThousand, int nKinds)
{
    pMachine->SetInt(nDrive, EMU_KEY_HOSTILE_SEED, int64_t(nSeed));
    pMachine->SetInt(nDrive, EMU_KEY_HOSTILE_SHARE, nSharePerThousand);
    pMachine->SetInt(nDrive, EMU_KEY_HOSTILE_KINDS, nKinds);
    pMachine->SetInt(nDrive, EMU_KEY_HOSTILE_COUNT, 0);
    pMachine->SetInt(nDrive, EMU_KEY_HOSTILE_CHANGED, 0);
    pMachine->SetBytes(nDrive, EMU_KEY_HOSTILE_LOG, "", 0);
}

std::string EmuHostileLog(IEmuMachine* pMachine, int nDrive)
{
    std::string text(pMachine->GetBytes(nDrive, EMU_KEY_HOSTILE_LOG, nullptr, 0), '\0');
    pMachine->GetBytes(nDrive, EMU_KEY_HOSTILE_LOG, &text[0], uint32_t(text.size()));
    return text;
}
