// src/drive/DiscIdentification.cpp
// What is in the drive: the recorded and writable capacity, the blank test, the manufacturer identification of a
// recordable DVD and the one-line description of the disc with its volume label.
#include "drive/DriveManager.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "drive/Cdb.h"
#include "drive/CommandSet.h"
#include "drive/DiscText.h"
#include "framework/FileFind.h"

namespace {

const int kSector = 2048;
const int kRawSector = 2352;
const long kVolumeDescriptorSector = 16;
const long kUdfAnchorSector = 256;
// How far into a UDF volume descriptor sequence a descriptor is looked for when it is not where the usual layout
// puts it (writers order the sequence differently).
const int kUdfSequenceSearch = 16;

const BYTE kUdfTagPrimaryVolume = 1;
const BYTE kUdfTagPartition = 5;
const BYTE kUdfTagLogicalVolume = 6;
const BYTE kUdfTagTerminating = 8;

const BYTE kList2352[12] = {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30};
const BYTE kList2048[12] = {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x08, 0x00};

enum FileSystem {
    kFsNone,
    kFsIso9660,
    kFsUdf
};

FileSystem FileSystemOf(const BYTE* pUserData)
{
    if (memcmp(pUserData + 1, "CD001", 5) == 0)
        return kFsIso9660;
    if (memcmp(pUserData + 1, "BEA01", 5) == 0)
        return kFsUdf;
    return kFsNone;
}

DWORD GetLe32(const BYTE* p)
{
    return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
}

const char* DvdKindName(int profile)
{
    switch (profile) {
    case 0x10:
        return "DVD-ROM";
    case 0x11:
        return "DVD-R";
    case 0x12:
        return "DVD-RAM";
    case 0x13:
    case 0x14:
        return "DVD-RW";
    case 0x15:
        return "DVD-R DL";
    case 0x1A:
        return "DVD+RW";
    case 0x1B:
        return "DVD+R";
    case 0x2B:
        return "DVD+R DL";
    default:
        return "";
    }
}

const char* const kCdKindNames[4] = {"CD-ROM", "AudioCD", "Mixed Mode CD", "CD Extra"};

void Append(char* pszWork, const char* pszText)
{
    size_t used = strlen(pszWork);
    while (*pszText != '\0' && used + 1 < size_t(kDiscTextSize))
        pszWork[used++] = *pszText++;
    pszWork[used] = '\0';
}

void CopyLabel(char* pszLabel, const BYTE* pField, int nLength)
{
    memcpy(pszLabel, pField, size_t(nLength));
    pszLabel[nLength] = '\0';
}

// Bytes 8-18 of sector 17 read "empty media" in any letter case.
bool ContainsEmptyMedia(const BYTE* pSector)
{
    static const char kText[] = "empty media";
    for (int i = 0; i < 11; ++i) {
        if (tolower(pSector[8 + i]) != kText[i])
            return false;
    }
    return true;
}

bool FileExists(int nLetter, const char* pszName)
{
    char path[MAX_PATH];
    sprintf(path, "%c:\\%s", char('A' + nLetter), pszName);
    CFileFind finder;
    BOOL found = finder.FindFile(path);
    finder.Close();
    return found != FALSE;
}

} // namespace

// --- UDF volume structures ---------------------------------------------------------------------------------------

// The main volume descriptor sequence location of the anchor at sector 256; 0 when the anchor cannot be read, is
// not an anchor (tag 2) or names location 0.
static DWORD ReadUdfSequenceLocation(CDriveManager& manager, CDeviceRecord& record)
{
    BYTE anchor[kSector];
    memset(anchor, 0, sizeof(anchor));
    if (manager.Read10(record, kUdfAnchorSector, 1, anchor) != kExecCompleted || anchor[0] != 2)
        return 0;
    return GetLe32(anchor + 20);
}

