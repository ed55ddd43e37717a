#pragma once

#include <atomic>

// m_bRefreshParams: raised by whoever changes table values, taken by the
// form's tick, which clears it before it reads the table so no raise is lost.
class RefreshFlag {
  public:
    void Raise() { m_bRefreshParams.store(true, std::memory_order_release); }
    bool Take() { return m_bRefreshParams.exchange(false, std::memory_order_acq_rel); }
    bool IsRaised() const { return m_bRefreshParams.load(std::memory_order_acquire); }

  private:
    std::atomic<bool> m_bRefreshParams{false};
};
