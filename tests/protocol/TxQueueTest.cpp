#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "params/DecimalText.h"
#include "protocol/TxQueue.h"
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
        {"1", "#1.PRA\r"},   {"", "#0.PRA\r"},      {"abc", "#0.PRA\r"},
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

namespace {

class TxQueueGroupTest : public ::testing::Test {
  protected:
    std::vector<std::string> Drain() {
        queue.FlushTxQueue(port);
        return sent.lines;
    }

    RecordingNotifier notifier;
    CTtyPort port{notifier};
    RecordingLineView sent;
    TxQueue queue{sent};
    ParamTable table;
};

TEST_F(TxQueueGroupTest, WriteGroupIsPwrLinesThenCopThenPsv) {
    queue.QueueWriteGroup(4, {{20, 500}, {21, -7}});
    EXPECT_EQ(Drain(),
              (std::vector<std::string>{"#4.PWR 20 500", "#4.PWR 21 -7", "#4.COP", "#4.PSV"}));
}

TEST_F(TxQueueGroupTest, SendAllWritesTheTwentyNineListedParametersThenSaves) {
    table.SetParamValue(52, -1000);
    table.SetParamValue(42, 3);
    table.SetParamValue(100, 1);
    queue.QueueSendAll(0, table);
    queue.FlushTxQueue(port);
    std::vector<std::string> expected;
    for (int32_t n : {10, 11, 13, 14, 15, 16, 20, 21, 22, 23, 25, 26, 27, 28, 29,
                      30, 31, 37, 38, 50, 51, 52, 53, 54, 55, 56, 57, 60, 61}) {
        expected.push_back("#0.PWR " + std::to_string(n) + (n == 52 ? " -1000" : " 0"));
    }
    expected.push_back("#0.COP");
    expected.push_back("#0.PSV");
    EXPECT_EQ(sent.appended, expected);
    EXPECT_EQ(sent.lines.size(), 20u);
}

TEST_F(TxQueueGroupTest, SetupApplyWritesFortyTwoToFortyNineThenThePolarities) {
    for (int32_t n = 40; n <= 49; ++n) table.SetParamValue(n, n - 40);
    queue.QueueSetupApply(0, table);
    EXPECT_EQ(Drain(),
              (std::vector<std::string>{"#0.PWR 42 2", "#0.PWR 43 3", "#0.PWR 44 4", "#0.PWR 45 5",
                                        "#0.PWR 46 6", "#0.PWR 47 7", "#0.PWR 48 8", "#0.PWR 49 9",
                                        "#0.PWR 40 0", "#0.PWR 41 1", "#0.COP", "#0.PSV"}));
}

}  // namespace
