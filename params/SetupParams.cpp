#include "params/SetupParams.h"

#include "params/ParamPreset.h"

int32_t SetupParams::PolarityParam(int terminal) {
    return terminal < kInTerminals ? kInPolarity : kOutPolarity;
}

int32_t SetupParams::PolarityBit(int terminal) {
    return 1 << (terminal < kInTerminals ? terminal : terminal - kInTerminals);
}

SetupParams::Choice SetupParams::FromPreset(int mode) {
    const ParamPreset::Table& preset = ParamPreset::ForMode(mode);
    Choice choice;
    choice.mode = mode;
    for (int t = 0; t < kTerminals; ++t) {
        choice.functions[t] = preset[kFirstFunction + t].value;
        choice.polarity[t] = (preset[PolarityParam(t)].value & PolarityBit(t)) != 0;
    }
    return choice;
}

void SetupParams::Store(ParamTable& table, const Choice& choice) {
    table.SetParamValue(kMode, choice.mode);
    int32_t polarity[2] = {0, 0};
    for (int t = 0; t < kTerminals; ++t) {
        table.SetParamValue(kFirstFunction + t, choice.functions[t]);
        if (choice.polarity[t]) polarity[t < kInTerminals ? 0 : 1] |= PolarityBit(t);
    }
    table.SetParamValue(kInPolarity, polarity[0]);
    table.SetParamValue(kOutPolarity, polarity[1]);
}
