#pragma once

#include <array>
#include <cstdint>

#include "params/ParamTable.h"

// Parameters 40 to 49: the operating mode and the IN/OUT terminal functions
// and polarities that the four setup steps choose.
class SetupParams {
public:
    static constexpr int kTerminals = 7;  // IN1..IN4, OUT1..OUT3
    static constexpr int kInTerminals = 4;
    static constexpr int32_t kInPolarity = 40;
    static constexpr int32_t kOutPolarity = 41;
    static constexpr int32_t kMode = 42;
    static constexpr int32_t kFirstFunction = 43;  // IN1; OUT3 is 49
    // The order in which apply-and-save writes them.
    static constexpr std::array<int32_t, 10> kWriteOrder = {42, 43, 44, 45, 46, 47, 48, 49, 40, 41};

    struct Choice {
        int32_t mode = 0;
        std::array<int32_t, kTerminals> functions{};
        std::array<bool, kTerminals> polarity{};
    };

    // What choosing `mode` (0 to 3) puts on the setup controls.
    static Choice FromPreset(int mode);
    // The polarity parameter and its bit of terminal 0..6.
    static int32_t PolarityParam(int terminal);
    static int32_t PolarityBit(int terminal);
    // Stores a choice: 42 the mode, 43..49 the functions, 40 and 41 the
    // polarity bits (bits above the terminals become 0).
    static void Store(ParamTable& table, const Choice& choice);
};
