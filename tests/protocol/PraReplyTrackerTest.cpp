#include <gtest/gtest.h>

#include <vector>

#include "protocol/PraReplyTracker.h"

namespace {

// Line by line, the tracker matches the dispatcher (ResponseDispatcherTest);
// here it gathers a read of several lines from the station asked.
TEST(PraReplyTrackerTest, GathersTheNumbersOfSeveralLinesOfItsStation) {
    PraReplyTracker tracker(0);
    tracker.Take("#0.PRA 0 1 1 2");
    tracker.Take("#0.STA 5");
    tracker.Take("\n#0.PRA 6D 3");
    // Another drive on the line answers for itself.
    tracker.Take("#5.PRA 2 7");
    EXPECT_EQ(tracker.Missing({0, 1, 2, 108, 109, 110, -1}),
              (std::vector<int32_t>{2, 108, 110, -1}));
    EXPECT_FALSE(tracker.BadNumberSeen());
    tracker.Take("#0.PRA 1 FFFF 6E 0");
    EXPECT_TRUE(tracker.BadNumberSeen());
    EXPECT_EQ(tracker.Carried().Value(1), -1);  // the last value of a number counts
}

TEST(PraReplyTrackerTest, TakesOnlyTheRepliesWhoseCharacterNamesTheStation) {
    struct Case {
        int32_t station;
        const char* line;
        bool taken;
    };
    const Case cases[] = {
        {3, "#3.PRA 14 1F4", true},   {3, "#5.PRA 14 1F4", false}, {12, "#C.PRA 14 1F4", true},
        {12, "#c.PRA 14 1F4", false}, {35, "#Z.PRA 14 1F4", true}, {36, "#[.PRA 14 1F4", false},
        {-3, "#-.PRA 14 1F4", false},
    };
    for (const Case& c : cases) {
        PraReplyTracker tracker(c.station);
        tracker.Take(c.line);
        EXPECT_EQ(tracker.Replied(), c.taken) << c.line;
        EXPECT_EQ(tracker.Carried().Has(20), c.taken) << c.line;
    }
}

}  // namespace
