// tests/transfer/ReadTestTest.cpp
// The DVD and CD read tests end to end on their pages against the emulated drive's timing engine and virtual
// clock: the disc check, the spin-up, the timed samples across the disc (each equal to the speed computed from the
// drive's speed law with the tests' millisecond arithmetic), the read command chosen by disc and model with the
// vendor read's fallback, the markers, and the ends of a run: Stop pressed once and twice, a read error and a disc
// taken out in the middle, each keeping the samples taken so far.
#include "EmuMachine.h" // first of the emulator's headers: it includes windows.h before the machine interface
#include "EmuDescription.h"
#include "EmuTiming.h"
#include "drive/DriveManager.h"
#include "gui/GuiTest.h"
#include "transfer/TestPages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using guitest::Click;
using guitest::HookSession;
using guitest::PumpUntil;

namespace {

// A page that lets the test act when a sample arrives (the worker waits meanwhile).
template <class Base>
class ObservedPage : public Base {
public:
    explicit ObservedPage(CWnd* pTestWindow) : Base(pTestWindow) {}
    std::function<void(int)> onSample;
    int nSamples = 0;
    // The drive's command log up to the last sample (the end of a run asks the drive about the disc afterwards).
    IEmuMachine* pLogMachine = nullptr;
    int nLogAtLastSample = 0;

protected:
    void OnSampleStored(int32_t nValue) override
    {
        Base::OnSampleStored(nValue);
        ++nSamples;
        if (pLogMachine != nullptr)
            nLogAtLastSample = pLogMachine->GetLogCount();
        if (onSample)
            onSample(nSamples);
    }
};

// Hundredths of X of a sample of nLength sectors read at a constant rate: ms truncated, as the worker computes it.
uint32_t Expected(double dSeconds, long nLength, bool bCd)
{
    const double dMs = dSeconds * 1000.0;
    EXPECT_GT(std::fabs(dMs - std::round(dMs)), 0.002) << "the case must not sit on a whole millisecond";
    const int64_t ms = int64_t(std::floor(dMs));
    return uint32_t(int64_t(nLength / 25) * 5000000 / (ms * (bCd ? 150 : 1385)));
}

class ReadRun : public ::testing::Test {
protected:
    void Describe(const std::string& text)
    {
        m_pMachine = EmuGetAspiMachine();
        ASSERT_NE(nullptr, m_pMachine) << "the test ASPI library is not beside the program";
        EmuDescription description;
        std::string error;
        ASSERT_TRUE(EmuParseDescription(text, m_pMachine, description, error)) << error;
        EmuWriteWin9xRegistry(description);
        m_nDrive = description.drives[0].nDrive;
        g_pDriveManager = &m_manager;
        ASSERT_NE(0, m_manager.InitAspi());
        EmuInstallClock(m_pMachine);
        RECT rc = {0, 0, 660, 560};
        ASSERT_TRUE(m_window.CreateEx(0, nullptr, "Test window", WS_OVERLAPPEDWINDOW, rc, nullptr, 0));
    }
    void Clv(int nSpeedX100, bool bDvd)
    {
        m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_LAW, kEmuLawClv);
        m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_DISC, bDvd ? kEmuDiscDvdSingle : kEmuDiscCd80);
        m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_DVD, bDvd ? 1 : 0);
        m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_SPEED, nSpeedX100);
    }
    // The length of a sample and the distance between the starts of two samples, as indexes of the sample-length
    // table (2: 4500 sectors).
    void Sampling(DWORD nLengthIndex, DWORD nSpacingIndex)
    {
        m_settings.sampleLen = nLengthIndex;
        m_settings.testEvery = nSpacingIndex;
    }
    template <class Page>
    void Open(Page& page)
    {
        page.SetSharedState(m_runState, &m_nPref, &m_settings);
        page.pLogMachine = m_pMachine;
        ASSERT_TRUE(page.Create(page.Traits().nIDTemplate, &m_window));
        page.m_currentDrive = m_manager.GetDriveByLetter(5);
        ASSERT_EQ(5, page.m_currentDrive.m_nDriveLetter);
    }
    // Start, and wait until the run has ended.
    void RunToEnd(CTestPageDlg& page)
    {
        m_pMachine->ClearLog();
        ASSERT_TRUE(Click(page.m_hWnd, IDC_TP_START));
        ASSERT_TRUE(PumpUntil([&] { return !page.IsRunning(); }, 60000));
        Sleep(20); // the worker returns right after its last message
    }
    // The read commands of the log (up to entry nLimit): opcode, LBA and CDB byte 9 of each.
    struct Read {
        uint8_t opcode;
        long lba;
        uint8_t b9;
    };
    std::vector<Read> Reads(int nLimit = -1)
    {
        std::vector<Read> reads;
        const int nCount = nLimit >= 0 ? nLimit : m_pMachine->GetLogCount();
        for (int i = 0; i < nCount; ++i) {
            EmuLogEntry entry;
            if (!m_pMachine->GetLogEntry(i, &entry) || entry.nDrive != m_nDrive)
                continue;
            const uint8_t op = entry.cdb[0];
            if (op == 0x28 || op == 0xBE || op == 0xD8)
                reads.push_back({op,
                                 long((entry.cdb[2] << 24) | (entry.cdb[3] << 16) | (entry.cdb[4] << 8) | entry.cdb[5]),
                                 entry.cdb[9]});
        }
        return reads;
    }
    void TearDown() override
    {
        EmuRemoveClock();
        m_manager.Close();
        g_pDriveManager = nullptr;
        m_window.DestroyWindow();
        if (m_pMachine != nullptr)
            m_pMachine->Reset();
    }

    HookSession m_session;
    IEmuMachine* m_pMachine = nullptr;
    int m_nDrive = -1;
    CDriveManager m_manager;
    CWnd m_window;
    TransferRateSettings m_settings;
    CTestRunState m_runState;
    int m_nPref = 0;
};

