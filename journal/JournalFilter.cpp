#include "journal/JournalFilter.h"

#include "journal/SqliteStatement.h"

namespace {

constexpr const char* kTextMatch =
    "instr(lower(e.port || ' ' || e.program || ' ' || e.user || ' ' || e.host || ' ' || e.kind "
    "|| ' ' || e.payload), lower(?)) > 0";

void Add(JournalFilter::Sql& sql, const std::string& condition) {
    sql.where += sql.where.empty() ? " WHERE " : " AND ";
    sql.where += condition;
}

}  // namespace

void JournalFilter::Sql::BindTo(SqliteStatement& statement) const {
    int index = 1;
    for (const auto& value : values) {
        std::visit([&](const auto& each) { statement.Bind(index++, each); }, value);
    }
}

JournalFilter::Sql JournalFilter::ForEntries() const {
    Sql sql;
    if (!port.empty()) {
        Add(sql, "e.port = ?");
        sql.values.emplace_back(port);
    }
    if (station) {
        Add(sql, "e.station = ?");
        sql.values.emplace_back(int64_t{*station});
    }
    if (!since.empty()) {
        Add(sql, "e.time >= ?");
        sql.values.emplace_back(since);
    }
    if (session) {
        Add(sql, "e.session = ?");
        sql.values.emplace_back(*session);
    }
    if (!text.empty()) {
        Add(sql, kTextMatch);
        sql.values.emplace_back(text);
    }
    return sql;
}

JournalFilter::Sql JournalFilter::ForSessions() const {
    Sql sql;
    if (!port.empty()) {
        Add(sql, "s.port = ?");
        sql.values.emplace_back(port);
    }
    if (!since.empty()) {
        Add(sql, "s.ended >= ?");
        sql.values.emplace_back(since);
    }
    if (session) {
        Add(sql, "s.id = ?");
        sql.values.emplace_back(*session);
    }
    if (station) {
        Add(sql, "EXISTS (SELECT 1 FROM entries e WHERE e.session = s.id AND e.station = ?)");
        sql.values.emplace_back(int64_t{*station});
    }
    if (!text.empty()) {
        Add(sql, std::string("EXISTS (SELECT 1 FROM entries e WHERE e.session = s.id AND ") +
                     kTextMatch + ")");
        sql.values.emplace_back(text);
    }
    return sql;
}
