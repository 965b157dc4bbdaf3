// src/app/Options.cpp
#include "app/Options.h"

#include "framework/MessageBox.h"
#include "transfer/TransferRateSettings.h"

#include <cstdlib>

namespace {

const int kFramesPerMinute = 4500;
const int kFramesPerSecond = 75;
const int kMaxPasswordChars = 99;

const char* const kSampleChoices[] = {"5 Minutes", "2 Minutes", "1 Minute", "30 Seconds", "15 Seconds"};
const char* const kCdLengthChoices[] = {"80 Minutes", "100 Minutes", "140 Minutes"};
const int kCdLengthValues[] = {int(kCdLength80), int(kCdLength100), int(kCdLength140)};
const char* const kDvdLengthChoices[] = {"5 GB", "10 GB"};
const char* const kFormatChoices[] = {"Internal Buffer (CD-DA)", "Internal Buffer (Mode1)"};
const int kDvdLengthStep = 5 << 20; // kilobytes per "5 GB"

template <size_t N>
void Fill(CComboBox& combo, const char* const (&items)[N])
{
    combo.ResetContent();
    for (const char* item : items)
        combo.AddString(item);
}

int CdLengthIndex(int nLength)
{
    for (int i = 0; i < 3; ++i)
        if (kCdLengthValues[i] == nLength)
            return i;
    return 1;
}

int CdLengthValue(int nIndex)
{
    return nIndex >= 0 && nIndex < 3 ? kCdLengthValues[nIndex] : int(kCdLength100);
}

// "5 GB" for anything that is not a whole multiple the combo offers.
int DvdLengthIndex(int nLength)
{
    int nIndex = nLength / kDvdLengthStep - 1;
    return nIndex >= 0 && nIndex < 2 ? nIndex : 0;
}

BYTE Checked(const CButton& button)
{
    return button.GetCheck() == BST_CHECKED ? 1 : 0;
}

} // namespace

CString OverburnDigits(DWORD nFrames)
{
    CString text;
    text.Format("%03d%02d%02d", int(nFrames / kFramesPerMinute), int(nFrames % kFramesPerMinute / kFramesPerSecond),
                int(nFrames % kFramesPerSecond));
    return text;
}

CString OverburnText(DWORD nFrames)
{
    CString text;
    text.Format("%03d:%02d.%02d", int(nFrames / kFramesPerMinute), int(nFrames % kFramesPerMinute / kFramesPerSecond),
                int(nFrames % kFramesPerSecond));
    return text;
}

bool ParseOverburnText(const CString& strText, DWORD& rFrames)
{
    if (strText.GetLength() != 9 || strText[3] != ':' || strText[6] != '.')
        return false;
    for (int i = 0; i < 9; ++i)
        if (i != 3 && i != 6 && (strText[i] < '0' || strText[i] > '9'))
            return false;
    DWORD nMinutes = DWORD(std::atoi(strText.Left(3)));
    DWORD nSeconds = DWORD(std::atoi(strText.Mid(4, 2)));
    DWORD nFrames = DWORD(std::atoi(strText.Mid(7, 2)));
    const DWORD nLength = (nMinutes * 60 + nSeconds) * kFramesPerSecond + nFrames;
    if (!IsOverburnLength(nLength))
        return false;
    rFrames = nLength;
    return true;
}

