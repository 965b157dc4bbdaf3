// src/report/DriverInfo.h
// CDriverInfo: which storage driver serves one host adapter: the device class and description of the adapter (or
// of the IDE channel that holds the maker's drive), the port driver file with its path, version, description and
// maker, and on Windows 95, 98 and Me the driver's provider and date. Read from the registry, the adapter query of
// the transport and the version resource of the driver file.
#ifndef TAVISK_REPORT_DRIVERINFO_H
#define TAVISK_REPORT_DRIVERINFO_H

#include <windows.h>

#include "framework/String.h"

class CDriverInfo {
public:
    CDriverInfo();
    ~CDriverInfo();

    void SetDriveIndex(BYTE nAdapter) { m_nAdapterIndex = nAdapter; }
    // Empties every text and sets m_nMaxTargets and m_nAdapterScsiId to 0; m_nAdapterIndex stays.
    void Clear();
    // Fills the record for the adapter at m_nAdapterIndex of the drive manager's adapter list, by Windows family:
    // NT 5 and later (2000, XP, Server 2003, Vista), NT 3.51 and 4.0, Windows 95/98/Me. Clears it first.
    void Collect();

    // The drive-letter index (0 = A:) of the maker's drive on the adapter (highest target, lowest LUN), or
    // kNoDriveLetter.
    int FindDriveLetter();
    static constexpr int kNoDriveLetter = 99;

    // "\DosDevices\X:" of System\MountedDevices: the enumerator (before the first '#') and the instance (between
    // the second and the third '#'), each at most 49 characters; both empty when the value is missing.
    static void ReadMountedDevice(BYTE nDriveLetter, char* pszEnumerator, char* pszInstance);

    char m_szType[100];              // display name of the device class
    char m_szProvider[200];          // driver provider; Windows 9x only
    char m_szDeviceDescription[200]; // the adapter's or channel's "DeviceDesc"
    char m_szDriverDescription[200]; // file description of the port driver and its company in parentheses
    char m_szLocation[200];          // full path of the port driver file
    char m_szVersion[50];            // "FileVersion" of the port driver file
    char m_szDate[20];               // "DriverDate"; Windows 9x only
    char m_szPortDriver[20];         // file name of the port driver (atapi.sys)
    int m_nMaxTargets;               // 0 when the adapter does not report it
    BYTE m_nAdapterScsiId;
    BYTE m_nAdapterIndex;

private:
    void CollectNT5();
    bool CollectWin9x(BYTE nDriveLetter);
    void CollectFromServiceEnum(const char* pszInstance);
    void CollectFromServiceEnumByName(const char* pszService, const char* pszInstance);
    bool ReadEnumDevice(const char* pszMatch, const CString& enumerator, const CString& deviceId,
                        const CString& instance);
    void ReadControlClassDefault(const CString& classGuid);
    void ReadPortDriverImagePath();
    void ReadClassDriverKey(const CString& driverKey);
    void ReadDriverFileVersion();
    // The adapter query: SCSI ID and maximum targets from it; the port driver name into pszPort (100 characters).
    bool QueryAdapter(char* pszPort);
    void SetPortDriverFromImagePath(const CString& imagePath);
    // Walks the "Enum" values of an open service key; stops when the visitor returns true.
    template <class Visitor>
    void ForEachServiceDevice(HKEY hService, Visitor visit);
};

// Splits a Windows 9x hardware key (SCSI\<vendor and product>\<parent instance><target><lun>) into the parent's
// enumerator, device ID and instance (each at most 99 characters).
void ParseDeviceIdString(const char* pszHardwareKey, char* pszEnumerator, char* pszDeviceId, char* pszInstance);

#endif
