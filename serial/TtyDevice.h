#pragma once

#include <cstdint>
#include <string>

#include "serial/PortDevice.h"

// The termios side of the serial channel: one open device file.
class TtyDevice : public PortDevice {
  public:
    TtyDevice() = default;
    ~TtyDevice() override { Close(); }
    TtyDevice(const TtyDevice&) = delete;
    TtyDevice& operator=(const TtyDevice&) = delete;

    // Opens exclusively (TIOCEXCL and flock), non-blocking, no controlling tty.
    bool Open(const std::string& path) override;
    // Both ways of letting go clear the exclusive flag this object set: on a
    // pseudo-terminal, or a device another process still holds, the flag
    // outlives the descriptor and would refuse every later non-root open.
    void Close() override;
    void ReleaseDevice() override;
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const override { return m_fd; }
    int Error() const override { return m_nError; }

    // Raw mode with the given line.
    bool SetLine(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits) override;
    // The termios control bits for a line format (size, parity, stop bits).
    static uint32_t FormatFlags(uint8_t parity, uint8_t dataBits, uint8_t stopBits);
    // Raising and dropping are accepted on devices without modem lines.
    bool RaiseDtrRts() override;
    bool DropDtr() override;
    bool Purge() override;
    int BytesWaiting() override;
    ssize_t Read(char* buffer, size_t maximum) override;
    ssize_t Write(const char* bytes, size_t count) override;

  private:
    bool Fail();
    bool ModemLines(unsigned long request, int bits);
    bool TakeExclusive();
    void LeaveExclusive();

    int m_fd = -1;
    int m_nError = 0;
    bool m_bExclusiveSet = false;  // this object set the flag, so it clears it
};
