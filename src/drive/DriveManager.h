// src/drive/DriveManager.h
// CDriveManager: the one drive-access object of the program. It is the SCSI transport extended by the drive
// command set, mode pages, model identification and the drive, speed and media queries, each a member taking
// the target CDeviceRecord first. Reached through g_pDriveManager.
#ifndef TAVISK_DRIVE_DRIVEMANAGER_H
#define TAVISK_DRIVE_DRIVEMANAGER_H

#include <windows.h>

#include "drive/ScsiTransport.h"

class CComboBox;

class CDriveManager : public CScsiTransport {
public:
    // Records the process's current directory (one trailing backslash removed) and sets g_bIsWindows2000.
    // Sends no command and starts no back end.
    CDriveManager();
    ~CDriveManager();

    // Command set (Commands*.cpp, ModePages.cpp, ModelTable.cpp, VendorCommands.cpp, ...).

    // Arguments follow the command layouts: lba signed 32 bits, lengths, counts, sizes and addresses 32 bits,
    // flags and codes one byte. Every command returns the transport's ExecStatus (1 = completed) unless noted.

    // Standard commands (CommandsSpc.cpp)
    ExecStatus TestUnitReady(CDeviceRecord& record);
    ExecStatus RezeroUnit(CDeviceRecord& record);
    ExecStatus RequestSenseData(CDeviceRecord& record, BYTE* pBuffer18);
    int RequestSense(CDeviceRecord& record); // (byte 2 << 16) | (ASC << 8) | ASCQ, 0 on failure
    ExecStatus FormatUnit(CDeviceRecord& record, BYTE flags, int nLength, BYTE* pList);
    ExecStatus Reserve6(CDeviceRecord& record, BYTE thirdParty, BYTE deviceId);
    ExecStatus Release6(CDeviceRecord& record, BYTE thirdParty, BYTE deviceId);
    ExecStatus StartStopUnit(CDeviceRecord& record, BYTE immed, BYTE loej, BYTE start);
    ExecStatus EjectMedium(CDeviceRecord& record);
    ExecStatus LoadMedium(CDeviceRecord& record);
    ExecStatus ReceiveDiagnosticResults(CDeviceRecord& record, BYTE* pBuffer8);
    ExecStatus SendDiagnostic(CDeviceRecord& record, BYTE selfTest, BYTE* pBuffer8);
    ExecStatus LockMedium(CDeviceRecord& record);
    ExecStatus UnlockMedium(CDeviceRecord& record);
    ExecStatus ReadFormatCapacities(CDeviceRecord& record, int nLength, BYTE* pBuffer);
    ExecStatus ReadCapacity(CDeviceRecord& record, BYTE* pBuffer8);
    ExecStatus ExecCdb(CDeviceRecord& record, const BYTE* pCdb, BYTE* pBuffer, int nLength);
    int WaitUntilReady(CDeviceRecord& record); // 1 when ready, 0 when the wait gave up

    // Reads, writes and their retry rules (CommandsReadWrite.cpp)
    ExecStatus Read10(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer);
    ExecStatus Read10Sized(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE* pBuffer);
    ExecStatus Read10Fua(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE fua, BYTE* pBuffer);
    int ReadUdfVolumeDescriptors(CDeviceRecord& record, long lba, BYTE tag, BYTE* pOutput);
    ExecStatus Write10(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE* pBuffer);
    ExecStatus Write10Raw(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer);
    ExecStatus Seek10(CDeviceRecord& record, long lba);
    ExecStatus Verify10(CDeviceRecord& record, long lba, int nBlocks);
    ExecStatus SynchronizeCache(CDeviceRecord& record, BYTE immed, long lba, int nBlocks, BYTE* pBuffer);
    ExecStatus WriteBufferData(CDeviceRecord& record, BYTE mode, BYTE bufferId, int nOffset, int nLength,
                               BYTE* pBuffer);
    ExecStatus WriteBuffer(CDeviceRecord& record, BYTE mode, BYTE bufferId, int nOffset, int nLength, BYTE* pBuffer);
    ExecStatus ReadBufferData(CDeviceRecord& record, BYTE mode, int nOffset, int nLength, BYTE* pBuffer);
    ExecStatus ReadBuffer(CDeviceRecord& record, BYTE mode, BYTE bufferId, int nOffset, int nLength, BYTE* pBuffer);
    ExecStatus Read12(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer);
    ExecStatus Write12(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE streaming, BYTE* pBuffer);
    ExecStatus Write12Sized(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE* pBuffer);
    ExecStatus Write12Blocks2048(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer);
    ExecStatus Write12Subcode(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer);
    ExecStatus Verify12(CDeviceRecord& record, long lba, int nBlocks);
    ExecStatus ReadCd(CDeviceRecord& record, BYTE flags, BYTE subChannel, long lba, int nBlocks, int nBlockSize,
                      BYTE* pBuffer);
    ExecStatus ReadCdHeader(CDeviceRecord& record, BYTE flags, BYTE subChannel, long lba, int nBlocks, BYTE* pBuffer12);

