// src/drive/DeviceRecord.cpp
#include "drive/DeviceRecord.h"

#include <cstring>

// A record of a device not yet placed: adapter, target, path and LUN 0, no letter (1), bus type 0, a CD/DVD
// device type, none of the four Windows 9x settings read, empty strings and zero sense bytes.
CDeviceRecord::CDeviceRecord()
    : m_nAdapter(0), m_nTarget(0), m_nPathId(0), m_nLun(0), m_nDriveLetter(kDriveLetterNone), m_nBusType(0),
      m_nDeviceType(kDeviceTypeCdDvd), m_nAutoInsertNotification(kSettingNotRead), m_nDisconnect(kSettingNotRead),
      m_nSyncDataTransfer(kSettingNotRead), m_nDmaCurrentlyUsed(kSettingNotRead)
{
    std::memset(m_szVendor, 0, sizeof(m_szVendor));
    std::memset(m_szProduct, 0, sizeof(m_szProduct));
    std::memset(m_szRevision, 0, sizeof(m_szRevision));
    std::memset(m_szMountedDevice, 0, sizeof(m_szMountedDevice));
    std::memset(m_Sense, 0, sizeof(m_Sense));
}
