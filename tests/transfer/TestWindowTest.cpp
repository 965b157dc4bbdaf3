// tests/transfer/TestWindowTest.cpp
// The test window inside the main dialog on an emulated Windows XP machine: which drives it lists, the page the
// main dialog shows for the drive's medium and the test kind, the page swap when a disc is ejected and loaded,
// the refusal to close during a run, and the main dialog's Refresh and minimum size around it. The drives are those
// of the test ASPI library on Windows 98.
#include "app/MainDlg.h"
#include "app/Options.h"

#include "EmuMachine.h" // first of the emulator's headers: it includes windows.h before the machine interface
#include "EmuDescription.h"
#include "drive/DriveManager.h"
#include "gui/GuiTest.h"
#include "transfer/TestDlg.h"
#include "transfer/TestPages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using guitest::Click;
using guitest::ComboItems;
using guitest::HookSession;
using guitest::PumpUntil;
using guitest::SelectComboItem;
using guitest::Text;

namespace {

struct FilterCase {
    const char* vendor;
    const char* product;
    const char* modelId;
    bool listed;
};

TEST(TestDriveFilter, MakerDrivesExceptReadOnlyAndTwoListedModelsOfOthers)
{
    const FilterCase cases[] = {
        {"KORVATH ", "DVDR   QZ7160   ", "QZ7160", true},
        {"KORVATH ", "CD-R   QZ4120   ", "", true},
        {"KORVATH ", "CD-ROM QZ0800   ", "", false},
        {"KORVATH", "DVDR   QZ7160   ", "", false}, // the vendor field is compared padded
        {"VELDARO ", "DVD-RW XR-7700  ", "XR-7700", false},
        {"VELDARO ", "DVD-RW SD-R2512 ", "SD-R2512", true},
        {"OTHERCO ", "UJDA750FDVD     ", "UJDA750FDVD", true},
        {"OTHERCO ", "CD-ROM UJDA750  ", "UJDA750FDVD", false},
    };
    for (const FilterCase& c : cases)
        EXPECT_EQ(c.listed, IsTestDrive(c.vendor, c.product, c.modelId)) << c.vendor << c.product;
}

// E: the maker's CD writer with a CD, F: the maker's DVD writer with a DVD-R, G: the maker's read-only CD-ROM,
// H: another maker's DVD writer, I: a hard disk of the maker.
const char kMachine[] = "adapter 0 identifier \"EMU IDE CHANNEL\"\n"
                        "drive atapi-cd-writer aspi 0:0 letter E\n"
                        "disc cd 333000\n"
                        "drive four-family-dvd-writer aspi 0:1 letter F\n"
                        "disc dvd-r\n"
                        "drive \"KORVATH\" \"CD-ROM QZ0800\" \"1.00\" aspi 0:2 letter G\n"
                        "disc cd\n"
                        "drive other-dvd-writer aspi 0:3 letter H\n"
                        "disc dvd-rom\n"
                        "drive \"KORVATH\" \"HARD DISK QZ100\" \"1.00\" aspi 0:4 letter I\n"
                        "set peripheral 0\n";

class TestWindow : public ::testing::Test {
protected:
    // The machine of the test ASPI library, with the Windows 98 registry entries of its drives.
    void SetUp() override
    {
        m_pMachine = EmuGetAspiMachine();
        ASSERT_NE(nullptr, m_pMachine) << "the test ASPI library is not beside the program";
        EmuDescription description;
        std::string error;
        ASSERT_TRUE(EmuParseDescription(kMachine, m_pMachine, description, error)) << error;
        EmuWriteWin9xRegistry(description);
    }
    void TearDown() override
    {
        if (m_pMachine != nullptr)
            m_pMachine->Reset();
    }

    // The tray buttons of a drive, as the drive manager sends them (START STOP UNIT with LoEj).
    static void Tray(int nLetter, bool bLoad)
    {
        CDeviceRecord record = g_pDriveManager->GetDriveByLetter(nLetter);
        if (bLoad)
            g_pDriveManager->LoadMedium(record);
        else
            g_pDriveManager->EjectMedium(record);
    }

