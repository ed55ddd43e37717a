#pragma once

#include <cstdint>
#include <string>

// The termios side of the serial channel: one open device file. Every call
// reports failure as false and leaves the errno in Error().
class TtyDevice {
  public:
    // Opens exclusively (TIOCEXCL and flock), non-blocking, no controlling tty.
    bool Open(const std::string& path);
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

    int m_fd = -1;
    int m_nError = 0;
};
