// src/app/MainDlgStartup.cpp
// CMainDlg's initialisation: the start of the drive access chosen by the Windows family, the bus-type repair of
// the listed Serial ATA and USB models, the old-ASPI warning and the build of the report.
#include "app/MainDlg.h"

#include "app/Globals.h"
#include "capture/GraphManager.h"
#include "drive/DriveManager.h"
#include "drive/ModelTable.h"
#include "framework/WindowsVersion.h"
#include "report/SoftwareSection.h"

#include <cstring>

namespace {

const char kOldAspiWarningText[] = "WARNING: USB devices detected with older Aspi layer!\n\tDo you wish to continue?";
const char kOldAspiWarningCaption[] = "Tavisk";

// The vendor information block the bus-type repair reads, and the byte that carries the drive's interface.
const DWORD kVendorBlockAddress = 0;
const DWORD kVendorBlockLength = 0x80;
const int kInterfaceCodeOffset = 49;

// What the interface code of the vendor block makes of the drive's adapter.
struct InterfaceRepair {
    BYTE code;
    int busType;       // the adapter's new bus type
    bool usbProductId; // the record takes the product identification of the listed USB model
};

const InterfaceRepair kInterfaceRepairs[] = {
    {1, kBusTypeSerialAta, false},
    {5, kBusTypeSerialAta, false},
    {8, kBusTypeUsb, true},
};

const InterfaceRepair* FindInterfaceRepair(BYTE code)
{
    for (const InterfaceRepair& repair : kInterfaceRepairs)
        if (repair.code == code)
            return &repair;
    return nullptr;
}

OSVERSIONINFOEXA WindowsVersion()
{
    OSVERSIONINFOEXA version;
    AfxGetWindowsVersion(&version);
    return version;
}

} // namespace

// Runs at start-up and again on every Refresh, in this order: layout record, proxy defaults, the test window
// (first run), the settings, the list's tab stops, the About entry (once), the icons, the caption, the list's
// font, the drive access, the capture side (first run), then either the failure message or the bus-type repair,
// the old-ASPI warning and the report; last the automatic update check. Returns FALSE only when the window was
// destroyed here because the user refused to go on with an old ASPI layer.
BOOL CMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    RecordLayout();
    ResetProxySettings();
    if (!m_pTestDlg)
        CreateTestWindows();
    LoadSettings();
    SetReportTabStops();
    ExtendSystemMenu();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetCaption();
    m_list.SetFont(m_pFont.get(), TRUE);

    const int nDriveAccess = StartDriveAccess();
    if (g_pGraphManager == nullptr)
        CreateCaptureSide();

    if (nDriveAccess == 0) {
        ReportNoDriveAccess();
    } else {
        RepairBusTypes();
        if (!ConfirmOldAspiLayer()) {
            DestroyWindow();
            return FALSE;
        }
        BuildAspiInfo();
        BuildSystemInfo();
        BuildStratafitInfo();
        BuildCaptureDeviceInfo();
        FillReportList();
    }

    ArmAutoUpdateCheck();
    m_bLayoutReady = 1;
    return TRUE;
}

// Windows 95, 98 and Me try ASPI first and fall back to the pass-through interface; the NT family uses the
// pass-through interface only. The result is that of the last start-up tried (0 = no drive access). After a
// pass-through start every record gets the drive's registry settings (after an ASPI start the Windows 9x
// start-up has read them already).
int CMainDlg::StartDriveAccess()
{
    if (g_pDriveManager == nullptr)
        return 0;
    if (AfxIsWin9xPlatform()) {
        const int nAspi = g_pDriveManager->InitAspi();
        if (nAspi != 0)
            return nAspi;
    }
    const int nSpti = g_pDriveManager->InitSpti();
    if (nSpti != 0)
        ReadDriveRegistrySettings();
    return nSpti;
}

// The auto insert notification (the autorun switch on the NT family) and DMA settings of every record, read over
// a copy of the adapter list and written back record by record.
void CMainDlg::ReadDriveRegistrySettings()
{
    CHostAdapterArray adapters;
    g_pDriveManager->CopyHostAdapters(adapters);
    ForEachDeviceRecordAt(adapters, [](int, int nGroup, int nPlace, const CDeviceRecord& stored) {
        CDeviceRecord record = stored;
        DWORD nAutoInsert = DWORD(record.m_nAutoInsertNotification);
        DWORD nDma = DWORD(record.m_nDmaCurrentlyUsed);
        g_pDriveManager->ReadDriveRegistrySettings(record, &nAutoInsert, &nDma);
        record.m_nAutoInsertNotification = int32_t(nAutoInsert);
        record.m_nDmaCurrentlyUsed = int32_t(nDma);
        g_pDriveManager->SetDeviceRecord(record, nGroup, nPlace);
    });
}

// Drives of the listed model families report their real interface in byte 49 of the vendor information block:
// 1 or 5 make the whole adapter Serial ATA; 8 marks the USB product of the family, whose record takes that
// product's identification and whose adapter becomes USB. The walk runs over a copy of the adapter list, so
// records of an adapter changed a moment ago are still visited with their old bus type.
void CMainDlg::RepairBusTypes()
{
    if (g_pDriveManager == nullptr)
        return;
    CHostAdapterArray adapters;
    g_pDriveManager->CopyHostAdapters(adapters);
    ForEachDeviceRecordAt(adapters, [](int, int nGroup, int nPlace, const CDeviceRecord& stored) {
        CDeviceRecord record = stored;
        if (!ContainsModelNumber(record.m_szProduct, g_FiveFamilyGroup) || record.m_nBusType == kBusTypeSerialAta)
            return;
        BYTE block[kVendorBlockLength] = {};
        if (g_pDriveManager->ReadVendorInfoBlock(record, kVendorBlockAddress, kVendorBlockLength, block) != 1)
            return;
        const InterfaceRepair* pRepair = FindInterfaceRepair(block[kInterfaceCodeOffset]);
        if (pRepair == nullptr)
            return;
        if (pRepair->usbProductId) {
            std::memcpy(record.m_szProduct, g_szUsbBridgeProductId, sizeof(record.m_szProduct));
            g_pDriveManager->SetDeviceRecord(record, nGroup, nPlace);
        }
        g_pDriveManager->SetAdapterBusType(int(record.m_nAdapter), pRepair->busType);
    });
}

// The first ASPI for Win32 layers (FileVersion "1, 0, 0, 0") misbehave with USB and IEEE 1394 adapters on
// Windows 98 (minor version 10). The user may go on without the media parts of the report or stop here.
BOOL CMainDlg::ConfirmOldAspiLayer()
{
    char szVersion[kVersionTextSize];
    char szDescription[kVersionTextSize];
    char szCompany[kVersionTextSize];
    GetFileVersionText("wnaspi32.dll", szVersion, szDescription, szCompany);
    if (!IsOldAspiVersion(szVersion) || WindowsVersion().dwMinorVersion != 10 || g_pDriveManager == nullptr ||
        !g_pDriveManager->HasUsbOr1394Adapter())
        return TRUE;
    if (MessageBox(kOldAspiWarningText, kOldAspiWarningCaption, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return FALSE;
    g_bReportMediaDetails = 0;
    return TRUE;
}

// The software section: Windows, the ASPI layers and the companion applications.
void CMainDlg::BuildAspiInfo()
{
    BuildSoftwareSection(m_arrSoftware, g_pDriveManager);
}
