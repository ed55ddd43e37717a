#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "SentLineView.h"
#include "StderrNotifier.h"
#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/PraReplyTracker.h"
#include "protocol/ResponseDispatcher.h"
#include "protocol/RxLineFollower.h"
#include "protocol/TxQueue.h"
#include "serial/CTtyPort.h"

// The core as the form holds it: port, dispatcher, table, queue. Sends what
// the commands queue and echoes what comes back.
class DriveSession {
  public:
    // kDone: every line went out (Flush), or a reply came (the waits).
    enum class Outcome { kDone, kSilent, kLost, kWriteFailed };

    DriveSession(ParamTable& table, bool quiet);

    // The port text is built as the form's connect builds it.
    bool Open(const std::string& port, const std::string& baud);
    int LastOpenError() const { return m_port.LastOpenError(); }

    TxQueue& Queue() { return m_queue; }
    const CTtyPort& Port() const { return m_port; }
    // Writes the queued lines in order, one at a time, and echoes what came
    // back after each, so that no run of replies can lap the echo. Stops at a
    // lost port or at a write that failed or stalled ("TTY Error!").
    Outcome Flush(bool toStdout = false);

    // Until every one of `wanted` came in PRA replies (or one had a bad pair
    // number) and 200 ms passed without a received byte, or until `waitMs`
    // passed without one; never
    // longer than the larger of `waitMs` and 30 s (a whole set at 600 baud).
    Outcome CollectRead(int waitMs, const std::vector<int32_t>& wanted);
    // Echoes replies for `waitMs`, also on stdout when they are the result;
    // kDone when any line came since the port was opened.
    Outcome WaitReplies(int waitMs, bool toStdout);
    // Prints each received line on stdout until `stop` is set or the port goes.
    Outcome Monitor(const std::atomic<bool>& stop);

    const PraReplyTracker& PraReplies() const { return m_praReplies; }
    // A new read starts: the PRA replies so far no longer count.
    void ForgetPraReplies() { m_praReplies.Reset(); }

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kQuietAfterRead{200};
    static constexpr std::chrono::seconds kLongestRead{30};
    static constexpr std::chrono::milliseconds kPollPause{5};

    // Echoes every line consumed since the last call; true when there was one.
    bool EchoReceived(bool toStdout);

    bool m_bQuiet;
    StderrNotifier m_notifier;
    CTtyPort m_port{m_notifier};
    ParamTable& m_table;
    RefreshFlag m_refresh;
    ResponseDispatcher m_dispatcher{m_port, m_table, m_refresh, m_notifier};
    RxLineFollower m_follower{m_port};
    PraReplyTracker m_praReplies;
    bool m_bReplied = false;
    SentLineView m_sentView;
    TxQueue m_queue{m_sentView};
};
