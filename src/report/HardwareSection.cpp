// src/report/HardwareSection.cpp
// The host-adapter blocks of the report: per adapter its line and driver information, then every device. Each
// device is a copy of the drive manager's record, so the report never changes the scan's results; every query
// that fails leaves its line out or gives its fallback text, and the rest of the report goes on.
#include "report/HardwareSection.h"

#include "drive/CommandSet.h"
#include "drive/DiscText.h"
#include "drive/DriveManager.h"
#include "drive/HostAdapter.h"
#include "drive/InquiryData.h"
#include "drive/ModelTable.h"
#include "report/DriverInfo.h"
#include "report/ReportOutput.h"
#include "report/SoftwareSection.h"
#include "report/SystemInfo.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const int kLineBuffer = 300;
const int kAnswerBuffer = 100;
const int kDiscStructureLength = 2052;
const int kPeripheralCdDvd = 5;
const char kMakerVendor[] = "KORVATH "; // the maker's name and one blank, compared with its terminator

void AppendLine(CStringArray& block, const char* pszFormat, ...) TAVISK_PRINTF_FORMAT(2, 3);
void AppendLine(CStringArray& block, const char* pszFormat, ...)
{
    char szLine[kLineBuffer];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(szLine, sizeof(szLine), pszFormat, args);
    va_end(args);
    block.Add(szLine);
}

const char* BusName(int nBusType)
{
    switch (nBusType) {
    case kBusTypeIdeChannel:
        return "IDE";
    case kBusTypeAta:
        return "ATA";
    case kBusTypeSerialAta:
        return "S-ATA";
    case kBusTypeScsi:
        return "SCSI";
    case kBusTypeUsb:
        return "USB";
    case kBusType1394:
        return "IEEE 1394";
    default:
        return "";
    }
}

const char* YesNo(int32_t nSetting)
{
    return nSetting != 0 ? "yes" : "no";
}

CString Trimmed(const char* pszText)
{
    CString text(pszText);
    text.TrimRight(' ');
    return text;
}

int BigEndian16(const BYTE* p)
{
    return (p[0] << 8) | p[1];
}

// The adapter line and the eight driver-information lines.
void AppendAdapterHeader(CStringArray& block, int nAdapter, int nBusType, const CDriverInfo& info, bool bOldNt)
{
    if (nBusType == kBusTypeLetterOnly) {
        block.Add("Other PnP devices");
        return;
    }
    char szId[16] = "-", szMaxTargets[16] = "-";
    if (nBusType == kBusTypeScsi) {
        std::snprintf(szId, sizeof(szId), "%d", info.m_nAdapterScsiId);
        if (info.m_nMaxTargets != 0 && !bOldNt)
            std::snprintf(szMaxTargets, sizeof(szMaxTargets), "%d", info.m_nMaxTargets);
    }
    AppendLine(block, "%s Interface: %d  ID: %s Maximum # Targets : %s", BusName(nBusType), nAdapter, szId,
               szMaxTargets);
    AppendLine(block, "Description : %s", info.m_szDeviceDescription);
    AppendLine(block, "Type        : %s", info.m_szType);
    block.Add("");
    AppendLine(block, "Port Driver : %s", info.m_szPortDriver);
    AppendLine(block, "Provider    : %s", info.m_szProvider);
    AppendLine(block, "Description : %s", info.m_szDriverDescription);
    AppendLine(block, "Location    : %s", info.m_szLocation);
    AppendLine(block, "Version     : %s", info.m_szVersion);
    AppendLine(block, "Date        : %s", info.m_szDate);
}

