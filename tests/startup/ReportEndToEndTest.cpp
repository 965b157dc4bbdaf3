// tests/startup/ReportEndToEndTest.cpp
// Tavisk.exe on the machine that scripts/run emulates (Windows 98, the test ASPI library, three of the maker's
// drives), with settings of the sibling product in the registry, driven by guidriver.exe: the report list, then Save
// through the system's Save-As dialog. The text file and the support file (deciphered by the tests' own reader)
// carry the same report as the list, the USB section and both editions of the sibling product's settings included.
#include "StartupTestSupport.h"
#include "SupportFileReader.h"
#include "gui/GuiTest.h"
#include "gui/ProcessDriver.h"
#include "support/RegistryFixture.h"
#include "support/StringLists.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using guitest::DriverRun;
using guitest::Quote;
using guitest::RunGuiDriver;
using namespace startup_test;

namespace {

// The list's lines as guidriver printed them: line INDEX "TEXT", the text with C escapes.
std::vector<std::string> ListedLines(const DriverRun& run)
{
    std::vector<std::string> lines;
    for (const std::string& l : run.LinesStartingWith("line")) {
        size_t quote = l.find('"');
        if (quote == std::string::npos || l.size() < quote + 2)
            continue;
        std::string escaped = l.substr(quote + 1, l.size() - quote - 2);
        std::string text;
        for (size_t i = 0; i < escaped.size(); ++i) {
            if (escaped[i] != '\\' || i + 1 == escaped.size()) {
                text += escaped[i];
                continue;
            }
            char c = escaped[++i];
            text += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
        lines.push_back(text);
    }
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool Mentions(const std::vector<std::string>& lines, const std::string& fragment)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(fragment) != std::string::npos; });
}

TEST(ReportEndToEnd, ListTextFileAndSupportFileOfTheEmulatedMachine)
{
    std::string machine;
    ASSERT_TRUE(ReadHostFile(TAVISK_SOURCE_DIR "/tests/startup/machines/korvath-drives.emu", machine));
    testsupport::WriteText(ProgramFolder() + "wnaspi32.emu", machine);

    using testsupport::Dword;
    using testsupport::Text;
    testsupport::WriteRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korvath\\Velloran\\General",
                                  {Text("Version", "3.2.0.14"), Dword("Parameter", 0x21)});
    testsupport::WriteRegistryKey(HKEY_LOCAL_MACHINE, "Software\\Korvath\\QRVMZ\\freedb",
                                  {Text("server", "freedb.example"), Text("ppass", "e2e-secret")});
    testsupport::WriteRegistryKey(HKEY_LOCAL_MACHINE, "Software\\Korvath\\QRVMZ\\Disc Extraction",
                                  {Text("Filename", "%N - %T")});

    const std::string text = ProgramFolder() + "e2e.txt";
    const std::string support = ProgramFolder() + "e2e.kvs";
    DeleteFileA(text.c_str());
    DeleteFileA(support.c_str());
    DriverRun run = RunGuiDriver("--timeout 60000 --start Tavisk.exe --wait-window \"Tavisk V1.25\" --list 1000 "
                                 "--click 1002 --wait-window \"Save As\" --set-text 1148 " +
                                     Quote(text) +
                                     " --click 1 --sleep 1500 --wait-window \"Tavisk V1.25\" --click 2 --expect-exit 0",
                                 120000);
    ASSERT_EQ(0u, run.exitCode) << run.Output();
    EXPECT_TRUE(run.LinesStartingWith("box").empty()) << run.Output();

    // The list: the ASPI layer of the machine, the USB section (Windows 98 lists it; Wine has no USB host controller,
    // so only its heading), both editions of the sibling product's settings with the stored values, the proxy
    // password masked.
    const std::vector<std::string> listed = ListedLines(run);
    EXPECT_TRUE(Mentions(listed, "Windows 98 SE V4.10.2222")) << run.Output();
    EXPECT_TRUE(Mentions(listed, "Windows ASPI (wnaspi32.dll) : ")) << run.Output();
    const std::vector<std::string> parts = {"USB Device Information:",
                                            "-----------------------",
                                            " Velloran Studio Registry Information",
                                            " Velloran version : 3.2.0.14",
                                            " SaveSettings : true",
                                            " Read disc information : true",
                                            " Velloran Studio Plus Registry Information",
                                            " Server : freedb.example",
                                            " Proxy password : ********",
                                            " Filename Construction : %N - %T",
                                            " Key not Found"};
    for (const std::string& part : parts)
        EXPECT_TRUE(Has(listed, part)) << part << "\n" << run.Output();
    EXPECT_FALSE(Mentions(listed, "e2e-secret"));

    // The text file: the same parts; the support file: the text file without its software section, line by line.
    const std::vector<std::string> lines = testsupport::SplitCrLf(testsupport::ReadText(text));
    ASSERT_GT(lines.size(), 20u) << "no text file written";
    for (const std::string& part : parts)
        EXPECT_TRUE(Has(lines, part)) << part;
    EXPECT_FALSE(Mentions(lines, "e2e-secret"));

    const std::string file = testsupport::ReadText(support);
    std::string error;
    const std::vector<std::string> deciphered =
        reader::DecodeSupportFile(std::vector<uint8_t>(file.begin(), file.end()), reader::kSupportKeys, &error);
    EXPECT_EQ("", error);
    std::vector<std::string> expected(lines.begin(), lines.begin() + 5);
    auto hardware = std::find(lines.begin() + 5, lines.end(), "Hardware Information");
    ASSERT_NE(lines.end(), hardware);
    expected.insert(expected.end(), hardware, lines.end());
    EXPECT_EQ(expected, deciphered);
    for (const std::string& part : parts)
        EXPECT_TRUE(Has(deciphered, part)) << part;
}

} // namespace
