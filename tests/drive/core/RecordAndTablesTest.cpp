// tests/drive/core/RecordAndTablesTest.cpp
// Device records and adapters, the opcode tables, the sense-message table and the port inquiry data walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "support/DriveRecords.h"
#include "drive/CommandTables.h"
#include "drive/InquiryData.h"
#include "drive/SenseCodes.h"

namespace {

TEST(DeviceRecord, DefaultsAreTheUnplacedDevice)
{
    CDeviceRecord record;
    EXPECT_EQ(1, record.m_nDriveLetter);
    EXPECT_EQ(0, record.m_nBusType);
    EXPECT_EQ(5, record.m_nDeviceType);
    EXPECT_EQ(-1, record.m_nAutoInsertNotification);
    EXPECT_EQ(-1, record.m_nDisconnect);
    EXPECT_EQ(-1, record.m_nSyncDataTransfer);
    EXPECT_EQ(-1, record.m_nDmaCurrentlyUsed);
    EXPECT_STREQ("", record.m_szVendor);
    EXPECT_STREQ("", record.m_szProduct);
    EXPECT_STREQ("", record.m_szRevision);
    EXPECT_STREQ("", record.m_szMountedDevice);
    for (uint8_t b : record.m_Sense)
        EXPECT_EQ(0, b);
}

TEST(DeviceRecord, CopyKeepsEveryFieldAndTheTerminators)
{
    CDeviceRecord record = MakeRecord(3, 4, 7, 1, 2);
    record.m_nBusType = kBusTypeUsb;
    record.m_nDeviceType = 0x85;
    record.m_nAutoInsertNotification = 1;
    record.m_nDisconnect = 0;
    record.m_nSyncDataTransfer = 1;
    record.m_nDmaCurrentlyUsed = 0;
    std::memcpy(record.m_szVendor, "KORVATH ", 9);
    std::memcpy(record.m_szProduct, "DVDR   QZ6820A  ", 17);
    std::memcpy(record.m_szRevision, "1.05", 5);
    std::memset(record.m_szMountedDevice, 'm', 299);
    for (int i = 0; i < 16; ++i)
        record.m_Sense[i] = uint8_t(0xA0 + i);

    CDeviceRecord copy(record);
    CDeviceRecord assigned;
    assigned = record;
    for (const CDeviceRecord* p : {&copy, &assigned}) {
        EXPECT_EQ(0, std::memcmp(p, &record, offsetof(CDeviceRecord, m_Sense) + sizeof(record.m_Sense)));
        EXPECT_EQ('\0', p->m_szVendor[8]);
        EXPECT_EQ('\0', p->m_szProduct[16]);
        EXPECT_EQ('\0', p->m_szRevision[4]);
        EXPECT_EQ('\0', p->m_szMountedDevice[299]);
    }
}

TEST(HostAdapter, CopyIsIndependentOfItsSource)
{
    CHostAdapter source;
    source.m_nBusType = kBusTypeScsi;
    source.m_nPortNumber = 2;
    source.m_strName = "\\\\.\\SCSI2:";
    for (int g = 0; g < 3; ++g) {
        CArray<CDeviceRecord> group;
        group.Add(MakeRecord(0, g, 2 + g));
        group.Add(MakeRecord(0, g, 5 + g, 1));
        source.m_Targets.Add(group);
    }

    CHostAdapter copy(source);
    CHostAdapter assigned;
    assigned = source;
    for (CHostAdapter* p : {&copy, &assigned}) {
        ASSERT_EQ(3, p->m_Targets.GetSize());
        EXPECT_EQ(kBusTypeScsi, p->m_nBusType);
        EXPECT_EQ(2, p->m_nPortNumber);
        EXPECT_STREQ("\\\\.\\SCSI2:", p->m_strName);
        p->m_Targets[1][1].m_nTarget = 99;
        p->m_Targets[2].RemoveAt(0);
    }
    EXPECT_EQ(1, source.m_Targets[1][1].m_nTarget);
    EXPECT_EQ(2, source.m_Targets[2].GetSize());

    CHostAdapter& self = source;
    source = self;
    EXPECT_EQ(3, source.m_Targets.GetSize());
    EXPECT_EQ(2, source.m_Targets[0].GetSize());
    EXPECT_STREQ("\\\\.\\SCSI2:", source.m_strName);
}

TEST(CommandTables, DirectionOfEveryOperationCode)
{
    const std::set<int> out = {0x04, 0x0A, 0x15, 0x1D, 0x2A, 0x3B, 0x54, 0x55, 0x5D,
                               0xA3, 0xAA, 0xB6, 0xBF, 0xD5, 0xE2, 0xE5, 0xF0, 0xFD};
    int buffer = 0;
    for (int op = 0; op < 256; ++op) {
        SCOPED_TRACE(op);
        EXPECT_EQ(out.count(op) != 0, IsDataOutOpcode(uint8_t(op)));
        EXPECT_EQ(out.count(op) ? kDataOut : kDataIn, CommandDirection(uint8_t(op), &buffer, 4));
        EXPECT_EQ(kDataNone, CommandDirection(uint8_t(op), nullptr, 0));
    }
    // A buffer of length 0, or a length without a buffer, still names a direction.
    EXPECT_EQ(kDataIn, CommandDirection(0x28, &buffer, 0));
    EXPECT_EQ(kDataOut, CommandDirection(0x2A, nullptr, 2048));
}

TEST(CommandTables, CdbLengthAndTimeOutByOperationCode)
{
    const struct {
        int nOpcode, nLength;
    } cases[] = {{0x00, 6},  {0x12, 6},  {0x1F, 6},  {0x20, 10}, {0x28, 10}, {0x5A, 10},
                 {0x5F, 10}, {0x60, 12}, {0xA1, 12}, {0xBE, 12}, {0xF1, 12}, {0xFF, 12}};
    for (const auto& c : cases)
        EXPECT_EQ(c.nLength, CdbLengthForOpcode(uint8_t(c.nOpcode))) << std::hex << c.nOpcode;
    EXPECT_EQ(30u, PassThroughTimeoutSeconds(0x5C));
    EXPECT_EQ(4800u, PassThroughTimeoutSeconds(0x5B));
    EXPECT_EQ(4800u, PassThroughTimeoutSeconds(0x00));
}

// Every row of the message table, with codes at and around its edges. Byte 2 is taken whole.
TEST(SenseMessages, EveryRowOfTheTable)
{
    const struct {
        uint8_t nByte2, nAsc, nAscq;
        const char* pszText;
    } cases[] = {
        {0x01, 0x00, 0x00, "Recovered error"},
        {0x01, 0x37, 0x00, "Recovered error"},
        {0x02, 0x04, 0x01, "Reading of TOC in progress"},
        {0x02, 0x3A, 0x00, "No disc in drive"},
        {0x02, 0x3A, 0x01, "No disc in drive"},
        {0x02, 0x3A, 0x02, "No disc in drive"},
        {0x02, 0x3A, 0x03, "Drive not ready"},
        {0x02, 0x04, 0x08, "Drive not ready"},
        {0x03, 0x02, 0x00, "Unable to seek to requested position"},
        {0x03, 0x0C, 0x09, "Buffer underrun"},
        {0x03, 0x11, 0x05, "Uncorrectable read error"},
        {0x03, 0x11, 0x06, "Uncorrectable read error"},
        {0x03, 0x72, 0x01, "Error writing Lead-In"},
        {0x03, 0x72, 0x02, "Error writing Lead-Out"},
        {0x03, 0x73, 0x03, "Power calibration failed"},
        {0x03, 0x11, 0x00, "Medium error"},
        {0x04, 0x47, 0x00, "Bus error"},
        {0x04, 0x44, 0x00, "Hardware error"},
        {0x05, 0x20, 0x00, "Invalid command"},
        {0x05, 0x21, 0x00, "Address out of range"},
        {0x05, 0x21, 0x02, "Invalid address"},
        {0x05, 0x24, 0x00, "Invalid parameter"},
        {0x05, 0x25, 0x00, "Unit not supported"},
        {0x05, 0x26, 0x00, "Invalid field in parameter list"},
        {0x05, 0x64, 0x00, "Illegal mode for this track"},
        {0x05, 0x21, 0x01, "Illegal request"},
        {0x06, 0x29, 0x00, "Drive reset occurred"},
        {0x06, 0x28, 0x00, "Unit attention"},
        {0x0B, 0x00, 0x00, "Command aborted"},
        {0x0B, 0x4E, 0x00, "Command aborted"},
        {0x00, 0x00, 0x00, "Unspecified error"},
        {0x00, 0x3A, 0x00, "Unspecified error"},
        {0x07, 0x27, 0x00, "Unspecified error"},
        {0x08, 0x00, 0x00, "Unspecified error"},
        {0x09, 0x00, 0x00, "Unspecified error"},
        {0x0A, 0x00, 0x00, "Unspecified error"},
        {0x0C, 0x00, 0x00, "Unspecified error"},
        {0x22, 0x3A, 0x00, "Unspecified error"}, // incorrect-length bit with sense key 2
        {0x85, 0x20, 0x00, "Unspecified error"}, // file-mark bit with sense key 5
    };
    CScsiTransport transport;
    for (const auto& c : cases) {
        CDeviceRecord record;
        SetSense(record, c.nByte2, c.nAsc, c.nAscq);
        int32_t nCode = (c.nByte2 << 16) | (c.nAsc << 8) | c.nAscq;
        EXPECT_EQ(nCode, GetSenseCode(record));
        char szExpected[128];
        std::snprintf(szExpected, sizeof(szExpected), "%s (code %06lX)", c.pszText, static_cast<unsigned long>(nCode));
        EXPECT_STREQ(szExpected, transport.FormatSenseMessage(record));
    }
}

// Builds port inquiry data: nBuses buses, each chain given as entry offsets; entries hold path/target/LUN.
struct PortData {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(4096, 0);

