// tests/emu/EmuDisc.h
// Discs backed by image files: a CD of data (Mode 1 or Mode 2, from ISO 9660 or UDF images), audio and mixed
// tracks in one or more sessions with MCN, ISRC and CD-TEXT, recordable CDs with their ATIP, packet-written
// tracks with run-out blocks, and DVDs of every kind with their physical format, manufacturer and capacities.
//
// A disc is described by statements, as lines of a machine description (EmuDescription.h) that act on the last
// drive, or as a text given to EmuLoadDisc. The drive keeps the statements in its key "disc.spec"; the module that
// answers the drive's commands reads the image files when the disc is first used, and answers READ CAPACITY,
// READ(6), READ(10), READ CD, the maker's audio read 0xD8, SEEK, READ TOC (formats 0, 1, 2, 4, 5), READ DISC
// INFORMATION, READ TRACK INFORMATION, READ DISC STRUCTURE and READ FORMAT CAPACITIES from the description.
// A byte key the test sets ("toc.N", "discinfo", "trackinfo", "ds.XX", "formatcapacities") replaces the
// generated answer, to give a drive a damaged one.
//
// Statements (texts in double quotes; MSF times as M:S:F):
//   disc-image KIND [blank] [open] [layers 2] [blocks N]
//        KIND: cd-rom cd-r cd-rw dvd-rom dvd-r dvd-rw dvd+r dvd+rw dvd-ram dvd-r-dl dvd+r-dl. Starts the disc.
//        blank: nothing written; open: the last session (CD) or the disc (DVD) can take more; blocks: the DVD's
//        capacity (default: the image's size).
//   disc-file "PATH"                 a DVD's user data from LBA 0 (a file of 2048-byte sectors)
//   disc-track mode1|mode2|audio "PATH"|BLOCKS [session N] [isrc "CCOOOYYSSSSS"] [size N] [packet]
//             [runout N] [open]
//        a CD track after the previous one (a new session begins after the previous session's lead-out and
//        lead-in); data from an image file or generated; size: the track's reserved size when larger than what
//        was written; packet: written in packets; runout: the last N written blocks are run-out and link blocks;
//        open: the track is still being written (not closed).
//   disc-mcn "13 DIGITS"
//   disc-cdtext title|performer TRACK "TEXT"          (track 0: the disc)
//   disc-cdtext-crc-error PACK                         the pack's CRC is damaged
//   disc-atip M:S:F M:S:F [rw] [hc] [subtype N] [clv N] [ultra N]
//        lead-in start and last possible lead-out start of a recordable CD; rw: erasable; hc: high-capacity
//        (A1 values valid and set); the speed codes of a CD-RW
//   disc-media-id "MAKER" "TYPE" [REVISION]           a recordable DVD's manufacturer identification
//   disc-format-capacity BLOCKS TYPE                  one descriptor of READ FORMAT CAPACITIES (TYPE: byte 4)
//   disc-background N                                 DVD+RW background format status (disc information):
//                                                     0 none, 1 suspended, 2 running, 3 complete; a blank
//                                                     DVD+RW with 1 to 3 is being (or was) formatted and
//                                                     reported complete, as drives do (default: 0 when
//                                                     blank, else 3)
//   disc-sector LBA OFFSET "TEXT"                     text written into a sector's user data
#ifndef TAVISK_TESTS_EMU_EMUDISC_H
#define TAVISK_TESTS_EMU_EMUDISC_H

#include <string>
#include <vector>

#include "Emu.h"

struct EmuDiscWord {
    std::string text;
    bool quoted;
};

// Splits a line of a description into words; false (with a reason) when a quoted text is not closed.
bool EmuSplitLine(const std::string& line, std::vector<EmuDiscWord>& words, std::string& error);

// A word of a description as a number; false when it is not one.
bool EmuParseNumber(const std::string& text, long long& value);

// Adds one statement to the drive's disc description; false (with a reason) when the description is wrong or an
// image file cannot be read.
bool EmuApplyDiscStatement(IEmuMachine* pMachine, int nDrive, const std::vector<EmuDiscWord>& words,
                           std::string& error);

// Replaces the drive's disc by the statements of a text (one per line, '#' starts a comment).
bool EmuLoadDisc(IEmuMachine* pMachine, int nDrive, const std::string& text, std::string& error);

// A path of the test machine's file system ("/build/x.iso") as Wine's drive Z: names it.
std::string EmuWinePath(const std::string& unixPath);

#endif
