#include <gtest/gtest.h>

#include <cstdint>

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
