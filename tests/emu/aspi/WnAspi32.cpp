// tests/emu/aspi/WnAspi32.cpp
// The test ASPI library: GetASPI32SupportInfo and SendASPI32Command answered by the emulator's machine.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "../EmuMachine.h"
#include "drive/Aspi.h"

namespace {

const uint8_t kHostStatusTimeout = 0x09; // HASTAT_TIMEOUT: the layer gave up waiting for the target

void CopyText(uint8_t* pField, const std::string& strText)
{
    std::memset(pField, ' ', 16);
    std::memcpy(pField, strText.data(), std::min<size_t>(strText.size(), 16));
}

// Runs an execute request on the drive at (HA, target, LUN) and leaves the outcome in the block, the status byte
// last: 1 done; 4 with target status CHECK CONDITION and the sense in SenseArea, or with host status 0x09 when the
// command ran into the layer's time-out; 0x81 for a host adapter beyond the count; 0x82 when no drive is there.
void ExecuteRequest(SRB_ExecSCSICmd* pSrb)
{
    CEmuMachine& machine = CEmuMachine::Instance();
    int nDrive = -1;
    bool bAdapterValid = false;
    {
        CEmuLock lock(machine.m_Lock);
        bAdapterValid = pSrb->SRB_HaId < machine.m_nAspiAdapterCount;
        auto it =
            machine.m_AspiDevices.find(std::make_tuple(int(pSrb->SRB_HaId), int(pSrb->SRB_Target), int(pSrb->SRB_Lun)));
        if (it != machine.m_AspiDevices.end())
            nDrive = it->second;
    }
    int nDirection = kEmuDirNone;
    if (pSrb->SRB_Flags & SRB_DIR_IN)
        nDirection = kEmuDirIn;
    else if (pSrb->SRB_Flags & SRB_DIR_OUT)
        nDirection = kEmuDirOut;

    EmuScsiRequest request;
    std::memset(&request, 0, sizeof(request));
    request.nDrive = bAdapterValid ? nDrive : -1;
    request.nFrontEnd = kEmuFrontAspi;
    request.nLetter = -1;
    request.nAdapter = pSrb->SRB_HaId;
    request.nTarget = pSrb->SRB_Target;
    request.nLun = pSrb->SRB_Lun;
    request.pCdb = pSrb->CDBByte;
    request.nCdbLength = std::min<int>(pSrb->SRB_CDBLen, 16);
    request.nDirection = nDirection;
    request.pData = pSrb->SRB_BufPointer;
    request.nLength = pSrb->SRB_BufLen;
    request.nAspiFlags = pSrb->SRB_Flags;
    request.nSenseLength = pSrb->SRB_SenseLen;
    EmuScsiResult result = machine.ExecuteScsi(request);

    uint8_t nStatus = SS_COMP;
    uint8_t nHostStatus = 0;
    if (!bAdapterValid) {
        nStatus = SS_INVALID_HA;
    } else if (nDrive < 0) {
        nStatus = SS_NO_DEVICE;
    } else if (result.bTimedOut) {
        // The layer's own time-out: an error from the host adapter, no target status.
        nStatus = SS_ERR;
        nHostStatus = kHostStatusTimeout;
    } else if (result.nStatus != kEmuStatusGood) {
        nStatus = SS_ERR;
        pSrb->SRB_TargStat = STATUS_CHKCOND;
        size_t nSense = std::min<size_t>(pSrb->SRB_SenseLen, sizeof(pSrb->SenseArea));
        std::memcpy(pSrb->SenseArea, result.sense, std::min(nSense, sizeof(result.sense)));
    } else {
        pSrb->SRB_TargStat = STATUS_GOOD;
    }
    pSrb->SRB_HaStat = nHostStatus;
    MemoryBarrier();
    *static_cast<volatile uint8_t*>(&pSrb->SRB_Status) = nStatus;
}

// The event to set when the request completes, read before the status is written: once the status byte has
// changed, the request block belongs to the caller again (it usually lives on the caller's stack).
HANDLE CompletionEvent(const SRB_ExecSCSICmd* pSrb)
{
    return (pSrb->SRB_Flags & SRB_EVENT_NOTIFY) ? static_cast<HANDLE>(pSrb->SRB_PostProc) : nullptr;
}

void Signal(HANDLE hEvent)
{
    if (hEvent != nullptr)
        SetEvent(hEvent);
}

DWORD WINAPI CompleteLater(LPVOID pParameter)
{
    SRB_ExecSCSICmd* pSrb = static_cast<SRB_ExecSCSICmd*>(pParameter);
    HANDLE hEvent = CompletionEvent(pSrb);
    Sleep(1);
    ExecuteRequest(pSrb);
    Signal(hEvent);
    return 0;
}

// The late signal of a request whose status was written before SendASPI32Command returned. The block is not
// touched here: only the event, which the caller must keep open, and out of other commands' hands, until it is set.
DWORD WINAPI SignalLater(LPVOID pParameter)
{
    HANDLE hEvent = static_cast<HANDLE>(pParameter);
    Sleep(20);
    CEmuMachine& machine = CEmuMachine::Instance();
    {
        CEmuLock lock(machine.m_Lock);
        --machine.m_nAspiSignalsOutstanding;
    }
    if (!SetEvent(hEvent)) {
        CEmuLock lock(machine.m_Lock);
        ++machine.m_nAspiSignalsFailed;
    }
    return 0;
}

void SignalAfterReturn(HANDLE hEvent)
{
    if (hEvent == nullptr)
        return;
    CEmuMachine& machine = CEmuMachine::Instance();
    {
        CEmuLock lock(machine.m_Lock);
        ++machine.m_nAspiSignalsOutstanding;
    }
    HANDLE hThread = CreateThread(nullptr, 0, &SignalLater, hEvent, 0, nullptr);
    if (hThread != nullptr) {
        CloseHandle(hThread);
        return;
    }
    {
        CEmuLock lock(machine.m_Lock);
        --machine.m_nAspiSignalsOutstanding;
    }
    Signal(hEvent);
}

uint32_t HostAdapterInquiry(SRB_HAInquiry* pSrb)
{
    CEmuMachine& machine = CEmuMachine::Instance();
    CEmuLock lock(machine.m_Lock);
    EmuLogEntry entry;
    std::memset(&entry, 0, sizeof(entry));
    entry.nDrive = -1;
    entry.nKind = kEmuRequestHaInquiry;
    entry.nFrontEnd = kEmuFrontAspi;
    entry.nLetter = -1;
    entry.nAdapter = pSrb->SRB_HaId;
    machine.LogOther(entry, nullptr, 0);
    pSrb->HA_Count = machine.m_nAspiAdapterCount;
    if (pSrb->SRB_HaId >= machine.m_nAspiAdapterCount) {
        pSrb->SRB_Status = SS_INVALID_HA;
        return SS_INVALID_HA;
    }
    CEmuMachine::AspiAdapter adapter;
    auto it = machine.m_AspiAdapters.find(pSrb->SRB_HaId);
    if (it != machine.m_AspiAdapters.end())
        adapter = it->second;
    pSrb->HA_SCSI_ID = adapter.nScsiId;
    CopyText(pSrb->HA_ManagerId, adapter.strManagerId);
    CopyText(pSrb->HA_Identifier, adapter.strIdentifier);
    std::memcpy(pSrb->HA_Unique, adapter.unique, 16);
    pSrb->SRB_Status = SS_COMP;
    return SS_COMP;
}

} // namespace

