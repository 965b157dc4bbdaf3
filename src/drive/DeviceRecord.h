// src/drive/DeviceRecord.h
// The plain record of one SCSI device (one LUN) and the bus-type codes of host adapters.
// Free of <windows.h>: the record is shared by the transport, the command decoders and native tools.
#ifndef TAVISK_DRIVE_DEVICERECORD_H
#define TAVISK_DRIVE_DEVICERECORD_H

#include <cstddef>
#include <cstdint>

// BusType: the code of a host adapter, copied into m_nBusType of each of its records.
enum BusType : int32_t {
    kBusTypeNotSet = -1,    // a new adapter
    kBusTypeIdeChannel = 0, // primary or secondary channel of an IDE controller, or a hard-disk-controller class
    kBusTypeAta = 1,        // ATA controller that is not a primary or secondary IDE channel
    kBusTypeSerialAta = 2,
    kBusTypeScsi = 3,
    kBusTypeUsb = 4,
    kBusType1394 = 5,
    kBusTypeLetterOnly = 6, // other Plug and Play device, reached only through its drive letter
    kBusTypeNoClass = 666   // no device class holds the port driver; removed by the pass-through start-up
};

// Drive-letter indexes with a special meaning (0 = A:, 2 = C:, 25 = Z:).
const int32_t kDriveLetterNone = 1;      // no letter known (not B:)
const int32_t kDriveLetterRefused = 256; // every command returns 0
const int32_t kDriveLetterInvalid = -1;  // pass-through commands return -1
const int32_t kFirstDriveLetterSlot = 2; // C:
const int32_t kLastDriveLetterSlot = 25; // Z:
const int32_t kDriveLetterCount = 26;

// An index of the transport's 26 letter slots (A: to Z:).
inline bool IsDriveLetterIndex(int32_t nLetter)
{
    return nLetter >= 0 && nLetter < kDriveLetterCount;
}

// A letter whose device the pass-through commands may open: C: to Z:. Index 1 means "no letter", never B:.
inline bool IsDriveLetterSlot(int32_t nLetter)
{
    return nLetter >= kFirstDriveLetterSlot && nLetter <= kLastDriveLetterSlot;
}

const int32_t kDeviceTypeCdDvd = 5; // peripheral device type of a CD/DVD device
const int32_t kSettingNotRead = -1; // the four Windows 9x driver settings when none was read
const int kDeviceSenseBytes = 16;   // size of m_Sense; commands write bytes 0-13

// One SCSI device. A plain value: default construction sets the defaults below, copying copies every field.
class CDeviceRecord {
public:
    CDeviceRecord();

    int32_t m_nAdapter;                 // index in the transport's adapter list (ASPI: host adapter number)
    int32_t m_nTarget;                  // SCSI target id
    int32_t m_nPathId;                  // SCSI path id (bus within the port); pass-through only
    int32_t m_nLun;                     // logical unit number
    int32_t m_nDriveLetter;             // 0 = A:, 2 = C:, 25 = Z:; 1 = none; 256 and -1 refused (see above)
    int32_t m_nBusType;                 // BusType of the adapter
    int32_t m_nDeviceType;              // INQUIRY byte 0 (qualifier included); 5 = CD/DVD
    int32_t m_nAutoInsertNotification;  // -1 = none read
    int32_t m_nDisconnect;              // -1 = none read
    int32_t m_nSyncDataTransfer;        // -1 = none read
    int32_t m_nDmaCurrentlyUsed;        // -1 = none read
    char m_szVendor[9];                 // INQUIRY vendor identification, 8 characters + NUL
    char m_szProduct[17];               // INQUIRY product identification, 16 characters + NUL
    char m_szRevision[5];               // INQUIRY product revision level, 4 characters + NUL
    char m_szMountedDevice[300];        // mounted-device name of a drive found through MountedDevices
    uint8_t m_Sense[kDeviceSenseBytes]; // fixed-format sense data of the last command (bytes 0-13 written)
};

static_assert(sizeof(CDeviceRecord) == 392, "CDeviceRecord layout");
static_assert(offsetof(CDeviceRecord, m_szVendor) == 44, "CDeviceRecord layout");
static_assert(offsetof(CDeviceRecord, m_Sense) == 375, "CDeviceRecord layout");

#endif
