// tests/report/WriterTest.cpp
// CReportWriter on its file targets: the page header, lines written unchanged, the modes that write nothing, the
// binary support file, the Save-As dialog it shows, and files that cannot be written.
#include "ReportTestSupport.h"
#include "SupportFileReader.h"

#include "framework/FileReplace.h"
#include "report/SoftwareSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace reporttest;

namespace {

std::string Header()
{
    return std::string(55, '-') + "\r\nTavisk V1.25     \r\n" + kReportNoticeLine + "\r\n" + PinnedDate::DateText() +
           "\r\n" + std::string(55, '-') + "\r\n";
}

// The text file that a writer opened with `title` makes of what `write` hands it.
std::string TextFileOf(const std::function<void(CReportWriter&)>& write, const char* title = "")
{
    ScratchFolder folder;
    const std::string path = folder.Path("report.txt");
    {
        CReportWriter writer;
        if (writer.Open(kReportModeTextFile, title, path.c_str(), false) != 1) {
            ADD_FAILURE() << "cannot open " << path;
            return "";
        }
        write(writer);
    }
    return ReadText(path);
}

TEST(ReportWriterText, HeaderThenLinesUnchanged)
{
    PinnedDate date;
    HookScope hooks;
    ScratchFolder folder;
    const std::string path = folder.Path("report.txt");
    {
        CReportWriter writer;
        ASSERT_EQ(1, writer.Open(kReportModeTextFile, "", path.c_str(), false));
        EXPECT_EQ(kReportModeTextFile, writer.GetMode());
        EXPECT_EQ("", std::string(writer.GetFileName())); // no dialog was shown
        writer.WriteLine("");
        writer.WriteLine("100% %s %d %%");
        writer.WriteLine("two\nparts");
        writer.WriteLine("cr\r\nlf");
        writer.WriteLine("Title");
        writer.WriteHeading("Title");
        writer.WriteHeading("");
        writer.NewPage();
        writer.WriteLine("K\xe4"
                         "se");
    }
    EXPECT_EQ(Header() + "\r\n100% %s %d %%\r\ntwo\r\nparts\r\ncr\r\r\nlf\r\nTitle\r\n-----\r\n\r\nK\xe4"
                         "se\r\n",
              ReadText(path));
    EXPECT_TRUE(hooks.boxes.empty());
    EXPECT_EQ(std::vector<std::string>{"report.txt"}, folder.Files());
}

TEST(ReportWriterText, TitleFollowsTheProgramName)
{
    PinnedDate date;
    const std::string text = TextFileOf([](CReportWriter&) {}, "Drive D:");
    EXPECT_EQ("Tavisk V1.25     Drive D:", SplitCrLf(text).at(1));
}

// Mode 12 opens and writes nothing; other codes do not open.
TEST(ReportWriterModes, NoTargetAndUnknownModes)
{
    HookScope hooks;
    ScratchFolder folder;
    const std::string path = folder.Path("never.txt");
    {
        CReportWriter writer;
        EXPECT_EQ(0, writer.GetMode());
        EXPECT_EQ(1, writer.Open(kReportModeNoTarget, "", path.c_str(), true));
        writer.WriteLine("nothing");
        writer.WriteHeading("nothing");
        writer.NewPage();
        writer.WriteSupportForm();
        writer.Close();
    }
    for (int mode : {0, 9, 14, 1000}) {
        CReportWriter writer;
        EXPECT_EQ(0, writer.Open(mode, "", path.c_str(), true)) << mode;
        writer.WriteLine("nothing");
        writer.WriteHeading("nothing");
    }
    EXPECT_TRUE(folder.Files().empty());
    EXPECT_EQ(0, hooks.fileDialogs);
    EXPECT_EQ(0, hooks.printDialogs);
    EXPECT_TRUE(hooks.boxes.empty());
}

// The support file starts with the same five header lines, enciphered; the block counter numbers the blocks from
// the first header line on.
TEST(ReportWriterSupportFile, HeaderAndLinesReadBack)
{
    PinnedDate date;
    ScratchFolder folder;
    const std::string path = folder.Path("report.kvs");
    int32_t blocks = 0;
    {
        CReportWriter writer;
        ASSERT_EQ(1, writer.Open(kReportModeSupportFile, "", path.c_str(), false));
        writer.WriteLine("Hardware Information");
        writer.WriteHeading("Hardware Information");
        writer.WriteLine("a\nb");
        blocks = writer.GetBlockCounter();
    }
    std::vector<uint8_t> file = ReadBytes(path);
    EXPECT_EQ(size_t(blocks) * 16, file.size());
    std::string error;
    std::vector<std::string> lines = reader::DecodeSupportFile(file, reader::kSupportKeys, &error);
    EXPECT_EQ("", error);
    std::vector<std::string> expected = SplitCrLf(Header());
    expected.insert(expected.end(), {"Hardware Information", std::string(20, '-'), "a\nb"});
    EXPECT_EQ(expected, lines);
}

// A support file opened through the Save-As dialog is binary as well: the ciphertext's 0x0A bytes stay single.
TEST(ReportWriterSupportFile, BinaryAlsoWhenChosenInTheDialog)
{
    PinnedDate date;
    HookScope hooks;
    ScratchFolder folder;
    hooks.savePath = folder.Path("chosen.kvs");
    {
        CReportWriter writer;
        ASSERT_EQ(1, writer.Open(kReportModeSupportFile, "", "SYSInfo.txt", true));
        EXPECT_EQ(hooks.savePath, std::string(writer.GetFileName()));
        for (int i = 0; i < 200; ++i)
            writer.WriteLine(CString('x', i % 40));
    }
    std::vector<uint8_t> file = ReadBytes(hooks.savePath);
    ASSERT_NE(file.end(), std::find(file.begin(), file.end(), uint8_t(0x0A)));
    std::string error;
    std::vector<std::string> lines = reader::DecodeSupportFile(file, reader::kSupportKeys, &error);
    EXPECT_EQ("", error);
    EXPECT_EQ(205u, lines.size());
}

// The Save-As dialog: Save (not Open), default extension "TXT", the proposed name, hidden read-only box and an
// overwrite prompt, one filter for all files. A cancelled dialog opens nothing and shows no message.
TEST(ReportWriterDialog, SaveAsDialogAndCancel)
{
    HookScope hooks;
    {
        CReportWriter writer;
        EXPECT_EQ(0, writer.Open(kReportModeTextFile, "", "SYSInfo.txt", true));
        EXPECT_EQ("", std::string(writer.GetFileName()));
        writer.WriteLine("nothing");
    }
    EXPECT_EQ(1, hooks.fileDialogs);
    EXPECT_FALSE(hooks.lastOpen);
    EXPECT_EQ("TXT", hooks.lastDefExt);
    EXPECT_EQ("SYSInfo.txt", hooks.lastInitialName);
    EXPECT_EQ("All Files (*.*)|*.*|", hooks.lastFilter);
    EXPECT_EQ(DWORD(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT),
              hooks.lastFlags & (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
    EXPECT_TRUE(hooks.boxes.empty());
}

// A file that cannot be created: "Error creating file." without owner, caption = the title, error icon; Open
// returns 0 and nothing is left behind. An existing file that cannot be replaced keeps its content.
TEST(ReportWriterErrors, UnwritableTargetsKeepEarlierFiles)
{
    ScratchFolder folder;
    const std::string readOnly = folder.Path("readonly.txt");
    WriteText(readOnly, "earlier report");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string locked = folder.Path("locked.kvs");
    WriteText(locked, "earlier support file");
    HANDLE hLock = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hLock);

    struct Case {
        std::string path;
        ReportMode mode;
        const char* title;
    };
    const Case cases[] = {
        {folder.Path("missing folder\\report.txt"), kReportModeTextFile, ""},
        {folder.Path("missing folder\\report.kvs"), kReportModeSupportFile, "Support"},
        {readOnly, kReportModeTextFile, ""},
        {locked, kReportModeSupportFile, ""},
        {folder.Path(""), kReportModeTextFile, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        HookScope hooks;
        {
            CReportWriter writer;
            EXPECT_EQ(0, writer.Open(c.mode, c.title, c.path.c_str(), false));
            writer.WriteLine("lost");
        }
        ASSERT_EQ(1u, hooks.boxes.size());
        EXPECT_EQ("Error creating file.", hooks.boxes[0].text);
        EXPECT_EQ(c.title, hooks.boxes[0].caption);
        EXPECT_EQ(UINT(MB_ICONERROR), hooks.boxes[0].type);
    }
    CloseHandle(hLock);
    EXPECT_EQ("earlier report", ReadText(readOnly));
    EXPECT_EQ("earlier support file", ReadText(locked));
    EXPECT_EQ((std::vector<std::string>{"locked.kvs", "readonly.txt"}), folder.Files());
}

// A file is replaced only when the new one is complete: an earlier file is overwritten by a successful write, and
// kept when the replacement fails at the end (here: the file is locked while the report is being written).
TEST(ReportWriterErrors, ReplacementHappensOnlyWhenComplete)
{
    PinnedDate date;
    ScratchFolder folder;
    const std::string path = folder.Path("report.txt");
    WriteText(path, "earlier report");
    {
        CReportWriter writer;
        ASSERT_EQ(1, writer.Open(kReportModeTextFile, "", path.c_str(), false));
        writer.WriteLine("new");
    }
    EXPECT_EQ(Header() + "new\r\n", ReadText(path));

    HookScope hooks;
    {
        CReportWriter writer;
        ASSERT_EQ(1, writer.Open(kReportModeTextFile, "", path.c_str(), false));
        writer.WriteLine("newer");
        HANDLE hLock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, hLock);
        writer.Close();
        CloseHandle(hLock);
    }
    EXPECT_EQ(Header() + "new\r\n", ReadText(path));
    ASSERT_EQ(1u, hooks.boxes.size());
    EXPECT_EQ("Error creating file.", hooks.boxes[0].text);
    EXPECT_EQ(std::vector<std::string>{"report.txt"}, folder.Files());
}

// Windows 95/98/Me have no MoveFileEx: the earlier file is moved aside, the new one moved in, the earlier one
// deleted; whichever move fails, the earlier file is back in place and no other file is left behind.
int g_nMoves = 0;
int g_nFailingMove = 0;

BOOL MoveFileExMissing(LPCSTR, LPCSTR, DWORD)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL MoveFileFailingOnce(LPCSTR pszFrom, LPCSTR pszTo)
{
    if (++g_nMoves == g_nFailingMove) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return MoveFileA(pszFrom, pszTo);
}

TEST(ReportWriterErrors, ReplacementWithoutMoveFileExKeepsEarlierFile)
{
    const FileMoveHooks hooksWin9x = {&MoveFileExMissing, &MoveFileFailingOnce, nullptr};
    const FileMoveHooks* pPrevious = SetFileMoveHooks(&hooksWin9x);
    PinnedDate date;
    const struct {
        bool bEarlierFile;
        int nFailingMove; // 1: moving the earlier file aside, 2: moving the new one in, 0: none
        bool bReplaced;
    } cases[] = {
        {true, 0, true}, {true, 1, false}, {true, 2, false}, {false, 0, true}, {false, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bEarlierFile << " " << c.nFailingMove);
        ScratchFolder folder;
        const std::string path = folder.Path("report.txt");
        if (c.bEarlierFile)
            WriteText(path, "earlier report");
        g_nMoves = 0;
        g_nFailingMove = c.nFailingMove;
        HookScope hooks;
        {
            CReportWriter writer;
            ASSERT_EQ(1, writer.Open(kReportModeTextFile, "", path.c_str(), false));
            writer.WriteLine("new");
        }
        if (c.bReplaced) {
            EXPECT_EQ(Header() + "new\r\n", ReadText(path));
            EXPECT_TRUE(hooks.boxes.empty());
        } else {
            ASSERT_EQ(1u, hooks.boxes.size());
            EXPECT_EQ("Error creating file.", hooks.boxes[0].text);
            if (c.bEarlierFile) {
                EXPECT_EQ("earlier report", ReadText(path));
            }
        }
        EXPECT_EQ(c.bEarlierFile || c.bReplaced ? std::vector<std::string>{"report.txt"} : std::vector<std::string>{},
                  folder.Files());
    }
    SetFileMoveHooks(pPrevious);
}

// A report that an exception cuts short never replaces the earlier file, and leaves no temporary file behind.
TEST(ReportWriterErrors, InterruptedReportKeepsEarlierFile)
{
    PinnedDate date;
    HookScope hooks;
    ScratchFolder folder;
    for (ReportMode mode : {kReportModeTextFile, kReportModeSupportFile}) {
        SCOPED_TRACE(mode);
        const std::string path = folder.Path(mode == kReportModeTextFile ? "report.txt" : "report.kvs");
        WriteText(path, "earlier file");
        try {
            CReportWriter writer;
            ASSERT_EQ(1, writer.Open(mode, "", path.c_str(), false));
            writer.WriteLine("the first half");
            throw CInvalidArgException();
        } catch (const CException&) {
        }
        EXPECT_EQ("earlier file", ReadText(path));
    }
    EXPECT_EQ((std::vector<std::string>{"report.kvs", "report.txt"}), folder.Files());
    EXPECT_TRUE(hooks.boxes.empty());
}

// The support form in the three languages (Windows-1252), with its headings underlined, as the text writer
// writes it after the header.
TEST(ReportWriterText, SupportFormTexts)
{
    PinnedDate date;
    const std::string text = TextFileOf([](CReportWriter& writer) { writer.WriteSupportForm(); });
    UpdateGolden("SupportForm.txt", text);
    EXPECT_EQ(ExpectedTextFile("SupportForm.txt"), text);
}

} // namespace

namespace {

// The short software section (nothing in the report calls it): without a drive manager the ASPI layer is read
// from wnaspi32.dll, which has no version resource in Wine's build.
TEST(ReportWriterText, SoftwareInfo)
{
    PinnedDate date;
    std::vector<std::string> lines = SplitCrLf(TextFileOf([](CReportWriter& writer) { writer.WriteSoftwareInfo(); }));
    ASSERT_GE(lines.size(), 5u);
    lines.erase(lines.begin(), lines.begin() + 5);
    const std::vector<std::string> expected = {
        "",
        "Software information",
        std::string(20, '-'),
        "Operating system: " + std::string(GetWindowsVersionText()),
        "ASPI Manager: n/a",
        "Description : n/a",
        "",
    };
    EXPECT_EQ(expected, lines);
}

} // namespace
