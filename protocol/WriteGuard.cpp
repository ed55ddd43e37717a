#include "protocol/WriteGuard.h"

#include <ctime>

WriteGuard::WriteGuard(const CTtyPort& port, TxQueue& queue, const BackupStore& store,
                       Listener& listener)
    : m_port(port), m_queue(queue), m_store(store), m_listener(listener), m_follower(port) {}

void WriteGuard::OnLineQueued(const std::string& line) {
    Clock::time_point now = Clock::now();
    Follow(now);
    SentCommand command;
    if (!SentCommand::Parse(line, command)) return;
    if (command.IsReadAll()) {
        SettleRead(now, true);
        m_reads.Start(command.Station(), now);
    }
    if (command.Writes()) BackUpBefore(command, now);
    int32_t number = 0;
    int32_t value = 0;
    if (command.ParamWrite(number, value)) {
        m_group.Set(number, value);
    } else if (command.EndsWriteGroup()) {
        EndGroup(command.Station(), now);
    } else if (command.Code() != "COP") {
        // A group is PWR lines, COP and PSV with nothing between.
        m_group = ParamSet();
    }
}

void WriteGuard::Poll(Clock::time_point now) {
    Follow(now);
    SettleRead(now, false);
    SettleReadBack(now);
}

void WriteGuard::Follow(Clock::time_point now) {
    bool connected = m_port.IsConnected();
    // A new connection starts the ring again; what lies behind is old.
    if (connected && !m_bWasConnected) m_follower.SkipConsumed();
    m_bWasConnected = connected;
    for (std::string line; m_follower.Next(line);) {
        m_reads.Take(line, now);
        if (!m_bReadBack) continue;
        m_readBackReplies.Take(line);
        m_readBackLastLine = now;
    }
}

void WriteGuard::SettleRead(Clock::time_point now, bool closing) {
    DriveReads::Event event = m_reads.Settle(now, closing);
    if (event != DriveReads::Event::kNone) {
        m_listener.OnReadFinished(event == DriveReads::Event::kComplete);
    }
}

void WriteGuard::BackUpBefore(const SentCommand& write, Clock::time_point now) {
    SettleRead(now, true);
    const DriveReads::Read* read = m_reads.Last();
    if (!read || read->serial == m_nBackedUpSerial || read->station != write.Station()) return;
    m_nBackedUpSerial = read->serial;
    m_listener.OnBackupSaved(m_store.Save(read->values, read->station, std::time(nullptr)));
}

void WriteGuard::EndGroup(int32_t station, Clock::time_point now) {
    ParamSet group = m_group;
    m_group = ParamSet();
    bool wanted = m_bVerify || m_bReadBackNext;
    m_bReadBackNext = false;
    if (!wanted || group.Empty()) return;
    if (!m_bReadBack) {
        StartReadBack(group, station, now);
        return;
    }
    for (int32_t number : group.Numbers()) m_waiting.Set(number, group.Value(number));
    m_nWaitingStation = station;
}

void WriteGuard::StartReadBack(const ParamSet& sent, int32_t station, Clock::time_point now) {
    m_bReadBack = true;
    m_readBackSent = sent;
    m_readBackReplies.Reset();
    m_readBackLastLine = now;
    m_queue.QueueReadAll(station);
}

void WriteGuard::SettleReadBack(Clock::time_point now) {
    if (!m_bReadBack) return;
    bool settled = m_readBackReplies.Missing(m_readBackSent.Numbers()).empty() ||
                   m_readBackReplies.BadNumberSeen();
    if (!settled && now - m_readBackLastLine < DriveReads::kGiveUp) return;
    m_bReadBack = false;
    m_listener.OnReadBackFinished(ReadBackReport(m_readBackSent, m_readBackReplies));
    if (m_waiting.Empty()) return;
    ParamSet waiting = m_waiting;
    m_waiting = ParamSet();
    StartReadBack(waiting, m_nWaitingStation, now);
}
