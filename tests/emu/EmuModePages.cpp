// tests/emu/EmuModePages.cpp
// Mode pages of the emulated drive: MODE SENSE and MODE SELECT in the six- and ten-byte forms.
//
// Drive keys:
//   "mode.page.XX"        bytes of page XX (hex, upper case), page code and length byte included; a page that is
//                         not set (or set empty) is refused with 5/24/00 (MODE SENSE) or 5/26/00 (MODE SELECT)
//   "mode.refuse6"        1: MODE SENSE(6) and MODE SELECT(6) fail with 5/20/00, as ATAPI drives and bridges do
//   "mode.blockDescriptor" block descriptor length of MODE SENSE(6) answers, 8 (default) or 0
//   "mode.blockDescriptor10" block descriptor length of MODE SENSE(10) answers, 0 (default, as MMC drives answer)
//                         or 8
//   "mode.claimedBlockDescriptor" when set, the block descriptor length a ten-byte answer announces (bytes 6-7)
//                         instead of the real one, as a faulty drive might
//   "mode.density", "mode.mediumType", "mode.deviceSpecific"  header and block descriptor fields (default 0)
//   EMU_KEY_BLOCK_LENGTH  block length of the block descriptor (MODE SELECT with a descriptor changes it)
//   "speed.dvdPageRead"   when set (KB/s): with a DVD loaded ("config.profile" 0x10 and above) page 0x2A bytes
//                         14-15 report it as the current read speed, as the maker's DVD writers do
// MODE SELECT stores the page it receives and the density and block length of a block descriptor.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Emu.h"

