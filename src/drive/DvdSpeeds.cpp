// src/drive/DvdSpeeds.cpp
// DVD read and write speeds: SET STREAMING, the read speed and the speed lists of GET PERFORMANCE, the rated
// speeds of the loaded recordable DVD, and the DVD read-speed and write-speed combo boxes.
#include "drive/DriveManager.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "drive/ModelTable.h"
#include "framework/Controls.h"

namespace {

const int kDvdKbpsPerX = 1385;
const int kDvd1350Basis = 1350;
const int kCdKbpsPerXRead = 176;
const int kCdKbpsPerXSent = 177;
const int kMaximumCdSpeed = 0xFFFF;
const int kSpeedEntries = 10;
const int kWriteSlots = 10;
const int kRequestedDescriptors = 7;
const int kHighestListedX = 50;
const int kPerfBufferSize = 16 * kRequestedDescriptors + 12;

// GET PERFORMANCE (start LBA 0); the descriptors that may be used, or -1 when the command failed.
int ReadPerformance(CDriveManager& manager, CDeviceRecord& record, BYTE dataType, int nDescriptors, BYTE type,
                    BYTE* pBuffer)
{
    DWORD allocation = DWORD(16 * nDescriptors + 12);
    memset(pBuffer, 0, allocation);
    if (manager.GetPerformance(record, 0, dataType, BYTE(nDescriptors), type, pBuffer) != kExecCompleted)
        return -1;
    return PerformanceDescriptorCount(pBuffer, nDescriptors, allocation);
}

// The number of a DVD speed-list entry: after the hyphen, else the leading number, read up to the 'X'.
int EntryValue(const char* pszEntry)
{
    const char* hyphen = strchr(pszEntry, '-');
    return atoi(hyphen != nullptr ? hyphen + 1 : pszEntry);
}

// The distinct non-zero write speeds of up to seven type-3 descriptors, fastest first; -1 when the command failed.
int CollectWriteSpeeds(CDriveManager& manager, CDeviceRecord& record, DWORD* pSlots)
{
    BYTE answer[kPerfBufferSize];
    int n = ReadPerformance(manager, record, 0, kRequestedDescriptors, 3, answer);
    if (n < 0)
        return -1;
    int count = 0;
    for (int i = 0; i < n && count < kWriteSlots; ++i) {
        DWORD speed = GetBe32(answer + 8 + 16 * i + 12);
        bool known = speed == 0;
        for (int j = 0; j < count && !known; ++j)
            known = pSlots[j] == speed;
        if (!known)
            pSlots[count++] = speed;
    }
    for (int i = 1; i < count; ++i) {
        for (int j = i; j > 0 && pSlots[j - 1] < pSlots[j]; --j) {
            DWORD t = pSlots[j];
            pSlots[j] = pSlots[j - 1];
            pSlots[j - 1] = t;
        }
    }
    return count;
}

// "%d X " or "%d-%d X " of a performance range when both ends lie in 1 to 50 X; false otherwise.
bool FormatRange(char* pszText, DWORD startKbps, DWORD endKbps)
{
    DWORD x1 = startKbps / kDvdKbpsPerX;
    DWORD x2 = endKbps / kDvdKbpsPerX;
    if (x1 < 1 || x1 > DWORD(kHighestListedX) || x2 < 1 || x2 > DWORD(kHighestListedX))
        return false;
    if (x1 == x2)
        sprintf(pszText, "%d X ", int(x1));
    else
        sprintf(pszText, "%d-%d X ", int(x1), int(x2));
    return true;
}

// The decimal value after the text's hyphen (or from its start) up to the 'X'.
int SpeedFromItem(const char* pszItem)
{
    const char* hyphen = strchr(pszItem, '-');
    return atoi(hyphen != nullptr ? hyphen + 1 : pszItem);
}

// The KB/s a DVD write-speed item names in its brackets ("2.4 X (3324 KB/s)"); 0 (keep the drive's speed) when
// it names none.
int ItemKbps(const char* pszItem)
{
    const char* open = strchr(pszItem, '(');
    return open != nullptr ? atoi(open + 1) : 0;
}

bool UsesModelList(CDriveManager& manager, CDeviceRecord& record, ModelRecord& row)
{
    memset(&row, 0, sizeof(row));
    bool known = manager.GetModelRecord(record, row);
    return (known && row.vendorInfo) || manager.IsSpecialSpeedModel(record);
}

} // namespace

