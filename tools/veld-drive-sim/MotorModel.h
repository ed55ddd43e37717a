#pragma once

#include <chrono>
#include <cstdint>

#include "DriveModel.h"

// The motor behind the simulated drive, so that its monitor values move as a
// technician knows them: the speed ramps toward the set point of the RUN
// input and the speed-index parameters, the current follows the acceleration
// (negative while braking), the winding warms slowly under load and the DC
// link sags with the current and carries a 100 Hz ripple.
class MotorModel {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kStep{5};
    // The RUN cycle: on for 6 s, each time with the next of the eight speed
    // indices (parameters 50 to 57), then off for 3 s.
    static constexpr std::chrono::milliseconds kRunTime{6000};
    static constexpr std::chrono::milliseconds kRestTime{3000};

    struct Reading {
        int32_t speed;        // rpm
        int32_t current;      // 0.1 A, negative while braking
        int32_t dcLink;       // 0.1 V
        int32_t temperature;  // 0.1 degrees C
        uint32_t status;      // bit 0 ready, bit 1 turning, bit 2 at the set speed
        uint32_t io;          // bit 0 the RUN input
    };

    MotorModel(const DriveModel& params, Clock::time_point start);

    // Off (the default): the RUN input stays off and the motor at rest.
    void SetRunCycle(bool on) { m_bRunCycle = on; }
    // The motor as it is at `now`; time does not run backwards.
    Reading Read(Clock::time_point now);

  private:
    void Step();
    bool RunInput() const;
    double SetPoint() const;
    double NextSpeed(double target) const;
    int32_t Noise();

    const DriveModel& m_params;
    Clock::time_point m_start;
    Clock::time_point m_now;
    bool m_bRunCycle = false;
    double m_speed = 0;    // rpm
    double m_current = 0;  // A
    double m_temperature;  // degrees C
    uint32_t m_noiseState = 1;
};
