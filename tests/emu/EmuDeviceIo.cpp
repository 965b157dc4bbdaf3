// tests/emu/EmuDeviceIo.cpp
// The pass-through front end of the emulator: a device-I/O table whose letter devices "\\.\X:" and port devices
// "\\.\SCSIn:" are the machine's. Other paths and handles go to kernel32.
#include <windows.h>
#include <ntddscsi.h>
#include <winioctl.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "EmuMachine.h"
#include "drive/DeviceIo.h"

namespace {

// Handle values of the seam's devices: never real kernel handles (those are small multiples of 4).
const uintptr_t kHandleBase = 0x7E570000;

struct EmuHandle {
    bool bPort;
    int nNumber; // letter index or port number
};

std::map<uintptr_t, EmuHandle>& Handles()
{
    static std::map<uintptr_t, EmuHandle> handles;
    return handles;
}

uintptr_t g_nNextHandle = kHandleBase;

const uint32_t kPortInquiryLength = 36;
const uint8_t kInitiatorId = 7;

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void PutLe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

BOOL Fail(DWORD dwError)
{
    SetLastError(dwError);
    return FALSE;
}

// "\\.\X:" -> letter index, "\\.\SCSIn:" -> port; false for other paths.
bool ParseDevicePath(const std::string& strUpper, bool* pbPort, int* pnNumber)
{
    if (strUpper.size() == 6 && strUpper.compare(0, 4, "\\\\.\\") == 0 && strUpper[5] == ':' && strUpper[4] >= 'A' &&
        strUpper[4] <= 'Z') {
        *pbPort = false;
        *pnNumber = strUpper[4] - 'A';
        return true;
    }
    if (strUpper.size() > 9 && strUpper.compare(0, 8, "\\\\.\\SCSI") == 0 && strUpper.back() == ':') {
        std::string strDigits = strUpper.substr(8, strUpper.size() - 9);
        if (strDigits.empty() || strDigits.size() > 3 ||
            !std::all_of(strDigits.begin(), strDigits.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
            return false;
        *pbPort = true;
        *pnNumber = std::stoi(strDigits);
        return true;
    }
    return false;
}

HANDLE WINAPI EmuCreateFileA(LPCSTR pszName, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSecurity,
                             DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate)
{
    std::string strUpper(pszName != nullptr ? pszName : "");
    for (char& ch : strUpper)
        ch = char(std::toupper(static_cast<unsigned char>(ch)));
    bool bPort = false;
    int nNumber = 0;
    if (!ParseDevicePath(strUpper, &bPort, &nNumber))
        return CreateFileA(pszName, dwAccess, dwShare, pSecurity, dwCreation, dwFlags, hTemplate);

    CEmuMachine& machine = CEmuMachine::Instance();
    CEmuLock lock(machine.m_Lock);
    machine.m_OpenCounts[strUpper]++;
    bool bExists = bPort ? machine.m_Ports.count(nNumber) != 0
                         : machine.m_Letters[nNumber].Exists() && !machine.m_Letters[nNumber].bOpenFails;
    if (!bExists) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    uintptr_t nHandle = g_nNextHandle;
    g_nNextHandle += 4;
    Handles()[nHandle] = EmuHandle{bPort, nNumber};
    machine.m_nOpenHandles++;
    return reinterpret_cast<HANDLE>(nHandle);
}

BOOL WINAPI EmuCloseHandle(HANDLE hObject)
{
    CEmuMachine& machine = CEmuMachine::Instance();
    {
        CEmuLock lock(machine.m_Lock);
        auto it = Handles().find(reinterpret_cast<uintptr_t>(hObject));
        if (it != Handles().end()) {
            Handles().erase(it);
            machine.m_nOpenHandles--;
            return TRUE;
        }
    }
    return CloseHandle(hObject);
}

UINT WINAPI EmuGetDriveTypeA(LPCSTR pszRootPath)
{
    if (pszRootPath == nullptr || !std::isalpha(static_cast<unsigned char>(pszRootPath[0])) || pszRootPath[1] != ':')
        return DRIVE_NO_ROOT_DIR;
    int nLetter = std::toupper(static_cast<unsigned char>(pszRootPath[0])) - 'A';
    CEmuMachine& machine = CEmuMachine::Instance();
    CEmuLock lock(machine.m_Lock);
    return machine.m_Letters[nLetter].nDriveType;
}

// SCSI_PASS_THROUGH_DIRECT: the drive answers into the caller's data buffer; the SCSI status, the transferred
// length and the sense (at SenseInfoOffset, within both buffers) are written back like a port driver does.
BOOL PassThrough(int nDrive, int nFrontEnd, int nLetter, int nPort, void* pIn, DWORD nInSize, void* pOut,
                 DWORD nOutSize, LPDWORD pnReturned)
{
    if (pIn == nullptr || pOut == nullptr || nInSize < sizeof(SCSI_PASS_THROUGH_DIRECT) ||
        nOutSize < sizeof(SCSI_PASS_THROUGH_DIRECT))
        return Fail(ERROR_INVALID_PARAMETER);
    SCSI_PASS_THROUGH_DIRECT* pRequest = static_cast<SCSI_PASS_THROUGH_DIRECT*>(pIn);
    if (pRequest->Length != sizeof(SCSI_PASS_THROUGH_DIRECT) || pRequest->CdbLength > 16 ||
        pRequest->DataIn > SCSI_IOCTL_DATA_UNSPECIFIED)
        return Fail(ERROR_INVALID_PARAMETER);

    static const int kDirections[] = {kEmuDirOut, kEmuDirIn, kEmuDirNone};
    EmuScsiRequest request;
    std::memset(&request, 0, sizeof(request));
    request.nDrive = nDrive;
    request.nFrontEnd = nFrontEnd;
    request.nLetter = nLetter;
    request.nAdapter = nPort;
    request.nPathId = pRequest->PathId;
    request.nTarget = pRequest->TargetId;
    request.nLun = pRequest->Lun;
    request.pCdb = pRequest->Cdb;
    request.nCdbLength = pRequest->CdbLength;
    request.nDirection = kDirections[pRequest->DataIn];
    request.pData = static_cast<uint8_t*>(pRequest->DataBuffer);
    request.nLength = pRequest->DataTransferLength;
    request.nTimeoutSeconds = pRequest->TimeOutValue;
    request.nSenseLength = pRequest->SenseInfoLength;
    EmuScsiResult result = CEmuMachine::Instance().ExecuteScsi(request);
    // A command that ran into the time limit: the port driver gives up on it and the control call fails.
    if (result.bTimedOut)
        return Fail(ERROR_SEM_TIMEOUT);

    SCSI_PASS_THROUGH_DIRECT* pReply = static_cast<SCSI_PASS_THROUGH_DIRECT*>(pOut);
    pReply->ScsiStatus = UCHAR(result.nStatus);
    pReply->DataTransferLength = result.nTransferred;
    DWORD nReturned = sizeof(SCSI_PASS_THROUGH_DIRECT);
    uint32_t nSense = 0;
    if (result.nStatus != kEmuStatusGood) {
        DWORD nOffset = pRequest->SenseInfoOffset;
        DWORD nRoom = std::min(nInSize, nOutSize);
        nSense = std::min<uint32_t>(pRequest->SenseInfoLength, sizeof(result.sense));
        if (nOffset >= nRoom)
            nSense = 0;
        else
            nSense = std::min<uint32_t>(nSense, nRoom - nOffset);
        std::memcpy(static_cast<uint8_t*>(pOut) + nOffset, result.sense, nSense);
        nReturned = std::max<DWORD>(nReturned, nOffset + nSense);
    }
    pReply->SenseInfoLength = UCHAR(nSense);
    if (pnReturned != nullptr)
        *pnReturned = nReturned;
    return TRUE;
}

// IOCTL_SCSI_GET_INQUIRY_DATA of a port: one bus per path id up to the highest in use, each with its chain of
// SCSI_INQUIRY_DATA entries (36 bytes of INQUIRY data each, entries aligned to 4), or the raw reply set by a test.
std::vector<uint8_t> BuildPortInquiry(CEmuMachine& machine, const CEmuMachine::Port& port)
{
    if (port.bRaw)
        return port.raw;
    int nBuses = 1;
    for (const CEmuMachine::PortDevice& device : port.devices)
        nBuses = std::max(nBuses, device.nPathId + 1);
    size_t nHeader = 4 + size_t(nBuses) * 8;
    size_t nEntrySize = (12 + kPortInquiryLength + 3) & ~size_t(3);
    std::vector<uint8_t> reply(nHeader + port.devices.size() * nEntrySize, 0);
    reply[0] = uint8_t(nBuses);
    size_t nAt = nHeader;
    for (int nBus = 0; nBus < nBuses; ++nBus) {
        uint8_t* pBus = reply.data() + 4 + size_t(nBus) * 8;
        pBus[1] = kInitiatorId;
        uint8_t* pPreviousNext = pBus + 4;
        for (const CEmuMachine::PortDevice& device : port.devices) {
            if (device.nPathId != nBus)
                continue;
            pBus[0]++;
            PutLe32(pPreviousNext, uint32_t(nAt));
            uint8_t* pEntry = reply.data() + nAt;
            pEntry[0] = uint8_t(device.nPathId);
            pEntry[1] = uint8_t(device.nTarget);
            pEntry[2] = uint8_t(device.nLun);
            pEntry[3] = 1;
            PutLe32(pEntry + 4, kPortInquiryLength);
            if (CEmuDrive* pDrive = machine.Drive(device.nDrive)) {
                uint8_t inquiry[96];
                EmuBuildInquiry(*pDrive, inquiry);
                std::memcpy(pEntry + 12, inquiry, kPortInquiryLength);
            }
            pPreviousNext = pEntry + 8;
            nAt += nEntrySize;
        }
    }
    return reply;
}

// The log entry of an ATA-level request on a letter device: its kind, the eight IDE registers as sent and the
// host's output length.
EmuLogEntry AtaLogEntry(int nKind, int nDrive, int nLetter, const void* pRegisters, DWORD nOutSize)
{
    EmuLogEntry entry;
    std::memset(&entry, 0, sizeof(entry));
    entry.nDrive = nDrive;
    entry.nKind = nKind;
    entry.nFrontEnd = kEmuFrontLetter;
    entry.nLetter = nLetter;
    entry.nAdapter = -1;
    std::memcpy(entry.ataRegisters, pRegisters, 8);
    entry.nTransferLength = nOutSize;
    return entry;
}

// IOCTL_IDE_PASS_THROUGH: registers (8), data length (4), data. IDENTIFY (PACKET) DEVICE answers the drive's
// "ata.identify" block; other commands answer zeros of the requested length. Returns 16 + data bytes.
BOOL IdePassThrough(CEmuMachine& machine, int nDrive, int nLetter, void* pIn, DWORD nInSize, void* pOut, DWORD nOutSize,
                    LPDWORD pnReturned)
{
    if (pIn == nullptr || nInSize < 16 || pOut == nullptr || nOutSize < 16)
        return Fail(ERROR_INVALID_PARAMETER);
    const uint8_t* pInput = static_cast<const uint8_t*>(pIn);
    uint32_t nDataIn = std::min<uint32_t>(Le32(pInput + 8), nInSize - 12);
    EmuLogEntry entry = AtaLogEntry(kEmuRequestAtaPassThrough, nDrive, nLetter, pInput, nOutSize);
    entry.nDirection = nDataIn > 0 ? kEmuDirOut : kEmuDirIn;

    std::vector<uint8_t> answer;
    uint8_t nCommand = pInput[6];
    if (CEmuDrive* pDrive = machine.Drive(nDrive)) {
        const std::vector<uint8_t>* pIdentify = pDrive->GetBytes(EMU_KEY_ATA_IDENTIFY);
        if ((nCommand == 0xEC || nCommand == 0xA1) && pIdentify != nullptr)
            answer = *pIdentify;
        else
            answer.assign(512, 0);
    }
    uint8_t* pOutput = static_cast<uint8_t*>(pOut);
    uint32_t nData = std::min<uint32_t>(uint32_t(answer.size()), nOutSize - 16);
    std::memcpy(pOutput, pInput, 8);
    PutLe32(pOutput + 8, nData);
    std::memcpy(pOutput + 12, answer.data(), nData);
    entry.nTransferred = nData;
    machine.LogOther(entry, pInput + 12, nDataIn);
    if (pnReturned != nullptr)
        *pnReturned = 16 + nData;
    return TRUE;
}

// SMART_SEND_DRIVE_COMMAND / SMART_RCV_DRIVE_DATA: SENDCMDINPARAMS in, SENDCMDOUTPARAMS out with the drive's
// driver error byte and its "smart.data" (or, for IDENTIFY, "ata.identify") block.
BOOL Smart(CEmuMachine& machine, int nDrive, int nLetter, DWORD dwCode, void* pIn, DWORD nInSize, void* pOut,
           DWORD nOutSize, LPDWORD pnReturned)
{
    if (pIn == nullptr || nInSize < 32 || pOut == nullptr || nOutSize < 16)
        return Fail(ERROR_INVALID_PARAMETER);
    const SENDCMDINPARAMS* pParams = static_cast<const SENDCMDINPARAMS*>(pIn);
    EmuLogEntry entry = AtaLogEntry(dwCode == SMART_SEND_DRIVE_COMMAND ? kEmuRequestSmartSend : kEmuRequestSmartReceive,
                                    nDrive, nLetter, &pParams->irDriveRegs, nOutSize);
    entry.nDirection = kEmuDirIn;

    uint8_t* pOutput = static_cast<uint8_t*>(pOut);
    std::memset(pOutput, 0, nOutSize);
    std::vector<uint8_t> answer(512, 0);
    uint8_t nDriverError = 0;
    if (CEmuDrive* pDrive = machine.Drive(nDrive)) {
        nDriverError = uint8_t(pDrive->GetInt(EMU_KEY_SMART_ERROR, 0));
        const char* pszKey = pParams->irDriveRegs.bCommandReg == 0xEC ? EMU_KEY_ATA_IDENTIFY : EMU_KEY_SMART_DATA;
        if (const std::vector<uint8_t>* pData = pDrive->GetBytes(pszKey))
            answer = *pData;
    }
    uint32_t nData = std::min<uint32_t>(uint32_t(answer.size()), nOutSize - 16);
    PutLe32(pOutput, nData);
    pOutput[4] = nDriverError;
    std::memcpy(pOutput + 16, answer.data(), nData);
    entry.nTransferred = nData;
    machine.LogOther(entry, nullptr, 0);
    if (pnReturned != nullptr)
        *pnReturned = 16 + nData;
    return TRUE;
}

BOOL WINAPI EmuDeviceIoControl(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD nInSize, LPVOID pOut, DWORD nOutSize,
                               LPDWORD pnReturned, LPOVERLAPPED pOverlapped)
{
    CEmuMachine& machine = CEmuMachine::Instance();
    EmuHandle handle;
    CEmuMachine::Letter letter;
    int nPortDrive = -1;
    std::vector<uint8_t> portReply;
    {
        CEmuLock lock(machine.m_Lock);
        auto it = Handles().find(reinterpret_cast<uintptr_t>(hDevice));
        if (it == Handles().end()) {
            if (reinterpret_cast<uintptr_t>(hDevice) >= kHandleBase &&
                reinterpret_cast<uintptr_t>(hDevice) < g_nNextHandle)
                return Fail(ERROR_INVALID_HANDLE);
            return DeviceIoControl(hDevice, dwCode, pIn, nInSize, pOut, nOutSize, pnReturned, pOverlapped);
        }
        handle = it->second;
        if (machine.m_FailingIoctls.count(dwCode) != 0)
            return Fail(ERROR_IO_DEVICE);
        if (!handle.bPort) {
            letter = machine.m_Letters[handle.nNumber];
        } else {
            auto port = machine.m_Ports.find(handle.nNumber);
            if (port == machine.m_Ports.end())
                return Fail(ERROR_DEV_NOT_EXIST);
            if (dwCode == IOCTL_SCSI_GET_INQUIRY_DATA)
                portReply = BuildPortInquiry(machine, port->second);
            if (dwCode == IOCTL_SCSI_PASS_THROUGH_DIRECT && pIn != nullptr && nInSize >= 4) {
                const SCSI_PASS_THROUGH_DIRECT* pRequest = static_cast<const SCSI_PASS_THROUGH_DIRECT*>(pIn);
                for (const CEmuMachine::PortDevice& device : port->second.devices) {
                    if (device.nPathId == pRequest->PathId && device.nTarget == pRequest->TargetId &&
                        device.nLun == pRequest->Lun)
                        nPortDrive = device.nDrive;
                }
            }
        }
    }

    if (dwCode == IOCTL_SCSI_RESCAN_BUS) {
        EmuLogEntry entry;
        std::memset(&entry, 0, sizeof(entry));
        entry.nKind = kEmuRequestRescanBus;
        entry.nFrontEnd = handle.bPort ? kEmuFrontPort : kEmuFrontLetter;
        entry.nLetter = handle.bPort ? -1 : handle.nNumber;
        entry.nAdapter = handle.bPort ? handle.nNumber : -1;
        entry.nDrive = handle.bPort ? -1 : letter.nDrive;
        machine.LogOther(entry, nullptr, 0);
        if (pnReturned != nullptr)
            *pnReturned = 0;
        return TRUE;
    }

    if (handle.bPort) {
        if (dwCode == IOCTL_SCSI_GET_INQUIRY_DATA) {
            if (pOut == nullptr || nOutSize < portReply.size())
                return Fail(ERROR_INSUFFICIENT_BUFFER);
            std::memcpy(pOut, portReply.data(), portReply.size());
            if (pnReturned != nullptr)
                *pnReturned = DWORD(portReply.size());
            return TRUE;
        }
        if (dwCode == IOCTL_SCSI_PASS_THROUGH_DIRECT) {
            if (nPortDrive < 0)
                return Fail(ERROR_DEV_NOT_EXIST);
            return PassThrough(nPortDrive, kEmuFrontPort, -1, handle.nNumber, pIn, nInSize, pOut, nOutSize, pnReturned);
        }
        return Fail(ERROR_INVALID_FUNCTION);
    }

    switch (dwCode) {
    case IOCTL_SCSI_PASS_THROUGH_DIRECT:
        if (letter.nDrive < 0)
            return Fail(ERROR_INVALID_FUNCTION);
        return PassThrough(letter.nDrive, kEmuFrontLetter, handle.nNumber, -1, pIn, nInSize, pOut, nOutSize,
                           pnReturned);
    case IOCTL_SCSI_GET_ADDRESS: {
        if (!letter.bHasAddress)
            return Fail(ERROR_INVALID_FUNCTION);
        if (pOut == nullptr || nOutSize < sizeof(SCSI_ADDRESS))
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        SCSI_ADDRESS* pAddress = static_cast<SCSI_ADDRESS*>(pOut);
        pAddress->Length = sizeof(SCSI_ADDRESS);
        pAddress->PortNumber = UCHAR(letter.nPort);
        pAddress->PathId = UCHAR(letter.nPathId);
        pAddress->TargetId = UCHAR(letter.nTarget);
        pAddress->Lun = UCHAR(letter.nLun);
        if (pnReturned != nullptr)
            *pnReturned = sizeof(SCSI_ADDRESS);
        return TRUE;
    }
    case IOCTL_IDE_PASS_THROUGH:
        if (letter.nDrive < 0)
            return Fail(ERROR_INVALID_FUNCTION);
        {
            CEmuLock lock(machine.m_Lock);
            return IdePassThrough(machine, letter.nDrive, handle.nNumber, pIn, nInSize, pOut, nOutSize, pnReturned);
        }
    case SMART_SEND_DRIVE_COMMAND:
    case SMART_RCV_DRIVE_DATA:
        if (letter.nDrive < 0)
            return Fail(ERROR_INVALID_FUNCTION);
        {
            CEmuLock lock(machine.m_Lock);
            return Smart(machine, letter.nDrive, handle.nNumber, dwCode, pIn, nInSize, pOut, nOutSize, pnReturned);
        }
    default:
        return Fail(ERROR_INVALID_FUNCTION);
    }
}

const DeviceIoTable kEmuTable = {
    &EmuCreateFileA,
    &EmuDeviceIoControl,
    &EmuCloseHandle,
    &EmuGetDriveTypeA,
};

} // namespace

void EmuInstallDeviceIo()
{
    SetDeviceIoTable(&kEmuTable);
}

void EmuRemoveDeviceIo()
{
    SetDeviceIoTable(nullptr);
}

IEmuMachine* EmuStartMachine()
{
    IEmuMachine* pMachine = EmuGetMachine();
    pMachine->Reset();
    EmuInstallDeviceIo();
    return pMachine;
}
