#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "protocol/StationScan.h"
#include "support/DispatchedPortTest.h"

namespace {

using namespace std::chrono_literals;

TEST(StationScanTest, AnAnswerIsAnFrdReplyWhoseCharacterNamesTheStation) {
    struct Case {
        const char* line;
        bool answer;
        int32_t station;
        const char* version;
    };
    const Case cases[] = {
        {"#A.FRD 0 0210", true, 10, "0210"},  {"#Z.FRD   0   0001", true, 35, "0001"},
        {"\n#7.FRD 0 0105", true, 7, "0105"},  // after a CR LF line end
        {"#3.FRD 1 0003", true, 3, "1 0003"}, {"#3.FRDX 0 0105", false, 0, ""},
        {"#a.FRD 0 0105", false, 0, ""},      {"#12.FRD 0 0105", false, 0, ""},
        {"#3.PRA 0 0", false, 0, ""},         {"#4.FRD 0 ", true, 4, ""},  // blanks to the end
    };
    for (const Case& c : cases) {
        StationScan::Answer answer;
        ASSERT_EQ(StationScan::ParseAnswer(c.line, answer), c.answer) << c.line;
        if (!c.answer) continue;
        EXPECT_EQ(answer.station, c.station) << c.line;
        EXPECT_EQ(answer.version, c.version) << c.line;
    }
}

// The tool's core on one end of a pseudo-terminal; the test plays the drives
// on the bus at the other end.
class StationScanLineTest : public DispatchedPortTest {
  protected:
    // Steps the scan, flushes the queue as the form's tick does and answers
    // each received line with the drives' replies to it, until the scan ends;
    // `each` runs after every step.
    void Run(
        StationScan& scan, std::map<std::string, std::string> drives,
        const std::function<void()>& each = [] {}) {
        auto giveUp = std::chrono::steady_clock::now() + 60s;
        while (scan.IsRunning() && std::chrono::steady_clock::now() < giveUp) {
            scan.Step(queue, StationScan::Clock::now());
            queue.FlushTxQueue();
            std::string bytes = pty.Read(4096, 5ms);
            wire += bytes;
            pending += bytes;
            for (size_t end; (end = pending.find('\r')) != std::string::npos;) {
                const std::string& replies = drives[pending.substr(0, end)];
                if (!replies.empty()) pty.Write(replies);
                pending.erase(0, end + 1);
            }
            each();
        }
        ASSERT_FALSE(scan.IsRunning()) << "the scan never ended";
    }

    std::string wire;
    std::string pending;
};

// Each station is asked once, in order, and told once; an answer ends its
// wait, a late one counts, one from a station not yet asked does not.
TEST_F(StationScanLineTest, AsksEachStationOnceAndTakesTheAnswersOfThoseAsked) {
    std::vector<std::pair<int32_t, bool>> told;
    StationScan scan(port, 2, 4, 200ms, [&](const StationScan::Progress& p) {
        told.emplace_back(p.station, p.answer != nullptr);
    });
    // Station 2 answers only once 3 is asked, after its own wait; 9 was never asked.
    Run(scan, {{"#3.FRD 0", "#2.FRD 0 0102\r#9.FRD 0 0109\r"}, {"#4.FRD 0", "#4.FRD 0 0104\r"}});
    EXPECT_EQ(scan.GetState(), StationScan::State::kFinished);
    EXPECT_EQ(wire, "#2.FRD 0\r#3.FRD 0\r#4.FRD 0\r");
    EXPECT_EQ(told, (std::vector<std::pair<int32_t, bool>>{
                        {2, false}, {2, true}, {3, false}, {4, true}}));
}

// The writer counts a line gone after its 10 ms pause: an answer may be taken
// before the scan sees its line leave, and is its answer all the same.
TEST_F(StationScanLineTest, AnAnswerThatComesBeforeItsLineIsSeenToLeaveCounts) {
    StationScan scan(port, 5, 5);
    scan.Step(queue, StationScan::Clock::now());
    ASSERT_TRUE(queue.HasPending());
    Answer({"#5.FRD 0 0105"});
    scan.Step(queue, StationScan::Clock::now());
    ASSERT_EQ(scan.Answers().size(), 1u);
    EXPECT_EQ(scan.Answers()[0].version, "0105");
    Flush();
}

// Lines of another tool (a monitor polling) that keep the queue busy do not
// hold the scan: each station's wait starts when its own line has left.
TEST_F(StationScanLineTest, OtherLinesWaitingDoNotHoldTheScan) {
    StationScan scan(port, 0, 2, 50ms);
    Run(scan, {}, [&] {
        if (queue.QueuedCount() - queue.GoneCount() < 4) queue.QueueCommand("#9.STA\r");
    });
    EXPECT_EQ(scan.GetState(), StationScan::State::kFinished);
}

TEST_F(StationScanLineTest, CancelStopsAskingAndALostLineEndsTheScan) {
    StationScan cancelled(port, 0, 35);
    Run(cancelled, {}, [&] {
        if (!wire.empty()) cancelled.Cancel();
    });
    EXPECT_EQ(cancelled.GetState(), StationScan::State::kCancelled);
    EXPECT_EQ(wire, "#0.FRD 0\r");

    wire.clear();
    StationScan lost(port, 0, 35);
    Run(lost, {}, [&] {
        if (!wire.empty()) pty.CloseMaster();
    });
    EXPECT_EQ(lost.GetState(), StationScan::State::kLost);
}

}  // namespace
