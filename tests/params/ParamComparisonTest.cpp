#include <gtest/gtest.h>

#include <vector>

#include "params/ParamComparison.h"
#include "params/ParamFile.h"

namespace {

ParamSet Set(std::initializer_list<std::pair<int32_t, int32_t>> values) {
    ParamSet set;
    for (const auto& [number, value] : values) set.Set(number, value);
    return set;
}

TEST(ParamComparisonTest, RowsTellWhatDiffersAsTheDriveKeepsIt) {
    struct RowCase {
        const char* what;
        ParamSet a;
        ParamSet b;
        int32_t number;
        bool differ;
        uint32_t bits;
        bool beyond16;
    };
    const RowCase cases[] = {
        {"equal", Set({{20, 500}}), Set({{20, 500}}), 20, false, 0, false},
        // Only the bit fields tell their bits.
        {"bit field", Set({{37, 0b0101}}), Set({{37, 0b0110}}), 37, true, 0b0011, false},
        {"largest 16-bit values", Set({{22, 32767}}), Set({{22, -32768}}), 22, true, 0, false},
        {"just beyond", Set({{22, 32768}}), Set({{22, -32768}}), 22, true, 0, true},
        {"only one side", Set({{20, 0}}), Set({}), 20, true, 0, false},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.what);
        ParamComparison comparison(c.a, c.b, {c.number});
        ASSERT_EQ(comparison.Rows().size(), 1u);
        const ParamComparison::Row& row = comparison.Rows()[0];
        EXPECT_EQ(row.differ, c.differ);
        EXPECT_EQ(row.bits, c.bits);
        EXPECT_EQ(row.beyond16, c.beyond16);
        EXPECT_EQ(comparison.Differences(), c.differ ? 1 : 0);
    }
    EXPECT_EQ(ParamComparison::Kept16(70000), 4464);
    EXPECT_EQ(ParamComparison::Kept16(-32769), 32767);
}

}  // namespace