    // MMC commands (CommandsMmc.cpp)
    ExecStatus ReadSubChannel(CDeviceRecord& record, BYTE subQ, BYTE msf, BYTE format, BYTE track, int nLength,
                              BYTE* pBuffer);
    ExecStatus ReadCdText(CDeviceRecord& record, int nLength, BYTE* pBuffer);
    ExecStatus ReadHeader(CDeviceRecord& record, BYTE msf, long lba, int nCount, BYTE* pBuffer);
    ExecStatus PlayAudio10(CDeviceRecord& record, long lba, int nLength);
    ExecStatus GetConfiguration(CDeviceRecord& record, int nFeature, BYTE rt, int nLength, BYTE* pBuffer);
    ExecStatus PlayAudioMsf(CDeviceRecord& record, BYTE startM, BYTE startS, BYTE startF, BYTE endM, BYTE endS,
                            BYTE endF);
    ExecStatus PlayAudioTrackIndex(CDeviceRecord& record, BYTE startTrack, BYTE startIndex, BYTE endTrack);
    ExecStatus PlayTrackRelative10(CDeviceRecord& record, BYTE track, long lba, int nLength);
    ExecStatus GetEventStatusNotification(CDeviceRecord& record, BYTE polled, BYTE classRequest, int nLength,
                                          BYTE* pBuffer);
    ExecStatus PauseAudio(CDeviceRecord& record);
    ExecStatus ResumeAudio(CDeviceRecord& record);
    ExecStatus ReadDiscInformation(CDeviceRecord& record, int nLength, BYTE* pBuffer);
    ExecStatus ReadDiscInfo(CDeviceRecord& record, int nLength, BYTE* pBuffer);
    BOOL IsDiscBlank(CDeviceRecord& record);
    ExecStatus ReadTrackInformation(CDeviceRecord& record, BYTE addressType, long number, int nLength, BYTE* pBuffer);
    ExecStatus ReserveTrack(CDeviceRecord& record, int nSize);
    ExecStatus SendOpcInformation(CDeviceRecord& record, BYTE doOpc, int nLength, BYTE* pBuffer);
    ExecStatus RepairTrack(CDeviceRecord& record, int nTrack);
    ExecStatus CloseTrackSession(CDeviceRecord& record, BYTE immed, BYTE function, int nTrack);
    ExecStatus CloseTrackSessionOnce(CDeviceRecord& record, BYTE sessionBit, BYTE trackBit, int nTrack);
    ExecStatus ReadBufferCapacity(CDeviceRecord& record, BYTE* pBuffer12);
    ExecStatus SendCueSheet(CDeviceRecord& record, int nLength, BYTE* pSheet);
    ExecStatus Blank(CDeviceRecord& record, long start, BYTE type);
    ExecStatus BlankNoImmed(CDeviceRecord& record, long start, BYTE type);
    ExecStatus BlankNoImmed2(CDeviceRecord& record, long start, BYTE type);
    ExecStatus SendKey(CDeviceRecord& record, BYTE keyFormat, BYTE agid, int nLength, BYTE* pBuffer);
    ExecStatus ReportKey(CDeviceRecord& record, long lba, BYTE keyFormat, BYTE agid, BYTE keyClass, int nLength,
                         BYTE* pBuffer);
    ExecStatus PlayAudio12(CDeviceRecord& record, long lba, int nLength);
    ExecStatus PlayTrackRelative12(CDeviceRecord& record, BYTE track, long lba, int nLength);
    ExecStatus GetPerformance(CDeviceRecord& record, long lba, BYTE dataType, BYTE maxDescriptors, BYTE type,
                              BYTE* pBuffer);
    ExecStatus ReadDiscStructure(CDeviceRecord& record, BYTE format, BYTE layer, long address, int nLength,
                                 BYTE* pBuffer);
    DWORD DvdLbaToPhysicalSector(CDeviceRecord& record, DWORD lba);
    ExecStatus SetStreaming(CDeviceRecord& record, int nLength, BYTE* pBuffer);
    ExecStatus SendDiscStructure(CDeviceRecord& record, BYTE format, int nLength, BYTE* pBuffer);