const char kDvdMachine[] = "adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc dvd-rom 112500\n";

// A 16 X CLV drive, samples of one minute every minute: 25 samples stored at 180 x (i + 1), each the closed form.
TEST_F(ReadRun, DvdContiguousSamplesEqualTheDrivesSpeed)
{
    Describe(kDvdMachine);
    Clv(1600, true);
    Sampling(2, 2);
    ObservedPage<CDvdReadTestDlg> page(&m_window);
    Open(page);
    RunToEnd(page);
    EXPECT_TRUE(m_session.MessageBoxes().empty());
    const uint32_t nExpected = Expected(4500 / (16 * kEmuDvdBase), 4500, false);
    const uint32_t* p = page.Ring().Samples(0);
    int nStored = 0;
    for (int i = 0; i < kDvdSamplesPerRun; ++i)
        if (p[i] != SAMPLE_NONE) {
            ++nStored;
            EXPECT_EQ(0, i % 180) << "index " << i;
            EXPECT_EQ(nExpected, p[i]) << "index " << i;
        }
    EXPECT_EQ(25, nStored);
    EXPECT_EQ(nExpected, p[180 * 25]);
    EXPECT_EQ(CString("Average:"), guitest::Text(page.m_hWnd, IDC_TP_CURRENT_CAPTION));
    EXPECT_EQ(FormatHundredths("%2d.%02dx", int32_t(nExpected)), guitest::Text(page.m_hWnd, IDC_TP_CURRENT_VALUE));
    // After the spin-up, every read is a 25-sector READ(10) and the samples walk the disc in order.
    std::vector<Read> reads = Reads(page.nLogAtLastSample);
    ASSERT_GE(reads.size(), size_t(25 * 180 + 1));
    const size_t nFirst = reads.size() - 25 * 180;
    EXPECT_EQ(0, reads[nFirst - 1].lba) << "the single read at the start";
    for (size_t k = nFirst; k < reads.size(); ++k) {
        ASSERT_EQ(0x28, reads[k].opcode);
        ASSERT_EQ(long(25 * (k - nFirst)), reads[k].lba);
    }
    // The disc check set the marker inputs: disc end in MB, one layer.
    EXPECT_EQ(112500L * 2 / 1024, page.Graph().m_nDvdDiscEndMb);
    EXPECT_EQ(0, page.Graph().m_bDvdDualLayer);
}

