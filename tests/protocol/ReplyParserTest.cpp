#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/ReplyParser.h"

namespace {

TEST(ReplyParser, HexDigitsInEitherCaseAndNothingElse) {
    const std::string digits = "0123456789abcdefABCDEF";
    for (size_t i = 0; i < digits.size(); ++i) {
        EXPECT_EQ(ReplyParser::ParseHexDigit(digits[i]), i < 16 ? int(i) : int(i) - 6);
    }
    for (char c : std::string("gG@`[{ \r.-\x80\xC1\xE6\xFF")) {
        EXPECT_EQ(ReplyParser::ParseHexDigit(c), -1) << int(c);
    }
}

// Splits a whole line (its carriage return included) into NextToken results.
std::vector<std::pair<std::string, int>> Tokens(const std::string& line) {
    std::vector<std::pair<std::string, int>> tokens;
    const char* pos = line.c_str();
    char token[ReplyParser::kTokenSize];
    for (;;) {
        ReplyParser::Token result = ReplyParser::NextToken(pos, token);
        tokens.emplace_back(token, result);
        if (result == ReplyParser::kEnd) return tokens;
    }
}

TEST(ReplyParser, NextTokenLooksAtTenCharactersAtATime) {
    using T = ReplyParser::Token;
    struct Case {
        std::string line;
        std::vector<std::pair<std::string, int>> tokens;
    };
    const Case cases[] = {
        {"PRA 2A 64\r", {{"PRA", T::kMore}, {"2A", T::kMore}, {"64", T::kEnd}}},
        {"\r", {{"", T::kEnd}}},
        // A run longer than the window is read as two fields.
        {"123456789ABC\r", {{"123456789A", T::kWindow}, {"BC", T::kEnd}}},
        {"1234567890\r", {{"1234567890", T::kWindow}, {"", T::kEnd}}},
        // A window that ends among blanks gives an empty field next.
        {"A                    B\r",
         {{"A", T::kWindow}, {"", T::kWindow}, {"", T::kMore}, {"B", T::kEnd}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tokens(c.line), c.tokens) << c.line;
    }
}

}  // namespace
