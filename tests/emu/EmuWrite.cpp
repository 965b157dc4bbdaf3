// tests/emu/EmuWrite.cpp
// The writer's engine for recordable CDs and DVDs (see EmuWrite.h). It answers, before the other handlers, the
// commands whose answers depend on the recordable disc: the disc's state (READ CAPACITY, ATIP, disc and track
// information, format capacities, the first sectors of a rewritable DVD), the recording (SEND CUE SHEET, RESERVE
// TRACK, WRITE(10), WRITE(12), SYNCHRONIZE CACHE, CLOSE TRACK/SESSION), FORMAT UNIT, BLANK, the medium lock, and
// the not-ready periods of formatting, blanking, closing and loading. Everything else (INQUIRY, mode pages, speeds,
// the tray) goes on to the handlers.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "Emu.h"
#include "EmuWrite.h"

namespace {

const int64_t kDefaultLeadIn = 97 * 4500 + 26 * 75 + 66;
const int64_t kDefaultLastLeadOut = 79 * 4500 + 59 * 75 + 74;
const int64_t kRawSector = 2352;

int64_t Key(const CEmuDrive& drive, const char* pszKey, int64_t nDefault)
{
    return drive.GetInt(pszKey, nDefault);
}

int32_t Be32(const uint8_t* p)
{
    return int32_t((uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]);
}

void PutBe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

void PutMsf(uint8_t* p, int64_t nFrames)
{
    p[0] = uint8_t(nFrames / 4500);
    p[1] = uint8_t((nFrames % 4500) / 75);
    p[2] = uint8_t(nFrames % 75);
}

bool IsBlank(const CEmuDrive& drive)
{
    return Key(drive, "write.recorded", 0) == 0;
}

int64_t DiscKind(const CEmuDrive& drive)
{
    return Key(drive, "write.disc", kEmuWriteNone);
}

bool IsDvd(const CEmuDrive& drive)
{
    return DiscKind(drive) >= kEmuWriteDvdMinusR;
}

bool IsRewritableDvd(const CEmuDrive& drive)
{
    const int64_t nDisc = DiscKind(drive);
    return nDisc == kEmuWriteDvdMinusRw || nDisc == kEmuWriteDvdPlusRw || nDisc == kEmuWriteDvdRam;
}

// Media written in place at any address: DVD+RW, DVD-RAM and a DVD-RW in restricted overwrite.
bool IsOverwrite(const CEmuDrive& drive)
{
    const int64_t nDisc = DiscKind(drive);
    return nDisc == kEmuWriteDvdPlusRw || nDisc == kEmuWriteDvdRam ||
           (nDisc == kEmuWriteDvdMinusRw && Key(drive, "write.restricted", 0) != 0);
}

// DVD-R, DVD+R and a DVD-RW in sequential recording: tracks one after the other, sessions until the disc is closed
// ("write.closedDisc"); "write.tracks" counts the tracks that hold data.
bool IsSequentialDvd(const CEmuDrive& drive)
{
    return IsDvd(drive) && !IsOverwrite(drive);
}

// The disc's status in READ DISC INFORMATION: 0 empty, 0x0E complete. Formatted overwrite media are complete
// whatever they hold; a DVD+RW is empty until its first format.
uint8_t DiscStatus(const CEmuDrive& drive)
{
    const int64_t nDisc = DiscKind(drive);
    if (nDisc == kEmuWriteDvdRam || (nDisc == kEmuWriteDvdMinusRw && Key(drive, "write.restricted", 0) != 0))
        return 0x0E;
    if (nDisc == kEmuWriteDvdPlusRw && Key(drive, "write.formatted", 0) != 0)
        return 0x0E;
    if (IsSequentialDvd(drive) && !IsBlank(drive) && Key(drive, "write.closedDisc", 0) == 0)
        return 0x01; // incomplete: another track or session may follow
    return IsBlank(drive) ? 0x00 : 0x0E;
}

// Write speed in hundredths of X.
int64_t SpeedX100(const CEmuDrive& drive)
{
    int64_t nSpeed = Key(drive, "write.speedX100", 0);
    if (nSpeed > 0)
        return nSpeed;
    if (const std::vector<uint8_t>* pPage = drive.GetBytes("mode.page.2A")) {
        if (pPage->size() >= 22) {
            int64_t nKbs = (int64_t((*pPage)[20]) << 8) | (*pPage)[21];
            const int64_t nOneX = IsDvd(drive) ? 1385 : 176;
            if (nKbs >= nOneX)
                return nKbs / nOneX * 100;
        }
    }
    return 400;
}

// Sectors per microsecond at the drive's write speed.
double RatePerUs(const CEmuDrive& drive)
{
    return double(SpeedX100(drive)) * (IsDvd(drive) ? 675.0 : 75.0) / 100.0 / 1e6;
}

// A long operation of nUs: with Immed the command returns at once and the drive answers not ready (2/04/nAscq)
// until it is done; without, the command itself takes that long.
void TakeLongOperation(EmuCommand& command, bool bImmediate, int64_t nUs, int64_t nAscq)
{
    if (bImmediate) {
        command.pDrive->SetInt("write.notReadyUntilUs", int64_t(command.nArrivalUs) + nUs);
        command.pDrive->SetInt("write.notReadyAscq", nAscq);
    } else {
        command.nExtraDelayUs += uint64_t(nUs);
    }
}

bool AnswerNotReady(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    if (int64_t(command.nArrivalUs) < Key(drive, "write.notReadyUntilUs", 0)) {
        command.CheckCondition(2, 0x04, uint8_t(Key(drive, "write.notReadyAscq", 7)));
        return true;
    }
    if (Key(drive, "write.attention", 0) != 0) {
        drive.SetInt("write.attention", 0);
        command.CheckCondition(6, 0x28, 0x00);
        return true;
    }
    return false;
}

void HandleReadCapacity(EmuCommand& command)
{
    const CEmuDrive& drive = *command.pDrive;
    uint8_t answer[8];
    int64_t nRecorded = Key(drive, "write.recorded", 0);
    if (IsOverwrite(drive) && (DiscKind(drive) != kEmuWriteDvdPlusRw || Key(drive, "write.formatted", 0) != 0))
        nRecorded = Key(drive, "write.lastLeadOut", 0);
    PutBe32(answer, uint32_t(nRecorded > 0 ? nRecorded - 1 : 0));
    PutBe32(answer + 4, 2048);
    command.Reply(answer, sizeof(answer));
}

// READ TOC format 4: the ATIP. A blank disc has no other TOC format; a recorded one leaves them to the TOC handler.
bool HandleReadToc(EmuCommand& command)
{
    const CEmuDrive& drive = *command.pDrive;
    int nFormat = command.cdb[2] & 0x0F;
    if (nFormat == 0)
        nFormat = command.cdb[9] >> 6;
    if (nFormat != 4) {
        if (!IsBlank(drive))
            return false;
        command.CheckCondition(5, 0x24, 0x00);
        return true;
    }
    uint8_t answer[28] = {};
    answer[1] = 26;
    answer[4] = 0x80;                                                       // writing power
    answer[6] = Key(drive, "write.disc", 0) == kEmuWriteCdRw ? 0x40 : 0x00; // disc type: rewritable
    PutMsf(answer + 8, Key(drive, "write.leadInFrames", kDefaultLeadIn));
    PutMsf(answer + 12, Key(drive, "write.lastLeadOut", kDefaultLastLeadOut));
    command.Reply(answer, sizeof(answer));
    return true;
}

void HandleDiscInformation(EmuCommand& command)
{
    const CEmuDrive& drive = *command.pDrive;
    uint8_t answer[34] = {};
    answer[1] = 32;
    const bool bErasable = DiscKind(drive) == kEmuWriteCdRw || IsRewritableDvd(drive);
    answer[2] = uint8_t(DiscStatus(drive) | (bErasable ? 0x10 : 0x00));
    answer[3] = 1;
    answer[4] = 1;
    answer[5] = 1;
    if (IsSequentialDvd(drive)) { // last track in the last session: the invisible one while the disc is open
        const int64_t nTracks = Key(drive, "write.tracks", 0);
        answer[6] = uint8_t(Key(drive, "write.closedDisc", 0) != 0 && nTracks > 0 ? nTracks : nTracks + 1);
    }
    answer[7] = 0x20; // unrestricted use
    if (DiscKind(drive) == kEmuWriteDvdPlusRw)
        answer[7] |= uint8_t(Key(drive, "write.backgroundFormat", 0) & 3);
    PutMsf(answer + 17, Key(drive, "write.leadInFrames", kDefaultLeadIn));
    PutMsf(answer + 21, Key(drive, "write.lastLeadOut", kDefaultLastLeadOut));
    uint32_t nAllocation = (uint32_t(command.cdb[7]) << 8) | command.cdb[8];
    if (command.nAllocation > nAllocation)
        command.nAllocation = nAllocation;
    command.Reply(answer, sizeof(answer));
}

void HandleTrackInformation(EmuCommand& command)
{
    const CEmuDrive& drive = *command.pDrive;
    uint8_t answer[36] = {};
    answer[1] = 34;
    answer[2] = 1;
    answer[3] = 1;
    const int64_t nRecorded = Key(drive, "write.recorded", 0);
    const int64_t nFree = Key(drive, "write.lastLeadOut", kDefaultLastLeadOut) - (IsDvd(drive) ? 0 : 150);
    // By track number (address type 1), the track after the last one with data is the invisible track of an
    // appendable sequential DVD: blank, from the next writable address on.
    const bool bInvisible = IsSequentialDvd(drive) && (command.cdb[1] & 0x03) == 1 &&
                            int64_t(Be32(command.cdb + 2)) > Key(drive, "write.tracks", 0) &&
                            Key(drive, "write.closedDisc", 0) == 0;
    if (nRecorded == 0 || bInvisible) {
        answer[6] = 0x40; // blank
        answer[7] = 0x01; // next writable address valid
        PutBe32(answer + 12, uint32_t(nRecorded));
        PutBe32(answer + 16, uint32_t(nFree - nRecorded));
    } else {
        answer[5] = uint8_t(Key(drive, "write.recordedMode", 0x11) == 0 ? 0x00 : 0x04);
        PutBe32(answer + 24, uint32_t(nRecorded));
    }
    uint32_t nAllocation = (uint32_t(command.cdb[7]) << 8) | command.cdb[8];
    if (command.nAllocation > nAllocation)
        command.nAllocation = nAllocation;
    command.Reply(answer, sizeof(answer));
}

// The write-parameters page of a MODE SELECT: write types beyond raw are refused; the page itself is stored by the
// mode-page handler.
bool CheckModeSelect(EmuCommand& command)
{
    const uint8_t* pData = nullptr;
    uint32_t nLength = command.nDataOutLength;
    pData = command.pDataOut;
    if (pData == nullptr)
        return false;
    const bool bTen = command.cdb[0] == 0x55;
    uint32_t nHeader = bTen ? 8 : 4;
    if (nLength < nHeader)
        return false;
    uint32_t nDescriptor = bTen ? ((uint32_t(pData[6]) << 8) | pData[7]) : pData[3];
    uint32_t nPage = nHeader + nDescriptor;
    if (nPage + 3 > nLength || (pData[nPage] & 0x3F) != 0x05)
        return false;
    if ((pData[nPage + 2] & 0x0F) > 3) {
        command.CheckCondition(5, 0x26, 0x02);
        return true;
    }
    return false;
}

const uint8_t* WriteParametersPage(const CEmuDrive& drive)
{
    const std::vector<uint8_t>* pPage = drive.GetBytes("mode.page.05");
    return pPage != nullptr && pPage->size() >= 4 ? pPage->data() : nullptr;
}

// 5D 00 00 00 00 00 length(6-8) 00: the cue sheet of a Session-At-Once recording.
void HandleSendCueSheet(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    const uint32_t nLength = (uint32_t(command.cdb[6]) << 16) | (uint32_t(command.cdb[7]) << 8) | command.cdb[8];
    const uint8_t* pSheet = nullptr;
    const uint32_t nGot = command.DataOut(&pSheet);
    const uint8_t* pPage = WriteParametersPage(drive);
    if (Key(drive, "write.refuseCueSheet", 0) != 0 || nLength == 0 || nLength % 8 != 0 || nGot < nLength ||
        pSheet == nullptr) {
        command.CheckCondition(5, 0x26, 0x00);
        return;
    }
    if (pPage == nullptr || (pPage[2] & 0x0F) != 0x02 || !IsBlank(drive)) {
        command.CheckCondition(5, 0x2C, 0x00); // not a Session-At-Once set-up, or the disc is not blank
        return;
    }
    int64_t nLeadOut = -1;
    uint8_t nTrackForm = 0xFF;
    for (uint32_t i = 0; i < nLength; i += 8) {
        const uint8_t* e = pSheet + i;
        const int64_t nFrames = e[5] * 4500 + e[6] * 75 + e[7];
        if (e[1] == 0xAA)
            nLeadOut = nFrames;
        else if (e[1] == 1 && e[2] == 0 && nFrames != 0)
            nLeadOut = -2; // the pregap must start at 00:00:00
        else if (e[1] == 1 && e[2] == 1) {
            if (nFrames != 150)
                nLeadOut = -2;
            nTrackForm = e[3];
        }
    }
    const int64_t nLimit = Key(drive, "write.lastLeadOut", kDefaultLastLeadOut) + Key(drive, "write.overburn", 0);
    if (nLeadOut < 150 || nTrackForm == 0xFF || nLeadOut > nLimit) {
        command.CheckCondition(5, 0x26, 0x00);
        return;
    }
    drive.SetInt("write.phase", kEmuWriteCueSent);
    drive.SetInt("write.next", -150);
    drive.SetInt("write.end", nLeadOut - 150);
    drive.SetInt("write.form", nTrackForm);
    drive.SetInt("write.simulate", (pPage[2] & 0x10) != 0 ? 1 : 0);
    drive.SetInt("write.bufe", (pPage[2] & 0x40) != 0 ? 1 : 0);
}

// 2A 00 lba(2-5) 00 count(7-8) 00 with count * 2352 bytes, strictly in order from -150.
void StartDvdRecording(CEmuDrive& drive, int64_t nSectors, bool bSimulate)
{
    drive.SetInt("write.phase", kEmuWriteCueSent);
    drive.SetInt("write.next", 0);
    drive.SetInt("write.end", nSectors);
    drive.SetInt("write.simulate", bSimulate ? 1 : 0);
    drive.SetInt("write.bufe", 1);
    drive.SetInt("write.form", 0x11);
}

// 53 00 00 00 00 size(5-8) 00: a DVD-R or a DVD-RW in sequential recording reserves a track at its next writable
// address: the single track of a blank disc for Session-At-Once (write type 2), or one more track of an appendable
// disc in incremental writing (write type 0). Overwrite media have no tracks to reserve.
void HandleReserveTrack(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    const int64_t nSize = Be32(command.cdb + 5);
    const uint8_t* pPage = WriteParametersPage(drive);
    const bool bSequentialMinus =
        DiscKind(drive) == kEmuWriteDvdMinusR || (DiscKind(drive) == kEmuWriteDvdMinusRw && !IsOverwrite(drive));
    const int64_t nStart = Key(drive, "write.recorded", 0);
    const int nWriteType = pPage != nullptr ? (pPage[2] & 0x0F) : -1;
    if (!bSequentialMinus || Key(drive, "write.closedDisc", 0) != 0 || nSize <= 0 ||
        nStart + nSize > Key(drive, "write.lastLeadOut", 0) || (nWriteType != 0 && nWriteType != 2) ||
        (nWriteType == 2 && !IsBlank(drive))) {
        command.CheckCondition(5, 0x2C, 0x00);
        return;
    }
    drive.SetInt("write.reserved", nSize);
    StartDvdRecording(drive, nStart + nSize, (pPage[2] & 0x10) != 0);
    drive.SetInt("write.next", nStart);
    drive.SetInt("write.incremental", nWriteType == 0 ? 1 : 0);
    drive.SetInt("write.multiSession", (pPage[3] & 0xC0) == 0xC0 ? 1 : 0);
}

// BF: the time stamp and the layer boundary are taken as sent.
void HandleSendDiscStructure(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    drive.SetInt("write.timeStamps", Key(drive, "write.timeStamps", 0) + 1);
}

// 5B immed(1) function(2) track(5): on a DVD+R closing the track or the disc records what was written, on a DVD+RW
// it ends the background format; with Immed the drive is not ready while it writes the closing areas.
void HandleCloseTrackSession(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    drive.SetInt("write.closes", Key(drive, "write.closes", 0) + 1);
    const int64_t nWritten = Key(drive, "write.next", 0);
    const int nFunction = command.cdb[2] & 0x07;
    const int64_t nPhase = Key(drive, "write.phase", kEmuWriteIdle);
    const bool bReal = Key(drive, "write.simulate", 0) == 0;
    if (IsOverwrite(drive)) {
        // A DVD+RW's background format ends; the data went to the disc with SYNCHRONIZE CACHE.
        if (DiscKind(drive) == kEmuWriteDvdPlusRw && Key(drive, "write.formatted", 0) != 0)
            drive.SetInt("write.backgroundFormat", 3);
    } else if (IsSequentialDvd(drive)) {
        // A DVD+R track holds its data once closed; closing a session without room for another (DVD-R page
        // without multi-session) or finalising a DVD+R closes the disc.
        if (bReal && nPhase != kEmuWriteIdle && nWritten > Key(drive, "write.recorded", 0)) {
            drive.SetInt("write.recorded", nWritten);
            drive.SetInt(EMU_KEY_BLOCKS, nWritten);
            drive.SetInt("write.tracks", Key(drive, "write.tracks", 0) + 1);
        }
        const bool bPlusR = DiscKind(drive) == kEmuWriteDvdPlusR;
        if (bReal && !IsBlank(drive) &&
            ((bPlusR && nFunction >= 5) || (!bPlusR && nFunction == 2 && Key(drive, "write.multiSession", 0) == 0)))
            drive.SetInt("write.closedDisc", 1);
        if (nFunction == 2 || nFunction >= 5)
            drive.SetInt("write.sessions", Key(drive, "write.sessions", 0) + (bReal && !IsBlank(drive) ? 1 : 0));
    } else if (bReal && nWritten > 0 && IsBlank(drive)) {
        drive.SetInt("write.recorded", nWritten);
        drive.SetInt(EMU_KEY_BLOCKS, nWritten);
        drive.SetInt("write.sessions", Key(drive, "write.sessions", 0) + 1);
    }
    drive.SetInt("write.phase", kEmuWriteIdle);
    const int64_t nCloseUs = Key(drive, "write.closeUs", 1000000);
    TakeLongOperation(command, (command.cdb[1] & 0x01) != 0, nCloseUs, 7);
}

// The first write to overwrite media starts a stream at its address; only a DVD-RW takes the test-write bit of the
// write-parameters page (DVD+RW and DVD-RAM have no test write).
void StartOverwriteStream(CEmuDrive& drive, int64_t nLba)
{
    const uint8_t* pPage = WriteParametersPage(drive);
    const bool bSimulate = DiscKind(drive) == kEmuWriteDvdMinusRw && pPage != nullptr && (pPage[2] & 0x10) != 0;
    StartDvdRecording(drive, Key(drive, "write.lastLeadOut", 0), bSimulate);
    drive.SetInt("write.next", nLba);
}

// 2A 00 lba(2-5) 00 count(7-8) 00 (WRITE(10)) or AA 00 lba(2-5) count(6-9) streaming(10) 00 (WRITE(12)): CDs and
// sequential DVDs strictly in order (a CD from -150), overwrite media anywhere inside the disc.
void HandleWrite(EmuCommand& command, int64_t nLba, int64_t nCount)
{
    CEmuDrive& drive = *command.pDrive;
    int64_t nPhase = Key(drive, "write.phase", kEmuWriteIdle);
    const uint8_t* pData = nullptr;
    const uint32_t nGot = command.DataOut(&pData);
    if (nPhase == kEmuWriteFailed) {
        command.CheckCondition(3, 0x0C, 0x09);
        return;
    }
    if (nPhase == kEmuWriteIdle && DiscKind(drive) == kEmuWriteDvdPlusR && Key(drive, "write.closedDisc", 0) == 0 &&
        nLba == Key(drive, "write.recorded", 0)) {
        // A write at the next writable address of an open DVD+R opens a track there, over the rest of the disc; the
        // DVD+ formats never test-write.
        StartDvdRecording(drive, Key(drive, "write.lastLeadOut", 0), false);
        drive.SetInt("write.next", nLba);
        nPhase = kEmuWriteCueSent;
    }
    const bool bOverwrite = IsOverwrite(drive);
    if (bOverwrite && DiscKind(drive) == kEmuWriteDvdPlusRw && Key(drive, "write.formatted", 0) == 0) {
        command.CheckCondition(5, 0x2C, 0x00); // a DVD+RW takes data only once its format has started
        return;
    }
    if (bOverwrite && nPhase != kEmuWriteRecording) {
        StartOverwriteStream(drive, nLba);
        nPhase = kEmuWriteCueSent;
    }
    if (nPhase != kEmuWriteCueSent && nPhase != kEmuWriteRecording) {
        command.CheckCondition(5, 0x2C, 0x00);
        return;
    }
    if (nLba + nCount > Key(drive, "write.end", 0) || (bOverwrite ? nLba < 0 : nLba != Key(drive, "write.next", 0))) {
        command.CheckCondition(5, 0x21, 0x00);
        return;
    }
    if (int64_t(nGot) != nCount * (IsDvd(drive) ? 2048 : kRawSector)) {
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    if (IsRewritableDvd(drive) && nLba == 0 && Key(drive, "write.simulate", 0) == 0)
        drive.SetBytes("write.head", pData, nGot); // what a later read of the disc's first sectors returns

    // The buffer: the disc has written everything buffered by drainEnd (it starts draining at mediaStart).
    const double dRate = RatePerUs(drive);
    const double dBuffer = double(Key(drive, "write.bufferSectors", 891));
    const double t = double(command.nArrivalUs);
    double dMediaStart = double(Key(drive, "write.mediaStartUs", 0));
    double dDrainEnd = double(Key(drive, "write.drainEndUs", 0));
    if (nPhase == kEmuWriteCueSent) {
        // Power calibration, and on sequential media the lead-in, before the first sector.
        dMediaStart = t + double(Key(drive, "write.opcUs", 1500000)) +
                      (bOverwrite ? 0.0 : double(Key(drive, "write.leadInUs", 2000000)));
        dDrainEnd = dMediaStart;
        drive.SetInt("write.phase", kEmuWriteRecording);
        drive.SetInt("write.minLevel", int64_t(dBuffer));
        drive.SetInt("write.underruns", 0);
    } else if (t > dDrainEnd) {
        // The buffer ran empty before this data arrived.
        drive.SetInt("write.underruns", Key(drive, "write.underruns", 0) + 1);
        drive.SetInt("write.minLevel", 0);
        if (Key(drive, "write.bufe", 0) == 0) {
            drive.SetInt("write.phase", kEmuWriteFailed);
            command.CheckCondition(3, 0x0C, 0x09);
            return;
        }
        dDrainEnd = t + double(Key(drive, "write.relinkUs", 200000));
    } else if (t >= dMediaStart) {
        const double dLevel = (dDrainEnd - t) * dRate;
        if (int64_t(dLevel) < Key(drive, "write.minLevel", 0)) {
            drive.SetInt("write.minLevel", int64_t(dLevel));
            drive.SetInt("write.minLevelLba", nLba);
        }
    }
    const double dInterfaceKBs = double(Key(drive, "write.interfaceKBs", 33000));
    const double dTransferUs = dInterfaceKBs > 0 ? double(nGot) * 1000.0 / dInterfaceKBs : 0.0;
    const double dAccepted = t + double(Key(drive, "write.commandUs", 200)) + dTransferUs;
    const double dRoom = dDrainEnd - (dBuffer - double(nCount)) / dRate; // when the data fit in the buffer
    const double dDone = std::max(dAccepted, dRoom);
    dDrainEnd += double(nCount) / dRate;
    drive.SetInt("write.mediaStartUs", int64_t(dMediaStart));
    drive.SetInt("write.drainEndUs", int64_t(std::ceil(dDrainEnd)));
    drive.SetInt("write.next", nLba + nCount);
    if (bOverwrite)
        drive.SetInt("write.overwriteEnd", std::max(Key(drive, "write.overwriteEnd", 0), nLba + nCount));
    command.nExtraDelayUs += uint64_t(std::ceil(dDone - t));
}

void HandleWrite10(EmuCommand& command)
{
    HandleWrite(command, Be32(command.cdb + 2), (int64_t(command.cdb[7]) << 8) | command.cdb[8]);
}

void HandleWrite12(EmuCommand& command)
{
    HandleWrite(command, Be32(command.cdb + 2), Be32(command.cdb + 6));
}

// 35 immed(1) lba(2-5) 00 count(7-8) 00: waits for the buffer and, after a sequential recording, for the lead-out;
// a real recording leaves a closed disc with the sectors written, a test write a blank disc. Overwrite media keep
// what was written and take the next write anywhere.
void HandleSynchronizeCache(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    const int64_t nPhase = Key(drive, "write.phase", kEmuWriteIdle);
    if (nPhase == kEmuWriteRecording) {
        const double t = double(command.nArrivalUs);
        const double dRate = RatePerUs(drive);
        const bool bPlusR = Key(drive, "write.disc", 0) == kEmuWriteDvdPlusR;
        const bool bOverwrite = IsOverwrite(drive);
        const bool bIncremental = Key(drive, "write.incremental", 0) != 0;
        const double dDone =
            std::max(t, double(Key(drive, "write.drainEndUs", 0))) +
            (bPlusR || bOverwrite || bIncremental ? 0.0 : double(Key(drive, "write.leadOutSectors", 6750)) / dRate);
        command.nExtraDelayUs += uint64_t(std::ceil(dDone - t));
        if (bPlusR) {
            drive.SetInt("write.phase", kEmuWriteFlushed);
            return;
        }
        if (bOverwrite) {
            // The buffer is on the disc; the disc holds data up to the furthest sector written.
            const int64_t nEnd = Key(drive, "write.overwriteEnd", 0);
            if (Key(drive, "write.simulate", 0) == 0 && nEnd > Key(drive, "write.recorded", 0))
                drive.SetInt("write.recorded", nEnd);
            drive.SetInt("write.phase", kEmuWriteIdle);
            return;
        }
        const int64_t nWritten = Key(drive, "write.next", 0);
        if (Key(drive, "write.simulate", 0) == 0 && nWritten > 0) {
            drive.SetInt("write.recorded", nWritten);
            drive.SetInt("write.recordedMode", Key(drive, "write.form", 0x11));
            drive.SetInt(EMU_KEY_BLOCKS, nWritten);
            if (IsDvd(drive)) {
                // The track holds its data; a Session-At-Once recording also closes the disc.
                drive.SetInt("write.tracks", Key(drive, "write.tracks", 0) + 1);
                if (!bIncremental)
                    drive.SetInt("write.closedDisc", 1);
            }
            if (!bIncremental)
                drive.SetInt("write.sessions", Key(drive, "write.sessions", 0) + 1);
        }
    }
    if (nPhase != kEmuWriteIdle)
        drive.SetInt("write.phase", kEmuWriteIdle);
}

// A1 immed|type(1) start(2-5): a CD-RW or DVD-RW becomes blank (a DVD-RW in restricted overwrite goes back to
// sequential recording); with Immed the drive is not ready (2/04/07) meanwhile.
void HandleBlank(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    const int64_t nDisc = DiscKind(drive);
    if (nDisc != kEmuWriteCdRw && nDisc != kEmuWriteDvdMinusRw) {
        command.CheckCondition(5, 0x64, 0x00); // not a rewritable disc
        return;
    }
    const int64_t nBlankUs = Key(drive, "write.blankUs", 3000000);
    drive.SetInt("write.recorded", 0);
    drive.SetInt("write.phase", kEmuWriteIdle);
    drive.SetInt("write.blanks", Key(drive, "write.blanks", 0) + 1);
    if (nDisc == kEmuWriteDvdMinusRw) {
        drive.SetInt("write.restricted", 0);
        drive.SetInt("config.profile", 0x14);
        drive.SetInt("write.next", 0);
        drive.SetInt("write.overwriteEnd", 0);
        drive.SetInt("write.tracks", 0);
        drive.SetInt("write.closedDisc", 0);
        drive.SetBytes("write.head", nullptr, 0);
    }
    TakeLongOperation(command, (command.cdb[1] & 0x10) != 0, nBlankUs, 7);
}

// 04 flags(1) ...: FORMAT UNIT of a DVD+RW with FmtData and format code 1, and one descriptor of format type 0x26
// (byte 8 = 0x98). The format goes on in the background; the drive is busy for "write.formatUs" first, not ready
// (2/04/04) when the list's Immed bit asked it to return at once.
void HandleFormatUnit(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    if (DiscKind(drive) != kEmuWriteDvdPlusRw) {
        command.CheckCondition(5, 0x24, 0x00);
        return;
    }
    const uint8_t* pList = nullptr;
    const uint32_t nGot = command.DataOut(&pList);
    if (command.cdb[1] != 0x11 || pList == nullptr || nGot < 12 || pList[3] != 8 || pList[8] != 0x98) {
        command.CheckCondition(5, 0x26, 0x00);
        return;
    }
    drive.SetInt("write.formatted", 1);
    drive.SetInt("write.backgroundFormat", 2);
    drive.SetInt("write.formats", Key(drive, "write.formats", 0) + 1);
    drive.SetInt("write.phase", kEmuWriteIdle);
    const int64_t nFormatUs = Key(drive, "write.formatUs", 1500000);
    TakeLongOperation(command, (pList[1] & 0x02) != 0, nFormatUs, 4);
}

// 23 ... allocation(7-8): the capacity descriptors of a rewritable DVD. The first is the current capacity (type 1
// unformatted, 2 formatted), then the formats the disc takes: 0x98 (DVD+RW), 0x00 full and 0x54 quick (DVD-RW),
// 0x00 and 0x04 (DVD-RAM). "write.refuseFormatCapacities" fails the command with 5/24/00;
// "write.oddFormatCapacities" answers descriptors of none of these types.
bool HandleFormatCapacities(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    if (!IsRewritableDvd(drive))
        return false;
    if (Key(drive, "write.refuseFormatCapacities", 0) != 0) {
        command.CheckCondition(5, 0x24, 0x00);
        return true;
    }
    const uint32_t nCapacity = uint32_t(Key(drive, "write.lastLeadOut", 0));
    std::vector<std::pair<uint32_t, uint8_t>> descriptors;
    switch (DiscKind(drive)) {
    case kEmuWriteDvdPlusRw:
        descriptors = {{nCapacity, uint8_t(Key(drive, "write.formatted", 0) != 0 ? 2 : 1)}, {nCapacity, 0x98}};
        break;
    case kEmuWriteDvdRam:
        descriptors = {{nCapacity, 2}, {nCapacity, 0x00}, {nCapacity, 0x04}};
        break;
    default: {
        const bool bUnformatted = !IsOverwrite(drive) && IsBlank(drive);
        descriptors = {{nCapacity, uint8_t(bUnformatted ? 1 : 2)}, {nCapacity, 0x00}, {nCapacity, 0x54}};
        break;
    }
    }
    if (Key(drive, "write.oddFormatCapacities", 0) != 0)
        for (auto& d : descriptors)
            d.second = 0x3C;
    std::vector<uint8_t> answer(4, 0);
    for (const auto& d : descriptors) {
        uint8_t descriptor[8] = {};
        PutBe32(descriptor, d.first);
        descriptor[4] = d.second;
        descriptor[6] = 0x08; // 2048-byte blocks
        answer.insert(answer.end(), descriptor, descriptor + 8);
    }
    answer[3] = uint8_t(answer.size() - 4);
    const uint32_t nAllocation = (uint32_t(command.cdb[7]) << 8) | command.cdb[8];
    if (command.nAllocation > nAllocation)
        command.nAllocation = nAllocation;
    command.Reply(answer.data(), uint32_t(answer.size()));
    return true;
}

// 28 00 lba(2-5) 00 count(7-8) 00 on a rewritable DVD: the sectors of the block last written at LBA 0, zeros
// elsewhere inside the disc.
bool HandleRead10(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    if (!IsRewritableDvd(drive))
        return false;
    const int64_t nLba = Be32(command.cdb + 2);
    const int64_t nCount = (int64_t(command.cdb[7]) << 8) | command.cdb[8];
    if (nLba < 0 || nLba + nCount > Key(drive, "write.lastLeadOut", 0)) {
        command.CheckCondition(5, 0x21, 0x00);
        return true;
    }
    std::vector<uint8_t> answer(size_t(nCount) * 2048, 0);
    if (const std::vector<uint8_t>* pHead = drive.GetBytes("write.head")) {
        const size_t nFrom = size_t(nLba) * 2048;
        for (size_t i = 0; i < answer.size() && nFrom + i < pHead->size(); ++i)
            answer[i] = (*pHead)[nFrom + i];
    }
    command.Reply(answer.data(), uint32_t(answer.size()));
    return true;
}

bool WriterHook(EmuCommand& command)
{
    CEmuDrive& drive = *command.pDrive;
    if (Key(drive, "write.disc", kEmuWriteNone) == kEmuWriteNone)
        return false;
    const uint8_t nOpcode = command.cdb[0];
    if (nOpcode == 0x1E) // PREVENT/ALLOW MEDIUM REMOVAL
        return true;
    if (nOpcode == 0x1B) { // the tray: a session under way is lost
        if ((command.cdb[4] & 0x02) != 0) {
            drive.SetInt("write.phase", kEmuWriteIdle);
            if ((command.cdb[4] & 0x01) != 0 && drive.GetInt(EMU_KEY_MEDIUM, 1) == 0) {
                drive.SetInt("write.notReadyUntilUs", int64_t(command.nArrivalUs) + Key(drive, "write.loadUs", 500000));
                drive.SetInt("write.notReadyAscq", 1);
                drive.SetInt("write.attention", 1);
            }
        }
        return false;
    }
    if (nOpcode == 0x12 || nOpcode == 0x03 || nOpcode == 0x1A || nOpcode == 0x5A || nOpcode == 0xBB || nOpcode == 0x46)
        return false; // identity, sense, mode pages, speed, profiles
    if (drive.GetInt(EMU_KEY_MEDIUM, 1) == 0)
        return false;
    if (AnswerNotReady(command))
        return true;
    switch (nOpcode) {
    case 0x25:
        HandleReadCapacity(command);
        return true;
    case 0x43:
        return HandleReadToc(command);
    case 0x51:
        HandleDiscInformation(command);
        return true;
    case 0x52:
        HandleTrackInformation(command);
        return true;
    case 0x15:
    case 0x55:
        return CheckModeSelect(command);
    case 0x5D:
        HandleSendCueSheet(command);
        return true;
    case 0x2A:
        HandleWrite10(command);
        return true;
    case 0xAA:
        HandleWrite12(command);
        return true;
    case 0x04:
        HandleFormatUnit(command);
        return true;
    case 0x23:
        return HandleFormatCapacities(command);
    case 0x28:
        return HandleRead10(command);
    case 0x35:
        HandleSynchronizeCache(command);
        return true;
    case 0xA1:
        HandleBlank(command);
        return true;
    case 0x53:
        HandleReserveTrack(command);
        return true;
    case 0xBF:
        HandleSendDiscStructure(command);
        return true;
    case 0x5B:
        HandleCloseTrackSession(command);
        return true;
    default:
        return false;
    }
}

struct WriterHookInstaller {
    WriterHookInstaller() { EmuSetWriterHook(&WriterHook); }
} g_writerHookInstaller;

} // namespace

void EmuLoadBlankCd(IEmuMachine* pMachine, int nDrive, EmuWriteDisc disc, int64_t nLastLeadOut)
{
    pMachine->SetInt(nDrive, "write.disc", disc);
    pMachine->SetInt(nDrive, "write.recorded", 0);
    pMachine->SetInt(nDrive, "write.lastLeadOut", nLastLeadOut);
    pMachine->SetInt(nDrive, "write.phase", kEmuWriteIdle);
    pMachine->SetInt(nDrive, "write.notReadyUntilUs", 0);
    pMachine->SetInt(nDrive, "write.attention", 0);
    pMachine->SetInt(nDrive, EMU_KEY_MEDIUM, 1);
    pMachine->SetInt(nDrive, "config.profile", disc == kEmuWriteCdRw ? 0x0A : 0x09);
    if (pMachine->GetBytes(nDrive, "mode.page.05", nullptr, 0) == 0) {
        uint8_t page5[52] = {0x05, 0x32, 0x41, 0x04, 0x08}; // BUFE, Track-At-Once, Mode 1
        page5[15] = 0x96;                                   // audio pause length 150
        pMachine->SetBytes(nDrive, "mode.page.05", page5, sizeof(page5));
    }
}

double EmuCdWriteMediaUs(int64_t nSectors, int64_t nSpeedX100)
{
    return double(nSectors) * 1e6 * 100.0 / (double(nSpeedX100) * 75.0);
}

void EmuLoadBlankDvd(IEmuMachine* pMachine, int nDrive, EmuWriteDisc disc, int64_t nFreeSectors)
{
    EmuLoadBlankCd(pMachine, nDrive, disc, nFreeSectors);
    int64_t nProfile = 0x11;
    switch (disc) {
    case kEmuWriteDvdPlusR:
        nProfile = 0x1B;
        break;
    case kEmuWriteDvdMinusRw:
        nProfile = 0x14;
        break;
    case kEmuWriteDvdPlusRw:
        nProfile = 0x1A;
        break;
    case kEmuWriteDvdRam:
        nProfile = 0x12;
        break;
    default:
        break;
    }
    pMachine->SetInt(nDrive, "config.profile", nProfile);
    pMachine->SetInt(nDrive, EMU_KEY_BLOCK_LENGTH, 2048);
    pMachine->SetInt(nDrive, "write.reserved", 0);
    pMachine->SetInt(nDrive, "write.closes", 0);
    pMachine->SetInt(nDrive, "write.timeStamps", 0);
    pMachine->SetInt(nDrive, "write.next", 0);
    pMachine->SetInt(nDrive, "write.restricted", 0);
    pMachine->SetInt(nDrive, "write.formatted", 0);
    pMachine->SetInt(nDrive, "write.backgroundFormat", 0);
    pMachine->SetInt(nDrive, "write.formats", 0);
    pMachine->SetInt(nDrive, "write.overwriteEnd", 0);
    pMachine->SetInt(nDrive, "write.tracks", 0);
    pMachine->SetInt(nDrive, "write.closedDisc", 0);
    pMachine->SetInt(nDrive, "write.incremental", 0);
    pMachine->SetInt(nDrive, "write.multiSession", 0);
    pMachine->SetBytes(nDrive, "write.head", "", 0);
}

void EmuLoadUsedDvdMinusRw(IEmuMachine* pMachine, int nDrive, int64_t nFreeSectors, bool bRestricted, int64_t nRecorded)
{
    EmuLoadBlankDvd(pMachine, nDrive, kEmuWriteDvdMinusRw, nFreeSectors);
    pMachine->SetInt(nDrive, "write.recorded", nRecorded);
    pMachine->SetInt(nDrive, "write.restricted", bRestricted ? 1 : 0);
    pMachine->SetInt(nDrive, "config.profile", bRestricted ? 0x13 : 0x14);
    pMachine->SetInt(nDrive, "write.tracks", nRecorded > 0 ? 1 : 0);
    pMachine->SetInt(nDrive, "write.closedDisc", nRecorded > 0 ? 1 : 0);
}

double EmuDvdWriteMediaUs(int64_t nSectors, int64_t nSpeedX100)
{
    return double(nSectors) * 1e6 * 100.0 / (double(nSpeedX100) * 675.0);
}
