// tests/media/DiscMakerTest.cpp
// The disc maker named from ATIP values: every code of the table, the speed classes, codes no row names, the
// high-capacity discs and the full-TOC fall-back.
#include "MediaTestSupport.h"

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
        char text[kDiscTextSize], name[kDiscTextSize], time[kDiscTextSize];
        Result r;
        EXPECT_EQ(text, m_Manager.GetDiscManufacturer(record, text, &r.value, name, time));
        r.text = text;
        r.name = name;
        r.time = time;
        return r;
    }
};

std::string Atip(const char* kind, int m, int s, int f, const char* leadOut, const char* options = "")
{
    char line[160];
    std::snprintf(line, sizeof(line), "disc-image %s blank\ndisc-atip %d:%d:%d %s %s", kind, m, s, f, leadOut, options);
    return line;
}

// The first row whose code matches, as the program searches: table order, each row's codes in order.
const DiscMakerRecord* FirstRowWith(bool (*matches)(const DiscMakerRecord&, int, int, int, LONG), int a, int b, int c,
                                    LONG limit)
{
    for (const DiscMakerRecord& row : g_DiscMakerTable) {
        if (matches(row, a, b, c, limit))
            return &row;
    }
    return nullptr;
}

TEST_F(DiscMakerTest, EveryCodeOfTheTableNamesItsMaker)
{
    int checked = 0;
    for (const DiscMakerRecord& row : g_DiscMakerTable) {
        for (const auto& code : row.cdr) {
            if (code.second < 0)
                continue;
            SCOPED_TRACE(std::string(row.name) + " CD-R");
            int frame = code.frame + 7; // any frame of the same ten
            const DiscMakerRecord* first = FirstRowWith(
                [](const DiscMakerRecord& r, int s, int f, int, LONG) {
                    for (const auto& c : r.cdr)
                        if (c.second == s && c.frame >= 0 && c.frame / 10 == f / 10)
                            return true;
                    return false;
                },
                code.second, frame, 0, 0);
            Result r = Ask(Atip("cd-r", 97, code.second, frame, "79:59:74"));
            char expected[200];
            std::snprintf(expected, sizeof(expected), "%s (type 7), 79:59:74", first->name);
            EXPECT_EQ(expected, r.text);
            EXPECT_EQ(first->value, r.value);
            ++checked;
        }
        for (const auto& code : row.highCapacity) {
            if (code.minute < 0)
                continue;
            SCOPED_TRACE(std::string(row.name) + " high capacity");
            Result r = Ask(Atip("cd-r", code.minute, code.second, code.frame + 3, "89:59:74", "hc"));
            char expected[200];
            std::snprintf(expected, sizeof(expected), "%s (type 3), ", row.name);
            EXPECT_EQ(0u, r.text.find(expected)) << r.text;
            EXPECT_EQ(row.value, r.value);
            ++checked;
        }
        for (const auto& code : row.cdrw) {
            if (code.second < 0)
                continue;
            SCOPED_TRACE(std::string(row.name) + " CD-RW");
            LONG limit = code.leadOutLimit;
            char leadOut[16] = "74:59:74";
            if (limit != 0)
                std::snprintf(leadOut, sizeof(leadOut), "%ld:%ld:%ld", long(limit / 4500), long(limit / 75 % 60),
                              long(limit % 75));
            Result r = Ask(Atip("cd-rw", 97, code.second, code.frame, leadOut, "rw subtype 3"));
            char expected[200];
            std::snprintf(expected, sizeof(expected), "%s (type %ld), ", row.name, long(code.frame % 10));
            EXPECT_EQ(0u, r.text.find(expected)) << r.text;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
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
        {"frame 60 does not match a table frame 50", Atip("cd-r", 97, 47, 60, "79:59:74"), "Unknown brand, 79:59:74",
         "-", "", kDiscMakerNoMatchValue},
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
    char text[kDiscTextSize], name[kDiscTextSize], time[kDiscTextSize];
    LONG value = 0;
    m_Manager.GetDiscManufacturer(record, text, &value, name, time);
    EXPECT_STREQ("HC-R", text);
    EXPECT_STREQ("-", name);
    EXPECT_STREQ("", time);
    EXPECT_EQ(kDiscMakerNoMatchValue, value);
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
        char text[kDiscTextSize], name[kDiscTextSize], time[kDiscTextSize];
        LONG value = 0;
        m_Manager.GetDiscManufacturer(record, text, &value, name, time);
        EXPECT_STREQ(c.text, text);
    }
}

} // namespace
