#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "protocol/PollMonitor.h"
#include "protocol/PollSchedule.h"
#include "protocol/ResponseDispatcher.h"
#include "support/DispatchedPortTest.h"

namespace {

using namespace std::chrono_literals;
using Clock = PollSchedule::Clock;

TEST(PollCommand, NamesTheReadCodesAndPrdWithANumber) {
    struct Case {
        const char* text;
        const char* line;  // for station 4; null: refused
    };
    const Case cases[] = {
        {"MVW", "#4.MVW\r"},  {" PRD  7 ", "#4.PRD 7\r"}, {"PRD 109", "#4.PRD 109\r"},
        {"PRD 110", nullptr}, {"PRD -1", nullptr},        {"PRD 2x", nullptr},
        {"MVW 1", nullptr},   {"mvw", nullptr},           {"PRA", nullptr},
    };
    for (const Case& c : cases) {
        std::optional<PollCommand> command = PollCommand::Parse(c.text);
        ASSERT_EQ(command.has_value(), c.line != nullptr) << c.text;
        if (command) {
            EXPECT_EQ(command->Line(4), c.line) << c.text;
        }
    }
}

TEST(PollCommand, PlotsOnlyTheValuesOfAReply) {
    struct Case {
        const char* command;
        const char* reply;
        std::vector<int32_t> values;
    };
    const Case cases[] = {
        {"MVW", "#0.MVW 0 C 1C1C 133", {0, 12, 7196, 307}},
        {"PRD 20", "#0.PRD 14 1F4", {500}},
        {"PRD 20", "#0.PRD 14", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PollCommand::Parse(c.command)->Values(*ReplyParser::ParseLine(c.reply)), c.values)
            << c.command;
    }
}

// The schedule against a clock the test moves; with no port open the lines
// are lost at the hand-over, and the queue's echo shows each.
class PollScheduleTest : public ::testing::Test {
  protected:
    PollSchedule::Slot At(int ms) {
        return schedule.Tick(start + std::chrono::milliseconds(ms), queue);
    }
    std::vector<std::string> Sent() {
        size_t before = sent.lines.size();
        queue.FlushTxQueue();
        return {sent.lines.begin() + static_cast<long>(before), sent.lines.end()};
    }
    void Reply(const char* line, int ms) {
        schedule.Take(*ReplyParser::ParseLine(line), start + std::chrono::milliseconds(ms));
    }
    void AnswerRound(int ms) {
        Reply("#3.STA 1", ms);
        Reply("#3.MVW 0 0 C1C 12C", ms);
        Reply("#3.PRD 14 1F4", ms);
    }

    RecordingNotifier notifier;
    ParamTable table;
    RefreshFlag refresh;
    RecordingLineView sent;
    DriveSession session{table, refresh, notifier, notifier, sent};
    TxQueue& queue = session.Queue();
    Clock::time_point start = Clock::now();
    PollSchedule schedule{3,
                          {PollCommand::Code("STA"), PollCommand::Code("MVW"),
                           PollCommand::ReadOne(20), PollCommand::Code("MVW")},
                          200,
                          start};
};

TEST_F(PollScheduleTest, OneRoundAtEachSlotWhileTheRoundsAreAnswered) {
    const std::vector<std::string> round = {"#3.STA", "#3.MVW", "#3.PRD 20"};
    EXPECT_EQ(At(0), PollSchedule::Slot::kSent);
    EXPECT_EQ(Sent(), round);
    EXPECT_EQ(At(199), PollSchedule::Slot::kNotDue);
    AnswerRound(40);
    EXPECT_EQ(At(200), PollSchedule::Slot::kSent);
    EXPECT_EQ(Sent(), round);
    AnswerRound(230);
    // A caller that comes late gets one round, not the slots it missed.
    EXPECT_EQ(At(1150), PollSchedule::Slot::kSent);
    EXPECT_EQ(Sent(), round);
    EXPECT_EQ(schedule.NextSlot(), start + 1200ms);
}

TEST_F(PollScheduleTest, SlowRepliesSkipSlotsInsteadOfPilingUpRounds) {
    At(0);
    Sent();
    // Each reply comes 300 ms after the one before: the round stays
    // outstanding and the slots that fall due meanwhile send nothing. A PRD
    // reply for another number answers nothing, nor does another station's reply.
    Reply("#3.STA 1", 300);
    EXPECT_EQ(At(400), PollSchedule::Slot::kSkipped);
    Reply("#3.MVW 0 0 C1C 12C", 600);
    Reply("#3.PRD 15 1F4", 600);
    Reply("#5.PRD 14 1F4", 600);
    EXPECT_EQ(At(600), PollSchedule::Slot::kSkipped);
    EXPECT_EQ(At(800), PollSchedule::Slot::kSkipped);
    EXPECT_TRUE(Sent().empty());
    Reply("#3.PRD 14 1F4", 900);
    EXPECT_EQ(At(1000), PollSchedule::Slot::kSent);
    EXPECT_EQ(schedule.SlotsSkipped(), 3);
}

TEST_F(PollScheduleTest, ARoundSilentForASecondIsGivenUpAndCounted) {
    At(0);
    EXPECT_EQ(At(1000), PollSchedule::Slot::kSent);
    EXPECT_EQ(schedule.RoundsUnanswered(), 1);
    // A round answered in part, then silent, is as unanswered.
    Reply("#3.STA 1", 1100);
    EXPECT_EQ(At(2000), PollSchedule::Slot::kSkipped);
    EXPECT_EQ(At(2200), PollSchedule::Slot::kSent);
    EXPECT_EQ(schedule.UnansweredInRow(), 2);
    // A late reply of a given-up round counts toward the round now out.
    AnswerRound(2300);
    EXPECT_EQ(schedule.UnansweredInRow(), 0);
    EXPECT_EQ(schedule.RoundsFinished(), 3);
}

// The whole path: a round goes through the queue onto a pseudo-terminal, the
// test answers as the drive, the dispatcher consumes the replies and the
// monitor takes them from behind it.
using PollMonitorTest = DispatchedPortTest;

TEST_F(PollMonitorTest, RepliesConsumedByTheDispatcherComeBackAsRows) {
    // A line consumed before the start is not the monitor's.
    Answer({"#0.MVW 9 9 9 9"});
    PollMonitor monitor(
        port, 0, {PollCommand::Code("MVW"), PollCommand::ReadOne(20), PollCommand::Code("MTP")},
        100, Clock::now());
    ASSERT_EQ(monitor.Tick(Clock::now(), queue), PollSchedule::Slot::kSent);
    EXPECT_EQ(Flush(), "#0.MVW\r#0.PRD 20\r#0.MTP\r");
    Answer({"#0.MVW 5DC FFFFFFF6 C1C 12C", "#0.PRD 14 102", "#0.PRA 14 1", "#0.MTP 12D"});
    std::vector<PollMonitor::Row> rows = monitor.TakeReplies(Clock::now());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].reply.values, (std::vector<int32_t>{1500, -10, 3100, 300}));
    EXPECT_EQ(rows[1].reply.values, (std::vector<int32_t>{20, 0x102}));
    EXPECT_EQ(rows[2].reply.values, std::vector<int32_t>{301});
    EXPECT_EQ(monitor.Schedule().RoundsAnswered(), 1);
    EXPECT_TRUE(monitor.TakeReplies(Clock::now()).empty());
}

}  // namespace
