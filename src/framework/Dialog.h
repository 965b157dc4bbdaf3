// src/framework/Dialog.h
// CDialog: a dialog box from a template in the resources, modal (DoModal, with the layer's own modal loop) or
// modeless (Create). Its window procedure is the layer's (AfxWndProc), so message-map handlers return their result
// directly; the dialog manager's procedure only runs the default handling.
#ifndef TAVISK_FRAMEWORK_DIALOG_H
#define TAVISK_FRAMEWORK_DIALOG_H

#include "framework/DataExchange.h"
#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally and returns what EndDialog was given, or -1 when the window could not be created or
    // was destroyed without EndDialog (DestroyWindow in OnInitDialog, for instance). The owner is the parent's
    // top-level window, or the main window when no parent was given; it is disabled while the dialog runs.
    virtual INT_PTR DoModal();

    // Creates the dialog modeless; parent null = the application's main window. FALSE when the window does not exist
    // afterwards.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    BOOL Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // Modal: ends the modal loop with nResult. Modeless: hides the dialog.
    void EndDialog(int nResult);

    // The base runs UpdateData(FALSE) (so DDX_Control binds the controls) and returns TRUE (focus to the first
    // control).
    virtual BOOL OnInitDialog();
    // The base validates and saves the data (UpdateData(TRUE)) and ends the dialog with IDOK.
    virtual void OnOK();
    // The base ends the dialog with IDCANCEL.
    virtual void OnCancel();

    BOOL PreTranslateMessage(MSG* pMsg) override;

    void GotoDlgCtrl(CWnd* pWndCtrl);
    void NextDlgCtrl() const { ::SendMessage(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessage(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void SetDefID(UINT nID) { ::SendMessage(m_hWnd, DM_SETDEFID, nID, 0); }
    DWORD GetDefID() const { return static_cast<DWORD>(::SendMessage(m_hWnd, DM_GETDEFID, 0, 0)); }

    // TRUE while DoModal runs for this object.
    BOOL IsModal() const { return m_bModal; }

    CWnd* m_pParentWnd = nullptr;
    UINT m_nIDTemplate = 0;

protected:
    BOOL OnLayerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;
    // The window a modal dialog (or sheet) is owned by and disables while it runs.
    HWND ModalOwner() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LPCTSTR TemplateName() const;
    HWND CreateFromTemplate(HWND hWndParent);
    void RunModalLoop();

    CString m_strTemplateName; // for a template named by string
    bool m_bModal = false;
    bool m_bEndModal = false;
    int m_nModalResult = -1;
};

#endif
