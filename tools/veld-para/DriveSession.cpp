#include "DriveSession.h"

#include <cstdio>
#include <thread>

DriveSession::DriveSession(ParamTable& table, bool quiet)
    : m_bQuiet(quiet), m_table(table), m_sentView(quiet) {}

bool DriveSession::Open(const std::string& port, const std::string& baud) {
    if (!m_port.OpenFromText("\\\\.\\" + port + ":" + baud + ",N,8,0")) return false;
    m_dispatcher.Start();
    return true;
}

bool DriveSession::EchoReceived(bool toStdout) {
    bool any = false;
    for (std::string line; m_follower.Next(line); any = true) {
        // A drive that ends its lines with CR LF leaves the LF at the next line's start.
        std::erase(line, '\n');
        if (!m_bQuiet) std::fprintf(stderr, "< %s\n", line.c_str());
        if (toStdout) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        }
    }
    return any;
}

DriveSession::Replies DriveSession::CollectRead(int waitMs) {
    Clock::time_point start = Clock::now();
    Clock::time_point lastLine = start;
    int32_t lastOffset = m_port.RxOffset();
    bool read = false;
    while (Clock::now() - start < std::chrono::milliseconds(waitMs)) {
        // A line still arriving (a slow line, a drive writing in pieces) is no quiet time.
        int32_t offset = m_port.RxOffset();
        if (EchoReceived(false) || offset != lastOffset) lastLine = Clock::now();
        lastOffset = offset;
        // The dispatcher raises the refresh once it has stored a PRA reply.
        read = m_refresh.Take() || read;
        if (!m_port.IsConnected()) return Replies::kLost;
        if (read && Clock::now() - lastLine >= kQuietAfterRead) break;
        std::this_thread::sleep_for(kPollPause);
    }
    EchoReceived(false);
    return read ? Replies::kReplied : Replies::kSilent;
}

DriveSession::Replies DriveSession::WaitReplies(int waitMs, bool toStdout) {
    Clock::time_point start = Clock::now();
    bool any = false;
    while (Clock::now() - start < std::chrono::milliseconds(waitMs)) {
        any = EchoReceived(toStdout) || any;
        if (!m_port.IsConnected()) return Replies::kLost;
        std::this_thread::sleep_for(kPollPause);
    }
    any = EchoReceived(toStdout) || any;
    return any ? Replies::kReplied : Replies::kSilent;
}

DriveSession::Replies DriveSession::Monitor(const std::atomic<bool>& stop) {
    while (!stop.load(std::memory_order_relaxed)) {
        EchoReceived(true);
        if (!m_port.IsConnected()) return Replies::kLost;
        std::this_thread::sleep_for(kPollPause);
    }
    EchoReceived(true);
    return Replies::kReplied;
}
