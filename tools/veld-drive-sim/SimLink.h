#pragma once

#include <cstdint>
#include <string>

#include "serial/TtyDevice.h"

// The simulator's end of the line: the master side of a pseudo-terminal, or
// a serial device.
class SimLink {
  public:
    enum class Input { kData, kNoClient, kFailed };

    SimLink() = default;
    SimLink(const SimLink&) = delete;
    SimLink& operator=(const SimLink&) = delete;
    ~SimLink();

    // On success `terminalPath` is the side a client opens.
    bool OpenPty(std::string& terminalPath);
    bool OpenDevice(const std::string& path, uint32_t baud);
    int Fd() const { return m_fd; }

    // kNoClient: nobody holds the terminal side of the pseudo-terminal.
    Input Read(std::string& bytes);
    // Gives up when the line takes nothing for a second.
    void Write(const std::string& bytes);

  private:
    int m_fd = -1;
    bool m_bPty = false;
    TtyDevice m_device;
};
