#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

// What the serial channel needs of the thing behind a port: a terminal
// device or a network connection. Every call reports failure as false (or -1)
// and leaves the errno in Error(); Read and Write behave as read(2) and
// write(2) on a non-blocking descriptor.
class PortDevice {
  public:
    virtual ~PortDevice() = default;

    virtual bool Open(const std::string& name) = 0;
    // Letting go clears whatever the open claimed (an exclusive flag).
    virtual void Close() = 0;
    // Lets go of the device but keeps the descriptor number valid (it then
    // points at /dev/null), so another thread still using it does no harm.
    virtual void ReleaseDevice() = 0;
    virtual int Fd() const = 0;
    virtual int Error() const = 0;

    // Rate 0, 1.5 stop bits, data bits outside 5..8 and parity codes above 4
    // are refused.
    virtual bool SetLine(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits) = 0;
    virtual bool RaiseDtrRts() = 0;
    virtual bool DropDtr() = 0;
    virtual bool Purge() = 0;
    // Bytes waiting to be read, -1 on failure.
    virtual int BytesWaiting() = 0;
    // Data bytes read; 0 at the end; -1 with EAGAIN when no data is there.
    virtual ssize_t Read(char* buffer, size_t maximum) = 0;
    // Data bytes the device took; -1 with EAGAIN when it takes none now.
    virtual ssize_t Write(const char* bytes, size_t count) = 0;

    static bool LineIsValid(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits) {
        return baud != 0 && dataBits >= 5 && dataBits <= 8 && parity <= 4 &&
               (stopBits == 0 || stopBits == 2);
    }
};
