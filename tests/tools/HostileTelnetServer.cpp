#include "HostileTelnetServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace {

constexpr char kIac = '\xff';
constexpr char kSb = '\xfa';
constexpr char kSe = '\xf0';
constexpr char kComPort = 44;

void SendAll(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

}  // namespace

HostileTelnetServer::HostileTelnetServer(std::string reply) : m_reply(std::move(reply)) {
    m_thread = std::thread([this] { Serve(); });
}

HostileTelnetServer::~HostileTelnetServer() {
    m_bStop = true;
    m_thread.join();
}

std::string HostileTelnetServer::Name() const { return m_listener.Name("rfc2217"); }

void HostileTelnetServer::Serve() {
    pollfd listening{m_listener.ListeningFd(), POLLIN, 0};
    while (!m_bStop && ::poll(&listening, 1, 50) == 0) {
    }
    if (m_bStop) return;
    int client = ::accept4(m_listener.ListeningFd(), nullptr, nullptr, SOCK_CLOEXEC);
    // Yes to binary both ways and to the COM-PORT-OPTION.
    SendAll(client, std::string("\xff\xfd\x00\xff\xfb\x00\xff\xfd\x2c", 9));
    bool replied = false;
    while (!m_bStop) {
        pollfd pfd{client, POLLIN, 0};
        if (::poll(&pfd, 1, 50) == 0) continue;
        char bytes[4096];
        ssize_t n = ::read(client, bytes, sizeof bytes);
        if (n <= 0) break;
        if (Answer(client, std::string(bytes, static_cast<size_t>(n))) && !replied) {
            SendAll(client, m_reply);
            replied = true;
        }
    }
    ::close(client);
}

bool HostileTelnetServer::Answer(int client, const std::string& bytes) {
    bool lineEnded = false;
    for (char c : bytes) {
        switch (m_state) {
            case 0:
                if (c == kIac) m_state = 1;
                lineEnded = lineEnded || c == '\r';
                break;
            case 1:
                m_state = c == kSb ? 3 : (c == kIac ? 0 : 2);
                m_sub.clear();
                break;
            case 2:
                m_state = 0;
                break;
            case 3:
                if (c == kIac) {
                    m_state = 4;
                } else {
                    m_sub += c;
                }
                break;
            default:
                m_state = c == kSe ? 0 : 3;
                if (c == kIac) m_sub += c;
                // A line setting (1 to 4) is answered with 100 added and the value asked.
                if (c == kSe && m_sub.size() >= 3 && m_sub[0] == kComPort && m_sub[1] >= 1 &&
                    m_sub[1] <= 4) {
                    std::string answer = m_sub;
                    answer[1] = static_cast<char>(answer[1] + 100);
                    SendAll(client, "\xff\xfa" + answer + "\xff\xf0");
                }
                break;
        }
    }
    return lineEnded;
}
