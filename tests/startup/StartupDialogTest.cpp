// tests/startup/StartupDialogTest.cpp
// The main dialog's initialisation in-process, with the emulated drives: the drive access chosen by the Windows
// family, the message when none starts, the bus-type repair, the old-ASPI warning and its answers, the report
// and the automatic update timer. The program runs once per scenario (see CMakeLists.txt): Windows 98 with the
// test ASPI library, Windows 98 and Windows Me with its out-of-date variant, and Windows XP; each in a private
// prefix, because the ASPI start-up of Windows 98 reads registry entries the emulated machine writes.
#include <windows.h>

#include "EmuDescription.h"
#include "app/Globals.h"
#include "app/MainDlg.h"
#include "drive/DriveManager.h"
#include "drive/ModelTable.h"
#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "support/StringLists.h"

namespace {

const char kNoDriveAccess[] = "ASPI for Win32 is not initialized!\n\rUnable to load 'WNASPI32.DLL'";
const char kOldAspiWarning[] = "WARNING: USB devices detected with older Aspi layer!\n\tDo you wish to continue?";

// What a run of the dialog left behind.
struct StartupRun {
    INT_PTR result = 0;
    bool scriptRan = false;
    std::vector<guitest::MessageBoxRecord> boxes;
    std::vector<std::string> software;
    BYTE layoutReady = 0;
    UINT_PTR timerId = 0;
    BYTE accessMode = 0;
    bool aspiLoaded = false;
    CHostAdapterArray adapters;
};

using testsupport::Lines;

class StartupDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_bReportMediaDetails = 1;
        m_pAspi = nullptr;
    }

    void TearDown() override
    {
        EmuRemoveDeviceIo();
        EmuGetMachine()->Reset();
        if (m_pAspi != nullptr)
            m_pAspi->Reset();
    }

    // The machine of the test ASPI library, described; with the Windows 98 registry entries of its drives.
    void DescribeAspi(const char* text)
    {
        m_pAspi = EmuGetAspiMachine();
        ASSERT_NE(nullptr, m_pAspi) << "the test ASPI library is not beside the program";
        EmuDescription description;
        std::string error;
        ASSERT_TRUE(EmuParseDescription(text, m_pAspi, description, error)) << error;
        EmuWriteWin9xRegistry(description);
    }

    // Drives behind the pass-through interface (the device-I/O seam of this program).
    void DescribePassThrough(const char* text)
    {
        EmuDescription description;
        std::string error;
        ASSERT_TRUE(EmuParseDescription(text, EmuGetMachine(), description, error)) << error;
        EmuInstallDeviceIo();
    }

    // Runs the dialog modally; once it is ready, records its state and leaves with Exit.
    StartupRun Run(DWORD autoFw = 0, std::vector<int> answers = {})
    {
        StartupRun run;
        guitest::HookSession session;
        for (int answer : answers)
            session.QueueAnswer(answer);
        g_pDriveManager = nullptr;
        {
            CMainDlg dlg;
            bool ownManager = g_pDriveManager == nullptr;
            if (ownManager)
                g_pDriveManager = new CDriveManager;
            dlg.m_nAutoFW = autoFw;
            run.result = guitest::RunModal(session, dlg, [&](CDialog& d) {
                run.scriptRan = true;
                d.PostMessage(WM_COMMAND, IDCANCEL, 0);
            });
            run.boxes = session.MessageBoxes();
            run.software = Lines(dlg.m_arrSoftware);
            run.layoutReady = dlg.m_bLayoutReady;
            run.timerId = dlg.m_nTimerId;
            run.accessMode = g_pDriveManager->GetAccessMode();
            run.aspiLoaded = GetModuleHandleA("wnaspi32.dll") != nullptr && g_pDriveManager->m_hAspiDll.IsCreated();
            g_pDriveManager->CopyHostAdapters(run.adapters);
            if (ownManager) {
                delete g_pDriveManager;
                g_pDriveManager = nullptr;
            }
        }
        g_pDriveManager = nullptr;
        return run;
    }

    // Vendor block reads (0xF1) of the bus-type repair on a machine of one adapter: those before the report, whose
    // driver information opens with the second inquiry of the adapter (the start-up asks it once) and which reads
    // the drives' serial numbers from the same block.
    int RepairVendorReads()
    {
        int nReads = 0, nAdapterInquiries = 0;
        for (int i = 0; i < m_pAspi->GetLogCount(); ++i) {
            EmuLogEntry entry;
            if (!m_pAspi->GetLogEntry(i, &entry))
                continue;
            if (entry.nKind == kEmuRequestHaInquiry && ++nAdapterInquiries == 2)
                break;
            if (entry.nKind == kEmuRequestScsi && entry.cdb[0] == 0xF1)
                ++nReads;
        }
        return nReads;
    }

    IEmuMachine* m_pAspi;
};

