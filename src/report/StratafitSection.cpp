// src/report/StratafitSection.cpp
// The Stratafit database listing: for every drive of the maker that keeps the database, its title line and the
// table of the media it has learnt to write (kind, manufacturer identification, how often used, write speed).
#include "report/HardwareSection.h"

#include "drive/DriveManager.h"
#include "drive/HostAdapter.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const int kHeaderRead = 8;
const int kMinLength = 6;
const int kMaxLength = 100;
const int kMaxEntries = 100;
const int kCountOffset = 5;
const int kEntriesOffset = 9;
const int kEntrySize = 32;
const int kLineBuffer = 300;

const char* DiscKindText(BYTE kindByte)
{
    switch (kindByte >> 4) {
    case 0:
        return "DVD-ROM";
    case 1:
        return "DVD-RAM";
    case 2:
        return "DVD-R";
    case 3:
        return "DVD-RW";
    case 9:
        return "DVD+RW";
    case 10:
        return "DVD+R";
    case 14:
        return "DVD+R DL";
    default:
        return "DVD";
    }
}

const char* UsageText(BYTE count)
{
    return count < 20 ? "Low" : count < 40 ? "Medium" : "High";
}

// Characters of a field up to its width or its first 0 byte.
CString FieldText(const BYTE* pField, int nWidth)
{
    return CString(reinterpret_cast<const char*>(pField), int(strnlen(reinterpret_cast<const char*>(pField), nWidth)));
}

void AppendRow(CStringArray& lines, const char* a, const char* b, const char* c, const char* d, const char* e)
{
    char szLine[kLineBuffer];
    std::snprintf(szLine, sizeof(szLine), "%s\t %s\t %s\t %s\t %s", a, b, c, d, e);
    lines.Add(szLine);
    std::snprintf(szLine, sizeof(szLine), "%-8s %-10s %-17s %-17s %-17s", a, b, c, d, e);
    lines.Add(szLine);
}

int BigEndian16(const BYTE* p)
{
    return (p[0] << 8) | p[1];
}

} // namespace

void AppendStratafitTable(const BYTE* pAnswer, int nAnswerLength, CStringArray& lines)
{
    AppendRow(lines, "Active", "Type", "ID", "Usage Frequency", "Write Speed");
    lines.Add("");
    // An answer too short to hold the count lists no entry.
    int nEntries = nAnswerLength >= kCountOffset + 2 ? BigEndian16(pAnswer + kCountOffset) : 0;
    int nPresent = nAnswerLength > kEntriesOffset ? (nAnswerLength - kEntriesOffset) / kEntrySize : 0;
    if (nEntries > nPresent)
        nEntries = nPresent; // never read past the answer
    for (int k = 0; k < nEntries; ++k) {
        const BYTE* pEntry = pAnswer + kEntriesOffset + kEntrySize * k;
        const BYTE kind = pEntry[0] >> 4;
        CString id = FieldText(pEntry + 1, 8);
        if (kind == 10) {
            id += "-";
            id += FieldText(pEntry + 9, 3);
            id += "-";
            id += char('0' + pEntry[12]);
        }
        char szSpeed[16];
        std::snprintf(szSpeed, sizeof(szSpeed), "%dX", pEntry[17]);
        AppendRow(lines, pEntry[14] != 0 ? "ON" : "OFF", DiscKindText(pEntry[0]), id, UsageText(pEntry[16]), szSpeed);
    }
}

void BuildStratafitListing(CStringArray& lines)
{
    lines.RemoveAll();
    if (g_pDriveManager == nullptr)
        return;
    CHostAdapterArray adapters;
    g_pDriveManager->CopyHostAdapters(adapters);
    ForEachDeviceRecord(adapters, [&](int, CDeviceRecord& listed) {
        CDeviceRecord record = listed;
        if (!g_pDriveManager->IsStratafitSupported(record))
            return;
        BYTE header[10] = {};
        if (g_pDriveManager->StratafitCommand(record, 2, 0, 0, kHeaderRead, header) != 1)
            return;
        const int nLength = BigEndian16(header);
        if (nLength < kMinLength || nLength >= kMaxLength)
            return;
        std::vector<BYTE> answer(size_t(nLength + 2), 0);
        if (g_pDriveManager->StratafitCommand(record, 2, 0, 0, nLength + 2, answer.data()) != 1 ||
            BigEndian16(answer.data() + kCountOffset) >= kMaxEntries)
            return;
        char szLabel[kLineBuffer] = "";
        g_pDriveManager->GetDriveLabel(record, szLabel);
        char szTitle[kLineBuffer];
        std::snprintf(szTitle, sizeof(szTitle), "HA:%d %s", int(record.m_nAdapter), szLabel);
        lines.Add("");
        lines.Add(szTitle);
        lines.Add("-----------------------------------------");
        lines.Add("");
        AppendStratafitTable(answer.data(), int(answer.size()), lines);
    });
}
