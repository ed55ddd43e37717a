#pragma once

#include <atomic>

#include "serial/Notifier.h"

// The core's operator messages go to stderr; the program goes on at once.
// A "TTY Error!" (a write that failed or stalled) is also remembered.
class StderrNotifier : public Notifier {
  public:
    void Notify(const std::string& caption, const std::string& text) override;

    bool WriteFailed() const { return m_bWriteFailed.load(std::memory_order_acquire); }

  private:
    std::atomic<bool> m_bWriteFailed{false};
};
