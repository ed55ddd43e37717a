#pragma once

#include <cstdint>
#include <string>

// The line a port text names: "\\.\COM3:9600,N,8,0" gives device "\\.\COM3",
// rate 9600, parity code 0, 8 data bits, stop-bits code 0; "TCP://HOST:4001:9600,N,8,0"
// gives device "TCP://HOST:4001". Opening nothing, so the text can be checked on its own.
struct PortText {
    std::string device;  // upper case, as Open resolves it
    uint32_t baud = 0;
    uint8_t parity = 4;  // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t dataBits = 0;
    uint8_t stopBits = 0;

    static PortText Parse(const std::string& text);
    bool operator==(const PortText&) const = default;
};
