#include "ParaSession.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <thread>

#include "journal/JournalRecord.h"

namespace {

std::atomic<int> g_nStopSignal{0};

void Stop(int signal) { g_nStopSignal.store(signal, std::memory_order_relaxed); }

}  // namespace

void ParaSession::StopOnSignals() {
    std::signal(SIGINT, Stop);
    std::signal(SIGTERM, Stop);
}

int ParaSession::StopSignal() { return g_nStopSignal.load(std::memory_order_relaxed); }

ParaSession::ParaSession(ParamTable& table, bool quiet)
    : m_bQuiet(quiet), m_session(table, m_refresh, *this, *this, *this) {
    m_session.SetStopAfterWriteFailure(true);
    m_session.AddListener(this);
}

ParaSession::~ParaSession() {
    m_session.RemoveListener(this);
    if (m_bLossUntold) {
        std::fprintf(stderr,
                     "veld-para: the port was lost after the drive's last reply (device gone, or "
                     "connection closed)\n");
    }
}

bool ParaSession::Open(const std::string& port, const std::string& baud) {
    if (!m_session.OpenFromText(DriveSession::PortText(port, baud))) return false;
    m_session.StartDispatcher();
    return true;
}

void ParaSession::OnLineReceived(const std::string& received) {
    m_bReplied = true;
    // A drive that ends its lines with CR LF leaves the LF at the next line's start.
    std::string line = received;
    std::erase(line, '\n');
    if (!m_bQuiet) std::fprintf(stderr, "< %s\n", line.c_str());
    if (m_bToStdout) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
}

void ParaSession::OnLineGone(const TxLineWriter::Gone& gone) {
    if (gone.fate == TxLineWriter::Fate::kWritten && !m_bQuiet) {
        std::fprintf(stderr, "> %s\n", gone.line.substr(0, gone.line.size() - 1).c_str());
    }
    m_lines.push_back(gone);
}

void ParaSession::OnReadFinished(bool complete) {
    m_bReadFinished = true;
    m_bReadComplete = complete;
}

void ParaSession::OnReadBackFinished(const ReadBackReport& report) { m_readBack = report; }

void ParaSession::OnJournalRefused(const std::string& reason) {
    m_bJournalRefused = true;
    m_journalReason = reason;
}

void ParaSession::Notify(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

ParaSession::Outcome ParaSession::Until(const std::function<bool()>& done, bool toStdout) {
    for (;;) {
        m_bToStdout = toStdout;
        m_session.Tick(Clock::now());
        m_bToStdout = false;
        if (int refused = m_session.Queue().TakeRefused()) {
            std::fprintf(stderr, "veld-para: the send queue was full: %d lines were refused\n",
                         refused);
        }
        Outcome outcome = Outcome::kDone;
        switch (m_session.Fault(Clock::now())) {
            case DriveSession::LineFault::kNone:
                if (m_bJournalRefused) return Outcome::kJournalRefused;
                if (done()) return Outcome::kDone;
                if (StopSignal() != 0) outcome = Outcome::kInterrupted;
                break;
            case DriveSession::LineFault::kUndecided:
                break;
            case DriveSession::LineFault::kPortLost:
                outcome = Outcome::kLost;
                break;
            case DriveSession::LineFault::kWriteFailed:
                outcome = Outcome::kWriteFailed;
                break;
        }
        if (outcome != Outcome::kDone) {
            if (outcome == Outcome::kInterrupted) {
                m_session.Journal().Record(JournalRecord::StoppedBy(StopSignal()));
            }
            // What was not written by now never will be: it is told as not sent.
            m_session.GiveUpLines();
            // The caller tells this loss; one before it is then told with it.
            if (outcome == Outcome::kLost) m_bLossUntold = false;
            return outcome;
        }
        std::this_thread::sleep_for(kPollPause);
    }
}

ParaSession::Outcome ParaSession::Flush(bool toStdout) {
    return Until([this] { return !m_session.LinesWaiting(); }, toStdout);
}

ParaSession::Outcome ParaSession::Read(int32_t station, const std::vector<int32_t>& wanted) {
    m_session.QueueRead(station, wanted);
    // After the PRA is queued: the read before it may end as it is.
    m_bReadFinished = false;
    m_bReadComplete = false;
    Outcome outcome = Until([this] { return m_bReadFinished; });
    if (m_bReadComplete) return ResultCame(outcome);
    if (outcome != Outcome::kDone) return outcome;
    return ReadReplies().Replied() ? Outcome::kIncomplete : Outcome::kSilent;
}

ParaSession::Outcome ParaSession::SendWriteGroup(bool readBack) {
    m_readBack.reset();
    Outcome outcome = Flush();
    if (outcome == Outcome::kDone && readBack) {
        outcome = Until([this] { return m_readBack.has_value(); });
    }
    bool readAll = m_readBack && m_readBack->Result() != ReadBackReport::Outcome::kNoCompleteReply;
    return readAll ? ResultCame(outcome) : outcome;
}

ParaSession::Outcome ParaSession::ResultCame(Outcome outcome) {
    if (outcome != Outcome::kLost) return outcome;
    m_bLossUntold = true;
    return Outcome::kDone;
}

ParaSession::Outcome ParaSession::WaitReplies(int waitMs, bool toStdout) {
    Clock::time_point end = Clock::now() + std::chrono::milliseconds(waitMs);
    Outcome outcome = Until([end] { return Clock::now() >= end; }, toStdout);
    if (outcome != Outcome::kDone) return outcome;
    return m_bReplied ? Outcome::kDone : Outcome::kSilent;
}

ParaSession::Outcome ParaSession::Monitor() {
    return Until([] { return StopSignal() != 0; }, true);
}
