#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "protocol/PollCommand.h"
#include "protocol/ReplyParser.h"
#include "protocol/TxQueue.h"

// Rounds of read commands at a steady interval, through the form's queue, with
// never more than one round outstanding: while the replies to a round are
// still coming, the slots that fall due stay empty (skipped); a round whose
// replies stop for a second is given up and counted unanswered.
class PollSchedule {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kMinIntervalMs = 100;
    static constexpr int kMaxIntervalMs = 10000;
    static constexpr std::chrono::milliseconds kReplyTimeout{1000};

    enum class Slot { kNotDue, kSent, kSkipped };

    // A command named twice is asked once; the interval is held to 100..10000
    // ms; the first slot is at `start`.
    PollSchedule(int32_t station, const std::vector<PollCommand>& commands, int intervalMs,
                 Clock::time_point start);

    // At a slot, queues a round unless one is outstanding. A caller that comes
    // late does not get the missed slots made up.
    Slot Tick(Clock::time_point now, TxQueue& queue);
    Clock::time_point NextSlot() const { return m_nextSlot; }
    // Gives up the outstanding round when its replies stopped for a second;
    // true when no round is outstanding afterwards.
    bool Settle(Clock::time_point now);

    // True when the reply is one of the commands' (of the outstanding round or
    // a late one) from the station asked; it counts toward the outstanding round.
    bool Take(const ReplyParser::ReplyLine& reply, Clock::time_point now);

    const std::vector<PollCommand>& Commands() const { return m_commands; }
    int IntervalMs() const { return static_cast<int>(m_interval.count()); }
    bool Outstanding() const { return m_bOutstanding; }
    int64_t RoundsSent() const { return m_nSent; }
    int64_t RoundsAnswered() const { return m_nAnswered; }
    int64_t RoundsUnanswered() const { return m_nUnanswered; }
    int64_t RoundsFinished() const { return m_nAnswered + m_nUnanswered; }
    int64_t SlotsSkipped() const { return m_nSkipped; }
    int32_t UnansweredInRow() const { return m_nUnansweredInRow; }

  private:
    void SendRound(Clock::time_point now, TxQueue& queue);

    int32_t m_nStationId;
    std::vector<PollCommand> m_commands;
    std::chrono::milliseconds m_interval;
    Clock::time_point m_nextSlot;

    bool m_bOutstanding = false;
    std::vector<bool> m_answered;
    Clock::time_point m_lastProgress;

    int64_t m_nSent = 0;
    int64_t m_nAnswered = 0;
    int64_t m_nUnanswered = 0;
    int64_t m_nSkipped = 0;
    int32_t m_nUnansweredInRow = 0;
};
