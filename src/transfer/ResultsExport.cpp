// src/transfer/ResultsExport.cpp
#include "transfer/ResultsExport.h"

#include "framework/CommonDialogs.h"

namespace {

const char* const kHead[] = {
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">",
    "<html>",
    "<head>",
    "<title>Test Results</title>",
    "<style>",
    ".caption {",
    "font-family: Arial;",
    "font-size: 12px;",
    "color: #000000",
    "}",
    ".item {",
    "color: #000000;",
    "font-family: Arial;",
    "font-size: 12px;",
    "font-weight:bold",
    "}",
    "</style>",
    "</head>",
    "<body bgcolor=\"#ffffff\" leftmargin=\"5\" topmargin=\"0\" marginheight=\"0\" marginwidth=\"0\">",
    "<hr>",
    "<table width=\"100%\" border=\"0\">",
    "<tr>",
};

const char* const kTail[] = {"</table>", "</td>", "<td>&nbsp;</td>", "</tr>", "</table>", "</body>", "</html>"};

// The fixed text under the program's name in the page's header.
const char kHeaderNote[] = "Transfer rate test results";

class CLines {
public:
    void Add(const CString& line)
    {
        m_text += line;
        m_text += "\r\n";
    }
    void Add(const char* line) { Add(CString(line)); }
    const CString& Text() const { return m_text; }

private:
    CString m_text;
};

CString ColourText(COLORREF colour)
{
    CString text;
    text.Format("%02X%02X%02X", unsigned(GetRValue(colour)), unsigned(GetGValue(colour)), unsigned(GetBValue(colour)));
    return text;
}

CString E(const char* psz)
{
    return HtmlEscape(CString(psz));
}

// The head of a block's "Test Result" row, up to the disc's text.
void AddResultHead(CLines& out)
{
    out.Add("<tr>");
    out.Add("<td valign=\"top\" class=\"item\" align=\"right\">Test Result</td>");
    out.Add("<td>&nbsp;</td>");
    out.Add("<td valign=\"top\" align=\"left\">Disc Info:</td>");
}

// The head of a block's row of the start, end and average values, up to the values.
void AddTimesHead(CLines& out)
{
    out.Add("<tr>");
    out.Add("<TD class=\"item\" vAlign=\"top\" align=\"right\"></TD>");
    out.Add("<TD></TD>");
    out.Add("<TD vAlign=\"top\" align=\"left\">Start:<BR>");
    out.Add("End:<BR>");
    out.Add("Average:</TD>");
}

// A block's last row: the run's duration.
void AddDurationRow(CLines& out, const TestRunInfo& info)
{
    out.Add("<TR>");
    out.Add("<td valign=\"top\" class=\"item\" align=\"right\">Test Duration</td>");
    out.Add("<td>&nbsp;</td>");
    out.Add("<td valign=\"top\" align=\"left\">" + E(info.szDuration) + "</td>");
    out.Add("<td></td>");
    out.Add("</tr>");
}

void AddReadBlock(CLines& out, const ResultsHtmlInput& in, const TestRunInfo& info, int nRun)
{
    const bool bDvdWrite = in.kind == kTestPageDvdWrite;
    out.Add("<tr>");
    out.Add("<td rowspan=\"5\" bgcolor=\"#" + ColourText(RunColour(in.kind, nRun)) + "\">&nbsp;</td>");
    out.Add(CString("<td valign=\"top\" class=\"item\" align=\"right\" width=\"") +
            (in.kind == kTestPageCdRead ? "20%" : "17%") + "\">Drive Info</td>");
    out.Add("<td>&nbsp;</td>");
    out.Add("<td colspan=\"2\">" + E(info.szDrive) + "</td>");
    out.Add("</tr>");
    out.Add("<tr>");
    out.Add("<td valign=\"top\" class=\"item\" align=\"right\">Test Settings</td>");
    out.Add("<td>&nbsp;</td>");
    out.Add(CString("<td valign=\"top\" align=\"left\">") + (bDvdWrite ? "Write Speed:" : "Read Speed:") + "</td>");
    out.Add("<td>" + E(info.speed.szSpeed) + "</td>");
    out.Add("</tr>");
    AddResultHead(out);
    if (bDvdWrite) {
        CString disc, drive;
        if (in.speeds.pfnDvdWriteSpeeds != nullptr)
            in.speeds.pfnDvdWriteSpeeds(in.speeds.context, disc, drive);
        out.Add("<td>" + HtmlEscapeKeepingBreaks(info.szDisc) + "<BR>Disc :" + HtmlEscape(disc) +
                "<BR>Drive:" + HtmlEscape(drive) + "</td>");
    } else {
        out.Add("<td>" + E(info.szDisc) + "</td>");
    }
    out.Add("</tr>");
    AddTimesHead(out);
    out.Add("<TD>" + E(info.szStart) + "<BR>");
    out.Add(E(info.szEnd) + "<BR>");
    out.Add(E(info.szAverage) + "</TD>");
    out.Add("</TR>");
    AddDurationRow(out, info);
}

void AddCdWriteBlock(CLines& out, const TestRunInfo& info, int nRun)
{
    out.Add("<tr>");
    out.Add("<td rowspan=\"6\" bgcolor=\"#" + ColourText(RunColour(kTestPageCdWrite, nRun)) + "\">&nbsp;</td>");
    out.Add("<td valign=\"top\" class=\"item\" align=\"right\" width=\"20%\">Drive Info</td>");
    out.Add("<td>&nbsp;</td>");
    out.Add("<td colspan=\"2\">" + E(info.szDrive) + "</td>");
    out.Add("</tr>");
    out.Add("<tr>");
    out.Add("<td valign=\"top\" class=\"item\" align=\"right\">ATIP Info</td>");
    out.Add("<td>&nbsp;</td>");
    out.Add("<td valign=\"top\" align=\"left\" width=\"20%\">Lead-In:<br>Lead-Out:</td>");
    out.Add("<td>" + E(info.second.cd.szLeadIn) + "<br>" + E(info.second.cd.szLeadOut) + "</td>");
    out.Add("</tr>");
    out.Add("<tr>");
    out.Add("<td valign=\"top\" class=\"item\" align=\"right\">Test Settings</td>");
    out.Add("<td>&nbsp;</td>");
    out.Add("<td valign=\"top\" align=\"left\">Data Format:<br>Write Speed:<br>Overburn:</td>");
    out.Add("<td>" + E(info.second.cd.szDataFormat) + "<br>" + E(info.speed.cd.szWriteSpeed) + "<br>" +
            E(info.speed.cd.szOverburn) + "</td>");
    out.Add("</tr>");
    AddResultHead(out);
    out.Add("<td>" + E(info.szDisc) + "</td>");
    out.Add("</tr>");
    AddTimesHead(out);
    out.Add("<TD>" + E(info.szStart) + "<br>" + E(info.szEnd) + "<br>" + E(info.szAverage) + "</td>");
    out.Add("</tr>");
    AddDurationRow(out, info);
}

} // namespace

