// tests/emu/EmuHostile.h
// The hostile drive: a mode of the emulated drive in which a chosen share of commands gets its true answer changed
// before the program sees it, seeded and reproducible. A change is one of:
//   field    one or two fields of the answer (bytes 0 to 11 half the time, else anywhere in it; one, two or four
//            bytes wide, big-endian) set to 0, 1, the host's buffer size, that size + 1, 0x7FFF, 0xFFFF,
//            0x7FFFFFFF, 0xFFFFFFFF or a random number (cut to the field's width);
//   cut      the answer cut short: fewer bytes moved, the rest of the host's buffer as it was before the command;
//   pad      the answer padded with random bytes up to the host's buffer size;
//   sense    CHECK CONDITION with random sense bytes (or a common sense code) in place of the answer;
//   timeout  the command never completes: the host's time limit passes on the virtual clock (pass-through: its
//            time-out value; ASPI: 30 s) and the front end reports the time-out.
// Commands without data from the drive get only sense and timeout changes; a field, cut or pad change applies only
// to a command the drive completed with data.
//
// Whether a command is changed and how depends only on the seed and the number of commands the drive received
// since the seed was set, so running the same program steps again with the same seed replays every change. Each
// change is appended to the drive's log key as one line ("seed S #N op XX ..."), and echoed to the standard error
// stream at once when asked, so the last change before a crash is on screen.
//
// Drive keys (IEmuMachine::SetInt / GetInt):
#ifndef TAVISK_TESTS_EMU_EMUHOSTILE_H
#define TAVISK_TESTS_EMU_EMUHOSTILE_H

#include <cstdint>
#include <string>

#include "Emu.h"

#define EMU_KEY_HOSTILE_SHARE "hostile.share" // commands changed per thousand; 0 = the drive answers truly (default)
#define EMU_KEY_HOSTILE_SEED "hostile.seed"   // the seed (EmuSetHostile also restarts the count below)
#define EMU_KEY_HOSTILE_KINDS "hostile.kinds" // EmuHostileKind bits allowed (default: all)
#define EMU_KEY_HOSTILE_ECHO "hostile.echo"   // 1 = every change also written to stderr and flushed
// Counters kept by the drive since the seed was set.
#define EMU_KEY_HOSTILE_COUNT "hostile.count"     // commands received in hostile mode
#define EMU_KEY_HOSTILE_CHANGED "hostile.changed" // answers changed
// Byte key: the changes, one text line each (at most 1 MB; later lines are counted but not kept).
#define EMU_KEY_HOSTILE_LOG "hostile.log"

enum EmuHostileKind {
    kEmuHostileField = 1,
    kEmuHostileCut = 2,
    kEmuHostilePad = 4,
    kEmuHostileSense = 8,
    kEmuHostileTimeout = 16,
    kEmuHostileAll = 31
};

// Seconds the ASPI front end's commands wait before the layer gives up on a command that never completes.
const uint32_t kEmuHostileAspiTimeoutSeconds = 30;

// The seeded random numbers of the hostile mode (splitmix64): one independent stream per (seed, stream number).
// Benchmarks that pick hostile inputs of their own use it too.
class CEmuSeedRandom {
public:
    explicit CEmuSeedRandom(uint64_t nSeed, uint64_t nStream = 0)
        : m_nState(nSeed ^ (nStream * 0xD1B54A32D192ED03ull))
    {
    }
    uint64_t Next()
    {
        uint64_t z = (m_nState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 to n - 1 (0 for n = 0).
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : uint32_t(Next() % n); }
    uint8_t Byte() { return uint8_t(Next()); }

private:
    uint64_t m_nState;
};

// Puts a drive into hostile mode with a seed (or back to true answers with a share of 0): sets the keys and
// empties the counters and the log.
void EmuSetHostile(IEmuMachine* pMachine, int nDrive, uint64_t nSeed, int nSharePerThousand,
                   int nKinds = kEmuHostileAll);

// The drive's change log as text.
std::string EmuHostileLog(IEmuMachine* pMachine, int nDrive);

#endif
