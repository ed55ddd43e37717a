#include "CommandFlags.h"

#include <utility>

int CommandFlags::AcceptedBy(const std::string& command) {
    static const std::pair<const char*, int> kAccepted[] = {
        {"read", kJson},          {"verify", kJson},        {"diff", kJson},
        {"write", kWriteFlags},   {"set", kWriteFlags},     {"setup", kWriteFlags},
        {"restore", kWriteFlags}, {"setmode", kWriteFlags}, {"init", kBackup},
        {"ports", kJson},         {"doctor", kJson},        {"scan", kJson},
        {"commission", kJson},
    };
    for (const auto& [name, flags] : kAccepted) {
        if (command == name) return flags;
    }
    return 0;
}

bool CommandFlags::Take(std::vector<std::string>& args, int accepted, std::string& error) {
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if ((accepted & kJson) && arg == "--json") {
            json = true;
        } else if ((accepted & kNoVerify) && arg == "--no-verify") {
            noVerify = true;
        } else if ((accepted & kBackup) && arg == "--backup") {
            if (i + 1 == args.size() || args[i + 1].empty()) {
                error = "--backup needs a PATH (a file, or a folder for a dated file)";
                return false;
            }
            backupPath = args[++i];
        } else {
            rest.push_back(arg);
        }
    }
    args = rest;
    return true;
}
