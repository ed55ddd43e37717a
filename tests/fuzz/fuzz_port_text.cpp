// Feeds an arbitrary port map and port text to the parsing and the resolution
// of port names: input up to the first line feed is a VELD_PORT_MAP list, the
// rest the port text.
#include <strings.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "serial/PortMap.h"
#include "serial/PortText.h"

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The text the form builds for a line, which must read back as that line.
std::string Rebuilt(const PortText& line) {
    return line.device + ":" + std::to_string(line.baud) + "," + "NOEMS"[line.parity] + "," +
           std::to_string(line.dataBits) + "," + std::to_string(line.stopBits);
}

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> components;
    std::stringstream in(path);
    for (std::string part; std::getline(in, part, '/');) {
        if (!part.empty()) components.push_back(part);
    }
    return components;
}

// A path resolves to itself up to the case of its components, as the file
// system sees them (up to a NUL byte).
bool SameButForCase(const std::string& asked, const std::string& resolved) {
    std::vector<std::string> a = Components(asked);
    std::vector<std::string> r = Components(resolved);
    if (a.size() != r.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (strcasecmp(a[i].c_str(), r[i].c_str()) != 0) return false;
    }
    return true;
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
    if (!(PortText::Parse(LowerCase(text)) == line)) __builtin_trap();
    if (line.dataBits < 10 && line.stopBits < 10 && !(PortText::Parse(Rebuilt(line)) == line)) {
        __builtin_trap();
    }

    std::string path = PortMap::Resolve(line.device);
    // Only a mapping names a device by a path of the operator's choosing.
    if (!path.empty() && path[0] != '/' && list.find("=" + path) == std::string::npos) {
        __builtin_trap();
    }
    std::string name = line.device.rfind("\\\\.\\", 0) == 0 ? line.device.substr(4) : line.device;
    if (!name.empty() && name[0] == '/' && !SameButForCase(name, path)) __builtin_trap();
    return 0;
}
