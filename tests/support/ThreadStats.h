#pragma once

#include <filesystem>
#include <fstream>
#include <string>

// Scheduler figures of this process's threads, from /proc.
class ThreadStats {
  public:
    // Voluntary plus involuntary context switches of the thread named `name`
    // (summed over threads of that name), or -1 when none runs.
    static long ContextSwitches(const std::string& name) {
        long switches = -1;
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            std::string comm;
            std::getline(std::ifstream(task.path() / "comm"), comm);
            if (comm != name) continue;
            if (switches < 0) switches = 0;
            std::ifstream status(task.path() / "status");
            for (std::string line; std::getline(status, line);) {
                size_t colon = line.find(':');
                std::string key = line.substr(0, colon);
                if (key == "voluntary_ctxt_switches" || key == "nonvoluntary_ctxt_switches") {
                    switches += std::stol(line.substr(colon + 1));
                }
            }
        }
        return switches;
    }
};