// The 28-byte SET STREAMING descriptor with read and write size, read and write time 1000. Four families take
// read speeds in steps of 1350 KB/s; one model takes SET CD SPEED instead.
ExecStatus CDriveManager::SetStreamingSpeeds(CDeviceRecord& record, int nReadKbps, int nWriteKbps)
{
    int write = nWriteKbps == 0 ? GetSelectedWriteSpeed(record) : nWriteKbps;
    int read = nReadKbps;
    if (read != -1 && ContainsModelNumber(record.m_szProduct, g_Perf1350Families))
        read = (read / kDvdKbpsPerX) * kDvd1350Basis;
    if (ContainsModelNumber(record.m_szProduct, g_DvdSetCdSpeedModel))
        return SetCdSpeed(record, read & 0xFFFF, write & 0xFFFF);
    BYTE descriptor[28];
    memset(descriptor, 0, sizeof(descriptor));
    SetBe32(descriptor + 12, DWORD(read));
    SetBe32(descriptor + 16, 1000);
    SetBe32(descriptor + 20, DWORD(write));
    SetBe32(descriptor + 24, 1000);
    return SetStreaming(record, sizeof(descriptor), descriptor);
}

// Page 0x2A's current read speed for the maker's drives with vendor information, else the end performance of
// the first type-0 descriptor.
int CDriveManager::GetDvdReadSpeed(CDeviceRecord& record)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    if (GetModelRecord(record, row) && row.vendorInfo) {
        BYTE answer[34];
        memset(answer, 0, sizeof(answer));
        if (ModeSense(record, 0x2A, sizeof(answer), answer) != kExecCompleted)
            return 0;
        return int(GetBe16(answer + 26));
    }
    BYTE answer[16 + 12];
    int n = ReadPerformance(*this, record, 0x10, 1, 0, answer);
    if (n < 1)
        return 0;
    return int(GetBe32(answer + 8 + 12));
}

char* CDriveManager::GetReadSpeedListText(CDeviceRecord& record, char* pszText)
{
    ModelRecord row;
    if (!UsesModelList(*this, record, row)) {
        strcpy(pszText, "maximum");
        BYTE answer[kPerfBufferSize];
        int n = ReadPerformance(*this, record, 0, kRequestedDescriptors, 0, answer);
        if (n >= 1) {
            char range[32];
            if (FormatRange(range, GetBe32(answer + 8 + 4), GetBe32(answer + 8 + 12)))
                strcpy(pszText, range);
        }
        return pszText;
    }
    int profile = GetDvdMediaProfile(record, TRUE);
    int x = GetDvdReadSpeed(record) / kDvdKbpsPerX;
    const char(*list)[16] = profile == 0x12 ? row.thirdSpeeds : row.dvdSpeeds;
    pszText[0] = '\0';
    for (int i = kSpeedEntries - 1; i >= 0; --i) {
        if (list[i][0] != '\0' && EntryValue(list[i]) == x) {
            strcpy(pszText, list[i]);
            break;
        }
    }
    return pszText;
}

