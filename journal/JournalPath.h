#pragma once

#include <string>

// Where the journal lies: $VELD_JOURNAL when set (not empty), else
// journal.sqlite3 in the program's data folder.
class JournalPath {
  public:
    static std::string Default();
};
