// src/app/Options.h
// The Preferences sheet: COptions with the "General" page CProxy (proxy for the update check, update check at
// start-up) and the "Transfert Rate Test" page CPropTransferRate (the transfer-rate test settings). The pages edit
// only their own members; the main dialog copies the settings in before the sheet runs and out after OK.
#ifndef TAVISK_APP_OPTIONS_H
#define TAVISK_APP_OPTIONS_H

#include "controls/MaskEdit.h"
#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "framework/PropertySheet.h"
#include "framework/ToolTipCtrl.h"
#include "resource.h"
#include "update/ProxySettings.h"

#include <memory>

class CProxy : public CPropertyPage {
public:
    enum {
        IDD = IDD_PROXY
    };

    CProxy();
    ~CProxy() override;

    ProxySettings m_proxy; // the values being edited; follows every keystroke
    CEdit m_editServer;
    CEdit m_editUser;
    CEdit m_editPort;
    CEdit m_editPassword;
    CButton m_btnUseProxy;
    CString m_strPassword;
    CString m_strPort;
    CString m_strUser;
    CString m_strServer;
    std::unique_ptr<CToolTipCtrl> m_pToolTip;
    CButton m_btnAutoCheck;
    int m_bAutoCheck = FALSE;

    BOOL OnInitDialog() override;
    void OnOK() override;
    // Also refuses a port that is empty or outside 1 to 65535.
    BOOL OnKillActive() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void EnableProxyEdits(BOOL bEnable);
    void OnChangeUser();
    void OnChangePassword();
    void OnChangeServer();
    void OnChangePort();
    void OnUseProxy();
    void OnAutoCheck();

public:
    BEGIN_MSG_MAP(CProxy)
    ON_EN_CHANGE(IDC_PROXY_USER, OnChangeUser)
    ON_EN_CHANGE(IDC_PROXY_PASSWORD, OnChangePassword)
    ON_EN_CHANGE(IDC_PROXY_SERVER, OnChangeServer)
    ON_EN_CHANGE(IDC_PROXY_PORT, OnChangePort)
    ON_BN_CLICKED(IDC_USE_PROXY, OnUseProxy)
    ON_BN_CLICKED(IDC_AUTO_CHECK, OnAutoCheck)
    END_MSG_MAP()
};

class CPropTransferRate : public CPropertyPage {
public:
    enum {
        IDD = IDD_PROP_TRANSFER_RATE
    };

    CPropTransferRate();
    ~CPropTransferRate() override;

    std::unique_ptr<CFont> m_pFont;
    DWORD m_nOverburnLength = 0; // frames
    BYTE m_bOverburn = 0;
    int m_nDataFormat = 0;      // 0 CD-DA, 1 Mode1
    int m_nCdReadLength = 100;  // minutes: 84, 100 or 144
    int m_nDvdWriteLength = 0;  // kilobytes
    int m_nDvdReadLength = 0;   // kilobytes
    int m_nCdWriteLength = 100; // minutes
    BYTE m_bInitialising = 1;
    int m_nMaxDvdWrite = 0;
    BYTE m_bSimulate = 0;
    int m_nTestEveryWrite = 0;
    int m_nMaxWrite = 0;
    int m_nMaxDvdRead = 0;
    int m_nSampleLen = 0;
    int m_nTestEvery = 0;
    int m_nMaxRead = 0;
    // The edits' values; what OK hands back as the four axis maxima.
    int m_nEditMaxRead = 56;
    int m_nEditMaxDvdRead = 16;
    int m_nEditMaxWrite = 56;
    int m_nEditMaxDvdWrite = 16;
    CString m_strOverburn; // "mmm:ss.ff" as the masked edit shows it

    CComboBox m_cbSampleLen, m_cbTestEvery, m_cbCdReadLen, m_cbDvdReadLen, m_cbTestEveryWrite, m_cbCdWriteLen,
        m_cbDvdWriteLen, m_cbDataFormat;
    CSpinButtonCtrl m_spinMaxRead, m_spinMaxDvdRead, m_spinMaxWrite, m_spinMaxDvdWrite;
    CButton m_btnSimulate, m_btnOverburn;
    CMaskEdit m_editOverburn;

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void FillCombos();
    void OnSampleLen() { m_nSampleLen = m_cbSampleLen.GetCurSel(); }
    void OnTestEvery() { m_nTestEvery = m_cbTestEvery.GetCurSel(); }
    void OnTestEveryWrite() { m_nTestEveryWrite = m_cbTestEveryWrite.GetCurSel(); }
    void OnSimulate() { m_bSimulate = m_btnSimulate.GetCheck() == BST_CHECKED ? 1 : 0; }
    void OnCdReadLen();
    void OnCdWriteLen();
    void OnOverburn();
    void OnDataFormat() { m_nDataFormat = m_cbDataFormat.GetCurSel(); }
    void OnDvdReadLen();
    void OnDvdWriteLen();
    void OnChangeMaxDvdRead();
    void OnChangeMaxWrite();

public:
    BEGIN_MSG_MAP(CPropTransferRate)
    ON_CBN_SELCHANGE(IDC_PREF_SAMPLE_LEN, OnSampleLen)
    ON_CBN_SELCHANGE(IDC_PREF_TEST_EVERY, OnTestEvery)
    ON_CBN_SELCHANGE(IDC_PREF_TEST_EVERY_WRITE, OnTestEveryWrite)
    ON_BN_CLICKED(IDC_PREF_SIMULATE, OnSimulate)
    ON_CBN_SELCHANGE(IDC_PREF_CD_READ_LEN, OnCdReadLen)
    ON_CBN_SELCHANGE(IDC_PREF_CD_WRITE_LEN, OnCdWriteLen)
    ON_BN_CLICKED(IDC_PREF_OVERBURN, OnOverburn)
    ON_CBN_SELCHANGE(IDC_PREF_DATA_FORMAT, OnDataFormat)
    ON_CBN_SELCHANGE(IDC_PREF_DVD_READ_LEN, OnDvdReadLen)
    ON_CBN_SELCHANGE(IDC_PREF_DVD_WRITE_LEN, OnDvdWriteLen)
    ON_EN_CHANGE(IDC_PREF_MAX_DVD_READ, OnChangeMaxDvdRead)
    ON_EN_CHANGE(IDC_PREF_MAX_WRITE, OnChangeMaxWrite)
    END_MSG_MAP()
};

class COptions : public CPropertySheet {
public:
    COptions(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    COptions(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~COptions() override;

    CProxy m_proxyPage;
    CPropTransferRate m_transferPage;
    std::unique_ptr<CFont> m_pFont;

private:
    void Construct();
};

// The overburn length in frames as the masked edit's digits "mmmssff", and as the text "mmm:ss.ff".
CString OverburnDigits(DWORD nFrames);
CString OverburnText(DWORD nFrames);
// Frames of the text "mmm:ss.ff"; false when the text is not in that shape or gives a length the settings would not
// keep (nothing is changed then).
bool ParseOverburnText(const CString& strText, DWORD& rFrames);
// Validation of the overburn text in a data exchange (a message box and a failed exchange).
void DDV_OverburnLength(CDataExchange* pDX, const CString& strText);

#endif
