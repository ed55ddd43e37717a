#include "serial/RxLineRing.h"

namespace {

constexpr char kCarriageReturn = 13;

}  // namespace

void RxLineRing::Reset() {
    m_nRxWrite.store(0, std::memory_order_release);
    m_nRxRead.store(0, std::memory_order_release);
    m_nRxOffset.store(0, std::memory_order_relaxed);
}

void RxLineRing::Store(const char* bytes, uint32_t count, Events& events) {
    int32_t slot = m_nRxWrite.load(std::memory_order_relaxed);
    int32_t offset = m_nRxOffset.load(std::memory_order_relaxed);
    for (uint32_t i = 0; i < count; ++i) {
        char byte = bytes[i];
        std::atomic_ref<char>(m_rxLines[slot][offset]).store(byte, std::memory_order_relaxed);
        ++offset;
        if (offset == kSlotSize) events.OnSlotFull();
        if (byte == kCarriageReturn) {
            events.OnLineEnd();
            offset = 0;
            slot = Next(slot);
            m_nRxOffset.store(0, std::memory_order_relaxed);
            // The slot's bytes before its index: that order publishes it.
            m_nRxWrite.store(slot, std::memory_order_release);
            Wake();
        } else {
            offset %= kSlotSize;
            m_nRxOffset.store(offset, std::memory_order_relaxed);
        }
    }
}

bool RxLineRing::AdvanceRead(int32_t slot) {
    return m_nRxRead.compare_exchange_strong(slot, Next(slot), std::memory_order_acq_rel);
}

size_t RxLineRing::CopyLine(int32_t slot, char* out, size_t maximum) const {
    size_t count = 0;
    char* line = m_rxLines[slot];
    while (count < maximum && count < static_cast<size_t>(kSlotSize)) {
        char byte = std::atomic_ref<char>(line[count]).load(std::memory_order_relaxed);
        if (byte == kCarriageReturn) break;
        out[count++] = byte;
    }
    return count;
}

void RxLineRing::Wake() {
    m_nRxSignal.fetch_add(1, std::memory_order_release);
    m_nRxSignal.notify_all();
}