// --- Windows 98 with the test ASPI library ----------------------------------------------------------------------

class Win98Aspi : public StartupDialogTest {};

TEST_F(Win98Aspi, UsesAspiAndBuildsTheReport)
{
    DescribeAspi("drive atapi-cd-writer aspi 0:0 letter E\n");
    DescribePassThrough("drive plain-dvd-rom letter F port 1:0:0:0\n");
    StartupRun run = Run();
    EXPECT_EQ(IDCANCEL, run.result);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(kAccessModeAspi, run.accessMode);
    ASSERT_EQ(1, run.adapters.GetSize());
    ASSERT_EQ(1, run.adapters[0].m_Targets[0].GetSize());
    EXPECT_STREQ("CD-R   QZ4120   ", run.adapters[0].m_Targets[0][0].m_szProduct);
    ASSERT_GE(run.software.size(), 4u);
    EXPECT_EQ(0u, run.software[0].find("Windows 98")) << run.software[0];
    EXPECT_EQ(0u, run.software[1].find("Windows ASPI (wnaspi32.dll) : ")) << run.software[1];
    EXPECT_NE(std::string::npos, run.software[1].find(", V2, 3, 0, 7")) << run.software[1];
    EXPECT_EQ(1, run.layoutReady);
    EXPECT_EQ(0u, run.timerId);
}

TEST_F(Win98Aspi, FallsBackToPassThroughWhenAspiCannotStart)
{
    DescribeAspi("aspi-status 0\n");
    DescribePassThrough("drive plain-dvd-rom letter F port 1:0:0:0\n");
    StartupRun run = Run();
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(kAccessModeSpti, run.accessMode);
    EXPECT_FALSE(run.aspiLoaded);
    EXPECT_FALSE(run.software.empty());
}

// Neither back end: the message with the program's name as caption, the dialog closes itself, no report; the
// automatic update check is armed all the same.
TEST_F(Win98Aspi, NeitherStartsShowsTheMessageAndCloses)
{
    DescribeAspi("aspi-status 0\n");
    DescribePassThrough("");
    StartupRun run = Run(1);
    EXPECT_EQ(IDCANCEL, run.result);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_STREQ(kNoDriveAccess, run.boxes[0].text);
    EXPECT_STREQ(AfxGetAppName(), run.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), run.boxes[0].type);
    EXPECT_EQ(kAccessModeNone, run.accessMode);
    EXPECT_TRUE(run.software.empty());
    EXPECT_EQ(1, run.layoutReady);
    EXPECT_NE(0u, run.timerId);
}

TEST_F(Win98Aspi, AutomaticUpdateCheckTimer)
{
    DescribeAspi("drive atapi-cd-writer aspi 0:0 letter E\n");
    EXPECT_NE(0u, Run(1).timerId);
    EXPECT_EQ(0u, Run(0).timerId);
}