    // Mode pages in the six- or ten-byte forms, old-style reads and seeks, READ TOC/PMA/ATIP (ModePages.cpp)
    ExecStatus ModeSense(CDeviceRecord& record, BYTE page, BYTE nLength, BYTE* pBuffer);
    ExecStatus ModeSelect(CDeviceRecord& record, BYTE nLength, BYTE* pBuffer);
    ExecStatus ModeSense10(CDeviceRecord& record, BYTE page, BYTE nLength, BYTE* pBuffer);
    ExecStatus ReadBlocks(CDeviceRecord& record, long lba, int nBlocks, BYTE* pBuffer);
    ExecStatus ReadSectors(CDeviceRecord& record, long lba, int nBlocks, int nBlockSize, BYTE useReadCd, BYTE* pBuffer);
    ExecStatus Seek(CDeviceRecord& record, long lba);
    ExecStatus ReadTocPmaAtip(CDeviceRecord& record, BYTE format, BYTE trackSession, int nLength, BYTE* pBuffer);

    // Model identification (ModelLookup.cpp). Each call sends its own INQUIRY.
    bool GetModelRecord(CDeviceRecord& record, struct ModelRecord& row);
    struct ModelRecord GetModelRowOrZero(CDeviceRecord& record); // the row, all zero for an unlisted drive
    bool IsKnownModel(CDeviceRecord& record);
    CString GetModelProductId(CDeviceRecord& record);
    CString GetModelName(CDeviceRecord& record);
    CString GetModelFirmwareId(CDeviceRecord& record);
    CString GetModelSpeedText(CDeviceRecord& record, int nIndex);
    int GetModelSpeedValue(CDeviceRecord& record, int nIndex);
    int GetModelSpeedValueScan(CDeviceRecord& record);
    BYTE GetModelFlagWriter(CDeviceRecord& record);
    BYTE GetModelFlag2(CDeviceRecord& record);
    BYTE GetModelFlag3(CDeviceRecord& record);
    BYTE GetModelFlagC2(CDeviceRecord& record);
    BYTE ModelUsesModeSense10(CDeviceRecord& record);
    BYTE GetModelInfoFlag(CDeviceRecord& record);
    DWORD GetModelValue1(CDeviceRecord& record);
    DWORD GetModelValue2(CDeviceRecord& record);
    DWORD GetModelValue3(CDeviceRecord& record);
    DWORD GetModelValue4(CDeviceRecord& record);
    bool IsModelCode(CDeviceRecord& record, const char* pszCode);
    bool IsSpecialSpeedModel(CDeviceRecord& record);
    ExecStatus GetMaxReadSpeedText(CDeviceRecord& record, char* pszText);

    // Writer test (WriterQuery.cpp): true when the drive can write CD or DVD media.
    bool IsWriter(CDeviceRecord& record);

