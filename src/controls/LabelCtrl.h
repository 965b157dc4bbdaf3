// src/controls/LabelCtrl.h
// CLabelCtrl: a static text control with its own painting: text and background colours, a left-to-right
// gradient, a font changed face by face (bold, italic, underline, size, rotation), sunken edge or border,
// transparency, blinking, a 3-D look, and clicks that open a URL, start an e-mail or notify the parent.
// Bind it to a static of a dialog with DDX_Control. Every setter returns the control, so calls can be chained:
//
//     m_heading.SetFontBold(TRUE).SetFontSize(14).SetText(strTitle);
#ifndef TAVISK_CONTROLS_LABELCTRL_H
#define TAVISK_CONTROLS_LABELCTRL_H

#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "framework/String.h"
#include "framework/Wnd.h"

// Notification code of the WM_NOTIFY a click sends to the parent when the label notifies instead of opening its
// link; idFrom and wParam are the label's control id.
const UINT NM_LABELCLICKED = 0x8200;

class CLabelCtrl : public CStatic {
public:
    // The text field holds this until SetText or the first paint, which takes the window text in its place.
    static const char kTextPlaceholder[];

    enum LinkKind {
        linkNone = 0,
        linkUrl = 1,
        linkMail = 2
    };
    enum FlashKind {
        flashNone = 0,
        flashText = 1,
        flashBackground = 2
    };
    enum {
        kBlinkTimerId = 1,
        kBlinkPeriodMs = 500,
        kGradientBands = 100
    };

    CLabelCtrl();
    ~CLabelCtrl() override;

    virtual CLabelCtrl& SetBkColor(COLORREF crBkgnd, COLORREF crGradientEnd = 0, BOOL bGradient = FALSE);
    virtual CLabelCtrl& SetTextColor(COLORREF crText);
    // Also becomes the window text, so that other programs reading the control see what it shows.
    virtual CLabelCtrl& SetText(const CString& strText);
    virtual CString GetText() const;
    virtual void GetText(CString& rText) const;
    virtual CLabelCtrl& SetFontBold(BOOL bBold);
    virtual CLabelCtrl& SetFontName(const CString& strFont, BYTE byCharSet = ANSI_CHARSET);
    virtual CLabelCtrl& SetFontUnderline(BYTE bUnderline);
    virtual CLabelCtrl& SetFontItalic(BYTE bItalic);
    virtual CLabelCtrl& SetFontSize(int nPoints);
    virtual CLabelCtrl& SetSunken(BOOL bSunken);
    virtual CLabelCtrl& SetBorder(BOOL bBorder);
    virtual CLabelCtrl& SetTransparent(BOOL bTransparent);
    virtual CLabelCtrl& FlashText(BOOL bActivate);
    virtual CLabelCtrl& FlashBackground(BOOL bActivate);
    virtual CLabelCtrl& SetLink(BOOL bLink, BOOL bNotifyParent);
    virtual CLabelCtrl& SetLinkCursor(HCURSOR hCursor);
    virtual CLabelCtrl& SetText3D(BOOL b3D, int nDirection = 0);
    virtual CLabelCtrl& SetRotationAngle(int nAngle, BOOL bRotation);
    virtual CLabelCtrl& Set3DHighlightColor(COLORREF crHighlight);
    virtual CLabelCtrl& SetLogFont(LOGFONT logFont);
    virtual CLabelCtrl& SetMailLink(BOOL bMail, BOOL bNotifyParent);
    virtual CLabelCtrl& SetLinkUrl(const CString& strUrl);
    virtual CLabelCtrl& SetNoPrefix(BOOL bNoPrefix);

    // Recreates the font from the font description, without redrawing.
    void ReconstructFont();

    // Fills rc from crFrom on the left to crTo on the right in at most nBands bands (no more than the width in
    // pixels), each channel stepping in 8.8 fixed point; the last band reaches the right edge.
    static void DrawGradient(CDC* pDC, const RECT& rc, COLORREF crFrom, COLORREF crTo, int nBands);
    // The DrawText flags that painting uses for a static of this style and text.
    static UINT GetDrawTextFlags(DWORD dwStyle, const CString& strText, BOOL bNoPrefix);

    const LOGFONT& GetLogFontDescription() const { return m_lf; }
    COLORREF GetTextColor() const { return m_crText; }
    int GetLinkKind() const { return m_nLinkKind; }
    int GetFlashKind() const { return m_nFlashKind; }
    BOOL GetFlashPhase() const { return m_bFlashPhase; }

    BEGIN_MSG_MAP(CLabelCtrl)
    ON_WM_TIMER()
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownMsg)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursorMsg)
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChangeMsg)
    ON_WM_PAINT()
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMsg)
    END_MSG_MAP()

protected:
    void PreSubclassWindow() override;

    void OnTimer(UINT_PTR nIDEvent);
    void OnPaint();
    LRESULT OnLButtonDownMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursorMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSysColorChangeMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBkgndMsg(WPARAM wParam, LPARAM lParam);

private:
    void Redraw();
    void RebuildFont();
    void StopBlinkTimer();
    // Sets or clears the style bits on the window, when there is one.
    void SwitchStyle(DWORD dwStyle, BOOL bOn, UINT nFlags = 0);
    void SwitchStyleEx(DWORD dwExStyle, BOOL bOn, UINT nFlags = 0);
    CLabelCtrl& SetLinkKind(int nKind, BOOL bOn, BOOL bNotifyParent);
    // The colour of the hidden blink phase: the solid background's, else the dialog face colour.
    COLORREF HiddenTextColor() const;
    void PaintContent(CDC* pDC, const RECT& rcClient);

    COLORREF m_crText;
    COLORREF m_crHighlight;
    CBrushOwner m_faceBrush; // the dialog face colour: the default background
    CBrushOwner m_bkBrush;   // solid background colour, only without gradient
    LOGFONT m_lf;
    CFontOwner m_font;
    BOOL m_bFlashPhase;
    BOOL m_bTimerStarted;
    int m_nLinkKind;
    BOOL m_bTransparent;
    BOOL m_b3D;
    BOOL m_bNotifyParent;
    BOOL m_bRotation;
    BOOL m_bNoPrefix;
    int m_nFlashKind;
    HCURSOR m_hLinkCursor;
    int m_n3DDirection;
    BOOL m_bGradient;
    COLORREF m_crGradientEnd;
    COLORREF m_crBkColor;
    CString m_strUrl;
    CString m_strText;
};

#endif
