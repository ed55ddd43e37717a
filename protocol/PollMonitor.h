#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "protocol/PollSchedule.h"
#include "protocol/ReplyParser.h"
#include "protocol/RxLineFollower.h"
#include "serial/CTtyPort.h"

// The live monitor's core, shared by the GUI and veld-para: a schedule of
// read commands, and the replies to them taken from the lines the dispatcher
// has consumed (as the received-line echo follows them), each with its time.
class PollMonitor {
  public:
    using Clock = PollSchedule::Clock;

    // One reply to a command of the schedule.
    struct Row {
        int64_t ms = 0;  // since the monitor started
        std::chrono::system_clock::time_point wall;
        ReplyParser::ReplyLine reply;
    };

    // Lines consumed before the start are not the monitor's.
    PollMonitor(const CTtyPort& port, int32_t station, const std::vector<PollCommand>& commands,
                int intervalMs, Clock::time_point start);

    // The replies to the commands among the lines consumed since the last call.
    std::vector<Row> TakeReplies(Clock::time_point now);
    PollSchedule::Slot Tick(Clock::time_point now, TxQueue& queue) {
        return m_schedule.Tick(now, queue);
    }
    bool Settle(Clock::time_point now) { return m_schedule.Settle(now); }
    const PollSchedule& Schedule() const { return m_schedule; }

  private:
    RxLineFollower m_follower;
    PollSchedule m_schedule;
    Clock::time_point m_start;
};
