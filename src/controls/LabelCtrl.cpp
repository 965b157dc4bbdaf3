// src/controls/LabelCtrl.cpp
#include "controls/LabelCtrl.h"

#include "framework/Shell.h"

#include <cstring>

const char CLabelCtrl::kTextPlaceholder[] = "LEGEREGEL";

namespace {

const UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

}

CLabelCtrl::CLabelCtrl()
    : m_crText(::GetSysColor(COLOR_WINDOWTEXT)), m_crHighlight(RGB(255, 255, 255)), m_lf(), m_bFlashPhase(FALSE),
      m_bTimerStarted(FALSE), m_nLinkKind(linkNone), m_bTransparent(FALSE), m_b3D(FALSE), m_bNotifyParent(FALSE),
      m_bRotation(FALSE), m_bNoPrefix(FALSE), m_nFlashKind(flashNone), m_hLinkCursor(nullptr), m_n3DDirection(0),
      m_bGradient(FALSE), m_crGradientEnd(0), m_crBkColor(0), m_strText(kTextPlaceholder)
{
    m_faceBrush.Attach(::CreateSolidBrush(::GetSysColor(COLOR_3DFACE)));
}

CLabelCtrl::~CLabelCtrl() = default;

// The font description starts as the static's own font (the dialog's, once the dialog has set it).
void CLabelCtrl::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    HGDIOBJ hFont = reinterpret_cast<HGDIOBJ>(::SendMessage(m_hWnd, WM_GETFONT, 0, 0));
    if (hFont == nullptr)
        hFont = ::GetStockObject(SYSTEM_FONT);
    ::GetObject(hFont, sizeof(m_lf), &m_lf);
    RebuildFont();
}

void CLabelCtrl::ReconstructFont()
{
    RebuildFont();
}

void CLabelCtrl::RebuildFont()
{
    m_font.Attach(::CreateFontIndirectA(&m_lf));
}

void CLabelCtrl::Redraw()
{
    if (IsWindow())
        RedrawWindow(nullptr, nullptr, kRedrawFlags);
}

// Without gradient the background is a solid brush of the colour.
CLabelCtrl& CLabelCtrl::SetBkColor(COLORREF crBkgnd, COLORREF crGradientEnd, BOOL bGradient)
{
    m_crBkColor = crBkgnd;
    m_crGradientEnd = crGradientEnd;
    m_bGradient = bGradient;
    m_bkBrush.Attach(bGradient ? nullptr : ::CreateSolidBrush(crBkgnd));
    Redraw();
    return *this;
}

CLabelCtrl& CLabelCtrl::SetTextColor(COLORREF crText)
{
    m_crText = crText;
    Redraw();
    return *this;
}

CLabelCtrl& CLabelCtrl::SetText(const CString& strText)
{
    m_strText = strText;
    if (IsWindow())
        SetWindowText(strText);
    Redraw();
    return *this;
}

CString CLabelCtrl::GetText() const
{
    return m_strText;
}

void CLabelCtrl::GetText(CString& rText) const
{
    rText = m_strText;
}

CLabelCtrl& CLabelCtrl::SetFontBold(BOOL bBold)
{
    m_lf.lfWeight = bBold ? FW_BOLD : FW_NORMAL;
    RebuildFont();
    Redraw();
    return *this;
}

// The face name is cut to what the font description holds.
CLabelCtrl& CLabelCtrl::SetFontName(const CString& strFont, BYTE byCharSet)
{
    m_lf.lfCharSet = byCharSet;
    std::memset(m_lf.lfFaceName, 0, sizeof(m_lf.lfFaceName));
    lstrcpynA(m_lf.lfFaceName, strFont, LF_FACESIZE);
    RebuildFont();
    Redraw();
    return *this;
}

CLabelCtrl& CLabelCtrl::SetFontUnderline(BYTE bUnderline)
{
    m_lf.lfUnderline = bUnderline;
    RebuildFont();
    Redraw();
    return *this;
}

CLabelCtrl& CLabelCtrl::SetFontItalic(BYTE bItalic)
{
    m_lf.lfItalic = bItalic;
    RebuildFont();
    Redraw();
    return *this;
}