// The descriptor with the tag of a volume descriptor sequence: at location + nUsualOffset when it is there, else
// the first one with that tag among the sequence's first sectors (the walk ends at a terminating descriptor or a
// sector that cannot be read).
static bool ReadUdfDescriptor(CDriveManager& manager, CDeviceRecord& record, DWORD location, int nUsualOffset, BYTE tag,
                              BYTE* pDescriptor)
{
    memset(pDescriptor, 0, kSector);
    if (manager.Read10(record, long(location + nUsualOffset), 1, pDescriptor) != kExecCompleted)
        return false;
    if (pDescriptor[0] == tag)
        return true;
    for (int i = 0; i < kUdfSequenceSearch; ++i) {
        if (i == nUsualOffset)
            continue;
        memset(pDescriptor, 0, kSector);
        if (manager.Read10(record, long(location + i), 1, pDescriptor) != kExecCompleted)
            return false;
        if (pDescriptor[0] == tag)
            return true;
        if (pDescriptor[0] == kUdfTagTerminating)
            return false;
    }
    return false;
}

// Partition start + length of a UDF volume; 0 when the structures cannot be read.
static long UdfPartitionEnd(CDriveManager& manager, CDeviceRecord& record)
{
    DWORD location = ReadUdfSequenceLocation(manager, record);
    if (location == 0)
        return 0;
    BYTE partition[kSector];
    if (!ReadUdfDescriptor(manager, record, location, 2, kUdfTagPartition, partition))
        return 0;
    return long(GetLe32(partition + 188) + GetLe32(partition + 192));
}

// The UDF volume name: the logical volume identifier (128-byte dstring at 84) or the primary volume identifier
// (32-byte dstring at 24), at most 32 characters; empty when it cannot be read.
static void ReadUdfLabel(CDriveManager& manager, CDeviceRecord& record, bool bLogical, char* pszLabel)
{
    pszLabel[0] = '\0';
    DWORD location = ReadUdfSequenceLocation(manager, record);
    if (location == 0)
        return;
    BYTE descriptor[kSector];
    if (bLogical) {
        if (ReadUdfDescriptor(manager, record, location, 3, kUdfTagLogicalVolume, descriptor))
            DecodeUdfDString(descriptor + 84, 128, pszLabel, 32);
    } else if (ReadUdfDescriptor(manager, record, location, 0, kUdfTagPrimaryVolume, descriptor))
        DecodeUdfDString(descriptor + 24, 32, pszLabel, 32);
}

// The size a DVD+RW or DVD-RAM's file system gives it (ISO 9660 volume space size, or UDF partition end); for
// neither the byte sum of sector 16 when bSumOtherwise. 0 when sector 16 cannot be read.
static long FileSystemSize(CDriveManager& manager, CDeviceRecord& record, BYTE* pSector16, bool& bRead)
{
    memset(pSector16, 0, kSector);
    bRead = manager.Read10(record, kVolumeDescriptorSector, 1, pSector16) == kExecCompleted;
    if (!bRead)
        return 0;
    switch (FileSystemOf(pSector16)) {
    case kFsIso9660:
        return long(GetBe32(pSector16 + 84));
    case kFsUdf:
        return UdfPartitionEnd(manager, record);
    default:
        return 0;
    }
}

static long ByteSum(const BYTE* pData, int nLength)
{
    long sum = 0;
    for (int i = 0; i < nLength; ++i)
        sum += pData[i];
    return sum;
}

// --- capacities --------------------------------------------------------------------------------------------------

// An appendable disc: the size of track 1 when its track information reaches the size field (its next writable
// address instead on a one-session disc when that lies inside the track), else the lead-out start of the TOC
// (the four bytes two after the first 0xAA); 0 when neither can be read.
static long AppendableDiscCapacity(CDriveManager& manager, CDeviceRecord& record, int nSessions)
{
    BYTE track[40];
    memset(track, 0, sizeof(track));
    if (manager.ReadTrackInformation(record, 1, 1, sizeof(track), track) != kExecCompleted)
        return 0;
    // Only a block that reaches the track size (bytes 24-27) is used.
    bool sizeGiven = GetBe16(track) + 2 >= 28;
    if (sizeGiven && track[24] != 0xFF && track[27] != 0) {
        long size = long(GetBe32(track + 24));
        if (track[3] == nSessions && nSessions == 1) {
            long next = long(GetBe32(track + 12));
            if (next > 0 && next < size)
                return next;
        }
        return size;
    }
    BYTE toc[100];
    memset(toc, 0, sizeof(toc));
    if (manager.ReadToc(record, 0, sizeof(toc), toc) != kExecCompleted)
        return 0;
    for (int i = 0; i < int(sizeof(toc)); ++i) {
        if (toc[i] != 0xAA)
            continue;
        if (i + 5 >= int(sizeof(toc)))
            return 0;
        return long(GetBe32(toc + i + 2));
    }
    return 0;
}

