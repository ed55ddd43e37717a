#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "serial/CTtyPort.h"

// Writes the command lines handed over to it, in order, on a thread of its
// own, pausing 10 ms after each, so that the thread that queues them never
// waits on the line. One owner thread hands lines over and takes each one
// back, in order, once it has gone, with what became of it: at once after its
// write, before the pause, so that the drive's reply never comes first. Nothing is locked:
// each index has one writer, and a slot is published by the index that
// follows it.
class TxLineWriter {
  public:
    static constexpr uint32_t kSlots = 256;
    static constexpr int kLinePauseMs = 10;

    enum class Fate : uint8_t {
        kWritten,  // every byte went to the device
        kFailed,   // the write failed or stalled ("TTY Error!")
        kNotSent,  // no port was open, or the line was given up
    };

    // "sent", "failed", "not sent": as reports and the journal name a fate.
    static const char* FateName(Fate fate);

    struct Gone {
        std::string line;  // as handed over, carriage return included
        Fate fate = Fate::kNotSent;
    };

    explicit TxLineWriter(CTtyPort& port);
    ~TxLineWriter();
    TxLineWriter(const TxLineWriter&) = delete;
    TxLineWriter& operator=(const TxLineWriter&) = delete;

    // Owner thread. False when every slot is taken: the line stays with the caller.
    bool Hand(const std::string& line);
    // The next line that has gone, if any.
    bool TakeGone(Gone& gone);
    // Lines handed over and not yet taken back.
    uint32_t Held() const { return m_nHanded - m_nTaken; }
    bool PortOpen() const { return m_port.IsConnected(); }
    // The lines not yet written are given up (they go as kNotSent); returns
    // once the writer is no longer inside a write, so the device may close.
    void GiveUpWaiting();
    // After a failed line every line behind it, handed over then or later, is
    // given up too (for a run that ends at its first failure).
    void SetStopAfterFailure(bool stop) { m_bStopAfterFailure.store(stop); }
    // Called on the writer's thread after each line has gone; set before the
    // first line is handed over.
    void SetGoneWake(std::function<void()> wake);

  private:
    void Run();
    Fate WriteLine(const std::string& line);

    CTtyPort& m_port;
    std::array<std::string, kSlots> m_lines;
    std::array<Fate, kSlots> m_fates{};
    // Counters that only grow; a line's slot is its count modulo kSlots.
    std::atomic<uint32_t> m_nHandedOver{0};   // written by the owner
    std::atomic<uint32_t> m_nGone{0};         // written by the writer
    std::atomic<uint32_t> m_nGiveUpBelow{0};  // written by the owner
    // Moves with every hand-over and with the stop request: the writer sleeps on it.
    std::atomic<uint32_t> m_nWake{0};
    std::atomic<bool> m_bStopAfterFailure{false};
    std::atomic<bool> m_bStop{false};
    uint32_t m_nHanded = 0;  // owner's copy of m_nHandedOver
    uint32_t m_nTaken = 0;   // owner only
    std::function<void()> m_goneWake;
    std::thread m_thread;
};
