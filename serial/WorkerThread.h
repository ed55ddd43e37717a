#pragma once

// Set-up shared by the reader and dispatcher threads.
class WorkerThread {
  public:
    // Names the calling thread (seen in /proc and debuggers) and tries to raise
    // its priority; not every user may, and the work goes on at normal priority.
    static void Prepare(const char* name);
};
