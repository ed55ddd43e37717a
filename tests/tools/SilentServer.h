#pragma once

#include <cstdint>
#include <string>

// A server on 127.0.0.1 that takes connections (the kernel's backlog does)
// and never answers.
class SilentServer {
  public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    // "SCHEME://127.0.0.1:PORT".
    std::string Name(const char* scheme) const;
    // For a server that does answer: the listening socket, to accept on.
    int ListeningFd() const { return m_fd; }

  private:
    int m_fd;
    uint16_t m_port = 0;
};
