#include "support/ThreadStats.h"

#include <dirent.h>

#include <fstream>

long ThreadStats::ContextSwitches(const std::string& name) {
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr) return -1;
    long switches = -1;
    while (dirent* e = ::readdir(tasks)) {
        std::string dir = std::string("/proc/self/task/") + e->d_name;
        std::string comm;
        std::getline(std::ifstream(dir + "/comm"), comm);
        if (comm != name) continue;
        if (switches < 0) switches = 0;
        std::ifstream status(dir + "/status");
        for (std::string line; std::getline(status, line);) {
            size_t colon = line.find(':');
            std::string key = line.substr(0, colon);
            if (key == "voluntary_ctxt_switches" || key == "nonvoluntary_ctxt_switches") {
                switches += std::stol(line.substr(colon + 1));
            }
        }
    }
    ::closedir(tasks);
    return switches;
}
