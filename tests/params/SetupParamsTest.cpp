#include <gtest/gtest.h>

#include "params/SetupParams.h"

namespace {

TEST(SetupParams, PresetOfModeThreeSelectsItsTerminalAssignment) {
    SetupParams::Choice choice = SetupParams::FromPreset(3);
    EXPECT_EQ(choice.mode, 3);
    EXPECT_EQ(choice.functions, (std::array<int32_t, 7>{10, 7, 8, 6, 1, 2, 3}));
    EXPECT_EQ(choice.polarity, (std::array<bool, 7>{true, true, true, false, true, true, true}));
}

// IN1..IN4 are bits 0..3 of 40, OUT1..OUT3 bits 0..2 of 41.
TEST(SetupParams, StoreWritesModeFunctionsAndPolarityBits) {
    struct Case {
        std::array<bool, 7> polarity;
        int32_t in, out;
    };
    const Case cases[] = {
        {{true, true, true, true, false, false, false}, 15, 0},
        {{false, true, true, true, false, false, true}, 14, 4},
        {{true, false, false, false, true, true, false}, 1, 3},
    };
    for (const Case& c : cases) {
        ParamTable table;
        table.SetParamValue(40, 0x7FF0);  // bits above the terminals go
        SetupParams::Choice choice = SetupParams::FromPreset(1);
        choice.functions[1] = -1;  // a combo without selection
        choice.polarity = c.polarity;
        SetupParams::Store(table, choice);
        EXPECT_EQ(table.GetParamValue(40), c.in);
        EXPECT_EQ(table.GetParamValue(41), c.out);
        EXPECT_EQ(table.GetParamValue(42), 1);
        EXPECT_EQ(table.GetParamValue(43), 1);
        EXPECT_EQ(table.GetParamValue(44), -1);
        EXPECT_EQ(table.GetParamValue(49), 3);
        EXPECT_EQ(table.GetParamValue(50), 0);
    }
}

}  // namespace
