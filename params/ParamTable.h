#pragma once

#include <cstdint>
#include <vector>

#include "params/ParamEntry.h"

// The PC-side picture of the drive's 110 parameters.
class ParamTable {
  public:
    static constexpr int32_t kCount = 110;
    // Listing scans (grid, file, send-all) cover entries 0 to 99 only.
    static constexpr int32_t kListScan = 100;

    ParamTable();

    // The process-wide table.
    static ParamTable& Instance();
    // The display name of a parameter number (UTF-8; "RESERVED" when unnamed).
    static const char* NameOf(int32_t number);

    void SetParamValue(int32_t number, int32_t value);
    int32_t GetParamValue(int32_t number) const;
    const ParamEntry& Entry(int32_t number) const { return m_entries[number]; }
    bool IsListed(int32_t number) const;
    // The listed parameter numbers in ascending order.
    std::vector<int32_t> ListedNumbers() const;

  private:
    ParamEntry m_entries[kCount];
};
