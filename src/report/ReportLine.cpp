// src/report/ReportLine.cpp
#include "report/ReportLine.h"

#include <cstdio>

// Every builder of the report composes its lines in a buffer of 300 characters; vsnprintf keeps an over-long
// value (a version text or a registry value of any length) inside it instead of running past its end.
void AppendReportLine(CStringArray& lines, LPCSTR format, ...)
{
    char line[kReportLineSize];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    lines.Add(CString(line));
}
