#include "session/Commissioning.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "params/ParamComparison.h"
#include "protocol/ReplyWaits.h"
#include "protocol/SentCommand.h"
#include "protocol/StationScan.h"

namespace {

// Each state's word in the report and what the operator reads, in the order of State.
struct StateWords {
    const char* result;
    const char* text;
};
constexpr StateWords kStateWords[] = {
    {"waiting", "대기"},           {"reading", "읽는 중"},  {"sending", "전송 중"},
    {"verified", "확인됨"},        {"mismatch", "불일치"},  {"no reply", "응답 없음"},
    {"not reached", "진행 안 됨"}, {"cancelled", "취소됨"},
};
static_assert(std::size(kStateWords) == static_cast<size_t>(Commissioning::State::kCancelled) + 1);

// Why a run ended early: the report's word and what the operator reads.
constexpr StateWords kStopWords[] = {
    {"", ""},
    {"cancelled", "작업자가 취소했습니다"},
    {"port lost", "포트 연결이 끊어졌습니다"},
    {"write failed", "줄을 포트에 쓰지 못했습니다 (TTY Error!)"},
    {"backup failed", "백업을 저장하지 못해 더 보내지 않았습니다"},
    {"report not saved", "보고서를 저장하지 못해 더 보내지 않았습니다"},
};
static_assert(std::size(kStopWords) == static_cast<size_t>(Commissioning::Stop::kReportFailed) + 1);

bool IsWriteLine(const SentCommand& command) {
    return command.Code() == "PWR" || command.Code() == "COP" || command.Code() == "PSV";
}

}  // namespace

Commissioning::Commissioning(DriveSession& session, ParamSet target,
                             const std::vector<int32_t>& stations, bool compareOnly,
                             BackupSaver saveBackup, RecordFn record, ProgressFn progress)
    : m_session(session),
      m_target(std::move(target)),
      m_bCompareOnly(compareOnly),
      m_saveBackup(std::move(saveBackup)),
      m_record(std::move(record)),
      m_progress(std::move(progress)) {
    for (int32_t id : stations) {
        m_stations.emplace_back();
        m_stations.back().id = id;
    }
    m_session.AddListener(this);
    m_session.ForgetFailedLines();
}

Commissioning::~Commissioning() { m_session.RemoveListener(this); }

int Commissioning::FinishedCount() const {
    return static_cast<int>(std::count_if(m_stations.begin(), m_stations.end(),
                                          [](const Station& s) { return s.Finished(); }));
}

void Commissioning::Step(Clock::time_point now) {
    if (!Running()) return;
    switch (m_session.Fault(now)) {
        case DriveSession::LineFault::kPortLost:
            return End(Stop::kPortLost);
        case DriveSession::LineFault::kWriteFailed:
            return End(Stop::kWriteFailed);
        case DriveSession::LineFault::kUndecided:
            return;
        case DriveSession::LineFault::kNone:
            break;
    }
    switch (m_phase) {
        case Phase::kIdle:
            StartStation();
            return;
        case Phase::kRead:
            if (m_readComplete) TakeRead();
            return;
        case Phase::kVersion:
            if (m_bVersionCame ||
                (m_versionLeft && now - *m_versionLeft >= ReplyWaits::kCommissionVersion)) {
                CompareAndSend(true);
            }
            return;
        case Phase::kReadBack:
            if (m_readBack) TakeReadBack();
            return;
    }
}

void Commissioning::StartStation() {
    m_bReached = false;
    m_readComplete.reset();
    m_session.QueueRead(Current().id, m_target.Numbers());
    // After the PRA is queued: an earlier read that ends now is not this one.
    m_phase = Phase::kRead;
    SetState(State::kReading);
}

void Commissioning::TakeRead() {
    Station& station = Current();
    const DriveReads::Read* read = m_session.LastRead();
    if (!*m_readComplete || !read || read->station != station.id) {
        const PraReplyTracker& replies = m_session.Reads().Replies();
        if (replies.Replied()) station.missing = replies.Missing(m_target.Numbers());
        return Finish(State::kNoReply);
    }
    station.before = read->values;
    // The station's backup is the one the session keeps of this read: no
    // second one is taken before the write group.
    station.backup = m_session.SaveLastRead(m_saveBackup);
    // Nothing is written to a drive whose set was not kept: it is compared,
    // and the run ends.
    if (station.backup.empty()) {
        m_stop = Stop::kBackupFailed;
        CompareAndSend(false);
        while (m_nCurrent < m_stations.size()) Finish(State::kNotReached);
        return;
    }
    m_versionLine = TxQueue::CommandLine(station.id, "FRD", "0");
    m_versionLeft.reset();
    m_bVersionCame = false;
    m_session.Queue().QueueCommand(m_versionLine);
    m_phase = Phase::kVersion;
}

