#include "common/NumberArg.h"

#include "params/DecimalText.h"

bool NumberArg::Parse(std::string_view text, int32_t minimum, int32_t maximum, int32_t& value) {
    size_t digits = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (digits == text.size()) return false;
    for (size_t i = digits; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    int32_t parsed = DecimalText::Parse(text);
    if (parsed < minimum || parsed > maximum) return false;
    value = parsed;
    return true;
}
