// src/transfer/ResultTexts.cpp
#include "transfer/ResultTexts.h"

#include "drive/CommandSet.h"

#include <cstdio>
#include <cstring>

namespace {

// Texts of the current run (0-based index within the run).
enum {
    kReadDriveLine = 0,
    kReadDiscLine = 1,
    kReadResultLine = 2,
    kCdwDriveLine = 0,
    kCdwAtipLine = 1,
    kCdwDiscLine = 2,
    kCdwOverburnLine = 3,
    kCdwResultLine = 4
};

const size_t kDetailShown = 97; // characters of the detail text that fit between the parentheses

// A formatted text cut to what a field holds.
template <size_t N>
void FieldPrintf(char (&field)[N], const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

template <size_t N>
void FieldPrintf(char (&field)[N], const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(field, N, pszFormat, args);
    va_end(args);
    field[N - 1] = '\0';
}

void TextPrintf(char* pszText, const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
void TextPrintf(char* pszText, const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(pszText, kResultTextSize, pszFormat, args);
    va_end(args);
    pszText[kResultTextSize - 1] = '\0';
}

bool ShowsDetail(const CString& strDetail)
{
    return !strDetail.IsEmpty() && strDetail[0] != '-';
}

// "(detail)" with at most 97 characters of the detail, or "" when the detail is not shown.
CString DetailInParentheses(const CString& strDetail)
{
    if (!ShowsDetail(strDetail))
        return CString();
    CString strShown = strDetail;
    if (size_t(strShown.GetLength()) > kDetailShown)
        strShown = strShown.Left(int(kDetailShown));
    return CString("(") + strShown + ")";
}

int CdWriteSpeedX(int nKBs)
{
    return nKBs / 176;
}

void BuildAtipStep(TestRunRing& ring, int nRun, const ResultDriveFacts& drive)
{
    if (!drive.bHaveAtip)
        return;
    const BYTE* a = drive.atip;
    TestRunInfo& info = ring.Info(nRun);
    FieldPrintf(info.second.cd.szLeadIn, "%2d:%02d.%02d MSF", a[8], a[9], a[10]);
    FieldPrintf(info.second.cd.szLeadOut, "%2d:%02d.%02d MSF", a[12], a[13], a[14]);
    TextPrintf(ring.Text(nRun, kCdwAtipLine), "ATIP Info : Lead-In: %2d:%02d.%02d MSF | Lead-Out : %2d:%02d.%02d MSF",
               a[8], a[9], a[10], a[12], a[13], a[14]);
}

} // namespace

CString FormatHundredths(const char* pszFormat, int32_t nValue)
{
    char szText[64];
    std::snprintf(szText, sizeof(szText), pszFormat, int(nValue / 100), int(nValue % 100));
    return CString(szText);
}

CString FormatDuration(DWORD nStartTick, DWORD nEndTick)
{
    DWORD nSeconds = (nEndTick - nStartTick) / 1000;
    char szText[32];
    std::snprintf(szText, sizeof(szText), "%ld:%02ld:%02ld", long(nSeconds / 3600), long(nSeconds / 60 % 60),
                  long(nSeconds % 60));
    return CString(szText);
}

const char* DataFormatName(int nFormatParameters)
{
    switch (nFormatParameters) {
    case 0:
        return "Internal Buffer (CD-DA)";
    case 1:
        return "Internal Buffer (Mode1)";
    default:
        return "";
    }
}

void BuildResultTexts(TestRunRing& ring, bool bFull, const ResultDriveFacts& drive, const ResultRunFacts& run)
{
    const int nRun = ring.GetCurrentRun();
    if (nRun < 0 || nRun >= MAX_TEST_RUNS)
        return;
    const TestPageKind kind = ring.Kind();
    TestRunInfo& info = ring.Info(nRun);
    if (!bFull)
        std::memset(&info, 0, sizeof(info));

    const char* pszVendor = drive.strVendor;
    const char* pszProduct = drive.strProduct;
    const char* pszRevision = drive.strRevision;
    const char* pszSerial = drive.strSerial;
    char* pszDriveLine = ring.Text(nRun, 0);
    FieldPrintf(info.szDrive, "ID:%d %s %s V%s (#%s)", drive.nTargetId, pszVendor, pszProduct, pszRevision, pszSerial);
    switch (kind) {
    case kTestPageDvdRead:
    case kTestPageCdRead:
        TextPrintf(pszDriveLine, "ID:%d %s %s V%s (#%s), Speed: %s", drive.nTargetId, pszVendor, pszProduct,
                   pszRevision, pszSerial, static_cast<const char*>(drive.strSpeed));
        FieldPrintf(info.speed.szSpeed, "%s", static_cast<const char*>(drive.strSpeed));
        break;
    case kTestPageDvdWrite: {
        // A speed the drive did not report counts as 1X.
        const int nKBs = drive.nWriteSpeedKBs == kWriteSpeedNotReported ? kDvdOneXKBs : drive.nWriteSpeedKBs;
        double dSpeedX = double(nKBs) / kDvdOneXKBs;
        TextPrintf(pszDriveLine, "ID:%d %s %s V%s (#%s), Write Speed: %0.1fX", drive.nTargetId, pszVendor, pszProduct,
                   pszRevision, pszSerial, dSpeedX);
        FieldPrintf(info.speed.szSpeed, "%0.1fX (%d KB/s)", dSpeedX, nKBs);
        break;
    }
    case kTestPageCdWrite: {
        int nSpeedX = CdWriteSpeedX(drive.nWriteSpeedKBs);
        TextPrintf(pszDriveLine, "ID:%d %s %s V%s (#%s), Write Speed: %d X", drive.nTargetId, pszVendor, pszProduct,
                   pszRevision, pszSerial, nSpeedX);
        FieldPrintf(info.speed.cd.szWriteSpeed, "%d X (%ld KB/s)", nSpeedX, long(nSpeedX) * 150);
        break;
    }
    }
    if (kind != kTestPageCdWrite)
        info.second.present = 1;
    else
        BuildAtipStep(ring, nRun, drive);
    if (!bFull)
        return;

    // The disc line, and the info disc field with the page's additions.
    CString strDetail = DetailInParentheses(drive.strDiscDetail);
    CString strDiscLine = CString("Disc Type    : ") + drive.strDiscType + " " + strDetail;
    CString strInfoDisc = drive.strDiscType + " ";
    switch (kind) {
    case kTestPageDvdRead:
    case kTestPageCdWrite:
        strInfoDisc += strDetail;
        break;
    case kTestPageCdRead: {
        char szMsf[32];
        LbaToMsfText(drive.nCapacity, szMsf);
        strDiscLine += CString(", ") + szMsf;
        strInfoDisc += strDetail + ", " + szMsf + " MSF";
        break;
    }
    case kTestPageDvdWrite:
        strInfoDisc += CString("<BR> ") + drive.strMediaId;
        break;
    }
    const int nDiscText = kind == kTestPageCdWrite ? kCdwDiscLine : kReadDiscLine;
    CopyRunText(ring.Text(nRun, nDiscText), kResultTextSize, strDiscLine);
    CopyRunText(info.szDisc, strInfoDisc);

    CopyRunText(info.szStart, FormatHundredths("%2d.%02d X", run.nStart));
    CopyRunText(info.szEnd, FormatHundredths("%2d.%02d X", run.nEnd));
    CopyRunText(info.szAverage, FormatHundredths("%2d.%02d X", run.nAverage));
    CopyRunText(info.szDuration, FormatDuration(run.nStartTick, run.nEndTick));

    const int s = run.nStart, e = run.nEnd, a = run.nAverage;
    if (kind == kTestPageDvdRead || kind == kTestPageCdRead) {
        TextPrintf(ring.Text(nRun, kReadResultLine),
                   "TRT Test results : Start:%02d.%02d X  End:%02d.%02d X  Average:%02ld.%02ld X ", s / 100, s % 100,
                   e / 100, e % 100, long(a / 100), long(a % 100));
        return;
    }
    const int nResultText = kind == kTestPageCdWrite ? kCdwResultLine : kReadResultLine;
    TextPrintf(ring.Text(nRun, nResultText), "Test results : Start:%2d.%02d X  End:%2d.%02d X  Average:%2d.%02d X ",
               s / 100, s % 100, e / 100, e % 100, a / 100, a % 100);
    if (kind != kTestPageCdWrite)
        return;

    const char* pszFormat = DataFormatName(run.nFormatParameters);
    if (run.bOverburn) {
        char szMsf[32];
        LbaToMsfText(run.nOverburnLength, szMsf);
        TextPrintf(ring.Text(nRun, kCdwOverburnLine), "%13s enabled (%s MSF) | Data Format: %s", "Overburn:", szMsf,
                   pszFormat);
        FieldPrintf(info.speed.cd.szOverburn, "enabled (%s MSF)", szMsf);
    } else {
        TextPrintf(ring.Text(nRun, kCdwOverburnLine), "%13s disabled | Data Format: %s", "Overburn:", pszFormat);
        FieldPrintf(info.speed.cd.szOverburn, "disabled");
    }
    FieldPrintf(info.second.cd.szDataFormat, "%s", pszFormat);
}
