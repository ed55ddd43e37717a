#pragma once

#include <string>

struct sqlite3;

// The journal's tables, versioned with PRAGMA user_version: a file of an
// earlier version is brought up to this one step by step, inside one
// transaction, so that two processes opening it at once migrate it once.
class JournalSchema {
  public:
    static constexpr int kVersion = 1;

    // False, with the reason, when the file could not be migrated or was made
    // by a later version of the program (then it is left as it is).
    static bool Migrate(sqlite3* db, std::string& error);
};
