#include "Ser2netBench.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "serial/PortDoctor.h"
#include "support/Eventually.h"

namespace fs = std::filesystem;

namespace {

// Whether /proc/net/tcp lists 127.0.0.1:`port` in state LISTEN (0A).
bool Listens(uint16_t port) {
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", port);
    std::ifstream table("/proc/net/tcp");
    for (std::string line; std::getline(table, line);) {
        if (line.find(std::string(local) + " 00000000:0000 0A") != std::string::npos) return true;
    }
    return false;
}

}  // namespace

Ser2netBench::Ser2netBench(const fs::path& dir, const std::string& pty)
    : m_pty(pty), m_raw(FreePort()), m_rfc2217(FreePort()), m_plainTelnet(FreePort()) {
    fs::path config = dir / "ser2net.yaml";
    std::string connector = "serialdev," + pty + ",115200n81,local";
    std::ofstream(config) << "%YAML 1.1\n---\n"
                          << "connection: &raw\n  accepter: tcp,127.0.0.1," << m_raw
                          << "\n  connector: " << connector << "\n"
                          << "connection: &rfc2217\n  accepter: telnet(rfc2217),tcp,127.0.0.1,"
                          << m_rfc2217 << "\n  connector: " << connector << "\n"
                          << "connection: &telnet\n  accepter: telnet,tcp,127.0.0.1,"
                          << m_plainTelnet << "\n  connector: " << connector << "\n";
    // -n: in the foreground; -u: no UUCP lock files (an ordinary user may not write them).
    m_server = std::make_unique<ToolProcess>(
        std::vector<std::string>{"/usr/sbin/ser2net", "-n", "-u", "-c", config.string(), "-P",
                                 (dir / "ser2net.pid").string()},
        (dir / "ser2net").string());
}

bool Ser2netBench::Listening() const {
    return Eventually(
        [&] { return Listens(m_raw) && Listens(m_rfc2217) && Listens(m_plainTelnet); });
}

bool Ser2netBench::Idle() const {
    return Eventually([&] { return PortDoctor().Examine(m_pty).Ready(); });
}

void Ser2netBench::Kill() const { m_server->Signal(SIGKILL); }

uint16_t Ser2netBench::FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}
