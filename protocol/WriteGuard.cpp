#include "protocol/WriteGuard.h"

#include "params/ParamTable.h"

WriteGuard::WriteGuard(const CTtyPort& port, Listener& listener)
    : m_port(port), m_listener(listener), m_follower(port) {}

void WriteGuard::SetSilence(std::chrono::milliseconds silence) {
    m_reads.SetSilence(silence);
    m_readBack.SetSilence(silence);
}

void WriteGuard::OnLineQueued(const std::string& line) {
    Clock::time_point now = Clock::now();
    Follow(now);
    SentCommand command;
    if (!SentCommand::Parse(line, command)) return;
    if (command.IsReadAll()) StartRead(command.Station(), now);
    if (command.Writes()) BackUpBefore(command, now);
    int32_t number = 0;
    int32_t value = 0;
    if (command.ParamWrite(number, value)) {
        m_group.Set(number, value);
    } else if (command.EndsWriteGroup()) {
        EndGroup(command.Station());
    } else if (command.Code() != "COP") {
        // A group is PWR lines, COP and PSV with nothing between.
        m_group = ParamSet();
    }
}

void WriteGuard::StartRead(int32_t station, Clock::time_point now) {
    SettleRead(now, DriveReads::Moment::kClosing);
    std::vector<int32_t> wanted = m_nextWanted;
    m_nextWanted.clear();
    if (wanted.empty()) wanted = ParamTable::Instance().ListedNumbers();
    m_reads.Start(station, wanted, now);
    if (!m_bReadBackAsked) return;
    m_bReadBackAsked = false;
    m_bReadBack = true;
    m_readBack.Start(station, m_readBackSent.Numbers(), now);
}

void WriteGuard::OnLineGone(const TxLineWriter::Gone& gone, Clock::time_point now) {
    SentCommand command;
    if (!SentCommand::Parse(gone.line, command) || !command.IsReadAll()) return;
    bool written = gone.fate == TxLineWriter::Fate::kWritten;
    m_reads.Left(written, now);
    if (m_bReadBack) m_readBack.Left(written, now);
}

void WriteGuard::Poll(Clock::time_point now, bool lineGone) {
    Follow(now);
    DriveReads::Moment moment =
        lineGone ? DriveReads::Moment::kLineGone : DriveReads::Moment::kWaiting;
    SettleRead(now, moment);
    SettleReadBack(now, moment);
}

void WriteGuard::OnPortOpened() {
    m_follower.Restart();
    m_nLastOffset = 0;
    // What was read before may be another drive's: no backup is taken from it.
    m_reads.Forget();
}

void WriteGuard::Follow(Clock::time_point now) {
    for (std::string line; m_follower.Next(line);) {
        m_reads.Take(line, now);
        if (m_bReadBack) m_readBack.Take(line, now);
    }
    // A line still arriving (a slow line, a drive writing in pieces) is no quiet time.
    int32_t offset = m_port.Ring().Offset();
    if (offset != m_nLastOffset) {
        m_reads.Activity(now);
        m_readBack.Activity(now);
    }
    m_nLastOffset = offset;
}

void WriteGuard::SettleRead(Clock::time_point now, DriveReads::Moment moment) {
    DriveReads::Event event = m_reads.Settle(now, moment);
    if (event != DriveReads::Event::kNone) {
        m_listener.OnReadFinished(event == DriveReads::Event::kComplete);
    }
}

void WriteGuard::BackUpBefore(const SentCommand& write, Clock::time_point now) {
    SettleRead(now, DriveReads::Moment::kClosing);
    const DriveReads::Read* read = m_reads.Last();
    if (read && read->station == write.Station()) BackUpLastRead();
}

std::string WriteGuard::BackUpLastRead() {
    const DriveReads::Read* read = m_reads.Last();
    if (!m_saver || !read || read->serial == m_nBackedUpSerial) return "";
    return SaveLastRead(m_saver);
}

std::string WriteGuard::SaveLastRead(const BackupSaver& saver) {
    const DriveReads::Read* read = m_reads.Last();
    if (!read) return "";
    m_nBackedUpSerial = read->serial;
    return saver(read->values, read->station);
}

uint64_t WriteGuard::ReadBackNextGroup() {
    m_bReadBackNext = true;
    return m_nGroups + 1;
}

void WriteGuard::EndGroup(int32_t station) {
    ParamSet group = m_group;
    m_group = ParamSet();
    bool wanted = m_bVerify || m_bReadBackNext;
    m_bReadBackNext = false;
    if (!wanted || group.Empty()) return;
    // Groups that end while a read-back is asked for or under way are read back after it.
    for (int32_t number : group.Numbers()) m_due.Set(number, group.Value(number));
    m_nDueStation = station;
    m_bReadBackDue = true;
    ++m_nGroups;
}

bool WriteGuard::TakeReadBackDue(int32_t& station) {
    if (!m_bReadBackDue || m_bReadBack || m_bReadBackAsked) return false;
    m_bReadBackDue = false;
    m_bReadBackAsked = true;
    m_readBackSent = m_due;
    m_nReadBackLastGroup = m_nGroups;
    m_due = ParamSet();
    station = m_nDueStation;
    return true;
}

void WriteGuard::DropDueReadBack() {
    m_bReadBackDue = false;
    m_due = ParamSet();
}

void WriteGuard::SettleReadBack(Clock::time_point now, DriveReads::Moment moment) {
    if (!m_bReadBack) return;
    if (m_readBack.Settle(now, moment) == DriveReads::Event::kNone) return;
    m_bReadBack = false;
    m_listener.OnReadBackFinished(
        ReadBackReport(m_readBackSent, m_readBack.Replies(), m_nReadBackLastGroup));
}
