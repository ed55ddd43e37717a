#pragma once

#include <cstdint>
#include <string>

// The termios side of the serial channel: one open device file. Every call
// reports failure as false and leaves the errno in Error().
class TtyDevice {
  public:
    TtyDevice() = default;
    ~TtyDevice() { Close(); }
    TtyDevice(const TtyDevice&) = delete;
    TtyDevice& operator=(const TtyDevice&) = delete;

    // Opens exclusively (TIOCEXCL and flock), non-blocking, no controlling tty.
    bool Open(const std::string& path);
    // Both ways of letting go clear the exclusive flag this object set: on a
    // pseudo-terminal, or a device another process still holds, the flag
    // outlives the descriptor and would refuse every later non-root open.
    void Close();
    // Lets go of the device but keeps the descriptor number valid (it then
    // points at /dev/null), so another thread still using it does no harm.
    void ReleaseDevice();
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    int Error() const { return m_nError; }

    // Raw mode with the given line; rate 0, 1.5 stop bits, data bits outside
    // 5..8 and parity codes above 4 are refused.
    bool SetLine(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits);
    // The termios control bits for a line format (size, parity, stop bits).
    static uint32_t FormatFlags(uint8_t parity, uint8_t dataBits, uint8_t stopBits);
    // Raising and dropping are accepted on devices without modem lines.
    bool RaiseDtrRts();
    bool DropDtr();
    bool Purge();
    // Bytes in the input queue, -1 on failure.
    int BytesWaiting();

  private:
    bool Fail();
    bool ModemLines(unsigned long request, int bits);
    bool TakeExclusive();
    void LeaveExclusive();

    int m_fd = -1;
    int m_nError = 0;
    bool m_bExclusiveSet = false;  // this object set the flag, so it clears it
};
