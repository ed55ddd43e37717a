#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "params/ParamSet.h"

// Given the received lines the dispatcher has consumed (an RxLineFollower
// hands them out), records by the dispatcher's own rules which parameter
// numbers and values the PRA replies of one station carried, and whether one
// raised "통신처리에러". Tells a complete read from one that lost lines or
// pairs, and keeps what the drive reported apart from the table, which the
// operator (or another station's reply) may change meanwhile.
class PraReplyTracker {
  public:
    // Takes the replies of `station` only: those whose station character names it.
    explicit PraReplyTracker(int32_t station = 0) : m_nStation(station) {}

    // One consumed line, without its carriage return.
    void Take(std::string_view line);

    int32_t Station() const { return m_nStation; }
    // At least one PRA reply came.
    bool Replied() const { return m_bReplied; }
    // A pair numbered outside 0..109 cut a reply short.
    bool BadNumberSeen() const { return m_bBadNumber; }
    // Those of `numbers` that no PRA reply carried, in their order.
    std::vector<int32_t> Missing(const std::vector<int32_t>& numbers) const;
    // The values carried, the last of each number.
    const ParamSet& Carried() const { return m_carried; }

  private:
    int32_t m_nStation;
    ParamSet m_carried;
    bool m_bReplied = false;
    bool m_bBadNumber = false;
};
