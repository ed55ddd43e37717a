#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "protocol/TxQueue.h"
#include "support/DispatchedPortTest.h"
#include "support/Eventually.h"

namespace {

using namespace std::chrono_literals;

using TxQueueTest = DispatchedPortTest;

TEST_F(TxQueueTest, EveryBuilderPutsItsExactBytesOnTheLineInOrder) {
    queue.QueueReadAll(1);
    queue.QueueReadVersion(2);
    queue.QueueParamInit(-3);
    queue.QueueManual("#2.MVW");
    queue.QueueManual("");
    queue.QueueWriteGroup(4, {{20, 500}, {21, -7}});
    EXPECT_EQ(Flush(),
              "#1.PRA\r#2.FRD 0\r#2.FRD 1\r#-3.PDF ALL\r#2.MVW\r\r#4.PWR 20 500\r#4.PWR 21 -7\r"
              "#4.COP\r#4.PSV\r");
}

// The writer paces the lines; the hand-over itself never waits on the line.
TEST_F(TxQueueTest, PausesTenMillisecondsAfterEachLine) {
    for (int i = 0; i < 8; ++i) queue.QueueCop(0);
    auto start = std::chrono::steady_clock::now();
    queue.FlushTxQueue();
    EXPECT_TRUE(queue.HasPending());
    ASSERT_TRUE(Eventually([&] {
        queue.EchoGoneLines();
        return !queue.HasPending();
    }));
    // A line has gone once written, before its pause: seven pauses between eight lines.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 70ms);
}

TEST_F(TxQueueTest, LinesQueuedWhileClosedAreEchoedAndLost) {
    session.Close();
    for (int i = 0; i < 25; ++i) queue.QueueParamWrite(0, i, i);
    queue.FlushTxQueue();
    ASSERT_TRUE(Eventually([&] {
        queue.EchoGoneLines();
        return !queue.HasPending();
    }));
    EXPECT_EQ(pty.Read(1, 100ms), "");
    EXPECT_EQ(notifier.Count(), 0u);
    // The echo keeps the last twenty lines.
    ASSERT_EQ(sent.lines.size(), 20u);
    EXPECT_EQ(sent.lines.front(), "#0.PWR 5 5");
    EXPECT_EQ(sent.caret, 19);
}

// A full queue refuses what comes and counts it, never writing over a waiting
// line; a builder's lines go all or none, so no write group is cut short.
TEST_F(TxQueueTest, AFullQueueRefusesLinesAndCountsThem) {
    session.Close();
    for (int i = 0; i < TxQueue::kSlots - 3; ++i) EXPECT_TRUE(queue.QueueCommand("#0.STA\r"));
    queue.QueueWriteGroup(1, {{20, 5}, {21, 6}});  // four lines, room for two
    EXPECT_TRUE(queue.QueueCommand("#1.COP\r"));
    queue.QueueReadVersion(1);  // two lines, room for one
    EXPECT_TRUE(queue.QueueCommand("#2.COP\r"));
    EXPECT_FALSE(queue.QueueCommand("#3.COP\r"));
    EXPECT_EQ(queue.Pending(), TxQueue::kSlots - 1);
    EXPECT_EQ(queue.TakeRefused(), 4 + 2 + 1);
    EXPECT_EQ(queue.TakeRefused(), 0);
    queue.FlushTxQueue();
    EXPECT_EQ(sent.lines[sent.lines.size() - 2], "#1.COP");
    EXPECT_EQ(sent.lines.back(), "#2.COP");
}

TEST_F(TxQueueTest, SetupApplyWritesFortyTwoToFortyNineThenThePolarities) {
    for (int32_t n = 40; n <= 49; ++n) table.SetParamValue(n, n - 40);
    queue.QueueSetupApply(0, table);
    EXPECT_EQ(Flush(),
              "#0.PWR 42 2\r#0.PWR 43 3\r#0.PWR 44 4\r#0.PWR 45 5\r#0.PWR 46 6\r#0.PWR 47 7\r"
              "#0.PWR 48 8\r#0.PWR 49 9\r#0.PWR 40 0\r#0.PWR 41 1\r#0.COP\r#0.PSV\r");
}

}  // namespace
