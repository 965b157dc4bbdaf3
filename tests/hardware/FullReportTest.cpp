// tests/hardware/FullReportTest.cpp
// The whole report of an emulated machine, built by the main dialog's start-up: on Windows 98 through the test
// ASPI library with the machine scripts/run shows, and on Windows XP through the pass-through seam with the
// machine of the hardware tests. The text file must equal its golden file (the date masked), the support file
// must decipher to the same lines less the software section, and the list must show every drive. The processor
// and memory figures are pinned; everything else comes from the machine.
#include <windows.h>

#include "EmuDescription.h"
#include "HardwareFixture.h"
#include "ReportTestSupport.h"
#include "app/Globals.h"
#include "app/MainDlg.h"
#include "drive/DriveManager.h"
#include "gui/GuiTest.h"
#include "report/ReportOutput.h"
#include "report/ReportWriter.h"
#include "report/SystemInfo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace reporttest;

namespace {

// A processor of 2400 MHz with a brand string and 512 MB of memory, half of it free.
bool PinnedCpuid(unsigned leaf, unsigned regs[4])
{
    static const char kBrand[48] = "QZ Virtual Processor 2400";
    std::memset(regs, 0, 16);
    if (leaf == 0)
        regs[0] = 1;
    else if (leaf == 1)
        regs[3] = 1u << 4; // time-stamp counter
    else if (leaf == 0x80000000u)
        regs[0] = 0x80000004u;
    else if (leaf >= 0x80000002u && leaf <= 0x80000004u)
        std::memcpy(regs, kBrand + 16 * (leaf - 0x80000002u), 16);
    return true;
}

int64_t PinnedTicks(TickCallback callback, DWORD)
{
    return callback == SpinWaitMs ? 120000000 : 0;
}

bool PinnedMemory(MemoryFigures& figures)
{
    figures.totalPhysical = 512ull << 20;
    figures.availablePhysical = 256ull << 20;
    figures.memoryLoad = 50;
    return true;
}

const SystemInfoHooks kPinnedHardware = {&PinnedCpuid, &PinnedTicks, &PinnedMemory};

class PinnedHardware {
public:
    PinnedHardware() { SetSystemInfoHooks(&kPinnedHardware); }
    ~PinnedHardware() { SetSystemInfoHooks(nullptr); }
};

struct ReportRun {
    std::string text;                         // the text file
    std::vector<std::string> supportLines;    // the support file, deciphered by the test reader
    std::vector<std::string> list;            // the list's entries
    std::vector<std::string> refreshedList;   // the list after what Refresh does: emptied, access closed, start-up
    std::vector<std::string> refreshedSystem; // the hardware sections after it, block by block
    std::vector<std::string> firstSystem;
    std::vector<guitest::MessageBoxRecord> boxes;
};

// Runs the main dialog's start-up with the drive manager given (or its own), then writes the report to a text file
// and a support file as Save does, reads the list, and leaves.
ReportRun RunReport(CDriveManager* pManager)
{
    ReportRun run;
    PinnedDate date;
    PinnedHardware hardware;
    ScratchFolder folder;
    const std::string textPath = folder.Path("SYSInfo.txt"), supportPath = folder.Path("SYSInfo.kvs");
    guitest::HookSession session;
    g_bReportMediaDetails = 1;
    g_pDriveManager = pManager;
    {
        CMainDlg dlg;
        const bool bOwn = g_pDriveManager == nullptr;
        if (bOwn)
            g_pDriveManager = new CDriveManager;
        CDriveManager* pUsed = g_pDriveManager;
        guitest::RunModal(session, dlg, [&](CDialog& d) {
            CMainDlg& main = static_cast<CMainDlg&>(d);
            {
                CReportWriter text;
                if (text.Open(kReportModeTextFile, "", textPath.c_str(), false) == 1)
                    main.WriteReport(&text);
            }
            {
                CReportWriter support;
                if (support.Open(kReportModeSupportFile, "", supportPath.c_str(), false) == 1)
                    main.WriteSupportFile(&support);
            }
            run.list = ListEntries(main.m_list.m_hWnd);
            auto sections = [&main] {
                std::vector<std::string> lines;
                for (int n = 0; n < kMaxAdapterBlocks; ++n)
                    for (INT_PTR i = 0; i < main.m_arrAdapters[n].GetSize(); ++i)
                        lines.push_back(std::to_string(n) + ": " + main.m_arrAdapters[n][i].GetString());
                for (INT_PTR i = 0; i < main.m_arrStratafit.GetSize(); ++i)
                    lines.push_back(std::string("S: ") + main.m_arrStratafit[i].GetString());
                return lines;
            };
            run.firstSystem = sections();
            main.m_list.ResetContent();
            g_pDriveManager->Close();
            main.OnInitDialog();
            run.refreshedList = ListEntries(main.m_list.m_hWnd);
            run.refreshedSystem = sections();
            d.PostMessage(WM_COMMAND, IDCANCEL, 0);
        });
        run.boxes = session.MessageBoxes();
        if (bOwn)
            delete pUsed;
        g_pDriveManager = nullptr; // the dialog's destructor must not delete the caller's manager
    }
    g_pDriveManager = nullptr;
    run.text = ReadText(textPath);
    run.supportLines = ReadSupportFile(supportPath);
    return run;
}

void ExpectGoldenReport(const ReportRun& run, const char* pszGolden, const std::vector<std::string>& driveLines)
{
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.size() << " message boxes";
    EXPECT_EQ(run.list, run.refreshedList) << "a second start-up (Refresh) must list the same report";
    EXPECT_EQ(run.firstSystem, run.refreshedSystem);
    UpdateGolden(pszGolden, run.text);
    EXPECT_EQ(ExpectedTextFile(pszGolden), run.text);
    EXPECT_EQ(WithoutSoftwareSection(SplitCrLf(run.text)), run.supportLines);
    for (const std::string& line : driveLines) {
        bool bListed = false;
        for (const std::string& entry : run.list)
            bListed = bListed || entry == line;
        EXPECT_TRUE(bListed) << "not in the list: " << line;
    }
}

std::string ReadMachine(const char* pszName)
{
    return ReadText(std::string("Z:") + TAVISK_SOURCE_DIR + "/tests/startup/machines/" + pszName);
}

} // namespace

