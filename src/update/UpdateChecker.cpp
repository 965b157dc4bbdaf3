// src/update/UpdateChecker.cpp
#include "update/UpdateChecker.h"

#include "drive/DriveManager.h"
#include "framework/MessageBox.h"
#include "framework/Registry.h"
#include "update/ScrambledText.h"

#include <cstring>

CUpdateEntryArray g_arrUpdates;

const char kUpdatePathKey[] = "SOFTWARE\\Korvath\\QRVMZ\\General";
const char kUpdatePathValue[] = "UpdatePath";
// The service's own address, scrambled with the program's key (the registry value "UpdatePath" has the same form).
const char kScrambledDefaultUpdateUrl[] = "\x61\x54\x55\xCB\x15\xC7\x8F\x58\x76\x50\xB4\x57\x57\x70\xCB\x57\xC7"
                                          "\x14\x8D\x59\x45\x52\x87\x55\x41\x57\x55\xF8\x15\xC7\x8D\x5A\x57"
                                          "\x51\x56\xA5\x53\x56\xF9\x56\xF4\x15\x5B\x8D\x67\x50\x85\x56\x57"
                                          "\x61\xCB\x54\x15\xE5\x5B\x8D\x74\x53\x56\x95\x61\x54\xC9\x57\x16"
                                          "\xD5\xBD\x5A";

namespace {

const char kMakerVendorId[] = "KORVATH ";
const char kDatabaseUnavailable[] = "Failed to check for firmware upgrade.\nThe database is temporarly unavailable.";
const char kSoftwareDatabaseUnavailable[] =
    "Failed to check for software updates\nThe database is temporarly unavailable.";
const char kDownloadRefused[] = "Tavisk was unable to download the firmware upgrade for this drive.";
const char kProgramCaption[] = "Tavisk";

// The USB model of this CD writer answers with the product identification of the plain drive. Its firmware
// revisions carry a first digit after the point other than 0 (1.12, 1.20, ...), and are published under the USB
// model's own name.
const char kSiblingDriveProductId[17] = "CD-R   QZ5280   ";
const char kSiblingQueryId[] = "CD-R   QZ5280U ";

const int kInquiryBufferSize = 100;
const int kRevisionOffset = 32;
const int kRevisionLength = 4;

} // namespace

void AddGlobalFirmwareUpdate(UpdateEntry entry)
{
    g_arrUpdates.Add(entry);
}

CUpdateChecker::CUpdateChecker(const ProxySettings* pProxy, const CString& strText)
    : m_bAborted(FALSE), m_strText(strText)
{
    if (pProxy != nullptr)
        m_proxy = *pProxy;
}

CUpdateChecker::~CUpdateChecker()
{
    m_arrFirmwareUpdates.RemoveAll();
}

BOOL CUpdateChecker::GetUpdate(int nIndex, UpdateEntry* pEntry) const
{
    if (nIndex < 0 || nIndex >= GetUpdateCount())
        return FALSE;
    *pEntry = m_arrFirmwareUpdates[nIndex];
    return TRUE;
}

void CUpdateChecker::GetErrorText(CString* pText)
{
    CString strClientText;
    m_http.GetErrorText(&strClientText);
    *pText = m_strError + strClientText;
    m_strError.Empty();
}

void CUpdateChecker::Abort()
{
    ::InterlockedExchange(&m_bAborted, TRUE);
    m_http.Abort();
}

CString CUpdateChecker::GetQueryIdentification(const CDeviceRecord& drive)
{
    if (std::memcmp(drive.m_szProduct, kSiblingDriveProductId, sizeof(kSiblingDriveProductId)) == 0 &&
        drive.m_szRevision[2] != '0')
        return kSiblingQueryId;
    return CString(drive.m_szProduct);
}

// The answer is "identification;newest version;third field". The first field must be the identification that was
// sent, without its surrounding white space, in the same letter case. The version runs to the next ';' (empty when
// there is none, and then the third field is the whole rest).
BOOL CUpdateChecker::ParseServiceAnswer(const CString& strAnswer, const CString& strIdentification,
                                        CString* pNewestVersion, CString* pThirdField)
{
    const int nFirstSeparator = strAnswer.Find(';');
    const CString strFirstField = nFirstSeparator >= 0 ? strAnswer.Left(nFirstSeparator) : CString();
    CString strExpected = strIdentification;
    strExpected.Trim();
    if (strFirstField != strExpected)
        return FALSE;
    const CString strRest = strAnswer.Mid(nFirstSeparator + 1);
    const int nSecondSeparator = strRest.Find(';');
    *pNewestVersion = nSecondSeparator >= 0 ? strRest.Left(nSecondSeparator) : CString();
    *pThirdField = nSecondSeparator >= 0 ? strRest.Mid(nSecondSeparator + 1) : strRest;
    return TRUE;
}

