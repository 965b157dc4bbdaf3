// tests/update/UpdateEndToEndTest.cpp
// Tavisk.exe on the emulated machine of scripts/run, driven from outside by guidriver.exe: "Check for firmware
// upgrades" from the menu shows the drives with newer firmware in the update dialog; closing the main window while
// a check waits on a silent service ends the program cleanly.
#include "UpdateTestSupport.h"

#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <string>

using guitest::DriverRun;
using guitest::RunGuiDriver;
using updatetest::ServiceUrl;

namespace {

const char kStart[] = "--timeout 30000 --start Tavisk.exe --wait-window \"Tavisk V1.25\" ";

class UpdateEndToEnd : public ::testing::Test {
protected:
    void TearDown() override { updatetest::RemoveUpdatePath(); }
};

TEST_F(UpdateEndToEnd, MenuCheckListsTheNewerFirmware)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/check"));
    DriverRun run =
        RunGuiDriver(std::string(kStart) + "--command 32773 --wait-window \"Firmware Upgrades\" --dump-controls "
                                           "--listview 1020 3 --click 1 --sleep 500 --wait-window \"Tavisk V1.25\" "
                                           "--command 32774 --expect-exit 0");
    ASSERT_EQ(0u, run.exitCode) << run.Output();
    const std::string output = run.Output();
    static const char* const kLines[] = {
        "control 1015 Static \"New firmware available for the following drives:\"",
        "control 1017 Button \"Check for firmware upgrades on startup\"",
        "control 1016 Static \"Click here to download the upgrades from the website\"",
        "control 1 Button \"OK\"",
        "listview 1020 2",
        "\"1.05\" \"1.07\"",
        "\"1.03\" \"1.10\"",
        "exit 0",
    };
    for (const char* line : kLines)
        EXPECT_NE(std::string::npos, output.find(line)) << line << "\n" << output;
    EXPECT_NE(std::string::npos, output.find("row 0 \"HA:0 ID:0  ")) << output;
    EXPECT_NE(std::string::npos, output.find("row 1 \"HA:1 ID:0  ")) << output;
    EXPECT_TRUE(run.LinesStartingWith("box").empty()) << output;
}

TEST_F(UpdateEndToEnd, ClosingDuringASilentCheckEndsTheProgram)
{
    REQUIRE_SERVICE();
    updatetest::SetUpdatePath(ServiceUrl("/silent"));
    for (const char* close : {"--close", "--click 2", "--command 32774"}) {
        const DWORD dwStart = ::GetTickCount();
        DriverRun run = RunGuiDriver(std::string(kStart) + "--command 32773 --sleep 700 " + close + " --expect-exit 0");
        EXPECT_EQ(0u, run.exitCode) << close << "\n" << run.Output();
        EXPECT_LT(::GetTickCount() - dwStart, 15000u) << close << ": the close does not wait for the time limit";
        EXPECT_TRUE(run.LinesStartingWith("box").empty()) << close << "\n" << run.Output();
    }
}

} // namespace
