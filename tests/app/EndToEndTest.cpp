// tests/app/EndToEndTest.cpp
// Tavisk.exe started under Wine and driven from outside by guidriver.exe: the main window appears with its
// caption, report list and buttons, and each way of closing it ends the program with exit code 0.
#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <string>

using guitest::DriverRun;
using guitest::RunGuiDriver;

namespace {

const char kStart[] = "--timeout 30000 --start Tavisk.exe --wait-window \"Tavisk V1.25\" ";

TEST(EndToEnd, MainWindowShowsReportListAndButtons)
{
    DriverRun run = RunGuiDriver(std::string(kStart) + "--dump-controls --list 1000 --click 2 --expect-exit 0");
    ASSERT_EQ(0u, run.exitCode) << run.Output();
    const std::string output = run.Output();
    static const char* const kControls[] = {
        "control 1000 ListBox \"\"",        "control 1001 Button \"&Print\"", "control 1002 Button \"&Save\"",
        "control 1003 Button \"&Refresh\"", "control 2 Button \"E&xit\"",
    };
    for (const char* line : kControls)
        EXPECT_NE(std::string::npos, output.find(line)) << line << "\n" << output;
    EXPECT_NE(std::string::npos, output.find("exit 0")) << output;
    EXPECT_TRUE(run.LinesStartingWith("box").empty()) << output;
}

TEST(EndToEnd, EveryClosePathEndsWithExitCodeZero)
{
    struct CloseCase {
        const char* name;
        const char* steps;
    };
    static const CloseCase kCases[] = {
        {"menu Exit", "--command 32774 --expect-exit 0"},
        {"close box", "--close --expect-exit 0"},
    };
    for (const CloseCase& c : kCases) {
        DriverRun run = RunGuiDriver(std::string(kStart) + c.steps);
        EXPECT_EQ(0u, run.exitCode) << c.name << "\n" << run.Output();
    }
}

} // namespace
