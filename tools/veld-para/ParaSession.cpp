#include "ParaSession.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <thread>

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
    : m_bQuiet(quiet),
      m_sentView(quiet),
      m_session(table, m_refresh, m_notifier, m_notifier, m_sentView) {
    m_session.SetStopAfterWriteFailure(true);
    m_session.AddListener(this);
}

ParaSession::~ParaSession() { m_session.RemoveListener(this); }

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
    if (gone.fate == TxLineWriter::Fate::kFailed) m_bWriteFailed = true;
    m_lines.push_back(gone);
}

void ParaSession::OnReadFinished(bool) { m_bReadFinished = true; }

void ParaSession::OnReadBackFinished(const ReadBackReport& report) { m_readBack = report; }

ParaSession::Outcome ParaSession::Step(bool toStdout) {
    m_bToStdout = toStdout;
    m_session.Tick(Clock::now());
    m_bToStdout = false;
    if (int refused = m_session.Queue().TakeRefused()) {
        std::fprintf(stderr, "veld-para: the send queue was full: %d lines were refused\n",
                     refused);
    }
    if (m_bWriteFailed) {
        // A device that went away fails the write it was given too; the reader
        // tells that apart within moments.
        Clock::time_point end = Clock::now() + kLossNotice;
        while (m_session.IsConnected() && Clock::now() < end)
            std::this_thread::sleep_for(kPollPause);
        return m_session.TakePortLost() ? Outcome::kLost : Outcome::kWriteFailed;
    }
    if (m_session.TakePortLost()) return Outcome::kLost;
    return Outcome::kDone;
}

template <class Done>
ParaSession::Outcome ParaSession::RunUntil(Done done, bool toStdout) {
    for (;;) {
        Outcome step = Step(toStdout);
        if (step == Outcome::kDone && done()) return Outcome::kDone;
        if (step == Outcome::kDone && StopSignal() != 0) step = Outcome::kInterrupted;
        if (step != Outcome::kDone) {
            // What was not written by now never will be: it is told as not sent.
            m_session.GiveUpLines();
            return step;
        }
        std::this_thread::sleep_for(kPollPause);
    }
}

ParaSession::Outcome ParaSession::Until(const std::function<bool()>& done) {
    return RunUntil(done);
}

ParaSession::Outcome ParaSession::Flush(bool toStdout) {
    return RunUntil([this] { return !m_session.LinesWaiting(); }, toStdout);
}

ParaSession::Outcome ParaSession::Read(int32_t station, const std::vector<int32_t>& wanted) {
    m_bReadFinished = false;
    m_session.QueueRead(station, wanted);
    Outcome outcome = RunUntil([this] { return m_bReadFinished; });
    if (outcome != Outcome::kDone) return outcome;
    return ReadReplies().Replied() ? Outcome::kDone : Outcome::kSilent;
}

ParaSession::Outcome ParaSession::SendWriteGroup(bool readBack) {
    m_readBack.reset();
    Outcome sent = Flush();
    if (sent != Outcome::kDone || !readBack) return sent;
    return RunUntil([this] { return m_readBack.has_value(); });
}

ParaSession::Outcome ParaSession::WaitReplies(int waitMs, bool toStdout) {
    Clock::time_point end = Clock::now() + std::chrono::milliseconds(waitMs);
    Outcome outcome = RunUntil([end] { return Clock::now() >= end; }, toStdout);
    if (outcome != Outcome::kDone) return outcome;
    return m_bReplied ? Outcome::kDone : Outcome::kSilent;
}

ParaSession::Outcome ParaSession::Monitor() {
    return RunUntil([] { return StopSignal() != 0; }, true);
}
