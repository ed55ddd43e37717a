#include "protocol/DriveReads.h"

DriveReads::DriveReads() : m_listed(ParamTable::Instance().ListedNumbers()) {}

void DriveReads::Start(int32_t station, Clock::time_point now) {
    if (m_bComplete) {
        m_previous = m_current;
        m_bHavePrevious = true;
    }
    m_replies.Reset();
    m_current = Read{};
    m_current.station = station;
    m_bStarted = true;
    m_bPending = true;
    m_bComplete = false;
    m_lastLine = now;
}

void DriveReads::Take(std::string_view line, Clock::time_point now) {
    if (!m_bStarted) return;
    m_replies.Take(line);
    m_lastLine = now;
    // Lines of a complete read that come late still belong to it.
    if (m_bComplete) m_current.values = m_replies.Carried();
}

DriveReads::Event DriveReads::Settle(Clock::time_point now, bool closing) {
    if (!m_bPending) return Event::kNone;
    if (m_replies.BadNumberSeen()) return Finish(Event::kGaveUp);
    bool quiet = now - m_lastLine >= kSettle;
    if (m_replies.Missing(m_listed).empty() &&
        (closing || quiet || m_replies.Carried().Size() == ParamTable::kCount)) {
        return Finish(Event::kComplete);
    }
    return now - m_lastLine >= kGiveUp ? Finish(Event::kGaveUp) : Event::kNone;
}

DriveReads::Event DriveReads::Finish(Event event) {
    m_bPending = false;
    if (event == Event::kComplete) {
        m_bComplete = true;
        m_current.values = m_replies.Carried();
        m_current.serial = m_nextSerial++;
    }
    return event;
}

const DriveReads::Read* DriveReads::Last() const {
    if (m_bComplete) return &m_current;
    return m_bHavePrevious ? &m_previous : nullptr;
}
