// tests/drive/commands/ModelTableTest.cpp
// The model table's invariants, the bridge rewrite rules and the prefix lookup, without a drive.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>

#include "drive/ModelTable.h"

namespace {

const char* const kCategories[] = {"CDROM  ", "CD-R   ", "DVD    ", "DVDR   "};

bool IsSpeedText(const char* text)
{
    // "4X CLV", "10-24X CAV", "6.6-16X CAV"
    std::string s(text);
    size_t x = s.find("X ");
    if (x == std::string::npos || x == 0)
        return false;
    std::string tail = s.substr(x + 2);
    if (tail != "CLV" && tail != "CAV")
        return false;
    for (size_t i = 0; i < x; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i])) && s[i] != '-' && s[i] != '.')
            return false;
    }
    return std::isdigit(static_cast<unsigned char>(s[0])) != 0;
}

// A speed list holds its entries first and empty entries at the end.
void ExpectSpeedList(const char (*list)[16], const char* row)
{
    bool ended = false;
    for (int i = 0; i < 10; ++i) {
        if (list[i][0] == '\0') {
            ended = true;
            continue;
        }
        EXPECT_FALSE(ended) << row << ": gap before entry " << i;
        EXPECT_TRUE(IsSpeedText(list[i])) << row << ": " << list[i];
    }
}

bool InSomeRow(const char* number)
{
    for (const ModelRecord& row : g_ModelTable) {
        if (std::strstr(row.productId, number) != nullptr)
            return true;
    }
    return false;
}

// The table is declared with kModelTableRows rows: more rows do not compile, and fewer leave empty rows at its
// end.
TEST(ModelTable, RowsAreComplete)
{
    std::set<std::string> ids;
    for (const ModelRecord& row : g_ModelTable) {
        std::string id(row.productId);
        ASSERT_FALSE(id.empty()) << "an empty row in the table: fewer rows than declared";
        EXPECT_TRUE(ids.insert(id).second) << "duplicate product id " << id;
        EXPECT_LE(id.size(), 16u) << id;
        bool category = false;
        for (const char* prefix : kCategories)
            category = category || id.compare(0, 7, prefix) == 0;
        EXPECT_TRUE(category) << id << " lacks a category prefix";

        // Labels are "ID:nn" and three blanks before the name, at most 32 characters.
        EXPECT_GT(std::strlen(row.name), 0u) << id;
        EXPECT_LE(std::strlen(row.name), 24u) << id << ": " << row.name;
        EXPECT_EQ(0, std::strncmp(row.firmwareId, "KORVATH ", 8)) << id;
        EXPECT_EQ(4u, std::strlen(row.code)) << id;
        EXPECT_TRUE(row.value1 == 0 || row.value1 == 18 || row.value1 == 255) << id;
        for (BYTE flag : {row.isWriter, row.flag2, row.flag3, row.bufferUnderrunProof, row.c2Pointers,
                          row.tenByteCommands, row.vendorInfo})
            EXPECT_LE(flag, 1) << id;
        ExpectSpeedList(row.cdSpeeds, row.productId);
        ExpectSpeedList(row.dvdSpeeds, row.productId);
        ExpectSpeedList(row.thirdSpeeds, row.productId);
    }
}

// The lookup takes the first row that is a prefix of the identification: a row extending an earlier row's
// identification could never be found.
TEST(ModelTable, EveryRowIsReachable)
{
    for (int i = 0; i < kModelTableRows; ++i) {
        const ModelRecord* found = FindModelRow(g_ModelTable[i].productId);
        ASSERT_NE(nullptr, found);
        EXPECT_EQ(&g_ModelTable[i], found) << g_ModelTable[i].productId << " is hidden by " << found->productId;
    }
}

TEST(ModelTable, RewriteTargetsAreRows)
{
    EXPECT_EQ(28, g_nBridgeRewriteRules);
    std::set<int> groups;
    int previous = 0;
    for (int i = 0; i < g_nBridgeRewriteRules; ++i) {
        const BridgeRewriteRule& rule = g_BridgeRewriteRules[i];
        EXPECT_GE(rule.group, previous) << "groups are contiguous";
        previous = rule.group;
        groups.insert(rule.group);
        for (const char* target : {rule.replacement, rule.replacementIfEqual}) {
            if (target == nullptr)
                continue;
            EXPECT_LE(std::strlen(target), size_t(kProductIdLength)) << target;
            const ModelRecord* row = FindModelRow(target);
            ASSERT_NE(nullptr, row) << target;
            EXPECT_STREQ(target, row->productId);
        }
        if (rule.test == BridgeTestEquals) {
            EXPECT_EQ(size_t(kProductIdLength), std::strlen(rule.pattern)) << rule.pattern;
        }
        if (rule.equalsId != nullptr) {
            EXPECT_EQ(size_t(kProductIdLength), std::strlen(rule.equalsId)) << rule.equalsId;
        }
    }
    EXPECT_EQ(20u, groups.size());
}

