#include "FileProblemText.h"

#include <cstddef>

namespace {

// Enough to find the fault; a binary file would otherwise fill the terminal.
constexpr size_t kShown = 10;

std::string What(const ParamFileCheck::Problem& p) {
    using Fault = ParamFileCheck::Fault;
    switch (p.fault) {
        case Fault::kNotText:
            return "a NUL byte: a binary or UTF-16 file, not CP949 text";
        case Fault::kFieldCount:
            return std::to_string(p.fields) + " fields where a record has 3 (number, name, value)";
        case Fault::kBlankLine:
            return "a blank line before the last line (it shifts the fields of the lines after it)";
        case Fault::kTruncated:
            return "the file ends inside this record";
        case Fault::kBadNumber:
            return "the parameter number is not a decimal number";
        case Fault::kBadValue:
            return "the value of parameter " + std::to_string(p.number) +
                   " is not a decimal number within 32 bits";
        case Fault::kNoSuchParameter:
            return "parameter " + std::to_string(p.number) + " does not exist (0 to 109)";
        case Fault::kDuplicate:
            break;
    }
    return "parameter " + std::to_string(p.number) + " again (first on line " +
           std::to_string(p.firstLine) + ")";
}

}  // namespace

std::string FileProblemText::Lines(const ParamFileCheck& check, bool missing) {
    std::string text;
    const auto& problems = check.Problems();
    for (size_t i = 0; i < problems.size() && i < kShown; ++i) {
        text += "  line " + std::to_string(problems[i].line) + ": " + What(problems[i]) + "\n";
    }
    if (problems.size() > kShown) {
        text += "  ... and " + std::to_string(problems.size() - kShown) + " more\n";
    }
    if (missing && !check.Missing().empty()) {
        text += "  not set by any record:";
        for (int32_t number : check.Missing()) text += " " + std::to_string(number);
        text += "\n";
    }
    return text;
}
