#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "protocol/StationScan.h"
#include "support/DispatchedPortTest.h"
#include "support/RecordingLineView.h"

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
        {"#3.FRD 0 0105", true, 3, "0105"},
        {"#A.FRD 0 0210", true, 10, "0210"},
        {"#Z.FRD   0   0001", true, 35, "0001"},
        {"\n#7.FRD 0 0105", true, 7, "0105"},  // after a CR LF line end
        {"#3.FRD 0105", true, 3, "0105"},
        {"#3.FRD 1 0003", true, 3, "1 0003"},
        {"#3.FRD", true, 3, ""},
        {"#3.FRDX 0 0105", false, 0, ""},
        {"#a.FRD 0 0105", false, 0, ""},
        {"#12.FRD 0 0105", false, 0, ""},
        {"#3.PRA 0 0", false, 0, ""},
        {"3.FRD 0 0105", false, 0, ""},
        {"", false, 0, ""},
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
    // The reply lines the drives send for one received line.
    using Drives = std::function<std::string(const std::string& line)>;

    // Steps the scan, flushes the queue as the form's tick does and answers
    // as the drives do, until the scan ends; `each` runs after every step.
    void Run(
        StationScan& scan, const Drives& drives, const std::function<void()>& each = [] {}) {
        auto giveUp = std::chrono::steady_clock::now() + 60s;
        while (scan.IsRunning() && std::chrono::steady_clock::now() < giveUp) {
            scan.Step(queue, StationScan::Clock::now());
            queue.FlushTxQueue(port);
            std::string bytes = pty.Read(4096, 5ms);
            wire += bytes;
            pending += bytes;
            for (size_t end; (end = pending.find('\r')) != std::string::npos;) {
                std::string replies = drives(pending.substr(0, end));
                if (!replies.empty()) pty.Write(replies);
                pending.erase(0, end + 1);
            }
            each();
        }
        ASSERT_FALSE(scan.IsRunning()) << "the scan never ended";
    }

    static std::string Asked(int32_t first, int32_t last) {
        std::string lines;
        for (int32_t s = first; s <= last; ++s) lines += "#" + std::to_string(s) + ".FRD 0\r";
        return lines;
    }

    RecordingLineView sent;
    TxQueue queue{sent};
    std::string wire;
    std::string pending;
};

TEST_F(StationScanLineTest, FindsTheStationsOnTheBusAskingEachOnceInOrder) {
    struct Told {
        int32_t station;
        int done;
        bool answered;
    };
    std::vector<Told> told;
    StationScan scan(port, 2, 8, 500ms, [&](const StationScan::Progress& p) {
        told.push_back({p.station, p.done, p.answer != nullptr});
        EXPECT_EQ(p.total, 7);
    });
    std::map<std::string, std::string> drives = {{"#3.FRD 0", "#3.FRD 0 0105\r"},
                                                 {"#7.FRD 0", "#7.FRD 0 0107\r"}};
    Run(scan, [&](const std::string& line) { return drives[line]; });

    EXPECT_EQ(scan.GetState(), StationScan::State::kFinished);
    EXPECT_EQ(wire, Asked(2, 8));
    ASSERT_EQ(scan.Answers().size(), 2u);
    EXPECT_EQ(scan.Answers()[0].station, 3);
    EXPECT_EQ(scan.Answers()[0].version, "0105");
    EXPECT_EQ(scan.Answers()[0].line, "#3.FRD 0 0105");
    EXPECT_EQ(scan.Answers()[1].station, 7);
    EXPECT_EQ(scan.Answers()[1].version, "0107");
    // Every station is told once, in order; each answer once.
    std::vector<int32_t> stations;
    int answers = 0;
    for (const Told& t : told) {
        if (t.answered) ++answers;
        if (stations.empty() || stations.back() != t.station) stations.push_back(t.station);
    }
    EXPECT_EQ(stations, (std::vector<int32_t>{2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(answers, 2);
    EXPECT_EQ(told.back().done, 7);
}

TEST_F(StationScanLineTest, ALateAnswerCountsAStrangerDoesNot) {
    std::vector<std::pair<int32_t, bool>> told;
    StationScan scan(port, 2, 3, 200ms, [&](const StationScan::Progress& p) {
        told.emplace_back(p.station, p.answer != nullptr);
    });
    // Station 2 answers only once 3 is asked, after its own wait; 9 was never asked.
    Run(scan, [](const std::string& line) {
        return line == "#3.FRD 0" ? std::string("#2.FRD 0 0102\r#9.FRD 0 0109\r") : std::string();
    });
    EXPECT_EQ(wire, Asked(2, 3));
    ASSERT_EQ(scan.Answers().size(), 1u);
    EXPECT_EQ(scan.Answers()[0].station, 2);
    EXPECT_EQ(told, (std::vector<std::pair<int32_t, bool>>{{2, false}, {2, true}, {3, false}}));
}

TEST_F(StationScanLineTest, CancelStopsAskingAndALostLineEndsTheScan) {
    StationScan cancelled(port, 0, 35);
    Run(
        cancelled, [](const std::string&) { return std::string(); },
        [&] {
            if (!wire.empty()) cancelled.Cancel();
        });
    EXPECT_EQ(cancelled.GetState(), StationScan::State::kCancelled);
    EXPECT_EQ(wire, Asked(0, 0));
    EXPECT_EQ(cancelled.Done(), 0);

    wire.clear();
    StationScan lost(port, 0, 35);
    Run(
        lost, [](const std::string&) { return std::string(); },
        [&] {
            if (!wire.empty()) pty.CloseMaster();
        });
    EXPECT_EQ(lost.GetState(), StationScan::State::kLost);
}

}  // namespace
