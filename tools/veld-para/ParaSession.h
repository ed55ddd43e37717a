#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "SentLineView.h"
#include "StderrNotifier.h"
#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/ReadBackReport.h"
#include "session/DriveSession.h"

// The drive session as veld-para drives it: from a loop that ticks the
// session, echoes what comes back on stderr (and on stdout when the replies
// are the result), and waits for what a command asked for.
class ParaSession : private DriveSession::Listener {
  public:
    // kDone: every line went out (Flush), or what was waited for came.
    // kJournalRefused: the journal could not record what came before a
    // write, so none of the lines queued was sent.
    enum class Outcome { kDone, kSilent, kLost, kWriteFailed, kInterrupted, kJournalRefused };

    // From now on SIGINT and SIGTERM end the waits: the line in flight
    // finishes, the rest are not sent.
    static void StopOnSignals();
    // The signal that asked to stop, 0 while none did.
    static int StopSignal();

    ParaSession(ParamTable& table, bool quiet);
    ~ParaSession() override;

    // The port text is built as the form's connect builds it.
    bool Open(const std::string& port, const std::string& baud);
    int LastOpenError() const { return m_session.LastOpenError(); }

    DriveSession& Session() { return m_session; }
    TxQueue& Queue() { return m_session.Queue(); }
    const CTtyPort& Port() const { return m_session.Port(); }

    // Until every queued line has gone. Stops at a lost port or at a line
    // that failed or stalled ("TTY Error!"), after which nothing more is sent.
    Outcome Flush(bool toStdout = false);
    // Sends a PRA and waits until the read is complete or has given up (the
    // session's one rule); the replies then tell what came.
    Outcome Read(int32_t station, const std::vector<int32_t>& wanted);
    const PraReplyTracker& ReadReplies() const { return m_session.Reads().Replies(); }
    // Flushes the write group queued and, when a read-back was asked for
    // before it, waits for the read-back's report.
    Outcome SendWriteGroup(bool readBack);
    const std::optional<ReadBackReport>& LastReadBack() const { return m_readBack; }
    // Echoes replies for `waitMs`, also on stdout when they are the result;
    // kDone when any line came since the port was opened.
    Outcome WaitReplies(int waitMs, bool toStdout);
    // Prints each received line on stdout until a signal stops it or the port goes.
    Outcome Monitor();
    // Ticks the session once and echoes what came; kLost when the port went.
    Outcome Step(bool toStdout = false);
    // Ticks the session, echoing what comes, until `done` says so (kDone), a
    // signal stops it or the port goes or a line fails; the lines not yet
    // written are then given up.
    Outcome Until(const std::function<bool()>& done);
    // Every line that has left, in order, with what became of it.
    const std::vector<TxLineWriter::Gone>& Lines() const { return m_lines; }
    // Why the journal refused a write (kJournalRefused).
    const std::string& JournalReason() const { return m_journalReason; }

  private:
    using Clock = DriveSession::Clock;
    static constexpr std::chrono::milliseconds kPollPause{5};
    static constexpr std::chrono::milliseconds kLossNotice{200};

    void OnLineReceived(const std::string& line) override;
    void OnLineGone(const TxLineWriter::Gone& gone) override;
    void OnReadFinished(bool complete) override;
    void OnReadBackFinished(const ReadBackReport& report) override;
    void OnJournalRefused(const std::string& reason) override;
    // Ticks until `done` or a failure; kDone when `done` came.
    template <class Done>
    Outcome RunUntil(Done done, bool toStdout = false);

    bool m_bQuiet;
    StderrNotifier m_notifier;
    RefreshFlag m_refresh;
    SentLineView m_sentView;
    DriveSession m_session;
    bool m_bToStdout = false;
    bool m_bReplied = false;
    bool m_bWriteFailed = false;
    bool m_bReadFinished = false;
    bool m_bJournalRefused = false;
    std::string m_journalReason;
    std::optional<ReadBackReport> m_readBack;
    std::vector<TxLineWriter::Gone> m_lines;
};
