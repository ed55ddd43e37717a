#pragma once

#include <ctime>
#include <optional>
#include <string>

// The journal's times: UTC in ISO 8601 with milliseconds
// ("2026-12-09T16:10:00.123Z"), which sort as text; shown in local time.
class JournalTime {
  public:
    static std::string Now();
    static std::string FromUnix(std::time_t seconds, int milliseconds);
    // The start of a local date or time a person gives: "2026-12-09",
    // "2026-12-09 17:10", "2026-12-09T17:10:30"; nullopt for anything else.
    static std::optional<std::string> FromLocalText(const std::string& text);
    // "2026-12-09 17:10:00.123" in the local time zone; the text as it is
    // when it is no journal time.
    static std::string Local(const std::string& utc);
};