// While overburning is on, the length must be one that the settings keep at the next start; otherwise the page
// stays open with a message naming the bounds.
void DDV_OverburnLength(CDataExchange* pDX, const CString& strText)
{
    DWORD nFrames = 0;
    if (!pDX->m_bSaveAndValidate || ParseOverburnText(strText, nFrames))
        return;
    AfxMessageBox("Please enter an overburn length between " + OverburnText(1) + " and " +
                      OverburnText(kOverburnLengthMax) + ".",
                  MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}

// ---------------------------------------------------------------------------------------------------------------
// The "General" page.

CProxy::CProxy() : CPropertyPage(IDD) {}

CProxy::~CProxy() = default;

void CProxy::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROXY_SERVER, m_editServer);
    DDX_Control(pDX, IDC_PROXY_USER, m_editUser);
    DDX_Control(pDX, IDC_PROXY_PORT, m_editPort);
    DDX_Control(pDX, IDC_PROXY_PASSWORD, m_editPassword);
    DDX_Control(pDX, IDC_USE_PROXY, m_btnUseProxy);
    DDX_Control(pDX, IDC_AUTO_CHECK, m_btnAutoCheck);
    DDX_Text(pDX, IDC_PROXY_PASSWORD, m_strPassword);
    DDV_MaxChars(pDX, m_strPassword, kMaxPasswordChars);
    DDX_Text(pDX, IDC_PROXY_PORT, m_strPort);
    DDX_Text(pDX, IDC_PROXY_USER, m_strUser);
    DDX_Text(pDX, IDC_PROXY_SERVER, m_strServer);
    DDX_Check(pDX, IDC_AUTO_CHECK, m_bAutoCheck);
}

void CProxy::EnableProxyEdits(BOOL bEnable)
{
    m_editPassword.EnableWindow(bEnable);
    m_editPort.EnableWindow(bEnable);
    m_editServer.EnableWindow(bEnable);
    m_editUser.EnableWindow(bEnable);
}

BOOL CProxy::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_btnUseProxy.SetCheck(m_proxy.useProxy ? BST_CHECKED : BST_UNCHECKED);
    EnableProxyEdits(m_proxy.useProxy ? TRUE : FALSE);
    m_strPassword = m_proxy.password;
    m_strPort.Format("%d", int(m_proxy.port));
    m_strServer = m_proxy.server;
    m_strUser = m_proxy.user;
    m_btnAutoCheck.SetCheck(m_bAutoCheck ? BST_CHECKED : BST_UNCHECKED);
    // An empty tooltip control, as a place for tips of the page's controls.
    if (!m_pToolTip) {
        m_pToolTip.reset(new CToolTipCtrl);
        m_pToolTip->Create(this);
    }
    UpdateData(FALSE);
    return TRUE;
}

void CProxy::OnChangeUser()
{
    UpdateData(TRUE);
    m_proxy.user = m_strUser;
}

void CProxy::OnChangePassword()
{
    UpdateData(TRUE);
    m_proxy.password = m_strPassword;
}

void CProxy::OnChangeServer()
{
    UpdateData(TRUE);
    m_proxy.server = m_strServer;
}

void CProxy::OnChangePort()
{
    UpdateData(TRUE);
    m_proxy.port = DWORD(std::strtoul(m_strPort, nullptr, 10));
}

void CProxy::OnUseProxy()
{
    UpdateData(TRUE);
    m_proxy.useProxy = m_btnUseProxy.GetCheck() == BST_CHECKED ? TRUE : FALSE;
    EnableProxyEdits(m_proxy.useProxy);
}

void CProxy::OnAutoCheck()
{
    m_bAutoCheck = m_btnAutoCheck.GetCheck() == BST_CHECKED ? TRUE : FALSE;
}

