#include <gtest/gtest.h>

#include "protocol/ReplyWatch.h"

namespace {

using namespace std::chrono_literals;

TEST(ReplyWatchTest, TellsOnceOfASecondWithoutAConsumedLine) {
    ReplyWatch watch;
    auto start = ReplyWatch::Clock::now();
    EXPECT_FALSE(watch.Silent(7, start + 10s));  // not armed
    watch.Arm(7, start);
    EXPECT_FALSE(watch.Silent(7, start + 999ms));
    EXPECT_TRUE(watch.Silent(7, start + 1000ms));
    EXPECT_FALSE(watch.Silent(7, start + 3000ms));
    // A consumed line ends the watch, one consumed late and one after the
    // ring wrapped to another index as well.
    for (int32_t readIndex : {8, 0}) {
        watch.Arm(7, start);
        EXPECT_FALSE(watch.Silent(readIndex, start + 1500ms)) << readIndex;
        EXPECT_FALSE(watch.Silent(7, start + 10s)) << readIndex;
    }
    // Arming again starts a fresh second.
    watch.Arm(3, start);
    watch.Arm(5, start + 800ms);
    EXPECT_FALSE(watch.Silent(5, start + 1500ms));
    EXPECT_TRUE(watch.Silent(5, start + 1800ms));
}

}  // namespace
