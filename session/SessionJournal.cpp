#include "session/SessionJournal.h"

#include <utility>

#include "journal/BackupImport.h"
#include "journal/Journal.h"
#include "params/BackupStore.h"
#include "protocol/ReplyWaits.h"
#include "protocol/SentCommand.h"

namespace {

using Kind = JournalEntry::Kind;
using Json = nlohmann::ordered_json;

bool Written(const TxLineWriter::Gone& gone) { return gone.fate == TxLineWriter::Fate::kWritten; }

}  // namespace

SessionJournal::~SessionJournal() {
    FinishCollecting();
    // The writer appends everything posted before it ends.
}

bool SessionJournal::Open(const std::string& program, const std::string& path) {
    m_origin = JournalOrigin::Current(program);
    m_bRequired = true;
    std::string error;
    std::unique_ptr<Journal> journal = Journal::Open(path, error);
    if (!journal) {
        m_reason = error;
        return false;
    }
    m_notice = journal->TakeNotice();
    // The backups earlier versions kept become reads of the journal, once.
    BackupImport::Run(*journal, BackupStore::DefaultFolder(), m_origin);
    m_writer = std::make_unique<JournalWriter>(std::move(journal));
    m_reason.clear();
    return true;
}

std::optional<Journal::Notice> SessionJournal::TakeNotice() { return std::exchange(m_notice, {}); }

void SessionJournal::Connected(const std::string& port) {
    m_port = port;
    m_session = std::make_unique<JournalSession>(m_origin, port);
    m_pending.clear();
    m_collecting.reset();
    // What was read before may be another drive's.
    m_lastRead.clear();
    Post(JournalRecord::Other(Kind::kConnect, std::nullopt, Json::object()));
}

void SessionJournal::Disconnected() {
    FinishCollecting();
    Post(JournalRecord::Other(Kind::kDisconnect, std::nullopt, Json::object()));
    EndSession();
}

void SessionJournal::PortLost() {
    FinishCollecting();
    Post(JournalRecord::Failure(std::nullopt, "port lost"));
    Post(JournalRecord::Other(Kind::kDisconnect, std::nullopt, Json{{"lost", true}}));
    EndSession();
}

void SessionJournal::EndSession() {
    // What is recorded without a port (a file opened) is a session of its own.
    m_session.reset();
    m_port.clear();
}

void SessionJournal::LineQueued(const std::string& line, TxLineObserver::Origin origin) {
    SentCommand command;
    bool parsed = SentCommand::Parse(line, command);
    const std::string code = parsed ? command.Code() : std::string();
    int32_t station = parsed ? command.Station() : 0;
    int32_t number = 0;
    int32_t value = 0;
    if (parsed && command.ParamWrite(number, value)) {
        Group(Kind::kWrite, station).sent.Set(number, value);
    } else if (code == "COP" || code == "PSV") {
        Group(Kind::kWrite, station);
    } else if (code == "PDF") {
        Single(Kind::kInit, station);
    } else if (origin == TxLineObserver::Origin::kVersion) {
        Group(Kind::kVersion, station);
    } else if (origin == TxLineObserver::Origin::kManual) {
        Single(Kind::kSend, station);
    } else {
        // A read (recorded when it ends) or a tool's poll (the tool records its result).
        Single(std::nullopt, station);
    }
    Pending& last = m_pending.back();
    last.queued.push_back(line);
    // PSV ends a write group, FRD 1 a version's questions: the entry need
    // not wait for a line that comes after (veld-para's version has none).
    bool versionDone = origin == TxLineObserver::Origin::kVersion && code == "FRD" &&
                       command.Args() == std::vector<std::string>{"1"};
    if (code == "PSV" || versionDone) last.closed = true;
}

SessionJournal::Pending& SessionJournal::Group(Kind kind, int32_t station) {
    if (!m_pending.empty()) {
        Pending& last = m_pending.back();
        if (!last.closed && last.kind == kind && last.station == station) return last;
    }
    return Single(kind, station, false);
}

SessionJournal::Pending& SessionJournal::Single(std::optional<Kind> kind, int32_t station,
                                                bool closed) {
    if (!m_pending.empty()) m_pending.back().closed = true;
    Pending pending;
    pending.kind = kind;
    pending.station = station;
    pending.closed = closed;
    m_pending.push_back(std::move(pending));
    return m_pending.back();
}

void SessionJournal::EndWriteGroup(int32_t station) {
    if (m_pending.empty()) return;
    Pending& last = m_pending.back();
    if (last.kind != Kind::kWrite || last.station != station) return;
    // PWR lines alone: SET mode's when they set the mode flag and nothing else.
    if (last.sent.Numbers() == std::vector<int32_t>{kSetModeFlag}) last.kind = Kind::kSetMode;
    last.closed = true;
}

