#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/ReplyParser.h"
#include "serial/CTtyPort.h"
#include "serial/Notifier.h"

// The worker that consumes the port's received lines in order, keeps the
// values of the last recognised reply and applies PRA replies to the table.
class ResponseDispatcher {
  public:
    ResponseDispatcher(CTtyPort& port, ParamTable& table, RefreshFlag& refresh, Notifier& notifier);
    ResponseDispatcher(const ResponseDispatcher&) = delete;
    ResponseDispatcher& operator=(const ResponseDispatcher&) = delete;
    ~ResponseDispatcher();

    // Starts the thread unless one runs already (one consumer of the ring).
    bool Start();
    // Sets m_bStopDispatch and wakes the thread; it ends within one pass.
    void RequestStop();
    // RequestStop, then waits for the thread to acknowledge and end.
    void Stop();
    bool IsRunning() const { return m_pDispatchThread.load(std::memory_order_acquire) != nullptr; }
    bool IsDone() const { return m_bDispatchDone.load(std::memory_order_acquire); }

    // Takes one line apart; `line` holds `length` bytes before its carriage
    // return, which must follow them.
    void DispatchLine(const char* line, size_t length);

    // The last recognised reply; read on the dispatcher thread, or after the
    // ring's read index has moved past the line.
    int32_t ReplyCount() const { return m_nReplyCount; }
    int32_t ReplyValue(int index) const { return m_nReplyValue[index]; }

  private:
    void DispatchThreadProc();
    void DispatchNextLine(int32_t slot);
    void ApplyPra();

    CTtyPort& m_port;
    ParamTable& m_table;
    RefreshFlag& m_refresh;
    Notifier& m_notifier;

    std::thread m_dispatchThread;
    std::atomic<std::thread*> m_pDispatchThread{nullptr};
    std::atomic<bool> m_bStopDispatch{false};
    std::atomic<bool> m_bDispatchDone{false};
    int32_t m_nReplyValue[ReplyParser::kMaxValues] = {};
    int32_t m_nReplyCount = 0;
    // One slot's bytes plus the carriage return the parser stops at.
    char m_line[RxLineRing::kSlotSize + 1] = {};
};
