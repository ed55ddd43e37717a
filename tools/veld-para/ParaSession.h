#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/LineListView.h"
#include "protocol/ReadBackReport.h"
#include "serial/Notifier.h"
#include "session/DriveSession.h"

// The drive session as veld-para drives it: from a loop that ticks the
// session, echoes what comes back on stderr (and on stdout when the replies
// are the result), and waits for what a command asked for.
class ParaSession : private DriveSession::Listener, private LineListView, private Notifier {
  public:
    // kDone: every line went out (Flush), or what was waited for came.
    // kIncomplete: a read got replies, but not every parameter it asked for.
    // kJournalRefused: the journal could not record what came before a
    // write, so none of the lines queued was sent.
    enum class Outcome {
        kDone,
        kSilent,
        kIncomplete,
        kLost,
        kWriteFailed,
        kInterrupted,
        kJournalRefused,
    };

    // From now on SIGINT and SIGTERM end the waits: the line in flight
    // finishes, the rest are not sent.
    static void StopOnSignals();
    // The signal that asked to stop, 0 while none did.
    static int StopSignal();

    ParaSession(ParamTable& table, bool quiet);
    // Says when the port went after the last result came.
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
    // Sends a PRA and waits until the read is complete (kDone) or has given
    // up (the session's one rule); the replies then tell what came. A read
    // complete when the port went is done, and the loss told at the end.
    Outcome Read(int32_t station, const std::vector<int32_t>& wanted);
    const DriveReads& Reads() const { return m_session.Reads(); }
    const PraReplyTracker& ReadReplies() const { return Reads().Replies(); }
    // Flushes the write group queued and, when a read-back was asked for
    // before it, waits for the read-back's report (one that read back every
    // value is the result even when the port went right after it).
    Outcome SendWriteGroup(bool readBack);
    const std::optional<ReadBackReport>& LastReadBack() const { return m_readBack; }
    // Echoes replies for `waitMs`, also on stdout when they are the result;
    // kDone when any line came since the port was opened.
    Outcome WaitReplies(int waitMs, bool toStdout);
    // Prints each received line on stdout until a signal stops it or the port goes.
    Outcome Monitor();
    // Ticks the session, echoing what comes (also on stdout with `toStdout`),
    // until `done` says so (kDone), a signal stops it or the port goes or a
    // line fails; the lines not yet written are then given up.
    Outcome Until(const std::function<bool()>& done, bool toStdout = false);
    // Every line that has left, in order, with what became of it.
    const std::vector<TxLineWriter::Gone>& Lines() const { return m_lines; }
    // Why the journal refused a write (kJournalRefused).
    const std::string& JournalReason() const { return m_journalReason; }

  private:
    using Clock = DriveSession::Clock;
    static constexpr std::chrono::milliseconds kPollPause{5};

    // The queue's list of lines sent is the GUI's; here each line is echoed
    // from what became of it (OnLineGone), and only when it went out.
    void AppendLine(const std::string&) override {}
    void DeleteFirstLine() override {}
    void ShowLine(int) override {}
    void OnLineReceived(const std::string& line) override;
    void OnLineGone(const TxLineWriter::Gone& gone) override;
    void OnReadFinished(bool complete) override;
    void OnReadBackFinished(const ReadBackReport& report) override;
    void OnJournalRefused(const std::string& reason) override;
    // The core's operator messages go to stderr; the program goes on at once.
    void Notify(const std::string& caption, const std::string& text) override;
    // What waited for a result gives when the result came: the port lost
    // meanwhile does not undo it, and is said at the end.
    Outcome ResultCame(Outcome outcome);

    bool m_bQuiet;
    RefreshFlag m_refresh;
    DriveSession m_session;
    bool m_bToStdout = false;
    bool m_bReplied = false;
    bool m_bReadFinished = false;
    bool m_bJournalRefused = false;
    std::string m_journalReason;
    bool m_bReadComplete = false;
    // The port went after the result came: said at the end.
    bool m_bLossUntold = false;
    std::optional<ReadBackReport> m_readBack;
    std::vector<TxLineWriter::Gone> m_lines;
};
