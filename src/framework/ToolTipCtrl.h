// src/framework/ToolTipCtrl.h
// CToolTipCtrl: the common tooltip control for the controls of one window. The owner relays its mouse messages
// (RelayEvent, from PreTranslateMessage) so that tips appear over child controls.
#ifndef TAVISK_FRAMEWORK_TOOLTIPCTRL_H
#define TAVISK_FRAMEWORK_TOOLTIPCTRL_H

#include "framework/Wnd.h"

#include <commctrl.h>

class CToolTipCtrl : public CWnd {
public:
    // Creates the tooltip window owned by pParentWnd. FALSE when it could not be created.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    // A tip for a child control of the owner (TTF_IDISHWND | TTF_SUBCLASS is not used: the owner relays).
    BOOL AddTool(CWnd* pWnd, LPCTSTR lpszText);
    void SetTipBkColor(COLORREF clr) { SendMessage(TTM_SETTIPBKCOLOR, clr); }
    COLORREF GetTipBkColor() const { return static_cast<COLORREF>(SendMessage(TTM_GETTIPBKCOLOR)); }
    void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, bActivate); }
    void RelayEvent(LPMSG lpMsg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(lpMsg)); }
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    // The text of the tool for pWnd ("" when there is none).
    CString GetText(CWnd* pWnd) const;
};

#endif
