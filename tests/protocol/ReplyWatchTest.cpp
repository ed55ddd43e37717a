#include <gtest/gtest.h>

#include "protocol/ReplyWatch.h"

namespace {

using namespace std::chrono_literals;

struct Step {
    std::chrono::milliseconds after;  // since the arming
    int32_t readIndex;
    bool silent;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
};

TEST(ReplyWatchTest, TellsOnceOfASecondWithoutAConsumedLine) {
    const Case kCases[] = {
        {"not armed", {}},
        {"silent after a second, once", {{999ms, 7, false}, {1000ms, 7, true}, {3000ms, 7, false}}},
        {"a consumed line ends the watch", {{200ms, 8, false}, {2000ms, 8, false}}},
        {"a line consumed late still counts", {{1500ms, 9, false}}},
        {"the ring wrapped to another index", {{1200ms, 0, false}}},
    };
    for (const Case& c : kCases) {
        ReplyWatch watch;
        auto start = ReplyWatch::Clock::now();
        if (!c.steps.empty()) watch.Arm(7, start);
        for (const Step& step : c.steps) {
            EXPECT_EQ(watch.Silent(step.readIndex, start + step.after), step.silent)
                << c.name << " at " << step.after.count() << " ms";
        }
        EXPECT_FALSE(watch.Silent(7, start + 10s)) << c.name;
    }
}

TEST(ReplyWatchTest, ArmingAgainStartsAFreshSecond) {
    ReplyWatch watch;
    auto start = ReplyWatch::Clock::now();
    watch.Arm(3, start);
    watch.Arm(5, start + 800ms);
    EXPECT_FALSE(watch.Silent(5, start + 1500ms));
    EXPECT_TRUE(watch.Silent(5, start + 1800ms));
}

}  // namespace
