// bench/CdWriteBench.cpp
// Does the program keep a 52X CD writer's buffer from running empty? A whole CD write run on the CD write page
// against the emulated writer (CD-R, 52X CLV, 2 MB buffer, no buffer-underrun protection), with the program's own
// real time between drive commands (the worker's loop, the cross-thread progress message of every block and the
// page's label repaints) added to the drive's virtual clock. The drive's engine then sees exactly the host gaps
// the program leaves and counts any moment its buffer runs dry.
//
// Prints the host gap between consecutive WRITE(10)s inside the timed stretch of a sample (p50, p99, max) beside
// the time one 25-sector block takes on the disc at 52X, the fewest sectors the buffer held when a write arrived,
// the underruns, and the run's speeds.
#include "BenchSize.h"
#include "EmuMachine.h" // first of the emulator's headers: it includes windows.h before the machine interface
#include "EmuProfiles.h"
#include "EmuWrite.h"
#include "drive/DeviceIo.h"
#include "drive/DriveManager.h"
#include "transfer/TestPages.h"

#include <ntddscsi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int kLetter = 5;
const int kSamples = BenchAtSmallestSize() ? 2 : 8; // the disc holds this many samples
const int kSampleSectors = 4500;
const int64_t kSpeedX100 = 5200;

IEmuMachine* g_pMachine = nullptr;
DeviceIoTable g_emuTable;
LARGE_INTEGER g_frequency;
LONGLONG g_lastExit = 0;
int32_t g_lastWriteLba = INT32_MIN;
std::vector<double> g_timedGapsUs; // consecutive writes inside one sample's timed stretch
double g_maxAnyGapUs = 0;          // any two consecutive writes, sample boundaries included

LONGLONG Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

BOOL WINAPI MeasuredDeviceIoControl(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD nInSize, LPVOID pOut,
                                    DWORD nOutSize, LPDWORD pnReturned, LPOVERLAPPED pOverlapped)
{
    const LONGLONG nEntry = Now();
    const bool bScsi = (dwCode == IOCTL_SCSI_PASS_THROUGH_DIRECT || dwCode == IOCTL_SCSI_PASS_THROUGH) &&
                       pIn != nullptr && nInSize >= sizeof(SCSI_PASS_THROUGH_DIRECT);
    if (bScsi && g_lastExit != 0) {
        const double dGapUs = double(nEntry - g_lastExit) * 1e6 / double(g_frequency.QuadPart);
        g_pMachine->AdvanceUs(uint64_t(dGapUs)); // the program's time passes for the drive too
        const UCHAR* cdb = static_cast<const SCSI_PASS_THROUGH_DIRECT*>(pIn)->Cdb;
        if (cdb[0] == 0x2A) {
            const int32_t nLba =
                int32_t((uint32_t(cdb[2]) << 24) | (uint32_t(cdb[3]) << 16) | (uint32_t(cdb[4]) << 8) | cdb[5]);
            if (g_lastWriteLba != INT32_MIN && nLba > 0) {
                g_maxAnyGapUs = std::max(g_maxAnyGapUs, dGapUs);
                if (nLba % kSampleSectors != 0 && g_lastWriteLba == nLba - 25)
                    g_timedGapsUs.push_back(dGapUs);
            }
            g_lastWriteLba = nLba;
        }
    }
    BOOL bResult =
        g_emuTable.pfnDeviceIoControl(hDevice, dwCode, pIn, nInSize, pOut, nOutSize, pnReturned, pOverlapped);
    if (bScsi)
        g_lastExit = Now();
    return bResult;
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t i = size_t(p * double(values.size() - 1) + 0.5);
    return values[std::min(i, values.size() - 1)];
}

} // namespace

