#pragma once

#include <chrono>
#include <cstdint>

#include "protocol/ReplyWaits.h"

// Notices a request that the drive left unanswered, without touching what is
// sent: armed with the ring's read index when the request is queued, it tells
// once when ReplyWaits::kFormSilence has passed and the dispatcher has
// consumed no line since.
class ReplyWatch {
  public:
    using Clock = std::chrono::steady_clock;
    void Arm(int32_t readIndex, Clock::time_point now);
    // True once, when the time is up without a consumed line; a consumed line
    // (the read index moved) ends the watch quietly.
    bool Silent(int32_t readIndex, Clock::time_point now);

  private:
    bool m_bArmed = false;
    int32_t m_nReadIndex = 0;
    Clock::time_point m_deadline;
};
