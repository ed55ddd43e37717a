#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "params/ParamSet.h"

// A parameter file read record by record, for the commands that send its
// values to the drive. "열기" reads fields and takes whatever they hold: a
// missing record leaves a value as it was (0 in a fresh table), a word reads
// as 0, a blank line shifts every later record. Before a value goes to a
// drive it must come from a well-formed record: one line of number, name and
// value with its line end (blanks around the fields allowed), the number 0 to
// 109 and the value within 32 bits as decimal numbers, each number once. Only
// the last line may be blank, as a save's is.
class ParamFileCheck {
  public:
    enum class Fault {
        kNotText,          // a NUL byte: a binary or UTF-16 file
        kFieldCount,       // a line whose fields are not number, name, value
        kBlankLine,        // a blank line before the last
        kTruncated,        // the file ends inside a record (before its line end)
        kBadNumber,        // the number is not a decimal number
        kBadValue,         // the value is not a decimal number within 32 bits
        kNoSuchParameter,  // a number outside 0 to 109
        kDuplicate,        // a second record for a number
    };

    struct Problem {
        int line = 0;  // counted from 1
        Fault fault = Fault::kNotText;
        int32_t number = 0;  // kNoSuchParameter, kDuplicate
        int fields = 0;      // kFieldCount
        int firstLine = 0;   // kDuplicate: the line of the number's first record
    };

    explicit ParamFileCheck(std::string_view content);
    // The file as "열기" would read it; nullopt when it cannot be read at all
    // (missing, no regular file, larger than 1 MiB: "File Error").
    static std::optional<ParamFileCheck> Read(const std::string& path);

    // The values of the well-formed records; of a number given twice, the
    // later, as "열기" keeps it.
    const ParamSet& Values() const { return m_values; }
    // The records that are not well-formed, and the numbers given again.
    const std::vector<Problem>& Problems() const { return m_problems; }
    // The listed parameters that no well-formed record sets.
    const std::vector<int32_t>& Missing() const { return m_missing; }
    // Every listed value comes once from a well-formed record, and no record
    // is anything else.
    bool Sendable() const { return m_problems.empty() && m_missing.empty(); }

  private:
    // A line that is not blank: its record's value, or what keeps it from
    // being a record. `ended`: its line end is there.
    void CheckRecord(std::string_view line, int lineNumber, bool ended);
    static std::optional<int32_t> ParseDecimal(std::string_view field);

    ParamSet m_values;
    std::vector<Problem> m_problems;
    std::vector<int32_t> m_missing;
    std::vector<int> m_lineOf;  // the line of each number's record, 0: none yet
};
