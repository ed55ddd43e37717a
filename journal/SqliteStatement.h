#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement, finalized when it goes.
class SqliteStatement {
  public:
    SqliteStatement(sqlite3* db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Runs statements that return no rows; false, with SQLite's reason, on an error.
    static bool Exec(sqlite3* db, const std::string& sql, std::string& error);

    // False when the text did not prepare (then every Step fails).
    bool Prepared() const { return m_statement != nullptr; }
    // Parameters count from 1.
    void Bind(int index, int64_t value);
    void Bind(int index, const std::string& text);
    void Bind(int index, std::optional<int32_t> value);
    // Each of `values` to the parameters in order, from 1.
    template <typename... Values>
    void BindAll(const Values&... values) {
        int index = 0;
        (Bind(++index, values), ...);
    }
    // True while a row comes; false at the end or on an error (then Failed()).
    bool Step();
    bool Failed() const { return m_failed; }
    void Reset();

    int64_t Int(int column) const;
    std::optional<int32_t> OptionalInt(int column) const;
    std::string Text(int column) const;

  private:
    sqlite3_stmt* m_statement = nullptr;
    bool m_failed = false;
};
