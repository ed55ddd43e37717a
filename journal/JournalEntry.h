#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

// One thing done to a drive, as the journal keeps it: when, by whom, on which
// port and station, what kind of thing, in which session (one connection's
// span), and a document of its own kind's shape (see JournalRecord).
struct JournalEntry {
    enum class Kind {
        kConnect,
        kDisconnect,
        kRead,
        kWrite,
        kReadBack,
        kInit,
        kSetMode,
        kSend,
        kVersion,
        kScan,
        kMonitor,
        kFile,
        kCommission,
        kFailure,
    };

    int64_t id = 0;    // given by the journal, from 1 up
    std::string time;  // UTC, "2026-12-09T16:10:00.123Z"
    std::string program;
    std::string version;
    std::string user;
    std::string host;
    std::string port;  // as named: "COM15", "/dev/ttyUSB0", "tcp://host:4001"
    std::optional<int32_t> station;
    Kind kind = Kind::kConnect;
    int64_t session = 0;
    nlohmann::ordered_json payload = nlohmann::ordered_json::object();
    std::string hash;  // given by the journal

    // "read-back" and the like; nullopt for a name that is no kind.
    static const char* KindName(Kind kind);
    static std::optional<Kind> ParseKind(std::string_view name);

    // The payload as stored and hashed: compact, a byte that is no UTF-8 as U+FFFD.
    std::string PayloadText() const;
    // Every field, with the payload's beside them: what history prints.
    nlohmann::ordered_json ToJson() const;
};
