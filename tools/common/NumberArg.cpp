#include "common/NumberArg.h"

#include <charconv>

bool NumberArg::Parse(std::string_view text, int32_t minimum, int32_t maximum, int32_t& value) {
    // from_chars takes a minus sign but no plus sign.
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-') return false;
    }
    int32_t parsed = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (error != std::errc() || stop != end || parsed < minimum || parsed > maximum) return false;
    value = parsed;
    return true;
}
