#include "DriveSession.h"

#include <algorithm>
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
        m_praReplies.Take(line);
        // A drive that ends its lines with CR LF leaves the LF at the next line's start.
        std::erase(line, '\n');
        if (!m_bQuiet) std::fprintf(stderr, "< %s\n", line.c_str());
        if (toStdout) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        }
    }
    m_bReplied = m_bReplied || any;
    return any;
}

DriveSession::Outcome DriveSession::Flush(bool toStdout) {
    while (m_queue.HasPending()) {
        m_queue.FlushTxLine(m_port);
        EchoReceived(toStdout);
        if (!m_port.IsConnected()) return Outcome::kLost;
        if (m_notifier.WriteFailed()) return Outcome::kWriteFailed;
    }
    return Outcome::kDone;
}

DriveSession::Outcome DriveSession::CollectRead(int waitMs, const std::vector<int32_t>& wanted) {
    const std::chrono::milliseconds wait(waitMs);
    const Clock::time_point start = Clock::now();
    Clock::time_point lastByte = start;
    int32_t lastOffset = m_port.RxOffset();
    for (;;) {
        // A line still arriving (a slow line, a drive writing in pieces) is no quiet time.
        int32_t offset = m_port.RxOffset();
        if (EchoReceived(false) || offset != lastOffset) lastByte = Clock::now();
        lastOffset = offset;
        if (!m_port.IsConnected()) return Outcome::kLost;
        // After a bad pair number the rest of its line is gone for good: no
        // use waiting for it.
        bool settled = m_praReplies.Missing(wanted).empty() || m_praReplies.BadNumberSeen();
        Clock::time_point now = Clock::now();
        if (now - lastByte >= (settled ? std::min(wait, kQuietAfterRead) : wait)) break;
        // A device that never falls quiet (a wrong port) does not hold the read for ever.
        if (now - start >= std::max<Clock::duration>(wait, kLongestRead)) break;
        std::this_thread::sleep_for(kPollPause);
    }
    return m_praReplies.Replied() ? Outcome::kDone : Outcome::kSilent;
}

DriveSession::Outcome DriveSession::WaitReplies(int waitMs, bool toStdout) {
    Clock::time_point start = Clock::now();
    while (Clock::now() - start < std::chrono::milliseconds(waitMs)) {
        EchoReceived(toStdout);
        if (!m_port.IsConnected()) return Outcome::kLost;
        std::this_thread::sleep_for(kPollPause);
    }
    EchoReceived(toStdout);
    return m_bReplied ? Outcome::kDone : Outcome::kSilent;
}

DriveSession::Outcome DriveSession::Monitor(const std::atomic<bool>& stop) {
    while (!stop.load(std::memory_order_relaxed)) {
        EchoReceived(true);
        if (!m_port.IsConnected()) return Outcome::kLost;
        std::this_thread::sleep_for(kPollPause);
    }
    EchoReceived(true);
    return Outcome::kDone;
}
