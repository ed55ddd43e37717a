#pragma once

#include <array>
#include <cstdint>

#include "params/ParamTable.h"

// One row of a per-mode preset table; row i is parameter i.
struct ParamPreset {
    int32_t number = 0;
    int32_t defined = 0;
    int32_t value = 0;
    const char* name = "RESERVED";

    using Table = std::array<ParamPreset, ParamTable::kCount>;
    static constexpr int kModes = 4;

    // The preset of operating mode 0 to 3 (the mode combo's index).
    static const Table& ForMode(int mode);
};
