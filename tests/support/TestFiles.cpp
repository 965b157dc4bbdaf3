// tests/support/TestFiles.cpp
#include "support/TestFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testsupport {

std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string ProgramFolder()
{
    std::string path = ProgramPath();
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string RunWindowsVersion()
{
    const char* runDir = getenv("TAVISK_RUN_DIR");
    if (runDir == nullptr)
        return std::string();
    std::string dir(runDir);
    while (!dir.empty() && (dir.back() == '/' || dir.back() == '\\'))
        dir.pop_back();
    size_t slash = dir.find_last_of("/\\");
    std::string leaf = slash == std::string::npos ? dir : dir.substr(slash + 1);
    size_t dot = leaf.rfind('.');
    return dot == std::string::npos ? std::string() : leaf.substr(dot + 1);
}

ScratchFolder::ScratchFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    for (;;) {
        char name[MAX_PATH];
        snprintf(name, sizeof(name), "%stavisk-test-%lu-%d", temp, GetCurrentProcessId(), ++serial);
        if (CreateDirectoryA(name, nullptr)) {
            m_path = name;
            break;
        }
    }
}

ScratchFolder::~ScratchFolder()
{
    for (const std::string& name : Files()) {
        std::string path = Path(name);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(m_path.c_str());
}

std::vector<std::string> ScratchFolder::Files() const
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((m_path + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileA(h, &data));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return bytes;
    uint8_t buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

std::string ReadText(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (f != nullptr) {
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ListBoxEntries(HWND hList)
{
    std::vector<std::string> entries;
    int count = int(SendMessageA(hList, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(hList, LB_GETTEXTLEN, WPARAM(i), 0);
        std::string text(size_t(length > 0 ? length : 0) + 1, '\0');
        SendMessageA(hList, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(strlen(text.c_str()));
        entries.push_back(text);
    }
    return entries;
}

} // namespace testsupport
