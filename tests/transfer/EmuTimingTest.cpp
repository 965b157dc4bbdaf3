// tests/transfer/EmuTimingTest.cpp
// The emulated drive's timing engine against closed-form answers: the time to read N sectors at a given place
// for each speed law, seeks, the read-ahead cache and the interface; and the machine's virtual clock driven by it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "EmuLetterCommand.h" // first: it includes windows.h before the machine interface
#include "EmuTiming.h"

namespace {

// Reads [s0, s1) in commands of nPerCommand sectors back to back (each arrives when the last completed);
// returns the time the last completes.
double ReadBackToBack(const EmuDriveTiming& timing, EmuTimingState& state, double dStartUs, int64_t s0, int64_t s1,
                      int nPerCommand, uint32_t nBytesPerSector = 2048)
{
    double t = dStartUs;
    for (int64_t s = s0; s < s1; s += nPerCommand) {
        int64_t n = std::min<int64_t>(nPerCommand, s1 - s);
        t = EmuTimeRead(timing, state, t, s, n, uint32_t(n) * nBytesPerSector);
    }
    return t;
}

EmuDriveTiming Drive(EmuDiscShape shape, EmuSpeedLaw law, double dSpeedX, double dBase)
{
    EmuDriveTiming timing;
    timing.geometry = EmuGeometry::ForShape(shape);
    timing.speed.law = law;
    timing.speed.dSpeedX = dSpeedX;
    timing.speed.dBase = dBase;
    timing.nCapacity = shape == kEmuDiscDvdDual ? 2 * 2086912 : shape == kEmuDiscDvdSingle ? 2295104 : 360000;
    return timing;
}

// CAV closed form: t = 2 * 58 / (X * base * k) * (sqrt(r_in^2 + k*s1) - sqrt(r_in^2 + k*s0)).
double CavSeconds(double rIn, double k, double dX, double dBase, double s0, double s1)
{
    return 2.0 * 58.0 / (dX * dBase * k) * (std::sqrt(rIn * rIn + k * s1) - std::sqrt(rIn * rIn + k * s0));
}

TEST(EmuTiming, GeometryEndsAtFiftyEightMillimetres)
{
    EmuGeometry cd = EmuGeometry::ForShape(kEmuDiscCd80);
    EXPECT_NEAR(25.0, cd.RadiusAt(0), 1e-9);
    EXPECT_NEAR(58.0, cd.RadiusAt(360000), 1e-9);
    EXPECT_NEAR(0.007608, cd.dK, 1e-6);
    EmuGeometry dual = EmuGeometry::ForShape(kEmuDiscDvdDual);
    EXPECT_NEAR(58.0, dual.RadiusAt(2086912), 1e-9);
    // The second layer runs back towards the hub.
    EXPECT_NEAR(dual.RadiusAt(1000), dual.RadiusAt(2 * 2086912 - 1000), 1e-9);
}

struct LawCase {
    const char* name;
    EmuDiscShape shape;
    EmuSpeedLaw law;
    double dSpeedX;
    double dCapX;
    double dBase;
    int64_t s0, s1;
    double dExpectedSeconds;
};

class SpeedLaw : public ::testing::TestWithParam<LawCase> {};

TEST_P(SpeedLaw, SequentialReadTakesTheClosedFormTime)
{
    const LawCase& c = GetParam();
    EmuDriveTiming timing = Drive(c.shape, c.law, c.dSpeedX, c.dBase);
    timing.speed.dCapX = c.dCapX;
    EmuTimingState state;
    state.nHead = c.s0;
    state.nCacheStart = c.s0;
    state.bSpinning = true;
    double dDoneUs = ReadBackToBack(timing, state, 0.0, c.s0, c.s1, 25);
    EXPECT_NEAR(c.dExpectedSeconds * 1e6, dDoneUs, 1.0) << c.name;
}

const double kK80 = (58.0 * 58.0 - 25.0 * 25.0) / 360000.0;
const double kKDvd = (58.0 * 58.0 - 24.0 * 24.0) / 2295104.0;
// 52X P-CAV capped at 40X: the knee at r = 58 * 40 / 52 mm.
const double kKneeX = ((58.0 * 40.0 / 52.0) * (58.0 * 40.0 / 52.0) - 25.0 * 25.0) / kK80;

const LawCase kLawCases[] = {
    {"CD 16X CLV, 4500 sectors", kEmuDiscCd80, kEmuLawClv, 16, 0, kEmuCdBase, 0, 4500, 4500.0 / (16 * 75.0)},
    {"CD 48X CAV at the hub", kEmuDiscCd80, kEmuLawCav, 48, 0, kEmuCdBase, 0, 4500,
     CavSeconds(25, kK80, 48, 75, 0, 4500)},
    {"CD 48X CAV near the edge", kEmuDiscCd80, kEmuLawCav, 48, 0, kEmuCdBase, 300000, 304500,
     CavSeconds(25, kK80, 48, 75, 300000, 304500)},
    {"CD 48X CAV whole disc", kEmuDiscCd80, kEmuLawCav, 48, 0, kEmuCdBase, 0, 360000,
     CavSeconds(25, kK80, 48, 75, 0, 360000)},
    {"DVD 16X CAV", kEmuDiscDvdSingle, kEmuLawCav, 16, 0, kEmuDvdBase, 1000000, 1004500,
     CavSeconds(24, kKDvd, 16, kEmuDvdBase, 1000000, 1004500)},
    {"CD 52X P-CAV across the 40X knee", kEmuDiscCd80, kEmuLawPcav, 52, 40, kEmuCdBase, 100000, 200000,
     CavSeconds(25, kK80, 52, 75, 100000, kKneeX) + (200000 - kKneeX) / (40 * 75.0)},
    {"CD 52X P-CAV below the knee is CAV", kEmuDiscCd80, kEmuLawPcav, 52, 40, kEmuCdBase, 0, 4500,
     CavSeconds(25, kK80, 52, 75, 0, 4500)},
};

INSTANTIATE_TEST_SUITE_P(Engine, SpeedLaw, ::testing::ValuesIn(kLawCases));

TEST(EmuTiming, CavStartsAtTheHubSpeed)
{
    // 48X CAV on a CD passes the hub at 48 * 25 / 58 = 20.7X.
    EmuDriveTiming timing = Drive(kEmuDiscCd80, kEmuLawCav, 48, kEmuCdBase);
    EXPECT_NEAR(48.0 * 25.0 / 58.0 * 75.0, timing.speed.RateAt(timing.geometry, 0), 1e-9);
    EXPECT_NEAR(48.0 * 75.0, timing.speed.RateAt(timing.geometry, 360000), 1e-9);
}

TEST(EmuTiming, DualLayerSecondLayerMirrorsTheFirst)
{
    EmuDriveTiming timing = Drive(kEmuDiscDvdDual, kEmuLawCav, 8, kEmuDvdBase);
    const int64_t nL0 = 2086912;
    double dLast = timing.speed.MediaSeconds(timing.geometry, nL0 - 4500, nL0);
    double dFirst = timing.speed.MediaSeconds(timing.geometry, nL0, nL0 + 4500);
    EXPECT_NEAR(dLast, dFirst, 1e-12);
    // A read across the layer break is the sum of both sides.
    EXPECT_NEAR(dLast + dFirst, timing.speed.MediaSeconds(timing.geometry, nL0 - 4500, nL0 + 4500), 1e-12);
    // Speed falls back towards the hub on layer 1.
    EXPECT_GT(timing.speed.RateAt(timing.geometry, nL0 + 10), timing.speed.RateAt(timing.geometry, 2 * nL0 - 10));
}

TEST(EmuTiming, ZonesAddTheirChangeTime)
{
    EmuDriveTiming timing = Drive(kEmuDiscDvdSingle, kEmuLawZclv, 8, kEmuDvdBase);
    timing.speed.zones = {{0, 4.0}, {10000, 8.0}};
    timing.speed.dZoneChangeUs = 150000;
    double dExpected = 5000.0 / (4 * kEmuDvdBase) + 5000.0 / (8 * kEmuDvdBase) + 0.15;
    EXPECT_NEAR(dExpected, timing.speed.MediaSeconds(timing.geometry, 5000, 15000), 1e-9);
    EXPECT_NEAR(5000.0 / (8 * kEmuDvdBase), timing.speed.MediaSeconds(timing.geometry, 20000, 25000), 1e-9);
}

TEST(EmuTiming, JumpCostsASeekThatGrowsWithTheSquareRootOfTheDistance)
{
    EmuDriveTiming timing = Drive(kEmuDiscCd80, kEmuLawClv, 10, kEmuCdBase);
    timing.dSeekMinUs = 20000;
    timing.dSeekFullUs = 150000;
    EXPECT_DOUBLE_EQ(0.0, timing.SeekUs(0));
    EXPECT_DOUBLE_EQ(150000.0, timing.SeekUs(360000));
    EXPECT_DOUBLE_EQ(20000.0 + 130000.0 * 0.5, timing.SeekUs(90000));
    EmuTimingState state;
    state.bSpinning = true;
    double dDone = EmuTimeRead(timing, state, 0.0, 90000, 25, 51200);
    EXPECT_NEAR(85000.0 + 25.0 / 750.0 * 1e6, dDone, 1e-6);
    // The next command follows on without a seek.
    EXPECT_NEAR(dDone + 25.0 / 750.0 * 1e6, EmuTimeRead(timing, state, dDone, 90025, 25, 51200), 1e-6);
}

TEST(EmuTiming, ReadAheadServesWhatTheHeadPassedWhileTheHostWasAway)
{
    EmuDriveTiming timing = Drive(kEmuDiscCd80, kEmuLawClv, 10, kEmuCdBase); // 750 sectors per second
    timing.nCacheSectors = 100;
    EmuTimingState state;
    state.bSpinning = true;
    double t = EmuTimeRead(timing, state, 0.0, 0, 25, 0); // 33.3 ms
    // The host comes back after 100 ms: the head has read 75 sectors ahead, so 50 of the next command's are there.
    double dBack = t + 100000.0;
    double dDone = EmuTimeRead(timing, state, dBack, 25, 25, 0);
    EXPECT_NEAR(dBack, dDone, 1e-6);
    // After a long absence the cache is full (100 sectors beyond what the host took) and the head waited there:
    // of 150 sectors asked for, the last 50 are read from then on.
    double dLater = dDone + 10e6;
    dDone = EmuTimeRead(timing, state, dLater, 50, 150, 0);
    EXPECT_NEAR(dLater + 50.0 / 750.0 * 1e6, dDone, 1e-6);
}

TEST(EmuTiming, TheInterfaceLimitsASlowConnection)
{
    EmuDriveTiming timing = Drive(kEmuDiscCd80, kEmuLawNone, 0, kEmuCdBase);
    timing.dInterfaceBytesPerSec = 1000000.0; // USB 1.1
    timing.dCommandUs = 1000;
    EmuTimingState state;
    state.bSpinning = true;
    EXPECT_NEAR(1000.0 + 51200.0, EmuTimeRead(timing, state, 0.0, 0, 25, 51200), 1e-6);
}

TEST(EmuTiming, SpinUpDelaysTheFirstReadOnly)
{
    EmuDriveTiming timing = Drive(kEmuDiscCd80, kEmuLawClv, 10, kEmuCdBase);
    timing.dSpinUpUs = 2e6;
    EmuTimingState state;
    double dFirst = EmuTimeRead(timing, state, 0.0, 0, 75, 0);
    EXPECT_NEAR(2e6 + 0.1e6, dFirst, 1e-6);
    EXPECT_NEAR(dFirst + 0.1e6, EmuTimeRead(timing, state, dFirst, 75, 75, 0), 1e-6);
}

// The machine: READ(10) commands on a drive with a preset advance the virtual clock by exactly what the engine
// predicts; a drive without the engine keeps its fixed delay.
class MachineTiming : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pMachine = EmuGetMachine();
        m_pMachine->Reset();
        m_nDrive = m_pMachine->AddDrive("KORVATH", "KVR-D1600", "1.00");
    }

    EmuScsiResult Read10(uint32_t nLba, uint16_t nCount)
    {
        uint8_t cdb[10] = {0x28,          0, uint8_t(nLba >> 24),  uint8_t(nLba >> 16), uint8_t(nLba >> 8),
                           uint8_t(nLba), 0, uint8_t(nCount >> 8), uint8_t(nCount),     0};
        m_buffer.assign(size_t(nCount) * 2048, 0);
        return EmuLetterCommand(m_nDrive, cdb, 10, kEmuDirIn, m_buffer.data(), uint32_t(m_buffer.size()));
    }

    IEmuMachine* m_pMachine = nullptr;
    int m_nDrive = -1;
    std::vector<uint8_t> m_buffer;
};

