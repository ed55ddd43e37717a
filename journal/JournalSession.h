#pragma once

#include <cstdint>
#include <string>

#include "journal/JournalEntry.h"
#include "journal/JournalOrigin.h"
#include "journal/JournalRecord.h"

// One connection's span in the journal: from a connect to its disconnect (a
// veld-para run is one). Its id is drawn at random, so that processes
// recording at once never share one and none has to ask the journal first.
class JournalSession {
  public:
    JournalSession(JournalOrigin origin, std::string port);

    int64_t Id() const { return m_id; }
    const std::string& Port() const { return m_port; }
    // The record stamped with the time now, the origin, the port and the session.
    JournalEntry Entry(JournalRecord record) const;

  private:
    JournalOrigin m_origin;
    std::string m_port;
    int64_t m_id;
};
