#include "params/ParamComparison.h"

#include <algorithm>

ParamComparison::ParamComparison(const ParamSet& a, const ParamSet& b,
                                 const std::vector<int32_t>& numbers) {
    const ParamTable& table = ParamTable::Instance();
    for (int32_t number : numbers) {
        Row row;
        row.number = number;
        row.hasA = a.Has(number);
        row.hasB = b.Has(number);
        row.a = a.Value(number);
        row.b = b.Value(number);
        row.differ = row.hasA != row.hasB || row.a != row.b;
        row.bitField =
            number >= 0 && number < ParamTable::kCount && table.Entry(number).editKind == 1;
        if (row.bitField && row.hasA && row.hasB) {
            row.bits = static_cast<uint32_t>(row.a) ^ static_cast<uint32_t>(row.b);
        }
        row.beyond16 = (row.hasA && !Fits16(row.a)) || (row.hasB && !Fits16(row.b));
        m_rows.push_back(row);
    }
}

std::vector<int> ParamComparison::Row::DifferingBits() const {
    std::vector<int> numbers;
    for (int bit = 0; bit < 32; ++bit) {
        if ((bits >> bit) & 1u) numbers.push_back(bit);
    }
    return numbers;
}

std::vector<int32_t> ParamComparison::NumbersOfEither(const ParamSet& a, const ParamSet& b) {
    std::vector<int32_t> numbers;
    for (int32_t number = 0; number < ParamTable::kCount; ++number) {
        if (a.Has(number) || b.Has(number)) numbers.push_back(number);
    }
    return numbers;
}

int ParamComparison::Differences() const {
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const Row& row) { return row.differ; }));
}

std::vector<ParamComparison::Row> ParamComparison::DifferingFirst() const {
    std::vector<Row> rows = m_rows;
    std::stable_partition(rows.begin(), rows.end(), [](const Row& row) { return row.differ; });
    return rows;
}
