// tests/emu/EmuCore.cpp
// The basic answers of every emulated drive: INQUIRY, TEST UNIT READY, REQUEST SENSE, READ CAPACITY, READ(10) and
// WRITE(10). Richer handlers registered with EMU_HANDLER replace these.
#include <cstring>
#include <vector>

#include "Emu.h"
#include "drive/Cdb.h"

namespace {

const int64_t kDefaultBlocks = 333000;
const int64_t kDefaultBlockLength = 2048;

bool MediumPresent(EmuCommand& command)
{
    if (command.pDrive->GetInt(EMU_KEY_MEDIUM, 1) != 0)
        return true;
    command.CheckCondition(2, 0x3A, 0x00);
    return false;
}

// 12 00 00 00 len 00: the 96-byte answer, cut to the allocation length (byte 4).
void HandleInquiry(EmuCommand& command)
{
    uint8_t answer[96];
    EmuBuildInquiry(*command.pDrive, answer);
    uint32_t nAllocation = command.cdb[4];
    if (command.nAllocation > nAllocation)
        command.nAllocation = nAllocation;
    command.Reply(answer, sizeof(answer));
}

void HandleTestUnitReady(EmuCommand& command)
{
    MediumPresent(command);
}

// Returns the sense of the last failed command (or NO SENSE) and forgets it.
void HandleRequestSense(EmuCommand& command)
{
    uint8_t sense[18] = {0x70, 0, 0, 0, 0, 0, 0, 10};
    if (const std::vector<uint8_t>* pLast = command.pDrive->GetBytes("lastSense"))
        std::memcpy(sense, pLast->data(), pLast->size() < sizeof(sense) ? pLast->size() : sizeof(sense));
    command.pDrive->m_Bytes.erase("lastSense");
    command.Reply(sense, sizeof(sense));
}

void HandleReadCapacity(EmuCommand& command)
{
    if (!MediumPresent(command))
        return;
    uint8_t answer[8];
    SetBe32(answer, uint32_t(command.pDrive->GetInt(EMU_KEY_BLOCKS, kDefaultBlocks) - 1));
    SetBe32(answer + 4, uint32_t(command.pDrive->GetInt(EMU_KEY_BLOCK_LENGTH, kDefaultBlockLength)));
    command.Reply(answer, sizeof(answer));
}

// Sector contents: a "sector.<lba>" blob when one is set, else a pattern that names the LBA (big-endian in the
// first four bytes, then bytes counting up from the LBA).
void FillSector(const CEmuDrive& drive, uint32_t nLba, uint8_t* pSector, uint32_t nLength)
{
    std::string strKey = "sector." + std::to_string(nLba);
    if (const std::vector<uint8_t>* pBlob = drive.GetBytes(strKey.c_str())) {
        std::memset(pSector, 0, nLength);
        std::memcpy(pSector, pBlob->data(), pBlob->size() < nLength ? pBlob->size() : nLength);
        return;
    }
    for (uint32_t i = 0; i < nLength; ++i)
        pSector[i] = uint8_t(nLba + i);
    if (nLength >= 4)
        SetBe32(pSector, nLba);
}

// 28 00 lba(2-5) 00 count(7-8) 00
void HandleRead10(EmuCommand& command)
{
    if (!MediumPresent(command))
        return;
    uint32_t nLba = GetBe32(command.cdb + 2);
    uint32_t nCount = (uint32_t(command.cdb[7]) << 8) | command.cdb[8];
    int64_t nBlocks = command.pDrive->GetInt(EMU_KEY_BLOCKS, kDefaultBlocks);
    uint32_t nBlockLength = uint32_t(command.pDrive->GetInt(EMU_KEY_BLOCK_LENGTH, kDefaultBlockLength));
    if (int64_t(nLba) + nCount > nBlocks) {
        command.CheckCondition(5, 0x21, 0x00);
        return;
    }
    uint32_t nFull = nCount * nBlockLength;
    uint32_t nCopy = nFull < command.nAllocation ? nFull : command.nAllocation;
    if (command.pDataIn == nullptr)
        nCopy = 0;
    std::vector<uint8_t> sector(nBlockLength);
    for (uint32_t nDone = 0, nBlock = 0; nDone < nCopy; ++nBlock) {
        FillSector(*command.pDrive, nLba + nBlock, sector.data(), nBlockLength);
        uint32_t nPart = nCopy - nDone < nBlockLength ? nCopy - nDone : nBlockLength;
        std::memcpy(command.pDataIn + nDone, sector.data(), nPart);
        nDone += nPart;
    }
    command.nTransferred = nCopy;
}

// 2A 00 lba(2-5) 00 count(7-8) 00: accepted; the log keeps the data.
void HandleWrite10(EmuCommand& command)
{
    if (!MediumPresent(command))
        return;
    const uint8_t* pData = nullptr;
    command.DataOut(&pData);
}

EMU_CORE_HANDLER(0x00, HandleTestUnitReady);
EMU_CORE_HANDLER(0x03, HandleRequestSense);
EMU_CORE_HANDLER(0x12, HandleInquiry);
EMU_CORE_HANDLER(0x25, HandleReadCapacity);
EMU_CORE_HANDLER(0x28, HandleRead10);
EMU_CORE_HANDLER(0x2A, HandleWrite10);

} // namespace
