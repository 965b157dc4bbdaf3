// tests/transfer/PageRunFixture.cpp
#include "PageRunFixture.h"

#include "EmuDescription.h"
#include "framework/Clock.h"
#include "framework/Handles.h"

#include <algorithm>
#include <cstring>

using guitest::Click;
using guitest::HookSession;
using guitest::PumpUntil;

int32_t WriteLba(const EmuLogEntry& e)
{
    return int32_t((uint32_t(e.cdb[2]) << 24) | (uint32_t(e.cdb[3]) << 16) | (uint32_t(e.cdb[4]) << 8) | e.cdb[5]);
}

void PageRunFixture::SetUp()
{
    m_pMachine = EmuGetAspiMachine();
    ASSERT_NE(nullptr, m_pMachine) << "the test ASPI library is not beside the program";
    m_pMachine->Reset();
    std::string error;
    const std::string strMachine = "adapter 0\ndrive " + DriveProfile() + " aspi 0:0 letter F\n" + DriveStatements();
    ASSERT_TRUE(EmuParseDescription(strMachine, m_pMachine, m_description, error)) << error;
    m_nDrive = m_description.drives[0].nDrive;
    PrepareDrive();
    EmuWriteWin9xRegistry(m_description);

    m_pSession.reset(new HookSession);
    g_pDriveManager = &m_manager;
    ASSERT_NE(0, m_manager.InitAspi());
    EmuInstallClock(m_pMachine);

    RECT rc = {0, 0, 660, 560};
    ASSERT_TRUE(m_window.CreateEx(0, nullptr, "Test window", WS_OVERLAPPEDWINDOW, rc, nullptr, 0));
    m_settings.testEveryWrite = kSampleIndex1125;
    m_settings.simulate = 0;
    m_pTestPage.reset(MakePage(&m_window));
    m_pTestPage->SetSharedState(m_runState, &m_nPref, &m_settings);
    ASSERT_TRUE(m_pTestPage->Create(m_pTestPage->Traits().nIDTemplate, &m_window));
    m_pTestPage->m_currentDrive = m_manager.GetDriveByLetter(kLetterF);
    ASSERT_EQ(kLetterF, m_pTestPage->m_currentDrive.m_nDriveLetter);
}

void PageRunFixture::SetProduct(const char* pszProduct16)
{
    uint8_t inquiry[96] = {uint8_t(m_pMachine->GetInt(m_nDrive, EMU_KEY_PERIPHERAL, 5)), 0x80, 0x00, 0x02, 96 - 5, 0, 0,
                           uint8_t(m_pMachine->GetInt(m_nDrive, EMU_KEY_INQUIRY_B7, 0))};
    std::memset(inquiry + 8, ' ', 28);
    EmuDescribedDrive& drive = m_description.drives[0];
    std::memcpy(inquiry + 8, drive.strVendor.data(), std::min<size_t>(drive.strVendor.size(), 8));
    std::memcpy(inquiry + 16, pszProduct16, 16);
    std::memcpy(inquiry + 32, "1.00", 4);
    m_pMachine->SetBytes(m_nDrive, EMU_KEY_INQUIRY, inquiry, sizeof(inquiry));
    drive.strProduct = pszProduct16;
}

void PageRunFixture::TearDown()
{
    if (m_pTestPage) {
        PumpUntil([&] { return !m_pTestPage->IsRunning(); }, 20000);
        m_pTestPage->DestroyWindow();
        m_pTestPage.reset();
    }
    EmuRemoveClock();
    m_manager.Close();
    g_pDriveManager = nullptr;
    if (m_window.m_hWnd != nullptr)
        m_window.DestroyWindow();
    m_pSession.reset();
    if (m_pMachine != nullptr)
        m_pMachine->Reset();
}

void PageRunFixture::StartAndWait(bool bErase)
{
    m_pMachine->ClearLog();
    m_pSession->ClearMessageBoxes();
    ASSERT_TRUE(Click(m_pTestPage->m_hWnd, int(m_pTestPage->Traits().nStartId)));
    ASSERT_TRUE(
        PumpUntil([&] { return !m_pTestPage->IsRunning() && !(bErase && m_pTestPage->IsErasePending()); }, 30000));
}

