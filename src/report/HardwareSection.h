// src/report/HardwareSection.h
// The hardware half of the report: one block of lines per host adapter (its bus, its driver information and every
// device on it, with the maker's drives' identity, model, read speed, settings, features and inserted disc), and
// the Stratafit database listing of each drive that keeps one.
#ifndef TAVISK_REPORT_HARDWARESECTION_H
#define TAVISK_REPORT_HARDWARESECTION_H

#include <windows.h>

#include "framework/Array.h"
#include "framework/String.h"

// Empties the kMaxAdapterBlocks blocks and fills block n with the adapter at position n of the drive manager's
// adapter list (adapters beyond the last block are left out). Without bMediaDetails the maker's drives get "-" in
// place of their media part.
void BuildAdapterBlocks(CStringArray* pBlocks, bool bMediaDetails);

// Empties the array and lists the Stratafit database of every drive that keeps one; every table row is written
// twice, first in tab form and then in column form.
void BuildStratafitListing(CStringArray& lines);

// The lines of one Stratafit database answer (L + 2 bytes): the heading pair, an empty line and one pair per entry,
// for no more entries than the answer holds.
void AppendStratafitTable(const BYTE* pAnswer, int nAnswerLength, CStringArray& lines);

// "Capacity: ..." or "Free Space: ..." of a byte count: whole megabytes, shown in GB from 1024 MB on.
CString FormatDiskSizeLine(const char* pszLabel, uint64_t nBytes);

#endif
