#include "SimLink.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

constexpr int kWriteStallMs = 1000;

}  // namespace

SimLink::~SimLink() {
    if (m_bPty && m_fd >= 0) ::close(m_fd);
}

bool SimLink::OpenPty(std::string& terminalPath) {
    m_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0 || ::grantpt(m_fd) != 0 || ::unlockpt(m_fd) != 0) return false;
    m_bPty = true;
    // Bytes pass through unchanged, whatever the client sets.
    termios t{};
    if (::tcgetattr(m_fd, &t) != 0) return false;
    ::cfmakeraw(&t);
    if (::tcsetattr(m_fd, TCSANOW, &t) != 0) return false;
    terminalPath = ::ptsname(m_fd);
    return true;
}

bool SimLink::OpenDevice(const std::string& path, uint32_t baud) {
    if (!m_device.Open(path) || !m_device.SetLine(baud, 0, 8, 0) || !m_device.RaiseDtrRts()) {
        return false;
    }
    m_fd = m_device.Fd();
    return true;
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
    // The master side reads EIO while no terminal side is open.
    return m_bPty ? Input::kNoClient : Input::kFailed;
}

void SimLink::Write(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
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
