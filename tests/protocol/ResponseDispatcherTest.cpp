#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "protocol/ResponseDispatcher.h"
#include "support/DispatchedPortTest.h"
#include "support/Eventually.h"
#include "support/RecordingNotifier.h"
#include "support/ThreadStats.h"

namespace {

class DispatchLineTest : public ::testing::Test {
  protected:
    void Dispatch(const std::string& line) { dispatcher.DispatchLine(line.data(), line.size()); }
    std::vector<int32_t> Values() const {
        std::vector<int32_t> values;
        for (int i = 0; i < dispatcher.ReplyCount(); ++i) {
            values.push_back(dispatcher.ReplyValue(i));
        }
        return values;
    }

    RecordingNotifier notifier;
    CTtyPort port{notifier};
    ParamTable table;
    RefreshFlag refresh;
    ResponseDispatcher dispatcher{port, table, refresh, notifier};
};

struct LineCase {
    std::string line;
    std::vector<int32_t> values;
    std::map<int32_t, int32_t> params;  // values after the line; every one starts at 77
    bool refresh;
    size_t errors;
};

// The monitor (ReplyParser::ParseLine) takes each line apart by the
// dispatcher's rules.
TEST_F(DispatchLineTest, RecognisesRepliesByTheirCodeAndAppliesPra) {
    const LineCase cases[] = {
        {"#1.PRA 2A 64 1E FFFF", {42, 100, 30, -1}, {{42, 100}, {30, -1}}, true, 0},
        {"#1.PRA 2A 64 1E", {42, 100, 30}, {{42, 100}, {30, 77}}, true, 0},
        {"#1.PRA 2A 64 6E 5 10 7", {42, 100, 110, 5, 16, 7}, {{42, 100}, {16, 77}}, true, 1},
        {"#1.PRA", {}, {}, true, 0},
        {"#1.PRAX 2A 64", {42, 100}, {{42, 100}}, true, 0},
        {"\n\n#1.PRA 2A 64", {42, 100}, {{42, 100}}, true, 0},  // a CR LF drive's line feeds
        {"#1.PRA 1E 8000 1F 7FFF 20 12345",
         {30, -32768, 31, 32767, 32, 0x2345},
         {{30, -32768}, {31, 32767}, {32, 0x2345}},
         true,
         0},
        {"#1.PRA 2A 12G4", {42, 0x12}, {{42, 0x12}}, true, 0},
        {"#1.PRA 0 5 6D 9", {0, 5, 109, 9}, {{0, 5}, {109, 9}}, true, 0},
        {"#1.MVW 1F4 FFFFFFFF 0", {500, -1, 0}, {}, false, 0},
        {"#1.PRD 123456789ABC", {0x3456789A, 0xBC}, {}, false, 0},
        {"#1.STA 5 6 7", {5}, {}, false, 0},
        {"#1.STA", {}, {}, false, 0},
        {"#1.pra 2A 64", {}, {{42, 77}}, false, 0},
        {"#A.PRA 2A 1", {42, 1}, {{42, 1}}, true, 0},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        for (int32_t n = 0; n < ParamTable::kCount; ++n) table.SetParamValue(n, 77);
        refresh.Take();
        size_t errorsBefore = notifier.Count();
        Dispatch(c.line);
        EXPECT_EQ(Values(), c.values);
        for (const auto& [number, value] : c.params) EXPECT_EQ(table.GetParamValue(number), value);
        EXPECT_EQ(refresh.IsRaised(), c.refresh);
        EXPECT_EQ(notifier.Count() - errorsBefore, c.errors);

        std::optional<ReplyParser::ReplyLine> parsed = ReplyParser::ParseLine(c.line);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->values, c.values);
    }
    EXPECT_EQ(notifier.Texts().back(), "통신처리에러");
}

TEST_F(DispatchLineTest, IgnoresLinesThatAreNoReplyAndKeepsTheLastCount) {
    Dispatch("#1.MVW 1 2 3");
    for (const char* line : {"#12.PRA 2A 64", "#1", "", "1.PRA 2A 64", "#1:PRA 2A"}) {
        Dispatch(line);
        EXPECT_EQ(Values(), (std::vector<int32_t>{1, 2, 3})) << line;
        EXPECT_FALSE(ReplyParser::ParseLine(line).has_value()) << line;
    }
    EXPECT_FALSE(refresh.IsRaised());
}

TEST_F(DispatchLineTest, PraWithMoreThanTwoHundredFieldsAppliesTheFirstHundredPairs) {
    std::string line = "#1.PRA";
    for (int i = 0; i < 150; ++i) line += " 5 " + std::to_string(i);
    Dispatch(line);
    EXPECT_EQ(dispatcher.ReplyCount(), ReplyParser::kMaxValues);
    EXPECT_EQ(table.GetParamValue(5), 0x99);  // the 100th pair: "5 99"
    EXPECT_EQ(table.GetParamValue(6), 0);
}

using DispatcherThreadTest = DispatchedPortTest;

// The reader and the dispatcher block while the line is quiet; a thread that
// polled every millisecond would switch about 300 times below.
TEST_F(DispatcherThreadTest, IdleThreadsDoNotWakeUp) {
    // On a busy machine the threads may take a while to start and name themselves.
    ASSERT_TRUE(Eventually([] {
        return ThreadStats::ContextSwitches("veld-dispatch") >= 0 &&
               ThreadStats::ContextSwitches("veld-reader") >= 0;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    long dispatchBefore = ThreadStats::ContextSwitches("veld-dispatch");
    long readerBefore = ThreadStats::ContextSwitches("veld-reader");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LE(ThreadStats::ContextSwitches("veld-dispatch") - dispatchBefore, 3);
    EXPECT_LE(ThreadStats::ContextSwitches("veld-reader") - readerBefore, 3);
}

}  // namespace
