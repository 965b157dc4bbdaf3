// src/framework/ListCtrl.h
// CListCtrl: a thin wrapper of the list-view common control in report view; each method is the control message of
// the same name.
#ifndef TAVISK_FRAMEWORK_LISTCTRL_H
#define TAVISK_FRAMEWORK_LISTCTRL_H

#include "framework/String.h"
#include "framework/Wnd.h"

#include <commctrl.h>

class CListCtrl : public CWnd {
public:
    int InsertColumn(int nCol, LPCTSTR lpszHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1)
    {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM | (nWidth >= 0 ? LVCF_WIDTH : 0);
        column.fmt = nFormat;
        column.cx = nWidth;
        column.pszText = const_cast<LPSTR>(lpszHeading);
        column.iSubItem = nCol;
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, nCol, reinterpret_cast<LPARAM>(&column)));
    }
    DWORD SetExtendedStyle(DWORD dwNewStyle)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle));
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int InsertItem(int nItem, LPCTSTR lpszItem)
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = nItem;
        item.pszText = const_cast<LPSTR>(lpszItem);
        return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    BOOL SetItemText(int nItem, int nSubItem, LPCTSTR lpszText)
    {
        LVITEMA item = {};
        item.iSubItem = nSubItem;
        item.pszText = const_cast<LPSTR>(lpszText);
        return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, nItem, reinterpret_cast<LPARAM>(&item)));
    }
    CString GetItemText(int nItem, int nSubItem) const
    {
        char szText[512] = {};
        LVITEMA item = {};
        item.iSubItem = nSubItem;
        item.pszText = szText;
        item.cchTextMax = sizeof szText;
        SendMessage(LVM_GETITEMTEXTA, nItem, reinterpret_cast<LPARAM>(&item));
        return szText;
    }
    BOOL SetItemData(int nItem, DWORD_PTR dwData)
    {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = nItem;
        item.lParam = static_cast<LPARAM>(dwData);
        return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    DWORD_PTR GetItemData(int nItem) const
    {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = nItem;
        SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return static_cast<DWORD_PTR>(item.lParam);
    }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask)
    {
        LVITEMA item = {};
        item.state = nState;
        item.stateMask = nMask;
        return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, nItem, reinterpret_cast<LPARAM>(&item)));
    }
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, nItem, nMask));
    }
    // The check state kept in the item's state-image index (1 unchecked, 2 checked), drawn only with check boxes.
    BOOL SetCheck(int nItem, BOOL bCheck = TRUE)
    {
        return SetItemState(nItem, INDEXTOSTATEIMAGEMASK(bCheck ? 2 : 1), LVIS_STATEIMAGEMASK);
    }
    BOOL GetCheck(int nItem) const { return (GetItemState(nItem, LVIS_STATEIMAGEMASK) >> 12) == 2; }
};

#endif
