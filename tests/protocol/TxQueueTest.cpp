#include "protocol/TxQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "params/DecimalText.h"
#include "support/PtyPair.h"
#include "support/RecordingLineView.h"
#include "support/RecordingNotifier.h"

namespace {

using namespace std::chrono_literals;

TEST(TxQueue, CommandLinesCarryTheStationInDecimal) {
    struct Case {
        const char* id;
        std::string line;
    };
    const Case cases[] = {
        {"1", "#1.PRA\r"}, {"", "#0.PRA\r"},    {"abc", "#0.PRA\r"},
        {"-3", "#-3.PRA\r"}, {" 12x", "#12.PRA\r"}, {"99999999999", "#2147483647.PRA\r"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TxQueue::CommandLine(DecimalText::Parse(c.id), "PRA"), c.line) << c.id;
    }
}

class TxQueueFlushTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(port.Open(pty.SlavePath(), 115200, 0, 8, 0)); }

    // Flushes and returns what reached the drive's end.
    std::string FlushAndRead(size_t bytes) {
        queue.FlushTxQueue(port);
        return pty.Read(bytes, 2s);
    }

    PtyPair pty;
    RecordingNotifier notifier;
    CTtyPort port{notifier};
    RecordingLineView sent;
    TxQueue queue{sent};
};

TEST_F(TxQueueFlushTest, EveryBuilderPutsItsExactBytesOnTheLineInOrder) {
    queue.QueueReadAll(1);
    queue.QueueParamWrite(3, 12, -5);
    queue.QueueParamWrite(0, 100, 1);
    queue.QueueCop(7);
    queue.QueuePsv(7);
    queue.QueueReadVersion(2);
    queue.QueueParamInit(-3);
    queue.QueueManual("#2.MVW");
    queue.QueueManual("");
    const std::string expected =
        "#1.PRA\r#3.PWR 12 -5\r#0.PWR 100 1\r#7.COP\r#7.PSV\r#2.FRD 0\r#2.FRD 1\r"
        "#-3.PDF ALL\r#2.MVW\r\r";
    EXPECT_EQ(FlushAndRead(expected.size()), expected);
    EXPECT_EQ(sent.lines, (std::vector<std::string>{"#1.PRA", "#3.PWR 12 -5", "#0.PWR 100 1",
                                                    "#7.COP", "#7.PSV", "#2.FRD 0", "#2.FRD 1",
                                                    "#-3.PDF ALL", "#2.MVW", ""}));
    EXPECT_EQ(sent.caret, 9);
    EXPECT_FALSE(queue.HasPending());
    EXPECT_EQ(notifier.Count(), 0u);
}

TEST_F(TxQueueFlushTest, PausesTenMillisecondsAfterEachLine) {
    for (int i = 0; i < 8; ++i) queue.QueueCop(0);
    auto start = std::chrono::steady_clock::now();
    queue.FlushTxQueue(port);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 80ms);
    EXPECT_EQ(pty.Read(8 * 7, 2s).size(), 8u * 7);
}

TEST_F(TxQueueFlushTest, EchoKeepsTheLastTwentyLinesNewestInView) {
    for (int i = 0; i < 25; ++i) queue.QueueParamWrite(0, i, i);
    FlushAndRead(25 * 14);
    ASSERT_EQ(sent.lines.size(), 20u);
    EXPECT_EQ(sent.lines.front(), "#0.PWR 5 5");
    EXPECT_EQ(sent.lines.back(), "#0.PWR 24 24");
    EXPECT_EQ(sent.caret, 19);
    EXPECT_EQ(queue.EchoLines(), 20);
}

TEST_F(TxQueueFlushTest, LinesQueuedWhileClosedAreEchoedAndLost) {
    port.Close();
    queue.QueueReadAll(0);
    queue.FlushTxQueue(port);
    EXPECT_EQ(sent.lines, std::vector<std::string>{"#0.PRA"});
    EXPECT_EQ(pty.Read(1, 100ms), "");
    EXPECT_EQ(notifier.Count(), 0u);
}

TEST_F(TxQueueFlushTest, TwoHundredLinesBetweenFlushesReadAsEmpty) {
    for (int i = 0; i < TxQueue::kSlots; ++i) queue.QueueCop(0);
    EXPECT_FALSE(queue.HasPending());
    queue.QueueCop(1);
    EXPECT_EQ(FlushAndRead(7), "#1.COP\r");
}

}  // namespace
