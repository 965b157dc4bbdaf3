// src/update/UpdateChecker.h
// CUpdateChecker: asks the maker's update service, one HTTP POST per drive, whether newer firmware exists, and
// collects the answers that name a newer version. The drive walk over every drive of the maker fills the
// program-wide update list g_arrUpdates, which the update dialog shows.
//
// The service's base address is the registry value "UpdatePath" (scrambled), else a built-in default. The query
// for a drive is base + "?product=" + the drive's 16-character product identification, trailing blanks included;
// the answer is one line "identification;newest version;third field".
#ifndef TAVISK_UPDATE_UPDATECHECKER_H
#define TAVISK_UPDATE_UPDATECHECKER_H

#include "drive/HostAdapter.h"
#include "framework/Array.h"
#include "framework/String.h"
#include "update/HttpClient.h"
#include "update/ProxySettings.h"

#include <memory>
#include <vector>

class CDeviceRecord;

// One finding: the drive, the third field of the answer and the newest firmware version. The drive is not owned:
// it points into the adapter list that was walked, which outlives the finding (see WalkDrivesForUpdates).
struct UpdateEntry {
    CDeviceRecord* pDrive = nullptr;
    CString strThirdField;
    CString strNewestVersion;
};

using CUpdateEntryArray = CArray<UpdateEntry>;

// An entry of the checker's name list: a name the update service knows (a program, a language, a firmware file) and
// the finding filed under it.
struct NamedUpdateEntry {
    CString strName;
    UpdateEntry entry;
};

// The findings of the last complete drive walk; emptied by the update dialog when it goes.
extern CUpdateEntryArray g_arrUpdates;
void AddGlobalFirmwareUpdate(UpdateEntry entry);

// Where the update service's address is kept, and the address used when the registry holds none: stored scrambled
// as the registry value is, so that the program file does not show it.
extern const char kUpdatePathKey[];
extern const char kUpdatePathValue[];
extern const char kScrambledDefaultUpdateUrl[];

class CUpdateChecker {
public:
    // The proxy settings are copied: the check runs on a worker thread while the user may change them.
    CUpdateChecker(const ProxySettings* pProxy, const CString& strText);
    ~CUpdateChecker();
    CUpdateChecker(const CUpdateChecker&) = delete;
    CUpdateChecker& operator=(const CUpdateChecker&) = delete;

    // One query for the drive. TRUE when the service answered for this drive (with or without a finding) and
    // when the answer was empty; FALSE when the query failed or the answer named another drive.
    BOOL CheckFirmware(CDeviceRecord* pDrive);
    int GetUpdateCount() const { return static_cast<int>(m_arrFirmwareUpdates.GetSize()); }
    BOOL GetUpdate(int nIndex, UpdateEntry* pEntry) const;
    // The checker's own text followed by the HTTP client's; the checker's own text is emptied.
    void GetErrorText(CString* pText);
    // From the user-interface thread: stops the walk at the next drive and the request under way at once.
    void Abort();
    BOOL IsAborted() const { return m_bAborted != 0; }
    // Fills the base URL from the registry or the default when it is still empty.
    void GetUpdateUrl();
    const CString& GetBaseUrl() const { return m_strBaseUrl; }
    // The identification sent for a drive (the listed model pair sends its sibling's).
    static CString GetQueryIdentification(const CDeviceRecord& drive);
    // Splits the service's answer for the identification sent; FALSE when the answer names another drive.
    static BOOL ParseServiceAnswer(const CString& strAnswer, const CString& strIdentification, CString* pNewestVersion,
                                   CString* pThirdField);

    CHttpClient& GetHttpClient() { return m_http; }

    // Queries and downloads offered beside the firmware check; nothing in the program uses them yet.

    // POSTs base + "?program=" + the program's name. TRUE with the newest version and the third field of the answer
    // (both empty when the answer is empty); FALSE when the request failed or the answer named another program.
    BOOL CheckSoftwareUpdate(const CString& strProgram, CString* pNewestVersion, CString* pThirdField);
    // POSTs base + strPath + "?language=" + the language. TRUE with the file name that ends the answer's third field
    // (the text after its last '/'; empty when the answer is empty); FALSE as CheckSoftwareUpdate.
    BOOL CheckLanguage(const CString& strPath, const CString& strLanguage, CString* pFileName);
    // Downloads the file the URL names into the folder strBase\strRelative, creating the folders that are missing;
    // the full path of the file goes to *pFilePath when given. A failure is told in a message box. TRUE when the
    // file was downloaded, or kept because the user chose not to overwrite it.
    BOOL DownloadFirmware(const CString& strUrl, const CString& strBase, const CString& strRelative, HWND hProgressWnd,
                          BYTE bOverwriteWithoutAsking, CString* pFilePath = nullptr);
    // The same into the folder given at construction. After a download, every entry of the name list named strName
    // joins the second update list (GetSoftwareUpdates).
    BOOL DownloadFirmwareTo(const CString& strUrl, const CString& strName, HWND hProgressWnd,
                            BYTE bOverwriteWithoutAsking, CString* pFilePath = nullptr);

    // The name list, in the order of adding; names are compared as zero-terminated texts.
    void AddNamedUpdate(const CString& strName, const UpdateEntry& entry);
    int GetNamedUpdateCount() const { return static_cast<int>(m_nameList.size()); }
    // Fills the collected list anew from the name list: the first entry of each name, in the name list's order.
    void CollectNamedUpdates();
    int GetCollectedCount() const { return static_cast<int>(m_collected.size()); }
    // An entry of the collected list (it points into the name list); null when the index is out of range.
    const NamedUpdateEntry* GetCollected(int nIndex) const;
    const CUpdateEntryArray& GetSoftwareUpdates() const { return m_arrSoftwareUpdates; }

private:
    // One POST of base + strQuery; the answer must name strName. FALSE with pMismatchText as the error text when it
    // names another.
    BOOL Query(const CString& strQuery, const CString& strName, const char* pszMismatchText, CString* pNewestVersion,
               CString* pThirdField);
    BOOL DownloadInto(const CString& strUrl, const CString& strFolder, HWND hProgressWnd, BYTE bOverwriteWithoutAsking,
                      CString* pFilePath);

    std::vector<std::unique_ptr<NamedUpdateEntry>> m_nameList;
    std::vector<const NamedUpdateEntry*> m_collected;
    CUpdateEntryArray m_arrFirmwareUpdates;
    CUpdateEntryArray m_arrSoftwareUpdates;
    volatile LONG m_bAborted;
    CHttpClient m_http;
    CString m_strError;
    CString m_strBaseUrl;
    ProxySettings m_proxy;
    CString m_strText;
};

// The walk over every record of every target of every adapter of the list: each drive of the maker (vendor
// "KORVATH " exactly) is asked about; a failed query stops the walk at once, and so does an abort after a drive.
// Only a complete walk copies the findings into g_arrUpdates. TRUE when the walk was complete.
BOOL WalkDrivesForUpdates(CUpdateChecker& checker, CHostAdapterArray& adapters);

#endif
