// tests/startup/SoftwareSectionTest.cpp
// The report's software section, line by line: the Windows text of every version Wine reports (this program
// runs once per version), the three ASPI layers installed and missing (fixture libraries with version
// resources, an App Paths key), the out-of-date warning and the video applications' keys.
#include "report/SoftwareSection.h"
#include "support/PinnedWindowsVersion.h"

#include "drive/DriveManager.h"

#include "StartupTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <list>
#include <string>
#include <vector>
#include "support/StringLists.h"

using namespace startup_test;

namespace {

struct PinnedVersion {
    const char* setting;     // scripts/wine-run --winver
    const char* windowsText; // what Wine reports, as the section writes it
    bool nt5Family;          // layer versions carry the note of string 135
};

// Wine 8.0's answers for each setting (build number low word and service-pack text included).
const PinnedVersion kPinnedVersions[] = {
    {"win95", "Windows 95 V4.00.950 ", false},
    {"win98", "Windows 98 SE V4.10.2222  A ", false},
    {"winme", "Windows Me V4.90.3000  ", false},
    {"nt40", "Windows NT 4.0 V4.00.1381 Service Pack 6a", false},
    {"win2k", "Windows 2000 V5.00.2195 Service Pack 4", true},
    {"winxp", "Windows XP V5.01.2600 Service Pack 3", true},
    {"win2003", "Windows Server 2003 family V5.02.3790 Service Pack 2", true},
    {"vista", "Windows Vista V6.00.6002 Service Pack 2", false},
    {"default", "Windows Vista V6.01.7601 Service Pack 1", false},
};

const PinnedVersion* ThisRun()
{
    std::string setting = PinnedWindowsVersion();
    for (const PinnedVersion& v : kPinnedVersions)
        if (setting == v.setting)
            return &v;
    return nullptr;
}

using testsupport::Lines;

// The section builder with fixture layers in a temp folder and a private registry root.
class SoftwareSectionTest : public ::testing::Test {
protected:
    SoftwareSectionTest() : m_folder("software"), m_registry("software") {}

    void SetUp() override
    {
        m_run = ThisRun();
        m_note = (m_run != nullptr && m_run->nt5Family) ? " (not used by Tavisk)" : "";
        m_folder.AddFolder("system");
        m_folder.AddFolder("burner");
        m_folder.AddFolder("empty");
        ASSERT_TRUE(m_folder.CopyFromProgramFolder("fixture_aspi_old.dll", "system\\old.dll"));
        ASSERT_TRUE(m_folder.CopyFromProgramFolder("fixture_aspi_new.dll", "system\\new.dll"));
        ASSERT_TRUE(m_folder.CopyFromProgramFolder("fixture_cdral.dll", "system\\cdral.dll"));
        ASSERT_TRUE(m_folder.CopyFromProgramFolder("fixture_version_only.dll", "system\\versiononly.dll"));
        ASSERT_TRUE(m_folder.CopyFromProgramFolder("fixture_wrong_translation.dll", "system\\mislabelled.dll"));
        ASSERT_TRUE(m_folder.CopyFromProgramFolder("fixture_no_version.dll", "system\\noversion.dll"));
        ASSERT_TRUE(m_folder.CopyFromProgramFolder("fixture_burner.dll", "burner\\wnaspi32.dll"));
        m_sources.machineRoot = m_registry.Key();
        m_sources.windowsLayer = Keep(m_folder.Path() + "system\\new.dll");
        m_sources.recorderLayer = Keep(m_folder.Path() + "system\\missing.dll");
    }

    LPCSTR Keep(const std::string& text)
    {
        m_texts.push_back(text);
        return m_texts.back().c_str();
    }

    void RegisterBurner(const std::string& folder)
    {
        m_registry.SetText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\nero.exe", "Path", folder.c_str());
    }

    std::vector<std::string> Build()
    {
        CStringArray lines;
        lines.Add("stale line of an earlier build");
        BuildSoftwareSection(lines, nullptr, m_sources);
        std::vector<std::string> out = Lines(lines);
        if (!out.empty())
            out.erase(out.begin()); // the Windows text, checked by its own test
        return out;
    }

