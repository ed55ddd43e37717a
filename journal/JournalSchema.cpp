#include "journal/JournalSchema.h"

#include <sqlite3.h>

#include <array>

#include "journal/SqliteStatement.h"

namespace {

// Version 0 is a file with no tables: a new file, or one SQLite made empty.
constexpr const char* kFromVersion0 = R"sql(
CREATE TABLE entries(
    id INTEGER PRIMARY KEY,
    time TEXT NOT NULL,
    program TEXT NOT NULL,
    version TEXT NOT NULL,
    user TEXT NOT NULL,
    host TEXT NOT NULL,
    port TEXT NOT NULL,
    station INTEGER,
    kind TEXT NOT NULL,
    session INTEGER NOT NULL,
    payload TEXT NOT NULL,
    hash TEXT NOT NULL);
CREATE INDEX entries_port ON entries(port);
CREATE INDEX entries_station ON entries(station);
CREATE INDEX entries_time ON entries(time);
CREATE INDEX entries_session ON entries(session, station);
CREATE TABLE sessions(
    id INTEGER PRIMARY KEY,
    started TEXT NOT NULL,
    ended TEXT NOT NULL,
    program TEXT NOT NULL,
    version TEXT NOT NULL,
    user TEXT NOT NULL,
    host TEXT NOT NULL,
    port TEXT NOT NULL,
    entries INTEGER NOT NULL);
CREATE INDEX sessions_started ON sessions(started, id);
CREATE INDEX sessions_port ON sessions(port);
CREATE TABLE marks(name TEXT PRIMARY KEY, time TEXT NOT NULL);
)sql";

// Step i brings version i to version i + 1.
constexpr std::array<const char*, JournalSchema::kVersion> kSteps{kFromVersion0};

int UserVersion(sqlite3* db) {
    SqliteStatement statement(db, "PRAGMA user_version");
    return statement.Step() ? static_cast<int>(statement.Int(0)) : -1;
}

bool Steps(sqlite3* db, std::string& error) {
    int version = UserVersion(db);
    if (version < 0) {
        error = sqlite3_errmsg(db);
        return false;
    }
    if (version > JournalSchema::kVersion) {
        error = "the journal was made by a later version of the program (schema " +
                std::to_string(version) + "); it is left as it is";
        return false;
    }
    for (int step = version; step < JournalSchema::kVersion; ++step) {
        if (!SqliteStatement::Exec(db, kSteps[static_cast<size_t>(step)], error)) return false;
    }
    return SqliteStatement::Exec(
        db, "PRAGMA user_version = " + std::to_string(JournalSchema::kVersion), error);
}

}  // namespace

bool JournalSchema::Migrate(sqlite3* db, std::string& error) {
    if (UserVersion(db) == kVersion) return true;
    if (!SqliteStatement::Exec(db, "BEGIN IMMEDIATE", error)) return false;
    // Read again inside the transaction: another process may have migrated meanwhile.
    if (Steps(db, error) && SqliteStatement::Exec(db, "COMMIT", error)) return true;
    std::string ignored;
    SqliteStatement::Exec(db, "ROLLBACK", ignored);
    return false;
}
