// tests/drive/commands/VendorTest.cpp
// Model-dependent vendor command forms, the vendor float and recorder identification decoders, the ATA commands
// and the Stratafit texts.
#include <functional>
#include <string>

#include "support/DriveTestFixture.h"

namespace {

class VendorTest : public DriveTest {};

TEST_F(VendorTest, JumperBitsLengthByFamilyAndFirmware)
{
    const struct {
        int profile;
        uint32_t length;
    } cases[] = {
        {kEmuAtapiCdWriter, 4},
        {kEmuLateJumperCdWriter, 4},
        {kEmuEarlyJumperCdWriter, 2},
        {kEmuScsiCdWriter, 2},
    };
    for (const auto& c : cases) {
        CDeviceRecord record = AddProfile(c.profile, 0);
        BYTE bits[4] = {};
        m_pMachine->ClearLog();
        EXPECT_EQ(1, m_Manager.ReadJumperBits(record, bits));
        std::vector<EmuLogEntry> log = Commands();
        ASSERT_EQ(1u, log.size());
        EXPECT_EQ(c.length, log[0].nTransferLength) << EmuGetProfileInfo(c.profile).pszName;
        EXPECT_EQ(0x40, bits[0]);
    }
}

// The head of the vendor block reads: E4 03 00 for three families on Serial ATA and one behind USB or IEEE 1394.
TEST_F(VendorTest, VendorBlockHeadByFamilyAndBus)
{
    const struct {
        int profile;
        int bus;
        uint8_t head;
    } cases[] = {
        {kEmuSataDvdWriter, 2, 0xE4},        {kEmuSataDvdWriter, 0, 0xF3},        {kEmuFourFamilyDvdWriter, 2, 0xE4},
        {kEmuFourFamilyDvdWriter, 4, 0xF3},  {kEmuFifthFamilyDvdWriter, 4, 0xE4}, {kEmuFifthFamilyDvdWriter, 5, 0xE4},
        {kEmuFifthFamilyDvdWriter, 2, 0xF3}, {kEmuFifthFamilyDvdWriter, 0, 0xF3},
    };
    for (const auto& c : cases) {
        int nDrive = 0;
        CDeviceRecord record = AddProfile(c.profile, c.bus, &nDrive);
        m_pMachine->SetInt(nDrive, "vendor.blockHead", c.head);
        BYTE block[64];
        double value = 0;
        m_pMachine->ClearLog();
        EXPECT_EQ(1, m_Manager.ReadVendorBlock(record, 0, 0, 0, sizeof(block), block));
        EXPECT_EQ(1, m_Manager.ReadVendorFloat(record, &value));
        std::vector<EmuLogEntry> log = Commands();
        ASSERT_EQ(2u, log.size());
        for (const EmuLogEntry& entry : log) {
            EXPECT_EQ(c.head, entry.cdb[0]) << EmuGetProfileInfo(c.profile).pszName << " bus " << c.bus;
            EXPECT_EQ(c.head == 0xE4 ? 0x03 : 0x1F, entry.cdb[1]);
            EXPECT_EQ(c.head == 0xE4 ? 0x00 : 0x23, entry.cdb[2]);
        }
    }
}

TEST_F(VendorTest, VendorFloat)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    double value = 0;
    SetBytes(nDrive, "vendor.float", {0, 0, 0, 0, 0x3F, 0xC0, 0x00, 0x00});
    EXPECT_EQ(1, m_Manager.ReadVendorFloat(record, &value));
    EXPECT_DOUBLE_EQ(1.5, value);
    SetBytes(nDrive, "vendor.float", std::vector<uint8_t>(8, 0));
    EXPECT_EQ(1, m_Manager.ReadVendorFloat(record, &value));
    EXPECT_DOUBLE_EQ(1.769330287, value);

    CDeviceRecord other = AddProfile(kEmuOtherDvdWriter, 0);
    value = 0;
    EXPECT_NE(1, m_Manager.ReadVendorFloat(other, &value));
    EXPECT_DOUBLE_EQ(1.769330287, value);
    EXPECT_EQ(0x52000, GetSenseCode(other));
}

