#include "DriveModel.h"

#include <fstream>
#include <iterator>

#include "params/ParamFile.h"
#include "params/RefreshFlag.h"

const DriveModel::Default DriveModel::kFactoryDefaults[] = {
    {10, 1},     // current loop on
    {11, 1},     // speed loop on
    {13, 200},   // current P gain
    {14, 50},    // current I gain
    {15, 300},   // speed P gain
    {16, 20},    // speed I gain
    {20, 500},   // acceleration time, ms
    {21, 500},   // deceleration time, ms
    {22, 50},    // lowest speed, rpm
    {23, 3000},  // highest speed, rpm
    {25, 150},   // current limit, %
    {26, 3000},  // current limit time, ms
    {27, 85},    // over-temperature limit, degrees C
    {28, 5000},  // over-temperature time, ms
    {29, 100},   // supply dip time, ms
    {30, 0},     // stop: decelerate
    {31, 1},     // emergency stop: free run
    {37, 1},     // monitoring: speed
    {38, 30},    // speed reached window, rpm
    {40, 7},     // IN polarity: IN1..IN3
    {41, 7},     // OUT polarity: OUT1..OUT3
    {42, 1},     // mode 1: RUN/STOP
    {43, 1},     // IN1 RUN/STOP
    {44, 2},     // IN2 DIR
    {45, 5},     // IN3 RESET
    {46, 6},     // IN4 EMG
    {47, 1},     // OUT1 ALARM
    {48, 2},     // OUT2 SPEED OUT
    {49, 3},     // OUT3 DIR
    {50, 100},   // speed index 1..8, rpm
    {51, 300},  {52, 500},  {53, 800},  {54, 1000},
    {55, 1500}, {56, 2000}, {57, 2500}, {60, 0},  // analogue input polarity
    {61, 10},                                     // analogue input minimum
    {100, 0},                                     // ConFlag: SET mode off
    {101, 4},                                     // motor poles
    {106, 20},                                    // current sensor, A
};
const size_t DriveModel::kFactoryDefaultCount = std::size(kFactoryDefaults);

void DriveModel::RestoreDefaults() {
    for (int32_t n = 0; n < ParamTable::kCount; ++n) m_values.SetParamValue(n, 0);
    for (const Default& d : kFactoryDefaults) m_values.SetParamValue(d.number, d.value);
}

void DriveModel::Store(int32_t number, int32_t value) {
    m_values.SetParamValue(number, static_cast<int16_t>(static_cast<uint16_t>(value)));
}

int16_t DriveModel::Value(int32_t number) const {
    return static_cast<int16_t>(m_values.GetParamValue(number));
}

bool DriveModel::LoadState(const std::string& path) {
    ParamTable loaded;
    RefreshFlag unused;
    for (int32_t n = 0; n < ParamTable::kCount; ++n) loaded.SetParamValue(n, Value(n));
    if (!ParamFile::Read(path, loaded, unused)) return false;
    for (int32_t n = 0; n < ParamTable::kCount; ++n) Store(n, loaded.GetParamValue(n));
    return true;
}

bool DriveModel::SaveState(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (int32_t n = 0; n < ParamTable::kCount; ++n) out << n << ",," << Value(n) << "\n";
    out.flush();
    return static_cast<bool>(out);
}
