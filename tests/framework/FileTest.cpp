// tests/framework/FileTest.cpp — CFile, CStdioFile and CFileFind on a scratch folder
#include "framework/File.h"
#include "framework/FileFind.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
        m_dir.Format("%sframework_file_%lu", temp, GetCurrentProcessId());
        CreateDirectoryA(m_dir, nullptr);
    }
    void TearDown() override
    {
        CFileFind finder;
        BOOL more = finder.FindFile(m_dir + "\\*");
        while (more) {
            more = finder.FindNextFile();
            if (!finder.IsDots())
                DeleteFileA(finder.GetFilePath());
        }
        finder.Close();
        RemoveDirectoryA(m_dir);
    }
    CString Path(const char* name) const { return m_dir + "\\" + name; }
    std::string ReadBytes(const char* name) const
    {
        CFile file(Path(name), CFile::modeRead);
        std::string bytes(static_cast<size_t>(file.GetLength()), '\0');
        if (!bytes.empty())
            file.Read(&bytes[0], static_cast<UINT>(bytes.size()));
        return bytes;
    }

    CString m_dir;
};

// Text mode writes CR LF; ReadString returns each line without its end, also lines longer than any internal
// chunk, an empty line as an empty string, and a last line without a line end.
TEST_F(FileTest, StdioLinesRoundTrip)
{
    const std::string longLine(1000, 'x');
    {
        CStdioFile out(Path("lines.txt"), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        out.WriteString("one\n");
        out.WriteString("\n");
        out.WriteString((longLine + "\n").c_str());
        out.WriteString("last");
        out.Close();
    }
    EXPECT_EQ("one\r\n\r\n" + longLine + "\r\nlast", ReadBytes("lines.txt"));

    for (UINT type : {static_cast<UINT>(CFile::typeText), static_cast<UINT>(CFile::typeBinary)}) {
        SCOPED_TRACE(type == CFile::typeText ? "text" : "binary");
        CStdioFile in;
        CFileException error;
        ASSERT_TRUE(in.Open(Path("lines.txt"), CFile::modeRead | type, &error));
        CString line;
        ASSERT_TRUE(in.ReadString(line));
        EXPECT_STREQ("one", line);
        ASSERT_TRUE(in.ReadString(line));
        EXPECT_STREQ("", line);
        ASSERT_TRUE(in.ReadString(line));
        EXPECT_EQ(longLine, std::string(line));
        ASSERT_TRUE(in.ReadString(line));
        EXPECT_STREQ("last", line);
        EXPECT_FALSE(in.ReadString(line));
        EXPECT_STREQ("", line);
    }
}

TEST_F(FileTest, OpenFailuresReportTheCause)
{
    const CString missing = Path("missing.bin");
    try {
        CFile file(missing, CFile::modeRead);
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(CFileException::fileNotFound, e.m_cause);
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, e.m_lOsError);
        EXPECT_STREQ(missing, e.m_strFileName);
        EXPECT_NE(-1, e.GetErrorMessage().Find("missing.bin"));
    }

    CStdioFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(Path("no_such_dir\\x.txt"), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(CFileException::badPath, error.m_cause);
    EXPECT_EQ(nullptr, file.m_pStream);
}

TEST_F(FileTest, BinaryReadWriteSeek)
{
    CFile file(Path("data.bin"), CFile::modeCreate | CFile::modeReadWrite);
    EXPECT_STREQ("data.bin", file.GetFileName());
    file.Write("0123456789", 10);
    EXPECT_EQ(10u, file.GetLength());
    EXPECT_EQ(4u, file.Seek(4, CFile::begin));
    char buffer[8] = {};
    EXPECT_EQ(3u, file.Read(buffer, 3));
    EXPECT_STREQ("456", buffer);
    EXPECT_EQ(7u, file.GetPosition());
    EXPECT_EQ(8u, file.Seek(-2, CFile::end));
    EXPECT_EQ(2u, file.Read(buffer, 8));
    EXPECT_EQ(0u, file.Read(buffer, 8));
    file.SetLength(5);
    EXPECT_EQ(5u, file.GetLength());
    file.Close();

    CFile writeOnly(Path("data.bin"), CFile::modeWrite);
    EXPECT_THROW(writeOnly.Read(buffer, 1), CFileException);
}

TEST_F(FileTest, FindFileWalksMatches)
{
    for (const char* name : {"a.dat", "b.dat", "c.txt"})
        CFile(Path(name), CFile::modeCreate | CFile::modeWrite).Close();

    CFileFind finder;
    std::set<std::string> paths;
    BOOL more = finder.FindFile(m_dir + "\\*.dat");
    EXPECT_TRUE(more);
    while (more) {
        more = finder.FindNextFile();
        paths.insert(std::string(finder.GetFilePath()));
        EXPECT_STREQ(finder.GetFilePath(), Path(finder.GetFileName()));
    }
    EXPECT_EQ((std::set<std::string>{std::string(Path("a.dat")), std::string(Path("b.dat"))}), paths);

    EXPECT_FALSE(finder.FindFile(m_dir + "\\*.none"));
    EXPECT_STREQ("", finder.GetFilePath());

    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    ASSERT_TRUE(SetCurrentDirectoryA(m_dir));
    const BOOL found = finder.FindFile("c.txt");
    finder.FindNextFile();
    const CString relative = finder.GetFilePath();
    finder.Close();
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(found);
    EXPECT_STREQ(Path("c.txt"), relative);
}

} // namespace