// A port the update check could not use is refused here rather than stored as 0.
BOOL CProxy::OnKillActive()
{
    if (!CPropertyPage::OnKillActive())
        return FALSE;
    CDataExchange dx(this, TRUE);
    try {
        int nPort = 0;
        DDX_Text(&dx, IDC_PROXY_PORT, nPort);
        DDV_MinMaxInt(&dx, nPort, 1, 65535);
    } catch (const CDataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

void CProxy::OnOK()
{
    UpdateData(TRUE);
    m_editPassword.GetWindowText(m_proxy.password);
    m_editServer.GetWindowText(m_proxy.server);
    m_editUser.GetWindowText(m_proxy.user);
    CString strPort;
    m_editPort.GetWindowText(strPort);
    m_proxy.port = DWORD(std::strtoul(strPort, nullptr, 10));
    CPropertyPage::OnOK();
}

// ---------------------------------------------------------------------------------------------------------------
// The transfer-rate page.

CPropTransferRate::CPropTransferRate() : CPropertyPage(IDD), m_pFont(new CFont)
{
    m_pFont->CreatePointFont(90, "MS Shell Dlg");
}

CPropTransferRate::~CPropTransferRate() = default;

void CPropTransferRate::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PREF_SAMPLE_LEN, m_cbSampleLen);
    DDX_Control(pDX, IDC_PREF_TEST_EVERY, m_cbTestEvery);
    DDX_Control(pDX, IDC_PREF_CD_READ_LEN, m_cbCdReadLen);
    DDX_Control(pDX, IDC_PREF_DVD_READ_LEN, m_cbDvdReadLen);
    DDX_Control(pDX, IDC_PREF_TEST_EVERY_WRITE, m_cbTestEveryWrite);
    DDX_Control(pDX, IDC_PREF_CD_WRITE_LEN, m_cbCdWriteLen);
    DDX_Control(pDX, IDC_PREF_DVD_WRITE_LEN, m_cbDvdWriteLen);
    DDX_Control(pDX, IDC_PREF_DATA_FORMAT, m_cbDataFormat);
    DDX_Control(pDX, IDC_PREF_MAX_READ_SPIN, m_spinMaxRead);
    DDX_Control(pDX, IDC_PREF_MAX_DVD_READ_SPIN, m_spinMaxDvdRead);
    DDX_Control(pDX, IDC_PREF_MAX_WRITE_SPIN, m_spinMaxWrite);
    DDX_Control(pDX, IDC_PREF_MAX_DVD_WRITE_SPIN, m_spinMaxDvdWrite);
    DDX_Control(pDX, IDC_PREF_SIMULATE, m_btnSimulate);
    DDX_Control(pDX, IDC_PREF_OVERBURN, m_btnOverburn);
    DDX_Control(pDX, IDC_PREF_OVERBURN_LEN, m_editOverburn);
    DDX_Text(pDX, IDC_PREF_MAX_READ, m_nEditMaxRead);
    DDV_MinMaxInt(pDX, m_nEditMaxRead, int(kMinSpeedAxis), int(kMaxSpeedAxis));
    DDX_Text(pDX, IDC_PREF_MAX_DVD_READ, m_nEditMaxDvdRead);
    DDV_MinMaxInt(pDX, m_nEditMaxDvdRead, int(kMinSpeedAxis), int(kMaxSpeedAxis));
    DDX_Text(pDX, IDC_PREF_MAX_WRITE, m_nEditMaxWrite);
    DDX_Text(pDX, IDC_PREF_MAX_DVD_WRITE, m_nEditMaxDvdWrite);
    DDX_Text(pDX, IDC_PREF_OVERBURN_LEN, m_strOverburn);
    if (m_bOverburn)
        DDV_OverburnLength(pDX, m_strOverburn);
}

// The combo boxes' items (index = stored value unless the handlers say otherwise).
void CPropTransferRate::FillCombos()
{
    Fill(m_cbSampleLen, kSampleChoices);
    Fill(m_cbTestEvery, kSampleChoices);
    Fill(m_cbTestEveryWrite, kSampleChoices);
    Fill(m_cbCdReadLen, kCdLengthChoices);
    Fill(m_cbCdWriteLen, kCdLengthChoices);
    Fill(m_cbDvdReadLen, kDvdLengthChoices);
    Fill(m_cbDvdWriteLen, kDvdLengthChoices);
    Fill(m_cbDataFormat, kFormatChoices);
}

