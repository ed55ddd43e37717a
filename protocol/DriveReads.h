#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

#include "params/ParamSet.h"
#include "protocol/PraReplyTracker.h"
#include "protocol/ReplyWaits.h"

// Follows the drive's reads (PRA) as the queue sends them and the dispatcher
// takes the replies, with one rule for every caller: a read is complete once
// every parameter asked for has come from the station asked and the line has
// then been quiet for ReplyWaits::kReadQuiet (at once when all 110 came); it gives up when a
// parameter is still missing and no byte has come for the silence limit
// (kReadSilence unless a caller asks for longer), after kReadLongest in any case, and
// when a reply names a parameter outside 0..109 ("통신처리에러"). Keeps the
// drive's set from the last complete read, apart from the table, which files,
// edits and other stations' replies change.
class DriveReads {
  public:
    using Clock = std::chrono::steady_clock;

    enum class Event { kNone, kComplete, kGaveUp };

    struct Read {
        ParamSet values;
        int32_t station = 0;
        // Tells one complete read from the next.
        uint64_t serial = 0;
    };

    // A PRA to `station` was queued: a new read starts, which `wanted` completes.
    void Start(int32_t station, std::vector<int32_t> wanted, Clock::time_point now);
    // The PRA has left the writer: the waits count from now. A PRA that could
    // not be written gets no reply.
    void Left(bool written, Clock::time_point now);
    // A line the dispatcher consumed.
    void Take(std::string_view line, Clock::time_point now);
    // Bytes arrived: a line is under way.
    void Activity(Clock::time_point now);
    // What became of the read under way by `now`. `closing`: a write or a new
    // read is about to go out, so a read that carried what was asked is
    // complete at once.
    Event Settle(Clock::time_point now, bool closing);
    // A new connection: no read of the drive is known (the line may lead to another one).
    void Forget();
    // A longer silence limit than ReplyWaits::kReadSilence, for a slow line.
    void SetSilence(std::chrono::milliseconds silence) { m_silence = silence; }

    bool Pending() const { return m_bPending; }
    // The replies of the read under way, or of the last one that ended.
    const PraReplyTracker& Replies() const { return m_replies; }
    const std::vector<int32_t>& Wanted() const { return m_wanted; }
    // The last complete read; null before the first.
    const Read* Last() const;

  private:
    Event Finish(Event event);

    std::vector<int32_t> m_wanted;
    PraReplyTracker m_replies;
    Read m_current;
    bool m_bStarted = false;
    bool m_bPending = false;
    bool m_bComplete = false;
    bool m_bUnsent = false;
    Read m_previous;
    bool m_bHavePrevious = false;
    Clock::time_point m_start;
    Clock::time_point m_lastActivity;
    std::chrono::milliseconds m_silence = ReplyWaits::kReadSilence;
    uint64_t m_nextSerial = 1;
};
