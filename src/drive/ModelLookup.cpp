// src/drive/ModelLookup.cpp
// Model identification: finds the drive's row in the model table after the bridge rewrite rules, and the
// accessors that hand out the row's fields. Nothing is cached; every call sends its own INQUIRY.
#include "drive/DriveManager.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "drive/Cdb.h"
#include "drive/ModelTable.h"

// Looks the drive up: INQUIRY (a drive that does not answer is unlisted), then the product identification kept
// in the record (not the one just read) as the working identification. Drives reporting the maker's vendor
// identification are first rewritten by the bridge rules, so that a drive behind a USB, IEEE 1394 or Serial ATA
// bridge finds the row of its bridged product. The first row whose productId begins the working identification
// is copied into row; without a match row is left untouched. No catch-all search follows: it could never match.
bool CDriveManager::GetModelRecord(CDeviceRecord& record, ModelRecord& row)
{
    char vendor[9] = "";
    char product[17] = "";
    char revision[5] = "";
    if ((Inquiry(record, vendor, product, revision) & 0xFF) != 1)
        return false;

    char working[kWorkingIdSize];
    memset(working, 0, sizeof(working));
    memcpy(working, record.m_szProduct, strnlen(record.m_szProduct, kProductIdLength));
    if (strstr(vendor, "KORVATH") != nullptr)
        ApplyBridgeRewriteRules(working, record.m_nBusType, record.m_szRevision);

    const ModelRecord* found = FindModelRow(working);
    if (found == nullptr)
        return false;
    row = *found;
    return true;
}

// The drive's row, or an all-zero row (every flag and value 0, every text empty) for an unlisted drive.
ModelRecord CDriveManager::GetModelRowOrZero(CDeviceRecord& record)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    GetModelRecord(record, row);
    return row;
}

bool CDriveManager::IsKnownModel(CDeviceRecord& record)
{
    ModelRecord row;
    return GetModelRecord(record, row);
}

CString CDriveManager::GetModelProductId(CDeviceRecord& record)
{
    return CString(GetModelRowOrZero(record).productId);
}

CString CDriveManager::GetModelName(CDeviceRecord& record)
{
    return CString(GetModelRowOrZero(record).name);
}

CString CDriveManager::GetModelFirmwareId(CDeviceRecord& record)
{
    return CString(GetModelRowOrZero(record).firmwareId);
}

CString CDriveManager::GetModelSpeedText(CDeviceRecord& record, int nIndex)
{
    if (nIndex < 0 || nIndex >= 10)
        return CString();
    return CString(GetModelRowOrZero(record).cdSpeeds[nIndex]);
}

// The number a speed text stands for: after the first hyphen of a range ("10-24X CAV" gives 24), otherwise at
// the start ("4X CLV" gives 4); an empty text gives 0.
static int SpeedTextValue(const char* pszSpeed)
{
    const char* hyphen = strchr(pszSpeed, '-');
    return atoi(hyphen != nullptr ? hyphen + 1 : pszSpeed);
}

int CDriveManager::GetModelSpeedValue(CDeviceRecord& record, int nIndex)
{
    if (nIndex < 0 || nIndex >= 10)
        return 0;
    return SpeedTextValue(GetModelRowOrZero(record).cdSpeeds[nIndex]);
}

// The speed of entry 6 when it is not positive; otherwise entries 5 down to 0 are read until one is not
// positive, and the last value read is the result (entry 0's value when entries 0 to 6 all hold a speed).
int CDriveManager::GetModelSpeedValueScan(CDeviceRecord& record)
{
    ModelRecord row = GetModelRowOrZero(record);
    int v = SpeedTextValue(row.cdSpeeds[6]);
    if (v < 1)
        return v;
    for (int i = 5; i >= 0; --i) {
        v = SpeedTextValue(row.cdSpeeds[i]);
        if (v <= 0)
            break;
    }
    return v;
}

BYTE CDriveManager::GetModelFlagWriter(CDeviceRecord& record)
{
    return GetModelRowOrZero(record).isWriter;
}

BYTE CDriveManager::GetModelFlag2(CDeviceRecord& record)
{
    return GetModelRowOrZero(record).flag2;
}

BYTE CDriveManager::GetModelFlag3(CDeviceRecord& record)
{
    return GetModelRowOrZero(record).flag3;
}

BYTE CDriveManager::GetModelFlagC2(CDeviceRecord& record)
{
    return GetModelRowOrZero(record).c2Pointers;
}

BYTE CDriveManager::ModelUsesModeSense10(CDeviceRecord& record)
{
    return GetModelRowOrZero(record).tenByteCommands;
}

BYTE CDriveManager::GetModelInfoFlag(CDeviceRecord& record)
{
    return GetModelRowOrZero(record).vendorInfo;
}

DWORD CDriveManager::GetModelValue1(CDeviceRecord& record)
{
    return GetModelRowOrZero(record).value1;
}

DWORD CDriveManager::GetModelValue2(CDeviceRecord& record)
{
    return GetModelRowOrZero(record).value2;
}

DWORD CDriveManager::GetModelValue3(CDeviceRecord& record)
{
    return GetModelRowOrZero(record).value3;
}

DWORD CDriveManager::GetModelValue4(CDeviceRecord& record)
{
    return GetModelRowOrZero(record).value4;
}

bool CDriveManager::IsModelCode(CDeviceRecord& record, const char* pszCode)
{
    ModelRecord row = GetModelRowOrZero(record);
    return pszCode != nullptr && row.productId[0] != '\0' && strcmp(row.code, pszCode) == 0;
}

bool CDriveManager::IsSpecialSpeedModel(CDeviceRecord& record)
{
    ModelRecord row = GetModelRowOrZero(record);
    return row.productId[0] != '\0' && ContainsModelNumber(row.productId, g_SpecialSpeedModels);
}

// "%d X" of the maximum read speed (page 0x2A bytes 20-21, answer offsets 32-33) at 176 KB/s per X. The text is
// written whether or not the read succeeded (a failed read gives "0 X").
ExecStatus CDriveManager::GetMaxReadSpeedText(CDeviceRecord& record, char* pszText)
{
    BYTE answer[34];
    memset(answer, 0, sizeof(answer));
    ExecStatus status = ModeSense(record, 0x2A, sizeof(answer), answer);
    sprintf(pszText, "%d X", int(GetBe16(answer + 32) / 176));
    return status;
}
