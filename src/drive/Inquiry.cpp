// src/drive/Inquiry.cpp
// The INQUIRY forms of CScsiTransport: through the back end, through the drive letter, from the port's own
// inquiry data, and the raw answer.
#include <cstring>
#include <new>
#include <memory>

#include <windows.h>
#include <ntddscsi.h>

#include "drive/DeviceIo.h"
#include "drive/InquiryData.h"
#include "drive/ScsiTransport.h"

namespace {

const int kMaxPortNumber = 99;

int IdentifyResult(int nPeripheral)
{
    return 1 + 256 * nPeripheral;
}

} // namespace

// Chooses the form by back end. Under pass-through, devices on USB, IEEE 1394 and letter-only adapters answer
// through their letter; others are described by the port's inquiry data. A record whose adapter index is no
// longer in the list (a copy kept across a rescan) gets 0 rather than an exception, since worker threads call
// this too. Under ASPI the peripheral byte is taken as signed.
int CScsiTransport::Inquiry(CDeviceRecord& record, char* pszVendor, char* pszProduct, char* pszRevision)
{
    if (record.m_nAdapter < 0 || record.m_nTarget < 0 || m_nAccessMode == kAccessModeNone)
        return 0;
    if (m_nAccessMode == kAccessModeSpti) {
        if (record.m_nAdapter >= m_Adapters.GetSize())
            return 0;
        int nBusType = m_Adapters[record.m_nAdapter].m_nBusType;
        if (nBusType == kBusTypeUsb || nBusType == kBusType1394 || nBusType == kBusTypeLetterOnly)
            return InquiryViaLetter(record, pszVendor, pszProduct, pszRevision);
        return InquiryViaPort(record, pszVendor, pszProduct, pszRevision);
    }
    BYTE cdb[kInquiryCdbLength];
    BYTE reply[kInquiryReplyLength];
    BuildInquiryCdb(cdb);
    std::memset(reply, 0, sizeof(reply));
    if (ExecScsiCommand(record, cdb, reply, sizeof(reply)) != kExecCompleted)
        return 0;
    CopyInquiryStrings(reply, pszVendor, pszProduct, pszRevision);
    return IdentifyResult(static_cast<signed char>(reply[0]));
}

// Sends the INQUIRY through the letter device in either access mode; a status other than 1 is passed on
// (0, or -1 for letter index -1). Strings are copied unchanged; the peripheral byte is unsigned.
int CScsiTransport::InquiryViaLetter(CDeviceRecord& record, char* pszVendor, char* pszProduct, char* pszRevision)
{
    BYTE cdb[kInquiryCdbLength];
    BYTE reply[kInquiryReplyLength];
    BuildInquiryCdb(cdb);
    std::memset(reply, 0, sizeof(reply));
    ExecStatus nStatus = ExecSptiCommand(record, cdb, reply, sizeof(reply));
    if (nStatus != kExecCompleted)
        return nStatus;
    CopyInquiryStrings(reply, pszVendor, pszProduct, pszRevision);
    return IdentifyResult(reply[0]);
}

// Reads the inquiry data that the ports keep, sending no command: ports "\\.\SCSI0:" upward until one cannot be
// opened (at most 100); on each, every entry of every bus is compared with the record's port, path, target and
// LUN, and a later match on the same port wins. Vendor and product characters outside 0x20-0x7E become blanks.
// The walk is bounded by the bytes the port returned (see ParsePortInquiryData).
int CScsiTransport::InquiryViaPort(CDeviceRecord& record, char* pszVendor, char* pszProduct, char* pszRevision)
{
    int nLetter = record.m_nDriveLetter;
    if (IsDriveLetterIndex(nLetter) && m_Letters[nLetter].m_bInquireViaLetter == 1)
        return InquiryViaLetter(record, pszVendor, pszProduct, pszRevision);
    if (record.m_nAdapter < 0 || record.m_nAdapter >= m_Adapters.GetSize())
        return 0;
    int nRecordPort = m_Adapters[record.m_nAdapter].m_nPortNumber;

    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kPortInquiryBufferSize]);
    std::unique_ptr<PortInquiryEntry[]> entries(new (std::nothrow) PortInquiryEntry[kMaxPortInquiryEntries]);
    if (!buffer || !entries)
        return 0;

    bool bFound = false;
    int nPeripheral = 0;
    for (int nPort = 0; nPort <= kMaxPortNumber && !bFound; ++nPort) {
        char szPort[16];
        wsprintfA(szPort, "\\\\.\\SCSI%d:", nPort);
        CDeviceHandle port(DeviceIoOpenReadWrite(szPort));
        if (!port.IsCreated())
            break;
        DWORD nReturned = 0;
        std::memset(buffer.get(), 0, kPortInquiryBufferSize);
        if (!DeviceIoControlCall(port.get(), IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, buffer.get(),
                                 kPortInquiryBufferSize, &nReturned, nullptr))
            continue;
        if (nReturned > kPortInquiryBufferSize)
            nReturned = kPortInquiryBufferSize;
        if (nPort != nRecordPort)
            continue;
        int nEntries = ParsePortInquiryData(buffer.get(), nReturned, entries.get(), kMaxPortInquiryEntries);
        for (int i = 0; i < nEntries; ++i) {
            const PortInquiryEntry& entry = entries[i];
            if (entry.nLun != record.m_nLun || entry.nPathId != record.m_nPathId || entry.nTargetId != record.m_nTarget)
                continue;
            CopyInquiryStringsBounded(entry.pInquiry, entry.nInquiryLength, pszVendor, pszProduct, pszRevision);
            IsPrintableText(pszVendor, kVendorChars, true);
            IsPrintableText(pszProduct, kProductChars, true);
            nPeripheral = entry.nInquiryLength > 0 ? entry.pInquiry[0] : 0;
            bFound = true;
        }
    }
    return bFound ? IdentifyResult(nPeripheral) : 0;
}

ExecStatus CScsiTransport::InquiryRaw(CDeviceRecord& record, BYTE* pReply56)
{
    BYTE cdb[kInquiryCdbLength];
    BuildInquiryCdb(cdb);
    return ExecScsiCommand(record, cdb, pReply56, kInquiryReplyLength);
}