TEST_F(MachineTiming, DvdCavPresetMovesTheVirtualClockByThePredictedTime)
{
    EmuApplyTimingPreset(m_pMachine, m_nDrive, kEmuPresetDvdRom16Cav);
    EmuDriveTiming timing = EmuTimingFromKeys(m_pMachine, m_nDrive);
    EmuTimingState predicted;
    uint64_t nStart = m_pMachine->GetTimeUs();
    double dPredicted = 0;
    for (uint32_t lba = 500000; lba < 500000 + 4500; lba += 25) {
        uint64_t nArrival = m_pMachine->GetTimeUs();
        ASSERT_EQ(kEmuStatusGood, Read10(lba, 25).nStatus);
        dPredicted = EmuTimeRead(timing, predicted, double(nArrival), lba, 25, 25 * 2048);
        ASSERT_EQ(uint64_t(std::llround(dPredicted)), m_pMachine->GetTimeUs()) << "lba " << lba;
    }
    // Roughly what a 16X CAV drive reads at that radius: between 6.6X and 16X.
    double dSeconds = double(m_pMachine->GetTimeUs() - nStart) / 1e6;
    double dSpeedX = 4500.0 / dSeconds / kEmuDvdBase;
    EXPECT_GT(dSpeedX, 6.6);
    EXPECT_LT(dSpeedX, 16.0);
}

