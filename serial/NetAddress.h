#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A network port: "tcp://HOST:PORT" (raw TCP, the bytes as on the line) or
// "rfc2217://HOST:PORT" (Telnet with the COM-PORT-OPTION). HOST is a name,
// an IPv4 address or an IPv6 address in brackets; the scheme in any case.
struct NetAddress {
    enum class Kind { kRawTcp, kRfc2217 };

    Kind kind = Kind::kRawTcp;
    std::string host;  // without the brackets
    uint16_t port = 0;

    // Whether the text starts with a network scheme (with or without the
    // port text's "\\.\" before it).
    static bool IsNetworkName(const std::string& text);
    // The whole text as a network port (port 1 to 65535); nothing when it is not one.
    static std::optional<NetAddress> Parse(const std::string& text);
    // "HOST:PORT" of the given kind, port 0 (any) included.
    static std::optional<NetAddress> ParseHostPort(const std::string& text, Kind kind);
    // In a port text that starts with a network name, where the host ends
    // (the next ':' is the one before the port); 0 for any other text.
    static size_t HostEnd(const std::string& text);

    // "tcp://HOST:PORT", brackets back around an IPv6 host.
    std::string Name() const;
};
