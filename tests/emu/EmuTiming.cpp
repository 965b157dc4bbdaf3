// tests/emu/EmuTiming.cpp
// The timing engine (EmuTiming.h) and its place in the machine: after a read command's handler has answered, the
// engine says when the command completes on the drive's timeline, and the machine's virtual clock moves on by that
// much. In real-time mode the calling thread also waits until the wall clock has caught up.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Emu.h"
#include "EmuTiming.h"
#include "drive/Cdb.h"

// ---------------------------------------------------------------------------------------------------------------
// Geometry and speed laws

EmuGeometry EmuGeometry::ForShape(EmuDiscShape shape)
{
    EmuGeometry geometry;
    switch (shape) {
    case kEmuDiscCd74:
        geometry.dInnerMm = 25.0;
        geometry.dK = (58.0 * 58.0 - 25.0 * 25.0) / 333000.0;
        break;
    case kEmuDiscDvdSingle:
        geometry.dInnerMm = 24.0;
        geometry.dK = (58.0 * 58.0 - 24.0 * 24.0) / 2295104.0;
        break;
    case kEmuDiscDvdDual:
        geometry.dInnerMm = 24.0;
        geometry.dK = (58.0 * 58.0 - 24.0 * 24.0) / 2086912.0;
        geometry.nLayer0Sectors = 2086912;
        break;
    case kEmuDiscCd80:
    default:
        geometry.dInnerMm = 25.0;
        geometry.dK = (58.0 * 58.0 - 25.0 * 25.0) / 360000.0;
        break;
    }
    return geometry;
}

double EmuGeometry::Position(double dSector) const
{
    if (nLayer0Sectors > 0 && dSector >= double(nLayer0Sectors))
        return std::max(0.0, 2.0 * double(nLayer0Sectors) - dSector);
    return dSector;
}

double EmuGeometry::RadiusAt(double dSector) const
{
    return std::sqrt(dInnerMm * dInnerMm + dK * Position(dSector));
}

namespace {

// Seconds for CAV at dSpeedX (outer edge) over spiral positions [x0, x1] (x0 <= x1):
// t = 2 * r_out / (X * base * k) * (sqrt(r_in^2 + k*x1) - sqrt(r_in^2 + k*x0)).
double CavSeconds(const EmuGeometry& g, double dSpeedX, double dBase, double x0, double x1)
{
    double a = g.dInnerMm * g.dInnerMm;
    return 2.0 * g.dOuterMm / (dSpeedX * dBase * g.dK) * (std::sqrt(a + g.dK * x1) - std::sqrt(a + g.dK * x0));
}

// Seconds over spiral positions [x0, x1] of one layer, by law.
double LayerSeconds(const EmuSpeedModel& m, const EmuGeometry& g, double x0, double x1)
{
    if (x1 <= x0)
        return 0.0;
    switch (m.law) {
    case kEmuLawCav:
        return CavSeconds(g, m.dSpeedX, m.dBase, x0, x1);
    case kEmuLawPcav: {
        // Where CAV reaches the cap: r_knee = r_out * cap / X.
        double rKnee = g.dOuterMm * m.dCapX / m.dSpeedX;
        double xKnee = (rKnee * rKnee - g.dInnerMm * g.dInnerMm) / g.dK;
        double dSeconds = 0.0;
        if (x0 < xKnee)
            dSeconds += CavSeconds(g, m.dSpeedX, m.dBase, x0, std::min(x1, xKnee));
        if (x1 > xKnee)
            dSeconds += (x1 - std::max(x0, xKnee)) / (m.dCapX * m.dBase);
        return dSeconds;
    }
    case kEmuLawClv:
    default:
        return (x1 - x0) / (m.dSpeedX * m.dBase);
    }
}

} // namespace

