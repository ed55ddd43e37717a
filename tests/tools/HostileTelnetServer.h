#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "SilentServer.h"

// An RFC 2217 server on 127.0.0.1 for one client: it agrees to every option
// asked for, answers each line setting with the value asked, and once the
// client's first data line has come, sends `reply` as it stands (Telnet
// bytes and all); then it holds the connection until the client ends it.
class HostileTelnetServer {
  public:
    explicit HostileTelnetServer(std::string reply);
    ~HostileTelnetServer();
    HostileTelnetServer(const HostileTelnetServer&) = delete;
    HostileTelnetServer& operator=(const HostileTelnetServer&) = delete;

    // "rfc2217://127.0.0.1:PORT".
    std::string Name() const;

  private:
    void Serve();
    // Answers what the client sent; true once a data line ended.
    bool Answer(int client, const std::string& bytes);

    std::string m_reply;
    SilentServer m_listener;
    std::atomic<bool> m_bStop{false};
    std::string m_sub;  // the subnegotiation being read
    int m_state = 0;    // 0 data, 1 after IAC, 2 option byte, 3 in SB, 4 IAC in SB
    std::thread m_thread;
};
