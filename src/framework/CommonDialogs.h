// src/framework/CommonDialogs.h
// The system's file and print dialogs. With a dialog hook table installed (DialogHooks.h) DoModal asks the hook
// instead of showing a window.
#ifndef TAVISK_FRAMEWORK_COMMONDIALOGS_H
#define TAVISK_FRAMEWORK_COMMONDIALOGS_H

#include "framework/String.h"

#include <windows.h>
#include <commdlg.h>
#include <string>

class CWnd;

// Open or Save As. The filter uses the class library's form, "Text files (*.txt)|*.txt|All files (*.*)|*.*||".
class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    virtual ~CFileDialog() = default;
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK with the chosen path, IDCANCEL on Cancel or failure.
    virtual INT_PTR DoModal();

    CString GetPathName() const { return m_strPathName; }
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;

    // Filled by the constructor; callers may adjust it before DoModal. The structure size is the 76-byte form
    // that every Windows version accepts.
    OPENFILENAMEA m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    CString m_strDefExt;
    std::string m_filter; // '|' replaced by NUL
    CString m_strPathName;
    char m_szFileName[MAX_PATH * 2];
    char m_szFileTitle[MAX_PATH];
};

// The print dialog. Unless bPrintSetupOnly, it returns a printer DC (PD_RETURNDC) that the caller owns: take it
// with GetPrinterDC and delete it after printing. The device-mode and device-name blocks are released by DoModal;
// the printer's name stays available through GetDeviceName.
class CPrintDialog {
public:
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                                          PD_NOSELECTION,
                          CWnd* pParentWnd = nullptr);
    virtual ~CPrintDialog();
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    virtual INT_PTR DoModal();
    HDC GetPrinterDC() const { return m_pd.hDC; }
    CString GetDeviceName() const { return m_strDeviceName; }

    PRINTDLGA m_pd;

private:
    void ReleaseDeviceBlocks();

    CWnd* m_pParentWnd;
    CString m_strDeviceName;
};

#endif
