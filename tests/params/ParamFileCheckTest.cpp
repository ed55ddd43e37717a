#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "params/ParamFile.h"
#include "params/ParamFileCheck.h"
#include "params/ParamFileCheckWords.h"
#include "params/ParamTable.h"

namespace {

using Fault = ParamFileCheck::Fault;
using namespace std::string_literals;

// The listed parameters, each with a value of its own.
ParamSet SavedValues() {
    ParamSet values;
    for (int32_t n : ParamTable::Instance().ListedNumbers()) values.Set(n, n * 100 - 3000);
    return values;
}

// A save: 29 records of 42 bytes, then a blank line.
const std::string kSaved = ParamFile::Format(SavedValues());

// `text` with its line `line` (counted from 1) replaced by `replacement`.
std::string Replaced(std::string text, int line, const std::string& replacement) {
    size_t start = 0;
    for (int i = 1; i < line; ++i) start = text.find('\n', start) + 1;
    return text.replace(start, text.find('\n', start) + 1 - start, replacement);
}

std::string LineOfSave(int line) {
    size_t start = 0;
    for (int i = 1; i < line; ++i) start = kSaved.find('\n', start) + 1;
    return kSaved.substr(start, kSaved.find('\n', start) + 1 - start);
}

std::vector<int32_t> ListedExcept(const std::vector<int32_t>& set) {
    std::vector<int32_t> numbers = ParamTable::Instance().ListedNumbers();
    std::erase_if(numbers,
                  [&](int32_t n) { return std::find(set.begin(), set.end(), n) != set.end(); });
    return numbers;
}

std::string Utf16(const std::string& text) {
    std::string wide = "\xff\xfe";
    for (char c : text) wide += std::string{c, '\0'};
    return wide;
}

TEST(ParamFileCheckTest, SavesAndWellFormedRecordsAreSendableAsOpeningReadsThem) {
    ParamSet backup;
    for (int32_t n = 0; n < ParamTable::kCount; ++n) backup.Set(n, n == 60 ? -32768 : n);
    std::string noBlankLine = kSaved.substr(0, kSaved.size() - 2);
    const std::string sendable[] = {
        kSaved,
        ParamFile::Format(backup),
        // Blanks and tabs around fields; the widest values; no blank line at the end.
        Replaced(Replaced(noBlankLine, 7, "\t+20 ,x,\t2147483647 \r\n"), 10, "23,,-2147483648\n"),
        // The last line alone may be blank.
        noBlankLine + " \t ",
    };
    for (const std::string& content : sendable) {
        ParamFileCheck check(content);
        EXPECT_TRUE(check.Sendable()) << content;
        ParamSet opened;
        ParamFile::Parse(content, opened);
        EXPECT_EQ(check.Values(), opened) << content;
    }
    EXPECT_EQ(ParamFileCheck(kSaved).Values(), SavedValues());
}

TEST(ParamFileCheckTest, NamesWhatIsMissingDuplicatedOrUnreadable) {
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::pair<int, Fault>> problems;  // line, fault
        std::vector<int32_t> missing;
    };
    // Record 12 is parameter 26.
    const std::vector<int32_t> fromRecord12 = {26, 27, 28, 29, 30, 31, 37, 38, 50,
                                               51, 52, 53, 54, 55, 56, 57, 60, 61};
    const Case cases[] = {
        {"an empty file", "", {}, ListedExcept({})},
        {"parameter 20 alone", "   20,   가속시간,   500 \r\n\r\n", {}, ListedExcept({20})},
        {"cut inside record 12",
         kSaved.substr(0, 11 * 42 + 30),
         {{12, Fault::kTruncated}},
         fromRecord12},
        {"cut after a comma",
         kSaved.substr(0, 11 * 42 + 6),
         {{12, Fault::kTruncated}},
         fromRecord12},
        // 3000 cut to 300: the value reads well, the line end is missing.
        {"cut inside a value",
         kSaved.substr(0, 12 * 42 - 4),
         {{12, Fault::kTruncated}},
         fromRecord12},
        {"a binary file",
         "\x7f"
         "ELF\x02\x01\x01\0\0\0\n20,x,1"s,
         {{1, Fault::kNotText}},
         ListedExcept({})},
        {"UTF-16", Utf16(kSaved), {{1, Fault::kNotText}}, ListedExcept({})},
        {"a value that is no number",
         Replaced(kSaved, 7, "20, x, fast\r\n"),
         {{7, Fault::kBadValue}},
         {20}},
        {"a value beyond 32 bits",
         Replaced(kSaved, 7, "20, x, 2147483648\r\n"),
         {{7, Fault::kBadValue}},
         {20}},
        {"a field longer than opening keeps",
         Replaced(kSaved, 7, "20,x," + std::string(63, '0') + "5\r\n"),
         {{7, Fault::kBadValue}},
         {20}},
        {"blanks inside a number",
         Replaced(kSaved, 7, "2 0, x, 5\r\n"),
         {{7, Fault::kBadNumber}},
         {20}},
        {"a byte-order mark", "\xef\xbb\xbf" + kSaved, {{1, Fault::kBadNumber}}, {10}},
        {"a blank line in the middle",
         Replaced(kSaved, 3, "\r\n" + LineOfSave(3)),
         {{3, Fault::kBlankLine}},
         {}},
        {"a record after the save's last line",
         kSaved + "   20,   가속시간,  9999 \r\n",
         {{30, Fault::kBlankLine}, {31, Fault::kDuplicate}},
         {}},
        {"two blank lines at the end", kSaved + "\r\n", {{30, Fault::kBlankLine}}, {}},
        {"a number outside 0 to 109",
         Replaced(kSaved, 30, "110,x,1\r\n"),
         {{30, Fault::kNoSuchParameter}},
         {}},
        {"four fields", Replaced(kSaved, 7, "20,x,5,6\r\n"), {{7, Fault::kFieldCount}}, {20}},
        {"records on one line", "10,a,1,11,b,2\r\n", {{1, Fault::kFieldCount}}, ListedExcept({})},
        // No line end is a line feed: the file is one line, cut short.
        {"carriage returns alone", "10,a,1\r11,b,2\r", {{1, Fault::kTruncated}}, ListedExcept({})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ParamFileCheck check(c.content);
        std::vector<std::pair<int, Fault>> problems;
        for (const ParamFileCheck::Problem& p : check.Problems()) {
            problems.emplace_back(p.line, p.fault);
        }
        EXPECT_EQ(problems, c.problems);
        EXPECT_EQ(check.Missing(), c.missing);
        EXPECT_FALSE(check.Sendable());
    }
}

TEST(ParamFileCheckTest, AProblemCarriesWhatItsMessageNames) {
    ParamFileCheck again(Replaced(kSaved, 30, "   20, x, 1 \r\n"));
    ASSERT_EQ(again.Problems().size(), 1u);
    EXPECT_EQ(again.Problems()[0].number, 20);
    EXPECT_EQ(again.Problems()[0].firstLine, 7);
    // The later record counts, as opening keeps it.
    EXPECT_EQ(again.Values().Value(20), 1);
    EXPECT_EQ(ParamFileCheck("200,x,1\n").Problems()[0].number, 200);
    EXPECT_EQ(ParamFileCheck("20,x,1,2,3\n").Problems()[0].fields, 5);
}

// Both front ends list the first few problems, then how many more, then what
// no record sets: one row each, Korean and English side by side.
TEST(ParamFileCheckTest, ProblemLinesStopAtTheShownCountInBothLanguages) {
    std::string text = kSaved;
    for (int line = 1; line <= 12; ++line) text = Replaced(text, line, "x\n");
    ParamFileCheck check(text);
    ASSERT_EQ(check.Problems().size(), 12u);
    std::vector<ParamFileCheckWords::Words> lines = ParamFileCheckWords::Lines(check, 10, true);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[9].korean, "10번째 줄: 필드가 1개입니다 (레코드는 번호, 이름, 값의 3개)");
    EXPECT_EQ(lines[9].english, "line 10: 1 fields where a record has 3 (number, name, value)");
    EXPECT_EQ(lines[10].korean, "그 밖의 문제 2개");
    EXPECT_EQ(lines[10].english, "... and 2 more");
    std::string first = std::to_string(check.Missing().front());
    EXPECT_EQ(lines[11].korean.rfind("파일에 없는 파라미터: " + first + ", ", 0), 0u);
    EXPECT_EQ(lines[11].english.rfind("not set by any record: " + first + " ", 0), 0u);

    // Every problem shown, no count of more; the missing ones left out.
    lines = ParamFileCheckWords::Lines(check, 12, false);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines.back().english.rfind("line 12: ", 0), 0u);
}

}  // namespace
