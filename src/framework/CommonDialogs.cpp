// src/framework/CommonDialogs.cpp
#include "framework/CommonDialogs.h"

#include "framework/App.h"
#include "framework/DialogHooks.h"
#include "framework/Wnd.h"

#include <cstddef>
#include <cstring>

// The 32-bit layouts the program was written against (x86-64 test builds have their own).
static_assert(sizeof(void*) != 4 || (sizeof(PRINTDLGA) == 66), "PRINTDLGA must have its packed 32-bit layout");
static_assert(sizeof(void*) != 4 || (offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76),
              "the original OPENFILENAMEA is 76 bytes");

namespace {

// The owner of a common dialog: the parent's top-level window, else the program's active window, else the main
// window.
HWND CommonDialogOwner(CWnd* pParentWnd)
{
    HWND hWnd = pParentWnd != nullptr ? pParentWnd->m_hWnd : ::GetActiveWindow();
    if (hWnd == nullptr) {
        CWnd* pMain = AfxGetMainWnd();
        hWnd = pMain != nullptr ? pMain->m_hWnd : nullptr;
    }
    while (hWnd != nullptr && (::GetWindowLongPtr(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    return hWnd;
}

} // namespace

// ---- CFileDialog ----

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
                         LPCTSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd)
{
    std::memset(&m_ofn, 0, sizeof(m_ofn));
    std::memset(m_szFileName, 0, sizeof(m_szFileName));
    std::memset(m_szFileTitle, 0, sizeof(m_szFileTitle));
    m_ofn.lStructSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(m_ofn.lpTemplateName);
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof(m_szFileName);
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof(m_szFileTitle);
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    if (lpszDefExt != nullptr) {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFileName != nullptr)
        lstrcpynA(m_szFileName, lpszFileName, sizeof(m_szFileName));
    if (lpszFilter != nullptr) {
        m_filter = lpszFilter;
        for (char& ch : m_filter) {
            if (ch == '|')
                ch = '\0';
        }
        m_filter.push_back('\0');
        m_ofn.lpstrFilter = m_filter.c_str();
    }
}

INT_PTR CFileDialog::DoModal()
{
    m_ofn.hwndOwner = CommonDialogOwner(m_pParentWnd);
    m_ofn.lpstrFile = m_szFileName;
    const DialogHooks* pHooks = GetDialogHooks();
    if (pHooks != nullptr && pHooks->pfnChooseFile != nullptr) {
        CString strPath = m_szFileName;
        if (!pHooks->pfnChooseFile(pHooks->pContext, m_bOpenFileDialog, m_ofn, strPath))
            return IDCANCEL;
        lstrcpynA(m_szFileName, strPath, sizeof(m_szFileName));
    } else {
        BOOL bOK = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
        if (!bOK)
            return IDCANCEL;
    }
    m_strPathName = m_szFileName;
    return IDOK;
}

CString CFileDialog::GetFileName() const
{
    int nSlash = m_strPathName.ReverseFind('\\');
    int nForward = m_strPathName.ReverseFind('/');
    if (nForward > nSlash)
        nSlash = nForward;
    return m_strPathName.Mid(nSlash + 1);
}

CString CFileDialog::GetFileExt() const
{
    CString strName = GetFileName();
    int nDot = strName.ReverseFind('.');
    return nDot >= 0 ? strName.Mid(nDot + 1) : CString();
}

CString CFileDialog::GetFileTitle() const
{
    CString strName = GetFileName();
    int nDot = strName.ReverseFind('.');
    return nDot >= 0 ? strName.Left(nDot) : strName;
}

// ---- CPrintDialog ----

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd) : m_pParentWnd(pParentWnd)
{
    std::memset(&m_pd, 0, sizeof(m_pd));
    m_pd.lStructSize = sizeof(m_pd);
    m_pd.Flags = dwFlags | (bPrintSetupOnly ? PD_PRINTSETUP : PD_RETURNDC);
}

CPrintDialog::~CPrintDialog()
{
    ReleaseDeviceBlocks();
}

void CPrintDialog::ReleaseDeviceBlocks()
{
    if (m_pd.hDevMode != nullptr)
        ::GlobalFree(m_pd.hDevMode);
    if (m_pd.hDevNames != nullptr)
        ::GlobalFree(m_pd.hDevNames);
    m_pd.hDevMode = nullptr;
    m_pd.hDevNames = nullptr;
}

INT_PTR CPrintDialog::DoModal()
{
    m_pd.hwndOwner = CommonDialogOwner(m_pParentWnd);
    const DialogHooks* pHooks = GetDialogHooks();
    BOOL bOK = (pHooks != nullptr && pHooks->pfnChoosePrinter != nullptr)
                   ? pHooks->pfnChoosePrinter(pHooks->pContext, m_pd)
                   : ::PrintDlgA(&m_pd);
    m_strDeviceName.Empty();
    if (bOK && m_pd.hDevNames != nullptr) {
        const DEVNAMES* pNames = static_cast<const DEVNAMES*>(::GlobalLock(m_pd.hDevNames));
        if (pNames != nullptr) {
            m_strDeviceName = reinterpret_cast<const char*>(pNames) + pNames->wDeviceOffset;
            ::GlobalUnlock(m_pd.hDevNames);
        }
    }
    ReleaseDeviceBlocks();
    return bOK ? IDOK : IDCANCEL;
}
