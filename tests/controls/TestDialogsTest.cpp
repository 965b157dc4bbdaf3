// tests/controls/TestDialogsTest.cpp — the information dialog and the print-note dialog of the test pages, run
// modally from their templates and driven from inside their modal loop
#include "controls/PrintTextDlg.h"
#include "controls/TestInfoDlg.h"

#include "Pixels.h"
#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <string>

using guitest::HookSession;
using guitest::RunModal;

namespace {

int PointHeight(int nPoints)
{
    HDC hDC = ::GetDC(nullptr);
    const int nHeight = -::MulDiv(nPoints, ::GetDeviceCaps(hDC, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, hDC);
    return nHeight;
}

LOGFONT FontOf(HWND hWnd)
{
    LOGFONT lf = {};
    ::GetObject(reinterpret_cast<HGDIOBJ>(::SendMessage(hWnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf;
}

TEST(TestInfoDialog, ShowsTheTextsItIsGiven)
{
    HookSession session;
    CCIRCInfo dlg;
    dlg.m_strTitle = "Read Transfer Rate Test";
    dlg.m_strBody = "Read Transfer Rate : Read test for written CD-R/RW.\n\nThis test reads every sector.";
    dlg.m_strFirstNote = "v1";
    dlg.m_strSecondNote = "p. 2";
    bool bChecked = false;
    const INT_PTR result = RunModal(session, dlg, [&](CDialog& d) {
        CCIRCInfo& info = static_cast<CCIRCInfo&>(d);
        EXPECT_EQ("Read Transfer Rate Test", guitest::Text(info.m_hWnd));
        EXPECT_EQ("Read Transfer Rate Test", info.m_heading.GetText());
        EXPECT_EQ("Read Transfer Rate Test", guitest::Text(info.m_hWnd, IDC_INFO_HEADING));
        EXPECT_EQ(dlg.m_strBody, guitest::Text(info.m_hWnd, IDC_INFO_BODY));
        EXPECT_EQ("v1", guitest::Text(info.m_hWnd, IDC_INFO_FIRST_NOTE));
        EXPECT_EQ("p. 2", guitest::Text(info.m_hWnd, IDC_INFO_SECOND_NOTE));

        // The body keeps 9-point "MS Shell Dlg"; the heading is the same face, bold, 14 points.
        const LOGFONT body = FontOf(info.GetDlgItemHwnd(IDC_INFO_BODY));
        EXPECT_EQ(reinterpret_cast<LRESULT>(info.m_pBodyFont->m_hObject),
                  info.SendDlgItemMessage(IDC_INFO_BODY, WM_GETFONT));
        EXPECT_EQ(PointHeight(9), body.lfHeight);
        EXPECT_STREQ("MS Shell Dlg", body.lfFaceName);
        const LOGFONT& heading = info.m_heading.GetLogFontDescription();
        EXPECT_STREQ(body.lfFaceName, heading.lfFaceName);
        EXPECT_EQ(FW_BOLD, heading.lfWeight);
        EXPECT_EQ(PointHeight(14), heading.lfHeight);

        // On screen: the heading's text is centred in its static and taller than a line of the body.
        info.ShowWindow(SW_SHOW);
        guitest::Pump();
        const COLORREF face = ::GetSysColor(COLOR_3DFACE);
        const pixels::Image shot = pixels::CaptureClient(info.m_hWnd);
        pixels::SavePng(shot, "test-info-dialog");
        const pixels::Image title = pixels::CaptureClient(info.m_heading.m_hWnd);
        RECT text = {title.width, title.height, 0, 0};
        for (int y = 0; y < title.height; ++y) {
            for (int x = 0; x < title.width; ++x) {
                if (title.At(x, y) == face)
                    continue;
                text.left = x < text.left ? x : text.left;
                text.top = y < text.top ? y : text.top;
                text.right = x + 1 > text.right ? x + 1 : text.right;
                text.bottom = y + 1 > text.bottom ? y + 1 : text.bottom;
            }
        }
        ASSERT_LT(text.left, text.right);
        EXPECT_GT(title.Count(face), title.width * title.height / 2);
        EXPECT_NEAR(title.width - text.right, text.left, 3);
        EXPECT_NEAR(title.height - text.bottom, text.top, 4);
        EXPECT_GT(text.bottom - text.top, -PointHeight(9));
        bChecked = true;
        guitest::Click(info.m_hWnd, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(bChecked);
}

// The note keeps at most 420 characters: the edit refuses the 421st.
TEST(PrintNoteDialog, KeepsAtMost420Characters)
{
    HookSession session;
    CPrintTextDlg dlg;
    const INT_PTR result = RunModal(session, dlg, [&](CDialog& d) {
        HWND hEdit = d.GetDlgItemHwnd(IDC_PRINT_NOTE);
        EXPECT_EQ("Tavisk: Add text to print out", guitest::Text(d.m_hWnd));
        EXPECT_EQ(static_cast<LRESULT>(kMaxPrintNoteChars), ::SendMessage(hEdit, EM_GETLIMITTEXT, 0, 0));
        for (int i = 0; i < kMaxPrintNoteChars + 1; ++i)
            ::SendMessage(hEdit, WM_CHAR, static_cast<WPARAM>('a' + i % 26), 1);
        EXPECT_EQ(kMaxPrintNoteChars, ::GetWindowTextLengthA(hEdit));
        d.ShowWindow(SW_SHOW);
        guitest::Pump();
        pixels::SavePng(pixels::CaptureClient(d.m_hWnd), "print-note-dialog");
        guitest::Click(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(kMaxPrintNoteChars, dlg.m_strResult.GetLength());
    EXPECT_EQ('a', dlg.m_strResult[0]);
    EXPECT_EQ(static_cast<char>('a' + (kMaxPrintNoteChars - 1) % 26), dlg.m_strResult[kMaxPrintNoteChars - 1]);
}

TEST(PrintNoteDialog, CancelGivesAnEmptyResult)
{
    HookSession session;
    CPrintTextDlg dlg;
    const INT_PTR result = RunModal(session, dlg, [&](CDialog& d) {
        guitest::SetText(d.m_hWnd, IDC_PRINT_NOTE, "A note that is thrown away");
        guitest::Click(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ("", dlg.m_strResult);
}

// A note set before the dialog opens is offered for editing; a text that the program set longer than the limit is
// refused on OK with the layer's message, and the dialog stays open.
TEST(PrintNoteDialog, TooLongPresetNoteIsRefused)
{
    HookSession session;
    CPrintTextDlg dlg;
    dlg.m_strText = CString('x', kMaxPrintNoteChars + 5);
    int nOkPresses = 0;
    const INT_PTR result = RunModal(session, dlg, [&](CDialog& d) {
        guitest::Click(d.m_hWnd, IDOK);
        ++nOkPresses;
        EXPECT_TRUE(::IsWindow(d.m_hWnd));
        guitest::SetText(d.m_hWnd, IDC_PRINT_NOTE, "Short note");
        guitest::Click(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(1, nOkPresses);
    ASSERT_EQ(1u, session.MessageBoxes().size());
    EXPECT_EQ("Short note", dlg.m_strResult);
}

} // namespace
