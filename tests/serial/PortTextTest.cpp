#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "serial/NetAddress.h"
#include "serial/PortText.h"

// A number is read as far as it has digits; one too large for its field
// saturates instead of wrapping around into a line that opens.
TEST(PortTextTest, NumbersAreDigitsOnlyAndNeverWrap) {
    struct Case {
        const char* text;
        uint32_t baud;
        uint8_t dataBits;
        uint8_t stopBits;
    };
    const Case cases[] = {
        {"COM3:  1200,N, 8,0", 1200, 8, 0},
        {"COM3:9600x,N,8,2x", 9600, 8, 2},
        {"COM3:+9600,N,8,0", 0, 8, 0},                // a sign is no digit
        {"COM3:4294976896,N,8,0", UINT32_MAX, 8, 0},  // 2^32 + 9600
        {"COM3:99999999999999999999999,N,8,0", UINT32_MAX, 8, 0},
        {"COM3:9600,N,264,0", 9600, 255, 4},  // 256 + 8; stop bits from the fixed place
        {"COM3:9600,N,8,258", 9600, 8, 255},  // 256 + 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PortText line = PortText::Parse(c.text);
        EXPECT_EQ(line.device, "COM3");
        EXPECT_EQ(line.baud, c.baud);
        EXPECT_EQ(line.parity, 0);
        EXPECT_EQ(line.dataBits, c.dataBits);
        EXPECT_EQ(line.stopBits, c.stopBits);
    }
}

// A network name holds colons of its own; the device ends at the one after its port.
TEST(PortTextTest, NetworkNamesKeepTheirColons) {
    struct Case {
        const char* text;
        PortText line;
    };
    const Case cases[] = {
        {"\\\\.\\tcp://host:4001:9600,N,8,0", {"\\\\.\\TCP://HOST:4001", 9600, 0, 8, 0}},
        {"\\\\.\\RFC2217://[::1]:4001:115200,E,7,2",
         {"\\\\.\\RFC2217://[::1]:4001", 115200, 2, 7, 2}},
        {"rfc2217://10.0.0.7:23:,N,8,0", {"RFC2217://10.0.0.7:23", 0, 0, 8, 0}},
        {"\\\\.\\TCP://HOST:4001", {"", 0, 4, 0, 0}},             // no line settings: nothing opens
        {"\\\\.\\TCP://[::1:4001:9600,N,8,0", {"", 0, 4, 0, 0}},  // an unclosed bracket
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PortText::Parse(c.text), c.line);
    }
}

TEST(NetAddressTest, HostsAndPortsOfNetworkNames) {
    using Kind = NetAddress::Kind;
    struct Case {
        const char* text;
        std::optional<NetAddress> address;
    };
    const Case cases[] = {
        {"tcp://127.0.0.1:4001", NetAddress{Kind::kRawTcp, "127.0.0.1", 4001}},
        {"\\\\.\\RFC2217://HOST.EXAMPLE:65535", NetAddress{Kind::kRfc2217, "HOST.EXAMPLE", 65535}},
        {"rfc2217://[fe80::1%eth0]:23", NetAddress{Kind::kRfc2217, "fe80::1%eth0", 23}},
        {"tcp://::1:4001", std::nullopt},  // an IPv6 address only in brackets
        {"tcp://host:0", std::nullopt},
        {"tcp://host:65536", std::nullopt},
        {"tcp://host:+1", std::nullopt},
        {"tcp://host:4001x", std::nullopt},
        {"tcp://host", std::nullopt},
        {"tcp://:4001", std::nullopt},
        {"tcp://[]:4001", std::nullopt},
        {"tcp://a b:4001", std::nullopt},
        {"tcp://a/b:4001", std::nullopt},
        {"telnet://host:23", std::nullopt},
        {"/dev/ttyUSB0", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::optional<NetAddress> address = NetAddress::Parse(c.text);
        ASSERT_EQ(address.has_value(), c.address.has_value());
        if (!address) continue;
        EXPECT_EQ(address->kind, c.address->kind);
        EXPECT_EQ(address->host, c.address->host);
        EXPECT_EQ(address->port, c.address->port);
    }
    EXPECT_EQ(NetAddress::Parse("RFC2217://[::1]:4001")->Name(), "rfc2217://[::1]:4001");
    // The simulator listens on port 0 for a free one.
    EXPECT_EQ(NetAddress::ParseHostPort("127.0.0.1:0", Kind::kRawTcp)->port, 0);
}