// A device that is no CD/DVD drive: its identity, the volume name of its letter and, for a disk, its capacity and
// free space. Letter index 1 means "no letter": nothing is asked of B:, and no "insert a disk" box can appear.
void AppendOtherDevice(CStringArray& block, CDeviceRecord& record, int nPlace)
{
    block.Add("");
    AppendLine(block, "ID %2d: %s %s V%s", nPlace, Trimmed(record.m_szVendor).GetString(),
               Trimmed(record.m_szProduct).GetString(), record.m_szRevision);
    char szVolume[MAX_PATH] = "";
    const bool bLetter = record.m_nDriveLetter >= 0 && record.m_nDriveLetter < 26 && record.m_nDriveLetter != 1;
    if (bLetter) {
        char szRoot[] = "A:\\";
        szRoot[0] = char('A' + record.m_nDriveLetter);
        UINT nPrevious = SetErrorMode(SEM_FAILCRITICALERRORS);
        GetVolumeInformationA(szRoot, szVolume, sizeof(szVolume), nullptr, nullptr, nullptr, nullptr, 0);
        SetErrorMode(nPrevious);
    }
    AppendLine(block, "Volume Name: %s", szVolume);
    if (record.m_nDeviceType != 0)
        return;
    const char chLetter = char('A' + record.m_nDriveLetter);
    uint64_t nTotal = 0, nFree = 0;
    if (bLetter) {
        UINT nPrevious = SetErrorMode(SEM_FAILCRITICALERRORS);
        nTotal = GetDiskTotalBytes(chLetter);
        nFree = GetDiskFreeBytes(chLetter);
        SetErrorMode(nPrevious);
    }
    block.Add(FormatDiskSizeLine("Capacity", nTotal));
    block.Add(FormatDiskSizeLine("Free Space", nFree));
}

CString SerialText(CDeviceRecord& record)
{
    char szSerial[30] = "";
    if (!g_pDriveManager->GetSerialNumberText(record, szSerial))
        szSerial[0] = '\0';
    if (record.m_nBusType != kBusTypeIdeChannel &&
        ContainsModelNumber(g_pDriveManager->GetModelProductId(record), g_SerialBytesModel)) {
        BYTE bytes[6] = {};
        if (g_pDriveManager->ReadSerialBytes(record, bytes, 6) == 1)
            std::snprintf(szSerial, sizeof(szSerial), "%02X%02X%02X%02X%02X%02X", bytes[0], bytes[1], bytes[2],
                          bytes[3], bytes[4], bytes[5]);
    }
    return szSerial[0] != '\0' ? CString(szSerial) : CString("Unknown");
}

CString ReadSpeedText(CDeviceRecord& record)
{
    char szText[64] = "";
    if (g_pDriveManager->GetDvdMediaProfile(record, 0) != 0)
        return g_pDriveManager->GetReadSpeedListText(record, szText);
    int nSpeed = g_pDriveManager->GetMaxReadSpeed(record);
    if (g_pDriveManager->GetModelInfoFlag(record) || g_pDriveManager->IsSpecialSpeedModel(record))
        return g_pDriveManager->GetReadSpeedDisplayText(record, nSpeed, szText);
    if (nSpeed == 0)
        return "maximum";
    std::snprintf(szText, sizeof(szText), "%d X", nSpeed);
    return szText;
}

