// src/drive/StratafitTexts.cpp
// Texts of the drive's Stratafit status: the status of the last Stratafit run and its result codes.
#include "drive/DriveManager.h"

#include <cstring>

#include "drive/Cdb.h"
#include "resource.h"

namespace {

struct StratafitResult {
    DWORD code;
    int kind; // 0 = any kind
    UINT stringId;
};

// Searched in order; the first row with the code and the caller's kind (or kind 0) gives the text.
const StratafitResult kStratafitResults[] = {
    {0x00000, 2, IDS_SF_DEFAULT_OK},
    {0x10001, 0, IDS_SF_WRITE_ERROR_LIKELY},
    {0x10002, 0, IDS_SF_NOT_RECORDABLE},
    {0x10003, 0, IDS_SF_NOT_RECORDABLE_AT_SPEED},
    {0x10004, 0, IDS_SF_MEASURE_FAILED},
    {0x20004, 0, IDS_SF_MEASURE_FAILED_2},
    {0x20005, 0, IDS_SF_BAD_CHARACTERISTICS},
    {0x20006, 0, IDS_SF_INCORRECT_POWER},
    {0x20007, 0, IDS_SF_ADJUSTED},
    {0x30008, 0, IDS_SF_ADJUST_FAILED_DEFAULT},
    {0x40009, 0, IDS_SF_OVER_6X},
    {0x5000A, 0, IDS_SF_CORRECTION_FAILED},
    {0xA000B, 0, IDS_SF_RECORDING_ERROR},
    {0x000FE, 0, IDS_SF_NO_TEST_DONE},
    {0x000FF, 0, IDS_SF_DEFAULT_OK_2},
    {0x00000, 1, IDS_SF_MEDIA_GOOD},
    {0x00001, 1, IDS_SF_GOOD_MEDIA},
    {0x00002, 1, IDS_SF_NORMAL_MEDIA},
    {0x00003, 1, IDS_SF_BAD_MEDIA},
    {0x00004, 1, IDS_SF_MEASURE_FAILED},
    {0x00005, 1, IDS_SF_MEDIA_NOT_SUPPORTED},
    {0x00001, 2, IDS_SF_GOOD_MEDIA},
    {0x00002, 2, IDS_SF_NORMAL_MEDIA},
    {0x00003, 2, IDS_SF_BAD_MEDIA},
    {0x00004, 2, IDS_SF_MEASURE_FAILED},
    {0x00005, 2, IDS_SF_MEDIA_NOT_SUPPORTED},
};
static_assert(sizeof(kStratafitResults) / sizeof(kStratafitResults[0]) == 26, "Stratafit result rows");

// Drive status values (answer byte 3) that carry no result code, and their texts.
struct StratafitStatus {
    BYTE status;
    UINT stringId;
};

const StratafitStatus kStratafitStatuses[] = {
    {1, IDS_SF_BUSY},
    {2, IDS_SF_NOT_EXECUTED},
    {10, IDS_SF_DISABLED},
    {11, IDS_SF_ERROR},
};

const char kNoInformation[] = "No Information Available";

} // namespace

CString CDriveManager::GetStratafitResultText(DWORD nCode, int nKind)
{
    CString text(kNoInformation);
    for (const StratafitResult& row : kStratafitResults) {
        if (row.code != nCode || (row.kind != 0 && row.kind != nKind))
            continue;
        CString loaded;
        if (loaded.LoadString(row.stringId))
            text = loaded;
        break;
    }
    return text;
}

// Asks the drive for the status of its last Stratafit run (E4 01 00 .. 00 12 00, 18 bytes). A failed command
// gives the record's sense message; the busy, not executed, disabled and error states give their texts; any
// other state gives the text of the run's result code (answer byte 17 × 0x10000 + byte 16, and 0 whenever byte
// 16 is 0) and the result true. The text always starts with one blank.
bool CDriveManager::GetStratafitStatusText(CDeviceRecord& record, CString& strText, int nKind)
{
    BYTE answer[18];
    std::memset(answer, 0, sizeof(answer));
    CString text;
    bool isResult = false;
    if (StratafitCommand(record, 1, 0, 0, sizeof(answer), answer) != kExecCompleted)
        text = FormatSenseMessage(record);
    else {
        const StratafitStatus* status = nullptr;
        for (const StratafitStatus& row : kStratafitStatuses) {
            if (row.status == answer[3])
                status = &row;
        }
        if (status != nullptr)
            text.LoadString(status->stringId);
        else {
            DWORD code = answer[16] == 0 ? 0 : DWORD(answer[17]) * 0x10000 + answer[16];
            text = GetStratafitResultText(code, nKind);
            isResult = true;
        }
    }
    strText = " ";
    strText += text;
    return isResult;
}
