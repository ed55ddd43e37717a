#include "protocol/PollMonitor.h"

#include <optional>
#include <string>

PollMonitor::PollMonitor(const CTtyPort& port, int32_t station,
                         const std::vector<PollCommand>& commands, int intervalMs,
                         Clock::time_point start)
    : m_follower(port), m_schedule(station, commands, intervalMs, start), m_start(start) {
    m_follower.SkipConsumed();
}

std::vector<PollMonitor::Row> PollMonitor::TakeReplies(Clock::time_point now) {
    std::vector<Row> rows;
    for (std::string line; m_follower.Next(line);) {
        std::optional<ReplyParser::ReplyLine> reply = ReplyParser::ParseLine(line);
        if (!reply || !m_schedule.Take(*reply, now)) continue;
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_start);
        rows.push_back({ms.count(), std::chrono::system_clock::now(), std::move(*reply)});
    }
    return rows;
}
