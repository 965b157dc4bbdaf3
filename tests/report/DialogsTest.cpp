// tests/report/DialogsTest.cpp
// Save with the system's own Save-As dialog, driven from a second thread as a person would use it: the name typed
// into the dialog, OK or Cancel pressed.
#include "DialogWatcher.h"
#include "ReportTestSupport.h"

#include <gtest/gtest.h>

using namespace reporttest;

namespace {

const int kFileNameCombo = 0x47C; // cmb13 of the Explorer-style dialog
const int kFileNameEdit = 0x480;  // edt1 of the older layout

void TypeFileName(HWND hDialog, const std::string& path)
{
    SetDialogText(hDialog, GetDlgItem(hDialog, kFileNameCombo) != nullptr ? kFileNameCombo : kFileNameEdit, path);
}

TEST(ReportDialogs, SaveThroughTheSaveAsDialog)
{
    PinnedDate date;
    HookScope hooks(true);
    ScratchFolder folder;
    const std::string path = folder.Path("chosen.txt");
    std::string proposed;
    DialogWatcher watcher("Save As", [&](HWND hDialog) {
        char text[MAX_PATH] = "";
        GetDlgItemTextA(hDialog, kFileNameCombo, text, sizeof(text));
        if (text[0] == '\0')
            GetDlgItemTextA(hDialog, kFileNameEdit, text, sizeof(text));
        proposed = text;
        TypeFileName(hDialog, path);
        PressButton(hDialog, IDOK);
    });
    FixtureReport fixture;
    SaveReportFiles(fixture.Sections());
    ASSERT_TRUE(watcher.Wait()) << "no Save As dialog appeared";

    EXPECT_EQ("SYSInfo.txt", proposed) << watcher.Seen();
    EXPECT_TRUE(hooks.boxes.empty());
    EXPECT_EQ((std::vector<std::string>{"chosen.kvs", "chosen.txt"}), folder.Files());
    const std::string text = ReadText(path);
    EXPECT_EQ(ExpectedTextFile("SYSInfo.txt"), text);
    EXPECT_EQ(WithoutSoftwareSection(SplitCrLf(text)), ReadSupportFile(folder.Path("chosen.kvs")));
}

TEST(ReportDialogs, CancelInTheSaveAsDialog)
{
    HookScope hooks(true);
    ScratchFolder folder;
    DialogWatcher watcher("Save As", [&](HWND hDialog) {
        TypeFileName(hDialog, folder.Path("never.txt"));
        PressButton(hDialog, IDCANCEL);
    });
    FixtureReport fixture;
    SaveReportFiles(fixture.Sections());
    ASSERT_TRUE(watcher.Wait()) << "no Save As dialog appeared";
    EXPECT_TRUE(hooks.boxes.empty());
    EXPECT_TRUE(folder.Files().empty());
}

} // namespace
