#include <gtest/gtest.h>

#include "params/SetupParams.h"

namespace {

// IN1..IN4 are bits 0..3 of 40, OUT1..OUT3 bits 0..2 of 41.
TEST(SetupParams, StoreWritesModeFunctionsAndPolarityBits) {
    struct Case {
        std::array<bool, 7> polarity;
        int32_t in, out;
    };
    const Case cases[] = {
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
        EXPECT_EQ(table.GetParamValue(44), -1);
        EXPECT_EQ(table.GetParamValue(49), 3);
    }
}

}  // namespace
