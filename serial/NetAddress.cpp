#include "serial/NetAddress.h"

#include <strings.h>

namespace {

constexpr const char* kWindowsPrefix = "\\\\.\\";
constexpr const char* kTcpScheme = "tcp://";
constexpr const char* kRfc2217Scheme = "rfc2217://";

bool StartsWithIgnoringCase(const std::string& text, size_t at, const char* prefix) {
    size_t length = std::char_traits<char>::length(prefix);
    return text.size() >= at + length && strncasecmp(text.c_str() + at, prefix, length) == 0;
}

// Where the scheme starts: after the port text's prefix, if there is one.
size_t SchemeStart(const std::string& text) { return text.rfind(kWindowsPrefix, 0) == 0 ? 4 : 0; }

// The length of the scheme at `at`, with its "://"; 0 when there is none.
size_t SchemeLength(const std::string& text, size_t at, NetAddress::Kind& kind) {
    if (StartsWithIgnoringCase(text, at, kTcpScheme)) {
        kind = NetAddress::Kind::kRawTcp;
        return std::char_traits<char>::length(kTcpScheme);
    }
    if (StartsWithIgnoringCase(text, at, kRfc2217Scheme)) {
        kind = NetAddress::Kind::kRfc2217;
        return std::char_traits<char>::length(kRfc2217Scheme);
    }
    return 0;
}

// From `at`: a bracketed host ends after its ']', any other at the first ':'.
size_t HostEndFrom(const std::string& text, size_t at) {
    if (at < text.size() && text[at] == '[') {
        size_t close = text.find(']', at);
        return close == std::string::npos ? text.size() : close + 1;
    }
    size_t colon = text.find(':', at);
    return colon == std::string::npos ? text.size() : colon;
}

// 0 to 65535, digits only.
std::optional<uint16_t> PortNumber(const std::string& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    uint32_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    if (number > 65535) return std::nullopt;
    return static_cast<uint16_t>(number);
}

}  // namespace

bool NetAddress::IsNetworkName(const std::string& text) {
    Kind kind = Kind::kRawTcp;
    return SchemeLength(text, SchemeStart(text), kind) != 0;
}

std::optional<NetAddress> NetAddress::Parse(const std::string& text) {
    size_t start = SchemeStart(text);
    Kind kind = Kind::kRawTcp;
    size_t length = SchemeLength(text, start, kind);
    if (length == 0) return std::nullopt;
    std::optional<NetAddress> address = ParseHostPort(text.substr(start + length), kind);
    if (!address || address->port == 0) return std::nullopt;
    return address;
}

std::optional<NetAddress> NetAddress::ParseHostPort(const std::string& text, Kind kind) {
    size_t hostEnd = HostEndFrom(text, 0);
    if (hostEnd >= text.size() || text[hostEnd] != ':') return std::nullopt;
    std::string host = text.substr(0, hostEnd);
    bool bracketed = !host.empty() && host.front() == '[';
    if (bracketed) {
        if (host.size() < 3 || host.back() != ']') return std::nullopt;
        host = host.substr(1, host.size() - 2);
    }
    // An IPv6 address names its port only in brackets; a host holds no blank or '/'.
    if (host.empty() || host.find_first_of(bracketed ? " /[]" : " /[]:") != std::string::npos) {
        return std::nullopt;
    }
    std::optional<uint16_t> port = PortNumber(text.substr(hostEnd + 1));
    if (!port) return std::nullopt;
    return NetAddress{kind, host, *port};
}

size_t NetAddress::HostEnd(const std::string& text) {
    size_t start = SchemeStart(text);
    Kind kind = Kind::kRawTcp;
    size_t length = SchemeLength(text, start, kind);
    return length == 0 ? 0 : HostEndFrom(text, start + length);
}

std::string NetAddress::Name() const {
    std::string shownHost = host.find(':') == std::string::npos ? host : "[" + host + "]";
    return std::string(kind == Kind::kRawTcp ? kTcpScheme : kRfc2217Scheme) + shownHost + ":" +
           std::to_string(port);
}
