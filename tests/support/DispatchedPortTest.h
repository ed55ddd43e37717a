#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "session/DriveSession.h"
#include "support/PtyPair.h"
#include "support/RecordingLineView.h"
#include "support/RecordingNotifier.h"

// The tool's drive session with its port open on a pseudo-terminal and its
// dispatcher running, as the form holds it; the test plays the drive on `pty`.
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
    ParamTable table;
    RefreshFlag refresh;
    RecordingLineView sent;
    DriveSession session{table, refresh, notifier, notifier, sent};
    const CTtyPort& port = session.Port();
    TxQueue& queue = session.Queue();
    // The read index the lines sent so far lead to; 0 again after a reconnect.
    int32_t consumed = 0;
};