BOOL CPropTransferRate::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    if (m_pFont && m_pFont->GetSafeHandle() != nullptr) {
        for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
            ::SendMessageA(hChild, WM_SETFONT, reinterpret_cast<WPARAM>(HFONT(*m_pFont)), TRUE);
    }
    FillCombos();
    m_spinMaxRead.SetRange(short(kMinSpeedAxis), short(kMaxSpeedAxis));
    m_spinMaxDvdRead.SetRange(short(kMinSpeedAxis), short(kMaxSpeedAxis));
    m_spinMaxWrite.SetRange(short(kMinSpeedAxis), short(kMaxSpeedAxis));
    m_spinMaxDvdWrite.SetRange(short(kMinSpeedAxis), short(kMaxSpeedAxis));
    m_nEditMaxRead = m_nMaxRead;
    m_nEditMaxDvdRead = m_nMaxDvdRead;
    m_nEditMaxWrite = m_nMaxWrite;
    m_nEditMaxDvdWrite = m_nMaxDvdWrite;
    m_btnSimulate.SetCheck(m_bSimulate ? BST_CHECKED : BST_UNCHECKED);
    m_cbSampleLen.SetCurSel(m_nSampleLen);
    m_cbTestEvery.SetCurSel(m_nTestEvery);
    m_cbTestEveryWrite.SetCurSel(m_nTestEveryWrite);
    m_cbCdReadLen.SetCurSel(CdLengthIndex(m_nCdReadLength));
    m_cbCdWriteLen.SetCurSel(CdLengthIndex(m_nCdWriteLength));
    m_editOverburn.EnableWindow(m_bOverburn ? TRUE : FALSE);
    m_btnOverburn.SetCheck(m_bOverburn ? BST_CHECKED : BST_UNCHECKED);
    const char mask[] = {char(CMaskEdit::maskDigit),
                         char(CMaskEdit::maskDigit),
                         char(CMaskEdit::maskDigit),
                         ':',
                         char(CMaskEdit::maskDigit),
                         char(CMaskEdit::maskDigit),
                         '.',
                         char(CMaskEdit::maskDigit),
                         char(CMaskEdit::maskDigit),
                         '\0'};
    m_editOverburn.SetMask(mask, '_', ' ');
    m_editOverburn.SetText(OverburnDigits(m_nOverburnLength));
    m_strOverburn = OverburnText(m_nOverburnLength);
    m_cbDataFormat.SetCurSel(m_nDataFormat);
    m_cbDvdReadLen.SetCurSel(DvdLengthIndex(m_nDvdReadLength));
    m_cbDvdWriteLen.SetCurSel(DvdLengthIndex(m_nDvdWriteLength));
    UpdateData(FALSE);
    return TRUE;
}

void CPropTransferRate::OnCdReadLen()
{
    m_nCdReadLength = CdLengthValue(m_cbCdReadLen.GetCurSel());
}

void CPropTransferRate::OnCdWriteLen()
{
    m_nCdWriteLength = CdLengthValue(m_cbCdWriteLen.GetCurSel());
}

void CPropTransferRate::OnOverburn()
{
    m_bOverburn = Checked(m_btnOverburn);
    m_editOverburn.EnableWindow(m_bOverburn);
}

void CPropTransferRate::OnDvdReadLen()
{
    m_nDvdReadLength = (m_cbDvdReadLen.GetCurSel() + 1) * kDvdLengthStep;
}

void CPropTransferRate::OnDvdWriteLen()
{
    m_nDvdWriteLength = (m_cbDvdWriteLen.GetCurSel() + 1) * kDvdLengthStep;
}

// The edits' values reach the owner through the data exchange at OK; these follow them only once the page has
// finished its initialisation, which it never declares, so they leave the members alone.
void CPropTransferRate::OnChangeMaxDvdRead()
{
    if (m_bInitialising)
        return;
    if (UpdateData(TRUE))
        m_nMaxDvdRead = m_nEditMaxDvdRead;
}

void CPropTransferRate::OnChangeMaxWrite()
{
    if (m_bInitialising)
        return;
    if (UpdateData(TRUE))
        m_nMaxWrite = m_nEditMaxWrite;
}

void CPropTransferRate::OnOK()
{
    UpdateData(TRUE);
    CPropertyPage::OnOK();
}

// ---------------------------------------------------------------------------------------------------------------
// The sheet.

COptions::COptions(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage)
{
    Construct();
}

COptions::COptions(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) : CPropertySheet("", pParentWnd, iSelectPage)
{
    m_strCaption.LoadString(nIDCaption);
    Construct();
}

void COptions::Construct()
{
    AddPage(&m_proxyPage);
    AddPage(&m_transferPage);
    m_dwSheetFlags |= PSH_NOAPPLYNOW;
    m_pFont.reset(new CFont);
    m_pFont->CreatePointFont(90, "MS Shell Dlg");
}

COptions::~COptions() = default;
