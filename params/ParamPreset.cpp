#include "params/ParamPreset.h"

namespace {

struct PresetRow {
    int32_t number;
    int32_t values[ParamPreset::kModes];
};

constexpr PresetRow kRows[] = {
    {10, {1, 1, 1, 1}}, {11, {1, 1, 1, 1}},  {40, {7, 7, 7, 7}}, {41, {7, 7, 7, 7}},
    {42, {1, 2, 3, 4}}, {43, {5, 1, 3, 10}}, {44, {0, 2, 4, 7}}, {45, {0, 5, 5, 8}},
    {46, {6, 6, 6, 6}}, {47, {1, 1, 1, 1}},  {48, {2, 2, 2, 2}}, {49, {3, 3, 3, 3}},
};

// Speed-index rows, carried by mode 3 only.
constexpr PresetRow kSpeedIndexRows[] = {
    {50, {0, 0, 0, 1000}},
    {51, {0, 0, 0, 2000}},
    {52, {0, 0, 0, -1000}},
    {53, {0, 0, 0, -2000}},
};

ParamPreset::Table BuildTable(int mode) {
    ParamPreset::Table table;
    for (int32_t i = 0; i < ParamTable::kCount; ++i) {
        table[i].number = i;
        table[i].name = ParamTable::NameOf(i);
    }
    for (const PresetRow& row : kRows) {
        table[row.number].defined = 1;
        table[row.number].value = row.values[mode];
    }
    if (mode == 3) {
        for (const PresetRow& row : kSpeedIndexRows) {
            table[row.number].defined = 1;
            table[row.number].value = row.values[mode];
        }
    }
    return table;
}

}  // namespace

const ParamPreset::Table& ParamPreset::ForMode(int mode) {
    static const Table tables[kModes] = {BuildTable(0), BuildTable(1), BuildTable(2),
                                         BuildTable(3)};
    return tables[mode];
}
