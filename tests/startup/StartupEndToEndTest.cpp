// tests/startup/StartupEndToEndTest.cpp
// Tavisk.exe started under Wine and driven by guidriver.exe: which drive access it starts on Windows 98 and XP,
// the message and the close when none starts, and the old-ASPI warning with both answers. The program runs once
// per scenario, each in a private prefix with its Windows version (see CMakeLists.txt). The emulated drives come
// from machine descriptions written beside the program: "wnaspi32.emu" for the test ASPI library, and
// "passthrough.emu" for the test build of Tavisk.exe whose pass-through interface reaches emulated drives. Each
// description names a log file; the commands in it show which interface the program used.
#include "StartupTestSupport.h"
#include "gui/GuiTest.h"
#include "gui/ProcessDriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using guitest::DriverRun;
using guitest::Quote;
using guitest::RunGuiDriver;
using namespace startup_test;

namespace {

const char kNoDriveAccess[] = "ASPI for Win32 is not initialized!\n\rUnable to load 'WNASPI32.DLL'";
const char kOldAspiWarning[] = "WARNING: USB devices detected with older Aspi layer!\n\tDo you wish to continue?";
const char kStart[] = "--timeout 30000 --start Tavisk.exe ";
const char kShowAndExit[] = "--wait-window \"Tavisk V1.25\" --list 1000 --click 2 --expect-exit 0";

void WriteFile(const std::string& name, const std::string& text)
{
    std::string path = ProgramFolder() + name;
    FILE* pFile = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, pFile) << path;
    fputs(text.c_str(), pFile);
    fclose(pFile);
}

bool Exists(const std::string& name)
{
    return GetFileAttributesA((ProgramFolder() + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The log a description asked for; empty when the emulated side never ran.
std::string ReadLog(const std::string& name)
{
    std::string path = ProgramFolder() + name;
    FILE* pFile = fopen(path.c_str(), "rb");
    if (pFile == nullptr)
        return std::string();
    std::string text;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pFile)) > 0)
        text.append(chunk, n);
    fclose(pFile);
    return text;
}

void RemoveLogs()
{
    DeleteFileA((ProgramFolder() + "aspi.log").c_str());
    DeleteFileA((ProgramFolder() + "passthrough.log").c_str());
}

std::string Box(const char* caption, const char* text, int button)
{
    return "box " + Quote(caption) + " " + Quote(text) + " " + std::to_string(button);
}

bool HasLine(const DriverRun& run, const std::string& line)
{
    for (const std::string& l : run.lines)
        if (l == line)
            return true;
    return false;
}

bool ListHas(const DriverRun& run, const std::string& fragment)
{
    for (const std::string& l : run.LinesStartingWith("line"))
        if (l.find(fragment) != std::string::npos)
            return true;
    return false;
}

const char kAspiMachine[] = "drive atapi-cd-writer aspi 0:0 letter E\n"
                            "log aspi.log\n";
const char kPassThroughMachine[] = "drive plain-dvd-rom letter F port 1:0:0:0\n"
                                   "log passthrough.log\n";

} // namespace

// Windows 98 and the test ASPI library: ASPI is used (its drive sees the identification commands) and the
// window shows the report with the layer's version.
TEST(EndToEndWin98Aspi, UsesAspi)
{
    RemoveLogs();
    WriteFile("wnaspi32.emu", kAspiMachine);
    DriverRun run = RunGuiDriver(std::string(kStart) + kShowAndExit);
    EXPECT_EQ(0u, run.exitCode) << run.Output();
    EXPECT_TRUE(run.LinesStartingWith("box").empty()) << run.Output();
    EXPECT_NE(std::string::npos, ReadLog("aspi.log").find("aspi 0:0:0 op 12")) << ReadLog("aspi.log");
    EXPECT_TRUE(ListHas(run, "Windows 98 SE V4.10.2222  A ")) << run.Output();
    EXPECT_TRUE(ListHas(run, "Windows ASPI (wnaspi32.dll) : ")) << run.Output();
}

// Windows 98 without an ASPI library: the pass-through interface takes over (with the emulated drive; without it
// nothing starts, see below).
TEST(EndToEndWin98NoAspi, FallsBackToPassThrough)
{
    RemoveLogs();
    WriteFile("passthrough.emu", kPassThroughMachine);
    DriverRun run = RunGuiDriver(std::string(kStart) + kShowAndExit);
    EXPECT_EQ(0u, run.exitCode) << run.Output();
    EXPECT_TRUE(run.LinesStartingWith("box").empty()) << run.Output();
    EXPECT_TRUE(Exists("passthrough.log")) << "the emulated pass-through drives were not in place";
}

