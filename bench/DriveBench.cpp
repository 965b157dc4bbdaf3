// bench/DriveBench.cpp
// Cost of one command through CScsiTransport::ExecScsiCommand to an emulated drive that answers at once, and its
// share of the time a 25-sector READ(10) takes at 52X CD and at 16X DVD.
//   drive_bench.exe aspi    ASPI back end through the test wnaspi32.dll (run as Windows 98, "wnaspi32=n")
//   drive_bench.exe spti    pass-through back end through the device-I/O seam
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "BenchSize.h"
#include "Emu.h"
#include "drive/ScsiTransport.h"

namespace {

const int kBatchSize = 1000;
// Forty timed batches, two at the smallest size.
const int kBatches = BenchAtSmallestSize() ? 2 : 40;

// A 25-sector READ(10) of 2048-byte sectors: at 52X CD (75 sectors per second per X) and at 16X DVD
// (1 X = 1385 kB/s, 1000 bytes each).
const double kCdReadUs = 25.0 / (75.0 * 52.0) * 1e6;
const double kDvdReadUs = 25.0 * 2048.0 / (16.0 * 1385000.0) * 1e6;

double NowUs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return double(count.QuadPart) * 1e6 / double(frequency.QuadPart);
}

// Microseconds per TEST UNIT READY, the log cleared between timed batches.
double Measure(CScsiTransport& transport, CDeviceRecord& record, IEmuMachine* pMachine)
{
    const BYTE cdb[6] = {0x00};
    for (int i = 0; i < kBatchSize; ++i)
        transport.ExecScsiCommand(record, cdb, nullptr, 0);
    double nTotal = 0;
    int nFailed = 0;
    for (int nBatch = 0; nBatch < kBatches; ++nBatch) {
        pMachine->ClearLog();
        double nStart = NowUs();
        for (int i = 0; i < kBatchSize; ++i)
            nFailed += transport.ExecScsiCommand(record, cdb, nullptr, 0) != 1;
        nTotal += NowUs() - nStart;
    }
    if (nFailed != 0)
        std::printf("  (%d commands failed)\n", nFailed);
    return nTotal / (kBatches * kBatchSize);
}

// What the one event of each ASPI command costs by itself (a wineserver round trip each for create and close).
double MeasureEventAlone()
{
    double nStart = NowUs();
    for (int i = 0; i < kBatches * kBatchSize; ++i)
        CloseHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    return (NowUs() - nStart) / (kBatches * kBatchSize);
}

void Report(const char* pszName, double nUs)
{
    std::printf("%-34s %8.2f us per command   %6.3f%% of a 25-sector READ(10) at 52X CD (%.0f us)   "
                "%6.3f%% at 16X DVD (%.0f us)\n",
                pszName, nUs, 100.0 * nUs / kCdReadUs, kCdReadUs, 100.0 * nUs / kDvdReadUs, kDvdReadUs);
}

int RunAspi()
{
    IEmuMachine* pMachine = EmuGetAspiMachine();
    if (pMachine == nullptr) {
        std::printf("the test wnaspi32.dll is not loaded (run as Windows 98 with WINEDLLOVERRIDES=wnaspi32=n)\n");
        return 1;
    }
    pMachine->Reset();
    pMachine->SetAspiSupport(1, 1);
    pMachine->AttachAspi(pMachine->AddDrive("KORVATH", "DVDR   QZ6820A", "1.05"), 0, 1, 0);

    CScsiTransport transport;
    if (!EmuBindAspi(transport)) {
        std::printf("the test wnaspi32.dll has no ASPI entry points\n");
        return 1;
    }
    CDeviceRecord record;
    record.m_nTarget = 1;
    record.m_nDriveLetter = 3;

    pMachine->SetAspiCompletion(kEmuAspiImmediate);
    Report("ASPI, completed at once", Measure(transport, record, pMachine));
    pMachine->SetAspiCompletion(kEmuAspiPendingSignalled);
    Report("ASPI, pending with the event set", Measure(transport, record, pMachine));
    Report("(CreateEvent + CloseHandle alone)", MeasureEventAlone());
    return 0;
}

int RunSpti()
{
    IEmuMachine* pMachine = EmuGetMachine();
    pMachine->Reset();
    EmuInstallDeviceIo();
    pMachine->SetLetter(3, DRIVE_CDROM, pMachine->AddDrive("KORVATH", "DVDR   QZ6820A", "1.05"));

    CScsiTransport transport;
    transport.m_nAccessMode = kAccessModeSpti;
    CDeviceRecord record;
    record.m_nTarget = 1;
    record.m_nDriveLetter = 3;

    Report("pass-through, open per command", Measure(transport, record, pMachine));
    transport.OpenDriveHandle(record);
    Report("pass-through, cached letter handle", Measure(transport, record, pMachine));
    transport.CloseDriveHandle(record);
    EmuRemoveDeviceIo();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "aspi") == 0)
        return RunAspi();
    if (argc >= 2 && std::strcmp(argv[1], "spti") == 0)
        return RunSpti();
    std::printf("usage: drive_bench aspi|spti\n");
    return 2;
}
