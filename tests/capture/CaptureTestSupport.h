// tests/capture/CaptureTestSupport.h
// Helpers of the capture tests: the emulated capture device written into this run's prefix, a temporary working
// folder (the diagnostics logs go to the current directory), and log-line parsing.
#ifndef TAVISK_TESTS_CAPTURE_CAPTURETESTSUPPORT_H
#define TAVISK_TESTS_CAPTURE_CAPTURETESTSUPPORT_H

#include <windows.h>

#include "framework/Array.h"
#include "support/TestFiles.h"

#include <string>
#include <vector>

namespace capture_test {

// Imports tests/emu/capture/usb-camera.reg with reg.exe; false when that fails.
bool ImportEmulatedCaptureDevice();

// A scratch folder made the current directory (the diagnostics logs are written there); the old directory
// comes back before the folder goes.
class CWorkingFolder {
public:
    CWorkingFolder();
    ~CWorkingFolder();
    // The lines of a file of the folder, without their line ends; empty when it cannot be read.
    std::vector<std::string> ReadLines(const char* fileName) const;
    bool Exists(const char* fileName) const;

private:
    testsupport::ScratchFolder m_folder;
    std::string m_previous;
};

// A log line split into its parts; false when it has not the form "[d/mm/yyyy hhh:mmm:sss] nnnn: message".
bool SplitLogLine(const std::string& line, std::string& number, std::string& message);
// The messages of the log lines from nFirst on; lines of another form are passed over.
std::vector<std::string> MessagesOf(const CStringArray& lines, INT_PTR nFirst);

} // namespace capture_test

#endif
