#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "params/ParamTable.h"

// Values of some of the 110 parameters: the records of a file, what a read
// of the drive carried, what a write group sent. A plain value, unlike the
// shared table.
class ParamSet {
  public:
    // The listed parameters as the table holds them now.
    static ParamSet Listed(const ParamTable& table);

    // `number` lies in 0..109.
    void Set(int32_t number, int32_t value);
    bool Has(int32_t number) const;
    // 0 for a number the set does not hold.
    int32_t Value(int32_t number) const;
    // The numbers held, ascending.
    std::vector<int32_t> Numbers() const;
    size_t Size() const { return m_held.count(); }
    bool Empty() const { return m_held.none(); }

    bool operator==(const ParamSet& other) const = default;

  private:
    std::array<int32_t, ParamTable::kCount> m_values{};
    std::bitset<ParamTable::kCount> m_held;
};
