// tests/emu/EmuSpeed.cpp
// The speed model of the emulated drive: SET CD SPEED and SET STREAMING pick the speeds the drive supports, and
// mode page 0x2A and GET PERFORMANCE report what was picked.
//
// Drive keys:
//   "speed.cdRead"        supported CD read speeds in X, one byte each (any order). SET CD SPEED picks the
//                         fastest one not above the request (the slowest one when every speed is above it;
//                         0xFFFF asks for the fastest) and page 0x2A bytes 14-15 report it as X × 176 KB/s.
//                         Without the key the request is accepted and the page left as it is.
//   "speed.cdWrite"       supported CD write speeds in X; page 0x2A bytes 20-21 and 28-29 report the one picked
//   "speed.cdRefuse"      1: SET CD SPEED fails with 5/24/00
//   "speed.cdToDvd"       1: SET CD SPEED also sets the DVD read and write speeds (a drive that takes it for DVD)
//   "speed.dvdRead"       supported DVD read speeds: 8 bytes each, start and end performance in KB/s (32 bits,
//                         big-endian). SET STREAMING picks by the read size as above (FF FF FF FF = fastest);
//                         GET PERFORMANCE type 0 then reports one descriptor with the pick's start and end, and
//                         page 0x2A bytes 14-15 its end
//   "speed.dvdWrite"      supported DVD write speeds in KB/s, 4 bytes each; SET STREAMING picks by the write size
//                         and page 0x2A bytes 28-29 and 20-21 report it; GET PERFORMANCE type 3 lists them all
//                         with the current read speed at descriptor bytes 8-11
//   "speed.streamingRefuse" 1: SET STREAMING fails with 5/24/00
//   "speed.lastRead", "speed.lastWrite"   the sizes of the last SET STREAMING (for tests)
#include <cstdint>
#include <vector>

#include "Emu.h"
#include "drive/Cdb.h"

