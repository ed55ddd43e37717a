#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "journal/Journal.h"
#include "journal/JournalEntry.h"

// Appends the entries posted to it on a thread of its own, so that the
// thread that posts (the GUI's) never waits on the disk. The poster collects
// each entry's outcome at its own pace, or waits for one (a write must not
// go out before its before-state is recorded). Everything posted is
// appended before it ends.
class JournalWriter {
  public:
    struct Outcome {
        uint64_t ticket = 0;
        bool recorded = false;
        int64_t id = 0;      // when recorded
        std::string reason;  // when not
    };

    explicit JournalWriter(std::unique_ptr<Journal> journal);
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Queues `entry`; its ticket names its outcome.
    uint64_t Post(JournalEntry entry);
    // The outcomes come since the last call, in the order posted (those
    // waited for excepted).
    std::vector<Outcome> TakeOutcomes();
    // Blocks until the entry of `ticket` (one Post gave, whose outcome was not
    // taken yet) is appended or has failed.
    Outcome Wait(uint64_t ticket);

  private:
    void Run();

    std::unique_ptr<Journal> m_journal;  // the writer thread's alone
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::condition_variable m_done;
    std::deque<std::pair<uint64_t, JournalEntry>> m_queue;
    std::vector<Outcome> m_outcomes;
    uint64_t m_nextTicket = 1;
    bool m_stop = false;
    std::thread m_thread;
};