void Commissioning::CompareAndSend(bool mayWrite) {
    Station& station = Current();
    ParamComparison comparison(m_target, *station.before, m_target.Numbers());
    std::vector<std::pair<int32_t, int32_t>> writes;
    for (const ParamComparison::Row& row : comparison.Rows()) {
        if (row.differ) writes.emplace_back(row.number, row.a);
    }
    if (writes.empty() || m_bCompareOnly || !mayWrite) {
        station.after = station.before;
        for (const ParamComparison::Row& row : comparison.Rows()) {
            if (row.differ) station.mismatches.push_back({row.number, row.a, row.b, false});
        }
        return Finish(station.mismatches.empty() ? State::kVerified : State::kMismatch);
    }
    m_writes = ParamSet();
    for (const auto& [number, value] : writes) m_writes.Set(number, value);
    m_readBack.reset();
    m_readBackValues.reset();
    SetState(State::kSending);
    m_nGroup = m_session.ReadBackNextGroup();
    m_session.Queue().QueueWriteGroup(station.id, writes);
    m_phase = Phase::kReadBack;
}

void Commissioning::TakeReadBack() {
    Station& station = Current();
    station.after = m_readBackValues;
    const std::vector<int32_t>& missing = m_readBack->Missing();
    for (const ParamComparison::Row& row : m_readBack->Comparison().Rows()) {
        if (!m_writes.Has(row.number)) continue;
        if (std::find(missing.begin(), missing.end(), row.number) != missing.end()) {
            station.missing.push_back(row.number);
        } else if (row.differ) {
            station.mismatches.push_back({row.number, row.a, row.b, true});
        }
    }
    if (!station.missing.empty()) return Finish(State::kNoReply);
    Finish(station.mismatches.empty() ? State::kVerified : State::kMismatch);
}

void Commissioning::SetState(State state) {
    Current().state = state;
    if (m_progress) m_progress(*this, Current());
}

void Commissioning::Finish(State state) {
    SetState(state);
    m_phase = Phase::kIdle;
    ++m_nCurrent;
    // A run that keeps no record goes no further; once it has ended, its
    // owner records the end.
    if (m_stop == Stop::kNone && m_record && !m_record(*this)) End(Stop::kReportFailed);
}

void Commissioning::End(Stop stop) {
    if (!Running()) return;
    m_stop = stop;
    // The lines given up are told as they go, so the station under way lists them.
    m_session.GiveUpLines();
    if (m_phase == Phase::kReadBack && m_readBack) TakeReadBack();
    if (m_phase != Phase::kIdle) {
        State state = !m_bReached                ? State::kNotReached
                      : stop == Stop::kCancelled ? State::kCancelled
                                                 : State::kNoReply;
        Finish(state);
    }
    while (m_nCurrent < m_stations.size()) Finish(State::kNotReached);
}

void Commissioning::OnReadFinished(bool complete) {
    if (m_phase == Phase::kRead) m_readComplete = complete;
}

void Commissioning::OnReadBackFinished(const ReadBackReport& report) {
    // A read-back due before the run began (the form's "전송 후 확인") may report first.
    if (m_phase != Phase::kReadBack || !report.Covers(m_nGroup)) return;
    m_readBack = report;
    // The read-back's PRA is also the session's last read.
    const PraReplyTracker& replies = m_session.Reads().Replies();
    if (replies.Station() == Current().id && replies.Replied()) {
        m_readBackValues = replies.Carried();
    }
}

void Commissioning::OnLineGone(const TxLineWriter::Gone& gone) {
    SentCommand command;
    if (m_phase == Phase::kIdle || !SentCommand::Parse(gone.line, command) ||
        command.Station() != Current().id) {
        return;
    }
    bool written = gone.fate == TxLineWriter::Fate::kWritten;
    if (written) m_bReached = true;
    // A version that cannot be asked is not waited for.
    if (gone.line == m_versionLine && m_phase == Phase::kVersion) m_versionLeft = Clock::now();
    if (!IsWriteLine(command)) return;
    Current().saves.OnLineGone(gone);
    std::string line = gone.line.substr(0, gone.line.size() - 1);
    (written ? Current().sent : Current().unsent).push_back(line);
}

void Commissioning::OnLineReceived(const std::string& line) {
    StationScan::Answer answer;
    if (m_phase != Phase::kVersion || !StationScan::ParseAnswer(line, answer) ||
        answer.station != Current().id) {
        return;
    }
    Current().version = answer.version;
    m_bVersionCame = true;
}

const char* Commissioning::ResultName(State state) {
    return kStateWords[static_cast<size_t>(state)].result;
}

const char* Commissioning::StateText(State state) {
    return kStateWords[static_cast<size_t>(state)].text;
}

const char* Commissioning::StopName(Stop stop) {
    return kStopWords[static_cast<size_t>(stop)].result;
}

const char* Commissioning::StopText(const std::string& name) {
    for (const StateWords& words : kStopWords) {
        if (name == words.result) return words.text;
    }
    return nullptr;
}
