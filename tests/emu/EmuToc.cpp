// tests/emu/EmuToc.cpp
// READ TOC/PMA/ATIP and READ DISC INFORMATION of the emulated drive.
//
// Drive keys:
//   "toc.N"              the whole answer of format N (0-5), header included; formats 0 and 2 are generated for a
//                        single data track of EMU_KEY_BLOCKS blocks when not set, the others are refused (5/24/00)
//   "toc.oldPlacement"   1: the drive takes the format from byte 9 bits 7-6 (older drives) and refuses a format in
//                        byte 2; 0 (default): the format is byte 2 bits 3-0, or byte 9 bits 7-6 when byte 2 holds 0
//   "toc.bcd"            1: the full TOC (format 2, stored in binary) is answered in BCD (POINT up to 99, and PMIN,
//                        PSEC, PFRAME of every descriptor but A0), as older drives of the maker do
//   "discinfo"           the whole READ DISC INFORMATION answer; generated for a finished single-session disc when
//                        not set (last possible lead-out start FF FF FF)
// Answers report their full length; the host receives at most its allocation.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Emu.h"
#include "drive/Cdb.h"

namespace {

bool MediumPresent(EmuCommand& command)
{
    if (command.pDrive->GetInt(EMU_KEY_MEDIUM, 1) != 0)
        return true;
    command.CheckCondition(2, 0x3A, 0x00);
    return false;
}

void PutMsf(uint8_t* p, uint32_t nLba)
{
    uint32_t v = nLba + 150;
    p[0] = uint8_t(v / 4500);
    p[1] = uint8_t((v / 75) % 60);
    p[2] = uint8_t(v % 75);
}

uint8_t ToBcd(uint8_t v)
{
    return uint8_t((v / 10) * 16 + v % 10);
}

// nSize bytes of a TOC answer of one track (or session) whose header names its length and numbers 1 to 1.
std::vector<uint8_t> OneTrackToc(size_t nSize)
{
    std::vector<uint8_t> toc(nSize, 0);
    toc[1] = uint8_t(toc.size() - 2);
    toc[2] = 1;
    toc[3] = 1;
    return toc;
}

// Format 0 of one data track from LBA 0 and the lead-out.
std::vector<uint8_t> DefaultToc(const CEmuDrive& drive)
{
    uint32_t nBlocks = uint32_t(drive.GetInt(EMU_KEY_BLOCKS, 333000));
    std::vector<uint8_t> toc = OneTrackToc(4 + 2 * 8);
    toc[4 + 1] = 0x14;
    toc[4 + 2] = 1;
    toc[12 + 1] = 0x14;
    toc[12 + 2] = 0xAA;
    SetBe32(&toc[12 + 4], nBlocks);
    return toc;
}

// Format 2 (binary) of the same disc: A0, A1, A2 and track 1.
std::vector<uint8_t> DefaultFullToc(const CEmuDrive& drive)
{
    uint32_t nBlocks = uint32_t(drive.GetInt(EMU_KEY_BLOCKS, 333000));
    std::vector<uint8_t> toc = OneTrackToc(4 + 4 * 11);
    const uint8_t points[4] = {0xA0, 0xA1, 0xA2, 0x01};
    for (int i = 0; i < 4; ++i) {
        uint8_t* d = &toc[4 + 11 * i];
        d[0] = 1;
        d[1] = 0x14;
        d[3] = points[i];
    }
    toc[4 + 8] = 1;                // A0: first track 1, disc type 0
    toc[15 + 8] = 1;               // A1: last track 1
    PutMsf(&toc[26 + 8], nBlocks); // A2: lead-out
    PutMsf(&toc[37 + 8], 0);       // track 1 at 00:02:00
    return toc;
}

// The full TOC as a BCD drive reports it.
void ConvertFullTocToBcd(std::vector<uint8_t>& toc)
{
    for (size_t at = 4; at + 11 <= toc.size(); at += 11) {
        uint8_t* d = &toc[at];
        if (d[3] <= 99)
            d[3] = ToBcd(d[3]);
        if (d[3] != 0xA0) {
            d[8] = ToBcd(d[8]);
            d[9] = ToBcd(d[9]);
            d[10] = ToBcd(d[10]);
        }
    }
}

// 43 | msf | format (bits 3-0) | 00 00 00 | track/session | 7-8 allocation | format << 6 (older placement)
void HandleReadToc(EmuCommand& command)
{
    if (!MediumPresent(command))
        return;
    CEmuDrive& drive = *command.pDrive;
    int nFormat;
    if (drive.GetInt("toc.oldPlacement", 0) != 0) {
        if ((command.cdb[2] & 0x0F) != 0) {
            command.CheckCondition(5, 0x24, 0x00);
            return;
        }
        nFormat = command.cdb[9] >> 6;
    } else {
        nFormat = command.cdb[2] & 0x0F;
        if (nFormat == 0)
            nFormat = command.cdb[9] >> 6;
    }
    uint32_t nAllocation = (uint32_t(command.cdb[7]) << 8) | command.cdb[8];
    if (command.nAllocation > nAllocation)
        command.nAllocation = nAllocation;

    char key[16];
    std::snprintf(key, sizeof(key), "toc.%d", nFormat);
    std::vector<uint8_t> answer;
    if (const std::vector<uint8_t>* pStored = drive.GetBytes(key))
        answer = *pStored;
    else if (nFormat == 0)
        answer = DefaultToc(drive);
    else if (nFormat == 2)
        answer = DefaultFullToc(drive);
    else {
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    if (nFormat == 2 && drive.GetInt("toc.bcd", 0) != 0)
        ConvertFullTocToBcd(answer);
    command.Reply(answer.data(), uint32_t(answer.size()));
}

// 51 | 00 .. | 7-8 allocation | 00
void HandleReadDiscInformation(EmuCommand& command)
{
    if (!MediumPresent(command))
        return;
    uint32_t nAllocation = (uint32_t(command.cdb[7]) << 8) | command.cdb[8];
    if (command.nAllocation > nAllocation)
        command.nAllocation = nAllocation;
    std::vector<uint8_t> answer;
    if (const std::vector<uint8_t>* pStored = command.pDrive->GetBytes("discinfo")) {
        answer = *pStored;
    } else {
        answer.assign(34, 0);
        answer[1] = 32;
        answer[2] = 0x0E; // last session complete, disc finished
        answer[3] = 1;
        answer[4] = 1;
        answer[5] = 1;
        answer[6] = 1;
        answer[21] = answer[22] = answer[23] = 0xFF;
    }
    command.Reply(answer.data(), uint32_t(answer.size()));
}

EMU_HANDLER(0x43, HandleReadToc);
EMU_HANDLER(0x51, HandleReadDiscInformation);

} // namespace
