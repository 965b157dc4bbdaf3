// src/transfer/ResultDiscFacts.cpp
#include "transfer/ResultTexts.h"

// Missing: the disc type and detail texts and the DVD media identification, which come with the media
// identification queries of the drive manager; until they are there the disc part of the texts stays empty.
void GatherDiscFacts(CDeviceRecord& record, TestPageKind kind, ResultDriveFacts& facts)
{
    (void)record;
    (void)kind;
    (void)facts;
}