    CTempFolder m_folder;
    CRegistryRoot m_registry;
    SoftwareSectionSources m_sources;
    std::list<std::string> m_texts; // keeps the texts whose addresses m_sources holds
    const PinnedVersion* m_run = nullptr;
    std::string m_note;
};

} // namespace

TEST(WindowsText, EveryVersionWineReports)
{
    const PinnedVersion* run = ThisRun();
    if (run == nullptr)
        GTEST_SKIP() << "not started by scripts/wine-run with a pinned version";
    CStringArray lines;
    BuildSoftwareSection(lines, nullptr);
    ASSERT_GE(lines.GetSize(), 1);
    EXPECT_STREQ(run->windowsText, lines[0]);
    char text[kWindowsTextSize];
    EXPECT_EQ(static_cast<int>(strlen(run->windowsText)), GetWindowsVersionText(text));
}

namespace {

struct VersionCase {
    DWORD platform, major, minor, build;
    const char* servicePack;
    const char* expected;
};

} // namespace

// Versions Wine cannot report, through the version-query seam.
TEST(WindowsText, NamesByPlatformAndVersion)
{
    static const VersionCase cases[] = {
        {0, 3, 11, 0, "", "Windows V3.11.0 "},
        {1, 4, 10, 0x040A07CE, " ", "Windows 98 V4.10.1998  "},
        {1, 4, 10, 0x040A08AE, " A ", "Windows 98 SE V4.10.2222  A "},
        {1, 4, 10, 0x040A08AE, "A", "Windows 98 V4.10.2222 A"},
        {1, 4, 90, 0x045A0BB8, "", "Windows Me V4.90.3000 "},
        {1, 4, 3, 0x04030457, " B ", "Windows 95 V4.03.1111  B "},
        {2, 3, 51, 1057, "Service Pack 5", "Windows NT 3.51 V3.51.1057 Service Pack 5"},
        {2, 4, 0, 1381, "Service Pack 6", "Windows NT 4.0 V4.00.1381 Service Pack 6"},
        {2, 5, 0, 2195, "", "Windows 2000 V5.00.2195 "},
        {2, 5, 1, 2600, "Service Pack 2", "Windows XP V5.01.2600 Service Pack 2"},
        {2, 5, 2, 3790, "", "Windows Server 2003 family V5.02.3790 "},
        {2, 5, 7, 9999, "", "Windows XP V5.07.9999 "},
        {2, 6, 0, 6000, "", "Windows Vista V6.00.6000 "},
        {2, 6, 3, 9600, "", "Windows Vista V6.03.9600 "},
        {2, 7, 0, 1, "", "Windows XP V7.00.1 "},
        {2, 10, 0, 19045, "", "Windows XP V10.00.19045 "},
        {3, 6, 0, 1, "", "Windows V6.00.1 "},
    };
    for (const VersionCase& c : cases) {
        testsupport::PinnedWindowsVersion pinned(c.platform, c.major, c.minor, c.build, c.servicePack);
        char text[kWindowsTextSize];
        int length = GetWindowsVersionText(text);
        EXPECT_STREQ(c.expected, text);
        EXPECT_EQ(static_cast<int>(strlen(c.expected)), length);
    }
}

// A service-pack text of the full 128 bytes without a terminator stays inside the 200-character text.
TEST(WindowsText, FullServicePackFieldStaysBounded)
{
    OSVERSIONINFOEXA info;
    memset(&info, 0, sizeof info);
    info.dwPlatformId = VER_PLATFORM_WIN32_NT;
    info.dwMajorVersion = 5;
    info.dwMinorVersion = 2;
    memset(info.szCSDVersion, 'x', sizeof info.szCSDVersion);
    char text[kWindowsTextSize + 8];
    memset(text, '#', sizeof text);
    int length = FormatWindowsVersionText(info, text);
    EXPECT_EQ(std::string("Windows Server 2003 family V5.02.0 ") + std::string(127, 'x'), text);
    EXPECT_EQ(static_cast<int>(strlen(text)), length);
    EXPECT_EQ('#', text[kWindowsTextSize]);
}

