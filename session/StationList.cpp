#include "session/StationList.h"

#include <algorithm>
#include <charconv>

#include "protocol/ReplyStation.h"

namespace {

// A station's digits, blanks around them allowed.
bool ParseStation(std::string_view text, int32_t& station) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), station);
    return error == std::errc() && end == text.data() + text.size() &&
           station >= ReplyStation::kFirst && station <= ReplyStation::kLast;
}

// "7" or "1-3".
bool ParseItem(std::string_view item, std::vector<int32_t>& stations) {
    size_t dash = item.find('-');
    int32_t first = 0;
    int32_t last = 0;
    if (dash == std::string_view::npos) {
        if (!ParseStation(item, first)) return false;
        last = first;
    } else if (!ParseStation(item.substr(0, dash), first) ||
               !ParseStation(item.substr(dash + 1), last) || last < first) {
        return false;
    }
    for (int32_t station = first; station <= last; ++station) stations.push_back(station);
    return true;
}

}  // namespace

bool StationList::Parse(std::string_view text, std::vector<int32_t>& stations) {
    std::vector<int32_t> parsed;
    for (;;) {
        size_t comma = text.find(',');
        if (!ParseItem(text.substr(0, comma), parsed)) return false;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    std::sort(parsed.begin(), parsed.end());
    if (std::adjacent_find(parsed.begin(), parsed.end()) != parsed.end()) return false;
    stations = parsed;
    return true;
}
