// src/transfer/TestDlg.cpp
#include "transfer/TestDlg.h"

#include "drive/DriveManager.h"

#include <cstring>

namespace {

const char kMakerVendor[] = "KORVATH "; // the INQUIRY vendor field, padded to eight characters
const char* const kOtherMakerModels[] = {"SD-R2512", "UJDA750FDVD"};
const char kReadOnlyPrefix[] = "CD-ROM";
const int kCdDvdDeviceType = 5;

const char kRunningText[] = "A test is currently running.\nPlease stop this test before closing this window";
const char kRunningCaption[] = "Tavisk";

struct KindItem {
    const char* pszText;
    int nKind;
};
const KindItem kKinds[] = {{" Read Transfer Rate Test", 0}, {" Write Transfer Rate Test", 1}};

} // namespace

bool IsTestDrive(const char* pszVendor, const char* pszProduct, const char* pszModelProductId)
{
    bool bQualifies = std::strcmp(pszVendor, kMakerVendor) == 0;
    for (const char* pszModel : kOtherMakerModels)
        if (pszModelProductId != nullptr && std::strstr(pszModelProductId, pszModel) != nullptr)
            bQualifies = true;
    if (!bQualifies)
        return false;
    return std::strncmp(pszProduct, kReadOnlyPrefix, sizeof(kReadOnlyPrefix) - 1) != 0;
}

CTestDlg::CTestDlg(CWnd* pParent, CTestRunState& runState) : CDialog(IDD_TEST_WINDOW, pParent), m_runState(runState)
{
    m_chosenDrive.m_nDriveLetter = -1;
}

CTestDlg::~CTestDlg() = default;

void CTestDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TW_DRIVE, m_driveCombo);
    DDX_Control(pDX, IDC_TW_KIND, m_kindCombo);
}

// Every device of every adapter, in list order, examined on a copy of its record. The list holds one entry per
// drive letter at most; further drives are left out.
void CTestDlg::FillDriveList()
{
    m_nItemCount = 0;
    m_nSelectedItem = 0;
    m_driveCombo.ResetContent();
    if (g_pDriveManager != nullptr) {
        CHostAdapterArray adapters;
        g_pDriveManager->CopyHostAdapters(adapters);
        ForEachDeviceRecord(adapters, [&](int, const CDeviceRecord& listed) {
            if (m_nItemCount >= kMaxTestDrives)
                return;
            CDeviceRecord record = listed;
            char szVendor[16] = {}, szProduct[32] = {}, szRevision[16] = {};
            if (g_pDriveManager->Inquiry(record, szVendor, szProduct, szRevision) == 0 ||
                record.m_nDeviceType != kCdDvdDeviceType)
                return;
            CString strModel = g_pDriveManager->GetModelProductId(record);
            if (!IsTestDrive(szVendor, szProduct, strModel))
                return;
            char szLabel[64] = {};
            g_pDriveManager->GetDriveLabel(record, szLabel);
            m_driveCombo.AddString(szLabel);
            m_letters[m_nItemCount] = record.m_nDriveLetter;
            if (record.m_nDriveLetter == m_chosenDrive.m_nDriveLetter)
                m_nSelectedItem = m_nItemCount;
            ++m_nItemCount;
        });
    }
    m_driveCombo.SetCurSel(m_nSelectedItem);
}

BOOL CTestDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    FillDriveList();
    m_kindCombo.ResetContent();
    for (const KindItem& kind : kKinds) {
        int nItem = m_kindCombo.AddString(kind.pszText);
        m_kindCombo.SetItemData(nItem, DWORD_PTR(kind.nKind));
        if (kind.nKind == m_nTestKind)
            m_kindCombo.SetCurSel(nItem);
    }
    ChooseSelectedDrive();
    m_nTestKind = int(m_kindCombo.GetItemData(m_kindCombo.GetCurSel()));
    NotifyParent(WM_TEST_KIND_CHANGED);
    ShowTestPage();
    return TRUE;
}

// With an empty list the record of letter A: is asked for, which names no drive.
void CTestDlg::ChooseSelectedDrive()
{
    int nSelection = m_driveCombo.GetCurSel();
    m_nSelectedItem = nSelection < 0 ? 0 : nSelection;
    int nLetter = m_nSelectedItem < m_nItemCount ? m_letters[m_nSelectedItem] : 0;
    m_chosenDrive = g_pDriveManager != nullptr ? g_pDriveManager->GetDriveByLetter(nLetter) : CDeviceRecord();
    NotifyParent(WM_TEST_DRIVE_CHANGED);
}

void CTestDlg::NotifyParent(UINT message)
{
    HWND hParent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : ::GetParent(m_hWnd);
    if (hParent != nullptr)
        ::SendMessage(hParent, message, 0, 0);
}

void CTestDlg::ShowTestPage()
{
    if (m_pPage == nullptr || m_pPage->m_hWnd == nullptr || m_hWnd == nullptr)
        return;
    m_pPage->SetParent(this);
    m_pPage->ShowWindow(SW_SHOW);
}

void CTestDlg::OnSelChangeDrive()
{
    ChooseSelectedDrive();
}

void CTestDlg::OnSelChangeTestKind()
{
    int nSelection = m_kindCombo.GetCurSel();
    if (nSelection < 0)
        return;
    m_nTestKind = int(m_kindCombo.GetItemData(nSelection));
    NotifyParent(WM_TEST_KIND_CHANGED);
}

bool CTestDlg::PrepareToClose()
{
    if (m_runState.IsRunning()) {
        MessageBox(kRunningText, kRunningCaption, MB_ICONEXCLAMATION);
        return false;
    }
    if (m_pPage != nullptr && m_pPage->m_hWnd != nullptr) {
        m_pPage->ShowWindow(SW_HIDE);
        m_pPage->SetParent(nullptr);
    }
    return true;
}

void CTestDlg::OnOK()
{
    if (PrepareToClose())
        CDialog::OnOK();
}

void CTestDlg::OnCancel()
{
    if (PrepareToClose())
        CDialog::OnCancel();
}

// Both selectors follow the run state's running flag. When a run has ended the main dialog hears of the kind again,
// so that a page swap it held back during the run (the medium changed meanwhile) happens now.
LRESULT CTestDlg::OnTestStateChanged(WPARAM, LPARAM)
{
    const bool bIdle = !m_runState.IsRunning();
    m_driveCombo.EnableWindow(bIdle);
    m_kindCombo.EnableWindow(bIdle);
    const bool bRunEnded = bIdle && m_bSelectorsLocked;
    m_bSelectorsLocked = !bIdle;
    if (bRunEnded)
        NotifyParent(WM_TEST_KIND_CHANGED);
    return 0;
}
