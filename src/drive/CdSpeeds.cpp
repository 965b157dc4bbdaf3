// src/drive/CdSpeeds.cpp
// CD read and write speeds: SET CD SPEED, the speeds of mode page 0x2A and of the vendor speed page 0x31, the
// read-speed texts, and the CD read-speed combo box of the transfer-rate test pages.
#include "drive/DriveManager.h"

#include <mbstring.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "drive/ModelTable.h"
#include "framework/Controls.h"

namespace {

const int kKbpsPerXRead = 176;     // KB/s of 1 X as the drive reports it
const int kKbpsPerXSent = 177;     // KB/s of 1 X as the program sends it
const int kMaximumSpeed = 0xFFFF;  // SET CD SPEED: the drive's maximum
const int kDefaultMaxWrite = 9152; // 52 X, when page 0x2A cannot be read
const int kSpeedEntries = 10;
const int kHighestPage31Index = 6;
const int kPageScanLimit = 25;

// The number of a speed-list entry: after the hyphen of a range, else at the start; 0 for an empty entry.
int EntryValue(const char* pszEntry)
{
    const char* hyphen = strchr(pszEntry, '-');
    return atoi(hyphen != nullptr ? hyphen + 1 : pszEntry);
}

// Whether the entry names the speed x as a whole number directly before an 'X', at its start or after a
// hyphen: 4 X is found in "4X CLV" and "2-4X CAV" but not in "10-24X CAV".
bool EntryNamesSpeed(const char* pszEntry, int x)
{
    char key[16];
    sprintf(key, "%dX", x);
    for (const char* p = strstr(pszEntry, key); p != nullptr; p = strstr(p + 1, key)) {
        if (p == pszEntry || p[-1] == '-')
            return true;
    }
    return false;
}

// The page 0x2A answer for the write-speed readers: 54 bytes into a cleared buffer, the page found by its code
// byte among answer bytes 0 to 25 (byte 25 when none holds it). Returns the page offset, or -1 on failure.
int ReadSpeedPage(CDriveManager& manager, CDeviceRecord& record, BYTE* pAnswer64)
{
    memset(pAnswer64, 0, 64);
    if (manager.ModeSense(record, 0x2A, 54, pAnswer64) != kExecCompleted)
        return -1;
    return LocatePageFrom0(pAnswer64, kPageScanLimit);
}

// The speed X of page 0x2A's current read speed at its usual place (answer bytes 26-27); -1 on failure.
int ReadPage2ASpeedX(CDriveManager& manager, CDeviceRecord& record)
{
    BYTE answer[34];
    memset(answer, 0, sizeof(answer));
    if (manager.ModeSense(record, 0x2A, sizeof(answer), answer) != kExecCompleted)
        return -1;
    return int(GetBe16(answer + 26)) / kKbpsPerXRead;
}

// The index of the selected entry of vendor page 0x31 (at most 6); -1 on failure.
int ReadPage31Index(CDriveManager& manager, CDeviceRecord& record)
{
    BYTE answer[16];
    memset(answer, 0, sizeof(answer));
    if (manager.ModeSense(record, 0x31, sizeof(answer), answer) != kExecCompleted)
        return -1;
    int index = answer[14];
    return index > kHighestPage31Index ? kHighestPage31Index : index;
}

bool UsesModelList(CDriveManager& manager, CDeviceRecord& record, const ModelRecord& row)
{
    return row.vendorInfo || manager.IsSpecialSpeedModel(record);
}

// The entries of the combo box, walked from the last to the first (fastest first). The ranges 20-48 and 22-52 are
// offered when the drive's read-mode setting is on (or, without that setting, for the special speed models); a
// 23-54 range only when the drive reaches 54 X. bProbeAndRestore: the fill step restores the read speed it found;
// the apply step leaves the drive at its maximum.
class CSpeedOffer {
public:
    CSpeedOffer(CDriveManager& manager, CDeviceRecord& record, bool bProbeAndRestore)
        : m_manager(manager), m_record(record), m_bRestore(bProbeAndRestore)
    {
    }

