// src/drive/DriveTexts.cpp
// What a drive tells about itself, as the short texts the program shows: the serial number from one of three
// sources, the jumper bits, the TLA code, the drive's label in the drive lists, and a short sense message.
// The model numbers and names of the label rules are the fictional ones of the model table.
#include "drive/DriveManager.h"

#include <stdio.h>
#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "drive/ModelTable.h"
#include "resource.h"

namespace {

const int kSerialTextMax = 28; // characters of a serial number text (the caller's buffer holds 30)
const int kLabelMax = 32;      // characters of a drive label
const int kCategoryPrefix = 7; // "CD-R   ", "DVDR   ": the category prefix of the maker's identifications

// Catch-all identifications of drives that are not in the model table.
const char* const kCatchAllNames[] = {"CD/DVD(ATAPI)", "CD/DVD(SCSI)", "CD/DVD(USB)", "CD/DVD(PnP)"};

enum LabelBus : unsigned {
    kOnUsb = 1u << 0,
    kOn1394 = 1u << 1,
    kOnSata = 1u << 2,
    kOnAny = 1u << 3
};

// One rule of the bridged and Serial ATA labels: the INQUIRY product identification contains the model number and
// the record's bus is one of the rule's buses. A Serial ATA rule labels with its name only when the vendor block
// reports a Serial ATA interface; a rule with equalsId labels a product identification equal to it (all 16
// characters) with altName instead.
struct LabelRule {
    const char* number;
    unsigned buses;
    const char* name;
    const char* equalsId;
    const char* altName;
    int blanks;
};

const LabelRule kLabelRules[] = {
    // USB products, one model number each.
    {"QZ5200", kOnUsb, "QZ-5200U USB CD-RW", nullptr, nullptr, 3},
    {"QZ5204", kOnUsb, "QZ-5200U USB CD-RW", nullptr, nullptr, 3},
    {"QZ5240", kOnUsb, "QZ-5240U USB CD-RW", nullptr, nullptr, 3},
    {"QZ5244", kOnUsb, "QZ-5240U USB CD-RW", nullptr, nullptr, 3},
    {"QZ5284", kOnUsb, "QZ-5280U USB CD-RW", nullptr, nullptr, 3},
    {"QZ7204", kOnUsb, "QZ-7200U USB DVD-RW", nullptr, nullptr, 2},
    {"QZ7244", kOnUsb, "QZ-7240U USB DVD-RW", nullptr, nullptr, 2},
    // One model on USB or IEEE 1394, and the same model on any other bus.
    {"QZ7164", kOnUsb | kOn1394, "QZ-7160 Ext DVD-RW", nullptr, nullptr, 2},
    {"QZ7164", kOnAny, "QZ-7164 DVD-RW", nullptr, nullptr, 2},
    // External products on USB or IEEE 1394 (the longer number first).
    {"QZ7240A", kOnUsb | kOn1394, "QZ-7240AU Ext DVD-RW", nullptr, nullptr, 2},
    {"QZ7240", kOnUsb | kOn1394, "QZ-7240 Ext DVD-RW", nullptr, nullptr, 2},
    {"QZ7200", kOnUsb | kOn1394, "QZ-7200 Ext DVD-RW", nullptr, nullptr, 2},
    {"QZ7160", kOnUsb | kOn1394, "QZ-7160 Ext DVD-RW", nullptr, nullptr, 2},
    // The QZ-5280 mechanism: two USB products told apart by the identification, IEEE 1394, Serial ATA.
    {"QZ5280", kOnUsb, "QZ-5280U USB CD-RW", "CD-R   QZ5280   ", "QZ-5280UL USB CD-RW", 2},
    {"QZ5280", kOn1394, "QZ-5280U USB CD-RW", nullptr, nullptr, 2},
    {"QZ5280", kOnSata, "QZ-5280S SATA CD-RW", nullptr, nullptr, 2},
    // Two numbers of one family on IEEE 1394 or USB (the longer first).
    {"QZ7300X", kOn1394 | kOnUsb, "QZ-7300X Ext DVD-RW", nullptr, nullptr, 2},
    {"QZ7300", kOn1394 | kOnUsb, "QZ-7300 Ext DVD-RW", nullptr, nullptr, 2},
    // Serial ATA drives.
    {"QZ7300", kOnSata, "QZ-7300S SATA DVD-RW", nullptr, nullptr, 2},
    {"QZ7160", kOnSata, "QZ-7160S SATA DVD-RW", nullptr, nullptr, 2},
    {"QZ7200", kOnSata, "QZ-7200S SATA DVD-RW", nullptr, nullptr, 2},
};

bool RuleTakesBus(unsigned buses, int nBusType)
{
    if (buses & kOnAny)
        return true;
    return ((buses & kOnUsb) && nBusType == kBusTypeUsb) || ((buses & kOn1394) && nBusType == kBusType1394) ||
           ((buses & kOnSata) && nBusType == kBusTypeSerialAta);
}

// The product identification less its category prefix; a text shorter than the prefix is taken whole.
const char* WithoutPrefix(const char* pszProduct)
{
    return strlen(pszProduct) >= size_t(kCategoryPrefix) ? pszProduct + kCategoryPrefix : pszProduct;
}

void CopyLabel(char* pszText, const char* pszLabel)
{
    strncpy(pszText, pszLabel, kLabelMax);
    pszText[kLabelMax] = '\0';
}

// A hexadecimal digit of the serial number; any other character (a block the drive left empty or cut short)
// counts as 0, so the number never turns negative or out of range.
int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

} // namespace

