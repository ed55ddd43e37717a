#include "protocol/TxLineWriter.h"

#include <chrono>
#include <utility>

#include "serial/WorkerThread.h"

namespace {

using Clock = std::chrono::steady_clock;

// Whether count `a` comes before count `b`, also across the wrap at 2^32.
bool Before(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) < 0; }

}  // namespace

TxLineWriter::TxLineWriter(CTtyPort& port) : m_port(port) {
    m_thread = std::thread([this] { Run(); });
}

TxLineWriter::~TxLineWriter() {
    m_bStop.store(true, std::memory_order_release);
    m_nWake.fetch_add(1, std::memory_order_release);
    m_nWake.notify_all();
    m_thread.join();
}

void TxLineWriter::SetGoneWake(std::function<void()> wake) { m_goneWake = std::move(wake); }

bool TxLineWriter::Hand(const std::string& line) {
    if (m_nHanded - m_nTaken >= kSlots) return false;
    m_lines[m_nHanded % kSlots] = line;
    ++m_nHanded;
    m_nHandedOver.store(m_nHanded, std::memory_order_release);
    m_nWake.fetch_add(1, std::memory_order_release);
    m_nWake.notify_all();
    return true;
}

bool TxLineWriter::TakeGone(Gone& gone) {
    if (m_nTaken == m_nGone.load(std::memory_order_acquire)) return false;
    uint32_t slot = m_nTaken % kSlots;
    gone.line = std::move(m_lines[slot]);
    gone.fate = m_fates[slot];
    ++m_nTaken;
    return true;
}

void TxLineWriter::GiveUpWaiting() {
    m_nGiveUpBelow.store(m_nHanded, std::memory_order_release);
    m_nWake.fetch_add(1, std::memory_order_release);
    m_nWake.notify_all();
    // The line in flight finishes (a stalled one within its own bound), the
    // rest go without a write.
    for (uint32_t gone = m_nGone.load(std::memory_order_acquire); gone != m_nHanded;
         gone = m_nGone.load(std::memory_order_acquire)) {
        m_nGone.wait(gone, std::memory_order_acquire);
    }
}

void TxLineWriter::Run() {
    WorkerThread::Prepare("veld-writer");
    uint32_t next = 0;
    bool stopped = false;  // a line failed and nothing behind it may go
    Clock::time_point pauseEnd;
    for (;;) {
        // Read before the checks, so a hand-over after them ends the wait at once.
        uint32_t wake = m_nWake.load(std::memory_order_acquire);
        if (m_bStop.load(std::memory_order_acquire)) break;
        uint32_t handed = m_nHandedOver.load(std::memory_order_acquire);
        if (next == handed) {
            m_nWake.wait(wake, std::memory_order_acquire);
            continue;
        }
        uint32_t slot = next % kSlots;
        // The pause after the line before; a line given up meanwhile is not written.
        std::this_thread::sleep_until(pauseEnd);
        bool givenUp = stopped || Before(next, m_nGiveUpBelow.load(std::memory_order_acquire));
        Fate fate = givenUp ? Fate::kNotSent : WriteLine(m_lines[slot]);
        if (fate != Fate::kNotSent)
            pauseEnd = Clock::now() + std::chrono::milliseconds(kLinePauseMs);
        // Nothing behind a failed line goes out, not even a line handed over
        // later: a write group must not go on half.
        if (fate == Fate::kFailed && m_bStopAfterFailure.load(std::memory_order_relaxed)) {
            stopped = true;
        }
        m_fates[slot] = fate;
        m_nGone.store(++next, std::memory_order_release);
        m_nGone.notify_all();
        if (m_goneWake) m_goneWake();
    }
}

TxLineWriter::Fate TxLineWriter::WriteLine(const std::string& line) {
    if (!m_port.IsConnected()) return Fate::kNotSent;
    uint32_t size = static_cast<uint32_t>(line.size());
    return m_port.WriteBlock(line.data(), size) == size ? Fate::kWritten : Fate::kFailed;
}

const char* TxLineWriter::FateName(Fate fate) {
    switch (fate) {
        case TxLineWriter::Fate::kWritten:
            return "sent";
        case TxLineWriter::Fate::kFailed:
            return "failed";
        case TxLineWriter::Fate::kNotSent:
            break;
    }
    return "not sent";
}
