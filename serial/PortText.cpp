#include "serial/PortText.h"

#include <cstdlib>

namespace {

std::string UpperCase(std::string text) {
    for (char& c : text) {
        // Bytes from 128 up belong to multibyte characters and stay as they are.
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The decimal number at `pos` (leading blanks skipped); a position beyond the
// end, or no digit, gives 0.
uint32_t NumberAt(const std::string& text, size_t pos) {
    if (pos >= text.size()) return 0;
    return static_cast<uint32_t>(std::strtoul(text.c_str() + pos, nullptr, 10));
}

uint8_t ParityCode(const std::string& format) {
    if (format.empty()) return 4;
    switch (format[0]) {
        case 'N':
            return 0;
        case 'O':
            return 1;
        case 'E':
            return 2;
        case 'M':
            return 3;
        default:
            return 4;
    }
}

}  // namespace

PortText PortText::Parse(const std::string& text) {
    std::string upper = UpperCase(text);
    size_t colon = upper.find(':');
    std::string rest = colon == std::string::npos ? std::string() : upper.substr(colon + 1);
    size_t comma = rest.find(',');
    std::string format = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    PortText line;
    line.device = colon == std::string::npos ? std::string() : upper.substr(0, colon);
    line.baud = NumberAt(rest.substr(0, comma), 0);
    line.parity = ParityCode(format);
    line.dataBits = static_cast<uint8_t>(NumberAt(format, 2));
    line.stopBits = static_cast<uint8_t>(NumberAt(format, 4));
    return line;
}
