// Feeds arbitrary bytes from a server, in pieces of any size, to the Telnet
// side of an rfc2217:// port in the middle of its negotiation, and checks that
// data never outgrows what carried it; then checks that any data, escaped as
// this client sends it, comes out of a fresh parser unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "serial/TelnetComPort.h"

namespace {

// The data bytes of `bytes`, fed in pieces of `piece` bytes.
std::string Receive(TelnetComPort& port, const std::string& bytes, size_t piece) {
    std::string data;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        std::string chunk = bytes.substr(at, piece);
        std::string room(chunk.size(), '\0');
        size_t got = port.Receive(chunk.data(), chunk.size(), room.data());
        if (got > chunk.size()) __builtin_trap();
        data.append(room, 0, got);
    }
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    if (size == 0) return 0;
    // The first byte sets the size of the pieces a read returns.
    size_t piece = 1 + size_t{input[0]} % 64;
    std::string bytes(reinterpret_cast<const char*>(input + 1), size - 1);

    TelnetComPort server;
    server.Negotiate();
    server.SendLine(9600, 0, 8, 0);
    server.TakeOutput();
    Receive(server, bytes, piece);
    // Answers go out once per option: the output stays small whatever came in.
    if (server.TakeOutput().size() > 3 * 256 * 2) __builtin_trap();
    if (server.Options() == TelnetComPort::Agreement::kAgreed && !server.SpokeTelnet()) {
        __builtin_trap();
    }

    TelnetComPort fresh;
    if (Receive(fresh, TelnetComPort::Escape(bytes.data(), bytes.size()), piece) != bytes) {
        __builtin_trap();
    }
    return 0;
}