void AppendMakerDrive(CStringArray& block, CDeviceRecord& record, int nAdapterBus)
{
    CDriveManager& manager = *g_pDriveManager;
    const CString serial = SerialText(record);
    const CString speed = ReadSpeedText(record);
    const bool bNoJumper = ContainsModelNumber(record.m_szProduct, g_FourFamilyGroup);
    const bool bTenByte = manager.ModelUsesModeSense10(record) != 0;
    char szUsage[64] = "";
    manager.GetUsageCounterText(record, szUsage);

    block.Add("");
    AppendLine(block, "ID%2d (%c:) %s%s V%s %s (S/N:%s) (%s)", int(record.m_nTarget), 'A' + record.m_nDriveLetter,
               record.m_szVendor, record.m_szProduct, record.m_szRevision, manager.GetTlaCodeText(record).GetString(),
               serial.GetString(), szUsage);
    ModelRecord row;
    std::memset(&row, 0, sizeof(row));
    if (!manager.GetModelRecord(record, row))
        row.name[0] = '\0';
    AppendLine(block, "Drive Model: %s", row.name);
    AppendLine(block, "Read speed: %s", speed.GetString());

    char szJumper[16] = "n/a";
    if (manager.GetModelInfoFlag(record) == 1 && nAdapterBus != kBusTypeUsb && nAdapterBus != kBusType1394 &&
        nAdapterBus != kBusTypeSerialAta && !bNoJumper) {
        BYTE bits = manager.GetJumperSettings(record);
        if (bTenByte)
            BitsToString3(bits, szJumper);
        else
            BitsToString8(bits, szJumper);
    }
    AppendLine(block, "Jumper Settings: %s", szJumper);

    BYTE answer[kAnswerBuffer];
    if (manager.HasBufferUnderrunProof(record)) {
        std::memset(answer, 0, sizeof(answer));
        if (manager.ModeSense(record, 5, 64, answer) == 1)
            AppendLine(block, "Buffer Underrun Proof %s", (answer[14] & 0x40) != 0 ? "enabled" : "disabled");
    }
    if (manager.IsStratafitSupported(record)) {
        std::memset(answer, 0, sizeof(answer));
        if (manager.StratafitCommand(record, 0, 0, 0, 8, answer) == 1)
            AppendLine(block, "Stratafit: %s", answer[2] != 0 ? "enabled" : "disabled");
    }
    if (manager.IsSpeedamodeSupported(record)) {
        std::memset(answer, 0, sizeof(answer));
        if (manager.SpeedamodeCommand(record, 0, 0, 8, answer) == 1)
            AppendLine(block, "Speedamode: %s", answer[1] < 6 || (answer[2] & 1) != 0 ? "enabled" : "disabled");
    }
    if (record.m_nDisconnect != kSettingNotRead && !bTenByte && nAdapterBus != kBusTypeUsb)
        AppendLine(block, "Disconnect: %s", YesNo(record.m_nDisconnect));
    if (record.m_nSyncDataTransfer != kSettingNotRead && !bTenByte && nAdapterBus != kBusTypeUsb)
        AppendLine(block, "Sync Data Transfer: %s", YesNo(record.m_nSyncDataTransfer));
    if (record.m_nAutoInsertNotification != kSettingNotRead)
        AppendLine(block, "Auto Insert Notification: %s", YesNo(record.m_nAutoInsertNotification));
    if (record.m_nDmaCurrentlyUsed != kSettingNotRead && bTenByte && nAdapterBus != kBusTypeUsb &&
        nAdapterBus != kBusType1394 && nAdapterBus != kBusTypeSerialAta)
        AppendLine(block, "DMA: %s", YesNo(record.m_nDmaCurrentlyUsed));
}

// "Media Code: " from READ DISC STRUCTURE: the DVD-R and DVD-RW kinds keep it in format 0x0E, the plus kinds and
// DVD-RAM in format 0 (or 0x11). Empty when it cannot be read.
CString MediaCodeText(CDeviceRecord& record, int nProfile)
{
    std::vector<BYTE> answer(kDiscStructureLength, 0);
    auto field = [&](int nOffset, int nWidth) {
        return CString(reinterpret_cast<const char*>(&answer[nOffset]),
                       int(strnlen(reinterpret_cast<const char*>(&answer[nOffset]), nWidth)));
    };
    if (nProfile < 0x1A && nProfile != 0x12) {
        if (g_pDriveManager->ReadDiscStructure(record, 0x0E, 0, 0, kDiscStructureLength, answer.data()) == 1 &&
            answer[21] != 0 && answer[21] != 0xFF)
            return "Media Code: " + field(21, 6) + field(29, 6);
        return "";
    }
    for (BYTE format : {BYTE(0x00), BYTE(0x11)}) {
        std::fill(answer.begin(), answer.end(), 0);
        if (g_pDriveManager->ReadDiscStructure(record, format, 0, 0, kDiscStructureLength, answer.data()) == 1 &&
            answer[23] != 0 && answer[23] != 0xFF) {
            char szRevision[8];
            std::snprintf(szRevision, sizeof(szRevision), "%02d", answer[34]);
            return "Media Code: " + field(23, 8) + " " + field(31, 3) + " " + szRevision;
        }
    }
    return "";
}

