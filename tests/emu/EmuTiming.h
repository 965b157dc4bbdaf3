// tests/emu/EmuTiming.h
// The emulated drive's timing engine: where a sector lies on the disc, how fast the disc passes under the head at
// that radius for each speed law (CLV, CAV, P-CAV, Z-CLV), seeks, the read-ahead cache and the interface. The
// engine schedules on an absolute timeline, so rounding never accumulates and a whole run's samples can be
// predicted from the closed forms below.
//
// A drive uses the engine when its key "timing.law" is set (EmuApplyTimingPreset or the keys below); the engine
// then adds each read command's time to the machine's virtual clock. Without the key, commands take only the
// drive's fixed delay, as before.
#ifndef TAVISK_TESTS_EMU_EMUTIMING_H
#define TAVISK_TESTS_EMU_EMUTIMING_H

#include <cstdint>
#include <vector>

class IEmuMachine;

enum EmuSpeedLaw {
    kEmuLawNone = 0, // no timing model
    kEmuLawClv = 1,  // constant linear velocity: X everywhere
    kEmuLawCav = 2,  // constant angular velocity: X at the outer edge, less further in
    kEmuLawPcav = 3, // CAV up to a cap, CLV at the cap beyond
    kEmuLawZclv = 4  // zones of constant linear velocity
};

enum EmuDiscShape {
    kEmuDiscCd80 = 0,      // 80-minute CD, 360,000 sectors
    kEmuDiscCd74 = 1,      // 74-minute CD, 333,000 sectors
    kEmuDiscDvdSingle = 2, // single-layer DVD, 2,295,104 sectors
    kEmuDiscDvdDual = 3    // dual-layer DVD, opposite track path, 2,086,912 sectors per layer
};

// Sectors per second at 1X.
const double kEmuCdBase = 75.0;
const double kEmuDvdBase = 1385000.0 / 2048.0; // 676.27: the 1000-byte kB basis drives report

// Radius of a sector: r(s) = sqrt(r_in^2 + k*s) mm, k chosen so that the nominal capacity ends at 58 mm. On the
// second layer of an opposite-track-path disc the position runs back towards the hub: x(s) = 2*L0 - s.
struct EmuGeometry {
    double dInnerMm = 25.0;
    double dOuterMm = 58.0;
    double dK = 0.0;            // mm^2 per sector
    int64_t nLayer0Sectors = 0; // 0: one layer

    static EmuGeometry ForShape(EmuDiscShape shape);
    // Position on the layer's spiral measured from the hub end (sectors), as a real number.
    double Position(double dSector) const;
    double RadiusAt(double dSector) const;
};

// One zone of a Z-CLV drive: from nFirstSector on, dSpeedX.
struct EmuZone {
    int64_t nFirstSector;
    double dSpeedX;
};

struct EmuSpeedModel {
    EmuSpeedLaw law = kEmuLawNone;
    double dSpeedX = 1.0;       // CLV: the speed; CAV and P-CAV: the speed at the outer edge
    double dCapX = 0.0;         // P-CAV: the cap
    double dBase = kEmuCdBase;  // sectors per second at 1X
    std::vector<EmuZone> zones; // Z-CLV, in ascending order of nFirstSector
    double dZoneChangeUs = 0;   // Z-CLV: time lost at each zone boundary crossed

    // Sectors per second at a sector.
    double RateAt(const EmuGeometry& geometry, double dSector) const;
    // Seconds the disc needs to pass sectors [s0, s1) under the head (closed forms).
    double MediaSeconds(const EmuGeometry& geometry, int64_t s0, int64_t s1) const;
};

struct EmuDriveTiming {
    EmuGeometry geometry;
    EmuSpeedModel speed;
    int64_t nCapacity = 0; // sectors on the disc
    double dSeekMinUs = 0; // seek time = min + (full - min) * sqrt(distance / capacity)
    double dSeekFullUs = 0;
    int64_t nCacheSectors = 0;        // read-ahead cache; 0: the head stops after each command
    double dInterfaceBytesPerSec = 0; // 0: the interface costs nothing
    double dCommandUs = 0;            // overhead of every command
    double dSpinUpUs = 0;             // the first read after a load waits this long

