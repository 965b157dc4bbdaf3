// src/drive/WriterQuery.cpp
// Whether a drive can write CD or DVD media.
#include "drive/DriveManager.h"

#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "drive/ModelTable.h"

namespace {

const BYTE kWriteCdR = 0x01;
const BYTE kWriteCdRw = 0x02;
const BYTE kWriteDvdR = 0x10;
const BYTE kWriteDvdRam = 0x20;

} // namespace

// The maker's models with vendor information, and the special speed models, answer from their row's writer flag.
// Other listed models are asked for the write bits of mode page 0x2A (byte 3: 0x01 CD-R, 0x02 CD-RW, 0x10 DVD-R,
// 0x20 DVD-RAM); the page is located by its code byte at answer offset 1, else the first of offsets 2 to 20
// holding it, else offset 20. A drive that is not in the table is a writer when its product identification
// begins with "CD-R " (the blank included, so "CD-RW" does not count).
static bool HasWriteBits(CDriveManager& manager, CDeviceRecord& record, BYTE bits)
{
    char vendor[9] = "";
    char product[17] = "";
    char revision[5] = "";
    if ((manager.Inquiry(record, vendor, product, revision) & 0xFF) != 1)
        return false;

    ModelRecord row;
    memset(&row, 0, sizeof(row));
    if (!manager.GetModelRecord(record, row))
        return strncmp(product, "CD-R ", 5) == 0;
    if (row.vendorInfo || manager.IsSpecialSpeedModel(record))
        return row.isWriter != 0;

    BYTE answer[34];
    memset(answer, 0, sizeof(answer));
    if (manager.ModeSense(record, 0x2A, sizeof(answer), answer) != kExecCompleted)
        return false;
    int p = LocatePageFrom1(answer, 20);
    return (answer[p + 3] & bits) != 0;
}

bool CDriveManager::IsWriter(CDeviceRecord& record)
{
    return HasWriteBits(*this, record, kWriteCdR | kWriteCdRw | kWriteDvdR | kWriteDvdRam);
}

bool CDriveManager::IsCdWriter(CDeviceRecord& record)
{
    return HasWriteBits(*this, record, kWriteCdR | kWriteCdRw);
}

// Page 0x2A byte 3 at its usual place (answer byte 15, behind the block descriptor) with DVD-R or DVD-RAM write,
// or one of the write features of GET CONFIGURATION: 0x002F DVD-R/-RW Write (its byte 4 bit 1), 0x002A DVD+RW and
// 0x002B DVD+R (byte 4 bit 0). A feature counts only when its answer announces more than the header.
bool CDriveManager::IsDvdWriter(CDeviceRecord& record)
{
    bool writer = false;
    BYTE answer[40];
    memset(answer, 0, sizeof(answer));
    ModeSense(record, 0x2A, 34, answer);
    if (answer[15] & (kWriteDvdR | kWriteDvdRam))
        writer = true;

    const struct {
        int feature;
        BYTE bit;
    } features[] = {{0x002F, 0x02}, {0x002A, 0x01}, {0x002B, 0x01}};
    for (const auto& f : features) {
        memset(answer, 0, sizeof(answer));
        if (GetConfiguration(record, f.feature, 2, sizeof(answer), answer) != kExecCompleted)
            continue;
        if (GetBe24(answer + 1) > 4 && (answer[12] & f.bit))
            writer = true;
    }
    return writer;
}
