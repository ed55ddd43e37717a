#pragma once

#include <chrono>
#include <string>

#include "serial/NetAddress.h"

// Resolves a network port's host and connects to it, giving up at a
// deadline: the name lookup runs on a helper thread (the resolver has no
// time limit of its own), the connect is non-blocking. Holds no state, so
// any thread may call it.
class NetConnector {
  public:
    using Clock = std::chrono::steady_clock;
    // What a failed connect leaves in `error` for a host name that does not
    // resolve; the others are errno values (ECONNREFUSED, ETIMEDOUT, ...).
    static constexpr int kUnresolved = ENXIO;

    // A connected non-blocking socket, or -1 with `error` set.
    static int Connect(const NetAddress& address, Clock::time_point deadline, int& error);
};
