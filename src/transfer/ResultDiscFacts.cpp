// src/transfer/ResultDiscFacts.cpp
#include "transfer/ResultTexts.h"

#include "drive/DriveManager.h"

namespace {

const int kMediaIdBufferSize = 128;

}

// The disc as the drive describes it at the end of a run: its type text and, as the detail, its volume label; on
// the DVD write page also the medium's manufacturer identification.
void GatherDiscFacts(CDeviceRecord& record, TestPageKind kind, ResultDriveFacts& facts)
{
    if (g_pDriveManager == nullptr)
        return;
    char szType[kDiscTextSize + 1] = {};
    char szLabel[kDiscLabelBuffer] = {};
    g_pDriveManager->GetDiscTypeText(record, szLabel, szType, nullptr);
    facts.strDiscType = szType;
    facts.strDiscDetail = szLabel;
    if (kind == kTestPageDvdWrite) {
        char szMediaId[kMediaIdBufferSize] = {};
        facts.strMediaId = g_pDriveManager->GetDvdMediaIdText(record, szMediaId);
    }
}
