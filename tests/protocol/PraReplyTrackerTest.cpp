#include <gtest/gtest.h>

#include <vector>

#include "protocol/PraReplyTracker.h"

namespace {

// Line by line, the tracker matches the dispatcher (ResponseDispatcherTest);
// here it gathers a read of several lines.
TEST(PraReplyTrackerTest, GathersTheNumbersOfSeveralLines) {
    PraReplyTracker tracker;
    tracker.Take("#0.PRA 0 1 1 2");
    tracker.Take("#0.STA 5");
    tracker.Take("#0.PRA 6D 3");
    EXPECT_EQ(tracker.Missing({0, 1, 2, 108, 109, 110, -1}),
              (std::vector<int32_t>{2, 108, 110, -1}));
    EXPECT_FALSE(tracker.BadNumberSeen());
    tracker.Take("#0.PRA 1 FFFF 6E 0");
    EXPECT_TRUE(tracker.BadNumberSeen());
    EXPECT_EQ(tracker.Carried().Value(1), -1);  // the last value of a number counts
    tracker.Reset();
    EXPECT_FALSE(tracker.Replied());
    EXPECT_FALSE(tracker.BadNumberSeen());
    EXPECT_EQ(tracker.Missing({0}), std::vector<int32_t>{0});
}

}  // namespace
