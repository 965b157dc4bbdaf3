// tests/capture/CaptureTestSupport.cpp
#include "CaptureTestSupport.h"

#include <cstdio>
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
    char szPrevious[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, szPrevious);
    m_previous = szPrevious;
    SetCurrentDirectoryA(m_folder.Path().c_str());
}

CWorkingFolder::~CWorkingFolder()
{
    SetCurrentDirectoryA(m_previous.c_str());
}

std::vector<std::string> CWorkingFolder::ReadLines(const char* fileName) const
{
    std::vector<std::string> lines;
    const std::string text = testsupport::ReadText(m_folder.Path(fileName));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool CWorkingFolder::Exists(const char* fileName) const
{
    return testsupport::FileExists(m_folder.Path(fileName));
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

std::vector<std::string> MessagesOf(const CStringArray& lines, INT_PTR nFirst)
{
    std::vector<std::string> messages;
    for (INT_PTR i = nFirst; i < lines.GetSize(); ++i) {
        std::string number, message;
        if (SplitLogLine(static_cast<LPCTSTR>(lines[i]), number, message))
            messages.push_back(message);
    }
    return messages;
}

} // namespace capture_test
