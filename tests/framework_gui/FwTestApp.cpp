// tests/framework_gui/FwTestApp.cpp
// fwapp.exe: a small program on the window layer (its own WinMain, application object and modal main dialog),
// driven from outside by guidriver.exe in the layer's tests.
#include "framework/Framework.h"

#include "TestResource.h"

namespace {

class CAppDlg : public CDialog {
public:
    CAppDlg() : CDialog(IDD_APP) {}

    BEGIN_MSG_MAP(CAppDlg)
    ON_BN_CLICKED(IDC_HELLO, OnHello)
    ON_BN_CLICKED(IDC_APP_THROW, OnThrow)
    ON_COMMAND(ID_APP_EXIT_COMMAND, OnExitCommand)
    END_MSG_MAP()

    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_LIST, m_list); }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_list.AddString(" First line");
        m_list.AddString(" Second\tline");
        m_list.AddString(" Caf\xe9");
        return TRUE;
    }

private:
    void OnHello() { AfxMessageBox("Hello from the layer", MB_OK | MB_ICONINFORMATION); }
    void OnThrow() { AfxThrowInvalidArgException(); }
    void OnExitCommand() { EndDialog(IDCANCEL); }

    CListBox m_list;
};

class CTestApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        CAppDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        return FALSE;
    }
};

CTestApp theApp;

} // namespace
