// tests/drive/media/DiscMakerTest.cpp
// The disc maker named from ATIP values: real lead-ins of each maker, the speed classes, codes no row names, the
// high-capacity discs and the full-TOC fall-back.
#include "support/MediaTestSupport.h"

#include <cstdio>

#include "drive/DiscMaker.h"

namespace {

class DiscMakerTest : public MediaTest {
protected:
    struct Result {
        std::string text, name, time;
        LONG value = 0;
    };

    Result Ask(const std::string& disc)
    {
        CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter, disc);
        DiscMakerAnswer answer(m_Manager, record);
        EXPECT_EQ(answer.text, answer.pszReturned);
        Result r;
        r.value = answer.value;
        r.text = answer.text;
        r.name = answer.name;
        r.time = answer.time;
        return r;
    }
};

std::string Atip(const char* kind, int m, int s, int f, const char* leadOut, const char* options = "")
{
    char line[160];
    std::snprintf(line, sizeof(line), "disc-image %s blank\ndisc-atip %d:%d:%d %s %s", kind, m, s, f, leadOut, options);
    return line;
}

// Lead-ins of real blank CD-Rs, one for each CD-R code of the makers' published list; the lead-out limit is 79:59:74
// and the type the last digit of the frame.
TEST_F(DiscMakerTest, CdrLeadInsNameTheirMakers)
{
    const struct {
        int second, frame;
        const char* maker;
        LONG value;
    } cases[] = {
        {22, 25, "Advanced Digital Media", 0xA0},
        {42, 25, "Advanced Digital Media", 0xA0},
        {23, 34, "AUDIO DISTRIBUTORS", 0xA0},
        {22, 67, "Daxon Technology Inc", 0xA0},
        {45, 25, "Daxon Technology Inc", 0xA0},
        {25, 55, "AMS Technology", 0xA0},
        {28, 32, "Auvistar Industry Co.", 0xA0},
        {46, 51, "Auvistar Industry Co.", 0xA0},
        {21, 33, "BestDisc Technology", 0xA0},
        {26, 66, "CMC Magnetics Corporation", 0xA0},
        {46, 65, "CMC Magnetics Corporation", 0xA0},
        {30, 15, "CDA Datentr\344er Albrechts GmbH", 0xA0}, // a-umlaut in code page 1252
        {50, 33, "CDA Datentr\344er Albrechts GmbH", 0xA0},
        {22, 45, "CIS Technology", 0xA0},
        {45, 41, "CIS Technology", 0xA0},
        {24, 26, "Computer Support Italcard", 0xA0},
        {46, 33, "Computer Support Italcard", 0xA0},
        {23, 62, "Customer Pressing Oosterhout", 0xA0},
        {28, 55, "DELPHI TECHNOLOGY", 0xA0},
        {15, 57, "DELPHI TECHNOLOGY", 0xA0},
        {23, 15, "Doremi Media", 0xA0},
        {18, 28, "Digital Data Technologies Sdn Bhd", 0xA0},
        {27, 6, "DIGITAL STORAGE TECHNOLOGY", 0xA0},
        {48, 44, "DIGITAL STORAGE TECHNOLOGY", 0xA0},
        {22, 33, "EXIMPO", 0xA0},
        {26, 7, "FORNET INTERNATIONAL PTE", 0xA0},
        {45, 2, "FORNET INTERNATIONAL PTE", 0xA0},
        {28, 66, "Friendly CD-Tek", 0xA0},
        {26, 45, "FUJI Photo Film", 0x7D00},
        {46, 44, "FUJI Photo Film", 0x7D00},
        {16, 35, "Grand Advance Technology", 0xA0},
        {31, 35, "Grand Advance Technology", 0xA0},
        {51, 12, "Grand Advance Technology", 0xA0},
        {29, 55, "General Magnetics", 0xA0},
        {45, 55, "Guann Yinn", 0xA0},
        {24, 55, "Guann Yinn", 0xA0},
        {28, 12, "GIGASTORAGE CORPORATION", 0xA0},
        {49, 15, "GIGASTORAGE CORPORATION", 0xA0},
        {46, 15, "Hong Kong Digital Technology", 0xA0},
        {22, 55, "Hong Kong Digital Technology", 0xA0},
        {29, 35, "Hile Optical Disc", 0xA0},
        {51, 55, "Hile Optical Disc", 0xA0},
        {24, 66, "Harmonic Hall Optical", 0xA0},
        {25, 29, "Hitachi Maxell", 0x7D00},
        {47, 15, "Hitachi Maxell", 0x7D00},
        {25, 35, "INFODISC Technology", 0xA0},
        {51, 25, "INFODISC Technology", 0xA0},
        {27, 45, "Eastman Kodak Company", 0x7D00},
        {48, 15, "Eastman Kodak Company", 0x7D00},
        {28, 45, "King Pro MediaTek", 0xA0},
        {49, 25, "King Pro MediaTek", 0xA0},
        {24, 45, "kdg mediatech AG", 0xA0},
        {26, 56, "Lead Data", 0xA0},
        {48, 62, "Lead Data", 0xA0},
        {27, 58, "Mitsui Chemicals Inc.", 0x7D00},
        {48, 55, "Mitsui Chemicals Inc.", 0x7D00},
        {34, 23, "Mitsubishi Chemical Corporation", 0x7D00},
        {50, 25, "Mitsubishi Chemical Corporation", 0x7D00},
        {15, 21, "Mitsubishi Chemical Corporation", 0x7D00},
        {28, 26, "Multi Media Masters & Machinery", 0xA0},
        {46, 22, "Multi Media Masters & Machinery", 0xA0},
        {23, 5, "Matsushita Electric Industrial", 0xA0},
        {49, 65, "Matsushita Electric Industrial", 0xA0},
        {17, 6, "Moser Baer India Limited", 0xA0},
        {25, 6, "MPO", 0xA0},
        {15, 37, "NAN-YA Plastics Corporation", 0xA0},
        {23, 25, "Nacar Media srl", 0xA0},
        {21, 45, "Optical Disc Manufacturing Equipment", 0xA0},
        {26, 35, "OPTICAL DISC CORPORATION", 0xA0},
        {49, 35, "Opti.Me.S. S.p.A.", 0xA0},
        {28, 5, "Opti.Me.S. S.p.A.", 0xA0},
        {23, 55, "OPTROM.INC.", 0xA0},
        {26, 11, "POSTECH Corporation", 0xA0},
        {47, 45, "POSTECH Corporation", 0xA0},
        {27, 30, "Pioneer Video Corporation", 0x7D00},
        {48, 35, "Pioneer Video Corporation", 0x7D00},
        {27, 18, "Plasmon Data Systems", 0xA0},
        {48, 25, "Plasmon Data Systems", 0xA0},
        {27, 28, "Princo Corporation", 0xA0},
        {47, 25, "Princo Corporation", 0xA0},
        {32, 19, "Prodisc Technology", 0xA0},
        {47, 65, "Prodisc Technology", 0xA0},
        {27, 66, "Ricoh Company", 0x7D00},
        {48, 5, "Ricoh Company", 0x7D00},
        {15, 17, "Ritek", 0xA0},
        {31, 7, "Ritek", 0xA0},
        {47, 55, "Ritek", 0xA0},
        {24, 16, "SONY Corporation", 0xA0},
        {26, 26, "SKC", 0xA0},
        {17, 16, "Sky Media Manufacturing SA", 0xA0},
        {22, 15, "Seantram Technology", 0xA0},
        {16, 29, "SHENZEN SG&GAST DIGITAL OPTICAL DISCS", 0xA0},
        {21, 55, "Sound Sound Multi-Media Development", 0xA0},
        {24, 1, "Taiyo Yuden", 0x7D00},
        {46, 5, "Taiyo Yuden", 0x7D00},
        {29, 5, "Taeil Media", 0xA0},
        {15, 5, "TDK Corporation", 0x7D00},
        {32, 5, "TDK Corporation", 0x7D00},
        {49, 0, "TDK Corporation", 0x7D00},
        {18, 67, "TAROKO INTERNATIONAL", 0xA0},
        {24, 39, "UNITECH JAPAN INC.", 0xA0},
        {45, 15, "UNITECH JAPAN INC.", 0xA0},
        {29, 25, "UNIDISC TECHNOLOGY", 0xA0},
        {29, 15, "Vanguard Disc", 0xA0},
        {50, 15, "Vanguard Disc", 0xA0},
        {49, 45, "VICTOR COMPANY OF JAPAN", 0xA0},
        {23, 45, "VICTOR COMPANY OF JAPAN", 0xA0},
        {25, 45, "VIVASTAR AG", 0xA0},
        {29, 45, "VIVA MAGNETICS LIMITED", 0xA0},
        {22, 5, "Woongjin Media", 0xA0},
        {18, 17, "WEALTH FAIR INVESTMENT LIMITED", 0xA0},
        {25, 66, "Xcitek", 0xA0},
        {45, 65, "Xcitek", 0xA0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.second) + ":" + std::to_string(c.frame));
        Result r = Ask(Atip("cd-r", 97, c.second, c.frame, "79:59:74"));
        std::string type = " (type " + std::to_string(c.frame % 10) + ")";
        EXPECT_EQ(c.maker + type + ", 79:59:74", r.text);
        EXPECT_EQ(c.maker + type + " ", r.name);
        EXPECT_EQ(c.value, r.value);
    }
}

