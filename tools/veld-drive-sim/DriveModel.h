#pragma once

#include <cstdint>
#include <string>

#include "params/ParamTable.h"

// The simulated drive's 110 parameters, 16 bits each as the drive keeps them.
class DriveModel {
  public:
    struct Default {
        int32_t number;
        int16_t value;
    };
    // Factory defaults; every parameter not listed is 0.
    static const Default kFactoryDefaults[];
    static const size_t kFactoryDefaultCount;

    DriveModel() { RestoreDefaults(); }

    void RestoreDefaults();
    // Keeps the low 16 bits, as the drive does.
    void Store(int32_t number, int32_t value);
    int16_t Value(int32_t number) const;

    // The state file holds one "number,,value" record per parameter, so the
    // parameter file reader reads it.
    bool LoadState(const std::string& path);
    bool SaveState(const std::string& path) const;

  private:
    ParamTable m_values;
};