    bool AnyOffered() const { return m_bAnyOffered; }

    bool IsOffered(const char* pszEntry)
    {
        bool offered = Offers(pszEntry);
        m_bAnyOffered = m_bAnyOffered || offered;
        return offered;
    }

private:
    bool Offers(const char* pszEntry)
    {
        if (strstr(pszEntry, "20-48") != nullptr || strstr(pszEntry, "22-52") != nullptr)
            return ReadModeOn();
        if (strstr(pszEntry, "23-54") != nullptr)
            return Reaches54();
        return pszEntry[0] != '\0';
    }

    bool ReadModeOn()
    {
        if (m_nReadMode < 0) {
            if (m_manager.IsReadModeSettingSupported(m_record)) {
                BYTE answer[8];
                memset(answer, 0, sizeof(answer));
                m_manager.VendorModeFlagsCommand(m_record, 0, 0xBB, 0, 0, sizeof(answer), answer);
                m_nReadMode = (answer[2] & 0x01) ? 1 : 0;
            } else {
                m_nReadMode = m_manager.IsSpecialSpeedModel(m_record) ? 1 : 0;
            }
        }
        return m_nReadMode != 0;
    }

    bool Reaches54()
    {
        int before = m_bRestore ? m_manager.GetMaxReadSpeed(m_record) : 0;
        m_manager.SetCdSpeed(m_record, kMaximumSpeed, kMaximumSpeed);
        int top = m_manager.GetMaxReadSpeed(m_record);
        if (m_bRestore)
            m_manager.SetCdSpeed(m_record, before * kKbpsPerXSent, kMaximumSpeed);
        return top == 54;
    }

    CDriveManager& m_manager;
    CDeviceRecord& m_record;
    bool m_bRestore;
    int m_nReadMode = -1;
    bool m_bAnyOffered = false;
};

} // namespace

// BB | 00 | 2-3 read speed | 4-5 write speed | 00 ..; one listed model takes its read speeds from a fixed table.
ExecStatus CDriveManager::SetCdSpeed(CDeviceRecord& record, int nReadKbps, int nWriteKbps)
{
    int read = nReadKbps;
    if ((read & 0xFFFF) != kMaximumSpeed) {
        ModelRecord row;
        memset(&row, 0, sizeof(row));
        if (GetModelRecord(record, row) && ContainsModelNumber(row.productId, g_CdSpeedTableModel)) {
            static const struct {
                int x;
                int kbps;
            } table[] = {{4, 706}, {8, 1411}, {16, 1763}, {24, 2469}, {32, 2998}, {40, 4056}, {54, kMaximumSpeed}};
            int x = read / kKbpsPerXSent;
            for (const auto& t : table) {
                if (t.x == x)
                    read = t.kbps;
            }
        }
    }
    BYTE cdb[12] = {0xBB};
    SetBe16(cdb + 2, DWORD(read) & 0xFFFF);
    SetBe16(cdb + 4, DWORD(nWriteKbps) & 0xFFFF);
    return ExecScsiCommand(record, cdb, nullptr, 0);
}

// Page bytes 18-19. One family reports its maximum only as the current write speed after SET CD SPEED asked for
// the maximum; its speeds are put back afterwards.
int CDriveManager::GetMaxWriteSpeed(CDeviceRecord& record)
{
    BYTE answer[64];
    int p = ReadSpeedPage(*this, record, answer);
    if (p < 0)
        return kDefaultMaxWrite;
    if (!ContainsModelNumber(record.m_szProduct, g_MaxWriteAfterResetFamily))
        return int(GetBe16(answer + p + 18));

    int savedRead = int(GetBe16(answer + p + 14));
    int savedWrite = int(GetBe16(answer + p + 20));
    SetCdSpeed(record, kMaximumSpeed, kMaximumSpeed);
    int result = kDefaultMaxWrite;
    BYTE again[64];
    int q = ReadSpeedPage(*this, record, again);
    if (q >= 0)
        result = int(GetBe16(again + q + 20));
    SetCdSpeed(record, savedRead, savedWrite);
    return result;
}