TEST_F(MachineTiming, WithoutTheEngineOnlyTheFixedDelayCounts)
{
    m_pMachine->SetInt(m_nDrive, EMU_KEY_DELAY_US, 300);
    uint64_t nStart = m_pMachine->GetTimeUs();
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(kEmuStatusGood, Read10(uint32_t(i) * 25, 25).nStatus);
    EXPECT_EQ(3000u, m_pMachine->GetTimeUs() - nStart);
}

TEST_F(MachineTiming, AFailedReadTakesOnlyTheCommandOverhead)
{
    EmuApplyTimingPreset(m_pMachine, m_nDrive, kEmuPresetCdRom48Cav);
    uint64_t nStart = m_pMachine->GetTimeUs();
    EXPECT_EQ(kEmuStatusCheckCondition, Read10(359990, 25).nStatus); // past the end
    EXPECT_EQ(200u, m_pMachine->GetTimeUs() - nStart);
}

} // namespace

namespace {

// The read speed the host selects caps the law: SET STREAMING at 8X halves a 16X CLV drive; SET CD SPEED at 24X
// makes a 48X CAV drive P-CAV at 24X.
TEST_F(MachineTiming, TheSelectedReadSpeedCapsTheLaw)
{
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_LAW, kEmuLawClv);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_DISC, kEmuDiscDvdSingle);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_DVD, 1);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_SPEED, 1600);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_BLOCKS, 2295104);
    m_pMachine->SetInt(m_nDrive, "speed.dvdCurrentRead", 8 * 1385);
    uint64_t nStart = m_pMachine->GetTimeUs();
    for (uint32_t lba = 0; lba < 4500; lba += 25)
        ASSERT_EQ(kEmuStatusGood, Read10(lba, 25).nStatus);
    EXPECT_NEAR(4500.0 / (8 * kEmuDvdBase) * 1e6, double(m_pMachine->GetTimeUs() - nStart), 1.0);

    EmuDriveTiming cd = Drive(kEmuDiscCd80, kEmuLawCav, 48, kEmuCdBase);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_LAW, kEmuLawCav);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_DISC, kEmuDiscCd80);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_DVD, 0);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_SPEED, 4800);
    std::vector<uint8_t> page(20, 0);
    page[0] = 0x2A;
    page[1] = 18;
    page[14] = uint8_t((24 * 176) >> 8);
    page[15] = uint8_t(24 * 176);
    m_pMachine->SetBytes(m_nDrive, "mode.page.2A", page.data(), uint32_t(page.size()));
    EmuDriveTiming capped = EmuTimingFromKeys(m_pMachine, m_nDrive);
    EXPECT_EQ(kEmuLawPcav, capped.speed.law);
    EXPECT_DOUBLE_EQ(24.0, capped.speed.dCapX);
    // Near the edge the disc passes at 24X, at the hub at the CAV speed (48 * 25 / 58 = 20.7X).
    EXPECT_NEAR(24 * 75.0, capped.speed.RateAt(capped.geometry, 350000), 1e-9);
    EXPECT_NEAR(cd.speed.RateAt(cd.geometry, 0), capped.speed.RateAt(capped.geometry, 0), 1e-9);
}

} // namespace