double EmuSpeedModel::RateAt(const EmuGeometry& geometry, double dSector) const
{
    switch (law) {
    case kEmuLawCav:
        return dSpeedX * dBase * geometry.RadiusAt(dSector) / geometry.dOuterMm;
    case kEmuLawPcav:
        return std::min(dSpeedX * dBase * geometry.RadiusAt(dSector) / geometry.dOuterMm, dCapX * dBase);
    case kEmuLawZclv: {
        double dX = zones.empty() ? dSpeedX : zones.front().dSpeedX;
        for (const EmuZone& zone : zones)
            if (dSector >= double(zone.nFirstSector))
                dX = zone.dSpeedX;
        return dX * dBase;
    }
    case kEmuLawClv:
    default:
        return dSpeedX * dBase;
    }
}

double EmuSpeedModel::MediaSeconds(const EmuGeometry& geometry, int64_t s0, int64_t s1) const
{
    if (s1 <= s0 || law == kEmuLawNone)
        return 0.0;
    if (law == kEmuLawZclv) {
        double dSeconds = 0.0;
        for (size_t i = 0; i < zones.size() || (zones.empty() && i == 0); ++i) {
            int64_t nFirst = zones.empty() ? 0 : zones[i].nFirstSector;
            int64_t nEnd = i + 1 < zones.size() ? zones[i + 1].nFirstSector : INT64_MAX;
            double dX = zones.empty() ? dSpeedX : zones[i].dSpeedX;
            if (i == 0)
                nFirst = std::min<int64_t>(nFirst, s0);
            int64_t a = std::max(s0, nFirst), b = std::min(s1, nEnd);
            if (b > a)
                dSeconds += double(b - a) / (dX * dBase);
            if (s0 < nEnd && s1 > nEnd)
                dSeconds += dZoneChangeUs / 1e6;
        }
        return dSeconds;
    }
    // Split at the layer boundary; on the second layer the spiral runs back towards the hub.
    int64_t nL0 = geometry.nLayer0Sectors;
    if (nL0 > 0 && s0 < nL0 && s1 > nL0)
        return MediaSeconds(geometry, s0, nL0) + MediaSeconds(geometry, nL0, s1);
    double x0 = geometry.Position(double(s0));
    double x1 = geometry.Position(double(s1));
    if (nL0 > 0 && s0 >= nL0)
        std::swap(x0, x1);
    return LayerSeconds(*this, geometry, x0, x1);
}

double EmuDriveTiming::SeekUs(int64_t nDistance) const
{
    if (nDistance == 0)
        return 0.0;
    if (nDistance < 0)
        nDistance = -nDistance;
    double dFraction = nCapacity > 0 ? std::min(1.0, double(nDistance) / double(nCapacity)) : 1.0;
    return dSeekMinUs + (dSeekFullUs - dSeekMinUs) * std::sqrt(dFraction);
}