const char* DensamodeText(BYTE rate)
{
    switch (rate) {
    case 0x00:
        return "Densamode Rate: Normal";
    case 0x01:
        return "Densamode Rate: 1.2x";
    case 0x02:
        return "Densamode Rate: 1.3x";
    case 0x03:
        return "Densamode Rate: 1.4x";
    case 0x81:
        return "Densamode Rate: 0.8x";
    case 0x82:
        return "Densamode Rate: 0.7x";
    case 0x83:
        return "Densamode Rate: 0.6x";
    default:
        return nullptr;
    }
}

void AppendMediaPart(CStringArray& block, CDeviceRecord& record)
{
    CDriveManager& manager = *g_pDriveManager;
    std::vector<char> label(kDiscLabelBuffer, '\0');
    char szType[kDiscTextSize] = "";
    std::vector<BYTE> cdText(kCdTextBufferSize, 0);
    manager.GetDiscTypeText(record, label.data(), szType, cdText.data());

    BYTE toc[4] = {};
    int nTracks = -1, nSessions = -1;
    if (manager.ReadToc(record, 0, 4, toc) == 1)
        nTracks = toc[3] - toc[2] + 1;
    std::memset(toc, 0, sizeof(toc));
    if (manager.ReadToc(record, 1, 4, toc) == 1)
        nSessions = toc[3] - toc[2] + 1;

    char szLine[kLineBuffer];
    if (label[0] == '\0' || label[0] == '-')
        std::snprintf(szLine, sizeof(szLine), "%s", szType);
    else
        std::snprintf(szLine, sizeof(szLine), "%s (%s)", szType, TrimTrailingBlanks(label.data()));
    CString disc(szLine);
    if (nTracks >= 0 && nSessions >= 0) {
        std::snprintf(szLine, sizeof(szLine), ",%d session(s),%d track(s)", nSessions, nTracks);
        disc += szLine;
    }
    // The last block address is a signed 32-bit number (a blank CD may answer -151); one more than it is worked out
    // in 64 bits. The drive manager hands an answer of 0x7FFFFFFF on as 0, so the count always fits the time text.
    BYTE capacity[8] = {};
    int64_t nBlocks = 0;
    if (manager.ReadCapacity(record, capacity) == 1) {
        const uint32_t nLast =
            (uint32_t(capacity[0]) << 24) | (uint32_t(capacity[1]) << 16) | (uint32_t(capacity[2]) << 8) | capacity[3];
        nBlocks = int64_t(int32_t(nLast)) + 1;
        if (nBlocks >= 0 && nBlocks != 1 && nBlocks <= LONG_MAX) {
            char szMsf[32];
            disc += ",";
            disc += LbaToMsfText(long(nBlocks), szMsf);
        }
    }
    block.Add(disc.Left(kLineBuffer - 1));

    const int nProfile = manager.GetDvdMediaProfile(record, 0);
    if (nProfile != 0)
        block.Add(MediaCodeText(record, nProfile));

    BYTE answer[kAnswerBuffer];
    if (nBlocks > 1 && manager.TestUnitReady(record) == 1) {
        std::memset(answer, 0, sizeof(answer));
        if (manager.VendorModeCommand(record, 0, 4, 0, 8, answer) == 1 && answer[1] == 6) {
            const char* pszText = (answer[2] & 0x02) == 0 ? "Densamode Rate: Normal" : DensamodeText(answer[4]);
            if (pszText != nullptr)
                block.Add(pszText);
        }
    }
    if (nBlocks > 1 && manager.TestUnitReady(record) == 1) {
        std::memset(answer, 0, sizeof(answer));
        if (manager.VendorModeQuery(record, 0xD5, 10, answer) == 1 && answer[1] == 6)
            block.Add(answer[4] != 0 ? "Lockamode: disc is protected" : "Lockamode: disc is not protected");
    }
    if (manager.IsStratafitSupported(record)) {
        BYTE header[10] = {};
        if (manager.StratafitCommand(record, 2, 0, 0, 8, header) == 1) {
            const int nLength = BigEndian16(header);
            if (nLength >= 6 && nLength < 100) {
                std::vector<BYTE> database(size_t(nLength + 2), 0);
                if (manager.StratafitCommand(record, 2, 0, 0, nLength + 2, database.data()) == 1 &&
                    BigEndian16(database.data() + 5) < 100)
                    block.Add("The Stratafit Database is listed at the end of the logfile");
            }
        }
    }
}

