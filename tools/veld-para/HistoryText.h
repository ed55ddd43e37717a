#pragma once

#include <string>

#include "journal/JournalEntry.h"

// A journal entry as veld-para's history shows it to people: times in local
// time, a line per entry in the list, the whole entry in `show`.
class HistoryText {
  public:
    // "12  2026-12-09 17:10:00.123  read  COM15  station 0  veld-para 1.0.0.1
    // kim@bench  complete, 29 values"; tabs between the fields.
    static std::string Line(const JournalEntry& entry);
    // The entry's fields a line each, then what it holds: a read's values, a
    // write's parameters and lines, a read-back's rows, or its document.
    static std::string Details(const JournalEntry& entry);

  private:
    static std::string Summary(const JournalEntry& entry);
    static std::string Contents(const JournalEntry& entry);
};