    // The maker's vendor commands (VendorCommands.cpp): 12-byte CDBs
    ExecStatus VendorCd(CDeviceRecord& record, BYTE flag, BYTE mode, DWORD value, int nWidth);
    ExecStatus ReadCdda(CDeviceRecord& record, long lba, int nBlocks, BYTE subCode, int nLength, BYTE* pBuffer);
    ExecStatus ReadCddaMsf(CDeviceRecord& record, DWORD start, DWORD end, BYTE format, BYTE* pBuffer);
    ExecStatus ReadJumperBits(CDeviceRecord& record, BYTE* pBuffer4);
    ExecStatus ReadVendorDf(CDeviceRecord& record, int nCount, BYTE* pBuffer);
    ExecStatus ReadVendorE0(CDeviceRecord& record, int nLength, BYTE* pBuffer);
    ExecStatus VendorE1(CDeviceRecord& record);
    ExecStatus WriteVendorE2(CDeviceRecord& record, BYTE b1, DWORD address, int nLength, BYTE* pBuffer);
    ExecStatus ReadVendorE3(CDeviceRecord& record, DWORD address, int nLength, BYTE* pBuffer);
    ExecStatus VendorE3Control(CDeviceRecord& record, BYTE value);
    ExecStatus ReadVendorE4(CDeviceRecord& record, BYTE* pBuffer2);
    ExecStatus StratafitCommand(CDeviceRecord& record, BYTE operation, BYTE item, BYTE set, int nLength, BYTE* pBuffer);
    ExecStatus VendorE5A(CDeviceRecord& record, BYTE value, BYTE* pBuffer12);
    ExecStatus VendorE5B(CDeviceRecord& record, BYTE value, BYTE* pBuffer12);
    ExecStatus VendorE5C(CDeviceRecord& record, BYTE b1, int nLength, BYTE* pBuffer);
    ExecStatus VendorE9Command(CDeviceRecord& record, BYTE set, BYTE b2, BYTE b3, BYTE b4, BYTE b5, int nLength,
                               BYTE* pBuffer);
    ExecStatus VendorModeQuery(CDeviceRecord& record, BYTE subCommand, int nLength, BYTE* pBuffer);
    ExecStatus VendorEaCommand(CDeviceRecord& record, DWORD address, BYTE b3, BYTE b1, BYTE b2, BYTE mode, BYTE b8,
                               int nLength, BYTE* pBuffer);
    ExecStatus VendorEaRead(CDeviceRecord& record, BYTE b1, BYTE mode, BYTE b8, BYTE b9, int nLength, BYTE* pBuffer);
    ExecStatus VendorEbRead(CDeviceRecord& record, BYTE b1, BYTE b2, BYTE flagA, BYTE flagB, int nLength,
                            BYTE* pBuffer);
    ExecStatus SpeedamodeCommand(CDeviceRecord& record, BYTE set, BYTE on, int nLength, BYTE* pBuffer);
    ExecStatus WriteVendorF0(CDeviceRecord& record, DWORD address, int nLength, BYTE* pBuffer);
    ExecStatus ReadVendorF1(CDeviceRecord& record, DWORD address, WORD value, int nLength, BYTE* pBuffer);
    ExecStatus VendorF3Command(CDeviceRecord& record, DWORD address, BYTE b3, BYTE b1, BYTE b2, BYTE b8, int nLength,
                               BYTE* pBuffer);
    ExecStatus VendorF3Range(CDeviceRecord& record, long start, long end, BYTE b1, BYTE b2, BYTE b3, BYTE lbaForm);
    ExecStatus VendorF3Simple(CDeviceRecord& record, BYTE b1, BYTE b2);
    ExecStatus VendorF3Write5(CDeviceRecord& record, const BYTE* pFiveBytes);
    ExecStatus ReadSerialBytes(CDeviceRecord& record, BYTE* pBuffer, int nLength);
    ExecStatus ReadVendorBlock(CDeviceRecord& record, DWORD address, BYTE flag, BYTE b10, int nLength, BYTE* pBuffer);
    ExecStatus ReadVendorFloat(CDeviceRecord& record, double* pOutput);
    ExecStatus ReadVendorF5(CDeviceRecord& record, BYTE b3, BYTE flag, BYTE b4, int nLength, BYTE* pBuffer);
    ExecStatus ReadVendorF6(CDeviceRecord& record, BYTE flagA, BYTE flagB, BYTE flagC, DWORD address, int nLength,
                            BYTE b10, BYTE* pBuffer);
    ExecStatus VendorF7(CDeviceRecord& record, BYTE flag, BYTE b2, BYTE b3, WORD value45, WORD value67);
    ExecStatus ReadVendorF8(CDeviceRecord& record, BYTE flag, BYTE b2, BYTE b3, WORD value45, BYTE* pBuffer2);
    ExecStatus VendorF9(CDeviceRecord& record, BYTE flag);
    ExecStatus VendorFa(CDeviceRecord& record, BYTE value);
    ExecStatus ReadVendorFb(CDeviceRecord& record, BYTE* pBuffer8);
    ExecStatus ReadVendorFc(CDeviceRecord& record, BYTE flag, DWORD address, int nLength, BYTE* pBuffer);
    ExecStatus VendorFd(CDeviceRecord& record, DWORD address, BYTE b9);
    int ReadRidCode(CDeviceRecord& record, char* pszOutput24);
    int ReadRidCodeDelayed(CDeviceRecord& record, char* pszOutput24);

    // ATA commands through the IDE pass-through and SMART requests (AtaCommands.cpp); 1 or 0
    int AtaIdentifyDevice(CDeviceRecord& record, int nLength, BYTE* pBuffer);
    int AtaSmartCommand(CDeviceRecord& record, BYTE feature, int nLength, BYTE* pBuffer);
    int AtaReadSectors(CDeviceRecord& record, DWORD lba, BYTE count, int nSectorSize, BYTE* pBuffer);
    int AtaVendorF1(CDeviceRecord& record, BYTE flagA, BYTE flagB, int nCount, int nOutLength, BYTE* pData);
    int AtaVendorF2(CDeviceRecord& record, int nLength, BYTE* pBuffer);

    // Stratafit texts (StratafitTexts.cpp)
    CString GetStratafitResultText(DWORD nCode, int nKind);
    bool GetStratafitStatusText(CDeviceRecord& record, CString& strText, int nKind);

    // TOC and media profile (MediaProfile.cpp)
    int GetDvdMediaProfile(CDeviceRecord& record, BOOL bConfigurationOnly);
    ExecStatus ReadToc(CDeviceRecord& record, BYTE format, int nLength, BYTE* pBuffer);

