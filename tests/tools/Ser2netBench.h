#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "ToolProcess.h"

// A real ser2net (Debian's /usr/sbin/ser2net) on 127.0.0.1 in front of a
// pseudo-terminal, with a configuration written here: a raw TCP accepter, a
// telnet(rfc2217) accepter and a plain telnet one (Telnet without RFC 2217),
// each on a free port.
class Ser2netBench {
  public:
    Ser2netBench(const std::filesystem::path& dir, const std::string& pty);

    // Whether the three accepters listen, as the kernel tells (a probe
    // connect would open the device and keep it from the next client a moment).
    bool Listening() const;
    // Until no client holds the terminal: ser2net lets go of a client's
    // device a moment after the client left, and turns others away meanwhile.
    bool Idle() const;
    std::string Raw() const { return "tcp://127.0.0.1:" + std::to_string(m_raw); }
    std::string Rfc2217() const { return "rfc2217://127.0.0.1:" + std::to_string(m_rfc2217); }
    std::string PlainTelnet() const {
        return "rfc2217://127.0.0.1:" + std::to_string(m_plainTelnet);
    }
    void Kill() const;

    // A port on 127.0.0.1 that nothing listens on now.
    static uint16_t FreePort();

  private:
    std::string m_pty;
    uint16_t m_raw;
    uint16_t m_rfc2217;
    uint16_t m_plainTelnet;
    std::unique_ptr<ToolProcess> m_server;
};