// Spacing of two minutes with 30-second samples: 91 reads per sample, the first untimed; sample i at 360 i + 91.
TEST_F(ReadRun, DvdSpacedSamplesTimeAllButTheFirstRead)
{
    Describe(kDvdMachine);
    Clv(1200, true);
    Sampling(3, 1); // 2250 sectors every 9000
    ObservedPage<CDvdReadTestDlg> page(&m_window);
    Open(page);
    RunToEnd(page);
    const uint32_t nExpected = Expected(2250 / (12 * kEmuDvdBase), 2250, false);
    const uint32_t* p = page.Ring().Samples(0);
    for (int i = 0; i < 112500 / 9000; ++i)
        EXPECT_EQ(nExpected, p[360 * i + 91]) << "sample " << i;
    EXPECT_EQ(SAMPLE_NONE, p[360 * 12 + 91]);
}

// A dual-layer DVD-ROM with opposite track path: the layer-0 end comes from bytes 17-19 of the physical format.
// A CAV drive: each sample equals the time the engine's closed form gives for its sectors.
TEST_F(ReadRun, DvdDualLayerMarkersAndCavSamples)
{
    Describe("adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc dvd-rom 90000\n");
    std::vector<uint8_t> physical(2052, 0);
    physical[0] = 0x08;
    physical[1] = 0x02;
    physical[6] = 0x31; // two layers, opposite track path, embossed
    const long nStart = 0x30000, nLayer0End = 0x30000 + 2086912 - 1;
    auto put24 = [&](int at, long v) {
        physical[size_t(at)] = uint8_t(v >> 16);
        physical[size_t(at) + 1] = uint8_t(v >> 8);
        physical[size_t(at) + 2] = uint8_t(v);
    };
    put24(9, nStart);
    put24(13, 0xFCFFFF);
    put24(17, nLayer0End);
    m_pMachine->SetBytes(m_nDrive, "ds.00", physical.data(), uint32_t(physical.size()));
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_LAW, kEmuLawCav);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_DISC, kEmuDiscDvdDual);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_DVD, 1);
    m_pMachine->SetInt(m_nDrive, EMU_KEY_TIMING_SPEED, 800);
    Sampling(2, 2);
    ObservedPage<CDvdReadTestDlg> page(&m_window);
    Open(page);
    RunToEnd(page);
    EXPECT_EQ(1, page.Graph().m_bDvdDualLayer);
    EXPECT_EQ((nLayer0End - nStart) * 2 / 1024, page.Graph().m_nDvdLayer0EndMb);
    EXPECT_EQ(90000L * 2 / 1024, page.Graph().m_nDvdDiscEndMb);
    const EmuDriveTiming timing = EmuTimingFromKeys(m_pMachine, m_nDrive);
    const uint32_t* p = page.Ring().Samples(0);
    for (int i = 0; i < 20; ++i) {
        const double dSeconds = timing.speed.MediaSeconds(timing.geometry, 4500 * i, 4500 * (i + 1));
        const int64_t ms = int64_t(std::floor(dSeconds * 1000.0));
        EXPECT_EQ(uint32_t(180 * 5000000LL / (ms * 1385)), p[180 * (i + 1)]) << "sample " << i;
    }
    EXPECT_LT(p[180], p[180 * 20]) << "CAV: faster further out";
}

