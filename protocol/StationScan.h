#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "protocol/ReplyWaits.h"
#include "protocol/RxLineFollower.h"
#include "protocol/TxQueue.h"
#include "serial/CTtyPort.h"

// Asks each station of a range for its firmware version (FRD 0) through the
// queue every line goes through, one station at a time, and collects who
// answered: a reply "#S.FRD ..." whose station character S names the station.
// A station gets its wait from the moment its own line has left; an
// answer ends the wait at once. The caller steps the scan often (a timer, a
// loop); the queue is flushed as it always is.
class StationScan {
  public:
    using Clock = std::chrono::steady_clock;
    enum class State { kRunning, kFinished, kCancelled, kLost };

    struct Answer {
        int32_t station = 0;
        std::string version;  // the reply's fields after the echoed "0": "0105"
        std::string line;     // the reply as received
    };
    // Told when a station's wait ends, and for an answer that comes after it.
    struct Progress {
        int32_t station = 0;
        int done = 0;  // stations whose wait has ended
        int total = 0;
        const Answer* answer = nullptr;  // null: no answer
    };
    using ProgressFn = std::function<void(const Progress&)>;

    // Lines the dispatcher consumed before the scan are not its own.
    StationScan(const CTtyPort& port, int32_t first, int32_t last,
                std::chrono::milliseconds wait = ReplyWaits::kScanStation,
                ProgressFn progress = {});

    void Step(TxQueue& queue, Clock::time_point now);
    // No further station is asked; a line already queued still goes out.
    void Cancel();

    State GetState() const { return m_state; }
    bool IsRunning() const { return m_state == State::kRunning; }
    int32_t First() const { return m_nFirst; }
    int32_t Last() const { return m_nLast; }
    int Total() const { return m_nLast - m_nFirst + 1; }
    // Those that answered, in the order of their answers.
    const std::vector<Answer>& Answers() const { return m_answers; }

    // The station and version of an FRD reply line, false for any other line.
    static bool ParseAnswer(const std::string& line, Answer& answer);

  private:
    enum class Phase { kIdle, kQueued, kWaiting };

    void TakeReplies();
    void Record(const Answer& answer);
    void EndWait(const Answer* answer);

    const CTtyPort& m_port;
    RxLineFollower m_follower;
    int32_t m_nFirst;
    int32_t m_nLast;
    std::chrono::milliseconds m_wait;
    ProgressFn m_progress;

    State m_state = State::kRunning;
    Phase m_phase = Phase::kIdle;
    int32_t m_nCurrent;  // the station asked, or about to be
    int m_nDone = 0;
    Clock::time_point m_sentAt;
    int64_t m_nLine = 0;  // the queue's count of lines with the station's line
    std::vector<Answer> m_answers;
};
