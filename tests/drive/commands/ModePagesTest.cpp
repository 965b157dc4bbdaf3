// tests/drive/commands/ModePagesTest.cpp
// MODE SENSE and MODE SELECT in the six- or ten-byte form, the conversions, the vendor page 0x30 adjustments and
// the ATIP correction of READ TOC/PMA/ATIP.
#include "support/DriveTestFixture.h"

namespace {

const uint8_t kCanary = 0xEE;

class ModePagesTest : public DriveTest {};

// Which form each kind of drive gets: the model row's flag decides for listed models on any bus; unlisted
// drives get the ten-byte form only behind USB, IEEE 1394 or when reached through the letter alone.
TEST_F(ModePagesTest, FormFollowsModelAndBus)
{
    const struct {
        int profile;
        int bus;
        uint8_t opcode;
    } cases[] = {
        {kEmuOtherOldCdRom, 0, 0x1A}, {kEmuOtherOldCdRom, 3, 0x1A}, {kEmuOtherOldCdRom, 4, 0x5A},
        {kEmuOtherOldCdRom, 5, 0x5A}, {kEmuOtherOldCdRom, 6, 0x5A}, {kEmuScsiCdWriter, 3, 0x1A},
        {kEmuScsiCdWriter, 4, 0x5A},  {kEmuAtapiCdWriter, 0, 0x5A}, {kEmuAtapiCdWriter, 3, 0x5A},
    };
    for (const auto& c : cases) {
        CDeviceRecord record = AddProfile(c.profile, c.bus);
        m_pMachine->ClearLog();
        BYTE answer[34];
        EXPECT_EQ(1, m_Manager.ModeSense(record, 0x2A, sizeof(answer), answer)) << c.profile << " bus " << c.bus;
        EXPECT_EQ(std::vector<uint8_t>{c.opcode}, Opcodes()) << c.profile << " bus " << c.bus;
        EXPECT_EQ(0x2A, answer[12]);
    }
}

// A drive that refuses MODE SENSE(6) is asked with MODE SENSE(10), and the caller gets the six-byte layout:
// header, 8-byte block descriptor area, the page at offset 12 -- the page bytes equal what a six-byte drive
// with the same page returns. Byte 2 of the header keeps answer byte 2 (the medium type of the ten-byte header).
TEST_F(ModePagesTest, TenByteAnswerArrivesInTheSixByteLayout)
{
    int nTen = 0;
    CDeviceRecord ten = AddProfile(kEmuAtapiCdWriter, 0, &nTen);
    CDeviceRecord six = AddProfile(kEmuScsiCdWriter, 3);
    m_pMachine->SetInt(nTen, "mode.mediumType", 0x70);
    m_pMachine->SetInt(nTen, "mode.deviceSpecific", 0x10);

    BYTE fromTen[48];
    BYTE fromSix[48];
    std::memset(fromTen, kCanary, sizeof(fromTen));
    std::memset(fromSix, kCanary, sizeof(fromSix));
    ASSERT_EQ(1, m_Manager.ModeSense(ten, 0x2A, 44, fromTen));
    ASSERT_EQ(1, m_Manager.ModeSense(six, 0x2A, 44, fromSix));
    // Ten-byte answer: 8-byte header, no block descriptor, 32-byte page: data length 38.
    EXPECT_EQ(38 + 4, fromTen[0]);
    EXPECT_EQ(0, fromTen[1]);
    EXPECT_EQ(0x70, fromTen[2]);
    EXPECT_EQ(8, fromTen[3]);
    EXPECT_EQ(std::vector<uint8_t>(8, 0), std::vector<uint8_t>(fromTen + 4, fromTen + 12));
    EXPECT_EQ(std::vector<uint8_t>(fromSix + 12, fromSix + 44), std::vector<uint8_t>(fromTen + 12, fromTen + 44));
    EXPECT_EQ(kCanary, fromTen[44]);

    // With an 8-byte block descriptor the page still starts at 12; offsets 8-11 hold the descriptor's last four
    // bytes (block length 2048).
    m_pMachine->SetInt(nTen, "mode.blockDescriptor10", 8);
    std::memset(fromTen, kCanary, sizeof(fromTen));
    ASSERT_EQ(1, m_Manager.ModeSense(ten, 0x2A, 44, fromTen));
    EXPECT_EQ(std::vector<uint8_t>({0x00, 0x00, 0x08, 0x00}), std::vector<uint8_t>(fromTen + 8, fromTen + 12));
    EXPECT_EQ(std::vector<uint8_t>(fromSix + 12, fromSix + 40), std::vector<uint8_t>(fromTen + 12, fromTen + 40));
    EXPECT_EQ(kCanary, fromTen[44]);
}

// Without a block descriptor (header 00 1E 00 00 00 00 00 00) the caller sees 22 00 00 08, four zeros, answer
// bytes 4-7 at 8-11 and the page from 12.
TEST_F(ModePagesTest, AnswerWithoutBlockDescriptor)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    std::vector<uint8_t> page = BytesAt(24, {{0, 0x2A}, {1, 22}, {2, 0x3B}, {3, 0x03}});
    SetBytes(nDrive, "mode.page.2A", page);