extern "C" uint32_t __cdecl GetASPI32SupportInfo(void)
{
    CEmuMachine& machine = CEmuMachine::Instance();
    CEmuLock lock(machine.m_Lock);
    return (uint32_t(machine.m_nAspiStatus) << 8) | machine.m_nAspiAdapterCount;
}

// Execute requests complete at once, or stay pending (status 0) while a worker thread completes them and sets
// the event, or come back pending with the work already done and the event set now or a little later, as the
// machine is told.
extern "C" uint32_t __cdecl SendASPI32Command(void* pRequest)
{
    if (pRequest == nullptr)
        return SS_INVALID_SRB;
    SRB_Header* pHeader = static_cast<SRB_Header*>(pRequest);
    if (pHeader->SRB_Cmd == SC_HA_INQUIRY)
        return HostAdapterInquiry(static_cast<SRB_HAInquiry*>(pRequest));
    if (pHeader->SRB_Cmd != SC_EXEC_SCSI_CMD) {
        pHeader->SRB_Status = SS_INVALID_CMD;
        return SS_INVALID_CMD;
    }

    SRB_ExecSCSICmd* pSrb = static_cast<SRB_ExecSCSICmd*>(pRequest);
    int nMode = kEmuAspiImmediate;
    {
        CEmuMachine& machine = CEmuMachine::Instance();
        CEmuLock lock(machine.m_Lock);
        nMode = machine.m_nAspiCompletion;
    }
    if (nMode == kEmuAspiPending) {
        pSrb->SRB_Status = SS_PENDING;
        HANDLE hThread = CreateThread(nullptr, 0, &CompleteLater, pSrb, 0, nullptr);
        if (hThread != nullptr) {
            CloseHandle(hThread);
            return SS_PENDING;
        }
    }
    HANDLE hEvent = CompletionEvent(pSrb);
    ExecuteRequest(pSrb);
    if (nMode == kEmuAspiPendingSignalled) {
        Signal(hEvent);
        return SS_PENDING;
    }
    if (nMode == kEmuAspiStatusBeforeSignal) {
        SignalAfterReturn(hEvent);
        return SS_PENDING;
    }
    return pSrb->SRB_Status;
}

// Exported as EmuGetMachine: the test program configures the library's machine through it.
extern "C" IEmuMachine* __cdecl EmuGetMachineExport(void)
{
    return EmuGetMachine();
}
