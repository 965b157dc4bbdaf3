// tests/emu/EmuReadCd.cpp
// READ CD of the emulated drive: raw (2352 bytes: sync, header, user data, EDC/ECC) or user data only, with the
// optional sub-channel. User data comes from "sector.<lba>" (the LBA as an unsigned 32-bit number, so lead-in
// addresses such as -30000 have keys of their own) or else the pattern of READ(10): the LBA big-endian in the first
// four bytes, then bytes counting up from the LBA.
#include <cstring>
#include <string>
#include <vector>

#include "Emu.h"

namespace {

uint8_t ToBcd(uint32_t v)
{
    return uint8_t((v / 10) * 16 + v % 10);
}

void UserData(const CEmuDrive& drive, uint32_t nLba, uint8_t* pData)
{
    std::string key = "sector." + std::to_string(nLba);
    if (const std::vector<uint8_t>* pBlob = drive.GetBytes(key.c_str())) {
        std::memset(pData, 0, 2048);
        std::memcpy(pData, pBlob->data(), pBlob->size() < 2048 ? pBlob->size() : 2048);
        return;
    }
    for (uint32_t i = 0; i < 2048; ++i)
        pData[i] = uint8_t(nLba + i);
    pData[0] = uint8_t(nLba >> 24);
    pData[1] = uint8_t(nLba >> 16);
    pData[2] = uint8_t(nLba >> 8);
    pData[3] = uint8_t(nLba);
}

// BE | 00 | 2-5 lba | 6-8 blocks | 9 flags (0xF8 raw, 0x10 user data) | 10 sub-channel (0, 1 raw P-W, 2 Q) | 00
void HandleReadCd(EmuCommand& command)
{
    const CEmuDrive& drive = *command.pDrive;
    if (drive.GetInt(EMU_KEY_MEDIUM, 1) == 0) {
        command.CheckCondition(2, 0x3A, 0x00);
        return;
    }
    const uint8_t* cdb = command.cdb;
    uint32_t nLba = (uint32_t(cdb[2]) << 24) | (uint32_t(cdb[3]) << 16) | (uint32_t(cdb[4]) << 8) | cdb[5];
    uint32_t nCount = (uint32_t(cdb[6]) << 16) | (uint32_t(cdb[7]) << 8) | cdb[8];
    bool bRaw = (cdb[9] & 0xF8) == 0xF8;
    uint32_t nMain = bRaw ? 2352 : 2048;
    uint32_t nSub = cdb[10] == 1 ? 96 : cdb[10] == 2 ? 16 : 0;
    uint32_t nBlock = nMain + nSub;

    uint32_t nWanted = command.nAllocation;
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < nCount && data.size() < nWanted; ++i) {
        std::vector<uint8_t> block(nBlock, 0);
        uint8_t* pUser = block.data();
        if (bRaw) {
            std::memset(block.data() + 1, 0xFF, 10);
            uint32_t v = uint32_t(int32_t(nLba + i) + 150 + (int32_t(nLba + i) < -150 ? 450000 : 0));
            block[12] = ToBcd(v / 4500);
            block[13] = ToBcd((v / 75) % 60);
            block[14] = ToBcd(v % 75);
            block[15] = 1;
            pUser = block.data() + 16;
        }
        UserData(drive, nLba + i, pUser);
        data.insert(data.end(), block.begin(), block.end());
    }
    command.Reply(data.data(), nCount * nBlock);
}

EMU_HANDLER(0xBE, HandleReadCd);

} // namespace
