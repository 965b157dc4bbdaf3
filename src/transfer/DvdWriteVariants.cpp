// src/transfer/DvdWriteVariants.cpp
// Three further DVD write workers that the page offers no button for: several sessions on a DVD-R, several tracks
// on a DVD+R and several borders on a DVD-R. Each writes fixed tracks of 2000 commands of 32 sectors, the test
// image at the start of each, without timing or samples; it reports only a failed write or set-up (TPC_ERROR) and
// returns 0.
#include "transfer/TestPages.h"

#include "drive/CommandSet.h"
#include "drive/DriveManager.h"
#include "transfer/DvdWriteTest.h"
#include "transfer/TestImages.h"

#include <cstring>

namespace {

const int kVariantSectors = 32;
const int kVariantWrites = 2000;
const int kVariantTrackSectors = 64000; // kVariantWrites * kVariantSectors
const int kVariantBufferBytes = kVariantSectors * 2048;

// The job's buffers, zeroed whole, the image at the start of the first.
void PrepareVariantBuffers(DvdWriteJob& job)
{
    job.image.assign(kVariantBufferBytes, 0);
    job.zeros.assign(kVariantBufferBytes, 0);
    BuildDvdTestImage(job.image.data(), kVariantTrackSectors);
}

void ReleaseVariantBuffers(DvdWriteJob& job)
{
    std::vector<BYTE>().swap(job.image);
    std::vector<BYTE>().swap(job.zeros);
}

void ReportError(DvdWriteJob& job)
{
    ::SendMessage(job.pState->hPage, WM_DVDWRITE_PROGRESS, WPARAM(TPC_ERROR), 0);
}

// The write-parameters page with the given write type (byte 6) and multi-session and track mode (byte 7).
bool SendVariantPage(CDeviceRecord& record, BYTE writeType, BYTE trackMode)
{
    BYTE parameters[kDvdWriteParametersLength];
    BuildDvdWriteParameters(parameters, kProfileDvdMinusR, false);
    parameters[6] = writeType;
    parameters[7] = trackMode;
    return g_pDriveManager->ModeSelect(record, kDvdWriteParametersLength, parameters) == kExecCompleted;
}

// One track of kVariantWrites commands from lba: the image with 7 zero sectors first, zeros after it. False when a
// write failed or the page asked to stop.
bool WriteVariantTrack(DvdWriteJob& job, long lba)
{
    TestWorkerState& state = *job.pState;
    for (int i = 0; i < kVariantWrites; ++i) {
        if (state.RunState().IsStopRequested())
            return false;
        BYTE* pData = i == 0 ? job.image.data() : job.zeros.data();
        if (g_pDriveManager->Write10(state.record, lba, kVariantSectors, 2048, pData) != kExecCompleted)
            return false;
        lba += kVariantSectors;
        state.RunState().SetCurrentAddress(lba);
    }
    return true;
}

// The next writable address of a track (READ TRACK INFORMATION by track number); -1 when it cannot be read.
long NextWritableAddress(CDeviceRecord& record, long nTrack)
{
    BYTE track[36];
    memset(track, 0, sizeof(track));
    if (g_pDriveManager->ReadTrackInformation(record, 1, nTrack, sizeof(track), track) != kExecCompleted)
        return -1;
    return long((DWORD(track[12]) << 24) | (DWORD(track[13]) << 16) | (DWORD(track[14]) << 8) | track[15]);
}

// The buffers are given up before the error is reported: after the report a new run may fill them.
UINT EndVariant(DvdWriteJob& job, bool bFailed)
{
    const bool bReport = bFailed && !job.pState->RunState().IsStopRequested();
    ReleaseVariantBuffers(job);
    if (bReport)
        ReportError(job);
    return 0;
}

// The start of a variant worker: the job behind the worker's parameter with its buffers, the medium locked.
DvdWriteJob& StartVariant(LPVOID pParam)
{
    DvdWriteJob& job = *static_cast<DvdWriteJob*>(pParam);
    PrepareVariantBuffers(job);
    g_pDriveManager->LockMedium(job.pState->record);
    return job;
}

// One track from lba, with RESERVE TRACK first when bReserve, then SYNCHRONIZE CACHE. False when a write failed or
// the page asked to stop.
bool WriteTrackAndSync(DvdWriteJob& job, long lba, bool bReserve)
{
    CDeviceRecord& record = job.pState->record;
    if (bReserve)
        g_pDriveManager->ReserveTrack(record, kVariantTrackSectors);
    g_pDriveManager->WaitUntilReady(record);
    if (!WriteVariantTrack(job, lba))
        return false;
    g_pDriveManager->SynchronizeCache(record, 0, 0, 0, nullptr);
    return true;
}

} // namespace