// CD-RWs carry their maker's code too. Where a maker's CD-RW codes name their lead-out limits (Daxon, Ritek at
// 97:27:0x and 97:27:1x), a disc with another limit is not named, and a maker without CD-RW codes is not either.
TEST_F(DiscMakerTest, CdrwLeadInsNameTheirMakers)
{
    const struct {
        const char* leadIn;
        const char* leadOut;
        const char* text;
    } cases[] = {
        {"97:26:45", "74:30:00", "FUJI Photo Film (type 5), 74:30:00"},
        {"97:34:22", "74:43:00", "Mitsubishi Chemical Corporation (type 2), 74:43:00"},
        {"97:15:21", "79:59:74", "Mitsubishi Chemical Corporation (type 1), 79:59:74"},
        {"97:51:12", "79:59:74", "Grand Advance Technology (type 2), 79:59:74"},
        {"97:27:66", "74:12:02", "Ricoh Company (type 6), 74:12:02"},
        {"97:28:15", "74:12:00", "GIGASTORAGE CORPORATION (type 5), 74:12:00"},
        {"97:22:60", "74:41:50", "Daxon Technology Inc (type 0), 74:41:50"},
        {"97:22:60", "74:59:74", "Unknown brand, 74:59:74"},
        {"97:27:00", "74:45:00", "Ritek (type 0), 74:45:00"},
        {"97:27:05", "79:59:74", "Unknown brand, 79:59:74"},
        {"97:48:44", "79:59:74", "DIGITAL STORAGE TECHNOLOGY (type 4), 79:59:74"},
        {"97:27:12", "74:41:00", "Ritek (type 2), 74:41:00"},
        {"97:48:25", "79:59:74", "Plasmon Data Systems (type 5), 79:59:74"},
        {"97:24:01", "74:43:00", "Unknown brand, 74:43:00"},
        {"97:29:05", "79:59:74", "Taeil Media (type 5), 79:59:74"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.leadIn);
        int m = 0, s = 0, f = 0;
        ASSERT_EQ(3, std::sscanf(c.leadIn, "%d:%d:%d", &m, &s, &f));
        Result r = Ask(Atip("cd-rw", m, s, f, c.leadOut, "rw subtype 3"));
        EXPECT_EQ(c.text, r.text);
    }
}

