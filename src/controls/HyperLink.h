// src/controls/HyperLink.h
// CHyperLink: turns a static text of a dialog into a web link. The text is drawn underlined in the link colour
// (blue; red while the mouse is over it; purple once opened), the cursor is a hand over it, and a click opens the
// URL in the default web browser. The control fits its window to its text whenever it paints. Bind it to a static
// with DDX_Control, then SetURL; the owner sets the visible text with SetWindowText.
#ifndef TAVISK_CONTROLS_HYPERLINK_H
#define TAVISK_CONTROLS_HYPERLINK_H

#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "framework/String.h"
#include "framework/Wnd.h"

// The command a click posts to the link itself; it opens the URL.
const UINT ID_HYPERLINK_OPEN = 32932;

class CHyperLink : public CStatic {
public:
    enum State {
        stateNormal = 0,
        stateVisited = 1,
        stateHover = 2
    };

    CHyperLink();
    ~CHyperLink() override;

    void SetURL(const CString& strUrl) { m_strUrl = strUrl; }
    CString GetURL() const { return m_strUrl; }
    // Opens the URL with the default browser; TRUE when the shell started it.
    BOOL OpenUrl();

    void SetLinkColour(const COLORREF* pColour);
    void SetVisitedColour(const COLORREF* pColour);
    void SetHoverColour(const COLORREF* pColour);
    // Enters the hover state (remembering the state to return to) or leaves it, with a repaint.
    void SetHover(BOOL bHover);

    // Opens the URL with the browser command found so far, without looking it up.
    BOOL ShellOpen();
    BOOL CopyUrlToClipboard();
    // Saves an Internet shortcut to the URL under the path; TRUE on success.
    BOOL CreateInternetShortcut(const CString& strPath);
    // Saves an Internet shortcut named after the link text in a special folder (CSIDL_FAVORITES by default).
    BOOL AddToFavorites(int nFolder = 6);
    // Opens the URL through an Internet shortcut object.
    BOOL OpenWithShortcut();

    // The default browser's program: the stored command (looked up once per control) from the program part of
    // the registered "http" open command; empty when none is registered.
    CString GetDefaultBrowserCommand();
    // The program part of a registered command line: a leading quote or blank dropped; a quoted program up to its
    // closing quote; otherwise up to the first blank or quote after the last backslash. A program with a blank is
    // returned quoted. Empty when the program part does not fit a path buffer.
    static CString ParseBrowserCommand(const CString& strCommandLine);

    int GetState() const { return m_nState; }
    COLORREF GetCurrentColour() const;

    BEGIN_MSG_MAP(CHyperLink)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMsg)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursorMsg)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownMsg)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMsg)
    ON_WM_CTLCOLOR_REFLECT()
    ON_COMMAND(ID_HYPERLINK_OPEN, OnOpenCommand)
    ON_WM_PAINT()
    END_MSG_MAP()

protected:
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    void OnOpenCommand();
    void OnPaint();
    LRESULT OnContextMenuMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursorMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDownMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMoveMsg(WPARAM wParam, LPARAM lParam);

private:
    void LeaveHover();
    void FitToText();
    void CreateLinkFont();

    CString m_strUrl;
    HCURSOR m_hLinkCursor;
    COLORREF m_crLink;
    COLORREF m_crVisited;
    COLORREF m_crHover;
    BOOL m_bTrackHover;
    int m_nState;
    int m_nStateBeforeHover;
    CFont m_linkFont;
    CString m_strBrowserCommand;
};

#endif
