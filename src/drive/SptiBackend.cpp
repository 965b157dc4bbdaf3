// src/drive/SptiBackend.cpp
// The pass-through back end of CScsiTransport: IOCTL_SCSI_PASS_THROUGH_DIRECT on the record's drive-letter device.
#include <cstddef>
#include <cstring>

#include <windows.h>
#include <ntddscsi.h>

#include "drive/CommandTables.h"
#include "drive/DeviceIo.h"
#include "drive/ScsiTransport.h"

namespace {

const int kSptiSenseLength = 32;

// The request: the platform structure (44 bytes), four bytes of filler, then the sense buffer at offset 48.
struct SptdWithSense {
    SCSI_PASS_THROUGH_DIRECT sptd;
    ULONG nFiller;
    UCHAR sense[kSptiSenseLength];
};

// The 32-bit layouts the program was written against (x86-64 test builds have their own).
static_assert(sizeof(void*) != 4 || (sizeof(SCSI_PASS_THROUGH_DIRECT) == 44), "SCSI_PASS_THROUGH_DIRECT layout");
static_assert(sizeof(void*) != 4 || (offsetof(SptdWithSense, sense) == 48), "pass-through sense offset");
static_assert(sizeof(void*) != 4 || (sizeof(SptdWithSense) == 80), "pass-through request size");

const UCHAR kDataInByDirection[] = {
    SCSI_IOCTL_DATA_UNSPECIFIED, // kDataNone: 2
    SCSI_IOCTL_DATA_IN,          // kDataIn: 1
    SCSI_IOCTL_DATA_OUT,         // kDataOut: 0
};

const UCHAR kScsiStatusGood = 0;

} // namespace

// Refusals come first: a negative adapter or target gives 0 and a letter index of -1 gives -1, both leaving the
// sense bytes alone. Any other letter index outside C: to Z: (1 = no letter, 256, or beyond the 26-entry tables)
// gives 0 without opening a device; the sense bytes become 0 as for a request that was never sent.
// The letter's guard is held while the letter device is used: the cached handle when OpenDriveHandle made one,
// else a handle opened and closed for this command.
// Returns 1 only when the control call succeeded and the SCSI status is GOOD.
ExecStatus CScsiTransport::ExecSptiCommand(CDeviceRecord& record, const BYTE* pCdb, void* pBuffer, DWORD nLength)
{
    if (record.m_nAdapter < 0 || record.m_nTarget < 0)
        return kExecFailed;
    int nLetter = record.m_nDriveLetter;
    if (nLetter == kDriveLetterInvalid)
        return kExecNoLetter;
    if (!IsDriveLetterSlot(nLetter)) {
        std::memset(record.m_Sense, 0, ASPI_SENSE_LEN);
        return kExecFailed;
    }

    uint8_t nOpcode = pCdb[0];
    int nCdbLength = CdbLengthForOpcode(nOpcode);
    SptdWithSense request;
    std::memset(&request, 0, sizeof(request));
    request.sptd.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
    request.sptd.PathId = UCHAR(record.m_nPathId);
    request.sptd.TargetId = UCHAR(record.m_nTarget);
    request.sptd.Lun = UCHAR(record.m_nLun);
    request.sptd.CdbLength = UCHAR(nCdbLength);
    request.sptd.SenseInfoLength = kSptiSenseLength;
    request.sptd.DataIn = kDataInByDirection[CommandDirection(nOpcode, pBuffer, nLength)];
    request.sptd.DataTransferLength = nLength;
    request.sptd.TimeOutValue = PassThroughTimeoutSeconds(nOpcode);
    request.sptd.DataBuffer = pBuffer;
    request.sptd.SenseInfoOffset = offsetof(SptdWithSense, sense);
    std::memcpy(request.sptd.Cdb, pCdb, size_t(nCdbLength));

    BOOL bSent = FALSE;
    DWORD nReturned = 0;
    {
        DriveLetterSlot& slot = m_Letters[nLetter];
        CLockGuard lock(slot.m_Guard);
        CDeviceHandle commandDevice;
        if (!slot.IsOpen())
            commandDevice.Attach(DeviceIoOpenLetter(nLetter));
        const CDeviceHandle& device = slot.IsOpen() ? slot.m_Device : commandDevice;
        if (device.IsCreated()) {
            bSent = DeviceIoControlCall(device.get(), IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, sizeof(request),
                                        &request, sizeof(request), &nReturned, nullptr);
        }
    }

    if (bSent)
        std::memcpy(record.m_Sense, request.sense, ASPI_SENSE_LEN);
    else
        std::memset(record.m_Sense, 0, ASPI_SENSE_LEN);
    return bSent && request.sptd.ScsiStatus == kScsiStatusGood ? kExecCompleted : kExecFailed;
}
