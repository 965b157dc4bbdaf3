// src/transfer/TestDlg.h
// The test window (161): a modal dialog with a drive selector, a test-kind selector (read or write) and Close,
// inside which the main dialog shows one of the four test pages. It lists the drives the tests support, tells its
// parent (the main dialog) which drive and kind the user chose, locks both selectors while a test runs and refuses
// to close then.
#ifndef TAVISK_TRANSFER_TESTDLG_H
#define TAVISK_TRANSFER_TESTDLG_H

#include "drive/DeviceRecord.h"
#include "framework/Framework.h"
#include "resource.h"
#include "transfer/TestMessages.h"
#include "transfer/TestRunState.h"

const int kMaxTestDrives = 26;

class CTestDlg : public CDialog {
public:
    // runState: the run state the pages share, owned by the caller.
    CTestDlg(CWnd* pParent, CTestRunState& runState);
    ~CTestDlg() override;

    // Fills the drive selector with the qualifying drives (at most 26) and selects the one chosen last.
    void FillDriveList();
    // Moves the page the main dialog picked under this window and shows it.
    void ShowTestPage();

    CDialog* m_pPage = nullptr; // the page shown, set by the main dialog
    CComboBox m_driveCombo;
    CComboBox m_kindCombo;
    CDeviceRecord m_chosenDrive; // drive-letter index -1 until a drive was chosen
    int m_nTestKind = 0;         // 0 read, 1 write
    int m_nItemCount = 0;
    int m_letters[kMaxTestDrives] = {}; // drive-letter index of each item of the drive selector
    int m_nSelectedItem = 0;

    BEGIN_MSG_MAP(CTestDlg)
    ON_CBN_SELCHANGE(IDC_TW_DRIVE, OnSelChangeDrive)
    ON_CBN_SELCHANGE(IDC_TW_KIND, OnSelChangeTestKind)
    ON_MESSAGE(WM_TEST_STATE_CHANGED, OnTestStateChanged)
    END_MSG_MAP()

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnSelChangeDrive();
    void OnSelChangeTestKind();
    LRESULT OnTestStateChanged(WPARAM wParam, LPARAM lParam);

private:
    // The chosen drive becomes the record of the selected item's letter; the parent hears of it.
    void ChooseSelectedDrive();
    // FALSE (after telling the user) while a test runs; otherwise the page is released from this window.
    bool PrepareToClose();
    void NotifyParent(UINT message);

    CTestRunState& m_runState;
    bool m_bSelectorsLocked = false; // a run was going on at the last state notice
};

// Whether a device answers as a drive the transfer-rate tests support: the maker's drives that are not read-only
// "CD-ROM" products, and two listed DVD drives of other makers (by model product id).
bool IsTestDrive(const char* pszVendor, const char* pszProduct, const char* pszModelProductId);

#endif
