#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

#include "serial/NetDevice.h"
#include "serial/Notifier.h"
#include "serial/RxLineRing.h"
#include "serial/TtyDevice.h"

// The one serial channel to the drive. The reader thread splits received bytes
// into lines (ended by a carriage return) in a ring of 100 slots; the response
// dispatcher consumes the slots in order. The line is a terminal device or a
// network port (tcp://, rfc2217://; see NetDevice).
//
// Open blocks its caller while it connects: up to NetDevice::kOpenTimeout for
// a network port. It touches nothing the reader, the dispatcher or the echo
// use while the port is closed, so a caller that must not wait (the GUI) may
// run Open on a worker thread of its own, as long as no Close or WriteBlock on
// the same port runs meanwhile, and read LastOpenError after that thread.
class CTtyPort : private RxLineRing::Events {
  public:
    static constexpr std::chrono::milliseconds kWriteStall{2000};

    explicit CTtyPort(Notifier& notifier);
    CTtyPort(const CTtyPort&) = delete;
    CTtyPort& operator=(const CTtyPort&) = delete;
    virtual ~CTtyPort();

    void SetReadInterval(uint32_t ms);
    // Opens the line a port text names (see PortText and PortMap).
    bool OpenFromText(const std::string& text);
    bool Open(const std::string& device, uint32_t baud, uint8_t parity, uint8_t dataBits,
              uint8_t stopBits);
    bool Close();
    uint32_t ReadBlock(char* buffer, uint32_t maximum);
    // Every byte, or a report: a write that fails or stalls is "TTY Error!"
    // with "<CE-errno>"; a device that is gone (hung up, connection closed)
    // is a lost device, as when the reader finds it gone.
    uint32_t WriteBlock(const char* bytes, uint32_t count);

    bool IsConnected() const { return m_bConnected.load(std::memory_order_acquire); }
    bool IsReaderRegistered() const {
        return m_pReaderThread.load(std::memory_order_acquire) != nullptr;
    }
    // errno of the last failed Open (ENOENT, EACCES, EBUSY, ... and NetDevice's
    // codes for a network port), 0 after a good one.
    int LastOpenError() const { return m_nOpenError; }

    // The received lines, for their consumers.
    const RxLineRing& Ring() const { return m_ring; }
    // The dispatcher moves the ring's read index.
    RxLineRing& Ring() { return m_ring; }

  protected:
    // The reader's splitting of received bytes into ring slots. Protected so
    // that bytes can be fed without a device (the fuzz target does), never
    // while the reader runs.
    void StoreBytes(const char* bytes, uint32_t count);
    // A line that filled its slot is reported once for each run of bytes
    // without a line end, when the run ends: at the line end, or when the line
    // falls quiet for the read interval. This ends a run.
    void EndOverflowRun();

  private:
    enum class Wake { kInput, kWoken, kQuiet, kLost };

    uint32_t ReaderThreadProc();
    Wake WaitForInput();
    void OnSlotFull() override { ++m_nOverflows; }
    void OnLineEnd() override { EndOverflowRun(); }
    void ReleaseLostDevice();
    // Why a network port's connection was ended by this side.
    void ReportTelnetError(const std::string& error);
    void WriteFailed(int error);
    void ReportWriteError(int error);
    void ReleaseDeviceFiles();
    void JoinFinishedReader();

    Notifier& m_notifier;

    std::atomic<uint32_t> m_nReadInterval{5};
    std::atomic<bool> m_bConnected{false};
    TtyDevice m_tty;
    NetDevice m_net;
    PortDevice* m_hComm = &m_tty;  // the one of the two that the open named
    // A write found the device gone; the reader lets go of it.
    std::atomic<bool> m_bLostByWrite{false};
    // A write is under way: a lost device is let go of only after it, so a
    // write that began on the line ends on it, and is counted as it went.
    std::atomic<bool> m_bWriting{false};
    int m_wakeEvent = -1;  // eventfd that Close signals to release the reader's wait
    std::thread m_readerThread;
    std::atomic<std::thread*> m_pReaderThread{nullptr};
    RxLineRing m_ring;

    // Reader thread only.
    char m_rxBuffer[RxLineRing::kSlotSize] = {};
    bool m_bReadFailed = false;
    bool m_bTelnetBroken = false;  // the failed read found the server's Telnet broken
    uint32_t m_nOverflows = 0;     // slot fills in the current run

    int m_nOpenError = 0;
};