// One POST for the drive. The current revision is read fresh from the drive (empty when it does not answer); a
// newest version that is greater in the byte order of strcmp is a finding.
BOOL CUpdateChecker::CheckFirmware(CDeviceRecord* pDrive)
{
    m_http.SetConnection(m_proxy.useProxy, m_proxy.server, m_proxy.port, m_proxy.user, m_proxy.password);
    GetUpdateUrl();
    const CString strIdentification = GetQueryIdentification(*pDrive);
    CString strAnswer;
    if (!m_http.Request(m_strBaseUrl + "?product=" + strIdentification, &strAnswer, kHttpPost))
        return FALSE;
    if (strAnswer.IsEmpty())
        return TRUE;

    UpdateEntry entry;
    entry.pDrive = pDrive;
    if (!ParseServiceAnswer(strAnswer, strIdentification, &entry.strNewestVersion, &entry.strThirdField)) {
        m_strError = kDatabaseUnavailable;
        return FALSE;
    }

    BYTE inquiry[kInquiryBufferSize] = {};
    CString strCurrent;
    if (g_pDriveManager != nullptr && g_pDriveManager->InquiryRaw(*pDrive, inquiry) == kExecCompleted)
        strCurrent = CString(reinterpret_cast<const char*>(inquiry + kRevisionOffset), kRevisionLength);
    if (std::strcmp(entry.strNewestVersion, strCurrent) > 0)
        m_arrFirmwareUpdates.Add(entry);
    return TRUE;
}

BOOL WalkDrivesForUpdates(CUpdateChecker& checker, CHostAdapterArray& adapters)
{
    BOOL bComplete = TRUE;
    ForEachDeviceRecord(adapters, [&](int, CDeviceRecord& record) {
        if (!bComplete || std::memcmp(record.m_szVendor, kMakerVendorId, sizeof(kMakerVendorId)) != 0)
            return;
        if (!checker.CheckFirmware(&record) || checker.IsAborted())
            bComplete = FALSE;
    });
    if (!bComplete)
        return FALSE;
    for (int i = 0; i < checker.GetUpdateCount(); ++i) {
        UpdateEntry entry;
        checker.GetUpdate(i, &entry);
        AddGlobalFirmwareUpdate(entry);
    }
    return TRUE;
}

// The value is read as bytes whatever its type, to its first zero byte, and unscrambled with the program's key; a
// value longer than a scrambled text can be, or one that does not unscramble, leaves the address empty. A missing
// key or value means the built-in default; any other failure (an account that may not read the key) leaves the
// address empty, and the query then fails to connect.
void CUpdateChecker::GetUpdateUrl()
{
    if (!m_strBaseUrl.IsEmpty())
        return;
    CRegistryKey key;
    LONG nResult = key.Open(HKEY_LOCAL_MACHINE, kUpdatePathKey, KEY_READ);
    DWORD dwType = 0;
    CByteArray data;
    if (nResult == ERROR_SUCCESS)
        nResult = key.QueryRaw(kUpdatePathValue, dwType, data);
    if (nResult == ERROR_FILE_NOT_FOUND) {
        m_strBaseUrl = UnscrambleText(kScrambledDefaultUpdateUrl);
        return;
    }
    if (nResult != ERROR_SUCCESS)
        return;
    if (data.GetSize() == 0) {
        return;
    }
    const char* pBytes = reinterpret_cast<const char*>(data.GetData());
    const int nSize = static_cast<int>(data.GetSize());
    int nLength = 0;
    while (nLength < nSize && pBytes[nLength] != '\0')
        ++nLength;
    m_strBaseUrl = UnscrambleText(CString(pBytes, nLength));
}

BOOL CUpdateChecker::Query(const CString& strQuery, const CString& strName, const char* pszMismatchText,
                           CString* pNewestVersion, CString* pThirdField)
{
    pNewestVersion->Empty();
    pThirdField->Empty();
    m_http.SetConnection(m_proxy.useProxy, m_proxy.server, m_proxy.port, m_proxy.user, m_proxy.password);
    GetUpdateUrl();
    CString strAnswer;
    if (!m_http.Request(m_strBaseUrl + strQuery, &strAnswer, kHttpPost))
        return FALSE;
    if (strAnswer.IsEmpty())
        return TRUE;
    if (!ParseServiceAnswer(strAnswer, strName, pNewestVersion, pThirdField)) {
        m_strError = pszMismatchText;
        return FALSE;
    }
    return TRUE;
}