// The height and width of a point font of that size on the screen, in the current face.
CLabelCtrl& CLabelCtrl::SetFontSize(int nPoints)
{
    CFont pointFont;
    if (pointFont.CreatePointFont(nPoints * 10, m_lf.lfFaceName, nullptr)) {
        LOGFONT lf;
        pointFont.GetLogFont(&lf);
        m_lf.lfHeight = lf.lfHeight;
        m_lf.lfWidth = lf.lfWidth;
    }
    RebuildFont();
    Redraw();
    return *this;
}

CLabelCtrl& CLabelCtrl::SetSunken(BOOL bSunken)
{
    SwitchStyleEx(WS_EX_STATICEDGE, bSunken, SWP_FRAMECHANGED);
    return *this;
}

CLabelCtrl& CLabelCtrl::SetBorder(BOOL bBorder)
{
    SwitchStyle(WS_BORDER, bBorder, SWP_FRAMECHANGED);
    return *this;
}

CLabelCtrl& CLabelCtrl::SetTransparent(BOOL bTransparent)
{
    m_bTransparent = bTransparent;
    SwitchStyleEx(WS_EX_TRANSPARENT, bTransparent);
    Redraw();
    return *this;
}

void CLabelCtrl::SwitchStyle(DWORD dwStyle, BOOL bOn, UINT nFlags)
{
    if (IsWindow())
        ModifyStyle(bOn ? 0 : dwStyle, bOn ? dwStyle : 0, nFlags);
}

void CLabelCtrl::SwitchStyleEx(DWORD dwExStyle, BOOL bOn, UINT nFlags)
{
    if (IsWindow())
        ModifyStyleEx(bOn ? 0 : dwExStyle, bOn ? dwExStyle : 0, nFlags);
}

void CLabelCtrl::StopBlinkTimer()
{
    if (m_bTimerStarted && IsWindow())
        KillTimer(kBlinkTimerId);
    m_bTimerStarted = FALSE;
}

// Blinking ends with the text shown again.
CLabelCtrl& CLabelCtrl::FlashText(BOOL bActivate)
{
    StopBlinkTimer();
    if (bActivate) {
        m_bFlashPhase = FALSE;
        m_bTimerStarted = TRUE;
        if (IsWindow())
            SetTimer(kBlinkTimerId, kBlinkPeriodMs);
        m_nFlashKind = flashText;
    } else {
        m_nFlashKind = flashNone;
        Redraw();
    }
    return *this;
}

// Painting reacts only to text blinking: background blinking repaints every period and shows no change.
CLabelCtrl& CLabelCtrl::FlashBackground(BOOL bActivate)
{
    StopBlinkTimer();
    if (bActivate) {
        m_bFlashPhase = FALSE;
        m_bTimerStarted = TRUE;
        if (IsWindow())
            SetTimer(kBlinkTimerId, kBlinkPeriodMs);
        m_nFlashKind = flashBackground;
    }
    return *this;
}

CLabelCtrl& CLabelCtrl::SetLinkKind(int nKind, BOOL bOn, BOOL bNotifyParent)
{
    m_nLinkKind = bOn ? nKind : linkNone;
    m_bNotifyParent = bNotifyParent;
    SwitchStyle(SS_NOTIFY, bOn);
    return *this;
}

CLabelCtrl& CLabelCtrl::SetLink(BOOL bLink, BOOL bNotifyParent)
{
    return SetLinkKind(linkUrl, bLink, bNotifyParent);
}

CLabelCtrl& CLabelCtrl::SetLinkCursor(HCURSOR hCursor)
{
    m_hLinkCursor = hCursor;
    return *this;
}

CLabelCtrl& CLabelCtrl::SetText3D(BOOL b3D, int nDirection)
{
    m_b3D = b3D;
    m_n3DDirection = nDirection;
    Redraw();
    return *this;
}

CLabelCtrl& CLabelCtrl::SetRotationAngle(int nAngle, BOOL bRotation)
{
    m_lf.lfEscapement = nAngle * 10;
    m_lf.lfOrientation = nAngle * 10;
    m_bRotation = bRotation;
    RebuildFont();
    Redraw();
    return *this;
}

CLabelCtrl& CLabelCtrl::Set3DHighlightColor(COLORREF crHighlight)
{
    m_crHighlight = crHighlight;
    Redraw();
    return *this;
}

CLabelCtrl& CLabelCtrl::SetLogFont(LOGFONT logFont)
{
    m_lf = logFont;
    RebuildFont();
    Redraw();
    return *this;
}

