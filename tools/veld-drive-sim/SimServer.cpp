#include "SimServer.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

void SleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

SimServer::SimServer(SimLink& link, std::deque<DriveCommands>& drives, WireLog& log,
                     const SimOptions& options)
    : m_link(link), m_drives(drives), m_log(log), m_options(options) {}

void SimServer::Serve(int stopFd) {
    std::string bytes;  // kept between reads: a flood of bytes costs no allocation per read
    for (;;) {
        // poll passes over the descriptors that are -1: no client, no events.
        pollfd pfds[3] = {{stopFd, POLLIN, 0},
                          {m_link.EventFd(), POLLIN, 0},
                          {m_options.noRead ? -1 : m_link.Fd(), POLLIN, 0}};
        if (::poll(pfds, 3, -1) < 0 || pfds[0].revents != 0) return;
        // The client first: one that left makes room for the next before it is taken.
        if (pfds[2].revents != 0) {
            SimLink::Input input = m_link.Read(bytes);
            if (input == SimLink::Input::kFailed) return;
            // A new client starts a new line.
            if (input == SimLink::Input::kNoClient) m_pending.clear();
            Take(bytes);
        }
        if (pfds[1].revents != 0) m_link.OnEvent();
    }
}

void SimServer::Take(const std::string& bytes) {
    auto received = std::chrono::steady_clock::now();
    for (char c : bytes) {
        // Line feeds from a terminal that sends CR LF are not part of a command.
        if (c == '\n') continue;
        if (c != '\r') {
            // A drive's receive buffer is small: the rest of an overlong line is lost.
            if (m_pending.size() < DriveCommands::kMaxLine) {
                m_pending += c;
            } else {
                ++m_nDropped;
            }
            continue;
        }
        if (m_nDropped > 0) {
            m_log.Line(received,
                       m_pending + " [" + std::to_string(m_nDropped) + " bytes beyond the line's " +
                           std::to_string(DriveCommands::kMaxLine) + " dropped; not answered]");
        } else {
            m_log.Line(received, m_pending);
            Answer(m_pending);
        }
        m_pending.clear();
        m_nDropped = 0;
    }
}

void SimServer::Answer(const std::string& line) {
    std::vector<std::string> replies;
    for (DriveCommands& drive : m_drives) {
        if (replies.empty()) replies = drive.Handle(line);
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
