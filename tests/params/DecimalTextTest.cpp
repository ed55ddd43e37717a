#include <gtest/gtest.h>

#include "params/DecimalText.h"

namespace {

struct Case {
    const char* text;
    int32_t expected;
};

TEST(DecimalText, ReadsLeadingNumberAsTheSystemDoesEverywhere) {
    const Case cases[] = {
        {"", 0},
        {"   7", 7},
        {"\t9", 9},
        {"-3", -3},
        {"+5", 5},
        {"12ab", 12},
        {"- 4", 0},
        {"2147483648", 2147483647},
        {"99999999999999999999", 2147483647},
        {"-2147483649", -2147483647 - 1},
        {"000000000000000000012", 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecimalText::Parse(c.text), c.expected) << '"' << c.text << '"';
    }
}

}  // namespace
