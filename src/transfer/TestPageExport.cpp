// src/transfer/TestPageExport.cpp — CTestPageDlg: the graph saved as a picture and the runs as an HTML page.
#include "transfer/TestPage.h"

#include "controls/BitmapImage.h"
#include "controls/MemoryDC.h"
#include "controls/PrintTextDlg.h"
#include "framework/CommonDialogs.h"
#include "drive/DriveManager.h"
#include "framework/MessageBox.h"
#include "framework/StreamOwner.h"
#include "resource.h"
#include "transfer/ResultsExport.h"
#include "transfer/ResultsPrint.h"

#include <cstdio>
#include <memory>

namespace {

void ReportUnwritable(const CString& strPath)
{
    CString text;
    text.Format("The file %s could not be written.", static_cast<LPCSTR>(strPath));
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

// The speeds of the page's drive and its medium, for the exported page of the DVD write page.
void DvdWriteSpeedsOf(void* context, CString& rDisc, CString& rDrive)
{
    CTestPageDlg* pPage = static_cast<CTestPageDlg*>(context);
    rDisc = g_pDriveManager->GetDvdMediaSpeedText(pPage->m_currentDrive, FALSE);
    rDrive = g_pDriveManager->GetDvdWriteSpeedList(pPage->m_currentDrive);
}

// The page's graph at paper size on the printer DC; the page's own layout comes back afterwards.
void DrawGraphForPrint(void* context, HDC hPrinter, int left, int top, int width, int height, int labelWidth,
                       int labelHeight)
{
    CTestPageDlg* pPage = static_cast<CTestPageDlg*>(context);
    pPage->UpdateGraphAxes();
    CTestGraph& graph = pPage->Graph();
    GraphLayout& layout = graph.m_layout;
    layout.left = left;
    layout.top = top;
    layout.width = width;
    layout.height = height;
    layout.right = left + width;
    layout.bottom = top + height;
    layout.labelWidth = labelWidth;
    layout.labelHeight = labelHeight;
    graph.m_bPrinting = 1;
    graph.DrawGraph(hPrinter);
    graph.m_bPrinting = 0;
    graph.ComputeGraphLayout(pPage->m_hWnd, int(pPage->Traits().nGraphId), int(pPage->Traits().nScaleId));
}

} // namespace

bool CTestPageDlg::SaveGraphPicture(const CString& strPath, const CString& strExtension)
{
    CString ext = strExtension;
    ext.MakeLower();
    const bool bBmp = ext.Find("bmp") >= 0;
    const bool bPng = !bBmp && ext.Find("png") >= 0;
    if (!bBmp && !bPng)
        return true;
    UpdateGraphAxes();
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    const GraphLayout& layout = m_pGraph->m_layout;
    std::unique_ptr<CBitmap> bitmap;
    {
        CClientDC client(this);
        CMemoryDC surface(rcWindow.Width() + 20, layout.height + layout.labelHeight + 20, &client, RGB(255, 255, 255));
        DrawGraphTo(surface.m_hDC, true);
        bitmap = surface.ReleaseBitmap();
    }
    CBitmapImage image;
    if (!bitmap || !image.CreateFromHBITMAP(static_cast<HBITMAP>(bitmap->GetSafeHandle())))
        return false;
    return image.Save(strPath, bBmp ? CBitmapImage::formatBmp : CBitmapImage::formatPng);
}

void CTestPageDlg::OnSaveToImage()
{
    CString folder, name, ext;
    if (!AskImageFileName(folder, name, ext))
        return;
    CString path = folder + name;
    if (!SaveGraphPicture(path, ext))
        ReportUnwritable(path);
}

// The page is written to the chosen folder by its full path; the picture first, then the page. When either
// cannot be written, neither file is left behind.
void CTestPageDlg::OnSaveToHtml()
{
    CString version;
    version.LoadString(IDS_VERSION);
    CString folder, name, ext;
    if (!AskImageFileName(folder, name, ext))
        return;
    const CString htmlPath = folder + HtmlNameForPicture(name);
    const CString picturePath = folder + name;
    CStreamOwner file = OpenStream(htmlPath, "wb");
    if (!file) {
        ReportUnwritable(htmlPath);
        return;
    }
    if (!SaveGraphPicture(picturePath, ext)) {
        file.reset();
        ::DeleteFileA(htmlPath);
        ReportUnwritable(picturePath);
        return;
    }
    ResultsHtmlInput input;
    input.kind = m_traits.kind;
    input.version = version;
    input.date = ResultsLongDate();
    input.pictureName = name;
    if (m_traits.kind == kTestPageDvdWrite && g_pDriveManager != nullptr)
        input.speeds = {this, &DvdWriteSpeedsOf};
    const CString html = BuildResultsHtml(input, *m_pRing);
    bool bOk =
        std::fwrite(static_cast<LPCSTR>(html), 1, size_t(html.GetLength()), file.get()) == size_t(html.GetLength());
    bOk = CloseStream(file) && bOk;
    if (!bOk) {
        ::DeleteFileA(htmlPath);
        ReportUnwritable(htmlPath);
    }
}

// "Print": the note, the printer, then the job. Cancel in the note dialog prints without a note; Cancel in the
// print dialog prints nothing; a printer that refuses the job is reported.
void CTestPageDlg::OnPrint()
{
    CPrintTextDlg noteDlg(nullptr);
    CString note;
    if (noteDlg.DoModal() == IDOK)
        note = noteDlg.m_strResult;
    CPrintDialog printDlg(FALSE, PD_RETURNDC);
    if (printDlg.DoModal() != IDOK || printDlg.GetPrinterDC() == nullptr)
        return;
    CCreatedDcOwner printer(printDlg.GetPrinterDC()); // the dialog hands the DC over
    ResultsPrintInput input;
    input.kind = m_traits.kind;
    input.version.LoadString(IDS_VERSION);
    input.graph = {this, &DrawGraphForPrint};
    if (!PrintResults(printer.get(), input, *m_pRing, note))
        AfxMessageBox("The printer did not accept the print job: nothing was printed.", MB_OK | MB_ICONEXCLAMATION);
}