// Three sources by model: the vendor information block (a known model with vendor information), vendor command
// 0xF3 (one listed model not on an ATAPI bus), else the Logical Unit Serial Number feature 0x0108.
bool CDriveManager::GetSerialNumberText(CDeviceRecord& record, char* pszText)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    bool known = GetModelRecord(record, row);
    if (known && row.vendorInfo) {
        BYTE block[128];
        memset(block, 0, sizeof(block));
        if (ReadVendorInfoBlock(record, 0, sizeof(block), block) != kExecCompleted)
            return false;
        long number = 0;
        for (int i = 26; i <= 30; ++i)
            number = number * 16 + HexDigitValue(char(block[i]));
        snprintf(pszText, kSerialTextMax + 1, "%06ld", number);
        return true;
    }
    if (known && ContainsModelNumber(row.productId, g_SerialBytesModel) && record.m_nBusType != kBusTypeIdeChannel) {
        BYTE bytes[6];
        memset(bytes, 0, sizeof(bytes));
        if (ReadSerialBytes(record, bytes, sizeof(bytes)) != kExecCompleted)
            return false;
        sprintf(pszText, "%02X%02X%02X%02X%02X%02X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]);
        return true;
    }
    BYTE answer[40];
    memset(answer, 0, sizeof(answer));
    if (GetConfiguration(record, 0x0108, 2, sizeof(answer), answer) != kExecCompleted)
        return false;
    DWORD length = GetBe24(answer + 1);
    if (length > 4) {
        char serial[kSerialTextMax + 1];
        int n = 0;
        DWORD last = length + 3 < sizeof(answer) - 1 ? length + 3 : sizeof(answer) - 1;
        for (DWORD i = 12; i <= last && n < kSerialTextMax; ++i) {
            if (answer[i] != ' ')
                serial[n++] = char(answer[i]);
        }
        serial[n] = '\0';
        if (n > 0 && serial[0] != '\0')
            strcpy(pszText, serial);
    }
    return true;
}

// The jumper byte of a known model with vendor information (0 for any other drive). The two rows of the listed
// model report their bits in another order: bit 6 holds the fourth jumper and bits 3-5 the next three.
BYTE CDriveManager::GetJumperSettings(CDeviceRecord& record)
{
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    BYTE bits = 0;
    if (GetModelRecord(record, row) && row.vendorInfo) {
        BYTE answer[4];
        memset(answer, 0, sizeof(answer));
        ReadJumperBits(record, answer);
        bits = answer[0];
    }
    for (const char* id : g_szJumperShuffleRows) {
        if (row.productId[0] != '\0' && strcmp(row.productId, id) == 0)
            return BYTE((bits & 0x87) | ((bits & 0x38) << 1) | ((bits & 0x40) >> 3));
    }
    return bits;
}

