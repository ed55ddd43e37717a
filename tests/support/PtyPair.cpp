#include "support/PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

PtyPair::PtyPair() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    m_slavePath = ::ptsname(m_master);
    // The master side passes bytes through unchanged.
    termios t{};
    ::tcgetattr(m_master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_master, TCSANOW, &t);
}

PtyPair::~PtyPair() { CloseMaster(); }

void PtyPair::Write(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n <= 0) throw std::runtime_error("pty write failed");
        done += static_cast<size_t>(n);
    }
}

std::string PtyPair::Read(size_t count, std::chrono::milliseconds timeout) {
    std::string data;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (data.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[4096];
        ssize_t n = ::read(m_master, buffer, std::min(sizeof buffer, count - data.size()));
        if (n <= 0) break;
        data.append(buffer, static_cast<size_t>(n));
    }
    return data;
}

std::string PtyPair::ReadUntil(const std::string& text, std::chrono::milliseconds timeout) {
    std::string data;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (data.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        data += Read(1, std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now()));
    }
    return data;
}

void PtyPair::CloseMaster() {
    if (m_master >= 0) ::close(m_master);
    m_master = -1;
}