// --- Windows 98 through the test ASPI library: the machine of scripts/run -------------------------------------

TEST(FullReportWin98, GoldenReportOfTheRunMachine)
{
    IEmuMachine* pAspi = EmuGetAspiMachine();
    ASSERT_NE(nullptr, pAspi) << "the test ASPI library is not beside the program";
    EmuDescription description;
    std::string error;
    const std::string machine = ReadMachine("korvath-drives.emu");
    ASSERT_FALSE(machine.empty());
    ASSERT_TRUE(EmuParseDescription(machine, pAspi, description, error)) << error;
    EmuWriteWin9xRegistry(description);
    // The port driver file of the emulated IDE controller, with its version resource.
    const std::string iosubsys = hardware_test::SystemDirectory() + "\\iosubsys";
    CreateDirectoryA(iosubsys.c_str(), nullptr);
    for (const char* pszName : {"EMUIDE.PDR", "emuscsi.mpd"})
        ASSERT_TRUE(CopyFileA((testsupport::ProgramFolder() + "fixture_port_driver.dll").c_str(),
                              (iosubsys + "\\" + pszName).c_str(), FALSE));

    ReportRun run = RunReport(nullptr);
    ExpectGoldenReport(run, "full-report-win98.txt",
                       {"ID 0 (E:) KORVATH DVDR   QZ7160    V1.05 TLA: (S/N:000000) (0.0.0A - 0.0.0A)",
                        "ID 1 (F:) KORVATH CD-R   QZ4120    V1.06  (S/N:000000) (0.0.0A)",
                        "ID 0 (G:) KORVATH DVD    QZ8080    V1.03  (S/N:000000) ()", "ID  0: QZDISK QZ-HD80 V1.0 ",
                        "ID 2 (H:) KORVATH CDROM  QZ1240    V1.02  (S/N:000000) ()",
                        "ID  2: VELDARO  CD-ROM XR-3200   V1.00",
                        "ID 5 (J:) KORVATH CD-R   QZ3400    V1.03  (S/N:000000) (0.0.0A)",
                        "ID 0 (K:) KORVATH DVDR   QZ7240    V1.07 TLA: (S/N:000000) (0.0.0A - 0.0.0A)"});
    pAspi->Reset();
}

// --- Windows XP through the pass-through seam ------------------------------------------------------------------

class FullReportXp : public hardware_test::HardwareMachine {};

TEST_F(FullReportXp, GoldenReportOfTheXpMachine)
{
    m_Manager.Close();
    g_pDriveManager = nullptr;
    CDriveManager* pManager = new CDriveManager; // the dialog starts the access itself
    ReportRun run = RunReport(pManager);
    delete pManager;
    g_pDriveManager = &m_Manager;
    ExpectGoldenReport(
        run, "full-report-winxp.txt",
        {"ID 0 (E:) KORVATH CD-R   QZ4120    V1.06  (S/N:000000) (0.0.0A)", "ID  0: VELDARO  DVD-RW XR-7700   V1.00"});
}
