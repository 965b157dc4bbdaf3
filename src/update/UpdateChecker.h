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

class CDeviceRecord;

// One finding: the drive, the third field of the answer and the newest firmware version. The drive is not owned:
// it points into the adapter list that was walked, which outlives the finding (see WalkDrivesForUpdates).
struct UpdateEntry {
    CDeviceRecord* pDrive = nullptr;
    CString strThirdField;
    CString strNewestVersion;
};

typedef CArray<UpdateEntry> CUpdateEntryArray;

// The findings of the last complete drive walk; emptied by the update dialog when it goes.
extern CUpdateEntryArray g_arrUpdates;
void AddGlobalFirmwareUpdate(UpdateEntry entry);

// Where the update service's address is kept, and the address used when the registry holds none.
extern const char kUpdatePathKey[];
extern const char kUpdatePathValue[];
extern const char kDefaultUpdateUrl[];

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

private:
    CUpdateEntryArray m_arrFirmwareUpdates;
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
