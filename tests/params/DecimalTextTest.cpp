#include <gtest/gtest.h>

#include <limits>

#include "params/DecimalText.h"

namespace {

struct Case {
    const char* text;
    int32_t expected;
};

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(DecimalText, ReadsLeadingNumberAsTheSystemDoesEverywhere) {
    const Case cases[] = {
        {"", 0},
        {"7", 7},
        {"   7", 7},
        {"\t9", 9},
        {"-3", -3},
        {"+5", 5},
        {"12ab", 12},
        {"abc", 0},
        {"- 4", 0},
        {"--4", 0},
        {"1 0", 1},
        {"2147483647", kMax},
        {"2147483648", kMax},
        {"99999999999999999999", kMax},
        {"-2147483648", kMin},
        {"-2147483649", kMin},
        {"-99999999999999999999", kMin},
        {"000000000000000000012", 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecimalText::Parse(c.text), c.expected) << '"' << c.text << '"';
    }
}

}  // namespace