// The capacity of a READ FORMAT CAPACITIES descriptor: the first descriptor when its type is nFirstType, else
// the first later one whose type is nLaterType or nOtherLaterType; 0 when none is or the list cannot be read.
static long FormatCapacityOfType(CDriveManager& manager, CDeviceRecord& record, BYTE nFirstType, BYTE nLaterType,
                                 BYTE nOtherLaterType)
{
    BYTE list[100];
    memset(list, 0, sizeof(list));
    if (manager.ReadFormatCapacities(record, sizeof(list), list) != kExecCompleted)
        return 0;
    int count = list[3] / 8;
    if (count > (int(sizeof(list)) - 4) / 8)
        count = (int(sizeof(list)) - 4) / 8;
    for (int i = 0; i < count; ++i) {
        const BYTE* d = list + 4 + 8 * i;
        bool qualifies = i == 0 ? d[4] == nFirstType : (d[4] == nLaterType || d[4] == nOtherLaterType);
        if (qualifies)
            return long(GetBe32(d));
    }
    return 0;
}

// The sectors of the data area: the end sector of READ DISC STRUCTURE format 0 less 0x2FFFF; 0 when the
// structure cannot be read or the end lies below 0x30000.
static long DataAreaCapacity(CDriveManager& manager, CDeviceRecord& record)
{
    BYTE structure[2048];
    memset(structure, 0, sizeof(structure));
    if (manager.ReadDiscStructure(record, 0, 0, 0, sizeof(structure), structure) != kExecCompleted)
        return 0;
    long end = long(GetBe24(structure + 13));
    return end >= 0x30000 ? end - 0x2FFFF : 0;
}

// An appendable disc: the size of track 1 (or its next writable address on a one-session disc that is still
// being written), else the lead-out start found in the TOC. A finished disc: READ CAPACITY, or for DVD+RW and
// DVD-RAM the size of the file system. A DVD-RAM without a known file system whose sector 16 is not empty counts
// its formatted capacity, or, when that cannot be read, the sectors of its data area.
long CDriveManager::GetRecordedCapacity(CDeviceRecord& record)
{
    int profile = GetDvdMediaProfile(record, TRUE);
    BYTE info[56];
    memset(info, 0, sizeof(info));
    if (ReadDiscInformation(record, sizeof(info), info) != kExecCompleted)
        return 0;

    int discStatus = info[2] & 3;
    if (discStatus == 0)
        return 0;
    if (discStatus == 1)
        return AppendableDiscCapacity(*this, record, info[4]);

    if (profile != 0x1A && profile != 0x12) {
        BYTE capacity[8];
        memset(capacity, 0, sizeof(capacity));
        if (ReadCapacity(record, capacity) != kExecCompleted)
            return 0;
        return long(GetBe32(capacity)) + 1;
    }

    BYTE sector[kSector];
    bool bRead = false;
    long size = FileSystemSize(*this, record, sector, bRead);
    if (!bRead)
        return 0;
    if (FileSystemOf(sector) != kFsNone)
        return size;
    long formatted = 0;
    if (profile == 0x12 && ByteSum(sector, kSector) != 0)
        formatted = FormatCapacityOfType(*this, record, 2, 0x04, 0x04); // the formatted capacity
    return formatted != 0 ? formatted : DataAreaCapacity(*this, record);
}

long CDriveManager::GetWritableCapacity(CDeviceRecord& record)
{
    int profile = GetDvdMediaProfile(record, TRUE);
    if (profile == 0)
        profile = GetDvdMediaProfile(record, FALSE);
    if (profile == 0)
        return 0;

    if (profile == 0x1A)
        return FormatCapacityOfType(*this, record, 1, 0x98, 0x98);
    if (profile == 0x12)
        return FormatCapacityOfType(*this, record, 2, 0x04, 0x04);
    if (profile == 0x13 || profile == 0x14)
        return FormatCapacityOfType(*this, record, 1, 0x00, 0x54);

    BYTE track[50];
    memset(track, 0, sizeof(track));
    if (ReadTrackInformation(record, 0, 0, sizeof(track), track) != kExecCompleted)
        return 0;
    return long(GetBe32(track + 16));
}