int CDriveManager::GetCurrentWriteSpeed(CDeviceRecord& record)
{
    BYTE answer[64];
    int p = ReadSpeedPage(*this, record, answer);
    return p < 0 ? 0 : int(GetBe16(answer + p + 20));
}

// Non-writers with vendor information and six-byte commands report the selected entry of their speed list in
// vendor page 0x31; every other drive its current read speed in page 0x2A.
int CDriveManager::GetMaxReadSpeed(CDeviceRecord& record)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    if (GetModelRecord(record, row) && !row.isWriter && row.vendorInfo && !row.tenByteCommands) {
        int index = ReadPage31Index(*this, record);
        return index < 0 ? 0 : EntryValue(row.cdSpeeds[index]);
    }
    int x = ReadPage2ASpeedX(*this, record);
    return x < 0 ? 0 : x;
}

// Vendor page 0x31 selects the entry of the speed list for the maker's non-writers with vendor information; the
// listed page-1 model also gets its error-recovery page; every other drive gets SET CD SPEED with its current
// write speed kept.
int CDriveManager::SetCdReadSpeed(CDeviceRecord& record, int nSpeedX)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    bool known = GetModelRecord(record, row);
    if (known && !row.isWriter && row.vendorInfo) {
        BYTE index = 255;
        for (int i = 0; i < kSpeedEntries; ++i) {
            if (EntryValue(row.cdSpeeds[i]) == nSpeedX)
                index = BYTE(i);
        }
        BYTE list[8] = {0, 0, 0, 0, 0x31, 0x02, index, 0};
        ModeSelect(record, sizeof(list), list);
        return 0;
    }
    if (known && memcmp(row.productId, g_szPage1Model, kProductIdLength) == 0 && !row.tenByteCommands &&
        record.m_nBusType != kBusTypeUsb && record.m_nBusType != kBusType1394 &&
        record.m_nBusType != kBusTypeLetterOnly && !row.isWriter) {
        BYTE list[12] = {0, 0, 0, 0, 0x01, 0x06, 0, 0, 0, 0x03, 0, 0};
        if (nSpeedX == 12)
            list[9] = 0;
        BYTE cdb[12] = {0x15, 0, 0, 0, sizeof(list), 0};
        ExecScsiCommand(record, cdb, list, sizeof(list));
    }
    int write = GetCurrentWriteSpeed(record);
    SetCdSpeed(record, nSpeedX == 0 ? kMaximumSpeed : nSpeedX * kKbpsPerXSent, write);
    return 0;
}

char* CDriveManager::GetReadSpeedText(CDeviceRecord& record, int nUnused, char* pszText)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    bool known = GetModelRecord(record, row);
    if (!(known && row.vendorInfo) && !IsSpecialSpeedModel(record)) {
        int x = ReadPage2ASpeedX(*this, record);
        if (x <= 0)
            strcpy(pszText, "maximum");
        else
            sprintf(pszText, "%d X", x);
        return pszText;
    }
    if (!row.isWriter && !row.tenByteCommands) {
        int index = ReadPage31Index(*this, record);
        if (index < 0)
            strcpy(pszText, "maximum");
        else
            strcpy(pszText, row.cdSpeeds[index]);
        return pszText;
    }
    int x = ReadPage2ASpeedX(*this, record);
    if (x <= 0) {
        strcpy(pszText, "maximum");
        return pszText;
    }
    int entry = FindSpeedListEntry(row.cdSpeeds, x);
    if (entry >= 0)
        strcpy(pszText, row.cdSpeeds[entry]);
    else
        sprintf(pszText, "%dX", x);
    return pszText;
}

