#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "protocol/PraReplyTracker.h"
#include "protocol/ResponseDispatcher.h"
#include "support/RecordingNotifier.h"

namespace {

std::vector<int32_t> AllNumbers() {
    std::vector<int32_t> numbers(ParamTable::kCount);
    std::iota(numbers.begin(), numbers.end(), 0);
    return numbers;
}

// The tracker must count exactly what the dispatcher stores: for each line,
// the parameters it carried, with their values, are those the dispatcher
// changed, and it saw a bad
// number exactly when the dispatcher raised "통신처리에러".
TEST(PraReplyTrackerTest, CarriesWhatTheDispatcherStores) {
    struct TrackCase {
        std::string line;
        std::vector<int32_t> carried;
        bool replied;
        bool badNumber;
    };
    const TrackCase cases[] = {
        {"#1.PRA 2A 64 1E FFFF", {30, 42}, true, false},
        {"#1.PRA 2A 64 1E", {42}, true, false},  // the odd value is no pair
        {"#1.PRA 2A 64 6E 5 10 7", {42}, true, true},
        {"#1.PRA FFFF 5 10 7", {}, true, true},
        {"#1.PRA", {}, true, false},
        {"#1.PRAX 0 5 6D 9", {0, 109}, true, false},
        {"\n\n#1.PRA 2A 64", {42}, true, false},  // a CR LF drive's line feeds
        {"#1.PRA 1002A 64", {42}, true, false},   // 16 bits of the number
        {"#1.PRA 2A         64", {42}, true, false},
        {"#1.pra 2A 64", {}, false, false},
        {"#12.PRA 2A 64", {}, false, false},
        {"#1.PRD 2A 1F4", {}, false, false},
        {"#1.PR", {}, false, false},
        {"", {}, false, false},
    };
    RecordingNotifier notifier;
    CTtyPort port{notifier};
    ParamTable table;
    RefreshFlag refresh;
    ResponseDispatcher dispatcher{port, table, refresh, notifier};
    for (const TrackCase& c : cases) {
        SCOPED_TRACE(c.line);
        for (int32_t n = 0; n < ParamTable::kCount; ++n) table.SetParamValue(n, 77);
        size_t errorsBefore = notifier.Count();
        dispatcher.DispatchLine(c.line.data(), c.line.size());
        PraReplyTracker tracker;
        tracker.Take(c.line);

        std::vector<int32_t> changed;
        for (int32_t n = 0; n < ParamTable::kCount; ++n) {
            if (table.GetParamValue(n) != 77) changed.push_back(n);
        }
        std::vector<int32_t> missing = tracker.Missing(AllNumbers());
        EXPECT_EQ(missing.size() + c.carried.size(), size_t{ParamTable::kCount});
        EXPECT_TRUE(tracker.Missing(c.carried).empty());
        EXPECT_EQ(changed, c.carried);
        for (int32_t n : c.carried) EXPECT_EQ(tracker.Carried().Value(n), table.GetParamValue(n));
        EXPECT_EQ(tracker.Replied(), c.replied);
        EXPECT_EQ(tracker.BadNumberSeen(), c.badNumber);
        EXPECT_EQ(notifier.Count() - errorsBefore, c.badNumber ? 1u : 0u);
    }
}

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