void SessionJournal::LineGone(const TxLineWriter::Gone& gone, Clock::time_point now) {
    FinishCollecting();
    if (gone.fate == TxLineWriter::Fate::kFailed) {
        SentCommand command;
        std::optional<int32_t> station;
        if (SentCommand::Parse(gone.line, command)) station = command.Station();
        Post(JournalRecord::Failure(station, "write failed",
                                    Json{{"line", JournalRecord::LineText(gone.line)}}));
    }
    if (m_pending.empty()) return;
    Pending& front = m_pending.front();
    front.gone.push_back(gone);
    if (front.gone.size() < front.queued.size()) return;
    if (!front.closed && &front == &m_pending.back()) return;
    Pending done = std::move(front);
    m_pending.pop_front();
    if (!done.kind) return;
    bool keepsReplies = *done.kind == Kind::kVersion || *done.kind == Kind::kSend;
    if (keepsReplies && Written(done.gone.back())) {
        m_collecting = std::move(done);
        m_lastReply = now;
    } else {
        Post(Describe(done));
    }
}

void SessionJournal::LineReceived(const std::string& line) {
    if (m_collecting) m_collecting->replies.push_back(line);
}

void SessionJournal::Poll(Clock::time_point now) {
    TakeOutcomes();
    if (m_collecting && m_collecting->replies.size() != m_nRepliesSeen) {
        m_nRepliesSeen = m_collecting->replies.size();
        m_lastReply = now;
    }
    if (m_collecting && now - m_lastReply >= ReplyWaits::kRecordedReplies) FinishCollecting();
}

void SessionJournal::FinishCollecting() {
    if (!m_collecting) return;
    Post(Describe(*m_collecting));
    m_collecting.reset();
    m_nRepliesSeen = 0;
}

JournalRecord SessionJournal::Describe(const Pending& pending) const {
    if (*pending.kind == Kind::kWrite || *pending.kind == Kind::kSetMode) {
        auto read = m_lastRead.find(pending.station);
        std::optional<ParamSet> before;
        if (read != m_lastRead.end()) before = read->second;
        bool cop = false;
        bool psv = false;
        for (const TxLineWriter::Gone& gone : pending.gone) {
            SentCommand command;
            if (!Written(gone) || !SentCommand::Parse(gone.line, command)) continue;
            cop = cop || command.Code() == "COP";
            psv = psv || command.Code() == "PSV";
        }
        JournalRecord record =
            JournalRecord::Write(pending.station, pending.sent, before, pending.gone, cop && psv);
        record.kind = *pending.kind;
        return record;
    }
    Json payload{{"lines", JournalRecord::LineFates(pending.gone)}};
    if (*pending.kind != Kind::kInit) payload["replies"] = pending.replies;
    return JournalRecord::Other(*pending.kind, pending.station, std::move(payload));
}

void SessionJournal::ReadFinished(int32_t station, const ParamSet& reported, bool complete) {
    if (complete) m_lastRead[station] = reported;
    Post(JournalRecord::Read(station, reported, complete));
}

void SessionJournal::ReadBackFinished(int32_t station, const ReadBackReport& report) {
    Post(JournalRecord::ReadBack(station, report));
}

void SessionJournal::Record(JournalRecord record) { Post(std::move(record)); }

void SessionJournal::Post(JournalRecord record) {
    if (!m_writer) return;
    if (!m_session) m_session = std::make_unique<JournalSession>(m_origin, m_port);
    JournalEntry entry = m_session->Entry(std::move(record));
    uint64_t ticket = m_writer->Post(entry);
    m_unconfirmed.emplace(ticket, std::move(entry));
}

bool SessionJournal::WaitRecorded() {
    if (!m_writer) return true;
    FinishCollecting();
    TakeOutcomes();
    for (auto& [ticket, entry] : m_unconfirmed) {
        JournalWriter::Outcome outcome = m_writer->Wait(ticket);
        if (!outcome.recorded) {
            m_reason = outcome.reason;
            m_failed.push_back(std::move(entry));
        }
    }
    m_unconfirmed.clear();
    return m_failed.empty();
}

void SessionJournal::TakeOutcomes() {
    if (!m_writer) return;
    for (const JournalWriter::Outcome& outcome : m_writer->TakeOutcomes()) {
        auto posted = m_unconfirmed.find(outcome.ticket);
        if (posted == m_unconfirmed.end()) continue;
        if (!outcome.recorded) {
            m_reason = outcome.reason;
            m_failed.push_back(std::move(posted->second));
        }
        m_unconfirmed.erase(posted);
    }
}

SessionJournal::Verdict SessionJournal::WriteVerdict() {
    if (!m_bRequired) return Verdict::kPass;
    if (!m_writer) return Verdict::kRefuse;
    TakeOutcomes();
    if (!m_unconfirmed.empty()) return Verdict::kHold;
    if (m_failed.empty()) return Verdict::kPass;
    // Posted again as they were, so that the journal holds them once it can.
    std::vector<JournalEntry> failed = std::exchange(m_failed, {});
    for (JournalEntry& entry : failed) {
        uint64_t ticket = m_writer->Post(entry);
        m_unconfirmed.emplace(ticket, std::move(entry));
    }
    return Verdict::kRefuse;
}
