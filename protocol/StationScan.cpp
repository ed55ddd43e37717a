#include "protocol/StationScan.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "protocol/ReplyParser.h"
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
    std::string_view line = received;
    if (!ReplyParser::TakeReplyLine(line) || line.substr(3, 3) != "FRD" ||
        (line.size() > 6 && line[6] != ' ')) {
        return false;
    }
    answer.station = ReplyStation::StationOf(line[1]);
    if (answer.station < 0) return false;
    // The reply repeats the asked "0" before the version.
    std::string_view fields = line.substr(std::min(line.find_first_not_of(' ', 6), line.size()));
    if (fields.starts_with("0 ")) {
        fields.remove_prefix(std::min(fields.find_first_not_of(' ', 1), fields.size()));
    }
    answer.version = fields;
    answer.line = line;
    return true;
}

void StationScan::Step(TxQueue& queue, Clock::time_point now) {
    if (m_state != State::kRunning) return;
    // Its own line has left, whatever other lines (a monitor's) wait behind
    // it; its answer may be in already.
    if (m_phase == Phase::kQueued && queue.GoneCount() >= m_nLine) {
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
    // A full queue refuses the line: it is asked again at the next step.
    if (!queue.QueueCommand(TxQueue::CommandLine(m_nCurrent, "FRD", "0"))) return;
    m_nLine = queue.QueuedCount();
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