// Recorder identification codes in the lead-in: text, then a number of at most four bytes; the output always
// ends in a terminator inside its 24 bytes.
TEST_F(VendorTest, RecorderIdentificationCode)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuAtapiCdWriter, 0, &nDrive);
    const std::string kLeadIn = "sector." + std::to_string(uint32_t(-30000));
    auto userData = [](std::initializer_list<std::pair<int, uint8_t>> bytes) {
        std::vector<uint8_t> data = BytesAt(2048, {{0, 'R'}, {1, 'I'}, {2, 'D'}, {3, 0x01}, {4, 0x02}});
        const char korv[] = {'K', 'O', 0, 'R', 'V'};
        std::memcpy(&data[5], korv, sizeof(korv));
        for (const auto& b : bytes)
            data[b.first] = b.second;
        return data;
    };

    char output[32];
    SetBytes(nDrive, kLeadIn.c_str(), userData({{16, 'Q'}, {17, 'Z'}, {18, '7'}, {19, '1'}, {24, 0x01}, {25, 0x02}}));
    std::memset(output, 'x', sizeof(output));
    EXPECT_EQ(1, m_Manager.ReadRidCode(record, output));
    EXPECT_STREQ("KORVQZ71000258", output);

    SetBytes(nDrive, kLeadIn.c_str(), userData({{16, 'Q'}, {18, 1}, {19, 2}, {20, 3}, {21, 4}, {22, 5}, {23, 6}}));
    EXPECT_EQ(1, m_Manager.ReadRidCode(record, output));
    EXPECT_STREQ("KORVQ16909060", output);

    std::vector<uint8_t> longRun = userData({});
    std::memset(&longRun[16], 'A', 16);
    SetBytes(nDrive, kLeadIn.c_str(), longRun);
    std::memset(output, 'x', sizeof(output));
    EXPECT_EQ(1, m_Manager.ReadRidCode(record, output));
    EXPECT_EQ(23u, std::strlen(output));
    EXPECT_EQ('x', output[24]);

    SetBytes(nDrive, kLeadIn.c_str(), std::vector<uint8_t>(2048, 'Z'));
    EXPECT_EQ(0, m_Manager.ReadRidCode(record, output));
    EXPECT_STREQ("", output);

    SetBytes(nDrive, ("sector." + std::to_string(uint32_t(-20000))).c_str(), userData({{16, 'Q'}}));
    uint64_t start = m_pMachine->GetTimeUs();
    EXPECT_EQ(1, m_Manager.ReadRidCodeDelayed(record, output));
    EXPECT_STREQ("KORVQ000000", output);
    EXPECT_EQ(1500u * 1000u, m_pMachine->GetTimeUs() - start);
}

std::vector<EmuLogEntry> AtaRequests(IEmuMachine* pMachine)
{
    std::vector<EmuLogEntry> result;
    for (int i = 0; i < pMachine->GetLogCount(); ++i) {
        EmuLogEntry entry;
        if (pMachine->GetLogEntry(i, &entry) && entry.nKind != kEmuRequestScsi && entry.nKind != kEmuRequestRescanBus)
            result.push_back(entry);
    }
    return result;
}

TEST_F(VendorTest, AtaCommandRegisters)
{
    CDeviceRecord odd = AddProfile(kEmuAtapiCdWriter, 0);  // D:
    CDeviceRecord even = AddProfile(kEmuAtapiCdWriter, 0); // E:
    std::vector<BYTE> buffer(1024, 0);
    using AtaOp = std::function<int(CDriveManager&)>;
    const struct {
        const char* name;
        BYTE win2000;
        AtaOp op;
        int kind; // -1: nothing is sent and the result is 0
        std::vector<uint8_t> registers;
    } cases[] = {
        {"IDENTIFY",
         0,
         [&](CDriveManager& m) { return m.AtaIdentifyDevice(odd, 512, buffer.data()); },
         kEmuRequestAtaPassThrough,
         {0, 1, 1, 0, 0, 0xA0, 0xEC}},
        {"IDENTIFY on Windows 2000",
         1,
         [&](CDriveManager& m) { return m.AtaIdentifyDevice(odd, 512, buffer.data()); },
         kEmuRequestSmartReceive,
         {0, 1, 1, 0, 0, 0xA0, 0xEC}},
        {"IDENTIFY on Windows 2000, short buffer",
         1,
         [&](CDriveManager& m) { return m.AtaIdentifyDevice(odd, 100, buffer.data()); },
         -1,
         {}},
        {"SMART READ DATA",
         0,
         [&](CDriveManager& m) { return m.AtaSmartCommand(odd, 0xD0, 512, buffer.data()); },
         kEmuRequestSmartReceive,
         {0xD0, 1, 1, 0x4F, 0xC2, 0, 0xB0}},
        {"SMART RETURN STATUS",
         0,
         [&](CDriveManager& m) { return m.AtaSmartCommand(odd, 0xDA, 512, buffer.data()); },
         kEmuRequestSmartSend,
         {0xDA, 1, 1, 0x4F, 0xC2, 0, 0xB0}},
        {"SMART short buffer",
         0,
         [&](CDriveManager& m) { return m.AtaSmartCommand(odd, 0xD0, 511, buffer.data()); },
         -1,
         {}},
        {"READ SECTORS",
         0,
         [&](CDriveManager& m) { return m.AtaReadSectors(odd, 0x0ABCDEF1, 2, 512, buffer.data()); },
         kEmuRequestAtaPassThrough,
         {0, 2, 0xF1, 0xDE, 0xBC, 0x4A, 0x20}},
        {"vendor F1, odd letter",
         0,
         [&](CDriveManager& m) { return m.AtaVendorF1(odd, 1, 0, 0, 16, buffer.data()); },
         kEmuRequestAtaPassThrough,
         {0, 0, 0, 0, 0, 0xB0, 0xF1}},
        {"vendor F1, even letter",
         0,
         [&](CDriveManager& m) { return m.AtaVendorF1(even, 1, 0, 0, 16, buffer.data()); },
         kEmuRequestAtaPassThrough,
         {0, 0, 0, 0, 0, 0xA0, 0xF1}},
        {"vendor F2",
         0,
         [&](CDriveManager& m) { return m.AtaVendorF2(even, 64, buffer.data()); },
         kEmuRequestAtaPassThrough,
         {0, 0, 0, 0, 0, 0xA0, 0xF2}},
    };
    for (const auto& c : cases) {
        g_bIsWindows2000 = c.win2000;
        m_pMachine->ClearLog();
        int result = c.op(m_Manager);
        std::vector<EmuLogEntry> log = AtaRequests(m_pMachine);
        if (c.kind < 0) {
            EXPECT_EQ(0, result) << c.name;
            EXPECT_TRUE(log.empty()) << c.name;
            continue;
        }
        EXPECT_EQ(1, result) << c.name;
        ASSERT_EQ(1u, log.size()) << c.name;
        EXPECT_EQ(c.kind, log[0].nKind) << c.name;
        EXPECT_EQ(c.registers, std::vector<uint8_t>(log[0].ataRegisters, log[0].ataRegisters + 7)) << c.name;
    }
    g_bIsWindows2000 = 0;

    // The F1 parameter block: the flags, overwritten by the caller's bytes (at most 32).
    std::vector<BYTE> data(64, 0x77);
    m_pMachine->ClearLog();
    m_Manager.AtaVendorF1(even, 1, 1, 40, 16, data.data());
    std::vector<EmuLogEntry> log = AtaRequests(m_pMachine);
    ASSERT_EQ(1u, log.size());
    std::vector<uint8_t> block = DataOut(log[0]);
    ASSERT_EQ(256u, block.size());
    EXPECT_EQ(std::vector<uint8_t>(32, 0x77), std::vector<uint8_t>(block.begin(), block.begin() + 32));
    EXPECT_EQ(0, block[32]);
    m_pMachine->ClearLog();
    m_Manager.AtaVendorF1(even, 1, 1, 0, 16, data.data());
    block = DataOut(AtaRequests(m_pMachine)[0]);
    EXPECT_EQ(1, block[0]);
    EXPECT_EQ(1, block[1]);
}

