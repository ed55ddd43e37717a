#include "SimLink.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "serial/NetAddress.h"

namespace {

constexpr int kWriteStallMs = 1000;
constexpr int kListenBacklog = 4;

void CloseIfOpen(int fd) {
    if (fd >= 0) ::close(fd);
}

}  // namespace

SimLink::~SimLink() {
    if (m_bOwnsFd) CloseIfOpen(m_fd);
    CloseIfOpen(m_terminalFd);
    CloseIfOpen(m_eventFd);
}

bool SimLink::OpenPty(std::string& terminalPath) {
    m_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0 || ::grantpt(m_fd) != 0 || ::unlockpt(m_fd) != 0) return false;
    m_bOwnsFd = true;
    // Bytes pass through unchanged, whatever the client sets.
    termios t{};
    if (::tcgetattr(m_fd, &t) != 0) return false;
    ::cfmakeraw(&t);
    if (::tcsetattr(m_fd, TCSANOW, &t) != 0) return false;
    terminalPath = ::ptsname(m_fd);
    // Opened before any client can set the exclusive flag, so that the flag
    // of a client that could not clear it can be cleared through this one.
    m_terminalFd = ::open(terminalPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    m_eventFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return m_terminalFd >= 0 && m_eventFd >= 0 &&
           ::inotify_add_watch(m_eventFd, terminalPath.c_str(), IN_OPEN | IN_CLOSE) >= 0;
}

bool SimLink::OpenDevice(const std::string& path, uint32_t baud) {
    if (!m_device.Open(path) || !m_device.SetLine(baud, 0, 8, 0) || !m_device.RaiseDtrRts()) {
        return false;
    }
    m_fd = m_device.Fd();
    return true;
}

bool SimLink::Listen(const std::string& hostPort, std::string& name) {
    std::optional<NetAddress> address =
        NetAddress::ParseHostPort(hostPort, NetAddress::Kind::kRawTcp);
    if (!address) {
        errno = EINVAL;
        return false;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (::getaddrinfo(address->host.c_str(), std::to_string(address->port).c_str(), &hints,
                      &found) != 0) {
        errno = EADDRNOTAVAIL;
        return false;
    }
    m_listenFd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int on = 1;
    bool listening = m_listenFd >= 0 &&
                     ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
                     ::bind(m_listenFd, found->ai_addr, found->ai_addrlen) == 0 &&
                     ::listen(m_listenFd, kListenBacklog) == 0;
    ::freeaddrinfo(found);
    m_eventFd = m_listenFd;
    if (!listening) return false;
    sockaddr_storage bound{};
    socklen_t size = sizeof bound;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&bound), &size);
    // The port as taken: a free one for port 0.
    address->port =
        ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(bound).sin6_port
                                          : reinterpret_cast<const sockaddr_in&>(bound).sin_port);
    name = address->Name();
    return true;
}

void SimLink::OnEvent() {
    if (m_listenFd >= 0) {
        AcceptClient();
    } else {
        TakeTerminalEvents();
    }
}

void SimLink::TakeTerminalEvents() {
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = ::read(m_eventFd, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->mask & IN_OPEN) ++m_nClientOpens;
            if (event->mask & IN_CLOSE) --m_nClientOpens;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    int set = 0;
    if (m_nClientOpens > 0 || ::ioctl(m_terminalFd, TIOCGEXCL, &set) != 0 || set == 0) return;
    ::ioctl(m_terminalFd, TIOCNXCL);
    std::fprintf(stderr, "veld-drive-sim: cleared the exclusive flag a client left behind\n");
}

void SimLink::AcceptClient() {
    int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client < 0) return;
    // One client at a time, as on a line: a second one is closed at once.
    if (m_fd >= 0) {
        ::close(client);
        return;
    }
    m_fd = client;
    m_bOwnsFd = true;
}

SimLink::Input SimLink::Read(std::string& bytes) {
    char buffer[4096];
    ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n > 0) {
        bytes.assign(buffer, static_cast<size_t>(n));
        return Input::kData;
    }
    bytes.clear();
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return Input::kData;
    if (m_listenFd < 0) return Input::kFailed;
    ::close(m_fd);
    m_fd = -1;
    return Input::kNoClient;
}

void SimLink::Write(const std::string& bytes) {
    size_t done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        // SIGPIPE is ignored: a client gone reads as EPIPE.
        ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return;
        pollfd pfd{m_fd, POLLOUT, 0};
        if (::poll(&pfd, 1, kWriteStallMs) <= 0) return;
    }
}
