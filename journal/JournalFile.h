#pragma once

#include <string>

struct sqlite3;

// The journal's file on disk, before SQLite opens it: made private to its
// user, and put aside when it is no journal at all.
class JournalFile {
  public:
    // Makes the missing folders (0700) and the file (0600, whatever the umask).
    // False, with the reason, when either cannot be made.
    static bool Prepare(const std::string& path, std::string& error);
    // A file that SQLite, which has opened it as `db`, would take for a
    // database although it is cut short: its header names more pages than the
    // file holds, or the header itself is cut. Read through SQLite's own
    // descriptor: opening and closing the file here would drop the locks of
    // every connection this process holds on it (POSIX locks belong to the
    // process), and another process could then delete the write-ahead log
    // under them.
    static bool CutShort(sqlite3* db);
    // Renames the file, its -wal and -shm to "PATH.damaged-YYYYMMDD-HHMMSS"
    // (a sequence number after it when that name is taken). The new name, or
    // empty when the rename failed.
    static std::string MoveAside(const std::string& path);
};