namespace {

// A run held at an address: once the run has reached it, the worker's next performance-counter reading waits until
// the test has pressed Stop. Without the hold a busy machine may let the worker write to the end of the disc before
// the test thread sees the address, and the run would end without the stop it is meant to show.
struct RunHold {
    const ClockHooks* pClock = nullptr; // the virtual clock the hold passes the reading on to
    const CTestRunState* pRunState = nullptr;
    long nLba = 0;
    DWORD nTestThread = 0;
    CHandleOwner held;    // set while the worker waits
    CHandleOwner release; // set once Stop was pressed
};
RunHold g_hold;

BOOL HeldPerformanceCounter(LARGE_INTEGER* pCount)
{
    if (GetCurrentThreadId() != g_hold.nTestThread && g_hold.pRunState->CurrentAddress() >= g_hold.nLba) {
        SetEvent(g_hold.held.get());
        WaitForSingleObject(g_hold.release.get(), 60000);
    }
    if (g_hold.pClock != nullptr && g_hold.pClock->pfnQueryPerformanceCounter != nullptr)
        return g_hold.pClock->pfnQueryPerformanceCounter(pCount);
    return QueryPerformanceCounter(pCount);
}

} // namespace

void PageRunFixture::StartAndStopAt(long nLba)
{
    CTestPageDlg& page = *m_pTestPage;
    m_pMachine->ClearLog();
    g_hold.held.Attach(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    g_hold.release.Attach(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    g_hold.pRunState = &page.RunState();
    g_hold.nLba = nLba;
    g_hold.nTestThread = GetCurrentThreadId();
    g_hold.pClock = SetClockHooks(nullptr);
    ClockHooks holding = g_hold.pClock != nullptr ? *g_hold.pClock : ClockHooks{};
    holding.pfnQueryPerformanceCounter = HeldPerformanceCounter;
    SetClockHooks(&holding);
    struct Restore {
        ~Restore()
        {
            SetEvent(g_hold.release.get());
            SetClockHooks(g_hold.pClock);
        }
    } restore;

    ASSERT_TRUE(Click(page.m_hWnd, int(page.Traits().nStartId)));
    const auto held = [] { return WaitForSingleObject(g_hold.held.get(), 0) == WAIT_OBJECT_0; };
    ASSERT_TRUE(PumpUntil([&] { return held() || !page.IsRunning(); }));
    ASSERT_TRUE(page.IsRunning());
    ASSERT_TRUE(Click(page.m_hWnd, int(page.Traits().nStartId)));
    SetEvent(g_hold.release.get());
    ASSERT_TRUE(PumpUntil([&] { return !page.IsRunning(); }, 20000));
}

void PageRunFixture::ShowPage()
{
    m_window.ShowWindow(SW_SHOW);
    m_pTestPage->ShowWindow(SW_SHOW);
}

std::vector<std::string> PageRunFixture::SpeedItems()
{
    const std::vector<CString> items = guitest::ComboItems(m_pTestPage->m_hWnd, int(m_pTestPage->Traits().nSpeedId));
    return std::vector<std::string>(items.begin(), items.end());
}

void PageRunFixture::ChooseSpeed(int nIndex)
{
    guitest::SelectComboItem(m_pTestPage->m_hWnd, int(m_pTestPage->Traits().nSpeedId), nIndex);
}

void PageRunFixture::SetCapabilitiesSpeed(uint32_t nOffset, uint16_t nKbps)
{
    std::vector<uint8_t> page(256);
    page.resize(m_pMachine->GetBytes(m_nDrive, "mode.page.2A", page.data(), uint32_t(page.size())));
    ASSERT_LT(size_t(nOffset + 1), page.size());
    page[nOffset] = uint8_t(nKbps >> 8);
    page[nOffset + 1] = uint8_t(nKbps);
    m_pMachine->SetBytes(m_nDrive, "mode.page.2A", page.data(), uint32_t(page.size()));
}

std::vector<EmuLogEntry> PageRunFixture::CommandsOf(std::initializer_list<uint8_t> ops)
{
    std::vector<EmuLogEntry> commands;
    for (const EmuLogEntry& e : Log())
        if (std::find(ops.begin(), ops.end(), e.cdb[0]) != ops.end())
            commands.push_back(e);
    return commands;
}

std::vector<int64_t> PageRunFixture::TimelineMs(int nSamples, int nBlocks, int nBlockSectors, int nFirstTimedBlock,
                                                uint8_t op)
{
    const std::vector<EmuLogEntry> log = Log();
    std::vector<int64_t> stretches;
    for (int s = 0; s < nSamples; ++s) {
        const int32_t nFirstTimedLba = (s * nBlocks + nFirstTimedBlock) * nBlockSectors;
        const int32_t nLastLba = (s * nBlocks + nBlocks - 1) * nBlockSectors;
        uint64_t tStart = 0, tEnd = 0;
        for (size_t i = 0; i + 1 < log.size(); ++i) {
            if (log[i].cdb[0] == op && WriteLba(log[i]) == nFirstTimedLba)
                tStart = log[i].nTimeUs;
            if (log[i].cdb[0] == op && WriteLba(log[i]) == nLastLba)
                tEnd = log[i + 1].nTimeUs;
        }
        stretches.push_back(std::max<int64_t>(1, int64_t((tEnd - tStart) / 1000)));
    }
    return stretches;
}