UINT __cdecl DvdMinusRMultiSessionWriteTestThread(LPVOID pParam)
{
    DvdWriteJob& job = StartVariant(pParam);
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = job.pState->record;
    long lba = 0;
    for (int nSession = 0; nSession < 3; ++nSession) {
        // Incremental writing with a link size; the last session closes the disc for further sessions.
        if (!SendVariantPage(record, 0x60, BYTE(nSession < 2 ? 0xE5 : 0x25)))
            return EndVariant(job, true);
        if (!WriteTrackAndSync(job, lba, true))
            return EndVariant(job, true);
        drive.CloseTrackSession(record, 1, 1, nSession + 1);
        drive.WaitUntilReady(record);
        drive.CloseTrackSession(record, 1, 2, 0);
        drive.WaitUntilReady(record);
        drive.UnlockMedium(record);
        lba = NextWritableAddress(record, nSession + 2);
        drive.LockMedium(record);
        if (lba < 0 && nSession < 2)
            return EndVariant(job, true);
    }
    drive.UnlockMedium(record);
    drive.EjectMedium(record);
    return EndVariant(job, false);
}

UINT __cdecl DvdPlusRMultiTrackWriteTestThread(LPVOID pParam)
{
    DvdWriteJob& job = StartVariant(pParam);
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = job.pState->record;
    long lba = 0;
    for (int nTrack = 1; nTrack <= 4; ++nTrack) {
        if (!WriteTrackAndSync(job, lba, false))
            return EndVariant(job, true);
        drive.CloseTrackSession(record, 1, 1, nTrack);
        drive.WaitUntilReady(record);
        if (nTrack == 4)
            break;
        drive.CloseTrackSession(record, 1, 2, 0);
        drive.WaitUntilReady(record);
        lba = NextWritableAddress(record, nTrack + 1);
        if (lba < 0)
            return EndVariant(job, true);
    }
    drive.CloseTrackSession(record, 1, 6, 0);
    drive.WaitUntilReady(record);
    drive.UnlockMedium(record);
    return EndVariant(job, false);
}

UINT __cdecl DvdMinusRMultiBorderWriteTestThread(LPVOID pParam)
{
    DvdWriteJob& job = StartVariant(pParam);
    CDriveManager& drive = *g_pDriveManager;
    CDeviceRecord& record = job.pState->record;
    if (!SendVariantPage(record, 0x40, 0xE5))
        return EndVariant(job, true);
    long lba = 0;
    for (int nBorder = 0; nBorder < 4; ++nBorder) {
        if (!WriteTrackAndSync(job, lba, true))
            return EndVariant(job, true);
        drive.WaitUntilReady(record);
        if (nBorder < 3) {
            drive.CloseTrackSession(record, 1, 2, 0);
            drive.WaitUntilReady(record);
        }
        // The next border starts at the next writable address of the disc's last track.
        BYTE info[34];
        memset(info, 0, sizeof(info));
        if (drive.ReadDiscInformation(record, sizeof(info), info) != kExecCompleted)
            return EndVariant(job, true);
        lba = NextWritableAddress(record, info[6]);
        if (lba < 0)
            return EndVariant(job, true);
    }
    drive.UnlockMedium(record);
    return EndVariant(job, false);
}
