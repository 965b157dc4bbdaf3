// tests/transfer/PrintPdfTest.cpp
// A CD read page printed to the CUPS PDF queue through its "Print" command: the note dialog answered with a note,
// the print dialog with the default printer. print-to-pdf.sh runs this in a private prefix and checks the PDF.
#include "transfer/TestPages.h"

#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

TEST(TransferPrint, ThroughTheDefaultPrinter)
{
    const char* dir = std::getenv("TRANSFER_PRINT_DIR");
    const char* token = std::getenv("TRANSFER_PRINT_TOKEN");
    if (dir == nullptr || token == nullptr)
        GTEST_SKIP() << "run through print-to-pdf.sh";
    char printer[256] = "";
    DWORD size = sizeof printer;
    if (!GetDefaultPrinterA(printer, &size))
        GTEST_SKIP() << "Wine sees no default printer";

    CWnd window;
    RECT rc = {0, 0, 700, 600};
    ASSERT_TRUE(window.CreateEx(0, nullptr, "Print", WS_POPUP | WS_VISIBLE, rc, nullptr, 0));
    TransferRateSettings settings;
    settings.maxSpeed = 48;
    settings.readTimeInd = 84;
    CTestRunState runState;
    int pref = 0;
    std::unique_ptr<CTestPageDlg> page(new CCdReadTestDlg(&window));
    page->SetSharedState(runState, &pref, &settings);
    ASSERT_TRUE(page->Create(page->Traits().nIDTemplate, &window));
    page->ShowWindow(SW_SHOW);
    guitest::Pump();
    uint32_t* samples = page->Ring().Samples(0);
    for (long s = 4500; s <= 40 * 4500; s += 4500)
        samples[s / 25] = 2000;
    const std::string drive = std::string("KORVATH CD 4810 ") + token;
    CopyRunText(page->Ring().Text(0, 0), kResultTextSize, drive.c_str());
    CopyRunText(page->Ring().Text(0, 1), kResultTextSize, "Start 20.00 X End 20.00 X");
    CopyRunText(page->Ring().Text(0, 2), kResultTextSize, "Average 20.00 X");

    guitest::HookSession session;
    session.QueueDialog([](CDialog& note) {
        ::SetDlgItemTextA(note.m_hWnd, IDC_PRINT_NOTE,
                          "Printed by the transfer test\r\n"
                          "alpha bravo charlie delta echo foxtrot golf hotel india juliett kilo lima mike "
                          "november oscar papa");
        note.SendMessage(WM_COMMAND, IDOK, 0);
    });
    session.SetChoosePrinter([](PRINTDLGA& pd) {
        pd.Flags |= PD_RETURNDEFAULT | PD_RETURNDC;
        return ::PrintDlgA(&pd);
    });
    page->SendMessage(WM_COMMAND, ID_TRANSFER_PRINT, 0);
    EXPECT_TRUE(session.MessageBoxes().empty());
    std::ofstream(std::string(dir) + "\\printed") << "printed\n";
    page.reset();
    window.DestroyWindow();
}