CString HtmlEscape(const CString& strText)
{
    CString out;
    for (int i = 0; i < strText.GetLength(); ++i) {
        char ch = strText[i];
        switch (ch) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += ch;
            break;
        }
    }
    return out;
}

CString HtmlEscapeKeepingBreaks(const CString& strText)
{
    const char kBreak[] = "<BR>";
    const int nBreak = int(sizeof(kBreak) - 1);
    CString out;
    int nFrom = 0;
    for (int nAt; (nAt = strText.Find(kBreak, nFrom)) >= 0; nFrom = nAt + nBreak)
        out += HtmlEscape(strText.Mid(nFrom, nAt - nFrom)) + kBreak;
    return out + HtmlEscape(strText.Mid(nFrom));
}

CString HtmlNameForPicture(const CString& strPictureName)
{
    int nKeep = strPictureName.GetLength() - 4;
    return (nKeep > 0 ? strPictureName.Left(nKeep) : CString()) + ".html";
}

CString BuildResultsHtml(const ResultsHtmlInput& in, const TestRunRing& ring)
{
    CLines out;
    for (const char* line : kHead)
        out.Add(line);
    out.Add("<td align=\"left\">Tavisk V" + in.version + "</td>");
    out.Add(CString("<td align=\"right\">") +
            (in.kind == kTestPageCdWrite || in.kind == kTestPageDvdWrite ? "Write Transfer Rate Test"
                                                                         : "Read Transfer Rate Test") +
            "</td>");
    out.Add("</tr>");
    out.Add("<tr>");
    out.Add(CString("<td align=\"left\">") + kHeaderNote + "</td>");
    out.Add("<td align=\"right\">" + HtmlEscape(in.date) + "</td>");
    out.Add("</tr>");
    out.Add("</table>");
    out.Add("<hr>");
    out.Add("<br>");
    out.Add("<br>");
    out.Add("<table class=\"caption\" width=\"100%\" border=\"0\" spacing=\"0\" ID=\"Table1\">");
    out.Add("<tr>");
    out.Add("<td width=\"25%\">&nbsp;</td>");
    out.Add("<td width=\"50%\"><img src=\"" + HtmlEscape(in.pictureName) + "\"></td>");
    out.Add("<td width=\"*\">&nbsp;</td>");
    out.Add("</tr>");
    out.Add("<tr>");
    out.Add("<td>&nbsp;</td>");
    out.Add("<td>");
    out.Add("<table class=\"caption\" width=\"100%\" border=\"0\" spacing=\"0\" ID=\"Table2\">");
    for (int nRun = 0; nRun < MAX_TEST_RUNS; ++nRun) {
        if (!ring.IsPresent(nRun))
            continue;
        if (in.kind == kTestPageCdWrite)
            AddCdWriteBlock(out, ring.Info(nRun), nRun);
        else
            AddReadBlock(out, in, ring.Info(nRun), nRun);
    }
    for (const char* line : kTail)
        out.Add(line);
    return out.Text();
}

bool AskImageFileName(CString& rFolder, CString& rFileName, CString& rExtension)
{
    char szCurrent[300] = {};
    ::GetCurrentDirectoryA(sizeof szCurrent, szCurrent);
    CFileDialog dialog(FALSE, "BMP", nullptr, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                       "Windows Bitmap (*.bmp)|*.bmp|Portable Network Graphics (*.png)|*.png||");
    dialog.m_ofn.lpstrTitle = "Save image file as";
    dialog.m_ofn.lpstrInitialDir = szCurrent;
    dialog.m_ofn.nFilterIndex = 0;
    if (dialog.DoModal() != IDOK)
        return false;
    CString path = dialog.GetPathName();
    int nSlash = path.ReverseFind('\\');
    rFolder = path.Left(nSlash + 1);
    rFileName = path.Mid(nSlash + 1);
    int nDot = rFileName.ReverseFind('.');
    rExtension = nDot >= 0 ? rFileName.Mid(nDot + 1).Left(3) : CString();
    return true;
}