int main()
{
    QueryPerformanceFrequency(&g_frequency);
    g_pMachine = EmuStartMachine();
    EmuInstallClock(g_pMachine);
    const int nDrive = EmuAddProfileDrive(g_pMachine, kEmuScsiCdWriter);
    g_pMachine->SetLetter(kLetter, DRIVE_CDROM, nDrive);
    EmuLoadBlankCd(g_pMachine, nDrive, kEmuWriteCdR, 150 + kSamples * kSampleSectors + 100);
    g_pMachine->SetInt(nDrive, "write.speedX100", kSpeedX100);
    std::vector<uint8_t> page5(52);
    page5.resize(g_pMachine->GetBytes(nDrive, "mode.page.05", page5.data(), 52));
    page5[2] &= uint8_t(~0x40); // no buffer-underrun protection
    g_pMachine->SetBytes(nDrive, "mode.page.05", page5.data(), uint32_t(page5.size()));

    g_emuTable = GetDeviceIoTable();
    DeviceIoTable measured = g_emuTable;
    measured.pfnDeviceIoControl = &MeasuredDeviceIoControl;
    SetDeviceIoTable(&measured);

    CDriveManager manager;
    manager.m_nAccessMode = kAccessModeSpti;
    g_bIsWindows2000 = 0;
    const EmuProfileInfo& info = EmuGetProfileInfo(kEmuScsiCdWriter);
    CDeviceRecord record;
    record.m_nAdapter = 0;
    record.m_nDriveLetter = kLetter;
    strncpy(record.m_szVendor, info.pszVendor, 8);
    strncpy(record.m_szProduct, info.pszProduct, 16);
    strncpy(record.m_szRevision, info.pszRevision, 4);
    CHostAdapter adapter;
    CArray<CDeviceRecord> group;
    group.Add(record);
    adapter.m_Targets.Add(group);
    manager.m_Adapters.Add(adapter);
    manager.m_Letters[kLetter].m_bInquireViaLetter = 1;
    g_pDriveManager = &manager;

    CWnd window;
    RECT rc = {0, 0, 660, 560};
    window.CreateEx(0, nullptr, "CD write benchmark", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rc, nullptr, 0);
    CTestRunState runState;
    int nPref = 0;
    TransferRateSettings settings;
    settings.testEveryWrite = 2; // 4500-sector samples
    settings.simulate = 0;
    CCdWriteTestDlg page(&window);
    page.SetSharedState(runState, &nPref, &settings);
    page.Create(IDD_CD_WRITE_TEST, &window);
    page.ShowWindow(SW_SHOW);
    page.m_currentDrive = manager.GetDriveByLetter(kLetter);

    const LONGLONG nStart = Now();
    page.SendMessage(WM_COMMAND, MAKEWPARAM(page.Traits().nStartId, BN_CLICKED),
                     LPARAM(::GetDlgItem(page.m_hWnd, int(page.Traits().nStartId))));
    MSG msg;
    while (page.IsRunning()) {
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    const double dRealS = double(Now() - nStart) / double(g_frequency.QuadPart);

    const double dBlockUs = 25.0 * 1e6 / (double(kSpeedX100) / 100.0 * 75.0);
    const int nRun = page.Ring().GetCurrentRun();
    printf("CD write at 52X, %d samples of %d sectors, per-block progress on the page (real run %.2f s)\n", kSamples,
           kSampleSectors, dRealS);
    printf("  one 25-sector block on the disc at 52X:        %8.0f us\n", dBlockUs);
    printf("  host gap between writes in timed stretches: p50 %6.0f us  p99 %6.0f us  max %6.0f us  (%zu gaps)\n",
           Percentile(g_timedGapsUs, 0.5), Percentile(g_timedGapsUs, 0.99), Percentile(g_timedGapsUs, 1.0),
           g_timedGapsUs.size());
    printf("  largest gap between any two data writes:       %8.0f us\n", g_maxAnyGapUs);
    printf("  fewest sectors in the 891-sector buffer when a write arrived: %lld (the write to LBA %lld)\n",
           (long long)g_pMachine->GetInt(nDrive, "write.minLevel", -1),
           (long long)g_pMachine->GetInt(nDrive, "write.minLevelLba", -1));
    printf("  underruns: %lld   recorded sectors: %lld\n", (long long)g_pMachine->GetInt(nDrive, "write.underruns", -1),
           (long long)g_pMachine->GetInt(nDrive, "write.recorded", -1));
    printf("  samples (hundredths of X):");
    for (int s = 0; s <= page.Ring().Extent(nRun).lastSample; ++s)
        printf(" %u", page.Ring().Samples(nRun)[s]);
    printf("\n");
    // The goal is the buffer's: it must never run dry. The gaps are the figure behind it (a gap only hurts once
    // the gaps together outlast what the buffer holds: 891 sectors are 228 ms at 52X).
    const bool bPass = g_pMachine->GetInt(nDrive, "write.underruns", -1) == 0 &&
                       g_pMachine->GetInt(nDrive, "write.recorded", -1) == kSamples * kSampleSectors;
    printf("  %s: the buffer %s\n", bPass ? "PASS" : "FAIL", bPass ? "never ran empty" : "ran empty");
    page.DestroyWindow();
    window.DestroyWindow();
    SetDeviceIoTable(nullptr);
    EmuRemoveClock();
    g_pDriveManager = nullptr;
    return bPass ? 0 : 1;
}
