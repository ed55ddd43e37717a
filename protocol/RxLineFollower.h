#pragma once

#include <cstdint>
#include <string>

#include "serial/CTtyPort.h"

// Follows the received-line ring behind the dispatcher: hands out each line
// the dispatcher has consumed, in order, as the form's echo does.
class RxLineFollower {
  public:
    explicit RxLineFollower(const CTtyPort& port) : m_ring(port.Ring()) {}

    // The next consumed line without its carriage return; false when none waits.
    bool Next(std::string& line);
    // Passes over the lines consumed so far.
    void SkipConsumed() { m_nRxEchoRead = m_ring.ReadIndex(); }
    // A new connection: the ring starts again at slot 0.
    void Restart() { m_nRxEchoRead = 0; }

  private:
    const RxLineRing& m_ring;
    int32_t m_nRxEchoRead = 0;
};
