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

SilentServer::~SilentServer() { ::close(m_fd); }

std::string SilentServer::Name(const char* scheme) const {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(m_port);
}
