// tests/capture/CaptureTestSupport.cpp
#include "CaptureTestSupport.h"

#include <cstdio>
#include <fstream>
#include <regex>
#include <shlwapi.h>

namespace capture_test {

bool ImportEmulatedCaptureDevice()
{
    std::string path = TAVISK_CAPTURE_DEVICE_REG;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::string command = "reg.exe import \"Z:" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return false;
    const DWORD wait = WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return wait == WAIT_OBJECT_0 && exitCode == 0;
}

CWorkingFolder::CWorkingFolder()
{
    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    char szPrevious[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, szPrevious);
    m_previous = szPrevious;
    for (int n = 0; n < 1000; ++n) {
        char szName[64];
        std::snprintf(szName, sizeof szName, "tavisk-capture-%lu-%d", GetCurrentProcessId(), n);
        std::string candidate = std::string(szTemp) + szName;
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            m_path = candidate + "\\";
            break;
        }
    }
    SetCurrentDirectoryA(m_path.c_str());
}

CWorkingFolder::~CWorkingFolder()
{
    SetCurrentDirectoryA(m_previous.c_str());
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((m_path + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((m_path + data.cFileName).c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(m_path.c_str());
}

std::vector<std::string> CWorkingFolder::ReadLines(const char* fileName) const
{
    std::vector<std::string> lines;
    std::ifstream file(m_path + fileName, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool CWorkingFolder::Exists(const char* fileName) const
{
    return GetFileAttributesA((m_path + fileName).c_str()) != INVALID_FILE_ATTRIBUTES;
}

CPrivateRoot::CPrivateRoot()
{
    char szName[96];
    std::snprintf(szName, sizeof szName, "Software\\TaviskTests\\capture-%lu-%lu", GetCurrentProcessId(),
                  GetTickCount());
    m_subkey = szName;
    RegCreateKeyExA(HKEY_CURRENT_USER, m_subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
}

CPrivateRoot::~CPrivateRoot()
{
    if (m_key != nullptr)
        RegCloseKey(m_key);
    SHDeleteKeyA(HKEY_CURRENT_USER, m_subkey.c_str());
}

void CPrivateRoot::SetBinary(const std::string& path, const char* name, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(m_key, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return;
    RegSetValueExA(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void CPrivateRoot::SetDword(const std::string& path, const char* name, DWORD value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(m_key, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return;
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
}

void CPrivateRoot::SetText(const std::string& path, const char* name, const char* text)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(m_key, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), DWORD(strlen(text) + 1));
    RegCloseKey(key);
}

bool SplitLogLine(const std::string& line, std::string& number, std::string& message)
{
    static const std::regex form(R"(^\[\d{1,2}/\d{2}/\d{4} \d{2}h:\d{2}m:\d{2}s\] (\d{4}): (.*)$)");
    std::smatch match;
    if (!std::regex_match(line, match, form))
        return false;
    number = match[1];
    message = match[2];
    return true;
}

}  // namespace capture_test
