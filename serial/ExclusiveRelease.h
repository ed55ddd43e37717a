#pragma once

// Clears the exclusive flag (TIOCEXCL) of the terminals this process holds
// when a signal ends it. On a pseudo-terminal the flag outlives the process
// and would refuse every later non-root open. The handlers go only where a
// signal still has its default action, so a program's own handling stays;
// each clears the flags, then lets the signal end the program as before.
class ExclusiveRelease {
  public:
    // Once, early in main.
    static void Install();
    // The descriptors whose flag this process set; safe against a signal.
    static void Add(int fd);
    static void Remove(int fd);
};
