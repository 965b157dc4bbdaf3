// tests/emu/EmuDvd.cpp
// GET CONFIGURATION, READ DISC STRUCTURE and GET PERFORMANCE of the emulated drive.
//
// Drive keys:
//   "config.refuse"         1: GET CONFIGURATION fails with 5/20/00 (older drives)
//   "config.profile"        current profile (default 0x08 with a medium, 0 without)
//   "config.feature.XXXX"   feature descriptor XXXX (hex, upper case, 4-byte feature header included); byte 2 bit 0
//                           is the current bit
//   "ds.XX"                 the whole READ DISC STRUCTURE answer of format XX (hex), header included; formats
//                           that are not set fail with 5/30/02 (a CD in the drive)
//   "perf.typeN"            descriptors (16 bytes each) of GET PERFORMANCE type N; none when not set
//   "perf.requireDataType10" 1: requests without 0x10 in byte 1 fail with 5/24/00
// Answers report the full length the drive holds, also when the allocation is smaller, as real drives do.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Emu.h"
#include "drive/Cdb.h"

namespace {

void LimitAllocation(EmuCommand& command, uint32_t nAllocation)
{
    if (command.nAllocation > nAllocation)
        command.nAllocation = nAllocation;
}

// 46 | RT | 2-3 starting feature | 00 00 00 | 7-8 allocation | 00
// RT 0: every feature from the starting one; RT 1: the current ones among them; RT 2: the starting one alone.
void HandleGetConfiguration(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    if (drive.GetInt("config.refuse", 0) != 0) {
        command.CheckCondition(5, 0x20, 0x00);
        return;
    }
    LimitAllocation(command, GetBe16(command.cdb + 7));
    int nRt = command.cdb[1] & 3;
    uint32_t nStart = GetBe16(command.cdb + 2);
    bool bMedium = drive.GetInt(EMU_KEY_MEDIUM, 1) != 0;
    uint32_t nProfile = uint32_t(drive.GetInt("config.profile", bMedium ? 0x08 : 0));

    std::vector<uint8_t> answer(8, 0);
    answer[6] = uint8_t(nProfile >> 8);
    answer[7] = uint8_t(nProfile);
    for (const auto& entry : drive.m_Bytes) {
        if (entry.first.compare(0, 15, "config.feature.") != 0 || entry.second.size() < 4)
            continue;
        uint32_t nFeature = GetBe16(entry.second.data());
        bool bCurrent = (entry.second[2] & 1) != 0;
        if (nFeature < nStart || (nRt == 2 && nFeature != nStart) || (nRt == 1 && !bCurrent))
            continue;
        answer.insert(answer.end(), entry.second.begin(), entry.second.end());
    }
    SetBe32(answer.data(), uint32_t(answer.size() - 4));
    command.Reply(answer.data(), uint32_t(answer.size()));
}

// AD | 00 | 2-5 address | 6 layer | 7 format | 8-9 allocation | 00
void HandleReadDiscStructure(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    if (drive.GetInt(EMU_KEY_MEDIUM, 1) == 0) {
        command.CheckCondition(2, 0x3A, 0x00);
        return;
    }
    LimitAllocation(command, GetBe16(command.cdb + 8));
    char key[16];
    std::snprintf(key, sizeof(key), "ds.%02X", command.cdb[7]);
    const std::vector<uint8_t>* pStored = drive.GetBytes(key);
    if (pStored == nullptr) {
        command.CheckCondition(5, 0x30, 0x02);
        return;
    }
    command.Reply(pStored->data(), uint32_t(pStored->size()));
}

// AC | data type | 2-5 lba | 00 00 | 8-9 maximum descriptors | 10 type | 00
// Every descriptor the drive has is announced in the data length, whatever the maximum asked for.
void HandleGetPerformance(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    if (drive.GetInt("perf.requireDataType10", 0) != 0 && (command.cdb[1] & 0x10) == 0) {
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    char key[16];
    std::snprintf(key, sizeof(key), "perf.type%d", command.cdb[10]);
    std::vector<uint8_t> answer(8, 0);
    if (const std::vector<uint8_t>* pDescriptors = drive.GetBytes(key))
        answer.insert(answer.end(), pDescriptors->begin(), pDescriptors->end());
    SetBe32(answer.data(), uint32_t(answer.size() - 4));
    command.Reply(answer.data(), uint32_t(answer.size()));
}

EMU_HANDLER(0x46, HandleGetConfiguration);
EMU_HANDLER(0xAD, HandleReadDiscStructure);
EMU_HANDLER(0xAC, HandleGetPerformance);

} // namespace
