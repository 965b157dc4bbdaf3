// src/drive/InquiryData.h
// The INQUIRY command and the decoders of its answer and of the port inquiry data a storage port keeps
// (SCSI_ADAPTER_BUS_INFO with its SCSI_INQUIRY_DATA chains), walked within the returned size.
// Free of <windows.h>.
#ifndef TAVISK_DRIVE_INQUIRYDATA_H
#define TAVISK_DRIVE_INQUIRYDATA_H

#include <cstddef>
#include <cstdint>

const int kInquiryCdbLength = 6;
const int kInquiryReplyLength = 56;
const int kVendorChars = 8;
const int kProductChars = 16;
const int kRevisionChars = 4;

// 12 00 00 00 38 00
void BuildInquiryCdb(uint8_t* pCdb);

// Copies vendor (bytes 8-15), product (16-31) and revision (32-35) of an INQUIRY answer into 9/17/5-character
// buffers, each NUL-terminated. Characters are copied unchanged.
void CopyInquiryStrings(const uint8_t* pInquiry, char* pszVendor, char* pszProduct, char* pszRevision);

// As CopyInquiryStrings for an answer of nLength bytes: bytes beyond it count as NUL.
void CopyInquiryStringsBounded(const uint8_t* pInquiry, uint32_t nLength, char* pszVendor, char* pszProduct,
                               char* pszRevision);

// True when pText[0..nLength) holds only 0x20-0x7E or NUL. With bReplace, every other character becomes a blank.
bool IsPrintableText(char* pText, size_t nLength, bool bReplace);

// One device entry of the port inquiry data.
struct PortInquiryEntry {
    int nBus; // index of the bus in the reply
    uint8_t nPathId;
    uint8_t nTargetId;
    uint8_t nLun;
    uint8_t bDeviceClaimed;
    uint8_t nInitiatorBusId; // of the entry's bus
    const uint8_t* pInquiry; // the device's INQUIRY data inside the reply
    uint32_t nInquiryLength; // clamped to the bytes that lie inside the reply
};

const int kMaxPortInquiryEntries = 512; // cap on the entries of one reply (guards cyclic chains)
const uint32_t kPortInquiryBufferSize = 4096;

// Walks the reply of IOCTL_SCSI_GET_INQUIRY_DATA (nSize = bytes returned). Every bus offset, entry offset and
// INQUIRY length is bounded by nSize; a chain stops at an offset outside the data, at an offset already visited
// and at the entry cap. Returns the number of entries written to pEntries (at most nMaxEntries).
int ParsePortInquiryData(const uint8_t* pData, size_t nSize, PortInquiryEntry* pEntries, int nMaxEntries);

// Number of buses of the reply (0 when nSize is 0), and the initiator id of its first bus (byte 5), or -1.
int PortInquiryBusCount(const uint8_t* pData, size_t nSize);
int PortInquiryInitiatorId(const uint8_t* pData, size_t nSize);

#endif