    BYTE answer[40];
    std::memset(answer, kCanary, sizeof(answer));
    ASSERT_EQ(1, m_Manager.ModeSense(record, 0x2A, 36, answer));
    const uint8_t header[12] = {0x22, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(header, header + 12), std::vector<uint8_t>(answer, answer + 12));
    EXPECT_EQ(page, std::vector<uint8_t>(answer + 12, answer + 36));
    EXPECT_EQ(kCanary, answer[36]);
}

// A block descriptor length that points beyond the answer leaves zeros, never bytes from outside the answer;
// a short allocation writes no more than asked, and a failed read still yields the converted header.
TEST_F(ModePagesTest, ConversionStaysInsideBothBuffers)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    m_pMachine->SetInt(nDrive, "mode.claimedBlockDescriptor", 0x4000);
    BYTE answer[40];
    std::memset(answer, kCanary, sizeof(answer));
    EXPECT_EQ(1, m_Manager.ModeSense(record, 0x2A, 34, answer));
    EXPECT_EQ(std::vector<uint8_t>(26, 0), std::vector<uint8_t>(answer + 8, answer + 34));
    EXPECT_EQ(kCanary, answer[34]);

    m_pMachine->SetInt(nDrive, "mode.claimedBlockDescriptor", 8);
    std::memset(answer, kCanary, sizeof(answer));
    EXPECT_EQ(1, m_Manager.ModeSense(record, 0x2A, 6, answer));
    EXPECT_EQ(kCanary, answer[6]);
    EXPECT_EQ(8, answer[3]);

    std::memset(answer, kCanary, sizeof(answer));
    EXPECT_NE(1, m_Manager.ModeSense(record, 0x0E, 20, answer));
    EXPECT_EQ(8, answer[3]);
    EXPECT_EQ(std::vector<uint8_t>(12, 0), std::vector<uint8_t>(answer + 8, answer + 20));
    EXPECT_EQ(kCanary, answer[20]);
}

// Two families keep BUFE (page 5) and BUF (page 0x2A) in vendor page 0x30; the bits of the vendor page replace the
// drive's page bits in what the caller sees. Other drives are not asked for the vendor page.
TEST_F(ModePagesTest, VendorPage30SuppliesBufferBits)
{
    int nFamily = 0;
    CDeviceRecord family = AddProfile(kEmuPage30CdWriter, 0, &nFamily);
    CDeviceRecord other = AddProfile(kEmuAtapiCdWriter, 0);
    std::vector<uint8_t> vendor = BytesAt(16, {{0, 0x30}, {1, 0x0E}});

    const struct {
        uint8_t buf;  // vendor byte 2 bit 0
        uint8_t bufe; // vendor byte 3 bit 0
    } cases[] = {{1, 1}, {0, 0}, {1, 0}};
    for (const auto& c : cases) {
        vendor[2] = c.buf;
        vendor[3] = c.bufe;
        SetBytes(nFamily, "mode.page.30", vendor);
        BYTE page5[64];
        BYTE caps[34];
        m_pMachine->ClearLog();
        ASSERT_EQ(1, m_Manager.ModeSense(family, 0x05, 64, page5));
        ASSERT_EQ(1, m_Manager.ModeSense(family, 0x2A, 34, caps));
        EXPECT_EQ(c.bufe ? 0x40 : 0, page5[14] & 0x40);
        EXPECT_EQ(0x01, page5[14] & 0x3F);
        EXPECT_EQ(c.buf ? 0x80 : 0, caps[16] & 0x80);
        std::vector<EmuLogEntry> log = Commands();
        ASSERT_EQ(4u, log.size());
        EXPECT_EQ(0x30, log[1].cdb[2]);
        EXPECT_EQ(0x30, log[3].cdb[2]);
    }

    // Without the vendor page the drive's own bits stand and the main status is kept.
    m_pMachine->SetBytes(nFamily, "mode.page.30", nullptr, 0);
    std::vector<uint8_t> page5 = BytesAt(52, {{0, 0x05}, {1, 0x32}, {2, 0x41}});
    SetBytes(nFamily, "mode.page.05", page5);
    BYTE answer[64];
    EXPECT_EQ(1, m_Manager.ModeSense(family, 0x05, 64, answer));
    EXPECT_EQ(0x41, answer[14]);

    m_pMachine->ClearLog();
    EXPECT_EQ(1, m_Manager.ModeSense(other, 0x05, 64, answer));
    EXPECT_EQ(std::vector<uint8_t>{0x5A}, Opcodes());
    EXPECT_EQ(0x41, answer[14]);
}

