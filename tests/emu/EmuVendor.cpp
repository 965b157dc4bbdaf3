// tests/emu/EmuVendor.cpp
// The maker's vendor commands (0xCD, 0xD5, 0xD8 to 0xFD) of the emulated drive.
//
// Drive keys:
//   "vendor"              1: the drive answers the vendor commands; 0 (default): every vendor opcode fails 5/20/00
//   "vendor.jumper"       answer of 0xDE (default 40 00 00 00)
//   "stratafit.state"     answer of E4 operation 0; "stratafit.status" of operation 1 (default: status 2, not
//                         executed); "stratafit.db" of operation 2
//   "vendor.blockHead"    0xE4: the vendor block is read as E4 03 00, 0xF3 (default): as F3 1F 23; the other head
//                         fails with 5/20/00
//   "vendor.block"        answer of the vendor block read; "vendor.float" the answer of its float form (3 = 0x40)
//   "vendor.e9.XX"        answer of 0xE9 sub-command XX (hex); set forms are accepted
//   "vendor.speedamode"   answer of 0xED
//   "vendor.info"         the vendor information block of 0xF1
//   "vendor.f1.pieceOnly" 1: the normal 0xF1 form fails with 5/24/00; only the piece form (256 bytes at most) works
//   "vendor.serial"       answer of the plain 0xF3 (serial number bytes)
// Other vendor commands are accepted; data-in forms answer zeros.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Emu.h"
#include "drive/Cdb.h"

namespace {

void ReplyBytes(EmuCommand& command, const char* pszKey, const std::vector<uint8_t>& fallback)
{
    const std::vector<uint8_t>* pStored = command.pDrive->GetBytes(pszKey);
    const std::vector<uint8_t>& data = pStored != nullptr ? *pStored : fallback;
    command.Reply(data.data(), uint32_t(data.size()));
}

void ReplyZeros(EmuCommand& command)
{
    if (command.nDirection == kEmuDirOut) {
        const uint8_t* pData = nullptr;
        command.DataOut(&pData);
        return;
    }
    std::vector<uint8_t> zeros(command.nAllocation, 0);
    command.Reply(zeros.data(), uint32_t(zeros.size()));
}

// The block of the vendor information from a byte offset.
void ReplyInfoBlock(EmuCommand& command, uint32_t nOffset, uint32_t nLength)
{
    std::vector<uint8_t> block(nLength, 0);
    if (const std::vector<uint8_t>* pInfo = command.pDrive->GetBytes("vendor.info")) {
        for (uint32_t i = 0; i < nLength && nOffset + i < pInfo->size(); ++i)
            block[i] = (*pInfo)[nOffset + i];
    }
    command.Reply(block.data(), nLength);
}

bool AcceptsBlockHead(EmuCommand& command, uint8_t nHead)
{
    if (command.pDrive->GetInt("vendor.blockHead", 0xF3) == nHead)
        return true;
    command.CheckCondition(5, 0x20, 0x00);
    return false;
}

void AnswerVendorBlock(EmuCommand& command)
{
    if (command.cdb[3] == 0x40)
        ReplyBytes(command, "vendor.float", std::vector<uint8_t>(8, 0));
    else
        ReplyBytes(command, "vendor.block", std::vector<uint8_t>(command.nAllocation, 0));
}

void HandleVendor(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    if (drive.GetInt("vendor", 0) == 0) {
        command.CheckCondition(5, 0x20, 0x00);
        return;
    }
    const uint8_t* cdb = command.cdb;
    switch (cdb[0]) {
    case 0xDE:
        ReplyBytes(command, "vendor.jumper", {0x40, 0, 0, 0});
        return;
    case 0xE4:
        if (cdb[1] == 3) {
            if (AcceptsBlockHead(command, 0xE4))
                AnswerVendorBlock(command);
            return;
        }
        if (cdb[1] == 0)
            ReplyBytes(command, "stratafit.state", std::vector<uint8_t>(8, 0));
        else if (cdb[1] == 1) {
            std::vector<uint8_t> status(18, 0);
            status[3] = 2;
            ReplyBytes(command, "stratafit.status", status);
        } else if (cdb[1] == 2)
            ReplyBytes(command, "stratafit.db", std::vector<uint8_t>(command.nAllocation, 0));
        else
            ReplyZeros(command);
        return;
    case 0xE9: {
        if (cdb[1] & 0x10) {
            char key[24];
            std::snprintf(key, sizeof(key), "vendor.e9.%02X.set", cdb[2]);
            drive.SetInt(key, cdb[3]);
            ReplyZeros(command);
            return;
        }
        char key[24];
        std::snprintf(key, sizeof(key), "vendor.e9.%02X", cdb[2]);
        ReplyBytes(command, key, std::vector<uint8_t>(command.nAllocation, 0));
        return;
    }
    case 0xED:
        ReplyBytes(command, "vendor.speedamode", std::vector<uint8_t>(8, 0));
        return;
    case 0xF1:
        if (cdb[1] == 1) {
            uint32_t nLength = GetBe16(cdb + 8);
            if (nLength > 256) {
                command.CheckCondition(5, 0x24, 0x00);
                return;
            }
            ReplyInfoBlock(command, 256 * GetBe16(cdb + 6), nLength);
            return;
        }
        if (drive.GetInt("vendor.f1.pieceOnly", 0) != 0) {
            command.CheckCondition(5, 0x24, 0x00);
            return;
        }
        ReplyInfoBlock(command, GetBe32(cdb + 2), GetBe16(cdb + 8));
        return;
    case 0xF3:
        if (cdb[1] == 0x1F && cdb[2] == 0x23) {
            if (AcceptsBlockHead(command, 0xF3))
                AnswerVendorBlock(command);
            return;
        }
        if (cdb[1] == 0 && cdb[2] == 0 && command.nDirection == kEmuDirIn) {
            ReplyBytes(command, "vendor.serial", {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC});
            return;
        }
        ReplyZeros(command);
        return;
    default:
        ReplyZeros(command);
        return;
    }
}

struct VendorRegistrar {
    VendorRegistrar()
    {
        EmuRegisterHandler(0xCD, HandleVendor);
        EmuRegisterHandler(0xD5, HandleVendor);
        for (int nOpcode = 0xD8; nOpcode <= 0xFD; ++nOpcode)
            EmuRegisterHandler(uint8_t(nOpcode), HandleVendor);
    }
};
VendorRegistrar g_VendorRegistrar;

} // namespace
