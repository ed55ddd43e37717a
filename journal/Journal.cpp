#include "journal/Journal.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "journal/JournalChain.h"
#include "journal/JournalFile.h"
#include "journal/JournalRecord.h"
#include "journal/JournalSchema.h"
#include "journal/JournalTime.h"
#include "journal/SqliteStatement.h"

namespace {

// Long enough for another process's append or import; short enough to say why.
constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kColumns =
    "SELECT e.id, e.time, e.program, e.version, e.user, e.host, e.port, e.station, e.kind, "
    "e.session, e.payload, e.hash FROM entries e";

bool IsDamage(int code) {
    int primary = code & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

// The row of kColumns; false when its kind is none the program knows.
bool ReadRow(const SqliteStatement& row, JournalEntry& entry, std::string& payloadText) {
    std::optional<JournalEntry::Kind> kind = JournalEntry::ParseKind(row.Text(8));
    entry.id = row.Int(0);
    entry.time = row.Text(1);
    entry.program = row.Text(2);
    entry.version = row.Text(3);
    entry.user = row.Text(4);
    entry.host = row.Text(5);
    entry.port = row.Text(6);
    entry.station = row.OptionalInt(7);
    entry.kind = kind.value_or(JournalEntry::Kind::kFailure);
    entry.session = row.Int(9);
    payloadText = row.Text(10);
    entry.hash = row.Text(11);
    return kind.has_value();
}

JournalEntry FromRow(const SqliteStatement& row) {
    JournalEntry entry;
    std::string payloadText;
    ReadRow(row, entry, payloadText);
    entry.payload = nlohmann::ordered_json::parse(payloadText, nullptr, false);
    // A document changed by hand into no JSON is shown as it stands.
    if (entry.payload.is_discarded() || !entry.payload.is_object()) {
        entry.payload = {{"document", payloadText}};
    }
    return entry;
}

// Entries of a transaction that did not commit: none was recorded.
void Unstamp(std::vector<JournalEntry>& entries) {
    for (JournalEntry& entry : entries) {
        entry.id = 0;
        entry.hash.clear();
    }
}

}  // namespace

Journal::Journal(sqlite3* db, std::string path) : m_db(db), m_path(std::move(path)) {}

Journal::~Journal() { sqlite3_close(m_db); }

std::unique_ptr<Journal> Journal::Open(const std::string& path, std::string& error) {
    if (!JournalFile::Prepare(path, error)) return nullptr;
    sqlite3* db = OpenDatabase(path, error);
    if (db == nullptr) return nullptr;
    std::optional<Notice> notice;
    if (Damaged(db)) {
        sqlite3_close(db);
        std::string aside = JournalFile::MoveAside(path);
        if (aside.empty()) {
            error = "the journal " + path +
                    " is damaged and cannot be put aside: " + std::strerror(errno);
            return nullptr;
        }
        notice = Notice{"The journal " + path + " was damaged; it was put aside as " + aside +
                            " and a new journal begun.",
                        "작업 기록 " + path + " 파일이 손상되어 " + aside +
                            " (으)로 옮겨 두고 새 작업 기록을 시작했습니다."};
        if (!JournalFile::Prepare(path, error)) return nullptr;
        db = OpenDatabase(path, error);
        if (db == nullptr) return nullptr;
    }
    std::unique_ptr<Journal> journal(new Journal(db, path));
    journal->m_notice = std::move(notice);
    if (!journal->Configure()) {
        error = journal->m_error;
        return nullptr;
    }
    return journal;
}

sqlite3* Journal::OpenDatabase(const std::string& path, std::string& error) {
    sqlite3* db = nullptr;
    int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (opened != SQLITE_OK) {
        error = "cannot open the journal " + path + ": " +
                (db ? sqlite3_errmsg(db) : sqlite3_errstr(opened));
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return db;
}

bool Journal::Damaged(sqlite3* db) {
    if (JournalFile::CutShort(db)) return true;
    // The schema is read from the file's first pages: no database, or a
    // damaged one, fails here. The whole file is checked by Verify, not at
    // each open: a quick_check of a million entries takes seconds.
    SqliteStatement schema(db, "SELECT count(*) FROM sqlite_master");
    return !schema.Step() && IsDamage(sqlite3_extended_errcode(db));
}

bool Journal::Configure() {
    if (!UseWal()) return false;
    std::string error;
    // Each committed entry on disk before the commit returns: a power cut loses none.
    if (!SqliteStatement::Exec(m_db, "PRAGMA synchronous = FULL", error) ||
        !JournalSchema::Migrate(m_db, error)) {
        m_error = "cannot set up the journal " + m_path + ": " + error;
        return false;
    }
    return true;
}

bool Journal::UseWal() {
    SqliteStatement wal(m_db, "PRAGMA journal_mode = WAL");
    if (!wal.Step()) return Fail("cannot set up the journal " + m_path);
    if (wal.Text(0) == "wal") return true;
    m_error = "the journal " + m_path + " cannot keep its write-ahead log (" + wal.Text(0) +
              "): is its folder writable?";
    return false;
}

std::optional<Journal::Notice> Journal::TakeNotice() { return std::exchange(m_notice, {}); }

bool Journal::Fail(const std::string& what) {
    m_error = what + ": " + sqlite3_errmsg(m_db);
    if (int system = sqlite3_system_errno(m_db); system != 0) {
        m_error += std::string(" (") + std::strerror(system) + ")";
    }
    return false;
}

bool Journal::Rollback(const std::string& what) {
    Fail(what);
    std::string ignored;
    SqliteStatement::Exec(m_db, "ROLLBACK", ignored);
    return false;
}

bool Journal::Append(JournalEntry& entry) {
    std::vector<JournalEntry> one{std::move(entry)};
    bool appended = false;
    bool done = AppendOnce("", one, appended);
    entry = std::move(one.front());
    return done;
}

bool Journal::AppendOnce(const std::string& mark, std::vector<JournalEntry>& entries,
                         bool& appended) {
    appended = false;
    std::string error;
    // The last hash is read and the next entry written under one write lock:
    // two processes appending at once form one chain.
    if (!SqliteStatement::Exec(m_db, "BEGIN IMMEDIATE", error)) {
        return Fail("the journal " + m_path + " cannot be written");
    }
    if (!mark.empty()) {
        SqliteStatement marked(m_db, "SELECT 1 FROM marks WHERE name = ?");
        marked.Bind(1, mark);
        bool done = marked.Step();
        if (marked.Failed()) return Rollback("the journal " + m_path + " cannot be read");
        if (done) {
            marked.Reset();
            return SqliteStatement::Exec(m_db, "ROLLBACK", error) ||
                   Fail("the journal " + m_path + " cannot be read");
        }
        SqliteStatement insert(m_db, "INSERT INTO marks(name, time) VALUES(?, ?)");
        insert.BindAll(mark, JournalTime::Now());
        if (insert.Step() || insert.Failed()) {
            return Rollback("the journal " + m_path + " cannot be written");
        }
    }
    for (JournalEntry& entry : entries) {
        if (!AppendInTransaction(entry)) {
            Unstamp(entries);
            return Rollback("the journal " + m_path + " cannot be written");
        }
    }
    if (!SqliteStatement::Exec(m_db, "COMMIT", error)) {
        Unstamp(entries);
        return Rollback("the journal " + m_path + " cannot be written");
    }
    appended = true;
    return true;
}

bool Journal::AppendInTransaction(JournalEntry& entry) {
    SqliteStatement last(m_db, "SELECT id, hash FROM entries ORDER BY id DESC LIMIT 1");
    std::string previous;
    entry.id = 1;
    if (last.Step()) {
        entry.id = last.Int(0) + 1;
        previous = last.Text(1);
    } else if (last.Failed()) {
        return false;
    }
    if (entry.time.empty()) entry.time = JournalTime::Now();
    std::string payload = entry.PayloadText();
    entry.hash = JournalChain::Hash(previous, entry, payload);
    return Insert(entry, payload) && CountInSession(entry);
}

bool Journal::Insert(const JournalEntry& entry, const std::string& payload) {
    SqliteStatement insert(m_db,
                           "INSERT INTO entries(id, time, program, version, user, host, port, "
                           "station, kind, session, payload, hash) "
                           "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.BindAll(entry.id, entry.time, entry.program, entry.version, entry.user, entry.host,
                   entry.port, entry.station, JournalEntry::KindName(entry.kind), entry.session,
                   payload, entry.hash);
    return !insert.Step() && !insert.Failed();
}

bool Journal::CountInSession(const JournalEntry& entry) {
    SqliteStatement session(
        m_db,
        "INSERT INTO sessions(id, started, ended, program, version, user, host, port, entries) "
        "VALUES(?, ?, ?, ?, ?, ?, ?, ?, 1) ON CONFLICT(id) DO UPDATE SET "
        "started = min(started, excluded.started), ended = max(ended, excluded.ended), "
        "entries = entries + 1");
    session.BindAll(entry.session, entry.time, entry.time, entry.program, entry.version, entry.user,
                    entry.host, entry.port);
    return !session.Step() && !session.Failed();
}

bool Journal::Select(const std::string& sql, const JournalFilter::Sql& where,
                     const std::function<bool(const JournalEntry&)>& take) {
    SqliteStatement rows(m_db, sql.c_str());
    where.BindTo(rows);
    while (rows.Step()) {
        if (!take(FromRow(rows))) return true;
    }
    return !rows.Failed() || Fail("cannot read the journal " + m_path);
}

bool Journal::ForEach(const JournalFilter& filter,
                      const std::function<bool(const JournalEntry&)>& take) {
    JournalFilter::Sql where = filter.ForEntries();
    if (filter.last == 0) return Select(kColumns + where.where + " ORDER BY e.id", where, take);
    std::vector<JournalEntry> newestFirst;
    std::string sql =
        kColumns + where.where + " ORDER BY e.id DESC LIMIT " + std::to_string(filter.last);
    bool read = Select(sql, where, [&](const JournalEntry& entry) {
        newestFirst.push_back(entry);
        return true;
    });
    if (!read) return false;
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
        if (!take(*it)) break;
    }
    return true;
}

bool Journal::Entries(const JournalFilter& filter, std::vector<JournalEntry>& entries) {
    entries.clear();
    return ForEach(filter, [&](const JournalEntry& entry) {
        entries.push_back(entry);
        return true;
    });
}

std::optional<JournalEntry> Journal::Entry(int64_t id) {
    JournalFilter::Sql where{" WHERE e.id = ?", {id}};
    std::optional<JournalEntry> found;
    Select(kColumns + where.where, where, [&](const JournalEntry& entry) {
        found = entry;
        return false;
    });
    return found;
}

bool Journal::CompleteReads(size_t limit, std::vector<JournalEntry>& reads) {
    reads.clear();
    if (limit == 0) return true;
    JournalFilter::Sql where{" WHERE e.kind = ?",
                             {std::string(JournalEntry::KindName(JournalEntry::Kind::kRead))}};
    // Whether a read is complete is in its document, which only the program reads.
    return Select(kColumns + where.where + " ORDER BY e.time DESC, e.id DESC", where,
                  [&](const JournalEntry& entry) {
                      if (JournalRecord::CompleteReadValues(entry)) reads.push_back(entry);
                      return reads.size() < limit;
                  });
}

bool Journal::Sessions(const JournalFilter& filter, size_t limit, size_t offset,
                       std::vector<SessionInfo>& sessions) {
    sessions.clear();
    JournalFilter::Sql where = filter.ForSessions();
    std::string sql =
        "SELECT s.id, s.started, s.ended, s.program, s.version, s.user, s.host, s.port, "
        "s.entries FROM sessions s" +
        where.where + " ORDER BY s.started DESC, s.id DESC LIMIT " + std::to_string(limit) +
        " OFFSET " + std::to_string(offset);
    SqliteStatement rows(m_db, sql.c_str());
    where.BindTo(rows);
    while (rows.Step()) {
        SessionInfo session{rows.Int(0),  rows.Text(1), rows.Text(2), rows.Text(3), rows.Text(4),
                            rows.Text(5), rows.Text(6), rows.Text(7), {},           rows.Int(8)};
        sessions.push_back(std::move(session));
    }
    if (rows.Failed()) return Fail("cannot read the journal " + m_path);
    return std::all_of(sessions.begin(), sessions.end(),
                       [this](SessionInfo& session) { return StationsOf(session); });
}

bool Journal::StationsOf(SessionInfo& session) {
    SqliteStatement rows(m_db,
                         "SELECT DISTINCT station FROM entries WHERE session = ? AND station "
                         "IS NOT NULL ORDER BY station");
    rows.Bind(1, session.id);
    while (rows.Step()) session.stations.push_back(static_cast<int32_t>(rows.Int(0)));
    return !rows.Failed() || Fail("cannot read the journal " + m_path);
}

bool Journal::Verify(Verification& result) {
    result = {};
    SqliteStatement check(m_db, "PRAGMA quick_check");
    if (!check.Step()) return Fail("cannot check the journal " + m_path);
    if (check.Text(0) != "ok") {
        result.damage = check.Text(0);
        return true;
    }
    SqliteStatement rows(m_db, (std::string(kColumns) + " ORDER BY e.id").c_str());
    std::string previous;
    while (rows.Step()) {
        JournalEntry entry;
        std::string payloadText;
        bool known = ReadRow(rows, entry, payloadText);
        ++result.checked;
        if (!known || JournalChain::Hash(previous, entry, payloadText) != entry.hash) {
            result.firstMismatch = entry.id;
            return true;
        }
        previous = entry.hash;
    }
    return !rows.Failed() || Fail("cannot read the journal " + m_path);
}