// Byte 49 of the vendor block of the listed families: 1 or 5 make the adapter Serial ATA, 8 turns the drive into
// the listed USB product on a USB adapter; other codes and other models change nothing.
TEST_F(Win98Aspi, BusTypeRepairOfListedModels)
{
    struct Case {
        const char* drive;
        int code;
        const char* product;
        int busType;
        bool vendorRead;
    };
    const char* const kUsbProduct = g_szUsbBridgeProductId;
    const Case cases[] = {
        {"\"KORVATH\" \"DVDR   QZ7240\" \"1.07\"", 8, kUsbProduct, kBusTypeUsb, true},
        {"\"KORVATH\" \"DVDR   QZ7160\" \"1.05\"", 1, "DVDR   QZ7160   ", kBusTypeSerialAta, true},
        {"\"KORVATH\" \"DVDR   QZ7220\" \"1.05\"", 5, "DVDR   QZ7220   ", kBusTypeSerialAta, true},
        {"\"KORVATH\" \"DVDR   QZ7180\" \"1.05\"", 3, "DVDR   QZ7180   ", -2, true},
        {"\"KORVATH\" \"DVDR   QZ6080\" \"1.01\"", 8, "DVDR   QZ6080   ", -2, false},
    };
    for (const Case& c : cases) {
        std::string text = std::string("drive ") + c.drive + " aspi 0:0 letter E\nset vendor 1\ninterface-code " +
                           std::to_string(c.code) + "\n";
        DescribeAspi(text.c_str());
        int busBefore = -3;
        {
            CDriveManager probe;
            probe.InitAspi();
            ASSERT_EQ(1, probe.GetHostAdapters()->GetSize()) << c.drive;
            busBefore = (*probe.GetHostAdapters())[0].m_nBusType;
            probe.Close();
        }
        m_pAspi->ClearLog();
        StartupRun run = Run();
        ASSERT_EQ(1, run.adapters.GetSize()) << c.drive;
        ASSERT_EQ(1, run.adapters[0].m_Targets[0].GetSize()) << c.drive;
        const CDeviceRecord& record = run.adapters[0].m_Targets[0][0];
        EXPECT_STREQ(c.product, record.m_szProduct) << c.drive;
        int expectedBus = c.busType == -2 ? busBefore : c.busType;
        EXPECT_EQ(expectedBus, run.adapters[0].m_nBusType) << c.drive;
        EXPECT_EQ(expectedBus, record.m_nBusType) << c.drive;
        EXPECT_EQ(c.vendorRead, RepairVendorReads() > 0) << c.drive;
        m_pAspi->Reset();
    }
}

// Two listed drives on one adapter: the first makes the adapter Serial ATA, the second is still visited with the
// bus type the walk started with, so its vendor block is read and it becomes the USB product on a USB adapter.
TEST_F(Win98Aspi, BusTypeRepairWalksTheAdaptersAsTheyWere)
{
    DescribeAspi("drive \"KORVATH\" \"DVDR   QZ7160\" \"1.05\" aspi 0:0 letter E\nset vendor 1\ninterface-code 1\n"
                 "drive \"KORVATH\" \"DVDR   QZ7240\" \"1.07\" aspi 0:1 letter F\nset vendor 1\ninterface-code 8\n");
    m_pAspi->ClearLog();
    StartupRun run = Run();
    ASSERT_EQ(1, run.adapters.GetSize());
    ASSERT_EQ(1, run.adapters[0].m_Targets.GetSize());
    const CArray<CDeviceRecord>& group = run.adapters[0].m_Targets[0];
    ASSERT_EQ(2, group.GetSize());
    EXPECT_EQ(0, group[0].m_nTarget);
    EXPECT_STREQ("DVDR   QZ7160   ", group[0].m_szProduct);
    EXPECT_EQ(1, group[1].m_nTarget);
    EXPECT_STREQ(g_szUsbBridgeProductId, group[1].m_szProduct);
    EXPECT_EQ(kBusTypeUsb, run.adapters[0].m_nBusType);
    EXPECT_EQ(kBusTypeUsb, group[0].m_nBusType);
    EXPECT_EQ(kBusTypeUsb, group[1].m_nBusType);
    EXPECT_EQ(2, RepairVendorReads());
}

// A current layer never warns, USB adapter or not.
TEST_F(Win98Aspi, CurrentLayerWithUsbAdapterGivesNoWarning)
{
    DescribeAspi("drive vendor-dvd-rom aspi 0:0 letter E usb\n");
    StartupRun run = Run();
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(1, g_bReportMediaDetails);
    ASSERT_EQ(1, run.adapters.GetSize());
    EXPECT_EQ(kBusTypeUsb, run.adapters[0].m_nBusType);
}

// --- Windows 98 with the out-of-date ASPI library ("1, 0, 0, 0") ------------------------------------------------

class Win98OldAspi : public StartupDialogTest {};