// --- blank test -------------------------------------------------------------------------------------------------

// An empty disc is blank; an incomplete one only when it is a DVD+RW whose background format has not started. A
// finished DVD+RW or DVD-RAM is blank when sector 17 says "empty media" or its file system has no size (for an
// unknown file system: sector 16 holds only zeros).
bool CDriveManager::IsBlankMedia(CDeviceRecord& record)
{
    int profile = GetDvdMediaProfile(record, FALSE);
    BYTE info[56];
    memset(info, 0, sizeof(info));
    if (ReadDiscInformation(record, sizeof(info), info) != kExecCompleted)
        return false;
    int discStatus = info[2] & 3;
    if (discStatus == 0)
        return true;
    if (discStatus == 1)
        return profile == 0x1A && (info[7] & 3) == 0;
    if (profile != 0x1A && profile != 0x12)
        return false;

    BYTE sector[kSector];
    bool bRead = false;
    long size = FileSystemSize(*this, record, sector, bRead);
    if (bRead && FileSystemOf(sector) == kFsNone)
        size = ByteSum(sector, kSector);

    BYTE sector17[kSector];
    memset(sector17, 0, sizeof(sector17));
    if (Read10(record, kVolumeDescriptorSector + 1, 1, sector17) == kExecCompleted && ContainsEmptyMedia(sector17))
        return true;
    return size == 0;
}

// --- recordable DVD manufacturer --------------------------------------------------------------------------------

static bool MediaIdPresent(BYTE b)
{
    return b != 0 && b != 0xFF;
}

char* CDriveManager::GetDvdMediaIdText(CDeviceRecord& record, char* pszText)
{
    int profile = GetDvdMediaProfile(record, FALSE);
    pszText[0] = '\0';
    BYTE answer[2052];
    if (profile < 0x1A && profile != 0x12) {
        memset(answer, 0, sizeof(answer));
        if (ReadDiscStructure(record, 0x0E, 0, 0, sizeof(answer), answer) == kExecCompleted &&
            MediaIdPresent(answer[21])) {
            char text[13];
            memcpy(text, answer + 21, 6);
            memcpy(text + 6, answer + 29, 6);
            text[12] = '\0';
            // A field may end early with a zero byte; the text then ends there.
            strcpy(pszText, text);
        }
        return pszText;
    }

    memset(answer, 0, sizeof(answer));
    bool found =
        ReadDiscStructure(record, 0, 0, 0, sizeof(answer), answer) == kExecCompleted && MediaIdPresent(answer[23]);
    if (!found) {
        memset(answer, 0, sizeof(answer));
        found = ReadDiscStructure(record, 0x11, 0, 0, sizeof(answer), answer) == kExecCompleted &&
                MediaIdPresent(answer[23]);
    }
    if (found) {
        char maker[9];
        char type[4];
        memcpy(maker, answer + 23, 8);
        maker[8] = '\0';
        memcpy(type, answer + 31, 3);
        type[3] = '\0';
        sprintf(pszText, "%s %s %02d", maker, type, int(static_cast<signed char>(answer[34])));
    }
    return pszText;
}

// --- disc description -------------------------------------------------------------------------------------------

// A DVD: its label (ISO 9660 volume identifier or UDF logical volume name), "Blank " when blank, the kind, the
// manufacturer of a blank recordable disc and the recorded size in MB.
static void DescribeDvd(CDriveManager& manager, CDeviceRecord& record, int profile, char* pszLabel, char* pszWork)
{
    pszWork[0] = '\0';
    BYTE sector[kSector];
    memset(sector, 0, sizeof(sector));
    if (manager.Read10(record, kVolumeDescriptorSector, 1, sector) == kExecCompleted) {
        FileSystem fs = FileSystemOf(sector);
        if (fs == kFsIso9660) {
            CopyLabel(pszLabel, sector + 40, 32);
            TrimTrailingBlanks(pszLabel);
        } else if (fs == kFsUdf)
            ReadUdfLabel(manager, record, true, pszLabel);
    }

    Append(pszWork, pszLabel);
    if (pszWork[0] != '\0')
        Append(pszWork, "   ");
    if (manager.IsBlankMedia(record))
        Append(pszWork, "Blank ");
    Append(pszWork, DvdKindName(profile));
    if (manager.IsBlankMedia(record)) {
        char id[64];
        Append(pszWork, ", ");
        Append(pszWork, manager.GetDvdMediaIdText(record, id));
    }
    long capacity = manager.GetRecordedCapacity(record);
    if (capacity != 0) {
        char size[32];
        sprintf(size, ", %ld MB", capacity >> 9);
        Append(pszWork, size);
    }
}

