// tests/emu/EmuFeatureProfiles.cpp
// Drives for the feature, text and speed queries.
#include "EmuFeatureProfiles.h"

#include <algorithm>
#include <cstring>

#include "EmuProfiles.h"
#include "drive/Cdb.h"

namespace {

void SetPageWord(IEmuMachine* pMachine, int nDrive, uint32_t nOffset, uint32_t nValue)
{
    std::vector<uint8_t> page(64, 0);
    uint32_t n = pMachine->GetBytes(nDrive, "mode.page.2A", page.data(), uint32_t(page.size()));
    if (n < nOffset + 2 || n > page.size())
        return;
    page.resize(n);
    SetBe16(&page[nOffset], nValue);
    pMachine->SetBytes(nDrive, "mode.page.2A", page.data(), n);
}

// Stores the CD speeds (x factors) under the key and gives the highest in kB/s (176 a factor).
uint32_t StoreCdSpeeds(IEmuMachine* pMachine, int nDrive, const char* pszKey, const std::vector<int>& speedsX)
{
    std::vector<uint8_t> bytes(speedsX.begin(), speedsX.end());
    pMachine->SetBytes(nDrive, pszKey, bytes.data(), uint32_t(bytes.size()));
    int top = 0;
    for (int x : speedsX)
        top = x > top ? x : top;
    return uint32_t(top) * 176;
}

} // namespace

int EmuAddProfileDriveAs(IEmuMachine* pMachine, int nProfile, const char* pszVendor, const char* pszProduct16,
                         const char* pszRevision)
{
    int nDrive = EmuAddProfileDrive(pMachine, nProfile);
    uint8_t inquiry[96] = {};
    inquiry[0] = 5;
    inquiry[1] = 0x80;
    inquiry[3] = 0x02;
    inquiry[4] = 96 - 5;
    inquiry[7] = uint8_t(pMachine->GetInt(nDrive, EMU_KEY_INQUIRY_B7, 0));
    std::memset(inquiry + 8, ' ', 28);
    std::memcpy(inquiry + 8, pszVendor, std::min<size_t>(std::strlen(pszVendor), 8));
    std::memcpy(inquiry + 16, pszProduct16, std::min<size_t>(std::strlen(pszProduct16), 16));
    std::memcpy(inquiry + 32, pszRevision, std::min<size_t>(std::strlen(pszRevision), 4));
    pMachine->SetBytes(nDrive, EMU_KEY_INQUIRY, inquiry, sizeof(inquiry));
    return nDrive;
}

void EmuSetCdSpeeds(IEmuMachine* pMachine, int nDrive, const std::vector<int>& readX, const std::vector<int>& writeX)
{
    const uint32_t nTopRead = StoreCdSpeeds(pMachine, nDrive, "speed.cdRead", readX);
    SetPageWord(pMachine, nDrive, 8, nTopRead);
    SetPageWord(pMachine, nDrive, 14, nTopRead);
    if (!writeX.empty()) {
        const uint32_t nTopWrite = StoreCdSpeeds(pMachine, nDrive, "speed.cdWrite", writeX);
        SetPageWord(pMachine, nDrive, 18, nTopWrite);
        SetPageWord(pMachine, nDrive, 20, nTopWrite);
        SetPageWord(pMachine, nDrive, 28, nTopWrite);
    }
}

void EmuSetDvdSpeeds(IEmuMachine* pMachine, int nDrive, const std::vector<std::pair<uint32_t, uint32_t>>& reads,
                     const std::vector<uint32_t>& writes)
{
    std::vector<uint8_t> readBytes(8 * reads.size(), 0);
    uint32_t topStart = 0, topEnd = 0;
    for (size_t i = 0; i < reads.size(); ++i) {
        SetBe32(&readBytes[8 * i], reads[i].first);
        SetBe32(&readBytes[8 * i + 4], reads[i].second);
        if (reads[i].second > topEnd) {
            topEnd = reads[i].second;
            topStart = reads[i].first;
        }
    }
    pMachine->SetBytes(nDrive, "speed.dvdRead", readBytes.data(), uint32_t(readBytes.size()));
    std::vector<uint8_t> writeBytes(4 * writes.size(), 0);
    uint32_t topWrite = 0;
    for (size_t i = 0; i < writes.size(); ++i) {
        SetBe32(&writeBytes[4 * i], writes[i]);
        topWrite = writes[i] > topWrite ? writes[i] : topWrite;
    }
    pMachine->SetBytes(nDrive, "speed.dvdWrite", writeBytes.data(), uint32_t(writeBytes.size()));
    uint32_t nEnd = uint32_t(pMachine->GetInt(nDrive, EMU_KEY_BLOCKS, 333000)) - 1;
    if (topEnd != 0) {
        std::vector<uint8_t> descriptor(16, 0);
        SetBe32(&descriptor[4], topStart);
        SetBe32(&descriptor[8], nEnd);
        SetBe32(&descriptor[12], topEnd);
        pMachine->SetBytes(nDrive, "perf.type0", descriptor.data(), uint32_t(descriptor.size()));
        pMachine->SetInt(nDrive, "speed.dvdCurrentRead", topEnd);
    }
    if (!writes.empty()) {
        std::vector<uint8_t> descriptors(16 * writes.size(), 0);
        for (size_t i = 0; i < writes.size(); ++i) {
            SetBe32(&descriptors[16 * i + 4], nEnd);
            SetBe32(&descriptors[16 * i + 8], topEnd);
            SetBe32(&descriptors[16 * i + 12], writes[i]);
        }
        pMachine->SetBytes(nDrive, "perf.type3", descriptors.data(), uint32_t(descriptors.size()));
        SetPageWord(pMachine, nDrive, 28, topWrite > 0xFFFF ? 0xFFFF : topWrite);
        SetPageWord(pMachine, nDrive, 20, topWrite > 0xFFFF ? 0xFFFF : topWrite);
    }
}
