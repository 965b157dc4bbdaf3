// src/app/MainDlgSettings.cpp — CMainDlg: the settings in the registry.
#include "app/MainDlg.h"

#include "app/ProgramSettings.h"
#include "transfer/TestPages.h"

// Runs at every start and Refresh, after the proxy defaults were put in: the stored values replace them, so
// Refresh discards changes that were not saved.
void CMainDlg::LoadSettings()
{
    ReadProgramSettings(m_proxy, m_nAutoFW);
    LoadTransferRateSettings();
}

// After the Preferences sheet closed with OK and after every update check.
void CMainDlg::SaveSettings()
{
    WriteProgramSettings(m_proxy, m_nAutoFW);
    SaveTransferRateSettings();
}

// The defaults, then the stored values; the test pages take their settings from m_transferRate. The DVD write
// graph's length is not stored: every load, Refresh included, sets it back to 5 GB.
void CMainDlg::LoadTransferRateSettings()
{
    m_nDvdWriteLength = kDvdLength5GB;
    if (m_pDvdWritePage)
        m_pDvdWritePage->SetGraphLength(m_nDvdWriteLength);
    ReadTransferRateSettings(m_transferRate);
}

void CMainDlg::SaveTransferRateSettings()
{
    WriteTransferRateSettings(m_transferRate);
}
