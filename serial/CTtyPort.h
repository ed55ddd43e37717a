#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

#include "serial/Notifier.h"
#include "serial/TtyDevice.h"

// The one serial channel to the drive. The reader thread splits received bytes
// into lines (ended by a carriage return) in a ring of 100 slots; the response
// dispatcher consumes the slots in order.
class CTtyPort {
  public:
    static constexpr int kRxSlots = 100;
    static constexpr int kRxSlotSize = 2048;
    static constexpr int kWriteStallMs = 2000;

    explicit CTtyPort(Notifier& notifier);
    CTtyPort(const CTtyPort&) = delete;
    CTtyPort& operator=(const CTtyPort&) = delete;
    virtual ~CTtyPort();

    void SetReadInterval(uint32_t ms);
    // Opens the line a port text names (see PortText).
    bool OpenFromText(const std::string& text);
    bool Open(const std::string& device, uint32_t baud, uint8_t parity, uint8_t dataBits,
              uint8_t stopBits);
    bool Close();
    uint32_t ReadBlock(char* buffer, uint32_t maximum);
    uint32_t WriteBlock(const char* bytes, uint32_t count);

    bool IsConnected() const { return m_bConnected.load(std::memory_order_acquire); }
    bool IsReaderRegistered() const {
        return m_pReaderThread.load(std::memory_order_acquire) != nullptr;
    }
    // errno of the last failed Open (ENOENT, EACCES, EBUSY, ...), 0 after a good one.
    int LastOpenError() const { return m_nOpenError; }

    // The RxLineRing, for its consumers.
    int32_t RxWriteIndex() const { return m_nRxWrite.load(std::memory_order_acquire); }
    int32_t RxReadIndex() const { return m_nRxRead.load(std::memory_order_acquire); }
    int32_t RxOffset() const { return m_nRxOffset.load(std::memory_order_relaxed); }
    // Moves the read index from `expected` to `next`; false when a reconnect
    // reset the ring meanwhile (the consumer then starts again at the new index).
    bool AdvanceRxRead(int32_t expected, int32_t next);
    // Copies slot bytes up to, not including, the first carriage return, at most
    // `maximum`; returns the count. Safe while the reader refills the slot.
    size_t CopyRxLine(int32_t slot, char* out, size_t maximum) const;

    // A counter that moves with every published line and every wake request:
    // a consumer reads it, checks the ring, and waits for it to move.
    uint32_t RxSignal() const { return m_nRxSignal.load(std::memory_order_acquire); }
    void WaitRxSignal(uint32_t seen) const { m_nRxSignal.wait(seen, std::memory_order_acquire); }
    void WakeRxWaiters();

  protected:
    // The reader's splitting of received bytes into ring slots. Protected so
    // that bytes can be fed without a device (the fuzz target does), never
    // while the reader runs.
    void StoreBytes(const char* bytes, uint32_t count);

  private:
    enum class Wake { kInput, kWoken, kLost };

    uint32_t ReaderThreadProc();
    Wake WaitForInput();
    void PublishLine();
    void ResetRing();
    void ReleaseLostDevice();
    void ReportWriteError(int error);
    void ReleaseDeviceFiles();
    void JoinFinishedReader();

    Notifier& m_notifier;

    std::atomic<uint32_t> m_nReadInterval{5};
    std::atomic<bool> m_bConnected{false};
    TtyDevice m_hComm;
    int m_wakeEvent = -1;  // eventfd that Close signals to release the reader's wait
    std::thread m_readerThread;
    std::atomic<std::thread*> m_pReaderThread{nullptr};
    // Mutable: consumers copy lines out through atomic byte loads.
    mutable char m_rxLines[kRxSlots][kRxSlotSize] = {};
    std::atomic<int32_t> m_nRxWrite{0};
    std::atomic<int32_t> m_nRxRead{0};
    std::atomic<int32_t> m_nRxOffset{0};
    std::atomic<uint32_t> m_nRxSignal{0};

    // Reader thread only.
    char m_rxBuffer[kRxSlotSize] = {};
    bool m_bReadFailed = false;

    int m_nOpenError = 0;
};
