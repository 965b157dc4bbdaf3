// src/drive/DiscManufacturer.cpp
// The maker of a recordable CD, named from the lead-in start code of its ATIP through the disc maker table, with
// the disc's lead-out limit and the speed class of a CD-RW; the full TOC stands in for an ATIP that cannot be
// read on a multi-session disc.
#include "drive/DriveManager.h"

#include <stdio.h>
#include <string.h>

#include "drive/Cdb.h"
#include "drive/DiscMaker.h"
#include "drive/DiscText.h"

namespace {

struct MakerTexts {
    char* text;
    LONG* value;
    char* namePart;
    char* timePart;
};

void NameMatch(const MakerTexts& out, const DiscMakerRecord& row, int type, int m, int s, int f)
{
    sprintf(out.text, "%s (type %d), %2ld:%02ld:%02ld", row.name, type, long(m), long(s), long(f));
    sprintf(out.namePart, "%s (type %d) ", row.name, type);
    sprintf(out.timePart, "(type %d), %2ld:%02ld:%02ld", type, long(m), long(s), long(f));
    *out.value = row.value;
}

// The speed class of a CD-RW by its sub-type (ATIP byte 6 bits 4-3): normal and high speed from the CLV code
// (byte 16), ultra speed from the ultra-speed code (byte 20); appended to the text and the time part.
void AppendSpeedClass(const MakerTexts& out, const BYTE* pAtip)
{
    static const int kClvSpeeds[8] = {0, 2, 4, 0, 10, 0, 0, 0};
    int subType = (pAtip[6] >> 3) & 3;
    int speed = 0;
    const char* format = nullptr;
    if (subType == 0 || subType == 1) {
        int code = pAtip[16] & 0x0F;
        speed = code < 8 ? kClvSpeeds[code] : 0;
        format = subType == 0 ? " - %d X NS CD-RW" : " - %d X HS CD-RW";
    } else if (subType == 2) {
        switch (pAtip[20] & 0x0F) {
        case 3:
            speed = 8;
            break;
        case 6:
            speed = 16;
            break;
        case 8:
            speed = 24;
            break;
        case 9:
            speed = 32;
            break;
        case 10:
            speed = 40;
            break;
        case 11:
            speed = 48;
            break;
        default:
            speed = 0;
            break;
        }
        format = " - %d X US CD-RW";
    }
    if (speed <= 0 || format == nullptr)
        return;
    char text[40];
    sprintf(text, format, speed);
    strcat(out.text, text);
    strcat(out.timePart, text);
}

} // namespace

char* CDriveManager::GetDiscManufacturer(CDeviceRecord& record, char* pszText, LONG* pValue, char* pszNamePart,
                                         char* pszTimePart)
{
    char text[kDiscTextSize];
    strcpy(text, "-");
    strcpy(pszNamePart, "-");
    pszTimePart[0] = '\0';
    *pValue = kDiscMakerNoMatchValue;
    MakerTexts out = {text, pValue, pszNamePart, pszTimePart};

    TestUnitReady(record);
    BYTE info[40];
    memset(info, 0, sizeof(info));
    bool erasable = false;
    if (ReadDiscInformation(record, 4, info) == kExecCompleted)
        erasable = (info[2] & 0x10) != 0;

    BYTE atip[32];
    memset(atip, 0, sizeof(atip));
    if (ReadTocPmaAtip(record, 4, 0, sizeof(atip), atip) == kExecCompleted) {
        int m = atip[8], s = atip[9], f = atip[10];
        if ((atip[6] & 0x40) == 0 && (atip[6] & 0x04) != 0 && (atip[18] & 0x0F) != 0) {
            // High-capacity CD-R: the lead-out limit comes from the disc information.
            strcpy(text, "HC-R");
            memset(info, 0, sizeof(info));
            if (ReadDiscInfo(record, sizeof(info), info) == kExecCompleted) {
                int lm = info[21], ls = info[22], lf = info[23];
                if (const DiscMakerRecord* row = FindHighCapacityMaker(m, s, f))
                    NameMatch(out, *row, f % 10, lm, ls, lf);
                else {
                    sprintf(text, "Unknown brand, %2ld:%02ld:%02ld - HC-R", long(lm), long(ls), long(lf));
                    strcpy(pszNamePart, "Unknown brand");
                    sprintf(pszTimePart, ", %2ld:%02ld:%02ld - HC-R", long(lm), long(ls), long(lf));
                }
            }
        } else if (m == 97) {
            int lm = atip[12], ls = atip[13], lf = atip[14];
            sprintf(text, "Unknown brand, %2ld:%02ld:%02ld", long(lm), long(ls), long(lf));
            if (!erasable) {
                if (const DiscMakerRecord* row = FindCdrMaker(s, f))
                    NameMatch(out, *row, f % 10, lm, ls, lf);
            } else {
                if (const DiscMakerRecord* row = FindCdrwMaker(s, f, LeadOutLimit(lm, ls, lf)))
                    NameMatch(out, *row, f % 10, lm, ls, lf);
                AppendSpeedClass(out, atip);
            }
        } else if (erasable)
            AppendSpeedClass(out, atip);
    } else {
        // No ATIP: a disc of more than one session names its first lead-in in the full TOC (POINT 0xC0); the
        // time shown is the start of the last session's lead-out (POINT 0xA2).
        BYTE toc[3000];
        memset(toc, 0, sizeof(toc));
        if (ReadToc(record, 2, sizeof(toc), toc) == kExecCompleted && toc[2] != toc[3]) {
            int length = int(GetBe16(toc));
            int count = (length - 2) / 11;
            int fits = (int(sizeof(toc)) - 4) / 11;
            if (count > fits)
                count = fits;
            int m = 0, s = 0, f = 0;
            int lm = 0, ls = 0, lf = 0;
            for (int i = 0; i < count; ++i) {
                const BYTE* d = toc + 4 + 11 * i;
                if (d[3] == 0xC0) {
                    m = FromBcd(d[8]);
                    s = FromBcd(d[9]);
                    f = FromBcd(d[10]);
                } else if (d[3] == 0xA2) {
                    lm = FromBcd(d[8]);
                    ls = FromBcd(d[9]);
                    lf = FromBcd(d[10]);
                }
            }
            if (m == 97) {
                if (const DiscMakerRecord* row = FindCdrMaker(s, f))
                    NameMatch(out, *row, f % 10, lm, ls, lf);
            }
        }
    }

    strcpy(pszText, text);
    return pszText;
}
