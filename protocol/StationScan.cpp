#include "protocol/StationScan.h"

#include <algorithm>
#include <utility>

#include "protocol/ReplyStation.h"

StationScan::StationScan(const CTtyPort& port, int32_t first, int32_t last,
                         std::chrono::milliseconds wait, ProgressFn progress)
    : m_port(port),
      m_follower(port),
      m_nFirst(first),
      m_nLast(last),
      m_wait(wait),
      m_progress(std::move(progress)),
      m_nCurrent(first) {
    m_follower.SkipConsumed();
}

bool StationScan::ParseAnswer(const std::string& received, Answer& answer) {
    // A drive that ends its lines with CR LF leaves the LF at the next line's start.
    std::string line = received;
    std::erase(line, '\n');
    if (line.size() < 6 || line[0] != '#' || line[2] != '.' || line.compare(3, 3, "FRD") != 0 ||
        (line.size() > 6 && line[6] != ' ')) {
        return false;
    }
    answer.station = ReplyStation::StationOf(line[1]);
    if (answer.station < 0) return false;
    size_t start = line.find_first_not_of(' ', 6);
    std::string fields = start == std::string::npos ? "" : line.substr(start);
    // The reply repeats the asked "0" before the version.
    if (fields.rfind("0 ", 0) == 0) fields = fields.substr(fields.find_first_not_of(' ', 1));
    answer.version = fields;
    answer.line = line;
    return true;
}

void StationScan::Step(TxQueue& queue, Clock::time_point now) {
    if (m_state != State::kRunning) return;
    // The line has left once the queue is empty; its answer may be in already.
    if (m_phase == Phase::kQueued && !queue.HasPending()) {
        m_phase = Phase::kWaiting;
        m_sentAt = now;
    }
    TakeReplies();
    if (!m_port.IsConnected()) {
        m_state = State::kLost;
        return;
    }
    if (m_phase == Phase::kWaiting && now - m_sentAt >= m_wait) EndWait(nullptr);
    if (m_phase != Phase::kIdle) return;
    if (m_nCurrent > m_nLast) {
        m_state = State::kFinished;
        return;
    }
    queue.QueueCommand(TxQueue::CommandLine(m_nCurrent, "FRD", "0"));
    m_phase = Phase::kQueued;
}

void StationScan::Cancel() {
    if (m_state == State::kRunning) m_state = State::kCancelled;
}

void StationScan::TakeReplies() {
    for (std::string line; m_follower.Next(line);) {
        Answer answer;
        if (ParseAnswer(line, answer)) Record(answer);
    }
}

void StationScan::Record(const Answer& answer) {
    // Only stations already asked: anything else on the line is not an answer.
    // The station whose line is queued counts too: the writer tells a line
    // gone only after its pause, and the answer may be in by then.
    bool asked = answer.station >= m_nFirst && answer.station <= m_nCurrent &&
                 (answer.station < m_nCurrent || m_phase != Phase::kIdle);
    bool known = std::any_of(m_answers.begin(), m_answers.end(),
                             [&](const Answer& a) { return a.station == answer.station; });
    if (!asked || known) return;
    m_answers.push_back(answer);
    if (answer.station == m_nCurrent) {
        EndWait(&m_answers.back());
    } else if (m_progress) {
        m_progress({answer.station, m_nDone, Total(), &m_answers.back()});
    }
}

void StationScan::EndWait(const Answer* answer) {
    int32_t station = m_nCurrent;
    ++m_nDone;
    ++m_nCurrent;
    m_phase = Phase::kIdle;
    if (m_progress) m_progress({station, m_nDone, Total(), answer});
}
