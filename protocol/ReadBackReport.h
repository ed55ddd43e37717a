#pragma once

#include <cstdint>
#include <vector>

#include "params/ParamComparison.h"
#include "params/ParamSet.h"
#include "protocol/PraReplyTracker.h"

// What a write group sent against what the PRA read after it found: the
// drive holds a value when the read carried it back as it was sent. Nothing
// relies on the drive acknowledging PWR, COP or PSV.
class ReadBackReport {
  public:
    enum class Outcome {
        kConfirmed,        // every value sent came back as sent
        kMismatch,         // every one came back, some not as sent
        kNoCompleteReply,  // some did not come back (no reply, lost pairs, 통신처리에러)
    };

    // "confirmed", "mismatch", "no complete reply": as reports and the journal name it.
    static const char* ResultName(Outcome outcome);

    // `lastGroup`: the number of the last write group read back (WriteGuard numbers them).
    ReadBackReport(const ParamSet& sent, const PraReplyTracker& read, uint64_t lastGroup = 0);

    Outcome Result() const { return m_outcome; }
    // Over the numbers sent: a = sent, b = what came back.
    const ParamComparison& Comparison() const { return m_comparison; }
    int SentCount() const { return static_cast<int>(m_comparison.Rows().size()); }
    int ConfirmedCount() const { return SentCount() - m_comparison.Differences(); }
    // The sent numbers that did not come back.
    const std::vector<int32_t>& Missing() const { return m_missing; }
    // A reply named a parameter outside 0..109 ("통신처리에러"), which cut it short.
    bool BadNumberSeen() const { return m_bBadNumber; }
    // Whether write group `group` was read back by now: groups are read back
    // in the order they end, so the first report that covers it reads it back.
    bool Covers(uint64_t group) const { return group <= m_nLastGroup; }

  private:
    ParamComparison m_comparison;
    std::vector<int32_t> m_missing;
    bool m_bBadNumber;
    uint64_t m_nLastGroup;
    Outcome m_outcome;
};
