// src/drive/AspiBackend.cpp
// The ASPI back end of CScsiTransport: one SRB_ExecSCSICmd per command, on the caller's stack, with a completion
// event of its own.
#include <cstring>
#include <utility>

#include "drive/CommandTables.h"
#include "drive/ScsiTransport.h"

namespace {

const uint8_t kDirectionFlags[] = {
    0,           // kDataNone
    SRB_DIR_IN,  // kDataIn
    SRB_DIR_OUT, // kDataOut
};

uint8_t ReadStatus(const SRB_ExecSCSICmd& srb)
{
    return *static_cast<const volatile uint8_t*>(&srb.SRB_Status);
}

} // namespace

// A manual-reset event for one command, not signalled. Events are reused: creating and closing one costs two
// wineserver round trips under Wine, which is most of a command's cost. An event goes back to the pool only after
// the layer has set it (or was never asked to), and reset.
CHandleOwner CScsiTransport::AcquireCommandEvent()
{
    CHandleOwner event;
    {
        CLockGuard lock(m_EventPoolGuard);
        if (m_nPooledEvents > 0)
            event = std::move(m_EventPool[--m_nPooledEvents]);
    }
    if (!event.IsCreated())
        event.Attach(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    else
        ResetEvent(event.get());
    return event;
}

// A full pool closes the event (the owner going out of scope).
void CScsiTransport::ReleaseCommandEvent(CHandleOwner&& event)
{
    CLockGuard lock(m_EventPoolGuard);
    if (m_nPooledEvents < kEventPoolSize)
        m_EventPool[m_nPooledEvents++] = std::move(event);
}

// Fills the request block (status preset to SS_ERR; direction bits and event notification only when the command
// has an event), sends it and, when the layer answers "pending", waits on the event until it is set and the status
// byte has changed. The wait happens even when the status changed before SendASPI32Command returned: a layer
// writes the status first and sets the event after, and until then it still holds the event (and may still read
// the block, which lives on this stack), so the event must not go back to the pool or be closed before. A wake
// with the status still pending (a stray signal) resets the event and waits again. Without an event the status is
// polled. Sense bytes 0-13 of the block go to the record whatever the outcome, so the sense of a
// CHECK CONDITION is never lost. Returns the block's status as the layer left it (1 done, 2 aborted, 4 error,
// 0x80 and above invalid).
ExecStatus CScsiTransport::ExecAspiCommand(CDeviceRecord& record, const BYTE* pCdb, void* pBuffer, DWORD nLength)
{
    PFN_SendASPI32Command pfnSend = m_pfnSendASPI32Command;
    if (pfnSend == nullptr)
        return kExecFailed;

    CHandleOwner event = AcquireCommandEvent();
    HANDLE hEvent = event.get();
    uint8_t nOpcode = pCdb[0];
    int nCdbLength = CdbLengthForOpcode(nOpcode);

    SRB_ExecSCSICmd srb;
    std::memset(&srb, 0, sizeof(srb));
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_Status = SS_ERR;
    srb.SRB_HaId = uint8_t(record.m_nAdapter);
    if (hEvent != nullptr)
        srb.SRB_Flags = kDirectionFlags[CommandDirection(nOpcode, pBuffer, nLength)] | SRB_EVENT_NOTIFY;
    srb.SRB_Target = uint8_t(record.m_nTarget);
    srb.SRB_Lun = uint8_t(record.m_nLun);
    srb.SRB_BufLen = nLength;
    srb.SRB_BufPointer = static_cast<uint8_t*>(pBuffer);
    srb.SRB_SenseLen = ASPI_SENSE_LEN;
    srb.SRB_CDBLen = uint8_t(nCdbLength);
    srb.SRB_PostProc = hEvent;
    std::memcpy(srb.CDBByte, pCdb, size_t(nCdbLength));

    if (hEvent != nullptr) {
        if (pfnSend(&srb) == SS_PENDING) {
            for (;;) {
                WaitForSingleObject(hEvent, INFINITE);
                if (ReadStatus(srb) != SS_PENDING)
                    break;
                ResetEvent(hEvent);
            }
        }
        ReleaseCommandEvent(std::move(event));
    } else {
        pfnSend(&srb);
        while (ReadStatus(srb) == SS_PENDING)
            Sleep(0);
    }

    std::memcpy(record.m_Sense, srb.SenseArea, ASPI_SENSE_LEN);
    return ReadStatus(srb);
}
