#include "protocol/ResponseDispatcher.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "serial/WorkerThread.h"

ResponseDispatcher::ResponseDispatcher(CTtyPort& port, ParamTable& table, RefreshFlag& refresh,
                                       Notifier& notifier)
    : m_port(port), m_table(table), m_refresh(refresh), m_notifier(notifier) {}

ResponseDispatcher::~ResponseDispatcher() { Stop(); }

bool ResponseDispatcher::Start() {
    if (IsRunning()) return false;
    if (m_dispatchThread.joinable()) m_dispatchThread.join();
    m_bStopDispatch.store(false, std::memory_order_release);
    m_bDispatchDone.store(false, std::memory_order_release);
    m_pDispatchThread.store(&m_dispatchThread, std::memory_order_release);
    m_dispatchThread = std::thread([this] { DispatchThreadProc(); });
    return true;
}

void ResponseDispatcher::RequestStop() {
    m_bStopDispatch.store(true, std::memory_order_release);
    m_port.Ring().Wake();
}

void ResponseDispatcher::Stop() {
    RequestStop();
    if (m_dispatchThread.joinable()) m_dispatchThread.join();
}

void ResponseDispatcher::DispatchThreadProc() {
    WorkerThread::Prepare("veld-dispatch");
    m_bDispatchDone.store(false, std::memory_order_release);
    for (;;) {
        // The signal is read before the stop request and the ring, so a wake or
        // a line that comes after these checks makes the wait return at once.
        uint32_t signal = m_port.Ring().Signal();
        if (m_bStopDispatch.load(std::memory_order_acquire)) break;
        int32_t slot = m_port.Ring().ReadIndex();
        if (slot == m_port.Ring().WriteIndex()) {
            // Idle: sleep until the reader publishes a line or a stop is asked for.
            m_port.Ring().WaitSignal(signal);
            continue;
        }
        DispatchNextLine(slot);
    }
    m_bDispatchDone.store(true, std::memory_order_release);
    m_pDispatchThread.store(nullptr, std::memory_order_release);
}

void ResponseDispatcher::DispatchNextLine(int32_t slot) {
    size_t length = m_port.Ring().CopyLine(slot, m_line, RxLineRing::kSlotSize);
    DispatchLine(m_line, length);
    // A reconnect may have reset the ring meanwhile; then the reset index stands.
    m_port.Ring().AdvanceRead(slot);
}

void ResponseDispatcher::DispatchLine(const char* line, size_t length) {
    std::string_view reply(line, length);
    if (!ReplyParser::TakeReplyLine(reply)) return;
    length = std::min(reply.size(), sizeof m_line - 1);
    if (reply.data() != m_line) std::memmove(m_line, reply.data(), length);
    m_line[length] = '\r';
    const char* pos = m_line + 3;
    m_nReplyCount = 0;
    if (ReplyParser::ParseReply(pos, m_nReplyValue, m_nReplyCount) == ReplyParser::Kind::kPra) {
        ApplyPra();
    }
}

void ResponseDispatcher::ApplyPra() {
    bool badNumber = false;
    int32_t pairs = ReplyParser::ValidPraPairs(m_nReplyValue, m_nReplyCount, badNumber);
    for (int32_t i = 0; i < pairs; ++i) {
        m_table.SetParamValue(m_nReplyValue[2 * i], m_nReplyValue[2 * i + 1]);
    }
    if (badNumber) m_notifier.Notify(Notifier::kAppCaption, "통신처리에러");
    m_refresh.Raise();
}
