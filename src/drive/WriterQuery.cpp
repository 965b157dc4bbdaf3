// src/drive/WriterQuery.cpp
// Whether a drive can write CD or DVD media.
#include "drive/DriveManager.h"

#include <string.h>

#include "drive/ModelTable.h"

// The maker's models with vendor information, and the special speed models, answer from their row's writer flag.
// Other listed models are asked for the write bits of mode page 0x2A (byte 3: 0x01 CD-R, 0x02 CD-RW, 0x10 DVD-R,
// 0x20 DVD-RAM); the page is located by its code byte at answer offset 1, else the first of offsets 2 to 20
// holding it, else offset 20. A drive that is not in the table is a writer when its product identification
// begins with "CD-R " (the blank included, so "CD-RW" does not count).
bool CDriveManager::IsWriter(CDeviceRecord& record)
{
    char vendor[9] = "";
    char product[17] = "";
    char revision[5] = "";
    if ((Inquiry(record, vendor, product, revision) & 0xFF) != 1)
        return false;

    ModelRecord row;
    memset(&row, 0, sizeof(row));
    if (!GetModelRecord(record, row))
        return strncmp(product, "CD-R ", 5) == 0;
    if (row.vendorInfo || IsSpecialSpeedModel(record))
        return row.isWriter != 0;

    BYTE answer[34];
    memset(answer, 0, sizeof(answer));
    if (ModeSense(record, 0x2A, sizeof(answer), answer) != kExecCompleted)
        return false;
    int p = 20;
    if (answer[1] == 0x2A)
        p = 1;
    else
    {
        for (int i = 2; i <= 20; ++i)
        {
            if (answer[i] == 0x2A)
            {
                p = i;
                break;
            }
        }
    }
    return (answer[p + 3] & (0x01 | 0x02 | 0x10 | 0x20)) != 0;
}

// The DVD write bits of mode page 0x2A (answer byte 15: 0x10 DVD-R, 0x20 DVD-RAM), or a current GET CONFIGURATION
// feature: DVD-R/-RW Write (0x002F, data byte 0x02), DVD+RW (0x002A) or DVD+R (0x002B, data byte 0x01).
bool CDriveManager::IsDvdWriter(CDeviceRecord& record)
{
    BYTE answer[40];
    memset(answer, 0, sizeof(answer));
    ModeSense(record, 0x2A, 34, answer);
    bool writer = (answer[15] & (0x10 | 0x20)) != 0;
    static const struct { int feature; BYTE bit; } kFeatures[] = { { 0x2F, 0x02 }, { 0x2A, 0x01 }, { 0x2B, 0x01 } };
    for (const auto& f : kFeatures)
    {
        memset(answer, 0, sizeof(answer));
        if (GetConfiguration(record, f.feature, 2, sizeof(answer), answer) != kExecCompleted)
            continue;
        DWORD length = (DWORD(answer[1]) << 16) | (DWORD(answer[2]) << 8) | answer[3];
        if (length > 4 && (answer[12] & f.bit) != 0)
            writer = true;
    }
    return writer;
}
