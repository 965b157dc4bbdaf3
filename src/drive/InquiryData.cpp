// src/drive/InquiryData.cpp
#include "drive/InquiryData.h"

#include <cstring>

namespace {

const uint8_t kInquiryOpcode = 0x12;
const int kVendorOffset = 8;
const int kProductOffset = 16;
const int kRevisionOffset = 32;

// Layout of the port inquiry data (the platform's SCSI_ADAPTER_BUS_INFO, SCSI_BUS_DATA, SCSI_INQUIRY_DATA).
const size_t kBusDataOffset = 4; // BusData[0] follows NumberOfBuses, aligned to 4
const size_t kBusDataSize = 8;   // NumberOfLogicalUnits, InitiatorBusId, 2 pad, InquiryDataOffset
const size_t kBusInitiatorId = 1;
const size_t kBusInquiryOffset = 4;
const size_t kEntryHeaderSize = 12; // PathId, TargetId, Lun, DeviceClaimed, InquiryDataLength, NextOffset
const size_t kEntryLength = 4;
const size_t kEntryNext = 8;

uint32_t GetLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void CopyField(const uint8_t* pInquiry, uint32_t nLength, int nOffset, int nChars, char* pszOut)
{
    for (int i = 0; i < nChars; ++i) {
        uint32_t nAt = uint32_t(nOffset + i);
        pszOut[i] = nAt < nLength ? char(pInquiry[nAt]) : '\0';
    }
    pszOut[nChars] = '\0';
}

} // namespace

void BuildInquiryCdb(uint8_t* pCdb)
{
    std::memset(pCdb, 0, kInquiryCdbLength);
    pCdb[0] = kInquiryOpcode;
    pCdb[4] = kInquiryReplyLength;
}

void CopyInquiryStrings(const uint8_t* pInquiry, char* pszVendor, char* pszProduct, char* pszRevision)
{
    CopyInquiryStringsBounded(pInquiry, kInquiryReplyLength, pszVendor, pszProduct, pszRevision);
}

// Bytes that lie beyond nLength count as NUL, so a short INQUIRY answer in the port data gives shorter texts.
void CopyInquiryStringsBounded(const uint8_t* pInquiry, uint32_t nLength, char* pszVendor, char* pszProduct,
                               char* pszRevision)
{
    CopyField(pInquiry, nLength, kVendorOffset, kVendorChars, pszVendor);
    CopyField(pInquiry, nLength, kProductOffset, kProductChars, pszProduct);
    CopyField(pInquiry, nLength, kRevisionOffset, kRevisionChars, pszRevision);
}

bool IsPrintableText(char* pText, size_t nLength, bool bReplace)
{
    bool bPrintable = true;
    for (size_t i = 0; i < nLength; ++i) {
        unsigned char ch = static_cast<unsigned char>(pText[i]);
        if (ch == 0 || (ch >= 0x20 && ch <= 0x7E))
            continue;
        bPrintable = false;
        if (bReplace)
            pText[i] = ' ';
    }
    return bPrintable;
}

int PortInquiryBusCount(const uint8_t* pData, size_t nSize)
{
    return nSize == 0 ? 0 : pData[0];
}

int PortInquiryInitiatorId(const uint8_t* pData, size_t nSize)
{
    if (PortInquiryBusCount(pData, nSize) == 0 || nSize < kBusDataOffset + kBusInitiatorId + 1)
        return -1;
    return pData[kBusDataOffset + kBusInitiatorId];
}

// The driver's offsets are not trusted: a bus whose record lies beyond the returned size is skipped, a chain ends
// at an entry whose header does not fit, at an offset it has visited before (a cycle) and at the entry cap; the
// INQUIRY length of an entry is cut to the bytes that were returned.
int ParsePortInquiryData(const uint8_t* pData, size_t nSize, PortInquiryEntry* pEntries, int nMaxEntries)
{
    int nBuses = PortInquiryBusCount(pData, nSize);
    int nCount = 0;
    int nVisited = 0;
    uint32_t visited[kMaxPortInquiryEntries];
    for (int nBus = 0; nBus < nBuses; ++nBus) {
        size_t nBusAt = kBusDataOffset + size_t(nBus) * kBusDataSize;
        if (nBusAt + kBusDataSize > nSize)
            break;
        uint8_t nInitiator = pData[nBusAt + kBusInitiatorId];
        uint32_t nOffset = GetLe32(pData + nBusAt + kBusInquiryOffset);
        while (nOffset != 0 && nCount < nMaxEntries && nVisited < kMaxPortInquiryEntries) {
            if (nOffset > nSize || nSize - nOffset < kEntryHeaderSize)
                break;
            bool bSeen = false;
            for (int i = 0; i < nVisited; ++i)
                bSeen = bSeen || visited[i] == nOffset;
            if (bSeen)
                break;
            visited[nVisited++] = nOffset;

            const uint8_t* pEntry = pData + nOffset;
            PortInquiryEntry& entry = pEntries[nCount++];
            entry.nBus = nBus;
            entry.nPathId = pEntry[0];
            entry.nTargetId = pEntry[1];
            entry.nLun = pEntry[2];
            entry.bDeviceClaimed = pEntry[3];
            entry.nInitiatorBusId = nInitiator;
            entry.pInquiry = pEntry + kEntryHeaderSize;
            uint32_t nRoom = uint32_t(nSize - nOffset - kEntryHeaderSize);
            uint32_t nLength = GetLe32(pEntry + kEntryLength);
            entry.nInquiryLength = nLength < nRoom ? nLength : nRoom;
            nOffset = GetLe32(pEntry + kEntryNext);
        }
    }
    return nCount;
}