// Windows 98 without an ASPI library and without drives: neither starts.
TEST(EndToEndWin98NoAspi, NeitherStartsShowsTheMessageAndCloses)
{
    RemoveLogs();
    DeleteFileA((ProgramFolder() + "passthrough.emu").c_str());
    DriverRun run = RunGuiDriver(std::string(kStart) + "--answer-box ok --expect-exit 0");
    EXPECT_EQ(0u, run.exitCode) << run.Output();
    EXPECT_TRUE(HasLine(run, Box("Tavisk", kNoDriveAccess, IDOK))) << run.Output();
}

// Windows XP: the pass-through interface only; the ASPI library beside the program is never loaded.
TEST(EndToEndWinXp, PassThroughOnly)
{
    RemoveLogs();
    WriteFile("wnaspi32.emu", kAspiMachine);
    WriteFile("passthrough.emu", kPassThroughMachine);
    DriverRun run = RunGuiDriver(std::string(kStart) + kShowAndExit);
    EXPECT_EQ(0u, run.exitCode) << run.Output();
    EXPECT_TRUE(run.LinesStartingWith("box").empty()) << run.Output();
    EXPECT_FALSE(Exists("aspi.log")) << "the ASPI library was loaded:\n" << ReadLog("aspi.log");
    EXPECT_TRUE(Exists("passthrough.log")) << "the emulated pass-through drives were not in place";
    EXPECT_TRUE(ListHas(run, "Windows XP V5.01.2600 Service Pack 3")) << run.Output();
}

TEST(EndToEndWinXp, NeitherStartsShowsTheMessageAndCloses)
{
    RemoveLogs();
    WriteFile("wnaspi32.emu", kAspiMachine);
    DeleteFileA((ProgramFolder() + "passthrough.emu").c_str());
    DriverRun run = RunGuiDriver(std::string(kStart) + "--answer-box ok --expect-exit 0");
    EXPECT_EQ(0u, run.exitCode) << run.Output();
    EXPECT_TRUE(HasLine(run, Box("Tavisk", kNoDriveAccess, IDOK))) << run.Output();
    EXPECT_TRUE(run.LinesStartingWith("window").empty()) << run.Output();
}

// Windows 98, the out-of-date ASPI library and a drive behind a USB bridge: the warning. Cancel ends the program
// before its window shows; OK goes on to the window.
TEST(EndToEndWin98OldAspi, WarningCancelEndsTheProgram)
{
    WriteFile("wnaspi32.emu", "drive vendor-dvd-rom aspi 0:0 letter E usb\n");
    DriverRun run = RunGuiDriver(std::string(kStart) + "--answer-box cancel --expect-exit 0");
    EXPECT_EQ(0u, run.exitCode) << run.Output();
    EXPECT_TRUE(HasLine(run, Box("Tavisk", kOldAspiWarning, IDCANCEL))) << run.Output();
    EXPECT_EQ(1u, run.LinesStartingWith("box").size()) << run.Output();
}

TEST(EndToEndWin98OldAspi, WarningOkContinues)
{
    WriteFile("wnaspi32.emu", "drive vendor-dvd-rom aspi 0:0 letter E usb\n");
    DriverRun run = RunGuiDriver(std::string(kStart) + "--answer-box ok " + kShowAndExit);
    EXPECT_EQ(0u, run.exitCode) << run.Output();
    EXPECT_TRUE(HasLine(run, Box("Tavisk", kOldAspiWarning, IDOK))) << run.Output();
    EXPECT_TRUE(ListHas(run, "*** WARNING: It is recommended to update this ASPI layer. ***")) << run.Output();
}

TEST(EndToEndWin98OldAspi, NoWarningWithoutUsbAdapter)
{
    WriteFile("wnaspi32.emu", "drive vendor-dvd-rom aspi 0:0 letter E\n");
    DriverRun run = RunGuiDriver(std::string(kStart) + kShowAndExit);
    EXPECT_EQ(0u, run.exitCode) << run.Output();
    EXPECT_TRUE(run.LinesStartingWith("box").empty()) << run.Output();
}