// The maker's drives offer their speed list; other drives are probed one 1385 KB/s step at a time from their
// maximum (at most 50 steps), and the maximum is set again afterwards.
int CDriveManager::FillDvdReadSpeedCombo(CDeviceRecord& record, CComboBox& combo)
{
    combo.ResetContent();
    int profile = GetDvdMediaProfile(record, TRUE);
    int selection = 0;
    ModelRecord row;
    bool listed = false;
    if (UsesModelList(*this, record, row)) {
        char current[32];
        GetReadSpeedListText(record, current);
        const char(*list)[16] = profile == 0x12 ? row.thirdSpeeds : row.dvdSpeeds;
        int number = 0;
        for (int i = kSpeedEntries - 1; i >= 0; --i) {
            if (list[i][0] == '\0')
                continue;
            if (strcmp(list[i], current) == 0)
                selection = number;
            char item[32];
            strcpy(item, list[i]);
            combo.AddString(FormatSpeedText(item));
            ++number;
        }
        listed = number > 0;
    }
    if (!listed) {
        SetStreamingSpeeds(record, -1, 0);
        int m = GetDvdReadSpeed(record);
        if (m < 1) {
            combo.AddString("maximum");
        } else {
            long s = m;
            DWORD previous = 0;
            int number = 0;
            bool first = true;
            for (int step = 0; step <= kHighestListedX; ++step) {
                BYTE answer[16 + 12];
                int n = ReadPerformance(*this, record, 0x10, 1, 0, answer);
                if (n >= 1) {
                    DWORD a = GetBe32(answer + 8 + 4);
                    DWORD e = GetBe32(answer + 8 + 12);
                    if (first)
                        s = long(e < DWORD(kHighestListedX * kDvdKbpsPerX) ? e : kHighestListedX * kDvdKbpsPerX);
                    if (e != previous) {
                        if (e == DWORD(m))
                            selection = number;
                        char item[32];
                        if (FormatRange(item, a, e)) {
                            combo.AddString(item);
                            ++number;
                        }
                        previous = e;
                    }
                }
                first = false;
                s -= kDvdKbpsPerX;
                if (s < kDvdKbpsPerX)
                    break;
                SetStreamingSpeeds(record, int(s), 0);
            }
            SetStreamingSpeeds(record, m, 0);
        }
    }
    if (combo.GetCount() == 0)
        combo.AddString("maximum");
    return combo.SetCurSel(selection);
}

// The number of the chosen item (its upper speed) as the read speed; "maximum" or an unreadable drive 50 X.
ExecStatus CDriveManager::ApplyDvdReadSpeedFromCombo(CDeviceRecord& record, CComboBox& combo)
{
    int x = kHighestListedX;
    BYTE answer[kPerfBufferSize];
    if (ReadPerformance(*this, record, 0, kRequestedDescriptors, 0, answer) >= 0) {
        CString item;
        int selected = combo.GetCurSel();
        if (selected >= 0)
            combo.GetLBText(selected, item);
        if (item.Find("maximum") < 0)
            x = SpeedFromItem(item);
    }
    return SetStreamingSpeeds(record, x * kDvdKbpsPerX, 0);
}

// "2.4 X - 4.0 X - 8.0 X": the distinct write speeds the drive reports for the loaded disc, slowest first; ""
// for a drive that cannot write DVD, "-" when the speeds cannot be read.
CString CDriveManager::GetDvdWriteSpeedList(CDeviceRecord& record)
{
    CString text;
    if (!IsDvdWriter(record))
        return text;
    DWORD slots[kWriteSlots];
    int count = CollectWriteSpeeds(*this, record, slots);
    if (count < 0)
        return CString("-");
    for (int i = count - 1; i >= 0; --i) {
        char piece[32];
        sprintf(piece, "%0.1lf X", slots[i] * (1.0 / kDvdKbpsPerX));
        if (!text.IsEmpty())
            text += " - ";
        text += piece;
    }
    return text;
}

