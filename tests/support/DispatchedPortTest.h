#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/ResponseDispatcher.h"
#include "protocol/TxQueue.h"
#include "support/PtyPair.h"
#include "support/RecordingLineView.h"
#include "support/RecordingNotifier.h"

// A port open on a pseudo-terminal with its dispatcher running and a queue to
// send with, as the form holds them; the test plays the drive on `pty`.
class DispatchedPortTest : public ::testing::Test {
  protected:
    void SetUp() override;

    // Writes the queued lines and returns them as the drive received them,
    // once the writer is done with them and they are echoed.
    std::string Flush();
    // The drive sends `lines`; returns once the dispatcher has consumed them.
    void Answer(const std::vector<std::string>& lines);

    PtyPair pty;
    RecordingNotifier notifier;
    CTtyPort port{notifier};
    ParamTable table;
    RefreshFlag refresh;
    ResponseDispatcher dispatcher{port, table, refresh, notifier};
    RecordingLineView sent;
    TxLineWriter writer{port};
    TxQueue queue{sent, writer};
    // The read index the lines sent so far lead to; 0 again after a reconnect.
    int32_t consumed = 0;
};
