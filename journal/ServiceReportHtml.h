#pragma once

#include <string>
#include <vector>

#include "journal/Journal.h"
#include "journal/JournalEntry.h"

// The printable service report of journal sessions: for each, what was
// connected (port, stations, program, user, host, times in local time),
// what each write changed from what to what and what the drive read back,
// everything done in order, and the failures (port lost, lines not sent,
// values the drive did not keep). Every text is escaped.
class ServiceReportHtml {
  public:
    struct Session {
        Journal::SessionInfo info;
        std::vector<JournalEntry> entries;  // oldest first
    };

    static std::string Page(const std::vector<Session>& sessions);

  private:
    static std::string Overview(const std::vector<Session>& sessions);
    static std::string SessionPart(const Session& session, size_t index);
    static std::string Facts(const Journal::SessionInfo& info);
    static std::string Changes(const std::vector<JournalEntry>& entries);
    // One write's rows, the drive's value from the read-back after it.
    static std::string WriteRows(const JournalEntry& write, const JournalEntry* readBack);
    static std::string Done(const std::vector<JournalEntry>& entries);
    static std::string Failures(const std::vector<JournalEntry>& entries);
};
