#include "MotorModel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kAmbient = 30.0;       // degrees C
constexpr double kDcLinkVolts = 310.0;  // rectified 220 V mains
constexpr double kDcLinkSag = 0.5;      // volts per ampere
constexpr double kRippleHz = 100.0;
constexpr double kRippleVolts = 0.3;      // at rest ...
constexpr double kRipplePerAmp = 0.1;     // ... and more under load
constexpr double kLoadAmps = 0.5;         // friction at any speed ...
constexpr double kLoadAmpsAtTop = 1.5;    // ... and more toward the highest speed
constexpr double kAmpsPerRpmPerMs = 1.0;  // torque for the acceleration
constexpr double kCurrentLagMs = 20.0;
constexpr double kHeatPerAmp2 = 2.0;  // degrees above ambient per A^2
constexpr double kThermalTimeMs = 120000.0;
constexpr auto kLongestCatchUp = std::chrono::minutes(10);

// Parameters the model reads.
constexpr int32_t kAccelTime = 20;  // ms from rest to the highest speed
constexpr int32_t kDecelTime = 21;
constexpr int32_t kTopSpeed = 23;
constexpr int32_t kCurrentLimit = 25;  // % of the current sensor
constexpr int32_t kReachedWindow = 38;
constexpr int32_t kFirstSpeedIndex = 50;
constexpr int32_t kSpeedIndices = 8;
constexpr int32_t kSensorAmps = 106;

// A reading as a 32-bit field; parameters written far out of range may
// drive the model beyond it.
int32_t Field(double value) {
    constexpr double kLowest = std::numeric_limits<int32_t>::min();
    constexpr double kHighest = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::lround(std::clamp(value, kLowest, kHighest)));
}

}  // namespace

MotorModel::MotorModel(const DriveModel& params, Clock::time_point start)
    : m_params(params), m_start(start), m_now(start), m_temperature(kAmbient) {}

bool MotorModel::RunInput() const {
    if (!m_bRunCycle) return false;
    return (m_now - m_start) % (kRunTime + kRestTime) < kRunTime;
}

double MotorModel::SetPoint() const {
    if (!RunInput()) return 0;
    auto run = (m_now - m_start) / (kRunTime + kRestTime);
    double top = std::max<int32_t>(m_params.Value(kTopSpeed), 0);
    double speed = m_params.Value(kFirstSpeedIndex + static_cast<int32_t>(run % kSpeedIndices));
    return std::clamp(speed, -top, top);
}

double MotorModel::NextSpeed(double target) const {
    // The ramp times are from rest to the highest speed; 0 is a step.
    bool speedingUp = std::abs(target) > std::abs(m_speed) && target * m_speed >= 0;
    int32_t rampMs = m_params.Value(speedingUp ? kAccelTime : kDecelTime);
    double top = std::max<int32_t>(m_params.Value(kTopSpeed), 1);
    if (rampMs <= 0) return target;
    double most = top / rampMs * static_cast<double>(kStep.count());
    return m_speed + std::clamp(target - m_speed, -most, most);
}

void MotorModel::Step() {
    m_now += kStep;
    const double stepMs = static_cast<double>(kStep.count());
    double next = NextSpeed(SetPoint());
    double acceleration = (next - m_speed) / stepMs;  // rpm per ms
    m_speed = next;
    double top = std::max<int32_t>(m_params.Value(kTopSpeed), 1);
    double load = 0;
    if (std::abs(m_speed) >= 1) {
        load = std::copysign(kLoadAmps + kLoadAmpsAtTop * std::abs(m_speed) / top, m_speed);
    }
    double limit =
        std::max(m_params.Value(kCurrentLimit) * m_params.Value(kSensorAmps) / 100.0, 0.0);
    double target = std::clamp(load + kAmpsPerRpmPerMs * acceleration, -limit, limit);
    m_current += (target - m_current) * stepMs / kCurrentLagMs;
    double warmest = kAmbient + kHeatPerAmp2 * m_current * m_current;
    m_temperature += (warmest - m_temperature) * stepMs / kThermalTimeMs;
}

int32_t MotorModel::Noise() {
    // A small linear congruential generator: the same run gives the same values.
    m_noiseState = m_noiseState * 1103515245u + 12345u;
    return static_cast<int32_t>((m_noiseState >> 16) % 3) - 1;
}

MotorModel::Reading MotorModel::Read(Clock::time_point now) {
    // A drive left alone for hours does not replay them step by step.
    if (now - m_now > kLongestCatchUp) {
        auto skipped = (now - kLongestCatchUp - m_now) / kStep;
        m_now += skipped * kStep;
    }
    while (m_now + kStep <= now) Step();
    bool turning = std::abs(m_speed) >= 1;
    double seconds = std::chrono::duration<double>(now - m_start).count();
    double ripple = (kRippleVolts + kRipplePerAmp * std::abs(m_current)) *
                    std::sin(2 * std::numbers::pi * kRippleHz * seconds);
    bool atSpeed = RunInput() && std::abs(SetPoint() - m_speed) <= m_params.Value(kReachedWindow);
    return {.speed = Field(m_speed),
            .current = Field(m_current * 10 + (turning ? Noise() : 0)),
            .dcLink = Field((kDcLinkVolts - kDcLinkSag * m_current + ripple) * 10),
            .temperature = Field(m_temperature * 10),
            .status = 1u | (turning ? 2u : 0u) | (atSpeed ? 4u : 0u),
            .io = RunInput() ? 1u : 0u};
}