TEST_F(Win98OldAspi, CancelDestroysTheWindowBeforeTheReport)
{
    DescribeAspi("drive vendor-dvd-rom aspi 0:0 letter E usb\n");
    StartupRun run = Run(1, {IDCANCEL});
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_STREQ(kOldAspiWarning, run.boxes[0].text);
    EXPECT_STREQ("Tavisk", run.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION), run.boxes[0].type);
    EXPECT_FALSE(run.scriptRan);
    EXPECT_NE(IDOK, run.result);
    EXPECT_TRUE(run.software.empty());
    EXPECT_EQ(0, run.layoutReady);
    EXPECT_EQ(0u, run.timerId);
    EXPECT_EQ(1, g_bReportMediaDetails);
}

TEST_F(Win98OldAspi, OkContinuesWithoutTheMediaParts)
{
    DescribeAspi("drive vendor-dvd-rom aspi 0:0 letter E usb\n");
    StartupRun run = Run(0, {IDOK});
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_STREQ(kOldAspiWarning, run.boxes[0].text);
    EXPECT_TRUE(run.scriptRan);
    EXPECT_EQ(0, g_bReportMediaDetails);
    ASSERT_GE(run.software.size(), 4u);
    EXPECT_NE(std::string::npos, run.software[1].find(", V1, 0, 0, 0")) << run.software[1];
    EXPECT_EQ("*** WARNING: It is recommended to update this ASPI layer. ***", run.software[2]);
    EXPECT_EQ(1, run.layoutReady);
}

TEST_F(Win98OldAspi, NoUsbOrIeee1394AdapterNoWarning)
{
    DescribeAspi("drive vendor-dvd-rom aspi 0:0 letter E\n");
    StartupRun run = Run();
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(1, g_bReportMediaDetails);
    EXPECT_EQ(kAccessModeAspi, run.accessMode);
}

// An IEEE 1394 adapter without any USB one is enough for the warning.
TEST_F(Win98OldAspi, Ieee1394AdapterAloneWarns)
{
    DescribeAspi("drive vendor-dvd-rom aspi 0:0 letter E ieee1394\n");
    StartupRun run = Run(0, {IDOK});
    ASSERT_EQ(1, run.adapters.GetSize());
    EXPECT_EQ(kBusType1394, run.adapters[0].m_nBusType);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_STREQ(kOldAspiWarning, run.boxes[0].text);
    EXPECT_EQ(0, g_bReportMediaDetails);
}

// --- Windows Me with the out-of-date ASPI library ---------------------------------------------------------------

// The warning belongs to Windows 98 alone (minor version 10): on Windows Me (90) the same layer and adapter start
// without it, and the media parts stay in the report.
class WinMeOldAspi : public StartupDialogTest {};

TEST_F(WinMeOldAspi, NoWarningOutsideWindows98)
{
    DescribeAspi("drive vendor-dvd-rom aspi 0:0 letter E usb\n");
    StartupRun run = Run();
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(1, g_bReportMediaDetails);
    EXPECT_EQ(kAccessModeAspi, run.accessMode);
    ASSERT_EQ(1, run.adapters.GetSize());
    EXPECT_EQ(kBusTypeUsb, run.adapters[0].m_nBusType);
    ASSERT_GE(run.software.size(), 3u);
    EXPECT_EQ(0u, run.software[0].find("Windows Me")) << run.software[0];
    EXPECT_NE(std::string::npos, run.software[1].find(", V1, 0, 0, 0")) << run.software[1];
    EXPECT_EQ(1, run.layoutReady);
}

// --- Windows XP: the pass-through interface only -----------------------------------------------------------------

class WinXp : public StartupDialogTest {};

TEST_F(WinXp, PassThroughOnlyAndNoOldAspiWarning)
{
    DescribePassThrough("drive plain-dvd-rom letter F port 1:0:0:0\n");
    StartupRun run = Run();
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(kAccessModeSpti, run.accessMode);
    EXPECT_EQ(nullptr, GetModuleHandleA("wnaspi32.dll")) << "ASPI was tried on Windows XP";
    ASSERT_GE(run.software.size(), 2u);
    EXPECT_EQ(0u, run.software[0].find("Windows XP")) << run.software[0];
}

TEST_F(WinXp, NeitherStartsShowsTheMessage)
{
    DescribePassThrough("");
    StartupRun run = Run();
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_STREQ(kNoDriveAccess, run.boxes[0].text);
    EXPECT_EQ(IDCANCEL, run.result);
    EXPECT_EQ(nullptr, GetModuleHandleA("wnaspi32.dll"));
}

} // namespace
