// src/app/MainDlgReportOutput.cpp
// The report's outputs from the main dialog: the list, Save (text file and support file) and Print. The layout of
// each output lives in report/ReportOutput.cpp; this file hands it the dialog's report sections.
#include "app/MainDlg.h"

#include "drive/DriveManager.h"
#include "report/ReportOutput.h"
#include "report/ReportWriter.h"
#include "report/SoftwareSection.h"

namespace {

// The number of host adapters the report walks: the drive manager's adapter list, read from a deep copy that is
// released again; no more than the blocks the dialog has.
int ReportAdapterCount()
{
    if (g_pDriveManager == nullptr)
        return 0;
    CHostAdapterArray adapters;
    g_pDriveManager->CopyHostAdapters(adapters);
    int count = int(adapters.GetSize());
    return count < kMaxAdapterBlocks ? count : kMaxAdapterBlocks;
}

ReportSections SectionsOf(const CMainDlg& dlg)
{
    ReportSections sections;
    sections.pSoftware = &dlg.m_arrSoftware;
    sections.pSystem = &dlg.m_arrSystem;
    sections.pAdapters = dlg.m_arrAdapters;
    sections.nAdapterCount = ReportAdapterCount();
    sections.pCapture = &dlg.m_arrCapture;
    sections.pStratafit = &dlg.m_arrStratafit;
    // Of the Windows texts only those of Windows NT 3.51 and 4.0 contain "NT": they list no USB tree.
    sections.bListUsbTree = GetWindowsVersionText().Find("NT") < 0;
    return sections;
}

} // namespace

// Appends the report to the list; Refresh empties the list before the report is rebuilt.
void CMainDlg::FillReportList()
{
    EmitReportList(SectionsOf(*this), m_list.m_hWnd);
}

void CMainDlg::WriteReport(CReportWriter* pWriter)
{
    EmitReport(pWriter, SectionsOf(*this));
}

void CMainDlg::WriteSupportFile(CReportWriter* pWriter)
{
    EmitSupportFile(pWriter, SectionsOf(*this));
}

// Save: the Save-As dialog proposing "SYSInfo.txt", the text file, then the support file (".kvs") beside it.
void CMainDlg::OnSave()
{
    SaveReportFiles(SectionsOf(*this));
}

// Print: the print dialog, then the report with a header on every page and the support form at the end.
void CMainDlg::OnPrint()
{
    PrintReport(SectionsOf(*this));
}
