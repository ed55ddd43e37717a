#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "protocol/PraReplyTracker.h"
#include "protocol/ResponseDispatcher.h"
#include "support/DispatchedPortTest.h"
#include "support/Eventually.h"
#include "support/RecordingNotifier.h"
#include "support/ThreadStats.h"

namespace {

using namespace std::chrono_literals;

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

// The monitor (ReplyParser::ParseLine) and the read tracker take each line
// apart by the dispatcher's rules: the tracker carries exactly the parameters
// the table took, and sees a bad number exactly when "통신처리에러" is raised.
TEST_F(DispatchLineTest, RecognisesRepliesByTheirCodeAndAppliesPra) {
    const LineCase cases[] = {
        {"#1.PRA 2A 64 1E FFFF", {42, 100, 30, -1}, {{42, 100}, {30, -1}}, true, 0},
        {"#1.PRA 2A 64 1E", {42, 100, 30}, {{42, 100}, {30, 77}}, true, 0},
        {"#1.PRA 2A 64 6E 5 10 7", {42, 100, 110, 5, 16, 7}, {{42, 100}, {16, 77}}, true, 1},
        {"#1.PRA FFFF 5 10 7", {-1, 5, 16, 7}, {{16, 77}}, true, 1},
        {"#1.PRA", {}, {}, true, 0},
        {"#1.PRA   ", {}, {}, true, 0},
        {"#1.PRA 2a 64", {42, 100}, {{42, 100}}, true, 0},
        {"#1.PRA 1002A 64", {42, 100}, {{42, 100}}, true, 0},
        {"#1.PRAX 2A 64", {42, 100}, {{42, 100}}, true, 0},
        {"\n\n#1.PRA 2A 64", {42, 100}, {{42, 100}}, true, 0},  // a CR LF drive's line feeds
        {"#1.PRA 1E 8000 1F 7FFF 20 12345",
         {30, -32768, 31, 32767, 32, 0x2345},
         {{30, -32768}, {31, 32767}, {32, 0x2345}},
         true,
         0},
        {"#1.PRA 2A 64 ", {42, 100}, {{42, 100}}, true, 0},
        {"#1.PRA 2A         64", {42, 0, 100}, {{42, 0}}, true, 0},
        {"#1.PRA 2A 12G4", {42, 0x12}, {{42, 0x12}}, true, 0},
        {"#1.PRA 2A \xB0", {42, 0}, {{42, 0}}, true, 0},
        {"#1.PRA 0 5 6D 9", {0, 5, 109, 9}, {{0, 5}, {109, 9}}, true, 0},
        {"#1.MVW 1F4 FFFFFFFF 0", {500, -1, 0}, {}, false, 0},
        {"#1.PRD 2A 1F4", {42, 500}, {{42, 77}}, false, 0},
        {"#1.PRD 123456789ABC", {0x3456789A, 0xBC}, {}, false, 0},
        {"#1.STA 5 6 7", {5}, {}, false, 0},
        {"#1.MTP 1C", {28}, {}, false, 0},
        {"#1.MIO 0F", {15}, {}, false, 0},
        {"#1.MIE 1", {1}, {}, false, 0},
        {"#1.MAL FFFFFFFF", {-1}, {}, false, 0},
        {"#1.STA", {}, {}, false, 0},
        {"#1.XYZ 5", {}, {}, false, 0},
        {"#1.pra 2A 64", {}, {{42, 77}}, false, 0},
        {"#1.", {}, {}, false, 0},
        {"#A.PRA 2A 1", {42, 1}, {{42, 1}}, true, 0},
        {"##.PRA 2A 2", {42, 2}, {{42, 2}}, true, 0},
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
        size_t hash = c.line.find('#');
        EXPECT_EQ(parsed->values, c.values);
        EXPECT_EQ(parsed->station, c.line[hash + 1]);
        EXPECT_EQ(parsed->code, c.line.substr(hash + 3, 3));

        PraReplyTracker tracker;
        tracker.Take(c.line);
        for (int32_t n = 0; n < ParamTable::kCount; ++n) {
            bool changed = table.GetParamValue(n) != 77;
            EXPECT_EQ(tracker.Carried().Has(n), changed) << n;
            if (changed) {
                EXPECT_EQ(tracker.Carried().Value(n), table.GetParamValue(n)) << n;
            }
        }
        EXPECT_EQ(tracker.Replied(), c.refresh);
        EXPECT_EQ(tracker.BadNumberSeen(), c.errors == 1);
    }
    EXPECT_EQ(notifier.Texts().back(), "통신처리에러");
    EXPECT_EQ(notifier.Captions().back(), Notifier::kAppCaption);
}

TEST_F(DispatchLineTest, IgnoresLinesThatAreNoReplyAndKeepsTheLastCount) {
    Dispatch("#1.MVW 1 2 3");
    for (const char* line :
         {"#12.PRA 2A 64", "#1", "", "1.PRA 2A 64", "#12PRA 2A 64", "#1:PRA 2A"}) {
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

TEST_F(DispatcherThreadTest, RepliesOnTheLineReachTheTableInOrder) {
    Answer({"#1.PRA 2A 64 1E FFFF"});
    EXPECT_EQ(table.GetParamValue(42), 100);
    EXPECT_EQ(table.GetParamValue(30), -1);
    EXPECT_TRUE(refresh.Take());
    // Each LF of a CR LF drive starts the slot of the next line.
    Answer({"#1.PRA 14 5", "\n#1.PRA 15 6", "\n#1.PRA 16 7"});
    EXPECT_EQ(table.GetParamValue(20), 5);
    EXPECT_EQ(table.GetParamValue(21), 6);
    EXPECT_EQ(table.GetParamValue(22), 7);
    std::vector<std::string> burst;
    for (int i = 0; i < 50; ++i) burst.push_back("#0.PRA 14 " + std::to_string(i));
    Answer(burst);
    EXPECT_EQ(table.GetParamValue(20), 0x49);
}

TEST_F(DispatcherThreadTest, StartsNoSecondThreadAndStartsAgainAtSlotZeroAfterAReconnect) {
    EXPECT_FALSE(dispatcher.Start());
    EXPECT_TRUE(dispatcher.IsRunning());
    EXPECT_FALSE(dispatcher.IsDone());
    dispatcher.Stop();
    EXPECT_TRUE(dispatcher.IsDone());
    EXPECT_FALSE(dispatcher.IsRunning());
    EXPECT_TRUE(dispatcher.Start());
    Answer({"#1.PRA 15 1", "#1.PRA 15 2", "#1.PRA 15 3"});
    port.Close();
    ASSERT_TRUE(port.Open(pty.SlavePath(), 115200, 0, 8, 0));
    consumed = 0;
    Answer({"#1.PRA 15 9"});
    EXPECT_EQ(table.GetParamValue(21), 9);
}

TEST_F(DispatcherThreadTest, IdleThreadsDoNotWakeUp) {
    // On a busy machine the threads may take a while to start and name themselves.
    ASSERT_TRUE(Eventually([] {
        return ThreadStats::ContextSwitches("veld-dispatch") >= 0 &&
               ThreadStats::ContextSwitches("veld-reader") >= 0;
    }));
    std::this_thread::sleep_for(50ms);
    long dispatchBefore = ThreadStats::ContextSwitches("veld-dispatch");
    long readerBefore = ThreadStats::ContextSwitches("veld-reader");
    std::this_thread::sleep_for(300ms);
    // A thread that polled every millisecond would have switched about 300 times.
    EXPECT_LE(ThreadStats::ContextSwitches("veld-dispatch") - dispatchBefore, 3);
    EXPECT_LE(ThreadStats::ContextSwitches("veld-reader") - readerBefore, 3);
}

}  // namespace
