// tests/transfer/TestResultsDlgTest.cpp
// The results dialog: it opens on run 1, the spin goes from 1 to 10 only, the labels show the chosen run's texts in
// their colour with the run's colour in the swatch, and Clear and Clear All leave their masks.
#include "transfer/TestResultsDlg.h"

#include "gui/GuiTest.h"

#include <gtest/gtest.h>

#include <cstring>

using guitest::Click;
using guitest::HookSession;
using guitest::Text;

namespace {

// The colour in the middle of the swatch, read from the screen.
COLORREF SwatchColour(HWND hDialog)
{
    HWND hSwatch = ::GetDlgItem(hDialog, IDC_TR_SWATCH);
    RECT rc;
    ::GetClientRect(hSwatch, &rc);
    HDC hDC = ::GetDC(hSwatch);
    COLORREF colour = ::GetPixel(hDC, (rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2);
    ::ReleaseDC(hSwatch, hDC);
    return colour;
}

void SpinTo(HWND hDialog, int nPosition)
{
    ::SendDlgItemMessage(hDialog, IDC_TR_SPIN, UDM_SETPOS, 0, MAKELPARAM(nPosition, 0));
}

struct Shown {
    CString run;
    CString lines[6];
    COLORREF swatch = CLR_INVALID;
};

Shown Read(HWND hDialog)
{
    Shown shown;
    shown.run = Text(hDialog, IDC_TR_RUN);
    for (int i = 0; i < 6; ++i)
        shown.lines[i] = Text(hDialog, 1042 + i);
    shown.swatch = SwatchColour(hDialog);
    return shown;
}

class ResultsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyRunText(m_dlg.m_texts[0][0], "ID:1 KORVATH  DVDR   QZ7160    V1.05 (#000123), Speed: 16 X ");
        CopyRunText(m_dlg.m_texts[0][1], "Disc Type    : DVD-ROM (TESTDISC)");
        CopyRunText(m_dlg.m_texts[0][2], "TRT Test results : Start:06.60 X  End:16.00 X  Average:11.90 X ");
        CopyRunText(m_dlg.m_texts[2][0], "ID:1 run three");
        CopyRunText(m_dlg.m_texts[9][0], "ID:1 run ten");
    }

    HookSession m_session;
    CTestResultsDlg m_dlg;
};

TEST_F(ResultsDialog, OpensOnRunOneAndFollowsTheSpin)
{
    std::vector<Shown> seen;
    int nLower = 0, nUpper = 0;
    guitest::RunModal(m_session, m_dlg, [&](CDialog& d) {
        d.ShowWindow(SW_SHOW);
        guitest::Pump();
        ::SendDlgItemMessage(d.m_hWnd, IDC_TR_SPIN, UDM_GETRANGE32, WPARAM(&nLower), LPARAM(&nUpper));
        seen.push_back(Read(d.m_hWnd));
        SpinTo(d.m_hWnd, 3);
        seen.push_back(Read(d.m_hWnd));
        SpinTo(d.m_hWnd, 10);
        seen.push_back(Read(d.m_hWnd));
        SpinTo(d.m_hWnd, 9);
        seen.push_back(Read(d.m_hWnd));
        SpinTo(d.m_hWnd, 11); // beyond the range: the spin stays at 10
        seen.push_back(Read(d.m_hWnd));
        ASSERT_TRUE(Click(d.m_hWnd, IDOK));
    });
    EXPECT_EQ(1, nLower);
    EXPECT_EQ(10, nUpper);
    ASSERT_EQ(5u, seen.size());
    EXPECT_EQ(CString("1"), seen[0].run);
    EXPECT_EQ(CString(m_dlg.m_texts[0][0]), seen[0].lines[0]);
    EXPECT_EQ(CString(m_dlg.m_texts[0][2]), seen[0].lines[2]);
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(CString(""), seen[0].lines[i]) << "labels 1045-1047 stay empty for a read page";
    EXPECT_EQ(COLORREF(0x0000FF), seen[0].swatch);
    EXPECT_EQ(CString("ID:1 run three"), seen[1].lines[0]);
    EXPECT_EQ(CString(""), seen[1].lines[1]);
    EXPECT_EQ(COLORREF(0xFF0000), seen[1].swatch);
    EXPECT_EQ(CString("10"), seen[2].run);
    EXPECT_EQ(COLORREF(0x800000), seen[2].swatch);
    EXPECT_EQ(CString(""), seen[3].lines[0]) << "a run without texts shows empty labels";
    EXPECT_EQ(COLORREF(0xFF8080), seen[3].swatch) << "run 9 is light blue in the dialog on every page";
    EXPECT_EQ(CString("10"), seen[4].run);
    EXPECT_EQ(0u, m_dlg.m_nClearedRuns);
}

TEST_F(ResultsDialog, ClearMarksTheRunAndClearAllMarksEveryBit)
{
    CString afterClear;
    guitest::RunModal(m_session, m_dlg, [&](CDialog& d) {
        d.ShowWindow(SW_SHOW);
        SpinTo(d.m_hWnd, 3);
        ASSERT_TRUE(Click(d.m_hWnd, IDC_TR_CLEAR));
        afterClear = Text(d.m_hWnd, 1042);
        ASSERT_TRUE(Click(d.m_hWnd, IDOK));
    });
    EXPECT_EQ(CString(""), afterClear);
    EXPECT_EQ(1u << 2, m_dlg.m_nClearedRuns);
    EXPECT_STREQ("", m_dlg.m_texts[2][0]);
    EXPECT_STREQ("ID:1 run ten", m_dlg.m_texts[9][0]);

    CTestResultsDlg all;
    CopyRunText(all.m_texts[4][0], "run five");
    guitest::RunModal(m_session, all, [&](CDialog& d) {
        d.ShowWindow(SW_SHOW);
        ASSERT_TRUE(Click(d.m_hWnd, IDC_TR_CLEAR_ALL));
        d.PostMessage(WM_COMMAND, IDCANCEL, 0); // the mask counts whatever button ends the dialog
    });
    EXPECT_EQ(0xFFFFu, all.m_nClearedRuns);
    EXPECT_STREQ("", all.m_texts[4][0]);
}

TEST_F(ResultsDialog, LabelsAndRunNumberInTheTextColour)
{
    COLORREF textColour = 0;
    guitest::RunModal(m_session, m_dlg, [&](CDialog& d) {
        d.ShowWindow(SW_SHOW);
        guitest::Pump();
        CLabelCtrl* pLabel = static_cast<CLabelCtrl*>(CWnd::FromHandlePermanent(::GetDlgItem(d.m_hWnd, 1042)));
        ASSERT_NE(nullptr, pLabel);
        textColour = pLabel->GetTextColor();
        d.PostMessage(WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(COLORREF(0xA00000), textColour);
}

} // namespace
