// tests/startup/StartupTestSupport.cpp
#include "StartupTestSupport.h"

#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace startup_test {

CTempFolder::CTempFolder(const char* tag)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%stavisk-%s-%lu\\", temp, tag, static_cast<unsigned long>(GetCurrentProcessId()));
    m_path = name;
    CreateDirectoryA(m_path.c_str(), nullptr);
}

namespace {

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\");
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

CTempFolder::~CTempFolder()
{
    RemoveTree(m_path);
}

std::string CTempFolder::AddFolder(const char* name)
{
    std::string path = m_path + name + "\\";
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

bool CTempFolder::CopyFromProgramFolder(const char* fileName, const char* relativeTarget)
{
    std::string source = ProgramFolder() + fileName;
    std::string target = m_path + relativeTarget;
    return CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
}

CRegistryRoot::CRegistryRoot(const char* tag)
{
    char subkey[200];
    snprintf(subkey, sizeof subkey, "Software\\TaviskTest\\%s-%lu", tag,
             static_cast<unsigned long>(GetCurrentProcessId()));
    m_subkey = subkey;
    SHDeleteKeyA(HKEY_CURRENT_USER, m_subkey.c_str());
    RegCreateKeyExA(HKEY_CURRENT_USER, m_subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
}

CRegistryRoot::~CRegistryRoot()
{
    if (m_key != nullptr)
        RegCloseKey(m_key);
    SHDeleteKeyA(HKEY_CURRENT_USER, m_subkey.c_str());
}

void CRegistryRoot::CreateKey(const char* keyPath)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(m_key, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

void CRegistryRoot::SetValue(const char* keyPath, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(m_key, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void CRegistryRoot::SetText(const char* keyPath, const char* name, const char* text)
{
    SetValue(keyPath, name, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1));
}

void CRegistryRoot::SetUnterminatedText(const char* keyPath, const char* name, const char* text)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(m_key, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    std::wstring wideName(name, name + strlen(name));
    std::wstring wideText(text, text + strlen(text));
    RegSetValueExW(key, wideName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wideText.data()),
                   static_cast<DWORD>(wideText.size() * sizeof(wchar_t)));
    RegCloseKey(key);
}

bool ReadHostFile(const char* unixPath, std::string& text)
{
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    text.clear();
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, n);
    fclose(file);
    return !text.empty();
}

bool FindField(const std::string& text, const char* field, std::string& value)
{
    size_t lineStart = 0;
    size_t fieldLength = strlen(field);
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = text.size();
        if (text.compare(lineStart, fieldLength, field) == 0) {
            size_t colon = text.find(':', lineStart);
            if (colon != std::string::npos && colon < lineEnd) {
                size_t begin = text.find_first_not_of(" \t", colon + 1);
                size_t end = text.find_last_not_of(" \t\r", lineEnd - 1);
                value =
                    (begin == std::string::npos || begin > end) ? std::string() : text.substr(begin, end - begin + 1);
                return true;
            }
        }
        lineStart = lineEnd + 1;
    }
    return false;
}

} // namespace startup_test