    // Media and disc identification (DiscIdentification.cpp, DiscManufacturer.cpp, SubChannel.cpp,
    // RawSectors.cpp, Sessions.cpp).

    // Recorded capacity in 2048-byte blocks; 0 when it cannot be determined.
    long GetRecordedCapacity(CDeviceRecord& record);
    // Blocks a DVD offers for writing; 0 when it cannot be determined or no DVD is loaded.
    long GetWritableCapacity(CDeviceRecord& record);
    // True when the medium is blank; false also when the disc information cannot be read.
    bool IsBlankMedia(CDeviceRecord& record);
    // The manufacturer identification of a recordable DVD into pszText (at least 64 characters), empty when it
    // cannot be read; returns pszText.
    char* GetDvdMediaIdText(CDeviceRecord& record, char* pszText);
    // The one-line description of the loaded disc into pszText (at least kDiscTextSize characters; "-" when the
    // drive is not ready or the disc cannot be read) and its volume label into pszLabel (at least kDiscLabelBuffer
    // characters, at most 32 used; empty when the disc has none). pCdText, when not null, holds
    // kCdTextBufferSize bytes and receives the disc's CD-TEXT data.
    void GetDiscTypeText(CDeviceRecord& record, char* pszLabel, char* pszText, BYTE* pCdText);

    // The maker of a recordable CD from its ATIP lead-in code (full TOC when the ATIP cannot be read): the full
    // text into pszText (at least 200 characters, returned), the matched row's value (kDiscMakerNoMatchValue
    // without a match), and the two partial texts of the write test pages (at least 200 characters each).
    char* GetDiscManufacturer(CDeviceRecord& record, char* pszText, LONG* pValue, char* pszNamePart, char* pszTimePart);

    // Sectors with sub-channel data (2448-byte blocks: 2352 bytes, then 96 bytes of raw P-W), by the maker's
    // audio read, READ(6) in raw density or READ CD, whichever the drive takes.
    ExecStatus ReadSectorsWithSubcode(CDeviceRecord& record, long lba, int nCount, int nBlockSize, BYTE* pBuffer);
    // The media catalogue number and a track's ISRC from the Q sub-channel into a 24-byte record: byte 8 bit 7
    // set when valid, the characters from byte 9. Return the status of the last command.
    ExecStatus ReadMediaCatalogNumber(CDeviceRecord& record, BYTE* pRecord24);
    ExecStatus ReadTrackIsrc(CDeviceRecord& record, int nTrack, BYTE* pRecord24);
    // The Q track numbers of the ten sectors from lba (lead-out: 110); nothing for a negative lba.
    void ReadQTrackNumbers(CDeviceRecord& record, long lba, int* pResults10);

    // Raw sectors of nBlockSize bytes (the caller has set the block length of old-style drives).
    ExecStatus ReadRawSectors(CDeviceRecord& record, long lba, int nCount, int nBlockSize, BYTE* pBuffer);
    // 2352-byte sectors; switches the block length of old-style drives for the read and restores it.
    ExecStatus ReadRawSectorsWithBlockLength(CDeviceRecord& record, long lba, int nCount, BYTE* pBuffer);
    int GetSectorMode(CDeviceRecord& record, long lba); // mode byte, -1 when unreadable
    int IsMode2Sector(CDeviceRecord& record, long lba); // 2 Mode 2, 6 other, 0 unreadable
    int CountTrackRunOutBlocks(CDeviceRecord& record, int nTrackIndex, long trackStart, long trackLength,
                               BOOL bFullToc);
    long GetSessionLeadOut(CDeviceRecord& record, int nTrack);
    int IsSessionLastTrack(CDeviceRecord& record, int nTrack, int nFlag);
    bool IsDiscAppendable(CDeviceRecord& record);
    void MeasureTrackExtent(CDeviceRecord& record, int nTrack, long* pStart, long* pLength, BOOL bFullToc);
    void FillTrackRange(CDeviceRecord& record, int nTrack, BYTE* pRange10, BOOL bFullToc);
    int GetTrackRange(CDeviceRecord& record, BYTE track, BYTE* pRange10, BOOL bFullToc);
    int CountSessionOneTracks(CDeviceRecord& record, int* pCount, int* pPregap);
    void GetTrackExtent(CDeviceRecord& record, int nTrack, long* pStart, long* pEnd);

    // Drive registry keys (DriveRegistryKeys.cpp).
    BOOL FindDeviceEnumKey(CDeviceRecord& record, char* pszDescription);
    void SetAutoInsertNotificationWin9x(CDeviceRecord& record, int nChannel, BOOL bDrive0, BOOL bEnable);

