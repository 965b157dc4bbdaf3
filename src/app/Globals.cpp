// src/app/Globals.cpp
#include "app/Globals.h"

// The media part of every drive is reported until the user accepts the warning about an old ASPI layer with USB
// or IEEE 1394 adapters present: such a layer cannot be trusted with the media commands.
BYTE g_bReportMediaDetails = 1;
