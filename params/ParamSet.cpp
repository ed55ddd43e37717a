#include "params/ParamSet.h"

ParamSet ParamSet::Listed(const ParamTable& table) {
    ParamSet set;
    for (int32_t number : table.ListedNumbers()) set.Set(number, table.GetParamValue(number));
    return set;
}

void ParamSet::Set(int32_t number, int32_t value) {
    m_values[static_cast<size_t>(number)] = value;
    m_held.set(static_cast<size_t>(number));
}

bool ParamSet::Has(int32_t number) const {
    return number >= 0 && number < ParamTable::kCount && m_held.test(static_cast<size_t>(number));
}

int32_t ParamSet::Value(int32_t number) const {
    return Has(number) ? m_values[static_cast<size_t>(number)] : 0;
}

std::vector<int32_t> ParamSet::Numbers() const {
    std::vector<int32_t> numbers;
    for (int32_t n = 0; n < ParamTable::kCount; ++n) {
        if (m_held.test(static_cast<size_t>(n))) numbers.push_back(n);
    }
    return numbers;
}
