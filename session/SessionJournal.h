#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "journal/JournalOrigin.h"
#include "journal/JournalRecord.h"
#include "journal/JournalSession.h"
#include "journal/JournalWriter.h"
#include "params/ParamSet.h"
#include "protocol/ReadBackReport.h"
#include "protocol/TxLineObserver.h"
#include "protocol/TxLineWriter.h"

// What a drive session does, as the journal keeps it: the connection, each
// read with what the drive reported, each write group with the values before
// and sent and the fate of its lines, read-backs, init, version, manual lines
// and what the tools record. Everything is derived from the lines as they
// are queued and leave, so the GUI and veld-para record alike. Appends go
// through a JournalWriter thread: the owner's thread never waits on the
// disk. A write waits (WriteVerdict) until everything recorded before it is
// in the journal, so that no write goes out whose before-state is unrecorded.
class SessionJournal {
  public:
    using Clock = std::chrono::steady_clock;

    enum class Verdict { kPass, kHold, kRefuse };

    // Records nothing until opened (veld-para --no-journal never opens it).
    SessionJournal() = default;
    ~SessionJournal();
    SessionJournal(const SessionJournal&) = delete;
    SessionJournal& operator=(const SessionJournal&) = delete;

    // Records as `program` into the journal at `path` from now on; false,
    // with Reason(), when it cannot be opened: every write is then refused.
    bool Open(const std::string& program, const std::string& path);
    bool Recording() const { return m_writer != nullptr; }
    // Whether writes wait for the journal (false only when switched off).
    bool Required() const { return m_bRequired; }
    // Why the journal cannot record: empty while it can.
    const std::string& Reason() const { return m_reason; }
    // The words for a damaged file put aside, once.
    std::optional<Journal::Notice> TakeNotice();

    void Connected(const std::string& port);
    void Disconnected();
    void PortLost();

    void LineQueued(const std::string& line, TxLineObserver::Origin origin);
    void LineGone(const TxLineWriter::Gone& gone, Clock::time_point now);
    void LineReceived(const std::string& line);
    // A write group of PWR lines alone ended (SET mode).
    void EndWriteGroup(int32_t station);
    void ReadFinished(int32_t station, const ParamSet& reported, bool complete);
    void ReadBackFinished(int32_t station, const ReadBackReport& report);
    // What a tool did (scan, monitor, file, commission, failure).
    void Record(JournalRecord record);

    // Waits until everything posted is in the journal or has failed (veld-para
    // before it exits); false when something could not be recorded.
    bool WaitRecorded();
    // Takes the writer's outcomes and ends what waited for replies.
    void Poll(Clock::time_point now);
    // Whether a line that writes the drive may go now: kHold while entries
    // recorded before it are on their way, kRefuse (Reason() says why) when
    // one of them could not be recorded; they are posted again, so a later
    // write may pass once the journal takes them.
    Verdict WriteVerdict();

  private:
    // The lines of one thing done, until each has gone.
    struct Pending {
        // None for a line whose result its sender records (a read, a tool's poll).
        std::optional<JournalEntry::Kind> kind;
        int32_t station = 0;
        ParamSet sent;
        std::vector<std::string> queued;
        std::vector<TxLineWriter::Gone> gone;
        std::vector<std::string> replies;
        bool closed = false;
    };

    // Parameter 100: SET mode's flag, written alone.
    static constexpr int32_t kSetModeFlag = 100;

    void Post(JournalRecord record);
    void EndSession();
    // The open group of `kind` to `station`, or a new one.
    Pending& Group(JournalEntry::Kind kind, int32_t station);
    Pending& Single(std::optional<JournalEntry::Kind> kind, int32_t station, bool closed = true);
    JournalRecord Describe(const Pending& pending) const;
    void TakeOutcomes();
    void FinishCollecting();

    std::unique_ptr<JournalWriter> m_writer;
    JournalOrigin m_origin;
    bool m_bRequired = false;
    std::string m_reason;
    std::optional<Journal::Notice> m_notice;
    std::unique_ptr<JournalSession> m_session;
    std::string m_port;
    // Posted and not yet known to be in the journal, by ticket.
    std::map<uint64_t, JournalEntry> m_unconfirmed;
    std::vector<JournalEntry> m_failed;
    std::deque<Pending> m_pending;
    // The last line sent whose replies the entry keeps, until the line is quiet.
    std::optional<Pending> m_collecting;
    Clock::time_point m_lastReply;
    size_t m_nRepliesSeen = 0;
    std::map<int32_t, ParamSet> m_lastRead;
};