    void Bus(int nBus, uint8_t nInitiator, uint32_t nFirst)
    {
        bytes[0] = uint8_t(std::max<int>(bytes[0], nBus + 1));
        bytes[4 + 8 * nBus + 1] = nInitiator;
        Put32(4 + 8 * nBus + 4, nFirst);
    }
    void Entry(uint32_t nAt, uint8_t nPath, uint8_t nTarget, uint8_t nLun, uint32_t nLength, uint32_t nNext,
               const char* pszVendor)
    {
        bytes[nAt] = nPath;
        bytes[nAt + 1] = nTarget;
        bytes[nAt + 2] = nLun;
        Put32(nAt + 4, nLength);
        Put32(nAt + 8, nNext);
        bytes[nAt + 12] = 5;
        std::memcpy(&bytes[nAt + 12 + 8], pszVendor, std::strlen(pszVendor));
    }
    void Put32(size_t nAt, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes[nAt + i] = uint8_t(v >> (8 * i));
    }
};

TEST(PortInquiryData, WalksBusesAndChains)
{
    PortData data;
    data.Bus(0, 7, 0x40);
    data.Bus(1, 6, 0x100);
    data.Entry(0x40, 0, 0, 0, 36, 0x80, "DISK    ");
    data.Entry(0x80, 0, 1, 0, 36, 0, "KORVATH ");
    data.Entry(0x100, 1, 3, 0, 36, 0, "OTHER   ");
    PortInquiryEntry entries[8];
    ASSERT_EQ(3, ParsePortInquiryData(data.bytes.data(), 0x200, entries, 8));
    EXPECT_EQ(1, entries[1].nTargetId);
    EXPECT_EQ(0, std::memcmp(entries[1].pInquiry + 8, "KORVATH ", 8));
    EXPECT_EQ(1, entries[2].nBus);
    EXPECT_EQ(1, entries[2].nPathId);
    EXPECT_EQ(6, entries[2].nInitiatorBusId);
    EXPECT_EQ(36u, entries[2].nInquiryLength);
    EXPECT_EQ(2, PortInquiryBusCount(data.bytes.data(), 0x200));
    EXPECT_EQ(7, PortInquiryInitiatorId(data.bytes.data(), 0x200));
}

// Offsets and lengths from the driver are not trusted.
TEST(PortInquiryData, StaysInsideTheReturnedBytes)
{
    PortInquiryEntry entries[kMaxPortInquiryEntries];
    {
        PortData cyclic;
        cyclic.Bus(0, 7, 0x40);
        cyclic.Entry(0x40, 0, 0, 0, 36, 0x80, "A");
        cyclic.Entry(0x80, 0, 1, 0, 36, 0x40, "B");
        EXPECT_EQ(2, ParsePortInquiryData(cyclic.bytes.data(), 0x100, entries, kMaxPortInquiryEntries));
    }
    {
        PortData beyond;
        beyond.Bus(0, 7, 0x40);
        beyond.Entry(0x40, 0, 0, 0, 0xFFFFFFF0u, 0x7FFFFFF0u, "A");
        ASSERT_EQ(1, ParsePortInquiryData(beyond.bytes.data(), 0x60, entries, kMaxPortInquiryEntries));
        EXPECT_EQ(0x60u - 0x40u - 12u, entries[0].nInquiryLength);
    }
    {
        PortData cut;
        cut.Bus(0, 7, 0x40);
        cut.Entry(0x40, 0, 0, 0, 36, 0, "A");
        EXPECT_EQ(0, ParsePortInquiryData(cut.bytes.data(), 0x40 + 11, entries, kMaxPortInquiryEntries));
    }
    {
        PortData manyBuses;
        manyBuses.bytes[0] = 255;
        EXPECT_EQ(0, ParsePortInquiryData(manyBuses.bytes.data(), 64, entries, kMaxPortInquiryEntries));
    }
    EXPECT_EQ(0, ParsePortInquiryData(nullptr, 0, entries, kMaxPortInquiryEntries));
    EXPECT_EQ(-1, PortInquiryInitiatorId(nullptr, 0));
}

TEST(InquiryData, PrintableTextAndStrings)
{
    char text[] = "AB\x7F"
                  "C\xA9\0D";
    EXPECT_FALSE(IsPrintableText(text, 7, false));
    EXPECT_EQ('\x7F', text[2]);
    EXPECT_FALSE(IsPrintableText(text, 7, true));
    EXPECT_EQ(0, std::memcmp(text, "AB C \0D", 7));
    EXPECT_TRUE(IsPrintableText(text, 7, false));

    uint8_t reply[56] = {5};
    std::memcpy(reply + 8, "KORVATH DVDR   QZ6820A  1.05", 28);
    char szVendor[9], szProduct[17], szRevision[5];
    CopyInquiryStrings(reply, szVendor, szProduct, szRevision);
    EXPECT_STREQ("KORVATH ", szVendor);
    EXPECT_STREQ("DVDR   QZ6820A  ", szProduct);
    EXPECT_STREQ("1.05", szRevision);
    CopyInquiryStringsBounded(reply, 20, szVendor, szProduct, szRevision);
    EXPECT_STREQ("DVDR", szProduct);
    EXPECT_STREQ("", szRevision);

    uint8_t cdb[6];
    BuildInquiryCdb(cdb);
    const uint8_t expected[6] = {0x12, 0, 0, 0, 0x38, 0};
    EXPECT_EQ(0, std::memcmp(cdb, expected, 6));
}

} // namespace
