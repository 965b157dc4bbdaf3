// src/drive/SenseCodes.cpp
#include "drive/SenseCodes.h"

#include "resource.h"

namespace {

// Exact codes and code ranges, searched first; then the message of the sense key.
struct SenseRange {
    int32_t nFirst;
    int32_t nLast;
    int nStringId;
};

const SenseRange kExactCodes[] = {
    {0x20401, 0x20401, IDS_SENSE_TOC_IN_PROGRESS},    {0x23A00, 0x23A02, IDS_SENSE_NO_DISC},
    {0x30200, 0x30200, IDS_SENSE_SEEK_FAILED},        {0x30C09, 0x30C09, IDS_SENSE_BUFFER_UNDERRUN},
    {0x31105, 0x31106, IDS_SENSE_UNRECOVERED_READ},   {0x37201, 0x37201, IDS_SENSE_LEAD_IN_ERROR},
    {0x37202, 0x37202, IDS_SENSE_LEAD_OUT_ERROR},     {0x37303, 0x37303, IDS_SENSE_OPC_FAILED},
    {0x44700, 0x44700, IDS_SENSE_BUS_ERROR},          {0x52000, 0x52000, IDS_SENSE_INVALID_COMMAND},
    {0x52100, 0x52100, IDS_SENSE_LBA_OUT_OF_RANGE},   {0x52102, 0x52102, IDS_SENSE_INVALID_ADDRESS},
    {0x52400, 0x52400, IDS_SENSE_INVALID_PARAMETER},  {0x52500, 0x52500, IDS_SENSE_UNIT_NOT_SUPPORTED},
    {0x52600, 0x52600, IDS_SENSE_INVALID_PARAM_LIST}, {0x56400, 0x56400, IDS_SENSE_ILLEGAL_TRACK_MODE},
    {0x62900, 0x62900, IDS_SENSE_RESET_OCCURRED},
};

// Message of each sense key 0-11 when no exact code matched.
const int kKeyMessages[12] = {
    IDS_SENSE_UNSPECIFIED,     // 0 no sense
    IDS_SENSE_RECOVERED_ERROR, // 1
    IDS_SENSE_NOT_READY,       // 2
    IDS_SENSE_MEDIUM_ERROR,    // 3
    IDS_SENSE_HARDWARE_ERROR,  // 4
    IDS_SENSE_ILLEGAL_REQUEST, // 5
    IDS_SENSE_UNIT_ATTENTION,  // 6
    IDS_SENSE_UNSPECIFIED,     // 7 data protect
    IDS_SENSE_UNSPECIFIED,     // 8 blank check
    IDS_SENSE_UNSPECIFIED,     // 9 vendor specific
    IDS_SENSE_UNSPECIFIED,     // 10 copy aborted
    IDS_SENSE_COMMAND_ABORTED, // 11
};

} // namespace

// Byte 2 is taken whole: its file-mark, end-of-medium and incorrect-length bits stay in the code, so such a code
// has a "sense key" above 11 and gets the unspecified message.
int32_t SenseCodeFromBytes(const uint8_t* pSense)
{
    return (int32_t(pSense[2]) << 16) | (int32_t(pSense[12]) << 8) | int32_t(pSense[13]);
}

int32_t GetSenseCode(const CDeviceRecord& record)
{
    return SenseCodeFromBytes(record.m_Sense);
}

// Codes below 0x10000 (sense key 0) and keys of 12 and above give the unspecified message. Sense key 1 and 11 are
// one message whatever the ASC; other keys look for an exact code first.
int SenseMessageStringId(int32_t nSenseCode)
{
    if (nSenseCode < 0x10000)
        return IDS_SENSE_UNSPECIFIED;
    int32_t nKey = nSenseCode >> 16;
    if (nKey >= 12)
        return IDS_SENSE_UNSPECIFIED;
    for (const SenseRange& range : kExactCodes) {
        if (nSenseCode >= range.nFirst && nSenseCode <= range.nLast)
            return range.nStringId;
    }
    return kKeyMessages[nKey];
}