// The ends of a run in the middle: Stop once, Stop twice, a read error, the disc taken out. Each keeps the samples
// taken so far; an error names the failing address and the drive's sense.
struct EndCase {
    const char* name;
    int nAtSample;
    enum {
        kStop,
        kStopTwice,
        kReadError,
        kDiscOut
    } action;
    const char* messagePrefix; // null: no message box
};

class ReadRunEnds : public ReadRun, public ::testing::WithParamInterface<EndCase> {};

TEST_P(ReadRunEnds, KeepTheSamplesTaken)
{
    const EndCase& c = GetParam();
    Describe(kDvdMachine);
    Clv(800, true);
    ObservedPage<CDvdReadTestDlg> page(&m_window);
    Open(page);
    CString strButtonAfter;
    page.onSample = [&](int n) {
        if (n != c.nAtSample)
            return;
        switch (c.action) {
        case EndCase::kStop:
            Click(page.m_hWnd, IDC_TP_START);
            strButtonAfter = guitest::Text(page.m_hWnd, IDC_TP_START);
            break;
        case EndCase::kStopTwice:
            Click(page.m_hWnd, IDC_TP_START);
            Click(page.m_hWnd, IDC_TP_START);
            strButtonAfter = guitest::Text(page.m_hWnd, IDC_TP_START);
            break;
        case EndCase::kReadError:
            m_pMachine->QueueSense(m_nDrive, 0x28, 3, 0x11, 0x00, 1);
            break;
        case EndCase::kDiscOut:
            m_pMachine->SetInt(m_nDrive, EMU_KEY_MEDIUM, 0);
            break;
        }
    };
    RunToEnd(page);
    int nStored = 0;
    for (int i = 0; i < kDvdSamplesPerRun; ++i)
        nStored += page.Ring().Samples(0)[i] != SAMPLE_NONE;
    EXPECT_EQ(c.nAtSample, nStored);
    if (c.action == EndCase::kStop) {
        EXPECT_EQ(CString("&Stop"), strButtonAfter) << "the first press waits for the worker";
    }
    if (c.action == EndCase::kStopTwice) {
        EXPECT_EQ(CString("&Start"), strButtonAfter) << "the second press shows Start at once";
    }
    EXPECT_EQ(CString("&Start"), guitest::Text(page.m_hWnd, IDC_TP_START));
    if (c.messagePrefix == nullptr) {
        EXPECT_TRUE(m_session.MessageBoxes().empty());
    } else {
        ASSERT_EQ(1u, m_session.MessageBoxes().size());
        const guitest::MessageBoxRecord& box = m_session.MessageBoxes()[0];
        EXPECT_EQ(CString("Ready"), box.caption);
        EXPECT_EQ(0, std::string(box.text).find(c.messagePrefix)) << box.text;
        EXPECT_EQ(UINT(MB_ICONERROR), box.type & MB_ICONERROR);
    }
    EXPECT_FALSE(m_runState.IsRunning());
}