// "TLA:" with block bytes 41-42 and the third and fourth characters of the revision, for the five-family group.
CString CDriveManager::GetTlaCodeText(CDeviceRecord& record)
{
    CString text;
    if (!ContainsModelNumber(record.m_szProduct, g_FiveFamilyGroup))
        return text;
    char vendor[9] = "";
    char product[17] = "";
    char revision[5] = "";
    if ((Inquiry(record, vendor, product, revision) & 0xFF) != 1)
        return text;
    BYTE block[256];
    memset(block, 0, sizeof(block));
    if (ReadVendorInfoBlock(record, 0, sizeof(block), block) != kExecCompleted)
        return text;
    char third = strlen(revision) > 2 ? revision[2] : ' ';
    char fourth = strlen(revision) > 3 ? revision[3] : ' ';
    text.Format("TLA:%c%c%c%c", block[41], block[42], third, fourth);
    return text;
}

// "ID:<target>" and the drive's name: the catch-all name of an unlisted row, the fixed name of a bridged or
// Serial ATA product, else the product identification (less its category prefix for the maker's drives).
void CDriveManager::GetDriveLabel(CDeviceRecord& record, char* pszText)
{
    char vendor[9] = "";
    char product[17] = "";
    char revision[5] = "";
    Inquiry(record, vendor, product, revision);
    ModelRecord row;
    memset(&row, 0, sizeof(row));
    bool known = GetModelRecord(record, row);

    char label[96];
    for (const char* name : kCatchAllNames) {
        if (known && strcmp(row.productId, name) == 0) {
            snprintf(label, sizeof(label), "ID:%d  %s", int(record.m_nTarget), name);
            CopyLabel(pszText, label);
            return;
        }
    }
    for (const LabelRule& rule : kLabelRules) {
        if (strstr(product, rule.number) == nullptr || !RuleTakesBus(rule.buses, record.m_nBusType))
            continue;
        const char* name = rule.name;
        if (rule.equalsId != nullptr && memcmp(product, rule.equalsId, kProductIdLength + 1) == 0)
            name = rule.altName;
        if ((rule.buses & kOnSata) && record.m_nBusType == kBusTypeSerialAta) {
            BYTE block[128];
            memset(block, 0, sizeof(block));
            if (ReadVendorInfoBlock(record, 0, sizeof(block), block) != kExecCompleted ||
                (block[49] != 1 && block[49] != 5)) {
                snprintf(label, sizeof(label), "ID:%d  %s", int(record.m_nTarget), WithoutPrefix(product));
                CopyLabel(pszText, label);
                return;
            }
        }
        snprintf(label, sizeof(label), "ID:%d%s%s", int(record.m_nTarget), rule.blanks == 3 ? "   " : "  ", name);
        CopyLabel(pszText, label);
        return;
    }
    bool maker = (known && row.vendorInfo) || IsSpecialSpeedModel(record);
    snprintf(label, sizeof(label), "ID:%d  %s", int(record.m_nTarget), maker ? WithoutPrefix(product) : product);
    CopyLabel(pszText, label);
}

// Two blanks and the text of the sense code: no disc (2/3A/00-02), TOC being read (2/04/01), else unspecified.
char* SenseToText(int32_t nSenseCode, char* pszText)
{
    UINT id = IDS_SENSE_UNSPECIFIED;
    if (nSenseCode == 0x20401)
        id = IDS_SENSE_TOC_IN_PROGRESS;
    else if (nSenseCode >= 0x23A00 && nSenseCode <= 0x23A02)
        id = IDS_SENSE_NO_DISC;
    CString text;
    if (!text.LoadString(id))
        text.Empty();
    snprintf(pszText, 64, "  %s", static_cast<LPCTSTR>(text));
    return pszText;
}
