#include "serial/PortText.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "serial/NetAddress.h"

namespace {

std::string UpperCase(std::string text) {
    for (char& c : text) {
        // Bytes from 128 up belong to multibyte characters and stay as they are.
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The decimal number at `pos`: leading blanks skipped, read up to the first
// character that is not a digit (a sign is none); a position beyond the end,
// or no digit, gives 0. A number above `maximum` gives `maximum`, so it never
// wraps around into a usable value.
uint32_t NumberAt(const std::string& text, size_t pos, uint32_t maximum) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    uint64_t number = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        number = std::min<uint64_t>(number * 10 + static_cast<uint64_t>(text[pos] - '0'), maximum);
    }
    return static_cast<uint32_t>(number);
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
    // A network name holds two colons of its own ("TCP://HOST:4001"): the
    // device ends at the colon after its port.
    size_t hostEnd = NetAddress::HostEnd(upper);
    size_t colon = upper.find(':', hostEnd);
    if (hostEnd > 0 && colon != std::string::npos) colon = upper.find(':', colon + 1);
    std::string rest = colon == std::string::npos ? std::string() : upper.substr(colon + 1);
    size_t comma = rest.find(',');
    std::string format = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
    PortText line;
    line.device = colon == std::string::npos ? std::string() : upper.substr(0, colon);
    line.baud = NumberAt(rest.substr(0, comma), 0, std::numeric_limits<uint32_t>::max());
    line.parity = ParityCode(format);
    line.dataBits = static_cast<uint8_t>(NumberAt(format, 2, UINT8_MAX));
    line.stopBits = static_cast<uint8_t>(NumberAt(format, 4, UINT8_MAX));
    return line;
}
