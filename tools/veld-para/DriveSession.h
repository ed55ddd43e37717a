#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "RxLineFollower.h"
#include "SentLineView.h"
#include "StderrNotifier.h"
#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/ResponseDispatcher.h"
#include "protocol/TxQueue.h"
#include "serial/CTtyPort.h"

// The core as the form holds it: port, dispatcher, table, queue. Sends what
// the commands queue and echoes what comes back.
class DriveSession {
  public:
    enum class Replies { kReplied, kSilent, kLost };

    DriveSession(ParamTable& table, bool quiet);

    // The port text is built as the form's connect builds it.
    bool Open(const std::string& port, const std::string& baud);
    int LastOpenError() const { return m_port.LastOpenError(); }

    TxQueue& Queue() { return m_queue; }
    void Flush() { m_queue.FlushTxQueue(m_port); }

    // Until 200 ms pass without a line after a PRA reply, or `waitMs` runs out.
    Replies CollectRead(int waitMs);
    // Echoes replies for `waitMs`, also on stdout when they are the result.
    Replies WaitReplies(int waitMs, bool toStdout);
    // Prints each received line on stdout until `stop` is set or the port goes.
    Replies Monitor(const std::atomic<bool>& stop);

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kQuietAfterRead{200};
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
    SentLineView m_sentView;
    TxQueue m_queue{m_sentView};
};
