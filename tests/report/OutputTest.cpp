// tests/report/OutputTest.cpp
// The report's outputs from fixed sections: Save (the text file as laid out, the support file beside it, the
// dialog, cancel and failures), the support file's name, and the list.
#include "ReportTestSupport.h"
#include "SupportFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace reporttest;

namespace {

// Save with the fixture: the Save-As dialog proposes "SYSInfo.txt"; the text file is exactly the golden file; the
// support file beside it holds the same report without the software section, line by line.
TEST(ReportSave, TextFileAsLaidOutAndSupportFileBesideIt)
{
    PinnedDate date;
    HookScope hooks;
    ScratchFolder folder;
    hooks.savePath = folder.Path("SYSInfo.txt");
    FixtureReport fixture;
    SaveReportFiles(fixture.Sections());

    EXPECT_EQ(1, hooks.fileDialogs);
    EXPECT_FALSE(hooks.lastOpen);
    EXPECT_EQ("SYSInfo.txt", hooks.lastInitialName);
    EXPECT_EQ("TXT", hooks.lastDefExt);
    EXPECT_TRUE(hooks.boxes.empty());
    EXPECT_EQ((std::vector<std::string>{"SYSInfo.kvs", "SYSInfo.txt"}), folder.Files());

    const std::string text = ReadText(folder.Path("SYSInfo.txt"));
    UpdateGolden("SYSInfo.txt", text);
    EXPECT_EQ(ExpectedTextFile("SYSInfo.txt"), text);

    std::vector<std::string> support = ReadSupportFile(folder.Path("SYSInfo.kvs"));
    EXPECT_EQ(WithoutSoftwareSection(SplitCrLf(text)), support);
}

// Sections that change the shape: no adapter, more than 20 adapters, no capture devices, no Stratafit listing,
// a Stratafit listing that ends in a tab-form row without its twin. The support file always follows the text file.
TEST(ReportSave, SectionShapes)
{
    struct Case {
        const char* name;
        int adapters;
        bool capture;
        bool stratafit;
        bool loneTabRow;
    };
    const Case cases[] = {
        {"no adapter", 0, true, true, false},  {"21 adapters", 21, true, true, false},
        {"no capture", 2, false, true, false}, {"empty Stratafit", 2, true, false, false},
        {"lone tab row", 2, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PinnedDate date;
        HookScope hooks;
        ScratchFolder folder;
        hooks.savePath = folder.Path("shape.log");
        FixtureReport fixture;
        for (int n = 0; n < kMaxAdapterBlocks; ++n) {
            fixture.adapters[n].RemoveAll();
            fixture.adapters[n].Add(CString("Adapter block ") + CString(std::to_string(n).c_str()));
        }
        fixture.adapterCount = c.adapters;
        if (!c.capture)
            fixture.capture.RemoveAll();
        if (!c.stratafit)
            fixture.stratafit.RemoveAll();
        if (c.loneTabRow)
            fixture.stratafit.Add("Lone\t row");
        SaveReportFiles(fixture.Sections());

        std::vector<std::string> text = SplitCrLf(ReadText(folder.Path("shape.log")));
        int blocks = int(std::count_if(text.begin(), text.end(),
                                       [](const std::string& l) { return l.rfind("Adapter block ", 0) == 0; }));
        EXPECT_EQ(std::min(c.adapters, kMaxAdapterBlocks), blocks);
        EXPECT_EQ(text.end() == std::find(text.begin(), text.end(), "Adapter block 20"), true);
        EXPECT_EQ(c.capture, text.end() != std::find(text.begin(), text.end(), "Video Capture Devices:"));
        auto stratafit = std::find(text.begin(), text.end(), "Stratafit Database");
        ASSERT_NE(text.end(), stratafit);
        if (!c.stratafit) {
            EXPECT_EQ(std::string(69, '_'), *(stratafit + 1));
        }
        if (c.loneTabRow) {
            EXPECT_EQ("Lone\t row", *(stratafit + 8));
        }
        EXPECT_EQ(text.end(), std::find(text.begin(), text.end(), "Database is empty"));
        EXPECT_EQ(WithoutSoftwareSection(text), ReadSupportFile(folder.Path("shape.kvs")));
        EXPECT_TRUE(hooks.boxes.empty());
    }
}

// A text file chosen with the support file's own extension: the support file gets a name of its own, and both
// files are kept.
TEST(ReportSave, TextFileNamedLikeASupportFile)
{
    PinnedDate date;
    FixtureReport fixture;
    for (const char* name : {"x.kvs", "X.KVS"}) {
        SCOPED_TRACE(name);
        HookScope hooks;
        ScratchFolder folder;
        hooks.savePath = folder.Path(name);
        SaveReportFiles(fixture.Sections());
        EXPECT_TRUE(hooks.boxes.empty());
        EXPECT_EQ((std::vector<std::string>{name, std::string(name) + ".kvs"}), folder.Files());
        const std::string text = ReadText(folder.Path(name));
        EXPECT_EQ(ExpectedTextFile("SYSInfo.txt"), text);
        EXPECT_EQ(WithoutSoftwareSection(SplitCrLf(text)), ReadSupportFile(folder.Path(std::string(name) + ".kvs")));
    }
}

TEST(ReportSave, CancelWritesNeitherFile)
{
    HookScope hooks;
    ScratchFolder folder;
    FixtureReport fixture;
    SaveReportFiles(fixture.Sections());
    EXPECT_EQ(1, hooks.fileDialogs);
    EXPECT_TRUE(hooks.boxes.empty());
    EXPECT_TRUE(folder.Files().empty());
}

// A text file that cannot be written gets its message and keeps its earlier content; the support file is still
// written. When the support file fails too, each file gets its own message.
TEST(ReportSave, FailuresAreReportedPerFile)
{
    PinnedDate date;
    FixtureReport fixture;
    {
        HookScope hooks;
        ScratchFolder folder;
        const std::string text = folder.Path("SYSInfo.txt");
        WriteText(text, "earlier report");
        SetFileAttributesA(text.c_str(), FILE_ATTRIBUTE_READONLY);
        hooks.savePath = text;
        SaveReportFiles(fixture.Sections());
        ASSERT_EQ(1u, hooks.boxes.size());
        EXPECT_EQ("Error creating file.", hooks.boxes[0].text);
        EXPECT_EQ("", hooks.boxes[0].caption);
        EXPECT_EQ("earlier report", ReadText(text));
        std::vector<std::string> support = ReadSupportFile(folder.Path("SYSInfo.kvs"));
        ASSERT_GT(support.size(), 6u);
        EXPECT_EQ("Hardware Information", support[5]);
    }
    {
        HookScope hooks;
        ScratchFolder folder;
        hooks.savePath = folder.Path("no such folder\\SYSInfo.txt");
        SaveReportFiles(fixture.Sections());
        ASSERT_EQ(2u, hooks.boxes.size());
        EXPECT_EQ("Error creating file.", hooks.boxes[1].text);
        EXPECT_TRUE(folder.Files().empty());
    }
}

// Only the file name's extension becomes ".kvs"; a dot in a folder name stays; a name without extension gets one;
// a name that already ends in ".kvs" (any case) keeps it and gets another, so the two files never share a name.
TEST(ReportSave, SupportFileName)
{
    const struct {
        const char* text;
        const char* support;
    } cases[] = {
        {"C:\\Reports\\SYSInfo.txt", "C:\\Reports\\SYSInfo.kvs"},
        {"C:\\Reports\\report.log", "C:\\Reports\\report.kvs"},
        {"D:\\a.txt\\SYSInfo.txt", "D:\\a.txt\\SYSInfo.kvs"},
        {"C:\\my.dir\\report", "C:\\my.dir\\report.kvs"},
        {"C:\\archive\\report.2006.txt", "C:\\archive\\report.2006.kvs"},
        {"report", "report.kvs"},
        {"C:report.txt", "C:report.kvs"},
        {"\\\\server\\share.v2\\SYSInfo.TXT", "\\\\server\\share.v2\\SYSInfo.kvs"},
        {"C:\\Reports\\SYSInfo.", "C:\\Reports\\SYSInfo.kvs"},
        {"C:/unix/style.txt", "C:/unix/style.kvs"},
        {"C:\\Reports\\x.kvs", "C:\\Reports\\x.kvs.kvs"},
        {"C:\\Reports\\x.Kvs", "C:\\Reports\\x.Kvs.kvs"},
        {"x.kvs.kvs", "x.kvs.kvs.kvs"},
        {"C:\\Reports\\x.kvs2", "C:\\Reports\\x.kvs"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.support, std::string(MakeSupportFileName(c.text))) << c.text;
}

// ---------------------------------------------------------------------------------------------------------------
// The list

class ListBoxWindow {
public:
    ListBoxWindow()
    {
        m_hWnd = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_NOTIFY | LBS_USETABSTOPS, 0, 0, 400, 300, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~ListBoxWindow() { DestroyWindow(m_hWnd); }
    HWND Handle() const { return m_hWnd; }
    std::vector<std::string> Entries() const { return ListEntries(m_hWnd); }

private:
    HWND m_hWnd;
};

// The list of the fixture: headings, rules and empty entries with one leading blank, section lines unchanged,
// the capture heading, the Stratafit rows in tab form, the support contacts; appended to what the list holds.
TEST(ReportList, EntriesOfTheFixture)
{
    ListBoxWindow list;
    ASSERT_NE(nullptr, list.Handle());
    SendMessageA(list.Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("kept"));
    FixtureReport fixture;
    EmitReportList(fixture.Sections(), list.Handle());
    std::vector<std::string> entries = list.Entries();
    std::string joined;
    for (size_t i = 1; i < entries.size(); ++i)
        joined += entries[i] + "\n";
    UpdateGolden("list.txt", joined);
    std::vector<std::string> expected = GoldenLines("list.txt");
    expected.insert(expected.begin(), "kept");
    EXPECT_EQ(expected, entries);
}

// Windows NT 3.51 and 4.0 show no USB tree in the list (nor its two blank entries); an empty capture section
// still has its heading; an empty Stratafit section says so; only 20 adapter blocks exist.
TEST(ReportList, SectionShapes)
{
    FixtureReport fixture;
    ListBoxWindow full;
    EmitReportList(fixture.Sections(), full.Handle());
    const std::vector<std::string> all = full.Entries();

    fixture.listUsbTree = false;
    ListBoxWindow nt;
    EmitReportList(fixture.Sections(), nt.Handle());
    std::vector<std::string> withoutTree = all;
    auto tree = std::find(withoutTree.begin(), withoutTree.end(), "USB Device Information:");
    ASSERT_NE(withoutTree.end(), tree);
    auto rule = std::find(tree, withoutTree.end(), " " + std::string(70, '_'));
    ASSERT_NE(withoutTree.end(), rule);
    EXPECT_EQ(" ", *(rule - 1));
    EXPECT_EQ(" ", *(rule - 2));
    withoutTree.erase(tree, rule);
    EXPECT_EQ(withoutTree, nt.Entries());

    FixtureReport sparse;
    sparse.capture.RemoveAll();
    sparse.stratafit.RemoveAll();
    sparse.adapterCount = 25;
    for (int n = 0; n < kMaxAdapterBlocks; ++n) {
        sparse.adapters[n].RemoveAll();
        sparse.adapters[n].Add("block");
    }
    ListBoxWindow list;
    EmitReportList(sparse.Sections(), list.Handle());
    std::vector<std::string> entries = list.Entries();
    EXPECT_EQ(20, std::count(entries.begin(), entries.end(), "block"));
    auto capture = std::find(entries.begin(), entries.end(), " Video Capture Devices:");
    ASSERT_NE(entries.end(), capture);
    EXPECT_EQ(" ", *(capture + 1));
    EXPECT_EQ(" ", *(capture + 2));
    auto stratafit = std::find(entries.begin(), entries.end(), " Stratafit Database");
    ASSERT_NE(entries.end(), stratafit);
    EXPECT_EQ(" " + std::string(37, '-'), *(stratafit + 1));
    EXPECT_EQ(" Database is empty", *(stratafit + 2));
}

} // namespace