TEST_F(SoftwareSectionTest, AllLayersAndVideoApplicationsInstalled)
{
    m_sources.windowsLayer = Keep(m_folder.Path() + "system\\old.dll");
    m_sources.recorderLayer = Keep(m_folder.Path() + "system\\cdral.dll");
    RegisterBurner(m_folder.Path() + "burner\\");
    m_registry.SetText("SOFTWARE\\InterVideo\\DVR5", "Version", "5.0.1");
    m_registry.SetText("SOFTWARE\\InterVideo\\DVR3", "Version", "3.2");
    m_registry.SetText("SOFTWARE\\InterVideo\\WCreator2", "Version", "2.1");

    std::vector<std::string> expected = {
        "Windows ASPI (wnaspi32.dll) : Fixture Systems Ltd. ASPI for Win32 (fixture), V1, 0, 0, 0" + m_note,
        "*** WARNING: It is recommended to update this ASPI layer. ***",
        "This version may result in unpredictable behaviour of certain components.",
        "Roxio ASPI (cdral.dll)    : Sample Recording Inc. CD Recording Access Layer, V2.5.1" + m_note,
        "Ahead ASPI (wnaspi32.dll)    : Burner ASPI Layer V2.0.1.74" + m_note,
        "InterVideo WinDVR 3 Version: 3.2",
        "InterVideo WinDVR 5 Version: 5.0.1",
        "InterVideo WinDVD Creator 2 Version: 2.1",
    };
    EXPECT_EQ(expected, Build());
}

// Through the drive manager, as the program builds it: the same lines, and the transport's ASPI DLL name keeps
// the last layer the section read.
TEST_F(SoftwareSectionTest, ReadsTheLayersThroughTheDriveManager)
{
    m_sources.windowsLayer = Keep(m_folder.Path() + "system\\old.dll");
    m_sources.recorderLayer = Keep(m_folder.Path() + "system\\cdral.dll");
    CDriveManager manager;
    CStringArray withManager;
    BuildSoftwareSection(withManager, &manager, m_sources);
    EXPECT_EQ("Windows ASPI (wnaspi32.dll) : Fixture Systems Ltd. ASPI for Win32 (fixture), V1, 0, 0, 0" + m_note,
              Lines(withManager)[1]);
    EXPECT_EQ(std::string(m_sources.recorderLayer), manager.GetAspiDllName());

    RegisterBurner(m_folder.Path() + "burner");
    BuildSoftwareSection(withManager, &manager, m_sources);
    EXPECT_EQ(m_folder.Path() + "burner\\wnaspi32.dll", manager.GetAspiDllName());
    CStringArray withoutManager;
    BuildSoftwareSection(withoutManager, nullptr, m_sources);
    EXPECT_EQ(Lines(withoutManager), Lines(withManager));
    EXPECT_EQ(6, withManager.GetSize());
}

TEST_F(SoftwareSectionTest, CurrentLayerAloneGetsNoWarning)
{
    std::vector<std::string> expected = {
        "Windows ASPI (wnaspi32.dll) : Fixture Systems Ltd. ASPI for Win32 (fixture), V4.60 (1021)" + m_note,
        "Roxio ASPI (cdral.dll)    : n/a",
        "Ahead ASPI (wnaspi32.dll)    : n/a",
    };
    EXPECT_EQ(expected, Build());
}

TEST_F(SoftwareSectionTest, MissingOrIncompleteWindowsLayerReadsNotAvailable)
{
    struct Case {
        const char* file;
        const char* line;
    };
    const Case cases[] = {
        {"system\\missing.dll", "ASPI (wnaspi32.dll) : n/a"},
        {"system\\noversion.dll", "ASPI (wnaspi32.dll) : n/a"},
        {"system\\versiononly.dll", "ASPI (wnaspi32.dll) : n/a"},
        {"system\\mislabelled.dll", "ASPI (wnaspi32.dll) : n/a"},
    };
    for (const Case& c : cases) {
        m_sources.windowsLayer = Keep(m_folder.Path() + c.file);
        std::vector<std::string> lines = Build();
        ASSERT_EQ(3u, lines.size()) << c.file; // no warning lines
        EXPECT_EQ(c.line, lines[0]) << c.file;
    }
}

