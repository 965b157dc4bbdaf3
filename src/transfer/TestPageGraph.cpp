// src/transfer/TestPageGraph.cpp
// The graph on a test page: the axes from the settings, the whole graph on every paint, the newest segment as each
// sample arrives, and the right-click menu with Print and the two exports.
#include "transfer/TestPage.h"

namespace {

const int kDefaultMaxCdWrite = 56;
const int kDefaultMaxDvdWrite = 8;

} // namespace

void CTestPageDlg::UpdateGraphAxes()
{
    const TransferRateSettings& s = *m_pSettings;
    switch (m_traits.kind) {
    case kTestPageCdRead:
        m_pGraph->SetAxes(int(s.maxSpeed), long(s.readTimeInd));
        break;
    case kTestPageCdWrite:
        m_pGraph->SetAxes(int(s.maxSpeedWrite), long(s.writeTimeInd));
        break;
    case kTestPageDvdRead:
        m_pGraph->SetAxes(int(s.maxSpeedDvd), long(s.readTimeIndDvd));
        break;
    case kTestPageDvdWrite:
        m_pGraph->SetAxes(int(s.maxSpeedDvdWrite), m_pGraph->Length());
        break;
    }
}

void CTestPageDlg::DrawGraphTo(HDC hdc, bool bExport)
{
    UpdateGraphAxes();
    m_pGraph->m_bExporting = bExport ? 1 : 0;
    m_pGraph->DrawGraph(hdc);
    m_pGraph->m_bExporting = 0;
}

// The write pages repair their maximum first (0 or less, or 100 and more, takes the page's default). The whole
// graph is drawn on every paint through a client DC, unclipped by the update region; its static part comes from
// the copy the graph keeps.
void CTestPageDlg::OnPaint()
{
    if (m_traits.kind == kTestPageCdWrite &&
        (int(m_pSettings->maxSpeedWrite) <= 0 || m_pSettings->maxSpeedWrite >= 100))
        m_pSettings->maxSpeedWrite = kDefaultMaxCdWrite;
    if (m_traits.kind == kTestPageDvdWrite &&
        (int(m_pSettings->maxSpeedDvdWrite) <= 0 || m_pSettings->maxSpeedDvdWrite >= 100))
        m_pSettings->maxSpeedDvdWrite = kDefaultMaxDvdWrite;
    CPaintDC paint(this);
    CClientDC client(this);
    UpdateGraphAxes();
    m_pGraph->m_bExporting = 0;
    RECT rc = {};
    GetClientRect(&rc);
    m_pGraph->PaintOnScreen(client, rc.right, rc.bottom);
}

void CTestPageDlg::OnSampleStored(int32_t nValue)
{
    if (m_hWnd == nullptr)
        return;
    UpdateGraphAxes();
    CClientDC client(this);
    m_pGraph->PlotSample(client, m_pRunState->CurrentAddress(), uint32_t(nValue));
}

LRESULT CTestPageDlg::OnRButtonDownMessage(WPARAM wParam, LPARAM lParam)
{
    OnRButtonDown(UINT(wParam), CPoint(short(LOWORD(lParam)), short(HIWORD(lParam))));
    return 0;
}

// The menu's first submenu: Print, then Save with To Image and To HTML. The chosen command reaches the page.
void CTestPageDlg::OnRButtonDown(UINT nFlags, CPoint point)
{
    CMenu menu;
    if (menu.LoadMenu(IDR_TRANSFER_MENU)) {
        CMenu* pPopup = menu.GetSubMenu(0);
        POINT cursor = {};
        ::GetCursorPos(&cursor);
        if (pPopup != nullptr)
            pPopup->TrackPopupMenu(0, cursor.x, cursor.y, this);
    }
    Default();
}