const EndCase kEndCases[] = {
    {"StopOnce", 3, EndCase::kStop, nullptr},
    {"StopTwice", 2, EndCase::kStopTwice, nullptr},
    {"ReadError", 2, EndCase::kReadError, "Read error at 9000\r\n"},
    {"DiscOut", 4, EndCase::kDiscOut, "Read error at 18000\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Dvd, ReadRunEnds, ::testing::ValuesIn(kEndCases),
                         [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

// A CD read error names the failing address as minutes, seconds and frames. Samples of 4500 sectors every 1125 run
// past the end of a disc of 4535 sectors: the second sample's read at sector 4525 (01:00.25) is refused.
TEST_F(ReadRun, CdReadErrorNamesTheAddressInMinutesSecondsAndFrames)
{
    Describe("adapter 0\ndrive \"KORVATH \" \"CD-R   QZ5280U\" \"1.00\" aspi 0:0 letter F\nset vendor 1\n"
             "disc cd 4535\n");
    Clv(5200, false);
    Sampling(2, 4); // 4500 sectors every 1125
    ObservedPage<CCdReadTestDlg> page(&m_window);
    Open(page);
    RunToEnd(page);
    EXPECT_EQ(1, page.nSamples);
    ASSERT_EQ(1u, m_session.MessageBoxes().size());
    const guitest::MessageBoxRecord& box = m_session.MessageBoxes()[0];
    EXPECT_EQ(CString("Ready"), box.caption);
    const std::string text(box.text);
    EXPECT_EQ(0u, text.find("Read error at 01:00.25\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("(code 052100)", 24)) << text;
    EXPECT_EQ(CString("Current:"), guitest::Text(page.m_hWnd, IDC_TP_CURRENT_CAPTION));
}

// No disc: the check fails, the message names it, and no run slot is taken.
TEST_F(ReadRun, DvdWithoutDiscSaysSoAndTakesNoSlot)
{
    Describe("adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc none\n");
    ObservedPage<CDvdReadTestDlg> page(&m_window);
    Open(page);
    ASSERT_TRUE(Click(page.m_hWnd, IDC_TP_START));
    ASSERT_EQ(1u, m_session.MessageBoxes().size());
    EXPECT_EQ(CString("Error reading disc information"), m_session.MessageBoxes()[0].text);
    EXPECT_EQ(CString("Read Transfer Rate Test"), m_session.MessageBoxes()[0].caption);
    EXPECT_FALSE(page.IsRunning());
    EXPECT_EQ(-1, page.Ring().GetCurrentRun());
}

// CD read: the command by disc and model, at 52 X CLV; every sample of a minute equals the closed form against
// 75 sectors per second.
struct CdCase {
    const char* name;
    const char* product;
    bool bAudio;
    bool bVendorFails; // the first vendor read fails (the run falls back to READ CD)
    bool bUsb;
    uint8_t opcode;   // the command of the samples
    uint8_t b9;       // its byte 9 (READ CD)
    int nVendorReads; // vendor reads in the whole run
};

class CdReadRun : public ReadRun, public ::testing::WithParamInterface<CdCase> {};

std::vector<uint8_t> AudioToc(long nBlocks)
{
    std::vector<uint8_t> toc(4 + 2 * 8, 0);
    toc[1] = uint8_t(toc.size() - 2);
    toc[2] = 1;
    toc[3] = 1;
    toc[4 + 1] = 0x10; // ADR 1, CONTROL 0: audio
    toc[4 + 2] = 1;
    toc[12 + 1] = 0x10;
    toc[12 + 2] = 0xAA;
    toc[12 + 4] = uint8_t(nBlocks >> 24);
    toc[12 + 5] = uint8_t(nBlocks >> 16);
    toc[12 + 6] = uint8_t(nBlocks >> 8);
    toc[12 + 7] = uint8_t(nBlocks);
    return toc;
}

TEST_P(CdReadRun, CommandAndSamples)
{
    const CdCase& c = GetParam();
    const long nBlocks = 90000;
    Describe(std::string("adapter 0\ndrive \"KORVATH \" \"") + c.product + "\" \"1.00\" aspi 0:0 letter F" +
             (c.bUsb ? " usb" : "") + "\nset vendor 1\ndisc cd 90000\n");
    if (c.bAudio) {
        const std::vector<uint8_t> toc = AudioToc(nBlocks);
        m_pMachine->SetBytes(m_nDrive, "toc.0", toc.data(), uint32_t(toc.size()));
    }
    if (c.bVendorFails)
        m_pMachine->QueueSense(m_nDrive, 0xD8, 5, 0x24, 0x00, 1);
    Clv(5200, false);
    ObservedPage<CCdReadTestDlg> page(&m_window);
    Open(page);
    RunToEnd(page);
    EXPECT_TRUE(m_session.MessageBoxes().empty());
    EXPECT_EQ(c.bAudio ? 1 : 0, page.Run().nAudio);

    const uint32_t nExpected = Expected(4500 / (52 * kEmuCdBase), 4500, true);
    const uint32_t* p = page.Ring().Samples(0);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(nExpected, p[180 * (i + 1)]) << "sample " << i;
    EXPECT_EQ(SAMPLE_NONE, p[180 * 21]);

    std::vector<Read> reads = Reads(page.nLogAtLastSample);
    ASSERT_GE(reads.size(), size_t(20 * 180));
    int nVendor = 0;
    for (const Read& r : reads)
        nVendor += r.opcode == 0xD8;
    if (c.nVendorReads >= 0) {
        EXPECT_EQ(c.nVendorReads, nVendor);
    }
    for (size_t k = reads.size() - 20 * 180; k < reads.size(); ++k) {
        ASSERT_EQ(c.opcode, reads[k].opcode) << "read " << k;
        if (c.opcode == 0xBE) {
            ASSERT_EQ(c.b9, reads[k].b9);
        }
    }
    // The marker at the end of the tested area: (20 - 1) x 4500 + 4500.
    EXPECT_EQ(1, page.Graph().m_bCdStarted);
    EXPECT_EQ(20, page.Graph().m_nCdSampleCount);
}

const CdCase kCdCases[] = {
    // A data CD: READ(10) on a model with the vendor read, whole raw sectors with READ CD on one without.
    {"DataVendorModel", "CD-R   QZ5280U", false, false, false, 0x28, 0, 0},
    {"DataOtherModel", "CD-R   QZ3480", false, false, false, 0xBE, 0xF8, 0},
    // An audio CD: the vendor read throughout; after its first read fails, READ CD user data (the read after the
    // spin-up still takes the vendor read).
    {"AudioVendorModel", "CD-R   QZ5280U", true, false, false, 0xD8, 0, -1},
    {"AudioVendorFallback", "CD-R   QZ5280U", true, true, false, 0xBE, 0x10, 2},
    {"AudioOtherModel", "CD-R   QZ3480", true, false, false, 0xBE, 0x10, 0},
    // A listed model behind USB under Windows 98 does not take the vendor read; another one does.
    {"AudioListedModelOnUsb", "CD-R   QZ5240U", true, false, true, 0xBE, 0x10, 0},
    {"AudioOtherModelOnUsb", "CD-R   QZ5280U", true, false, true, 0xD8, 0, -1},
};

INSTANTIATE_TEST_SUITE_P(Cd, CdReadRun, ::testing::ValuesIn(kCdCases),
                         [](const ::testing::TestParamInfo<CdCase>& info) { return std::string(info.param.name); });

} // namespace

namespace {

// The CD read page fills its speed list anew whenever it is shown or hidden: the list never holds its speeds twice,
// and its last entry sets that speed.
TEST_F(ReadRun, CdSpeedListIsFilledAnewOnEveryShowAndHide)
{
    Describe("adapter 0\ndrive scsi-cdrom aspi 0:0 letter F\ndisc cd 90000\n");
    ObservedPage<CCdReadTestDlg> page(&m_window);
    Open(page);
    const auto items = [&] { return guitest::ComboItems(page.m_hWnd, IDC_TP_SPEED); };
    page.ShowWindow(SW_SHOW);
    const std::vector<CString> first = items();
    std::string strList;
    for (const CString& item : first)
        strList += item + "|";
    ASSERT_GE(first.size(), 2u) << strList;
    for (int i = 0; i < 3; ++i) {
        page.ShowWindow(SW_HIDE);
        page.ShowWindow(SW_SHOW);
    }
    ASSERT_EQ(first, items());

    // The last entry, chosen, becomes the drive's speed.
    guitest::SelectComboItem(page.m_hWnd, IDC_TP_SPEED, int(first.size() - 1));
    char szSpeed[64] = {};
    EXPECT_EQ(first.back(), CString(m_manager.GetReadSpeedDisplayText(page.m_currentDrive, 0, szSpeed)));
}

// The read-speed list stays usable during a run: a lower speed chosen after the second sample (SET STREAMING)
// gives the following samples that speed.
TEST_F(ReadRun, DvdSpeedChosenDuringTheRunTakesEffect)
{
    Describe(kDvdMachine);
    Clv(1600, true);
    // The drive reads at 4, 8 and 16 X (start and end performance in KB/s).
    std::vector<uint8_t> speeds;
    for (uint32_t x : {4u, 8u, 16u})
        for (int k = 0; k < 2; ++k)
            for (int b = 3; b >= 0; --b)
                speeds.push_back(uint8_t((x * 1385) >> (8 * b)));
    m_pMachine->SetBytes(m_nDrive, "speed.dvdRead", speeds.data(), uint32_t(speeds.size()));
    ObservedPage<CDvdReadTestDlg> page(&m_window);
    Open(page);
    page.ShowWindow(SW_SHOW);
    const std::vector<CString> items = guitest::ComboItems(page.m_hWnd, IDC_TP_SPEED);
    int nEightX = -1;
    std::string strList;
    for (int i = 0; i < int(items.size()); ++i) {
        if (std::atoi(items[i]) == 8)
            nEightX = i;
        strList += items[i] + "|";
    }
    ASSERT_GE(nEightX, 0) << "the list offers 8 X: " << strList;
    page.onSample = [&](int n) {
        if (n == 2)
            guitest::SelectComboItem(page.m_hWnd, IDC_TP_SPEED, nEightX);
    };
    RunToEnd(page);
    const uint32_t n16 = Expected(4500 / (16 * kEmuDvdBase), 4500, false);
    const uint32_t n8 = Expected(4500 / (8 * kEmuDvdBase), 4500, false);
    const uint32_t* p = page.Ring().Samples(0);
    EXPECT_EQ(n16, p[180]);
    EXPECT_EQ(n16, p[360]);
    for (int i = 3; i <= 25; ++i)
        EXPECT_EQ(n8, p[180 * i]) << "sample " << i;
}

} // namespace

namespace {

// Discs the run store or the spin-up would not cope with: a short audio CD (the spin-up goes round to the start
// instead of reading past the end; no sample fits), and a disc larger than the CD page's 30,000 entries (the run
// ends normally at the last sample that fits).
struct EdgeDisc {
    const char* name;
    long nBlocks;
    int nSamples;
};

class CdEdgeDisc : public ReadRun, public ::testing::WithParamInterface<EdgeDisc> {};

TEST_P(CdEdgeDisc, EndsNormally)
{
    const EdgeDisc& c = GetParam();
    Describe("adapter 0\ndrive plain-dvd-rom aspi 0:0 letter F\ndisc cd " + std::to_string(c.nBlocks) + "\n");
    Clv(5200, false);
    ObservedPage<CCdReadTestDlg> page(&m_window);
    Open(page);
    RunToEnd(page);
    EXPECT_TRUE(m_session.MessageBoxes().empty());
    EXPECT_EQ(c.nSamples, page.nSamples);
    EXPECT_EQ(CString("Average:"), guitest::Text(page.m_hWnd, IDC_TP_CURRENT_CAPTION));
    for (const Read& r : Reads())
        ASSERT_LT(r.lba, c.nBlocks) << "no read past the end of the disc";
}

const EdgeDisc kEdgeDiscs[] = {
    {"ThreeMinutes", 13500, 3},
    {"ShorterThanOneSample", 3000, 0},
    {"BeyondTheRunStore", 800000, 30000 * 25 / 4500},
};

INSTANTIATE_TEST_SUITE_P(Cd, CdEdgeDisc, ::testing::ValuesIn(kEdgeDiscs),
                         [](const ::testing::TestParamInfo<EdgeDisc>& info) { return std::string(info.param.name); });

} // namespace