namespace {

std::string PageKey(int nCode)
{
    char key[24];
    std::snprintf(key, sizeof(key), "mode.page.%02X", nCode & 0x3F);
    return key;
}

bool RefusesSixByteForm(EmuCommand& command)
{
    if (command.pDrive->GetInt("mode.refuse6", 0) == 0)
        return false;
    command.CheckCondition(5, 0x20, 0x00);
    return true;
}

// The answer of MODE SENSE in either form: header, optional block descriptor, the page (all pages in code order
// for page 0x3F). Length fields report the full answer.
// Page 0x2A as the drive reports it now: a DVD writer of the maker reports its DVD read speed with a DVD loaded.
void PutCurrentReadSpeed(const CEmuDrive& drive, std::vector<uint8_t>& page)
{
    int64_t nDvdRead = drive.GetInt("speed.dvdPageRead", 0);
    if (nDvdRead <= 0 || drive.GetInt("config.profile", 0) < 0x10 || page.size() < 16)
        return;
    uint32_t v = nDvdRead > 0xFFFF ? 0xFFFF : uint32_t(nDvdRead);
    page[14] = uint8_t(v >> 8);
    page[15] = uint8_t(v);
}

bool BuildModeAnswer(const CEmuDrive& drive, int nPage, bool bTenByte, std::vector<uint8_t>& answer)
{
    std::vector<uint8_t> pages;
    if ((nPage & 0x3F) == 0x3F) {
        for (const auto& entry : drive.m_Bytes) {
            if (entry.first.compare(0, 10, "mode.page.") == 0 && !entry.second.empty()) {
                std::vector<uint8_t> page = entry.second;
                if (entry.first == "mode.page.2A")
                    PutCurrentReadSpeed(drive, page);
                pages.insert(pages.end(), page.begin(), page.end());
            }
        }
    } else if (const std::vector<uint8_t>* pPage = drive.GetBytes(PageKey(nPage).c_str())) {
        if (pPage->empty())
            return false;
        pages = *pPage;
        if ((nPage & 0x3F) == 0x2A)
            PutCurrentReadSpeed(drive, pages);
    } else {
        return false;
    }

    int64_t nDescriptor =
        bTenByte ? drive.GetInt("mode.blockDescriptor10", 0) : drive.GetInt("mode.blockDescriptor", 8);
    uint32_t nBlockDescriptor = nDescriptor != 0 ? 8 : 0;
    uint32_t nHeader = bTenByte ? 8 : 4;
    answer.assign(nHeader + nBlockDescriptor, 0);
    uint32_t nTotal = nHeader + nBlockDescriptor + uint32_t(pages.size());
    uint8_t nMediumType = uint8_t(drive.GetInt("mode.mediumType", 0));
    uint8_t nDeviceSpecific = uint8_t(drive.GetInt("mode.deviceSpecific", 0));
    if (bTenByte) {
        answer[0] = uint8_t((nTotal - 2) >> 8);
        answer[1] = uint8_t(nTotal - 2);
        answer[2] = nMediumType;
        answer[3] = nDeviceSpecific;
        uint32_t nClaimed = uint32_t(drive.GetInt("mode.claimedBlockDescriptor", nBlockDescriptor));
        answer[6] = uint8_t(nClaimed >> 8);
        answer[7] = uint8_t(nClaimed);
    } else {
        answer[0] = uint8_t(nTotal - 1);
        answer[1] = nMediumType;
        answer[2] = nDeviceSpecific;
        answer[3] = uint8_t(nBlockDescriptor);
    }
    if (nBlockDescriptor != 0) {
        uint8_t* bd = answer.data() + nHeader;
        uint32_t nBlockLength = uint32_t(drive.GetInt(EMU_KEY_BLOCK_LENGTH, 2048));
        bd[0] = uint8_t(drive.GetInt("mode.density", 0));
        bd[5] = uint8_t(nBlockLength >> 16);
        bd[6] = uint8_t(nBlockLength >> 8);
        bd[7] = uint8_t(nBlockLength);
    }
    answer.insert(answer.end(), pages.begin(), pages.end());
    return true;
}

void AnswerModeSense(EmuCommand& command, bool bTenByte)
{
    std::vector<uint8_t> answer;
    if (!BuildModeAnswer(*command.pDrive, command.cdb[2], bTenByte, answer)) {
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    command.Reply(answer.data(), uint32_t(answer.size()));
}

// 1A | 00 | page | 00 | allocation | 00
void HandleModeSense6(EmuCommand& command)
{
    if (RefusesSixByteForm(command))
        return;
    uint32_t nAllocation = command.cdb[4];
    if (command.nAllocation > nAllocation)
        command.nAllocation = nAllocation;
    AnswerModeSense(command, false);
}

// 5A | 00 | page | 00 .. | 7-8 allocation | 00
void HandleModeSense10(EmuCommand& command)
{
    uint32_t nAllocation = (uint32_t(command.cdb[7]) << 8) | command.cdb[8];
    if (command.nAllocation > nAllocation)
        command.nAllocation = nAllocation;
    AnswerModeSense(command, true);
}

// Takes a parameter list: header of nHeader bytes, block descriptors of nBlockDescriptor bytes, one page.
void AcceptModeSelect(EmuCommand& command, uint32_t nListLength, uint32_t nHeader)
{
    const uint8_t* pData = nullptr;
    uint32_t nData = command.DataOut(&pData);
    if (nData > nListLength)
        nData = nListLength;
    if (pData == nullptr || nData < nHeader) {
        command.CheckCondition(5, 0x1A, 0x00);
        return;
    }
    uint32_t nBlockDescriptor = nHeader == 8 ? ((uint32_t(pData[6]) << 8) | pData[7]) : pData[3];
    if (nHeader + nBlockDescriptor > nData) {
        command.CheckCondition(5, 0x1A, 0x00);
        return;
    }
    CEmuDrive& drive = *command.pDrive;
    if (nBlockDescriptor >= 8) {
        const uint8_t* bd = pData + nHeader;
        drive.SetInt("mode.density", bd[0]);
        drive.SetInt(EMU_KEY_BLOCK_LENGTH, (int64_t(bd[5]) << 16) | (int64_t(bd[6]) << 8) | bd[7]);
    }
    uint32_t p = nHeader + nBlockDescriptor;
    if (p == nData)
        return;
    if (p + 2 > nData || p + 2 + pData[p + 1] > nData) {
        command.CheckCondition(5, 0x1A, 0x00);
        return;
    }
    std::string key = PageKey(pData[p]);
    const std::vector<uint8_t>* pKnown = drive.GetBytes(key.c_str());
    if (pKnown == nullptr || pKnown->empty()) {
        command.CheckCondition(5, 0x26, 0x00);
        return;
    }
    std::vector<uint8_t> page(pData + p, pData + p + 2 + pData[p + 1]);
    page[0] &= 0x3F;
    drive.SetBytes(key.c_str(), page.data(), page.size());
}

// 15 | PF | 00 00 | list length | 00
void HandleModeSelect6(EmuCommand& command)
{
    if (RefusesSixByteForm(command))
        return;
    AcceptModeSelect(command, command.cdb[4], 4);
}

// 55 | PF | 00 .. | 7-8 list length | 00
void HandleModeSelect10(EmuCommand& command)
{
    AcceptModeSelect(command, (uint32_t(command.cdb[7]) << 8) | command.cdb[8], 8);
}

EMU_HANDLER(0x1A, HandleModeSense6);
EMU_HANDLER(0x5A, HandleModeSense10);
EMU_HANDLER(0x15, HandleModeSelect6);
EMU_HANDLER(0x55, HandleModeSelect10);

} // namespace
