// tests/controls/LabelTest.cpp — the label control in the gallery: its text, colours, fonts, gradient, layout,
// blinking and clicks, checked on the pixels it shows and the calls it makes
#include "GalleryFixture.h"
#include "ShellRecorder.h"

#include <string>

namespace {

const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kNavy = RGB(0, 0, 128);
const COLORREF kWhite = RGB(255, 255, 255);

int PointHeight(int nPoints)
{
    HDC hDC = ::GetDC(nullptr);
    const int nHeight = -::MulDiv(nPoints, ::GetDeviceCaps(hDC, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, hDC);
    return nHeight;
}

void Click(const CWnd& control)
{
    ::SendMessage(control.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessage(control.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

using LabelTest = GalleryTest;

// The label keeps the template's text until SetText; before its first paint its text field holds the placeholder.
TEST_F(LabelTest, TextComesFromTheTemplateUntilSet)
{
    CLabelCtrl unpainted;
    EXPECT_EQ(CString(CLabelCtrl::kTextPlaceholder), unpainted.GetText());
    ASSERT_TRUE(unpainted.SubclassWindow(
        ::CreateWindowA("Static", "Later", WS_CHILD, 0, 0, 50, 10, Gallery().m_hWnd, nullptr, nullptr, nullptr)));
    EXPECT_EQ("LEGEREGEL", unpainted.GetText());

    Photograph(Gallery().m_label);
    EXPECT_EQ("Plain label", Gallery().m_label.GetText());
    ::SetWindowTextA(Gallery().m_label.m_hWnd, "Changed behind its back");
    CString strText;
    Gallery().m_label.GetText(strText);
    EXPECT_EQ("Plain label", strText);

    Gallery().m_label.SetText("Set by the program");
    EXPECT_EQ("Set by the program", Gallery().m_label.GetText());
    EXPECT_EQ("Set by the program", guitest::Text(Gallery().m_label.m_hWnd));
}

TEST_F(LabelTest, ColoursOnScreen)
{
    CLabelCtrl& label = Gallery().m_label;
    label.SetBkColor(kGreen).SetTextColor(kYellow).SetText("Colours");
    const pixels::Image image = Photograph(label, "label-colours");
    const int nAll = image.width * image.height;
    EXPECT_GT(image.Count(kYellow), 10);
    EXPECT_EQ(nAll, image.Count(kGreen) +
                        image.CountIf([](COLORREF c) { return c != kGreen; }, RECT{0, 0, image.width, image.height}));
    // Only the text and its anti-aliasing are not background.
    EXPECT_GT(image.Count(kGreen), nAll / 2);
    EXPECT_EQ(kGreen, image.At(image.width - 1, image.height - 1));
    EXPECT_EQ(kGreen, image.At(0, 0));

    // Without a background colour the label shows the dialog face.
    Gallery().m_labelRight.SetTextColor(kNavy);
    const pixels::Image face = Photograph(Gallery().m_labelRight);
    EXPECT_EQ(::GetSysColor(COLOR_3DFACE), face.At(0, 0));
    EXPECT_GT(face.Count(kNavy), 10);
    // Right-aligned: the text ends near the right edge.
    const RECT text = face.Bounds(kNavy);
    EXPECT_GT(text.left, face.width / 2);
}

TEST_F(LabelTest, FontsChangeTheDescriptionAndTheText)
{
    CLabelCtrl& label = Gallery().m_label;
    label.SetBkColor(kWhite).SetTextColor(RGB(0, 0, 0)).SetText("Hg");
    const int nNormalHeight = Photograph(label).Bounds(RGB(0, 0, 0)).bottom;

    label.SetFontName("Tahoma").SetFontBold(TRUE).SetFontSize(14).SetFontItalic(1).SetFontUnderline(1);
    const LOGFONT& lf = label.GetLogFontDescription();
    EXPECT_EQ(FW_BOLD, lf.lfWeight);
    EXPECT_EQ(PointHeight(14), lf.lfHeight);
    EXPECT_EQ(1, lf.lfItalic);
    EXPECT_EQ(1, lf.lfUnderline);
    EXPECT_STREQ("Tahoma", lf.lfFaceName);
    const pixels::Image big = Photograph(label, "label-font-14-bold");
    EXPECT_GT(big.Bounds(RGB(0, 0, 0)).bottom - big.Bounds(RGB(0, 0, 0)).top, nNormalHeight);

    // A face name longer than the description holds is cut, never written past it.
    label.SetFontName("An extraordinarily long face name of more than thirty-one characters");
    EXPECT_EQ(31u, strnlen(label.GetLogFontDescription().lfFaceName, LF_FACESIZE));
    label.SetFontBold(FALSE);
    EXPECT_EQ(FW_NORMAL, label.GetLogFontDescription().lfWeight);
}

// 40 pixels: 40 bands of one pixel; 1000 pixels: 100 bands of ten, the last one reaching the right edge; every
// row down to the bottom is filled.
TEST_F(LabelTest, GradientBands)
{
    const struct {
        int width;
        int bandWidth;
    } cases[] = {{40, 1}, {1000, 10}, {1005, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        HDC hScreen = ::GetDC(nullptr);
        CDC dc;
        ASSERT_TRUE(dc.Attach(::CreateCompatibleDC(hScreen)));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.Attach(::CreateCompatibleBitmap(hScreen, c.width, 6)));
        ::ReleaseDC(nullptr, hScreen);
        HGDIOBJ hOld = dc.SelectObject(bitmap.m_hObject);
        const RECT fill = {0, 0, c.width, 6};
        dc.FillSolidRect(&fill, RGB(1, 2, 3));
        CLabelCtrl::DrawGradient(&dc, fill, RGB(0, 0, 0), RGB(200, 100, 0), CLabelCtrl::kGradientBands);
        const pixels::Image image = pixels::CaptureDC(dc.m_hDC, fill);
        dc.SelectObject(hOld);

        EXPECT_EQ(0, image.Count(RGB(1, 2, 3)));
        int nBands = 1;
        for (int x = 1; x < c.width; ++x) {
            if (image.At(x, 0) != image.At(x - 1, 0))
                ++nBands;
            ASSERT_EQ(image.At(x, 0), image.At(x, 5));
        }
        const int nExpected = c.width < CLabelCtrl::kGradientBands ? c.width : CLabelCtrl::kGradientBands;
        EXPECT_EQ(nExpected, nBands);
        EXPECT_EQ(RGB(0, 0, 0), image.At(0, 0));
        EXPECT_EQ(image.At(0, 0), image.At(c.bandWidth - 1, 0));
        EXPECT_NE(image.At(0, 0), image.At(c.bandWidth, 0));
        // The last band: its start colour runs to the right edge.
        const int nLastStart = (nExpected - 1) * c.bandWidth;
        EXPECT_EQ(image.At(nLastStart, 0), image.At(c.width - 1, 0));
        const int nStep = 200 * 256 / nExpected;
        EXPECT_EQ(static_cast<int>(GetRValue(image.At(c.width - 1, 0))), nStep * (nExpected - 1) / 256);
    }
}

TEST_F(LabelTest, GradientBackgroundOnScreen)
{
    CLabelCtrl& label = Gallery().m_labelGradient;
    label.SetBkColor(RGB(255, 0, 0), RGB(0, 0, 255), TRUE).SetTextColor(kWhite);
    const pixels::Image image = Photograph(label, "label-gradient");
    EXPECT_GT(GetRValue(image.At(0, image.height - 1)), 240);
    EXPECT_LT(GetBValue(image.At(0, image.height - 1)), 15);
    EXPECT_GT(GetBValue(image.At(image.width - 1, image.height - 1)), 230);
    EXPECT_LT(GetRValue(image.At(image.width - 1, image.height - 1)), 25);
}

// SS_CENTERIMAGE: single-line text centred both ways; with "\r\n" centred horizontally only, from the top.
TEST_F(LabelTest, CentredText)
{
    const struct {
        DWORD style;
        const char* text;
        UINT flags;
    } flagCases[] = {
        {SS_LEFT, "a", DT_LEFT | DT_WORDBREAK},
        {SS_CENTER, "a", DT_CENTER | DT_WORDBREAK},
        {SS_RIGHT, "a\tb", DT_RIGHT | DT_WORDBREAK | DT_EXPANDTABS},
        {SS_LEFTNOWORDWRAP, "a", DT_LEFT},
        {SS_SIMPLE, "a", DT_LEFT | DT_WORDBREAK},
        {SS_CENTER | SS_CENTERIMAGE, "a", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        {SS_LEFT | SS_CENTERIMAGE, "a\r\nb", DT_CENTER},
    };
    for (const auto& c : flagCases)
        EXPECT_EQ(c.flags, CLabelCtrl::GetDrawTextFlags(c.style, c.text, FALSE)) << c.text;
    EXPECT_EQ(DT_LEFT | DT_WORDBREAK | DT_NOPREFIX, CLabelCtrl::GetDrawTextFlags(SS_LEFT, "&a", TRUE));

    CLabelCtrl& label = Gallery().m_labelCenter;
    label.SetBkColor(kWhite).SetTextColor(kNavy);
    const pixels::Image single = Photograph(label, "label-centred");
    const RECT rcSingle = single.Bounds(kNavy);
    EXPECT_NEAR(single.width - rcSingle.right, rcSingle.left, 2);
    EXPECT_NEAR(single.height - rcSingle.bottom, rcSingle.top, 3);

    label.SetText("First line\r\nSecond");
    const pixels::Image twoLines = Photograph(label, "label-centred-two-lines");
    const RECT rcTwo = twoLines.Bounds(kNavy);
    EXPECT_LT(rcTwo.top, rcSingle.top);
    EXPECT_LT(rcTwo.top, 4);
}

TEST_F(LabelTest, ThreeDAndRotation)
{
    CLabelCtrl& label = Gallery().m_labelFlash;
    label.SetBkColor(kWhite).SetTextColor(kNavy).Set3DHighlightColor(RGB(255, 0, 255)).SetText3D(TRUE, 1);
    const pixels::Image raised = Photograph(label, "label-3d");
    EXPECT_GT(raised.Count(RGB(255, 0, 255)), 5);
    EXPECT_GT(raised.Count(kNavy), 0);

    label.SetText3D(FALSE).SetRotationAngle(90, TRUE);
    EXPECT_EQ(900, label.GetLogFontDescription().lfEscapement);
    EXPECT_EQ(900, label.GetLogFontDescription().lfOrientation);
    const pixels::Image rotated = Photograph(label, "label-rotated");
    EXPECT_EQ(0, rotated.Count(RGB(255, 0, 255)));
    EXPECT_GT(rotated.Count(kNavy), 0);
}

// Text blinking on a solid background of colour C alternates between C and the text colour at each timer tick.
TEST_F(LabelTest, BlinkingText)
{
    CLabelCtrl& label = Gallery().m_labelFlash;
    label.SetBkColor(kGreen).SetTextColor(kYellow).FlashText(TRUE);
    EXPECT_EQ(CLabelCtrl::flashText, label.GetFlashKind());
    EXPECT_EQ(0, Photograph(label, "label-blink-hidden").Count(kYellow));
    ::SendMessage(label.m_hWnd, WM_TIMER, CLabelCtrl::kBlinkTimerId, 0);
    EXPECT_GT(Photograph(label, "label-blink-shown").Count(kYellow), 5);
    ::SendMessage(label.m_hWnd, WM_TIMER, CLabelCtrl::kBlinkTimerId, 0);
    EXPECT_EQ(0, Photograph(label).Count(kYellow));

    // Stopping shows the text again for good; the timer is gone.
    label.FlashText(FALSE);
    EXPECT_EQ(CLabelCtrl::flashNone, label.GetFlashKind());
    EXPECT_GT(Photograph(label).Count(kYellow), 5);
    EXPECT_FALSE(::KillTimer(label.m_hWnd, CLabelCtrl::kBlinkTimerId));

    // Background blinking keeps the text visible in both phases.
    label.FlashBackground(TRUE);
    EXPECT_EQ(CLabelCtrl::flashBackground, label.GetFlashKind());
    ::SendMessage(label.m_hWnd, WM_TIMER, CLabelCtrl::kBlinkTimerId, 0);
    EXPECT_GT(Photograph(label).Count(kYellow), 5);
    EXPECT_TRUE(::KillTimer(label.m_hWnd, CLabelCtrl::kBlinkTimerId));
}

// Without a solid background the hidden phase takes the dialog face colour.
TEST_F(LabelTest, BlinkingOnTheDialogFace)
{
    CLabelCtrl& label = Gallery().m_labelRight;
    label.SetTextColor(kNavy).FlashText(TRUE);
    const pixels::Image hidden = Photograph(label);
    EXPECT_EQ(0, hidden.Count(kNavy));
    EXPECT_EQ(hidden.width * hidden.height, hidden.Count(::GetSysColor(COLOR_3DFACE)));
    label.FlashText(FALSE);
}

TEST_F(LabelTest, Clicks)
{
    CShellRecorder shell;
    CLabelCtrl& label = Gallery().m_labelLink;

    // Notify: only the parent hears of it.
    label.SetLink(TRUE, TRUE);
    EXPECT_TRUE(label.GetStyle() & SS_NOTIFY);
    Click(label);
    ASSERT_EQ(1u, Gallery().m_labelClicks.size());
    EXPECT_EQ(static_cast<UINT>(IDC_G_LABEL_LINK), Gallery().m_labelClicks[0]);
    EXPECT_TRUE(shell.calls.empty());

    // A link without URL opens its window text.
    label.SetLink(TRUE, FALSE);
    Click(label);
    ASSERT_EQ(1u, shell.calls.size());
    EXPECT_EQ("open", shell.calls[0].verb);
    EXPECT_EQ("http://label.example/", shell.calls[0].file);
    EXPECT_EQ(SW_SHOWNORMAL, shell.calls[0].nShowCmd);

    label.SetLinkUrl("http://other.example/page");
    Click(label);
    ASSERT_EQ(2u, shell.calls.size());
    EXPECT_EQ("http://other.example/page", shell.calls[1].file);

    label.SetText("support@tavisk.example").SetMailLink(TRUE, FALSE);
    Click(label);
    ASSERT_EQ(3u, shell.calls.size());
    EXPECT_EQ("(null)", shell.calls[2].verb);
    EXPECT_EQ("mailto:support@tavisk.example", shell.calls[2].file);

    label.SetMailLink(FALSE, FALSE);
    EXPECT_FALSE(label.GetStyle() & SS_NOTIFY);
    Click(label);
    EXPECT_EQ(3u, shell.calls.size());
    EXPECT_EQ(1u, Gallery().m_labelClicks.size());
}

TEST_F(LabelTest, StylesAndCursor)
{
    CLabelCtrl& label = Gallery().m_label;
    label.SetSunken(TRUE).SetBorder(TRUE).SetNoPrefix(TRUE).SetTransparent(TRUE);
    EXPECT_TRUE(label.GetExStyle() & WS_EX_STATICEDGE);
    EXPECT_TRUE(label.GetStyle() & WS_BORDER);
    EXPECT_TRUE(label.GetStyle() & SS_NOPREFIX);
    EXPECT_TRUE(label.GetExStyle() & WS_EX_TRANSPARENT);
    PhotographGallery("gallery-label-styles");
    label.SetSunken(FALSE).SetBorder(FALSE).SetNoPrefix(FALSE).SetTransparent(FALSE);
    EXPECT_FALSE(label.GetExStyle() & WS_EX_STATICEDGE);
    EXPECT_FALSE(label.GetStyle() & WS_BORDER);
    EXPECT_FALSE(label.GetStyle() & SS_NOPREFIX);
    EXPECT_FALSE(label.GetExStyle() & WS_EX_TRANSPARENT);

    HCURSOR hCross = ::LoadCursor(nullptr, IDC_CROSS);
    label.SetLinkCursor(hCross);
    EXPECT_TRUE(::SendMessage(label.m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(label.m_hWnd),
                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(hCross, ::GetCursor());
}

} // namespace
