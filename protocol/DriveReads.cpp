#include "protocol/DriveReads.h"

#include <algorithm>
#include <utility>

#include "params/ParamTable.h"

void DriveReads::Start(int32_t station, std::vector<int32_t> wanted, Clock::time_point now) {
    if (m_bComplete) {
        m_previous = m_current;
        m_bHavePrevious = true;
    }
    m_wanted = std::move(wanted);
    m_replies = PraReplyTracker(station);
    m_current = Read{};
    m_current.station = station;
    m_bStarted = true;
    m_bPending = true;
    m_bComplete = false;
    m_bUnsent = false;
    m_start = now;
    m_lastActivity = now;
}

void DriveReads::Forget() {
    m_bStarted = false;
    m_bPending = false;
    m_bComplete = false;
    m_bHavePrevious = false;
}

void DriveReads::Left(bool written, Clock::time_point now) {
    if (!m_bPending) return;
    m_bUnsent = !written;
    m_start = now;
    m_lastActivity = now;
}

void DriveReads::Take(std::string_view line, Clock::time_point now) {
    if (!m_bStarted) return;
    m_replies.Take(line);
    m_lastActivity = now;
    // Lines of a complete read that come late still belong to it.
    if (m_bComplete) m_current.values = m_replies.Carried();
}

void DriveReads::Activity(Clock::time_point now) {
    if (m_bPending) m_lastActivity = now;
}

DriveReads::Event DriveReads::Settle(Clock::time_point now, bool closing) {
    if (!m_bPending) return Event::kNone;
    if (m_bUnsent || m_replies.BadNumberSeen()) return Finish(Event::kGaveUp);
    Clock::duration quiet = now - m_lastActivity;
    if (m_replies.Missing(m_wanted).empty() && (closing || quiet >= ReplyWaits::kReadQuiet ||
                                                m_replies.Carried().Size() == ParamTable::kCount)) {
        return Finish(Event::kComplete);
    }
    bool givenUp =
        quiet >= m_silence || now - m_start >= std::max(m_silence, ReplyWaits::kReadLongest);
    return givenUp ? Finish(Event::kGaveUp) : Event::kNone;
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