BOOL CUpdateChecker::CheckSoftwareUpdate(const CString& strProgram, CString* pNewestVersion, CString* pThirdField)
{
    return Query("?program=" + strProgram, strProgram, kSoftwareDatabaseUnavailable, pNewestVersion, pThirdField);
}

// The answer names the language; its third field is where the language's file lies.
BOOL CUpdateChecker::CheckLanguage(const CString& strPath, const CString& strLanguage, CString* pFileName)
{
    CString strVersion, strLocation;
    pFileName->Empty();
    if (!Query(strPath + "?language=" + strLanguage, strLanguage, kSoftwareDatabaseUnavailable, &strVersion,
               &strLocation))
        return FALSE;
    *pFileName = strLocation.Mid(strLocation.ReverseFind('/') + 1);
    return TRUE;
}

// The download starts afresh even after an abort of the check. A failure the server gave (a status other than 200)
// gets the program's own words; any other failure the client's text.
BOOL CUpdateChecker::DownloadInto(const CString& strUrl, const CString& strFolder, HWND hProgressWnd,
                                  BYTE bOverwriteWithoutAsking, CString* pFilePath)
{
    m_http.ResetAbort();
    m_http.SetConnection(m_proxy.useProxy, m_proxy.server, m_proxy.port, m_proxy.user, m_proxy.password);
    CString strPath = strFolder;
    if (!strPath.IsEmpty() && strPath[strPath.GetLength() - 1] != '\\')
        strPath += '\\';
    m_http.TakeErrorFlag();
    const BOOL bDownloaded = m_http.DownloadFile(strUrl, &strPath, hProgressWnd, bOverwriteWithoutAsking);
    if (pFilePath != nullptr)
        *pFilePath = strPath;
    if (bDownloaded)
        return TRUE;
    CString strText;
    if (m_http.TakeErrorFlag())
        strText = kDownloadRefused;
    else
        m_http.GetErrorText(&strText);
    AfxShowMessageBox(nullptr, strText, kProgramCaption, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}

BOOL CUpdateChecker::DownloadFirmware(const CString& strUrl, const CString& strBase, const CString& strRelative,
                                      HWND hProgressWnd, BYTE bOverwriteWithoutAsking, CString* pFilePath)
{
    CDriveManager::CreateDirectoryPath(strBase, strRelative);
    const CString strFolder = strRelative.IsEmpty() ? strBase : strBase + "\\" + strRelative;
    return DownloadInto(strUrl, strFolder, hProgressWnd, bOverwriteWithoutAsking, pFilePath);
}

// The folder is the text given at construction: its first piece (a drive "C:") is taken as it is, the folders below
// it are created when missing; a folder without a backslash lies in the current one.
BOOL CUpdateChecker::DownloadFirmwareTo(const CString& strUrl, const CString& strName, HWND hProgressWnd,
                                        BYTE bOverwriteWithoutAsking, CString* pFilePath)
{
    CString strFolder = m_strText;
    strFolder.TrimRight('\\');
    const int nFirst = strFolder.Find('\\');
    if (nFirst > 0)
        CDriveManager::CreateDirectoryPath(strFolder.Left(nFirst), strFolder.Mid(nFirst + 1));
    else if (nFirst < 0 && !strFolder.IsEmpty())
        CDriveManager::CreateDirectoryPath(".", strFolder);
    if (!DownloadInto(strUrl, strFolder, hProgressWnd, bOverwriteWithoutAsking, pFilePath))
        return FALSE;
    for (const std::unique_ptr<NamedUpdateEntry>& pNamed : m_nameList)
        if (std::strcmp(pNamed->strName, strName) == 0)
            m_arrSoftwareUpdates.Add(pNamed->entry);
    return TRUE;
}

void CUpdateChecker::AddNamedUpdate(const CString& strName, const UpdateEntry& entry)
{
    m_nameList.emplace_back(new NamedUpdateEntry{strName, entry});
}

void CUpdateChecker::CollectNamedUpdates()
{
    m_collected.clear();
    for (const std::unique_ptr<NamedUpdateEntry>& pNamed : m_nameList) {
        bool bSeen = false;
        for (const NamedUpdateEntry* pCollected : m_collected)
            bSeen = bSeen || std::strcmp(pCollected->strName, pNamed->strName) == 0;
        if (!bSeen)
            m_collected.push_back(pNamed.get());
    }
}

const NamedUpdateEntry* CUpdateChecker::GetCollected(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCollectedCount())
        return nullptr;
    return m_collected[static_cast<size_t>(nIndex)];
}
