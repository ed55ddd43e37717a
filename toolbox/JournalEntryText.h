#pragma once

#include <QString>
#include <string>

#include "journal/JournalEntry.h"

// A journal entry as the windows of the "도구" menu name it.
class JournalEntryText {
  public:
    // A journal time in local time to the second.
    static QString LocalTime(const std::string& utc);
    // "기록 #12 (2026-12-09 17:10:00, 포트 COM15, 국번 0)".
    static QString Label(const JournalEntry& entry);
};
