#include "SentLinesText.h"

#include <cstdio>
#include <string>

#include "protocol/UnsavedWrites.h"

namespace {

std::string Text(const std::string& line) {
    return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

}  // namespace

bool SentLinesText::Incomplete() const {
    for (const TxLineWriter::Gone& gone : m_lines) {
        if (gone.fate != TxLineWriter::Fate::kWritten) return true;
    }
    return false;
}

bool SentLinesText::Unsaved() const {
    UnsavedWrites unsaved;
    for (const TxLineWriter::Gone& gone : m_lines) unsaved.OnLineGone(gone);
    return unsaved.Unsaved();
}

void SentLinesText::Print() const {
    size_t sent = 0;
    for (const TxLineWriter::Gone& gone : m_lines) {
        if (gone.fate == TxLineWriter::Fate::kWritten) ++sent;
    }
    std::fprintf(stderr, "veld-para: %zu of the %zu lines went out:\n", sent, m_lines.size());
    for (const TxLineWriter::Gone& gone : m_lines) {
        std::fprintf(stderr, "  %-8s %s\n", TxLineWriter::FateName(gone.fate),
                     Text(gone.line).c_str());
    }
    if (Unsaved()) {
        std::fprintf(stderr,
                     "veld-para: the drive holds values that were written but not saved "
                     "(COP and PSV were not sent); they are lost when it is switched off\n");
    }
}

nlohmann::ordered_json SentLinesText::LinesJson() const {
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (const TxLineWriter::Gone& gone : m_lines) {
        lines.push_back({{"line", Text(gone.line)}, {"fate", TxLineWriter::FateName(gone.fate)}});
    }
    return lines;
}
