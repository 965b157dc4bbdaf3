// src/drive/FeatureQueries.cpp
// Capability and vendor-feature side of the drive manager: C2 pointers, buffer-underrun protection, the
// firmware-feature predicates, the vendor mode command 0xE9 in its forms, the drive option of the DVD write
// test, the usage counters, the selected write speed, the block length of old SCSI CD-ROM drives, WRITE(6) and
// finding a drive by its letter.
#include "drive/DriveManager.h"

#include <stdio.h>
#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "drive/ModelTable.h"

namespace {

// A known model with vendor information: the lookup succeeds and the row's vendorInfo flag is set.
bool GetVendorInfoRow(CDriveManager& manager, CDeviceRecord& record, ModelRecord& row)
{
    memset(&row, 0, sizeof(row));
    return manager.GetModelRecord(record, row) && row.vendorInfo;
}

// The firmware number of a fresh INQUIRY (0 when the drive does not answer).
int FreshFirmwareNumber(CDriveManager& manager, CDeviceRecord& record)
{
    char vendor[9] = "";
    char product[17] = "";
    char revision[5] = "";
    if ((manager.Inquiry(record, vendor, product, revision) & 0xFF) != 1)
        return 0;
    return FirmwareNumber(revision);
}

// The first row of the table whose model number is in productId, or null.
const FirmwareFeatureRow* FindFeatureRow(const FirmwareFeatureTable& table, const char* productId)
{
    for (int i = 0; i < table.count; ++i) {
        if (strstr(productId, table.rows[i].number) != nullptr)
            return &table.rows[i];
    }
    return nullptr;
}

bool Reaches(int firmware, int minimum)
{
    return minimum != kNever && firmware >= minimum;
}

// The shared procedure of the firmware-feature predicates: a known model with vendor information whose first
// matching row's minimum the firmware reaches.
bool HasFeature(CDriveManager& manager, CDeviceRecord& record, const FirmwareFeatureTable& table)
{
    ModelRecord row;
    if (!GetVendorInfoRow(manager, record, row))
        return false;
    int firmware = FreshFirmwareNumber(manager, record);
    const FirmwareFeatureRow* feature = FindFeatureRow(table, row.productId);
    return feature != nullptr && Reaches(firmware, feature->minimum);
}

// hours.minutes.seconds and the class letter of a usage counter in seconds.
void AppendCounter(char* pszText, const char* pszFormat, long nSeconds)
{
    long hours = nSeconds / 3600;
    long minutes = (nSeconds - hours * 3600) / 60;
    long seconds = nSeconds % 60;
    char letter = nSeconds < 0 ? '?' : nSeconds <= 1200 ? 'A' : nSeconds <= 3600 ? 'B' : nSeconds <= 7200 ? 'C' : 'D';
    char part[40];
    sprintf(part, pszFormat, int(hours), int(minutes), int(seconds), letter);
    strcat(pszText, part);
}

} // namespace

// A known model with vendor information answers from its row. Otherwise page 0x2A (34 bytes asked, read into a
// larger cleared buffer so that a page found late is never read past the buffer) gives bit 4 of page byte 5;
// a page that is not found gives false.
bool CDriveManager::SupportsC2Pointers(CDeviceRecord& record)
{
    ModelRecord row;
    if (GetVendorInfoRow(*this, record, row))
        return row.c2Pointers != 0;
    BYTE answer[64];
    memset(answer, 0, sizeof(answer));
    ModeSense(record, 0x2A, 34, answer);
    int p = FindPageFrom0(answer, 50);
    return p >= 0 && (answer[p + 5] & 0x10) != 0;
}

// A known model with vendor information answers from its row; two listed families keep the flag in the vendor
// page 0x30 (byte 2 bit 0), every other drive in the BUF bit of page 0x2A (byte 4 bit 7), both read at the place
// behind the block descriptor.
bool CDriveManager::HasBufferUnderrunProof(CDeviceRecord& record)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    bool known = GetModelRecord(record, row);
    if (known && row.vendorInfo)
        return row.bufferUnderrunProof != 0;
    BYTE answer[34];
    memset(answer, 0, sizeof(answer));
    if (known && ContainsModelNumber(row.productId, g_BufferUnderrunPage30Models)) {
        if (ModeSense(record, 0x30, sizeof(answer), answer) != kExecCompleted)
            return false;
        return (answer[14] & 0x01) != 0;
    }
    if (ModeSense(record, 0x2A, sizeof(answer), answer) != kExecCompleted)
        return false;
    return (answer[16] & 0x80) != 0;
}

// Page 0x2A bytes 28-29, the write speed selected in the drive (KB/s); an unreadable page gives 0.
int CDriveManager::GetSelectedWriteSpeed(CDeviceRecord& record)
{
    BYTE answer[64];
    memset(answer, 0, sizeof(answer));
    ModeSense(record, 0x2A, sizeof(answer), answer);
    int p = LocatePageFrom0(answer, 20);
    return int(GetBe16(answer + p + 28));
}