namespace {

// The sector the head reaches when it reads on from nFrom for dSeconds, not beyond nLimit.
int64_t SectorReachedAfter(const EmuDriveTiming& t, int64_t nFrom, int64_t nLimit, double dSeconds)
{
    int64_t lo = nFrom, hi = nLimit;
    while (lo < hi) {
        int64_t mid = lo + (hi - lo + 1) / 2;
        if (t.speed.MediaSeconds(t.geometry, nFrom, mid) <= dSeconds)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

const double kClockResolutionUs = 1.0;

} // namespace

// The head reads ahead into the cache while the host is away, until the cache is full; a request inside what the
// head has passed is served from the cache, the rest is read as the head gets there. A request elsewhere costs a
// seek and empties the cache. The interface moves the data after the last sector is in.
double EmuTimeRead(const EmuDriveTiming& timing, EmuTimingState& state, double dArrivalUs, int64_t nLba, int64_t nCount,
                   uint32_t nBytes)
{
    double t = dArrivalUs + timing.dCommandUs;
    if (!state.bSpinning) {
        state.bSpinning = true;
        t += timing.dSpinUpUs;
        state.dHeadUs = t;
    }
    // The machine's clock counts whole microseconds: a command that arrives less than one after the head got
    // where it is arrives on time, so that rounding never drifts the schedule.
    if (t > state.dHeadUs && t - state.dHeadUs < kClockResolutionUs)
        t = state.dHeadUs;
    if (t > state.dHeadUs) {
        int64_t nLimit = std::min(state.nCacheStart + timing.nCacheSectors, timing.nCapacity);
        if (timing.nCacheSectors > 0 && state.nHead < nLimit) {
            double dAvailable = (t - state.dHeadUs) / 1e6;
            int64_t nReached = SectorReachedAfter(timing, state.nHead, nLimit, dAvailable);
            double dUsed = timing.speed.MediaSeconds(timing.geometry, state.nHead, nReached);
            state.nHead = nReached;
            state.dHeadUs += dUsed * 1e6;
            if (nReached == nLimit || nReached == timing.nCapacity)
                state.dHeadUs = t; // the head waits for room
        } else {
            state.dHeadUs = t;
        }
    }
    int64_t nEnd = nLba + nCount;
    double dReadyUs;
    if (nLba >= state.nCacheStart && nLba <= state.nHead) {
        if (nEnd > state.nHead) {
            double dStart = std::max(state.dHeadUs, t);
            dReadyUs = dStart + timing.speed.MediaSeconds(timing.geometry, state.nHead, nEnd) * 1e6;
            state.nHead = nEnd;
            state.dHeadUs = dReadyUs;
        } else {
            dReadyUs = t;
        }
    } else {
        double dStart = std::max(state.dHeadUs, t) + timing.SeekUs(nLba - state.nHead);
        dReadyUs = dStart + timing.speed.MediaSeconds(timing.geometry, nLba, nEnd) * 1e6;
        state.nHead = nEnd;
        state.dHeadUs = dReadyUs;
    }
    state.nCacheStart = nEnd;
    double dTransferUs = timing.dInterfaceBytesPerSec > 0 ? double(nBytes) / timing.dInterfaceBytesPerSec * 1e6 : 0;
    return dReadyUs + dTransferUs;
}

// ---------------------------------------------------------------------------------------------------------------
// Keys and presets

namespace {

struct PresetKeys {
    EmuTimingPreset preset;
    int law;
    int disc;
    int dvd;
    int speedX100;
    int capX100;
    int seekMinUs, seekFullUs;
    int cacheSectors;
    int interfaceKBs;
    int commandUs;
    int spinUpUs;
};

const PresetKeys kPresets[] = {
    {kEmuPresetInstant, kEmuLawClv, kEmuDiscCd80, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {kEmuPresetCdRom48Cav, kEmuLawCav, kEmuDiscCd80, 0, 4800, 0, 85000, 150000, 891, 33000, 200, 0},
    {kEmuPresetCdWriter52, kEmuLawCav, kEmuDiscCd80, 0, 5200, 0, 85000, 150000, 891, 33000, 200, 0},
    {kEmuPresetDvdRom16Cav, kEmuLawCav, kEmuDiscDvdSingle, 1, 1600, 0, 100000, 180000, 1024, 33000, 200, 0},
    {kEmuPresetDvdDual8Cav, kEmuLawCav, kEmuDiscDvdDual, 1, 800, 0, 100000, 180000, 1024, 33000, 200, 0},
    {kEmuPresetCdUsb11, kEmuLawCav, kEmuDiscCd80, 0, 4800, 0, 85000, 150000, 891, 1000, 1000, 0},
    {kEmuPresetDvdPlus8Zclv, kEmuLawZclv, kEmuDiscDvdSingle, 1, 800, 0, 100000, 180000, 1024, 33000, 200, 0},
};

// 8X Z-CLV: 3.3X, 5X, 6X and 8X zones.
const EmuZone kDvdPlus8Zones[] = {{0, 3.3}, {300000, 5.0}, {800000, 6.0}, {1400000, 8.0}};

std::string ZoneKey(int i, const char* pszField)
{
    return "timing.zone" + std::to_string(i) + "." + pszField;
}

void ResetState(IEmuMachine* pMachine, int nDrive)
{
    pMachine->SetInt(nDrive, "timing.head", 0);
    pMachine->SetInt(nDrive, "timing.headNs", 0);
    pMachine->SetInt(nDrive, "timing.cacheStart", 0);
    pMachine->SetInt(nDrive, "timing.spinning", 0);
}

int64_t DiscCapacity(EmuDiscShape shape)
{
    switch (shape) {
    case kEmuDiscCd74:
        return 333000;
    case kEmuDiscDvdSingle:
        return 2295104;
    case kEmuDiscDvdDual:
        return 2 * 2086912;
    default:
        return 360000;
    }
}

// Reads the engine from a drive's keys through a key reader (the machine's interface or a drive object).
template <typename GetInt>
EmuDriveTiming TimingFromReader(GetInt getInt)
{
    EmuDriveTiming timing;
    EmuDiscShape shape = EmuDiscShape(getInt(EMU_KEY_TIMING_DISC, kEmuDiscCd80));
    timing.geometry = EmuGeometry::ForShape(shape);
    timing.speed.law = EmuSpeedLaw(getInt(EMU_KEY_TIMING_LAW, kEmuLawNone));
    timing.speed.dBase = getInt(EMU_KEY_TIMING_DVD, 0) != 0 ? kEmuDvdBase : kEmuCdBase;
    timing.speed.dSpeedX = double(getInt(EMU_KEY_TIMING_SPEED, 100)) / 100.0;
    timing.speed.dCapX = double(getInt(EMU_KEY_TIMING_CAP, 0)) / 100.0;
    timing.speed.dZoneChangeUs = double(getInt(EMU_KEY_TIMING_ZONE_US, 0));
    int nZones = int(getInt("timing.zones", 0));
    for (int i = 0; i < nZones; ++i)
        timing.speed.zones.push_back(EmuZone{getInt(ZoneKey(i, "first").c_str(), 0),
                                             double(getInt(ZoneKey(i, "speedX100").c_str(), 100)) / 100.0});
    timing.nCapacity = getInt(EMU_KEY_BLOCKS, DiscCapacity(shape));
    timing.dSeekMinUs = double(getInt(EMU_KEY_TIMING_SEEK_MIN, 0));
    timing.dSeekFullUs = double(getInt(EMU_KEY_TIMING_SEEK_FULL, 0));
    timing.nCacheSectors = getInt(EMU_KEY_TIMING_CACHE, 0);
    timing.dInterfaceBytesPerSec = double(getInt(EMU_KEY_TIMING_IFACE, 0)) * 1000.0;
    timing.dCommandUs = double(getInt(EMU_KEY_TIMING_COMMAND, 0));
    timing.dSpinUpUs = double(getInt(EMU_KEY_TIMING_SPINUP, 0));
    // The instant preset: a CLV law at speed 0 means no media time.
    if (timing.speed.dSpeedX <= 0.0)
        timing.speed.law = kEmuLawNone;
    return timing;
}

// The speed the host selected (SET CD SPEED, SET STREAMING, through the drive's speed model) caps the law: a CLV
// or zone speed above it comes down to it, and a CAV drive turns P-CAV at it. 0 leaves the law as it is.
void ApplySelectedSpeed(EmuDriveTiming& timing, double dSelectedX)
{
    if (dSelectedX <= 0.0)
        return;
    EmuSpeedModel& speed = timing.speed;
    switch (speed.law) {
    case kEmuLawClv:
        speed.dSpeedX = std::min(speed.dSpeedX, dSelectedX);
        break;
    case kEmuLawCav:
        if (dSelectedX < speed.dSpeedX) {
            speed.law = kEmuLawPcav;
            speed.dCapX = dSelectedX;
        }
        break;
    case kEmuLawPcav:
        speed.dCapX = std::min(speed.dCapX, dSelectedX);
        break;
    case kEmuLawZclv:
        for (EmuZone& zone : speed.zones)
            zone.dSpeedX = std::min(zone.dSpeedX, dSelectedX);
        break;
    default:
        break;
    }
}

// The selected read speed in X: DVD from the speed model's current read speed (KB/s, 1385 per X), CD from mode page
// 0x2A bytes 14-15 (KB/s, 176 per X); 0 when the drive keeps none.
template <typename GetInt, typename GetBytes>
double SelectedReadSpeedX(GetInt getInt, GetBytes getBytes, bool bDvd)
{
    if (bDvd)
        return double(getInt("speed.dvdCurrentRead", 0)) / 1385.0;
    std::vector<uint8_t> page = getBytes("mode.page.2A");
    if (page.size() < 16)
        return 0.0;
    return double((page[14] << 8) | page[15]) / 176.0;
}

} // namespace

void EmuApplyTimingPreset(IEmuMachine* pMachine, int nDrive, EmuTimingPreset preset)
{
    for (const PresetKeys& keys : kPresets) {
        if (keys.preset != preset)
            continue;
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_LAW, keys.law);
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_DISC, keys.disc);
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_DVD, keys.dvd);
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_SPEED, keys.speedX100);
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_CAP, keys.capX100);
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_SEEK_MIN, keys.seekMinUs);
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_SEEK_FULL, keys.seekFullUs);
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_CACHE, keys.cacheSectors);
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_IFACE, keys.interfaceKBs);
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_COMMAND, keys.commandUs);
        pMachine->SetInt(nDrive, EMU_KEY_TIMING_SPINUP, keys.spinUpUs);
        pMachine->SetInt(nDrive, EMU_KEY_BLOCKS, DiscCapacity(EmuDiscShape(keys.disc)));
        int nZones = 0;
        if (preset == kEmuPresetDvdPlus8Zclv) {
            for (const EmuZone& zone : kDvdPlus8Zones) {
                pMachine->SetInt(nDrive, ZoneKey(nZones, "first").c_str(), zone.nFirstSector);
                pMachine->SetInt(nDrive, ZoneKey(nZones, "speedX100").c_str(), int64_t(zone.dSpeedX * 100 + 0.5));
                ++nZones;
            }
            pMachine->SetInt(nDrive, EMU_KEY_TIMING_ZONE_US, 100000);
        }
        pMachine->SetInt(nDrive, "timing.zones", nZones);
    }
    ResetState(pMachine, nDrive);
}