namespace {

// The index of the fastest value not above the request, else of the slowest; -1 for an empty list.
int Pick(const std::vector<uint32_t>& values, uint64_t nRequest)
{
    int best = -1;
    int slowest = -1;
    for (size_t i = 0; i < values.size(); ++i) {
        if (slowest < 0 || values[i] < values[size_t(slowest)])
            slowest = int(i);
        if (values[i] <= nRequest && (best < 0 || values[i] > values[size_t(best)]))
            best = int(i);
    }
    return best >= 0 ? best : slowest;
}

// Writes a 16-bit speed into the stored page 0x2A at page offset nOffset.
void SetPageSpeed(CEmuDrive& drive, uint32_t nOffset, uint32_t nKbps)
{
    const std::vector<uint8_t>* pPage = drive.GetBytes("mode.page.2A");
    if (pPage == nullptr || pPage->size() < nOffset + 2)
        return;
    std::vector<uint8_t> page = *pPage;
    SetBe16(&page[nOffset], nKbps > 0xFFFF ? 0xFFFF : nKbps);
    drive.SetBytes("mode.page.2A", page.data(), page.size());
}

std::vector<uint32_t> ByteList(const CEmuDrive& drive, const char* pszKey)
{
    std::vector<uint32_t> values;
    if (const std::vector<uint8_t>* p = drive.GetBytes(pszKey))
        for (uint8_t b : *p)
            values.push_back(b);
    return values;
}

std::vector<uint32_t> WordList(const CEmuDrive& drive, const char* pszKey, size_t nStride, size_t nOffset)
{
    std::vector<uint32_t> values;
    if (const std::vector<uint8_t>* p = drive.GetBytes(pszKey))
        for (size_t i = 0; i + nStride <= p->size(); i += nStride)
            values.push_back(GetBe32(p->data() + i + nOffset));
    return values;
}

// Type 3 descriptors: every supported write speed, with the current read speed.
void UpdateWriteDescriptors(CEmuDrive& drive)
{
    std::vector<uint32_t> writes = WordList(drive, "speed.dvdWrite", 4, 0);
    if (writes.empty())
        return;
    uint32_t nRead = uint32_t(drive.GetInt("speed.dvdCurrentRead", 0));
    uint32_t nEnd = uint32_t(drive.GetInt(EMU_KEY_BLOCKS, 333000)) - 1;
    std::vector<uint8_t> descriptors(16 * writes.size(), 0);
    for (size_t i = 0; i < writes.size(); ++i) {
        SetBe32(&descriptors[16 * i + 4], nEnd);
        SetBe32(&descriptors[16 * i + 8], nRead);
        SetBe32(&descriptors[16 * i + 12], writes[i]);
    }
    drive.SetBytes("perf.type3", descriptors.data(), descriptors.size());
}

void SelectDvdRead(CEmuDrive& drive, uint64_t nRequest)
{
    const std::vector<uint8_t>* pList = drive.GetBytes("speed.dvdRead");
    if (pList == nullptr)
        return;
    std::vector<uint32_t> ends = WordList(drive, "speed.dvdRead", 8, 4);
    int i = Pick(ends, nRequest);
    if (i < 0)
        return;
    uint32_t nStart = GetBe32(pList->data() + 8 * size_t(i));
    uint32_t nEnd = ends[size_t(i)];
    std::vector<uint8_t> descriptor(16, 0);
    SetBe32(&descriptor[4], nStart);
    SetBe32(&descriptor[8], uint32_t(drive.GetInt(EMU_KEY_BLOCKS, 333000)) - 1);
    SetBe32(&descriptor[12], nEnd);
    drive.SetBytes("perf.type0", descriptor.data(), descriptor.size());
    drive.SetInt("speed.dvdCurrentRead", nEnd);
    if (drive.GetInt("speed.dvdPageRead", 0) != 0)
        drive.SetInt("speed.dvdPageRead", nEnd);
    SetPageSpeed(drive, 14, nEnd);
    UpdateWriteDescriptors(drive);
}

void SelectDvdWrite(CEmuDrive& drive, uint64_t nRequest)
{
    std::vector<uint32_t> writes = WordList(drive, "speed.dvdWrite", 4, 0);
    int i = Pick(writes, nRequest);
    if (i < 0)
        return;
    SetPageSpeed(drive, 28, writes[size_t(i)]);
    SetPageSpeed(drive, 20, writes[size_t(i)]);
}

// BB | 00 | 2-3 read speed | 4-5 write speed | 00 ..
void HandleSetCdSpeed(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    if (drive.GetInt("speed.cdRefuse", 0) != 0) {
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    uint32_t nRead = GetBe16(command.cdb + 2);
    uint32_t nWrite = GetBe16(command.cdb + 4);
    std::vector<uint32_t> reads = ByteList(drive, "speed.cdRead");
    int i = Pick(reads, nRead == 0xFFFF ? UINT64_MAX : nRead / 176);
    if (i >= 0)
        SetPageSpeed(drive, 14, reads[size_t(i)] * 176);
    std::vector<uint32_t> writes = ByteList(drive, "speed.cdWrite");
    int w = Pick(writes, nWrite == 0xFFFF ? UINT64_MAX : nWrite / 176);
    if (w >= 0) {
        SetPageSpeed(drive, 20, writes[size_t(w)] * 176);
        SetPageSpeed(drive, 28, writes[size_t(w)] * 176);
    }
    if (drive.GetInt("speed.cdToDvd", 0) != 0) {
        SelectDvdRead(drive, nRead == 0xFFFF ? UINT64_MAX : nRead);
        SelectDvdWrite(drive, nWrite == 0xFFFF ? UINT64_MAX : nWrite);
    }
}

// B6 | 00 .. | 9-10 length | 00; the 28-byte descriptor out: 12-15 read size, 20-23 write size
void HandleSetStreaming(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    const uint8_t* pData = nullptr;
    uint32_t nData = command.DataOut(&pData);
    if (drive.GetInt("speed.streamingRefuse", 0) != 0) {
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    if (pData == nullptr || nData < 28) {
        command.CheckCondition(5, 0x1A, 0x00);
        return;
    }
    uint32_t nRead = GetBe32(pData + 12);
    uint32_t nWrite = GetBe32(pData + 20);
    drive.SetInt("speed.lastRead", nRead);
    drive.SetInt("speed.lastWrite", nWrite);
    SelectDvdRead(drive, nRead == 0xFFFFFFFF ? UINT64_MAX : nRead);
    SelectDvdWrite(drive, nWrite == 0xFFFFFFFF ? UINT64_MAX : nWrite);
}

EMU_HANDLER(0xBB, HandleSetCdSpeed);
EMU_HANDLER(0xB6, HandleSetStreaming);

} // namespace
