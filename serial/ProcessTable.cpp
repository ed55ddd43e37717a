#include "serial/ProcessTable.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Two names for one device: a device node by its device number (the same
// device may have a node in several places), any other file by its inode.
bool SameNode(const struct stat& a, const struct stat& b) {
    if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode)) return a.st_rdev == b.st_rdev;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool IsPid(const std::string& name) {
    return !name.empty() && name.size() < 10 &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One line of <proc>/locks: "1: FLOCK  ADVISORY  WRITE 812 00:05:1049 0 EOF", or
// with "->" after the number for a waiter. The file system's device is hexadecimal.
bool LockLineNames(const std::string& line, const struct stat& node, int& pid) {
    std::istringstream in(line);
    std::string number, kind, mode, access, where;
    in >> number >> kind;
    if (kind == "->") in >> kind;
    in >> mode >> access >> pid >> where;
    unsigned major = 0, minor = 0;
    unsigned long long inode = 0;
    if (!in || std::sscanf(where.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) return false;
    return major == ::major(node.st_dev) && minor == ::minor(node.st_dev) && inode == node.st_ino;
}

}  // namespace

ProcessTable::ProcessTable(fs::path procRoot) : m_procRoot(std::move(procRoot)) {}

std::vector<int> ProcessTable::Pids() const {
    std::vector<int> pids;
    std::error_code error;
    for (fs::directory_iterator it(m_procRoot, error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename();
        if (IsPid(name)) pids.push_back(std::atoi(name.c_str()));
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

std::string ProcessTable::NameOf(int pid) const {
    std::ifstream in(m_procRoot / std::to_string(pid) / "comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::vector<int> ProcessTable::LockersOf(const struct stat& node) const {
    std::vector<int> pids;
    std::ifstream in(m_procRoot / "locks");
    for (std::string line; std::getline(in, line);) {
        int pid = 0;
        if (LockLineNames(line, node, pid) && pid > 0) pids.push_back(pid);
    }
    return pids;
}

ProcessTable::Holders ProcessTable::HoldersOf(const struct stat& node) const {
    Holders holders;
    std::set<int> found;
    for (int pid : Pids()) {
        std::error_code error;
        fs::directory_iterator fds(m_procRoot / std::to_string(pid) / "fd", error);
        if (error) {
            // Another user's process, or one that ended meanwhile.
            if (error == std::errc::permission_denied) ++holders.hidden;
            continue;
        }
        for (fs::directory_iterator end; !error && fds != end; fds.increment(error)) {
            struct stat open {};
            if (::stat(fds->path().c_str(), &open) == 0 && SameNode(open, node)) {
                found.insert(pid);
                break;
            }
        }
    }
    for (int pid : LockersOf(node)) found.insert(pid);
    for (int pid : found) holders.processes.push_back({pid, NameOf(pid)});
    return holders;
}

std::vector<ProcessTable::Process> ProcessTable::Named(const std::string& name) const {
    std::vector<Process> processes;
    for (int pid : Pids()) {
        if (NameOf(pid) == name) processes.push_back({pid, name});
    }
    return processes;
}