    // Per-drive registry settings (DriveRegistrySettings.cpp): DMA and the announcement of inserted discs, by
    // Windows family. Windows 2000 and later read the IDE channel's timing modes and the CD-ROM service's
    // "Autorun"; NT 3.51 and 4.0 the SCSI port's "DMAEnabled" and "Autorun"; Windows 95, 98 and Me the drive's
    // Enum\SCSI key.
    // Both outputs are written on the NT family (0 or 1 each); on Windows 9x only when the drive's Enum\SCSI key
    // is found (the first byte of each value, 0 for a missing value).
    void ReadDriveRegistrySettings(CDeviceRecord& record, DWORD* pAutoInsertNotification, DWORD* pDma);
    void ReadIdeTimingAndAutorun(CDeviceRecord& record, DWORD* pAutorun, DWORD* pDma);
    void ReadNt4ScsiPortSettings(CDeviceRecord& record, DWORD* pAutorun, DWORD* pDma);
    // The drive's device key: description (200 characters), hardware ID and driver key (100 characters each, or
    // null). True when a description was found.
    BOOL FindDeviceRegistryKey(CDeviceRecord& record, char* pszDescription, char* pszHardwareId, char* pszDriverKey);
    // The class GUID and instance of IDE channel 1 (primary) or 2 (secondary); both empty when not found. The
    // buffers hold 100 characters.
    void FindIdeChannelKey(int nChannel, char* pszInstance, char* pszClassGuid);
    // Writers: DMA and disc-insertion announcement of the drive, and the timing modes of an IDE channel.
    void ApplyDmaSetting(CDeviceRecord& record, BYTE bEnable);
    void ApplyAutorunSetting(CDeviceRecord& record, BYTE bEnable);
    void SetIdeTimingMode(int nChannel, BYTE bMaster, BYTE bEnable);
    // The port driver file of the drive's adapter: version, description, company (kVersionTextSize characters
    // each) and full path (MAX_PATH); false when the file is not found.
    bool ReadDriverFileVersions(CDeviceRecord& record, char* pszVersion, char* pszDescription, char* pszCompany,
                                char* pszPath);
    // Creates every directory of the relative path below the base directory; false when the first one cannot be
    // created.
    static bool CreateDirectoryPath(const char* pszBase, const char* pszRelativePath);

    // The vendor information block (VendorInfoBlock.cpp): nLength bytes from the block address into pBuffer; the
    // drives of the four-family group are read in pieces of 256 bytes from the block's start. Returns the status
    // of the last 0xF1 command (1 only when every piece was read), 0 for a length of 0 or less.
    ExecStatus ReadVendorInfoBlock(CDeviceRecord& record, DWORD address, int nLength, BYTE* pBuffer);

    // Drive features and settings (FeatureQueries.cpp, WriterQuery.cpp). Every predicate looks the model up
    // afresh; none keeps state between calls.
    bool IsCdWriter(CDeviceRecord& record);  // writes CD-R or CD-RW
    bool IsDvdWriter(CDeviceRecord& record); // writes some recordable DVD
    bool SupportsC2Pointers(CDeviceRecord& record);
    bool HasBufferUnderrunProof(CDeviceRecord& record);
    bool IsSpeedamodeSupported(CDeviceRecord& record);
    bool IsStratafitSupported(CDeviceRecord& record);
    bool IsReadModeSettingSupported(CDeviceRecord& record); // the 0xE9 0xBB read-mode setting
    bool HasFirmwareFeature1(CDeviceRecord& record);
    bool HasFirmwareFeature2(CDeviceRecord& record);
    bool HasFirmwareFeature3(CDeviceRecord& record);
    bool HasFirmwareFeature4(CDeviceRecord& record);
    bool HasFirmwareFeature5(CDeviceRecord& record);
    bool HasFirmwareFeature6(CDeviceRecord& record);
    bool HasFirmwareFeature7(CDeviceRecord& record);
    bool HasFirmwareFeature8(CDeviceRecord& record);
    int GetFirmwareFeatureLevel(CDeviceRecord& record); // 0, 1 or 17
    // The vendor mode command 0xE9 in its forms (length in bytes 9-10, data from the drive), and 0xD5 (data to
    // the drive, length in byte 10).
    ExecStatus VendorModeCommand(CDeviceRecord& record, int nSet, BYTE subCommand, BYTE value, int nLength,
                                 BYTE* pBuffer);
    ExecStatus VendorSetting(CDeviceRecord& record, int nSet, BYTE subCommand, BYTE value1, BYTE value2, int nLength,
                             BYTE* pBuffer);
    ExecStatus VendorModeFlagsCommand(CDeviceRecord& record, int nSet, BYTE subCommand, int nFlagA, int nFlagB,
                                      int nLength, BYTE* pBuffer);
    ExecStatus VendorModeRawCommand(CDeviceRecord& record, const BYTE* pBytes2to7, int nLength, BYTE* pBuffer);
    ExecStatus VendorSetting22Command(CDeviceRecord& record, BYTE value, int nSet, BYTE value2, int nLength,
                                      BYTE* pBuffer);
    ExecStatus VendorD5Command(CDeviceRecord& record, BYTE b2, BYTE b3, BYTE b4, int nLength, BYTE* pBuffer);
    // The drive option of the DVD write test: 0 off, 1 on, 2 the ending form.
    ExecStatus SetVendorOption(CDeviceRecord& record, int nOption, int nLength, BYTE* pBuffer);
    // "%d.%d.%d%c" of the usage counter(s), or ""; the buffer holds at least 40 characters and is returned.
    char* GetUsageCounterText(CDeviceRecord& record, char* pszText);
    int GetSelectedWriteSpeed(CDeviceRecord& record); // KB/s, page 0x2A bytes 28-29; 0 when unreadable
    int GetBlockLength(CDeviceRecord& record);        // 0 on failure
    ExecStatus SetBlockLength(CDeviceRecord& record, int nBlockLength, int nDensityFlag);
    ExecStatus Write6Or10(CDeviceRecord& record, long lba, BYTE nBlocks, BYTE* pBuffer);
    // A copy of the first record that carries the letter index; a default record when none does.
    CDeviceRecord GetDriveByLetter(int nDriveLetter);
    CDeviceRecord& GetDriveByLetter(CDeviceRecord& out, int nDriveLetter); // the same into out; returns out

