// Feeds an arbitrary port map and port text to the parsing and the resolution
// of port names: input up to the first line feed is a VELD_PORT_MAP list, the
// rest the port text.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "serial/NetAddress.h"
#include "serial/PortMap.h"
#include "serial/PortText.h"

namespace {

// The text the form builds for a line, which must read back as that line.
std::string Rebuilt(const PortText& line) {
    return line.device + ":" + std::to_string(line.baud) + "," + "NOEMS"[line.parity] + "," +
           std::to_string(line.dataBits) + "," + std::to_string(line.stopBits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t lineFeed = input.find('\n');
    std::string list = lineFeed == std::string::npos ? std::string() : input.substr(0, lineFeed);
    std::string text = lineFeed == std::string::npos ? input : input.substr(lineFeed + 1);
    PortMap::Clear();
    PortMap::AddMappingList(list);

    PortText line = PortText::Parse(text);
    if (line.parity > 4) __builtin_trap();
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!(PortText::Parse(lower) == line)) __builtin_trap();
    if (line.dataBits < 10 && line.stopBits < 10 && !(PortText::Parse(Rebuilt(line)) == line)) {
        __builtin_trap();
    }

    std::string path = PortMap::Resolve(line.device);
    // A device is named by an absolute path (a relative one is made so) or is a network port.
    if (!path.empty() && path[0] != '/' && !NetAddress::IsNetworkName(path)) __builtin_trap();
    return 0;
}