// The App Paths folder with and without its trailing backslash, and folders where no layer is found.
TEST_F(SoftwareSectionTest, BurningApplicationLayer)
{
    const std::string found = "Ahead ASPI (wnaspi32.dll)    : Burner ASPI Layer V2.0.1.74" + m_note;
    const std::string missing = "Ahead ASPI (wnaspi32.dll)    : n/a";
    struct Case {
        std::string folder;
        std::string line;
    };
    const Case cases[] = {
        {m_folder.Path() + "burner\\", found},
        {m_folder.Path() + "burner", found},
        {m_folder.Path() + "empty\\", missing},
        {"", missing},
    };
    for (const Case& c : cases) {
        RegisterBurner(c.folder);
        std::vector<std::string> lines = Build();
        ASSERT_EQ(3u, lines.size()) << c.folder;
        EXPECT_EQ(c.line, lines[2]) << c.folder;
    }
}

TEST_F(SoftwareSectionTest, FindBurnerAspiDllPath)
{
    char path[MAX_PATH];
    EXPECT_FALSE(FindBurnerAspiDll(path, m_registry.Key()));

    RegisterBurner("C:\\Program Files\\Burner\\");
    ASSERT_TRUE(FindBurnerAspiDll(path, m_registry.Key()));
    EXPECT_STREQ("C:\\Program Files\\Burner\\wnaspi32.dll", path);

    // Only one trailing backslash is dropped.
    RegisterBurner("C:\\Burner\\\\");
    ASSERT_TRUE(FindBurnerAspiDll(path, m_registry.Key()));
    EXPECT_STREQ("C:\\Burner\\\\wnaspi32.dll", path);

    // A value stored without its terminator ends at its size.
    m_registry.SetUnterminatedText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\nero.exe", "Path",
                                   "C:\\B");
    ASSERT_TRUE(FindBurnerAspiDll(path, m_registry.Key()));
    EXPECT_STREQ("C:\\B\\wnaspi32.dll", path);

    // 259 characters fit the 260-character name; one more is refused.
    std::string folder = "C:\\" + std::string(259 - 3 - 13, 'f');
    RegisterBurner(folder);
    ASSERT_TRUE(FindBurnerAspiDll(path, m_registry.Key()));
    EXPECT_EQ(folder + "\\wnaspi32.dll", path);
    RegisterBurner(folder + "g");
    EXPECT_FALSE(FindBurnerAspiDll(path, m_registry.Key()));

    // A value that is no text is not a folder.
    DWORD number = 7;
    m_registry.SetValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\nero.exe", "Path", REG_DWORD, &number,
                        sizeof number);
    EXPECT_FALSE(FindBurnerAspiDll(path, m_registry.Key()));
}

// Versions 1 to 9 are looked up; empty, non-text and unterminated values; other vendors' keys are left alone.
TEST_F(SoftwareSectionTest, VideoApplicationValues)
{
    DWORD number = 6;
    m_registry.SetText("SOFTWARE\\InterVideo\\DVR1", "Version", "");
    m_registry.SetUnterminatedText("SOFTWARE\\InterVideo\\DVR2", "Version", "4.1");
    m_registry.SetValue("SOFTWARE\\InterVideo\\DVR6", "Version", REG_DWORD, &number, sizeof number);
    m_registry.SetText("SOFTWARE\\InterVideo\\DVR9", "Version", "9.9");
    m_registry.SetText("SOFTWARE\\InterVideo\\DVR10", "Version", "10.0");
    m_registry.SetText("SOFTWARE\\InterVideo\\WCreator4", "Build", "4");
    const std::string longVersion = "7.0 " + std::string(400, 'v');
    m_registry.SetText("SOFTWARE\\InterVideo\\WCreator7", "Version", longVersion.c_str());

    std::vector<std::string> lines = Build();
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("InterVideo WinDVR 2 Version: 4.1", lines[3]);
    EXPECT_EQ("InterVideo WinDVR 9 Version: 9.9", lines[4]);
    // A value longer than a report line is cut at the line's 299 characters.
    std::string creator = "InterVideo WinDVD Creator 7 Version: 7.0 " + std::string(400, 'v');
    EXPECT_EQ(creator.substr(0, 299), lines[5]);
}

