#include <gtest/gtest.h>

#include <vector>

#include "params/ParamTable.h"

namespace {

// The grid and the saved file show the named parameters below 100 that are
// not set up by the four setup steps.
TEST(ParamTable, ListsTheTwentyNineParametersTheGridShows) {
    ParamTable table;
    std::vector<int32_t> expected = {10, 11, 13, 14, 15, 16, 20, 21, 22, 23, 25, 26, 27, 28, 29,
                                     30, 31, 37, 38, 50, 51, 52, 53, 54, 55, 56, 57, 60, 61};
    EXPECT_EQ(table.ListedNumbers(), expected);
    for (int32_t n : {12, 40, 49, 100, 101, 106}) EXPECT_FALSE(table.IsListed(n)) << n;
}

}  // namespace
