// tests/drive/features/DvdSpeedTest.cpp
// SET STREAMING, the DVD read speed and its text, the DVD write-speed list and the rated speeds of the loaded disc.
#include <cstring>
#include <string>

#include "support/DriveTestFixture.h"

namespace {

class DvdSpeedTest : public DriveTest {
protected:
    static std::vector<uint8_t> Descriptor(uint32_t startPerf, uint32_t endPerf)
    {
        std::vector<uint8_t> d(16, 0);
        Put32(&d[4], startPerf);
        Put32(&d[8], 2295103);
        Put32(&d[12], endPerf);
        return d;
    }

    static std::vector<uint8_t> WriteDescriptors(std::initializer_list<uint32_t> speeds)
    {
        std::vector<uint8_t> all;
        for (uint32_t s : speeds) {
            std::vector<uint8_t> d(16, 0);
            Put32(&d[12], s);
            all.insert(all.end(), d.begin(), d.end());
        }
        return all;
    }

    static void Put32(uint8_t* p, uint32_t v)
    {
        p[0] = uint8_t(v >> 24);
        p[1] = uint8_t(v >> 16);
        p[2] = uint8_t(v >> 8);
        p[3] = uint8_t(v);
    }

    // The data-out descriptor of the last SET STREAMING in the log.
    std::vector<uint8_t> LastStreaming()
    {
        std::vector<EmuLogEntry> log = Commands();
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->cdb[0] == 0xB6)
                return DataOut(*it);
        return {};
    }
};