// The kind of a CD from its TOC: -1 without tracks, 0 data only, 1 audio only, 2 data first then audio, 3 audio
// first then data; the start of the first data track. Only descriptors inside the answer the drive gave are
// read.
static int CdKindFromToc(const BYTE* pToc, int nAllocation, long& firstDataStart)
{
    int kind = -1;
    firstDataStart = -1;
    int first = pToc[2];
    int last = pToc[3];
    int held = int(GetBe16(pToc)) + 2;
    if (held > nAllocation)
        held = nAllocation;
    for (int track = first, i = 0; track <= last; ++track, ++i) {
        const BYTE* d = pToc + 4 + 8 * i;
        if (4 + 8 * (i + 1) > held)
            break;
        if (d[1] & 0x04) {
            if (kind == -1)
                kind = 0;
            else if (kind == 1)
                kind = 3;
            if (firstDataStart < 0)
                firstDataStart = long(GetBe24(d + 5));
        } else {
            if (kind == -1)
                kind = 1;
            else if (kind == 0)
                kind = 2;
        }
    }
    return kind;
}

// The raw form of one sector with the block length switched to 2352 bytes for the read (drives that take the
// MODE SELECT) and restored afterwards, also when the read fails.
static ExecStatus ReadRawSectorSwitched(CDriveManager& manager, CDeviceRecord& record, long lba, BYTE* pRaw)
{
    BYTE saved[12];
    memset(saved, 0, sizeof(saved));
    bool bSaved = manager.ModeSense(record, 0x01, sizeof(saved), saved) == kExecCompleted;
    BYTE list[12];
    memcpy(list, kList2352, sizeof(list));
    manager.ModeSelect(record, sizeof(list), list);
    ExecStatus status = manager.ReadRawSectors(record, lba, 1, kRawSector, pRaw);
    memcpy(list, bSaved ? saved : kList2048, sizeof(list));
    manager.ModeSelect(record, sizeof(list), list);
    return status;
}

// Mode 2 data: XA, PlayStation, and by the files of the mounted disc VideoCD, Super VideoCD and PhotoCD.
static void DescribeMode2(const CDeviceRecord& record, int kind, const BYTE* pRaw, char* pszLabel, char* pszWork)
{
    CopyLabel(pszLabel, pRaw + 64, 32);
    if (kind != 3)
        Append(pszWork, " XA");
    if (memcmp(pRaw + 32, "PLAYSTATION", 11) == 0) {
        strcpy(pszWork, "PlayStation");
        return;
    }
    int letter = record.m_nDriveLetter;
    if (letter >= 0 && letter < 26) {
        FileExists(letter, "*.*");
        bool video = FileExists(letter, "Vcd");
        bool superVideo = FileExists(letter, "SVcd");
        bool cdi = FileExists(letter, "Cdi");
        video = video && cdi;
        if (FileExists(letter, "Mpegav") && video)
            strcpy(pszWork, "VideoCD");
        if (FileExists(letter, "Mpeg2") && superVideo)
            strcpy(pszWork, "Super VideoCD");
        bool photo = FileExists(letter, "Photo_cd");
        if (cdi && photo)
            strcpy(pszWork, "PhotoCD");
    }
    if (kind == 1)
        strcpy(pszWork, "Enhanced CD");
    if (memcmp(pRaw + 480, "PacketCD", 8) == 0)
        strcpy(pszWork, "PacketCD");
}