EmuDriveTiming EmuTimingFromKeys(IEmuMachine* pMachine, int nDrive)
{
    auto getInt = [&](const char* pszKey, int64_t nDefault) { return pMachine->GetInt(nDrive, pszKey, nDefault); };
    auto getBytes = [&](const char* pszKey) {
        std::vector<uint8_t> bytes(pMachine->GetBytes(nDrive, pszKey, nullptr, 0));
        if (!bytes.empty())
            pMachine->GetBytes(nDrive, pszKey, bytes.data(), uint32_t(bytes.size()));
        return bytes;
    };
    EmuDriveTiming timing = TimingFromReader(getInt);
    ApplySelectedSpeed(timing, SelectedReadSpeedX(getInt, getBytes, getInt(EMU_KEY_TIMING_DVD, 0) != 0));
    return timing;
}

// ---------------------------------------------------------------------------------------------------------------
// The machine's side

namespace {

volatile LONG g_bRealTime = 0;
LARGE_INTEGER g_realStart;
uint64_t g_nVirtualStartUs = 0;
bool g_bRealStarted = false;

// Sectors a read command asks for, or false when the opcode reads no medium.
bool ReadExtent(const EmuCommand& command, int64_t& nLba, int64_t& nCount)
{
    const uint8_t* cdb = command.cdb;
    switch (cdb[0]) {
    case 0x28: // READ(10)
        nLba = GetBe32(cdb + 2);
        nCount = (cdb[7] << 8) | cdb[8];
        return true;
    case 0xA8: // READ(12)
        nLba = GetBe32(cdb + 2);
        nCount = GetBe32(cdb + 6);
        return true;
    case 0xBE: // READ CD
        nLba = GetBe32(cdb + 2);
        nCount = (cdb[6] << 16) | (cdb[7] << 8) | cdb[8];
        return true;
    case 0xD8: // vendor CD-DA read
        nLba = GetBe32(cdb + 2);
        nCount = GetBe32(cdb + 6);
        return true;
    default:
        return false;
    }
}

// Virtual microseconds a command takes on a drive with the engine on.
uint64_t TimeCommand(EmuCommand& command, uint64_t nArrivalUs)
{
    CEmuDrive& drive = *command.pDrive;
    if (drive.GetInt(EMU_KEY_TIMING_LAW, kEmuLawNone) == kEmuLawNone)
        return 0;
    // A description for a program that runs on the real clock (scripts/run) asks for real-time pacing.
    if (drive.GetInt("timing.realTime", 0) != 0 && g_bRealTime == 0)
        EmuSetRealTime(true);
    auto getInt = [&](const char* pszKey, int64_t nDefault) { return drive.GetInt(pszKey, nDefault); };
    auto getBytes = [&](const char* pszKey) {
        const std::vector<uint8_t>* pBytes = drive.GetBytes(pszKey);
        return pBytes != nullptr ? *pBytes : std::vector<uint8_t>();
    };
    EmuDriveTiming timing = TimingFromReader(getInt);
    ApplySelectedSpeed(timing, SelectedReadSpeedX(getInt, getBytes, getInt(EMU_KEY_TIMING_DVD, 0) != 0));
    int64_t nLba = 0, nCount = 0;
    if (command.nStatus != kEmuStatusGood || !ReadExtent(command, nLba, nCount))
        return uint64_t(timing.dCommandUs);
    EmuTimingState state;
    state.nHead = drive.GetInt("timing.head", 0);
    state.dHeadUs = double(drive.GetInt("timing.headNs", 0)) / 1000.0;
    state.nCacheStart = drive.GetInt("timing.cacheStart", 0);
    state.bSpinning = drive.GetInt("timing.spinning", 0) != 0;
    double dDoneUs = EmuTimeRead(timing, state, double(nArrivalUs), nLba, nCount, command.nTransferred);
    drive.SetInt("timing.head", state.nHead);
    drive.SetInt("timing.headNs", int64_t(std::llround(state.dHeadUs * 1000.0)));
    drive.SetInt("timing.cacheStart", state.nCacheStart);
    drive.SetInt("timing.spinning", state.bSpinning ? 1 : 0);
    // The clock moves to the completion rounded to whole microseconds; the schedule itself stays exact.
    uint64_t nDoneUs = uint64_t(std::llround(dDoneUs));
    return nDoneUs > nArrivalUs ? nDoneUs - nArrivalUs : 0;
}

EmuTimingHook& TimingHookSlot()
{
    static EmuTimingHook s_pfnHook = nullptr;
    return s_pfnHook;
}

struct TimingRegistrar {
    TimingRegistrar() { EmuSetTimingHook(&TimeCommand); }
} g_timingRegistrar;

} // namespace