    // Drive description texts (DriveTexts.cpp)
    // Serial number into a buffer of at least 30 characters (never more than 29 bytes written).
    bool GetSerialNumberText(CDeviceRecord& record, char* pszText);
    BYTE GetJumperSettings(CDeviceRecord& record);
    CString GetTlaCodeText(CDeviceRecord& record); // "TLA:" and four characters, or empty
    // "ID:<target>  <name>" into a buffer of at least 33 characters.
    void GetDriveLabel(CDeviceRecord& record, char* pszText);

    // CD speeds (CdSpeeds.cpp). Commands carry KB/s; the read speed in X is KB/s / 176 as read, X × 177 as sent;
    // 0xFFFF asks for the maximum.
    ExecStatus SetCdSpeed(CDeviceRecord& record, int nReadKbps, int nWriteKbps);
    int GetMaxWriteSpeed(CDeviceRecord& record);            // KB/s; 9152 when page 0x2A cannot be read
    int GetCurrentWriteSpeed(CDeviceRecord& record);        // KB/s; 0 when page 0x2A cannot be read
    int GetMaxReadSpeed(CDeviceRecord& record);             // X; 0 when unreadable
    int SetCdReadSpeed(CDeviceRecord& record, int nSpeedX); // 0 = maximum; always returns 0
    // The read-speed text into a buffer of at least 16 characters; nUnused is ignored.
    char* GetReadSpeedText(CDeviceRecord& record, int nUnused, char* pszText);
    char* GetReadSpeedDisplayText(CDeviceRecord& record, int nUnused, char* pszText);
    int GetReadSpeedIndex(CDeviceRecord& record);
    bool FillCdReadSpeedCombo(CDeviceRecord& record, CComboBox& combo);
    bool ApplyCdReadSpeedFromCombo(CDeviceRecord& record, CComboBox& combo);

    // DVD speeds (DvdSpeeds.cpp). 1 X = 1385 KB/s. SetStreamingSpeeds: read -1 = maximum; write 0 = keep the
    // selected one, -1 = maximum.
    ExecStatus SetStreamingSpeeds(CDeviceRecord& record, int nReadKbps, int nWriteKbps);
    int GetDvdReadSpeed(CDeviceRecord& record);                       // KB/s; 0 when unreadable
    char* GetReadSpeedListText(CDeviceRecord& record, char* pszText); // buffer of at least 16 characters
    int FillDvdReadSpeedCombo(CDeviceRecord& record, CComboBox& combo);
    ExecStatus ApplyDvdReadSpeedFromCombo(CDeviceRecord& record, CComboBox& combo);
    CString GetDvdWriteSpeedList(CDeviceRecord& record);
    CString GetDvdMediaSpeedText(CDeviceRecord& record, BOOL bHighestOnly);
    bool FillWriteSpeedCombo(CDeviceRecord& record, CComboBox& combo, BOOL bDvd);
    bool ApplyWriteSpeedFromCombo(CDeviceRecord& record, CComboBox& combo, BOOL bDvd);

