#pragma once

#include <cstdint>
#include <string>

#include "serial/TtyDevice.h"

// The simulator's end of the line: the master side of a pseudo-terminal, a
// serial device, or a TCP port that one client at a time connects to.
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
    // Serves raw TCP on "HOST:PORT" (port 0: a free one); `name` is then
    // "tcp://HOST:PORT" with the port taken.
    bool Listen(const std::string& hostPort, std::string& name);

    // The line; -1 while no TCP client is connected.
    int Fd() const { return m_fd; }
    // What else wants the server's attention: the terminal side's opens and
    // closes, or the listening socket; -1 for a serial device.
    int EventFd() const { return m_eventFd; }
    // Takes what EventFd reported: clears an exclusive flag that a client
    // left behind (killed, it could not), or takes a new TCP client.
    void OnEvent();

    // kNoClient: the TCP client went away.
    Input Read(std::string& bytes);
    // Gives up when the line takes nothing for a second.
    void Write(const std::string& bytes);

  private:
    void TakeTerminalEvents();
    void AcceptClient();

    int m_fd = -1;
    bool m_bOwnsFd = false;  // the pseudo-terminal's master or the TCP client
    TtyDevice m_device;
    // A pseudo-terminal: the simulator's own descriptor of the terminal side,
    // which keeps the terminal (and its flags) reachable, and how many other
    // descriptors are open on it, as inotify tells.
    int m_terminalFd = -1;
    int m_nClientOpens = 0;
    // inotify for a pseudo-terminal, the listening socket for TCP.
    int m_eventFd = -1;
    int m_listenFd = -1;
};
