// Feeds arbitrary received bytes to the simulated drive's command parser, one
// line per carriage return as the simulator splits them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "veld-drive-sim/DriveCommands.h"
#include "veld-drive-sim/DriveModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DriveModel model;
    DriveCommands commands(model, 0, "");
    std::string line;
    for (size_t i = 0; i <= size; ++i) {
        char c = i < size ? static_cast<char>(data[i]) : '\r';
        if (c == '\n') continue;
        if (c != '\r') {
            line += c;
            continue;
        }
        for (const std::string& reply : commands.Handle(line)) {
            // A reply is one line from this station; a line end inside it
            // would split it on the wire.
            if (reply.rfind("#0.", 0) != 0 || reply.find_first_of("\r\n") != std::string::npos) {
                __builtin_trap();
            }
        }
        line.clear();
    }
    return 0;
}