CLabelCtrl& CLabelCtrl::SetMailLink(BOOL bMail, BOOL bNotifyParent)
{
    return SetLinkKind(linkMail, bMail, bNotifyParent);
}

CLabelCtrl& CLabelCtrl::SetLinkUrl(const CString& strUrl)
{
    m_strUrl = strUrl;
    return *this;
}

CLabelCtrl& CLabelCtrl::SetNoPrefix(BOOL bNoPrefix)
{
    m_bNoPrefix = bNoPrefix;
    SwitchStyle(SS_NOPREFIX, bNoPrefix);
    return *this;
}

// Bands are at most one per pixel; each band is filled up to and including the rectangle's last row, and the last
// band runs to the right edge.
void CLabelCtrl::DrawGradient(CDC* pDC, const RECT& rc, COLORREF crFrom, COLORREF crTo, int nBands)
{
    const int nWidth = rc.right - rc.left;
    int nCount = nBands < nWidth ? nBands : nWidth;
    const int nDivisor = nCount < 1 ? 1 : nCount;
    const int nBandWidth = nWidth / nDivisor;
    int red = GetRValue(crFrom) * 256;
    int green = GetGValue(crFrom) * 256;
    int blue = GetBValue(crFrom) * 256;
    const int redStep = (static_cast<int>(GetRValue(crTo)) - GetRValue(crFrom)) * 256 / nDivisor;
    const int greenStep = (static_cast<int>(GetGValue(crTo)) - GetGValue(crFrom)) * 256 / nDivisor;
    const int blueStep = (static_cast<int>(GetBValue(crTo)) - GetBValue(crFrom)) * 256 / nDivisor;
    CSelectObjectGuard pen(*pDC, ::GetStockObject(NULL_PEN));
    int x = rc.left;
    for (int i = 0; i < nCount; ++i) {
        const int nEnd = i == nCount - 1 ? rc.right : x + nBandWidth;
        CSelectedBrush brush(*pDC, ::CreateSolidBrush(RGB(red / 256, green / 256, blue / 256)));
        // A rectangle drawn without a pen leaves out its right and bottom edges.
        pDC->Rectangle(x, rc.top, nEnd + 1, rc.bottom + 1);
        x = nEnd;
        red += redStep;
        green += greenStep;
        blue += blueStep;
    }
}

UINT CLabelCtrl::GetDrawTextFlags(DWORD dwStyle, const CString& strText, BOOL bNoPrefix)
{
    UINT nFlags = 0;
    switch (dwStyle & SS_TYPEMASK) {
    case SS_CENTER:
        nFlags = DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        nFlags = DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_LEFTNOWORDWRAP:
        nFlags = DT_LEFT;
        break;
    default:
        nFlags = DT_LEFT | DT_WORDBREAK;
        break;
    }
    if (strText.Find('\t') >= 0)
        nFlags |= DT_EXPANDTABS;
    if (dwStyle & SS_CENTERIMAGE) {
        if (strText.Find("\r\n") >= 0)
            nFlags = DT_CENTER;
        else
            nFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    }
    if (bNoPrefix)
        nFlags |= DT_NOPREFIX;
    return nFlags;
}

COLORREF CLabelCtrl::HiddenTextColor() const
{
    LOGBRUSH lb;
    if (m_bkBrush.IsCreated() && ::GetObjectA(m_bkBrush.get(), sizeof(lb), &lb) == sizeof(lb))
        return lb.lbColor;
    return ::GetSysColor(COLOR_3DFACE);
}

// Painted off-screen and copied in one piece, unless the label is transparent.
void CLabelCtrl::OnPaint()
{
    CPaintDC dc(this);
    RECT rcClient;
    GetClientRect(&rcClient);
    if (m_strText == kTextPlaceholder)
        GetWindowText(m_strText);
    if (m_bTransparent) {
        PaintContent(&dc, rcClient);
        return;
    }
    const int nWidth = rcClient.right - rcClient.left;
    const int nHeight = rcClient.bottom - rcClient.top;
    CDC memDC;
    CBitmap bitmap;
    if (nWidth <= 0 || nHeight <= 0 || !memDC.CreateCompatibleDC(&dc) ||
        !bitmap.CreateCompatibleBitmap(&dc, nWidth, nHeight)) {
        PaintContent(&dc, rcClient);
        return;
    }
    CSelectObjectGuard selection(memDC, bitmap.m_hObject);
    PaintContent(&memDC, rcClient);
    dc.BitBlt(0, 0, nWidth, nHeight, &memDC, 0, 0, SRCCOPY);
}

