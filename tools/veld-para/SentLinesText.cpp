#include "SentLinesText.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "protocol/UnsavedWrites.h"

namespace {

std::string Text(const std::string& line) {
    return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

bool Written(const TxLineWriter::Gone& gone) { return gone.fate == TxLineWriter::Fate::kWritten; }

}  // namespace

bool SentLinesText::Incomplete() const {
    return std::ranges::any_of(m_lines, [](const auto& gone) { return !Written(gone); });
}

bool SentLinesText::Unsaved() const { return !SaveLinesMissing().empty(); }

std::string SentLinesText::SaveLinesMissing() const {
    UnsavedWrites unsaved;
    for (const TxLineWriter::Gone& gone : m_lines) unsaved.OnLineGone(gone);
    if (!unsaved.Unsaved()) return "";
    return unsaved.Applied() ? "PSV was" : "COP and PSV were";
}

void SentLinesText::Print() const {
    std::fprintf(stderr, "veld-para: %zu of the %zu lines went out:\n",
                 static_cast<size_t>(std::ranges::count_if(m_lines, Written)), m_lines.size());
    for (const TxLineWriter::Gone& gone : m_lines) {
        std::fprintf(stderr, "  %-8s %s\n", TxLineWriter::FateName(gone.fate),
                     Text(gone.line).c_str());
    }
    if (std::string missing = SaveLinesMissing(); !missing.empty()) {
        std::fprintf(stderr,
                     "veld-para: the drive holds values that were written but not saved "
                     "(%s not sent); they are lost when it is switched off\n",
                     missing.c_str());
    }
}

nlohmann::ordered_json SentLinesText::LinesJson() const {
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (const TxLineWriter::Gone& gone : m_lines) {
        lines.push_back({{"line", Text(gone.line)}, {"fate", TxLineWriter::FateName(gone.fate)}});
    }
    return lines;
}
