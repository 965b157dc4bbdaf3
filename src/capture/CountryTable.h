// src/capture/CountryTable.h
// The table of TV countries the sibling product stores its "Country" setting as a row number of.
#ifndef TAVISK_CAPTURE_COUNTRYTABLE_H
#define TAVISK_CAPTURE_COUNTRYTABLE_H

#include <windows.h>

const int kCountryCount = 240;

struct CountryRow {
    LONG dialingCode; // international dialling code (Canada carries 2, the USA 1)
    DWORD standard;   // one AnalogVideoStandard flag, 0 where not filled
    char name[100];   // zero-terminated, zero-padded
};

// The row, or null for a number outside the table.
const CountryRow* GetCountryRow(DWORD row);

#endif