    double SeekUs(int64_t nDistance) const;
};

// Where the head is: the next sector it reads, the time it got there, the first sector of the cache that the host
// has not taken yet, and whether the disc spins.
struct EmuTimingState {
    int64_t nHead = 0;
    double dHeadUs = 0;
    int64_t nCacheStart = 0;
    bool bSpinning = false;
};

// Times one read of sectors [nLba, nLba + nCount) moving nBytes to the host, arriving at dArrivalUs; returns the
// time at which the command completes and moves the state on.
double EmuTimeRead(const EmuDriveTiming& timing, EmuTimingState& state, double dArrivalUs, int64_t nLba, int64_t nCount,
                   uint32_t nBytes);

// Drive keys of the engine (SetInt). Speeds are in hundredths of X, times in microseconds.
#define EMU_KEY_TIMING_LAW "timing.law"         // EmuSpeedLaw; 0 = the engine is off (default)
#define EMU_KEY_TIMING_DISC "timing.disc"       // EmuDiscShape, default kEmuDiscCd80
#define EMU_KEY_TIMING_DVD "timing.dvd"         // 1 = DVD basis (1X = 676.27 sectors/s), else CD
#define EMU_KEY_TIMING_SPEED "timing.speedX100" // CLV speed or CAV outer speed
#define EMU_KEY_TIMING_CAP "timing.capX100"     // P-CAV cap
#define EMU_KEY_TIMING_SEEK_MIN "timing.seekMinUs"
#define EMU_KEY_TIMING_SEEK_FULL "timing.seekFullUs"
#define EMU_KEY_TIMING_CACHE "timing.cacheSectors"
#define EMU_KEY_TIMING_IFACE "timing.interfaceKBs" // KB/s (1000 bytes); 0 = no cost
#define EMU_KEY_TIMING_COMMAND "timing.commandUs"
#define EMU_KEY_TIMING_SPINUP "timing.spinUpUs"
#define EMU_KEY_TIMING_ZONE_US "timing.zoneChangeUs"
// Z-CLV zones: "timing.zones" = count, "timing.zone<i>.first" and "timing.zone<i>.speedX100".
// Engine state (kept on the drive so that it survives module boundaries): "timing.head", "timing.headNs",
// "timing.cacheStart", "timing.spinning".

// Ready-made drives for believable curves.
enum EmuTimingPreset {
    kEmuPresetInstant = 0,     // no media time, no interface cost: the program's own ceiling
    kEmuPresetCdRom48Cav = 1,  // CD-ROM reader, 48X CAV (20.7X at the hub)
    kEmuPresetCdWriter52 = 2,  // CD writer reading at 52X CAV
    kEmuPresetDvdRom16Cav = 3, // DVD-ROM, 16X CAV on a single-layer disc
    kEmuPresetDvdDual8Cav = 4, // DVD-ROM, 8X CAV on a dual-layer disc
    kEmuPresetCdUsb11 = 5,     // a CD writer behind USB 1.1: the interface limits it
    kEmuPresetDvdPlus8Zclv = 6 // DVD writer, 8X Z-CLV
};
// Sets the drive's timing keys to a preset (the disc shape included) and resets the engine state.
void EmuApplyTimingPreset(IEmuMachine* pMachine, int nDrive, EmuTimingPreset preset);

// The engine as the machine's keys describe it for a drive (for tests that predict the drive's answers), with the
// read speed the host selected through the drive's speed model capping the law (SET CD SPEED, SET STREAMING).
EmuDriveTiming EmuTimingFromKeys(IEmuMachine* pMachine, int nDrive);

// Paces the calling thread to the machine's timeline when the machine runs in real time ("realTime" machine mode,
// see EmuSetRealTime): sleeps until the wall clock has caught up with the virtual time.
void EmuSetRealTime(bool bRealTime);
bool EmuIsRealTime();

#endif
