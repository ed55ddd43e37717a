#include <gtest/gtest.h>

#include <chrono>

#include "veld-drive-sim/MotorModel.h"

namespace {

using namespace std::chrono_literals;

class MotorModelTest : public ::testing::Test {
  protected:
    MotorModel::Reading At(std::chrono::milliseconds when) { return motor.Read(start + when); }

    DriveModel params;  // factory defaults: 500 ms ramps to 3000 rpm
    MotorModel::Clock::time_point start = MotorModel::Clock::now();
    MotorModel motor{params, start};
};

TEST_F(MotorModelTest, RunsEachSpeedIndexInTurnRampingAsTheParametersSay) {
    params.Store(50, 3000);
    params.Store(51, -1500);
    motor.SetRunCycle(true);
    struct Step {
        std::chrono::milliseconds when;
        int32_t lowSpeed, highSpeed;
        int32_t lowCurrent, highCurrent;  // 0.1 A
        uint32_t status, io;
    };
    const Step steps[] = {
        // Speeding up at 3000 rpm in 500 ms: the torque current on top of the load.
        {250ms, 1400, 1600, 55, 90, 3, 1},
        {2000ms, 3000, 3000, 18, 22, 7, 1},
        // RUN off after 6 s: braking feeds current back.
        {6250ms, 1400, 1600, -70, -25, 3, 0},
        {8000ms, 0, 0, -1, 1, 1, 0},
        // The second run takes speed index 2, backwards.
        {11000ms, -1500, -1500, -15, -10, 7, 1},
    };
    for (const Step& s : steps) {
        MotorModel::Reading r = At(s.when);
        SCOPED_TRACE(s.when.count());
        EXPECT_GE(r.speed, s.lowSpeed);
        EXPECT_LE(r.speed, s.highSpeed);
        EXPECT_GE(r.current, s.lowCurrent);
        EXPECT_LE(r.current, s.highCurrent);
        EXPECT_EQ(r.status, s.status);
        EXPECT_EQ(r.io, s.io);
    }
}

TEST_F(MotorModelTest, LoadWarmsTheMotorSlowlyAndSagsTheDcLink) {
    for (int32_t index = 50; index <= 57; ++index) params.Store(index, 3000);
    params.Store(20, 2000);  // a slow ramp: a long, gentle torque current
    motor.SetRunCycle(true);
    MotorModel::Reading ramping = At(1000ms);
    EXPECT_NEAR(ramping.speed, 1500, 20);
    EXPECT_LT(ramping.dcLink, 3100);
    int32_t minute = At(60000ms).temperature;
    int32_t twoMinutes = At(120000ms).temperature;
    EXPECT_GE(minute, ramping.temperature);
    EXPECT_GT(twoMinutes, 300);
    EXPECT_LT(twoMinutes, 400);
}

}  // namespace