namespace {

// Profiles 0x1A, 0x1B and 0x2B: the base speed by profile and byte 36 or 37 of READ DISC STRUCTURE format 0x00
// (format 0x11 when that fails or byte 35 is 0), then the extension speeds flagged in byte 22: all of them after
// the base speed, or with bHighestOnly only the fastest. False when neither format can be read.
bool ReadPlusMediaSpeedText(CDriveManager& manager, CDeviceRecord& record, int profile, BOOL bHighestOnly, char* text)
{
    BYTE r[1000];
    memset(r, 0, sizeof(r));
    ExecStatus status = manager.ReadDiscStructure(record, 0x00, 0, 0, sizeof(r), r);
    if (status != kExecCompleted || r[35] == 0) {
        memset(r, 0, sizeof(r));
        status = manager.ReadDiscStructure(record, 0x11, 0, 0, sizeof(r), r);
    }
    if (status != kExecCompleted)
        return false;
    if (profile == 0x1A && r[36] == 0x23)
        strcpy(text, "2.4 X");
    else if (profile == 0x2B && r[37] == 0x25)
        strcpy(text, "2.4 X");
    else if (profile == 0x1B && r[37] == 0x23)
        strcpy(text, "1.0 X");
    else if (profile == 0x1B && r[37] == 0x54)
        strcpy(text, "2.4 X");
    BYTE f = r[22];
    if (f & 0x3F) {
        const struct {
            BYTE bit;
            const char* speed;
        } extensions[] = {{0x01, "4.0 X"}, {0x02, "8.0 X"}, {0x04, "16.0 X"}};
        for (const auto& e : extensions) {
            if (!(f & e.bit))
                continue;
            if (bHighestOnly) {
                strcpy(text, e.speed);
            } else {
                if (text[0] != '\0')
                    strcat(text, " - ");
                strcat(text, e.speed);
            }
        }
    }
    return true;
}

// Other DVD profiles from 0x11: the speed of the last field code in the range 2-29 among the 8-byte fields of
// READ DISC STRUCTURE format 0x0E (for the format-0x10 models, format 0x10 from byte 532 when its first three
// fields are numbered 1, 2 and 3), never past the 1000 bytes asked for. False when format 0x0E is needed and
// cannot be read.
bool ReadDashMediaSpeedText(CDriveManager& manager, CDeviceRecord& record, char* text)
{
    BYTE r[2048];
    memset(r, 0, sizeof(r));
    bool have = false;
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    if (manager.GetModelRecord(record, row) && ContainsModelNumber(row.productId, g_DvdFormat10Models)) {
        if (manager.ReadDiscStructure(record, 0x10, 0, 0, sizeof(r), r) == kExecCompleted && r[532] == 1 &&
            r[540] == 2 && r[548] == 3) {
            memmove(r + 4, r + 532, 400);
            SetBe16(r, 0x0142);
            have = true;
        }
    }
    if (!have) {
        memset(r, 0, sizeof(r));
        if (manager.ReadDiscStructure(record, 0x0E, 0, 0, 1000, r) != kExecCompleted)
            return false;
    }
    int length = int(GetBe16(r));
    int fields = (length - 2) / 8;
    int bound = (1000 - 4) / 8;
    if (fields > bound)
        fields = bound;
    for (int i = 0; i < fields; ++i) {
        BYTE field = r[4 + 8 * i];
        if (field >= 2 && field <= 5)
            strcpy(text, "1.0 X - 2.0 X");
        else if (field >= 6 && field <= 7)
            strcpy(text, "2.0 X");
        else if (field >= 8 && field <= 13)
            strcpy(text, "4.0 X");
        else if (field >= 14 && field <= 17)
            strcpy(text, "6.0 X");
        else if (field >= 18 && field <= 21)
            strcpy(text, "8.0 X");
        else if (field >= 22 && field <= 29)
            strcpy(text, "16.0 X");
    }
    return true;
}

} // namespace