// The second vendor page 0x30 family is a six-byte model: behind a USB bridge it gets the ten-byte form and the
// bit of the vendor page, on its own SCSI bus the six-byte answer stands as the drive sent it.
TEST_F(ModePagesTest, SecondPage30FamilyBehindABridge)
{
    std::vector<uint8_t> page5 = BytesAt(52, {{0, 0x05}, {1, 0x32}, {2, 0x41}});
    std::vector<uint8_t> vendor = BytesAt(16, {{0, 0x30}, {1, 0x0E}});
    for (int bus : {4, 3}) {
        int nDrive = 0;
        CDeviceRecord record = AddPlainDrive("KORVATH ", "CD-R   QZ3440   ", "1.00", bus, &nDrive);
        m_pMachine->SetInt(nDrive, "vendor", 1);
        SetBytes(nDrive, "mode.page.05", page5);
        SetBytes(nDrive, "mode.page.30", vendor);
        BYTE answer[64];
        m_pMachine->ClearLog();
        ASSERT_EQ(1, m_Manager.ModeSense(record, 0x05, 64, answer)) << "bus " << bus;
        if (bus == 4) {
            EXPECT_EQ(std::vector<uint8_t>({0x5A, 0x5A}), Opcodes());
            EXPECT_EQ(0x01, answer[14]);
        } else {
            EXPECT_EQ(std::vector<uint8_t>{0x1A}, Opcodes());
            EXPECT_EQ(0x41, answer[14]);
        }
    }
}

// MODE SELECT of a 12-byte list (block descriptor only): sent with the six-byte form to old non-writers, never
// to writers of the six-byte form nor to ten-byte drives.
TEST_F(ModePagesTest, BlockDescriptorListsOnlyForOldNonWriters)
{
    int nOld = 0;
    CDeviceRecord old = AddProfile(kEmuScsiCdRom, 3, &nOld);
    CDeviceRecord writer = AddProfile(kEmuScsiCdWriter, 3);
    CDeviceRecord atapi = AddProfile(kEmuAtapiCdRom, 0);
    BYTE list[12] = {0, 0, 0, 8, 0x82, 0, 0, 0, 0, 0, 0x09, 0x30};

    m_pMachine->ClearLog();
    EXPECT_EQ(1, m_Manager.ModeSelect(old, 12, list));
    EXPECT_EQ(std::vector<uint8_t>{0x15}, Opcodes());
    EXPECT_EQ(0x930, m_pMachine->GetInt(nOld, EMU_KEY_BLOCK_LENGTH, 0));

    m_pMachine->ClearLog();
    EXPECT_EQ(0, m_Manager.ModeSelect(writer, 12, list));
    EXPECT_EQ(0, m_Manager.ModeSelect(atapi, 12, list));
    EXPECT_TRUE(Opcodes().empty());
}

// A page in the six-byte layout goes to a ten-byte drive behind an 8-byte header (PF set); for the two vendor
// page 0x30 families a second MODE SELECT carries BUFE into the vendor page. A drive refusing the six-byte form
// thus still takes the page, and a later MODE SENSE shows it.
TEST_F(ModePagesTest, SelectConvertsTheListAndFollowsWithVendorPage)
{
    int nFamily = 0;
    CDeviceRecord family = AddProfile(kEmuPage30CdWriter, 0, &nFamily);
    for (uint8_t bufe : {uint8_t(0x40), uint8_t(0)}) {
        BYTE list[56] = {};
        list[4] = 0x05;
        list[5] = 0x32;
        list[6] = uint8_t(0x02 | bufe);
        list[7] = 0x04;
        m_pMachine->ClearLog();
        ASSERT_EQ(1, m_Manager.ModeSelect(family, 56, list));
        std::vector<EmuLogEntry> log = Commands();
        ASSERT_EQ(2u, log.size());
        EXPECT_EQ(std::vector<uint8_t>({0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}),
                  std::vector<uint8_t>(log[0].cdb, log[0].cdb + 10));
        std::vector<uint8_t> sent = DataOut(log[0]);
        ASSERT_EQ(60u, sent.size());
        EXPECT_EQ(std::vector<uint8_t>({0, 0x34, 0, 0, 0, 0, 0, 0}),
                  std::vector<uint8_t>(sent.begin(), sent.begin() + 8));
        EXPECT_EQ(std::vector<uint8_t>(list + 4, list + 56), std::vector<uint8_t>(sent.begin() + 8, sent.end()));
        EXPECT_EQ(24u, log[1].nTransferLength);
        std::vector<uint8_t> vendor = DataOut(log[1]);
        std::vector<uint8_t> expected = BytesAt(24, {{8, 0x30}, {9, 0x0E}, {10, 1}, {11, uint8_t(bufe ? 1 : 0)}});
        EXPECT_EQ(expected, vendor);
    }

    CDeviceRecord other = AddProfile(kEmuAtapiCdWriter, 0);
    BYTE answer[64];
    ASSERT_EQ(1, m_Manager.ModeSense(other, 0x05, 64, answer));
    answer[14] = 0x42;
    answer[0] = 0;
    m_pMachine->ClearLog();
    ASSERT_EQ(1, m_Manager.ModeSelect(other, 64, answer));
    EXPECT_EQ(std::vector<uint8_t>{0x55}, Opcodes());
    BYTE again[64];
    ASSERT_EQ(1, m_Manager.ModeSense(other, 0x05, 64, again));
    EXPECT_EQ(0x42, again[14]);
}