// A plain substring search for "%dX" would find 4 X in "10-24X CAV" and 8 X in "20-48X CAV"; the number must
// stand on its own.
int FindSpeedListEntry(const char (*pEntries)[16], int nSpeedX)
{
    for (int i = 0; i < kSpeedEntries; ++i) {
        if (EntryNamesSpeed(pEntries[i], nSpeedX))
            return i;
    }
    return -1;
}

char* FormatSpeedText(char* pszText)
{
    if (pszText[0] == '\0' || strcmp(pszText, "maximum") == 0)
        return pszText;
    unsigned char* x = _mbschr(reinterpret_cast<unsigned char*>(pszText), 'X');
    if (x == nullptr)
        return pszText;
    memmove(x + 1, x, strlen(reinterpret_cast<char*>(x)) + 1);
    *x = ' ';
    return pszText;
}

char* CDriveManager::GetReadSpeedDisplayText(CDeviceRecord& record, int nUnused, char* pszText)
{
    GetReadSpeedText(record, nUnused, pszText);
    return FormatSpeedText(pszText);
}

int CDriveManager::GetReadSpeedIndex(CDeviceRecord& record)
{
    char text[32];
    GetReadSpeedText(record, 0, text);
    ModelRecord row = GetModelRowOrZero(record);
    for (int i = 0; i < kSpeedEntries; ++i) {
        if (strcmp(row.cdSpeeds[i], text) == 0)
            return i;
    }
    return 0;
}

// The maker's drives offer the entries of their speed list; other listed drives the speeds the per-model cache
// holds ("maximum" alone when the drive refused every speed).
bool CDriveManager::FillCdReadSpeedCombo(CDeviceRecord& record, CComboBox& combo)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    if (!GetModelRecord(record, row))
        return false;
    int selection = 0;
    if (UsesModelList(*this, record, row)) {
        char current[32];
        GetReadSpeedText(record, 0, current);
        CSpeedOffer offer(*this, record, true);
        int number = 0;
        for (int i = kSpeedEntries - 1; i >= 0; --i) {
            if (!offer.IsOffered(row.cdSpeeds[i]))
                continue;
            if (strcmp(row.cdSpeeds[i], current) == 0)
                selection = number;
            char item[32];
            strcpy(item, row.cdSpeeds[i]);
            combo.AddString(FormatSpeedText(item));
            ++number;
        }
        if (number == 0)
            combo.AddString("maximum");
    } else {
        int speeds[60];
        int n = LoadSpeedCache(record, speeds);
        if (n == 1 && speeds[0] == 0) {
            combo.AddString("maximum");
        } else {
            int current = GetMaxReadSpeed(record);
            for (int i = 0; i < n; ++i) {
                char item[16];
                sprintf(item, "%d X", speeds[i]);
                combo.AddString(item);
                if (speeds[i] == current)
                    selection = i;
            }
        }
    }
    combo.SetCurSel(selection);
    return true;
}

bool CDriveManager::ApplyCdReadSpeedFromCombo(CDeviceRecord& record, CComboBox& combo)
{
    int chosen = combo.GetCurSel();
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    bool known = GetModelRecord(record, row);
    if ((known && row.vendorInfo) || IsSpecialSpeedModel(record)) {
        if (!known)
            return false;
        CSpeedOffer offer(*this, record, false);
        int number = 0;
        for (int i = kSpeedEntries - 1; i >= 0; --i) {
            if (!offer.IsOffered(row.cdSpeeds[i]))
                continue;
            if (number == chosen) {
                SetCdReadSpeed(record, EntryValue(row.cdSpeeds[i]));
                break;
            }
            ++number;
        }
        if (number == 0 && !offer.AnyOffered())
            SetCdSpeed(record, kMaximumSpeed, kMaximumSpeed);
    } else {
        int speeds[60];
        int n = LoadSpeedCache(record, speeds);
        if (chosen >= 0 && chosen < n)
            SetCdSpeed(record, speeds[chosen] == 0 ? kMaximumSpeed : speeds[chosen] * kKbpsPerXSent, kMaximumSpeed);
    }
    combo.SetCurSel(chosen);
    return true;
}
