#pragma once

#include <gtest/gtest.h>

#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/ResponseDispatcher.h"
#include "support/PtyPair.h"
#include "support/RecordingNotifier.h"

// A port open on a pseudo-terminal with its dispatcher running, as the form
// holds them; the test plays the drive on `pty`.
class DispatchedPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(port.Open(pty.SlavePath(), 115200, 0, 8, 0));
        ASSERT_TRUE(dispatcher.Start());
    }

    PtyPair pty;
    RecordingNotifier notifier;
    CTtyPort port{notifier};
    ParamTable table;
    RefreshFlag refresh;
    ResponseDispatcher dispatcher{port, table, refresh, notifier};
};