    // The per-model CD read-speed cache under the program's registry key, the install directory and the help
    // file (SpeedCache.cpp, InstallPaths.cpp).
    int LoadSpeedCache(CDeviceRecord& record, int* pSpeeds60); // number of speeds in X, fastest first
    void DetectSupportedSpeeds(CDeviceRecord& record);
    void SaveSpeedCache(CDeviceRecord& record, const char* pszSpeeds, int nCount);
    void GetInstallPaths(char* pszPath260); // the install directory without trailing backslash
    CString GetHelpFilePath();

    // Texts of the program and of the ASPI layer (DriveManagerTexts.cpp).
    // Version, description and company of the file named by the ASPI DLL name, each "n/a" when missing; the
    // buffers hold kAspiDllNameSize characters each. On the Windows 2000 family the version carries string 135.
    void GetFileDescriptionText(char* pszVersion, char* pszDescription, char* pszCompany);
    // String 162, the program's name; empty when the resource is missing.
    static CString LoadProgramName();

    char m_szStartDir[MAX_PATH]; // current directory at construction, without a trailing backslash
};

// Sizes of the disc description's buffers.
const int kDiscTextSize = 200;
const int kDiscLabelBuffer = 1000;

// "  " and the text of a sense code: no disc, TOC being read, or unspecified; returns pszText (at least 64
// characters).
char* SenseToText(int32_t nSenseCode, char* pszText);

// The display form of a speed text: the first 'X' becomes " X" ("20-48X CAV" -> "20-48 X CAV", "40 X" ->
// "40  X"); "", "maximum" and a text without 'X' stay. The buffer needs room for one more character. Returns
// pszText.
char* FormatSpeedText(char* pszText);

// The first entry of a model row's CD speed list (ten texts such as "4X CLV", "20-48X CAV") that names the speed
// x: the number directly before an 'X', at the entry's start or after a hyphen ("4X CLV" and "2-4X CAV" name 4 X,
// "10-24X CAV" does not); -1 when none does.
int FindSpeedListEntry(const char (*pEntries)[16], int nSpeedX);

// Windows 9x: the two settings of HKLM Enum\SCSI\<device ID>\<instance> (first byte of "AutoInsertNotification"
// and "DMACurrentlyUsed", 0 when missing); the outputs stay untouched when the key is missing. Returns 0.
int GetAutoInsertNotification(const char* pszDeviceId, const char* pszInstance, DWORD* pAutoInsertNotification,
                              DWORD* pDma);
// Windows 9x: the device ID and instance of the first present device of HKEY_DYN_DATA "Config Manager\Enum" whose
// hardware key holds the INQUIRY vendor and product (spaces as underscores). With bFromVendorName the device ID
// starts at "KORVATH"; otherwise only a key containing "SCSI" counts, its device ID starting after the first
// backslash. The device ID ends at the next backslash and the instance is the rest. False when none matches.
bool FindWin9xDeviceKey(const char* pszVendor, const char* pszProduct, bool bFromVendorName, CString& deviceId,
                        CString& instance);
// A Windows 9x hardware key (SCSI\<vendor and product>\<parent instance><target><lun>) split into the parent's
// enumerator, device ID and instance (100-character buffers). Behind the enumerator the device ID takes one field
// when the enumerator contains "MF", otherwise four fields; with bByAmpersandCount a rest of two to four fields
// gives the device ID all but its last field (one field for a rest of two).
void SplitWin9xHardwareKey(const char* pszHardwareKey, char* pszEnumerator, char* pszDeviceId, char* pszInstance,
                           bool bByAmpersandCount);
// Setters; one that cannot open its key writes nothing. SetAutoInsertNotification returns 0.
int SetAutoInsertNotification(const char* pszDeviceId, const char* pszInstance, BYTE bEnable);
void SetIdeDmaDrive(BYTE bMaster, BYTE bEnable, const char* pszDriverKey);
void SetAtapiDriverParameter(int nAdapter, BYTE bEnable);
void SetCdromAutorun(BYTE bEnable);

extern CDriveManager* g_pDriveManager; // the one drive manager; null before the main dialog made it
extern BYTE g_bIsWindows2000;          // 1 on Windows NT 5.0 exactly

// The texts of GetFileDescriptionText for any file: "n/a" for a missing file or item; on the Windows 2000 family
// the version is followed by string 135 in parentheses. Buffers of kAspiDllNameSize characters.
void GetAspiLayerTexts(LPCSTR pszFile, char* pszVersion, char* pszDescription, char* pszCompany);

#endif
