#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params/ParamPreset.h"
#include "params/ParamTable.h"

namespace {

TEST(ParamTable, ListsExactlyTheTwentyNineParameters) {
    ParamTable table;
    std::vector<int32_t> expected = {10, 11, 13, 14, 15, 16, 20, 21, 22, 23, 25, 26, 27, 28, 29,
                                     30, 31, 37, 38, 50, 51, 52, 53, 54, 55, 56, 57, 60, 61};
    EXPECT_EQ(table.ListedNumbers(), expected);
}

TEST(ParamTable, NamedParametersAboveNinetyNineAreNeverListed) {
    ParamTable table;
    for (int32_t n = 100; n <= 106; ++n) {
        EXPECT_EQ(table.Entry(n).flags, 1) << n;
        EXPECT_FALSE(table.IsListed(n)) << n;
    }
    for (int32_t n = 40; n <= 49; ++n) {
        EXPECT_EQ(table.Entry(n).flags, 3) << n;
        EXPECT_FALSE(table.IsListed(n)) << n;
    }
}

TEST(ParamTable, EntriesCarryTheirNamesAndAttributes) {
    struct Row {
        int32_t number;
        const char* name;
        int32_t flags, attr, editKind;
    };
    const Row rows[] = {
        {0, "RESERVED", 0, 0, 0},          {10, "전류루프사용", 1, 0, 0},
        {12, "RESERVED", 0, 0, 0},         {13, "전류 P gain", 1, 1, 0},
        {26, "전류제한한계시간", 1, 1, 0}, {37, "모니터링종류", 1, 0, 1},
        {40, "IN극성선택", 3, 0, 1},       {41, "OUT극성선택", 3, 0, 1},
        {42, "운전모드선택", 3, 0, 0},     {49, "OUT3기능선택", 3, 0, 0},
        {50, "속도인덱스1", 1, 1, 0},      {57, "속도인덱스8", 1, 1, 0},
        {61, "AD입력최소 ", 1, 0, 0},      {62, "RESERVED", 0, 0, 0},
        {100, "ConFlag", 1, 1, 0},         {102, "SYSTEM", 1, 0, 0},
        {105, "SYSTEM", 1, 1, 0},          {106, "전류센서용량", 1, 1, 0},
        {109, "RESERVED", 0, 0, 0},
    };
    ParamTable table;
    for (const Row& r : rows) {
        const ParamEntry& e = table.Entry(r.number);
        EXPECT_EQ(e.number, r.number);
        EXPECT_EQ(std::string(e.name), r.name) << r.number;
        EXPECT_EQ(e.flags, r.flags) << r.number;
        EXPECT_EQ(e.attr, r.attr) << r.number;
        EXPECT_EQ(e.editKind, r.editKind) << r.number;
        EXPECT_EQ(e.value.load(), 0) << r.number;
    }
}

TEST(ParamTable, OnlyParameterThirtySevenIsListedForTheBitDialog) {
    ParamTable table;
    for (int32_t n : table.ListedNumbers()) {
        EXPECT_EQ(table.Entry(n).editKind, n == 37 ? 1 : 0) << n;
    }
}

TEST(ParamTable, StoresValuesUnchanged) {
    ParamTable table;
    for (int32_t v : {-5, 0, 32767, -32768, 2147483647, -2147483647 - 1}) {
        table.SetParamValue(20, v);
        EXPECT_EQ(table.GetParamValue(20), v);
    }
    EXPECT_EQ(table.GetParamValue(21), 0);
}

TEST(ParamPreset, CarriesTheTerminalAssignmentOfEachMode) {
    // Rows 42 to 49 per mode; 40 and 41 are 7 everywhere.
    const int32_t expected[4][8] = {
        {1, 5, 0, 0, 6, 1, 2, 3},
        {2, 1, 2, 5, 6, 1, 2, 3},
        {3, 3, 4, 5, 6, 1, 2, 3},
        {4, 10, 7, 8, 6, 1, 2, 3},
    };
    for (int mode = 0; mode < ParamPreset::kModes; ++mode) {
        const ParamPreset::Table& preset = ParamPreset::ForMode(mode);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(preset[42 + i].value, expected[mode][i]) << mode << " row " << 42 + i;
            EXPECT_EQ(preset[42 + i].defined, 1);
        }
        EXPECT_EQ(preset[40].value, 7);
        EXPECT_EQ(preset[41].value, 7);
        EXPECT_EQ(preset[10].value, 1);
        EXPECT_EQ(preset[11].value, 1);
        EXPECT_EQ(preset[20].defined, 0);
        EXPECT_EQ(std::string(preset[43].name), "IN1기능선택");
        for (int32_t n = 0; n < ParamTable::kCount; ++n) EXPECT_EQ(preset[n].number, n);
    }
}

TEST(ParamPreset, OnlyModeThreeCarriesSpeedIndexValues) {
    const int32_t speeds[] = {1000, 2000, -1000, -2000};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ParamPreset::ForMode(3)[50 + i].value, speeds[i]);
        EXPECT_EQ(ParamPreset::ForMode(3)[50 + i].defined, 1);
        for (int mode = 0; mode < 3; ++mode) {
            EXPECT_EQ(ParamPreset::ForMode(mode)[50 + i].defined, 0);
            EXPECT_EQ(ParamPreset::ForMode(mode)[50 + i].value, 0);
        }
    }
    EXPECT_EQ(ParamPreset::ForMode(3)[54].defined, 0);
}

}  // namespace
