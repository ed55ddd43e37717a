#include "ComparisonText.h"

#include <CLI/StringTools.hpp>
#include <cstdio>
#include <vector>

#include "params/ParamTable.h"

namespace {

std::string Value(bool has, int32_t value) { return has ? std::to_string(value) : "-"; }

std::string SixteenBitNote(int32_t value) {
    return std::to_string(value) + " does not fit in 16 bits: the drive keeps " +
           std::to_string(ParamComparison::Kept16(value));
}

}  // namespace

std::string ComparisonText::Line(const ParamComparison::Row& row) {
    std::string line = std::to_string(row.number) + "\t" + ParamTable::NameOf(row.number) + "\t" +
                       Value(row.hasA, row.a) + "\t" + Value(row.hasB, row.b);
    std::string note = Note(row);
    return note.empty() ? line : line + "\t" + note;
}

std::string ComparisonText::Note(const ParamComparison::Row& row) {
    std::vector<std::string> notes;
    if (row.hasA && !ParamComparison::Fits16(row.a)) notes.push_back(SixteenBitNote(row.a));
    if (row.hasB && !ParamComparison::Fits16(row.b)) notes.push_back(SixteenBitNote(row.b));
    std::vector<int> bits = row.DifferingBits();
    if (bits.size() == 1) notes.push_back("bit " + std::to_string(bits[0]) + " differs");
    if (bits.size() > 1) notes.push_back("bits " + CLI::detail::join(bits, ", ") + " differ");
    return CLI::detail::join(notes, "; ");
}

void ComparisonText::PrintDiffering(const ParamComparison& comparison) {
    for (const ParamComparison::Row& row : comparison.Rows()) {
        if (row.differ) std::printf("%s\n", Line(row).c_str());
    }
}
