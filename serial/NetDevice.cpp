#include "serial/NetDevice.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr uint8_t kDtrOn = 8;
constexpr uint8_t kDtrOff = 9;
constexpr uint8_t kRtsOn = 11;
constexpr char kIac = static_cast<char>(255);

int MsLeft(NetDevice::Clock::time_point deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - NetDevice::Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

bool NetDevice::Open(const std::string& name) {
    Close();
    m_openText.clear();
    std::optional<NetAddress> address = NetAddress::Parse(name);
    if (!address) return Fail(EINVAL);
    m_deadline = Clock::now() + kOpenTimeout;
    int error = 0;
    m_fd = NetConnector::Connect(*address, m_deadline, error);
    if (m_fd < 0) return Fail(error);
    if (address->kind == NetAddress::Kind::kRfc2217) {
        m_telnet = std::make_unique<TelnetComPort>();
        if (!Negotiate()) {
            Close();
            return false;
        }
    }
    return true;
}

bool NetDevice::Negotiate() {
    m_telnet->Negotiate();
    if (!SendTelnetOutput()) return false;
    return AwaitServer([this] { return m_telnet->Options() == TelnetComPort::Agreement::kAgreed; },
                       kNoTelnet);
}

void NetDevice::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_telnet.reset();
    m_bIacOwed = false;
}

void NetDevice::ReleaseDevice() {
    int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0) return;
    ::dup3(null, m_fd, O_CLOEXEC);
    ::close(null);
}

bool NetDevice::SetLine(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits) {
    if (!LineIsValid(baud, parity, dataBits, stopBits)) return Fail(EINVAL);
    if (!IsTelnet()) return true;
    m_telnet->SendLine(baud, parity, dataBits, stopBits);
    if (!SendTelnetOutput() ||
        !AwaitServer([this] { return m_telnet->LineAnswered(); }, ETIMEDOUT)) {
        return false;
    }
    return m_telnet->LineTaken() || Fail(kLineRefused);
}

bool NetDevice::RaiseDtrRts() {
    if (!IsTelnet()) return true;
    m_telnet->SendControl(kDtrOn);
    m_telnet->SendControl(kRtsOn);
    return SendTelnetOutput();
}

bool NetDevice::DropDtr() {
    if (!IsTelnet()) return true;
    m_telnet->SendControl(kDtrOff);
    return SendTelnetOutput();
}

bool NetDevice::Purge() {
    if (!DrainInput()) return false;
    if (!IsTelnet()) return true;
    m_telnet->SendPurge();
    return SendTelnetOutput();
}

bool NetDevice::DrainInput() {
    for (;;) {
        char data[sizeof m_raw];
        ssize_t n = Receive(data, sizeof data);
        if (n > 0) {
            size_t kept = std::min(static_cast<size_t>(n), kOpenTextSize - m_openText.size());
            m_openText.append(data, kept);
            // A server that never falls quiet holds the open no longer than its time.
            if (MsLeft(m_deadline) > 0) continue;
            return true;
        }
        if (n == 0) return Fail(kClosed);
        if (errno != EAGAIN && errno != EINTR) return Fail(errno);
        return !IsTelnet() || SendTelnetOutput();
    }
}

int NetDevice::BytesWaiting() {
    int count = 0;
    if (::ioctl(m_fd, FIONREAD, &count) != 0) {
        Fail(errno);
        return -1;
    }
    return count;
}

ssize_t NetDevice::Read(char* buffer, size_t maximum) {
    ssize_t n = Receive(buffer, maximum);
    // After the open the socket's output is the writer's: an option the
    // server asks for mid-session stays off unanswered, as a refusal would leave it.
    if (IsTelnet()) m_telnet->TakeOutput();
    return n;
}

ssize_t NetDevice::Receive(char* buffer, size_t maximum) {
    ssize_t n = ::read(m_fd, IsTelnet() ? m_raw.data() : buffer, std::min(maximum, m_raw.size()));
    // A server that holds back its next piece until this one is acknowledged
    // (Nagle's rule, as ser2net's Telnet side does) is not kept waiting 40 ms
    // for a delayed acknowledgement; the kernel ends quick mode by itself.
    int on = 1;
    if (n > 0) ::setsockopt(m_fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    if (n <= 0 || !IsTelnet()) return n;
    size_t data = m_telnet->Receive(m_raw.data(), static_cast<size_t>(n), buffer);
    // Data of a piece that broke Telnet's rules is not trusted either.
    if (!m_telnet->ProtocolError().empty()) {
        Fail(kTelnetBroken);
        errno = kTelnetBroken;
        return -1;
    }
    if (data > 0) return static_cast<ssize_t>(data);
    errno = EAGAIN;  // only Telnet commands came
    return -1;
}

ssize_t NetDevice::Write(const char* bytes, size_t count) {
    if (!IsTelnet()) return ::send(m_fd, bytes, count, MSG_NOSIGNAL);
    if (m_bIacOwed) {
        if (::send(m_fd, &kIac, 1, MSG_NOSIGNAL) != 1) return -1;
        m_bIacOwed = false;
    }
    std::string escaped = TelnetComPort::Escape(bytes, count);
    ssize_t sent = ::send(m_fd, escaped.data(), escaped.size(), MSG_NOSIGNAL);
    if (sent < 0) return -1;
    // A data byte counts as taken once its first wire byte went out; the
    // second half of a doubled 0xFF is then owed to the next write.
    size_t taken = 0;
    size_t wire = 0;
    while (wire < static_cast<size_t>(sent)) {
        wire += bytes[taken] == kIac ? 2 : 1;
        ++taken;
    }
    m_bIacOwed = wire > static_cast<size_t>(sent);
    return static_cast<ssize_t>(taken);
}

bool NetDevice::SendTelnetOutput() {
    std::string out = m_telnet->TakeOutput();
    size_t done = 0;
    while (done < out.size()) {
        ssize_t n = ::send(m_fd, out.data() + done, out.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return Fail(errno);
        pollfd pfd{m_fd, POLLOUT, 0};
        if (::poll(&pfd, 1, MsLeft(m_deadline)) == 0) return Fail(ETIMEDOUT);
    }
    return true;
}

bool NetDevice::AwaitServer(const std::function<bool()>& done, int timeoutError) {
    for (;;) {
        if (!DrainInput()) return false;
        if (IsTelnet() && m_telnet->Options() == TelnetComPort::Agreement::kRefused) {
            return Fail(kTelnetRefused);
        }
        if (done()) return true;
        pollfd pfd{m_fd, POLLIN | POLLRDHUP, 0};
        int left = MsLeft(m_deadline);
        if (left == 0 || ::poll(&pfd, 1, left) == 0) {
            // Telnet spoken, but not the options asked for, is a refusal too.
            bool spoke = IsTelnet() && m_telnet->SpokeTelnet();
            return Fail(timeoutError == kNoTelnet && spoke ? kTelnetRefused : timeoutError);
        }
    }
}

std::string NetDevice::TelnetError() const {
    return IsTelnet() ? m_telnet->ProtocolError() : std::string();
}

bool NetDevice::ServerCloses(std::chrono::milliseconds wait) {
    m_deadline = Clock::now() + wait;
    return !AwaitServer([] { return false; }, ETIMEDOUT) && m_nError == kClosed;
}

bool NetDevice::Fail(int error) {
    m_nError = error;
    return false;
}