TEST_F(DiscMakerTest, MatchesAndTexts)
{
    const struct {
        const char* name;
        std::string disc;
        const char* text;
        const char* namePart;
        const char* timePart;
        LONG value;
    } cases[] = {
        {"Taiyo Yuden CD-R", Atip("cd-r", 97, 24, 1, "79:59:74"), "Taiyo Yuden (type 1), 79:59:74",
         "Taiyo Yuden (type 1) ", "(type 1), 79:59:74", 0x7D00},
        {"frame 59 matches a table frame 50", Atip("cd-r", 97, 47, 59, "79:59:74"), "Ritek (type 9), 79:59:74",
         "Ritek (type 9) ", "(type 9), 79:59:74", 0xA0},
        {"frame 60 is not in Ritek's fifties", Atip("cd-r", 97, 47, 60, "79:59:74"),
         "Prodisc Technology (type 0), 79:59:74", "Prodisc Technology (type 0) ", "(type 0), 79:59:74", 0xA0},
        {"lead-in no row names", Atip("cd-r", 97, 33, 33, "79:59:74"), "Unknown brand, 79:59:74", "-", "",
         kDiscMakerNoMatchValue},
        {"CMC CD-RW with another lead-out limit", Atip("cd-rw", 97, 26, 66, "74:59:74", "rw subtype 3"),
         "Unknown brand, 74:59:74", "-", "", kDiscMakerNoMatchValue},
        {"CMC CD-RW with its limit", Atip("cd-rw", 97, 26, 66, "75:00:00", "rw subtype 3"),
         "CMC Magnetics Corporation (type 6), 75:00:00", "CMC Magnetics Corporation (type 6) ", "(type 6), 75:00:00",
         0xA0},
        {"INFODISC CD-RW, any limit", Atip("cd-rw", 97, 25, 30, "71:12:34", "rw subtype 3"),
         "INFODISC Technology (type 0), 71:12:34", "INFODISC Technology (type 0) ", "(type 0), 71:12:34", 0xA0},
        {"normal-speed CD-RW", Atip("cd-rw", 97, 25, 30, "74:00:00", "rw subtype 0 clv 4"),
         "INFODISC Technology (type 0), 74:00:00 - 10 X NS CD-RW", "INFODISC Technology (type 0) ",
         "(type 0), 74:00:00 - 10 X NS CD-RW", 0xA0},
        {"high-speed CD-RW", Atip("cd-rw", 97, 25, 30, "74:00:00", "rw subtype 1 clv 2"),
         "INFODISC Technology (type 0), 74:00:00 - 4 X HS CD-RW", "INFODISC Technology (type 0) ",
         "(type 0), 74:00:00 - 4 X HS CD-RW", 0xA0},
        {"ultra-speed CD-RW", Atip("cd-rw", 97, 25, 30, "74:00:00", "rw subtype 2 ultra 9"),
         "INFODISC Technology (type 0), 74:00:00 - 32 X US CD-RW", "INFODISC Technology (type 0) ",
         "(type 0), 74:00:00 - 32 X US CD-RW", 0xA0},
        {"ultra-speed code without a speed", Atip("cd-rw", 97, 25, 30, "74:00:00", "rw subtype 2 ultra 4"),
         "INFODISC Technology (type 0), 74:00:00", "INFODISC Technology (type 0) ", "(type 0), 74:00:00", 0xA0},
        {"normal-speed code 3 gives no speed", Atip("cd-rw", 97, 25, 30, "74:00:00", "rw subtype 0 clv 3"),
         "INFODISC Technology (type 0), 74:00:00", "INFODISC Technology (type 0) ", "(type 0), 74:00:00", 0xA0},
        {"unknown CD-RW keeps its speed class", Atip("cd-rw", 97, 33, 33, "74:00:00", "rw subtype 1 clv 1"),
         "Unknown brand, 74:00:00 - 2 X HS CD-RW", "-", " - 2 X HS CD-RW", kDiscMakerNoMatchValue},
        {"lead-in minute 96, not high capacity", Atip("cd-r", 96, 43, 10, "79:59:74"), "-", "-", "",
         kDiscMakerNoMatchValue},
        {"other lead-in minute on a CD-RW", Atip("cd-rw", 95, 10, 10, "74:00:00", "rw subtype 0 clv 2"),
         "- - 4 X NS CD-RW", "-", " - 4 X NS CD-RW", kDiscMakerNoMatchValue},
        {"high-capacity CMC", Atip("cd-r", 96, 43, 12, "89:59:74", "hc"),
         "CMC Magnetics Corporation (type 2), 89:59:74", "CMC Magnetics Corporation (type 2) ", "(type 2), 89:59:74",
         0xA0},
        {"high-capacity SKC", Atip("cd-r", 96, 40, 5, "89:59:74", "hc"), "SKC (type 5), 89:59:74", "SKC (type 5) ",
         "(type 5), 89:59:74", 0xA0},
        {"high-capacity Ritek", Atip("cd-r", 96, 43, 37, "99:59:74", "hc"), "Ritek (type 7), 99:59:74",
         "Ritek (type 7) ", "(type 7), 99:59:74", 0xA0},
        {"high-capacity disc no row names", Atip("cd-r", 96, 11, 12, "89:59:74", "hc"),
         "Unknown brand, 89:59:74 - HC-R", "Unknown brand", ", 89:59:74 - HC-R", kDiscMakerNoMatchValue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Result r = Ask(c.disc);
        EXPECT_EQ(c.text, r.text);
        EXPECT_EQ(c.namePart, r.name);
        EXPECT_EQ(c.timePart, r.time);
        EXPECT_EQ(c.value, r.value);
    }
}

TEST_F(DiscMakerTest, HighCapacityDiscWithoutDiscInformation)
{
    int nDrive = 0;
    CDeviceRecord record = DriveWithDisc(kEmuFifthFamilyDvdWriter, Atip("cd-r", 96, 43, 12, "89:59:74", "hc"), &nDrive);
    m_pMachine->QueueSense(nDrive, 0x51, 5, 0x24, 0, 3);
    DiscMakerAnswer answer(m_Manager, record);
    EXPECT_STREQ("HC-R", answer.text);
    EXPECT_STREQ("-", answer.name);
    EXPECT_STREQ("", answer.time);
    EXPECT_EQ(kDiscMakerNoMatchValue, answer.value);
}

// A multi-session disc whose ATIP cannot be read is named from the C0 lead-in of its full TOC.
TEST_F(DiscMakerTest, FullTocFallback)
{
    const std::string twoSessions =
        "disc-image cd-r\ndisc-atip 97:24:01 79:59:74\ndisc-track mode1 5000\ndisc-track mode1 3000 session 2";
    const struct {
        const char* name;
        std::string disc;
        int profile;
        const char* text;
    } cases[] = {
        {"two sessions, binary full TOC", twoSessions, kEmuFifthFamilyDvdWriter, "Taiyo Yuden (type 1),  4:20:50"},
        {"two sessions, BCD full TOC", twoSessions, kEmuScsiCdRom, "Taiyo Yuden (type 1),  4:20:50"},
        {"one session", "disc-image cd-r\ndisc-atip 97:24:01 79:59:74\ndisc-track mode1 5000", kEmuFifthFamilyDvdWriter,
         "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int nDrive = 0;
        CDeviceRecord record = DriveWithDisc(c.profile, c.disc, &nDrive);
        m_pMachine->QueueSense(nDrive, 0x43, 5, 0x24, 0, 1); // the ATIP read
        EXPECT_STREQ(c.text, DiscMakerAnswer(m_Manager, record).text);
    }
}

} // namespace
