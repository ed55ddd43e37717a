#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

#include "params/ParamSet.h"
#include "protocol/PraReplyTracker.h"

// Follows the drive's reads (PRA) as the queue sends them and the dispatcher
// takes the replies: tells when a read is complete or has given up, and keeps
// the drive's set from the last complete read, apart from the table, which
// files and edits change.
class DriveReads {
  public:
    using Clock = std::chrono::steady_clock;
    // Complete: every listed parameter came, and all 110 did or no line came
    // for this long (a drive may report fewer than 110).
    static constexpr std::chrono::milliseconds kSettle{300};
    // Given up: parameters are missing and no line came for this long.
    static constexpr std::chrono::milliseconds kGiveUp{3000};

    enum class Event { kNone, kComplete, kGaveUp };

    struct Read {
        ParamSet values;
        int32_t station = 0;
        // Tells one complete read from the next.
        uint64_t serial = 0;
    };

    DriveReads();

    // A PRA to `station` was queued: a new read starts.
    void Start(int32_t station, Clock::time_point now);
    // A line the dispatcher consumed.
    void Take(std::string_view line, Clock::time_point now);
    // What became of the read under way by `now`. `closing`: a write or a new
    // read is about to go out, so a read that carried every listed parameter
    // is complete at once.
    Event Settle(Clock::time_point now, bool closing);
    bool Pending() const { return m_bPending; }
    // The last complete read; null before the first.
    const Read* Last() const;

  private:
    Event Finish(Event event);

    std::vector<int32_t> m_listed;
    PraReplyTracker m_replies;
    Read m_current;
    bool m_bStarted = false;
    bool m_bPending = false;
    bool m_bComplete = false;
    Read m_previous;
    bool m_bHavePrevious = false;
    Clock::time_point m_lastLine;
    uint64_t m_nextSerial = 1;
};
