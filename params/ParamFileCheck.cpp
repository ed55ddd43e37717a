#include "params/ParamFileCheck.h"

#include <algorithm>
#include <charconv>

#include "params/ParamFile.h"
#include "params/ParamTable.h"
#include "params/SafeFile.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (size_t comma; (comma = line.find(',')) != std::string_view::npos;) {
        fields.push_back(line.substr(0, comma));
        line.remove_prefix(comma + 1);
    }
    fields.push_back(line);
    return fields;
}

int LineAt(std::string_view content, size_t pos) {
    return 1 + static_cast<int>(std::count(content.begin(), content.begin() + pos, '\n'));
}

}  // namespace

ParamFileCheck::ParamFileCheck(std::string_view content) : m_lineOf(ParamTable::kCount, 0) {
    if (size_t nul = content.find('\0'); nul != std::string_view::npos) {
        // Nothing of it is text: its lines would only repeat that.
        m_problems.push_back({LineAt(content, nul), Fault::kNotText});
    } else {
        int line = 1;
        for (size_t start = 0; start < content.size(); ++line) {
            size_t end = std::min(content.find('\n', start), content.size());
            std::string_view text = content.substr(start, end - start);
            bool ended = end < content.size();
            start = end + 1;
            if (!Trimmed(text).empty()) {
                CheckRecord(text, line, ended);
            } else if (start < content.size()) {
                // Only the save's own last line may be blank: any other one
                // shifts the fields after it, and "열기" reads them otherwise.
                m_problems.push_back({line, Fault::kBlankLine});
            }
        }
    }
    for (int32_t number : ParamTable::Instance().ListedNumbers()) {
        if (!m_values.Has(number)) m_missing.push_back(number);
    }
}

std::optional<ParamFileCheck> ParamFileCheck::Read(const std::string& path) {
    std::string content;
    if (!SafeFile::ReadRegular(path, ParamFile::kMaxFileBytes, content)) return std::nullopt;
    return ParamFileCheck(content);
}

void ParamFileCheck::CheckRecord(std::string_view line, int lineNumber, bool ended) {
    // A cut may leave a shorter value that reads well: only the line end
    // tells that the record is whole.
    if (!ended) {
        m_problems.push_back({lineNumber, Fault::kTruncated});
        return;
    }
    std::vector<std::string_view> fields = Fields(line);
    if (fields.size() != 3) {
        m_problems.push_back({lineNumber, Fault::kFieldCount, 0, static_cast<int>(fields.size())});
        return;
    }
    std::optional<int32_t> number = ParseDecimal(fields[0]);
    std::optional<int32_t> value = ParseDecimal(fields[2]);
    if (!number) {
        m_problems.push_back({lineNumber, Fault::kBadNumber});
    } else if (*number < 0 || *number >= ParamTable::kCount) {
        m_problems.push_back({lineNumber, Fault::kNoSuchParameter, *number});
    } else if (!value) {
        m_problems.push_back({lineNumber, Fault::kBadValue, *number});
    } else {
        int& first = m_lineOf[static_cast<size_t>(*number)];
        if (first != 0) {
            m_problems.push_back({lineNumber, Fault::kDuplicate, *number, 0, first});
        } else {
            first = lineNumber;
        }
        m_values.Set(*number, *value);
    }
}

// Signed decimal digits and nothing else but blanks around them, read to the
// same number as "열기" reads them: no digit beyond the 63 bytes it keeps of a
// field, nothing it would saturate.
std::optional<int32_t> ParamFileCheck::ParseDecimal(std::string_view field) {
    if (std::count_if(field.begin(), field.end(), [](char c) { return c != ' ' && c != '\r'; }) >
        static_cast<long>(ParamFile::kMaxFieldBytes)) {
        return std::nullopt;
    }
    std::string_view text = Trimmed(field);
    bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int64_t magnitude = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), magnitude).ec != std::errc()) {
        return std::nullopt;
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}
