// bench/StartupBench.cpp
// Start-up to the full report in the list: the main dialog's initialisation (drive access, report build, list) on
// the emulated machine that scripts/run shows, against the same start-up on a machine whose one ASPI adapter holds
// no drive. Run as Windows 98 with the test wnaspi32.dll beside the program ("wnaspi32=n"):
//   startup_bench.exe MACHINE.emu [ROUNDS]
// Prints the median of each and their ratio; the goal is 1.2 or less.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EmuDescription.h"
#include "app/Globals.h"
#include "app/MainDlg.h"
#include "drive/DriveManager.h"
#include "gui/GuiTest.h"

namespace {

const char kEmptyMachine[] = "adapter 0 scsi-id 7 identifier \"EMU IDE PRIMARY\"\n";

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return double(count.QuadPart) * 1e3 / double(frequency.QuadPart);
}

bool Describe(IEmuMachine* pAspi, const std::string& text)
{
    EmuDescription description;
    std::string error;
    if (!EmuParseDescription(text, pAspi, description, error)) {
        std::fprintf(stderr, "startup_bench: %s\n", error.c_str());
        return false;
    }
    EmuWriteWin9xRegistry(description);
    return true;
}

// Milliseconds from the main dialog's construction to its list holding the whole report (the dialog is ready
// once OnInitDialog has returned); the list's entry count is returned too.
double TimeStartup(int& nEntries)
{
    guitest::HookSession session;
    g_bReportMediaDetails = 1;
    g_pDriveManager = nullptr;
    double elapsed = 0;
    const double start = NowMs();
    {
        // The dialog makes the drive manager and deletes it when it goes; g_pDriveManager only points to it.
        CMainDlg dlg;
        guitest::RunModal(session, dlg, [&](CDialog& d) {
            elapsed = NowMs() - start;
            nEntries = int(static_cast<CMainDlg&>(d).m_list.GetCount());
            d.PostMessage(WM_COMMAND, IDCANCEL, 0);
        });
    }
    if (g_pDriveManager != nullptr) {
        std::fprintf(stderr, "startup_bench: the main dialog left its drive manager behind\n");
        std::exit(1);
    }
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string ReadFileText(const char* pszPath)
{
    std::string text;
    FILE* pFile = std::fopen(pszPath, "rb");
    if (pFile == nullptr)
        return text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pFile)) > 0)
        text.append(chunk, n);
    std::fclose(pFile);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench MACHINE.emu [ROUNDS]\n");
        return 2;
    }
    const std::string machine = ReadFileText(argv[1]);
    const int nRounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    IEmuMachine* pAspi = EmuGetAspiMachine();
    if (pAspi == nullptr || machine.empty()) {
        std::fprintf(stderr, "startup_bench: no test ASPI library beside the program, or no machine in %s\n", argv[1]);
        return 1;
    }
    std::vector<double> full, empty;
    int nFullEntries = 0, nEmptyEntries = 0, nFullCommands = 0;
    // Alternate the two machines so that drifts of the host touch both alike; the first round warms up.
    for (int round = 0; round <= nRounds; ++round) {
        if (!Describe(pAspi, machine))
            return 1;
        pAspi->ClearLog();
        double t = TimeStartup(nFullEntries);
        nFullCommands = pAspi->GetLogCount();
        if (round > 0)
            full.push_back(t);
        if (!Describe(pAspi, kEmptyMachine))
            return 1;
        t = TimeStartup(nEmptyEntries);
        if (round > 0)
            empty.push_back(t);
    }
    const double fullMs = Median(full), emptyMs = Median(empty);
    std::printf("start-up to the full report, machine of scripts/run: %8.1f ms (median of %d, %d list entries)\n",
                fullMs, nRounds, nFullEntries);
    std::printf("  %d requests to the drives and adapters\n", nFullCommands);
    std::printf("start-up, one ASPI adapter without drives:          %8.1f ms (median of %d, %d list entries)\n",
                emptyMs, nRounds, nEmptyEntries);
    std::printf("ratio: %.2f (goal: 1.2 or less)\n", fullMs / emptyMs);
    return 0;
}