TEST_F(VendorTest, StratafitResultTexts)
{
    const struct {
        DWORD code;
        int kind;
        const char* text;
    } cases[] = {
        {0, 2, "Recording has been done properly by default setting."},
        {0, 1, "The media is judged as good."},
        {0, 0, "No Information Available"},
        {0, 3, "No Information Available"},
        {0x10002, 1, "The media would not be recorded properly."},
        {0x10002, 7, "The media would not be recorded properly."},
        {0x20004, 2, "Failed to measure the quality due to happening of error during check."},
        {0x000FF, 1, "Recording has been done properly by default setting."},
        {5, 2, "This media is not supported."},
        {5, 0, "No Information Available"},
        {0x50000, 2, "No Information Available"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.text, m_Manager.GetStratafitResultText(c.code, c.kind)) << std::hex << c.code << " " << c.kind;
}

TEST_F(VendorTest, StratafitStatusTexts)
{
    int nDrive = 0;
    CDeviceRecord record = AddProfile(kEmuFourFamilyDvdWriter, 0, &nDrive);
    const struct {
        uint8_t status, b16, b17;
        int kind;
        bool result;
        const char* text;
    } cases[] = {
        {1, 0, 0, 2, false, " Stratafit function is busy."},
        {2, 0, 0, 2, false, " Stratafit function is not executed."},
        {10, 0, 0, 2, false, " Stratafit function is disabled."},
        {11, 0, 0, 2, false, " Stratafit function error."},
        {0, 0x02, 0x01, 1, true, " The media would not be recorded properly."},
        {3, 0x00, 0x05, 2, true, " Recording has been done properly by default setting."},
        {0, 0x05, 0x00, 1, true, " This media is not supported."},
        {0, 0x09, 0x09, 1, true, " No Information Available"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> answer = BytesAt(18, {{3, c.status}, {16, c.b16}, {17, c.b17}});
        SetBytes(nDrive, "stratafit.status", answer);
        CString text;
        m_pMachine->ClearLog();
        EXPECT_EQ(c.result, m_Manager.GetStratafitStatusText(record, text, c.kind));
        EXPECT_STREQ(c.text, text);
        std::vector<EmuLogEntry> log = Commands();
        ASSERT_EQ(1u, log.size());
        EXPECT_EQ(std::vector<uint8_t>({0xE4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x12, 0}),
                  std::vector<uint8_t>(log[0].cdb, log[0].cdb + 12));
        EXPECT_EQ(18u, log[0].nTransferLength);
    }

    CDeviceRecord other = AddProfile(kEmuOtherDvdWriter, 0);
    CString text;
    EXPECT_FALSE(m_Manager.GetStratafitStatusText(other, text, 2));
    EXPECT_STREQ(" Invalid command (code 052000)", text);
}

} // namespace
