#include "SilentServer.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

SilentServer::SilentServer() : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(m_fd, 4);
    ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size);
    m_port = ntohs(address.sin_port);
}

SilentServer::~SilentServer() {
    // Wakes an accept still waiting.
    ::shutdown(m_fd, SHUT_RDWR);
    if (m_peer.joinable()) m_peer.join();
    ::close(m_fd);
}

std::string SilentServer::Name(const char* scheme) const {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(m_port);
}

void SilentServer::HangUpAfter(std::string trigger, std::string answer) {
    m_peer = std::thread([this, trigger = std::move(trigger), answer = std::move(answer)] {
        int peer = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0) return;
        std::string received;
        char buffer[4096];
        while (received.find(trigger) == std::string::npos) {
            ssize_t got = ::read(peer, buffer, sizeof buffer);
            if (got <= 0) break;
            received.append(buffer, static_cast<size_t>(got));
        }
        // What the peer takes of the answer does not matter: it hangs up next.
        ssize_t written = answer.empty() ? 0 : ::write(peer, answer.data(), answer.size());
        (void)written;
        ::close(peer);
    });
}
