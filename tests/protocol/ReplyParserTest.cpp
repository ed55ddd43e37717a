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

TEST(ReplyParser, HexFieldsStopAtTheFirstNonDigitAndKeepTheLowBits) {
    struct Case {
        const char* text;
        int32_t hex32;
        int16_t hex16;
    };
    const Case cases[] = {
        {"", 0, 0},
        {"2A", 42, 42},
        {"2a", 42, 42},
        {"FFFF", 65535, -1},
        {"8000", 32768, -32768},
        {"7FFF", 32767, 32767},
        {"1002A", 0x1002A, 42},
        {"FFFFFFFF", -1, -1},
        {"123456789", 0x23456789, 0x6789},
        {"12G4", 0x12, 0x12},
        {"G1", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplyParser::ParseHex32(c.text), c.hex32) << c.text;
        EXPECT_EQ(ReplyParser::ParseHex16(c.text), c.hex16) << c.text;
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
        {"PRA\r", {{"PRA", T::kEnd}}},
        {"PRA   \r", {{"PRA", T::kEnd}}},
        {"\r", {{"", T::kEnd}}},
        // A run longer than the window is read as two fields.
        {"123456789ABC\r", {{"123456789A", T::kWindow}, {"BC", T::kEnd}}},
        {"1234567890\r", {{"1234567890", T::kWindow}, {"", T::kEnd}}},
        // A window that ends among blanks gives an empty field next.
        {"2A         64\r", {{"2A", T::kWindow}, {"", T::kMore}, {"64", T::kEnd}}},
        {"A                    B\r",
         {{"A", T::kWindow}, {"", T::kWindow}, {"", T::kMore}, {"B", T::kEnd}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tokens(c.line), c.tokens) << c.line;
    }
}

TEST(ReplyParser, FieldsBeyondTheBufferAreReadAndDropped) {
    std::string line = "MVW";
    for (int i = 0; i < 250; ++i) line += " " + std::to_string(i % 10);
    line += "\r";
    std::vector<int32_t> values(ReplyParser::kMaxValues + 8, -7);
    int32_t count = 0;
    const char* pos = line.c_str();
    ReplyParser::ParseValues32(pos, values.data(), count);
    EXPECT_EQ(count, ReplyParser::kMaxValues);
    EXPECT_EQ(values[199], 9);
    EXPECT_EQ(values[200], -7);
    EXPECT_EQ(*pos, '\r');
}

}  // namespace