void CLabelCtrl::PaintContent(CDC* pDC, const RECT& rcClient)
{
    const int nOldMode = pDC->SetBkMode(TRANSPARENT);
    COLORREF crText = m_crText;
    CSelectObjectGuard font(*pDC, m_font.IsCreated() ? HGDIOBJ(m_font.get()) : ::GetStockObject(SYSTEM_FONT));

    if (!m_bTransparent) {
        if (m_bGradient)
            DrawGradient(pDC, rcClient, m_crBkColor, m_crGradientEnd, kGradientBands);
        else
            pDC->FillRect(&rcClient, m_bkBrush.IsCreated() ? m_bkBrush.get() : m_faceBrush.get());
    }
    if (m_nFlashKind == flashText && !m_bFlashPhase)
        crText = HiddenTextColor();
    const COLORREF crOldText = pDC->SetTextColor(crText);

    if (m_bRotation) {
        const UINT nOldAlign = pDC->SetTextAlign(TA_BASELINE | TA_CENTER);
        POINT ptOld;
        ::SetViewportOrgEx(pDC->m_hDC, (rcClient.right - rcClient.left) / 2, (rcClient.bottom - rcClient.top) / 2,
                           &ptOld);
        pDC->TextOut(0, 0, m_strText);
        ::SetViewportOrgEx(pDC->m_hDC, ptOld.x, ptOld.y, nullptr);
        pDC->SetTextAlign(nOldAlign);
    } else {
        const UINT nFlags = GetDrawTextFlags(GetStyle(), m_strText, m_bNoPrefix);
        RECT rc = rcClient;
        pDC->DrawText(m_strText, m_strText.GetLength(), &rc, nFlags);
        if (m_b3D) {
            pDC->SetTextColor(m_crHighlight);
            const int nOffset = m_n3DDirection == 0 ? -1 : 1;
            ::OffsetRect(&rc, nOffset, nOffset);
            pDC->DrawText(m_strText, m_strText.GetLength(), &rc, nFlags);
        }
    }

    pDC->SetBkMode(nOldMode);
    font.Restore();
    pDC->SetTextColor(crOldText);
}

void CLabelCtrl::OnTimer(UINT_PTR /*nIDEvent*/)
{
    m_bFlashPhase = !m_bFlashPhase;
    Redraw();
    Default();
}

LRESULT CLabelCtrl::OnSetCursorMsg(WPARAM, LPARAM)
{
    if (m_hLinkCursor == nullptr) {
        return Default();
    }
    ::SetCursor(m_hLinkCursor);
    return TRUE;
}

// A label that notifies only tells its parent. A URL link opens its URL, or its window text when it has none;
// an e-mail link starts a message to its window text.
LRESULT CLabelCtrl::OnLButtonDownMsg(WPARAM, LPARAM)
{
    if (m_bNotifyParent) {
        NMHDR nm = {};
        nm.hwndFrom = m_hWnd;
        nm.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        nm.code = NM_LABELCLICKED;
        ::SendMessage(::GetParent(m_hWnd), WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
        return 0;
    }
    CString strWindowText;
    GetWindowText(strWindowText);
    if (m_nLinkKind == linkUrl) {
        const CString& strTarget = m_strUrl.IsEmpty() ? strWindowText : m_strUrl;
        ShellExecuteCall(nullptr, "open", strTarget, nullptr, nullptr, SW_SHOWNORMAL);
    } else if (m_nLinkKind == linkMail) {
        ShellExecuteCall(nullptr, nullptr, CString("mailto:") + strWindowText, nullptr, nullptr, SW_SHOWNORMAL);
    }
    return Default();
}

LRESULT CLabelCtrl::OnSysColorChangeMsg(WPARAM, LPARAM)
{
    m_faceBrush.Attach(::CreateSolidBrush(::GetSysColor(COLOR_3DFACE)));
    Redraw();
    return 0;
}

LRESULT CLabelCtrl::OnEraseBkgndMsg(WPARAM, LPARAM)
{
    return TRUE;
}