    IEmuMachine* m_pMachine = nullptr;
};

TEST_F(TestWindow, ListsDrivesShowsPagesSwapsOnMediaChangeAndRefusesToCloseDuringARun)
{
    HookSession session;
    g_pDriveManager = nullptr;
    CMainDlg dlg;
    CTestDlg* pTestDlg = nullptr;
    CDialog* pagesSeen[8] = {};
    std::vector<CString> driveItems;
    CString strDriveLine, strInfoDrive, strDiscLine, strInfoDisc;
    int nBoxesWhileRunning = -1;
    bool bStayedOpen = false;
    CTestDlg* pTestDlgAfterRefresh = nullptr;

    // First opening: the lists, the kind, the pages.
    auto firstOpening = [&](CDialog& d) {
        CTestDlg& test = static_cast<CTestDlg&>(d);
        CMainDlg& main = dlg;
        main.m_nPrefStartPage = 1; // as a page's "Preferences" button leaves it
        d.ShowWindow(SW_SHOW);
        driveItems = ComboItems(d.m_hWnd, IDC_TW_DRIVE);
        EXPECT_EQ(2, test.m_nItemCount);
        EXPECT_EQ(4, test.m_letters[0]);
        EXPECT_EQ(5, test.m_letters[1]);
        EXPECT_EQ(0, int(::SendDlgItemMessage(d.m_hWnd, IDC_TW_KIND, CB_GETCURSEL, 0, 0)));
        EXPECT_EQ(CString(" Read Transfer Rate Test"), Text(d.m_hWnd, IDC_TW_KIND));
        // E: with a CD and the read kind: the CD read page, inside the test window.
        EXPECT_EQ(4, main.m_currentDrive.m_nDriveLetter);
        EXPECT_EQ(4, main.m_pCdReadPage->m_currentDrive.m_nDriveLetter);
        EXPECT_EQ(4, main.m_pDvdWritePage->m_currentDrive.m_nDriveLetter);
        pagesSeen[0] = test.m_pPage;
        EXPECT_EQ(d.m_hWnd, ::GetParent(main.m_pCdReadPage->m_hWnd));
        EXPECT_EQ(CString("CD Read Transfer Rate Test"), Text(d.m_hWnd));
        // The write kind for a drive without a DVD: the CD write page; the old page is hidden and let go.
        SelectComboItem(d.m_hWnd, IDC_TW_KIND, 1);
        EXPECT_EQ(1, main.m_nTestKind);
        pagesSeen[1] = test.m_pPage;
        EXPECT_FALSE(::IsWindowVisible(main.m_pCdReadPage->m_hWnd));
        EXPECT_NE(d.m_hWnd, ::GetParent(main.m_pCdReadPage->m_hWnd));
        // F: with a DVD-R: the DVD write page.
        SelectComboItem(d.m_hWnd, IDC_TW_DRIVE, 1);
        EXPECT_EQ(5, main.m_currentDrive.m_nDriveLetter);
        pagesSeen[2] = test.m_pPage;
        // The drive line of a run on that page comes from the drive itself.
        CTestPageDlg* pPage = main.m_pDvdWritePage.get();
        pPage->WorkerState().record = pPage->m_currentDrive;
        pPage->Ring().ChooseNextRunSlot();
        pPage->FormatResults(false);
        strDriveLine = pPage->Ring().Text(0, 0);
        strInfoDrive = pPage->Ring().Info(0).szDrive;
        pPage->FormatResults(true);
        strDiscLine = pPage->Ring().Text(0, 1);
        strInfoDisc = pPage->Ring().Info(0).szDisc;
        pPage->Ring().ClearRuns(1);
        // Ejecting the DVD brings the CD write page, loading it again the DVD write page.
        Tray(5, false);
        PumpUntil([&] { return test.m_pPage == main.m_pCdWritePage.get(); });
        pagesSeen[3] = test.m_pPage;
        Tray(5, true);
        PumpUntil([&] { return test.m_pPage == main.m_pDvdWritePage.get(); });
        pagesSeen[4] = test.m_pPage;
        // A media change of another drive changes nothing.
        Tray(4, false);
        guitest::Pump();
        Sleep(50);
        guitest::Pump();
        pagesSeen[5] = test.m_pPage;
        // During a run the selectors are locked and Close, Esc and the close box are refused.
        main.m_runState.SetRunning(true);
        test.SendMessage(WM_TEST_STATE_CHANGED, 0, 0);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, IDC_TW_DRIVE)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, IDC_TW_KIND)));
        // A media change during the run does not hide the running page; the swap comes when the run has ended.
        Tray(5, false);
        Sleep(50);
        guitest::Pump();
        pagesSeen[6] = test.m_pPage;
        ::SendMessage(d.m_hWnd, WM_COMMAND, IDOK, 0);
        ::SendMessage(d.m_hWnd, WM_COMMAND, IDCANCEL, 0);
        ::SendMessage(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        guitest::Pump();
        nBoxesWhileRunning = int(session.MessageBoxes().size());
        bStayedOpen = ::IsWindow(d.m_hWnd) && ::IsWindowVisible(d.m_hWnd) && ::IsWindowVisible(test.m_pPage->m_hWnd);
        main.m_runState.SetRunning(false);
        test.SendMessage(WM_TEST_STATE_CHANGED, 0, 0);
        pagesSeen[7] = test.m_pPage;
        Tray(5, true);
        PumpUntil([&] { return test.m_pPage == main.m_pDvdWritePage.get(); });
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, IDC_TW_DRIVE)));
        ASSERT_TRUE(Click(d.m_hWnd, IDOK));
    };
    // Second opening: the drive and kind chosen last are preselected.
    int nSecondDrive = -1, nSecondKind = -1;
    auto secondOpening = [&](CDialog& d) {
        nSecondDrive = int(::SendDlgItemMessage(d.m_hWnd, IDC_TW_DRIVE, CB_GETCURSEL, 0, 0));
        nSecondKind = int(::SendDlgItemMessage(d.m_hWnd, IDC_TW_KIND, CB_GETCURSEL, 0, 0));
        d.PostMessage(WM_COMMAND, IDCANCEL, 0);
    };

    INT_PTR result = guitest::RunModal(session, dlg, [&](CDialog& d) {
        CMainDlg& main = static_cast<CMainDlg&>(d);
        pTestDlg = main.m_pTestDlg.get();
        session.QueueDialog(firstOpening);
        session.QueueDialog(secondOpening);
        main.SendMessage(WM_COMMAND, ID_OPTIONS_SHOW_FUNCTIONS, 0);
        EXPECT_EQ(0, main.m_nPrefStartPage);
        main.SendMessage(WM_COMMAND, ID_OPTIONS_SHOW_FUNCTIONS, 0);
        // Refresh with the test window closed rebuilds the report; the test window and its pages stay.
        const int nLines = int(main.m_list.GetCount());
        ASSERT_TRUE(Click(d.m_hWnd, IDC_REFRESH));
        pTestDlgAfterRefresh = main.m_pTestDlg.get();
        EXPECT_EQ(nLines, int(main.m_list.GetCount()));
        EXPECT_GT(nLines, 0);
        d.PostMessage(WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, result);
    ASSERT_EQ(2u, driveItems.size());
    EXPECT_EQ(0, driveItems[0].Find("ID:0")) << driveItems[0];
    EXPECT_EQ(0, driveItems[1].Find("ID:1")) << driveItems[1];
    EXPECT_EQ(0, strDriveLine.Find("ID:1 KORVATH  DVDR   QZ7160    V1.05 (#")) << strDriveLine;
    EXPECT_NE(-1, strDriveLine.Find("), Write Speed: ")) << strDriveLine;
    EXPECT_EQ(0, strDriveLine.Find(strInfoDrive)) << strInfoDrive;
    // At the end of a run the disc as the drive describes it: the DVD-R and, on the DVD write page, its maker.
    EXPECT_EQ(0, strDiscLine.Find("Disc Type    : DVD")) << strDiscLine;
    EXPECT_NE(-1, strInfoDisc.Find("<BR> ")) << strInfoDisc;
    EXPECT_NE(-1, strInfoDisc.Find("EMUDSC")) << strInfoDisc;
    EXPECT_EQ(dlg.m_pCdReadPage.get(), pagesSeen[0]);
    EXPECT_EQ(dlg.m_pCdWritePage.get(), pagesSeen[1]);
    EXPECT_EQ(dlg.m_pDvdWritePage.get(), pagesSeen[2]);
    EXPECT_EQ(dlg.m_pCdWritePage.get(), pagesSeen[3]);
    EXPECT_EQ(dlg.m_pDvdWritePage.get(), pagesSeen[4]);
    EXPECT_EQ(dlg.m_pDvdWritePage.get(), pagesSeen[5]);
    EXPECT_EQ(dlg.m_pDvdWritePage.get(), pagesSeen[6]) << "no swap during a run";
    EXPECT_EQ(dlg.m_pCdWritePage.get(), pagesSeen[7]) << "the swap held back comes at the end of the run";
    EXPECT_EQ(3, nBoxesWhileRunning);
    for (const guitest::MessageBoxRecord& box : session.MessageBoxes()) {
        EXPECT_EQ(CString("A test is currently running.\nPlease stop this test before closing this window"), box.text);
        EXPECT_EQ(CString("Tavisk"), box.caption);
        EXPECT_EQ(UINT(MB_ICONEXCLAMATION), box.type & MB_ICONMASK);
    }
    EXPECT_TRUE(bStayedOpen);
    EXPECT_EQ(1, nSecondDrive);
    EXPECT_EQ(1, nSecondKind);
    EXPECT_EQ(pTestDlg, pTestDlgAfterRefresh);
    EXPECT_EQ(3u, session.Dialogs().size()) << "the main dialog and the test window twice";
    g_pDriveManager = nullptr;
}

// The DVD write length chosen in the Preferences reaches the DVD write page's graph (it is not stored).
TEST_F(TestWindow, PreferencesGiveTheDvdWritePageItsGraphLength)
{
    HookSession session;
    g_pDriveManager = nullptr;
    CMainDlg dlg;
    DWORD nBefore = 0, nAfter = 0;
    guitest::RunModal(session, dlg, [&](CDialog& d) {
        CMainDlg& main = static_cast<CMainDlg&>(d);
        nBefore = main.m_pDvdWritePage->GetGraphLength();
        session.QueueDialog([&](CDialog& sheet) {
            PropSheet_SetCurSel(sheet.m_hWnd, nullptr, 1);
            SelectComboItem(PropSheet_GetCurrentPageHwnd(sheet.m_hWnd), IDC_PREF_DVD_WRITE_LEN, 1); // "10 GB"
            PropSheet_PressButton(sheet.m_hWnd, PSBTN_OK);
        });
        main.SendMessage(WM_COMMAND, ID_OPTIONS_PREFERENCES, 0);
        nAfter = main.m_pDvdWritePage->GetGraphLength();
        d.PostMessage(WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(DWORD(0x500000), nBefore);
    EXPECT_EQ(DWORD(0xA00000), nAfter);
    g_pDriveManager = nullptr;
}

TEST_F(TestWindow, MainWindowKeepsItsMinimumSizeAndLaysOutItsList)
{
    HookSession session;
    g_pDriveManager = nullptr;
    CMainDlg dlg;
    guitest::RunModal(session, dlg, [&](CDialog& d) {
        CMainDlg& main = static_cast<CMainDlg&>(d);
        MINMAXINFO info = {};
        main.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(main.m_rcMinTrack.right - main.m_rcMinTrack.left, info.ptMinTrackSize.x);
        EXPECT_EQ(main.m_rcMinTrack.bottom - main.m_rcMinTrack.top, info.ptMinTrackSize.y);
        // Larger: the list takes the width less 29 and the height less 130; Exit keeps its share of the width.
        const int W = 900, H = 700;
        main.SetWindowPos(nullptr, 0, 0, W, H, SWP_NOMOVE | SWP_NOZORDER);
        RECT rc;
        main.GetWindowRect(&rc);
        ASSERT_EQ(W, rc.right - rc.left);
        main.m_list.GetWindowRect(&rc);
        EXPECT_EQ(W - 29, rc.right - rc.left);
        EXPECT_EQ(H - 130, rc.bottom - rc.top);
        RECT rcExit;
        ::GetWindowRect(::GetDlgItem(d.m_hWnd, IDCANCEL), &rcExit);
        main.ScreenToClient(&rcExit);
        EXPECT_EQ(int(W * main.m_buttonRatio[3]), rcExit.left);
        // Below 400 x 300 (outer size) the layout is left alone. A lower minimum size lets the window get that small.
        main.m_rcMinTrack = RECT{0, 0, 200, 200};
        const SIZE kSmall[] = {{399, H}, {W, 299}};
        for (const SIZE& small : kSmall) {
            main.SetWindowPos(nullptr, 0, 0, small.cx, small.cy, SWP_NOMOVE | SWP_NOZORDER);
            main.GetWindowRect(&rc);
            ASSERT_EQ(small.cx, rc.right - rc.left);
            ASSERT_EQ(small.cy, rc.bottom - rc.top);
            RECT rcAfter;
            main.m_list.GetWindowRect(&rcAfter);
            EXPECT_EQ(W - 29, rcAfter.right - rcAfter.left) << small.cx << " x " << small.cy;
            EXPECT_EQ(H - 130, rcAfter.bottom - rcAfter.top) << small.cx << " x " << small.cy;
        }
        d.PostMessage(WM_COMMAND, IDCANCEL, 0);
    });
    g_pDriveManager = nullptr;
}

} // namespace
