#include "protocol/PollSchedule.h"

#include <algorithm>

#include "protocol/ReplyStation.h"

PollSchedule::PollSchedule(int32_t station, const std::vector<PollCommand>& commands,
                           int intervalMs, Clock::time_point start)
    : m_nStationId(station),
      m_interval(std::clamp(intervalMs, kMinIntervalMs, kMaxIntervalMs)),
      m_nextSlot(start) {
    for (const PollCommand& command : commands) {
        if (std::find(m_commands.begin(), m_commands.end(), command) == m_commands.end()) {
            m_commands.push_back(command);
        }
    }
}

PollSchedule::Slot PollSchedule::Tick(Clock::time_point now, TxQueue& queue) {
    if (now < m_nextSlot) return Slot::kNotDue;
    while (m_nextSlot <= now) m_nextSlot += m_interval;
    if (!Settle(now)) {
        ++m_nSkipped;
        return Slot::kSkipped;
    }
    SendRound(now, queue);
    return Slot::kSent;
}

bool PollSchedule::Settle(Clock::time_point now) {
    if (!m_bOutstanding) return true;
    if (now - m_lastProgress < kReplyTimeout) return false;
    m_bOutstanding = false;
    ++m_nUnanswered;
    ++m_nUnansweredInRow;
    return true;
}

void PollSchedule::SendRound(Clock::time_point now, TxQueue& queue) {
    for (const PollCommand& command : m_commands) queue.QueueCommand(command.Line(m_nStationId));
    m_answered.assign(m_commands.size(), false);
    m_bOutstanding = !m_commands.empty();
    m_lastProgress = now;
    ++m_nSent;
}

bool PollSchedule::Take(const ReplyParser::ReplyLine& reply, Clock::time_point now) {
    // Another drive on the line answers for itself.
    if (ReplyStation::StationOf(reply.station) != m_nStationId) return false;
    auto command = std::find_if(m_commands.begin(), m_commands.end(),
                                [&](const PollCommand& c) { return c.IsAnsweredBy(reply); });
    if (command == m_commands.end()) return false;
    size_t index = static_cast<size_t>(command - m_commands.begin());
    if (!m_bOutstanding || m_answered[index]) return true;
    m_answered[index] = true;
    m_lastProgress = now;
    if (std::all_of(m_answered.begin(), m_answered.end(), [](bool done) { return done; })) {
        m_bOutstanding = false;
        ++m_nAnswered;
        m_nUnansweredInRow = 0;
    }
    return true;
}
