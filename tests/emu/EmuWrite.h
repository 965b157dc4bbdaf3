// tests/emu/EmuWrite.h
// The emulated writer's engine for recordable CDs and DVDs: a blank CD-R or CD-RW with its ATIP, Session-At-Once
// recording from the cue sheet (the pregap from LBA -150 on), a write buffer that the disc drains at the selected
// write speed on the machine's virtual clock, with underrun detection, OPC and the lead-in before the first sector,
// SYNCHRONIZE CACHE that waits for the buffer and the lead-out, BLANK and the tray with their not-ready periods, and
// test writes that leave the disc blank. DVDs: DVD-R and DVD-RW in sequential recording (RESERVE TRACK,
// Session-At-Once or incremental with further tracks and sessions, test writes), DVD+R (tracks one after the other,
// CLOSE TRACK/SESSION, finalising), and the overwrite media DVD+RW (FORMAT UNIT with its background format),
// DVD-RAM (WRITE(12)) and DVD-RW in restricted overwrite, written anywhere inside the disc; BLANK turns a DVD-RW
// back into a blank disc in sequential recording. A drive uses the engine when its key "write.disc" is set
// (EmuLoadBlankCd, EmuLoadBlankDvd).
//
// Drive keys (times in virtual microseconds, positions in sectors):
//   "write.disc"           kEmuWriteCdR or kEmuWriteCdRw; 0: the engine leaves the drive alone
//   "write.recorded"       sectors recorded by the last real session (0: blank)
//   "write.recordedMode"   data form of the recorded track (0x11 Mode 1, 0x00 audio)
//   "write.leadInFrames"   ATIP start of the lead-in, as minute*4500 + second*75 + frame (default 97:26:66)
//   "write.lastLeadOut"    ATIP last possible start of the lead-out (default 79:59:74)
//   "write.overburn"       sectors a session may reach past the last lead-out start (default 0)
//   "write.bufferSectors"  buffer size (default 891 sectors of 2352 bytes, 2 MB)
//   "write.speedX100"      write speed; without it page 0x2A bytes 20-21 (KB/s / 176), else 4X
//   "write.opcUs", "write.leadInUs", "write.leadOutSectors", "write.relinkUs", "write.commandUs",
//   "write.interfaceKBs", "write.blankUs", "write.loadUs"    the engine's times
//   "write.refuseCueSheet" 1: SEND CUE SHEET fails with 5/26/00
// State kept on the drive: "write.phase" (EmuWritePhase), "write.next", "write.end", "write.simulate",
// "write.bufe", "write.mediaStartUs", "write.drainEndUs", "write.notReadyUntilUs", "write.notReadyAscq",
// "write.attention", and the counters "write.underruns", "write.minLevel" (fewest sectors in the buffer when a
// timed write arrived, once recording had begun), "write.sessions", "write.blanks".
#ifndef TAVISK_TESTS_EMU_EMUWRITE_H
#define TAVISK_TESTS_EMU_EMUWRITE_H

#include <cstdint>

class IEmuMachine;

enum EmuWriteDisc {
    kEmuWriteNone = 0,
    kEmuWriteCdR = 1,
    kEmuWriteCdRw = 2,
    kEmuWriteDvdMinusR = 3,  // DVD-R: RESERVE TRACK, then writes from LBA 0; closed by SYNCHRONIZE CACHE
    kEmuWriteDvdPlusR = 4,   // DVD+R: writes from LBA 0 open the track; CLOSE TRACK/SESSION finish the disc
    kEmuWriteDvdMinusRw = 5, // DVD-RW: blank in sequential recording as DVD-R; "write.restricted" 1: overwrite
    kEmuWriteDvdPlusRw = 6,  // DVD+RW: FORMAT UNIT, then writes anywhere; CLOSE ends the background format
    kEmuWriteDvdRam = 7      // DVD-RAM: formatted, writes anywhere (WRITE(10) or WRITE(12))
};

enum EmuWritePhase {
    kEmuWriteIdle = 0,      // nothing under way
    kEmuWriteCueSent = 1,   // the cue sheet is accepted; the first WRITE starts OPC and the lead-in
    kEmuWriteRecording = 2, // sectors are going to the disc
    kEmuWriteFailed = 3,    // the buffer ran empty without BUFE; the session is lost
    kEmuWriteFlushed = 4    // a DVD+R's buffer is on the disc; the track waits for its close
};

// Loads a blank disc of the kind: its ATIP ends at nLastLeadOut (frames), the buffer, speed and times at their
// defaults, the engine state reset; the drive's write-parameters page set to the drive's usual defaults.
void EmuLoadBlankCd(IEmuMachine* pMachine, int nDrive, EmuWriteDisc disc, int64_t nLastLeadOut);

// Loads a blank DVD of the kind with nFreeSectors (its profile, 0x11, 0x1B, 0x14, 0x1A or 0x12, in
// "config.profile"); a DVD+RW comes unformatted, a DVD-RAM formatted and empty. On a DVD the write speed is in
// hundredths of the DVD's 1X (675 sectors of 2048 bytes a second) and "write.lastLeadOut" holds the free sectors
// (the capacity of the rewritables). Further keys: "write.reserved" (sectors of the last RESERVE TRACK),
// "write.closes" (CLOSE TRACK/SESSION commands), "write.closeUs" (not-ready time after an immediate close),
// "write.timeStamps" (SEND DISC STRUCTURE commands taken), "write.tracks" (tracks that hold data),
// "write.closedDisc" (1 once no track or session may follow), "write.incremental" and "write.multiSession" (the
// write type and multi-session field of the page at the last RESERVE TRACK); on the rewritables "write.formatted" and
// "write.backgroundFormat" (DVD+RW: 2 running, 3 complete), "write.formats" (FORMAT UNIT commands taken),
// "write.formatUs" (busy or not-ready time of a format), "write.head" (the data of the last block written at LBA
// 0, which READ(10) returns; zeros elsewhere), "write.overwriteEnd" (the furthest sector written), and
// "write.refuseFormatCapacities" / "write.oddFormatCapacities" for damaged READ FORMAT CAPACITIES answers.
void EmuLoadBlankDvd(IEmuMachine* pMachine, int nDrive, EmuWriteDisc disc, int64_t nFreeSectors);

// Loads a DVD-RW that holds nRecorded sectors: in sequential recording, or in restricted overwrite (profile 0x13,
// which a drive reports as a complete disc whatever it holds).
void EmuLoadUsedDvdMinusRw(IEmuMachine* pMachine, int nDrive, int64_t nFreeSectors, bool bRestricted,
                           int64_t nRecorded);

// Microseconds the engine spends on nSectors of DVD at a write speed (hundredths of X).
double EmuDvdWriteMediaUs(int64_t nSectors, int64_t nSpeedX100);

// Microseconds the engine spends on nSectors of disc at a write speed (hundredths of X), CLV.
double EmuCdWriteMediaUs(int64_t nSectors, int64_t nSpeedX100);

#endif
