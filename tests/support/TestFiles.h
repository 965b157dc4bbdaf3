// tests/support/TestFiles.h
// Files of a test run: the test program's own path and folder, the Windows version the run was pinned to, a
// scratch folder, and whole-file reads and writes.
#ifndef TAVISK_TESTS_SUPPORT_TESTFILES_H
#define TAVISK_TESTS_SUPPORT_TESTFILES_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Full path of the test program.
std::string ProgramPath();
// Folder of the test program, with a trailing backslash.
std::string ProgramFolder();
// The Windows version setting of this run ("win98", "winxp", ..., "default"), taken from the run folder that
// scripts/wine-run names <program>.<version>; empty when the program runs elsewhere.
std::string RunWindowsVersion();

// A fresh folder under the temporary folder, removed with its files when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string Path(const std::string& name) const { return m_path + "\\" + name; }
    const std::string& Path() const { return m_path; } // without a trailing backslash
    std::vector<std::string> Files() const;            // names of the files in it, sorted

private:
    std::string m_path;
};

std::vector<uint8_t> ReadBytes(const std::string& path); // empty when the file cannot be read
std::string ReadText(const std::string& path);           // bytes as they are
void WriteText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

// The entries of a list box of this process (LB_GETCOUNT, LB_GETTEXT).
std::vector<std::string> ListBoxEntries(HWND hList);

} // namespace testsupport

#endif
