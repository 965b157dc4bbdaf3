// tests/report/MainDlgOutputTest.cpp
// The main dialog's report outputs, in-process: the list filled from the dialog's sections, the Save button with
// the system's Save-As dialog (driven from a second thread), and the Print button (print dialog answered by the
// hook, pages recorded). With the fixture sections, two host adapters and Windows XP, the list and the text file
// must be the golden files.
#include "app/MainDlg.h"

#include "DialogWatcher.h"
#include "ReportTestSupport.h"

#include "drive/DriveManager.h"
#include "report/SoftwareSection.h"
#include "support/PinnedWindowsVersion.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace reporttest;

namespace {

void Click(HWND hDialog, int id)
{
    SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDialog, id)));
}

TEST(MainDlgReportOutput, ListSaveAndPrintFromTheDialog)
{
    PinnedDate date;
    HookScope hooks(true);
    hooks.UseHookedPrinter();
    RecordingSurfaceScope surface;
    ScratchFolder folder;
    const std::string path = folder.Path("from-button.txt");
    FixtureReport fixture;

    bool ran = false;
    bool saveDialogSeen = false;
    std::vector<std::string> listed;
    hooks.SetDialogReady([&](CDialog* pDialog) {
        CMainDlg* pMain = dynamic_cast<CMainDlg*>(pDialog);
        if (pMain == nullptr || ran || g_pDriveManager == nullptr)
            return;
        ran = true;
        // The outputs read the adapter count from the drive manager and the USB-tree rule from the Windows text.
        testsupport::PinnedWindowsVersion windowsXp(VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3");
        g_pDriveManager->m_Adapters.RemoveAll();
        for (int n = 0; n < fixture.adapterCount; ++n)
            g_pDriveManager->m_Adapters.Add(CHostAdapter());
        pMain->m_arrSoftware.Copy(fixture.software);
        pMain->m_arrSystem.Copy(fixture.system);
        for (int n = 0; n < kMaxAdapterBlocks; ++n)
            pMain->m_arrAdapters[n].Copy(fixture.adapters[n]);
        pMain->m_arrCapture.Copy(fixture.capture);
        pMain->m_arrStratafit.Copy(fixture.stratafit);

        pMain->m_list.ResetContent();
        pMain->FillReportList();
        listed = ListEntries(pMain->m_list.m_hWnd);

        DialogWatcher watcher("Save As", [&](HWND hSave) {
            SetDialogText(hSave, GetDlgItem(hSave, 0x47C) != nullptr ? 0x47C : 0x480, path);
            PressButton(hSave, IDOK);
        });
        Click(pMain->m_hWnd, IDC_SAVE);
        saveDialogSeen = watcher.Wait();

        Click(pMain->m_hWnd, IDC_PRINT);
        pMain->EndDialog(IDOK);
    });

    CMainDlg dlg;
    dlg.DoModal();
    ASSERT_TRUE(ran) << "the main dialog did not come up";
    ASSERT_TRUE(saveDialogSeen) << "no Save As dialog appeared";

    EXPECT_EQ(GoldenLines("list.txt"), listed);
    EXPECT_EQ(ExpectedTextFile("SYSInfo.txt"), ReadText(path));
    EXPECT_EQ(WithoutSoftwareSection(SplitCrLf(ReadText(path))), ReadSupportFile(folder.Path("from-button.kvs")));

    EXPECT_EQ(1, hooks.printDialogs);
    int pages = 0;
    bool form = false;
    for (const SurfaceEvent& e : RecordingSurfaceScope::Events()) {
        pages += e.kind == SurfaceEvent::kStartPage;
        form = form || e.text == "Dear customer:";
    }
    EXPECT_GE(pages, 5);
    EXPECT_TRUE(form);
    for (const HookScope::Box& box : hooks.boxes)
        EXPECT_NE("Error creating file.", box.text);
}

} // namespace
