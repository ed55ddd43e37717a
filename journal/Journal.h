#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "journal/JournalEntry.h"
#include "journal/JournalFilter.h"

struct sqlite3;

// The journal: one SQLite connection to the file every program of the tool
// records into (WAL, so that the GUI and several veld-para runs write it at
// once). Entries are only ever appended, each chained to the one before by
// its hash. Not for two threads at once: JournalWriter gives it a thread.
class Journal {
  public:
    // What the user is told once when a damaged file was put aside.
    struct Notice {
        std::string english;
        std::string korean;
    };

    struct SessionInfo {
        int64_t id = 0;
        std::string started;  // the time of its first entry
        std::string ended;    // of its last
        std::string program;
        std::string version;
        std::string user;
        std::string host;
        std::string port;
        std::vector<int32_t> stations;  // named by its entries, ascending
        int64_t entries = 0;
    };

    struct Verification {
        // What SQLite's check of the file found first; empty when the file is sound.
        std::string damage;
        int64_t checked = 0;
        // The first entry whose hash does not match its fields and the entry before.
        std::optional<int64_t> firstMismatch;
    };

    // Opens the journal at `path`, made when missing. A file that is no
    // SQLite database, one cut short or one whose first pages are damaged is
    // put aside and a new one begun (Notice tells). nullptr, with the reason in `error`, when it
    // cannot be opened or written.
    static std::unique_ptr<Journal> Open(const std::string& path, std::string& error);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    const std::string& Path() const { return m_path; }
    // Set once by Open when a damaged file was put aside; taken, it is gone.
    std::optional<Notice> TakeNotice();
    // The reason of the last call that failed.
    const std::string& Error() const { return m_error; }

    // Appends `entry` (its time filled in when empty) and gives it its id and
    // hash. False when it could not be recorded (disk full, locked past the
    // time-out): then nothing of it is.
    bool Append(JournalEntry& entry);
    // Appends `entries` and records `mark`, all or nothing, unless `mark` is
    // there already: then nothing is appended and `appended` is false.
    bool AppendOnce(const std::string& mark, std::vector<JournalEntry>& entries, bool& appended);

    // Every entry in order, each handed to `take` until it returns false.
    bool ForEach(const JournalFilter& filter, const std::function<bool(const JournalEntry&)>& take);
    // The entries the filter wants, oldest first (its last N when it says).
    bool Entries(const JournalFilter& filter, std::vector<JournalEntry>& entries);
    // nullopt when there is no such entry (or the query failed: Error()).
    std::optional<JournalEntry> Entry(int64_t id);
    // The complete reads, newest first, `limit` at most.
    bool CompleteReads(size_t limit, std::vector<JournalEntry>& reads);
    // Sessions with an entry the filter wants, newest first.
    bool Sessions(const JournalFilter& filter, size_t limit, size_t offset,
                  std::vector<SessionInfo>& sessions);
    // Checks the file, then every entry's hash in order.
    bool Verify(Verification& result);

  private:
    Journal(sqlite3* db, std::string path);
    static sqlite3* OpenDatabase(const std::string& path, std::string& error);
    // Not a database, or one SQLite finds damaged.
    static bool Damaged(sqlite3* db);
    bool Configure();
    bool UseWal();
    bool AppendInTransaction(JournalEntry& entry);
    bool Insert(const JournalEntry& entry, const std::string& payload);
    // The entry's session made or extended to it.
    bool CountInSession(const JournalEntry& entry);
    bool Fail(const std::string& what);
    bool Rollback(const std::string& what);
    bool Select(const std::string& sql, const JournalFilter::Sql& where,
                const std::function<bool(const JournalEntry&)>& take);
    bool StationsOf(SessionInfo& session);

    sqlite3* m_db;
    std::string m_path;
    std::string m_error;
    std::optional<Notice> m_notice;
};