void EmuSetTimingHook(EmuTimingHook pfnHook)
{
    TimingHookSlot() = pfnHook;
}

EmuTimingHook EmuGetTimingHook()
{
    return TimingHookSlot();
}

void EmuSetRealTime(bool bRealTime)
{
    InterlockedExchange(&g_bRealTime, bRealTime ? 1 : 0);
    g_bRealStarted = false;
}

bool EmuIsRealTime()
{
    return g_bRealTime != 0;
}

// Called by the machine (under its lock) after each command: in real-time mode, waits until the wall clock has
// reached the virtual time. Deadlines are absolute, so sleeping late now shortens the next wait; when the wall
// clock is already ahead (the drive sat idle), the timeline is joined again at the present.
void EmuPaceToVirtualTime(uint64_t nVirtualUs)
{
    if (g_bRealTime == 0)
        return;
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    if (!g_bRealStarted) {
        g_realStart = now;
        g_nVirtualStartUs = nVirtualUs;
        g_bRealStarted = true;
        return;
    }
    double dRealUs = double(now.QuadPart - g_realStart.QuadPart) * 1e6 / double(frequency.QuadPart);
    if (double(nVirtualUs - g_nVirtualStartUs) <= dRealUs) {
        // The drive was idle (or the host slow): the timeline starts again from here.
        g_realStart = now;
        g_nVirtualStartUs = nVirtualUs;
        return;
    }
    for (;;) {
        QueryPerformanceCounter(&now);
        dRealUs = double(now.QuadPart - g_realStart.QuadPart) * 1e6 / double(frequency.QuadPart);
        double dLagUs = double(nVirtualUs - g_nVirtualStartUs) - dRealUs;
        if (dLagUs <= 0)
            return;
        Sleep(dLagUs >= 2000 ? DWORD(dLagUs / 1000) - 1 : 0);
    }
}