TEST(FileVersionText, ItemsOfTheVersionResource)
{
    CTempFolder folder("versiontext");
    ASSERT_TRUE(folder.CopyFromProgramFolder("fixture_cdral.dll", "a.dll"));
    ASSERT_TRUE(folder.CopyFromProgramFolder("fixture_version_only.dll", "b.dll"));
    ASSERT_TRUE(folder.CopyFromProgramFolder("fixture_no_version.dll", "c.dll"));
    ASSERT_TRUE(folder.CopyFromProgramFolder("fixture_wrong_translation.dll", "d.dll"));
    struct Case {
        const char* file;
        const char* version;
        const char* description;
        const char* company;
    };
    const Case cases[] = {
        {"a.dll", "2.5.1", "CD Recording Access Layer", "Sample Recording Inc."},
        {"b.dll", "3.1.0.7", "N/A", "N/A"},
        {"c.dll", "", "", ""},
        {"d.dll", "N/A", "N/A", "N/A"},
        {"nothing-here.dll", "", "", ""},
    };
    for (const Case& c : cases) {
        char version[kVersionTextSize] = "x";
        char description[kVersionTextSize] = "x";
        char company[kVersionTextSize] = "x";
        GetFileVersionText((folder.Path() + c.file).c_str(), version, description, company);
        EXPECT_STREQ(c.version, version) << c.file;
        EXPECT_STREQ(c.description, description) << c.file;
        EXPECT_STREQ(c.company, company) << c.file;
    }
}

TEST(AspiLayerTexts, NotAvailableAndWindows2000FamilyNote)
{
    const PinnedVersion* run = ThisRun();
    const std::string note = (run != nullptr && run->nt5Family) ? " (not used by Tavisk)" : "";
    CTempFolder folder("layertexts");
    ASSERT_TRUE(folder.CopyFromProgramFolder("fixture_aspi_new.dll", "a.dll"));
    ASSERT_TRUE(folder.CopyFromProgramFolder("fixture_version_only.dll", "b.dll"));
    ASSERT_TRUE(folder.CopyFromProgramFolder("fixture_no_version.dll", "c.dll"));
    struct Case {
        const char* file;
        std::string version;
        const char* description;
        const char* company;
    };
    const Case cases[] = {
        {"a.dll", "4.60 (1021)" + note, "ASPI for Win32 (fixture)", "Fixture Systems Ltd."},
        {"b.dll", "3.1.0.7" + note, "n/a", "n/a"},
        {"c.dll", "n/a", "n/a", "n/a"},
        {"nothing-here.dll", "n/a", "n/a", "n/a"},
    };
    for (const Case& c : cases) {
        char version[kVersionTextSize];
        char description[kVersionTextSize];
        char company[kVersionTextSize];
        GetAspiLayerTexts((folder.Path() + c.file).c_str(), version, description, company);
        EXPECT_EQ(c.version, version) << c.file;
        EXPECT_STREQ(c.description, description) << c.file;
        EXPECT_STREQ(c.company, company) << c.file;
    }
}

TEST(OldAspiVersion, FormOfTheVersionText)
{
    struct Case {
        const char* version;
        bool old;
    };
    const Case cases[] = {
        {"1, 0, 0, 0", true},
        {"1, 0, 0, 0 (not used by Tavisk)", true},
        {"1a 0b 0c 0", true}, // only characters 0, 3, 6 and 9 count
        {"4.60 (1021)", false},
        {"1, 0, 0, 1", false},
        {"1, 0, 0", false}, // too short to hold characters 9
        {"1.0", false},
        {"n/a", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.old, IsOldAspiVersion(c.version)) << c.version;
}

TEST(ProgramName, FromTheStringTable)
{
    EXPECT_STREQ("Tavisk", CDriveManager::LoadProgramName());
}