TEST_F(DvdSpeedTest, StreamingDescriptor)
{
    int nDrive = 0;
    CDeviceRecord other = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    m_pMachine->SetInt(nDrive, "mode.refuse6", 0);
    CDeviceRecord family = AddProfile(kEmuPerf1350DvdWriter, 0);
    const struct {
        CDeviceRecord* record;
        int read, write;
        const char* descriptor;
    } cases[] = {
        {&other, -1, -1, "00 00 00 00 00 00 00 00 00 00 00 00 FF FF FF FF 00 00 03 E8 FF FF FF FF 00 00 03 E8"},
        {&other, 22160, 0, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 56 90 00 00 03 E8 00 00 10 80 00 00 03 E8"},
        {&family, 22160, 5540, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 54 60 00 00 03 E8 00 00 15 A4 00 00 03 E8"},
        {&family, 1384, 5540, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 03 E8 00 00 15 A4 00 00 03 E8"},
        {&family, -1, -1, "00 00 00 00 00 00 00 00 00 00 00 00 FF FF FF FF 00 00 03 E8 FF FF FF FF 00 00 03 E8"},
    };
    for (const auto& c : cases) {
        m_pMachine->ClearLog();
        EXPECT_EQ(1, m_Manager.SetStreamingSpeeds(*c.record, c.read, c.write));
        std::vector<EmuLogEntry> log = Commands();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ("B6 00 00 00 00 00 00 00 00 00 1C 00", HexBytes(log.back().cdb, 12));
        std::vector<uint8_t> data = LastStreaming();
        EXPECT_EQ(std::string(c.descriptor), HexBytes(data.data(), int(data.size()))) << c.read << " " << c.write;
    }

    // The model that takes SET CD SPEED for DVD: the low 16 bits of each speed.
    CDeviceRecord cdSpeed = AddMaker(kEmuFifthFamilyDvdWriter, "DVDR   QZ7320   ", "1.00");
    m_pMachine->ClearLog();
    m_Manager.SetStreamingSpeeds(cdSpeed, -1, 11080);
    EXPECT_EQ("BB 00 FF FF 2B 48 00 00 00 00 00 00", Cdbs().back());
}

// SET STREAMING and GET PERFORMANCE follow each other in the emulated drive, and the read speed follows both.
TEST_F(DvdSpeedTest, ReadSpeedFollowsStreaming)
{
    int nDrive = 0;
    CDeviceRecord other = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    EmuSetDvdSpeeds(m_pMachine, nDrive, {{2770, 6925}, {4155, 11080}, {6925, 16620}}, {5540, 11080});
    EXPECT_EQ(16620, m_Manager.GetDvdReadSpeed(other));
    m_Manager.SetStreamingSpeeds(other, 12000, 0);
    EXPECT_EQ(11080, m_Manager.GetDvdReadSpeed(other));
    char text[32];
    EXPECT_STREQ("3-8 X ", m_Manager.GetReadSpeedListText(other, text));
    m_Manager.SetStreamingSpeeds(other, -1, 0);
    EXPECT_STREQ("5-12 X ", m_Manager.GetReadSpeedListText(other, text));

    std::vector<EmuLogEntry> log = Commands();
    m_pMachine->ClearLog();
    m_Manager.GetDvdReadSpeed(other);
    log = Commands();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ("AC 10 00 00 00 00 00 00 00 01 00 00", HexBytes(log[0].cdb, 12));

    // The maker's drives with vendor information report it in page 0x2A.
    int nMaker = 0;
    CDeviceRecord maker = AddProfile(kEmuFourFamilyDvdWriter, 0, &nMaker);
    EditPage(nMaker, "mode.page.2A", [](std::vector<uint8_t>& page) {
        page[14] = 0x56;
        page[15] = 0x90;
    });
    EXPECT_EQ(22160, m_Manager.GetDvdReadSpeed(maker));
    SetBytes(nMaker, "mode.page.2A", {});
    EXPECT_EQ(0, m_Manager.GetDvdReadSpeed(maker));
}

TEST_F(DvdSpeedTest, ReadSpeedTextOfOtherDrives)
{
    int nDrive = 0;
    CDeviceRecord other = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    const struct {
        std::vector<uint8_t> descriptors;
        const char* text;
    } cases[] = {
        {Descriptor(2770, 6925), "2-5 X "},
        {Descriptor(11080, 11080), "8 X "},
        {Descriptor(0, 1385), "maximum"},
        {Descriptor(1385, 51 * 1385), "maximum"},
        {{}, "maximum"},
    };
    for (const auto& c : cases) {
        SetBytes(nDrive, "perf.type0", c.descriptors);
        char text[32];
        EXPECT_STREQ(c.text, m_Manager.GetReadSpeedListText(other, text));
    }
    // Many descriptors announced for a buffer of one: never read or corrected past the buffer.
    std::vector<uint8_t> many;
    for (int i = 0; i < 40; ++i) {
        std::vector<uint8_t> d = Descriptor(1385 * 2, 1385 * 4);
        many.insert(many.end(), d.begin(), d.end());
    }
    SetBytes(nDrive, "perf.type0", many);
    EXPECT_EQ(1385 * 4, m_Manager.GetDvdReadSpeed(other));
    char text[32];
    EXPECT_STREQ("2-4 X ", m_Manager.GetReadSpeedListText(other, text));
    m_pMachine->SetInt(nDrive, "perf.requireDataType10", 1);
    EXPECT_STREQ("maximum", m_Manager.GetReadSpeedListText(other, text));
    m_pMachine->QueueSense(nDrive, 0xAC, 5, 0x24, 0, 1);
    EXPECT_EQ(0, m_Manager.GetDvdReadSpeed(other));
}

// The maker's drives name the entry of their list (the DVD-RAM list for DVD-RAM media) whose number is the speed.
TEST_F(DvdSpeedTest, ReadSpeedTextFromModelList)
{
    int nDrive = 0;
    CDeviceRecord record = AddMaker(kEmuFourFamilyDvdWriter, "DVDR   QZ7220   ", "1.00", 0, &nDrive);
    // The cases write the page's current read speed themselves, so the drive's own DVD read speed is off.
    m_pMachine->SetInt(nDrive, "speed.dvdPageRead", 0);
    m_pMachine->SetInt(nDrive, "config.profile", 0x10);
    const struct {
        int profile;
        int x;
        const char* text;
    } cases[] = {
        {0x10, 16, "6.6-16X CAV"}, {0x10, 12, "4-12X CAV"}, {0x10, 2, "2X CLV"}, {0x10, 5, ""},
        {0x12, 5, "5X CLV"},       {0x12, 16, ""},
    };
    for (const auto& c : cases) {
        m_pMachine->SetInt(nDrive, "config.profile", c.profile);
        EditPage(nDrive, "mode.page.2A", [&](std::vector<uint8_t>& page) {
            page[14] = uint8_t((c.x * 1385) >> 8);
            page[15] = uint8_t(c.x * 1385);
        });
        char text[32] = "stale";
        EXPECT_STREQ(c.text, m_Manager.GetReadSpeedListText(record, text)) << c.profile << " " << c.x;
    }
}

TEST_F(DvdSpeedTest, WriteSpeedList)
{
    int nDrive = 0;
    CDeviceRecord other = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    m_pMachine->SetInt(nDrive, "mode.refuse6", 0);
    SetBytes(nDrive, "perf.type3", WriteDescriptors({11080, 3324, 5540, 3324, 0, 11080}));
    EXPECT_STREQ("2.4 X - 4.0 X - 8.0 X", m_Manager.GetDvdWriteSpeedList(other));
    std::vector<std::string> cdbs = Cdbs();
    EXPECT_EQ("AC 00 00 00 00 00 00 00 00 07 03 00", cdbs.back());

    // One family reports 3245 and 5408, corrected to the speeds of its kind.
    CDeviceRecord odd = AddProfile(kEmuPerfWriteSpeedDvdWriter, 0);
    EXPECT_STREQ("2.0 X - 2.4 X - 4.0 X", m_Manager.GetDvdWriteSpeedList(odd));

    m_pMachine->SetInt(nDrive, "perf.requireDataType10", 1);
    EXPECT_STREQ("-", m_Manager.GetDvdWriteSpeedList(other));
    CDeviceRecord reader = AddProfile(kEmuPlainDvdRom, 0);
    m_pMachine->ClearLog();
    EXPECT_STREQ("", m_Manager.GetDvdWriteSpeedList(reader));
}

struct MediaSpeedCase {
    const char* name;
    int profile;
    std::vector<std::pair<int, uint8_t>> format0; // bytes of READ DISC STRUCTURE format 0 (none: not set)
    std::vector<std::pair<int, uint8_t>> format11;
    const char* text;
    const char* highest;
};

std::vector<uint8_t> Structure(size_t size, const std::vector<std::pair<int, uint8_t>>& bytes)
{
    std::vector<uint8_t> data(size, 0);
    for (const auto& b : bytes)
        data[size_t(b.first)] = b.second;
    return data;
}

TEST_F(DvdSpeedTest, RatedSpeedsOfPlusMedia)
{
    const MediaSpeedCase cases[] = {
        {"DVD+R 2.4 with 4 and 8",
         0x1B,
         {{4, 0xA0}, {35, 1}, {37, 0x54}, {22, 0x03}},
         {},
         "2.4 X - 4.0 X - 8.0 X",
         "8.0 X"},
        {"DVD+R 1X", 0x1B, {{4, 0xA0}, {35, 1}, {37, 0x23}}, {}, "1.0 X", "1.0 X"},
        {"DVD+RW 2.4", 0x1A, {{4, 0x90}, {35, 1}, {36, 0x23}}, {}, "2.4 X", "2.4 X"},
        {"DVD+R DL", 0x2B, {{4, 0xE0}, {35, 1}, {37, 0x25}, {22, 0x04}}, {}, "2.4 X - 16.0 X", "16.0 X"},
        {"ADIP when byte 35 is 0", 0x1B, {{4, 0xA0}, {37, 0x23}}, {{37, 0x54}, {22, 0x02}}, "2.4 X - 8.0 X", "8.0 X"},
        {"extension bits only", 0x1A, {{4, 0x90}, {35, 1}, {22, 0x01}}, {}, "4.0 X", "4.0 X"},
        {"no base speed", 0x1B, {{4, 0xA0}, {35, 1}}, {}, "-", "-"},
        {"unreadable", 0x1B, {}, {}, "-", "-"},
    };
    for (const MediaSpeedCase& c : cases) {
        int nDrive = 0;
        CDeviceRecord record = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
        m_pMachine->SetInt(nDrive, "config.profile", c.profile);
        if (!c.format0.empty())
            SetBytes(nDrive, "ds.00", Structure(1000, c.format0));
        if (!c.format11.empty())
            SetBytes(nDrive, "ds.11", Structure(1000, c.format11));
        EXPECT_STREQ(c.text, m_Manager.GetDvdMediaSpeedText(record, FALSE)) << c.name;
        EXPECT_STREQ(c.highest, m_Manager.GetDvdMediaSpeedText(record, TRUE)) << c.name;
    }
}

std::vector<uint8_t> PrerecordedFields(std::initializer_list<uint8_t> fields, uint16_t claimedLength = 0)
{
    std::vector<uint8_t> data(1000, 0);
    uint16_t length = claimedLength != 0 ? claimedLength : uint16_t(2 + 8 * fields.size());
    data[0] = uint8_t(length >> 8);
    data[1] = uint8_t(length);
    size_t i = 0;
    for (uint8_t f : fields)
        data[4 + 8 * i++] = f;
    return data;
}

TEST_F(DvdSpeedTest, RatedSpeedsOfMinusMedia)
{
    const struct {
        std::vector<uint8_t> structure;
        const char* text;
    } cases[] = {
        {PrerecordedFields({1, 3, 21}), "8.0 X"},
        {PrerecordedFields({22, 7}), "2.0 X"},
        {PrerecordedFields({4}), "1.0 X - 2.0 X"},
        {PrerecordedFields({10, 15, 30}), "6.0 X"},
        {PrerecordedFields({1, 30}), "-"},
        {PrerecordedFields({25}, 0xFFFF), "16.0 X"}, // a length far beyond the answer
    };
    for (const auto& c : cases) {
        int nDrive = 0;
        CDeviceRecord record = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
        m_pMachine->SetInt(nDrive, "config.profile", 0x11);
        SetBytes(nDrive, "ds.0E", c.structure);
        EXPECT_STREQ(c.text, m_Manager.GetDvdMediaSpeedText(record, FALSE));
    }

    // Five listed models try the format 0x10 first and take it when it carries the three first fields in place.
    int nDrive = 0;
    CDeviceRecord maker = AddProfile(kEmuFourFamilyDvdWriter, 0, &nDrive);
    m_pMachine->SetInt(nDrive, "config.profile", 0x14);
    SetBytes(nDrive, "ds.0E", PrerecordedFields({7}));
    std::vector<uint8_t> format10 = BytesAt(2048, {{532, 1}, {540, 2}, {548, 3}, {556, 19}});
    SetBytes(nDrive, "ds.10", format10);
    EXPECT_STREQ("8.0 X", m_Manager.GetDvdMediaSpeedText(maker, FALSE));
    format10[548] = 4;
    SetBytes(nDrive, "ds.10", format10);
    EXPECT_STREQ("2.0 X", m_Manager.GetDvdMediaSpeedText(maker, FALSE));

    // No DVD, or no disc structure at all.
    m_pMachine->SetInt(nDrive, "config.profile", 0x08);
    EXPECT_STREQ("-", m_Manager.GetDvdMediaSpeedText(maker, FALSE));
    CDeviceRecord bare = AddProfile(kEmuOtherDvdWriter, 0, &nDrive);
    m_pMachine->SetInt(nDrive, "config.profile", 0x11);
    EXPECT_STREQ("-", m_Manager.GetDvdMediaSpeedText(bare, FALSE));
}

} // namespace