bool CDriveManager::IsSpeedamodeSupported(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_SpeedamodeTable);
}
bool CDriveManager::IsStratafitSupported(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_StratafitTable);
}
bool CDriveManager::IsReadModeSettingSupported(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_ReadModeTable);
}
bool CDriveManager::HasFirmwareFeature1(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_FirmwareFeature1Table);
}
bool CDriveManager::HasFirmwareFeature2(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_FirmwareFeature2Table);
}
bool CDriveManager::HasFirmwareFeature3(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_FirmwareFeature3Table);
}
bool CDriveManager::HasFirmwareFeature4(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_FirmwareFeature4Table);
}
bool CDriveManager::HasFirmwareFeature5(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_FirmwareFeature5Table);
}
bool CDriveManager::HasFirmwareFeature6(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_FirmwareFeature6Table);
}
bool CDriveManager::HasFirmwareFeature7(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_FirmwareFeature7Table);
}
bool CDriveManager::HasFirmwareFeature8(CDeviceRecord& record)
{
    return HasFeature(*this, record, g_FirmwareFeature8Table);
}

// 17 when the row's extended minimum is met, else 1 when its feature minimum is met, else 0. Any known model
// qualifies (the vendorInfo flag is not asked).
int CDriveManager::GetFirmwareFeatureLevel(CDeviceRecord& record)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    if (!GetModelRecord(record, row))
        return 0;
    int firmware = FreshFirmwareNumber(*this, record);
    const FirmwareFeatureRow* feature = FindFeatureRow(g_FeatureLevelTable, row.productId);
    if (feature == nullptr)
        return 0;
    if (Reaches(firmware, feature->level17))
        return 17;
    return Reaches(firmware, feature->minimum) ? 1 : 0;
}

// E9 | 10 when set | sub-command | 00 | value | 00 00 00 | 00 | 9-10 length | 00
ExecStatus CDriveManager::VendorModeCommand(CDeviceRecord& record, int nSet, BYTE subCommand, BYTE value, int nLength,
                                            BYTE* pBuffer)
{
    return VendorE9Command(record, nSet != 0, subCommand, 0, value, 0, nLength, pBuffer);
}

// E9 | 10 when set | sub-command | value 1 when set | value 2 when set | 00 .. | 9-10 length | 00
ExecStatus CDriveManager::VendorSetting(CDeviceRecord& record, int nSet, BYTE subCommand, BYTE value1, BYTE value2,
                                        int nLength, BYTE* pBuffer)
{
    return VendorE9Command(record, nSet != 0, subCommand, nSet ? value1 : 0, nSet ? value2 : 0, 0, nLength, pBuffer);
}

// E9 | 10 when set | sub-command | when set: 1 for flag A + 2 for flag B | 00 .. | 9-10 length | 00
ExecStatus CDriveManager::VendorModeFlagsCommand(CDeviceRecord& record, int nSet, BYTE subCommand, int nFlagA,
                                                 int nFlagB, int nLength, BYTE* pBuffer)
{
    BYTE flags = 0;
    if (nSet)
        flags = BYTE((nFlagA ? 1 : 0) + (nFlagB ? 2 : 0));
    return VendorE9Command(record, nSet != 0, subCommand, flags, 0, 0, nLength, pBuffer);
}

// E9 | 00 | six caller bytes | 00 | 9-10 length | 00
ExecStatus CDriveManager::VendorModeRawCommand(CDeviceRecord& record, const BYTE* pBytes2to7, int nLength,
                                               BYTE* pBuffer)
{
    BYTE cdb[12] = {0xE9};
    memcpy(cdb + 2, pBytes2to7, 6);
    SetBe16(cdb + 9, DWORD(nLength));
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength));
}

// E9 | 10 when set | 22 | value | 00 | value 2 | 00 00 | 00 | 9-10 length | 00
ExecStatus CDriveManager::VendorSetting22Command(CDeviceRecord& record, BYTE value, int nSet, BYTE value2, int nLength,
                                                 BYTE* pBuffer)
{
    return VendorE9Command(record, nSet != 0, 0x22, value, 0, value2, nLength, pBuffer);
}

// D5 | 00 | three caller bytes | 00 .. | 10 length (low byte) | 00; data to the drive
ExecStatus CDriveManager::VendorD5Command(CDeviceRecord& record, BYTE b2, BYTE b3, BYTE b4, int nLength, BYTE* pBuffer)
{
    BYTE cdb[12] = {0xD5};
    cdb[2] = b2;
    cdb[3] = b3;
    cdb[4] = b4;
    cdb[10] = BYTE(nLength);
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nLength & 0xFF));
}