// A list shorter than its page claims: the bytes beyond the list go out as zeros instead of being read past the
// caller's buffer; a page header outside the list is refused without a command.
TEST_F(ModePagesTest, SelectNeverReadsPastTheList)
{
    CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0);
    BYTE list[64];
    std::memset(list, kCanary, sizeof(list));
    std::memset(list, 0, 20);
    list[4] = 0x05;
    list[5] = 0x32;
    list[6] = 0x01;
    m_pMachine->ClearLog();
    m_Manager.ModeSelect(record, 20, list);
    std::vector<EmuLogEntry> log = Commands();
    ASSERT_EQ(1u, log.size());
    std::vector<uint8_t> sent = DataOut(log[0]);
    ASSERT_EQ(60u, sent.size());
    EXPECT_EQ(std::vector<uint8_t>(list + 4, list + 20), std::vector<uint8_t>(sent.begin() + 8, sent.begin() + 24));
    EXPECT_EQ(std::vector<uint8_t>(36, 0), std::vector<uint8_t>(sent.begin() + 24, sent.end()));

    list[3] = 200;
    m_pMachine->ClearLog();
    EXPECT_EQ(0, m_Manager.ModeSelect(record, 20, list));
    EXPECT_TRUE(Opcodes().empty());
}

// The ATIP of a CD-R with valid A1 values takes the last possible lead-out start of READ DISC INFORMATION; a
// CD-RW, invalid A1 values, a zero nibble or a short allocation keep the drive's bytes.
TEST_F(ModePagesTest, AtipLeadOutFromDiscInformation)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    std::vector<uint8_t> info = BytesAt(34, {{1, 32}, {21, 79}, {22, 59}, {23, 74}});
    SetBytes(nDrive, "discinfo", info);

    const struct {
        uint8_t b6;
        uint8_t b18;
        int length;
        bool replaced;
    } cases[] = {
        {0x04, 0x01, 28, true},  {0x44, 0x01, 28, false}, {0x00, 0x01, 28, false},
        {0x04, 0x10, 28, false}, {0x04, 0x01, 18, false},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> atip =
            BytesAt(28, {{1, 26}, {6, c.b6}, {8, 97}, {9, 24}, {10, 1}, {12, 79}, {13, 59}, {14, 71}, {18, c.b18}});
        SetBytes(nDrive, "toc.4", atip);
        BYTE answer[32];
        std::memset(answer, kCanary, sizeof(answer));
        ASSERT_EQ(1, m_Manager.ReadTocPmaAtip(record, 4, 0, c.length, answer));
        EXPECT_EQ(c.replaced ? 74 : 71, answer[14]) << int(c.b6) << "/" << int(c.b18) << "/" << c.length;
        EXPECT_EQ(kCanary, answer[c.length]);
    }
}

// READ(6) and SEEK(6) for six-byte models whatever the bus; the ten-byte forms for flagged models.
TEST_F(ModePagesTest, ReadAndSeekForms)
{
    CDeviceRecord unlistedUsb = AddProfile(kEmuOtherOldCdRom, 4);
    CDeviceRecord atapi = AddProfile(kEmuAtapiCdRom, 0);
    BYTE data[4096];
    m_pMachine->ClearLog();
    m_Manager.ReadBlocks(unlistedUsb, 16, 1, data);
    m_Manager.Seek(unlistedUsb, 16);
    m_Manager.ReadBlocks(atapi, 16, 1, data);
    m_Manager.Seek(atapi, 16);
    EXPECT_EQ(std::vector<uint8_t>({0x08, 0x0B, 0x28, 0x2B}), Opcodes());
}

} // namespace