// A CD: the kind from the TOC, the file system of sector 16 of the first data track read raw, then the CD-TEXT.
// A blank disc is described by its manufacturer, or as an unfinished packet-written disc.
static void DescribeCd(CDriveManager& manager, CDeviceRecord& record, char* pszLabel, char* pszWork, BYTE* pCdText)
{
    BYTE capacity[8];
    memset(capacity, 0, sizeof(capacity));
    if (manager.ReadCapacity(record, capacity) == kExecCompleted) {
        long blocks = long(GetBe32(capacity)) + 1;
        if (blocks == 1 || blocks == -150) {
            BYTE track[28];
            memset(track, 0, sizeof(track));
            if (manager.ReadTrackInformation(record, 1, 2, sizeof(track), track) == kExecCompleted &&
                GetBe16(track) + 2 >= 7 && (track[6] & 0x20) != 0)
                strcpy(pszWork, "PacketCD (unfinalized)");
            else {
                char maker[kDiscTextSize];
                char name[kDiscTextSize];
                char time[kDiscTextSize];
                LONG value = 0;
                manager.GetDiscManufacturer(record, maker, &value, name, time);
                strcpy(pszWork, "Blank disc, ");
                Append(pszWork, maker);
            }
            return;
        }
    }

    int kind = -1;
    BYTE toc[804];
    memset(toc, 0, sizeof(toc));
    if (manager.ReadToc(record, 0, sizeof(toc), toc) == kExecCompleted) {
        long firstData = -1;
        kind = CdKindFromToc(toc, sizeof(toc), firstData);
        if (kind != -1) {
            strcpy(pszWork, kCdKindNames[kind]);
            long lba = (kind == 1 || firstData < 0) ? kVolumeDescriptorSector : firstData + kVolumeDescriptorSector;
            BYTE raw[kRawSector];
            memset(raw, 0, sizeof(raw));
            if (ReadRawSectorSwitched(manager, record, lba, raw) == kExecCompleted) {
                if (raw[15] == 2 && memcmp(raw + 25, "CD001", 5) == 0)
                    DescribeMode2(record, kind, raw, pszLabel, pszWork);
                else if (raw[15] == 1 && (memcmp(raw + 17, "CD001", 5) == 0 || memcmp(raw + 17, "BEA01", 5) == 0)) {
                    if (kind == 1)
                        strcpy(pszWork, "Enhanced CD");
                    else
                        Append(pszWork, " - Mode 1");
                    if (raw[17] == 'C')
                        CopyLabel(pszLabel, raw + 56, 32);
                    else
                        ReadUdfLabel(manager, record, false, pszLabel);
                }
                pszLabel[32] = '\0';
            }
        }
    }

    // CD-TEXT: the answer's length first, then the whole answer into the caller's buffer.
    manager.Seek(record, 0);
    manager.TestUnitReady(record);
    BYTE header[3000];
    memset(header, 0, sizeof(header));
    if (manager.ReadCdText(record, sizeof(header), header) == kExecCompleted) {
        int n = int(GetBe16(header));
        int whole = n + 2 < kCdTextBufferSize ? n + 2 : kCdTextBufferSize;
        if (pCdText != nullptr) {
            memset(pCdText, 0, kCdTextBufferSize);
            if (manager.ReadCdText(record, whole, pCdText) == kExecCompleted && n >= 22 && kind == 1) {
                strcpy(pszWork, "AudioCD + CD TEXT");
                GetCdTextString(kCdTextTitle, 0, pszLabel, 33, pCdText, whole);
            }
        }
    }
}

void CDriveManager::GetDiscTypeText(CDeviceRecord& record, char* pszLabel, char* pszText, BYTE* pCdText)
{
    memset(pszLabel, 0, kDiscLabelBuffer);
    char work[kDiscTextSize];
    strcpy(work, "-");
    TestUnitReady(record);
    int profile = GetDvdMediaProfile(record, FALSE);

    if (profile != 0) {
        if (TestUnitReady(record) != kExecCompleted) {
            strcpy(pszText, "-");
            return;
        }
        DescribeDvd(*this, record, profile, pszLabel, work);
        strncpy(pszText, work, 100);
        pszText[100] = '\0';
        return;
    }

    DescribeCd(*this, record, pszLabel, work, pCdText);
    TestUnitReady(record);
    strcpy(pszText, work);
    TrimTrailingBlanks(pszLabel);
}