TEST(ModelTable, GroupMembersAreRows)
{
    for (int g = 0; g < g_nAllModelGroups; ++g) {
        const ModelNumberGroup& group = *g_AllModelGroups[g];
        EXPECT_GT(group.count, 0) << group.name;
        for (int i = 0; i < group.count; ++i) {
            EXPECT_TRUE(InSomeRow(group.numbers[i])) << group.name << ": " << group.numbers[i];
        }
    }
    EXPECT_EQ(4, g_FourFamilyGroup.count);
    EXPECT_EQ(5, g_FiveFamilyGroup.count);
    EXPECT_EQ(10, g_SpecialSpeedModels.count);
    for (int i = 0; i < g_FourFamilyGroup.count; ++i)
        EXPECT_TRUE(ContainsModelNumber(g_FourFamilyGroup.numbers[i], g_FiveFamilyGroup));

    for (const char* id : {g_szPage1Model, g_szJumperShuffleRows[0], g_szJumperShuffleRows[1]}) {
        const ModelRecord* row = FindModelRow(id);
        ASSERT_NE(nullptr, row) << id;
        EXPECT_STREQ(id, row->productId);
    }
    EXPECT_EQ(15u, std::strlen(g_szPage1Model));
    EXPECT_EQ(size_t(kProductIdLength), std::strlen(g_szUsbBridgeProductId));
    EXPECT_NE(nullptr, FindModelRow(g_szUsbBridgeProductId));
}

// Feature tables: the row counts their predicates need, every number in a row, and no number hidden behind an
// earlier one that it contains.
TEST(ModelTable, FirmwareFeatureTables)
{
    const struct {
        const FirmwareFeatureTable* table;
        int rows;
    } expected[] = {
        {&g_SpeedamodeTable, 14},       {&g_StratafitTable, 4},        {&g_ReadModeTable, 11},
        {&g_FirmwareFeature1Table, 6},  {&g_FirmwareFeature2Table, 5}, {&g_FirmwareFeature3Table, 5},
        {&g_FirmwareFeature4Table, 8},  {&g_FirmwareFeature5Table, 8}, {&g_FirmwareFeature6Table, 5},
        {&g_FirmwareFeature7Table, 21}, {&g_FirmwareFeature8Table, 9}, {&g_FeatureLevelTable, 19},
    };
    for (const auto& e : expected)
        EXPECT_EQ(e.rows, e.table->count) << e.table->name;
    for (int t = 0; t < g_nAllFirmwareFeatureTables; ++t) {
        const FirmwareFeatureTable& table = *g_AllFirmwareFeatureTables[t];
        for (int i = 0; i < table.count; ++i) {
            EXPECT_TRUE(InSomeRow(table.rows[i].number)) << table.name << ": " << table.rows[i].number;
            for (int j = 0; j < i; ++j)
                EXPECT_EQ(nullptr, std::strstr(table.rows[i].number, table.rows[j].number))
                    << table.name << ": " << table.rows[i].number << " hidden by " << table.rows[j].number;
        }
    }
    for (int i = 0; i < g_StratafitTable.count; ++i)
        EXPECT_STREQ(g_FourFamilyGroup.numbers[i], g_StratafitTable.rows[i].number);
}

struct RewriteCase {
    const char* product; // the record's 16-character identification
    int bus;
    const char* revision;
    const char* expectedRow; // null: no row
};

TEST(ModelTable, RewriteRulesFindTheIntendedRow)
{
    const RewriteCase cases[] = {
        {"DVDR   QZ7160   ", 0, "1.05", "DVDR   QZ7160"},   {"DVDR   QZ7160   ", 4, "1.05", "DVDR   QZ7160U"},
        {"DVDR   QZ7160   ", 5, "1.05", "DVDR   QZ7160F"},  {"DVDR   QZ7160   ", 2, "1.05", "DVDR   QZ7160S"},
        {"DVDR   QZ7164   ", 4, "1.05", "DVDR   QZ7160U"},  {"DVDR   QZ7164   ", 2, "1.05", "DVDR   QZ7160S"},
        {"DVDR   QZ7240A  ", 4, "1.00", "DVDR   QZ7240AU"}, {"DVDR   QZ7240A  ", 5, "1.00", "DVDR   QZ7240AU"},
        {"DVDR   QZ7240A  ", 2, "1.00", "DVDR   QZ7240S"},  {"DVDR   QZ7240A  ", 0, "1.00", "DVDR   QZ7240A"},
        {"DVDR   QZ7240   ", 5, "1.00", "DVDR   QZ7240F"},  {"CD-R   QZ5280   ", 4, "1.02", "CD-R   QZ5280UL"},
        {"CD-R   QZ5280B  ", 4, "1.02", "CD-R   QZ5280U"},  {"CD-R   QZ5280   ", 5, "1.02", "CD-R   QZ5280"},
        {"CD-R   QZ5204   ", 4, "1.02", "CD-R   QZ5200U"},  {"DVDR   QZ7304   ", 2, "1.00", "DVDR   QZ7300S"},
        {"DVDR   QZ7304X  ", 2, "1.00", nullptr},           {"DVDR   QZ7184   ", 0, "1.10", "DVDR   QZ7180"},
        {"DVDR   QZ7184   ", 0, "1.05", nullptr},           {"DVDR   QZ7184   ", 0, "", nullptr},
        {"CDROM  QZ1200SX ", 0, "1.00", "CDROM  QZ1200SX"}, {"CD-R   QZ4400PM ", 0, "1.00", "CD-R   QZ4400PM"},
        {"CD-R   QZ4400   ", 0, "1.00", "CD-R   QZ4400"},   {"CD-R   XR-1600  ", 4, "1.00", nullptr},
    };
    for (const RewriteCase& c : cases) {
        char working[kWorkingIdSize] = {};
        std::strncpy(working, c.product, kProductIdLength);
        ApplyBridgeRewriteRules(working, c.bus, c.revision);
        const ModelRecord* row = FindModelRow(working);
        if (c.expectedRow == nullptr) {
            EXPECT_EQ(nullptr, row) << c.product << " bus " << c.bus << " found " << (row ? row->productId : "");
        } else {
            ASSERT_NE(nullptr, row) << c.product << " bus " << c.bus;
            EXPECT_STREQ(c.expectedRow, row->productId) << c.product << " bus " << c.bus;
        }
    }
}

} // namespace
