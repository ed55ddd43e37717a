#include "journal/JournalTime.h"

#include <chrono>
#include <cstdio>

namespace {

constexpr size_t kUtcLength = 24;  // "2026-12-09T16:10:00.123Z"

}  // namespace

std::string JournalTime::Now() {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return FromUnix(static_cast<std::time_t>(ms / 1000), static_cast<int>(ms % 1000));
}

std::string JournalTime::FromUnix(std::time_t seconds, int milliseconds) {
    std::tm utc{};
    char text[32] = {};
    if (!::gmtime_r(&seconds, &utc)) return "";
    size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", milliseconds);
    return text;
}

std::optional<std::string> JournalTime::FromLocalText(const std::string& text) {
    std::tm local{};
    char separator = 'T';
    char rest = 0;
    int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%c", &local.tm_year,
                             &local.tm_mon, &local.tm_mday, &separator, &local.tm_hour,
                             &local.tm_min, &local.tm_sec, &rest);
    bool dateOnly = fields == 3 && text.size() == 10;
    bool withTime = (fields == 6 || fields == 7) && (separator == 'T' || separator == ' ');
    if (!dateOnly && !withTime) return std::nullopt;
    if (local.tm_mon < 1 || local.tm_mon > 12 || local.tm_mday < 1 || local.tm_mday > 31 ||
        local.tm_hour > 23 || local.tm_min > 59 || local.tm_sec > 60) {
        return std::nullopt;
    }
    local.tm_year -= 1900;
    local.tm_mon -= 1;
    local.tm_isdst = -1;
    std::time_t seconds = std::mktime(&local);
    if (seconds == -1) return std::nullopt;
    return FromUnix(seconds, 0);
}

std::string JournalTime::Local(const std::string& utc) {
    std::tm when{};
    int ms = 0;
    if (utc.size() != kUtcLength ||
        std::sscanf(utc.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ", &when.tm_year, &when.tm_mon,
                    &when.tm_mday, &when.tm_hour, &when.tm_min, &when.tm_sec, &ms) != 7) {
        return utc;
    }
    when.tm_year -= 1900;
    when.tm_mon -= 1;
    std::time_t seconds = ::timegm(&when);
    std::tm local{};
    char text[32] = {};
    if (!::localtime_r(&seconds, &local)) return utc;
    size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, ".%03d", ms);
    return text;
}
