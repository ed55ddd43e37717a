#include "SimServer.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// While no client holds the terminal side the master reports a hang-up at
// once; the simulator then looks again after this pause instead of spinning.
// It is short so that a client's first lines are logged as they arrive.
constexpr int kNoClientPauseMs = 1;

void SleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

SimServer::SimServer(SimLink& link, DriveCommands& commands, WireLog& log,
                     const SimOptions& options)
    : m_link(link), m_stations{&commands}, m_log(log), m_options(options) {}

void SimServer::Serve(int stopFd) {
    if (m_options.noRead) {
        pollfd stop{stopFd, POLLIN, 0};
        ::poll(&stop, 1, -1);
        return;
    }
    bool clientPresent = true;
    for (;;) {
        pollfd pfds[2] = {{stopFd, POLLIN, 0}, {m_link.Fd(), POLLIN, 0}};
        int count = clientPresent ? 2 : 1;
        int ready = ::poll(pfds, count, clientPresent ? -1 : kNoClientPauseMs);
        if (ready < 0 || pfds[0].revents != 0) return;
        if (!clientPresent) {
            clientPresent = true;
            continue;
        }
        if (pfds[1].revents == 0) continue;
        std::string bytes;
        SimLink::Input input = m_link.Read(bytes);
        if (input == SimLink::Input::kFailed) return;
        clientPresent = input == SimLink::Input::kData;
        Take(bytes);
    }
}

void SimServer::Take(const std::string& bytes) {
    auto received = std::chrono::steady_clock::now();
    for (char c : bytes) {
        // Line feeds from a terminal that sends CR LF are not part of a command.
        if (c == '\n') continue;
        if (c != '\r') {
            m_pending += c;
            continue;
        }
        m_log.Line(received, m_pending);
        Answer(m_pending);
        m_pending.clear();
    }
}

void SimServer::Answer(const std::string& line) {
    std::vector<std::string> replies;
    for (DriveCommands* station : m_stations) {
        if (replies.empty()) replies = station->Handle(line);
    }
    if (replies.empty()) return;
    std::string bytes;
    for (const std::string& reply : replies) bytes += reply + (m_options.crlf ? "\r\n" : "\r");
    SleepMs(m_options.replyDelayMs);
    Send(bytes);
}

void SimServer::Send(const std::string& bytes) {
    if (m_options.chunk <= 0) {
        m_link.Write(bytes);
        return;
    }
    size_t piece = static_cast<size_t>(m_options.chunk);
    for (size_t at = 0; at < bytes.size(); at += piece) {
        if (at > 0) SleepMs(m_options.chunkDelayMs);
        m_link.Write(bytes.substr(at, std::min(piece, bytes.size() - at)));
    }
}
