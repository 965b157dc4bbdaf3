// src/report/ReportLine.h
// Composing one report line: printf-style into a 300-character line buffer, appended to a section array.
#ifndef TAVISK_REPORT_REPORTLINE_H
#define TAVISK_REPORT_REPORTLINE_H

#include "framework/Framework.h"

const int kReportLineSize = 300;

// Formats the line (at most kReportLineSize - 1 characters; a longer text is cut) and appends it to `lines`.
void AppendReportLine(CStringArray& lines, LPCSTR format, ...) TAVISK_PRINTF_FORMAT(2, 3);

#endif
