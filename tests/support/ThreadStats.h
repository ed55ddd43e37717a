#pragma once

#include <string>

// Scheduler figures of this process's threads, from /proc.
class ThreadStats {
  public:
    // Voluntary plus involuntary context switches of the thread named `name`
    // (summed over threads of that name), or -1 when none runs.
    static long ContextSwitches(const std::string& name);
};
