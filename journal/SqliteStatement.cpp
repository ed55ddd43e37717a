#include "journal/SqliteStatement.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_failed = true;
    }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(m_statement); }

void SqliteStatement::Bind(int index, int64_t value) {
    sqlite3_bind_int64(m_statement, index, value);
}

void SqliteStatement::Bind(int index, const std::string& text) {
    sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void SqliteStatement::Bind(int index, std::optional<int32_t> value) {
    if (value) {
        sqlite3_bind_int64(m_statement, index, *value);
    } else {
        sqlite3_bind_null(m_statement, index);
    }
}

bool SqliteStatement::Step() {
    if (m_statement == nullptr) return false;
    int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW) return true;
    m_failed = result != SQLITE_DONE;
    return false;
}

void SqliteStatement::Reset() {
    sqlite3_reset(m_statement);
    m_failed = m_statement == nullptr;
}

int64_t SqliteStatement::Int(int column) const { return sqlite3_column_int64(m_statement, column); }

std::optional<int32_t> SqliteStatement::OptionalInt(int column) const {
    if (sqlite3_column_type(m_statement, column) == SQLITE_NULL) return std::nullopt;
    return static_cast<int32_t>(sqlite3_column_int64(m_statement, column));
}

std::string SqliteStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(m_statement, column)))
                : std::string();
}

bool SqliteStatement::Exec(sqlite3* db, const std::string& sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}
