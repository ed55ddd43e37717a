#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/TelnetComPort.h"

namespace {

using Agreement = TelnetComPort::Agreement;
using namespace std::string_literals;

// What a Telnet server sends, in Telnet's bytes.
const std::string kIac = "\xff";
const std::string kWill = "\xff\xfb", kWont = "\xff\xfc", kDo = "\xff\xfd", kDont = "\xff\xfe";
const std::string kBinary = "\x00"s, kComPort = "\x2c";
std::string ComPortAnswer(const std::string& body) { return "\xff\xfa\x2c" + body + "\xff\xf0"; }

// ser2net 4.3's greeting of a telnet(rfc2217) client, as seen on the wire.
const std::string kSer2netGreeting =
    "\xff\xfb\x03\xff\xfd\x03\xff\xfb\x01\xff\xfe\x01\xff\xfd\x00\xff\xfb\x00\xff\xfd\x2c"
    "\xff\xfa\x2c\x6b\x00\xff\xf0"s;

// The data bytes of `bytes`, fed in pieces of `piece` bytes.
std::string Data(TelnetComPort& port, const std::string& bytes, size_t piece) {
    std::string data;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        std::string chunk = bytes.substr(at, piece);
        std::string room(chunk.size(), '\0');
        room.resize(port.Receive(chunk.data(), chunk.size(), room.data()));
        data += room;
    }
    return data;
}

TEST(TelnetComPortTest, OptionsAreAgreedOrRefused) {
    struct Case {
        const char* what;
        std::string server;
        Agreement expected;
    };
    const Case cases[] = {
        {"ser2net", kSer2netGreeting, Agreement::kAgreed},
        {"answers to each request", kDo + kBinary + kWill + kBinary + kDo + kComPort,
         Agreement::kAgreed},
        {"binary one way only", kDo + kBinary + kDo + kComPort, Agreement::kPending},
        {"no COM-PORT-OPTION", kDo + kBinary + kWill + kBinary + kDont + kComPort,
         Agreement::kRefused},
        {"no binary from the server", kWont + kBinary + kDo + kComPort, Agreement::kRefused},
        {"not Telnet at all", "Port already in use\r\n", Agreement::kPending},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TelnetComPort port;
        port.Negotiate();
        EXPECT_EQ(port.TakeOutput(), kWill + kBinary + kDo + kBinary + kWill + kComPort);
        Data(port, c.server, c.server.size());
        EXPECT_EQ(port.Options(), c.expected);
        EXPECT_EQ(port.SpokeTelnet(), c.server[0] == kIac[0]);
    }
    // The options ser2net offers on its own are answered as this client wants them.
    TelnetComPort port;
    port.Negotiate();
    port.TakeOutput();
    Data(port, kSer2netGreeting, 1);
    EXPECT_EQ(port.TakeOutput(), kDo + "\x03" + kWill + "\x03" + kDont + "\x01");
}

// RFC 2217's commands with their values, a 0xFF in a value doubled; the
// server's answers (the command plus 100) tell whether it took them.
TEST(TelnetComPortTest, LineSettingsGoOutAndTheirAnswersAreChecked) {
    TelnetComPort port;
    port.SendLine(9600, 2, 7, 2);
    EXPECT_EQ(port.TakeOutput(), ComPortAnswer("\x01\x00\x00\x25\x80"s) +
                                     ComPortAnswer("\x02\x07") + ComPortAnswer("\x03\x03") +
                                     ComPortAnswer("\x04\x02") + ComPortAnswer("\x05\x01") +
                                     ComPortAnswer("\x05\x0e"));
    EXPECT_FALSE(port.LineAnswered());
    Data(port, ComPortAnswer("\x65\x00\x00\x25\x80"s) + ComPortAnswer("\x66\x07"), 3);
    EXPECT_FALSE(port.LineAnswered());
    Data(port, ComPortAnswer("\x67\x03") + ComPortAnswer("\x68\x02"), 5);
    EXPECT_TRUE(port.LineAnswered());
    EXPECT_TRUE(port.LineTaken());
    // A rate whose bytes hold 0xFF; a server that keeps its own rate.
    port.SendLine(65280, 0, 8, 0);
    EXPECT_EQ(port.TakeOutput().substr(0, 11), ComPortAnswer("\x01\x00\x00\xff\xff\x00"s));
    Data(port,
         ComPortAnswer("\x65\x00\x01\xc2\x00"s) + ComPortAnswer("\x66\x08") +
             ComPortAnswer("\x67\x01") + ComPortAnswer("\x68\x01"),
         64);
    EXPECT_TRUE(port.LineAnswered());
    EXPECT_FALSE(port.LineTaken());
}

// Data comes out as it was on the line, however the reads split it: a doubled
// 0xFF is one, commands and notices in between are gone.
TEST(TelnetComPortTest, DataIsTakenOutOfTheTelnetStream) {
    const std::string stream = "#0.FRD 0 \xff\xff" + ComPortAnswer("\x6b\x30") + "0105\r" +
                               "\xff\xf1" + kWill + "\x18" + "#0.STA\r";
    const std::string data =
        "#0.FRD 0 \xff"
        "0105\r#0.STA\r";
    for (size_t piece : {1, 2, 3, 7, 64}) {
        SCOPED_TRACE(piece);
        TelnetComPort port;
        EXPECT_EQ(Data(port, stream, piece), data);
    }
    EXPECT_EQ(TelnetComPort::Escape(data.data(), data.size()),
              "#0.FRD 0 \xff\xff"
              "0105\r#0.STA\r");
    // A server that starts compression it was never asked for cannot make
    // more data than bytes came: what does not fit is dropped.
    TelnetComPort port;
    std::string compressed = "\xff\xfa\x56\xff\xf0"s + std::string(64, '\x01');
    std::string room(compressed.size(), '\0');
    EXPECT_LE(port.Receive(compressed.data(), compressed.size(), room.data()), compressed.size());
}

// A subnegotiation's bytes are never data, however long, and whatever they
// hold (here a malformed TERMINAL-TYPE); one longer than libtelnet's buffer
// (16 KiB) is a protocol error after which nothing is data.
TEST(TelnetComPortTest, SubnegotiationBytesNeverBecomeData) {
    const std::string reply = "#0.PRA 14 FFFF\r";
    struct Case {
        const char* what;
        size_t length;
        bool broken;
    };
    const Case cases[] = {
        {"short", 10, false},
        {"long, within the buffer", 16000, false},
        {"overlong", 20000, true},
    };
    for (const Case& c : cases) {
        for (size_t piece : {7, 2048, 65536}) {
            SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
            TelnetComPort port;
            std::string stream = "#0.STA\r" + "\xff\xfa\x18"s + std::string(c.length, 'x') + reply +
                                 "\xff\xf0"s + reply;
            std::string data = Data(port, stream, piece);
            EXPECT_EQ(port.ProtocolError().empty(), !c.broken) << port.ProtocolError();
            // The reply inside never comes out; the one after it does, unless the stream broke.
            if (c.broken) {
                EXPECT_EQ(data.find("PRA"), std::string::npos) << data.substr(0, 40);
            } else {
                EXPECT_EQ(data, "#0.STA\r" + reply);
            }
        }
    }
}

}  // namespace