// The four-family group, three further models and one more from firmware 7 take E9 10 21 <option>; every other
// drive takes F3 1F 16 with 0x15 (off), 0xFF (the ending form 2) or 0x14 (on) and no data.
ExecStatus CDriveManager::SetVendorOption(CDeviceRecord& record, int nOption, int nLength, BYTE* pBuffer)
{
    int firmware = FreshFirmwareNumber(*this, record);
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    GetModelRecord(record, row);
    const FirmwareFeatureRow* late = FindFeatureRow(g_VendorOptionLateTable, row.productId);
    bool e9 = row.productId[0] != '\0' && (ContainsModelNumber(row.productId, g_FourFamilyGroup) ||
                                           ContainsModelNumber(row.productId, g_VendorOptionModels) ||
                                           (late != nullptr && Reaches(firmware, late->minimum)));
    if (e9)
        return VendorE9Command(record, 1, 0x21, BYTE(nOption), 0, 0, nLength, pBuffer);
    BYTE value = nOption == 0 ? 0x15 : nOption == 2 ? 0xFF : 0x14;
    return VendorF3Command(record, 0, value, 0x1F, 0x16, 0, 0, nullptr);
}

// The usage counters of a writer with vendor information: two at block bytes 294 and 302 for the five-family
// group (512-byte read), else one at 122 (128-byte read); "" on any failure.
char* CDriveManager::GetUsageCounterText(CDeviceRecord& record, char* pszText)
{
    pszText[0] = '\0';
    if (!IsWriter(record))
        return pszText;
    ModelRecord row;
    if (!GetVendorInfoRow(*this, record, row))
        return pszText;
    BYTE block[512];
    memset(block, 0, sizeof(block));
    if (ContainsModelNumber(record.m_szProduct, g_FiveFamilyGroup)) {
        if (ReadVendorInfoBlock(record, 0, 512, block) != kExecCompleted)
            return pszText;
        AppendCounter(pszText, "%d.%d.%d%c", long(int32_t(GetBe32(block + 294))));
        AppendCounter(pszText, " - %d.%d.%d%c", long(int32_t(GetBe32(block + 302))));
        return pszText;
    }
    if (ReadVendorInfoBlock(record, 0, 128, block) != kExecCompleted)
        return pszText;
    AppendCounter(pszText, "%d.%d.%d%c", long(int32_t(GetBe32(block + 122))));
    return pszText;
}

// Block length of the mode block descriptor (page 0x01 answer bytes 10-11); 0 on failure.
int CDriveManager::GetBlockLength(CDeviceRecord& record)
{
    BYTE answer[12];
    memset(answer, 0, sizeof(answer));
    if (ModeSense(record, 0x01, sizeof(answer), answer) != kExecCompleted)
        return 0;
    return answer[10] * 256 + answer[11];
}

// MODE SELECT(6) of a header and one block descriptor (density 0x82 for flag 0, else 0x00) for the old SCSI
// CD-ROM drives; nothing is sent (0) to ten-byte drives, bridged drives and writers.
ExecStatus CDriveManager::SetBlockLength(CDeviceRecord& record, int nBlockLength, int nDensityFlag)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    GetModelRecord(record, row);
    if (row.tenByteCommands || record.m_nBusType == kBusTypeUsb || record.m_nBusType == kBusType1394 ||
        record.m_nBusType == kBusTypeLetterOnly || row.isWriter)
        return kExecFailed;
    BYTE list[12] = {0, 0, 0, 8};
    list[4] = nDensityFlag == 0 ? 0x82 : 0x00;
    SetBe16(list + 10, DWORD(nBlockLength));
    BYTE cdb[12] = {0x15, 0, 0, 0, sizeof(list), 0};
    return ExecScsiCommand(record, cdb, list, sizeof(list));
}

// WRITE(10) of 2352-byte blocks for the ten-byte drives, else WRITE(6) of 2048-byte blocks.
ExecStatus CDriveManager::Write6Or10(CDeviceRecord& record, long lba, BYTE nBlocks, BYTE* pBuffer)
{
    if (ModelUsesModeSense10(record))
        return Write10Raw(record, lba, nBlocks, pBuffer);
    BYTE cdb[12] = {0x0A};
    cdb[1] = BYTE(lba >> 16);
    cdb[2] = BYTE(lba >> 8);
    cdb[3] = BYTE(lba);
    cdb[4] = nBlocks;
    return ExecScsiCommand(record, cdb, pBuffer, DWORD(nBlocks) * 2048);
}

// Adapters, their groups and the records in order; the first record with the letter wins (a drive listed twice
// is reached the way every other part of the program reaches it). No command is sent.
CDeviceRecord CDriveManager::GetDriveByLetter(int nDriveLetter)
{
    CDeviceRecord result;
    bool found = false;
    CHostAdapterArray* adapters = GetHostAdapters();
    if (adapters == nullptr)
        return result;
    ForEachDeviceRecord(*adapters, [&](int, CDeviceRecord& record) {
        if (!found && record.m_nDriveLetter == nDriveLetter) {
            result = record;
            found = true;
        }
    });
    return result;
}

CDeviceRecord& CDriveManager::GetDriveByLetter(CDeviceRecord& out, int nDriveLetter)
{
    out = GetDriveByLetter(nDriveLetter);
    return out;
}
