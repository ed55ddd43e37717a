#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// The received lines: 100 slots of 2048 bytes, a line to a slot from its first
// byte to its carriage return, which is stored with it. The reader fills the
// slot at the write index and publishes it by moving the index past it; the
// dispatcher consumes the slot at the read index; others (the echo, the
// tools) follow behind the read index. The writer never looks at the read
// index: a reader that laps the dispatcher overwrites unread slots, and when
// the two meet the ring reads as empty. Each index has one writer; slot bytes
// are stored and copied with relaxed atomic byte accesses, so a follower may
// copy a slot the reader is refilling.
class RxLineRing {
  public:
    static constexpr int32_t kSlots = 100;
    static constexpr int32_t kSlotSize = 2048;

    // Told of what the bytes stored do.
    class Events {
      public:
        virtual ~Events() = default;
        // A line reached the slot's size without a carriage return (the
        // carriage return counts).
        virtual void OnSlotFull() = 0;
        // A carriage return ended a line; its slot is published next.
        virtual void OnLineEnd() = 0;
    };

    // The slot after `slot`.
    static int32_t Next(int32_t slot) { return (slot + 1) % kSlots; }

    // The reader's side. Empties the ring: both indices and the offset to 0.
    void Reset();
    // Stores received bytes at the write offset, a line to a slot; a line that
    // fills its slot goes on over its own first bytes.
    void Store(const char* bytes, uint32_t count, Events& events);

    int32_t WriteIndex() const { return m_nRxWrite.load(std::memory_order_acquire); }
    int32_t ReadIndex() const { return m_nRxRead.load(std::memory_order_acquire); }
    // Bytes of the line being received.
    int32_t Offset() const { return m_nRxOffset.load(std::memory_order_relaxed); }
    // The dispatcher's side: moves the read index past `slot`; false when a
    // reset moved it meanwhile (the reset index then stands).
    bool AdvanceRead(int32_t slot);
    // The bytes of `slot` up to, not including, its carriage return, at most
    // `maximum`; the count.
    size_t CopyLine(int32_t slot, char* out, size_t maximum) const;

    // A counter that moves with every published line and every wake: a
    // consumer reads it, looks at the ring, then waits for it to move.
    uint32_t Signal() const { return m_nRxSignal.load(std::memory_order_acquire); }
    void WaitSignal(uint32_t seen) const { m_nRxSignal.wait(seen, std::memory_order_acquire); }
    void Wake();

  private:
    // Mutable: consumers copy lines out through atomic byte loads.
    mutable char m_rxLines[kSlots][kSlotSize] = {};
    std::atomic<int32_t> m_nRxWrite{0};
    std::atomic<int32_t> m_nRxRead{0};
    std::atomic<int32_t> m_nRxOffset{0};
    std::atomic<uint32_t> m_nRxSignal{0};
};
