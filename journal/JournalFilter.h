#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class SqliteStatement;

// Which entries, or which sessions, a query wants. Empty fields filter nothing.
struct JournalFilter {
    std::string port;  // as named, exactly
    std::optional<int32_t> station;
    std::string since;  // a journal time (JournalTime): entries at or after it
    // Within the port, program, user, host, kind or document, without regard to ASCII case.
    std::string text;
    std::optional<int64_t> session;
    size_t last = 0;  // entries: only the last N (0: all)

    // A WHERE clause ("" or " WHERE ...") and the values of its parameters.
    struct Sql {
        std::string where;
        std::vector<std::variant<int64_t, std::string>> values;

        void BindTo(SqliteStatement& statement) const;
    };
    // Over the entries table as "e".
    Sql ForEntries() const;
    // Over the sessions table as "s": a session some of whose entries match.
    Sql ForSessions() const;
};