// The speeds the loaded DVD announces for writing; "-" when they cannot be read or none is recognised.
CString CDriveManager::GetDvdMediaSpeedText(CDeviceRecord& record, BOOL bHighestOnly)
{
    int profile = GetDvdMediaProfile(record, FALSE);
    char text[100];
    memset(text, 0, sizeof(text));
    if (profile == 0x1A || profile == 0x1B || profile == 0x2B) {
        if (!ReadPlusMediaSpeedText(*this, record, profile, bHighestOnly, text))
            return CString("-");
    } else if (profile >= 0x11) {
        if (!ReadDashMediaSpeedText(*this, record, text))
            return CString("-");
    }
    CString result(text);
    if (result.IsEmpty())
        result = "-";
    return result;
}

// DVD: the write speeds the drive reports, fastest first, the selected one chosen. CD: every write speed from the
// maximum down that the drive settles on when asked; the drive's speeds are put back at the end.
bool CDriveManager::FillWriteSpeedCombo(CDeviceRecord& record, CComboBox& combo, BOOL bDvd)
{
    combo.ResetContent();
    int selection = 0;
    if (bDvd) {
        DWORD slots[kWriteSlots];
        int count = CollectWriteSpeeds(*this, record, slots);
        if (count < 0) {
            combo.AddString("maximum");
            combo.SetCurSel(0);
            return true;
        }
        for (int i = 0; i < count; ++i) {
            char item[48];
            sprintf(item, "%0.1lf X (%d KB/s)", slots[i] * (1.0 / kDvdKbpsPerX), int(slots[i]));
            combo.AddString(item);
        }
        BYTE answer[100];
        memset(answer, 0, sizeof(answer));
        if (ModeSense(record, 0x2A, sizeof(answer), answer) == kExecCompleted) {
            DWORD current = GetBe16(answer + 40);
            for (int i = 0; i < count; ++i) {
                if (slots[i] == current)
                    selection = i;
            }
        }
        if (combo.GetCount() == 0)
            combo.AddString("maximum");
        combo.SetCurSel(selection);
        return true;
    }

    if (!IsWriter(record)) {
        combo.EnableWindow(FALSE);
        return true;
    }
    combo.EnableWindow(TRUE);
    int c = GetCurrentWriteSpeed(record) / kCdKbpsPerXRead;
    int r = GetMaxReadSpeed(record);
    int top = GetMaxWriteSpeed(record) / kCdKbpsPerXRead;
    int number = 0;
    for (int x = top; x >= 1; --x) {
        SetCdSpeed(record, r * kCdKbpsPerXSent, x * kCdKbpsPerXSent);
        if (GetCurrentWriteSpeed(record) / kCdKbpsPerXRead != x)
            continue;
        char item[48];
        sprintf(item, "%d X (%ld KB/s)", x, long(x) * 150);
        combo.AddString(item);
        if (x == c)
            selection = number;
        ++number;
    }
    if (combo.GetCount() == 0)
        combo.AddString("maximum");
    combo.SetCurSel(selection);
    SetCdSpeed(record, r * kCdKbpsPerXSent, c * kCdKbpsPerXSent);
    return true;
}

// The chosen write speed from the box's text. DVD: "maximum" asks for the fastest reading and writing; any other
// item is sent as the KB/s it names in brackets, which is the speed the drive reported (an item's X is rounded to
// one decimal, so "2.4 X" stands for 3324 KB/s). CD: "maximum", or the leading number of the item in X.
bool CDriveManager::ApplyWriteSpeedFromCombo(CDeviceRecord& record, CComboBox& combo, BOOL bDvd)
{
    CString text;
    combo.GetWindowText(text);
    bool maximum = text.Find("maximum") >= 0;
    if (bDvd) {
        SetStreamingSpeeds(record, -1, maximum ? -1 : ItemKbps(text));
        return true;
    }
    int x = atoi(text);
    int r = GetMaxReadSpeed(record);
    SetCdSpeed(record, r * kCdKbpsPerXSent, maximum ? kMaximumCdSpeed : x * kCdKbpsPerXSent);
    return true;
}
