// src/drive/AtaPassThrough.cpp
// IDE pass-through and SMART requests through the drive-letter device.
#include "drive/AtaPassThrough.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <memory>

#include <ntddscsi.h>
#include <winioctl.h>

#include "drive/DeviceIo.h"
#include "framework/Clock.h"

namespace {

// IDE pass-through block: registers at 0, data length at 8, data at 12; buffers are data length + 16 bytes.
const DWORD kIdeHeaderSize = 12;
const DWORD kIdeLengthOffset = 8;
const DWORD kIdeBufferExtra = 16;
const BYTE kAtaIdentifyDevice = 0xEC;
const BYTE kAtaIdentifyPacketDevice = 0xA1;
const DWORD kRescanSettleMs = 500;
const DWORD kMaxIdeDataLength = 0x7FFFFFFF - kIdeBufferExtra; // keeps length + 16 from wrapping around

// SMART request and reply as sent: 32 bytes in (the platform structure without its 1-byte data tail),
// 16 + 512 bytes out with the data at offset 16.
const DWORD kSmartInSize = 32;
const DWORD kSmartOutSize = 528;
const DWORD kSmartDataOffset = 16;
const BYTE kSmartReturnStatus = 0xDA;

static_assert(offsetof(SENDCMDINPARAMS, irDriveRegs) == 4, "SENDCMDINPARAMS layout");
static_assert(offsetof(SENDCMDINPARAMS, bDriveNumber) == 12, "SENDCMDINPARAMS layout");
static_assert(offsetof(SENDCMDINPARAMS, bBuffer) == kSmartInSize, "SENDCMDINPARAMS layout");
static_assert(offsetof(SENDCMDOUTPARAMS, DriverStatus) == 4, "SENDCMDOUTPARAMS layout");
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == kSmartDataOffset, "SENDCMDOUTPARAMS layout");

void PutLe32(BYTE* p, DWORD v)
{
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
    p[2] = BYTE(v >> 16);
    p[3] = BYTE(v >> 24);
}

} // namespace

// Allocation failures give 0 rather than an exception, and so do lengths whose buffers (length + 16) cannot be
// sized. IDENTIFY DEVICE and IDENTIFY PACKET DEVICE are preceded by a bus rescan and a 500 ms pause. The copy out
// is bounded by the caller's length whatever size the driver reports. Letter indexes outside C: to Z: are
// refused.
int AtaPassThrough(const CDeviceRecord& record, const BYTE* pRegisters, const void* pIn, DWORD nInLength, void* pOut,
                   DWORD nOutLength)
{
    if (nInLength > kMaxIdeDataLength || nOutLength > kMaxIdeDataLength)
        return 0;
    std::unique_ptr<BYTE[]> input(new (std::nothrow) BYTE[nInLength + kIdeBufferExtra]);
    std::unique_ptr<BYTE[]> output(new (std::nothrow) BYTE[nOutLength + kIdeBufferExtra]);
    if (!input || !output)
        return 0;
    std::memset(input.get(), 0, nInLength + kIdeBufferExtra);
    std::memset(output.get(), 0, nOutLength + kIdeBufferExtra);
    std::memcpy(input.get(), pRegisters, kIdeRegisterCount);
    PutLe32(input.get() + kIdeLengthOffset, nInLength);
    if (pIn != nullptr && nInLength > 0)
        std::memcpy(input.get() + kIdeHeaderSize, pIn, nInLength);
    PutLe32(output.get() + kIdeLengthOffset, nOutLength);

    if (!IsDriveLetterSlot(record.m_nDriveLetter))
        return 0;
    CDeviceHandle device(DeviceIoOpenLetter(record.m_nDriveLetter));
    if (!device.IsCreated())
        return 0;

    BYTE nCommand = pRegisters[kAtaCommandRegister];
    if (nCommand == kAtaIdentifyDevice || nCommand == kAtaIdentifyPacketDevice) {
        DWORD nIgnored = 0;
        DeviceIoControlCall(device.get(), IOCTL_SCSI_RESCAN_BUS, nullptr, 0, nullptr, 0, &nIgnored, nullptr);
        ClockSleep(kRescanSettleMs);
    }

    DWORD nReturned = 0;
    if (!DeviceIoControlCall(device.get(), IOCTL_IDE_PASS_THROUGH, input.get(), nInLength + kIdeBufferExtra,
                             output.get(), nOutLength + kIdeBufferExtra, &nReturned, nullptr))
        return 0;
    if (pOut == nullptr)
        return 1;
    std::memset(pOut, 0, nOutLength);
    if (nReturned <= kIdeBufferExtra)
        return 0;
    DWORD nCopy = nReturned - kIdeBufferExtra;
    if (nCopy > nOutLength)
        nCopy = nOutLength;
    std::memcpy(pOut, output.get() + kIdeHeaderSize, nCopy);
    return 1;
}

// RETURN STATUS (features 0xDA) goes out as a command, everything else as a data read. Success needs the call
// to succeed and the driver error byte to be 0.
int SmartDriveCommand(const CDeviceRecord& record, const BYTE* pRegisters, void* pOut, DWORD nOutLength)
{
    BYTE input[kSmartInSize + 1];
    BYTE output[kSmartOutSize];
    std::memset(input, 0, sizeof(input));
    std::memset(output, 0, sizeof(output));
    SENDCMDINPARAMS* pParams = reinterpret_cast<SENDCMDINPARAMS*>(input);
    pParams->cBufferSize = kSmartDataSize;
    std::memcpy(&pParams->irDriveRegs, pRegisters, kIdeRegisterCount);
    pParams->bDriveNumber = 0;

    if (!IsDriveLetterSlot(record.m_nDriveLetter))
        return 0;
    CDeviceHandle device(DeviceIoOpenLetter(record.m_nDriveLetter));
    if (!device.IsCreated())
        return 0;

    DWORD nCode =
        pRegisters[kAtaFeaturesRegister] == kSmartReturnStatus ? SMART_SEND_DRIVE_COMMAND : SMART_RCV_DRIVE_DATA;
    DWORD nReturned = 0;
    BOOL bOk =
        DeviceIoControlCall(device.get(), nCode, input, kSmartInSize, output, kSmartOutSize, &nReturned, nullptr);
    const SENDCMDOUTPARAMS* pReply = reinterpret_cast<const SENDCMDOUTPARAMS*>(output);
    if (!bOk || pReply->DriverStatus.bDriverError != 0)
        return 0;
    if (pOut != nullptr) {
        DWORD nCopy = nOutLength < DWORD(kSmartDataSize) ? nOutLength : DWORD(kSmartDataSize);
        std::memcpy(pOut, output + kSmartDataOffset, nCopy);
    }
    return 1;
}