void AppendDevice(CStringArray& block, const CDeviceRecord& listed, int nPlace, int nAdapterBus, bool bMediaDetails)
{
    CDeviceRecord record = listed;
    char szVendor[kVendorChars + 1] = "", szProduct[kProductChars + 1] = "", szRevision[kRevisionChars + 1] = "";
    const int nResult = g_pDriveManager->Inquiry(record, szVendor, szProduct, szRevision);
    if ((nResult & 0xFF) != 1)
        return;
    if (((nResult >> 8) & 0xFF) != kPeripheralCdDvd) {
        AppendOtherDevice(block, record, nPlace);
        return;
    }
    if (std::memcmp(record.m_szVendor, kMakerVendor, sizeof(kMakerVendor)) == 0) {
        AppendMakerDrive(block, record, nAdapterBus);
    } else {
        block.Add("");
        AppendLine(block, "ID %2d: %s %s V%s", nPlace, record.m_szVendor, record.m_szProduct, record.m_szRevision);
    }
    if (std::strstr(record.m_szVendor, "KORVATH") != nullptr && bMediaDetails)
        AppendMediaPart(block, record);
    else
        block.Add("-");
}

} // namespace

CString FormatDiskSizeLine(const char* pszLabel, uint64_t nBytes)
{
    const uint64_t nMegabytes = nBytes / 1024 / 1024;
    char szLine[kLineBuffer];
    if (double(nMegabytes) >= 1024.0)
        std::snprintf(szLine, sizeof(szLine), "%s: %.2lf GB", pszLabel, double(nMegabytes) * (1.0 / 1024.0));
    else
        std::snprintf(szLine, sizeof(szLine), "%s: %.2lf MB", pszLabel, double(nMegabytes));
    return szLine;
}

void BuildAdapterBlocks(CStringArray* pBlocks, bool bMediaDetails)
{
    for (int n = 0; n < kMaxAdapterBlocks; ++n)
        pBlocks[n].RemoveAll();
    if (g_pDriveManager == nullptr)
        return;
    CHostAdapterArray adapters;
    g_pDriveManager->CopyHostAdapters(adapters);
    const bool bOldNt = GetWindowsVersionText().Find("NT") >= 0;
    for (INT_PTR nAdapter = 0; nAdapter < adapters.GetSize() && nAdapter < kMaxAdapterBlocks; ++nAdapter) {
        CStringArray& block = pBlocks[nAdapter];
        CHostAdapter& adapter = adapters[nAdapter];
        CDriverInfo info;
        info.SetDriveIndex(BYTE(nAdapter));
        info.Collect();
        AppendAdapterHeader(block, int(nAdapter), adapter.m_nBusType, info, bOldNt);
        const INT_PTR nGroups = adapter.m_Targets.GetSize();
        for (INT_PTR nGroup = 0; nGroup < nGroups; ++nGroup) {
            if (nGroups > 1) {
                block.Add("");
                AppendLine(block, "Bus: %d", int(nGroup));
                block.Add("-------");
            }
            CArray<CDeviceRecord>& group = adapter.m_Targets[nGroup];
            for (INT_PTR nPlace = 0; nPlace < group.GetSize(); ++nPlace)
                AppendDevice(block, group[nPlace], int(nPlace), adapter.m_nBusType, bMediaDetails);
        }
    }
}
