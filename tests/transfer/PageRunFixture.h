// tests/transfer/PageRunFixture.h
// The fixture of a page's runs against the emulated drive on the virtual clock: the test ASPI library's machine with
// one drive at F:, the drive manager on it, the virtual clock, a test window with the page under test, and the
// readers of the command log that the runs share.
#ifndef TAVISK_TESTS_TRANSFER_PAGERUNFIXTURE_H
#define TAVISK_TESTS_TRANSFER_PAGERUNFIXTURE_H

#include "EmuMachine.h" // first of the emulator's headers: it includes windows.h before the machine interface
#include "EmuDescription.h"
#include "drive/DriveManager.h"
#include "gui/GuiTest.h"
#include "support/EmuLog.h"
#include "transfer/TestPages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// The address in bytes 2 to 5 of a WRITE(10) or WRITE(12).
int32_t WriteLba(const EmuLogEntry& e);

class PageRunFixture : public ::testing::Test {
protected:
    static constexpr int kLetterF = 5;
    // The page's sample length: 1125 sectors, 45 blocks of 25 sectors.
    static constexpr int kSampleIndex1125 = 4;

    // The drive's profile in the machine description, and the statements after it (a disc), if any.
    virtual std::string DriveProfile() const = 0;
    virtual std::string DriveStatements() const { return std::string(); }
    // The disc and the drive's settings, put in place before the drive manager looks at the drive.
    virtual void PrepareDrive() {}
    // From PrepareDrive: the drive answers INQUIRY with another product identification (16 characters), and the
    // system knows it by that.
    void SetProduct(const char* pszProduct16);
    // The page under test, not created yet (the fixture owns it).
    virtual CTestPageDlg* MakePage(CWnd* pWindow) = 0;

    void SetUp() override;
    void TearDown() override;

    // Presses Start and waits until the page is idle again; with bErase, also until no erase is pending.
    void StartAndWait(bool bErase);
    // Presses Start, presses it again (Stop) once the run has written up to nLba, and waits until the page is idle.
    void StartAndStopAt(long nLba);

    // The page's speed list: the page shown (which fills the list), its items, and an item chosen as the user does.
    void ShowPage();
    std::vector<std::string> SpeedItems();
    void ChooseSpeed(int nIndex);
    // A 16-bit speed (KB/s) in the drive's capabilities page 0x2A, at page offset nOffset.
    void SetCapabilitiesSpeed(uint32_t nOffset, uint16_t nKbps);

    std::vector<EmuLogEntry> Log() { return ScsiLogEntries(m_pMachine); }
    // The commands of the log with one of these operation codes, in order.
    std::vector<EmuLogEntry> CommandsOf(std::initializer_list<uint8_t> ops);
    // The stretch of each of nSamples samples on the drive's timeline, in whole milliseconds (at least 1): from the
    // arrival of the write of its block nFirstTimedBlock to the arrival of the command after the write of its last
    // block. A sample is nBlocks write commands (operation code op) of nBlockSectors sectors, from sector 0 on.
    std::vector<int64_t> TimelineMs(int nSamples, int nBlocks, int nBlockSectors, int nFirstTimedBlock, uint8_t op);

    IEmuMachine* m_pMachine = nullptr;
    EmuDescription m_description;
    int m_nDrive = 0;
    std::unique_ptr<guitest::HookSession> m_pSession;
    CDriveManager m_manager;
    CWnd m_window;
    CTestRunState m_runState;
    int m_nPref = 0;
    TransferRateSettings m_settings;
    std::unique_ptr<CTestPageDlg> m_pTestPage;
};

// The fixture with the page of one class at hand as m_pPage.
template <class Page>
class PageRunOf : public PageRunFixture {
protected:
    CTestPageDlg* MakePage(CWnd* pWindow) override
    {
        m_pPage = new Page(pWindow);
        return m_pPage;
    }

    Page* m_pPage = nullptr; // owned by m_pTestPage
};

#endif
